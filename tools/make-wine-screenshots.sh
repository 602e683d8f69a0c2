#!/usr/bin/env bash
# Makes docs/screenshots/wine-*.png again: every window of the Windows
# launcher under Wine at 96 and 144 dpi, and the input box at 120 and 192
# too, as tests/e2e/wine_dpi.sh takes them (its checks must pass, or nothing
# is replaced). The pictures are of the client areas: Wine leaves the frame
# to a window manager, and the script runs without one.
#   tools/make-wine-screenshots.sh [BUILD_DIR]
# BUILD_DIR is a Windows build (default: build-win where this machine runs
# 32-bit code, else build-win64); it is configured and built when it has no
# Pivora.exe yet.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -ge 1 ]; then
    build=$(realpath -m "$1")
elif /usr/lib/wine/wine --version > /dev/null 2>&1; then
    build=$root/build-win
else
    build=$root/build-win64
fi
if [ ! -f "$build/Pivora.exe" ]; then
    case $(basename "$build") in
        build-win) preset=windows ;;
        build-win64) preset=windows64 ;;
        *) echo "no $build/Pivora.exe to take pictures of" >&2; exit 1 ;;
    esac
    (cd "$root" && cmake --preset "$preset" -G Ninja > /dev/null && cmake --build --preset "$preset" -j2)
fi
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT
status=0
BUILD_DIR=$build SHOTS=$shots bash "$root/tests/e2e/wine_dpi.sh" || status=$?
case $status in
    0) ;;
    77) echo "the screenshots cannot be taken here (see above)" >&2; exit 77 ;;
    *) echo "tests/e2e/wine_dpi.sh failed: docs/screenshots/ left as it was" >&2; exit 1 ;;
esac
mkdir -p "$root/docs/screenshots"
rm -f "$root"/docs/screenshots/wine-*.png
cp "$shots"/wine-*.png "$root/docs/screenshots/"
ls "$root"/docs/screenshots/wine-*.png
