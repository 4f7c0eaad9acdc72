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

# The sanitizer build starts at once, at the lowest priority: it takes the
# processor only where the normal build leaves it (its serial steps and its
# last files), and later where the normal build's tests do, which wait on
# servers and timers far more than they compute. A process group of its own
# (set -m), to be stopped with it on failure, but the same session: where
# the kernel shares the processor between sessions first (autogroup), a new
# one would take its equal share whatever its nice value, and a session of
# its own lowered as a whole would starve beside other work on the machine.
rm -rf build build-sanitize
set -m
nice -n 19 bash scripts/build.sh build-sanitize -DTAVLO_SANITIZE=ON -DTAVLO_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug \
  "-DCMAKE_CXX_FLAGS_DEBUG=-g1" >"$runtime/sanitize-build.log" 2>&1 &
sanitize_build=$!
set +m
trap '[ -z "$sanitize_build" ] || kill -- -"$sanitize_build" 2>/dev/null; rm -rf "$runtime"' EXIT

# Line tables are all that a backtrace or a sanitizer report reads here;
# full debug info costs about a fifth of the compile time.
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVLO_BUILD_BENCH=ON \
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG"
wait "$format" || { cat "$runtime/format.log" >&2; exit 1; }
cat "$runtime/format.log"

ctest --test-dir build --output-on-failure -j "$jobs"
status=0
wait "$sanitize_build" || status=$?
sanitize_build=
[ "$status" -eq 0 ] || { cat "$runtime/sanitize-build.log" >&2; exit 1; }
tail -n 1 "$runtime/sanitize-build.log"
LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize --output-on-failure -j "$jobs"
