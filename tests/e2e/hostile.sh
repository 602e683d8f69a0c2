#!/usr/bin/env bash
# The real launcher against what another user, a crash or a crafted name can
# do: links planted in a shared launcher directory, the history lock held for
# ever, file names that hold line breaks, a project file of gigabytes, many
# launchers on one new file, temporary files left by killed saves, and a
# directory or FIFO where the settings or the history belong.
#   As root the script plays the users itself: the launcher runs as pivora-e2e
#   (a system user, made with useradd when missing), links are planted by
#   nobody. Anyone else skips the parts that need another user.
RUNNER=native
. "$(dirname "$0")/common.sh"
require flock truncate timeout mkfifo stat
unset DISPLAY
HOLDER=
let_go_of_lock() { [ -z "$HOLDER" ] || kill "$HOLDER" 2> /dev/null; }
on_exit let_go_of_lock
chmod 755 "$T"

# bounded CMD...: CMD, killed if it outlives the deadline (its status is then 137).
bounded() { timeout -s KILL "$DEADLINE" "$@"; }
ended_by_itself() { [ "$1" -ne 137 ]; }

# The users: the launcher's (VICTIM) and, where one can be played, another
# one's who plants links (OTHER). Without root, the launcher runs as the user
# running the script and there is no other.
as_victim=()
as_other=()
VICTIM=$(id -u)
OTHER=
if [ "$(id -u)" -eq 0 ]; then
    if ! command -v setpriv > /dev/null; then
        echo "skipped: setpriv is missing: the parts that need another user"
    elif ! id -u pivora-e2e > /dev/null 2>&1 &&
        ! useradd --system --no-create-home --shell /usr/sbin/nologin pivora-e2e; then
        echo "skipped: no user pivora-e2e can be made: the parts that need another user"
    elif ! id -u nobody > /dev/null 2>&1; then
        echo "skipped: there is no user nobody: the parts that need another user"
    else
        VICTIM=$(id -u pivora-e2e)
        as_victim=(setpriv --reuid="$VICTIM" --regid="$(id -g pivora-e2e)" --clear-groups --)
        OTHER=$(id -u nobody)
        as_other=(setpriv --reuid="$OTHER" --regid="$(id -g nobody)" --clear-groups --)
    fi
fi

# Projects every part may read: version 4 by its desktop file.
P="$T/p"; mkdir -p "$P"
project() {  # project NAME: $P/NAME.dpr with a desktop file of version 4
    printf 'program %s;\r\n' "$1" > "$P/$1.dpr"
    printf '[Main Window]\r\nClientWidth=1\r\n' > "$P/$1.dsk"
}
for name in Own Planted Temp Locked Held Round Stale Fifo Closed; do project "$name"; done
# entries FILE DPR: how many lines of the history FILE remember DPR.
entries() { grep -acF -- " - 04 $2"$'\r' "$1"; }
# lacks FILE PATTERN: no line of FILE matches the grep PATTERN.
lacks() { ! grep -aq -- "$2" "$1"; }
# others_link PATH: PATH is still a link of the other user's.
others_link() { [ -L "$1" ] && [ "$(stat -c %u "$1")" -eq "$OTHER" ]; }

# --- Links in a shared launcher directory: sticky and writable by all, like
# /tmp, owned by root. A link of the launcher's user is written through; any
# other user's is refused by name and its target is left alone.
S="$T/shared"; new_launcher "$S"; chmod 1777 "$S"
IDE_S="$T/ide-shared/delphi4"; stand_in_ide "$IDE_S"; chown -R "$VICTIM" "$T/ide-shared"
write_ini "$S" "[DelphiReg]" "4=$IDE_S"
H="$T/home"; mkdir -p "$H"; printf 'precious\n' > "$H/notes"; cp "$H/notes" "$T/notes.kept"
chown -R "$VICTIM" "$H"

# The user's own link: the history goes to the file it names.
"${as_victim[@]}" ln -s "$H/history.dat" "$S/pivora.dat"
bounded "${as_victim[@]}" "$S/pivora" "$P/Own.dpr" 2> "$T/err"; rc=$?
check "a launch through the user's own link succeeds (rc $rc: $(cat "$T/err"))" [ "$rc" -eq 0 ]
check "the history is written where the link leads" [ "$(entries "$H/history.dat" "$P/Own.dpr")" -eq 1 ]
check "and the link stays a link" [ -L "$S/pivora.dat" ]
check "the IDE was started" wait_for "$IDE_S.log"
rm -f "$S/pivora.dat" "$IDE_S.log"

