"""The self-test zip as a user gets it: Tovel-selftest.exe unpacked into a
folder with Japanese characters and spaces passes and writes its report; a
run whose tests fail, crash or abort halfway, and one stopped with Ctrl+C,
put the pointer settings back, leave no scratch folder and write a report; a
second run during a run, and a run from an archive's temporary copy, refuse
and run nothing; an unwritable folder sends the report to %TEMP%.

Every run goes through the selftest_driver helper, which reads the settings
from fresh processes before and after and counts the scratch folders. Wine 8
answers 0 for a pointer speed written session-only, so the speed is judged
by what the self-test wrote last (Wine's system trace); the wheel lines are
judged both ways."""

import os
import re
import shutil
import subprocess
import sys
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import failure_report  # noqa: E402
import e2e_support as e2e  # noqa: E402
import winehelper  # noqa: E402

ENTRIES = {"Tovel-selftest.exe", "README-selftest.txt", "LICENSE", "THIRD-PARTY-NOTICES.txt"}
FOLDER = "Tovel の セルフ テスト"
TRACE = "-all,trace+system"
SPIF_UPDATEINIFILE = 1
STOPPED_EXIT_CODE = 3
REFUSED_EXIT_CODE = 2
REPORT = "Tovel-selftest-report.txt"
# Tests before the injected one that write no setting: the first change the
# driver sees is the injected one's.
QUIET_FIRST = "--gtest_filter=Win32FileSystemTest.*:InjectedFault.*"
_COUNTS = re.compile(r"^(\d+) passed, (\d+) failed, (\d+) skipped$", re.MULTILINE)
_STATE = re.compile(r"^(before|ended|after) speed=(-?\d+) lines=(-?\d+) routing=(-?\d+) folders=(\d+)$",
                    re.MULTILINE)


def package_path():
    return e2e.built_file("TOVEL_SELFTEST_PACKAGE", "a built self-test zip")


class SelftestRun:
    """One run of the self-test under the driver, and what it printed."""

    def __init__(self, proc):
        self.proc = proc
        self.out = proc.stdout().replace("\r\n", "\n")
        self.states = {m.group(1): tuple(int(v) for v in m.groups()[1:])
                       for m in _STATE.finditer(self.out)}
        exit_line = re.search(r"^exit=(\d+)$", self.out, re.MULTILINE)
        self.code = int(exit_line.group(1)) if exit_line else None
        self.writes = [c for c in winehelper.parse_spi_calls(proc.stderr())
                       if c.action in e2e.SPI_WRITES]


