# Shared by the benchmark scripts: a Release pawnlet-cli and the benchmark files.
# Sourced with ROOT set to the repository and BUILD to the build folder.

MAKE_BIG=$ROOT/../shared/corpus/make-big.sh

# Builds pawnlet-cli in Release in $BUILD and prints its path.
build_cli() {
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Release \
        -DPAWNLET_GUI=OFF -DPAWNLET_INSTALLER=OFF -DPAWNLET_TESTS=OFF >/dev/null
    cmake --build "$BUILD" --target pawnlet-cli -j2 >/dev/null
    echo "$BUILD/tools/cli/pawnlet-cli"
}

# Makes the benchmark file FILE from the corpus when it is missing; SIZE (bytes, optional) asks
# for a file of another size than the default 100 MB. NAME prefixes the messages.
ensure_file() {
    local name=$1 file=$2 size=${3:-}
    [ -f "$file" ] && return 0
    if [ ! -x "$MAKE_BIG" ]; then
        echo "$name: $file is missing and $MAKE_BIG is not there to build it" >&2
        exit 1
    fi
    echo "$name: building $file ..."
    if [ -n "$size" ]; then
        TARGET=$size "$MAKE_BIG" "$file"
    else
        "$MAKE_BIG" "$file"
    fi
}
