#!/usr/bin/env bash
# Tavlo beside the mixers a Linux user would pick instead (qasmixer,
# pavucontrol, pavucontrol-qt, kmix, from Debian's packages, run as they
# come), run on demand (not a test). Under a private Xvfb with trayer as
# the tray and a private PulseAudio server with a null sink, in one run:
#   - start-up: time from the fork to the first top-level window the X server
#     maps (Tavlo's: its splash), matched by _NET_WM_PID (bench_xwatch map);
#     one warm-up round, then ROUNDS rounds, the programs taking turns;
#   - one session per program: PSS and private memory 5 s after start
#     (/proc/PID/smaps_rollup), and again once shown; CPU (utime+stime from
#     /proc/PID/stat) and repaints (XDamage reports on its windows) over
#     SECONDS shown and silent (Tavlo: its mixers), then with a tone playing
#     (Tavlo: its mixers and its VU window); the reaction to an
#     outside change (`amixer -D pulse sset Master N%` to the first damage
#     of its window), REACTIONS times; for Tavlo also every window hidden
#     in the tray (meter poll live), and a storm of outside changes
#     (STORM_RATE a second for STORM_SECONDS, bench_storm) with the delay
#     from the last change to Tavlo's last repaint and refresh;
#   - Tavlo alone: bench_reopen (MixerId reassign) and bench_init (a full
#     initialisation and a refresh on a 12-source card and on the back end
#     benchmarked), offscreen;
# and prints Markdown tables with the targets as ratios of this run.
# Tavlo runs on TAVLO_MIXER=$TAVLO_MIXER_BENCH (default pulse, what a desktop
# user gets; alsa:pulse goes through ALSA's pulse plugin).
# Every program gets its own HOME, XDG folders and runtime folder.
# Usage: bench/peers.sh [BUILD_DIR]   (default build; QUICK=1 for a short run;
# RESULTS_DIR=DIR keeps the raw figures)
# PROGRAMS="tavlo pavucontrol-qt" limits the programs.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
if [ "${QUICK:-0}" = 1 ]; then
    rounds=${ROUNDS:-2} secs=${SECONDS_PER_SAMPLE:-5} reactions=${REACTIONS:-3} stormSecs=${STORM_SECONDS:-1}
else
    rounds=${ROUNDS:-5} secs=${SECONDS_PER_SAMPLE:-20} reactions=${REACTIONS:-9} stormSecs=${STORM_SECONDS:-3}
fi
stormRate=${STORM_RATE:-1000}
# The storm's target: a PulseAudio sink through libpulse, or an ALSA mixer
# device and element (e.g. "pulse Master": the pulse plugin writes slowly).
stormTarget=${STORM_TARGET:-pulse-sink fake}
mixer=${TAVLO_MIXER_BENCH:-pulse}
programs=(${PROGRAMS:-tavlo qasmixer pavucontrol pavucontrol-qt kmix})

. bench/lib.sh
bench_need Xvfb:xvfb trayer:trayer xdotool:xdotool xwininfo:x11-utils pulseaudio:pulseaudio pacat:pulseaudio-utils \
    pactl:pulseaudio-utils sox:sox amixer:alsa-utils dbus-daemon:dbus pavucontrol-qt:pavucontrol-qt \
    pavucontrol:pavucontrol qasmixer:qasmixer kmix:kmix
[ -e /usr/lib/x86_64-linux-gnu/alsa-lib/libasound_module_ctl_pulse.so ] || bench_need _:libasound2-plugins
pkg-config --exists xdamage || bench_need _:libxdamage-dev
# The helpers are built here; the targets are made if missing (the X client
# needs libxdamage-dev at configure time).
if [ ! -x "$build/bench/bench_xwatch" ]; then cmake "$build" >/dev/null; fi
cmake --build "$build" --target tavlo bench_xwatch bench_storm bench_reopen bench_init bench_repaint_floor >/dev/null
tavlo=$build/tavlo xwatch=$build/bench/bench_xwatch

