#!/usr/bin/env bash
# The Windows build and its tests on a Debian machine: installs the cross
# compiler, Wine, Xvfb and xdotool, builds the 32-bit launcher (the product,
# preset "windows", build-win/), and runs the Windows test suites, the
# end-to-end scripts and the profile differential report under Wine.
#
# Wine runs 32-bit programs only where the kernel runs 32-bit code. Where it
# does not (ia32 emulation off), the same sources are built for 64-bit Windows
# too (build-win64/) and every suite runs there under wine64; then the 32-bit
# executable, checked for its form (PE32, GUI subsystem, system DLLs only),
# runs its test program and two end-to-end scripts with 32-bit code emulated
# by qemu-i386, where the machine lets us register it with binfmt_misc.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
export DEBIAN_FRONTEND=noninteractive

packages=(cmake ninja-build g++-mingw-w64-i686 g++-mingw-w64-x86-64 googletest wine wine32:i386 wine64
          xvfb xdotool x11-utils imagemagick locales perl)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# Wine takes its code page from the locale: 932 needs ja_JP.UTF-8.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    $SUDO localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi

cmake --preset windows -G Ninja >/dev/null
cmake --build build-win -j"$(nproc)"

objdump=i686-w64-mingw32-objdump
headers=$($objdump -p build-win/Pivora.exe)
grep -q 'PE32$\|(PE32)' <<<"$headers" || { echo "build-win/Pivora.exe is not a 32-bit executable" >&2; exit 1; }
grep -q 'Subsystem.*Windows GUI' <<<"$headers" || { echo "Pivora.exe is not a GUI program" >&2; exit 1; }
dlls=$(sed -n 's/.*DLL Name: //p' <<<"$headers" | tr '[:upper:]' '[:lower:]' | sort | tr '\n' ' ')
echo "Pivora.exe imports: $dlls"
for dll in $dlls; do
    case "$dll" in kernel32.dll|user32.dll|gdi32.dll|msvcrt.dll|version.dll) ;; *) echo "unexpected import $dll" >&2; exit 1 ;; esac
done

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
    command -v qemu-i386 >/dev/null ||
        { $SUDO apt-get update -qq && $SUDO apt-get install -y -qq --no-install-recommends qemu-user >/dev/null; } ||
        return 1
    printf '%s' ':pivora-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$(command -v qemu-i386)"':F' |
        $SUDO tee "$BINFMT/register" >/dev/null 2>&1 || return 1
    /usr/lib/wine/wine --version >/dev/null 2>&1
}

if /usr/lib/wine/wine --version >/dev/null 2>&1 && ! emulated_i386; then
    test_build=build-win
else
    echo "This kernel runs no 32-bit code: the suites run on a 64-bit build under wine64."
    test_build=build-win64
    cmake -S . -B build-win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build build-win64 -j"$(nproc)"
fi

# The unit and flow suites, then the same in code page 932, then end to end.
ctest --test-dir "$test_build" -j2 -E '^e2e\.' --output-on-failure
LC_ALL=ja_JP.UTF-8 ctest --test-dir "$test_build" -j2 -E '^e2e\.' --output-on-failure
ctest --test-dir "$test_build" -R '^e2e\.' --output-on-failure

if [ "$test_build" = build-win64 ]; then
    if start_emulating_i386; then
        echo "== the 32-bit Pivora.exe and its suites, with 32-bit code emulated by qemu-i386"
        run32() { bash tests/win32/wine-run.sh build-win/tests/pivora_tests.exe --gtest_brief=1; }
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
