#!/usr/bin/env bash
# Builds the Debian package, checks its control fields and has Debian's checker look at it, and
# unpacks it (CPack installs by the rules cmake --install uses) to check the tree a desktop
# expects, and that it holds nothing else.
#   package_check.sh CPACK BUILD_DIR VERSION SANITIZED(0|1)
set -euo pipefail
cpack=$1 build=$2 version=$3 sanitized=$4
fail() { echo "FAIL: $*" >&2; exit 1; }
tmp=$(mktemp -d "${TMPDIR:-/tmp}/quolmar-deb.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

# Made in a debian/ folder, where dpkg-shlibdeps will look for the unpacked tree.
(cd "$build" && "$cpack" -G DEB -B "$tmp/debian" --config CPackConfig.cmake >/dev/null) || fail "cpack"
deb=$tmp/debian/quolmar_${version}_amd64.deb
[ -f "$deb" ] || fail "no ${deb##*/}, only: $(ls "$tmp/debian")"
for want in Package=quolmar Version="$version" Architecture=amd64 Section=games 'Maintainer=*@example.org>'; do
    got=$(dpkg-deb -f "$deb" "${want%%=*}")
    [[ $got == ${want#*=} ]] || fail "${want%%=*}: $got"
done
depends=$(dpkg-deb -f "$deb" Depends | tr ',|' '\n\n' | sed 's/^ *//')
dep() { awk -v p="$1" '$1 == p' <<<"$depends"; }
# What the program loads without linking it: the SVG and window-system plugins and the fonts the
# windows are drawn with. A General MIDI SoundFont is only suggested: the music has its own, and a
# machine that installs the package never downloads 120 MB for it.
for p in libqt6svg6 qt6-qpa-plugins fonts-liberation2 fonts-dejavu-core; do
    [ -n "$(dep "$p")" ] || fail "Depends lacks $p"
done
[ -z "$(dep fluid-soundfont-gm)" ] || fail "Depends names a General MIDI SoundFont"
[ "$(dpkg-deb -f "$deb" Recommends)" = qt6-wayland ] || fail "Recommends: $(dpkg-deb -f "$deb" Recommends)"
[ "$(dpkg-deb -f "$deb" Suggests)" = "fluid-soundfont-gm | timgm6mb-soundfont" ] ||
    fail "Suggests: $(dpkg-deb -f "$deb" Suggests)"
# At most 15 MB to download and 20 MB installed; a sanitizer's program is several times larger.
if [ "$sanitized" = 0 ]; then
    [ "$(stat -c %s "$deb")" -le 15000000 ] || fail "the package is $(stat -c %s "$deb") bytes"
    [ "$(dpkg-deb -f "$deb" Installed-Size)" -le 19531 ] || fail "Installed-Size: $(dpkg-deb -f "$deb" Installed-Size) KiB"
fi

dpkg-deb -x "$deb" "$tmp/debian/quolmar"
# Every library the program and its audio module link must be in Depends, at least at the version it needs. Not
# for a sanitizer build: it links its own runtime and more of the GL libraries, and never ships.
if [ "$sanitized" = 0 ]; then
    printf 'Source: quolmar\n\nPackage: quolmar\nArchitecture: any\n' >"$tmp/debian/control"
    needed=$(cd "$tmp" && dpkg-shlibdeps -O debian/quolmar/usr/lib/quolmar/quolmar{,-audio.so} 2>/dev/null)
    while read -r pkg op min; do
        ours=$(dep "$pkg")
        [ -n "$ours" ] || fail "Depends lacks $pkg, which the program links"
        have=$(sed -n 's/.*(>= \(.*\))/\1/p' <<<"$ours")
        [ -z "$min" ] || { [ -n "$have" ] && dpkg --compare-versions "$have" ge "$min"; } ||
            fail "Depends has '$ours' but the program needs $pkg $op $min"
    done < <(sed 's/^shlibs:Depends=//; s/, /\n/g; s/[()]//g' <<<"$needed")
    # Every error and warning fails; the informational tags are Debian's hardening advice.
    lintian --fail-on error,warning "$deb" 2>/dev/null >"$tmp/lintian" || fail "lintian: $(cat "$tmp/lintian")"
fi

cd "$tmp/debian/quolmar"
stray=$(find . ! -type d | grep -vE '^\./usr/(games/quolmar|lib/quolmar/[^/]+|share/applications/org\.example\.quolmar\.desktop|share/metainfo/org\.example\.quolmar\.metainfo\.xml|share/icons/hicolor/[^/]+/apps/quolmar\.(png|svg)|share/doc/quolmar/(copyright|changelog\.gz|README\.md|docs/[a-z-]+\.png)|share/man/man6/quolmar\.6\.gz|share/quolmar/sample-questions\.csv)$' || true)
[ -z "$stray" ] || fail "unexpected files in the package: $stray"
cd usr
# The program finds its sounds beside itself: every one the build made, and nothing else.
n=0
for f in "$build"/*.wav "$build"/*.mid "$build"/*.sf2; do
    cmp -s "$f" "lib/quolmar/${f##*/}" && n=$((n + 1)) || fail "${f##*/} is not installed beside the program"
done
[ "$n" -eq 26 ] && [ -f lib/quolmar/quolmar-audio.so ] && [ "$(ls lib/quolmar | wc -l)" -eq 28 ] ||
    fail "lib/quolmar should hold the program, its audio module and 26 sound files (the build made $n): $(ls lib/quolmar | xargs)"

# A relative link keeps the tree working wherever it is unpacked.
[[ -L games/quolmar && $(readlink games/quolmar) != /* ]] || fail "games/quolmar is not a relative link"
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM games/quolmar --version)" = "quolmar $version" ] ||
    fail "games/quolmar --version did not print 'quolmar $version' without a display"
# The manual page shows (lintian renders it with warnings on; docs_check.sh holds what it says);
# the changelog's last entry is this version.
man -l share/man/man6/quolmar.6.gz >/dev/null 2>&1 || fail "man cannot show the manual page"
# The README and every picture it shows are installed beside the copyright.
grep -o '(docs/[a-z-]*\.png)' share/doc/quolmar/README.md | tr -d '()' | while read -r picture; do
    [ -f "share/doc/quolmar/$picture" ] || fail "the README's $picture is not installed"
done
zcat share/doc/quolmar/changelog.gz >"$tmp/changelog"
[ "$(dpkg-parsechangelog -l "$tmp/changelog" -S Version)" = "$version" ] ||
    fail "the changelog's last entry is not $version"

icons=share/icons/hicolor
# The PNG signature, then the header chunk with the width and height.
for s in 16 32 48; do
    f=$icons/${s}x$s/apps/quolmar.png
    [ "$(head -c 24 "$f" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a0000000d49484452$(printf %08x%08x $s $s) ] ||
        fail "$f is not a ${s}x$s PNG"
done
grep -q '<svg' $icons/scalable/apps/quolmar.svg || fail "no scalable icon"

# The menu entry starts the installed command and shows the installed icon.
desktop=share/applications/org.example.quolmar.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
[ -x "games/$(sed -n 's/^Exec=\([^ ]*\).*/\1/p;T;q' "$desktop")" ] || fail "$(grep ^Exec= "$desktop") is not in games/"
[ -f "$icons/scalable/apps/$(sed -n 's/^Icon=//p' "$desktop").svg" ] || fail "$(grep ^Icon= "$desktop") is not installed"
grep -Pqz 'Name=Play with audience screen\nExec=quolmar --audience\n' "$desktop" || fail "no audience screen action"

# validate-tree also checks that the launchable names the installed menu entry.
appstreamcli validate-tree --no-net . >/dev/null || fail "$(appstreamcli validate-tree --no-net .)"
appstreamcli validate --pedantic --no-net share/metainfo/*.xml >"$tmp/appstream" ||
    fail "appstreamcli: $(cat "$tmp/appstream")"
grep -q "<release version=\"$version\"" share/metainfo/*.xml || fail "the metadata has no release $version"
