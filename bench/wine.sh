#!/usr/bin/env bash
# Launches through Wine, each against its floor in one hyperfine run, with
# the ratio of their means:
#   1. the Linux launcher starting a registered Windows IDE through Wine,
#      against `wine` started directly, the way the launcher starts it, on the
#      same exe and Windows path: the ratio must be within 1.05;
#   2. Pivora.exe under Wine, a launch detected from the desktop file, against
#      a minimal Windows program (built here) that only does CreateProcessA of
#      the same stand-in: the target is 1.2.
# A launch ends when the stand-in IDE has written its record: every command
# runs through bench/until.c, which removes it first and waits for it.
# Usage: bench/wine.sh [BUILD_DIR [WINDOWS_BUILD_DIR]]
#   RUNS   runs per command (default 30)
# Wine's start-up varies a lot on a loaded machine: each ratio is given by
# median (which the limits hold), mean and CPU time (user and system).
# Exits 77 where it cannot run: no hyperfine, no Windows build with the
# stand-in IDE, no Wine that runs it, no cross compiler for the floor.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
skip() { echo "bench/wine.sh: cannot run: $*" >&2; exit 77; }
command -v hyperfine > /dev/null || skip "hyperfine is not installed"
windows=${2:-}
for b in "$root/build-win64" "$root/build-win"; do
    [ -n "$windows" ] && break
    [ -f "$b/Pivora.exe" ] && [ -f "$b/tests/win32/stand_in_ide.exe" ] && windows=$b
done
[ -n "$windows" ] && [ -f "$windows/Pivora.exe" ] && [ -f "$windows/tests/win32/stand_in_ide.exe" ] ||
    skip "no Windows build with Pivora.exe and the stand-in IDE (cmake --preset windows64)"
STAND_IN=$windows/tests/win32/stand_in_ide.exe
cmake --build "$build" --target pivora pivora_bench_floor pivora_bench_until > /dev/null || exit 1

# The Wine loader for the stand-in's architecture that runs here.
case $(od -An -tx2 -j $(($(od -An -tu4 -j 60 -N 4 "$STAND_IN" | tr -d ' ') + 4)) -N 2 "$STAND_IN" | tr -d ' ') in
    014c) arch=i686 loaders=(/usr/lib/wine/wine wine) ;;
    8664) arch=x86_64 loaders=(/usr/lib/wine/wine64 wine64 wine) ;;
    *) echo "bench/wine.sh: $STAND_IN is no Windows program" >&2; exit 1 ;;
esac
WINE=
for l in "${loaders[@]}"; do
    if command -v "$l" > /dev/null && "$l" --version > /dev/null 2>&1; then WINE=$(command -v "$l"); break; fi
done
[ -n "$WINE" ] || skip "no Wine runs $arch programs here"
command -v wineserver > /dev/null || skip "wineserver is missing"
CC=$arch-w64-mingw32-gcc
command -v "$CC" > /dev/null || skip "no $CC for the Windows floor"

T=$(mktemp -d)
export WINEPREFIX="$T/prefix" WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
cleanup() { wineserver -k > /dev/null 2>&1; wineserver -w > /dev/null 2>&1; rm -rf "$T"; }
trap cleanup EXIT
unset DISPLAY  # no launch here shows a window
# The `wine` the launcher finds in PATH is the loader that runs here.
mkdir -p "$T/bin"
printf '#!/bin/sh\nexport WINELOADER="%s"\nexec "%s" "$@"\n' "$WINE" "$WINE" > "$T/bin/wine"
chmod +x "$T/bin/wine"
export PATH="$T/bin:$PATH"
"$WINE" wineboot --init > /dev/null 2>&1
wineserver -w
[ -f "$WINEPREFIX/system.reg" ] || { echo "bench/wine.sh: Wine could not make $WINEPREFIX" >&2; exit 1; }
# One server for the whole run, as a user's session keeps one.
wineserver -p

BIN="$WINEPREFIX/drive_c/Program Files/Borland/Delphi4/Bin"
mkdir -p "$BIN" && cp "$STAND_IN" "$BIN/DELPHI32.EXE"
IDE_WIN='C:\Program Files\Borland\Delphi4\Bin\DELPHI32.EXE'
LOG="$BIN/DELPHI32.EXE.log"
mkdir -p "$T/p"
printf 'program Project1;\r\n' > "$T/p/Project1.dpr"
printf '[Main Window]\r\nClientWidth=800\r\n' > "$T/p/Project1.dsk"
FILE_WIN="Z:${T//\//\\}\\p\\Project1.dpr"
UNTIL="$build/bench/pivora_bench_until"
runs=${RUNS:-30}

