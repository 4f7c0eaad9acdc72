#!/usr/bin/env bash
# The include graph keeps its layers: app -> windows (play, rec, config,
# meter) -> strips -> mixer -> platform, with controls beside them. Windows
# never include one another; controls know no window, card or program state.
set -u
SRC=${1:?usage: check_layers.sh SRC_DIR}
allowed() {
  case $1 in
    platform) echo "platform" ;;
    mixer) echo "mixer platform" ;;
    controls) echo "controls" ;;
    strips) echo "strips controls mixer platform" ;;
    play | rec | config | meter) echo "$1 strips controls mixer platform" ;;
    tools) echo "tools mixer platform" ;;
    app) echo "app play rec config meter strips controls mixer platform" ;;
  esac
}
status=0
for dir in "$SRC"/*/; do
  folder=$(basename "$dir")
  ok=" $(allowed "$folder") "
  while IFS=: read -r file line include; do
    target=$(sed -E 's/^#include "([^/"]+)\/.*/\1/' <<<"$include")
    [[ $include == *'"'*/* ]] || continue
    if [[ $ok != *" $target "* ]]; then
      echo "${file#"$SRC"/}:$line: $folder/ may not include $target/: $include"
      status=1
    fi
  done < <(grep -rn '^#include "' "$dir" --include='*.h' --include='*.cpp' | sed -E 's/^([^:]+):([0-9]+):/\1:\2:/')
done
[ $status -eq 0 ] && echo "PASS"
exit $status
