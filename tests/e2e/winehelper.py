"""A private Wine + Xvfb session for driving Windows programs from tests.

One session owns a temporary WINEPREFIX, its own Xvfb display and a persistent
wine server; it stops exactly what it started (``wineserver -k`` for its prefix,
Xvfb by PID) and never touches ``~/.wine``. Making a prefix takes a while, so a
test module or class shares one session and calls :meth:`WineSession.reset`
between tests.

Making a prefix (``wineboot``) costs some 15 s of CPU. When TOVEL_WINE_TEMPLATE
names a folder that :func:`make_template` has filled, a session copies the
prefix made there instead, so that a test run boots Wine once rather than once
per session.
"""

import collections
import os
import re
import shutil
import signal
import subprocess
import tempfile
import time

import heap_check
import polling

FONT_REPLACEMENT = "Noto Sans CJK JP"
REPLACED_FONTS = (
    "MS Shell Dlg",
    "MS Shell Dlg 2",
    "MS UI Gothic",
    "Tahoma",
    "Meiryo UI",
    "Yu Gothic UI",
    "MS Gothic",
)
# Debian's fonts-wine; the prefix gets a copy (see WineSession._install_marlett).
MARLETT_FONT = "/usr/share/wine/fonts/marlett.ttf"
DEFAULT_DPI = 96
# What a fresh prefix reports: 3 lines per notch, pointer speed 10.
DEFAULT_WHEEL_SCROLL_LINES = 3
DEFAULT_MOUSE_SENSITIVITY = 10
JAPANESE_LOCALE = "ja_JP.UTF-8"

# A folder made by make_template(); sessions copy its prefix when it is ready.
TEMPLATE_ENV = "TOVEL_WINE_TEMPLATE"
_TEMPLATE_READY = "ready"
# Files of the prefix that no program writes to, only loads: the system's
# programs, libraries and tables (630 MB of the 700 MB of a fresh prefix).
# A copy links them to the template's instead of copying them. Everything
# else (the registry, win.ini, the users' folders) is copied, so that what one
# session writes never reaches the template or another session.
_SHARED_SUFFIXES = (".dll", ".exe", ".sys", ".drv", ".ocx", ".cpl", ".acm", ".tlb", ".ds",
                    ".nls", ".com", ".msstyles")
# Left out of a copy: a file of the Wine run that made the template; a run in
# the copy makes its own.
_NOT_COPIED = ("wineserver",)

TEMP_PARAMS_KEY = r"HKCU\Software\Wine\Temporary System Parameters"
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"

# One system parameter call as Wine's trace+system channel prints it:
#   [pid:]tid:trace:system:NtUserSystemParametersInfo (104, 0, 0x21fd2c, 0) ret 1
# action, uiParam and fWinIni are decimal (uiParam unsigned); pvParam is %p,
# "(nil)" for null.
_SPI_LINE = re.compile(
    r"^(?:(?P<pid>[0-9a-f]+):)?(?P<tid>[0-9a-f]+):trace:system:"
    r"NtUserSystemParametersInfo \((?P<action>\d+), (?P<ui>\d+), "
    r"(?P<pv>\(nil\)|0x[0-9a-f]+), (?P<ini>\d+)\) ret (?P<ret>-?\d+)\s*$",
    re.MULTILINE,
)

SpiCall = collections.namedtuple(
    "SpiCall", "action ui_param pv_param win_ini ret pid tid")
SpiCall.__doc__ = "One traced SystemParametersInfo call; pv_param is 0 for null."


def parse_spi_calls(text, pid=None):
    """Every SystemParametersInfo call in a trace, in order.

    With ``pid`` (needs WINEDEBUG "+pid"), only the calls of that Wine process.
    """
    calls = []
    for m in _SPI_LINE.finditer(text):
        call_pid = int(m.group("pid"), 16) if m.group("pid") else None
        if pid is not None and call_pid != pid:
            continue
        pv = m.group("pv")
        calls.append(SpiCall(
            action=int(m.group("action")),
            ui_param=int(m.group("ui")),
            pv_param=0 if pv == "(nil)" else int(pv, 16),
            win_ini=int(m.group("ini")),
            ret=int(m.group("ret")),
            pid=call_pid,
            tid=int(m.group("tid"), 16),
        ))
    return calls


