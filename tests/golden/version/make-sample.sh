#!/usr/bin/env bash
# Remakes sample-windres.bin: the VERSIONINFO resource that windres compiles
# from the .rc that resources/VersionRc.cmake writes for sample-version.txt.
# The tests hold the Linux block writer to it byte for byte, so that the Linux
# and Windows builds carry the same block. Needs i686-w64-mingw32-windres.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake -DDATA="$here/sample-version.txt" -DICON=unused.ico -DOUTPUT="$work/full.rc" \
      -P "$root/resources/VersionRc.cmake"
grep -v '^MAINICON ' "$work/full.rc" > "$work/sample.rc"
i686-w64-mingw32-windres -i "$work/sample.rc" -O res -o "$work/sample.res"
# A .res file is a run of resources, each a header (data size, header size,
# type, name...) and its data, on 32-bit boundaries. Type 16 is RT_VERSION.
python3 - "$work/sample.res" "$here/sample-windres.bin" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
at = 0
while at + 8 <= len(data):
    size, header = struct.unpack_from('<II', data, at)
    if data[at + 8:at + 10] == b'\xff\xff' and struct.unpack_from('<H', data, at + 10)[0] == 16:
        open(sys.argv[2], 'wb').write(data[at + header:at + header + size])
        sys.exit(0)
    at = (at + header + size + 3) & ~3
sys.exit('no version resource in ' + sys.argv[1])
PY
