#!/usr/bin/env bash
# Checks the form of the Windows launcher without running it: the header
# format the build was meant to give (PE32 for the 32-bit product, PE32+ for
# the 64-bit test build), the GUI subsystem (no console window opens with it),
# and imports from the system's own DLLs only, so it runs on a bare Windows.
#
#   pe_form.sh OBJDUMP PIVORA.EXE PE32|PE32+
set -u
objdump=${1:?usage: pe_form.sh OBJDUMP PIVORA.EXE PE32|PE32+} exe=${2:?} format=${3:?}
headers=$("$objdump" -p "$exe") || { echo "$objdump cannot read $exe"; exit 1; }
fail=0
magic=$(sed -n 's/^Magic[[:space:]].*(\(.*\))$/\1/p' <<<"$headers")
[ "$magic" = "$format" ] || { echo "$exe is ${magic:-of no known format}, not $format"; fail=1; }
grep -q '^Subsystem[[:space:]].*(Windows GUI)' <<<"$headers" || { echo "$exe is not a GUI program"; fail=1; }
dlls=$(sed -n 's/.*DLL Name: //p' <<<"$headers" | tr '[:upper:]' '[:lower:]' | sort -u | tr '\n' ' ')
[ -n "$dlls" ] || { echo "$exe imports nothing: the import table was not read"; fail=1; }
for dll in $dlls; do
    case "$dll" in
        kernel32.dll | user32.dll | gdi32.dll | msvcrt.dll | version.dll) ;;
        *) echo "$exe imports $dll, beyond the system DLLs it is meant to need"; fail=1 ;;
    esac
done
[ "$fail" = 0 ] && echo "$exe: $magic, Windows GUI, imports $dlls"
exit "$fail"
