"""scripts/run.sh as the README gives it, without a DISPLAY: Tovel on a Wine
virtual desktop with the taskbar, a screenshot by TOVEL_SCREENSHOT once Tovel
shows something, and the end of the run, after which nothing the script
started is left.

The tests drive the script's own session from outside: its display (printed
by the script) and its prefix (TOVEL_WINE_PREFIX), with the helpers
send_keys.exe and window_probe.exe run inside that prefix.

Set TOVEL_E2E_PICTURES to a folder to keep the desktop pictures there
(desktop-resident.png, desktop-window.png).
"""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_support as e2e  # noqa: E402
import tray_support  # noqa: E402
from tray_test import is_magenta, is_teal  # noqa: E402

REPO = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
RUN_SH = os.path.join(REPO, "scripts", "run.sh")
# The first run makes the prefix, which takes a while under load.
SHOT_TIMEOUT = 400
END_TIMEOUT = 90
DESKTOP = (1024, 768)
SC_CLOSE = 0xF060
MARLETT = "/usr/share/wine/fonts/marlett.ttf"

_XVFB = re.compile(r"started Xvfb \(pid (\d+)\) on the private display (:\d+)")
_SERVER = re.compile(r"started the wine server \(pid (\d+)\)")
_EXIT = re.compile(r"Tovel ended with exit code (\d+)")


def running(pid):
    """Whether the process is there and not just a zombie waiting to be reaped."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            return f.read().rsplit(")", 1)[1].split()[0] != "Z"
    except OSError:
        return False


def wait_until(predicate, timeout, step=0.25):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value or time.monotonic() > deadline:
            return value
        time.sleep(step)


def colour_counts(shot, box):
    """{(r, g, b): pixel count} in (left, top, right, bottom) of a picture."""
    left, top, right, bottom = box
    out = subprocess.run(
        ["convert", shot, "-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage",
         "-depth", "8", "-format", "%c", "histogram:info:-"],
        capture_output=True, text=True, timeout=60, check=True).stdout
    counts = {}
    for m in re.finditer(r"^\s*(\d+): \(\s*(\d+),\s*(\d+),\s*(\d+)", out, re.MULTILINE):
        counts[tuple(int(v) for v in m.group(2, 3, 4))] = int(m.group(1))
    return counts


def picture_size(shot):
    out = subprocess.run(["identify", "-format", "%w %h", shot], capture_output=True,
                         text=True, timeout=60, check=True).stdout.split()
    return int(out[0]), int(out[1])


class ScriptRun:
    """One run of scripts/run.sh in its own process group, output in a file."""

    def __init__(self, root, prefix, args):
        folder = tempfile.mkdtemp(prefix="run-", dir=root)
        self.log = os.path.join(folder, "run.log")
        self.shot = os.path.join(folder, "desktop.png")
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        env.update({
            "TOVEL_WINE_PREFIX": prefix,
            "TOVEL_BUILD_DIR": os.path.dirname(e2e.program_path()),
            "TOVEL_SCREENSHOT": self.shot,
        })
        self.prefix = prefix
        with open(self.log, "wb") as out:
            self.popen = subprocess.Popen(["bash", RUN_SH, *args], cwd=REPO, env=env,
                                          stdin=subprocess.DEVNULL, stdout=out,
                                          stderr=subprocess.STDOUT, start_new_session=True)

    def output(self):
        with open(self.log, "rb") as f:
            return f.read().decode("utf-8", errors="replace")

    def started(self):
        """(Xvfb pid, display, [wine server pids]) as the script printed them
        (a run that sets up the prefix starts its server afresh after that)."""
        xvfb = _XVFB.search(self.output())
        servers = [int(pid) for pid in _SERVER.findall(self.output())]
        if not (xvfb and servers):
            return None
        return int(xvfb.group(1)), xvfb.group(2), servers

    def env(self):
        env = dict(os.environ)
        env.update({"WINEPREFIX": self.prefix, "WINEARCH": "win64", "WINEDEBUG": "-all",
                    "DISPLAY": self.started()[1]})
        env.pop("WAYLAND_DISPLAY", None)
        return env

    def wine(self, exe, *args):
        """Runs a helper inside the script's session; (exit code, stdout)."""
        proc = subprocess.run(["wine", exe, *args], env=self.env(), stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=120, check=False)
        return proc.returncode, proc.stdout.decode("utf-8", errors="replace")

    def windows(self):
        code, out = self.wine(RunScriptTest.helpers["window_probe"], "list")
        return tray_support.parse_window_list(out) if code == 0 else []

    def stop(self):
        """Ends a run that a failed test left behind: its group, by its id."""
        if self.popen.poll() is None:
            os.killpg(self.popen.pid, signal.SIGTERM)
            try:
                self.popen.wait(timeout=60)
            except subprocess.TimeoutExpired:
                os.killpg(self.popen.pid, signal.SIGKILL)
                self.popen.wait(timeout=10)


