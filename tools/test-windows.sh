#!/usr/bin/env bash
# Builds the Windows launcher and runs its suites under Wine (what it needs:
# tools/install-windows-deps.sh). The product is the 32-bit launcher, preset
# "windows" (build-win/); its form (PE32, GUI subsystem, system DLLs only) is
# checked by ctest's win32.pe_form without running it.
#
# Wine runs 32-bit programs only where the kernel runs 32-bit code. Where it
# does not (ia32 emulation off), the same sources are built for 64-bit Windows
# too (preset "windows64", build-win64/) and every suite runs there under
# wine64; then the 32-bit test program and two end-to-end scripts run with
# 32-bit code emulated by qemu-i386, where the machine lets us register it
# with binfmt_misc.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo

cmake --preset windows -G Ninja >/dev/null
cmake --build --preset windows -j"$(nproc)"
# The exe's form needs no Wine. Asked of its own directory, ctest lists no
# test program, which it would have to run under Wine to do so.
ctest --test-dir build-win/tests/win32 -R '^win32\.pe_form$' --output-on-failure

# 32-bit code under emulation: qemu-i386 as the kernel's handler of i386 ELF
# files (binfmt_misc), which lets the 32-bit Wine loader run. Slow (each
# Windows program takes most of a minute to start), so only the whole test
# program and two short end-to-end scripts run that way.
BINFMT=/proc/sys/fs/binfmt_misc
HANDLER=$BINFMT/pivora-i386
emulated_i386() { grep -qs 'qemu-i386' "$BINFMT"/* 2>/dev/null; }
stop_emulating_i386() { [ -e "$HANDLER" ] && echo -1 | $SUDO tee "$HANDLER" >/dev/null; true; }
stop_emulating_i386  # one left by an earlier run
trap stop_emulating_i386 EXIT
start_emulating_i386() {
    emulated_i386 && return 0
    [ -e "$BINFMT/register" ] || $SUDO mount -t binfmt_misc binfmt_misc "$BINFMT" 2>/dev/null || return 1
    command -v qemu-i386 >/dev/null || return 1
    printf '%s' ':pivora-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$(command -v qemu-i386)"':F' |
        $SUDO tee "$BINFMT/register" >/dev/null 2>&1 || return 1
    /usr/lib/wine/wine --version >/dev/null 2>&1
}

if /usr/lib/wine/wine --version >/dev/null 2>&1 && ! emulated_i386; then
    test_preset=windows
else
    echo "This kernel runs no 32-bit code: the suites run on a 64-bit build under wine64."
    test_preset=windows64
    cmake --preset windows64 -G Ninja >/dev/null
    cmake --build --preset windows64 -j"$(nproc)"
fi

# The unit and flow suites, then the same in code page 932, then end to end.
ctest --preset "$test_preset" -j2 -E '^e2e\.'
LC_ALL=ja_JP.UTF-8 ctest --preset "$test_preset" -j2 -E '^e2e\.'
ctest --preset "$test_preset" -R '^e2e\.'
# The Linux launcher starting a Windows IDE through Wine needs the stand-in IDE
# that only a Windows build makes, so the Linux suite skipped it.
if [ -x build/pivora ]; then
    stand_in_build=build-win; [ "$test_preset" = windows ] || stand_in_build=build-win64
    PIVORA_STAND_IN=$root/$stand_in_build/tests/win32/stand_in_ide.exe \
        ctest --test-dir build -R '^e2e\.wine_ide$' --output-on-failure
fi

if [ "$test_preset" = windows64 ]; then
    if start_emulating_i386; then
        echo "== the 32-bit Pivora.exe and its suites, with 32-bit code emulated by qemu-i386"
        # The suites that start threads are left to wine64: the lock's (its
        # threads and the processes it kills while they hold the lock) and
        # those of the search for installed IDEs, which the registration
        # dialog starts on threads of its own. Threads crash the emulator
        # (qemu-i386 itself ends with a segmentation fault), not the tests.
        run32() { bash tests/win32/wine-run.sh build-win/tests/pivora_tests.exe --gtest_brief=1 \
            --gtest_filter='-Win32Lock*:IdeDiscovery*:DelphiReg*:RegistryIdeSearch*'; }
        run32
        LC_ALL=ja_JP.UTF-8 run32
        export BUILD_DIR=$root/build-win PIVORA_STAND_IN=$root/build-win64/tests/win32/stand_in_ide.exe
        # A script that cannot run here has said why and exits 77: skipped, as ctest counts it.
        e2e() { local rc=0; bash "$@" || rc=$?; [ "$rc" -eq 0 ] || [ "$rc" -eq 77 ]; }
        PIVORA_E2E_PATIENCE=10 PIVORA_E2E_FIRST_ONLY=1 e2e tests/e2e/wine_launch.sh
        PIVORA_E2E_PATIENCE=10 e2e tests/e2e/wine_about.sh
    else
        echo "32-bit code can be neither run nor emulated here: build-win/Pivora.exe was checked for its form only."
    fi
fi
