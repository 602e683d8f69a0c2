#!/usr/bin/env bash
# The FLTK window module through its test harness under Xvfb, at the density
# PIVORA_E2E_DPI (scale.sh): layout and bevels read off the screen, every
# label's text inside its box, keys and clicks as a user gives them, a paste,
# the file dialog, the message and input boxes, and failures raised in window
# events.
RUNNER=native
. "$(dirname "$0")/common.sh"
. "$(dirname "$0")/pixels.sh"
. "$(dirname "$0")/scale.sh"
require xdotool xwininfo xprop
HARNESS=${HARNESS:-$BUILD_DIR/tests/fltk/pivora_fltk_harness}
MODULE=${MODULE:-$BUILD_DIR/pivora-fltk.so}
SELECTION_OWNER=${SELECTION_OWNER:-$BUILD_DIR/tests/fltk/pivora_selection_owner}
start_xvfb
announce_dpi

run() {  # run SCENARIO [PATH]: the harness in the background, its output in $T/out, $T/err
    "$HARNESS" "$MODULE" "$@" > "$T/out" 2> "$T/err" & PID=$!
    BACKGROUND+=("$PID")
}
said() { grep -qxF -- "$1" "$T/out"; }
appears() {  # appears TITLE: the id of the harness's window, or what the harness said when it does not show
    wait_window "$1" || { echo "no window \"$1\"; the harness said: $(cat "$T/out" "$T/err")" >&2; return 1; }
}

# inside WINDOW IMAGE AREA BOX...: nothing of the window's controls (BOX, as
# the table gives them) is drawn beyond them in AREA; IMAGE is its screenshot.
inside() {
    local what=$1 image=$2 stray
    shift 2
    stray=$(stray_pixels "$image" "$@")
    check "$what: nothing is drawn outside the controls' boxes ($stray stray pixels)" [ "$stray" = 0 ]
}

# The main window: its menu bar above a client area of 252 x 122, the raised
# panel at 8,8 inside it, Esc ignored, Exit from the keyboard, all scaled.
# Pixels are read from a screenshot of the window, in its own coordinates; it
# is the first window on the screen, so the screen beneath it was bare.
run main
M=$(appears "Pivora"); check "the main window appears" [ -n "$M" ]
geometry "$M"
check "at $(px 196),$(px 107) (got $X,$Y)" [ "$X" -eq "$(px 196)" -a "$Y" -eq "$(px 107)" ]
check "$(px 252) x $(($(px 142) - $(px 20))) below a $(px 20)-pixel menu bar (got ${WIDTH}x$HEIGHT)" \
    [ "$WIDTH" -eq "$(px 252)" -a "$HEIGHT" -eq "$(px 142)" ]
check "the main window is drawn" drawn_shot "$M" "$SHOTS/main.png"
check "the face is the classic grey" [ "$(pixel "$SHOTS/main.png" "$(px 3)" "$(px 30)")" = "#C0C0C0" ]
panel_x0=$(px 8) panel_y0=$(px 28) panel_x1=$(($(px 241) - 1)) panel_y1=$(($(px 133) - 1))
check "the panel's top left edge is lit" [ "$(pixel "$SHOTS/main.png" "$panel_x0" "$panel_y0")" = "#FFFFFF" ]
check "$LINE pixels wide" [ "$(pixel "$SHOTS/main.png" $((panel_x0 + LINE - 1)) $((panel_y0 + LINE - 1)))" = "#FFFFFF" \
    -a "$(pixel "$SHOTS/main.png" $((panel_x0 + LINE)) $((panel_y0 + LINE)))" = "#C0C0C0" ]
