#!/usr/bin/env bash
# Checks that every C++ source of the project is laid out as .clang-format says, without changing
# anything; `scripts/check-format.sh --fix` rewrites the files instead.
#
# The layout is pinned to one clang-format release: another release lays some constructs out
# differently, and the check would then fail on code nobody touched.
set -euo pipefail
cd "$(dirname "$0")/.."

tool=clang-format-14
command -v "$tool" >/dev/null || { echo "check-format: $tool is missing (scripts/install-deps.sh test)" >&2; exit 1; }

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
else
    mapfile -t files < <(find app bench chess dialogs gametree installer pgn platform resources \
        tests tools -name '*.cpp' -o -name '*.h' | sort)
fi

if [ "${1:-}" = --fix ]; then
    "$tool" -i "${files[@]}"
elif ! "$tool" --dry-run -Werror "${files[@]}" 2>/dev/null; then
    echo "check-format: these files are not laid out as .clang-format says (scripts/check-format.sh --fix):" >&2
    "$tool" --dry-run "${files[@]}" 2>&1 | sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: warning:.*/  \1/p' | sort -u >&2
    exit 1
fi
