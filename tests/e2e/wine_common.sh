# Shared by the end-to-end scripts under Wine (wine_*.sh): the Windows launcher
# copied into a fresh directory with the stand-in IDE, run through
# tests/win32/wine-run.sh on an X display of its own, its message boxes read
# from Wine's trace and answered with xdotool.
#   BUILD_DIR           the Windows build (Pivora.exe, tests/win32/*.exe)
#   PIVORA_E2E_DISPLAY  an X display to use instead of starting Xvfb
#   PIVORA_E2E_PATIENCE how many times longer every wait may be (where Wine
#                       runs emulated, each program takes most of a minute to start)
#   PIVORA_STAND_IN     the stand-in IDE to copy (default: the build's own)
set -u
BUILD_DIR=${BUILD_DIR:?BUILD_DIR must name the Windows build directory}
E2E_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
WINE_RUN="$E2E_ROOT/tests/win32/wine-run.sh"
PATIENCE=${PIVORA_E2E_PATIENCE:-1}
STAND_IN=${PIVORA_STAND_IN:-$BUILD_DIR/tests/win32/stand_in_ide.exe}
T=$(mktemp -d "${TMPDIR:-/tmp}/pivora-wine-e2e.XXXXXX")
XVFB_PID=
BACKGROUND=()

. "$E2E_ROOT/tests/e2e/checks.sh"

cleanup() {
    local p
    for p in "${BACKGROUND[@]}"; do kill "$p" 2>/dev/null; done
    bash "$WINE_RUN" --stop "$BUILD_DIR/Pivora.exe"
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    [ -n "${KEEP_T:-}" ] || rm -rf "$T"
}
trap cleanup EXIT

# The Windows name of a Unix path: Wine maps Z: to /.
winpath() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }

start_display() {
    # A Wine server left from an earlier script would keep using its display.
    bash "$WINE_RUN" --stop "$BUILD_DIR/Pivora.exe"
    if [ -n "${PIVORA_E2E_DISPLAY:-}" ]; then export DISPLAY=$PIVORA_E2E_DISPLAY; return; fi
    local n
    for n in $(seq 90 140); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        XVFB_PID=$!
        local i
        for i in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
        export DISPLAY=":$n"
        return
    done
    echo "no free X display" >&2
    exit 1
}

# new_launcher DIR: a launcher of its own in DIR.
new_launcher() {
    rm -rf "$1" && mkdir -p "$1"
    cp "$BUILD_DIR/Pivora.exe" "$1/"
}

# stand_in_ide PATH: an IDE that records how it was started in PATH.log.
stand_in_ide() {
    mkdir -p "$(dirname "$1")"
    cp "$STAND_IN" "$1"
}

# write_ini DIR LINES...: Pivora.ini with CR LF line ends, in the ANSI code
# page of the run (INI_CODEPAGE, e.g. CP932; default: the bytes as given).
write_ini() {
    local dir=$1; shift
    if [ -n "${INI_CODEPAGE:-}" ]; then
        printf '%s\r\n' "$@" | iconv -f UTF-8 -t "$INI_CODEPAGE" > "$dir/Pivora.ini"
    else
        printf '%s\r\n' "$@" > "$dir/Pivora.ini"
    fi
}

# wait_for FILE [TENTHS]: the stand-in runs detached; give it time to write.
wait_for() {
    local i
    for i in $(seq 1 $(( ${2:-300} * PATIENCE ))); do [ -s "$1" ] && return 0; sleep 0.1; done
    return 1
}

# start_pivora DIR ARGS...: runs DIR/Pivora.exe in the background; its Wine
# trace of message boxes goes to $T/err, its exit status to $T/rc.
start_pivora() {
    local dir=$1; shift
    rm -f "$T/rc" "$T/err"
    ( WINEDEBUG=trace+msgbox bash "$WINE_RUN" "$dir/Pivora.exe" "$@" > "$T/out" 2> "$T/err"; echo $? > "$T/rc" ) &
    BACKGROUND+=($!)
}

# wait_exit [TENTHS]: true when the launcher ended in time; $RC is its status.
wait_exit() {
    local i
    RC=
    for i in $(seq 1 $(( ${1:-600} * PATIENCE ))); do
        if [ -s "$T/rc" ]; then RC=$(cat "$T/rc"); return 0; fi
        sleep 0.1
    done
    return 1
}

# run_pivora DIR ARGS...: runs it to its end (no window expected).
run_pivora() { start_pivora "$@"; wait_exit; }

# find_window TITLE [TENTHS]: the X window of that exact title; its id in $WIN.
find_window() {
    local i
    WIN=
    for i in $(seq 1 $(( ${2:-300} * PATIENCE ))); do
        WIN=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)
        [ -n "$WIN" ] && return 0
        sleep 0.1
    done
    return 1
}

# window_gone TITLE [TENTHS]: true once no visible window has that title.
window_gone() {
    local i
    for i in $(seq 1 $(( ${2:-300} * PATIENCE ))); do
        xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    return 1
}

# keys WINDOW KEY...: gives the window the focus and types the keys.
keys() {
    local w=$1; shift
    xdotool windowfocus --sync "$w" 2>/dev/null || xdotool windowfocus "$w"
    sleep 0.3
    local k
    for k in "$@"; do xdotool key --clearmodifiers "$k"; sleep 0.2; done
}

# The texts of the message boxes shown so far, one a line, as Wine traced them
# (line breaks stay written as \r\n; the trace writes a backslash as \\ and
# other characters as \NNNN, turned back into themselves here).
message_texts() {
    sed -n 's/.*MSGBOX_OnInit L"\(.*\)"$/\1/p' "$T/err" 2>/dev/null |
        perl -CS -pe 's/\\(\\|[0-9a-fA-F]{4})/$1 eq "\\" ? "\\" : chr(hex($1))/ge'
}
saw_message() { message_texts | grep -qF -- "$1"; }

# log_value LOG KEY: the values of KEY in the stand-in's record, one a line.
log_values() { sed -n "s/^$2=//p" "$1"; }
