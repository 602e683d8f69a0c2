#!/usr/bin/env bash
# The About box of the real launcher under Xvfb, at the density
# PIVORA_E2E_DPI (scale.sh): what it shows comes from the version block in the
# executable's own ".pivora_version" section, so a copy without that section
# shows empty captions and "Version " alone, and a copy with longer texts than
# its labels hold shows them cut at the labels' edges. The texts are told
# apart by their pixels: the product name is the only purple in the box, the
# other lines are black on the button face.
RUNNER=native
. "$(dirname "$0")/common.sh"
. "$(dirname "$0")/pixels.sh"
. "$(dirname "$0")/scale.sh"
require xdotool xwininfo readelf objcopy xprop
MKVERSION=${MKVERSION:-$BUILD_DIR/resources/pivora_mkversion}
start_xvfb
announce_dpi

TITLE="ﾊﾞｰｼﾞｮﾝ情報"
# The labels in the box's client area: Panel1 at 8,8 and the labels in it.
PRODUCT=$(region 16 24 409 65) VERSION=$(region 16 95 409 10) COPYRIGHT=$(region 16 118 409 14)
ICONS="Icon ($(px 16) x $(px 16)) Icon ($(px 32) x $(px 32)) Icon ($(px 64) x $(px 64)) "

# A run that went wrong is ended, so the next one finds only its own windows.
abandon() { kill "$PID" 2>/dev/null; wait "$PID" 2>/dev/null; }

# open_about DIR NAME: runs the launcher in DIR without a file, opens the box
# from the menu twice, keeps a screenshot of each showing as NAME-1/2.png,
# closes it with Return (OK is the default button) and ends the run.
open_about() {
    local dir=$1 name=$2 n
    start_pivora "$dir"
    M=$(wait_window "Pivora"); check "$name: the main window appears" [ -n "$M" ] || { abandon; return; }
    # The icon is compiled into the window module, so even the stripped copy
    # has it, at 16, 32 and 64 pixels at 96 dpi, scaled.
    local sizes
    sizes=$(xprop -id "$M" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | tr '\n' ' ')
    check "$name: the window carries the launcher's icon ($ICONS) (got $sizes)" [ "$sizes" = "$ICONS" ]
    for n in 1 2; do
        focus "$M"; xdotool key alt+a
        A=$(wait_window "$TITLE"); check "$name: the About box opens from the menu ($n)" [ -n "$A" ] || { abandon; return; }
        # The box stands below the main window, on the bare screen.
        check "$name: the box is drawn ($n)" drawn_shot "$A" "$SHOTS/$name-$n.png"
        geometry "$A"
        check "$name: the box is $(px 439) wide (got $WIDTH)" [ "$WIDTH" -eq "$(px 439)" ]
        check "$name: the box is $(px 186) high (got $HEIGHT)" [ "$HEIGHT" -eq "$(px 186)" ]
        check "$name: centred on the screen (got $X,$Y)" [ "$X" -eq $(((1024 - $(px 439)) / 2)) ]
        local stray
        stray=$(stray_pixels "$SHOTS/$name-$n.png" "0 0 439 186" "8 8 425 137" "187 151 64 33")
        check "$name: nothing is drawn outside the panel and the button ($stray px)" [ "$stray" = 0 ]
        stray=$(stray_pixels "$SHOTS/$name-$n.png" "9 9 423 135" "16 24 409 65" "16 95 409 10" "16 118 409 14")
        check "$name: every text stays within its label ($stray px)" [ "$stray" = 0 ]
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

# A copy whose texts are wider than their labels: a product name of 30
# letters and a copyright line of 200 cannot fit in 409 pixels.
W="$T/wide"; new_launcher "$W"
sed -e 's/^String.ProductName=.*/String.ProductName=PivoraPivoraPivoraPivoraPivora/' \
    -e "s/^String.LegalCopyright=.*/String.LegalCopyright=Copyright (C) 2026 $(printf 'Pivora developers %.0s' $(seq 11))/" \
    "$E2E_DIR/../../resources/pivora-version.txt" > "$T/wide-version.txt"
check "a version block with wide texts is made" "$MKVERSION" "$T/wide-version.txt" "$T/wide-version.bin"
objcopy --remove-section .pivora_version --add-section .pivora_version="$T/wide-version.bin" "$W/pivora"
open_about "$W" wide-texts
wide="$SHOTS/wide-texts-1.png"
check "the wide product name fills its label ($(pixels "$wide" $PRODUCT purple) px)" \
    [ "$(pixels "$wide" $PRODUCT purple)" -gt "$(pixels "$SHOTS/with-block-1.png" $PRODUCT purple)" ]

# A screenshot that is missing fails here, and every reading of it below.
full="$SHOTS/with-block-1.png" bare="$SHOTS/without-block-1.png"
for shot in "$full" "$SHOTS/with-block-2.png" "$bare"; do check "$(basename "$shot") was taken" [ -s "$shot" ]; done
check "the product name is drawn in purple ($(pixels "$full" $PRODUCT purple) px)" \
    [ "$(pixels "$full" $PRODUCT purple)" -gt "$(px 500)" ]
check "a version line is drawn ($(pixels "$full" $VERSION dark) px)" [ "$(pixels "$full" $VERSION dark)" -gt "$(px 20)" ]
check "a copyright line is drawn ($(pixels "$full" $COPYRIGHT dark) px)" \
    [ "$(pixels "$full" $COPYRIGHT dark)" -gt "$(px 50)" ]
check "the second showing looks the same" \
    [ "$(compare -metric AE "$full" "$SHOTS/with-block-2.png" null: 2>&1)" = 0 ]
check "without the block, no product name" [ "$(pixels "$bare" $PRODUCT purple)" -eq 0 ]
check "without the block, no copyright line" [ "$(pixels "$bare" $COPYRIGHT dark)" -eq 0 ]
check "without the block, \"Version \" is still drawn" [ "$(pixels "$bare" $VERSION dark)" -gt "$(px 10)" ]
check "and it is shorter than \"Version 1.0.0.2\"" \
    [ "$(pixels "$bare" $VERSION dark)" -lt "$(pixels "$full" $VERSION dark)" ]
finish
