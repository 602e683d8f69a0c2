#!/usr/bin/env bash
# The Debian package cpack makes of the build: lintian finds no error in it,
# its control names the libraries and fonts it needs and no scripts of its own,
# it holds the files in their places under /usr (the manual page among them),
# and the launcher taken out of it runs: it starts an IDE an administrator
# registered beside it, and finds its own window module in usr/lib/pivora/.
# The package is only unpacked into the script's directory: the machine's own
# /usr is never touched. As root the launcher runs as pivora-e2e, as in
# install.sh; anyone else runs it on a tree made read-only.
. "$(dirname "$0")/common.sh"
unset DISPLAY XDG_CONFIG_HOME XDG_STATE_HOME XDG_CONFIG_DIRS
require cpack dpkg dpkg-deb dpkg-shlibdeps lintian tar readelf
chmod 755 "$T"
SOURCE_DIR=$(cd "$(dirname "$0")/../.." && pwd)
abort() { fail "$1"; finish; exit 1; }

[ -f "$BUILD_DIR/CPackConfig.cmake" ] || abort "no CPackConfig.cmake in $BUILD_DIR"
cpack --config "$BUILD_DIR/CPackConfig.cmake" -G DEB -B "$T/pkg" > "$T/cpack.log" 2>&1 ||
    { cat "$T/cpack.log"; abort "cpack -G DEB"; }
version=$(sed -n 's/^FILEVERSION=//p' "$SOURCE_DIR/resources/pivora-version.txt")
DEB="$T/pkg/pivora_${version}_$(dpkg --print-architecture).deb"
check "cpack made $(basename "$DEB")" [ -s "$DEB" ] || { ls -l "$T/pkg"; abort "no package to check"; }

lintian --fail-on error "$DEB" > "$T/lintian.log" 2>&1; lint=$?
check "lintian finds no error" [ "$lint" -eq 0 ] || cat "$T/lintian.log"

field() { dpkg-deb -f "$DEB" "$1"; }
check "the package is pivora $version" [ "$(field Package) $(field Version)" = "pivora $version" ]
check "it has a maintainer" [ -n "$(field Maintainer)" ]
check "it has a section" [ -n "$(field Section)" ]
depends=$(field Depends)
for d in libc6 libfltk1.3 fonts-ipafont fonts-liberation; do
    check "it depends on $d" grep -qE "(^|, )$d( |,|$)" <<< "$depends" || echo "Depends: $depends"
done
control=$(dpkg-deb --ctrl-tarfile "$DEB" | tar -t | sed 's|^\./||' | grep -v '^$' | sort | tr '\n' ' ')
check "no maintainer scripts, triggers or shlibs (control holds: $control)" \
    [ "$control" = "control md5sums " ]
check "every file is root's" bash -c "dpkg-deb -c '$DEB' | awk '\$2 != \"root/root\" { exit 1 }'"

R="$T/root"
dpkg-deb -x "$DEB" "$R" || abort "dpkg-deb -x"
for f in bin/pivora lib/pivora/pivora-fltk.so share/applications/pivora.desktop share/mime/packages/pivora.xml \
    share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/pivora.png \
    share/man/man1/pivora.1.gz share/doc/pivora/copyright \
    share/doc/pivora/changelog.gz share/doc/pivora/README.md share/doc/pivora/pivora.ini; do
    check "packaged: /usr/$f" [ -s "$R/usr/$f" ]
done
check "nothing outside /usr" [ "$(ls -A "$R")" = usr ]
M="$R/usr/share/man/man1/pivora.1.gz"
for s in NAME SYNOPSIS DESCRIPTION FILES 'EXIT STATUS' ENVIRONMENT 'SEE ALSO'; do
    check "the manual page has $s" bash -c "zcat '$M' | grep -qxF '.SH $s'"
done
check "the launcher is stripped" bash -c "! readelf -S '$R/usr/bin/pivora' | grep -q '\.symtab'"
check "stripping kept the version block" bash -c "readelf -S '$R/usr/bin/pivora' | grep -q '\.pivora_version'"

# Who runs the launcher: a user who does not own the tree.
as_test_user
as_user=("${AS_USER[@]}")

IDE="$T/ide/delphi32"; stand_in_ide "$IDE"
P="$T/project"; mkdir -p "$P"; cp "$SOURCE_DIR"/examples/Project1/* "$P/"
printf 'unit Lone;\r\n' > "$T/Lone.pas"
# The administrator's registration, beside the packaged launcher.
printf '[DelphiReg]\r\n4=%s\r\n' "$IDE" > "$R/usr/bin/pivora.ini"
mkdir -p "$T/home"
[ "$(id -u)" -eq 0 ] && chown pivora-e2e "$T/ide" "$T/home"
chmod -R a-w "$R"

run() {  # run FILE ENV...: the packaged launcher on FILE, as the user, its status in $rc
    local file=$1; shift
    (cd / && env HOME="$T/home" "$@" "${as_user[@]}" "$R/usr/bin/pivora" "$file" > "$T/out" 2>&1); rc=$?
}

run "$P/Project1.dpr"
check "the packaged launcher exits 0 (got $rc)" [ "$rc" -eq 0 ] || cat "$T/out"
check "the IDE registered beside it was started" wait_for "$IDE.log"
check "the project reached it" grep -qx "arg=$P/Project1.dpr" "$IDE.log"
check "its history is the user's own" file_has "$T/home/.local/state/pivora/pivora.dat" " - 04 $P/Project1.dpr"

# A file nothing tells the version of needs the selection dialog, which loads
# the window module; a display that cannot be opened then ends the run with 2.
run "$T/Lone.pas" DISPLAY=:pivora-none
check "without a display the selection dialog ends the run with 2 (got $rc)" [ "$rc" -eq 2 ] || cat "$T/out"
check "the packaged window module is found and accepted" bash -c "! grep -q 'window module' '$T/out'" ||
    cat "$T/out"

finish
