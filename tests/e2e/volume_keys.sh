#!/usr/bin/env bash
# The master from outside the mixer windows, for real under a tray host
# (trayer) with every window hidden: the volume keys step it by five
# read-outs and toggle its mute, with NumLock on too; the wheel on the
# speaker's tray icon steps it; the on-screen level shows by the icon and
# goes by itself, and stays away while a mixer window shows. A second copy
# on the same display (its own session folder) finds the keys held and
# leaves them, saying so once. On a StatusNotifier host (a private session
# bus with a watcher) the host's scroll on the speaker's item steps it too.
. "$(dirname "$0")/lib.sh"
for tool in trayer xwininfo dbus-daemon dbus-send; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
start_x
export TAVLO_MIXER=demo
CTL=$BUILD/tavlo-mixerctl
trayer --edge top --align right --widthtype request --height 24 --SetDockType true >"$WORK/trayer.log" 2>&1 &
PIDS+=($!)
wait_for bash -c "xwininfo -root -tree | grep -q '\"panel\": (\"panel\" \"trayer\")'" || fail "no tray"

"$CTL" dump 0 >"$WORK/dump" || fail "dump failed"
VOL=$(grep -m1 'VOLUME "Master Volume"' "$WORK/dump" | sed 's/.*id \([0-9]*\) .*/\1/')
MUTE=$(grep -m1 'MUTE "Master Mute"' "$WORK/dump" | sed 's/.*id \([0-9]*\) .*/\1/')
[ -n "$VOL" ] && [ -n "$MUTE" ] || fail "no master volume or mute on the demo card"
is() { [ "$("$CTL" get "$1")" = "$2" ]; }
level() { xdotool search --onlyvisible --name '^Tavlo level$' >/dev/null 2>&1; }
said() { grep -c "on-screen level: $1\$" "$WORK/tavlo.err"; }

QT_LOGGING_RULES='tavlo.keys.debug=true' "$BUILD/tavlo" 2>"$WORK/tavlo.err" &
TAVLO=$!; PIDS+=($TAVLO)
icons() { xwininfo -root -tree | awk '/"Tavlo": \("tavlo" "Tavlo"\)  22x22/ {print $1, $NF}' | sort; }
wait_for bash -c "[ \$(xwininfo -root -tree | grep -c '\"Tavlo\": (\"tavlo\" \"Tavlo\")  22x22') -eq 4 ]" ||
  fail "the four tray icons did not come: $(cat "$WORK/tavlo.err")"
wait_for bash -c "! xdotool search --onlyvisible --name '^Form3\$'" || fail "the splash did not go"
grep -q 'taken: XF86AudioRaiseVolume, XF86AudioLowerVolume, XF86AudioMute' "$WORK/tavlo.err" ||
  fail "the keys were not taken: $(cat "$WORK/tavlo.err")"
# The start-up's read writes the master back at read-out resolution (70).
wait_for is "$VOL" "45850 45850" || fail "start value: $("$CTL" get "$VOL")"

xdotool key XF86AudioRaiseVolume
wait_for is "$VOL" "49125 49125" || fail "the raise key set $("$CTL" get "$VOL")"
wait_for level || fail "no on-screen level after the raise key"
[ "$(said 'Volume Control: 75')" -eq 1 ] || fail "the level said: $(grep 'on-screen' "$WORK/tavlo.err")"
# It sits by the speaker icon, below it (the tray is at the top).
read -r _ SPEAKER < <(icons | sed -n 2p)
IFS=+ read -r _ SX SY <<<"$SPEAKER"
eval "$(xdotool getwindowgeometry --shell "$(xdotool search --onlyvisible --name '^Tavlo level$' | head -n1)")"
[ "$Y" -ge $((SY + 22)) ] && [ "$Y" -le $((SY + 60)) ] && [ "$X" -le $((SX + 22)) ] && [ $((X + WIDTH)) -ge "$SX" ] ||
  fail "the level is at $X,$Y ${WIDTH}x$HEIGHT, the speaker icon at $SX,$SY"
sleep 0.3
level || fail "the level went before its time"
wait_for bash -c "! xdotool search --onlyvisible --name '^Tavlo level\$'" || fail "the level stayed"

xdotool key XF86AudioLowerVolume XF86AudioLowerVolume
wait_for is "$VOL" "42575 42575" || fail "two lower keys set $("$CTL" get "$VOL")"
xdotool key XF86AudioMute
wait_for is "$MUTE" "1" || fail "the mute key did not mute"
wait_for grep -q 'on-screen level: Volume Control: muted$' "$WORK/tavlo.err" || fail "the level did not say muted"
# With NumLock on, a grab without it would let the keys pass.
xdotool key Num_Lock XF86AudioMute Num_Lock
wait_for is "$MUTE" "0" || fail "the mute key with NumLock on did not unmute"
grep -q 'XF86AudioMute pressed, modifiers 0x10$' "$WORK/tavlo.err" || fail "NumLock was not on: $(grep pressed "$WORK/tavlo.err")"
is "$VOL" "42575 42575" || fail "the mute key moved the level"

