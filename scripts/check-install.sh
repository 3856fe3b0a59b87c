#!/usr/bin/env bash
# Installs a release build into a temporary prefix and makes its Debian
# package, then checks both: the file list, the desktop entry, the
# metainfo, the manual pages, the installed programs and the package's
# control fields. Takes seconds on a built tree:
#   scripts/check-install.sh [BUILD_DIR]      (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "check-install: $*" >&2; exit 1; }

icon_sizes=(16 24 32 48 64 128 256)
expected=(
  bin/tarnel
  bin/tarnel-batch
  share/applications/tarnel.desktop
  share/icons/hicolor/scalable/apps/tarnel.svg
  share/man/man1/tarnel-batch.1
  share/man/man1/tarnel.1
  share/metainfo/org.tarnel.tarnel.metainfo.xml
)
for size in "${icon_sizes[@]}"; do expected+=("share/icons/hicolor/${size}x${size}/apps/tarnel.png"); done
want=$(printf '%s\n' "${expected[@]}" | sort)

# 1. cmake --install
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
got=$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)
[ "$got" = "$want" ] || fail "installed files differ:"$'\n'"$(diff <(echo "$want") <(echo "$got"))"

desktop-file-validate "$prefix/share/applications/tarnel.desktop"
grep -q '^Categories=.*Graphics;.*RasterGraphics;' "$prefix/share/applications/tarnel.desktop" ||
  fail "desktop entry lacks the Graphics and RasterGraphics categories"
for type in image/png image/jpeg image/jp2 image/x-jp2-codestream image/bmp image/vnd.microsoft.icon; do
  grep -q "^MimeType=.*$type;" "$prefix/share/applications/tarnel.desktop" || fail "desktop entry lacks $type"
done
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/org.tarnel.tarnel.metainfo.xml" >/dev/null ||
  appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/org.tarnel.tarnel.metainfo.xml"
for size in "${icon_sizes[@]}"; do
  file "$prefix/share/icons/hicolor/${size}x${size}/apps/tarnel.png" | grep -q "PNG image data, $size x $size" ||
    fail "icon tarnel.png of ${size}x${size} has another size"
done

# The installed programs answer without a display; the manual pages hold
# their help texts.
version=$(sed -n 's/^project(Tarnel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ "$(env -u DISPLAY "$prefix/bin/tarnel" --version)" = "tarnel $version" ] || fail "tarnel --version"
[ "$("$prefix/bin/tarnel-batch" --version)" = "tarnel-batch $version" ] || fail "tarnel-batch --version"
for program in tarnel tarnel-batch; do
  "$prefix/bin/$program" --help >/dev/null
  page=$(MANWIDTH=200 man --warnings -l "$prefix/share/man/man1/$program.1" 2>"$work/man-warnings")
  [ ! -s "$work/man-warnings" ] || fail "$program.1: $(cat "$work/man-warnings")"
  grep -q "^EXIT STATUS" <<<"$page" || fail "$program.1 has no EXIT STATUS section"
done
rc=0; "$prefix/bin/tarnel-batch" >/dev/null 2>&1 || rc=$?
[ "$rc" = 2 ] || fail "tarnel-batch without arguments exits $rc, not 2"

# 2. The Debian package
deb=$(scripts/package.sh "$build" | tail -n 1)
listing=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\.\/usr\//, "", $6); print $6 }' | sort)
[ "$listing" = "$want" ] || fail "package files differ:"$'\n'"$(diff <(echo "$want") <(echo "$listing"))"
[ "$(dpkg-deb -f "$deb" Section)" = graphics ] || fail "package section is not graphics"
[ "$(dpkg-deb -f "$deb" Package)" = tarnel ] || fail "package name"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libpng16-16 libjpeg62-turbo libopenjp2-7 libstdc++6 qt6-qpa-plugins; do
  grep -q "$lib" <<<"$depends" || fail "package Depends lacks $lib: $depends"
done
[ "$(dpkg-deb -f "$deb" Description | wc -l)" -gt 3 ] || fail "package description has no long text"
echo "check-install: $(wc -l <<<"$want") files installed and packaged in $(basename "$deb")"
