#!/usr/bin/env bash
# Builds Tovel.exe and starts it under Wine, by default in window mode (/w).
#   bash scripts/run.sh [ARGUMENTS FOR Tovel.exe]
# Installs what is missing first. Tovel runs on a Wine virtual desktop with the
# taskbar shown, as on Windows: windows get their frames and /t its icon in
# the notification area. The desktop is 1024x768 unless TOVEL_DESKTOP_SIZE
# (WIDTHxHEIGHT) says otherwise; on a real DISPLAY it is one window, without
# one it lives on a private Xvfb. TOVEL_SCREENSHOT=FILE saves a picture of the
# whole desktop (PNG) once Tovel shows its window or its icon.
# The Wine prefix lives in build/wine-prefix (never ~/.wine) and is kept
# between runs; TOVEL_BUILD_DIR and TOVEL_WINE_PREFIX choose other folders.
# The script ends when Tovel ends or the desktop is closed (or on Ctrl+C),
# stops the wine server and the Xvfb that it started, and exits with Tovel's
# exit code.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"

desktop_name=Tovel
desktop_size=${TOVEL_DESKTOP_SIZE:-1024x768}
if [[ ! "$desktop_size" =~ ^[1-9][0-9]*x[1-9][0-9]*$ ]]; then
    echo "run.sh: TOVEL_DESKTOP_SIZE must be WIDTHxHEIGHT, e.g. 1280x800" >&2
    exit 2
fi
screenshot=${TOVEL_SCREENSHOT:-}
if [[ -n "$screenshot" ]]; then
    screenshot=$(realpath -m -- "$screenshot")
fi

bash scripts/install-deps.sh

jobs=${TOVEL_JOBS:-2}
build_dir=${TOVEL_BUILD_DIR:-build/mingw}
targets=(Tovel)
# The window list of the session comes from a small helper inside the prefix:
# on a virtual desktop, Wine draws every window into the desktop's one X window.
[[ -n "$screenshot" ]] && targets+=(window_probe)
cmake --preset mingw -B "$build_dir" >/dev/null
cmake --build "$build_dir" -j"$jobs" --target "${targets[@]}"
exe=$(realpath "$build_dir/Tovel.exe")

export WINEPREFIX=$(realpath -m -- "${TOVEL_WINE_PREFIX:-$repo/build/wine-prefix}")
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
unset WAYLAND_DISPLAY
if locale -a 2>/dev/null | grep -qiE '^ja_JP\.utf-?8$'; then
    # Japanese ANSI code page 932 for the program, as on a Japanese Windows.
    export LC_ALL=ja_JP.UTF-8
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/tovel-run.XXXXXX")
xvfb_pid="" server_pid="" tovel_pid="" shooter_pid=""

alive() { [[ -n "$1" ]] && kill -0 "$1" 2>/dev/null; }

# Polls until the process has ended (bash reaps its own children as they
# end); false when it is still there after the given seconds.
ended_within() {
    local pid=$1 tenths=$(($2 * 10))
    while alive "$pid" && ((tenths-- > 0)); do sleep 0.1; done
    ! alive "$pid"
}

