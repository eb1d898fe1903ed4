#!/usr/bin/env bash
# Installs the Debian packages that building and running quolmar need, with --test those the
# tests need too, and any packages named after, if any are missing. Quiet and quick when
# everything is already there.
#   scripts/setup.sh [--test] [PACKAGE...]
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-svg-dev libqt6svg6 qt6-qpa-plugins libxkbcommon-x11-dev
    libsdl2-mixer-dev libfluidsynth-dev libinstpatch-dev fluid-soundfont-gm libebur128-dev scdoc
    libzip-dev
    fonts-liberation2 fonts-dejavu-core
)

# The tests also run the real program under a virtual display, trace it, and check the
# installed files and the package; and run it on three Wayland compositors, headless, reading
# its windows through the accessibility bridge; and play its sound into a sound server of their
# own, killed and started again, and record it; and fuzz the question file's reader with clang.
if [ "${1:-}" = "--test" ]; then
    packages+=(strace xvfb xauth xdotool openbox desktop-file-utils appstream dpkg-dev lintian man-db
        x11-xkb-utils mutter kwin-wayland sway wtype qt6-wayland libgl1-mesa-dri libegl-mesa0
        dbus-daemon at-spi2-core gir1.2-atspi-2.0 python3-gi pulseaudio pulseaudio-utils
        pipewire wireplumber pipewire-pulse
        clang libclang-rt-14-dev)
    shift
fi
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
    [ "$status" = "installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
        sudo="sudo"
    else
        echo "These packages are missing and I am not root: ${missing[*]}" >&2
        exit 1
    fi
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
