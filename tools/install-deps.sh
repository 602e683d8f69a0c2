#!/usr/bin/env bash
# Installs what building and testing the Linux launcher needs on Debian.
# Does nothing when everything is already there.
set -euo pipefail
# libglib2.0-bin (gio), shared-mime-info and desktop-file-utils: the file
# types and the desktop entry as a desktop reads them (tests/e2e/desktop.sh).
packages=(cmake ninja-build g++ libgtest-dev libfltk1.3-dev libxcb1-dev libx11-dev
          fonts-ipafont fonts-liberation xvfb xdotool imagemagick x11-utils hyperfine
          locales libc-l10n lintian libglib2.0-bin shared-mime-info desktop-file-utils)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
if [ ${#missing[@]} -gt 0 ]; then
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# The Japanese locale, for the system's messages in Japanese (and Wine's code page 932).
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    $SUDO localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
