#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Puts "SPDX-License-Identifier: MIT", in the file's own comment syntax, at
# the head of every tracked source file that lacks it (below a "#!" line),
# so that each file states its licence wherever it is copied to. Running it
# again changes nothing; run it after files are added, moved or restructured.
#   scripts/spdx_headers.sh           add the line where it is missing
#   scripts/spdx_headers.sh --check   list the files that lack it; exit 1 if any
# Outside a git work tree it does nothing and exits with 77 (CTest: skipped).
set -euo pipefail
cd "$(dirname "$0")/.."
tag='SPDX-License-Identifier: MIT'

# The comment line for `file`; nothing for a file that is not source.
comment_for() {
  case "$1" in
    *.cpp | *.h) echo "// $tag" ;;
    *.cmake | *CMakeLists.txt | *.in | *.sh | *.py | *.pyi | *.toml) echo "# $tag" ;;
    *.[1-8]) echo ".\\\" $tag" ;;
    *) if [[ -x $1 ]] && head -c2 "$1" | grep -q '^#!'; then echo "# $tag"; fi ;;
  esac
}

# Writes `comment` at the head of `file`, below its "#!" line if it has one;
# `cat >` keeps the file's mode.
insert() {
  local file=$1 comment=$2 temp
  temp=$(mktemp)
  if head -c2 "$file" | grep -q '^#!'; then
    { head -n1 "$file"; printf '%s\n' "$comment"; tail -n +2 "$file"; } >"$temp"
  else
    { printf '%s\n' "$comment"; cat "$file"; } >"$temp"
  fi
  cat "$temp" >"$file"
  rm -f "$temp"
}

git rev-parse --is-inside-work-tree >/dev/null 2>&1 || {
  echo "not a git work tree: no list of tracked files" >&2
  exit 77
}
missing=0
while IFS= read -r -d '' file; do
  [[ -f $file ]] || continue
  comment=$(comment_for "$file")
  [[ -n $comment ]] || continue
  head -n3 "$file" | grep -q 'SPDX-License-Identifier:' && continue
  missing=$((missing + 1))
  if [[ ${1:-} == --check ]]; then
    echo "no SPDX-License-Identifier line: $file"
  else
    insert "$file" "$comment"
    echo "added: $file"
  fi
done < <(git ls-files -z)
if [[ ${1:-} == --check ]] && ((missing)); then
  echo "$missing source files lack the line; scripts/spdx_headers.sh adds it"
  exit 1
fi
