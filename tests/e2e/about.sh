#!/usr/bin/env bash
# The About box of the real launcher under Xvfb: what it shows comes from the
# version block in the executable's own ".pivora_version" section, so a copy
# without that section shows empty captions and "Version " alone. The texts
# are told apart by their pixels: the product name is the only purple in the
# box, the other lines are black on the button face.
RUNNER=native
. "$(dirname "$0")/common.sh"
. "$(dirname "$0")/pixels.sh"
require xdotool xwininfo readelf objcopy xprop
SHOTS=${SHOTS:-$T/shots}; mkdir -p "$SHOTS"
start_xvfb

TITLE="ﾊﾞｰｼﾞｮﾝ情報"
PRODUCT=$ABOUT_PRODUCT VERSION=$ABOUT_VERSION COPYRIGHT=$ABOUT_COPYRIGHT

# A run that went wrong is ended, so the next one finds only its own windows.
abandon() { kill "$PID" 2>/dev/null; wait "$PID" 2>/dev/null; }

# open_about DIR NAME: runs the launcher in DIR without a file, opens the box
# from the menu twice, keeps a screenshot of each showing as NAME-1/2.png,
# closes it with Return (OK is the default button) and ends the run.
open_about() {
    local dir=$1 name=$2 n
    start_pivora "$dir"
    M=$(wait_window "Pivora"); check "$name: the main window appears" [ -n "$M" ] || { abandon; return; }
    # The icon is compiled into the window module, so even the stripped copy has it.
    local sizes
    sizes=$(xprop -id "$M" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | tr '\n' ' ')
    check "$name: the window carries the launcher's icon at 16, 32 and 64 (got $sizes)" \
        [ "$sizes" = "Icon (16 x 16) Icon (32 x 32) Icon (64 x 64) " ]
    for n in 1 2; do
        focus "$M"; xdotool key alt+a
        A=$(wait_window "$TITLE"); check "$name: the About box opens from the menu ($n)" [ -n "$A" ] || { abandon; return; }
        # The box stands below the main window, on the bare screen.
        check "$name: the box is drawn ($n)" drawn_shot "$A" "$SHOTS/$name-$n.png"
        geometry "$A"
        check "$name: the box is 439 wide (got $WIDTH)" [ "$WIDTH" -eq 439 ]
        check "$name: the box is 186 high (got $HEIGHT)" [ "$HEIGHT" -eq 186 ]
        check "$name: centred on the screen (got $X,$Y)" [ "$X" -eq $(((1024 - 439) / 2)) ]
        focus "$A"; xdotool key Return
        check "$name: Return closes the box ($n)" wait_gone "$TITLE"
    done
    check "$name: Exit from the File menu" menu "$M" alt+f x    # ファイル(&F) > 終了(&X)
    wait_exit "$PID"
    check "$name: the run ends normally (rc $RC)" [ "$RC" -eq 0 ]
}

L="$T/launcher"; new_launcher "$L"
check "the launcher carries its version section" bash -c "readelf -S '$L/pivora' | grep -q '\.pivora_version'"
open_about "$L" with-block

S="$T/stripped"; new_launcher "$S"
objcopy --remove-section .pivora_version "$S/pivora"
check "the stripped copy has no version section" bash -c "! readelf -S '$S/pivora' | grep -q '\.pivora_version'"
open_about "$S" without-block

# A screenshot that is missing fails here, and every reading of it below.
full="$SHOTS/with-block-1.png" bare="$SHOTS/without-block-1.png"
for shot in "$full" "$SHOTS/with-block-2.png" "$bare"; do check "$(basename "$shot") was taken" [ -s "$shot" ]; done
check "the product name is drawn in purple ($(pixels "$full" $PRODUCT purple) px)" \
    [ "$(pixels "$full" $PRODUCT purple)" -gt 500 ]
check "a version line is drawn ($(pixels "$full" $VERSION dark) px)" [ "$(pixels "$full" $VERSION dark)" -gt 20 ]
check "a copyright line is drawn ($(pixels "$full" $COPYRIGHT dark) px)" \
    [ "$(pixels "$full" $COPYRIGHT dark)" -gt 50 ]
check "the second showing looks the same" \
    [ "$(compare -metric AE "$full" "$SHOTS/with-block-2.png" null: 2>&1)" = 0 ]
check "without the block, no product name" [ "$(pixels "$bare" $PRODUCT purple)" -eq 0 ]
check "without the block, no copyright line" [ "$(pixels "$bare" $COPYRIGHT dark)" -eq 0 ]
check "without the block, \"Version \" is still drawn" [ "$(pixels "$bare" $VERSION dark)" -gt 10 ]
check "and it is shorter than \"Version 1.0.0.2\"" \
    [ "$(pixels "$bare" $VERSION dark)" -lt "$(pixels "$full" $VERSION dark)" ]
finish
