#!/usr/bin/env bash
# Starting Tavlo for real: the splash, the refused second copy, a restart
# after the first copy was killed, the clean refusals, and several copies
# started at the same instant, of which exactly one runs. First, the
# command line, answered without a display.
. "$(dirname "$0")/lib.sh"
nodisplay() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; }
nodisplay "$BUILD/tavlo" --help >"$WORK/help" 2>&1 || fail "--help ended with $?: $(cat "$WORK/help")"
for word in TAVLO_MIXER tavlo.keys tavlo.refresh tavlo.cards --version; do
  grep -qF -- "$word" "$WORK/help" || fail "--help does not name $word"
done
nodisplay "$BUILD/tavlo" --version >"$WORK/version" 2>&1 || fail "--version ended with $?"
grep -qE '^tavlo [0-9]+\.[0-9]+\.[0-9]+$' "$WORK/version" || fail "--version said: $(cat "$WORK/version")"
nodisplay "$BUILD/tavlo" --frobnicate 2>"$WORK/unknown.err"; rc=$?
[ $rc -eq 2 ] && grep -q -- '--frobnicate' "$WORK/unknown.err" || fail "an unknown option ended with $rc: $(cat "$WORK/unknown.err")"
nodisplay "$BUILD/tavlo" -style 2>/dev/null; [ $? -eq 2 ] || fail "a Qt option without its value was taken"
nodisplay "$BUILD/tavlo" -style fusion 2>"$WORK/nodisplay.err"; rc=$?
[ $rc -eq 1 ] && grep -q 'no display' "$WORK/nodisplay.err" || fail "a Qt option was refused ($rc)"
start_x
export TAVLO_MIXER=demo

"$BUILD/tavlo" 2>"$WORK/first.err" &
FIRST=$!; PIDS+=($FIRST)
wait_for window_named '^Form3$' || fail "the splash did not appear"

"$BUILD/tavlo" 2>"$WORK/second.err" &
SECOND=$!; PIDS+=($SECOND)
wait_for xdotool search --onlyvisible --name '^Tavlo$' || fail "the second copy showed no message"
# Press its OK button, bottom right, as a user would.
BOX=$(xdotool search --onlyvisible --name '^Tavlo$' | head -n1)
# The first copy's mixers show when its splash ends and may cover the box.
xdotool windowraise "$BOX"
eval "$(xdotool getwindowgeometry --shell "$BOX")"
xdotool mousemove $((X + WIDTH - 45)) $((Y + HEIGHT - 25)) click 1
wait_for gone $SECOND || fail "the second copy did not end"
wait $SECOND; [ $? -eq 0 ] || fail "the second copy failed: $(head -c 3000 "$WORK/second.err")"
gone $FIRST && fail "the first copy ended"

kill -9 $FIRST; wait $FIRST 2>/dev/null
# The refreshes are counted through their log lines, as a user would.
QT_LOGGING_RULES='tavlo.refresh.debug=true' "$BUILD/tavlo" 2>"$WORK/third.err" &
THIRD=$!; PIDS+=($THIRD)
wait_for window_named '^Form3$' || fail "no start after the first copy was killed: $(head -c 3000 "$WORK/third.err")"
sleep 1
gone $THIRD && fail "the restarted copy ended: $(cat "$WORK/third.err")"
refreshes() { grep -c '^tavlo.refresh: ' "$WORK/third.err"; }
# Start-up reads the card once; the echoes of its own writes refresh nothing.
[ "$(refreshes)" -eq 1 ] || fail "start-up refreshed $(refreshes) times: $(cat "$WORK/third.err")"
# Another program's change: exactly one more.
"$BUILD/tavlo-mixerctl" set 18 13100 13100 || fail "tavlo-mixerctl set failed"
wait_for bash -c "[ \$(grep -c '^tavlo.refresh: ' '$WORK/third.err') -ge 2 ]" || fail "the outside change was not shown"
sleep 0.5
[ "$(refreshes)" -eq 2 ] || fail "one outside change refreshed $(($(refreshes) - 1)) times"
# The splash phase ends after three seconds.
wait_for bash -c "! xdotool search --onlyvisible --name '^Form3\$'" || fail "the splash did not go"
# Window titles are the captions, with nothing appended.
PLAY=$(xdotool search --onlyvisible --name '^Tavlo by Varnel$' | head -n1)
[ -n "$PLAY" ] || fail "no playback window titled exactly \"Tavlo by Varnel\""
xprop -id "$PLAY" _NET_WM_NAME | grep -qx '_NET_WM_NAME(UTF8_STRING) = "Tavlo by Varnel"' ||
  fail "_NET_WM_NAME: $(xprop -id "$PLAY" _NET_WM_NAME)"
