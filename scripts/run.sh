#!/usr/bin/env bash
# Builds Tovel.exe and starts it under Wine, by default in window mode (/w).
#   bash scripts/run.sh [ARGUMENTS FOR Tovel.exe]
# Installs what is missing first. The Wine prefix lives in build/wine-prefix
# (never ~/.wine) and is kept between runs. TOVEL_BUILD_DIR and
# TOVEL_WINE_PREFIX choose other folders. Without a DISPLAY, a private Xvfb
# is started and stopped again when Tovel ends.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"

bash scripts/install-deps.sh

jobs=${TOVEL_JOBS:-2}
build_dir=${TOVEL_BUILD_DIR:-build/mingw}
cmake --preset mingw -B "$build_dir" >/dev/null
cmake --build "$build_dir" -j"$jobs" --target Tovel

export WINEPREFIX=${TOVEL_WINE_PREFIX:-$repo/build/wine-prefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
if locale -a 2>/dev/null | grep -qiE '^ja_JP\.utf-?8$'; then
    # Japanese ANSI code page 932 for the program, as on a Japanese Windows.
    export LC_ALL=ja_JP.UTF-8
fi

xvfb_pid=""
cleanup() {
    if [[ -n "$xvfb_pid" ]]; then
        wineserver -k 2>/dev/null || true
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
}
trap cleanup EXIT

if [[ -z "${DISPLAY:-}" ]]; then
    # Xvfb picks a free display number itself and writes it to fd 3.
    number_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 300); do
        [[ -s "$number_file" ]] && break
        sleep 0.1
    done
    number=$(tr -dc '0-9' <"$number_file")
    rm -f "$number_file"
    if [[ -z "$number" ]]; then
        echo "run.sh: Xvfb did not start" >&2
        exit 1
    fi
    export DISPLAY=":$number"
    echo "run.sh: Tovel runs on the virtual display $DISPLAY. To look at it:"
    echo "  DISPLAY=$DISPLAY import -window root tovel.png    (a screenshot)"
    echo "  x11vnc -display $DISPLAY and a VNC viewer          (live, if x11vnc is installed)"
fi

if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    echo "run.sh: making the Wine prefix $WINEPREFIX"
    WINEDLLOVERRIDES="mscoree,mshtml=" wine wineboot -i >/dev/null 2>&1
    reg_file="$WINEPREFIX/tovel-fonts.reg"
    {
        printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
        for font in "MS Shell Dlg" "MS Shell Dlg 2" "MS UI Gothic" "Tahoma" "Meiryo UI" \
                    "Yu Gothic UI" "MS Gothic"; do
            printf '"%s"="Noto Sans CJK JP"\r\n' "$font"
        done
        printf '\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"LogPixels"=dword:00000060\r\n'
    } >"$reg_file"
    wine reg import "$reg_file" >/dev/null 2>&1
fi

if (($# == 0)); then
    set -- /w
fi
status=0
wine "$build_dir/Tovel.exe" "$@" || status=$?
echo "run.sh: Tovel ended with exit code $status"
exit "$status"
