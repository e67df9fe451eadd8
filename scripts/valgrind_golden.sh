#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs every golden case (tests/golden/<case>/) through valgrind's memcheck,
# with both engines, and checks that memcheck reports nothing and that
# stdout, stderr and the exit status still match the case. Not part of CI:
# memcheck makes the runs some fifty times slower.
#   scripts/valgrind_golden.sh            builds build-valgrind first
#   BUILD=dir scripts/valgrind_golden.sh  uses (and builds) another tree
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD:-build-valgrind}
command -v valgrind >/dev/null || { echo "valgrind is not installed" >&2; exit 2; }
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXARO_BUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j2 --target vexaro vexaro-literal >/dev/null

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
runs=0
for dir in tests/golden/*/; do
  name=$(basename "$dir")
  args=()
  if [[ -f $dir/args ]]; then
    mapfile -t args <"$dir/args"
  fi
  for binary in vexaro vexaro-literal; do
    runs=$((runs + 1))
    status=0
    valgrind --tool=memcheck --error-exitcode=99 --leak-check=full \
      --errors-for-leak-kinds=definite,indirect --track-origins=yes \
      --log-file="$scratch/memcheck" \
      "$build/$binary" "${args[@]}" <"$dir/stdin" >"$scratch/out" 2>"$scratch/err" || status=$?
    problems=()
    [[ $status == 99 ]] && problems+=("memcheck errors")
    grep -q 'ERROR SUMMARY: 0 errors' "$scratch/memcheck" || problems+=("memcheck summary")
    cmp -s "$scratch/out" "$dir/stdout" || problems+=("stdout")
    cmp -s "$scratch/err" "$dir/stderr" || problems+=("stderr")
    [[ "$status" == "$(cat "$dir/exit")" ]] || problems+=("exit $status")
    if ((${#problems[@]})); then
      failures=$((failures + 1))
      echo "FAIL $name ($binary): ${problems[*]}"
      cat "$scratch/memcheck"
    else
      echo "ok   $name ($binary)"
    fi
  done
done
echo "$((runs - failures)) passed, $failures failed"
((failures == 0))
