#!/usr/bin/env bash
# Installs what building and testing the Linux launcher needs on Debian.
# Does nothing when everything is already there.
set -euo pipefail
packages=(cmake ninja-build g++ libgtest-dev libfltk1.3-dev libxcb1-dev libx11-dev
          fonts-ipafont fonts-liberation xvfb xdotool imagemagick x11-utils hyperfine)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
