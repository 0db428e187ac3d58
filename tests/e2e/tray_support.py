"""Notification-area testing on a Wine virtual desktop.

The desktop's explorer process owns the taskbar: it draws the icons, relays
the mouse to their owners and shows their tips. Its own trace (systray and
tooltips channels) is the shell's side of every request; the program's trace
(systray) is the caller's side. Programs of the session are driven with real X
input (xdotool) where Wine passes it on, and with two small helper programs
inside the prefix where it does not: send_keys.exe (SendInput) and
window_probe.exe (the window list, the minimise box).
"""

import collections
import os
import re
import shutil
import subprocess
import tempfile

import polling
import winehelper

NIM_ADD, NIM_MODIFY, NIM_DELETE, NIM_SETFOCUS, NIM_SETVERSION = 0, 1, 2, 3, 4

SLOT = 20  # pixels per icon in the notification area, counted from the right

HELPERS = ("send_keys", "window_probe")
_HELPER_ENV = {"send_keys": "TOVEL_SEND_KEYS", "window_probe": "TOVEL_WINDOW_PROBE"}
_HELPER_SOURCES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "helpers")

# [pid:]tid:trace:systray:Shell_NotifyIconW dwMessage = 0, nid->cbSize=952
_NOTIFY_LINE = re.compile(
    r"^(?:(?P<pid>[0-9a-f]+):)?[0-9a-f]+:trace:systray:Shell_NotifyIconW "
    r"dwMessage = (?P<msg>\d+),", re.MULTILINE)
# explorer's side: add_icon / modify_icon / delete_icon id=0x1, hwnd=...
_SHELL_LINE = re.compile(
    r"trace:systray:(?P<op>add_icon|modify_icon|delete_icon) id=0x(?P<id>[0-9a-f]+), "
    r"hwnd=(?P<hwnd>[0-9A-Fa-f]+)")
# comctl32's tooltip, as the shell shows the tip or registers it
_TIP_SHOWN = re.compile(r"trace:tooltips:TOOLTIPS_Show Show tooltip -?\d+, (?P<text>L\".*?\"),")
_TIP_ADDED = re.compile(r"trace:tooltips:TOOLTIPS_AddToolT add text (?P<text>L\".*\")")
_TRACE_PID = re.compile(r"^(?P<pid>[0-9a-f]+):[0-9a-f]+:", re.MULTILINE)

Window = collections.namedtuple("Window", "hwnd pid cls visible iconic rect title")
ShellRequest = collections.namedtuple("ShellRequest", "op icon_id hwnd")


def decode_wine_string(quoted):
    """The text of a debugstr_w value such as L"\\6307\\5b9a"."""
    body = quoted[2:-1]
    escapes = {"n": "\n", "r": "\r", "t": "\t", "\\": "\\", '"': '"'}
    out = []
    i = 0
    while i < len(body):
        c = body[i]
        if c == "\\" and i + 1 < len(body):
            nxt = body[i + 1]
            if re.match(r"[0-9a-fA-F]{4}", body[i + 1:i + 5]):
                out.append(chr(int(body[i + 1:i + 5], 16)))
                i += 5
                continue
            out.append(escapes.get(nxt, nxt))
            i += 2
            continue
        out.append(c)
        i += 1
    return "".join(out)


def notify_requests(trace, pid=None):
    """The Shell_NotifyIconW messages (NIM_*) in a program's trace, in order."""
    return [int(m.group("msg")) for m in _NOTIFY_LINE.finditer(trace)
            if pid is None or m.group("pid") is None or int(m.group("pid"), 16) == pid]


def trace_pid(trace):
    """The Wine process id that a "+pid" trace was written by, or None."""
    m = _TRACE_PID.search(trace)
    return int(m.group("pid"), 16) if m else None


def shell_requests(trace):
    return [ShellRequest(m.group("op"), int(m.group("id"), 16), m.group("hwnd"))
            for m in _SHELL_LINE.finditer(trace)]


def tips_shown(trace):
    return [decode_wine_string(m.group("text")) for m in _TIP_SHOWN.finditer(trace)]


