#!/usr/bin/env bash
# Sets up, builds from a clean build folder and runs every test: the
# normal build, then the tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer. A compiler cache is used when installed
# (CCACHE_DISABLE=1 for a cold build).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR=$runtime QT_QPA_PLATFORM=offscreen
# The tests mostly wait on servers, timers and X: twice as many as there
# are processors run side by side (the long ones first, by their COST).
jobs=$((2 * $(nproc)))

# The format check runs beside the first build.
bash scripts/check-format.sh >"$runtime/format.log" 2>&1 &
format=$!

# Line tables are all that a backtrace or a sanitizer report reads here;
# full debug info costs about a fifth of the compile time.
rm -rf build
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVLO_BUILD_BENCH=ON \
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG"
wait "$format" || { cat "$runtime/format.log" >&2; exit 1; }
cat "$runtime/format.log"

# The sanitizer build runs beside the normal build's tests, at the lowest
# priority: the tests wait on servers and timers far more than they compute,
# and get the processor whenever they want it.
rm -rf build-sanitize
setsid nice -n 19 bash scripts/build.sh build-sanitize -DTAVLO_SANITIZE=ON -DTAVLO_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug \
  "-DCMAKE_CXX_FLAGS_DEBUG=-g1" >"$runtime/sanitize-build.log" 2>&1 &
sanitize_build=$!
ctest --test-dir build --output-on-failure -j "$jobs" || { kill -- -"$sanitize_build" 2>/dev/null; exit 1; }
wait "$sanitize_build" || { cat "$runtime/sanitize-build.log" >&2; exit 1; }
tail -n 1 "$runtime/sanitize-build.log"
LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize --output-on-failure -j "$jobs"
