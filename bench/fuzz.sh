#!/usr/bin/env bash
# Runs Tavlo's libFuzzer targets, each for a bounded time:
#
#   bench/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
#
# TARGET is fuzz_config_format (the configuration reader), fuzz_sim_cards
# (card descriptions, the simulated cards' JSON) or fuzz_form_shape (the
# window-shape stream); all three when none is named. 60 s each by default.
# Builds with clang in build-fuzz (installs clang and its runtime with apt-get
# when missing). Each target starts from seeds made here and whatever earlier
# runs kept in build-fuzz/corpus/TARGET. A crash, a hang (over 10 s for one
# input) or a sanitizer report leaves its input in build-fuzz/crashes/TARGET/
# and makes the script fail: make it a row of that parser's table test.
set -euo pipefail
cd "$(dirname "$0")/.."
ALL=(fuzz_config_format fuzz_sim_cards fuzz_form_shape)
SECONDS_PER_TARGET=${1:-60}
shift || true
TARGETS=("$@")
[ ${#TARGETS[@]} -eq 0 ] && TARGETS=("${ALL[@]}")
for t in "${TARGETS[@]}"; do
  [[ " ${ALL[*]} " == *" $t "* ]] || { echo "fuzz.sh: no target $t (have: ${ALL[*]})" >&2; exit 2; }
done

need=()
command -v clang++ >/dev/null || need+=(clang)
dpkg-query -W -f='${Status}' libclang-rt-14-dev 2>/dev/null | grep -q "install ok installed" || need+=(libclang-rt-14-dev)
if [ ${#need[@]} -gt 0 ]; then
  SUDO=(); [ "$(id -u)" -ne 0 ] && SUDO=(sudo)
  "${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}"
fi
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVLO_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --target "${TARGETS[@]}"

# Little-endian 32-bit words, for the window-shape stream.
le32() {
  local w
  for w; do printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((w & 255)) $((w >> 8 & 255)) $((w >> 16 & 255)) $((w >> 24 & 255)))"; done
}

# Seeds: a few well-formed inputs of each kind, so the fuzzer starts inside
# the format rather than having to find it.
seed() {
  local dir=build-fuzz/seeds/$1
  rm -rf "$dir" && mkdir -p "$dir"
  case $1 in
  fuzz_config_format)
    printf 'Tavlo 1.0\r\n11111111111111111111100\r\n01111\r\n106\r\n269\r\n214\r\n442\r\n' >"$dir/saved"
    printf 'Tavlo 1.0\n0101\n1\n -8\n+9\n\t10 \n2147483648\n' >"$dir/hand-edited"
    printf '\r\n\r\n\r\n-2147483648\n00000000000000000012\n\n' >"$dir/edges"
    ;;
  fuzz_sim_cards)
    # The demo cards, as the program builds them in.
    sed -n '/R"json(/,/)json"/p' src/platform/sim/demo_cards.cpp | sed 's/.*R"json(//; s/)json".*//' >"$dir/demo.json"
    cat >"$dir/every-key.json" <<'JSON'
{"devices": [{"name": "Seed", "mid": 2, "pid": 3, "driverVersion": 256, "openFails": false,
  "destinations": [
    {"type": "wavein", "channels": 1, "name": "Recording", "shortName": "Rec", "inactive": true,
     "queryFails": false, "controlsQueryFails": false,
     "controls": [{"type": "mux", "uniform": true, "values": [0, 1]},
                  {"type": 1342373889, "items": ["A", "B"], "min": 0, "max": 1, "steps": 2},
                  {"type": "peakmeter", "meter": {"signal": "list", "values": [1, [2, 3]]}},
                  {"type": "signedmeter", "meter": {"signal": "constant", "value": 9}, "readFails": true}],
     "sources": [{"type": "microphone", "channels": 2, "name": "Mic",
                  "controls": [{"type": "volume", "disabled": true, "writeFails": true, "values": [1, 2]}]},
                 {"type": 4099, "name": "Other"}]}]}]}
JSON
    ;;
  fuzz_form_shape)
    # Two rectangles in two bands, and one.
    le32 64 32 1 2 32 0 0 10 9 0 0 10 5 2 5 8 9 >"$dir/two"
    le32 48 32 1 1 16 0 0 10 9 0 0 10 9 >"$dir/one"
    ;;
  esac
}

declare -A MAX_LEN=([fuzz_config_format]=8192 [fuzz_sim_cards]=8192 [fuzz_form_shape]=16384)
failed=()
summary=()
for t in "${TARGETS[@]}"; do
  seed "$t"
  mkdir -p "build-fuzz/corpus/$t" "build-fuzz/crashes/$t"
  log=build-fuzz/$t.log
  echo "== $t: ${SECONDS_PER_TARGET} s"
  status=0
  "build-fuzz/tests/$t" -max_total_time="$SECONDS_PER_TARGET" -max_len="${MAX_LEN[$t]}" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="build-fuzz/crashes/$t/" \
    "build-fuzz/corpus/$t" "build-fuzz/seeds/$t" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
  if [ "$status" -ne 0 ]; then
    failed+=("$t")
    grep -m1 -E '^==[0-9]+==ERROR|runtime error|deadly signal|ALARM|out-of-memory' "$log" || tail -n 20 "$log"
    summary+=("$t: FAILED after ${runs:-?} runs; input in build-fuzz/crashes/$t/, log $log")
  else
    summary+=("$t: ${runs:-?} runs in ${SECONDS_PER_TARGET} s, nothing found; corpus $(ls "build-fuzz/corpus/$t" | wc -l) inputs")
  fi
done
printf '%s\n' "${summary[@]}"
[ ${#failed[@]} -eq 0 ]
