#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# How a run's cost grows with the record count: times the program on the
# first 16000, the first 32000 and all records of each input, with
# VEXARO_MAX_RECORDS taking them all, and prints a Markdown table with the
# exponent of each step (log of the time ratio over log of the count ratio).
# Beside the wall time it shows the CPU time (user + system), which a
# machine busy with other work changes less; the exponents are of the wall
# time. SIZES (default "16000 32000 all") are the counts taken.
#
#   bench/growth.sh DATA_DIR [BUILD_DIR] [INPUT...]
#
# The inputs default to pkgdesc_all.txt, clusters_64k.txt and words_all.txt
# of ../shared/bench/make_data.sh. OPTIONS (default -d) are the program's
# options; VEXARO_THREADS is passed on. PEER names the peer chain, timed on
# the same cuts with PEER_MAX_RECORDS set; its runs stop after the count
# PEER_UP_TO (default: all), and its larger times are then estimated from
# its last exponent and marked "~".
set -euo pipefail
export LC_ALL=C
data=$1
build=${2:-build}
shift $(($# >= 2 ? 2 : $#))
inputs=("$@")
((${#inputs[@]})) || inputs=(pkgdesc_all.txt clusters_64k.txt words_all.txt)
read -r -a options <<<"${OPTIONS:--d}"
peer_up_to=${PEER_UP_TO:-2147483647}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Runs a command on an input with streams to /dev/null; prints "seconds
# cpu_seconds peak_kb".
timed() {
  local input=$1
  shift
  /usr/bin/time -o "$scratch/time" -f "%e %U %S %M" "$@" <"$input" >/dev/null 2>&1 || true
  tail -1 "$scratch/time" | awk '{ printf "%s %.2f %s\n", $1, $2 + $3, $4 }'
}

exponent() {
  awk -v t1="$1" -v t2="$2" -v n1="$3" -v n2="$4" \
    'BEGIN { if (t1 > 0 && t2 > 0) printf "%.2f", log(t2 / t1) / log(n2 / n1); else print "-" }'
}

printf '| input | records | seconds | CPU s | exponent | peak RSS MB | peer s | peer exponent | peer / program |\n'
printf '|---|---|---|---|---|---|---|---|---|\n'
for input in "${inputs[@]}"; do
  file=$data/$input
  all=$(wc -l <"$file")
  last_n=0 last_t=0 last_peer=0 peer_exp=-
  for n in ${SIZES:-16000 32000 all}; do
    [[ $n != all ]] || n=$all
    ((n <= all)) || continue
    ((n > last_n)) || continue
    head -n "$n" "$file" >"$scratch/cut"
    read -r seconds cpu rss < <(VEXARO_MAX_RECORDS=$n timed "$scratch/cut" "$build/vexaro" "${options[@]}")
    exp=-
    ((last_n == 0)) || exp=$(exponent "$last_t" "$seconds" "$last_n" "$n")
    peer=- ratio=- shown_exp=-
    if [[ -n ${PEER:-} ]]; then
      if ((n <= peer_up_to)); then
        read -r peer _ _ < <(PEER_MAX_RECORDS=$n timed "$scratch/cut" "$PEER")
        ((last_n == 0)) || peer_exp=$(exponent "$last_peer" "$peer" "$last_n" "$n")
        shown_exp=$peer_exp
      elif [[ $peer_exp != - ]]; then
        peer=$(awk -v t="$last_peer" -v n1="$last_n" -v n2="$n" -v e="$peer_exp" \
          'BEGIN { printf "%.1f", t * (n2 / n1) ^ e }')
      fi
      [[ $peer == - ]] || ratio=$(awk -v a="$peer" -v b="$seconds" \
        'BEGIN { printf "%.1f", a / (b > 0.01 ? b : 0.01) }')
      last_peer=$peer
      if ((n > peer_up_to)) && [[ $peer != - ]]; then peer="~$peer" ratio="~$ratio"; fi
    fi
    printf '| %s | %s | %s | %s | %s | %s | %s | %s | %s |\n' "$input" "$n" "$seconds" "$cpu" "$exp" \
      "$((rss / 1024))" "$peer" "$shown_exp" "$ratio"
    last_n=$n last_t=$seconds
  done
done
