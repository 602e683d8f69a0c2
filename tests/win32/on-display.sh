#!/usr/bin/env bash
# Runs a Windows test program that shows windows: on an Xvfb of its own and
# in a Wine prefix of its own, whose server is ended before the display starts
# and after the program (a Wine server keeps the display it first had).
# Exits 77 (skipped) without Xvfb or where Wine cannot run the program. The
# program was given the display it needs, so a test of it that reports
# itself skipped fails the run.
#
#   on-display.sh [--dpi N] PROGRAM.exe [ARGS...]
#   --dpi N                    the system's DPI, Wine's LogPixels (default 96);
#                              each DPI has a prefix of its own
#   PIVORA_DISPLAY_WINEPREFIX  the prefix (default: $TMPDIR/pivora-wine-UID-display-N)
#   PIVORA_E2E_PATIENCE        how many times longer the wait for Xvfb may be
set -u
dpi=96
if [ "${1:-}" = --dpi ]; then dpi=${2:?--dpi needs a number}; shift 2; fi
exe=${1:?usage: on-display.sh [--dpi N] PROGRAM.exe [ARGS...]}
shift
run="$(cd "$(dirname "$0")" && pwd)/wine-run.sh"
command -v Xvfb > /dev/null || { echo "on-display.sh: Xvfb is not installed" >&2; exit 77; }
bash "$run" --check "$exe" || exit
export PIVORA_WINEPREFIX=${PIVORA_DISPLAY_WINEPREFIX:-${TMPDIR:-/tmp}/pivora-wine-$(id -u)-display-$dpi}

dir=$(mktemp -d "${TMPDIR:-/tmp}/pivora-display.XXXXXX")
xvfb=
cleanup() {
    bash "$run" --stop "$exe"
    [ -z "$xvfb" ] || { kill "$xvfb" 2> /dev/null; wait "$xvfb" 2> /dev/null; }
    rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT
bash "$run" --stop "$exe"

# Xvfb picks a free display and writes its number once it takes clients.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3> "$dir/display" 2> /dev/null &
xvfb=$!
end=$((SECONDS + 30 * ${PIVORA_E2E_PATIENCE:-1}))
until [ -s "$dir/display" ] || ! kill -0 "$xvfb" 2> /dev/null || [ "$SECONDS" -ge "$end" ]; do sleep 0.1; done
[ -s "$dir/display" ] || { echo "on-display.sh: Xvfb did not start" >&2; exit 1; }
DISPLAY=":$(cat "$dir/display")"
export DISPLAY

# The prefix's own registry tool, run as any program of it (the first run
# makes the prefix); a program started after it reads the new DPI.
bash "$run" "$exe" --gtest_list_tests > /dev/null || exit
bash "$run" "$PIVORA_WINEPREFIX/drive_c/windows/system32/reg.exe" add 'HKCU\Control Panel\Desktop' \
    /v LogPixels /t REG_DWORD /d "$dpi" /f > /dev/null || { echo "on-display.sh: LogPixels not set" >&2; exit 1; }

bash "$run" "$exe" "$@" | tee "$dir/out"
status=${PIPESTATUS[0]}
if [ "$status" -eq 0 ] && grep -q '^\[  SKIPPED \]' "$dir/out"; then
    echo "on-display.sh: tests were skipped although a display was given" >&2
    status=1
fi
exit "$status"
