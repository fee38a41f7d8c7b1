#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those that are missing.
# Idempotent and quiet when everything is already there.
#
#   scripts/install-deps.sh run    what building and running the program needs
#   scripts/install-deps.sh test   that, and what the tests, the cross-built launcher and the
#                                  package need (the default)
set -euo pipefail

run_packages=(
    build-essential cmake ninja-build pkg-config libarchive-dev
    qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev
    fonts-dejavu-core fonts-dejavu-extra
)
test_packages=(
    libgtest-dev libgmock-dev
    clang libclang-rt-14-dev clang-format-14
    xvfb xauth
    mingw-w64 wine wine64
    time valgrind
    xdotool x11-apps netpbm
    dpkg-dev file desktop-file-utils appstream lintian
)

case "${1:-test}" in
    run) packages=("${run_packages[@]}") ;;
    test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
    *)
        echo "usage: $0 [run|test]" >&2
        exit 64
        ;;
esac

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