bench_init peers
bench_x 1600x1200
bench_tray
bench_pulse
# One session bus for the run, as a desktop has (kmix wants one).
dbus-daemon --session --fork --nopidfile --address="unix:path=$bench_tmp/bus" --print-pid >"$bench_tmp/bus.pid"
bench_track "$(cat "$bench_tmp/bus.pid")"
export DBUS_SESSION_BUS_ADDRESS=unix:path=$bench_tmp/bus
# No accessibility bus here: GTK would wait for one.
export NO_AT_BRIDGE=1
pactl set-sink-volume fake 50%

# The command of each program (run as it comes), the title of the window
# that shows the master level (empty: all its windows).
command_of() {
    case $1 in
    tavlo) echo "env TAVLO_MIXER=$mixer QT_LOGGING_RULES=tavlo.refresh.debug=true TZ=UTC $tavlo" ;;
    qasmixer) echo "qasmixer -n -D pulse" ;;
    pavucontrol) echo "pavucontrol --tab=3" ;;
    pavucontrol-qt) echo "pavucontrol-qt --tab 3" ;;
    kmix) echo "kmix" ;;
    *) echo "unknown program $1" >&2; exit 2 ;;
    esac
}
master_title() { [ "$1" = tavlo ] && echo "Tavlo by Varnel" || echo ""; }

# launch NAME: starts NAME in its own folders through the X watcher; sets
# pid (the program), xw (the watcher) and mapped (ms to the first map, -1
# when none came within 20 s).
launch() {
    local d=$bench_tmp/p/$1
    mkdir -p "$d/home" "$d/config" "$d/cache" "$d/data"
    mkdir -p -m 700 "$d/run"
    : >"$bench_tmp/map.out"
    # shellcheck disable=SC2046
    env HOME="$d/home" XDG_CONFIG_HOME="$d/config" XDG_CACHE_HOME="$d/cache" XDG_DATA_HOME="$d/data" \
        XDG_RUNTIME_DIR="$d/run" QT_MESSAGE_PATTERN='%{time yyyy-MM-ddTHH:mm:ss.zzz} %{category} %{message}' \
        "$xwatch" map 20000 -- $(command_of "$1") >"$bench_tmp/map.out" 2>>"$d/log" &
    xw=$!
    bench_track "$xw"
    waitFor 25 grep -q . "$bench_tmp/map.out" || { echo "the X watcher said nothing for $1" >&2; exit 1; }
    read -r pid mapped _ <"$bench_tmp/map.out"
    bench_track "$pid"
    started=$(date +%s.%N)
}
# stop: ends the program started last (killed after 5 s) and its watcher.
stop() {
    kill "$pid" 2>/dev/null || true
    waitFor 5 bash -c "! kill -0 $xw" || kill -9 "$pid" 2>/dev/null || true
    wait "$xw" 2>/dev/null || true
    bench_untrack "$pid" "$xw"
}
bench_untrack() {
    local keep=() p q
    for p in "${bench_pids[@]}"; do
        for q in "$@"; do [ "$p" = "$q" ] && continue 2; done
        keep+=("$p")
    done
    bench_pids=("${keep[@]}")
}
# memory PID: "PSS PRIVATE RSS" in MB. PSS shares each library page among
# the processes mapping it: other Qt 6 programs running on the machine
# lower Tavlo's, so private memory and RSS are given beside it.
memory() {
    awk '/^Pss:/ { p = $2 } /^Rss:/ { r = $2 } /^Private_(Clean|Dirty):/ { q += $2 }
        END { printf "%.1f %.1f %.1f", p / 1024, q / 1024, r / 1024 }' "/proc/$1/smaps_rollup"
}
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR == 0) print "-"; else if (NR % 2) print v[(NR + 1) / 2];
    else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