if [ -z "$OTHER" ]; then
    echo "skipped: links planted by another user (only root can play one here)"
else
    # Another user's link where the history belongs.
    "${as_other[@]}" ln -s "$H/notes" "$S/pivora.dat"
    bounded "${as_victim[@]}" "$S/pivora" "$P/Planted.dpr" 2> "$T/err"; rc=$?
    check "a launch over another user's link ends by itself" ended_by_itself "$rc"
    check "and fails (rc $rc)" [ "$rc" -ne 0 ]
    check "and names the link" \
        grep -qF "ファイル [$S/pivora.dat] は他のユーザーのシンボリックリンクです。" "$T/err"
    check "the file it leads to is untouched" cmp -s "$H/notes" "$T/notes.kept"
    check "the link is left as it was" others_link "$S/pivora.dat"
    check "nothing was started" not_started "$IDE_S"
    check "no temporary file is left" [ -z "$(find "$S" -name 'pivora.dat.tmp*')" ]
    rm -f "$S/pivora.dat" "$S/pivora.dat.lock"

    # Another user's link where the lock belongs, leading to a file not yet made.
    "${as_other[@]}" ln -s "$H/made-by-the-lock" "$S/pivora.dat.lock"
    bounded "${as_victim[@]}" "$S/pivora" "$P/Locked.dpr" 2> "$T/err"; rc=$?
    check "a launch over a planted lock ends by itself" ended_by_itself "$rc"
    check "and fails (rc $rc)" [ "$rc" -ne 0 ]
    check "and names the history file" grep -qF "ファイル [$S/pivora.dat] に書き込めません。" "$T/err"
    check "not its lock" lacks "$T/err" 'pivora\.dat\.lock'
    check "no file was made where the link leads" [ ! -e "$H/made-by-the-lock" ]
    check "nothing was started" not_started "$IDE_S"
    rm -f "$S/pivora.dat.lock"

    # Links at the names a temporary file once had (pivora.dat.tmp<PID>), for
    # the next PIDs to be handed out: the launcher's own is likely among them.
    # One process plants them all, so none of those PIDs goes to a planting tool.
    if command -v perl > /dev/null; then
        "${as_other[@]}" perl -e '
            my ($shared, $target) = @ARGV;
            open(my $f, "<", "/proc/sys/kernel/ns_last_pid") or die "no ns_last_pid: $!";
            my $last = <$f>;
            chomp $last;
            symlink($target, "$shared/pivora.dat.tmp$_") or die "$_: $!" for $last + 1 .. $last + 2000;
            print $last + 1, " ", $last + 2000, "\n";' "$S" "$H/notes" > "$T/planted-range" ||
            fail "another user's links could not be planted"
        "${as_victim[@]}" "$S/pivora" "$P/Temp.dpr" 2> "$T/err" & pid=$!
        wait_exit "$pid"; rc=$RC
        read -r first last < "$T/planted-range"
        if [ "$pid" -ge "${first:-1}" ] && [ "$pid" -le "${last:-0}" ]; then
            echo "the launcher ran as PID $pid, whose old temporary name was planted"
        else
            echo "the launcher ran as PID $pid, outside the planted $first..$last"
        fi
        check "a launch among planted temporary names succeeds (rc $rc: $(cat "$T/err"))" [ "$rc" -eq 0 ]
        check "and remembers its file" [ "$(entries "$S/pivora.dat" "$P/Temp.dpr")" -eq 1 ]
        check "the file the planted links lead to is untouched" cmp -s "$H/notes" "$T/notes.kept"
        check "the planted links are left as they were" \
            [ "$(find "$S" -maxdepth 1 -name 'pivora.dat.tmp*' -type l -user "$OTHER" | wc -l)" -eq 2000 ]
        check "the IDE was started" wait_for "$IDE_S.log"
    else
        echo "skipped: links at old temporary names (perl is missing)"
    fi
fi

