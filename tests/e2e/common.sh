# Shared by the end-to-end scripts: a launcher copied into a fresh directory
# with a stand-in IDE that records how it was started.
set -u
BUILD_DIR=${BUILD_DIR:?BUILD_DIR must name the build directory}
. "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

# new_launcher DIR: a launcher of its own in DIR, with its window module beside it.
new_launcher() {
    rm -rf "$1" && mkdir -p "$1"
    cp "$BUILD_DIR/pivora" "$BUILD_DIR/pivora-fltk.so" "$1/"
}

# stand_in_ide PATH: an IDE that writes its working directory and arguments,
# one a line, to PATH.log and exits at once.
stand_in_ide() {
    mkdir -p "$(dirname "$1")"
    cat > "$1" <<'IDE'
#!/bin/sh
{ printf 'cwd=%s\n' "$PWD"; for a in "$@"; do printf 'arg=%s\n' "$a"; done; } > "$0.log"
IDE
    chmod +x "$1"
}

# wait_for FILE: the stand-in IDE runs detached; give it a moment to write.
wait_for() {
    local i
    for i in $(seq 1 50); do [ -s "$1" ] && return 0; sleep 0.1; done
    return 1
}

write_ini() {  # write_ini DIR LINES...
    local dir=$1; shift
    printf '%s\r\n' "$@" > "$dir/pivora.ini"
}
