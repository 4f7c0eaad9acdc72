#!/usr/bin/env bash
# Installs what Tavlo needs to build, run and test on Debian 12. Only asks
# apt-get for what is missing, so running it again is quick.
set -euo pipefail
PACKAGES=(
  cmake ninja-build g++ lld pkg-config clang-format
  qt6-base-dev qt6-svg-dev libxcb1-dev libasound2-dev libpulse-dev libbenchmark-dev
  xvfb xauth xdotool x11-utils openbox trayer imagemagick
  alsa-utils libasound2-plugins pulseaudio pulseaudio-utils
  pipewire pipewire-pulse wireplumber dbus-daemon
  desktop-file-utils appstream groff-base dpkg-dev file
)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "setup: run as root or install sudo to add: ${missing[*]}" >&2; exit 1; }
  SUDO=(sudo)
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
