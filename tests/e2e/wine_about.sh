#!/usr/bin/env bash
# The Windows launcher's About box under Wine: opened from the main window's
# menu, it shows what the exe's own version resource says, the product name
# in purple above the version and copyright lines; Return (OK is the default
# button) closes it. Short, so that it also runs where Wine is emulated.
RUNNER=wine
. "$(dirname "$0")/common.sh"
require xdotool import convert
. "$(dirname "$0")/pixels.sh"
start_xvfb

# about_drawn: a screenshot of the box ($ABOUT) shows its three lines; the box
# is mapped before it is painted, so its picture is waited for.
about_drawn() {
    purple= version= copyright=
    rm -f "$T/about.png"
    import -window "$ABOUT" "$T/about.png" 2>/dev/null && [ -s "$T/about.png" ] || return 1
    purple=$(pixels "$T/about.png" "$ABOUT_PRODUCT" purple 2>/dev/null)
    version=$(pixels "$T/about.png" "$ABOUT_VERSION" dark 2>/dev/null)
    copyright=$(pixels "$T/about.png" "$ABOUT_COPYRIGHT" dark 2>/dev/null)
    [ "${purple:-0}" -gt 500 ] && [ "${version:-0}" -gt 20 ] && [ "${copyright:-0}" -gt 50 ]
}

L="$T/launcher"; new_launcher "$L"
start_pivora "$L"
if MAIN=$(wait_window "Pivora"); then
    keys "$MAIN" alt+a
    if ABOUT=$(wait_window "ﾊﾞｰｼﾞｮﾝ情報"); then
        eventually about_drawn
        check "a screenshot of the box was taken" [ -s "$T/about.png" ]
        # Without a window manager the X window is the client area alone.
        geometry "$ABOUT"
        check "the box is 439 x 186 (got ${WIDTH}x$HEIGHT)" [ "${WIDTH}x$HEIGHT" = 439x186 ]
        check "centred on the screen (got $X)" [ "$X" = $(((1024 - 439) / 2)) ]
        check "the product name is drawn in purple (${purple:-no} px)" [ "${purple:-0}" -gt 500 ]
        check "a version line is drawn (${version:-no} px)" [ "${version:-0}" -gt 20 ]
        check "a copyright line is drawn (${copyright:-no} px)" [ "${copyright:-0}" -gt 50 ]
        [ -n "${SHOTS:-}" ] && cp "$T/about.png" "$SHOTS/wine-about.png"
        keys "$ABOUT" Return
        # Wine waits a second for the unmapping to be confirmed, as no window manager does.
        check "Return presses OK and closes the box" wait_gone "ﾊﾞｰｼﾞｮﾝ情報"
    else
        fail "the About box did not open from the menu"
    fi
    keys "$MAIN" alt+f x
    check "the main window's menu ends the run" wait_exit "$PID"
    check "with status 0 (got ${RC:-none})" [ "${RC:-}" = 0 ]
else
    fail "the main window did not appear"
fi
finish
