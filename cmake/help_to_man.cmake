# Writes a manual page from a program's own --help and --version output, so
# that the page cannot drift from the program. Run in script mode:
#   cmake -DPROGRAM=path -DNAME=tarnel-batch -DSUMMARY="..." -DOUTPUT=x.1 -P help_to_man.cmake
# The help text's first line is the synopsis ("Usage: ..."). A line of its
# own, unindented and starting with a capital, that follows a blank line
# opens a section; everything else is kept as it is laid out.

foreach(var PROGRAM NAME SUMMARY OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "help_to_man.cmake needs -D${var}=...")
  endif()
endforeach()

execute_process(COMMAND "${PROGRAM}" --help OUTPUT_VARIABLE help RESULT_VARIABLE help_rc)
execute_process(COMMAND "${PROGRAM}" --version OUTPUT_VARIABLE version RESULT_VARIABLE version_rc
                OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT help_rc EQUAL 0 OR NOT version_rc EQUAL 0 OR help STREQUAL "")
  message(FATAL_ERROR "${PROGRAM} --help / --version failed")
endif()

# roff: backslashes written as \e, hyphens as minus signs (so that options
# can be searched and copied), a leading dot or quote made harmless.
function(roff_escape text out)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  if(text MATCHES "^[.']")
    set(text "\\&${text}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

string(TOUPPER "${NAME}" title)
roff_escape("${NAME}" name_roff)
roff_escape("${SUMMARY}" summary_roff)
set(page ".TH \"${title}\" 1 \"\" \"${version}\" \"User Commands\"\n.SH NAME\n${name_roff} \\- ${summary_roff}\n")

# Line by line without CMake lists, which would lose empty lines and ";".
set(first TRUE)
set(previous_blank TRUE)
set(pending_blank FALSE)
while(NOT help STREQUAL "")
  string(FIND "${help}" "\n" end)
  if(end EQUAL -1)
    set(line "${help}")
    set(help "")
  else()
    string(SUBSTRING "${help}" 0 ${end} line)
    math(EXPR next "${end} + 1")
    string(SUBSTRING "${help}" ${next} -1 help)
  endif()
  if(first)
    string(REGEX REPLACE "^Usage: *" "" synopsis "${line}")
    roff_escape("${synopsis}" synopsis)
    string(APPEND page ".SH SYNOPSIS\n.B ${synopsis}\n.SH DESCRIPTION\n.nf\n")
    set(first FALSE)
  elseif(line STREQUAL "")
    set(previous_blank TRUE)
    set(pending_blank TRUE)
  elseif(previous_blank AND line MATCHES "^[A-Z][A-Za-z ]*$")
    string(TOUPPER "${line}" heading)
    string(APPEND page ".fi\n.SH ${heading}\n.nf\n")
    set(previous_blank FALSE)
    set(pending_blank FALSE)
  else()
    if(pending_blank AND NOT page MATCHES "\\.nf\n$")
      string(APPEND page ".sp\n")
    endif()
    roff_escape("${line}" escaped)
    string(APPEND page "${escaped}\n")
    set(previous_blank FALSE)
    set(pending_blank FALSE)
  endif()
endwhile()
string(APPEND page ".fi\n")
file(WRITE "${OUTPUT}" "${page}")
