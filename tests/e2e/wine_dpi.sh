#!/usr/bin/env bash
# The Windows launcher's windows under Wine at 96 and 144 dpi (Wine's
# LogPixels, set in a prefix of this script's own): each window is its
# table's client size scaled to the DPI, centred where the table says so,
# with its controls at the scaled places, read from screenshots; the input
# box, measured from its font, grows with it at 96, 120, 144 and 192 dpi and
# holds its prompt whole above its field; Esc leaves the About box open; a
# field scrolled to the end of a long path shows its start at the next opening.
#
# The screenshots stay in $SHOTS (default: screenshots/ in the build), one of
# each window at each DPI, wine-WINDOW-DPI.png; tools/make-wine-screenshots.sh
# copies them to docs/screenshots/.
RUNNER=wine
# The DPI is a setting of the whole prefix, so the script has one of its own.
export PIVORA_WINEPREFIX=${PIVORA_DPI_WINEPREFIX:-${TMPDIR:-/tmp}/pivora-wine-$(id -u)-dpi}
. "$(dirname "$0")/common.sh"
require xdotool xprop import convert compare
# Wine draws the menu bar in the system's font, which has Japanese letters in
# a Japanese locale only.
locale -a 2> /dev/null | grep -qi '^ja_JP\.utf-\?8$' ||
    skip "the ja_JP.UTF-8 locale is missing (localedef -i ja_JP -f UTF-8 ja_JP.UTF-8)"
export LC_ALL=ja_JP.UTF-8 LANG=ja_JP.UTF-8
. "$(dirname "$0")/pixels.sh"
SHOTS=${SHOTS:-$BUILD_DIR/screenshots}
mkdir -p "$SHOTS" || { fail "cannot make $SHOTS"; finish; exit 1; }
start_xvfb

# set_dpi N: every program started from now on runs at N dpi.
set_dpi() {
    DPI=$1
    bash "$WINE_RUN" "$PIVORA_WINEPREFIX/drive_c/windows/system32/reg.exe" add 'HKCU\Control Panel\Desktop' \
        /v LogPixels /t REG_DWORD /d "$DPI" /f > /dev/null 2>&1
}
# What Wine draws itself (the menu bar) is in the system's font, the Japanese
# Windows' "MS UI Gothic": where that is missing, the IPA font of the same
# metrics stands in, as a Japanese user's Wine is set up.
bash "$WINE_RUN" "$PIVORA_WINEPREFIX/drive_c/windows/system32/reg.exe" add 'HKCU\Software\Wine\Fonts\Replacements' \
    /v 'MS UI Gothic' /t REG_SZ /d IPAPGothic /f > /dev/null 2>&1 ||
    { fail "the prefix's font replacement cannot be set"; finish; exit 1; }

# S LENGTH: a length of a table in pixels at the current DPI (MulDiv rounds).
S() { echo $((($1 * DPI * 2 + 96) / 192)); }

# shot WINDOW NAME: a screenshot of the window once it is drawn, kept as
# wine-NAME-DPI.png; its path in SHOT.
shot() {
    SHOT="$SHOTS/wine-$2-$DPI.png"
    rm -f "$SHOT"
    check "$2 at $DPI dpi is drawn" eventually drawn "$1" "$SHOT"
}
# A window is drawn once its pixel at client 1,1 (under no control) is the
# face colour, which the screen beneath it, bare black, is not. The main
# window's first rows are its menu bar: its client area is below it.
drawn() {
    import -window "$1" "$2" 2> /dev/null || return 1
    local y=1
    [ "$(xdotool getwindowname "$1")" != Pivora ] || y=$(($(identify -format '%h' "$2") - 2))
    [ "$(pixel "$2" 1 "$y")" = "$FACE" ]
}
# The system's colours, as the prefix's theme sets them ("R G B" in the registry).
system_colour() {
    bash "$WINE_RUN" "$PIVORA_WINEPREFIX/drive_c/windows/system32/reg.exe" query 'HKCU\Control Panel\Colors' \
        /v "$1" 2> /dev/null | awk -v key="$1" '$1 == key { printf "#%02X%02X%02X", $3, $4, $5 }'
}
FACE=$(system_colour ButtonFace) SHADOW=$(system_colour ButtonShadow) LIGHT=$(system_colour ButtonHilight)
WHITE=$(system_colour Window)
[ -n "$FACE" ] && [ -n "$SHADOW" ] && [ -n "$LIGHT" ] && [ -n "$WHITE" ] ||
    { fail "the prefix's system colours cannot be read"; finish; exit 1; }

