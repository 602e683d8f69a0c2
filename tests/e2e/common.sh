# The one library of the end-to-end scripts: a launcher copied into a fresh
# directory with a stand-in IDE that records how it was started, waits that
# end on an event (a file written, a window shown or gone, a process ended),
# never after a fixed time, and the counting of checks (checks.sh). The
# display and its windows are in xvfb.sh, sourced from here.
#
# The launcher a script drives is its runner, set before this file is sourced:
#   RUNNER=native  the Linux launcher, pivora with its window module beside it
#   RUNNER=wine    the Windows launcher, Pivora.exe, run through
#                  tests/win32/wine-run.sh; message boxes are read from Wine's trace
# Every helper means the same with either runner; where the two launchers
# differ (file names, the stand-in IDE, how a launch is proved not to have
# started anything), the helper does what the runner needs.
#
#   BUILD_DIR            the build that made the launcher (Linux or Windows)
#   PIVORA_E2E_PATIENCE  how many times longer every wait may be (default 1;
#                        where Wine runs emulated, each program takes most of a
#                        minute to start)
#   PIVORA_E2E_DISPLAY   an X display to use instead of starting Xvfb
#   PIVORA_STAND_IN      under Wine, the stand-in IDE to copy (default: the build's own)
#   KEEP_T               set: the script's temporary directory $T is kept
# Where a tool the script needs is missing, it reports itself skipped (77).
set -u
RUNNER=${RUNNER:-native}
BUILD_DIR=${BUILD_DIR:?BUILD_DIR must name the build directory}
E2E_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
WINE_RUN="$E2E_DIR/../win32/wine-run.sh"
. "$E2E_DIR/checks.sh"
. "$E2E_DIR/xvfb.sh"

# The launcher's settings file, and how long a wait may be: a deadline only
# bounds a failure, since a wait ends as soon as its event happens, so it is
# generous; a Windows program under Wine starts slowly.
case $RUNNER in
    native) SETTINGS_FILE=pivora.ini DEADLINE=30 ;;
    wine) SETTINGS_FILE=Pivora.ini DEADLINE=60 ;;
    *) echo "RUNNER must be native or wine, not '$RUNNER'" >&2; exit 2 ;;
esac
DEADLINE=$((DEADLINE * ${PIVORA_E2E_PATIENCE:-1}))
STAND_IN=${PIVORA_STAND_IN:-$BUILD_DIR/tests/win32/stand_in_ide.exe}

# require COMMAND...: the script cannot run without these; ctest says skipped.
require() {
    local c
    for c in "$@"; do command -v "$c" > /dev/null || skip "$c is not installed"; done
}

# as_test_user: sets AS_USER to the words that run a command as a user who
# owns nothing of the test's (root plays pivora-e2e, a system user made when
# missing); empty for anyone else, who is such a user already. Skips the
# script where root cannot play one.
as_test_user() {
    AS_USER=()
    [ "$(id -u)" -eq 0 ] || return 0
    command -v setpriv > /dev/null || skip "setpriv is missing: root cannot play a user"
    id -u pivora-e2e > /dev/null 2>&1 ||
        useradd --system --no-create-home --shell /usr/sbin/nologin pivora-e2e ||
        skip "no user pivora-e2e can be made"
    AS_USER=(setpriv --reuid="$(id -u pivora-e2e)" --regid="$(id -g pivora-e2e)" --clear-groups --)
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

if [ "$RUNNER" = wine ]; then
    require perl iconv timeout
    wine_runs "$BUILD_DIR/Pivora.exe"
    wine_runs "$STAND_IN"
    # A server that ends soon after its last program makes "every program has
    # ended" (programs_ended) quick to learn.
    export PIVORA_WINE_PERSISTENCE=3
fi

# The Windows name of a Unix path: Wine maps Z: to /.
winpath() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }

# eventually COMMAND...: true as soon as COMMAND succeeds, false if it has
# not by the deadline.
eventually() {
    local end=$((SECONDS + DEADLINE))
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.1
    done
}

# The script's own temporary directory, and what is left to end when it
# exits: the launchers it started in the background (BACKGROUND), Wine's
# programs, the X server, and whatever the script hands to on_exit.
# Without it every path below would name the root directory: stop at once.
T=$(mktemp -d "${TMPDIR:-/tmp}/pivora-e2e.XXXXXX") ||
    { echo "cannot make a temporary directory in ${TMPDIR:-/tmp}" >&2; exit 1; }
BACKGROUND=()
EXIT_HOOKS=()
on_exit() { EXIT_HOOKS+=("$1"); }  # on_exit COMMAND: runs COMMAND (no arguments) when the script exits
cleanup() {
    local hook p
    for hook in "${EXIT_HOOKS[@]}"; do "$hook"; done
    for p in "${BACKGROUND[@]}"; do kill "$p" 2> /dev/null; done
    [ "$RUNNER" != wine ] || bash "$WINE_RUN" --stop "$BUILD_DIR/Pivora.exe"
    stop_xvfb
    [ -n "${KEEP_T:-}" ] || { chmod -R u+w "$T" 2> /dev/null; rm -rf "$T"; }
}
trap cleanup EXIT

# Under Wine, the first program of a prefix makes it, which can take minutes
# on a loaded machine: that is done here, before any wait with a deadline, by
# a run of the stand-in that writes its record into $T.
if [ "$RUNNER" = wine ]; then
    PIVORA_IDE_LOG=$(winpath "$T/wine-ready.log") bash "$WINE_RUN" "$STAND_IN" > /dev/null 2> "$T/wine-ready.err"
    [ -s "$T/wine-ready.log" ] ||
        { cat "$T/wine-ready.err" >&2; fail "Wine runs no program here ($STAND_IN wrote nothing)"; finish; exit 1; }
