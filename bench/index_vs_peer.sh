#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Many queries against one list: the peer's loop (a cached scorer per
# query over every choice, the best so far as its cutoff, one thread)
# beside vexaro::Index in the same run, as whole processes.
#
#   PEER=path/to/rapidfuzz_extract bench/index_vs_peer.sh DATA_DIR [BUILD_DIR]
#
# DATA_DIR holds pkgdesc_all.txt and queries_1k.txt from
# ../shared/bench/make_data.sh; ../shared/peers/build.sh builds the peer.
# BUILD_DIR is a Release build with -DVEXARO_BUILD_BENCHMARKS=ON (for
# bench/vexaro_index_lookups). CHOICES and QUERIES name other files of
# DATA_DIR; RUNS (default 3) is how often each line runs, the table showing
# the fastest, as other load only adds. Lookups are a form's time less the
# build alone. Without PEER the peer's line is left out.
set -euo pipefail
export LC_ALL=C
data=$1
build=${2:-build}
choices=$data/${CHOICES:-pkgdesc_all.txt}
queries=$data/${QUERIES:-queries_1k.txt}
runs=${RUNS:-3}
lookups=$build/bench/vexaro_index_lookups
[[ -x $lookups ]] || { echo "no $lookups: build with -DVEXARO_BUILD_BENCHMARKS=ON" >&2; exit 2; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The fastest of $runs runs: "wall_seconds cpu_seconds peak_kb".
timed() {
  local best="" line
  for ((run = 0; run < runs; ++run)); do
    /usr/bin/time -f '%e %U %S %M' -o "$scratch/time" "$@" <"$queries" >"$scratch/out"
    line=$(awk '{ printf "%.2f %.2f %d", $1, $2 + $3, $4 }' "$scratch/time")
    if [[ -z $best ]] || awk -v a="${line%% *}" -v b="${best%% *}" 'BEGIN { exit !(a < b) }'; then
      best=$line
    fi
  done
  echo "$best"
}

echo "| run | threads | wall s | cpu s | lookups s | peak MB | peer / lookups |"
echo "|---|---|---|---|---|---|---|"
peer_wall=""
if [[ -n ${PEER:-} ]]; then
  read -r peer_wall cpu kb < <(timed "$PEER" "$choices")
  echo "| peer loop | 1 | $peer_wall | $cpu | $peer_wall | $((kb / 1024)) | 1 |"
fi
read -r build_wall cpu kb < <(timed "$lookups" "$choices" build 1)
echo "| index build | 1 | $build_wall | $cpu | - | $((kb / 1024)) | - |"
for form in "best 1" "extract5 1" "batch 1" "batch 2"; do
  read -r wall cpu kb < <(timed "$lookups" "$choices" $form)
  lookup=$(awk -v a="$wall" -v b="$build_wall" 'BEGIN { d = a - b; printf "%.2f", (d > 0 ? d : 0) }')
  ratio=-
  if [[ -n $peer_wall ]]; then
    ratio=$(awk -v p="$peer_wall" -v l="$lookup" 'BEGIN { if (l > 0) printf "%.0f", p / l; else print "-" }')
  fi
  echo "| index ${form% *} | ${form#* } | $wall | $cpu | $lookup | $((kb / 1024)) | $ratio |"
done
