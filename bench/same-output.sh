#!/usr/bin/env bash
# Checks that two builds of pawnlet-cli give the same bytes for `list` and `check` (output and
# exit status) on the benchmark file and on every file of the real-game corpus and of the test
# data: a speed-up must not change a single byte.
#
# Usage: bench/same-output.sh OLD_CLI NEW_CLI [BIG_FILE]
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OLD=${1:?old pawnlet-cli}
NEW=${2:?new pawnlet-cli}
BIG=${3:-/tmp/corpus/big.pgn}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

files=()
[ -f "$BIG" ] && files+=("$BIG")
for f in "$ROOT"/../shared/corpus/real/* "$ROOT"/tests/data/pgn/*; do
    [ -f "$f" ] && files+=("$f")
done
if [ ${#files[@]} -eq 0 ]; then
    echo "same-output: no files to compare" >&2
    exit 1
fi

differ=0
for f in "${files[@]}"; do
    for command in list check; do
        "$OLD" "$command" "$f" >"$WORK/old" 2>"$WORK/old.err"
        echo "status $?" >>"$WORK/old.err"
        "$NEW" "$command" "$f" >"$WORK/new" 2>"$WORK/new.err"
        echo "status $?" >>"$WORK/new.err"
        if ! cmp -s "$WORK/old" "$WORK/new" || ! cmp -s "$WORK/old.err" "$WORK/new.err"; then
            echo "DIFFERENT: $command $f"
            differ=1
        fi
    done
done
if [ $differ -eq 0 ]; then
    echo "same-output: ${#files[@]} files, list and check identical"
fi
exit $differ
