#!/usr/bin/env bash
# Mixing on the ALSA test card: a change made with amixer moves the master
# fader of the window, and dragging that fader with the mouse sets the
# card's master volume as amixer sees it.
. "$(dirname "$0")/lib.sh"
: "${ALSA_CONFIG_PATH:?}"
command -v amixer >/dev/null || { echo "SKIP: amixer is not installed"; exit 77; }
export TAVLO_TEST_CARD_DIR=$WORK TAVLO_MIXER=alsa:tavlo_ac97
start_x
master() { amixer -D tavlo_ac97 sget Master; }

"$BUILD/tavlo" 2>"$WORK/tavlo.err" &
PIDS+=($!)
wait_for xdotool search --onlyvisible --name '^Tavlo by Varnel$' || fail "the playback window did not appear"
WIN=$(xdotool search --onlyvisible --name '^Tavlo by Varnel$' | head -n1)
eval "$(xdotool getwindowgeometry --shell "$WIN")"

# From outside: the master goes to 0, and the window's fader to the bottom.
amixer -q -D tavlo_ac97 sset Master 0% || fail "amixer sset failed"
sleep 1
# The master strip stands after the tone panel at x 81, its cursor in the
# track box at (26, 60); at the bottom its top is 50. Drag it to the top.
CX=$((X + 81 + 26 + 9)); CY=$((Y + 16 + 60 + 50 + 6))
xdotool mousemove $CX $CY mousedown 1
for dy in 10 20 30 40 50 60; do xdotool mousemove $CX $((CY - dy)); sleep 0.05; done
xdotool mouseup 1
wait_for bash -c "amixer -D tavlo_ac97 sget Master | grep -q 'Front Right: Playback [0-9]* \[100%\]'" ||
  fail "the drag did not reach the card: $(master)"
master | grep -q 'Front Left: Playback [0-9]* \[100%\]' || fail "left channel: $(master)"

# And back down to nothing.
CY=$((Y + 16 + 60 + 0 + 6))
xdotool mousemove $CX $CY mousedown 1
for dy in 10 20 30 40 50 60; do xdotool mousemove $CX $((CY + dy)); sleep 0.05; done
xdotool mouseup 1
wait_for bash -c "amixer -D tavlo_ac97 sget Master | grep -q 'Front Left: Playback 0 \[0%\]'" ||
  fail "the second drag did not reach the card: $(master)"
echo "PASS"