cleanup() {
    trap - EXIT INT TERM
    if alive "$shooter_pid"; then
        # Let the screenshot's window-list helper finish first: a Wine program
        # started while the server goes down would start a server of its own.
        touch "$work/stop"
        ended_within "$shooter_pid" 30 || kill "$shooter_pid" 2>/dev/null || true
    fi
    if alive "$server_pid"; then
        # Ends every process of this prefix's server (the desktop, Tovel if
        # it still runs, Wine's services) and then the server itself.
        stop_server
        echo "run.sh: stopped the wine server (pid $server_pid)"
    fi
    if alive "$xvfb_pid"; then
        kill "$xvfb_pid" 2>/dev/null || true
        ended_within "$xvfb_pid" 10 || kill -KILL "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
        echo "run.sh: stopped Xvfb (pid $xvfb_pid)"
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'echo "run.sh: interrupted"; exit 130' INT
trap 'exit 143' TERM

if [[ -z "${DISPLAY:-}" ]]; then
    # Xvfb picks a free display number itself and writes it to fd 3.
    Xvfb -displayfd 3 -screen 0 "${desktop_size}x24" -nolisten tcp \
        3>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    until [[ -s "$work/display" ]]; do
        if ! alive "$xvfb_pid"; then
            echo "run.sh: Xvfb did not start: $(tail -3 "$work/xvfb.log")" >&2
            exit 1
        fi
        sleep 0.1
    done
    export DISPLAY=":$(tr -dc '0-9' <"$work/display")"
    echo "run.sh: started Xvfb (pid $xvfb_pid) on the private display $DISPLAY"
fi

# A wine server of our own, so that the end of the run can stop exactly it.
start_server() {
    : >"$work/wineserver.log"
    wineserver -f -p >"$work/wineserver.log" 2>&1 &
    server_pid=$!
    # It is ready once its socket is there, in the folder it works in. A second
    # server for the same prefix ends at once, beside the first one's older socket.
    for _ in $(seq 300); do
        alive "$server_pid" || break
        [[ "/proc/$server_pid/cwd/socket" -nt "$work/wineserver.log" ]] && break
        sleep 0.1
    done
    if ! alive "$server_pid"; then
        server_pid=""
        echo "run.sh: a wine server already runs for $WINEPREFIX (another run.sh?)." >&2
        echo "  End that first, or stop it with: WINEPREFIX=$WINEPREFIX wineserver -k" >&2
        exit 1
    fi
}
stop_server() {
    wineserver -k 2>/dev/null || true
    ended_within "$server_pid" 15 || kill -KILL "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
}

# (The server writes system.reg itself, so a new prefix is told apart first.)
new_prefix=""
[[ -f "$WINEPREFIX/system.reg" ]] || new_prefix=1
mkdir -p "$WINEPREFIX"
start_server
echo "run.sh: started the wine server (pid $server_pid) for $WINEPREFIX"

# Every program of the prefix runs on the desktop named Tovel, which shows the
# taskbar with its notification area (Wine does so unasked only for "shell").
# The settings are written when they change, and the server is started afresh
# after that: a program run before the desktop's explorer makes a desktop of
# that name itself, which closes again under Tovel when that program ends.
if [[ -n "$new_prefix" ]] || ! grep -qF '"EnableShell"=dword:00000001' "$WINEPREFIX/user.reg" ||
   ! grep -qF "\"$desktop_name\"=\"$desktop_size\"" "$WINEPREFIX/user.reg"; then
    if [[ -n "$new_prefix" ]]; then
        echo "run.sh: making the Wine prefix $WINEPREFIX"
        WINEDLLOVERRIDES="mscoree,mshtml=" wine wineboot -i >/dev/null 2>&1 </dev/null
    fi
    {
        printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
        for font in "MS Shell Dlg" "MS Shell Dlg 2" "MS UI Gothic" "Tahoma" "Meiryo UI" \
                    "Yu Gothic UI" "MS Gothic"; do
            printf '"%s"="Noto Sans CJK JP"\r\n' "$font"
        done
        printf '\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"LogPixels"=dword:00000060\r\n'
        # Windows 10, the program's main system, where it offers the wheel routing.
        printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine]\r\n"Version"="win10"\r\n'
        printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n'
        printf '"Desktop"="%s"\r\n' "$desktop_name"
        printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n'
        printf '"%s"="%s"\r\n' "$desktop_name" "$desktop_size"
        printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops\\%s]\r\n' "$desktop_name"
        printf '"EnableShell"=dword:00000001\r\n'
    } >"$work/prefix.reg"
    wine reg import "$work/prefix.reg" >/dev/null 2>&1 </dev/null
    stop_server
    start_server
    echo "run.sh: restarted the wine server (pid $server_pid)"
fi

# Wine has no Marlett of its own, and without it the caption buttons show
# letters; Debian's fonts-wine ships it.
marlett=/usr/share/wine/fonts/marlett.ttf
fonts_dir="$WINEPREFIX/drive_c/windows/Fonts"
if [[ -f "$marlett" && ! -f "$fonts_dir/marlett.ttf" ]]; then
    mkdir -p "$fonts_dir"
    cp "$marlett" "$fonts_dir/"
fi

# The desktop's explorer owns the taskbar; its systray trace tells when an
# icon is shown.
WINEDEBUG=-all,trace+systray wine explorer "/desktop=$desktop_name,$desktop_size" \
    </dev/null >/dev/null 2>"$work/desktop.log" &
