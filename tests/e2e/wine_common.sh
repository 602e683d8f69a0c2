# Shared by the end-to-end scripts under Wine (wine_*.sh): the Windows launcher
# copied into a fresh directory with the stand-in IDE, run through
# tests/win32/wine-run.sh on an X display of its own, its message boxes read
# from Wine's trace and answered with xdotool.
#   BUILD_DIR           the Windows build (Pivora.exe, tests/win32/*.exe)
#   PIVORA_E2E_DISPLAY  an X display to use instead of starting Xvfb
#   PIVORA_E2E_PATIENCE how many times longer every wait may be (where Wine
#                       runs emulated, each program takes most of a minute to start)
#   PIVORA_STAND_IN     the stand-in IDE to copy (default: the build's own)
# Every wait ends on an event (a file written, a window shown or gone, a
# process ended); its deadline only bounds a failure, so it is generous.
# Where Wine, Xvfb or a tool is missing, the script reports itself skipped.
set -u
BUILD_DIR=${BUILD_DIR:?BUILD_DIR must name the Windows build directory}
E2E_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
WINE_RUN="$E2E_ROOT/tests/win32/wine-run.sh"
PATIENCE=${PIVORA_E2E_PATIENCE:-1}
DEADLINE=$((60 * PATIENCE))
STAND_IN=${PIVORA_STAND_IN:-$BUILD_DIR/tests/win32/stand_in_ide.exe}
XVFB_PID=
BACKGROUND=()

. "$E2E_ROOT/tests/e2e/checks.sh"

# require COMMAND...: the script cannot run without these; ctest says skipped.
require() {
    local c
    for c in "$@"; do command -v "$c" > /dev/null || skip "$c is not installed"; done
}

# wine_runs PROGRAM: Wine can run it here, or the script is skipped; a
# program that is missing or no Windows program fails the script.
wine_runs() {
    local why status=0
    why=$(bash "$WINE_RUN" --check "$1" 2>&1) || status=$?
    case $status in
        0) ;;
        77) skip "$why" ;;
        *) echo "$why" >&2; fail "$1 cannot be run under Wine"; finish; exit 1 ;;
    esac
}

require perl iconv timeout
[ -n "${PIVORA_E2E_DISPLAY:-}" ] || require Xvfb
wine_runs "$BUILD_DIR/Pivora.exe"
wine_runs "$STAND_IN"

T=$(mktemp -d "${TMPDIR:-/tmp}/pivora-wine-e2e.XXXXXX")
# A server that ends soon after its last program makes "every program has
# ended" (programs_ended) quick to learn.
export PIVORA_WINE_PERSISTENCE=3

cleanup() {
    local p
    for p in "${BACKGROUND[@]}"; do kill "$p" 2>/dev/null; done
    bash "$WINE_RUN" --stop "$BUILD_DIR/Pivora.exe"
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    [ -n "${KEEP_T:-}" ] || rm -rf "$T"
}
trap cleanup EXIT

# eventually COMMAND...: true as soon as COMMAND succeeds, false if it has
# not by the deadline.
eventually() {
    local end=$((SECONDS + DEADLINE))
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.1
    done
}

# The Windows name of a Unix path: Wine maps Z: to /.
winpath() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }

start_display() {
    # A Wine server left from an earlier script would keep using its display.
    bash "$WINE_RUN" --stop "$BUILD_DIR/Pivora.exe"
    if [ -n "${PIVORA_E2E_DISPLAY:-}" ]; then export DISPLAY=$PIVORA_E2E_DISPLAY; return; fi
    # Xvfb picks a free display itself and writes its number once it takes
    # clients, so a display another script starts at the same time is no risk.
    # -noreset: a server that resets when its last client leaves drops a
    # client that connects meanwhile.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3> "$T/display" 2>/dev/null &
    XVFB_PID=$!
    eventually xvfb_answered
    [ -s "$T/display" ] || { fail "Xvfb did not start"; finish; exit 1; }
    export DISPLAY=":$(cat "$T/display")"
}
xvfb_answered() { [ -s "$T/display" ] || ! kill -0 "$XVFB_PID" 2>/dev/null; }

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

# wait_for FILE: the stand-in runs detached; wait until it has written (its
# record appears whole, renamed into place).
wait_for() { eventually [ -s "$1" ]; }

# start_pivora DIR ARGS...: runs DIR/Pivora.exe in the background; its Wine
# trace of message boxes goes to $T/err, its exit status to $T/rc.
start_pivora() {
    local dir=$1; shift
    rm -f "$T/rc" "$T/err"
    ( WINEDEBUG=trace+msgbox bash "$WINE_RUN" "$dir/Pivora.exe" "$@" > "$T/out" 2> "$T/err"; echo $? > "$T/rc" ) &
    BACKGROUND+=($!)
}

# wait_exit: true when the launcher ended in time; $RC is its status.
wait_exit() {
    RC=
    eventually launcher_ended || return 1
    RC=$(cat "$T/rc")
}
launcher_ended() { [ -s "$T/rc" ]; }

# run_pivora DIR ARGS...: runs it to its end (no window expected).
run_pivora() { start_pivora "$@"; wait_exit; }

# programs_ended: every program of the launcher's Wine prefix has ended, the
# launcher and whatever it started. A start the launcher reports as done has
# created the IDE's process (CreateProcess returns once it runs), so after
# the launcher no start can still be on its way.
programs_ended() { timeout "$DEADLINE" bash "$WINE_RUN" --wait "$BUILD_DIR/Pivora.exe"; }

# not_started IDE: proves the stand-in at IDE was not started: once every
# program has ended, a stand-in that ran has written its record.
not_started() { programs_ended && [ ! -e "$1.log" ]; }

# find_window TITLE: waits for a visible X window of that exact title; its id in $WIN.
find_window() { WIN=; eventually shown "$1"; }
shown() { WIN=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1); [ -n "$WIN" ]; }

# window_gone TITLE: waits until no visible window has that title (on a
# display that still answers, so a lost display does not pass for it).
window_gone() { eventually not_shown "$1"; }
not_shown() {
    xdotool getdisplaygeometry > /dev/null 2>&1 &&
        ! xdotool search --onlyvisible --name "^$1\$" > /dev/null 2>&1
}

# focus WINDOW: gives it the keyboard and waits until the X server says it
# has it. Keys sent after that reach its program after the change of focus.
focus() { eventually takes_focus "$1"; }
takes_focus() {
    xdotool windowfocus "$1" 2>/dev/null
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]
}

# keys WINDOW KEY...: gives the window the focus and types the keys. The
# pause between keys only paces them: what follows waits for their effect.
keys() {
    local w=$1; shift
    focus "$w" || { echo "window $w did not take the focus" >&2; return 1; }
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