range() { sort -n | awk 'NR == 1 { lo = $1 } { hi = $1 } END { print lo "–" hi }'; }
# cpu_and_repaints SECONDS [TITLE]: "CPU% REPAINTS/s PIXELS/s" of $pid over the same SECONDS.
cpu_and_repaints() {
    local before after
    "$xwatch" damage "$pid" "$1" "${2:-}" >"$bench_tmp/damage.out" &
    local dw=$!
    before=$(ticks "$pid")
    sleep "$1"
    after=$(ticks "$pid")
    wait "$dw" || true
    awk -v s="$1" -v c="$(percent $((after - before)) "$1")" \
        '{ printf "%s %.1f %.0f", c, $2 / s, $6 / s }' "$bench_tmp/damage.out"
}
shown_windows() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l; }
# Show: Tavlo's mixers come from the tray (the VU window joins for the signal); the others show one
# window of their own.
show() {
    case $1 in
    tavlo)
        tavlo_in_tray || { echo "Tavlo did not reach the tray" >&2; exit 1; }
        tavlo_click first
        waitFor 5 visible '^Tavlo by Varnel$' || { echo "Tavlo's mixers did not show" >&2; exit 1; }
        ;;
    kmix)
        # kmix starts in the tray: its tray icon's click shows the mixer.
        waitFor 10 bash -c "xwininfo -root -tree | grep -q '(\"kmix\" \"kmix\")  22x'" || true
        if [ "$(shown_windows)" -lt 1 ]; then
            local icon x y
            icon=$(xwininfo -root -tree | awk '/\("kmix" "kmix"\)  22x/ { print $NF }' | head -n1)
            IFS=+ read -r _ x y <<<"$icon"
            [ -n "$x" ] && xdotool mousemove $((x + 11)) $((y + 10)) click 1
        fi
        waitFor 5 bash -c "[ \$(xdotool search --onlyvisible --pid $pid | wc -l) -ge 1 ]" ||
            echo "kmix showed no window" >&2
        ;;
    *) waitFor 10 bash -c "[ \$(xdotool search --onlyvisible --pid $pid | wc -l) -ge 1 ]" || true ;;
    esac
    sleep 2
}
hide_tavlo() {
    tavlo_click first
    sleep 0.5
    tavlo_click last
    waitFor 5 bash -c "! xdotool search --onlyvisible --name 'Varnel' | grep -q ." ||
        echo "Tavlo's windows did not all hide" >&2
    sleep 2
}
say() { echo "[$(date -u +%T)] $*" >&2; }
# The raw volume of the default sink's Master as the pulse plugin shows it.
master_raw() { amixer -D pulse sget Master | awk '/Front Left: Playback/ { print $4; exit }'; }
ms_of() { date -u -d "$1" +%s.%N | awk '{ printf "%.1f", $1 * 1000 }'; }
amixer_cmd=(amixer -q -D pulse sset Master @%)

declare -A rss reactAfter kept startup pss priv pssShown cpuShown cpuSignal cpuHidden rpSilent rpSignal pxSilent pxSignal react
out=$bench_tmp/results
mkdir -p "$out"
echo "# $(date -u '+%Y-%m-%d %H:%M') UTC, $(nproc) cores, $(. /etc/os-release && echo "$PRETTY_NAME"), Xvfb," \
    "Tavlo on $mixer; ${secs} s samples, start-up median of $rounds after a warm-up, $reactions reactions" >&2

# --- the outside change alone, nobody watching --------------------------------
"$xwatch" run "$reactions" -- "${amixer_cmd[@]}" >"$out/amixer"
amixerAlone=$(median <"$out/amixer")
say "amixer alone: $amixerAlone ms"
# The value an outside change leaves when nobody writes back.
amixer -q -D pulse sset Master 37%
sleep 0.3
expected37=$(master_raw)

# --- start-up, the programs taking turns ---------------------------------------
for ((r = 0; r <= rounds; r++)); do
    for p in "${programs[@]}"; do
        launch "$p"
        [ "$r" -gt 0 ] && echo "$mapped" >>"$out/startup.$p"
        say "start-up round $r $p: $mapped ms"
        # Killed as soon as seen; the next one starts from a quiet machine.
        sleep 0.5
        stop
        sleep 0.5
    done
