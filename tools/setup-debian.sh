#!/usr/bin/env bash
# Installs what the builds and tests need on a fresh Debian 12 machine (run as root).
# Safe to run again: it only installs what is missing.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

pkgs=(cmake g++ make googletest libgtest-dev clang libclang-rt-14-dev
      g++-mingw-w64-i686-posix mingw-w64-tools binutils-mingw-w64-i686
      g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
      wine wine32:i386 wine64 xvfb x11-apps imagemagick xdotool locales fonts-ipafont
      fonts-liberation python3 g++-multilib qemu-user-static)
for p in "${pkgs[@]}"; do have "$p" || need+=("$p"); done

if [ ${#need[@]} -gt 0 ]; then
    echo "setup: installing ${need[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    export DEBIAN_FRONTEND=noninteractive
    # A machine just booted may still be running its own apt job. The install waits for
    # the package lock; the lists' lock is not waited for, so the update is tried again.
    for try in $(seq 60); do
        apt-get update -q && break
        [ "$try" -lt 60 ] || exit 1
        echo "setup: apt-get update failed; trying again in 10 s"
        sleep 10
    done
    apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends "${need[@]}"
fi

# wine needs the generated Japanese locale to run with code page 932.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    sed -i 's/^# *ja_JP.UTF-8/ja_JP.UTF-8/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen
fi
echo "setup: done"
