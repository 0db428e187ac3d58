"""Shared pieces of the end-to-end tests that drive Tovel.exe from outside:
the program's paths, runs timed from start to end, message boxes read from
Wine's trace, and the small Win32 helpers the tests build on demand."""

import atexit
import collections
import os
import re
import shutil
import subprocess
import tempfile
import time
import unittest
import zipfile

import polling
import winehelper

SPI_GETWHEELSCROLLLINES = 104
SPI_SETWHEELSCROLLLINES = 105
SPI_GETMOUSESPEED = 112
SPI_SETMOUSESPEED = 113
SPI_GETMOUSEWHEELROUTING = 0x201C
SPI_SETMOUSEWHEELROUTING = 0x201D
SPI_WRITES = {SPI_SETWHEELSCROLLLINES, SPI_SETMOUSESPEED, SPI_SETMOUSEWHEELROUTING}
SESSION_ONLY = 2  # SPIF_SENDCHANGE without SPIF_UPDATEINIFILE
PAGE_SCROLL = 0xFFFFFFFF  # WHEEL_PAGESCROLL as the unsigned uiParam

MAKER_FOLDER = "Varnel Project"
SETTINGS_NAME = "Tovel.ini"
# +timestamp puts the seconds of each trace line in front of it; the helpers
# below strip it again before the lines are parsed.
TRACE = "-all,trace+system,trace+msgbox,trace+systray,+pid,+timestamp"
# A one-shot run shows nothing and asks the shell for nothing, so the file calls
# of its closing write are what mark its end in the trace; the message channel
# adds its exit timer: each timer set, and each timer message taken.
ONE_SHOT_TRACE = TRACE + ",trace+file,trace+msg"
POINTER_ACTIONS = {SPI_GETWHEELSCROLLLINES, SPI_GETMOUSESPEED, SPI_GETMOUSEWHEELROUTING} | SPI_WRITES
_TIMESTAMP = re.compile(r"^(\d+\.\d+):", re.MULTILINE)
COMMAND_LINE_ERROR = "コマンドラインオプションに誤りがあります。終了します。"

# Wine prints a message box's text when the box initialises:
#   0024:trace:msgbox:MSGBOX_OnInit L"..."
_MSGBOX_LINE = re.compile(r'trace:msgbox:MSGBOX_OnInit L"((?:[^"\\]|\\.)*)"')
# A tray icon request as shell32 traces it:
#   0024:trace:systray:Shell_NotifyIconW dwMessage = 0, nid->cbSize=952
_NOTIFY_LINE = re.compile(r"trace:systray:Shell_NotifyIconW dwMessage = (\d+)")
NIM_ADD = 0
NIM_DELETE = 2
# The message channel's lines for a timer set and a timer message taken from
# the queue, after the time stamp and the process and thread ids:
#   trace:msg:NtUserSetTimer Added (nil) 0 0xffff000e timeout 1000
#   trace:msg:peek_message got type 6 msg 113 (WM_TIMER) hwnd (nil) wp 7fff lp ffff000e
# A timer is told apart by its window and its procedure (lp of the message).
_SET_TIMER = re.compile(r"trace:msg:NtUserSetTimer Added (?P<hwnd>\S+) \S+ (?P<proc>\S+) "
                        r"timeout (?P<ms>\d+)")
_TIMER_TAKEN = re.compile(r"trace:msg:peek_message got type \d+ msg 113 \(WM_TIMER\) "
                          r"hwnd (?P<hwnd>\S+) wp \S+ lp (?P<proc>\S+)")


def built_file(variable, what):
    """The build's file that the environment variable names; skips without it."""
    path = os.environ.get(variable)
    if not path or not os.path.isfile(path):
        raise unittest.SkipTest(f"{variable} does not name {what}")
    return path


def program_path():
    return built_file("TOVEL_EXE", "a built Tovel.exe")


class ProgramSessionTest(unittest.TestCase):
    """A test class with one Wine session for all its tests (a virtual
    desktop when DESKTOP names one); what a test started is stopped after it."""

    DESKTOP = None
    # Win32 helpers (tests/e2e/helpers) the class needs, by name.
    HELPERS = ()

    @classmethod
    def setUpClass(cls):
        cls.exe = program_path()
        cls.helpers = {name: helper_exe(name) for name in cls.HELPERS}
        cls.session = winehelper.WineSession(desktop=cls.DESKTOP).start()

    @classmethod
    def tearDownClass(cls):
        cls.session.close()

    def tearDown(self):
        self.session.stop_programs()
        errors, self.session.heap_errors = self.session.heap_errors, []
        if errors:
            self.fail("Wine reported heap errors of the programs:\n" + "\n".join(errors))


