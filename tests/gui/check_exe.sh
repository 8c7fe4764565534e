#!/usr/bin/env bash
# Verrow.exe is one stripped 32-bit Windows program that imports system DLLs only, runs
# from memory when started from a stick, stays within its size budget, and carries its
# version record and a manifest for x86. Only its files are read, nothing runs: the test
# command checks the shipped program this way also on hosts that cannot run it.
#   check_exe.sh OBJDUMP WINDRES Verrow.exe MAX_BYTES VERSION
set -uo pipefail
objdump=$1 windres=$2 exe=$3 max=$4 version=$5
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

# Run from memory when started from a stick or the network (both flags of the file header).
flags=$(LC_ALL=C "$objdump" -p "$exe" | sed -n 's/^Characteristics 0x//p')
(( (16#${flags:-0} & 0xc00) == 0xc00 )) || fail "is not marked to run from memory on a stick (characteristics 0x$flags)"

size=$(stat -c %s "$exe")
[ "$size" -le "$max" ] || fail "is $size bytes, more than $max"

# The resources, read back from the executable as a resource script.
rc=$(LC_ALL=C "$windres" -i "$exe" -O rc 2>&1) || fail "windres cannot read its resources: $rc"
numbers=${version//./, }
grep -qx " FILEVERSION $numbers" <<<"$rc" || fail "the version record's file version is not $version"
grep -qx " PRODUCTVERSION $numbers" <<<"$rc" || fail "the version record's product version is not $version"
for name in FileVersion ProductVersion; do
    grep -q "VALUE \"$name\", \"$version\"" <<<"$rc" || fail "the version record's $name text is not $version"
done
# The manifest's lines, as one text (the script doubles quotes and ends each line with \n).
manifest=$(sed -n '/^1 24 /,/^END/p' <<<"$rc" | sed -n 's/^ *"\(.*\)"$/\1/p' | sed 's/\\n$//; s/""/"/g' | tr '\n' ' ')
identities=$(grep -o '<assemblyIdentity [^>]*>' <<<"$manifest")
program=$(grep -v 'name="Microsoft.Windows.Common-Controls"' <<<"$identities")
controls=$(grep 'name="Microsoft.Windows.Common-Controls"' <<<"$identities")
[ -n "$program" ] || fail "has no manifest naming the program"
grep -q 'processorArchitecture="x86"' <<<"$program" || fail "its manifest does not name x86: $program"
grep -q 'version="6\.0\.0\.0"' <<<"$controls" || fail "its manifest asks for no version 6 of the common controls"
grep -q 'processorArchitecture="x86"' <<<"$controls" || fail "its manifest asks for common controls not for x86: $controls"

echo "Verrow.exe: $size bytes; version $version; imports: $(echo $dlls)"
exit $status
