#!/usr/bin/env bash
# Builds the launcher, registers the stand-in IDE for version 4 in a launcher
# of its own, and opens the example project with it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build" --target pivora pivora_fltk >/dev/null
dir=$(mktemp -d)
cp "$root/build/pivora" "$root/build/pivora-fltk.so" "$dir/"
printf '[DelphiReg]\r\n4=%s\r\n' "$root/examples/stand-in-ide.sh" > "$dir/pivora.ini"
log="$dir/ide.log"
# The IDE starts detached in the launcher's own directory; its output goes to a log.
"$dir/pivora" "$root/examples/Project1/Project1.dpr" > "$log" 2>&1
for _ in $(seq 1 50); do [ -s "$log" ] && break; sleep 0.1; done
cat "$log"
echo "history: $(cat "$dir/pivora.dat")"
