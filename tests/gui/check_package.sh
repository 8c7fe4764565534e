#!/usr/bin/env bash
# The release package as a user gets it: makes it as the package target does (CPack in
# the build folder) and checks what is in it.
#  - Its name carries the version of the version record in the packaged Verrow.exe.
#  - It holds Verrow.exe and Verrow.txt and nothing else, at the top of the archive.
#  - Verrow.exe is the stripped 32-bit program, marked to run from memory on a stick.
#  - Verrow.txt is code page 932 (it converts to UTF-8 and back unchanged, and it is not
#    UTF-8), has CR LF line ends only, and names the version.
#  - Verrow.exe, unpacked onto a stick of its own, starts, shows its window and ends when
#    it is closed, writing its settings next to itself. This part needs 32-bit programs;
#    on a host that runs none it is skipped (exit 77) after the other checks.
#   check_package.sh CMAKE CPACK BUILD_DIR OBJDUMP WINE_RUN
set -uo pipefail
cmake=$1 cpack=$2 build=$(cd "$3" && pwd) objdump=$4 wine_run=$5
strings=${objdump%objdump}strings
export LC_ALL=C
status=0
fail() { echo "FAIL: $*"; status=1; }

work="$build/package-check"
rm -rf "$work/unpacked" "$work/stick"
mkdir -p "$work/unpacked"

# --- Make it.
made=$(cd "$build" && "$cpack" --config CPackConfig.cmake 2>&1)
echo "$made" | tail -3
zip=$(sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' <<<"$made")
[ -n "$zip" ] && [ -f "$zip" ] || { echo "FAIL: CPack made no package"; exit 1; }
[ "$(dirname "$zip")" = "$build" ] || fail "the package is not in the build folder: $zip"

# --- What it holds.
listing=$(cd "$work/unpacked" && "$cmake" -E tar tf "$zip" | sort | tr '\n' ' ')
[ "$listing" = "Verrow.exe Verrow.txt " ] || fail "holds '$listing' instead of Verrow.exe and Verrow.txt"
(cd "$work/unpacked" && "$cmake" -E tar xf "$zip") || { echo "FAIL: cannot unpack $zip"; exit 1; }
exe="$work/unpacked/Verrow.exe" guide="$work/unpacked/Verrow.txt"
[ -f "$exe" ] && [ -f "$guide" ] || { echo "FAIL: Verrow.exe or Verrow.txt missing"; exit 1; }

# --- The program.
"$objdump" -f "$exe" | grep -q 'file format pei-i386' || fail "Verrow.exe is not a 32-bit (i386) program"
"$objdump" -t "$exe" | grep -q 'no symbols' || fail "Verrow.exe is not stripped"
flags=$("$objdump" -p "$exe" | sed -n 's/^Characteristics 0x//p')
(( (16#${flags:-0} & 0xc00) == 0xc00 )) || fail "Verrow.exe is not marked to run from memory on a stick (0x$flags)"
version=$("$strings" -el "$exe" | grep -A1 -x 'FileVersion' | sed -n 2p)
[[ "$version" =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "no file version in Verrow.exe ('$version')"
short=${version%.*}
[ "$(basename "$zip")" = "Verrow-$short.zip" ] || fail "named $(basename "$zip"), but Verrow.exe is version $version"

# --- The guide.
if ! utf8=$(iconv -f CP932 -t UTF-8 "$guide"); then
    fail "Verrow.txt is not code page 932"
elif ! cmp -s "$guide" <(iconv -f CP932 -t UTF-8 "$guide" | iconv -f UTF-8 -t CP932); then
    fail "Verrow.txt changes when converted to UTF-8 and back"
fi
iconv -f UTF-8 -t UTF-8 "$guide" >/dev/null 2>&1 && fail "Verrow.txt reads as UTF-8 (or plain ASCII): not converted"
lf=$(tr -cd '\n' <"$guide" | wc -c)
crlf=$(grep -c $'\r$' "$guide")
cr=$(tr -cd '\r' <"$guide" | wc -c)
[ "$lf" -gt 20 ] || fail "Verrow.txt has only $lf lines"
[ "$crlf" -eq "$lf" ] || fail "Verrow.txt: $((lf - crlf)) of $lf line ends are a lone LF"
[ "$cr" -eq "$crlf" ] || fail "Verrow.txt: $((cr - crlf)) lone CR"
[ "$(tail -c 2 "$guide" | od -An -tx1 | tr -d ' \n')" = "0d0a" ] || fail "Verrow.txt does not end with CR LF"
head -5 "$guide" | grep -q "Verrow $short" || fail "Verrow.txt does not name version $short at its top"
grep -q '@[A-Z_]*@' <<<"$utf8" && fail "Verrow.txt has an unreplaced @...@"

# --- It runs.
if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    echo "Contents checked; the start is skipped: this host runs no 32-bit programs."
    [ $status -eq 0 ] && exit 77
    exit $status
fi
# Its own wine session (prefix, display), so it shares no window or drive with other tests.
session="$work/wine"
mkdir -p "$session"
"$wine_run" "$session" --start >/dev/null || { echo "FAIL: no wine session"; exit 1; }
trap '"$wine_run" "$session" --stop' EXIT
eval "$("$wine_run" "$session" --env)"
stick="$work/stick"
mkdir -p "$stick/tools"
cp "$exe" "$stick/tools/Verrow.exe"
# A settings file with a key of another program's: the end of the run leaves the two of its own.
printf '[Verrow]\r\nStartOpen=0\r\nListStyle=2\r\nOther=1\r\n' >"$stick/tools/verrow.ini"
ln -sfn "$stick" "$WINEPREFIX/dosdevices/s:"
(cd "$stick/tools" && exec wine Verrow.exe) &
pid=$!
window=
for _ in $(seq 300); do
    window=$(xdotool search --onlyvisible --name '^Verrow$' 2>/dev/null | head -1)
    [ -n "$window" ] && break
    kill -0 $pid 2>/dev/null || break
    sleep 0.2
done
if [ -z "$window" ]; then
    fail "Verrow.exe showed no window"
else
    sleep 0.5
    wine taskkill /im Verrow.exe >/dev/null 2>&1  # WM_CLOSE, as the close box sends
fi
for _ in $(seq 150); do kill -0 $pid 2>/dev/null || break; sleep 0.2; done
if kill -0 $pid 2>/dev/null; then
    fail "Verrow.exe did not end when closed"
    kill $pid 2>/dev/null
fi
wait $pid
code=$?
[ $code -eq 0 ] || fail "Verrow.exe ended with $code"
[ -d "$stick/tools/VERROW_CNF" ] || fail "no VERROW_CNF made next to Verrow.exe"
[ "$(cat "$stick/tools/verrow.ini")" = $'[Verrow]\r\nStartOpen=0\r\nListStyle=2\r' ] ||
    fail "verrow.ini not written at the end of the run: $(od -c "$stick/tools/verrow.ini" | head -3)"
rm -f "$WINEPREFIX/dosdevices/s:"
[ $status -eq 0 ] && echo "Package $(basename "$zip"): Verrow.exe $version, Verrow.txt $lf lines; starts and ends."
exit $status