# between VALUE LOW HIGH: LOW <= VALUE <= HIGH.
between() { [ "$1" -ge "$2" ] && [ "$1" -le "$3" ]; }

# is_at IMAGE X Y COLOUR: the pixel there has that colour (said when not).
is_at() {
    local got
    got=$(pixel "$1" "$2" "$3")
    [ "$got" = "$4" ] || { echo "pixel $2,$3 of $(basename "$1") is $got, not $4" >&2; return 1; }
}

# window_type WINDOW: what Wine tells a window manager the window is, and so
# how it is framed: a dialog opened from another window is a dialog (one with
# no window to belong to, the selection dialog at a launch, is typed as a
# window of its own whatever its frame).
window_type() { xprop -id "$1" _NET_WM_WINDOW_TYPE 2> /dev/null | sed -n 's/.*= _NET_WM_WINDOW_TYPE_//p'; }

# expect_size WINDOW NAME WIDTH HEIGHT: the window's client area, as the
# table gives it scaled (without a window manager, the X window is the client
# area), centred across the screen.
expect_size() {
    geometry "$1"
    check "$2 at $DPI dpi is ${3}x$4 (got ${WIDTH}x$HEIGHT)" [ "${WIDTH}x$HEIGHT" = "${3}x$4" ]
    check "$2 at $DPI dpi is centred (x $X, width $WIDTH)" between $((2 * X + WIDTH - 1024)) -2 2
}

# A lowered or raised edge around a table's rectangle (left top width height).
lowered() { is_at "$SHOT" "$(S $1)" "$(S $2)" "$SHADOW" && is_at "$SHOT" $(($(S $1) + $(S $3) - 1)) $(($(S $2) + $(S $4) - 1)) "$LIGHT"; }
# An edit field: white inside, the face just left of its sunken edge.
field() { is_at "$SHOT" $(($(S $1) + $(S $3) / 2)) $(($(S $2) + $(S $4) / 2)) "$WHITE" && is_at "$SHOT" $(($(S $1) - 1)) $(($(S $2) + $(S $4) / 2)) "$FACE"; }

# ok_pressed: the About box's OK looks other than it did before the Esc.
ok_pressed() {
    import -window "$ABOUT" "$T/ok-down.png" 2> /dev/null || return 1
    [ "$(compare -metric AE "$T/ok-up.png[$OK_AREA]" "$T/ok-down.png[$OK_AREA]" null: 2>&1)" != 0 ]
}

# field_differs WINDOW: the registration dialog's first field looks other
# than in the dialog's first screenshot.
field_differs() {
    import -window "$1" "$T/field.png" 2> /dev/null || return 1
    [ "$(compare -metric AE "${FIRST_SHOT}[$FIELD_AREA]" "$T/field.png[$FIELD_AREA]" null: 2>&1)" != 0 ]
}

L="$T/launcher"; new_launcher "$L"
# Registered paths longer than their fields.
LONG='C:\Program Files\Borland\Delphi 4 Client Server Suite\Bin\Tools\Further Down\DELPHI32.EXE'
write_ini "$L" "[DelphiReg]" "2=$LONG" "4=$LONG"
P="$T/proj"; mkdir -p "$P"
printf 'unit Lone;\r\n' > "$P/Lone.pas"

