#!/usr/bin/env bash
# CPU of Tavlo's meters, run on demand (not a test): under a private Xvfb
# with trayer as the tray and a private PulseAudio server playing a moving
# tone into a null sink, samples utime+stime from /proc/PID/stat over
# SECONDS (default 20) for:
#   1. Tavlo on the demo card, every window hidden in the tray (poll running);
#   2. Tavlo with the VU window shown (the demo meter moves by itself) and
#      pavucontrol-qt on its output devices tab (meters moving), both
#      sampled over the same window, ROUNDS times (default 2);
#   3. Tavlo on a card whose meter reads a constant 0, VU window shown.
# Usage: bench/vu_cpu.sh [BUILD_DIR]   (default build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
secs=${SECONDS_PER_SAMPLE:-20}
rounds=${ROUNDS:-2}
tavlo=$(realpath "$build/tavlo")
[ -x "$tavlo" ] || { echo "no $tavlo: build the tavlo target first" >&2; exit 1; }

. bench/lib.sh
bench_need Xvfb:xvfb trayer:trayer xdotool:xdotool xwininfo:x11-utils pulseaudio:pulseaudio pacat:pulseaudio-utils \
    pactl:pulseaudio-utils pavucontrol-qt:pavucontrol-qt sox:sox
bench_init vucpu
tmp=$bench_tmp
hz=$bench_hz
bench_x
bench_tray
bench_pulse
tone_on

# Starts Tavlo on TAVLO_MIXER=$1 and waits for the splash to end (the
# windows then stay in the tray). Sets tavloPid.
startTavlo() {
    TAVLO_MIXER=$1 "$tavlo" >"$tmp/tavlo.log" 2>&1 &
    tavloPid=$!
    bench_track "$tavloPid"
    tavlo_in_tray
    sleep 1
}
stopTavlo() {
    kill "$tavloPid"
    wait "$tavloPid" 2>/dev/null || true
}
showVu() {
    tavlo_click last
    waitFor 5 visible '^VU by Varnel$' || { echo "the VU window did not show" >&2; exit 1; }
    sleep 1
}
sample() {  # sample PID...: CPU % of a core of each over the same $secs
    local before=() after=() p i
    for p in "$@"; do before+=("$(ticks "$p")"); done
    sleep "$secs"
    for p in "$@"; do after+=("$(ticks "$p")"); done
    for i in "${!before[@]}"; do echo -n "$(percent $((after[i] - before[i])) "$secs") "; done
    echo
}
shown() { xdotool search --onlyvisible --name 'Varnel' 2>/dev/null | wc -l; }

echo "# $(date -I), $(nproc) cores, $(. /etc/os-release && echo "$PRETTY_NAME"), Xvfb; ${secs} s samples, CLK_TCK $hz"

startTavlo demo
echo "tavlo hidden (windows shown: $(shown)): $(sample "$tavloPid")% of a core"

pavucontrol-qt --tab 3 >/dev/null 2>&1 &
pavuPid=$!
bench_track "$pavuPid"
waitFor 10 visible 'Volume Control'
showVu
for ((r = 1; r <= rounds; r++)); do
    read -r t p <<<"$(sample "$tavloPid" "$pavuPid")"
    echo "round $r: tavlo VU shown $t%, pavucontrol-qt $p% (ratio $(awk -v t="$t" -v p="$p" 'BEGIN { printf "%.2f", (p > 0 ? t / p : 0) }'))"
done
stopTavlo
kill "$pavuPid"

# A card whose only meter reads 0: the VU window repaints for its clock alone
# (once a second), the faces and lamps stay as they are.
cat >"$tmp/silent.json" <<'EOF'
{"devices":[{"name":"Silent","destinations":[{"type":"speakers","channels":2,"name":"Speakers",
  "controls":[{"type":"volume","values":[40000,40000]},
              {"type":"peakmeter","meter":{"signal":"constant","value":0}}],
  "sources":[{"type":"waveout","channels":2,"name":"Wave","controls":[{"type":"volume","values":[40000,40000]}]}]}]}]}
EOF
startTavlo "sim:$tmp/silent.json"
showVu
echo "tavlo VU shown, silent meter: $(sample "$tavloPid")% of a core"
stopTavlo
