#!/usr/bin/env bash
# A longer run of the screen layer than CI's: random sessions from new
# seeds, under openbox and without a window manager, on PulseAudio and
# PipeWire, until one fails or the rounds are done. Not run by CTest.
#   TAVLO_BUILD_DIR=build tests/e2e/screen_soak.sh [ROUNDS] [STEPS]
# A failure prints its seed: TAVLO_SCREEN_SEED=N TAVLO_SCREEN_STEPS=M
# tests/e2e/screen_layer.sh WM SERVER randomSession plays it again.
set -u
here=$(dirname "$0")
rounds=${1:-10}
steps=${2:-60}
export TAVLO_BUILD_DIR=${TAVLO_BUILD_DIR:-build}
for round in $(seq "$rounds"); do
  for setup in "openbox pulseaudio" "bare pulseaudio" "openbox pipewire" "bare pipewire"; do
    seed=$(( (RANDOM << 15) | RANDOM ))
    echo "round $round, $setup: seed $seed, $steps steps"
    if ! TAVLO_SCREEN_SEED=$seed TAVLO_SCREEN_STEPS=$steps bash "$here/screen_layer.sh" $setup randomSession >/tmp/tavlo-soak.log 2>&1; then
      tail -n 30 /tmp/tavlo-soak.log
      echo "FAIL: round $round, $setup, seed $seed"
      exit 1
    fi
  done
done
echo "PASS: $rounds rounds of $steps steps"