desktop_window=""
# Its X window is titled "Tovel - Wine desktop" (in the locale's words) and
# belongs to explorer.exe; on a real display other windows may share the title.
find_desktop_window() {
    local wid
    for wid in $(xdotool search --name "^$desktop_name - " 2>/dev/null); do
        if xprop -id "$wid" WM_CLASS 2>/dev/null | grep -q '"explorer\.exe"'; then
            echo "$wid"
            return
        fi
    done
}
for _ in $(seq 600); do
    desktop_window=$(find_desktop_window)
    [[ -n "$desktop_window" ]] && break
    sleep 0.2
done
if [[ -z "$desktop_window" ]]; then
    echo "run.sh: the Wine desktop did not appear" >&2
    exit 1
fi
if [[ -n "$xvfb_pid" ]]; then
    echo "run.sh: Tovel runs on the virtual display $DISPLAY. To look at it:"
    echo "  DISPLAY=$DISPLAY import -window root tovel.png    (a screenshot)"
    echo "  x11vnc -display $DISPLAY and a VNC viewer          (live, if x11vnc is installed)"
fi

probe_exe=""
# Visible top-level windows with an area, one handle a line.
shown_windows() {
    wine "$probe_exe" list </dev/null 2>/dev/null |
        awk -F'\t' '$4 == 1 { split($6, r, ","); if (r[3] > r[1] && r[4] > r[2]) print $1 }'
}

# Saves the desktop once Tovel shows a window or its icon and the picture has
# settled (two grabs in a row alike).
take_screenshot() {
    local out=$1 grab=$work/grab.png last=$work/last.png
    while true; do
        alive "$tovel_pid" && [[ ! -e "$work/stop" ]] || return 0
        grep -q 'trace:systray:show_icon' "$work/desktop.log" && break
        [[ -n "$(comm -13 <(sort <<<"$windows_before") <(shown_windows | sort))" ]] && break
        sleep 0.2
    done
    import -window "$desktop_window" -strip -define png:exclude-chunks=date,time "$last"
    for _ in $(seq 50); do
        sleep 0.2
        import -window "$desktop_window" -strip -define png:exclude-chunks=date,time "$grab"
        cmp -s "$grab" "$last" && break
        mv "$grab" "$last"
    done
    mkdir -p "$(dirname "$out")"
    cp "$last" "$out.tmp$$" && mv "$out.tmp$$" "$out"
    echo "run.sh: saved a screenshot of the desktop in $out"
}

if (($# == 0)); then
    set -- /w
fi
windows_before=""
if [[ -n "$screenshot" ]]; then
    probe_exe=$(find "$(realpath "$build_dir")" -name window_probe.exe -print -quit)
    # The session's own windows (the taskbar), before Tovel can add any.
    windows_before=$(shown_windows)
fi
wine "$exe" "$@" </dev/null &
tovel_pid=$!
if [[ -n "$screenshot" ]]; then
    take_screenshot "$screenshot" &
    shooter_pid=$!
fi

# Whether the desktop is still there. The explorer started above may hand the
# desktop to one that Wine started for it, whose X window replaces the first
# one; on a busy machine the new one can take a while to appear, so a window
# that went is looked for again for a few seconds before the desktop counts as
# closed.
desktop_shown() {
    xwininfo -id "$desktop_window" >/dev/null 2>&1 && return 0
    local wid
    for _ in $(seq 40); do
        wid=$(find_desktop_window)
        if [[ -n "$wid" ]]; then
            desktop_window=$wid
            return 0
        fi
        alive "$tovel_pid" || return 1
        sleep 0.25
    done
    return 1
}

# Until Tovel ends or the desktop is closed.
while alive "$tovel_pid" && desktop_shown; do
    sleep 0.5
done
status=0
if alive "$tovel_pid"; then
    # The desktop closed: the session ends, and Tovel with it.
    echo "run.sh: the Wine desktop was closed"
    if ! ended_within "$tovel_pid" 20; then
        echo "run.sh: Tovel did not end with the desktop; stopping it" >&2
        stop_server
    fi
fi
wait "$tovel_pid" || status=$?
tovel_pid=""
echo "run.sh: Tovel ended with exit code $status"
exit "$status"
