# Shared by the end-to-end scripts: a launcher copied into a fresh directory
# with a stand-in IDE that records how it was started, and waits that end on
# an event (a file written, a process ended), never after a fixed time.
#   PIVORA_E2E_PATIENCE  how many times longer every wait may be (default 1)
set -u
BUILD_DIR=${BUILD_DIR:?BUILD_DIR must name the build directory}
. "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

# A deadline only bounds a failure: a wait ends as soon as its event happens,
# so it may be generous for a loaded machine.
DEADLINE=$((30 * ${PIVORA_E2E_PATIENCE:-1}))

# require COMMAND...: the script cannot run without these; ctest says skipped.
require() {
    local c
    for c in "$@"; do command -v "$c" > /dev/null || skip "$c is not installed"; done
}

# eventually COMMAND...: true as soon as COMMAND succeeds, false if it has
# not by the deadline.
eventually() {
    local end=$((SECONDS + DEADLINE))
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.1
    done
}

# new_launcher DIR: a launcher of its own in DIR, with its window module beside it.
new_launcher() {
    rm -rf "$1" && mkdir -p "$1"
    cp "$BUILD_DIR/pivora" "$BUILD_DIR/pivora-fltk.so" "$1/"
}

# stand_in_ide PATH: an IDE that writes its working directory and arguments,
# one a line, to PATH.log and exits at once. The log appears whole (written
# aside, then renamed), so once it exists it can be read.
stand_in_ide() {
    mkdir -p "$(dirname "$1")"
    cat > "$1" <<'IDE'
#!/bin/sh
{ printf 'cwd=%s\n' "$PWD"; for a in "$@"; do printf 'arg=%s\n' "$a"; done; } > "$0.log.part" &&
    mv "$0.log.part" "$0.log"
IDE
    chmod +x "$1"
}

# wait_for FILE: the stand-in IDE runs detached; wait until it has written.
wait_for() { eventually [ -s "$1" ]; }

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

# no_start_of IDE: proves the stand-in at IDE was not started by a launcher
# that has ended. A start the launcher reports as done has executed the IDE
# (a failed one is reported), so the IDE is either still running, and is
# waited for, or has ended, and then its log exists.
no_start_of() {
    eventually stand_in_ended "$1" || return 1
    [ ! -e "$1.log" ]
}

# file_has FILE PATTERN: FILE holds a line matching the grep PATTERN.
file_has() { grep -q -- "$2" "$1" 2> /dev/null; }

write_ini() {  # write_ini DIR LINES...
    local dir=$1; shift
    printf '%s\r\n' "$@" > "$dir/pivora.ini"
}