def tips_added(trace):
    return [decode_wine_string(m.group("text")) for m in _TIP_ADDED.finditer(trace)]


def parse_window_list(text):
    """The windows that "window_probe.exe list" printed, topmost first."""
    windows = []
    for line in text.splitlines():
        parts = line.rstrip("\r").split("\t")
        if len(parts) != 7:
            continue
        rect = tuple(int(v) for v in parts[5].split(","))
        windows.append(Window(int(parts[0], 16), int(parts[1]), parts[2], parts[3] == "1",
                              parts[4] == "1", rect, parts[6]))
    return windows


def find_helper(name, build_dir):
    """Path of a helper exe: $TOVEL_SEND_KEYS / $TOVEL_WINDOW_PROBE, then the
    test programs' folder, else built here from its source with mingw-w64.
    None when there is no way to get it."""
    path = os.environ.get(_HELPER_ENV[name])
    if path and os.path.isfile(path):
        return path
    test_bin = os.environ.get("TOVEL_TEST_BIN")
    if test_bin and os.path.isfile(os.path.join(test_bin, name + ".exe")):
        return os.path.join(test_bin, name + ".exe")
    compiler = shutil.which("x86_64-w64-mingw32-g++")
    if not compiler:
        return None
    out = os.path.join(build_dir, name + ".exe")
    subprocess.run([compiler, "-std=c++20", "-O2", "-static", "-municode", "-o", out,
                    os.path.join(_HELPER_SOURCES, name + ".cpp")], check=True, timeout=180)
    return out