# input_box: the history size box, opened from the main window's menu
# (ファイル, システム設定, 起動履歴登録数), measured and closed with Esc. Sets
# BOX_W (its width) and PROMPT_W (the width its prompt's text is drawn).
input_box() {
    local win edge text
    BOX_W=0 PROMPT_W=0
    if ! { menu "$MAIN" alt+f s h && win=$(wait_window "起動履歴登録数"); }; then
        fail "the input box did not open at $DPI dpi"; return
    fi
    shot "$win" input
    check "the input box is framed as a dialog" [ "$(window_type "$win")" = DIALOG ]
    geometry "$win"; BOX_W=$WIDTH
    check "the input box at $DPI dpi is centred (x $X, width $WIDTH)" between $((2 * X + WIDTH - 1024)) -2 2
    # The field is the first rows that are mostly the window colour (white
    # but for its selected text); its sunken edge, two pixels, is just above
    # them. Above that is the prompt, whose dark pixels must end a row higher.
    edge=$(convert "$SHOT" -fill black +opaque "$WHITE" -fill white -opaque "$WHITE" -colorspace Gray \
        -scale "1x$HEIGHT!" -depth 8 txt:- |
        awk -F'[,:]' 'NR > 1 { split($3, v, /[()]/); if (v[2] + 0 > 180) { print $2 - 2; exit } }')
    text=$(convert "$SHOT" -crop "${WIDTH}x${edge:-0}+0+0" +repage -colorspace Gray -threshold 40% -negate \
        -trim -format '%w %h %X %Y' info: 2> /dev/null)
    read -r PROMPT_W ph px py <<< "${text:-0 0 0 0}"
    py=${py#+} px=${px#+}
    check "the prompt at $DPI dpi ends above the field (text rows $py-$((py + ph - 1)), field at ${edge:-none})" \
        between $((py + ph)) 1 $((${edge:-0} - 1))
    check "the prompt at $DPI dpi stays inside the box (x $px + $PROMPT_W of $WIDTH)" \
        between "$px" 1 $((WIDTH - PROMPT_W - 1))
    keys "$win" Escape
    check "Esc cancels the input box at $DPI dpi" wait_gone "起動履歴登録数"
}

# The whole set of windows at 96 dpi, then at 144.
declare -A BOX_W_AT PROMPT_W_AT
for dpi in 96 144; do
    check "Wine is set to $dpi dpi" set_dpi "$dpi" || continue
    start_pivora "$L"
    if ! MAIN=$(wait_window "Pivora"); then
        fail "the main window did not appear at $DPI dpi"; wait_exit; continue
    fi
    shot "$MAIN" main
    geometry "$MAIN"
    # The menu bar is above the table's client area, in the same X window.
    MENU_H=$((HEIGHT - $(S 122)))
    check "the main window at $DPI dpi is $(S 252) wide (got $WIDTH)" [ "$WIDTH" = "$(S 252)" ]
    check "...and its menu bar takes $MENU_H px above the table's $(S 122)" between "$MENU_H" 1 "$(S 40)"
    check "the main window at $DPI dpi stands where its table says ($X,$Y)" between "$X" 196 204
    check "the main window is a window of its own, not a dialog ($(window_type "$MAIN"))" \
        [ "$(window_type "$MAIN")" = NORMAL ]
    check "its panel's raised edge is at the scaled place" \
        is_at "$SHOT" "$(S 8)" $((MENU_H + $(S 8))) "$LIGHT"
    check "...to its scaled size" is_at "$SHOT" $(($(S 8) + $(S 233) - 1)) $((MENU_H + $(S 8) + $(S 105) - 1)) "$SHADOW"
    check "...and nothing beyond it" is_at "$SHOT" $(($(S 8) + $(S 233) + 1)) $((MENU_H + $(S 8) + $(S 105) + 1)) "$FACE"

    keys "$MAIN" alt+a
    if ABOUT=$(wait_window "ﾊﾞｰｼﾞｮﾝ情報"); then
        shot "$ABOUT" about
        expect_size "$ABOUT" "the About box" "$(S 439)" "$(S 186)"
        check "the About box is framed as a dialog ($(window_type "$ABOUT"))" [ "$(window_type "$ABOUT")" = DIALOG ]
        check "its panel's lowered edge is at the scaled place and size" lowered 8 8 425 137
        check "its product name is purple, in the scaled place" \
            [ "$(pixels "$SHOT" "$(S 409)x$(S 65)+$(S 16)+$(S 24)" purple)" -gt $((500 * DPI * DPI / 9216)) ]
        # Esc, and then the mouse held down on OK: OK is drawn pressed only if
        # the box outlived the Esc, since the box handles its input in order.
        import -window "$ABOUT" "$T/ok-up.png" 2> /dev/null
        OK_AREA="$(S 64)x$(S 33)+$(S 187)+$(S 151)"
        keys "$ABOUT" Escape
        xdotool mousemove --window "$ABOUT" $(($(S 187) + $(S 32))) $(($(S 151) + $(S 16))) mousedown 1
        check "Esc leaves the About box open: OK is then pressed in it" eventually ok_pressed
        xdotool mouseup 1
        check "OK closes it" wait_gone "ﾊﾞｰｼﾞｮﾝ情報"
    else
        fail "the About box did not open at $DPI dpi"
    fi

    if menu "$MAIN" alt+f r && REG=$(wait_window "Ｄｅｌｐｈｉ登録"); then
        shot "$REG" registration
        expect_size "$REG" "the registration dialog" "$(S 411)" "$(S 216)"
        check "the registration dialog is framed as a dialog" [ "$(window_type "$REG")" = DIALOG ]
        for top in 35 91 147; do check "its field at table top $top is in the scaled place" field 8 "$top" 329 24; done
        # Tab twice reaches the first field, which then shows the end of its
        # long path; at the next opening it shows its start again.
        FIELD_AREA="$(S 329)x$(S 24)+$(S 8)+$(S 35)" FIRST_SHOT=$SHOT
        keys "$REG" Tab Tab
        check "Tab into the field scrolls it to the end of its path" eventually field_differs "$REG"
        keys "$REG" Escape
        check "the registration dialog closes with Esc" wait_gone "Ｄｅｌｐｈｉ登録"
        if menu "$MAIN" alt+f r && REG=$(wait_window "Ｄｅｌｐｈｉ登録"); then
            check "opened again, it is drawn" eventually drawn "$REG" "$T/reopened.png"
            check "opened again, the field shows the start of its path" \
                [ "$(compare -metric AE "${FIRST_SHOT}[$FIELD_AREA]" "$T/reopened.png[$FIELD_AREA]" null: 2>&1)" = 0 ]
            keys "$REG" Escape
            check "...and closes with Esc" wait_gone "Ｄｅｌｐｈｉ登録"
        else
            fail "the registration dialog did not open again at $DPI dpi"
        fi
    else
        fail "the registration dialog did not open at $DPI dpi"
    fi

    input_box
    BOX_W_AT[$DPI]=$BOX_W PROMPT_W_AT[$DPI]=$PROMPT_W
    keys "$MAIN" alt+f x
    check "the main window's menu ends the run at $DPI dpi" wait_exit

    # An undetermined file: the version selection dialog, cancelled.
    start_pivora "$L" "$(winpath "$P/Lone.pas")"
    if SEL=$(wait_window "起動バージョン選択"); then
        shot "$SEL" selection
        expect_size "$SEL" "the selection dialog" "$(S 276)" "$(S 214)"
        keys "$SEL" Escape
        check "the selection dialog closes with Esc" wait_gone "起動バージョン選択"
    else
        fail "the selection dialog did not appear at $DPI dpi"
    fi
    if MAIN=$(wait_window "Pivora"); then keys "$MAIN" alt+f x; fi
    check "the run ends at $DPI dpi" wait_exit
done

# The input box alone at the DPIs between and beyond.
for dpi in 120 192; do
    check "Wine is set to $dpi dpi" set_dpi "$dpi" || continue
    start_pivora "$L"
    if MAIN=$(wait_window "Pivora"); then
        input_box
        BOX_W_AT[$DPI]=$BOX_W PROMPT_W_AT[$DPI]=$PROMPT_W
        keys "$MAIN" alt+f x
    else
        fail "the main window did not appear at $DPI dpi"
    fi
    check "the run ends at $DPI dpi" wait_exit
done

# At every DPI the box and its prompt's text are their 96-dpi sizes scaled,
# within what a font's whole-pixel steps allow (6 %).
near() { [ "$2" -gt 0 ] && [ $((100 * $1)) -ge $((94 * $2)) ] && [ $((100 * $1)) -le $((106 * $2)) ]; }
for dpi in 120 144 192; do
    base=${BOX_W_AT[96]:-0} prompt=${PROMPT_W_AT[96]:-0}
    check "the input box at $dpi dpi is $dpi/96 of its 96-dpi width (${BOX_W_AT[$dpi]:-none} for $base)" \
        near "${BOX_W_AT[$dpi]:-0}" $((base * dpi / 96))
    check "its prompt at $dpi dpi is drawn whole, $dpi/96 as wide (${PROMPT_W_AT[$dpi]:-none} for $prompt)" \
        near "${PROMPT_W_AT[$dpi]:-0}" $((prompt * dpi / 96))
done
set_dpi 96
finish
