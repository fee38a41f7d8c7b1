#!/usr/bin/env bash
# Instruction counts of `pawnlet-cli check` under valgrind (callgrind) on the 10 MB benchmark
# file: the whole run, and the part spent reading moves (ReadSan and everything below it: the
# search for the mover, the legality test, the new position and its move). Unlike processor
# time, the counts do not depend on what else the machine is doing, so two builds can be
# compared on a busy machine. Figures only: nothing here passes or fails.
#
# Usage: bench/instructions.sh [CLI] [FILE]
#   CLI   default: a Release pawnlet-cli built in $BUILD (default build-bench)
#   FILE  default: /tmp/corpus/ten.pgn, built with ../shared/corpus/make-big.sh when missing
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BUILD:-$ROOT/build-bench}
CLI=${1:-}
FILE=${2:-/tmp/corpus/ten.pgn}
. "$ROOT/bench/common.sh"

for tool in valgrind callgrind_annotate; do
    if ! command -v "$tool" >/dev/null; then
        echo "instructions: $tool is missing (scripts/install-deps.sh installs valgrind)" >&2
        exit 1
    fi
done
[ -n "$CLI" ] || CLI=$(build_cli)
ensure_file instructions "$FILE" 10000000

OUT=$(mktemp)
trap 'rm -f "$OUT" "$OUT.log"' EXIT
valgrind --tool=callgrind --callgrind-out-file="$OUT" "$CLI" check "$FILE" >/dev/null 2>"$OUT.log" || true
total=$(grep -o 'refs: *[0-9,]*' "$OUT.log" | tr -dc '0-9')
# With debug information a function's lines are split by source file; the largest entry is the
# one that holds the whole call.
moves=$(callgrind_annotate --inclusive=yes "$OUT" 2>/dev/null |
    awk '/ReadSan\(/ { gsub(",", "", $1); if ($1 + 0 > best) best = $1 + 0 } END { printf "%.0f", best }')
echo "instructions: $FILE: $total in total, $moves reading moves (ReadSan and below)"
