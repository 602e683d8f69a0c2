#!/usr/bin/env bash
# The Windows launcher's About box under Wine: opened from the main window's
# menu, it shows what the exe's own version resource says, the product name
# in purple above the version and copyright lines; Return (OK is the default
# button) closes it. Short, so that it also runs where Wine is emulated.
. "$(dirname "$0")/wine_common.sh"
. "$(dirname "$0")/pixels.sh"
start_display
command -v xdotool >/dev/null || { echo "xdotool is needed" >&2; exit 1; }

L="$T/launcher"; new_launcher "$L"
start_pivora "$L"
if find_window "Pivora"; then
    MAIN=$WIN
    keys "$MAIN" alt+a
    if find_window "ﾊﾞｰｼﾞｮﾝ情報"; then
        sleep 0.5
        # Without a window manager the X window is the client area alone.
        import -window "$WIN" "$T/about.png"
        eval "$(xdotool getwindowgeometry --shell "$WIN")"
        check "the box is 439 x 186 (got ${WIDTH}x$HEIGHT)" [ "$WIDTH" -eq 439 ] && [ "$HEIGHT" -eq 186 ]
        check "centred on the screen (got $X)" [ "$X" -eq $(((1024 - 439) / 2)) ]
        purple=$(pixels "$T/about.png" "$ABOUT_PRODUCT" purple)
        check "the product name is drawn in purple ($purple px)" [ "$purple" -gt 500 ]
        version=$(pixels "$T/about.png" "$ABOUT_VERSION" dark)
        check "a version line is drawn ($version px)" [ "$version" -gt 20 ]
        copyright=$(pixels "$T/about.png" "$ABOUT_COPYRIGHT" dark)
        check "a copyright line is drawn ($copyright px)" [ "$copyright" -gt 50 ]
        [ -n "${SHOTS:-}" ] && cp "$T/about.png" "$SHOTS/wine-about.png"
        keys "$WIN" Return
        # Wine waits a second for the unmapping to be confirmed, as no window manager does.
        check "Return presses OK and closes the box" window_gone "ﾊﾞｰｼﾞｮﾝ情報" 50
    else
        fail "the About box did not open from the menu"
    fi
    keys "$MAIN" alt+f x
    check "the main window's menu ends the run" wait_exit 150
    check "with status 0 (got ${RC:-none})" [ "${RC:-}" = 0 ]
else
    fail "the main window did not appear"
fi
finish
