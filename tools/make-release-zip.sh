#!/usr/bin/env bash
# The release zip of the Windows launcher: Pivora.exe (the 32-bit build), an
# example Pivora.ini, Install.txt and the pair associate.cmd/unassociate.cmd
# that opens the Delphi file types with Pivora for the current user and
# takes that back (packaging/windows/).
#   tools/make-release-zip.sh [BUILD_DIR [OUTPUT.zip]]
# Every text file gets CR LF line ends, which Notepad and cmd expect. The
# .cmd files are ASCII, which cmd reads alike in every code page;
# Install.txt is Japanese in Shift-JIS (code page 932), the code page of the
# launcher's own files, which Notepad and "type" on a Japanese Windows read
# as they are.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-win}
[ -f "$build/Pivora.exe" ] || { echo "no $build/Pivora.exe: cmake --preset windows && cmake --build build-win" >&2; exit 1; }
version=$(sed -n 's/^project(Pivora VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
out=$(realpath -m "${2:-$build/Pivora-$version-win32.zip}")
command -v zip >/dev/null || { echo "zip is needed (apt-get install zip)" >&2; exit 1; }
command -v iconv >/dev/null || { echo "iconv is needed (apt-get install libc-bin)" >&2; exit 1; }
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
crlf() { sed 's/\r$//; s/$/\r/'; }
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
for cmd in associate.cmd unassociate.cmd; do
    if LC_ALL=C grep -q '[^[:print:][:space:]]' "$root/packaging/windows/$cmd"; then
        echo "packaging/windows/$cmd must be ASCII" >&2
        exit 1
    fi
    crlf < "$root/packaging/windows/$cmd" > "$stage/$cmd"
done
# iconv fails on a character code page 932 has not, rather than dropping it.
sed "s/@VERSION@/$version/g" "$root/packaging/windows/Install.txt" | crlf | iconv -f UTF-8 -t CP932 > "$stage/Install.txt"
files=(Pivora.exe Pivora.ini Install.txt associate.cmd unassociate.cmd)
rm -f "$out"
(cd "$stage" && TZ=UTC touch -t 200001010000 "${files[@]}" && zip -q -X "$out" "${files[@]}")
echo "$out"