def template_prefix():
    """The prefix to copy for a new session, or None when TOVEL_WINE_TEMPLATE
    names no finished template (the session then makes its own)."""
    folder = os.environ.get(TEMPLATE_ENV)
    if folder and os.path.isfile(os.path.join(folder, _TEMPLATE_READY)):
        return os.path.join(folder, "prefix")
    return None


def _copy_prefix(template, target):
    def place(src, dst):
        if src.lower().endswith(_SHARED_SUFFIXES):
            try:
                os.link(src, dst)
                return dst
            except OSError:
                pass  # another file system: copied below
        return shutil.copy2(src, dst)
    shutil.copytree(template, target, symlinks=True, copy_function=place,
                    ignore=lambda folder, names: [n for n in names if n in _NOT_COPIED]
                    if folder == template else [])


def make_template(folder):
    """Makes in folder the prefix that sessions copy when TOVEL_WINE_TEMPLATE
    names it: booted, with the base registry and fonts of every session, and
    its server stopped so that the registry is all on disk. Replaces what was
    there; the folder counts as a template only once it is whole."""
    shutil.rmtree(folder, ignore_errors=True)
    session = WineSession()
    try:
        session._open()
        session._start_xvfb()
        session._make_prefix()
        session._run_quiet(["wineserver", "-k"], timeout=60)
        session._run_quiet(["wineserver", "-w"], timeout=60)
        os.makedirs(folder)
        shutil.move(session.prefix, os.path.join(folder, "prefix"))
        with open(os.path.join(folder, _TEMPLATE_READY), "w", encoding="ascii") as f:
            f.write("made by winehelper.make_template\n")
    finally:
        session.close()


def locale_available(name=JAPANESE_LOCALE):
    wanted = name.lower().replace("-", "")
    try:
        out = subprocess.run(["locale", "-a"], capture_output=True, text=True,
                             check=False).stdout
    except OSError:
        return False
    return any(line.strip().lower().replace("-", "") == wanted
               for line in out.splitlines())


class WineError(RuntimeError):
    pass


class WineProcess:
    """A program started in the session; output goes to files, never pipes.

    Wine's helper processes (explorer, services) may inherit a pipe and keep it
    open long after the program ends, so output is collected in files and the
    end of the program is judged by its own process only.
    """

    def __init__(self, popen, stdout_path, stderr_path, argv):
        self._popen = popen
        self.stdout_path = stdout_path
        self.stderr_path = stderr_path
        self.argv = argv

    @property
    def pid(self):
        return self._popen.pid

    def poll(self):
        return self._popen.poll()

    def running(self):
        return self._popen.poll() is None

    def wait(self, timeout):
        """Exit code; raises subprocess.TimeoutExpired when still running."""
        return self._popen.wait(timeout=timeout)

    def stdout(self):
        return _read_text(self.stdout_path)

    def stderr(self):
        return _read_text(self.stderr_path)

    def spi_calls(self, pid=None):
        return parse_spi_calls(self.stderr(), pid=pid)

    def kill(self):
        if self._popen.poll() is None:
            self._popen.kill()
            try:
                self._popen.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass


def _read_text(path):
    with open(path, "rb") as f:
        return f.read().decode("utf-8", errors="replace")


