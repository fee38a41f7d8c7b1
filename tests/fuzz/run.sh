#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in their own build directory and runs each of them for a
# bounded time. `make fuzz` calls it without arguments; the test suite calls it with --smoke.
#
#   tests/fuzz/run.sh [--smoke] [--time SECONDS] [--prebuilt DIR] [TARGET...]
#
#   --smoke         a short run of every target (PAWNLET_FUZZ_SMOKE_TIME seconds each, 10 by default)
#   --time SECONDS  how long each target runs (PAWNLET_FUZZ_TIME, 300 by default)
#   --prebuilt DIR  run the targets that the ordinary build made in DIR (<build>/fuzz), build nothing
#   TARGET          fen, san, load, scan, roundtrip (all of them by default)
#
# The seed corpora are read, never written: tests/fuzz/corpus/fen/ and san/ for the chess
# readers, tests/fuzz/corpus/pgn/ for the three targets that read whole files: what a run adds
# goes to <build>/fuzz-corpus/<target>/, kept from run to run. An input that fails is saved under
# <build>/fuzz-artifacts/<target>/; copy it to tests/fuzz/regressions/<target>/ so that the
# regression test replays it in every build from then on.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${PAWNLET_FUZZ_BUILD:-$root/build-fuzz}
seconds=${PAWNLET_FUZZ_TIME:-300}
smoke=0
prebuilt=0
targets=()
all_targets=(fen san load scan roundtrip)

while [ $# -gt 0 ]; do
    case "$1" in
        --smoke) smoke=1; seconds=${PAWNLET_FUZZ_SMOKE_TIME:-10} ;;
        --time) shift; seconds=$1 ;;
        --prebuilt) shift; build=$1; prebuilt=1 ;;
        -h|--help) sed -n '2,17p' "${BASH_SOURCE[0]}"; exit 0 ;;
        *) targets+=("$1") ;;
    esac
    shift
done
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")

build_targets=()
for t in "${targets[@]}"; do build_targets+=("fuzz_$t"); done
if [ $prebuilt -eq 0 ]; then
    if ! command -v clang++ >/dev/null 2>&1; then
        echo "fuzz: clang++ is not installed (run scripts/install-deps.sh)" >&2
        exit 1
    fi
    flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
    cmake -S "$root" -B "$build" -G Ninja -Wno-dev \
        -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_FLAGS="$flags" \
        -DPAWNLET_FUZZ=ON -DPAWNLET_GUI=OFF -DPAWNLET_INSTALLER=OFF -DPAWNLET_WERROR=OFF >/dev/null
    cmake --build "$build" --target "${build_targets[@]}" -j2
fi
for t in "${build_targets[@]}"; do
    if [ ! -x "$build/tests/fuzz/$t" ]; then
        echo "fuzz: $build/tests/fuzz/$t was not built" >&2
        exit 1
    fi
done

# The targets write their inputs to scratch files and save them back; on a memory file system
# the flushes of a save cost nothing.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp

failed=()
summary=()
for t in "${targets[@]}"; do
    exe=$build/tests/fuzz/fuzz_$t
    work=$build/fuzz-corpus/$t
    artifacts=$build/fuzz-artifacts/$t
    case "$t" in
        fen|san) seeds=$root/tests/fuzz/corpus/$t ;;
        *) seeds=$root/tests/fuzz/corpus/pgn ;;
    esac
    mkdir -p "$work" "$artifacts"
    log=$build/fuzz-$t.log
    echo "fuzz: $t for ${seconds}s"
    status=0
    before=$(ls "$artifacts" | wc -l)
    # The long run goes on past a failure (each input runs in a child process), so that one
    # finding does not hide the next; the smoke run stops at the first.
    mode=()
    [ $smoke -eq 1 ] || mode=(-fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1)
    "$exe" "${mode[@]}" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2560 \
        -max_len=16384 -print_final_stats=1 -artifact_prefix="$artifacts/" \
        "$work" "$seeds" >"$log" 2>&1 || status=$?
    found=$(( $(ls "$artifacts" | wc -l) - before ))
    [ $found -eq 0 ] || status=${status/#0/1}
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
    [ -n "$runs" ] || runs=$(grep -o '^#[0-9]*' "$log" | tail -n1 | tr -d '#')
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n1 | cut -d' ' -f2 || true)
    ft=$(grep -o 'ft: [0-9]*' "$log" | tail -n1 | cut -d' ' -f2 || true)
    corpus=$(ls "$work" | wc -l)
    line=$(printf '%-10s %10s runs  cov %6s  ft %6s  corpus %5s  %ss' \
        "$t" "${runs:-?}" "${cov:-?}" "${ft:-?}" "$corpus" "$seconds")
    if [ $status -ne 0 ]; then
        line="$line  FAILED (exit $status, $found new failing inputs, log $log)"
        failed+=("$t")
        tail -n 60 "$log" >&2
    fi
    summary+=("$line")
done

echo
echo "fuzz summary:"
printf '  %s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz: failures in: ${failed[*]}; the failing inputs are under $build/fuzz-artifacts/" >&2
    echo "fuzz: copy each to tests/fuzz/regressions/<target>/ once the fault is understood" >&2
    exit 1
fi