class SelftestPackageTest(e2e.ProgramSessionTest):
    # On a virtual desktop, as the Win32 tests run (tests/win32/wine_run.py):
    # on the bare display every window the self-test shows waits for a window
    # manager that is not there.
    DESKTOP = "tovel"
    HELPERS = ("selftest_driver",)

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.folder = os.path.join(cls.session.prefix, "drive_c", FOLDER)
        with zipfile.ZipFile(package_path()) as archive:
            cls.names = archive.namelist()
            archive.extractall(cls.folder)
        cls.windows_exe = "C:\\" + FOLDER + "\\Tovel-selftest.exe"

    def run_selftest(self, args=(), inject=None, interrupt=False, second=False, end=False,
                     exe=None, env=None, timeout=1500):
        self.session.reset()
        extra = dict(env or {})
        if inject:
            extra["TOVEL_SELFTEST_INJECT"] = inject
        argv = ((["--second"] if second else []) + (["--interrupt"] if interrupt else []) +
                (["--end"] if end else []) + [exe or self.windows_exe, *args])
        proc = self.session.launch(self.helpers["selftest_driver"], argv, debug=TRACE,
                                   extra_env=extra or None)
        try:
            proc.wait(timeout)
        except subprocess.TimeoutExpired:
            proc.kill()
            self.fail(f"the self-test did not end:\n{proc.stdout()[-3000:]}")
        return SelftestRun(proc)

    def report(self, folder=None):
        with open(os.path.join(folder or self.folder, REPORT), "rb") as f:
            raw = f.read()
        self.assertTrue(raw.startswith(b"\xef\xbb\xbf"), raw[:8])
        return raw[3:].decode("utf-8").replace("\r\n", "\n")

    def assert_put_back(self, run):
        """Session-only writes only, the last of each the value from before
        the run; no scratch folder afterwards."""
        before, after = run.states.get("before"), run.states.get("after")
        self.assertIsNotNone(after, run.out[-3000:])
        self.assertEqual(before[0:2], (winehelper.DEFAULT_MOUSE_SENSITIVITY,
                                       winehelper.DEFAULT_WHEEL_SCROLL_LINES))
        self.assertTrue(run.writes, "the self-test wrote no setting: nothing was tried")
        self.assertEqual([c for c in run.writes if c.win_ini & SPIF_UPDATEINIFILE], [],
                         "a write reached the user's profile")
        last = {c.action: c for c in run.writes}
        self.assertEqual(last[e2e.SPI_SETMOUSESPEED].pv_param, before[0])
        self.assertEqual(last[e2e.SPI_SETWHEELSCROLLLINES].ui_param, before[1])
        self.assertEqual(after[1], before[1], "wheel lines as read afterwards")
        self.assertEqual(after[2], before[2], "wheel routing as read afterwards")
        self.assertEqual(after[3], 0, "scratch folders left in %TEMP%")

    def test_the_zip_holds_the_selftest_and_its_guide(self):
        self.assertEqual(sorted(self.names), sorted(ENTRIES))
        with open(os.path.join(self.folder, "README-selftest.txt"), "rb") as f:
            guide = f.read()
        self.assertTrue(guide.startswith(b"\xef\xbb\xbf"))
        text = guide.decode("utf-8")
        for needed in ("Tovel-selftest-report.txt", "Ctrl+C", "%TEMP%", "セルフテスト"):
            self.assertIn(needed, text)
        with open(os.path.join(self.folder, "THIRD-PARTY-NOTICES.txt"), encoding="ascii") as f:
            notices = f.read()
        for component in ("GoogleTest", "winpthreads", "mingw-w64 runtime"):
            self.assertIn(component, notices)

    def test_passes_from_a_folder_with_japanese_characters_and_spaces(self):
        run = self.run_selftest()
        self.assertEqual(run.code, 0, run.out[-4000:])
        counts = _COUNTS.findall(run.out)
        self.assertTrue(counts, run.out[-3000:])
        passed, failed, _skipped = counts[-1]
        self.assertGreater(int(passed), 40)
        self.assertEqual(failed, "0")
        report = self.report()
        self.assertEqual(report.rstrip("\n").split("\n")[-1], " ".join(
            [f"{passed} passed,", "0 failed,", f"{counts[-1][2]} skipped"]))
        wine = subprocess.run(["wine", "--version"], capture_output=True, text=True,
                              env=self.session.env(), check=True).stdout.strip()
        self.assertIn("Wine: " + wine.removeprefix("wine-").split()[0] + "\n", report)
        _code, ver = self.session._wine_tool(["wine", "cmd", "/c", "ver"], timeout=120)
        version = re.search(r"(\d+\.\d+\.\d+)", ver).group(1)
        self.assertRegex(report, r"(?m)^Windows: .*\(" + re.escape(version) + r"\.\d+\)$")
        self.assert_put_back(run)

    def test_a_failure_halfway_still_puts_everything_back(self):
        run = self.run_selftest(["--gtest_filter=WindowsBehaviourTest.*:InjectedFault.*"],
                                inject="fail")
        self.assertEqual(run.code, 1, run.out[-3000:])
        report = self.report()
        self.assertIn("FAIL  InjectedFault.ChangesTheSettingsThenFails\n", report)
        self.assertRegex(report, r"\n\d+ passed, 1 failed, \d+ skipped\n$")
        self.assert_put_back(run)

    def test_a_crash_or_abort_of_the_tests_still_puts_everything_back(self):
        cases = (
            ("crash", "ChangesTheSettingsThenCrashes", "it crashed (access violation)"),
            ("abort", "ChangesTheSettingsThenAborts", "it called abort"),
        )
        for inject, test, how in cases:
            with self.subTest(inject):
                run = self.run_selftest([QUIET_FIRST], inject=inject)
                self.assertEqual(run.code, 1, run.out[-3000:])
                ended = ("The test process ended abnormally during InjectedFault." + test +
                         ": " + how)
                self.assertIn(ended, run.out)
                report = self.report()
                self.assertIn(ended, report)
                self.assertIn("RUNNING  InjectedFault." + test, report)
                self.assert_put_back(run)

    def test_ctrl_c_halfway_puts_everything_back(self):
        run = self.run_selftest([QUIET_FIRST], inject="wait", interrupt=True)
        # The run was stopped while its scratch folder was there.
        self.assertIn("interrupted folders=1\n", run.out)
        self.assertEqual(run.code, STOPPED_EXIT_CODE, run.out[-3000:])
        self.assertIn("Stopped by Ctrl+C during InjectedFault.ChangesTheSettingsThenWaits",
                      self.report())
        self.assert_put_back(run)

    def test_a_second_run_during_a_run_refuses_and_touches_nothing(self):
        run = self.run_selftest([QUIET_FIRST], inject="wait", interrupt=True, second=True)
        # It ended by itself, made no scratch folder of its own and wrote no
        # report over the first run's.
        self.assertIn(f"second exit={REFUSED_EXIT_CODE} folders=1\n", run.out)
        self.assertIn("Another Tovel self-test is running", run.out)
        self.assertIn("Stopped by Ctrl+C during InjectedFault.ChangesTheSettingsThenWaits",
                      self.report())
        self.assert_put_back(run)

    def test_a_run_after_one_whose_supervisor_was_ended_puts_everything_back(self):
        run = self.run_selftest([QUIET_FIRST], inject="wait", end=True)
        # Ended from outside while the test's values stood: nothing of the
        # first run put them back, and its scratch folder stayed.
        before, ended = run.states.get("before"), run.states.get("ended")
        self.assertIsNotNone(ended, run.out[-3000:])
        self.assertNotEqual(ended[1], before[1], "the wheel lines were not at a test's value")
        self.assertEqual(ended[3], 1, "the ended run's scratch folder")
        # The second run put it back before its own snapshot, said so, and
        # passed on its own account.
        self.assertEqual(run.code, 0, run.out[-3000:])
        self.assertIn("EARLIER RUN PUT BACK", run.out)
        report = self.report()
        self.assertRegex(report, r"EARLIER RUN PUT BACK: the self-test run of Tovel-selftest-\d+-\d+ "
                                 r"was ended before it could put the machine back \(during "
                                 r"InjectedFault\.ChangesTheSettingsThenWaits\)\. Written back: "
                                 r"[a-z ,]*wheel lines")
        self.assert_put_back(run)

    def test_googletest_variables_of_the_users_environment_do_not_reach_the_tests(self):
        xml = os.path.join(self.session.prefix, "drive_c", "gtest-output.xml")
        if os.path.exists(xml):
            os.remove(xml)
        run = self.run_selftest(["--gtest_filter=Win32FileSystemTest.*"],
                                env={"GTEST_OUTPUT": "xml:C:\\gtest-output.xml",
                                     "GTEST_REPEAT": "2"})
        self.assertEqual(run.code, 0, run.out[-3000:])
        # Each test once, and no file the variable asked for.
        self.assertEqual(_COUNTS.findall(run.out)[-1], ("6", "0", "0"))
        self.assertFalse(os.path.exists(xml), "GTEST_OUTPUT reached the tests")

    def copy_exe(self, windows_folder):
        """Tovel-selftest.exe copied into a folder of the prefix's C: drive."""
        folder = os.path.join(self.session.prefix, "drive_c", *windows_folder.split("\\"))
        os.makedirs(folder, exist_ok=True)
        shutil.copy(os.path.join(self.folder, "Tovel-selftest.exe"), folder)
        return folder, "C:\\" + windows_folder + "\\Tovel-selftest.exe"

    def test_where_the_report_cannot_go_or_would_be_lost(self):
        _code, out = self.session._wine_tool(["wine", "cmd", "/c", "echo %TEMP%"], timeout=120)
        windows_temp = out.strip()
        self.assertRegex(windows_temp, r"^C:\\")
        temp = os.path.join(self.session.prefix, "drive_c", *windows_temp[3:].split("\\"))
        # Explorer's temporary copy of a file run from inside the zip.
        zipped, zipped_exe = self.copy_exe(windows_temp[3:] + "\\Temp1_Tovel-selftest-win64.zip")
        run = self.run_selftest(["--gtest_filter=Win32FileSystemTest.*"], exe=zipped_exe)
        self.assertEqual(run.code, REFUSED_EXIT_CODE, run.out[-3000:])
        self.assertIn("Extract the zip first", run.out)
        self.assertEqual(run.writes, [], "a run from inside the zip wrote a setting")
        self.assertFalse(os.path.exists(os.path.join(zipped, REPORT)))
        self.assertEqual(run.states["after"][3], 0)
        # A folder that takes no report: a folder stands where the file would.
        locked, locked_exe = self.copy_exe("locked")
        os.makedirs(os.path.join(locked, REPORT), exist_ok=True)
        if os.path.exists(os.path.join(temp, REPORT)):
            os.remove(os.path.join(temp, REPORT))
        run = self.run_selftest(["--gtest_filter=Win32FileSystemTest.*"], exe=locked_exe)
        self.assertEqual(run.code, 0, run.out[-3000:])
        self.assertIn("cannot be written, so the report went to %TEMP% instead.\n", run.out)
        last = run.out.rstrip("\n").split("\n")
        self.assertIn("The report: %TEMP%\\" + REPORT, last[-3:])
        self.assertRegex(self.report(temp), r"\n\d+ passed, 0 failed, 0 skipped\n$")

if __name__ == "__main__":
    failure_report.main()
