# The X display of a script and its windows: a private Xvfb, windows found
# by their exact title, focus, keys, clicks, menus and the state of Ctrl.
# Titles are compared whole with each window's name as xdotool reads it,
# since xdotool's own name search, a regular expression, misses Japanese
# titles. Input reaches a client in the order it was sent, so a step needs no
# pause after the keys it sends; what it decides on, it waits for: a window
# shown or gone, a menu open, a key down, a process ended. Part of common.sh;
# a script requires the tools it uses (xdotool, xwininfo for menus, python3
# for Ctrl).
XVFB_PID=

# start_xvfb: a display of the script's own in DISPLAY (or PIVORA_E2E_DISPLAY
# when that is set). Xvfb picks a free display itself and writes its number
# once it takes clients, so no other process can take the number meanwhile.
# -noreset: by default the server resets whenever its last client leaves, and
# a client connecting meanwhile (a launcher starting while xdotool polls for
# its window) is dropped and finds "no display".
start_xvfb() {
    # A Wine server keeps the display it first had: one left by an earlier
    # script would show this script's windows there.
    [ "$RUNNER" != wine ] || bash "$WINE_RUN" --stop "$BUILD_DIR/Pivora.exe"
    if [ -n "${PIVORA_E2E_DISPLAY:-}" ]; then export DISPLAY=$PIVORA_E2E_DISPLAY; return; fi
    require Xvfb
    rm -f "$T/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3> "$T/display" 2> /dev/null &
    XVFB_PID=$!
    eventually xvfb_answered
    [ -s "$T/display" ] || { fail "Xvfb did not start"; finish; exit 1; }
    DISPLAY=":$(cat "$T/display")"
    export DISPLAY
}
xvfb_answered() { [ -s "$T/display" ] || ! kill -0 "$XVFB_PID" 2> /dev/null; }
stop_xvfb() { [ -z "$XVFB_PID" ] || { kill "$XVFB_PID" 2> /dev/null; wait "$XVFB_PID" 2> /dev/null; }; }

# find_window TITLE: the id of a visible window of exactly that title, now.
find_window() {
    local w
    for w in $(xdotool search --onlyvisible --name '' 2> /dev/null); do
        [ "$(xdotool getwindowname "$w" 2> /dev/null)" = "$1" ] && { echo "$w"; return 0; }
    done
    return 1
}
wait_window() { eventually find_window "$1"; }  # wait_window TITLE: waits for it, prints its id
# window_gone TITLE: no visible window has that title, on a display that
# still answers (so a display that is lost does not pass for it).
window_gone() { xdotool getdisplaygeometry > /dev/null 2>&1 && ! find_window "$1" > /dev/null; }
wait_gone() { eventually window_gone "$1"; }    # wait_gone TITLE

geometry() {  # geometry WINDOW: sets X, Y, WIDTH and HEIGHT (-1 when there is no such window)
    X=-1 Y=-1 WIDTH=-1 HEIGHT=-1
    eval "$(xdotool getwindowgeometry --shell "$1" 2> /dev/null)"
}

# focus WINDOW: without a window manager the keyboard follows the pointer:
# puts the pointer on the window, and gives the window the focus, waiting
# until the server reports that it has it. Keys sent after that reach its
# program after the change of focus.
focus() {
    xdotool mousemove --window "$1" 5 5 2> /dev/null
    eventually takes_focus "$1"
}
takes_focus() {
    xdotool windowfocus "$1" 2> /dev/null
    [ "$(xdotool getwindowfocus 2> /dev/null)" = "$1" ]
}

# keys WINDOW KEY...: gives the window the focus and types the keys, each
# with any modifier held down let go for it. The pause between keys only
# paces them: what follows waits for their effect.
keys() {
    local w=$1 k; shift
    focus "$w" || { echo "window $w did not take the focus" >&2; return 1; }
    for k in "$@"; do xdotool key --clearmodifiers "$k"; sleep 0.2; done
}

click() {  # click WINDOW X Y (client coordinates)
    xdotool mousemove --window "$1" "$2" "$3" click 1
}

# The modifier state as the launcher reads it at start: the pointer query's
# mask (needs python3).
pointer_mask() {
    python3 - <<'PY'
import ctypes, sys
x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XOpenDisplay.restype = ctypes.c_void_p
x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x.XDefaultRootWindow.restype = ctypes.c_ulong
win, pos, mask = ctypes.c_ulong(), ctypes.c_int(), ctypes.c_uint()
x.XQueryPointer.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.POINTER(ctypes.c_ulong)] * 2 + \
    [ctypes.POINTER(ctypes.c_int)] * 4 + [ctypes.POINTER(ctypes.c_uint)]
display = x.XOpenDisplay(None)
if not display:
    sys.exit(1)
x.XQueryPointer(display, x.XDefaultRootWindow(display), win, win, pos, pos, pos, pos, mask)
print(mask.value)
PY
}
ctrl_is() {  # ctrl_is down|up
    local mask
    mask=$(pointer_mask) || return 1
    case $1 in
        down) [ $((mask & 4)) -ne 0 ] ;;
        up) [ $((mask & 4)) -eq 0 ] ;;
    esac
}
# A server that does not reset keeps a key down until it is let go, whoever
# pressed it; each waits until the server reports the state it set.
hold_ctrl() { xdotool keydown ctrl && eventually ctrl_is down; }
release_ctrl() { xdotool keyup ctrl && eventually ctrl_is up; }

# The launcher's menus are the only windows that bypass the window manager
# (override-redirect): a menu bar's pull-down is two of them, each submenu one more.
menu_windows() {  # prints how many are shown
    local w n=0
    for w in $(xdotool search --onlyvisible --maxdepth 1 --name '' 2>/dev/null); do
        xwininfo -id "$w" 2>/dev/null | grep -q 'Override Redirect State: yes' && n=$((n + 1))
    done
    echo "$n"
}
menus_more_than() { [ "$(menu_windows)" -gt "$1" ]; }
menu_key() {  # menu_key KEY: presses KEY and waits for the menu it opens
    local before
    before=$(menu_windows)
    xdotool key "$1" && eventually menus_more_than "$before"
}
# menu WINDOW KEY... COMMAND: from WINDOW, opens a menu with each KEY (each
# one waited for) and presses COMMAND in the last. Whatever the command does
# is for the caller to wait for.
menu() {
    local w=$1; shift
    focus "$w" || return 1
    while [ $# -gt 1 ]; do menu_key "$1" || return 1; shift; done
    xdotool key "$1"
}