check "its bottom right edge is shaded" [ "$(pixel "$SHOTS/main.png" "$panel_x1" "$panel_y1")" = "#808080" ]
check "nothing is drawn outside it" [ "$(pixel "$SHOTS/main.png" $((panel_x1 + 1)) $((panel_y1 + 1)))" = "#C0C0C0" ]
check "the caption set by the show event is drawn in black" \
    bash -c "convert '$SHOTS/main.png' -crop $(region 8 28 233 105) -depth 8 -unique-colors txt:- | grep -q '#000000'"
check "the menu bar's captions are drawn within it" \
    [ "$(pixels "$SHOTS/main.png" "$(region 0 0 252 20)" dark)" -gt 50 ]
inside "main window" "$SHOTS/main.png" "0 20 252 122" "8 28 233 105"
# The menu opens only after the window has taken the Esc before it.
focus "$M"; xdotool key Escape
check "Esc does not close the main window: its menu still opens" menu_key alt+f
xdotool key x
wait_exit "$PID"
check "Exit ends the run (rc $RC)" [ "$RC" -eq 0 ]
check "the close query ran once" [ "$(grep -c 'main closing' "$T/out")" -eq 1 ]

# The selection dialog: centred, no item chosen at first, a click on the
# second item and one on OK.
run select
W=$(appears "起動バージョン選択"); check "the selection dialog appears" [ -n "$W" ]
geometry "$W"
check "$(px 276) x $(px 214) (got ${WIDTH}x$HEIGHT)" [ "$WIDTH" -eq "$(px 276)" -a "$HEIGHT" -eq "$(px 214)" ]
check "centred (got $X,$Y)" [ "$X" -eq $(((1024 - $(px 276)) / 2)) -a "$Y" -eq $(((768 - $(px 214)) / 2)) ]
check "the selection dialog is drawn" drawn_shot "$W" "$SHOTS/select.png"
inside "selection dialog" "$SHOTS/select.png" "0 0 276 214" \
    "55 180 75 25" "135 180 75 25" "8 8 263 20" "8 32 250 20" "80 64 97 89"
click "$W" "$(px 100)" "$(px 116)"; click "$W" "$(px 92)" "$(px 192)"
wait_exit "$PID"
check "OK ends it with Ok" said "select ok"
check "the second item was chosen" said "item 1"
run select
W=$(appears "起動バージョン選択"); focus "$W"; xdotool key Return
wait_exit "$PID"
check "Enter presses the default button" said "select ok"
check "with no item chosen" said "item -1"

# The About box: its large purple product name, its labels within their
# boxes, and Esc ignored, since it has no cancel button: the Return after it
# still finds the box, and presses its OK.
run about
A=$(appears "ﾊﾞｰｼﾞｮﾝ情報"); check "the box appears" [ -n "$A" ]
check "the box is drawn" drawn_shot "$A" "$SHOTS/about.png"
check "the large label is purple" \
    bash -c "convert '$SHOTS/about.png' -crop $(region 16 24 409 65) -depth 8 -unique-colors txt:- | grep -q '#800080'"
inside "About box" "$SHOTS/about.png" "0 0 439 186" "8 8 425 137" "187 151 64 33"
inside "About box's panel" "$SHOTS/about.png" "9 9 423 135" "16 24 409 65" "16 95 409 10" "16 118 409 14"
focus "$A"; xdotool key Escape Return
wait_exit "$PID"
check "Esc leaves the box open and Enter presses its OK" said "about ok"

# The registration dialog: typing reaches the model; the browse button opens
# the file dialog on the registered file, and a name typed there comes back.
mkdir -p "$T/d3 dir/bin"; : > "$T/d3 dir/bin/delphi32.exe"; : > "$T/d3 dir/bin/DELPHI32.EXE"
run reg "$T/d3 dir/bin/delphi32.exe"
R=$(appears "Ｄｅｌｐｈｉ登録"); check "the registration dialog appears" [ -n "$R" ]
geometry "$R"
check "$(px 411) x $(px 216) (got ${WIDTH}x$HEIGHT)" [ "$WIDTH" -eq "$(px 411)" -a "$HEIGHT" -eq "$(px 216)" ]
check "the registration dialog is drawn" drawn_shot "$R" "$SHOTS/reg.png"
inside "registration dialog" "$SHOTS/reg.png" "0 0 411 216" "119 188 75 25" "199 188 75 25" \
    "8 16 68 20" "8 35 329 24" "8 72 68 20" "8 91 329 24" "8 128 68 20" "8 147 329 24" \
    "352 35 49 24" "352 91 49 24" "352 147 49 24" "311 13 90 20" "311 69 90 20" "311 125 90 20"
