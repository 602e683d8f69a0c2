#!/usr/bin/env bash
# The Windows launcher in a Japanese Windows (code page 932) under Wine: a
# project folder named 表ソ能, each of whose characters ends in the byte of a
# backslash (95 5C, 83 5C, 94 5C), is detected and started, the IDE receiving
# the name whole, and an IDE whose own folder ends in such a character starts.
# Needs the ja_JP.UTF-8 locale (locale-gen / localedef).
RUNNER=wine
. "$(dirname "$0")/common.sh"
locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$' ||
    skip "the ja_JP.UTF-8 locale is missing (localedef -i ja_JP -f UTF-8 ja_JP.UTF-8)"
export LC_ALL=ja_JP.UTF-8 LANG=ja_JP.UTF-8
export INI_CODEPAGE=CP932
start_xvfb

L="$T/ランチャー"; new_launcher "$L"
IDE="$T/ides/表/delphi32.exe"; stand_in_ide "$IDE"
write_ini "$L" "[DelphiReg]" "4=$(winpath "$IDE")"
P="$T/表ソ能"; mkdir -p "$P"
printf 'program Project1;\r\n' > "$P/表.dpr"
printf '[Main Window]\r\nClientWidth=100\r\n' > "$P/表.dsk"
F="$(winpath "$P/表.dpr")"

run_pivora "$L" "$F"
check "the launcher ended (rc ${RC:-none})" [ "${RC:-}" = 0 ]
check "the IDE in a folder named 表 was started" wait_for "$IDE.log"
if [ -s "$IDE.log" ]; then
    check "exactly one argument" [ "$(log_values "$IDE.log" argc)" = 1 ]
    check "the file's name arrives whole [$(log_values "$IDE.log" argW)]" [ "$(log_values "$IDE.log" argW)" = "$F" ]
    # The ANSI bytes of the name, as the IDE's runtime reads them.
    argA=$(log_values "$IDE.log" argA | iconv -f CP932 -t UTF-8)
    check "the runtime reads the same name [$argA]" [ "$argA" = "$F" ]
    cwd=$(log_values "$IDE.log" cwdA | iconv -f CP932 -t UTF-8)
    check "in the launcher's directory [$cwd]" [ "$cwd" = "$(winpath "$L")" ]
fi
check "no message box" [ -z "$(message_texts)" ]
# The history holds the name in the ANSI code page, as the launcher got it.
check "the history remembers it" grep -qaF " - 04 $(printf '%s' "$F" | iconv -f UTF-8 -t CP932)" "$L/Pivora.dat"

# A unit beside it, named in another case, and found through the project's list.
rm -f "$IDE.log"
Q="$T/能"; mkdir -p "$Q"
printf '%s\r\n' "program P;" "uses" "  Unit1 in 'ソ\\Unit1.pas';" | iconv -f UTF-8 -t CP932 > "$Q/P.dpr"
mkdir -p "$Q/ソ"
printf '\xD8\xA6\x68\x47rest' > "$Q/ソ/UNIT1.DCU"
run_pivora "$L" "$(winpath "$Q/P.dpr")"
check "the unit list under a folder ソ leads to version 4" wait_for "$IDE.log"
finish
