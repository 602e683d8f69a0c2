#!/usr/bin/env bash
# The release zip under Wine, as a user installs it: unpacked into a folder
# whose name holds blanks, "(", ")" and "&", its associate.cmd, run from
# another folder, registers the four Delphi file types for the current user
# (HKCU\Software\Classes: Pivora's own types with its icon and its open
# command, and the extensions naming them); the shell then opens a project
# and a compiled unit with the zip's Pivora.exe, which starts the IDE its
# example Pivora.ini names. unassociate.cmd takes back Pivora's types, and the
# extensions only where they still name them. The zip's texts are checked as
# Windows reads them: the .cmd files ASCII, Install.txt in code page 932, all
# with CR LF.
RUNNER=wine
. "$(dirname "$0")/common.sh"
require zip unzip
SOURCE_DIR=$(cd "$E2E_DIR/../.." && pwd)
start_xvfb

# A Wine prefix of the script's own: the association goes into its registry.
export PIVORA_WINEPREFIX="$T/prefix"
PIVORA_IDE_LOG=$(winpath "$T/prefix-ready.log") bash "$WINE_RUN" "$STAND_IN" > /dev/null 2> "$T/prefix.err"
[ -s "$T/prefix-ready.log" ] || { cat "$T/prefix.err" >&2; fail "Wine made no prefix in $PIVORA_WINEPREFIX"; finish; exit 1; }
SYSTEM="$PIVORA_WINEPREFIX/drive_c/windows/system32"
# wine_tool NAME ARGS...: Wine's own NAME.exe (cmd, reg, start) in that prefix.
wine_tool() { local name=$1; shift; bash "$WINE_RUN" "$SYSTEM/$name.exe" "$@"; }

ZIP="$T/release.zip"
bash "$SOURCE_DIR/tools/make-release-zip.sh" "$BUILD_DIR" "$ZIP" > "$T/zip.log" 2>&1 ||
    { cat "$T/zip.log"; fail "make-release-zip.sh"; finish; exit 1; }
check "the zip holds the launcher, its settings, Install.txt and the two scripts" \
    [ "$(unzip -Z1 "$ZIP" | sort | tr '\n' ' ')" = "Install.txt Pivora.exe Pivora.ini associate.cmd unassociate.cmd " ]
Z="$T/My Tools (x86) & Co"
mkdir -p "$Z" && unzip -q "$ZIP" -d "$Z" || { fail "unzip"; finish; exit 1; }

crlf_only() { [ "$(grep -c $'\r$' "$1")" = "$(wc -l < "$1")" ] && [ "$(tail -c 2 "$1" | od -An -c | tr -d ' ')" = '\r\n' ]; }
ascii_only() { ! LC_ALL=C grep -q '[^[:print:][:space:]]' "$1"; }
for cmd in associate.cmd unassociate.cmd; do
    check "$cmd is ASCII, which cmd reads alike in every code page" ascii_only "$Z/$cmd"
    check "$cmd has CR LF line ends" crlf_only "$Z/$cmd"
done
check "Install.txt has CR LF line ends" crlf_only "$Z/Install.txt"
check "Install.txt is Shift-JIS (code page 932)" iconv -f CP932 -t UTF-8 -o "$T/Install.utf8" "$Z/Install.txt"
check "Install.txt is not UTF-8 (Notepad of a Japanese Windows reads it in its code page)" \
    bash -c "! iconv -f UTF-8 -t UTF-8 '$Z/Install.txt' > /dev/null 2>&1"
for fact in インストール アンインストール associate.cmd unassociate.cmd 'HKEY_CURRENT_USER\Software\Classes' \
    .dpr .pas .dfm .dcu Pivora.DelphiProject; do
    check "Install.txt tells of $fact" grep -qF -- "$fact" "$T/Install.utf8"
done

# The zip's Pivora.ini names Delphi 4 at its usual place: the stand-in is put there.
IDE="$PIVORA_WINEPREFIX/drive_c/Program Files/Borland/Delphi4/Bin/DELPHI32.EXE"
stand_in_ide "$IDE"
P="$T/my projects/p 1"; mkdir -p "$P"
printf 'program Project1;\r\n' > "$P/Project1.dpr"
printf '[Main Window]\r\nClientWidth=800\r\n' > "$P/Project1.dsk"
printf '\xd8\xa6\x68\x47\x2d\x21\x00\x00' > "$P/Unit1.dcu"  # a Delphi 4 unit's signature
mkdir -p "$T/elsewhere"