click "$R" "$(px 100)" "$(px 47)"; xdotool type --delay 40 "/opt/二@&x"
click "$R" "$(px 375)" "$(px 103)"
F=$(appears "ファイルを開く"); check "the browse button opens the file dialog" [ -n "$F" ]
import -window root "$SHOTS/open.png"
focus "$F"; xdotool type --delay 80 "DELPHI32.EXE"; xdotool key Return
check "the file dialog closes" wait_gone "ファイルを開く"
click "$R" "$(px 150)" "$(px 200)"      # OK; Enter would press the focused browse button, as on Windows
B=$(appears "警告"); check "a field naming no file is warned about" [ -n "$B" ]
check "by its text" grep -qF "[/opt/二@&x] が見つかりません" "$T/out"
focus "$B"; xdotool key Return   # Yes: registered all the same
wait_exit "$PID"
check "the chosen file comes back" said "chose $T/d3 dir/bin/DELPHI32.EXE"
check "and is put into the field" said "Delphi3Ed=$T/d3 dir/bin/DELPHI32.EXE"
check "typed text reaches the model" said "Delphi2Ed=/opt/二@&x"
check "the dialog ends with Ok" said "reg ok"
run reg "$T/d3 dir/bin/delphi32.exe"
R=$(appears "Ｄｅｌｐｈｉ登録"); click "$R" "$(px 375)" "$(px 159)"
F=$(appears "ファイルを開く"); focus "$F"; xdotool key Escape
check "Esc closes the file dialog" wait_gone "ファイルを開く"
focus "$R"; xdotool key Escape
wait_exit "$PID"
check "a cancelled file dialog gives nothing" said "chose nothing"
check "and Esc cancels the registration" said "reg cancel"

# A path longer than its field is shown from its beginning: the field's left
# half shows the dense start, not the blanks at its end.
LONG="/WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW$(printf '%*s' 160 '')/delphi32.exe"
run reg "$LONG"
R=$(appears "Ｄｅｌｐｈｉ登録"); check "the dialog with a long path is drawn" drawn_shot "$R" "$SHOTS/reg-long.png"
start_shown=$(pixels "$SHOTS/reg-long.png" "$(region 11 94 160 18)" dark)
check "a long path shows its beginning ($start_shown dark pixels)" [ "$start_shown" -gt "$(px 100)" ]
focus "$R"; xdotool key Escape
wait_exit "$PID"
check "and is kept whole" said "Delphi3Ed=$LONG"

# Text with line breaks pasted into a field loses the breaks, and the keys
# that would type one (Ctrl+J, Ctrl+M) type nothing: what the field shows is
# what it gives. The clipboard is held by a program of the test's own.
run reg "$T/d3 dir/bin/delphi32.exe"
R=$(appears "Ｄｅｌｐｈｉ登録")
"$SELECTION_OWNER" $'/opt/pasted\r\n/line\ntwo\n' > "$T/clipboard" 2>&1 & BACKGROUND+=("$!")
check "the clipboard is held" eventually grep -qx owned "$T/clipboard"
click "$R" "$(px 100)" "$(px 47)"; xdotool key ctrl+v
check "the paste is handed over" eventually grep -qx served "$T/clipboard"
xdotool key ctrl+j ctrl+m; xdotool type "x"
click "$R" "$(px 150)" "$(px 200)"
B=$(appears "警告"); focus "$B"; xdotool key Return
wait_exit "$PID"
check "the pasted lines are one line in the field, and no break was typed" said "Delphi2Ed=/opt/pasted/linetwox"

