#!/usr/bin/env bash
# Sets up, builds and starts Tavlo. Without a sound server or a sound card
# it drives the built-in demo cards; without a display it says how to get one.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build -DTAVLO_BUILD_TESTS=OFF -DTAVLO_BUILD_BENCH=OFF
if [ -z "${TAVLO_MIXER:-}" ] && ! pactl info >/dev/null 2>&1 && ! ls /dev/snd/controlC* >/dev/null 2>&1; then
  echo "run-tavlo: no sound server or sound card found, using the demo cards (TAVLO_MIXER=demo)"
  export TAVLO_MIXER=demo
fi
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "run-tavlo: there is no display here. Start it on a desktop, or on a virtual one:" >&2
  echo "    TAVLO_MIXER=${TAVLO_MIXER:-pulse} xvfb-run -a -s '-screen 0 1280x800x24' build/tavlo" >&2
  exit 1
fi
exec build/tavlo