class RunScriptTest(unittest.TestCase):
    HELPERS = ("send_keys", "window_probe")

    @classmethod
    def setUpClass(cls):
        e2e.program_path()
        cls.helpers = {name: e2e.helper_exe(name) for name in cls.HELPERS}
        cls.root = tempfile.mkdtemp(prefix="tovel-run-sh-")
        # One prefix for the class, made by the first run as a user's first run makes it.
        cls.prefix = os.path.join(cls.root, "prefix")
        cls.pictures = os.environ.get("TOVEL_E2E_PICTURES")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.root, ignore_errors=True)

    def start(self, *args):
        run = ScriptRun(self.root, self.prefix, args)
        self.addCleanup(run.stop)
        wait_until(lambda: os.path.isfile(run.shot) or run.popen.poll() is not None,
                   SHOT_TIMEOUT, step=0.5)
        self.assertTrue(os.path.isfile(run.shot),
                        f"no screenshot (ended: {run.popen.poll()}):\n{run.output()[-3000:]}")
        self.assertIsNotNone(run.started(), run.output())
        self.assertEqual(picture_size(run.shot), DESKTOP, "the picture is not the whole desktop")
        return run

    def keep(self, run, name):
        if self.pictures:
            os.makedirs(self.pictures, exist_ok=True)
            shutil.copyfile(run.shot, os.path.join(self.pictures, name))

    def assert_ended_cleanly(self, run, code=0):
        """The script ends with the code it reports, and nothing it started is left."""
        xvfb, _, servers = run.started()
        try:
            status = run.popen.wait(timeout=END_TIMEOUT)
        except subprocess.TimeoutExpired:
            self.fail("the script did not end:\n" + run.output()[-3000:])
        self.assertEqual(status, code, run.output()[-3000:])
        reported = _EXIT.findall(run.output())
        self.assertEqual(reported, [str(code)], run.output()[-3000:])
        self.assertFalse(running(xvfb), f"the script left its Xvfb (pid {xvfb}) running")
        self.assertFalse([pid for pid in servers if running(pid)],
                         f"the script left its wine server (pids {servers})")

    def taskbar(self, run):
        # A probe that Wine could not start on a busy machine lists nothing,
        # so the list is asked for again until it shows the one taskbar.
        def single_bar():
            bars = [w for w in run.windows() if w.cls == "Shell_TrayWnd" and w.visible]
            return bars if len(bars) == 1 else []
        found = wait_until(single_bar, 60)
        self.assertTrue(found, f"no single taskbar on the desktop; last saw {run.windows()}")
        return found[0].rect

    # ----- tests --------------------------------------------------------------

    def test_resident_start_shows_the_icon_in_the_taskbar_and_ends_with_the_menu_exit(self):
        run = self.start("/t")
        self.keep(run, "desktop-resident.png")
        left, top, right, bottom = self.taskbar(run)
        self.assertEqual((left, right, bottom), (0, DESKTOP[0], DESKTOP[1]),
                         "the taskbar is not along the bottom of the desktop")
        # The icon is the right-most one of the notification area, in the
        # teal of line mode (a fresh prefix scrolls 3 lines).
        slot = (right - tray_support.SLOT, top, right, bottom)
        icon = colour_counts(run.shot, slot)
        self.assertGreaterEqual(sum(n for c, n in icon.items() if is_teal(c)), 20,
                                f"no teal icon in the notification area: {icon}")
        self.assertFalse([c for c in icon if is_magenta(c)], icon)

        # The icon's menu, and its exit item chosen by its access key.
        x, y = (slot[0] + slot[2]) // 2, (slot[1] + slot[3]) // 2
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "3"], env=run.env(),
                       timeout=30, check=True)
        menus = wait_until(lambda: [w for w in run.windows() if w.cls == "#32768" and w.visible],
                           60)
        self.assertTrue(menus, "a right click on the icon opened no menu")
        self.assertEqual(run.wine(self.helpers["send_keys"], "Z")[0], 0)
        self.assert_ended_cleanly(run)

    def test_window_start_shows_the_framed_window_and_ends_when_it_is_closed(self):
        run = self.start("/w")
        self.keep(run, "desktop-window.png")
        self.taskbar(run)
        forms = [w for w in run.windows() if w.title == "Tovel" and w.visible
                 and w.rect[2] - w.rect[0] > 100]
        self.assertEqual(len(forms), 1, run.windows())
        left, top, right, bottom = forms[0].rect
        # The frame: a caption row in the active caption's blue across the
        # window's top, and a minimise box that the window system hits there.
        caption = colour_counts(run.shot, (left + 4, top + 4, right - 4, top + 8))
        blue = sum(n for (r, g, b), n in caption.items() if b >= r + 60)
        self.assertGreater(blue, (right - left - 8) * 4 // 2,
                           f"no caption across the top of the window: {caption}")
        code, box = run.wine(self.helpers["window_probe"], "minbox", "Tovel")
        self.assertEqual(code, 0, "the window has no minimise box")
        bx, by = (int(v) for v in box.strip().split(","))
        self.assertTrue(left < bx < right and top < by < top + 30, (bx, by, forms[0].rect))
        if os.path.isfile(MARLETT):
            # The caption buttons draw their glyphs with Marlett.
            with open(MARLETT, "rb") as want, open(os.path.join(
                    self.prefix, "drive_c", "windows", "Fonts", "marlett.ttf"), "rb") as have:
                self.assertEqual(have.read(), want.read())

        # What a click on the close box sends.
        self.assertEqual(run.wine(self.helpers["window_probe"], "syscommand", "Tovel",
                                  str(SC_CLOSE))[0], 0)
        self.assert_ended_cleanly(run)

    def test_ctrl_c_ends_the_run_and_stops_what_it_started(self):
        run = self.start("/t")
        xvfb, _, servers = run.started()
        # Ctrl+C in a terminal interrupts the whole foreground process group.
        os.killpg(run.popen.pid, signal.SIGINT)
        try:
            status = run.popen.wait(timeout=END_TIMEOUT)
        except subprocess.TimeoutExpired:
            self.fail("Ctrl+C did not end the script:\n" + run.output()[-3000:])
        self.assertEqual(status, 130, run.output()[-3000:])
        self.assertFalse(running(xvfb), f"Xvfb (pid {xvfb}) is left")
        self.assertFalse([pid for pid in servers if running(pid)],
                         f"the wine server (pids {servers}) is left")


if __name__ == "__main__":
    unittest.main()
