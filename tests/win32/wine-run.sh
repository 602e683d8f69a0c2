#!/usr/bin/env bash
# Runs a Windows program under Wine: the emulator of the cross build (ctest and
# gtest discovery call it with the program and its arguments), and the runner
# of the end-to-end scripts. One Wine prefix per user and architecture is made
# on first use and kept; the loader is chosen by the program's PE header.
#
# Where Wine cannot run the program (no Wine, or no 32-bit code on this
# machine), it exits 77, which ctest and the end-to-end scripts report as
# skipped.
#
# "wine-run.sh --stop PROGRAM.exe" ends the Wine server of that program's
# prefix and all it runs: an end-to-end script does so before it starts a
# display of its own, since a server keeps the display it first had.
# "wine-run.sh --wait PROGRAM.exe" returns once every program of that prefix
# has ended, and the server after them: then whatever a program started has
# run to its end.
# "wine-run.sh --check PROGRAM.exe" only tells whether Wine can run it here.
#
#   PIVORA_WINEPREFIX         the prefix to use (default: $TMPDIR/pivora-wine-UID-ARCH)
#   PIVORA_WINE_PERSISTENCE   seconds a server started here outlives its last
#                             program (default 20)
#   WINEDEBUG                 passed on; quiet (-all) unless set
set -u
set -o pipefail
mode=run
case "${1:-}" in --stop|--wait|--check) mode=${1#--}; shift ;; esac
exe=${1:?usage: wine-run.sh [--stop|--wait|--check] PROGRAM.exe [ARGS...]}
shift

pe_offset=$(od -An -tu4 -j 60 -N 4 "$exe" 2>/dev/null | tr -d ' ')
machine=$(od -An -tx2 -j $((pe_offset + 4)) -N 2 "$exe" 2>/dev/null | tr -d ' ')
case "$machine" in
    014c) arch=i386 loaders=(/usr/lib/wine/wine wine) ;;
    8664) arch=x86_64 loaders=(/usr/lib/wine/wine64 wine64 wine) ;;
    *) echo "wine-run.sh: $exe is not a Windows program (machine '$machine')" >&2; exit 126 ;;
esac
loader=
for l in "${loaders[@]}"; do
    if command -v "$l" >/dev/null 2>&1; then loader=$(command -v "$l"); break; fi
done
[ -n "$loader" ] || { echo "wine-run.sh: no Wine loader for $arch programs (install wine32/wine64)" >&2; exit 77; }
if [ "$arch" = i386 ] && ! "$loader" --version >/dev/null 2>&1; then
    echo "wine-run.sh: this machine cannot run 32-bit code (the kernel's ia32 emulation is off?);" \
         "build the tests with cmake/mingw-w64-x86_64.cmake to run them under wine64" >&2
    exit 77
fi
[ "$mode" = check ] && exit 0

# Wine's own programs (the prefix's set-up, the services) run through the
# 64-bit loader where there is one: they need not be 32-bit, and where 32-bit
# code runs only emulated (see tools/test-windows.sh) they would start slowly.
boot_loader=$loader
for l in /usr/lib/wine/wine64 wine64; do
    if command -v "$l" >/dev/null 2>&1 && "$l" --version >/dev/null 2>&1; then boot_loader=$(command -v "$l"); break; fi
done

export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko: nothing here needs them, and their installers would ask.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEPREFIX=${PIVORA_WINEPREFIX:-${TMPDIR:-/tmp}/pivora-wine-$(id -u)-$arch}
if [ "$mode" = stop ]; then
    [ -f "$WINEPREFIX/system.reg" ] && wineserver -k </dev/null >/dev/null 2>&1 && wineserver -w 2>/dev/null
    exit 0
fi
if [ "$mode" = wait ]; then
    [ -f "$WINEPREFIX/system.reg" ] && wineserver -w </dev/null >/dev/null 2>&1
    exit 0
fi
# A prefix made by the 64-bit loader at a time this machine ran no 32-bit code
# has an empty syswow64: every 32-bit program in it then fails with "could not
# load kernel32.dll". Such a prefix is made again.
usable_prefix() {
    [ -f "$WINEPREFIX/system.reg" ] || return 1
    [ "$arch" != i386 ] || [ ! -d "$WINEPREFIX/drive_c/windows/syswow64" ] ||
        [ -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]
}
if ! usable_prefix; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if ! usable_prefix; then
            if [ -e "$WINEPREFIX" ]; then
                echo "wine-run.sh: $WINEPREFIX cannot run $arch programs; making it again" >&2
                wineserver -k </dev/null >/dev/null 2>&1
                wineserver -w 2>/dev/null
                rm -rf "$WINEPREFIX"
            fi
            "$boot_loader" wineboot --init >/dev/null 2>&1
            wineserver -w 2>/dev/null
        fi
        usable_prefix || { echo "wine-run.sh: Wine could not make the prefix $WINEPREFIX" >&2; exit 1; }
    ) 9>"$WINEPREFIX.lock" || exit 1
fi
# A server that outlives one program saves the next one its start-up. The
# first program of a server starts Wine's own services, which inherit its
# standard files and live as long as the server: were those the caller's
# pipes (ctest's), the caller would wait for them to close. So a server is
# started here, with a program of no consequence whose files are /dev/null.
server_running() {  # a wineserver of ours for this prefix
    local pid
    for pid in $(pgrep -u "$(id -u)" -x 'wineserver(64|32)?' 2>/dev/null); do
        tr '\0' '\n' 2>/dev/null < "/proc/$pid/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" && return 0
    done
    return 1
}
running=0
server_running && running=1
# The delay must be attached to -p: "-p 20" would keep the server forever.
wineserver -p"${PIVORA_WINE_PERSISTENCE:-20}" </dev/null >/dev/null 2>&1
[ "$running" = 1 ] || "$boot_loader" cmd.exe /c exit 0 </dev/null >/dev/null 2>&1

# The console of a Windows program ends its lines with CR LF; the tools that
# read this output (gtest discovery among them) expect LF.
"$loader" "$exe" "$@" | tr -d '\r'
status=${PIPESTATUS[0]}
# Wine is quiet here, so a program that could not start at all would leave a
# failure with no output: its status is said, to tell it from a test's own.
[ "$status" -eq 0 ] || echo "wine-run.sh: $(basename "$exe") ended with status $status" >&2
exit "$status"