# --- The history lock held by another program: the launcher waits a while,
# then ends with a report, starts nothing and loses nothing.
L="$T/launcher"; new_launcher "$L"
IDE="$T/ide/delphi4"; stand_in_ide "$IDE"
write_ini "$L" "[DelphiReg]" "4=$IDE"
printf '2026/01/01 00:00:00 - 04 /old\r\n' > "$L/pivora.dat"; cp "$L/pivora.dat" "$T/one.dat"
mkfifo "$T/release"
(
    exec 9>> "$L/pivora.dat.lock"
    flock -x 9 && touch "$T/held" && read -r _ < "$T/release"
) &
HOLDER=$!
if check "another program holds the lock" eventually [ -e "$T/held" ]; then
    bounded "$L/pivora" "$P/Held.dpr" 2> "$T/err"; rc=$?
    check "the launcher ends by itself" ended_by_itself "$rc"
    check "and fails (rc $rc)" [ "$rc" -ne 0 ]
    check "saying the history file is in use" grep -qF "履歴ファイル [$L/pivora.dat] は他のプログラムが使用中です。" "$T/err"
    check "nothing was started" not_started "$IDE"
    check "the history is as it was" cmp -s "$L/pivora.dat" "$T/one.dat"
    echo > "$T/release"
    wait "$HOLDER"; HOLDER=
    bounded "$L/pivora" "$P/Held.dpr" 2> "$T/err"; rc=$?
    check "once the lock is let go the launch succeeds (rc $rc)" [ "$rc" -eq 0 ]
    check "and starts the IDE" wait_for "$IDE.log"
    check "and remembers the file" [ "$(entries "$L/pivora.dat" "$P/Held.dpr")" -eq 1 ]
    check "beside the old entry" grep -q ' /old' "$L/pivora.dat"
fi
rm -f "$IDE.log"

# --- A history directory the user cannot write: the history file is named. A
# launcher directory the user cannot write keeps the history in the user's
# XDG_STATE_HOME, made unwritable here too.
C="$T/closed"; new_launcher "$C"; write_ini "$C" "[DelphiReg]" "4=/bin/true"
CS="$T/closed-state"; mkdir -p "$CS/pivora"
cp "$T/one.dat" "$CS/pivora/pivora.dat"
chmod -R a+rX "$C" "$CS"; chmod a-w "$C" "$CS/pivora"
if [ "$VICTIM" -eq 0 ]; then
    echo "skipped: a directory root cannot write (there is no other user to run as)"
else
    bounded env XDG_STATE_HOME="$CS" XDG_CONFIG_HOME="$CS" "${as_victim[@]}" "$C/pivora" "$P/Closed.dpr" \
        2> "$T/err"; rc=$?
    check "an unwritable history directory ends the run by itself" ended_by_itself "$rc"
    check "and fails it (rc $rc)" [ "$rc" -ne 0 ]
    check "naming the history file" grep -qF "ファイル [$CS/pivora/pivora.dat] に書き込めません。" "$T/err"
    check "not its lock" lacks "$T/err" 'pivora\.dat\.lock'
    check "the history is as it was" cmp -s "$CS/pivora/pivora.dat" "$T/one.dat"
    check "nothing is written beside the launcher" [ ! -e "$C/pivora.dat" ]
fi
chmod u+w "$C" "$CS/pivora"

# --- File names that hold a line break and, after it, what reads as an entry
# of its own. The file is opened; the history neither remembers it nor gains
# the entry its name spells.
for brk in $'\n' $'\r'; do
    what=$([ "$brk" = $'\n' ] && echo LF || echo CR)
    CRAFT="$T/x${brk}9999/12/31 23:59:59 - 02 /home/u/Proj/Real.dpr"
    mkdir -p "$(dirname "$CRAFT")"
    printf 'program Real;\r\n' > "$CRAFT"
    printf '[Main Window]\r\nClientWidth=1\r\n' > "${CRAFT%.dpr}.dsk"
    cp "$L/pivora.dat" "$T/before.dat"
    bounded "$L/pivora" "$CRAFT" 2> "$T/err"; rc=$?
    check "a name with $what is launched (rc $rc: $(cat "$T/err"))" [ "$rc" -eq 0 ]
    if check "the IDE is started for it" wait_for "$IDE.log"; then
        printf 'cwd=%s\narg=%s\n' "$L" "$CRAFT" > "$T/expected.log"
        check "with the name whole, as one argument" cmp -s "$IDE.log" "$T/expected.log"
    fi
    check "the history gains no entry from a name with $what" cmp -s "$L/pivora.dat" "$T/before.dat"
    check "none for Real.dpr above all" lacks "$L/pivora.dat" 'Real\.dpr'
    rm -f "$IDE.log"
done

