#!/usr/bin/env bash
# The history file under stress: many launchers at once, launchers killed in
# the middle of a save, a directory that cannot be written and a full disk.
#   PIVORA_REQUIRE_FULL_DISK=1  a full disk that cannot be made here fails the
#                               script instead of skipping that part
RUNNER=native
. "$(dirname "$0")/common.sh"
require python3 cmp awk
[ "$(id -u)" -ne 0 ] || require setpriv   # root drops to nobody for the unwritable directory
unset DISPLAY
L="$T/launcher"; new_launcher "$L"
MAX=100000
write_ini "$L" "[Pivora]" "HistoryMax=$MAX" "[DelphiReg]" "4=/bin/true"
mkdir -p "$T/p"
for i in $(seq 1 24); do
    printf 'program P;\r\n' > "$T/p/P$i.dpr"
    printf '[Main Window]\r\nClientWidth=1\r\n' > "$T/p/P$i.dsk"
done

# Many launchers at the same moment, each with a file of its own: none may
# lose another's entry.
pids=()
for i in $(seq 1 24); do "$L/pivora" "$T/p/P$i.dpr" & pids+=($!); done
rcs=0
for p in "${pids[@]}"; do wait "$p" || rcs=$((rcs + 1)); done
check "every concurrent launcher succeeded ($rcs failed)" [ "$rcs" -eq 0 ]
check "every concurrent launcher's file is remembered" [ "$(grep -c ' - 04 ' "$L/pivora.dat")" -eq 24 ]
check "and remembered once" [ "$(sort -u "$L/pivora.dat" | wc -l)" -eq 24 ]

# Killed at any moment of a launch over a history twice as long as HistoryMax,
# the file stays whole. Such a launch saves twice: loading trims the history
# to its newest HistoryMax entries, and adding its file drops the oldest one
# kept. So a kill leaves one of three files, each known in advance: the old
# one, the first save, or the second; anything else is torn.
well_formed() {  # well_formed FILE: every line reads as an entry and ends in CR LF
    [ "$(tail -c 2 "$1" | od -An -c | tr -d ' ')" = '\r\n' ] &&
        ! LC_ALL=C grep -qvE $'^[0-9]{4}/[0-9]{2}/[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} - [0-9]{2} .+\r$' "$1"
}
python3 "$(dirname "$0")/../../bench/make-history.py" $((2 * MAX)) "$T/made.dat"
# Dated long before any clock this runs under, so the entry a launch adds is
# the newest. The dates grow with the names, and the file is in name order,
# so the newest entries are the last lines.
sed 's#^2026/#2001/#' "$T/made.dat" > "$T/old.dat"
tail -n "$MAX" "$T/old.dat" > "$T/first.dat"
NEW="$T/p/P1.dpr"
ADDED=" - 04 $NEW"$'\r'
# The second save, from a launch run to its end. The added line holds the
# time of its own launch, so it is compared with its date masked.
R="$T/reference"; new_launcher "$R"
cp "$L/pivora.ini" "$R/"; cp "$T/old.dat" "$R/pivora.dat"
start=$(date +%s%N)
"$R/pivora" "$NEW"; rc=$?
took_ms=$((($(date +%s%N) - start) / 1000000))
check "a launch over a long history succeeds (rc $rc)" [ "$rc" -eq 0 ]
check "and leaves a whole file" well_formed "$R/pivora.dat"
check "that keeps the newest $((MAX - 1)) entries" \
    cmp -s <(grep -vF -- "$ADDED" "$R/pivora.dat") <(tail -n $((MAX - 1)) "$T/old.dat")
