#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks what a desktop needs:
# both programs, a desktop entry and a metainfo file that validate and
# agree with each other, the icon at each size (a PNG of that size) and as
# SVG, the copyright file, and manual pages that format without a warning.
#   check_install.sh BUILD_DIR APP_ID ICON_NAME SIZE...
set -u
BUILD=${1:?} APP_ID=${2:?} ICON=${3:?}
shift 3
for tool in desktop-file-validate appstreamcli groff; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (scripts/setup.sh installs it)"; exit 1; }
done
DIR=$(mktemp -d)
trap 'rm -rf "$DIR"' EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }

cmake --install "$BUILD" --prefix "$DIR" >"$DIR.log" 2>&1 || { cat "$DIR.log"; rm -f "$DIR.log"; echo "FAIL: cmake --install"; exit 1; }
rm -f "$DIR.log"

for program in tavlo tavlo-mixerctl; do
  [ -x "$DIR/bin/$program" ] || fail "bin/$program is missing"
done

DESKTOP=$DIR/share/applications/$APP_ID.desktop
METAINFO=$DIR/share/metainfo/$APP_ID.metainfo.xml
if [ -f "$DESKTOP" ]; then
  out=$(desktop-file-validate "$DESKTOP" 2>&1) && [ -z "$out" ] || fail "desktop-file-validate: $out"
  exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$DESKTOP")
  [ -x "$DIR/bin/$exec_name" ] || fail "the desktop entry starts \"$exec_name\", which is not installed"
  [ "$(sed -n 's/^Icon=//p' "$DESKTOP")" = "$ICON" ] || fail "the desktop entry names another icon"
  grep -qx 'Categories=AudioVideo;Audio;Mixer;' "$DESKTOP" || fail "the desktop entry's categories"
  grep -q '^Keywords=.*PulseAudio;PipeWire;' "$DESKTOP" || fail "the desktop entry's keywords name no sound server"
else
  fail "share/applications/$APP_ID.desktop is missing"
fi
if [ -f "$METAINFO" ]; then
  out=$(appstreamcli validate --no-net "$METAINFO" 2>&1) || fail "appstreamcli validate: $out"
  grep -q "<launchable type=\"desktop-id\">$APP_ID.desktop</launchable>" "$METAINFO" ||
    fail "the metainfo does not launch $APP_ID.desktop"
else
  fail "share/metainfo/$APP_ID.metainfo.xml is missing"
fi

grep -q '^Copyright: ' "$DIR/share/doc/tavlo/copyright" 2>/dev/null || fail "share/doc/tavlo/copyright is missing"

# A PNG's width and height are the big-endian words at bytes 16 and 20.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}'; }
declare -A seen=()
for size in "$@"; do
  png=$DIR/share/icons/hicolor/${size}x${size}/apps/$ICON.png
  if [ -f "$png" ]; then
    [ "$(png_size "$png")" = "${size}x$size" ] || fail "$png is $(png_size "$png"), not ${size}x$size"
    sum=$(md5sum <"$png")
    [ -z "${seen[$sum]:-}" ] || fail "the ${size}px icon is the same file as the ${seen[$sum]}px one"
    seen[$sum]=$size
  else
    fail "the ${size}px icon is missing"
  fi
done
svg=$DIR/share/icons/hicolor/scalable/apps/$ICON.svg
grep -q '<svg' "$svg" 2>/dev/null && grep -q 'viewBox=' "$svg" || fail "no scalable icon with a view box"

for page in tavlo tavlo-mixerctl; do
  man=$DIR/share/man/man1/$page.1.gz
  if [ -f "$man" ]; then
    out=$(gzip -dc "$man" | groff -man -Tutf8 -ww -z 2>&1) && [ -z "$out" ] || fail "$page.1: $out"
    gzip -dc "$man" | grep -q "^\.TH $(tr a-z A-Z <<<"$page" | sed 's/-/\\\\-/g') 1 " || fail "$page.1 has no title line"
  else
    fail "share/man/man1/$page.1.gz is missing"
  fi
done
[ $status -eq 0 ] && echo "PASS"
exit $status
