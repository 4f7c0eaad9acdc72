# Shared by the end-to-end scripts: a private X server, runtime folder and
# demo card values, cleaned up on exit.
set -u
BUILD=${TAVLO_BUILD_DIR:?}
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
WORK=$(mktemp -d)
export XDG_RUNTIME_DIR=$WORK/runtime XDG_CONFIG_HOME=$WORK/config
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
PIDS=()
# A sanitizer report in any program's output kept in WORK fails the
# test, even from a program that died after the test stopped looking at it.
cleanup() {
  local status=$?
  for p in "${PIDS[@]}"; do kill -9 "$p" 2>/dev/null; done
  wait 2>/dev/null
  local pattern='ERROR: (Address|Leak)Sanitizer|runtime error:' files
  files=$(find "$WORK" -maxdepth 1 -type f)
  if [ -n "$files" ] && grep -lIsE "$pattern" $files; then
    grep -hIsE -A20 "$pattern" $files | head -n 60
    echo "FAIL: a sanitizer report (above)"
    status=1
  fi
  rm -rf "$WORK"
  exit $status
}
trap cleanup EXIT
start_x() {
  exec 5>"$WORK/display"
  # -noreset: the server must not restart when its last client goes (a
  # program killed by a test), or the next one cannot connect meanwhile.
  Xvfb -displayfd 5 -noreset -screen 0 1280x800x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
  PIDS+=($!)
  for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.1; done
  export DISPLAY=:$(head -n1 "$WORK/display")
}
fail() { echo "FAIL: $*"; exit 1; }
# wait_for CMD...: retry a command for up to 15 s.
wait_for() { for _ in $(seq 150); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done; return 1; }
window_named() { xdotool search --name "$1"; }
# visible_window NAME: the id of a shown window so named. xdotool gives up
# when a window goes away while it searches (a roll animation's frame), so
# ask again.
visible_window() {
  local id
  for _ in $(seq 50); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
# gone PID: the process has ended (a zombie not yet reaped counts as ended).
gone() { ! ps -o stat= -p "$1" 2>/dev/null | grep -qv '^Z'; }