# --- A project file of gigabytes, sparse, its unit list at the top: only its
# head is read, and the unit it names tells the version.
B="$T/big"; mkdir -p "$B"
printf "program Big;\r\nuses\r\n  Unit1 in 'Unit1.pas' {Form1};\r\n" > "$B/Big.dpr"
printf '\x41\x86\x51\x44rest' > "$B/Unit1.dcu"   # version 3
if truncate -s 8G "$B/Big.dpr" 2> "$T/err"; then
    IDE3="$T/ide/delphi3"; stand_in_ide "$IDE3"
    write_ini "$L" "[DelphiReg]" "3=$IDE3" "4=$IDE"
    bounded "$L/pivora" "$B/Big.dpr" 2> "$T/err"; rc=$?
    check "a project of 8 GB ends by itself" ended_by_itself "$rc"
    check "and is launched (rc $rc: $(cat "$T/err"))" [ "$rc" -eq 0 ]
    check "in the version its unit tells" wait_for "$IDE3.log"
    check "and remembered so" [ "$(grep -acF -- " - 03 $B/Big.dpr"$'\r' "$L/pivora.dat")" -eq 1 ]
    rm -f "$B/Big.dpr"
else
    echo "skipped: a sparse file of 8 GB cannot be made here: $(cat "$T/err")"
fi

# --- Many launchers on one new file at once: each round ends with exactly one
# entry for its file, and every earlier round's entry is kept.
R="$T/rounds"; new_launcher "$R"; write_ini "$R" "[DelphiReg]" "4=/bin/true"
for round in $(seq 1 10); do
    F="$P/Round$round.dpr"; cp "$P/Round.dpr" "$F"; cp "$P/Round.dsk" "$P/Round$round.dsk"
    pids=()
    for _ in $(seq 1 20); do bounded "$R/pivora" "$F" & pids+=($!); done
    failed=0
    for p in "${pids[@]}"; do wait "$p" || failed=$((failed + 1)); done
    check "round $round: every launcher succeeded ($failed failed)" [ "$failed" -eq 0 ]
    check "round $round: one entry for its file" [ "$(entries "$R/pivora.dat" "$F")" -eq 1 ]
    check "round $round: the history holds $round entries" [ "$(wc -l < "$R/pivora.dat")" -eq "$round" ]
done

# --- Temporary files left by killed saves, a minute old and more, go at the
# next save; one younger may be another launcher's save and stays.
K="$T/stale"; new_launcher "$K"; write_ini "$K" "[DelphiReg]" "4=/bin/true"
for name in pivora.dat.tmp4242 pivora.dat.tmpq7X0aZ91bQcD; do
    head -c 65536 /dev/zero > "$K/$name"
    touch -d '2 minutes ago' "$K/$name"
done
kept=(pivora.ini.tmp4242)
printf 'settings\n' > "$K/pivora.ini.tmp4242"; touch -d '2 minutes ago' "$K/pivora.ini.tmp4242"
if [ -n "$OTHER" ]; then
    printf 'theirs\n' > "$K/pivora.dat.tmp777"; touch -d '2 minutes ago' "$K/pivora.dat.tmp777"
    chown "$OTHER" "$K/pivora.dat.tmp777"; kept+=(pivora.dat.tmp777)
fi
born=$SECONDS
printf 'in progress\n' > "$K/pivora.dat.tmp5151"
bounded "$K/pivora" "$P/Stale.dpr" 2> "$T/err"; rc=$?
check "a save beside stale temporary files succeeds (rc $rc)" [ "$rc" -eq 0 ]
for name in pivora.dat.tmp4242 pivora.dat.tmpq7X0aZ91bQcD; do check "and removes $name" [ ! -e "$K/$name" ]; done
for name in "${kept[@]}"; do check "it keeps $name" [ -e "$K/$name" ]; done
if [ $((SECONDS - born)) -lt 60 ]; then
    check "it keeps the one less than a minute old" [ -e "$K/pivora.dat.tmp5151" ]
else
    echo "skipped: the young temporary file turned a minute old before the save"
fi

# --- A directory or a FIFO where the settings or the history belong: named in
# the report, never read (a FIFO would hang the launcher), nothing started.
N="$T/nonfile"
for where in pivora.ini pivora.dat; do
    for kind in directory fifo; do
        new_launcher "$N"
        [ "$where" = pivora.dat ] && write_ini "$N" "[DelphiReg]" "4=$IDE"
        if [ "$kind" = fifo ]; then mkfifo "$N/$where"; else mkdir "$N/$where"; fi
        bounded "$N/pivora" "$P/Fifo.dpr" 2> "$T/err"; rc=$?
        check "a $kind for $where: the launcher ends by itself" ended_by_itself "$rc"
        check "and fails (rc $rc)" [ "$rc" -ne 0 ]
        check "naming it" grep -qF "ファイル [$N/$where] はファイルではありません。" "$T/err"
        check "nothing was started" not_started "$IDE"
        if [ "$kind" = fifo ]; then
            check "the FIFO is still there" [ -p "$N/$where" ]
        else
            check "the directory is still there" [ -d "$N/$where" ]
        fi
    done
done
finish
