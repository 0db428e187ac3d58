#!/usr/bin/env bash
# Installs what building and testing Tovel needs on a Debian machine.
# Quiet and quick when everything is already there; asks apt only for what is missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ clang lld libclang-rt-14-dev
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    python3 osslsigncode openssl
    g++-mingw-w64-x86-64 mingw-w64-tools
    wine64 wine fonts-wine xvfb x11-utils xdotool imagemagick fonts-noto-cjk
    locales
)

missing=()
for pkg in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null || true)
    if [[ "$status" != "installed" ]]; then
        missing+=("$pkg")
    fi
done

as_root() {
    if [[ $(id -u) -eq 0 ]]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        echo "install-deps: need root to run: $*" >&2
        return 1
    fi
}

if ((${#missing[@]} > 0)); then
    echo "install-deps: installing ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
fi

# The Wine tests run with LC_ALL=ja_JP.UTF-8 so that programs see the Japanese
# ANSI code page 932; Debian ships the locale source but does not compile it.
if ! locale -a 2>/dev/null | grep -qiE '^ja_JP\.utf-?8$'; then
    echo "install-deps: generating the ja_JP.UTF-8 locale"
    as_root localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
