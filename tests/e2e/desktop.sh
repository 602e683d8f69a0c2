#!/usr/bin/env bash
# The installed files as a desktop sees them: with the install's share/ in
# XDG_DATA_DIRS, before the system's, and its file types and desktop entry
# indexed there (update-mime-database and update-desktop-database, as the
# package's triggers run them when it is installed), each of the four file
# types is known by its name, a compiled unit also by its signature alone, and
# GIO lists pivora.desktop among the applications for each. Nothing outside
# the script's directory is read as the user's or written.
. "$(dirname "$0")/common.sh"
unset DISPLAY
require cmake gio update-mime-database update-desktop-database
abort() { fail "$1"; finish; exit 1; }

R="$T/root"
cmake --install "$BUILD_DIR" --prefix "$R/usr" > "$T/install.log" 2>&1 || { cat "$T/install.log"; abort "cmake --install"; }
S="$R/usr/share"
update-mime-database "$S/mime" > "$T/mime.log" 2>&1 || { cat "$T/mime.log"; abort "update-mime-database"; }
update-desktop-database "$S/applications" > "$T/desktop.log" 2>&1 || { cat "$T/desktop.log"; abort "update-desktop-database"; }
check "the desktop entry is indexed for its types" grep -q 'pivora.desktop' "$S/applications/mimeinfo.cache"

# A user with no settings of their own, on a system whose shared data comes
# after the install's, and its programs in PATH (GIO offers no entry whose
# program it cannot find); GIO reads local files itself, with no daemon.
mkdir -p "$T/home" "$T/xdg-config"
desk() {
    env -u XDG_CURRENT_DESKTOP HOME="$T/home" XDG_DATA_HOME="$T/home/.local/share" \
        XDG_CONFIG_HOME="$T/home/.config" XDG_CONFIG_DIRS="$T/xdg-config" XDG_DATA_DIRS="$S:/usr/share" \
        PATH="$R/usr/bin:$PATH" GIO_USE_VFS=local "$@"
}
type_of() { desk gio info -a standard::content-type "$1" 2> /dev/null | sed -n 's/^ *standard::content-type: //p'; }
# The applications GIO offers for a type: the lines after "Registered applications:".
apps_for() { desk gio mime "$1" 2> /dev/null | sed -n '/^Registered applications:/,/^[^[:space:]]/s/^[[:space:]]\+//p'; }
offers() { apps_for "$1" | grep -qx pivora.desktop; }

F="$T/files"; mkdir -p "$F"
printf 'program Project1;\r\nbegin\r\nend.\r\n' > "$F/Project1.dpr"
printf 'unit Unit1;\r\ninterface\r\nimplementation\r\nend.\r\n' > "$F/Unit1.pas"
printf 'object Form1: TForm1\r\nend\r\n' > "$F/Unit1.dfm"
printf '\xd8\xa6\x68\x47\x2d\x21\x00\x00' > "$F/Unit1.dcu"
for pair in "Project1.dpr text/x-delphi-project" "Unit1.pas text/x-pascal" "Unit1.dfm text/x-delphi-form" \
    "Unit1.dcu application/x-delphi-dcu"; do
    read -r file type <<< "$pair"
    got=$(type_of "$F/$file")
    check "$file is $type (got '$got')" [ "$got" = "$type" ]
    check "pivora.desktop opens $type (offered: $(apps_for "$type" | tr '\n' ' '))" offers "$type"
done

# A compiled unit of each version, known by its first four bytes under a name
# that tells nothing; anything else under such a name is not taken for one.
n=0
for signature in 'DCU1' 'HSPP' '\x41\x86\x51\x44' '\xd8\xa6\x68\x47'; do
    n=$((n + 1))
    printf "$signature"'\x2d\x21\x00\x00\x01\x02\x03\x04' > "$F/unit-$n.bin"
    got=$(type_of "$F/unit-$n.bin")
    check "a unit of signature $n is known by it (got '$got')" [ "$got" = application/x-delphi-dcu ]
done
printf 'HSPX\x2d\x21\x00\x00\x01\x02\x03\x04' > "$F/other.bin"
got=$(type_of "$F/other.bin")
not_a_unit() { [ -n "$1" ] && [ "$1" != application/x-delphi-dcu ]; }
check "other bytes are some other type (got '$got')" not_a_unit "$got"

finish