# classes: every key under HKCU\Software\Classes as "key|", and each of its
# values as "key|name|type|value" ("@" naming a key's own value), read by
# Wine's reg in one run.
classes() {
    wine_tool reg query 'HKCU\Software\Classes' /s 2> /dev/null | tr -d '\r' | awk '
        /^HKEY_/ { key = substr($0, length("HKEY_CURRENT_USER\\Software\\Classes\\") + 1); print key "|"; next }
        /^    / { n = split(substr($0, 5), f, /    /); name = f[1] ~ /^\(.*\)$/ ? "@" : f[1]
                  print key "|" name "|" f[2] "|" (n > 2 ? f[3] : "") }'
}
# value_of KEY NAME: the data of that value in the last reading ("@": the key's own).
value_of() { awk -F'|' -v k="$1" -v n="$2" '$1 == k && $2 == n { print $4 }' "$T/classes"; }
is_value() { [ "$(value_of "$1" "$2")" = "$3" ]; }  # is_value KEY NAME DATA
no_value() { [ -z "$(awk -F'|' -v k="$1" -v n="$2" '$1 == k && $2 == n' "$T/classes")" ]; }  # no_value KEY NAME
has_value() { ! no_value "$@"; }
no_key() { [ -z "$(awk -F'|' -v k="$1" '$1 == k || index($1, k "\\") == 1' "$T/classes")" ]; }  # no_key KEY: nor below it
# added: the lines of the last reading that the one before associate.cmd had not.
added() { sort "$T/classes" | comm -13 "$T/classes.before" -; }

# The scripts run through cmd from another folder: each finds Pivora.exe by
# its own place. Wine's cmd /c runs no quoted path holding "(" or "&", which
# Windows' does when the file is double-clicked, so the path is given to
# "call", which takes it whole.
run_script() { (cd "$T/elsewhere" && wine_tool cmd /c call "$(winpath "$Z/$1")") > "$T/$1.out" 2>&1; }

classes > "$T/classes"
sort "$T/classes" > "$T/classes.before"
run_script associate.cmd; rc=$?
check "associate.cmd succeeds (rc $rc: $(cat "$T/associate.cmd.out"))" [ "$rc" -eq 0 ]
classes > "$T/classes"
EXE=$(winpath "$Z/Pivora.exe")
for type in ".dpr Pivora.DelphiProject Delphi Project" ".pas Pivora.DelphiUnit Delphi Unit" \
    ".dfm Pivora.DelphiForm Delphi Form" ".dcu Pivora.DelphiCompiledUnit Delphi Compiled Unit"; do
    read -r ext id name <<< "$type"
    check "$ext is of type $id [$(value_of "$ext" @)]" is_value "$ext" @ "$id"
    check "$id is offered for $ext" has_value "$ext\\OpenWithProgids" "$id"
    check "$id is named '$name'" is_value "$id" @ "$name"
    check "$id has Pivora's icon [$(value_of "$id\\DefaultIcon" @)]" is_value "$id\\DefaultIcon" @ "\"$EXE\",0"
    check "$id opens with Pivora.exe and the file [$(value_of "$id\\shell\\open\\command" @)]" \
        is_value "$id\\shell\\open\\command" @ "\"$EXE\" \"%1\""
done
others=$(added | grep -v -E '^(\.(dpr|pas|dfm|dcu)|Pivora\.Delphi(Project|Unit|Form|CompiledUnit))(\\|\|)')
check "nothing else is registered [$others]" [ -z "$others" ]