def data_folder(session):
    return os.path.join(session.appdata, MAKER_FOLDER, "Tovel")


def settings_path(session):
    return os.path.join(data_folder(session), SETTINGS_NAME)


def decode_debugstr(text):
    """The string behind Wine's debugstr_w rendering (without the L"..."):
    \\n, \\r, \\t, \\" and \\\\ as in C, any other character below 32 or
    above 126 as a backslash and four hexadecimal digits."""
    out = []
    i = 0
    while i < len(text):
        ch = text[i]
        if ch != "\\" or i + 1 == len(text):
            out.append(ch)
            i += 1
            continue
        nxt = text[i + 1]
        simple = {"n": "\n", "r": "\r", "t": "\t", '"': '"', "\\": "\\"}
        if nxt in simple:
            out.append(simple[nxt])
            i += 2
        else:
            out.append(chr(int(text[i + 1:i + 5], 16)))
            i += 5
    return "".join(out)


def message_box_texts(trace):
    """The texts of every message box a traced process initialised, in order."""
    return [decode_debugstr(m.group(1)) for m in _MSGBOX_LINE.finditer(trace)]


def notify_icon_requests(trace):
    """The NIM_* numbers of the tray icon requests seen in a systray trace."""
    return [int(m.group(1)) for m in _NOTIFY_LINE.finditer(trace)]


def without_timestamps(trace):
    return _TIMESTAMP.sub("", trace)


def spi_calls(proc):
    """Every SystemParametersInfo call in the program's trace, in order."""
    return winehelper.parse_spi_calls(without_timestamps(proc.stderr()))


def pointer_writes(proc):
    """The program's writes of pointer settings as (action, uiParam, pvParam, fWinIni)."""
    return [(c.action, c.ui_param, c.pv_param, c.win_ini)
            for c in spi_calls(proc) if c.action in SPI_WRITES]


ClosingEvent = collections.namedtuple("ClosingEvent", "seconds kind timer interval")


def _handle(text):
    return 0 if text == "(nil)" else int(text, 16)


def closing_events(proc):
    """The program's way to its end as its trace shows it, in order, each
    with the seconds of the program's trace clock: "pointer" (a call on the
    pointer settings), "timer" (a timer set, with its interval in ms),
    "tick" (a timer message taken from the queue) and "settings" (a file call
    on Tovel.ini). timer is (window, procedure) for the last two kinds. Needs
    a run traced with ONE_SHOT_TRACE."""
    events = []
    for line in proc.stderr().splitlines():
        m = _TIMESTAMP.match(line)
        if not m:
            continue
        seconds = float(m.group(1))
        if "Tovel.ini" in line:
            events.append(ClosingEvent(seconds, "settings", None, None))
            continue
        timer = _SET_TIMER.search(line)
        if timer:
            events.append(ClosingEvent(seconds, "timer",
                                       (_handle(timer["hwnd"]), _handle(timer["proc"])),
                                       int(timer["ms"])))
            continue
        taken = _TIMER_TAKEN.search(line)
        if taken:
            events.append(ClosingEvent(seconds, "tick",
                                       (_handle(taken["hwnd"]), _handle(taken["proc"])), None))
            continue
        call = winehelper.parse_spi_calls(without_timestamps(line))
        if call and call[0].action in POINTER_ACTIONS:
            events.append(ClosingEvent(seconds, "pointer", None, None))
    return events


def describe_events(events):
    """The closing events on one line, a run of one kind as one entry:
    "12.300 pointer x6, 12.301 timer 1000 ms, 13.310 tick, 13.311 settings x25"."""
    runs = []
    for event in events:
        if runs and runs[-1][0].kind == event.kind and event.kind != "timer":
            runs[-1][1] += 1
        else:
            runs.append([event, 1])
    parts = []
    for event, count in runs:
        text = f"{event.seconds:.3f} {event.kind}"
        if event.kind == "timer":
            text += f" {event.interval} ms"
        parts.append(text + (f" x{count}" if count > 1 else ""))
    return ", ".join(parts) or "nothing"


def seconds_from_last_pointer_call_to_settings_write(proc):
    """By the program's own trace clock: from its last call on the pointer
    settings (the end of its start-up work in a one-shot run) to its last file
    call on Tovel.ini (the close query's write as the window closes). Needs a
    run traced with ONE_SHOT_TRACE; None without both."""
    events = closing_events(proc)
    calls = [e.seconds for e in events if e.kind == "pointer"]
    writes = [e.seconds for e in events if e.kind == "settings"]
    if not calls or not writes:
        return None
    return writes[-1] - calls[-1]


