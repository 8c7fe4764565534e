#!/usr/bin/env bash
# Verrow.exe is one stripped 32-bit Windows program that imports system DLLs only and
# stays within its size budget.
#   check_exe.sh OBJDUMP Verrow.exe MAX_BYTES
set -uo pipefail
objdump=$1 exe=$2 max=$3
status=0
fail() { echo "FAIL: $*"; status=1; }

LC_ALL=C "$objdump" -f "$exe" | grep -q 'file format pei-i386' || fail "not a 32-bit (i386) PE executable"

allowed=' kernel32.dll user32.dll gdi32.dll comctl32.dll shell32.dll comdlg32.dll ole32.dll advapi32.dll msvcrt.dll shlwapi.dll '
dlls=$(LC_ALL=C "$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$dlls" ] || fail "no imports found"
for dll in $dlls; do
    case "$allowed" in
        *" $dll "*) ;;
        *) fail "imports $dll, which is not a system DLL" ;;
    esac
done

# Stripped: no symbol table and no debugging sections.
LC_ALL=C "$objdump" -h "$exe" | grep -q '\.debug' && fail "has debugging sections"
LC_ALL=C "$objdump" -t "$exe" | grep -q 'no symbols' || fail "has a symbol table"

size=$(stat -c %s "$exe")
[ "$size" -le "$max" ] || fail "is $size bytes, more than $max"

echo "Verrow.exe: $size bytes; imports: $(echo $dlls)"
exit $status
