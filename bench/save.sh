#!/usr/bin/env bash
# Saving the first game of the 100 MB benchmark file, against the cost of a durable copy of that
# file: `dd conv=fsync` writes the same bytes to a new file and flushes them, which is what any
# save that cannot lose the file must do at least. Measured side by side in one run, alternating
# and several times over, on a copy of the benchmark file; prints the median wall times and the
# ratios. Figures only: nothing here passes or fails on time.
#
#   copy    dd if=BIG of=NEW bs=1M conv=fsync
#   resave  pawnlet-cli resave COPY --game 1   (the game index scan, the load and the save)
#   load    pawnlet-cli show COPY --game 1     (the game index scan and the load, no save)
#   save    resave - load                      (the save alone)
#
# Usage: bench/save.sh [BIG_FILE]   (default /tmp/corpus/big.pgn, built when missing)
#        RUNS=N (default 5) sets the number of rounds; WORK=DIR where the copies go (default a
#        fresh folder beside BIG_FILE, so that both are on the same disk).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BUILD:-$ROOT/build-bench}
BIG=${1:-/tmp/corpus/big.pgn}
RUNS=${RUNS:-5}
. "$ROOT/bench/common.sh"

CLI=$(build_cli)
ensure_file save "$BIG"
WORK=${WORK:-$(mktemp -d "$(dirname "$BIG")/pawnlet-save-bench-XXXXXX")}
trap 'rm -rf "$WORK"' EXIT
cp "$BIG" "$WORK/copy.pgn"
echo "save: $(stat -c %s "$BIG") bytes in $BIG; $RUNS rounds; load average: $(cut -d' ' -f1-3 /proc/loadavg)"

# Seconds taken by the command, as a decimal number.
seconds() {
    local start=$EPOCHREALTIME
    "$@" >/dev/null
    awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.3f", b - a }'
}

median() {
    printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# Everything read comes from the page cache, in every measured run.
cat "$BIG" "$WORK/copy.pgn" >/dev/null
"$CLI" resave "$WORK/copy.pgn" --game 1
copies=() resaves=() loads=()
for ((round = 1; round <= RUNS; round++)); do
    rm -f "$WORK/dd.pgn"
    copies+=("$(seconds dd if="$BIG" of="$WORK/dd.pgn" bs=1M conv=fsync status=none)")
    resaves+=("$(seconds "$CLI" resave "$WORK/copy.pgn" --game 1)")
    loads+=("$(seconds "$CLI" show "$WORK/copy.pgn" --game 1)")
done
copy=$(median "${copies[@]}")
resave=$(median "${resaves[@]}")
load=$(median "${loads[@]}")
awk -v c="$copy" -v r="$resave" -v l="$load" 'BEGIN {
    s = r - l
    printf "copy   %.3f s   (dd conv=fsync)\n", c
    printf "resave %.3f s   %.2f x the copy   (index scan, load and save)\n", r, r / c
    printf "load   %.3f s                     (index scan and load)\n", l
    printf "save   %.3f s   %.2f x the copy   (resave - load)\n", s, s / c
}'
echo "save: every round (s): copy ${copies[*]}; resave ${resaves[*]}; load ${loads[*]}"
