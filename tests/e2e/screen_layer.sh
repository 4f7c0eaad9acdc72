#!/usr/bin/env bash
# The screen layer: sessions of the program on a real X server with a tray
# host, with or without a window manager, on a private sound server; after
# every step what the X server shows is compared with a fresh drawing (see
# screen_session.cpp).
#   screen_layer.sh [openbox|bare] [pulseaudio|pipewire] [TEST FUNCTIONS...]
# TAVLO_SCREEN_SEED / TAVLO_SCREEN_STEPS set the random session.
. "$(dirname "$0")/lib.sh"
WM=${1:-openbox}
SERVER=${2:-pulseaudio}
shift 2 || shift $#
for tool in trayer xdotool; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
[ "$WM" = bare ] || command -v "$WM" >/dev/null || { echo "SKIP: $WM is not installed"; exit 77; }
start_x
if [ "$WM" != bare ]; then
  "$WM" >"$WORK/wm.log" 2>&1 &
  PIDS+=($!)
fi
trayer --edge top --align right --widthtype request --height 24 --SetDockType true >"$WORK/trayer.log" 2>&1 &
PIDS+=($!)
wait_for bash -c "xwininfo -root -tree | grep -q '\"panel\": (\"panel\" \"trayer\")'" || fail "no tray"
export QT_QPA_PLATFORM=xcb TAVLO_SCREEN_SERVER=$SERVER
export TAVLO_SCREEN_ARTIFACTS=${TAVLO_SCREEN_ARTIFACTS:-$BUILD/tests/screen-artifacts/$WM-$SERVER}
rm -rf "$TAVLO_SCREEN_ARTIFACTS"
"$BUILD/tests/e2e_screen_session" "$@" 2>&1 | tee "$WORK/session.log"
status=${PIPESTATUS[0]}
# Nothing to run here (no such sound server installed): skipped, not passed.
grep -q "^SKIP   : ScreenSession::initTestCase" "$WORK/session.log" && exit 77
exit "$status"
