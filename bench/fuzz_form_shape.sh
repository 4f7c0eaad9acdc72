#!/usr/bin/env bash
# Runs the window-shape stream parser under libFuzzer for a bounded time
# (default 60 s): bench/fuzz_form_shape.sh [SECONDS]. Builds with clang in
# build-fuzz (installs clang and its runtime with apt-get when missing). A
# crash leaves its input in build-fuzz/crashes/; make it a row of the
# parser's table test.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_TO_RUN=${1:-60}
need=()
command -v clang++ >/dev/null || need+=(clang)
dpkg-query -W -f='${Status}' libclang-rt-14-dev 2>/dev/null | grep -q "install ok installed" || need+=(libclang-rt-14-dev)
if [ ${#need[@]} -gt 0 ]; then
  SUDO=(); [ "$(id -u)" -ne 0 ] && SUDO=(sudo)
  "${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}"
fi
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVLO_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --target fuzz_form_shape
mkdir -p build-fuzz/corpus build-fuzz/crashes
build-fuzz/tests/fuzz_form_shape -max_total_time="$SECONDS_TO_RUN" -max_len=16384 \
  -artifact_prefix=build-fuzz/crashes/ build-fuzz/corpus
