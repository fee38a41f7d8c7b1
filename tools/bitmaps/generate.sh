#!/bin/sh
# Regenerates resources/bitmaps/*.png from the DejaVu Sans chess figures and simple drawings, and
# the desktop icons at every size (resources/icons/pawnlet-N.png, installed by the build).
# Usage: tools/bitmaps/generate.sh   (from anywhere; needs qt6-base-dev and fonts-dejavu-core)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build="${TMPDIR:-/tmp}/pawnlet-bitmaps-build"
cmake -S "$here" -B "$build" -G Ninja -Wno-dev >/dev/null
cmake --build "$build" >/dev/null
mkdir -p "$root/resources/bitmaps" "$root/resources/icons"
QT_QPA_PLATFORM=offscreen "$build/make_bitmaps" "$root/resources/bitmaps" --icons "$root/resources/icons"
