#!/usr/bin/env bash
# pawnlet-cli check on one core and on every core, on the 100 MB benchmark file and on its
# zstd-compressed copy, beside pgn-extract (`-r --quiet`: the same parse and legality check,
# nothing written) on the same file and behind `zstdcat |`; and list, whose scan stays on one
# core. Measured side by side in one run, alternating, RUNS times over; prints the median wall
# time, the median processor time (user + system) and the largest peak memory of each, then the
# ratios. Figures only: nothing here passes or fails on time. The report of check on every core
# is compared with the one on one core, byte for byte, for both files.
#
# On a machine that others use at the same time, wall times wait for a free processor: compare
# the processor times as well.
#
# Usage: bench/scale.sh [BIG_FILE]   (default /tmp/corpus/big.pgn, built when missing)
#        RUNS=N (default 3); JOBS=N (default: nproc) the threads of the all-core runs.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BUILD:-$ROOT/build-bench}
BIG=${1:-/tmp/corpus/big.pgn}
RUNS=${RUNS:-3}
JOBS=${JOBS:-$(nproc)}
. "$ROOT/bench/common.sh"

# The peers measured beside pawnlet-cli, from the distribution's archive.
missing=()
# Debian puts pgn-extract in /usr/games, which a login shell's PATH may lack.
command -v pgn-extract >/dev/null || [ -x /usr/games/pgn-extract ] || missing+=(pgn-extract)
command -v zstd >/dev/null || missing+=(zstd)
if [ ${#missing[@]} -gt 0 ]; then
    echo "scale: installing ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
fi
PGN_EXTRACT=$(command -v pgn-extract || echo /usr/games/pgn-extract)

# CLI=PATH measures another build of pawnlet-cli.
CLI=${CLI:-$(build_cli)}
ensure_file scale "$BIG"
ZST=${ZST:-$BIG.zst}
if [ ! -f "$ZST" ] || [ "$ZST" -ot "$BIG" ]; then
    zstd -q -f -T0 -3 "$BIG" -o "$ZST"
fi
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
echo "scale: $(stat -c %s "$BIG") bytes in $BIG, $(stat -c %s "$ZST") compressed; $JOBS threads;" \
    "$RUNS rounds; $(nproc) processors; load average: $(cut -d' ' -f1-3 /proc/loadavg)"

# The same report on every core as on one, for the plain and the compressed file.
"$CLI" check -j 1 "$BIG" >"$WORK/one.txt" || true
for file in "$BIG" "$ZST"; do
    "$CLI" check -j "$JOBS" "$file" >"$WORK/all.txt" || true
    if cmp -s "$WORK/one.txt" "$WORK/all.txt"; then
        echo "scale: check -j $JOBS $(basename "$file"): the same report as check -j 1 ($(tail -n 1 "$WORK/all.txt"))"
    else
        echo "scale: check -j $JOBS $(basename "$file"): REPORT DIFFERS from check -j 1"
    fi
done

names=(list check-j1 "check-j$JOBS" pgn-extract zst-check-j1 "zst-check-j$JOBS" zstdcat-pgn-extract)
commands=(
    "\"$CLI\" list \"$BIG\""
    "\"$CLI\" check -j 1 \"$BIG\""
    "\"$CLI\" check -j $JOBS \"$BIG\""
    "\"$PGN_EXTRACT\" -r --quiet \"$BIG\""
    "\"$CLI\" check -j 1 \"$ZST\""
    "\"$CLI\" check -j $JOBS \"$ZST\""
    "zstdcat \"$ZST\" | \"$PGN_EXTRACT\" -r --quiet"
)

cat "$BIG" "$ZST" >/dev/null
for ((round = 1; round <= RUNS; round++)); do
    for i in "${!names[@]}"; do
        # wall, user, system, peak memory of the process and its children (the pipeline's
        # largest member).
        /usr/bin/time -f '%e %U %S %M' -o "$WORK/t" bash -c "${commands[$i]} >/dev/null 2>&1" || true
        tail -n 1 "$WORK/t" >>"$WORK/${names[$i]}"
    done
done

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
declare -A wall cpu
printf '%-22s %9s %9s %12s\n' "" "wall s" "cpu s" "peak kB"
for name in "${names[@]}"; do
    wall[$name]=$(awk '{ print $1 }' "$WORK/$name" | median)
    cpu[$name]=$(awk '{ print $2 + $3 }' "$WORK/$name" | median)
    peak=$(awk '{ print $4 }' "$WORK/$name" | sort -n | tail -n 1)
    printf '%-22s %9.2f %9.2f %12s\n' "$name" "${wall[$name]}" "${cpu[$name]}" "$peak"
done
ratio() {
    awk -v a="$2" -v b="$3" -v c="$4" -v d="$5" -v what="$1" \
        'BEGIN { printf "%-46s %6.2f x (wall)   %6.2f x (cpu)\n", what, (b > 0 ? a / b : 0), (d > 0 ? c / d : 0) }'
}
echo "ratios (how many times faster; wall: each runs alone, but the machine may not be idle):"
ratio "check -j $JOBS vs pgn-extract -r --quiet" "${wall[pgn-extract]}" "${wall[check-j$JOBS]}" \
    "${cpu[pgn-extract]}" "${cpu[check-j$JOBS]}"
ratio "zst check -j $JOBS vs zstdcat | pgn-extract" "${wall[zstdcat-pgn-extract]}" \
    "${wall[zst-check-j$JOBS]}" "${cpu[zstdcat-pgn-extract]}" "${cpu[zst-check-j$JOBS]}"
ratio "check -j $JOBS vs check -j 1" "${wall[check-j1]}" "${wall[check-j$JOBS]}" \
    "${cpu[check-j1]}" "${cpu[check-j$JOBS]}"
ratio "zst check -j $JOBS vs zst check -j 1" "${wall[zst-check-j1]}" "${wall[zst-check-j$JOBS]}" \
    "${cpu[zst-check-j1]}" "${cpu[zst-check-j$JOBS]}"