# The shell reads a type from HKEY_CLASSES_ROOT, which Windows makes of the
# user's classes over the machine's. A Wine that does not (8.0 reads the
# machine's alone: its bug 14771) gets the user's entries copied to the
# machine's, as they are, so that the shell still follows what associate.cmd
# wrote.
if ! wine_tool reg query 'HKCR\.dpr' /ve > /dev/null 2>&1; then
    echo "note: this Wine does not read the user's classes; they are copied to the machine's for the shell"
    for key in .dpr .pas .dfm .dcu Pivora.DelphiProject Pivora.DelphiUnit Pivora.DelphiForm Pivora.DelphiCompiledUnit; do
        wine_tool reg copy "HKCU\\Software\\Classes\\$key" "HKLM\\Software\\Classes\\$key" /s /f > /dev/null 2>&1 ||
            fail "cannot copy $key to the machine's classes"
    done
fi

# The shell opens a project by its name in the current folder, as "start"
# does in a console; Pivora finds version 4 in its desktop file and starts
# the IDE in Pivora's own folder, with the file's full name.
(cd "$P" && wine_tool start Project1.dpr) > "$T/start.out" 2>&1
check "start Project1.dpr ran Pivora, which started the IDE" wait_for "$IDE.log" || cat "$T/start.out"
check "the IDE got the project by its full name [$(log_values "$IDE.log" argW)]" \
    [ "$(log_values "$IDE.log" argW)" = "$(winpath "$P/Project1.dpr")" ]
check "as its one argument" [ "$(log_values "$IDE.log" argc)" = 1 ]
check "in Pivora's folder [$(log_values "$IDE.log" cwdW)]" [ "$(log_values "$IDE.log" cwdW)" = "$(winpath "$Z")" ]
check "Pivora remembers it beside itself" grep -qF " - 04 $(winpath "$P/Project1.dpr")" "$Z/Pivora.dat"
rm -f "$IDE.log"
(cd "$T/elsewhere" && wine_tool cmd /c start "" "$(winpath "$P/Unit1.dcu")") > "$T/start.out" 2>&1
check "a compiled unit opens too" wait_for "$IDE.log" || cat "$T/start.out"
check "...with its full name [$(log_values "$IDE.log" argW)]" [ "$(log_values "$IDE.log" argW)" = "$(winpath "$P/Unit1.dcu")" ]

# Meanwhile another program has taken .dfm, and offers itself for .dpr.
wine_tool reg add 'HKCU\Software\Classes\.dfm' /ve /d Other.Form /f > /dev/null 2>&1
wine_tool reg add 'HKCU\Software\Classes\Other.Form' /ve /d "Other's form" /f > /dev/null 2>&1
wine_tool reg add 'HKCU\Software\Classes\.dpr\OpenWithProgids' /v Other.Project /t REG_NONE /f > /dev/null 2>&1
run_script unassociate.cmd; rc=$?
check "unassociate.cmd succeeds (rc $rc: $(cat "$T/unassociate.cmd.out"))" [ "$rc" -eq 0 ]
classes > "$T/classes"
for id in Pivora.DelphiProject Pivora.DelphiUnit Pivora.DelphiForm Pivora.DelphiCompiledUnit; do
    check "$id is gone" no_key "$id"
done
for type in ".dpr Pivora.DelphiProject" ".pas Pivora.DelphiUnit" ".dcu Pivora.DelphiCompiledUnit"; do
    read -r ext id <<< "$type"
    check "$ext names no type of its own again [$(value_of "$ext" @)]" no_value "$ext" @
    check "$ext no longer offers Pivora" no_value "$ext\\OpenWithProgids" "$id"
done
check ".dfm stays the other program's" is_value .dfm @ Other.Form
check "the other program's type stays" is_value Other.Form @ "Other's form"
check "the other program is still offered for .dpr" has_value '.dpr\OpenWithProgids' Other.Project
# What is left beside the other program's: the extensions' keys, empty.
left=$(added | grep -v -E '^(\.(dpr|pas|dfm|dcu)(\\OpenWithProgids)?\|$|Other\.Form\||\.dfm\|@\||\.dpr\\OpenWithProgids\|Other\.Project\|)')
check "nothing else of Pivora's is left [$left]" [ -z "$left" ]

# Taking back what is gone already is no failure.
run_script unassociate.cmd; rc=$?
check "unassociate.cmd again succeeds (rc $rc)" [ "$rc" -eq 0 ]
finish
