#!/usr/bin/env bash
# Sets up, builds from a clean build folder and runs every test: the
# normal build, then the tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/check-format.sh
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR=$runtime QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

rm -rf build
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVLO_BUILD_BENCH=ON
ctest --test-dir build --output-on-failure -j "$jobs"

rm -rf build-sanitize
bash scripts/build.sh build-sanitize -DTAVLO_SANITIZE=ON -DTAVLO_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize --output-on-failure -j "$jobs"
