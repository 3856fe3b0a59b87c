#!/bin/sh
# Clipboard round trip with another program on a private X display: xclip
# offers a PNG, the editor pastes it as a new image (Ctrl+I) and copies it
# (Ctrl+C), and xclip reads back the same pixels as image/png.
#
# Usage: clipboard_round_trip.sh EDITOR_BINARY
# Exit status 77 (ctest: skipped) when Xvfb, xclip, xdotool or ImageMagick is
# missing or no display can be started.

editor=$1
skip() { echo "SKIP: clipboard round trip: $1"; exit 77; }
for tool in Xvfb xclip xdotool convert compare identify; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool not found"
done

work=$(mktemp -d)
xvfb_pid=
editor_pid=
cleanup() {
    [ -n "$editor_pid" ] && kill "$editor_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# A free display number.
n=90
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
export DISPLAY=":$n"
Xvfb "$DISPLAY" -screen 0 1600x1000x24 >/dev/null 2>&1 &
xvfb_pid=$!
i=0
until xdotool getmouselocation >/dev/null 2>&1; do
    i=$((i + 1)); [ $i -gt 50 ] && skip "Xvfb did not start"; sleep 0.1
done

convert -size 40x30 xc:'#336699' -fill '#ff8000' -draw 'rectangle 5,5 20,12' \
        -fill '#00ff00' -draw 'point 39,29' -depth 8 "PNG24:$work/in.png" || exit 1
xclip -selection clipboard -t image/png -i "$work/in.png" || exit 1

mkdir -p "$work/home"
QT_QPA_PLATFORM=xcb HOME="$work/home" "$editor" >/dev/null 2>&1 &
editor_pid=$!
window=
i=0
while [ -z "$window" ]; do
    i=$((i + 1)); [ $i -gt 100 ] && { echo "FAIL: the editor's window did not appear"; exit 1; }
    sleep 0.1
    window=$(xdotool search --name '^Tarnel' 2>/dev/null | head -n 1)
done
sleep 0.5

# Without a window manager a click gives the window the keyboard focus.
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
sleep 0.3
xdotool key ctrl+i
sleep 1
xdotool key ctrl+c

# The editor owns the clipboard once it offers Qt's own image type.
i=0
until xclip -selection clipboard -t TARGETS -o 2>/dev/null | grep -q 'application/x-qt-image'; do
    i=$((i + 1)); [ $i -gt 50 ] && { echo "FAIL: the editor did not take the clipboard"; exit 1; }
    sleep 0.1
done
xclip -selection clipboard -t image/png -o >"$work/out.png" || { echo "FAIL: no image/png offered"; exit 1; }

size=$(identify -format '%wx%h' "$work/out.png")
[ "$size" = "40x30" ] || { echo "FAIL: copied back $size, expected 40x30"; exit 1; }
differing=$(compare -metric AE -alpha off "$work/in.png" "$work/out.png" null: 2>&1)
[ "$differing" = "0" ] || { echo "FAIL: $differing pixels differ after the round trip"; exit 1; }
echo "clipboard round trip: 40x30 image/png came back unchanged"
