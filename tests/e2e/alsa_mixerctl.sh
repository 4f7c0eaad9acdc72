#!/usr/bin/env bash
# tavlo-mixerctl on the ALSA test card, with amixer on the other side:
# our writes reach amixer, amixer's writes reach `watch`.
set -u
BUILD=${TAVLO_BUILD_DIR:?}
: "${ALSA_CONFIG_PATH:?}"
command -v amixer >/dev/null || { echo "SKIP: amixer is not installed"; exit 77; }
WORK=$(mktemp -d)
WATCH=
trap '[ -n "$WATCH" ] && kill -9 $WATCH 2>/dev/null; rm -rf "$WORK"' EXIT
export TAVLO_TEST_CARD_DIR=$WORK TAVLO_MIXER=alsa:tavlo_ac97
fail() { echo "FAIL: $*"; exit 1; }
CTL=$BUILD/tavlo-mixerctl

"$CTL" dump 0 >"$WORK/dump" || fail "dump failed"
grep -q '^device 0: "Tavlo Test AC97"' "$WORK/dump" || fail "no AC97 card: $(head -3 "$WORK/dump")"
grep -q 'DST_SPEAKERS' "$WORK/dump" && grep -q 'DST_WAVEIN' "$WORK/dump" || fail "destinations missing"
ID=$(grep -m1 'VOLUME "Master Volume"' "$WORK/dump" | sed 's/.*id \([0-9]*\) .*/\1/')
[ -n "$ID" ] || fail "no master volume"

# Our write, seen by amixer: the whole range and nothing in between.
"$CTL" set "$ID" 65535 0 || fail "set failed"
amixer -D tavlo_ac97 sget Master >"$WORK/amixer" || fail "amixer failed"
grep -q 'Front Left: Playback [0-9]* \[100%\]' "$WORK/amixer" || fail "amixer does not see the left level: $(cat "$WORK/amixer")"
grep -q 'Front Right: Playback 0 \[0%\]' "$WORK/amixer" || fail "amixer does not see the right level"

# amixer's write, seen by watch as a notification and by get.
"$CTL" watch >"$WORK/watch" &
WATCH=$!
for _ in $(seq 100); do grep -q watching "$WORK/watch" && break; sleep 0.1; done
amixer -q -D tavlo_ac97 sset Master 0% || fail "amixer sset failed"
for _ in $(seq 100); do grep -q "control-change id $ID VOLUME \"Master Volume\" = 0 0" "$WORK/watch" && break; sleep 0.1; done
grep -q "control-change id $ID VOLUME \"Master Volume\" = 0 0" "$WORK/watch" || fail "watch missed amixer's change: $(cat "$WORK/watch")"
[ "$("$CTL" get "$ID")" = "0 0" ] || fail "get does not show amixer's change"
echo "PASS"
