#!/usr/bin/env bash
# The Windows launcher under Wine where the user answers: the test-mode report,
# the unregistered version, a start that fails, the version selection dialog
# (chosen with the keyboard, and cancelled), Ctrl held at start, and the main
# window's menu.
RUNNER=wine
. "$(dirname "$0")/common.sh"
require xdotool xprop
start_xvfb

L="$T/launcher"; new_launcher "$L"
IDE4="$T/ides/d4/delphi32.exe"; stand_in_ide "$IDE4"
IDE3="$T/ides/d3/delphi32.exe"; stand_in_ide "$IDE3"
P="$T/proj"; mkdir -p "$P"
printf 'program Project1;\r\n' > "$P/Project1.dpr"
printf '[Main Window]\r\nClientWidth=100\r\n' > "$P/Project1.dsk"
F="$(winpath "$P/Project1.dpr")"
printf 'unit Lone;\r\n' > "$P/Lone.pas"
FL="$(winpath "$P/Lone.pas")"

# close_main: the main window, closed through its menu (ファイル(&F), 終了(&X)).
close_main() {
    if WIN=$(wait_window "Pivora"); then
        keys "$WIN" alt+f x
        check "the main window's menu ends the run" wait_exit "$PID"
    else
        fail "the main window did not appear"
    fi
}

# Test mode: the version is reported in a plain box, nothing is started.
write_ini "$L" "[Pivora]" "TestMode=1" "[DelphiReg]" "4=$(winpath "$IDE4")"
start_pivora "$L" "$F"
if WIN=$(wait_window "Pivora"); then
    check "test mode reports the version" saw_message 'Test Mode\r\nDelphi 4'
    keys "$WIN" Return
else
    fail "the test-mode box did not appear"
fi
check "test mode ends the run" wait_exit "$PID"
check "test mode exits 0 (got ${RC:-none})" [ "${RC:-}" = 0 ]
check "test mode starts nothing" not_started "$IDE4"

# An unregistered version: an error box, then the main window.
write_ini "$L" "[DelphiReg]" "3=$(winpath "$IDE3")"
start_pivora "$L" "$F"
if WIN=$(wait_window "エラー"); then
    check "the unregistered message" saw_message "Delphi 4 は登録されていません。"
    keys "$WIN" Return
else
    fail "the unregistered box did not appear"
fi
close_main
check "nothing was started" not_started "$IDE3"

# A registered IDE that cannot be started: reported with the executable's name.
write_ini "$L" "[DelphiReg]" "4=$(winpath "$T/no such ide.exe")"
start_pivora "$L" "$F"
if WIN=$(wait_window "エラー"); then
    check "a failed start is reported" saw_message "Delphi 4 を起動できませんでした。"
    check "...naming the executable" saw_message "[$(winpath "$T/no such ide.exe")]"
    keys "$WIN" Return
else
    fail "the failed start was not reported"
fi
close_main

# Undetermined: the selection dialog; Tab twice reaches the versions, Down
# picks Delphi 3, Enter presses OK.
write_ini "$L" "[DelphiReg]" "3=$(winpath "$IDE3")" "4=$(winpath "$IDE4")"
rm -f "$IDE3.log" "$IDE4.log"
start_pivora "$L" "$FL"
if WIN=$(wait_window "起動バージョン選択"); then
    keys "$WIN" Tab Tab Down Return
    check "the chosen version is started" wait_for "$IDE3.log"
    check "...with the file" [ "$(log_values "$IDE3.log" argW)" = "$FL" ]
else
    fail "the selection dialog did not appear"
fi
check "the run ends after the start" wait_exit "$PID"
check "the choice is remembered" grep -qF " - 03 $FL"$'\r' "$L/Pivora.dat"

# Esc cancels the dialog: nothing starts and the main window stays.
rm -f "$IDE3.log" "$IDE4.log"
printf 'unit Other;\r\n' > "$P/Other.pas"
start_pivora "$L" "$(winpath "$P/Other.pas")"
if WIN=$(wait_window "起動バージョン選択"); then
    keys "$WIN" Escape
else
    fail "the selection dialog did not appear for a cancel"
fi
close_main
check "a cancelled selection starts nothing" not_started "$IDE3"
check "...neither version" not_started "$IDE4"

# Ctrl held at start: the dialog even for a project whose version is known.
# Wine learns of a key through a window of its own that has the X focus. On
# each key pressed there Wine first stamps the window's thread with the key's
# X time (_NET_WM_USER_TIME), then records the key as down; so once a second
# key has moved the stamp again, Wine has the Ctrl. The window stays open, so
# no later change of focus can make Wine read the keyboard afresh before the
# launcher has read it.
user_time() {  # user_time WINDOW: the X time of the last key Wine took there
    local stamp
    stamp=$(xprop -id "$1" _NET_WM_USER_TIME_WINDOW 2>/dev/null | grep -o '0x[0-9a-fA-F]*$')
    xprop -id "${stamp:-$1}" _NET_WM_USER_TIME 2>/dev/null | grep -o '[0-9]*$'
}
stamp_moved() { [ "$(user_time "$1")" != "$2" ]; }
# taken WINDOW XDOTOOL-ARGS...: sends the key and waits until Wine has taken it.
taken() {
    local w=$1 before; shift
    before=$(user_time "$w")
    xdotool "$@" && eventually stamp_moved "$w" "$before"
}
rm -f "$IDE3.log" "$IDE4.log"
( bash "$WINE_RUN" "$BUILD_DIR/tests/win32/focus_window.exe" pivora-focus 3600 >/dev/null 2>&1 ) &
BACKGROUND+=($!)
if FOCUS=$(wait_window "pivora-focus") && focus "$FOCUS"; then
    if check "Wine takes Ctrl held down" taken "$FOCUS" keydown ctrl &&
        check "...and a key after it" taken "$FOCUS" key F12; then
        start_pivora "$L" "$F"
        if WIN=$(wait_window "起動バージョン選択"); then
            xdotool keyup ctrl
            keys "$WIN" Tab Tab Down Return
            check "with Ctrl the chosen version starts" wait_for "$IDE3.log"
            check "...the run ends after it" wait_exit "$PID"
        else
            fail "Ctrl held at start did not bring the selection dialog"
        fi
    fi
    xdotool keyup ctrl
    # Which window Wine gives the keys to now is not known: it is ended by its process.
    kill "$(xdotool getwindowpid "$FOCUS")"
else
    fail "the focus window did not appear or take the focus"
fi
check "...and not the detected one" not_started "$IDE4"

# No argument: the main window, whose menu opens the registration dialog.
cp "$L/Pivora.ini" "$T/settings"
start_pivora "$L"
if WIN=$(wait_window "Pivora"); then
    # Windows are told apart by their whole titles, never by a part of one.
    check "no window is taken for one whose title begins the same" window_gone "Pivor"
    keys "$WIN" alt+f r
    if WIN=$(wait_window "Ｄｅｌｐｈｉ登録"); then
        keys "$WIN" Escape
        check "the registration dialog closes with Esc" wait_gone "Ｄｅｌｐｈｉ登録"
    else
        fail "the registration dialog did not open from the menu"
    fi
fi
close_main
check "a cancelled registration keeps the settings" cmp -s "$T/settings" "$L/Pivora.ini"
finish