done

# --- one session per program ---------------------------------------------------
storm_report=""
for p in "${programs[@]}"; do
    say "session $p"
    launch "$p"
    sleep "$(awk -v s="$started" -v n="$(date +%s.%N)" 'BEGIN { w = s + 5 - n; print (w > 0 ? w : 0) }')"
    read -r pss[$p] priv[$p] rss[$p] <<<"$(memory "$pid")"
    show "$p"
    say "  shown; silent"
    read -r cpuShown[$p] rpSilent[$p] pxSilent[$p] <<<"$(cpu_and_repaints "$secs")"
    read -r pssShown[$p] _ <<<"$(memory "$pid")"
    if [ "$p" = tavlo ]; then
        # The meters with a signal: the VU window beside the mixers (its
        # title clock repaints once a second, so it joins after the silent
        # sample of the mixers). It opens centred, over the playback mixer,
        # whose repaints would then never reach the screen: moved aside.
        tavlo_click last
        waitFor 5 visible '^VU by Varnel$' || { echo "Tavlo's VU window did not show" >&2; exit 1; }
        xdotool search --onlyvisible --name '^VU by Varnel$' windowmove 40 900
        sleep 1
    fi
    say "  signal"
    # At the sink's 50 % the tone peaks at about 1,800 of 32,767 on its
    # monitor, under a VU window's first step (2,000): full volume for it.
    pactl set-sink-volume fake 100%
    tone_on
    sleep 1
    read -r cpuSignal[$p] rpSignal[$p] pxSignal[$p] <<<"$(cpu_and_repaints "$secs")"
    tone_off
    pactl set-sink-volume fake 50%
    sleep 1
    say "  reactions"
    "$xwatch" react "$pid" "$reactions" 400 "$(master_title "$p")" -- "${amixer_cmd[@]}" >"$out/react.$p" ||
        echo "no reaction measured for $p" >&2
    react[$p]=$(awk '$1 >= 0 { print $1 }' "$out/react.$p" | median)
    # Past the command's own end (amixer's start-up varies more than the reactions).
    reactAfter[$p]=$(awk '$1 >= 0 { print $1 - $2 }' "$out/react.$p" | median)
    # An outside change stays as it was made (nobody writes back another value).
    amixer -q -D pulse sset Master 37%
    sleep 1
    got=$(master_raw)
    [ "$got" = "$expected37" ] && kept[$p]=yes || kept[$p]="no: $expected37 → $got"
    echo "  reactions (ms, amixer's own ms): $(tr '\n' ' ' <"$out/react.$p")" >&2
    if [ "$p" = tavlo ]; then
        # A storm of outside changes, the mixers shown.
        log=$bench_tmp/p/tavlo/log
        before=$(grep -c 'tavlo.refresh' "$log" || true)
        "$xwatch" damage "$pid" 600 "Tavlo by Varnel" >"$out/storm.damage" &
        dw=$!
        sleep 0.5
        t0=$(ticks "$pid")
        # shellcheck disable=SC2086
        "$build/bench/bench_storm" $stormTarget "$stormRate" "$stormSecs" >"$out/storm"
        # What comes later than 2 s after the last change is a backlog anyway.
        sleep 2
        kill -TERM "$dw"
        wait "$dw" || true
        t1=$(ticks "$pid")
        read -r _ sets _ took _ rate _ lastValue _ _ _ lastMs _ _ <"$out/storm"
        lastDamage=$(awk '{ print $10 }' "$out/storm.damage")
        refreshes=$(($(grep -c 'tavlo.refresh' "$log" || true) - before))
        lastRefresh=$(ms_of "$(grep 'tavlo.refresh' "$log" | tail -n1 | cut -d' ' -f1)")
        sleep 1
        nowValue=$(amixer -D pulse sget Master | awk -F'[: ]+' '/Front Left: Playback/ { print $5; exit }')
        storm_report=$(awk -v n="$sets" -v s="$took" -v r="$rate" -v ld="$lastDamage" -v lr="$lastRefresh" \
            -v lm="$lastMs" -v rf="$refreshes" -v c="$(percent $((t1 - t0)) "$took")" -v lv="$lastValue" \
            -v nv="$nowValue" 'BEGIN {
                printf "| %d changes in %.2f s (%.0f/s) | %+.1f ms | %+.1f ms | %d (%.0f/s) | %s %% | %s |\n",
                    n, s, r, ld - lm, lr - lm, rf, rf / s, c, (lv == nv ? "kept (" nv ")" : "CHANGED: " lv " -> " nv) }')
        hide_tavlo
        read -r cpuHidden[$p] _ <<<"$(cpu_and_repaints "$secs")"
    fi
    stop