class TraySession(winehelper.WineSession):
    """A session on a virtual desktop with the taskbar shown, whose explorer
    writes its systray and tooltip trace to the desktop log."""

    DESKTOP_TRACE = "-all,trace+systray,trace+tooltips,+pid"

    def __init__(self, **kwargs):
        kwargs.setdefault("desktop", "tovel")
        super().__init__(**kwargs)
        self._desktop_starting = False
        self.helpers = {}

    def env(self, debug="-all", extra=None):
        if self._desktop_starting:
            debug = self.DESKTOP_TRACE
        return super().env(debug=debug, extra=extra)

    def _start_desktop(self):
        self._desktop_starting = True
        try:
            super()._start_desktop()
        finally:
            self._desktop_starting = False

    def start(self):
        super().start()
        try:
            build = tempfile.mkdtemp(prefix="helpers-", dir=self.root)
            for name in HELPERS:
                path = find_helper(name, build)
                if path is None:
                    raise winehelper.WineError(f"no {name}.exe and no mingw-w64 to build it")
                self.helpers[name] = path
        except BaseException:
            self.close()
            raise
        return self

    # ----- the shell's side -----------------------------------------------

    def desktop_log(self):
        return winehelper._read_text(os.path.join(self.logs, "desktop.log"))

    def desktop_mark(self):
        """A position in the desktop log; desktop_since(mark) is what came after."""
        return len(self.desktop_log())

    def desktop_since(self, mark):
        return self.desktop_log()[mark:]

    def trace_mark(self):
        return super().trace_mark(), self.desktop_mark()

    def trace_tails(self, mark, programs=3, lines=40):
        """The programs' trace tails, and the shell's since mark."""
        launched, desktop = mark
        text = super().trace_tails(launched, programs=programs, lines=lines)
        try:
            shell = self.desktop_since(desktop).splitlines()[-lines:]
        except OSError:
            return text
        if shell:
            text += f"\n--- last {len(shell)} lines of the shell's trace ---\n" + "\n".join(shell)
        return text

    # ----- windows and input ----------------------------------------------

    def top_level_windows(self):
        proc = self.run(self.helpers["window_probe"], ["list"], timeout=60)
        return parse_window_list(proc.stdout())

    def taskbar_rect(self):
        for w in self.top_level_windows():
            if w.cls == "Shell_TrayWnd" and w.visible:
                return w.rect
        return None

    def icon_slot(self, index=0):
        """(left, top, right, bottom) of the index-th icon from the right."""
        left, top, right, bottom = self.taskbar_rect()
        return (right - SLOT * (index + 1), top, right - SLOT * index, bottom)

    def icon_centre(self, index=0):
        left, top, right, bottom = self.icon_slot(index)
        return ((left + right) // 2, (top + bottom) // 2)

    def minimise_box(self, title):
        proc = self.run(self.helpers["window_probe"], ["minbox", title], timeout=60)
        if proc.wait(0) != 0:
            return None
        x, y = proc.stdout().strip().split(",")
        return int(x), int(y)

    def keyboard(self, pid):
        """(active window's class, focus window's class, focus window's text)
        of the process's user-interface thread, or None."""
        proc = self.run(self.helpers["window_probe"], ["keyboard", str(pid)], timeout=60)
        parts = proc.stdout().rstrip("\r\n").split("\t")
        return tuple(parts) if proc.wait(0) == 0 and len(parts) == 3 else None

    def activate(self, pid, cls):
        """Brings the process's top-level window of that class to the front
        from another process, as its taskbar button does."""
        proc = self.run(self.helpers["window_probe"], ["activate", str(pid), cls], timeout=60)
        return proc.wait(0) == 0

    def xdotool(self, *argv):
        return self._xdotool([str(a) for a in argv])

    def pointer(self):
        """Where the pointer is, as (x, y) on the display."""
        out = self.xdotool("getmouselocation", "--shell").stdout
        place = dict(line.split("=", 1) for line in out.splitlines() if "=" in line)
        return int(place.get("X", -1)), int(place.get("Y", -1))

    def move_pointer(self, x, y):
        """Moves the pointer to (x, y) and returns once it is there.

        xdotool's --sync waits for the pointer to leave the place it had, and
        gives up only after 15 s: a move to where the pointer already is
        would wait all of that for nothing. The pointer then steps one pixel
        aside first, so that the programs see it arrive, as from a hand.
        """
        if self.pointer() == (x, y):
            self.xdotool("mousemove", "--sync", x, y - 1 if y > 0 else y + 1)
        self.xdotool("mousemove", "--sync", x, y)

    def click(self, x, y, button=1, repeat=1):
        # The pointer is there before the buttons go down.
        self.move_pointer(x, y)
        argv = ["click"]
        if repeat > 1:
            argv += ["--repeat", repeat, "--delay", 80]
        self.xdotool(*argv, button)

    def send_keys(self, *keys, delay_ms=0):
        args = (["--delay", str(delay_ms)] if delay_ms else []) + list(keys)
        proc = self.run(self.helpers["send_keys"], args, timeout=60)
        return proc.wait(0)

    def wait_until(self, predicate, timeout=polling.DEFAULT_TIMEOUT, step=0.25):
        """The first true value of predicate(), or its last value at the deadline."""
        return polling.poll(predicate, timeout=timeout, step=step)[1]

    # ----- pictures -------------------------------------------------------

    def crop(self, shot, box, out, scale=1):
        """Cuts (left, top, right, bottom) out of a screenshot; scale enlarges
        with nearest-neighbour sampling so that pixels stay sharp."""
        left, top, right, bottom = box
        argv = ["convert", shot, "-crop", f"{right - left}x{bottom - top}+{left}+{top}",
                "+repage"]
        if scale != 1:
            argv += ["-filter", "point", "-resize", f"{scale * 100}%"]
        # No time stamps in the file: the same picture gives the same bytes.
        argv += ["-strip", "-define", "png:exclude-chunks=date,time"]
        subprocess.run(argv + [out], check=True, timeout=60)
        return out

    def pixels(self, shot, box):
        """Colours of the pixels in (left, top, right, bottom), as RGB tuples."""
        left, top, right, bottom = box
        out = subprocess.run(
            ["convert", shot, "-crop", f"{right - left}x{bottom - top}+{left}+{top}",
             "+repage", "-depth", "8", "txt:-"],
            check=True, timeout=60, capture_output=True, text=True).stdout
        colours = []
        for m in re.finditer(r"^\d+,\d+: \((\d+),(\d+),(\d+)", out, re.MULTILINE):
            colours.append(tuple(int(v) for v in m.groups()))
        return colours
