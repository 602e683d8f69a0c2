#!/usr/bin/env bash
# The Windows launcher under Wine, launches that need no answer from the user:
# detection from the desktop file (versions 4, 3, 2), safe quoting with blanks
# in the IDE's path and in the file, the launcher's directory as the IDE's
# working directory, a registered command rather than a file, and the history.
RUNNER=wine
. "$(dirname "$0")/common.sh"
start_xvfb

L="$T/launcher dir"; new_launcher "$L"
IDE4="$T/my ides/delphi 4/bin/delphi32.exe"; stand_in_ide "$IDE4"
IDE3="$T/ide3/delphi32.exe"; stand_in_ide "$IDE3"
IDE2="$T/ide2/delphi32.exe"; stand_in_ide "$IDE2"
write_ini "$L" "[DelphiReg]" "2=$(winpath "$IDE2")" "3=$(winpath "$IDE3")" "4=$(winpath "$IDE4")"

# expect_start LOG FILE: the IDE recorded exactly one argument, FILE, by both
# the system's and the runtime's reading, in the launcher's directory.
expect_start() {
    local log=$1 file=$2
    check "the IDE was started ($log)" wait_for "$log"
    [ -s "$log" ] || return
    check "exactly one argument (got $(log_values "$log" argc))" [ "$(log_values "$log" argc)" = 1 ]
    check "the file as one argument [$(log_values "$log" argW)]" [ "$(log_values "$log" argW)" = "$file" ]
    check "the runtime reads the same [$(log_values "$log" argA)]" [ "$(log_values "$log" argA)" = "$file" ]
    check "the IDE runs in the launcher's directory [$(log_values "$log" cwdA)]" \
        [ "$(log_values "$log" cwdA)" = "$(winpath "$L")" ]
}

project() {  # project DIR DESKTOP-LINES...
    local dir=$1; shift
    mkdir -p "$dir"
    printf 'program Project1;\r\n' > "$dir/Project1.dpr"
    printf '%s\r\n' "$@" > "$dir/Project1.dsk"
}

# Version 4: "[Main Window] ClientWidth"; blanks in the IDE's path and the project's.
P4="$T/my projects/a b"; project "$P4" "[Main Window]" "ClientWidth=100"
F4="$(winpath "$P4/Project1.dpr")"
check "the launcher ended" run_pivora "$L" "$F4"
check "a started IDE ends the run with 0 (got $RC)" [ "$RC" = 0 ]
expect_start "$IDE4.log" "$F4"
check "the IDE was named whole, not split at its blanks" \
    grep -qF "cmdlineA=\"$(winpath "$IDE4")\" \"$F4\"" "$IDE4.log"
check "no message box" [ -z "$(message_texts)" ]
check "the history remembers it" grep -qF " - 04 $F4"$'\r' "$L/Pivora.dat"
# PIVORA_E2E_FIRST_ONLY=1: this one launch only, where each run is slow.
if [ "${PIVORA_E2E_FIRST_ONLY:-0}" = 1 ]; then finish; exit; fi

# Version 3: "[MainWindow] ClientWidth".
P3="$T/p3"; project "$P3" "[MainWindow]" "ClientWidth=640"
run_pivora "$L" "$(winpath "$P3/Project1.dpr")"
expect_start "$IDE3.log" "$(winpath "$P3/Project1.dpr")"

# Version 2: "[MainWindow] Width" only.
P2="$T/p2"; project "$P2" "[MainWindow]" "Width=640"
run_pivora "$L" "$(winpath "$P2/Project1.dpr")"
expect_start "$IDE2.log" "$(winpath "$P2/Project1.dpr")"

# A file name with characters a command interpreter would take for its own,
# passed exactly, and found again in the history however its case is written.
PX="$T/odd & name (1) %PATH% ^x;y,z"; project "$PX" "[Main Window]" "ClientWidth=1"
rm -f "$IDE4.log"
FX="$(winpath "$PX/Project1.dpr")"
run_pivora "$L" "$FX"
expect_start "$IDE4.log" "$FX"
rm -f "$IDE4.log" "$PX/Project1.dsk"
run_pivora "$L" "${FX^^}"
check "a remembered file starts again, its name in another case" wait_for "$IDE4.log"
check "...with the name as given this time" [ "$(log_values "$IDE4.log" argW)" = "${FX^^}" ]

# A registered command rather than a file: written as typed, the file after it.
write_ini "$L" "[DelphiReg]" "4=\"$(winpath "$IDE4")\" -np"
rm -f "$IDE4.log"
P5="$T/p5 x"; project "$P5" "[Main Window]" "ClientWidth=1"
run_pivora "$L" "$(winpath "$P5/Project1.dpr")"
check "a registered command starts" wait_for "$IDE4.log"
check "its own words come first" [ "$(log_values "$IDE4.log" argW | head -1)" = "-np" ]
check "the file is its last argument" [ "$(log_values "$IDE4.log" argW | tail -1)" = "$(winpath "$P5/Project1.dpr")" ]
check "two arguments in all" [ "$(log_values "$IDE4.log" argc)" = 2 ]

check "the settings file was not rewritten" grep -qF -- "-np" "$L/Pivora.ini"
finish