# The wheel on the speaker's tray icon: up raises, down lowers.
xdotool mousemove $((SX + 11)) $((SY + 11)) click 4 click 4
wait_for is "$VOL" "49125 49125" || fail "two notches up set $("$CTL" get "$VOL")"
xdotool click 5
wait_for is "$VOL" "45850 45850" || fail "a notch down set $("$CTL" get "$VOL")"
wait_for grep -q 'on-screen level: Volume Control: 70$' "$WORK/tavlo.err" || fail "no level after the wheel"

# A mixer window in sight shows the change itself: no level.
read -r _ BOTH < <(icons | head -n1)
IFS=+ read -r _ BX BY <<<"$BOTH"
xdotool mousemove $((BX + 11)) $((BY + 11)) click 1
wait_for xdotool search --onlyvisible --name '^Tavlo by Varnel$' || fail "the mixers did not show"
wait_for bash -c "! xdotool search --onlyvisible --name '^Tavlo level\$'" || fail "the level stayed"
before=$(grep -c 'on-screen level' "$WORK/tavlo.err")
xdotool key XF86AudioRaiseVolume
wait_for is "$VOL" "49125 49125" || fail "the raise key with the mixers shown set $("$CTL" get "$VOL")"
sleep 0.3
level && fail "the level showed over the mixers"
[ "$(grep -c 'on-screen level' "$WORK/tavlo.err")" -eq "$before" ] || fail "a level was shown with the mixers up"

# A second copy on its own session folder (its own guard and demo card):
# the keys are held, it leaves them and says so once; they stay the first's.
SECOND_RUN=$WORK/second; mkdir -m 700 "$SECOND_RUN"
XDG_RUNTIME_DIR=$SECOND_RUN XDG_CONFIG_HOME=$WORK/second-config "$BUILD/tavlo" 2>"$WORK/second.err" &
PIDS+=($!)
wait_for grep -q 'another program holds' "$WORK/second.err" || fail "the second copy did not say the keys are held: $(cat "$WORK/second.err")"
[ "$(grep -c 'another program holds' "$WORK/second.err")" -eq 1 ] || fail "said more than once"
grep -q 'XF86AudioRaiseVolume, XF86AudioLowerVolume, XF86AudioMute' "$WORK/second.err" || fail "not all keys named"
XDG_RUNTIME_DIR=$SECOND_RUN wait_for is "$VOL" "45850 45850" || fail "the second copy's card: $(XDG_RUNTIME_DIR=$SECOND_RUN "$CTL" get "$VOL")"
xdotool key XF86AudioLowerVolume
wait_for is "$VOL" "45850 45850" || fail "the first copy lost the key: $("$CTL" get "$VOL")"
sleep 0.3
XDG_RUNTIME_DIR=$SECOND_RUN is "$VOL" "45850 45850" || fail "the second copy took a key"

# On a StatusNotifier host (a watcher with a host on a session bus, as
# KDE's panel has it) a third copy on a card of its own: Qt's items come
# for three icons, the speaker is an item of its own, and the host's scroll
# steps the master as the wheel does.
dbus-daemon --session --nofork --print-address=1 >"$WORK/bus.address" 2>"$WORK/bus.err" &
PIDS+=($!)
wait_for test -s "$WORK/bus.address" || fail "no session bus: $(cat "$WORK/bus.err")"
DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$WORK/bus.address")
export DBUS_SESSION_BUS_ADDRESS
"$BUILD/tests/e2e_sni_watcher" >"$WORK/items" 2>"$WORK/watcher.err" &
PIDS+=($!)
wait_for dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.GetNameOwner \
  string:org.kde.StatusNotifierWatcher || fail "no watcher: $(cat "$WORK/watcher.err")"
THIRD_RUN=$WORK/third; mkdir -m 700 "$THIRD_RUN"
XDG_RUNTIME_DIR=$THIRD_RUN XDG_CONFIG_HOME=$WORK/third-config "$BUILD/tavlo" 2>"$WORK/third.err" &
THIRD=$!; PIDS+=($THIRD)
wait_for bash -c "[ \$(wc -l <'$WORK/items') -eq 4 ]" || fail "items registered: $(cat "$WORK/items")"
ITEM=$(grep -- "-$THIRD-tavlo" "$WORK/items") || fail "the speaker is no item of its own: $(cat "$WORK/items")"
third_is() { [ "$(XDG_RUNTIME_DIR=$THIRD_RUN "$CTL" get "$VOL")" = "$1" ]; }
scroll() { dbus-send --session --print-reply --dest="$ITEM" /StatusNotifierItem org.kde.StatusNotifierItem.Scroll "int32:$1" string:Vertical; }
wait_for third_is "45850 45850" || fail "the third copy's start value: $(XDG_RUNTIME_DIR=$THIRD_RUN "$CTL" get "$VOL")"
scroll 240 >/dev/null || fail "Scroll refused"
wait_for third_is "52400 52400" || fail "two notches up over D-Bus set $(XDG_RUNTIME_DIR=$THIRD_RUN "$CTL" get "$VOL")"
scroll -120 >/dev/null
wait_for third_is "49125 49125" || fail "a notch down over D-Bus set $(XDG_RUNTIME_DIR=$THIRD_RUN "$CTL" get "$VOL")"
is "$VOL" "45850 45850" || fail "the first copy's master moved"
[ "$(wc -l <"$WORK/items")" -eq 4 ] || fail "items registered: $(cat "$WORK/items")"
gone $THIRD && fail "the third copy ended"
gone $TAVLO && fail "Tavlo ended"
echo "PASS"