kill $THIRD; wait $THIRD 2>/dev/null

# A card description that does not load stops the program before any window.
printf '{"devices": [ {"name": "X", "destinations": 3} ]}' >"$WORK/bad.json"
TAVLO_MIXER=sim:$WORK/bad.json "$BUILD/tavlo" 2>"$WORK/bad.err" && fail "a bad description was accepted"
grep -q "bad.json: devices\[0\].destinations: expected an array" "$WORK/bad.err" || fail "unclear error: $(cat "$WORK/bad.err")"
[ "$(wc -l <"$WORK/bad.err")" -eq 1 ] || fail "more than one line of error"

# Without a display it says how to get one.
env -u DISPLAY -u WAYLAND_DISPLAY "$BUILD/tavlo" 2>"$WORK/nodisplay.err" && fail "ran without a display"
grep -q "xvfb-run" "$WORK/nodisplay.err" || fail "no hint without a display"

# Several copies started at the same instant: each waits on a named pipe
# that this script holds open for writing; closing it ends every wait at
# once. Exactly one copy takes the guard and runs; every other one says so
# and ends when its box is answered.
COPIES=5
mkfifo "$WORK/go"
exec 6<>"$WORK/go"
STARTED=()
for i in $(seq $COPIES); do
  bash -c 'read -r _; exec "$1"' _ "$BUILD/tavlo" <"$WORK/go" 2>"$WORK/copy$i.err" 6>&- &
  STARTED+=($!); PIDS+=($!)
done
waiting() { local p; for p in "${STARTED[@]}"; do grep -q '^State:.*S' "/proc/$p/status" || return 1; [ "$(readlink "/proc/$p/fd/0")" = "$WORK/go" ] || return 1; done; }
wait_for waiting || fail "the copies did not all wait"
sleep 0.2
exec 6>&-
rm "$WORK/go"
boxes() { xdotool search --onlyvisible --name '^Tavlo$' 2>/dev/null | wc -l; }
wait_for bash -c "[ \$(xdotool search --onlyvisible --name '^Tavlo\$' 2>/dev/null | wc -l) -ge $((COPIES - 1)) ]" ||
  fail "$((COPIES - 1)) copies should have been refused, $(boxes) said so"
wait_for xdotool search --onlyvisible --name '^Tavlo by Varnel$' || fail "no copy showed its mixers"
sleep 1
[ "$(boxes)" -eq $((COPIES - 1)) ] || fail "$(boxes) refusals for $COPIES copies"
[ "$(xdotool search --name '^Tavlo by Varnel$' | wc -l)" -eq 1 ] ||
  fail "more than one playback window: $(xdotool search --name 'Tavlo by Varnel' | wc -l)"
# Answer every refusal; those copies end, cleanly.
for BOX in $(xdotool search --onlyvisible --name '^Tavlo$'); do
  xdotool windowraise "$BOX"
  eval "$(xdotool getwindowgeometry --shell "$BOX")"
  xdotool mousemove $((X + WIDTH - 45)) $((Y + HEIGHT - 25)) click 1
  wait_for bash -c "! xdotool search --onlyvisible --name '^Tavlo\$' | grep -qx $BOX" || fail "a refusal was not closed"
done
alive() { local p; for p in "${STARTED[@]}"; do gone "$p" || echo "$p"; done; }
one_left() { [ "$(alive | wc -l)" -eq 1 ]; }
wait_for one_left || fail "$(alive | wc -l) copies still run"
sleep 1
one_left || fail "$(alive | wc -l) copies run a second later"
RUNNING=("$(alive)")
for p in "${STARTED[@]}"; do
  [ "$p" = "${RUNNING[0]}" ] && continue
  wait "$p"; rc=$?
  [ $rc -eq 0 ] || fail "a refused copy ended with $rc: $(cat "$WORK"/copy*.err | head -c 3000)"
done
xdotool search --pid "${RUNNING[0]}" --name '^Tavlo by Varnel$' >/dev/null || fail "the copy left running has no mixers"
echo "PASS"
