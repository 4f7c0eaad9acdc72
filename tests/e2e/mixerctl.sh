#!/usr/bin/env bash
# tavlo-mixerctl on the demo cards: dump, set then get, watch, errors.
set -u
BUILD=${TAVLO_BUILD_DIR:?}
WORK=$(mktemp -d); trap 'kill -9 $WATCH 2>/dev/null; rm -rf "$WORK"' EXIT
export XDG_RUNTIME_DIR=$WORK TAVLO_MIXER=demo
fail() { echo "FAIL: $*"; exit 1; }
CTL=$BUILD/tavlo-mixerctl
# A refusal ends with status 1 (or 2 for an unusable back end); anything
# else, a crash or a sanitizer's abort, is no refusal.
refused() { "$@"; local rc=$?; [ $rc -eq 1 ] || [ $rc -eq 2 ]; }

"$CTL" dump 0 >"$WORK/dump" || fail "dump failed"
grep -q '^device 0: "Tavlo Demo Card"' "$WORK/dump" || fail "no device line"
grep -q 'DST_SPEAKERS' "$WORK/dump" && grep -q 'DST_WAVEIN' "$WORK/dump" || fail "destinations missing"
grep -q 'MUX "Recording Source" \[uniform|multiple\] items \["Microphone", "Line in", "CD audio", "Stereo mix"\]' "$WORK/dump" || fail "source list missing"
ID=$(grep -m1 'VOLUME "Master Volume"' "$WORK/dump" | sed 's/.*id \([0-9]*\) .*/\1/')
[ -n "$ID" ] || fail "no master volume"

"$CTL" watch >"$WORK/watch" &
WATCH=$!
for _ in $(seq 100); do grep -q watching "$WORK/watch" && break; sleep 0.1; done
"$CTL" set "$ID" 12345 23456 || fail "set failed"
[ "$("$CTL" get "$ID")" = "12345 23456" ] || fail "get does not show the new value"
"$CTL" set "$ID" 777 || fail "set of one value failed"
[ "$("$CTL" get "$ID")" = "777 777" ] || fail "one value did not set both channels"
for _ in $(seq 100); do grep -q "control-change id $ID VOLUME \"Master Volume\" = 777 777" "$WORK/watch" && break; sleep 0.1; done
grep -q "control-change id $ID VOLUME \"Master Volume\" = 12345 23456" "$WORK/watch" || fail "watch missed a change: $(cat "$WORK/watch")"
grep -q "= 777 777" "$WORK/watch" || fail "watch missed the second change"

# Answered without a back end (a sound server that does not answer is never asked).
TAVLO_MIXER=nonsense "$CTL" --help >"$WORK/help" || fail "--help failed"
grep -q 'usage: tavlo-mixerctl' "$WORK/help" && grep -q TAVLO_MIXER "$WORK/help" || fail "--help said: $(cat "$WORK/help")"
TAVLO_MIXER=nonsense "$CTL" --version >"$WORK/version" || fail "--version failed"
grep -qE '^tavlo-mixerctl [0-9]+\.[0-9]+\.[0-9]+$' "$WORK/version" || fail "--version said: $(cat "$WORK/version")"
"$CTL" --frobnicate 2>"$WORK/err"; [ $? -eq 2 ] || fail "an unknown option did not end with 2"
grep -q -- '--frobnicate' "$WORK/err" || fail "an unknown option is not named"

refused "$CTL" get 99999 2>"$WORK/err" || fail "unknown control not refused"
[ "$(wc -l <"$WORK/err")" -eq 1 ] || fail "error is not one line"
refused "$CTL" set "$ID" 1 2 3 2>/dev/null || fail "wrong value count not refused"
refused "$CTL" frobnicate 2>/dev/null || fail "unknown command not refused"
TAVLO_MIXER=nonsense refused "$CTL" list 2>"$WORK/err" || fail "unknown back end not refused"
grep -q 'TAVLO_MIXER' "$WORK/err" || fail "back end error does not say what to set"
echo "PASS"
