#!/usr/bin/env bash
# The game list over the 100 MB benchmark file (156,200 games), on the offscreen platform: the
# time until the list is on screen, on a first and a second opening, a tap on each of the eight
# headers, a filter typed one key at a time (and erased again), resident memory along the way
# and the peak. Figures only: nothing here passes or fails on time.
#
# Usage: bench/game_list.sh [BIG_FILE] [FILTER_TEXT]   (default /tmp/corpus/big.pgn, built when
#        missing; BUILD_GUI=DIR the Release build folder, default build-bench-gui)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BUILD_GUI:-$ROOT/build-bench-gui}
BIG=${1:-/tmp/corpus/big.pgn}
. "$ROOT/bench/common.sh"

cmake -S "$ROOT" -B "$BUILD" -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Release \
    -DPAWNLET_GUI=ON -DPAWNLET_INSTALLER=OFF -DPAWNLET_TESTS=OFF >/dev/null
cmake --build "$BUILD" --target game_list_bench -j2 >/dev/null
ensure_file game_list "$BIG"
echo "game_list: load average $(cut -d' ' -f1-3 /proc/loadavg)"
# Once to bring the file into the page cache, then the measured run.
cat "$BIG" >/dev/null
QT_QPA_PLATFORM=offscreen "$BUILD/bench/game_list_bench" "$BIG" ${2:+"$2"}
