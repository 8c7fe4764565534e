#!/usr/bin/env bash
# Makes the README's pictures under docs/: the main window with a few registrations in the
# details view (main-window.png), the entry editor with a customised environment
# (entry-editor.png) and the settings dialog (settings.png). Each is the window alone, as
# it shows under wine with the Japanese fonts, stored with a palette of at most 256 colours.
# Builds what it needs first; runs on a private Xvfb display in a wine prefix of its own,
# with a stick E: laid out in build/pictures-wine/stick. The program is the 32-bit one
# where the host runs 32-bit programs, else the 64-bit build, which looks the same
# (tools/windows-arch; VERROW_WINDOWS_ARCH chooses).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
./tools/setup-debian.sh >/dev/null
arch=$(./tools/windows-arch)
build=build/$arch
cmake --preset "$arch" >/dev/null
cmake --build --preset "$arch" --target Verrow verrow_readme_pictures >/dev/null

# A prefix is either 32-bit or 64-bit: one for each kind of build.
session="$root/build/pictures-wine"
[ "$arch" = win32 ] || session="$root/build/pictures-wine-$arch"
mkdir -p "$session"
cp "$build/wine-arch" "$session/wine-arch"
./tools/wine-run "$session" --start
eval "$(./tools/wine-run "$session" --env)"
trap '"$root/tools/wine-run" "$session" --stop' EXIT

# Wine's own fonts for the title bars (the caption font and the glyphs of the caption
# buttons), in this prefix only: from the installed fonts-wine, else from its package.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
if [ ! -f "$fonts/marlett.ttf" ]; then
    from=/usr/share/wine/fonts
    if [ ! -f "$from/marlett.ttf" ]; then
        rm -rf "$session/fonts-wine" && mkdir -p "$session/fonts-wine"
        if ! (cd "$session/fonts-wine" && apt-get download -q fonts-wine >/dev/null 2>&1 &&
              dpkg-deb -x fonts-wine_*.deb .); then
            echo "screenshots: wine's title-bar fonts are missing; install fonts-wine (apt-get install fonts-wine)" >&2
            exit 1
        fi
        from="$session/fonts-wine/usr/share/wine/fonts"
    fi
    cp "$from/marlett.ttf" "$from/tahoma.ttf" "$from/tahomabd.ttf" "$fonts/"
    wineserver -k || true  # fonts are found when wine starts
fi

# The stick: Verrow in E:\tools, its settings (no Explorer at start, the details view) and
# five registrations, one of them with its own environment. The programs themselves are
# not needed for the pictures; the start-up one is missing, so nothing starts.
stick="$session/stick"
rm -rf "$stick"
mkdir -p "$stick/tools/VERROW_CNF" "$stick/documents"
cp "$build/Verrow.exe" "$stick/tools/Verrow.exe"
printf '[Verrow]\r\nStartOpen=0\r\nListStyle=2\r\n' >"$stick/tools/verrow.ini"
entry() {  # file name, name, path, start-up, then variables as NAME=VALUE
    local file=$1 name=$2 path=$3 startup=$4
    shift 4
    {
        printf '%s\r\n' '[MoxEnvExec]' "AppName=$name" "AppPath=$path" 'CmdOpt=' 'CurrentDir=' \
            "UseCustomEnv=$([ $# -gt 0 ] && echo 1 || echo 0)" 'OverWriteEnv=1' "StartUp=$startup"
        if [ $# -gt 0 ]; then
            printf '[MoxEnvExec_Env]\r\n'
            local i=0
            for pair in "$@"; do
                printf 'ENV%04d_Key=%s\r\nENV%04d_Val=%s\r\n' $i "${pair%%=*}" $i "${pair#*=}"
                i=$((i + 1))
            done
        fi
    } | iconv -f UTF-8 -t CP932 >"$stick/tools/VERROW_CNF/$file"
}
entry VER1.vrc 'テキストエディタ' '\apps\editor\editor.exe' 0
entry VER2.vrc 'Python 3.12' '\apps\python\python.exe' 0 \
    '_VERROW_DRV_=E:' \
    'PATH=%_VERROW_DRV_%\apps\python;%_VERROW_DRV_%\apps\python\Scripts;%SystemRoot%\system32;%SystemRoot%' \
    'PYTHONHOME=%_VERROW_DRV_%\apps\python' \
    'PYTHONUSERBASE=%_VERROW_DRV_%\home\python'
entry VER3.vrc '画像ビューア' '\apps\viewer\viewer.exe' 0
entry VER4.vrc 'メモ帳 (起動時)' '\apps\memo\memo.exe' 1
entry VER5.vrc 'ドキュメント' '\documents' 0
ln -sfn "$stick" "$WINEPREFIX/dosdevices/e:"

shots="$root/$build/screenshots"
rm -f "$shots"/readme_*.png
"$VERROW_WINE" "$build/tests/gui/verrow_readme_pictures.exe"

mkdir -p docs
for pair in readme_main_window:main-window readme_entry_editor:entry-editor readme_settings:settings; do
    from="$shots/${pair%%:*}.png" to="docs/${pair#*:}.png"
    # A window has few colours: a palette keeps every one of them where it can.
    convert "$from" -strip -dither None -colors 256 -define png:compression-level=9 "PNG8:$to"
    echo "screenshots: $to ($(identify -format '%wx%h' "$to"), $(stat -c %s "$to") bytes)"
done
