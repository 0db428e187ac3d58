"""Start-up of Tovel.exe: the data folder, the single-instance guard and the
silent refusals, observed from outside under Wine."""

import os
import re
import shutil
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import failure_report  # noqa: E402
import polling  # noqa: E402
import winehelper  # noqa: E402

MAKER_FOLDER = "Varnel Project"
SPI_WRITES = {105, 113, 0x201D}
TRACE = "-all,trace+system,trace+msgbox,+pid"
END_TIMEOUT = 60  # generous for Wine on a busy machine; a refused start ends long before
LOADS = "-all,+loaddll,trace+system,+pid"
# Wine's loader line for the common-controls library, and the side-by-side
# folder of version 6 that the manifest asks for.
COMCTL_LOADED = re.compile(r'trace:loaddll:.*Loaded L"(?P<path>[^"]*comctl32\.dll)"', re.I)
# (The trace doubles each backslash of a path.)
COMCTL_6 = re.compile(r"\\+winsxs\\+[^\\]*common-controls[^\\]*_6\.0\.[^\\]*\\+comctl32\.dll$",
                      re.I)
SPEED_WRITE = 113
# COM and the accessibility library, which only a named control of a shown
# window reaches for.
COM_LOADED = re.compile(r'trace:loaddll:.*Loaded L"[^"]*\\(?P<name>ole32|oleacc)\.dll"', re.I)


def program_path():
    path = os.environ.get("TOVEL_EXE")
    if not path or not os.path.isfile(path):
        raise unittest.SkipTest("TOVEL_EXE does not name a built Tovel.exe")
    return path


class StartupTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.exe = program_path()
        cls.session = winehelper.WineSession().start()

    @classmethod
    def tearDownClass(cls):
        cls.session.close()

    def setUp(self):
        self.session.reset(data_folder=MAKER_FOLDER)
        self.maker_dir = os.path.join(self.session.appdata, MAKER_FOLDER)
        self.data_dir = os.path.join(self.maker_dir, "Tovel")

    def tearDown(self):
        self.session.stop_programs()

    # ----- helpers ------------------------------------------------------------

    def start_windowed(self):
        proc = self.session.launch(self.exe, ["/w"], debug=TRACE)
        found = self.session.wait_for_window("^Tovel$", pid=proc.pid)
        self.assertTrue(found, "the /w start showed no window:\n" + proc.stderr()[-2000:])
        self.assertTrue(proc.running(), "the /w start did not stay")
        return proc

    def run_watching_windows(self, args):
        """Runs a start to its end; answers (exit code, windows it brought, proc).
        The windows are told apart by their process: a first copy may still be
        mapping windows of its own meanwhile."""
        proc = self.session.launch(self.exe, args, debug=TRACE)
        appeared = set()

        def watch():
            """Notes the windows shown now; whether the program has ended."""
            nonlocal appeared
            appeared |= self.session.program_windows(pid=proc.pid)
            return not proc.running()

        polling.poll(watch, timeout=END_TIMEOUT, step=0.05)
        try:
            code = proc.wait(1)
        except subprocess.TimeoutExpired:
            proc.kill()
            self.fail(f"Tovel {args} did not end within {END_TIMEOUT} s")
        appeared |= self.session.program_windows(pid=proc.pid)
        return code, appeared, proc

    def assert_silent(self, proc, appeared, args):
        titles = [self.session.window_title(w) for w in appeared]
        self.assertEqual(appeared, set(), f"Tovel {args} showed windows {titles}")
        err = proc.stderr()
        self.assertNotIn("MSGBOX_OnInit", err, f"Tovel {args} showed a message box")
        writes = [c for c in proc.spi_calls() if c.action in SPI_WRITES]
        self.assertEqual(writes, [], f"Tovel {args} changed system settings")

    # ----- tests --------------------------------------------------------------

    def test_first_start_creates_the_data_folder_and_stays_in_window_mode(self):
        self.assertFalse(os.path.lexists(self.maker_dir))
        proc = self.start_windowed()
        self.assertTrue(os.path.isdir(self.data_dir), "no <APPDATA>\\Varnel Project\\Tovel")
        # Still running after the one-second exit timer of the one-shot modes:
        # the delay is what is tested.
        time.sleep(2)
        self.assertTrue(proc.running(), "the /w start ended by itself")

    def test_window_mode_ends_with_exit_code_0_when_closed(self):
        proc = self.start_windowed()
        for wid in self.session.windows("^Tovel$", pid=proc.pid):
            self.session.close_window(wid)
        self.assertEqual(proc.wait(END_TIMEOUT), 0)

    def test_second_start_ends_at_once_silently_whatever_its_command_line(self):
        first = self.start_windowed()
        for args in (["/w"], [], ["/t"], ["5"], ["/bogus"]):
            with self.subTest(args=args):
                code, appeared, proc = self.run_watching_windows(args)
                self.assertEqual(code, 0)
                self.assert_silent(proc, appeared, args)
        self.assertTrue(first.running(), "the first copy ended")

    def test_second_start_still_creates_a_missing_data_folder(self):
        self.start_windowed()
        shutil.rmtree(self.maker_dir)
        code, appeared, proc = self.run_watching_windows(["/w"])
        self.assertEqual(code, 0)
        self.assert_silent(proc, appeared, ["/w"])
        self.assertTrue(os.path.isdir(self.data_dir))

    def test_a_one_shot_never_loads_the_common_controls(self):
        proc = self.session.run(self.exe, ["7"], timeout=END_TIMEOUT, debug=LOADS)
        self.assertEqual(proc.wait(1), 0)
        self.assertIn(SPEED_WRITE, [c.action for c in proc.spi_calls()], "no speed write")
        self.assertEqual(COMCTL_LOADED.findall(proc.stderr()), [],
                         "a one-shot shows no control and needs no common controls")
        self.assertEqual(COM_LOADED.findall(proc.stderr()), [],
                         "a one-shot names no control for screen readers and needs no COM")

    def test_the_window_uses_version_6_of_the_common_controls(self):
        for args in (["/w"], ["/t"]):
            with self.subTest(args=args):
                self.session.stop_programs()
                proc = self.session.launch(self.exe, args, debug=LOADS)
                # Loaded before the first control is made (/w), or when the
                # icon's window asks for the version (/t): poll for the line.
                deadline = time.monotonic() + END_TIMEOUT
                paths = []
                while not paths and proc.running() and time.monotonic() < deadline:
                    time.sleep(0.1)
                    paths = [m.group("path") for m in COMCTL_LOADED.finditer(proc.stderr())]
                self.assertEqual(len(paths), 1, f"comctl32 loads: {paths}")
                self.assertRegex(paths[0], COMCTL_6, "not the side-by-side version 6")

    def test_file_in_place_of_the_maker_folder_ends_silently(self):
        with open(self.maker_dir, "wb") as f:
            f.write(b"not a folder")
        for args in (["/w"], []):
            with self.subTest(args=args):
                code, appeared, proc = self.run_watching_windows(args)
                self.assertEqual(code, 0)
                self.assert_silent(proc, appeared, args)
                self.assertTrue(os.path.isfile(self.maker_dir))
                with open(self.maker_dir, "rb") as f:
                    self.assertEqual(f.read(), b"not a folder")
        # The refusal took no guard: a start after the file is gone runs normally.
        os.remove(self.maker_dir)
        self.start_windowed()
        self.assertTrue(os.path.isdir(self.data_dir))


if __name__ == "__main__":
    failure_report.main()
