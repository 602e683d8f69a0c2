#!/usr/bin/env bash
# The Windows launcher under Wine, many at once: in each round twelve
# launchers of one directory start together, each on a new project of its
# own, all sharing one Pivora.ini and one Pivora.dat. Every one must start its
# IDE with its file and end with 0, no error box may appear, and the history
# must end up holding every file of every round exactly once, in whole CR LF
# lines: a save that lost a race (a replace refused while another launcher
# read the file, a merge that missed another's addition) shows here as a
# missing entry or a message box.
RUNNER=wine
. "$(dirname "$0")/common.sh"
start_xvfb

ROUNDS=${PIVORA_E2E_ROUNDS:-3}
AT_ONCE=${PIVORA_E2E_AT_ONCE:-12}
# Twelve Wine programs starting together on a shared, loaded machine take far
# longer than one; the deadline only bounds a failure.
DEADLINE=$((DEADLINE * 4))

L="$T/launcher"; new_launcher "$L"
# One stand-in per version, so the record also tells which IDE was chosen.
declare -A IDE
for v in 2 3 4; do IDE[$v]="$T/ide$v/delphi32.exe"; stand_in_ide "${IDE[$v]}"; done
write_ini "$L" "[DelphiReg]" "2=$(winpath "${IDE[2]}")" "3=$(winpath "${IDE[3]}")" "4=$(winpath "${IDE[4]}")"

# project DIR VERSION: a project whose desktop file marks it as made by that
# version, so its launch asks nothing.
project() {
    mkdir -p "$1"
    printf 'program Project1;\r\n' > "$1/Project1.dpr"
    case $2 in
        4) printf '[Main Window]\r\nClientWidth=100\r\n' ;;
        3) printf '[MainWindow]\r\nClientWidth=640\r\n' ;;
        2) printf '[MainWindow]\r\nWidth=640\r\n' ;;
    esac > "$1/Project1.dsk"
}

# Every file launched so far, by its Windows name, with its version.
declare -A LAUNCHED

# round N: AT_ONCE launchers started together, then each waited for. A
# launch's IDE writes its record to a file of that launch's own (the stand-in
# reads PIVORA_IDE_LOG from the environment the launcher passes on), so no
# launch's record can hide another's.
round() {
    local r=$1 i v dir file pids=() rc
    local R="$T/round$r"
    mkdir -p "$R"
    for ((i = 1; i <= AT_ONCE; i++)); do
        v=$((2 + i % 3))
        dir="$T/projects $r/p$i"; project "$dir" "$v"
        file=$(winpath "$dir/Project1.dpr")
        LAUNCHED[$file]=$v
        echo "$file" > "$R/$i.file"
        PIVORA_IDE_LOG=$(winpath "$R/$i.log") WINEDEBUG=trace+msgbox \
            bash "$WINE_RUN" "$L/Pivora.exe" "$file" > "$R/$i.out" 2> "$R/$i.err" &
        pids[i]=$!
        BACKGROUND+=("$!")
    done
    # A launcher that shows a message box waits for an answer that never
    # comes: the round is over once each has ended or shown one, all within
    # one deadline, and those still running are ended then.
    settled() {
        local i
        for ((i = 1; i <= AT_ONCE; i++)); do
            ended "${pids[i]}" || file_has "$R/$i.err" MSGBOX_OnInit || return 1
        done
    }
    check "round $r: every launcher ended or showed a message box" eventually settled
    local ok=()
    for ((i = 1; i <= AT_ONCE; i++)); do
        ended "${pids[i]}" || kill "${pids[i]}" 2> /dev/null
        wait "${pids[i]}"
        rc=$?
        check "round $r, launcher $i ended with 0 (got $rc)" [ "$rc" = 0 ] && ok+=("$i")
    done
    # The stand-ins run detached; a launcher that failed started none, so
    # only the IDEs of those that succeeded are waited for, under one deadline.
    records_written() {
        local i
        for i in "${ok[@]}"; do [ -s "$R/$i.log" ] || return 1; done
    }
    eventually records_written
    for i in "${ok[@]}"; do
        file=$(cat "$R/$i.file")
        v=${LAUNCHED[$file]}
        check "round $r, launch $i started its IDE" [ -s "$R/$i.log" ] || continue
        check "round $r, launch $i: one argument (got $(log_values "$R/$i.log" argc))" \
            [ "$(log_values "$R/$i.log" argc)" = 1 ]
        check "round $r, launch $i: its own file [$(log_values "$R/$i.log" argW)]" \
            [ "$(log_values "$R/$i.log" argW)" = "$file" ]
        check "round $r, launch $i: the IDE of version $v [$(log_values "$R/$i.log" selfW)]" \
            [ "$(log_values "$R/$i.log" selfW)" = "$(winpath "${IDE[$v]}")" ]
    done
    cat "$R"/*.err > "$T/err"
    check "round $r: no message box [$(message_texts | head -3)]" [ -z "$(message_texts)" ]
    expect_history "after round $r"
}

# expect_history WHEN: Pivora.dat holds one whole line for each file launched
# so far, with its version, and nothing else; no launcher's temporary copy is
# left beside it.
expect_history() {
    local when=$1 dat="$L/Pivora.dat" line file bad=0 missing=0 twice=0 n
    check "$when: the history exists" [ -s "$dat" ] || return
    local -A seen=()
    while IFS= read -r line || [ -n "$line" ]; do
        if [[ $line =~ ^[0-9]{4}/[0-9]{2}/[0-9]{2}\ [0-9]{2}:[0-9]{2}:[0-9]{2}\ -\ 0([234])\ (.*)$'\r'$ ]]; then
            file=${BASH_REMATCH[2]}
            if [ "${LAUNCHED[$file]:-}" != "${BASH_REMATCH[1]}" ]; then
                echo "  unexpected entry: $line" >&2; bad=$((bad + 1))
            elif [ -n "${seen[$file]:-}" ]; then
                echo "  entry twice: $file" >&2; twice=$((twice + 1))
            fi
            seen[$file]=1
        else
            echo "  not a whole history line: $(printf '%q' "$line")" >&2; bad=$((bad + 1))
        fi
    done < "$dat"
    for file in "${!LAUNCHED[@]}"; do
        [ -n "${seen[$file]:-}" ] || { echo "  lost: $file" >&2; missing=$((missing + 1)); }
    done
    n=$(wc -l < "$dat")
    echo "$when: $n history lines for ${#LAUNCHED[@]} files launched ($missing lost, $twice twice, $bad bad)"
    check "$when: no file lost from the history ($missing of ${#LAUNCHED[@]})" [ "$missing" = 0 ]
    check "$when: no file twice ($twice)" [ "$twice" = 0 ]
    check "$when: every line whole, parseable and one of ours ($bad not)" [ "$bad" = 0 ]
    check "$when: as many lines as files ($n for ${#LAUNCHED[@]})" [ "$n" = "${#LAUNCHED[@]}" ]
    check "$when: no temporary copy left beside it [$(cd "$L" && echo Pivora.dat.tmp*)]" \
        [ -z "$(find "$L" -name 'Pivora.dat.tmp*')" ]
}

for ((round_no = 1; round_no <= ROUNDS; round_no++)); do round "$round_no"; done
check "$((ROUNDS * AT_ONCE)) files launched in all" [ "${#LAUNCHED[@]}" = $((ROUNDS * AT_ONCE)) ]
finish
