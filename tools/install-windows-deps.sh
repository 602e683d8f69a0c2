#!/usr/bin/env bash
# Installs what building and testing the Windows launcher needs on Debian: the
# cross compilers, Wine (32- and 64-bit), Xvfb and xdotool for the end-to-end
# scripts, zip and unzip for the release zip, the Japanese locale for code
# page 932, the IPA and Liberation fonts that stand in for the Windows fonts
# the windows are drawn with, and qemu-user where this machine runs no 32-bit
# code (tools/test-windows.sh then emulates it).
# Does nothing when everything is already there.
set -euo pipefail
SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
export DEBIAN_FRONTEND=noninteractive

install_missing() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

install_missing cmake ninja-build g++-mingw-w64-i686 g++-mingw-w64-x86-64 googletest wine wine32:i386 wine64 \
    xvfb xdotool x11-utils imagemagick locales perl zip unzip fonts-ipafont fonts-liberation
# The 32-bit loader answers only where the kernel runs 32-bit code (or an
# emulator is registered for it already).
/usr/lib/wine/wine --version >/dev/null 2>&1 || install_missing qemu-user

# Wine takes its code page from the locale: 932 needs ja_JP.UTF-8.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    $SUDO localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
