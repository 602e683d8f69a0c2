#!/usr/bin/env bash
# The Linux launcher starting a Windows IDE registered as a plain path: the
# stand-in IDE, installed in a Wine prefix of this test's own, runs through
# Wine in that prefix (WINEPREFIX is not set for the launcher), in the
# launcher's directory, and opens the project by the Windows name the prefix
# gives it: blanks and a Japanese folder included, under LANG=ja_JP.UTF-8.
#   BUILD_DIR         the Linux build (pivora, pivora-fltk.so)
#   PIVORA_STAND_IN   the stand-in Windows IDE (default: tests/win32/stand_in_ide.exe
#                     of the build-win64/ or build-win/ beside the sources)
# Skipped where Wine, the stand-in or the locale is missing.
. "$(dirname "$0")/common.sh"
unset DISPLAY
# Wine makes a prefix and starts its services on the first run: the waits
# must allow for that on a loaded machine. They still end on their event.
DEADLINE=$((180 * ${PIVORA_E2E_PATIENCE:-1}))

STAND_IN=${PIVORA_STAND_IN:-}
for build in build-win64 build-win; do
    [ -n "$STAND_IN" ] && break
    [ -f "$E2E_DIR/../../$build/tests/win32/stand_in_ide.exe" ] && STAND_IN="$E2E_DIR/../../$build/tests/win32/stand_in_ide.exe"
done
[ -n "$STAND_IN" ] && [ -f "$STAND_IN" ] ||
    skip "no stand-in Windows IDE (build the windows64 preset, or set PIVORA_STAND_IN): '${STAND_IN}'"
locale -a 2> /dev/null | grep -qix 'ja_JP\.utf-\?8' || skip "no ja_JP.UTF-8 locale"
require wineserver

PFX="$T/wine prefixes/pfx one"
stop_prefix() {
    [ -f "$PFX/system.reg" ] && WINEPREFIX="$PFX" wineserver -k < /dev/null > /dev/null 2>&1
    WINEPREFIX="$PFX" wineserver -w 2> /dev/null
}
on_exit stop_prefix

# The launcher runs the `wine` it finds in PATH. Where the system's cannot run
# the stand-in (its 32-bit loader on a machine that runs no 32-bit code), a
# `wine` of this test's own runs Wine's 64-bit loader instead.
case $(od -An -tx2 -j $(($(od -An -tu4 -j 60 -N 4 "$STAND_IN" | tr -d ' ') + 4)) -N 2 "$STAND_IN" | tr -d ' ') in
    014c) loaders=(wine) ;;
    8664) loaders=(wine /usr/lib/wine/wine64 wine64) ;;
    *) fail "$STAND_IN is no Windows program"; finish; exit 1 ;;
esac
WINE=
for l in "${loaders[@]}"; do
    if command -v "$l" > /dev/null && "$l" --version > /dev/null 2>&1; then WINE=$(command -v "$l"); break; fi
done
[ -n "$WINE" ] || skip "no Wine that runs $(basename "$STAND_IN") here"
mkdir -p "$T/bin"
if [ "$(basename "$WINE")" != wine ]; then
    printf '#!/bin/sh\nexport WINELOADER="%s"\nexec "%s" "$@"\n' "$WINE" "$WINE" > "$T/bin/wine"
    chmod +x "$T/bin/wine"
fi
export PATH="$T/bin:$PATH"
export WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
# Where Wine would make its default prefix: nothing may appear there.
export HOME="$T/home"
mkdir -p "$HOME"
unset WINEPREFIX

mkdir -p "$(dirname "$PFX")"
WINEPREFIX="$PFX" wine wineboot --init > /dev/null 2>&1
WINEPREFIX="$PFX" wineserver -w 2> /dev/null
[ -f "$PFX/system.reg" ] || { fail "Wine could not make the prefix $PFX"; finish; exit 1; }
BIN="$PFX/drive_c/Program Files/Borland/Delphi4/Bin"
mkdir -p "$BIN" && cp "$STAND_IN" "$BIN/DELPHI32.EXE"
IDE="$BIN/DELPHI32.EXE"

L="$T/launcher dir"; new_launcher "$L"
write_ini "$L" "[DelphiReg]" "4=$IDE"
P="$T/my projects/日本語 プロジェクト"; mkdir -p "$P"
printf 'program Project1;\r\n' > "$P/Project1.dpr"
printf '[Main Window]\r\nClientWidth=800\r\n' > "$P/Project1.dsk"


# ide_opened LOG FILE: the stand-in got FILE's Windows name as its one
# argument, opened it, ran as the prefix's program in it and in the launcher's directory.
ide_opened() {
    local log=$1 file=$2
    check "the IDE was started through Wine" wait_for "$log" || return
    check "exactly one argument (got $(log_values "$log" argc))" [ "$(log_values "$log" argc)" = 1 ]
    check "the file by its Windows name [$(log_values "$log" argW)]" [ "$(log_values "$log" argW)" = "$(winpath "$file")" ]
    check "the IDE opens it with CreateFileA [$(log_values "$log" openA)]" [ "$(log_values "$log" openA)" = ok ]
    check "in the prefix that holds the IDE [$(log_values "$log" WINEPREFIX)]" [ "$(log_values "$log" WINEPREFIX)" = "$PFX" ]
    check "as that prefix's C: drive names it [$(log_values "$log" selfW)]" \
        [ "$(log_values "$log" selfW)" = 'C:\Program Files\Borland\Delphi4\Bin\DELPHI32.EXE' ]
    check "in the launcher's directory [$(log_values "$log" cwdW)]" [ "$(log_values "$log" cwdW)" = "$(winpath "$L")" ]
}

(cd / && LC_ALL= LANG=ja_JP.UTF-8 "$L/pivora" "$P/Project1.dpr" > "$T/out" 2>&1); rc=$?
check "the launch succeeds (rc $rc: $(cat "$T/out"))" [ "$rc" -eq 0 ]
ide_opened "$IDE.log" "$P/Project1.dpr"
check "the history remembers the file" grep -q " - 04 $P/Project1.dpr"$'\r'"$" "$L/pivora.dat"

# A relative name is the file under the current directory, not under the
# launcher's, where the IDE runs.
rm -f "$IDE.log"
(cd "$P" && LC_ALL= LANG=ja_JP.UTF-8 "$L/pivora" Project1.dpr > "$T/out" 2>&1); rc=$?
check "a relative name launches (rc $rc: $(cat "$T/out"))" [ "$rc" -eq 0 ]
ide_opened "$IDE.log" "$P/Project1.dpr"
check "and is remembered by its full path, once" [ "$(grep -c "Project1.dpr" "$L/pivora.dat")" -eq 1 ]

check "Wine's default prefix was never made" [ ! -e "$HOME/.wine" ]
finish
