#!/usr/bin/env bash
# Builds the Debian package and checks its control fields and contents.
# Usage: deb_check.sh CPACK BUILD_DIR VERSION SANITIZED(0|1)
set -euo pipefail
cpack=$1 build=$2 version=$3 sanitized=$4
fail() { echo "FAIL: $*" >&2; exit 1; }
tmp=$(mktemp -d "${TMPDIR:-/tmp}/quolmar-deb.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

(cd "$build" && "$cpack" -G DEB -B "$tmp" --config CPackConfig.cmake >/dev/null) || fail "cpack"
deb=$tmp/quolmar_${version}_amd64.deb
[ -f "$deb" ] || fail "no ${deb##*/}, only: $(ls "$tmp")"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = quolmar ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = amd64 ] || fail "Architecture: $(field Architecture)"
[ "$(field Section)" = games ] || fail "Section: $(field Section)"
[[ $(field Maintainer) == *@example.org\>* ]] || fail "Maintainer: $(field Maintainer)"

depends=$(field Depends | tr ',|' '\n\n' | sed 's/^ *//')
for p in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 qt6-qpa-plugins \
         libsdl2-mixer-2.0-0 libfluidsynth3 fluid-soundfont-gm timgm6mb-soundfont \
         fonts-liberation2 fonts-dejavu-core; do
    awk -v p="$p" '$1 == p { found = 1 } END { exit !found }' <<<"$depends" || fail "Depends lacks $p"
done

# Every library the program links must be in Depends, at least at the version it needs. Not
# for a sanitizer build: it links its own runtime and more of the GL libraries, and never ships.
if [ "$sanitized" = 0 ]; then
    mkdir -p "$tmp/x/debian"
    printf 'Source: quolmar\n\nPackage: quolmar\nArchitecture: any\n' >"$tmp/x/debian/control"
    dpkg-deb -x "$deb" "$tmp/x/debian/quolmar"
    needed=$(cd "$tmp/x" && dpkg-shlibdeps -O debian/quolmar/usr/lib/quolmar/quolmar 2>/dev/null)
    while read -r pkg op min; do
        ours=$(awk -v p="$pkg" '$1 == p' <<<"$depends")
        [ -n "$ours" ] || fail "Depends lacks $pkg, which the program links"
        [ -z "$min" ] && continue
        have=$(sed -n 's/.*(>= \(.*\))/\1/p' <<<"$ours")
        [ -n "$have" ] && dpkg --compare-versions "$have" ge "$min" ||
            fail "Depends has '$ours' but the program needs $pkg $op $min"
    done < <(sed 's/^shlibs:Depends=//; s/, /\n/g; s/[()]//g' <<<"$needed")
fi

# The program, its sounds and what the desktop needs; no tests and no build tools.
paths=$(dpkg-deb -c "$deb" | sed -E 's/^([^ ]+ +){5}//')
for want in "./usr/bin/quolmar -> ../lib/quolmar/quolmar" ./usr/lib/quolmar/quolmar \
            ./usr/lib/quolmar/letsplay.wav ./usr/lib/quolmar/60.mid \
            ./usr/share/applications/org.example.quolmar.desktop \
            ./usr/share/metainfo/org.example.quolmar.metainfo.xml \
            ./usr/share/icons/hicolor/{16x16,32x32,48x48}/apps/quolmar.png \
            ./usr/share/icons/hicolor/scalable/apps/quolmar.svg; do
    grep -qxF "$want" <<<"$paths" || fail "the package lacks $want"
done
stray=$(grep -vE '/$|^\./usr/bin/quolmar -> |^\./usr/lib/quolmar/(quolmar|[a-z0-9]+\.(wav|mid))$|^\./usr/share/(applications|metainfo|icons/hicolor/[^/]+/apps)/[^/]+$' <<<"$paths" || true)
[ -z "$stray" ] || fail "unexpected files in the package: $stray"
