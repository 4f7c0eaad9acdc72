#!/usr/bin/env bash
# Takes the README's picture: Tavlo on the demo cards under a private Xvfb
# with no tray, so both mixers show at once after the splash; the picture
# is cut to the two windows.
#   scripts/screenshot.sh [BUILD_DIR] [OUT.png]     (default: build, docs/screenshot.png)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
OUT=${2:-docs/screenshot.png}
for tool in Xvfb xdotool import convert; do
  command -v "$tool" >/dev/null || { echo "screenshot: $tool is missing (bash scripts/setup.sh)" >&2; exit 1; }
done
[ -x "$BUILD/tavlo" ] || { echo "screenshot: no $BUILD/tavlo; build it first" >&2; exit 1; }

WORK=$(mktemp -d)
PIDS=()
cleanup() {
  for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR=$WORK/runtime XDG_CONFIG_HOME=$WORK/config TAVLO_MIXER=demo
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM

exec 5>"$WORK/display"
Xvfb -displayfd 5 -noreset -screen 0 1280x800x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
PIDS+=($!)
for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -n1 "$WORK/display")

"$BUILD/tavlo" >"$WORK/tavlo.log" 2>&1 &
PIDS+=($!)
shown() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1; }
for _ in $(seq 150); do
  [ -n "$(shown '^Rekado by Varnel$')" ] && [ -z "$(shown '^Form3$')" ] && break
  sleep 0.1
done
PLAY=$(shown '^Tavlo by Varnel$')
REC=$(shown '^Rekado by Varnel$')
[ -n "$PLAY" ] && [ -n "$REC" ] || { echo "screenshot: the mixers did not show" >&2; cat "$WORK/tavlo.log" >&2; exit 1; }
sleep 1.5 # the roll animation and the first meter frames

# The box around both windows.
eval "$(xdotool getwindowgeometry --shell "$PLAY")"
L=$X T=$Y R=$((X + WIDTH)) B=$((Y + HEIGHT))
eval "$(xdotool getwindowgeometry --shell "$REC")"
L=$((X < L ? X : L)) T=$((Y < T ? Y : T))
R=$((X + WIDTH > R ? X + WIDTH : R)) B=$((Y + HEIGHT > B ? Y + HEIGHT : B))

mkdir -p "$(dirname "$OUT")"
import -window root "$WORK/screen.png"
# Few colours keep the file small.
convert "$WORK/screen.png" -crop "$((R - L))x$((B - T))+$L+$T" +repage -strip \
  -dither None -colors 128 -define png:compression-level=9 "$OUT"
echo "screenshot: $OUT ($((R - L))x$((B - T)), $(stat -c %s "$OUT") bytes)"
