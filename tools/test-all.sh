#!/usr/bin/env bash
# Installs what is missing, builds the launcher and its tests, and runs them
# all: the release build, then an AddressSanitizer + UndefinedBehaviorSanitizer
# build of the unit and flow tests, then the Windows build and its tests under
# Wine (tools/install-windows-deps.sh, tools/test-windows.sh; PIVORA_SKIP_WINDOWS=1
# leaves them out on a machine that cannot install Wine).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/install-deps.sh

cmake --preset default -G Ninja >/dev/null
cmake --build --preset default
ctest --preset default -j2

cmake --preset sanitize -G Ninja >/dev/null
cmake --build --preset sanitize
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset sanitize -j2 -E '^e2e\.'

if [ "${PIVORA_SKIP_WINDOWS:-0}" != 1 ]; then
    bash tools/install-windows-deps.sh
    bash tools/test-windows.sh
fi
