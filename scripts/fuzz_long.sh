#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The long fuzz run: every target for SECONDS (600 by default), one after
# the other, at low priority so the machine stays usable.
#   scripts/fuzz_long.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true
exec nice -n 10 scripts/fuzz.sh "$seconds" "$@"