ratio() {  # ratio JSON LIMIT NAME: each command over the first one, by median, mean and CPU time; false when NAME's median ratio exceeds LIMIT
    python3 - "$@" <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))["results"]
cpu = lambda x: x["user"] + x["system"]
base = r[0]
print(f"  {'':36s} {'median':>9s} {'mean ± σ':>17s} {'user+sys':>9s}   ratio: median mean cpu")
for x in r:
    print(f"  {x['command'][:36]:36s} {x['median']*1000:7.1f}ms {x['mean']*1000:7.1f} ± {x['stddev']*1000:5.1f}ms"
          f" {cpu(x)*1000:7.1f}ms   x{x['median']/base['median']:5.3f} x{x['mean']/base['mean']:5.3f} x{cpu(x)/cpu(base):5.3f}")
checked = next(x for x in r if x["command"] == sys.argv[3])
sys.exit(0 if checked["median"] / base["median"] <= float(sys.argv[2]) else 1)
PY
}
# opened: the stand-in's record says it got the file by its Windows name.
opened() { grep -qxF "argW=$FILE_WIN" "$LOG"; }
status=0

echo "== 1. the Linux launcher, a registered Windows IDE through Wine, vs wine started directly"
# The launch held to the limit is a repeated one: the file is in the history,
# so nothing is written and only the start through Wine is compared. A first
# launch, detected from the desktop file, also writes its history entry (to
# the disk, synced) before it starts the IDE: it is timed alongside.
L="$T/linux"; mkdir -p "$L"; cp "$build/pivora" "$L/"
printf '[DelphiReg]\r\n4=%s\r\n' "$BIN/DELPHI32.EXE" > "$L/pivora.ini"
printf '2026/01/01 00:00:00 - 04 %s\r\n' "$T/p/Project1.dpr" > "$T/hit.dat"
FLOOR1=("$UNTIL" "$LOG" "$build/bench/pivora_bench_floor" "$T/bin/wine" "$BIN/DELPHI32.EXE" "$FILE_WIN")
PIV1=("$UNTIL" "$LOG" "$L/pivora" "$T/p/Project1.dpr")
for c in FLOOR1 PIV1; do
    declare -n cmd=$c
    rm -f "$L/pivora.dat"
    "${cmd[@]}" && opened || { echo "bench/wine.sh: ${cmd[*]} did not start the IDE with the file" >&2; exit 1; }
done
q() { printf '%q ' "$@"; }
hyperfine -N -w 3 -r "$runs" \
    -n "wine directly (floor)" --prepare true "$(q "${FLOOR1[@]}")" \
    -n "pivora, in the history" --prepare "cp $(q "$T/hit.dat" "$L/pivora.dat")" "$(q "${PIV1[@]}")" \
    -n "pivora, detected, history written" --prepare "rm -f $(q "$L/pivora.dat")" "$(q "${PIV1[@]}")" \
    --export-json "$T/1.json" > /dev/null || exit 1
ratio "$T/1.json" 1.05 "pivora, in the history" || { echo "  pivora, in the history: exceeds 1.05"; status=1; }

echo "== 2. Pivora.exe under Wine, a detected launch, vs a program that only does CreateProcessA"
"$CC" -O2 -static -o "$T/floor_win.exe" "$root/bench/floor_win.c" || exit 1
W="$T/windows"; mkdir -p "$W"; cp "$windows/Pivora.exe" "$W/"
printf '[DelphiReg]\r\n4=%s\r\n' "$IDE_WIN" > "$W/Pivora.ini"
FLOOR2=("$UNTIL" "$LOG" "$WINE" "$T/floor_win.exe" "$IDE_WIN" "$FILE_WIN")
PIV2=("$UNTIL" "$LOG" "$WINE" "$W/Pivora.exe" "$FILE_WIN")
for c in FLOOR2 PIV2; do
    declare -n cmd=$c
    rm -f "$W/Pivora.dat"
    "${cmd[@]}" && opened || { echo "bench/wine.sh: ${cmd[*]} did not start the IDE with the file" >&2; exit 1; }
done
hyperfine -N -w 3 -r "$runs" --prepare "rm -f $(q "$W/Pivora.dat")" \
    -n "CreateProcessA only (floor)" "$(q "${FLOOR2[@]}")" -n "Pivora.exe, detected" "$(q "${PIV2[@]}")" \
    --export-json "$T/2.json" > /dev/null || exit 1
ratio "$T/2.json" 1.2 "Pivora.exe, detected" || echo "  Pivora.exe, detected: above the target of 1.2"
exit "$status"
