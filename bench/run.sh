#!/usr/bin/env bash
# Benchmarks of pawnlet-cli on the 100 MB file of 156,200 real games: the tag scan of `list` and
# the full load and legality check of `check`. Prints the wall time and peak memory of each run.
# Figures only: nothing here passes or fails on time. On a busy machine compare user + system
# time, or instruction counts (bench/instructions.sh), rather than wall time. After a change
# meant only to make a command faster, bench/same-output.sh OLD_CLI NEW_CLI shows that list and
# check still give the same bytes.
#
# Usage: bench/run.sh [BIG_FILE]   (default /tmp/corpus/big.pgn, built when missing)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BUILD:-$ROOT/build-bench}
BIG=${1:-/tmp/corpus/big.pgn}
. "$ROOT/bench/common.sh"

CLI=$(build_cli)
ensure_file bench "$BIG"
echo "bench: $(stat -c %s "$BIG") bytes in $BIG; load average: $(cut -d' ' -f1-3 /proc/loadavg)"

measure() {
    local name=$1; shift
    local log
    log=$(mktemp)
    # Once to bring the file into the page cache, then the measured run.
    "$@" >/dev/null 2>&1 || true
    /usr/bin/time -v "$@" 2>"$log" >"$log.out" || true
    local wall user sys rss
    wall=$(grep 'Elapsed (wall clock)' "$log" | awk '{print $NF}')
    user=$(grep 'User time' "$log" | awk '{print $NF}')
    sys=$(grep 'System time' "$log" | awk '{print $NF}')
    rss=$(grep 'Maximum resident set size' "$log" | awk '{print $NF}')
    # On a busy machine the wall time includes waiting for a processor; user + system is the
    # work done.
    printf '%-6s wall %s   user %s s + system %s s   peak memory %s kB\n' \
        "$name" "$wall" "$user" "$sys" "$rss"
    printf '       last line: %s\n' "$(tail -n 1 "$log.out")"
    rm -f "$log" "$log.out"
}

measure list "$CLI" list "$BIG"
measure check "$CLI" check "$BIG"
