#!/usr/bin/env bash
# The real launcher with real windows under Xvfb, driven as a user would, at
# the density PIVORA_E2E_DPI (scale.sh). The screenshots are for a person to
# look at; no check reads them.
RUNNER=native
. "$(dirname "$0")/common.sh"
. "$(dirname "$0")/scale.sh"
require xdotool xwininfo xprop import python3   # python3 reads whether Ctrl is down
start_xvfb
announce_dpi

L="$T/launcher"; new_launcher "$L"
IDE2="$T/ide2"; stand_in_ide "$IDE2"
IDE4="$T/ide4"; stand_in_ide "$IDE4"
write_ini "$L" "[DelphiReg]" "2=$IDE2" "4=$IDE4"
P="$T/p"; mkdir -p "$P"
printf 'unit U;' > "$P/Lone.pas"

# An undetermined file: the selection dialog is shown and answered.
start_pivora "$L" "$P/Lone.pas"
W=$(wait_window "起動バージョン選択"); check "the selection dialog appears" [ -n "$W" ]
import -window root "$SHOTS/selection.png"
geometry "$W"
check "the dialog's client area is $(px 276) wide (got $WIDTH)" [ "$WIDTH" -eq "$(px 276)" ]
check "and $(px 214) high (got $HEIGHT)" [ "$HEIGHT" -eq "$(px 214)" ]
check "the dialog is centred" [ "$X" -eq $(((1024 - $(px 276)) / 2)) ]
click "$W" "$(px 100)" "$(px 92)"   # "Delphi 2", first item of the radio group at 80,64
focus "$W"; xdotool key Return   # the default button
wait_exit "$PID"
check "the run ends after the start (rc $RC)" [ "$RC" -eq 0 ]
check "Delphi 2 was started" wait_for "$IDE2.log"
check "with the file" grep -qx "arg=$P/Lone.pas" "$IDE2.log"
check "the choice is remembered" grep -q " - 02 $P/Lone.pas" "$L/pivora.dat"

# Ctrl held at start forces the dialog even for a remembered file, and the
# chosen version replaces the remembered one.
check "Ctrl is held down" hold_ctrl
start_pivora "$L" "$P/Lone.pas"
W=$(wait_window "起動バージョン選択")
check "Ctrl is let go" release_ctrl
check "Ctrl at start shows the dialog" [ -n "$W" ]
click "$W" "$(px 100)" "$(px 140)"   # "Delphi 4"
click "$W" "$(px 92)" "$(px 192)"    # OK
wait_exit "$PID"
check "Delphi 4 was started" wait_for "$IDE4.log"
check "with the file" grep -qx "arg=$P/Lone.pas" "$IDE4.log"
check "the entry was replaced" [ "$(grep -c "$P/Lone.pas" "$L/pivora.dat")" -eq 1 ]
check "with version 4" grep -q " - 04 $P/Lone.pas" "$L/pivora.dat"

# Cancel: nothing started, the main window stays with "Delphi ?".
rm -f "$IDE4.log"
printf 'unit V;' > "$P/Other.pas"
start_pivora "$L" "$P/Other.pas"
W=$(wait_window "起動バージョン選択")
focus "$W"; xdotool key Escape
M=$(wait_window "Pivora"); check "after Cancel the main window is shown" [ -n "$M" ]
import -window root "$SHOTS/main-after-cancel.png"
check "Exit from the File menu" menu "$M" alt+f x     # ファイル(&F) > 終了(&X)
wait_exit "$PID"
check "Exit closes the main window and ends the run (rc $RC)" [ "$RC" -eq 0 ]
# Only once the run has ended is it sure that nothing was started.
check "nothing was started" not_started "$IDE4"
check "nothing was remembered" bash -c "! grep -q Other.pas '$L/pivora.dat'"

# No argument: the main window at its place with its menu; Ctrl changes nothing.
check "Ctrl is held down" hold_ctrl
start_pivora "$L"
M=$(wait_window "Pivora")
check "Ctrl is let go" release_ctrl
check "the main window appears without an argument" [ -n "$M" ]
geometry "$M"
check "at x $(px 196) (got $X)" [ "$X" -eq "$(px 196)" ]
check "at y $(px 107) (got $Y)" [ "$Y" -eq "$(px 107)" ]
check "$(px 252) wide (got $WIDTH)" [ "$WIDTH" -eq "$(px 252)" ]
check "$(px 122) high below a $(px 20)-pixel menu bar (got $HEIGHT)" [ "$HEIGHT" -eq "$(px 142)" ]
import -window root "$SHOTS/main.png"
check "no selection dialog" window_gone "起動バージョン選択"
# Windows are told apart by their whole titles, never by a part of one.
check "no window is taken for one whose title begins the same" window_gone "Pivor"

# The history size command: bad numbers are refused, a good one is saved.
open_size_command() { menu "$M" alt+f s h; }   # ファイル > システム設定 > 起動履歴登録数
for bad in "-1" "abc" "5 "; do
    open_size_command
    I=$(wait_window "起動履歴登録数"); check "the size box appears for '$bad'" [ -n "$I" ]
    focus "$I"; xdotool key ctrl+a; xdotool type --delay 30 -- "$bad"; xdotool key Return
    E=$(wait_window "エラー"); check "'$bad' is refused" [ -n "$E" ]
    [ "$bad" = "-1" ] && import -window root "$SHOTS/size-error.png"
    focus "$E"; xdotool key Return
    check "the error closes for '$bad'" wait_gone "エラー"
    I=$(wait_window "起動履歴登録数"); check "the box asks again after '$bad'" [ -n "$I" ]
    focus "$I"; xdotool key Escape
    check "Esc closes the box after '$bad'" wait_gone "起動履歴登録数"
done
open_size_command
I=$(wait_window "起動履歴登録数"); check "the size box appears for 5" [ -n "$I" ]
# The menu answered, so the commands before it have run to their end.
check "refused sizes write nothing" bash -c "! grep -q HistoryMax '$L/pivora.ini'"
import -window root "$SHOTS/size.png"
focus "$I"; xdotool key ctrl+a; xdotool type --delay 30 "5"; xdotool key Return
check "an accepted size is written" eventually file_has "$L/pivora.ini" "^HistoryMax=5"$'\r'"$"
check "the registered paths stay" grep -q "^4=$IDE4" "$L/pivora.ini"
check "Exit from the File menu" menu "$M" alt+f x
wait_exit "$PID"
check "the run ends (rc $RC)" [ "$RC" -eq 0 ]
finish