done
# The card's values the storm and the reactions left: none of Tavlo's doing.

# --- the floor: a plain Qt program repainting two small areas 25 times a second ---
floor_cpu() {  # floor_cpu [--no-paint]
    "$build/bench/bench_repaint_floor" "$@" >/dev/null 2>&1 &
    local f=$! t0 t1
    bench_track "$f"
    sleep 2
    t0=$(ticks "$f")
    sleep "$secs"
    t1=$(ticks "$f")
    kill "$f"
    wait "$f" 2>/dev/null || true
    percent $((t1 - t0)) "$secs"
}
say "repaint floor"
floorPaint=$(floor_cpu)
floorTimer=$(floor_cpu --no-paint)

# --- Tavlo alone, offscreen -----------------------------------------------------
bench_value() {  # bench_value FILE NAME: the median real time of that benchmark, with its unit
    awk -F, -v n="\"$2/" '(index($1, n) == 1 || index($1, substr(n, 1, length(n) - 1) "_")) && $1 ~ /_median"$/ {
        printf "%.3g %s", $3, $5 }' "$1"
}
say "Tavlo alone, offscreen"
"$build/bench/bench_reopen" --benchmark_filter=AssignMixerId --benchmark_format=csv \
    >"$out/reopen.csv" 2>/dev/null || true
TAVLO_MIXER=$mixer QT_QPA_PLATFORM=offscreen "$build/bench/bench_init" --benchmark_format=csv \
    >"$out/init.csv" 2>/dev/null || true

# --- the tables -------------------------------------------------------------------
declare -A startupMedian
for p in "${programs[@]}"; do startupMedian[$p]=$(awk '$1 >= 0' "$out/startup.$p" | median); done

echo
echo "$(date -u +%Y-%m-%d), $(nproc) cores (shared), $(. /etc/os-release && echo "$PRETTY_NAME"), Xvfb, Tavlo on" \
    "\`$mixer\`; CPU in % of one core over $secs s, start-up median of $rounds after a warm-up (range)," \
    "reaction median of $reactions (\`amixer\` alone: $amixerAlone ms)"
echo
echo "| program | start-up ms | PSS MB at 5 s (shown) | private MB | RSS MB | CPU shown, silent | CPU signal | CPU hidden | repaints/s silent | repaints/s signal | reaction ms (after amixer's end) | outside value kept |"
echo "|---|---|---|---|---|---|---|---|---|---|---|---|"
for p in "${programs[@]}"; do
    echo "| $p | ${startupMedian[$p]} ($(range <"$out/startup.$p")) | ${pss[$p]} (${pssShown[$p]}) | ${priv[$p]} | ${rss[$p]} |" \
        "${cpuShown[$p]} % | ${cpuSignal[$p]} % | ${cpuHidden[$p]:-—}${cpuHidden[$p]:+ %} | ${rpSilent[$p]} |" \
        "${rpSignal[$p]} | ${react[$p]} (${reactAfter[$p]}) | ${kept[$p]} |"
done

