#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the libFuzzer targets with clang and runs each for a bounded time.
#   scripts/fuzz.sh SECONDS [TARGET...]
# Targets: arguments record_scan pair_scores program differential (all by default).
# The corpus grows in $BUILD/corpus/<target>, seeded from fuzz/corpus/<target>;
# a crashing input is left in $BUILD/artifacts/ and the script fails.
# BUILD defaults to build-fuzz.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:?usage: scripts/fuzz.sh SECONDS [TARGET...]}
shift
targets=("$@")
((${#targets[@]})) || targets=(arguments record_scan pair_scores program differential)
build=${BUILD:-build-fuzz}

cmake -S fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j2

mkdir -p "$build/artifacts"
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  echo "== fuzz_$target for ${seconds}s"
  # -max_len keeps inputs as small as the targets accept; -timeout flags a hang.
  if ! "$build/fuzz_$target" "$corpus" "fuzz/corpus/$target" \
      -max_total_time="$seconds" -max_len=4096 -timeout=20 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" \
      >"$build/fuzz_$target.log" 2>&1; then
    tail -n 60 "$build/fuzz_$target.log"
    echo "fuzz_$target failed; the input is in $build/artifacts/" >&2
    exit 1
  fi
  grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$build/fuzz_$target.log" || true
done
