#!/usr/bin/env bash
# Times the literal and the fast engine side by side and checks that their
# standard output, standard error and exit status are byte-identical.
#
#   bench/run.sh DATA_DIR [BUILD_DIR] [INPUT...]
#
# DATA_DIR comes from ../shared/bench/make_data.sh DATA_DIR (keep it out of
# git). INPUT names files in DATA_DIR; the default is the 2000-line cuts,
# which this script makes from the full inputs. OPTION_SETS may override the
# option sets (one set per line). LITERAL=0 skips the literal engine.
set -euo pipefail
data=$1
build=${2:-build}
shift $(($# >= 2 ? 2 : $#))
for name in words pkgdesc logs; do
  [[ -f $data/${name}_2k.txt ]] || head -2000 "$data/$name.txt" >"$data/${name}_2k.txt"
done
inputs=("$@")
((${#inputs[@]})) || inputs=(words_2k.txt pkgdesc_2k.txt logs_2k.txt)
option_sets=${OPTION_SETS:-$'-d\n-d -m\n-d -p -a9\n-d -f\n-d -a9999\n-d -b'}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Runs one engine; prints "seconds peak_kb" and leaves its streams in $scratch/$tag.*
timed() {
  local tag=$1 threads=$2 binary=$3 input=$4
  shift 4
  local status=0
  VEXARO_THREADS=$threads /usr/bin/time -o "$scratch/$tag.time" -f "%e %M" \
    "$binary" "$@" <"$input" >"$scratch/$tag.out" 2>"$scratch/$tag.err" || status=$?
  echo "$status" >"$scratch/$tag.status"
  tail -1 "$scratch/$tag.time"
}

same() {
  cmp -s "$scratch/$1.out" "$scratch/$2.out" && cmp -s "$scratch/$1.err" "$scratch/$2.err" &&
    cmp -s "$scratch/$1.status" "$scratch/$2.status"
}

cores=$(nproc)
printf '| input | N | options | literal s | fast 1 thread s | fast %s threads s | ratio | peak RSS MB | identical |\n' "$cores"
printf '|---|---|---|---|---|---|---|---|---|\n'
for input in "${inputs[@]}"; do
  file=$data/$input
  lines=$(wc -l <"$file")
  while IFS= read -r options; do
    read -r -a args <<<"$options"
    literal=-
    if [[ ${LITERAL:-1} != 0 ]]; then read -r literal _ < <(timed literal 1 "$build/vexaro-literal" "$file" "${args[@]}"); fi
    read -r one _ < <(timed one 1 "$build/vexaro" "$file" "${args[@]}")
    read -r all rss < <(timed all "$cores" "$build/vexaro" "$file" "${args[@]}")
    identical=yes
    same one all || identical=NO
    if [[ $literal != - ]]; then same literal one || identical=NO; fi
    ratio=-
    [[ $literal == - ]] || ratio=$(awk -v a="$literal" -v b="$all" 'BEGIN { printf "%.0f", a / (b > 0.005 ? b : 0.005) }')
    printf '| %s | %s | %s | %s | %s | %s | %s | %s | %s |\n' "$input" "$lines" "$options" "$literal" "$one" \
      "$all" "$ratio" "$((rss / 1024))" "$identical"
  done <<<"$option_sets"
done
