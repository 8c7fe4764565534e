#!/usr/bin/env bash
# Installs whatever is missing, builds Verrow.exe and starts it under wine on a demo drive:
# the folder demo/ (git-ignored) becomes drive U:, with Verrow at U:\tools\Verrow.exe, a
# small demo program, a data folder and three sample registrations (a program with its
# own environment, a folder, and a program that starts together with Verrow).
# With a display ($DISPLAY) the window is yours to use; without one it runs on a private
# Xvfb display, a screenshot is saved, and it is closed again.
# The program is the shipped 32-bit one where the host runs 32-bit programs, else the 64-bit
# build; VERROW_WINDOWS_ARCH=win32 or win64 chooses either (see tools/windows-arch).
# VERROW_BUILD_DIR chooses another build folder than build/win32 (build/win64).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
./tools/setup-debian.sh
arch=$(./tools/windows-arch)
build=${VERROW_BUILD_DIR:-build/$arch}
cmake --preset "$arch" -B "$build" >/dev/null
cmake --build "$build" -j2 --target Verrow verrow_demo_app

# The demo has a wine prefix of its own, so it never meets the tests' drive letters; one
# for each kind of build, as a prefix is either 32-bit or 64-bit.
session="$root/build/demo-wine"
[ "$arch" = win32 ] || session="$root/build/demo-wine-$arch"
mkdir -p "$session"
cp "$build/wine-arch" "$session/wine-arch"
./tools/wine-run "$session" --start
user_display=${DISPLAY:-}
eval "$(./tools/wine-run "$session" --env)"
trap '"$root/tools/wine-run" "$session" --stop' EXIT

# The drive. The program files are refreshed on every run; the registrations and the
# settings only when missing, so what you add in one run is there in the next.
drive="$root/demo"
mkdir -p "$drive/tools/demo" "$drive/data"
cp "$build/Verrow.exe" "$drive/tools/Verrow.exe"
cp "$build/tools/demo-app/verrow_demo_app.exe" "$drive/tools/demo/demo.exe"
[ -f "$drive/data/readme.txt" ] || printf 'Verrow demo drive: data folder.\r\n' >"$drive/data/readme.txt"
cp932() { iconv -f UTF-8 -t CP932; }
if [ ! -d "$drive/tools/VERROW_CNF" ]; then
    mkdir -p "$drive/tools/VERROW_CNF"
    printf '%s\r\n' '[MoxEnvExec]' 'AppName=デモプログラム' 'AppPath=\tools\demo\demo.exe' \
        'CmdOpt=demo.exe "こんにちは" --from-verrow' 'CurrentDir=\data' \
        'UseCustomEnv=1' 'OverWriteEnv=1' 'StartUp=0' \
        '[MoxEnvExec_Env]' 'ENV0000_Key=_VERROW_DRV_' 'ENV0000_Val=U:' \
        'ENV0001_Key=DEMO_DATA' 'ENV0001_Val=%_VERROW_DRV_%\data' \
        'ENV0002_Key=DEMO_HOME' 'ENV0002_Val=%_VERROW_DRV_%\tools\demo' | cp932 >"$drive/tools/VERROW_CNF/VER1.vrc"
    printf '%s\r\n' '[MoxEnvExec]' 'AppName=データフォルダ' 'AppPath=\data' 'CmdOpt=' 'CurrentDir=' \
        'UseCustomEnv=0' 'OverWriteEnv=0' 'StartUp=0' | cp932 >"$drive/tools/VERROW_CNF/VER2.vrc"
    printf '%s\r\n' '[MoxEnvExec]' 'AppName=起動時のデモ' 'AppPath=\tools\demo\demo.exe' \
        'CmdOpt=demo.exe --started-with-verrow' 'CurrentDir=' \
        'UseCustomEnv=0' 'OverWriteEnv=0' 'StartUp=1' | cp932 >"$drive/tools/VERROW_CNF/VER3.vrc"
fi
[ -f "$drive/tools/verrow.ini" ] || printf '[Verrow]\r\nStartOpen=0\r\nListStyle=2\r\n' >"$drive/tools/verrow.ini"
ln -sfn "$drive" "$WINEPREFIX/dosdevices/u:"

cd "$drive/tools"  # Verrow starts from U:\tools, as from a stick
if [ -n "$user_display" ]; then
    export DISPLAY=$user_display
    # A window manager runs here: let it manage the windows.
    "$VERROW_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d Y /f >/dev/null 2>&1
    echo "demo: starting U:\\tools\\Verrow.exe ($arch) on display $DISPLAY (drive U: is $drive); close its window to end."
    "$VERROW_WINE" Verrow.exe
    exit 0
fi

echo "demo: there is no display (\$DISPLAY is not set): starting Verrow ($arch) on a private Xvfb display ($DISPLAY)."
# No window manager on Xvfb: wine manages its windows itself.
"$VERROW_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
"$VERROW_WINE" Verrow.exe &
verrow=$!
shown=false
for _ in $(seq 100); do
    if xdotool search --name '^Verrow$' >/dev/null 2>&1; then
        shown=true
        break
    fi
    kill -0 "$verrow" 2>/dev/null || break
    sleep 0.2
done
if ! $shown; then
    kill "$verrow" 2>/dev/null || true
    wait "$verrow" 2>/dev/null || true
    echo "demo: FAILED: Verrow's window did not appear (it ended, or 20 s passed)" >&2
    exit 1
fi
sleep 2  # the start-up registration's window and the first free-space figures
shot="$root/build/demo-screenshot.png"
import -window root "$shot"
echo "demo: screenshot of the running program saved to $shot"
# Closed as a user would (WM_CLOSE), so it writes its settings and registrations back.
"$VERROW_WINE" taskkill /im demo.exe >/dev/null 2>&1 || true
"$VERROW_WINE" taskkill /im Verrow.exe >/dev/null 2>&1 || true
for _ in $(seq 50); do kill -0 "$verrow" 2>/dev/null || break; sleep 0.2; done
if kill -0 "$verrow" 2>/dev/null; then
    kill "$verrow"
    wait "$verrow" 2>/dev/null || true
    echo "demo: FAILED: Verrow did not end when its window was closed" >&2
    exit 1
fi
status=0
wait "$verrow" || status=$?
if [ "$status" -ne 0 ]; then
    echo "demo: FAILED: Verrow ended with exit code $status" >&2
    exit 1
fi
echo "demo: closed again. With a display (e.g. DISPLAY=:0 ./tools/demo.sh) you can use the window."
