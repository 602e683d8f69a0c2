#!/usr/bin/env bash
# The release zip of the Windows launcher: Pivora.exe (the 32-bit build) and an
# example Pivora.ini, in CR LF, beside it.
#   tools/make-release-zip.sh [BUILD_DIR [OUTPUT.zip]]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-win}
[ -f "$build/Pivora.exe" ] || { echo "no $build/Pivora.exe: cmake --preset windows && cmake --build build-win" >&2; exit 1; }
version=$(sed -n 's/^project(Pivora VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
out=$(realpath -m "${2:-$build/Pivora-$version-win32.zip}")
command -v zip >/dev/null || { echo "zip is needed (apt-get install zip)" >&2; exit 1; }
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$build/Pivora.exe" "$stage/"
# The settings the launcher reads: test mode off, the history size, and where
# each IDE version is installed (the usual places; edit to match).
printf '%s\r\n' \
    "[Pivora]" \
    "TestMode=0" \
    "HistoryMax=1000" \
    "[DelphiReg]" \
    "2=C:\\Program Files\\Borland\\Delphi 2.0\\BIN\\DELPHI32.EXE" \
    "3=C:\\Program Files\\Borland\\Delphi 3\\BIN\\DELPHI32.EXE" \
    "4=C:\\Program Files\\Borland\\Delphi4\\Bin\\DELPHI32.EXE" > "$stage/Pivora.ini"
rm -f "$out"
(cd "$stage" && TZ=UTC touch -t 200001010000 Pivora.exe Pivora.ini && zip -q -X "$out" Pivora.exe Pivora.ini)
echo "$out"
