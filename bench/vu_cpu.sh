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

need=()
for tool in Xvfb:xvfb trayer:trayer xdotool:xdotool xwininfo:x11-utils pulseaudio:pulseaudio pacat:pulseaudio-utils \
    pactl:pulseaudio-utils pavucontrol-qt:pavucontrol-qt sox:sox; do
    command -v "${tool%%:*}" >/dev/null || need+=("${tool#*:}")
done
if [ ${#need[@]} -gt 0 ]; then
    echo "installing ${need[*]}" >&2
    apt-get install -y --no-install-recommends "${need[@]}" >/dev/null
fi

tmp=$(mktemp -d /tmp/tavlo-vucpu.XXXXXX)
mkdir -m 700 "$tmp/run" "$tmp/pulse"
mkdir "$tmp/home"
export HOME=$tmp/home XDG_RUNTIME_DIR=$tmp/run PULSE_RUNTIME_PATH=$tmp/pulse PULSE_STATE_PATH=$tmp/pulse
export PULSE_SERVER=unix:$tmp/pulse/native
unset QT_QPA_PLATFORM
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT

hz=$(getconf CLK_TCK)
ticks() { awk '{ sub(/.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"; }
percent() { awk -v t="$1" -v hz="$hz" -v s="$secs" 'BEGIN { printf "%.2f", 100 * t / hz / s }'; }
visible() { xdotool search --onlyvisible --name "$1" 2>/dev/null | grep -q .; }
waitFor() {  # waitFor SECONDS COMMAND...: until the command succeeds
    local n=$(($1 * 10))
    shift
    until "$@" >/dev/null 2>&1; do
        ((n-- > 0)) || return 1
        sleep 0.1
    done
}

Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp 9>"$tmp/display" 2>"$tmp/xvfb.log" &
pids+=($!)
waitFor 10 test -s "$tmp/display"
export DISPLAY=:$(cat "$tmp/display")
trayer --edge top --align right --widthtype request --height 22 >/dev/null 2>&1 &
pids+=($!)
waitFor 10 visible '^panel$'

pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no --disable-shm=yes \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$tmp/pulse/native" \
    -L "module-null-sink sink_name=fake" -L "module-null-source source_name=fakemic" >"$tmp/pulse.log" 2>&1 &
pids+=($!)
waitFor 10 pactl info
# A 440 Hz tone whose loudness swings twice a second, so the meters move.
sox -q -n -t raw -r 44100 -e signed -b 16 -c 2 - synth 3600 sine 440 tremolo 2 90 2>/dev/null |
    pacat --raw --rate=44100 --channels=2 --format=s16le --device=fake &
pids+=($!)

# Starts Tavlo on TAVLO_MIXER=$1 and waits for the splash to end (the
# windows then stay in the tray). Sets tavloPid.
startTavlo() {
    TAVLO_MIXER=$1 "$tavlo" >"$tmp/tavlo.log" 2>&1 &
    tavloPid=$!
    pids+=("$tavloPid")
    waitFor 10 visible '^Form3$'
    waitFor 10 bash -c "! xdotool search --onlyvisible --name '^Form3$' | grep -q ."
    # The tray icons are Tavlo-class children of trayer's panel, the VU's made last.
    waitFor 10 bash -c "xwininfo -root -tree | grep -q '(\"tavlo\"'"
    sleep 1
}
stopTavlo() {
    kill "$tavloPid"
    wait "$tavloPid" 2>/dev/null || true
}
showVu() {
    local icon x y
    icon=$(xwininfo -root -tree | awk '/\("tavlo" "Tavlo"\)  22x/ { print $1, $NF }' | sort | tail -1)
    read -r x y <<<"$(echo "${icon#* }" | tr '+' ' ')"
    xdotool mousemove $((x + 11)) $((y + 10)) click 1
    waitFor 5 visible '^VU by Varnel$' || { echo "the VU window did not show" >&2; exit 1; }
    sleep 1
}
sample() {  # sample PID...: CPU % of a core of each over the same $secs
    local before=() after=() p i
    for p in "$@"; do before+=("$(ticks "$p")"); done
    sleep "$secs"
    for p in "$@"; do after+=("$(ticks "$p")"); done
    for i in "${!before[@]}"; do echo -n "$(percent $((after[i] - before[i]))) "; done
    echo
}
shown() { xdotool search --onlyvisible --name 'Varnel' 2>/dev/null | wc -l; }

echo "# $(date -I), $(nproc) cores, $(. /etc/os-release && echo "$PRETTY_NAME"), Xvfb; ${secs} s samples, CLK_TCK $hz"

startTavlo demo
echo "tavlo hidden (windows shown: $(shown)): $(sample "$tavloPid")% of a core"

pavucontrol-qt --tab 3 >/dev/null 2>&1 &
pavuPid=$!
pids+=("$pavuPid")
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