# Targets as ratios of this run.
best() {  # best ARRAY: "VALUE NAME" of the lowest peer figure
    local -n a=$1
    local p
    for p in "${programs[@]}"; do [ "$p" != tavlo ] && [ -n "${a[$p]:-}" ] && [ "${a[$p]}" != - ] && echo "${a[$p]} $p"; done |
        sort -n | head -n1
}
ratio_row() {  # ratio_row TEXT TAVLO REFERENCE REFNAME LIMIT
    awk -v t="$1" -v v="$2" -v r="$3" -v n="$4" -v l="$5" 'BEGIN {
        if (v == "" || r == "" || r == 0) { printf "| %s | %s | %s | — | — |\n", t, v, n; exit }
        q = v / r; printf "| %s | %s | %s %s | %.2f× | %s |\n", t, v, r, n, q, (q <= l ? "met" : "not met") }'
}
echo
echo "| target | Tavlo | reference | ratio | |"
echo "|---|---|---|---|---|"
if [ -n "${startupMedian[tavlo]:-}" ]; then
    read -r ref name <<<"$(best startupMedian)"
    ratio_row "start-up ≤ 0.9× the fastest peer" "${startupMedian[tavlo]}" "${ref:-}" "ms (${name:-})" 0.9
    read -r ref name <<<"$(best pss)"
    ratio_row "PSS ≤ the leanest peer" "${pss[tavlo]}" "${ref:-}" "MB (${name:-})" 1
    read -r ref name <<<"$(best priv)"
    ratio_row "(private memory, for comparison)" "${priv[tavlo]}" "${ref:-}" "MB (${name:-})" 1
    awk -v v="${cpuHidden[tavlo]:-}" 'BEGIN { printf "| CPU, every window hidden, poll live ≤ 0.1 %% | %s %% | 0.1 %% | %.2f× | %s |\n",
        v, v / 0.1, (v <= 0.1 ? "met" : "not met") }'
    ratio_row "CPU with a signal ≤ 0.5× pavucontrol-qt" "${cpuSignal[tavlo]}" "${cpuSignal[pavucontrol-qt]:-}" \
        "% (pavucontrol-qt)" 0.5
    read -r ref name <<<"$(best react)"
    ratio_row "reaction ≤ the fastest peer" "${react[tavlo]}" "${ref:-}" "ms (${name:-})" 1
fi
echo
echo "A plain Qt Widgets program repainting a lamp column and a mini-meter in two windows 25 times a" \
    "second (\`bench_repaint_floor\`): $floorPaint % (its 40 ms timer alone: $floorTimer %)$(awk -v f="$floorPaint" \
        -v r="${cpuSignal[pavucontrol-qt]:-}" 'BEGIN { if (r > 0) printf ", %.2f× pavucontrol-qt", f / r }')."
if [ -n "$storm_report" ]; then
    echo
    echo "Storm of outside changes (\`bench_storm $stormTarget\`), Tavlo's mixers shown:"
    echo
    echo "| storm | last change → last repaint | last change → last refresh | refreshes | CPU | card value after |"
    echo "|---|---|---|---|---|---|"
    echo "$storm_report"
fi
echo
echo "Tavlo alone, offscreen (median of 5):"
echo
echo "| figure | time |"
echo "|---|---|"
echo "| \`MixerId\` reassign, demo card | $(bench_value "$out/reopen.csv" AssignMixerIdOnDemoCard) |"
echo "| full initialisation, 12-source card | $(bench_value "$out/init.csv" FullInitialisation/0) |"
echo "| refresh of every strip, 12-source card | $(bench_value "$out/init.csv" Refresh/0) |"
echo "| an outside change until idle (notification, refresh, echoes), 12-source card | $(bench_value "$out/init.csv" OutsideChange) |"
echo "| full initialisation, \`$mixer\` | $(bench_value "$out/init.csv" FullInitialisation/1) |"
echo "| refresh of every strip, \`$mixer\` | $(bench_value "$out/init.csv" Refresh/1) |"
[ -n "${RESULTS_DIR:-}" ] && mkdir -p "$RESULTS_DIR" && cp -r "$out/." "$RESULTS_DIR/" && cp "$bench_tmp/p/tavlo/log" "$RESULTS_DIR/tavlo.log"
exit 0
