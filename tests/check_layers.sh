#!/usr/bin/env bash
# The include graph keeps its layers: app -> windows (play, rec, config,
# meter) -> strips -> mixer -> platform, with controls beside them. Windows
# never include one another; controls know no window, card or program state;
# nothing outside platform/ includes a driver (platform/alsa, pulse, sim).
# Each include is resolved as the compiler does (the including file's own
# folder first, so `../` and same-folder includes count too, then src/), and
# judged by the folder of the file it reaches. The build refuses most of
# these (each layer sees only its own and lower folders); this also catches
# what the build cannot: a layer skipped on the way down, a path through `../`.
set -u
SRC=$(realpath "${1:?usage: check_layers.sh SRC_DIR}")
allowed() {
  case $1 in
    platform) echo "platform" ;;
    mixer) echo "mixer platform" ;;
    controls) echo "controls" ;;
    strips) echo "strips controls mixer" ;;
    play | rec | config | meter) echo "$1 strips controls mixer" ;;
    tools) echo "tools mixer platform" ;;
    app) echo "app play rec config meter strips controls mixer platform" ;;
  esac
}
status=0
while IFS= read -r -d '' file; do
  rel=${file#"$SRC"/}
  folder=${rel%%/*}
  ok=" $(allowed "$folder") "
  while IFS=: read -r line include; do
    name=${include#*\"}
    name=${name%%\"*}
    if [ -f "${file%/*}/$name" ]; then
      target=$(realpath -m "${file%/*}/$name")
    elif [ -f "$SRC/$name" ]; then
      target=$SRC/$name
      [[ $name != *..* && $name != ./* ]] || target=$(realpath -m "$target")
    else
      continue # not ours (generated: *.moc)
    fi
    if [[ $target != "$SRC"/* ]]; then
      echo "$rel:$line: reaches outside the sources: $include"
      status=1
      continue
    fi
    to=${target#"$SRC"/}
    if [[ $ok != *" ${to%%/*} "* ]]; then
      echo "$rel:$line: $folder/ may not include ${to%%/*}/ ($to): $include"
      status=1
    elif [[ $to == platform/*/* && $folder != platform ]]; then
      echo "$rel:$line: only platform/ includes a driver ($to): $include"
      status=1
    fi
  done < <(grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" | sed -E 's/^([0-9]+):[[:space:]]*#[[:space:]]*include[[:space:]]*/\1:#include /')
done < <(find "$SRC" -type f \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z)
[ $status -eq 0 ] && echo "PASS"
exit $status
