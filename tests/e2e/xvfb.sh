# A private X server for one script, and ways to find and drive its windows.
# Window titles are matched exactly by reading each window's name, since
# xdotool's own name search does not match Japanese titles.
start_xvfb() {
    local fd_file
    fd_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3> "$fd_file" 2>/dev/null &
    XVFB_PID=$!
    local i
    for i in $(seq 1 100); do [ -s "$fd_file" ] && break; sleep 0.05; done
    export DISPLAY=":$(cat "$fd_file")"
    rm -f "$fd_file"
}
stop_xvfb() { kill "$XVFB_PID" 2>/dev/null; wait "$XVFB_PID" 2>/dev/null; }

find_window() {  # find_window TITLE: the id of a visible window with that title
    local w
    for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
        [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "$1" ] && { echo "$w"; return 0; }
    done
    return 1
}
wait_window() {  # wait_window TITLE: waits up to 10 s, prints its id
    local i
    for i in $(seq 1 100); do find_window "$1" && return 0; sleep 0.1; done
    return 1
}
wait_exit() {  # wait_exit PID: waits up to 10 s for the process to end, sets RC
    local i
    for i in $(seq 1 100); do
        if ! kill -0 "$1" 2>/dev/null; then wait "$1"; RC=$?; return 0; fi
        sleep 0.1
    done
    RC=-1
    return 1
}
# Without a window manager the keyboard follows the pointer: put it on the window.
focus() {  # focus WINDOW
    xdotool mousemove --window "$1" 5 5
    xdotool windowfocus "$1" 2>/dev/null
    sleep 0.2
}
# The server releases the keys a client pressed when it disconnects, so one
# xdotool process holds Ctrl for as long as the test needs.
hold_ctrl() {
    xdotool keydown ctrl sleep 30 keyup ctrl & CTRL_PID=$!
    sleep 0.3
}
release_ctrl() { kill "$CTRL_PID" 2>/dev/null; wait "$CTRL_PID" 2>/dev/null; xdotool keyup ctrl; }
click() {  # click WINDOW X Y (client coordinates)
    xdotool mousemove --window "$1" "$2" "$3" click 1
    sleep 0.2
}
