# Shared by the desktop benchmarks (vu_cpu.sh, peers.sh): a private folder
# with its own HOME and runtime folders, a private Xvfb, a tray (trayer), a
# private PulseAudio server with a null sink and a tone to play into it, CPU
# ticks from /proc, Tavlo's tray icons. Everything started is ended on exit.
# Source it after `set -euo pipefail`; it needs bench_init first.

# bench_need TOOL:PACKAGE...: installs the packages of the tools missing.
bench_need() {
    local need=() tool
    for tool in "$@"; do
        command -v "${tool%%:*}" >/dev/null || need+=("${tool#*:}")
    done
    [ ${#need[@]} -eq 0 ] && return
    echo "installing ${need[*]}" >&2
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends -o DPkg::Lock::Timeout=300 \
        "${need[@]}" >/dev/null
}

# bench_init NAME: a private folder $bench_tmp (removed on exit) holding
# HOME, the runtime folder and PulseAudio's; every process recorded with
# bench_track is ended on exit, newest first.
bench_init() {
    bench_tmp=$(mktemp -d "/tmp/tavlo-$1.XXXXXX")
    mkdir -m 700 "$bench_tmp/run" "$bench_tmp/pulse"
    mkdir "$bench_tmp/home"
    export HOME=$bench_tmp/home XDG_RUNTIME_DIR=$bench_tmp/run
    export PULSE_RUNTIME_PATH=$bench_tmp/pulse PULSE_STATE_PATH=$bench_tmp/pulse
    export PULSE_SERVER=unix:$bench_tmp/pulse/native
    unset QT_QPA_PLATFORM
    bench_pids=()
    trap bench_cleanup EXIT
    trap 'exit 130' INT TERM
    bench_hz=$(getconf CLK_TCK)
}
bench_track() { bench_pids+=("$@"); }
bench_cleanup() {
    local i p
    for ((i = ${#bench_pids[@]} - 1; i >= 0; i--)); do kill "${bench_pids[i]}" 2>/dev/null || true; done
    # What does not end on a polite request within 2 s is killed.
    for p in "${bench_pids[@]}"; do
        for _ in 1 2 3 4 5 6 7 8 9 10; do alive "$p" || break; sleep 0.2; done
        kill -9 "$p" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$bench_tmp"
}

# alive PID: running (a zombie counts as ended).
alive() { [ -e "/proc/$1" ] && ! grep -q '^State:.*Z' "/proc/$1/status" 2>/dev/null; }
# waitFor SECONDS COMMAND...: until the command succeeds.
waitFor() {
    local n=$(($1 * 10))
    shift
    until "$@" >/dev/null 2>&1; do
        ((n-- > 0)) || return 1
        sleep 0.1
    done
}
visible() { xdotool search --onlyvisible --name "$1" 2>/dev/null | grep -q .; }

# utime + stime of a process, in clock ticks.
ticks() { awk '{ sub(/.*\) /, ""); print $12 + $13 }' "/proc/$1/stat" 2>/dev/null || echo 0; }
# percent TICKS SECONDS: % of one core.
percent() { awk -v t="$1" -v hz="$bench_hz" -v s="$2" 'BEGIN { printf "%.2f", 100 * t / hz / s }'; }

# bench_x [WxH]: a private Xvfb; sets DISPLAY.
bench_x() {
    Xvfb -displayfd 9 -noreset -screen 0 "${1:-1280x1024}x24" -nolisten tcp 9>"$bench_tmp/display" \
        2>"$bench_tmp/xvfb.log" &
    bench_track $!
    waitFor 10 test -s "$bench_tmp/display"
    export DISPLAY=:$(head -n1 "$bench_tmp/display")
}
# bench_tray: trayer as the desktop's tray (XEmbed).
bench_tray() {
    trayer --edge top --align right --widthtype request --height 22 >/dev/null 2>&1 &
    bench_track $!
    waitFor 10 visible '^panel$'
}
# bench_pulse: the private PulseAudio server with a null sink "fake" and a
# null source "fakemic".
bench_pulse() {
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no --disable-shm=yes \
        -L "module-native-protocol-unix auth-anonymous=1 socket=$bench_tmp/pulse/native" \
        -L "module-null-sink sink_name=fake" -L "module-null-source source_name=fakemic" \
        >"$bench_tmp/pulse.log" 2>&1 &
    bench_track $!
    waitFor 10 pactl info
}
# tone_on / tone_off: a 440 Hz tone whose loudness swings twice a second,
# played into the null sink, so meters move.
tone_on() {
    sox -q -n -t raw -r 44100 -e signed -b 16 -c 2 - synth 3600 sine 440 tremolo 2 90 2>/dev/null |
        pacat --raw --rate=44100 --channels=2 --format=s16le --device=fake &
    tone_pid=$!
    bench_track "$tone_pid"
}
tone_off() {
    [ -n "${tone_pid:-}" ] || return 0
    kill "$tone_pid" 2>/dev/null || true
    wait "$tone_pid" 2>/dev/null || true
    tone_pid=
}

# Tavlo's tray icons (Tavlo-class children of the tray, 22 pixels wide), oldest first:
# "ID +X+Y"; the first shows both mixers, the last the VU window.
tavlo_icons() { xwininfo -root -tree | awk '/\("tavlo" "Tavlo"\)  22x[0-9]+\+/ { print $1, $NF }' | sort; }
# tavlo_click first|last: a real click on that icon.
tavlo_click() {
    local icon x y
    if [ "$1" = first ]; then icon=$(tavlo_icons | head -n1); else icon=$(tavlo_icons | tail -n1); fi
    IFS=+ read -r _ x y <<<"${icon#* }"
    xdotool mousemove $((x + 11)) $((y + 10)) click 1
}
# tavlo_in_tray: the splash has gone and the four icons are in the tray.
tavlo_in_tray() {
    waitFor 15 bash -c "[ \$(xwininfo -root -tree | grep -cE '\(\"tavlo\" \"Tavlo\"\)  22x[0-9]+\+') -ge 4 ]" &&
        waitFor 10 bash -c "! xdotool search --onlyvisible --name '^Form3\$' | grep -q ."
}
