#!/usr/bin/env bash
# Times launches that need no window against a floor program that only starts
# the same stand-in IDE, side by side in one hyperfine run, and prints ratios.
# Usage: bench/run.sh [BUILD_DIR]
#   SECTIONS  the parts to run, of "detected history places" (default: all)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
cmake --build "$build" --target pivora pivora_bench_floor >/dev/null
unset DISPLAY  # no window is needed, and none may be
T=$(mktemp -d); trap 'chmod -R u+w "$T"; rm -rf "$T"' EXIT
cp "$build/pivora" "$T/"
IDE=/bin/true
mkdir -p "$T/p"
printf 'program P;\r\n' > "$T/p/Project1.dpr"
printf '[Main Window]\r\nClientWidth=800\r\n' > "$T/p/Project1.dsk"
printf '[Pivora]\r\nHistoryMax=2000000\r\n[DelphiReg]\r\n4=%s\r\n' "$IDE" > "$T/pivora.ini"
FLOOR="$build/bench/pivora_bench_floor $IDE $T/p/Project1.dpr"
PIV="$T/pivora $T/p/Project1.dpr"
runs=${RUNS:-300}

ratio() {  # ratio JSON: mean of each command over the first one's
    python3 - "$1" <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))["results"]
base = r[0]["mean"]
for x in r:
    print(f"  {x['command'][:60]:60s} {x['mean']*1000:8.2f} ms  x{x['mean']/base:5.2f}")
PY
}

sections=${SECTIONS:-detected history places}
wanted() { [[ " $sections " == *" $1 "* ]]; }

if wanted detected; then
echo "== a launch detected from the desktop file (no history yet) vs the floor"
hyperfine -N -w 30 -r "$runs" --prepare "rm -f $T/pivora.dat" -n floor "$FLOOR" -n detected "$PIV" \
    --export-json "$T/a.json" >/dev/null
ratio "$T/a.json"
fi

if wanted history; then
echo "== history: hit and new-entry runs at 1 000, 100 000 and 1 000 000 entries"
for n in 0 1000 100000 1000000; do
    python3 "$root/bench/make-history.py" "$n" "$T/h$n.dat"
done
printf '2026/01/01 00:00:00 - 04 %s\r\n' "$T/p/Project1.dpr" > "$T/hit0.dat"
for n in 1000 100000 1000000; do
    r=$runs; [ "$n" -ge 100000 ] && r=20
    # The hit: the file is in the history, nothing is written.
    cp "$T/h$n.dat" "$T/hit.dat"
    cat "$T/hit0.dat" >> "$T/hit.dat"  # sorts after the generated names, as the launcher keeps them
    hyperfine -N -w 3 -r "$r" -n floor --prepare true "$FLOOR" \
        -n "empty history, hit" --prepare "cp $T/hit0.dat $T/pivora.dat" "$PIV" \
        -n "$n entries, hit" --prepare "cp $T/hit.dat $T/pivora.dat" "$PIV" \
        -n "$n entries, new entry" --prepare "cp $T/h$n.dat $T/pivora.dat" "$PIV" \
        --export-json "$T/h.json" >/dev/null
    ratio "$T/h.json"
done
fi

if wanted places; then
# Each start decides where the settings and the history live: it tries to
# create and remove a file beside the executable. A portable copy may, and
# keeps its files there; an installed one may not, and reads an
# administrator's settings and keeps the user's history under HOME. Both
# launches hit the history (the warm-up runs add the entry), so they differ in
# the decision and the places alone. Root may write anywhere: as root the
# three run as nobody, the floor included, in one hyperfine run.
echo "== where the files live: a portable copy, an installed one (read-only), vs the floor"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    command -v setpriv >/dev/null || { echo "setpriv is needed to run as nobody" >&2; exit 1; }
    as_user=(setpriv --reuid="$(id -u nobody)" --regid="$(id -g nobody)" --clear-groups --)
fi
PL="$T/places"
mkdir -p "$PL/portable" "$PL/installed/bin" "$PL/xdg/pivora" "$PL/home"
cp "$build/pivora" "$PL/portable/"
cp "$build/pivora" "$PL/installed/bin/"
printf '[DelphiReg]\r\n4=%s\r\n' "$IDE" | tee "$PL/portable/pivora.ini" > "$PL/xdg/pivora/pivora.ini"
chmod 755 "$T"
[ ${#as_user[@]} -eq 0 ] || { chown nobody "$PL" && chown -R nobody "$PL/portable" "$PL/home"; }
chmod -R a-w "$PL/installed"
(cd / && env -u XDG_CONFIG_HOME -u XDG_STATE_HOME HOME="$PL/home" XDG_CONFIG_DIRS="$PL/xdg" "${as_user[@]}" hyperfine -N -w 30 -r "$runs" \
    -n floor "$FLOOR" -n portable "$PL/portable/pivora $T/p/Project1.dpr" \
    -n installed "$PL/installed/bin/pivora $T/p/Project1.dpr" --export-json "$PL/places.json" >/dev/null)
ratio "$PL/places.json"
[ -s "$PL/portable/pivora.dat" ] || { echo "the portable copy kept no history beside itself" >&2; exit 1; }
[ -s "$PL/home/.local/state/pivora/pivora.dat" ] || { echo "the installed copy kept no history in HOME" >&2; exit 1; }
python3 - "$PL/places.json" <<'PY'
import json, sys
r = {x["command"]: x["mean"] for x in json.load(open(sys.argv[1]))["results"]}
print(f"  installed / portable: x{r['installed'] / r['portable']:.2f}")
PY
fi
