#!/usr/bin/env bash
# Mixing for real: after the splash both mixer windows show the demo card;
# dragging the master fader with the mouse sets the card's master volume,
# as another program (tavlo-mixerctl) sees it, and a change made by that
# program shows in the window.
. "$(dirname "$0")/lib.sh"
start_x
export TAVLO_MIXER=demo
CTL=$BUILD/tavlo-mixerctl
ID=$("$CTL" dump 0 | grep -m1 'VOLUME "Master Volume"' | sed 's/.*id \([0-9]*\) .*/\1/')
[ -n "$ID" ] || fail "no master volume on the demo card"
[ "$("$CTL" get "$ID")" = "46000 46000" ] || fail "unexpected start value: $("$CTL" get "$ID")"

"$BUILD/tavlo" 2>"$WORK/tavlo.err" &
PIDS+=($!)
wait_for xdotool search --onlyvisible --name '^Tavlo by Varnel$' || fail "the playback window did not appear"
wait_for xdotool search --onlyvisible --name '^Rekado by Varnel$' || fail "the recording window did not appear"
WIN=$(xdotool search --onlyvisible --name '^Tavlo by Varnel$' | head -n1)
eval "$(xdotool getwindowgeometry --shell "$WIN")"
# The start-up refresh writes the level back at the read-out's resolution.
wait_for bash -c "[ \"\$('$CTL' get $ID)\" = '45850 45850' ]" || fail "start-up refresh: $("$CTL" get "$ID")"

# The master strip stands after the tone panel at x 81; its cursor sits in
# the track box at (17 + 9, 60) and level 45850 (read-out 70) puts it 15
# pixels down. Press in its middle and drag it 15 pixels further down.
CX=$((X + 81 + 26 + 9)); CY=$((Y + 16 + 60 + 15 + 6))
xdotool mousemove $CX $CY
xdotool mousedown 1
for dy in 3 6 9 12 15; do xdotool mousemove $CX $((CY + dy)); sleep 0.05; done
xdotool mouseup 1
# Top 30 gives read-out 99 - 60 = 39, level 39 * 655.
wait_for bash -c "[ \"\$('$CTL' get $ID)\" = '25545 25545' ]" || fail "the drag set $("$CTL" get "$ID")"

# A change from outside moves the window's fader: 6550 is read-out 10.
"$CTL" set "$ID" 6550 6550 || fail "set failed"
# The refresh moved the cursor: dragging from its new place (top 45) to the top sets the maximum.
CY=$((Y + 16 + 60 + 45 + 6))
xdotool mousemove $CX $CY mousedown 1
for dy in 10 20 30 40 50 60; do xdotool mousemove $CX $((CY - dy)); sleep 0.05; done
xdotool mouseup 1
wait_for bash -c "[ \"\$('$CTL' get $ID)\" = '65535 65535' ]" || fail "the second drag set $("$CTL" get "$ID")"
echo "PASS"