fi

# new_launcher DIR: a launcher of its own in DIR (the Linux one with its
# window module beside it).
new_launcher() {
    rm -rf "$1" && mkdir -p "$1" || return
    case $RUNNER in
        native) cp "$BUILD_DIR/pivora" "$BUILD_DIR/pivora-fltk.so" "$1/" ;;
        wine) cp "$BUILD_DIR/Pivora.exe" "$1/" ;;
    esac
}

# stand_in_ide PATH: an IDE at PATH that records how it was started in
# PATH.log, one key=value a line, and exits at once. The record appears whole
# (written aside, then renamed), so once it exists it can be read. The Linux
# one writes cwd= and one arg= an argument; the Windows one (see
# tests/win32/stand_in_ide.cpp) the command line, the directory and the
# arguments as the system and as the C runtime read them.
stand_in_ide() {
    mkdir -p "$(dirname "$1")" || return
    case $RUNNER in
        native)
            cat > "$1" <<'IDE'
#!/bin/sh
{ printf 'cwd=%s\n' "$PWD"; for a in "$@"; do printf 'arg=%s\n' "$a"; done; } > "$0.log.part" &&
    mv "$0.log.part" "$0.log"
IDE
            chmod +x "$1" ;;
        wine) cp "$STAND_IN" "$1" ;;
    esac
}

# log_values LOG KEY: the values of KEY in a stand-in's record, one a line.
log_values() { sed -n "s/^$2=//p" "$1"; }

# wait_for FILE: the stand-in runs detached; wait until it has written.
wait_for() { eventually [ -s "$1" ]; }

# write_ini DIR LINES...: the launcher's settings file in DIR, CR LF line
# ends, in the ANSI code page INI_CODEPAGE (e.g. CP932) when it is set, else
# the bytes as given.
write_ini() {
    local dir=$1; shift
    if [ -n "${INI_CODEPAGE:-}" ]; then
        printf '%s\r\n' "$@" | iconv -f UTF-8 -t "$INI_CODEPAGE" > "$dir/$SETTINGS_FILE"
    else
        printf '%s\r\n' "$@" > "$dir/$SETTINGS_FILE"
    fi
}

# file_has FILE PATTERN: FILE holds a line matching the grep PATTERN.
file_has() { grep -q -- "$2" "$1" 2> /dev/null; }

# start_pivora DIR ARGS...: runs the launcher in DIR in the background, its
# process in $PID, its output in $T/out and $T/err (under Wine, with the
# trace of its message boxes).
start_pivora() {
    local dir=$1; shift
    rm -f "$T/out" "$T/err"
    case $RUNNER in
        native) "$dir/pivora" "$@" > "$T/out" 2> "$T/err" & ;;
        wine) WINEDEBUG=trace+msgbox bash "$WINE_RUN" "$dir/Pivora.exe" "$@" > "$T/out" 2> "$T/err" & ;;
    esac
    PID=$!
    BACKGROUND+=("$PID")
}

ended() { ! kill -0 "$1" 2> /dev/null; }
# wait_exit [PID]: true when the process (default: the last start_pivora's)
# ended in time, its status in $RC; else it is killed, RC is -1 and false.
wait_exit() {
    local pid=${1:-$PID}
    if eventually ended "$pid"; then wait "$pid"; RC=$?; return 0; fi
    kill -9 "$pid" 2> /dev/null; wait "$pid" 2> /dev/null
    RC=-1
    return 1
}

# run_pivora DIR ARGS...: runs the launcher to its end (no window expected);
# true when it ended in time, its status in $RC.
run_pivora() { start_pivora "$@"; wait_exit "$PID"; }

# not_started IDE: proves the stand-in at IDE was not started by a launcher
# that has ended. A start the launcher reports as done has executed the IDE
# (a failed one is reported), so once every program the IDE may be has ended,
# a stand-in that ran has written its record. Under Wine that is once every
# program of the launcher's prefix has ended; on Linux, once no process is
# the stand-in or a command running its files.
not_started() {
    case $RUNNER in
        native) eventually stand_in_ended "$1" || return 1 ;;
        wine) programs_ended || return 1 ;;
    esac
    [ ! -e "$1.log" ]
}

# stand_in_running PATH: some process is still the stand-in at PATH, or a
# command it runs on PATH's files. Read from /proc without starting a process,
# so the scan never finds itself.
stand_in_running() {
    local f a args
    for f in /proc/[0-9]*/cmdline; do
        mapfile -d '' -t args 2> /dev/null < "$f" || continue  # a process may end meanwhile
        for a in "${args[@]}"; do [[ $a == "$1"* ]] && return 0; done
    done
    return 1
}
stand_in_ended() { ! stand_in_running "$1"; }

# programs_ended: every program of the launcher's Wine prefix has ended, the
# launcher and whatever it started, and so has the server after them.
# CreateProcess returns once the new process runs, so after the launcher no
# start can still be on its way.
programs_ended() { timeout "$DEADLINE" bash "$WINE_RUN" --wait "$BUILD_DIR/Pivora.exe"; }

# The texts of the message boxes shown under Wine so far, one a line, as Wine
# traced them to $T/err (line breaks stay written as \r\n; the trace writes a
# backslash as \\ and other characters as \NNNN, turned back into themselves here).
message_texts() {
    sed -n 's/.*MSGBOX_OnInit L"\(.*\)"$/\1/p' "$T/err" 2> /dev/null |
        perl -CS -pe 's/\\(\\|[0-9a-fA-F]{4})/$1 eq "\\" ? "\\" : chr(hex($1))/ge'
}
saw_message() { message_texts | grep -qF -- "$1"; }
