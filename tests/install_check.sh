#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks the tree a desktop expects: the program
# with its sounds, the command in bin/, the icons, the menu entry and the AppStream metadata.
# Usage: install_check.sh CMAKE BUILD_DIR VERSION
set -euo pipefail
cmake=$1 build=$2 version=$3
fail() { echo "FAIL: $*" >&2; exit 1; }
tmp=$(mktemp -d "${TMPDIR:-/tmp}/quolmar-install.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

"$cmake" --install "$build" --prefix "$tmp" >/dev/null
cd "$tmp"

# The program finds its sounds beside itself: every one the build made, and nothing else.
[ -x lib/quolmar/quolmar ] || fail "no lib/quolmar/quolmar"
n=0
for f in "$build"/*.wav "$build"/*.mid; do
    cmp -s "$f" "lib/quolmar/${f##*/}" || fail "${f##*/} is not installed beside the program"
    n=$((n + 1))
done
[ "$n" -eq 25 ] || fail "the build made $n sound files, not 25"
[ "$(ls lib/quolmar | wc -l)" -eq 26 ] || fail "lib/quolmar holds more: $(ls lib/quolmar)"

# A relative link keeps the tree working wherever it is unpacked.
[[ -L bin/quolmar && $(readlink bin/quolmar) != /* ]] || fail "bin/quolmar is not a relative link"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM bin/quolmar --version) ||
    fail "bin/quolmar --version failed"
[ "$out" = "quolmar $version" ] || fail "bin/quolmar --version printed '$out'"

icons=share/icons/hicolor
for s in 16 32 48; do
    f=$icons/${s}x$s/apps/quolmar.png
    [ "$(head -c 8 "$f" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$f is not a PNG"
    size=$(od -An -tu4 --endian=big -j16 -N8 "$f" | xargs)
    [ "$size" = "$s $s" ] || fail "$f is $size pixels"
done
grep -q '<svg' $icons/scalable/apps/quolmar.svg || fail "no scalable icon"

# The menu entry starts the installed command and shows the installed icon.
desktop=share/applications/org.example.quolmar.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "bin/$exec" ] || fail "Exec=$exec is not in bin/"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$icons/scalable/apps/$icon.svg" ] || fail "Icon=$icon is not installed"

# validate-tree also checks that the launchable names the installed menu entry.
appstreamcli validate-tree --no-net . >/dev/null || fail "$(appstreamcli validate-tree --no-net .)"
grep -q "<release version=\"$version\"" share/metainfo/org.example.quolmar.metainfo.xml ||
    fail "the metadata has no release $version"
