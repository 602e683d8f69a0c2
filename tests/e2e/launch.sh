#!/usr/bin/env bash
# The real launcher without a display: detection, starting the IDE with safe
# arguments in the launcher's directory, test mode, errors, and the history.
RUNNER=native
. "$(dirname "$0")/common.sh"
unset DISPLAY

L="$T/launcher"; new_launcher "$L"
IDE="$T/my ides/delphi 4/bin/delphi32"; stand_in_ide "$IDE"
IDE3="$T/ide3"; stand_in_ide "$IDE3"
write_ini "$L" "[DelphiReg]" "3=$IDE3" "4=$IDE"
P="$T/my projects/a b"; mkdir -p "$P"
printf 'program Project1;\r\n' > "$P/Project1.dpr"
printf '[Main Window]\r\nClientWidth=800\r\n' > "$P/Project1.dsk"

# A desktop file of version 4, blanks in the IDE's path and in the project's.
(cd / && "$L/pivora" "$P/Project1.dpr" > "$T/out" 2>&1); rc=$?
check "a started IDE exits 0 (got $rc)" [ "$rc" -eq 0 ]
check "the IDE was started" wait_for "$IDE.log"
check "the IDE runs in the launcher's directory" grep -qx "cwd=$L" "$IDE.log"
check "the file reaches the IDE as one argument" grep -qx "arg=$P/Project1.dpr" "$IDE.log"
check "exactly one argument" [ "$(grep -c '^arg=' "$IDE.log")" -eq 1 ]
check "nothing on standard error" [ ! -s "$T/out" ]
check "the history remembers it" grep -q " - 04 $P/Project1.dpr"$'\r'"$" "$L/pivora.dat"

# Remembered: the next run needs no desktop file.
rm "$IDE.log" "$P/Project1.dsk"
"$L/pivora" "$P/Project1.dpr"; rc=$?
check "a remembered file starts again (rc $rc)" [ "$rc" -eq 0 ]
check "the IDE was started again" wait_for "$IDE.log"

# A project whose compiled unit, named in another case, says version 3.
Q="$T/q"; mkdir -p "$Q"
printf "program P;\r\nuses\r\n  Unit1 in 'Unit1.pas' {Form1};\r\n" > "$Q/PROJECT1.DPR"
printf '\x41\x86\x51\x44rest' > "$Q/UNIT1.DCU"
"$L/pivora" "$Q/PROJECT1.DPR"
check "the unit list leads to version 3" wait_for "$IDE3.log"

# Test mode: reported, nothing started, the run succeeds.
rm -f "$IDE3.log"
write_ini "$L" "[Pivora]" "TestMode=1" "[DelphiReg]" "3=$IDE3"
printf '\x41\x86\x51\x44' > "$Q/Unit2.dcu"
"$L/pivora" "$Q/Unit2.pas" 2> "$T/err"; rc=$?
check "test mode exits 0 (got $rc)" [ "$rc" -eq 0 ]
check "test mode reports the version" grep -q "Test Mode Delphi 3" "$T/err"
check "test mode starts nothing" not_started "$IDE3"

# An unregistered version: the error, then no main window can be shown.
write_ini "$L" "[DelphiReg]" "4=$IDE"
"$L/pivora" "$Q/Unit2.pas" 2> "$T/err"; rc=$?
check "an unregistered version fails the run" [ "$rc" -ne 0 ]
check "the unregistered message" grep -q "Delphi 3 は登録されていません。" "$T/err"

# A registered command rather than a file: split into words, looked up in PATH.
write_ini "$L" "[DelphiReg]" "3=sh -c 'echo \"\$0\" > \"$T/cmd.log\"'"
"$L/pivora" "$Q/Unit2.pas"
check "a registered command gets the file as its last word" wait_for "$T/cmd.log"
check "the file arrives unchanged" grep -qx "$Q/Unit2.pas" "$T/cmd.log"

# A registered IDE that cannot be started is reported, never taken for a success.
write_ini "$L" "[DelphiReg]" "3=$T/no such ide"
"$L/pivora" "$Q/Unit2.pas" 2> "$T/err"; rc=$?
check "a failed start fails the run" [ "$rc" -ne 0 ]
check "a failed start names the executable" grep -q "起動できませんでした" "$T/err"
# The system's reason speaks the user's language, in UTF-8, while numbers
# and file names are handled as before.
if locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'; then
    LC_ALL= LANG=ja_JP.UTF-8 "$L/pivora" "$Q/Unit2.pas" 2> "$T/err"
    check "the reason is in Japanese" grep -q "そのようなファイルやディレクトリはありません" "$T/err"
    LC_ALL=C LANG=ja_JP.UTF-8 "$L/pivora" "$Q/Unit2.pas" 2> "$T/err"
    check "and in English where the locale says so" grep -q "No such file or directory" "$T/err"
else
    echo "skipped: the system's reason in Japanese (no ja_JP.UTF-8 locale here)"
fi

# Without a display the selection dialog cannot be shown.
printf 'unit U;' > "$Q/Lone.pas"
"$L/pivora" "$Q/Lone.pas" 2> "$T/err"; rc=$?
check "an undetermined file without a display fails" [ "$rc" -ne 0 ]
check "it says why" grep -q "no display" "$T/err"

# No argument and no display: the main window cannot be shown either.
"$L/pivora" 2> "$T/err"; rc=$?
check "no argument without a display fails" [ "$rc" -ne 0 ]

# The settings file was never written by these runs.
check "settings untouched" grep -q "no such ide" "$L/pivora.ini"
finish
