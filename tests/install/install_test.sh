#!/usr/bin/env bash
# Installs the build into a scratch root the way a package does (DESTDIR, prefix /usr) and checks
# what lands there: the programs run, the desktop entry and the metainfo pass their validators,
# the icons have their sizes, the man pages format without warnings.
# Usage: install_test.sh BUILD_DIR SAMPLE_PGN WITH_LUMBRAK(ON|OFF)
set -euo pipefail
build=$1 sample=$2 lumbrak=$3
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
usr="$root/usr"

expected=(
    bin/pawnlet bin/pawnlet-cli
    share/applications/pawnlet.desktop
    share/metainfo/org.quorvex.Pawnlet.metainfo.xml
    share/man/man1/pawnlet.1.gz share/man/man1/pawnlet-cli.1.gz
    share/doc/pawnlet/copyright share/doc/pawnlet/changelog.gz
)
for size in 16 22 24 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/pawnlet.png")
done
[ "$lumbrak" = ON ] && expected+=(share/pawnlet/windows/Lumbrak.dll)
for f in "${expected[@]}"; do
    [ -f "$usr/$f" ] || fail "not installed: $f"
done
# Nothing else: every installed file is one of those.
extra=$(cd "$usr" && find . -type f | sed 's|^\./||' | sort | comm -23 - <(printf '%s\n' "${expected[@]}" | sort))
[ -z "$extra" ] || fail "installed but not expected: $extra"

for size in 16 22 24 32 48 64 128 256; do
    file "$usr/share/icons/hicolor/${size}x${size}/apps/pawnlet.png" | grep -q "PNG image data, $size x $size," ||
        fail "the ${size}x${size} icon is not a $size-pixel PNG"
done
grep -qx 'MimeType=application/x-chess-pgn;' "$usr/share/applications/pawnlet.desktop" ||
    fail "the desktop entry does not offer PGN files"
desktop-file-validate "$usr/share/applications/pawnlet.desktop"
appstreamcli validate --no-net "$usr/share/metainfo/org.quorvex.Pawnlet.metainfo.xml" >/dev/null ||
    fail "appstreamcli validate: $(appstreamcli validate --no-net "$usr/share/metainfo/org.quorvex.Pawnlet.metainfo.xml")"
for page in pawnlet pawnlet-cli; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man $page: $warnings"
done

[ "$("$usr/bin/pawnlet-cli" check "$sample")" = "4 games, 151 moves, 0 errors" ] ||
    fail "the installed pawnlet-cli does not read $sample"
"$usr/bin/pawnlet-cli" --help | grep -q '^Usage: pawnlet-cli' || fail "pawnlet-cli --help"
QT_QPA_PLATFORM=offscreen "$usr/bin/pawnlet" --screenshot "$root/shot.png" "$sample" >/dev/null 2>&1 ||
    fail "the installed pawnlet did not write a screenshot"
file "$root/shot.png" | grep -q "PNG image data" || fail "the installed pawnlet's screenshot is no PNG"
echo "installed and checked: ${#expected[@]} files"
