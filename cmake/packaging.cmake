# The Debian package, made by `cpack -G DEB` in the build folder (see
# scripts/package.sh). Library dependencies are computed by dpkg-shlibdeps;
# what the programs load at run time without linking it is named here.
set(CPACK_PACKAGE_NAME tarnel)
set(CPACK_PACKAGE_VENDOR "Tarnel developers")
set(CPACK_PACKAGE_CONTACT "Tarnel developers <tarnel@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "image editor built around colour quantization")
set(CPACK_PACKAGE_DESCRIPTION
    "Tarnel reduces images to fewer colours with one of fifteen methods (uniform\n\
levels, fixed palettes, popularity, adaptive sampling, a neural network),\n\
with optional dithering and a preview, then lets the remaining colours be\n\
edited one by one. It also loads and saves PNG, JPEG, JPEG 2000 and BMP\n\
files, pastes from the clipboard, crops, resizes, rotates, adjusts\n\
brightness and contrast, blurs and applies pixel effects, with unlimited\n\
undo.\n\
\n\
tarnel-batch applies the same operations to image files from the command\n\
line.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TARNEL_HOMEPAGE})
if(TARNEL_BUILD_UI)
  # Qt loads its window-system plugins at run time; the toolbar's standard
  # icons and the interface font come from these when present.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "adwaita-icon-theme, fonts-liberation")
endif()
set(CPACK_GENERATOR DEB)
include(CPack)