# An IDE found installed: Delphi 4's empty field shows it as a grey cue, the
# others none; its button takes it into the field, Delphi 2's (disabled,
# nothing found) does nothing; OK registers what the fields hold.
mkdir -p "$T/d4 dir/Bin"; : > "$T/d4 dir/Bin/DELPHI32.EXE"
run found "$T/d4 dir/Bin/DELPHI32.EXE"
R=$(appears "Ｄｅｌｐｈｉ登録"); check "the dialog appears with what was found" [ -n "$R" ]
check "the dialog is drawn" drawn_shot "$R" "$SHOTS/found.png"
check "Delphi 4's empty field shows its cue in grey" [ "$(pixels "$SHOTS/found.png" $(region 10 149 325 20) cue)" -gt 20 ]
check "Delphi 2's and 3's show none" \
    [ "$(pixels "$SHOTS/found.png" $(region 10 37 325 20) cue)" -eq 0 -a "$(pixels "$SHOTS/found.png" $(region 10 93 325 20) cue)" -eq 0 ]
check "the button of what was found is drawn usable" [ "$(pixels "$SHOTS/found.png" $(region 314 128 84 14) dark)" -gt 10 ]
check "the others are drawn disabled" [ "$(pixels "$SHOTS/found.png" $(region 314 16 84 14) dark)" -eq 0 ]
click "$R" "$(px 356)" "$(px 23)"     # Found2Btn, disabled
click "$R" "$(px 356)" "$(px 135)"    # Found4Btn
click "$R" "$(px 150)" "$(px 200)"    # OK
wait_exit "$PID"
check "the found IDE is taken into its field" said "Delphi4Ed=$T/d4 dir/Bin/DELPHI32.EXE"
check "a disabled button takes nothing" said "Delphi2Ed="
check "and OK ends the dialog" said "reg ok"

# The message box: Yes is the default, N answers No, Esc is No.
for keys in "Return:yes" "n:no" "Escape:no"; do
    run yesno
    B=$(appears "警告"); check "the warning box appears for ${keys%%:*}" [ -n "$B" ]
    [ "$keys" = "Return:yes" ] && import -window root "$SHOTS/yesno.png"
    focus "$B"; xdotool key "${keys%%:*}"
    wait_exit "$PID"
    check "${keys%%:*} answers ${keys##*:}" said "answer ${keys##*:}"
done

# The input box: the initial text is selected, so typing replaces it.
run input
I=$(appears "起動履歴登録数"); check "the input box appears" [ -n "$I" ]
focus "$I"; xdotool type --delay 40 "42"; xdotool key Return
wait_exit "$PID"
check "the typed text comes back" said "typed 42"
run input
I=$(appears "起動履歴登録数"); focus "$I"; xdotool type --delay 40 "7"; xdotool key Escape
wait_exit "$PID"
check "Esc cancels the input box" said "input cancelled"

# A failure raised in a window event, of a kind no standard exception is (the
# harness makes the registration dialog's show event fail): reported in an
# error box in plain words, and the program goes on.
run throw
M=$(appears "Pivora"); menu "$M" alt+f r
E=$(appears "エラー"); check "a failure in a window event is reported in a box" [ -n "$E" ]
check "in plain words" said "message 予期しないエラーが発生したため、操作を中止しました。"
focus "$E"; xdotool key Return
R=$(appears "Ｄｅｌｐｈｉ登録"); check "the command goes on: its dialog opens" [ -n "$R" ]
focus "$R"; xdotool key Escape
check "and the main window stays: its menu still opens" menu "$M" alt+f x
wait_exit "$PID"
check "the run goes on to a normal end (rc $RC)" [ "$RC" -eq 0 ]
finish