class WineSession:
    """Prefix, display and wine server of one group of tests.

    desktop: name of a Wine virtual desktop (1024x768 unless desktop_size is
    given) that every program of the session runs in; it is started before any
    program so that it owns the notification area.
    """

    def __init__(self, desktop=None, desktop_size="1024x768", screen="1024x768x24",
                 log_pixels=DEFAULT_DPI, keep=False, heap_checking=None):
        self.desktop = desktop
        self.desktop_size = desktop_size
        self.screen = screen
        self.log_pixels = log_pixels
        self.keep = keep or bool(os.environ.get("TOVEL_KEEP_WINE"))
        self.root = None
        self.prefix = None
        self.display = None
        self.xvfb = None
        self._server = None
        self._desktop_proc = None
        self._processes = []
        # Every program launched in the session, stopped or not, for the
        # trace tails of a failed test (trace_mark, trace_tails).
        self._launched = []
        self._baseline_windows = set()
        self._counter = 0
        self.japanese_locale = locale_available()
        # With heap checking (by default when TOVEL_HEAP_CHECK is set), every
        # program runs with Wine's heap checking on, and the heap errors Wine
        # reported for it collect in heap_errors when it is stopped.
        if heap_checking is None:
            heap_checking = bool(os.environ.get("TOVEL_HEAP_CHECK"))
        self.heap_checking = heap_checking
        self.heap_errors = []

    # ----- set-up and tear-down ---------------------------------------------

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *exc):
        self.close()

    def start(self):
        self._open()
        try:
            self._start_xvfb()
            started = time.monotonic()
            template = template_prefix()
            if template:
                _copy_prefix(template, self.prefix)
                if self.log_pixels != DEFAULT_DPI:
                    self.set_log_pixels(self.log_pixels)
            else:
                self._make_prefix()
            self.prefix_seconds = time.monotonic() - started
            # Restart the server so that the first process of the running
            # session is one of ours (the desktop or the warm-up below), with
            # its output going to the session log instead of a test's stderr.
            self._run_quiet(["wineserver", "-k"], timeout=60)
            self._run_quiet(["wineserver", "-w"], timeout=60)
            self._server = subprocess.Popen(
                ["wineserver", "-p", "-f"], env=self.env(),
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                start_new_session=True)
            if self.desktop:
                self._start_desktop()
            else:
                # Starts explorer (the default desktop) and the services now.
                self._wine_tool(["wine", "cmd", "/c", "exit"], timeout=120)
            # Windows that belong to the session, not to a program under test.
            self._baseline_windows = set(self.windows(name=""))
        except BaseException:
            self.close()
            raise
        return self

    def _open(self):
        self.root = tempfile.mkdtemp(prefix="tovel-wine-")
        self.prefix = os.path.join(self.root, "prefix")
        self.logs = os.path.join(self.root, "logs")
        os.makedirs(self.logs)

    def _make_prefix(self):
        self._wine_tool(["wineboot", "-i"], timeout=240,
                        extra_env={"WINEDLLOVERRIDES": "mscoree,mshtml="})
        self._write_base_registry()
        self._install_marlett()

    def close(self):
        for proc in self._processes:
            proc.kill()
        self._processes = []
        if self.prefix and os.path.isdir(self.prefix):
            self._run_quiet(["wineserver", "-k"], timeout=60)
        for popen in (self._desktop_proc, self._server):
            if popen is not None:
                try:
                    popen.wait(timeout=15)
                except subprocess.TimeoutExpired:
                    popen.kill()
                    popen.wait(timeout=5)
        self._desktop_proc = self._server = None
        if self.xvfb is not None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait(timeout=5)
            self.xvfb = None
        if self.root and not self.keep:
            shutil.rmtree(self.root, ignore_errors=True)

    def _start_xvfb(self):
        # -displayfd lets Xvfb pick a free display number and tell us which.
        read_fd, write_fd = os.pipe()
        try:
            with open(os.path.join(self.logs, "xvfb.log"), "wb") as log:
                self.xvfb = subprocess.Popen(
                    ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", self.screen,
                     "-nolisten", "tcp", "-noreset"],
                    pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=log,
                    start_new_session=True)
            os.close(write_fd)
            write_fd = None
            number = b""
            deadline = time.monotonic() + 30
            while not number.endswith(b"\n"):
                if time.monotonic() > deadline or self.xvfb.poll() is not None:
                    raise WineError("Xvfb did not start")
                chunk = os.read(read_fd, 16)
                if not chunk:
                    raise WineError("Xvfb did not report a display")
                number += chunk
            self.display = ":" + number.decode().strip()
        finally:
            os.close(read_fd)
            if write_fd is not None:
                os.close(write_fd)

    def _start_desktop(self):
        self.set_registry(r"HKCU\Software\Wine\Explorer", "Desktop", self.desktop)
        self.set_registry(r"HKCU\Software\Wine\Explorer\Desktops", self.desktop,
                          self.desktop_size)
        # The taskbar with its notification area; Wine shows it by default only
        # on a desktop named "shell".
        self.set_registry(r"HKCU\Software\Wine\Explorer\Desktops" "\\" + self.desktop,
                          "EnableShell", "1", kind="REG_DWORD")
        with open(os.path.join(self.logs, "desktop.log"), "wb") as log:
            self._desktop_proc = subprocess.Popen(
                ["wine", "explorer", f"/desktop={self.desktop},{self.desktop_size}"],
                env=self.env(), stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                start_new_session=True)
        shown, _ = polling.poll(lambda: self.windows(name=f"^{re.escape(self.desktop)}"),
                                timeout=60)
        if not shown:
            raise WineError("the virtual desktop did not appear")

    def _install_marlett(self):
        """Wine has no Marlett of its own; without it caption buttons show
        letters instead of their glyphs. Debian's fonts-wine ships it."""
        if os.path.isfile(MARLETT_FONT):
            fonts = os.path.join(self.prefix, "drive_c", "windows", "Fonts")
            os.makedirs(fonts, exist_ok=True)
            shutil.copy(MARLETT_FONT, fonts)

    def _write_base_registry(self):
        lines = ["REGEDIT4", "", r"[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]"]
        lines += [f'"{font}"="{FONT_REPLACEMENT}"' for font in REPLACED_FONTS]
        lines += ["", r"[HKEY_CURRENT_USER\Control Panel\Desktop]",
                  f'"LogPixels"=dword:{self.log_pixels:08x}', ""]
        # A fresh prefix reports Windows 7; the program's main systems are
        # Windows 10 and 11, where it offers the wheel routing.
        lines += [r"[HKEY_CURRENT_USER\Software\Wine]", '"Version"="win10"', ""]
        self.import_registry("\r\n".join(lines) + "\r\n")

    # ----- environment and helpers ------------------------------------------

    def env(self, debug="-all", extra=None):
        env = dict(os.environ)
        env.update({
            "WINEPREFIX": self.prefix,
            "WINEDEBUG": debug,
            "WINEARCH": "win64",
            "DISPLAY": self.display,
        })
        env.pop("WAYLAND_DISPLAY", None)
        if self.japanese_locale:
            env["LC_ALL"] = JAPANESE_LOCALE
        if extra:
            env.update(extra)
        return env

    def _log_file(self, name):
        self._counter += 1
        return os.path.join(self.logs, f"{self._counter:03d}-{name}")

    def _run_quiet(self, argv, timeout):
        return subprocess.run(argv, env=self.env(), stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=timeout, check=False).returncode

    def _wine_tool(self, argv, timeout, extra_env=None, check=True):
        # On a busy machine Wine now and then fails to start a tool at all (it
        # passes the name on to start.exe, which then finds nothing to run).
        # The tools that must succeed here may safely run again, so a failure
        # counts only when it repeats.
        for _ in range(3 if check else 1):
            out = self._log_file(os.path.basename(argv[-1] if len(argv) < 3 else argv[1]))
            with open(out + ".out", "wb") as o, open(out + ".err", "wb") as e:
                popen = subprocess.Popen(argv, env=self.env(extra=extra_env),
                                         stdin=subprocess.DEVNULL, stdout=o, stderr=e)
                try:
                    code = popen.wait(timeout=timeout)
                except subprocess.TimeoutExpired:
                    popen.kill()
                    popen.wait()
                    raise
            if code == 0:
                break
        if check and code != 0:
            raise WineError(f"{' '.join(argv)} failed with {code}: "
                            f"{_read_text(out + '.out')[-1000:]}"
                            f"{_read_text(out + '.err')[-2000:]}")
        return code, _read_text(out + ".out")

    # ----- registry ----------------------------------------------------------

    def import_registry(self, text):
        """Imports a .reg file's text (REGEDIT4 or Windows Registry Editor 5)."""
        path = self._log_file("import.reg")
        with open(path, "w", encoding="ascii", newline="") as f:
            f.write(text)
        self._wine_tool(["wine", "reg", "import", path], timeout=120)

    def set_registry(self, key, name, value, kind="REG_SZ"):
        data = str(value)
        self._wine_tool(["wine", "reg", "add", key, "/v", name, "/t", kind, "/d", data, "/f"],
                        timeout=120)

    def delete_registry(self, key, name=None):
        argv = ["wine", "reg", "delete", key, "/f"]
        if name is not None:
            argv[4:4] = ["/v", name]
        # A key or value that is not there is already deleted.
        self._wine_tool(argv, timeout=120, check=False)

    def query_registry(self, key, name):
        """The value's data as reg.exe prints it, or None."""
        code, out = self._wine_tool(["wine", "reg", "query", key, "/v", name],
                                    timeout=120, check=False)
        if code != 0:
            return None
        for line in out.splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) >= 2 and parts[0].lower() == name.lower() and parts[1].startswith("REG_"):
                return parts[2] if len(parts) == 3 else ""
        return None

    def seed_pointer_settings(self, wheel_scroll_lines=None, mouse_sensitivity=None):
        """Sets the wheel lines and mouse speed that the next program reads.

        Wine reads a setting from its volatile session key ("Temporary System
        Parameters") first and from the user's profile second. Every Wine
        process re-creates that volatile tree at start, and no ordinary key may
        be made below a volatile one, so reg.exe cannot add the Mouse subkey
        there. The seed therefore clears the session value and writes the
        profile value, which reads then return exactly.
        """
        values = []
        if wheel_scroll_lines is not None:
            values.append(("Desktop", "WheelScrollLines", wheel_scroll_lines))
        if mouse_sensitivity is not None:
            values.append(("Mouse", "MouseSensitivity", mouse_sensitivity))
        if not values:
            return
        lines = ["REGEDIT4", ""]
        for sub, name, value in values:
            self.delete_registry(f"{TEMP_PARAMS_KEY}\\Control Panel\\{sub}", name)
            lines += [f"[HKEY_CURRENT_USER\\Control Panel\\{sub}]", f'"{name}"="{value}"', ""]
        self.import_registry("\r\n".join(lines) + "\r\n")

    def session_pointer_value(self, name):
        """A session-only value as Wine stored it (REG_SZ text), or None."""
        sub = "Mouse" if name == "MouseSensitivity" else "Desktop"
        return self.query_registry(f"{TEMP_PARAMS_KEY}\\Control Panel\\{sub}", name)

    def set_log_pixels(self, dpi):
        self.set_registry(DESKTOP_KEY, "LogPixels", str(dpi), kind="REG_DWORD")

    # ----- files --------------------------------------------------------------

    @property
    def user(self):
        users = os.path.join(self.prefix, "drive_c", "users")
        names = [n for n in os.listdir(users) if n != "Public"]
        return names[0] if len(names) == 1 else os.environ.get("USER", "root")

    @property
    def appdata(self):
        """The user's roaming application-data folder, as a Unix path."""
        return os.path.join(self.prefix, "drive_c", "users", self.user, "AppData", "Roaming")

    # ----- programs -----------------------------------------------------------

    def launch(self, exe, args=(), debug="-all", extra_env=None, cwd=None):
        """Starts a Windows program; WINEDEBUG is set to debug."""
        if self.heap_checking:
            debug = heap_check.with_heap_checking(debug)
        argv = ["wine", exe, *args]
        base = self._log_file(os.path.basename(exe))
        out = open(base + ".out", "wb")
        err = open(base + ".err", "wb")
        try:
            popen = subprocess.Popen(argv, env=self.env(debug=debug, extra=extra_env),
                                     cwd=cwd, stdin=subprocess.DEVNULL, stdout=out, stderr=err)
        finally:
            out.close()
            err.close()
        proc = WineProcess(popen, base + ".out", base + ".err", argv)
        self._processes.append(proc)
        self._launched.append(proc)
        return proc

    # ----- what a failed test judged --------------------------------------------

    def trace_mark(self):
        """A point in the session's history; trace_tails(mark) covers what
        was launched after it."""
        return len(self._launched)

    def trace_tails(self, mark, programs=3, lines=40):
        """The last lines of the traces of the last programs launched since
        mark that wrote any (the tests' own quiet helpers write none), each
        under a heading with its command line; "" when there is none."""
        parts = []
        for proc in self._launched[mark:]:
            try:
                text = proc.stderr()
            except OSError:
                continue  # the session's folder is already gone
            if text.strip():
                tail = text.splitlines()[-lines:]
                parts.append(f"--- last {len(tail)} lines of the trace of "
                             f"{' '.join(proc.argv[1:])!r} ---\n" + "\n".join(tail))
        return "\n".join(parts[-programs:])

    def run(self, exe, args=(), timeout=60, debug="-all", extra_env=None):
        """Runs a program to its end; raises subprocess.TimeoutExpired (after
        stopping it) when it does not end in time."""
        proc = self.launch(exe, args, debug=debug, extra_env=extra_env)
        try:
            proc.wait(timeout)
        except subprocess.TimeoutExpired:
            proc.kill()
            raise
        return proc

    def stop_programs(self, timeout=10):
        """Closes what the tests started: politely first, then by PID."""
        live = [p for p in self._processes if p.running()]
        if live:
            # Alt+F4 goes through the program's own close handling; destroying
            # the X window would not reach the Win32 window at all.
            for wid in self.windows(name=""):
                if wid not in self._baseline_windows:
                    self.close_window(wid)
            polling.poll(lambda: not any(p.running() for p in live), timeout=timeout, step=0.1)
        for proc in self._processes:
            proc.kill()
            if self.heap_checking:
                self.heap_errors += heap_check.heap_errors(proc.stderr(), proc.argv[1])
        self._processes = []

    def reset(self, data_folder=None):
        """Back to the start state of a test: no program of ours running, the
        default wheel lines and mouse speed, the default DPI, and data_folder (a path
        relative to the application-data folder) removed."""
        self.stop_programs()
        self.seed_pointer_settings(wheel_scroll_lines=DEFAULT_WHEEL_SCROLL_LINES,
                                   mouse_sensitivity=DEFAULT_MOUSE_SENSITIVITY)
        self.set_log_pixels(self.log_pixels)
        if data_folder:
            path = os.path.join(self.appdata, data_folder)
            if os.path.isdir(path) and not os.path.islink(path):
                shutil.rmtree(path)
            elif os.path.lexists(path):
                os.remove(path)

    # ----- display ------------------------------------------------------------

    def _xdotool(self, argv):
        return subprocess.run(["xdotool", *argv], env=self.env(), capture_output=True,
                              text=True, timeout=30, check=False)

    def windows(self, name="", visible_only=True, pid=None):
        """X window ids (as strings) whose title matches the regular expression;
        with pid, only those of that program (a WineProcess's pid).

        A title says nothing of whose window it is: another copy of the program
        may still be mapping its own windows while a test looks. Wine marks
        each X window with the Unix process that made it (_NET_WM_PID), and
        ``wine`` becomes the program's process, so the pid tells them apart.
        """
        argv = ["search"]
        if visible_only:
            argv.append("--onlyvisible")
        if pid is not None:
            # --all: the pid and the title must both match, not either.
            argv += ["--all", "--pid", str(pid)]
        argv += ["--name", name]
        return self._xdotool(argv).stdout.split()

    def program_windows(self, pid=None):
        """Visible windows that the session itself did not bring; with pid,
        only those of that program."""
        return set(self.windows(name="", pid=pid)) - self._baseline_windows

    def close_window(self, wid):
        """Asks a window to close as a user would, with Alt+F4."""
        self._xdotool(["windowfocus", "--sync", wid, "key", "alt+F4"])

    def window_title(self, wid):
        return self._xdotool(["getwindowname", wid]).stdout.rstrip("\n")

    def wait_for_window(self, name, timeout=polling.DEFAULT_TIMEOUT, visible_only=True, pid=None):
        _, found = polling.poll(
            lambda: self.windows(name=name, visible_only=visible_only, pid=pid), timeout=timeout)
        return found

    def screenshot(self, path):
        subprocess.run(["import", "-display", self.display, "-window", "root", path],
                       env=self.env(), check=True, timeout=60,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return path

