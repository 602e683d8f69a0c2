#!/usr/bin/env bash
# The Windows launcher under Wine offers the Delphi IDEs their installers
# recorded in the registry: keys written with Wine's own `reg add` into the
# 32-bit view (the machine's for Delphi 2 and 4, the user's folder for
# Delphi 3), each naming a stand-in installed in the prefix. The registration
# dialog shows them as grey cues of its empty fields, registers nothing on
# Cancel, and registers what its buttons took into the fields on OK.
RUNNER=wine
# A prefix of this script's own, made on its first program (after the checks
# that may skip the script): the keys it writes must reach no other test.
export PIVORA_WINEPREFIX="${TMPDIR:-/tmp}/pivora-wine-discovery-$$-$RANDOM"
remove_prefix() {  # its server ended first, which would write into it
    bash "$WINE_RUN" --stop "$BUILD_DIR/Pivora.exe"
    rm -rf "$PIVORA_WINEPREFIX" "$PIVORA_WINEPREFIX.lock"
}
. "$(dirname "$0")/common.sh"
on_exit remove_prefix
require xdotool import convert
. "$(dirname "$0")/pixels.sh"
start_xvfb

# reg_add KEY NAME DATA: as a 32-bit installer writes it.
REG="$PIVORA_WINEPREFIX/drive_c/windows/system32/reg.exe"
reg_add() { bash "$WINE_RUN" "$REG" add "$1" /v "$2" /t REG_SZ /d "$3" /reg:32 /f > /dev/null 2>&1; }
C="$PIVORA_WINEPREFIX/drive_c"
D2='C:\Program Files\Borland\Delphi 2.0\Bin\DELPHI32.EXE'
D3='C:\Borland\Delphi 3\Bin\DELPHI32.EXE'
D4='C:\Program Files\Borland\Delphi4\Bin\DELPHI32.EXE'
stand_in_ide "$C/Program Files/Borland/Delphi 2.0/Bin/DELPHI32.EXE"
stand_in_ide "$C/Borland/Delphi 3/Bin/DELPHI32.EXE"
stand_in_ide "$C/Program Files/Borland/Delphi4/Bin/DELPHI32.EXE"
check "reg add writes Delphi 2's key" reg_add 'HKLM\Software\Borland\Delphi\2.0' 'Delphi 2.0' "$D2"
check "...Delphi 3's folder, the user's" reg_add 'HKCU\Software\Borland\Delphi\3.0' RootDir 'C:\Borland\Delphi 3'
check "...Delphi 4's key" reg_add 'HKLM\Software\Borland\Delphi\4.0' 'Delphi 4' "$D4"

# The dialog's fields, in its client area, inside their sunken edges.
FIELD2=325x20+10+37 FIELD3=325x20+10+93 FIELD4=325x20+10+149
# cue_pixels FIELD: pixels of the field that are neither its white nor black:
# the grey of a cue (the fields hold no text of their own here).
cue_pixels() {
    convert "$T/reg.png" -crop "$1" +repage -fuzz 3% -fill black -opaque white -threshold 0 \
        -format '%[fx:round(mean*w*h)]' info: 2> /dev/null
}
# drawn: a screenshot of the dialog ($R) shows a cue in each of the three fields.
drawn() {
    import -window "$R" "$T/reg.png" 2> /dev/null && [ -s "$T/reg.png" ] || return 1
    [ "$(cue_pixels $FIELD2)" -gt 20 ] && [ "$(cue_pixels $FIELD3)" -gt 20 ] && [ "$(cue_pixels $FIELD4)" -gt 20 ]
}

L="$T/launcher"; new_launcher "$L"
write_ini "$L" "[Pivora]" "TestMode=0"
cp "$L/Pivora.ini" "$T/before.ini"
start_pivora "$L"
if MAIN=$(wait_window "Pivora"); then
    keys "$MAIN" alt+f r
    if R=$(wait_window "Ｄｅｌｐｈｉ登録"); then
        check "each empty field shows what the registry names, greyed" eventually drawn
        [ -n "${SHOTS:-}" ] && cp "$T/reg.png" "$SHOTS/wine-discovery.png"
        click "$R" 356 135   # Found4Btn: Delphi 4's into its field
        keys "$R" Escape
        check "Esc closes the dialog" wait_gone "Ｄｅｌｐｈｉ登録"
        check "a cancelled dialog registers nothing" cmp -s "$L/Pivora.ini" "$T/before.ini"
    else
        fail "the registration dialog did not open"
    fi
    keys "$MAIN" alt+f r
    if R=$(wait_window "Ｄｅｌｐｈｉ登録"); then
        eventually drawn
        click "$R" 356 23    # Found2Btn
        click "$R" 356 79    # Found3Btn
        click "$R" 356 135   # Found4Btn
        click "$R" 156 200   # OK
        check "OK closes the dialog" wait_gone "Ｄｅｌｐｈｉ登録"
    else
        fail "the registration dialog did not open again"
    fi
    keys "$MAIN" alt+f x
    check "the main window's menu ends the run" wait_exit "$PID"
else
    fail "the main window did not appear"
fi
check "OK registers Delphi 2 as the registry names it" file_has "$L/Pivora.ini" "^2=${D2//\\/\\\\}"$'\r'
check "...Delphi 3 in the folder the user's key names" file_has "$L/Pivora.ini" "^3=${D3//\\/\\\\}"$'\r'
check "...and Delphi 4" file_has "$L/Pivora.ini" "^4=${D4//\\/\\\\}"$'\r'
finish