check "and adds the launched file once" [ "$(grep -cF -- "$ADDED" "$R/pivora.dat")" -eq 1 ]
mask_added() { awk -v added="$ADDED" 'substr($0, 20) == added { $0 = "yyyy/mm/dd hh:nn:ss" added } 1' "$1"; }
left_by_kill() {  # left_by_kill FILE: old, first, second or torn
    if cmp -s "$1" "$T/old.dat"; then echo old
    elif cmp -s "$1" "$T/first.dat"; then echo first
    elif well_formed "$1" && cmp -s <(mask_added "$1") <(mask_added "$R/pivora.dat"); then echo second
    else echo torn
    fi
}
# What a torn save would leave must count as torn: a cut in a line, and a
# cut between lines, which reads well but lacks entries.
head -c $(($(stat -c %s "$T/old.dat") / 2 + 7)) "$T/old.dat" > "$T/cut.dat"
check "a history cut in a line counts as torn" [ "$(left_by_kill "$T/cut.dat")" = torn ]
head -n $((MAX + 1)) "$T/old.dat" > "$T/cut.dat"
check "a history cut between lines counts as torn" [ "$(left_by_kill "$T/cut.dat")" = torn ]
# The kills are spread over a whole launch and a little past it, so they
# land before, in and after each save.
declare -A left=([old]=0 [first]=0 [second]=0 [torn]=0)
for i in $(seq 1 15); do
    cp "$T/old.dat" "$L/pivora.dat"
    "$L/pivora" "$NEW" & pid=$!
    ms=$((RANDOM % (took_ms * 5 / 4 + 1)))
    sleep "$((ms / 1000)).$(printf %03d $((ms % 1000)))"
    kill -9 "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
    what=$(left_by_kill "$L/pivora.dat")
    left[$what]=$((left[$what] + 1))
    [ "$what" = torn ] && echo "torn by a kill after $ms ms: $(wc -l < "$L/pivora.dat") lines," \
        "ending in $(tail -c 2 "$L/pivora.dat" | od -An -c)"
    rm -f "$L"/pivora.dat.tmp*
done
echo "launches killed within ${took_ms} ms left: ${left[old]} old, ${left[first]} first save, ${left[second]} second save"
check "no launch killed midway left a torn history (${left[torn]} torn)" [ "${left[torn]}" -eq 0 ]

# A directory that cannot be written: the failure is reported and the old
# history stays. Root writes anywhere, so root makes this launch as nobody.
# A launcher directory that cannot be written keeps the history in the
# user's XDG_STATE_HOME, which cannot be written either.
printf '2026/01/01 00:00:00 - 04 /old\r\n' > "$T/one.dat"
S="$T/state/pivora"; mkdir -p "$S"
cp "$T/one.dat" "$S/pivora.dat"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    chmod -R go+rX "$T"
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
fi
chmod a-w "$L" "$S"
env XDG_STATE_HOME="$T/state" XDG_CONFIG_HOME="$T/state" "${as_user[@]}" "$L/pivora" "$T/p/P1.dpr" 2> "$T/err"; rc=$?
chmod u+w "$L" "$S"
check "an unwritable history fails the run (rc $rc)" [ "$rc" -ne 0 ]
check "and says so" grep -q "pivora.dat" "$T/err"
check "the old history stays" cmp -s "$S/pivora.dat" "$T/one.dat"

# A full disk: a small tmpfs, filled up. It is mounted in a mount namespace
# of this part's own (in a user namespace too where plain root cannot mount),
# so it goes away with the part whatever becomes of the script. Prints why
# when it cannot be made; the outcome is left in $T/full.*.
full_disk() {
    mount -t tmpfs -o size=16m tmpfs "$T/small" || { echo "no tmpfs can be mounted"; return 1; }
    new_launcher "$T/small/l" || { echo "the launcher does not fit"; return 1; }
    write_ini "$T/small/l" "[Pivora]" "HistoryMax=$MAX" "[DelphiReg]" "4=/bin/true"
    cp "$T/one.dat" "$T/small/l/pivora.dat"
    cat /dev/zero > "$T/small/fill" 2> /dev/null  # the file system is full from here on
    "$T/small/l/pivora" "$T/p/P2.dpr" 2> "$T/full.err"; echo $? > "$T/full.rc"
    cp "$T/small/l/pivora.dat" "$T/full.dat"
}
mkdir -p "$T/small"
export T MAX BUILD_DIR RUNNER SETTINGS_FILE
export -f full_disk new_launcher write_ini
for namespaces in "--mount" "--user --map-root-user --mount"; do
    # shellcheck disable=SC2086  # two or three options
    why=$(unshare $namespaces bash -c full_disk 2>&1) && break
done
if [ -s "$T/full.rc" ]; then
    rc=$(cat "$T/full.rc")
    check "a full disk fails the run (rc $rc)" [ "$rc" -ne 0 ]
    check "and says so" grep -q "pivora.dat" "$T/full.err"
    check "the old history stays" cmp -s "$T/full.dat" "$T/one.dat"
elif [ "${PIVORA_REQUIRE_FULL_DISK:-0}" = 1 ]; then
    fail "a full disk cannot be made here: $why"
else
    echo "skipped: a full disk, since $why"
fi
finish
