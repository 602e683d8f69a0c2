#!/usr/bin/env bash
# The history file under stress: many launchers at once, launchers killed in
# the middle of a save, and a directory that cannot be written.
. "$(dirname "$0")/common.sh"
unset DISPLAY
T=$(mktemp -d)
trap 'chmod -R u+w "$T"; rm -rf "$T"' EXIT
L="$T/launcher"; new_launcher "$L"
write_ini "$L" "[Pivora]" "HistoryMax=100000" "[DelphiReg]" "4=/bin/true"
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

# Killed at any moment of a save of a large history, the file stays whole:
# the old one or the new one, never a torn one.
python3 "$(dirname "$0")/../../bench/make-history.py" 200000 "$T/big.dat"
torn=0
for i in $(seq 1 15); do
    cp "$T/big.dat" "$L/pivora.dat"
    "$L/pivora" "$T/p/P$i.dpr" & pid=$!
    sleep "0.0$((RANDOM % 9))"
    kill -9 "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
    lines=$(wc -l < "$L/pivora.dat")
    last=$(tail -c 2 "$L/pivora.dat" | od -An -c | tr -d ' ')
    { [ "$lines" -eq 200000 ] || [ "$lines" -eq 200001 ]; } && [ "$last" = '\r\n' ] || torn=$((torn + 1))
done
check "no save killed midway left a torn history ($torn torn)" [ "$torn" -eq 0 ]
rm -f "$L"/pivora.dat.tmp*

# A directory that cannot be written: the new file is not started, the
# failure is reported, and the old history stays.
if [ "$(id -u)" -ne 0 ]; then
    printf '2026/01/01 00:00:00 - 04 /old\r\n' > "$L/pivora.dat"
    chmod a-w "$L"
    rm -f "$T/started"
    write_ini "$L" "[DelphiReg]" "4=/bin/true" 2>/dev/null
    "$L/pivora" "$T/p/P1.dpr" 2> "$T/err"; rc=$?
    chmod u+w "$L"
    check "an unwritable history fails the run" [ "$rc" -ne 0 ]
    check "and says so" grep -q "pivora.dat" "$T/err"
else
    # root writes anywhere; a full file system stands in for a read-only one.
    mkdir -p "$T/small"
    if mount -t tmpfs -o size=16m tmpfs "$T/small" 2>/dev/null; then
        new_launcher "$T/small/l"
        if [ -x "$T/small/l/pivora" ]; then
            write_ini "$T/small/l" "[Pivora]" "HistoryMax=100000" "[DelphiReg]" "4=/bin/true"
            printf '2026/01/01 00:00:00 - 04 /old\r\n' > "$T/small/l/pivora.dat"
            cat /dev/zero > "$T/small/fill" 2>/dev/null  # the file system is full from here on
            "$T/small/l/pivora" "$T/p/P2.dpr" 2> "$T/err"; rc=$?
            check "a full disk fails the run" [ "$rc" -ne 0 ]
            check "and says so" grep -q "pivora.dat" "$T/err"
            check "the old history stays" grep -qx $'2026/01/01 00:00:00 - 04 /old\r' "$T/small/l/pivora.dat"
        else
            echo "skipped: the launcher does not fit the small file system"
        fi
        umount "$T/small"
    else
        echo "skipped: no tmpfs can be mounted here"
    fi
fi
finish
