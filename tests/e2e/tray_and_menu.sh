#!/usr/bin/env bash
# Tavlo on a desktop with a window manager (openbox) and a tray (trayer):
# after the splash the mixers wait in the tray; a click on the both-windows
# icon shows them; the magnet pulls the recording window along; the right
# click menu saves the configuration and quits.
. "$(dirname "$0")/lib.sh"
for tool in openbox trayer xwininfo; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
start_x
export TAVLO_MIXER=demo
openbox >"$WORK/openbox.log" 2>&1 &
PIDS+=($!)
trayer --edge top --align right --widthtype request --height 24 --SetDockType true >"$WORK/trayer.log" 2>&1 &
PIDS+=($!)
wait_for bash -c "xwininfo -root -tree | grep -q '\"panel\": (\"panel\" \"trayer\")'" || fail "no tray"

"$BUILD/tavlo" 2>"$WORK/tavlo.err" &
TAVLO=$!; PIDS+=($TAVLO)
shown() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
# Tavlo's icons in the tray, oldest first: the both-windows icon comes up first.
icons() { xwininfo -root -tree | awk '/"Tavlo": \("tavlo" "Tavlo"\)  22x22/ {print $1, $NF}' | sort; }
wait_for bash -c "[ \$(xwininfo -root -tree | grep -c '\"Tavlo\": (\"tavlo\" \"Tavlo\")  22x22') -eq 4 ]" ||
  fail "the four tray icons did not come: $(cat "$WORK/tavlo.err")"
wait_for bash -c "! xdotool search --onlyvisible --name '^Form3\$'" || fail "the splash did not go"
shown '^Tavlo by Varnel$' && fail "the playback window showed without a click"

read -r _ AT < <(icons | head -n1)
IFS=+ read -r _ X Y <<<"$AT"
xdotool mousemove $((X + 11)) $((Y + 11)) click 1
wait_for shown '^Tavlo by Varnel$' || fail "a click on the tray icon showed no playback window"
wait_for shown '^Rekado by Varnel$' || fail "a click on the tray icon showed no recording window"

# Drag the playback window by its title: the recording window follows.
PLAY=$(visible_window '^Tavlo by Varnel$') || fail "the playback window went"
REC=$(visible_window '^Rekado by Varnel$') || fail "the recording window went"
eval "$(xdotool getwindowgeometry --shell "$PLAY")"
xdotool mousemove $((X + 140)) $((Y + 8)) mousedown 1 mousemove $((X + 150)) $((Y + 18)) sleep 0.2 \
  mousemove $((X + 60)) $((Y - 60)) sleep 0.2 mouseup 1
sleep 0.8
eval "$(xdotool getwindowgeometry --shell "$PLAY")"; PX=$X; PY=$Y; PW=$WIDTH; PH=$HEIGHT
eval "$(xdotool getwindowgeometry --shell "$REC")"
[ "$Y" -eq $((PY + PH)) ] && [ "$X" -eq $((PX + (PW - WIDTH) / 2)) ] ||
  fail "the recording window did not follow: playback $PX,$PY ${PW}x$PH, recording $X,$Y ${WIDTH}x$HEIGHT"

# Right click on the title: the menu; its last items are Quit, save, OK.
xdotool mousemove $((PX + 140)) $((PY + 8)) click 3
sleep 0.5
xdotool key Up Up Return
wait_for shown '^Tavlo$' || fail "no message after saving"
wait_for test -s "$XDG_CONFIG_HOME/Tavlo by Varnel Prototyping/Tavlo.ini" || fail "the configuration was not saved"
xdotool key Return
wait_for bash -c "! xdotool search --onlyvisible --name '^Tavlo\$'" || fail "the message stayed"

# Quit, not saving: the program ends.
xdotool mousemove $((PX + 140)) $((PY + 8)) click 3
sleep 0.5
xdotool key Up Up Up Return
wait_for shown '^Tavlo$' || fail "no question at exit"
xdotool key Escape
wait_for gone $TAVLO || fail "Tavlo did not end"
wait $TAVLO || fail "Tavlo ended with an error: $(cat "$WORK/tavlo.err")"
echo "PASS"