class TimedRun:
    """A program started now, with the time it took to end."""

    def __init__(self, session, exe, args, debug=TRACE):
        self.session = session
        self.args = list(args)
        self.started = time.monotonic()
        self.proc = session.launch(exe, self.args, debug=debug)
        self.ended = None

    def wait(self, timeout):
        """Exit code, or None when the program is still running after timeout."""
        try:
            code = self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            return None
        if self.ended is None:
            self.ended = time.monotonic()
        return code

    def seconds(self, since=None):
        """From the start (or from the given monotonic time) to the end."""
        return self.ended - (self.started if since is None else since)

    def wait_for_box(self, count=1, timeout=polling.DEFAULT_TIMEOUT):
        """Waits until count message boxes were initialised; their texts."""
        # A program that has ended shows no more boxes.
        _, texts = polling.poll(lambda: message_box_texts(self.proc.stderr()),
                                until=lambda t: len(t) >= count or not self.proc.running(),
                                timeout=timeout, step=0.1)
        return texts


def one_shot_from_package(session, package, args):
    """Unpacks the release zip into C:\\Tovel of a reset prefix and runs the
    Tovel.exe found there once with args; its TimedRun, ended (exit code in
    .code) or None in .code when it did not end within a minute."""
    folder = os.path.join(session.prefix, "drive_c", "Tovel")
    with zipfile.ZipFile(package) as archive:
        archive.extractall(folder)
    session.reset()
    run = TimedRun(session, r"C:\Tovel\Tovel.exe", args)
    run.code = run.wait(60)
    return run


def assert_speed_set_once(test, run, speed):
    """The run ended with 0 after exactly one session-only write of the speed."""
    test.assertEqual(run.code, 0, run.proc.stderr()[-2000:])
    test.assertEqual(pointer_writes(run.proc), [(SPI_SETMOUSESPEED, 0, speed, SESSION_ONLY)],
                     run.proc.stderr()[-2000:])


def xdotool(session, argv):
    """Runs xdotool on the session's display; its completed process."""
    return subprocess.run(["xdotool", *argv], env=session.env(), capture_output=True,
                          text=True, timeout=30, check=False)


def box_windows(session, proc):
    """The program's visible top-level windows titled exactly "Tovel"."""
    return session.windows(name="^Tovel$", pid=proc.pid)


def close_box(session, proc, timeout=polling.DEFAULT_TIMEOUT):
    """Presses Return on the program's visible "Tovel" box(es) until none is
    left; the time at which the last key went out, or None when no box was found."""
    pressed = None

    def press_return():
        nonlocal pressed
        found = box_windows(session, proc)
        for wid in found:
            xdotool(session, ["windowactivate", "--sync", wid])
            xdotool(session, ["windowfocus", "--sync", wid])
            pressed = time.monotonic()
            xdotool(session, ["key", "--window", wid, "Return"])
        return found

    polling.poll(press_return, until=lambda found: not found, timeout=timeout, step=0.3)
    return pressed


_built_helpers = {}


def helper_exe(name):
    """A Win32 helper of the tests: the built one from TOVEL_TEST_BIN when it
    is there, else compiled once from tests/e2e/helpers/<name>.cpp with the
    mingw-w64 compiler. Skips the test when neither is possible."""
    bin_dir = os.environ.get("TOVEL_TEST_BIN")
    if bin_dir:
        for candidate in (os.path.join(bin_dir, name + ".exe"),
                          os.path.join(bin_dir, "..", "e2e", name + ".exe")):
            if os.path.isfile(candidate):
                return os.path.abspath(candidate)
    if name in _built_helpers:
        return _built_helpers[name]
    source = os.path.join(os.path.dirname(os.path.abspath(__file__)), "helpers", name + ".cpp")
    compiler = shutil.which("x86_64-w64-mingw32-g++-posix") or shutil.which(
        "x86_64-w64-mingw32-g++")
    if not compiler or not os.path.isfile(source):
        raise unittest.SkipTest(f"no {name}.exe and no way to build it")
    out_dir = tempfile.mkdtemp(prefix="tovel-e2e-helper-")
    exe = os.path.join(out_dir, name + ".exe")
    atexit.register(shutil.rmtree, out_dir, True)
    result = subprocess.run([compiler, "-std=c++20", "-O1", "-municode", source, "-o", exe,
                             "-static", "-luser32"],
                            capture_output=True, text=True, timeout=300, check=False)
    if result.returncode != 0:
        raise unittest.SkipTest(f"{name}.cpp did not build:\n{result.stderr[-2000:]}")
    _built_helpers[name] = exe
    return exe
