#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Times the literal and the fast engine side by side and checks that their
# standard output, standard error and exit status are byte-identical.
#
#   bench/run.sh DATA_DIR [BUILD_DIR] [INPUT...]
#
# DATA_DIR comes from ../shared/bench/make_data.sh DATA_DIR (keep it out of
# git). INPUT names files in DATA_DIR; the default is the 2000-line cuts,
# which this script makes from the full inputs. OPTION_SETS may override the
# option sets (one set per line). LITERAL=0 skips the literal engine.
# FAST_RUNS (default 3) is how often each fast run is repeated for its
# time; the table shows the best, as the machine's other load only adds.
# PEER names the peer chain (../shared/peers/build.sh PEER builds it): it
# is timed on each input in the same run, under the first option set only,
# as it knows no options, and the last column is its time over the fast
# engine's on all threads.
set -euo pipefail
export LC_ALL=C  # a decimal point in $EPOCHREALTIME and awk
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

# Runs one engine under /usr/bin/time for its peak RSS, leaving its streams
# in $scratch/$tag.*, then `runs` more times alone; prints "best_seconds
# peak_kb". Wall time comes from the shell's microsecond clock, as the fast
# runs are too short for /usr/bin/time's 10 ms and for its own start-up.
timed() {
  local tag=$1 threads=$2 runs=$3 binary=$4 input=$5
  shift 5
  local status=0 start best
  start=$EPOCHREALTIME
  VEXARO_THREADS=$threads /usr/bin/time -o "$scratch/$tag.time" -f "%M" \
    "$binary" "$@" <"$input" >"$scratch/$tag.out" 2>"$scratch/$tag.err" || status=$?
  best=$(elapsed "$start")
  echo "$status" >"$scratch/$tag.status"
  for ((run = 0; run < runs; ++run)); do
    start=$EPOCHREALTIME
    VEXARO_THREADS=$threads "$binary" "$@" <"$input" >/dev/null 2>&1 || true
    best=$(awk -v a="$best" -v b="$(elapsed "$start")" 'BEGIN { print (b < a ? b : a) }')
  done
  echo "$best $(tail -1 "$scratch/$tag.time")"
}

elapsed() { awk -v a="$1" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.3f", b - a }'; }

same() {
  cmp -s "$scratch/$1.out" "$scratch/$2.out" && cmp -s "$scratch/$1.err" "$scratch/$2.err" &&
    cmp -s "$scratch/$1.status" "$scratch/$2.status"
}

cores=$(nproc)
fast_runs=${FAST_RUNS:-3}
printf '| input | N | options | literal s | fast 1 thread s | fast %s threads s | ratio | peak RSS MB | identical | peer s | peer / fast |\n' "$cores"
printf '|---|---|---|---|---|---|---|---|---|---|---|\n'
for input in "${inputs[@]}"; do
  file=$data/$input
  lines=$(wc -l <"$file")
  first_set=1
  while IFS= read -r options; do
    read -r -a args <<<"$options"
    literal=-
    if [[ ${LITERAL:-1} != 0 ]]; then read -r literal _ < <(timed literal 1 0 "$build/vexaro-literal" "$file" "${args[@]}"); fi
    read -r one _ < <(timed one 1 "$fast_runs" "$build/vexaro" "$file" "${args[@]}")
    read -r all rss < <(timed all "$cores" "$fast_runs" "$build/vexaro" "$file" "${args[@]}")
    identical=yes
    same one all || identical=NO
    if [[ $literal != - ]]; then same literal one || identical=NO; fi
    ratio=-
    [[ $literal == - ]] || ratio=$(awk -v a="$literal" -v b="$all" 'BEGIN { printf "%.0f", a / (b > 0.001 ? b : 0.001) }')
    peer=- peer_ratio=-
    if [[ -n ${PEER:-} && $first_set == 1 ]]; then
      read -r peer _ < <(timed peer 1 "$fast_runs" "$PEER" "$file")
      peer_ratio=$(awk -v a="$peer" -v b="$all" 'BEGIN { printf "%.1f", a / (b > 0.001 ? b : 0.001) }')
    fi
    first_set=0
    printf '| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |\n' "$input" "$lines" "$options" "$literal" "$one" \
      "$all" "$ratio" "$((rss / 1024))" "$identical" "$peer" "$peer_ratio"
  done <<<"$option_sets"
done
