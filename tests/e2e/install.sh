#!/usr/bin/env bash
# The launcher as `cmake --install` lays it out, in a tree its user cannot
# write to: the files in their places, an administrator's registration read,
# the history kept in the user's own directories and nothing written into the
# install. As root the launcher runs as pivora-e2e (made with useradd when
# missing); anyone else runs it on a tree made read-only.
. "$(dirname "$0")/common.sh"
unset DISPLAY XDG_CONFIG_HOME XDG_STATE_HOME XDG_CONFIG_DIRS
require cmake
# Another user runs the launcher in here.
chmod 755 "$T"
SOURCE_DIR=$(cd "$(dirname "$0")/../.." && pwd)

R="$T/root"
cmake --install "$BUILD_DIR" --prefix "$R" > "$T/install.log" 2>&1 ||
    { cat "$T/install.log"; fail "cmake --install"; finish; exit 1; }
ICON_SIZES="16 32 48 64 128 256"
for f in bin/pivora lib/pivora/pivora-fltk.so share/applications/pivora.desktop share/mime/packages/pivora.xml \
    share/doc/pivora/README.md share/doc/pivora/pivora.ini; do
    check "installed: $f" [ -s "$R/$f" ]
done
# Each icon is a picture of its size to an image library's own decoder.
for n in $ICON_SIZES; do
    f=share/icons/hicolor/${n}x$n/apps/pivora.png
    check "installed: $f" [ -s "$R/$f" ] || continue
    if command -v identify > /dev/null; then
        got=$(identify -format '%w %h' "$R/$f" 2>&1)
        check "$f decodes to $n x $n (got '$got')" [ "$got" = "$n $n" ]
    fi
done
command -v identify > /dev/null || echo "skipped: identify (imagemagick) is not installed: the icons are not decoded"
check "no icon sizes but these" [ "$(ls "$R/share/icons/hicolor" | wc -l)" -eq "$(wc -w <<< "$ICON_SIZES")" ]
check "the window module is not beside the installed launcher" [ ! -e "$R/bin/pivora-fltk.so" ]
check "no default applications are set" [ -z "$(find "$R" -name mimeapps.list)" ]
D="$R/share/applications/pivora.desktop"
check "the entry runs pivora with the file" grep -qx 'Exec=pivora %f' "$D"
check "the entry names the four types" \
    grep -qx 'MimeType=text/x-delphi-project;text/x-pascal;text/x-delphi-form;application/x-delphi-dcu;' "$D"
check "the entry is hidden from menus" grep -qx 'NoDisplay=true' "$D"
check "the entry is named in Japanese too" grep -q '^Comment\[ja\]=' "$D"
for ext in dpr dfm dcu; do check "the type of .$ext is declared" grep -q "pattern=\"\\*.$ext\"" "$R/share/mime/packages/pivora.xml"; done
check ".pas is left to the system's type" bash -c "! grep -q 'pas\"' '$R/share/mime/packages/pivora.xml'"
if command -v desktop-file-validate > /dev/null; then
    check "desktop-file-validate accepts the entry" desktop-file-validate "$D"
else
    echo "skipped: desktop-file-validate is not installed: the entry's form is not validated"
fi

# Who runs the launcher: a user who does not own the install.
as_test_user
as_user=("${AS_USER[@]}")
if [ ${#as_user[@]} -gt 0 ]; then owner=pivora-e2e; else owner=$(id -un); fi

IDE="$T/ide/delphi32"; stand_in_ide "$IDE"
P="$T/project"; mkdir -p "$P"; cp "$SOURCE_DIR"/examples/Project1/* "$P/"
# The administrator's registration, for every user.
XDG="$T/xdg"; mkdir -p "$XDG/pivora"
printf '[DelphiReg]\r\n4=%s\r\n' "$IDE" > "$XDG/pivora/pivora.ini"
mkdir -p "$T/home" "$T/home2" "$T/state"
[ "$(id -u)" -eq 0 ] && chown "$owner" "$T/ide" "$T/home" "$T/home2" "$T/state"
chmod -R a-w "$R"
listing() { find "$R" -printf '%p %s %T@ %m\n' | sort; }
before=$(listing)

run() {  # run ENV...: the installed launcher on the example project, as the user
    (cd / && env "$@" "${as_user[@]}" "$R/bin/pivora" "$P/Project1.dpr" > "$T/out" 2>&1)
}

run HOME="$T/home" XDG_CONFIG_DIRS="/nonexistent:$XDG"; rc=$?
check "the installed launcher exits 0 (got $rc)" [ "$rc" -eq 0 ] || cat "$T/out"
check "the administrator's IDE was started" wait_for "$IDE.log"
check "it runs in the install's bin/" grep -qx "cwd=$R/bin" "$IDE.log"
check "the project reached it" grep -qx "arg=$P/Project1.dpr" "$IDE.log"
check "nothing on standard error" [ ! -s "$T/out" ] || cat "$T/out"
H="$T/home/.local/state/pivora/pivora.dat"
check "the history is the user's own" file_has "$H" " - 04 $P/Project1.dpr"
check "the history belongs to the user" [ "$(stat -c %U "$H")" = "$owner" ]
check "the user's directories are private" [ "$(stat -c %a "$T/home/.local/state/pivora")" = 700 ]
check "no settings are written by a launch" [ ! -e "$T/home/.config/pivora/pivora.ini" ]
check "nothing was written into the install" [ "$(listing)" = "$before" ]

# XDG_STATE_HOME is honoured; an administrator's settings beside the executable
# serve when no XDG_CONFIG_DIRS holds any.
rm -f "$IDE.log"
chmod u+w "$R/bin"
printf '[DelphiReg]\r\n4=%s\r\n' "$IDE" > "$R/bin/pivora.ini"
chmod a-w "$R/bin" "$R/bin/pivora.ini"
before=$(listing)
run HOME="$T/home2" XDG_STATE_HOME="$T/state"; rc=$?
check "started from the settings beside the executable (rc $rc)" wait_for "$IDE.log" || cat "$T/out"
check "the history is in XDG_STATE_HOME" file_has "$T/state/pivora/pivora.dat" " - 04 $P/Project1.dpr"
check "nothing was written into the install, again" [ "$(listing)" = "$before" ]

# Without a home the user is told why, and nothing is started.
rm -f "$IDE.log"
(cd / && env -u HOME "${as_user[@]}" "$R/bin/pivora" "$P/Project1.dpr" > "$T/out" 2>&1); rc=$?
check "without a home the run fails (got $rc)" [ "$rc" -ne 0 ]
check "the message names HOME" grep -q "環境変数 HOME も XDG_CONFIG_HOME も設定されていません。" "$T/out" || cat "$T/out"
check "nothing is started without a home" not_started "$IDE"

# Through a link elsewhere the launcher still finds its own window module in
# the install's lib/pivora/. A file nothing tells the version of needs the
# selection dialog, which loads the module; a display that cannot be opened
# then leaves only the report that no window can be shown.
mkdir -p "$T/links" "$T/lone" && ln -s "$R/bin/pivora" "$T/links/pivora"
printf 'unit Lone;\r\n' > "$T/lone/Lone.pas"
(cd / && env HOME="$T/home" DISPLAY=:pivora-none "${as_user[@]}" "$T/links/pivora" "$T/lone/Lone.pas" \
    > "$T/out" 2>&1)
check "the selection dialog was asked for" grep -q 'cannot be shown: there is no display' "$T/out" || cat "$T/out"
check "the installed window module is found and accepted" bash -c "! grep -q 'window module' '$T/out'" ||
    cat "$T/out"

finish
