"""The ways of running that Tovel.exe's command line chooses, observed from
outside under Wine: what each writes to the system (Wine's system trace), how
long it lives, its exit code, the tray icon, the window and the error box."""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import polling  # noqa: E402
import winehelper  # noqa: E402
import e2e_support as e2e  # noqa: E402

# The exit timer closes a one-shot run one second after start-up. From the
# outside Wine's own process start and end come on top, and a busy machine
# stretches them by seconds, so the outer upper bound is generous. The
# program's own trace clock sees the second itself, and its upper bound stays
# below the timer's second tick.
ONE_SHOT_SECONDS = (0.8, 15.0)
EXIT_TIMER_SECONDS = (0.9, 1.9)
END_TIMEOUT = 20
RESIDENT_CHECK_SECONDS = 3.0


class CommandLineTest(e2e.ProgramSessionTest):
    def setUp(self):
        self.session.reset(data_folder=e2e.MAKER_FOLDER)

    # ----- helpers ------------------------------------------------------------

    def run_one_shot(self, args, lines=None, speed=None):
        """Seeds the pointer settings, runs Tovel to its end; the TimedRun."""
        self.session.seed_pointer_settings(wheel_scroll_lines=lines, mouse_sensitivity=speed)
        run = e2e.TimedRun(self.session, self.exe, args, debug=e2e.ONE_SHOT_TRACE)
        code = run.wait(END_TIMEOUT)
        if code is None:
            run.proc.kill()
            self.fail(f"Tovel {args} still ran after {END_TIMEOUT} s")
        self.assertEqual(code, 0, f"exit code of Tovel {args}")
        low, high = ONE_SHOT_SECONDS
        self.assertGreaterEqual(run.seconds(), low, f"Tovel {args} ended before its exit timer")
        self.assertLessEqual(run.seconds(), high, f"Tovel {args} took too long to end")
        self.assert_exit_timer_second(run)
        trace = run.proc.stderr()
        self.assertEqual(e2e.message_box_texts(trace), [], f"Tovel {args} showed a box")
        self.assertNotIn(e2e.NIM_ADD, e2e.notify_icon_requests(trace),
                         f"Tovel {args} added a tray icon")
        self.assert_reads_the_routing(run.proc)
        return run

    def assert_exit_timer_second(self, run):
        seconds = e2e.seconds_from_last_pointer_call_to_settings_write(run.proc)
        self.assertIsNotNone(seconds, run.proc.stderr()[-2000:])
        low, high = EXIT_TIMER_SECONDS
        self.assertGreaterEqual(seconds, low, f"Tovel {run.args} closed before a second")
        self.assertLessEqual(seconds, high, f"Tovel {run.args} closed late")

    def assert_reads_the_routing(self, proc):
        # Tovel takes Wine for Windows 10 (its manifest) and asks for the wheel
        # routing, which Wine 8 refuses; it must never try to write it back.
        actions = [c.action for c in e2e.spi_calls(proc)]
        self.assertIn(e2e.SPI_GETMOUSEWHEELROUTING, actions)
        self.assertNotIn(e2e.SPI_SETMOUSEWHEELROUTING, actions)

    def remove_settings_file(self):
        # Without a file, whole-screen mode comes back to 3 lines.
        path = e2e.settings_path(self.session)
        if os.path.exists(path):
            os.remove(path)

    def wait_for_start_up(self, run, what, done):
        """Waits until done(trace) shows that the run's start-up work is over
        and the routing has been read."""
        def finished(trace):
            calls = winehelper.parse_spi_calls(e2e.without_timestamps(trace))
            return done(trace) and any(c.action == e2e.SPI_GETMOUSEWHEELROUTING for c in calls)
        polling.wait_for(run.proc.stderr, f"the start-up of {what}", until=finished,
                         show=lambda trace: trace[-2000:])

    def assert_still_running(self, run, what):
        # The delay is what is tested: a one-shot run closes a second after its
        # start-up, a resident one must still be there well after that.
        time.sleep(RESIDENT_CHECK_SECONDS)
        self.assertTrue(run.proc.running(),
                        f"{what} ended by itself:\n{run.proc.stderr()[-2000:]}")

    # ----- one-shot runs ------------------------------------------------------

    def test_without_argument_the_wheel_mode_flips_once_and_the_program_ends(self):
        cases = [
            # (arguments, seeded wheel lines, expected single write)
            ([], -1, (e2e.SPI_SETWHEELSCROLLLINES, 3, 0, e2e.SESSION_ONLY)),
            ([], 7, (e2e.SPI_SETWHEELSCROLLLINES, e2e.PAGE_SCROLL, 0, e2e.SESSION_ONLY)),
            # Only an empty quoted argument counts as no argument.
            ([""], -1, (e2e.SPI_SETWHEELSCROLLLINES, 3, 0, e2e.SESSION_ONLY)),
            ([""], 7, (e2e.SPI_SETWHEELSCROLLLINES, e2e.PAGE_SCROLL, 0, e2e.SESSION_ONLY)),
        ]
        for args, lines, write in cases:
            with self.subTest(args=args, lines=lines):
                self.remove_settings_file()
                run = self.run_one_shot(args, lines=lines, speed=10)
                self.assertEqual(e2e.pointer_writes(run.proc), [write])

    def test_a_speed_from_1_to_20_is_set_once_and_the_program_ends(self):
        # A leading blank inside quotes is skipped like any leading space.
        cases = [("7", 7), ("+7", 7), ("07", 7), ("$A", 10), ("0x14", 20), ("1", 1), (" 5", 5)]
        for arg, speed in cases:
            with self.subTest(arg=arg):
                run = self.run_one_shot([arg], lines=3, speed=4)
                # The speed itself travels in pvParam, as Windows documents it.
                self.assertEqual(e2e.pointer_writes(run.proc),
                                 [(e2e.SPI_SETMOUSESPEED, 0, speed, e2e.SESSION_ONLY)])

    def test_the_speed_in_force_is_not_written_again(self):
        run = self.run_one_shot(["$11"], lines=3, speed=17)
        self.assertEqual(e2e.pointer_writes(run.proc), [])
        # The one-shot still saves the line count on its way out.
        with open(e2e.settings_path(self.session), "rb") as f:
            self.assertIn(b"Count=2\r\n", f.read())

    # ----- resident ways --------------------------------------------------------

    def test_tray_mode_shows_the_icon_writes_nothing_and_stays(self):
        run = e2e.TimedRun(self.session, self.exe, ["/t"])
        self.wait_for_start_up(run, "Tovel /t",
                               lambda trace: e2e.NIM_ADD in e2e.notify_icon_requests(trace))
        self.assert_still_running(run, "Tovel /t")
        trace = run.proc.stderr()
        requests = e2e.notify_icon_requests(trace)
        self.assertIn(e2e.NIM_ADD, requests, "no tray icon was added:\n" + trace[-2000:])
        added = len(requests) - requests[::-1].index(e2e.NIM_ADD)
        self.assertNotIn(e2e.NIM_DELETE, requests[added:], "the tray icon was removed again")
        self.assertEqual(e2e.pointer_writes(run.proc), [])
        self.assertEqual(e2e.message_box_texts(trace), [])
        # Wine may show the tray itself as a window; the program shows none.
        self.assertEqual(self.session.windows("^Tovel$", pid=run.proc.pid), [],
                         "/t showed a window")
        self.assert_reads_the_routing(run.proc)

    def test_window_mode_shows_the_window_without_a_tray_icon_and_stays(self):
        run = e2e.TimedRun(self.session, self.exe, ["/w"])
        found = self.session.wait_for_window("^Tovel$", timeout=30, pid=run.proc.pid)
        self.assertTrue(found, "no window titled Tovel:\n" + run.proc.stderr()[-2000:])
        self.wait_for_start_up(run, "Tovel /w", lambda trace: True)
        self.assert_still_running(run, "Tovel /w")
        trace = run.proc.stderr()
        self.assertNotIn(e2e.NIM_ADD, e2e.notify_icon_requests(trace), "/w added a tray icon")
        self.assertEqual(e2e.pointer_writes(run.proc), [])
        self.assertEqual(e2e.message_box_texts(trace), [])
        self.assert_reads_the_routing(run.proc)
        # Closed by the user, the window ends the program with exit code 0.
        for wid in self.session.windows("^Tovel$", pid=run.proc.pid):
            self.session.close_window(wid)
        self.assertEqual(run.wait(END_TIMEOUT), 0)

    # ----- wrong command lines --------------------------------------------------

    def test_a_wrong_command_line_shows_the_box_and_ends_a_second_after_it_is_closed(self):
        cases = [["/T"], ["0"], ["21"], ["abc"], ["7 "], ["/t", "/w"], ["5", "6"],
                 # 2^32 + 1 must not wrap round to speed 1; /t with more is refused.
                 ["4294967297"], ["/t", "5"]]
        settings = e2e.settings_path(self.session)
        for args in cases:
            with self.subTest(args=args):
                self.remove_settings_file()
                try:
                    self.check_wrong_command_line(args, settings)
                finally:
                    # A box left open would make the next start a second copy.
                    self.session.stop_programs()

    def check_wrong_command_line(self, args, settings):
        run = e2e.TimedRun(self.session, self.exe, args)
        texts = run.wait_for_box()
        self.assertEqual(texts, [e2e.COMMAND_LINE_ERROR],
                         run.proc.stderr()[-2000:])
        boxes = self.session.wait_for_window("^Tovel$", timeout=15, pid=run.proc.pid)
        self.assertTrue(boxes, "the box titled Tovel is not on the screen")
        # The exit timer waits for the box: it must not close the program once
        # its second is over. The delay is what is tested.
        time.sleep(1.5)
        self.assertTrue(run.proc.running(), "the program ended with its box open")
        closed = e2e.close_box(self.session, run.proc)
        self.assertIsNotNone(closed)
        code = run.wait(END_TIMEOUT)
        if code is None:
            run.proc.kill()
            self.fail(f"Tovel {args} did not end after its box was closed")
        self.assertEqual(code, 0)
        low, high = ONE_SHOT_SECONDS
        self.assertGreaterEqual(run.seconds(since=closed), low)
        self.assertLessEqual(run.seconds(since=closed), high)
        trace = run.proc.stderr()
        self.assertEqual(e2e.pointer_writes(run.proc), [])
        self.assertNotIn(e2e.NIM_ADD, e2e.notify_icon_requests(trace))
        self.assertEqual(len(e2e.message_box_texts(trace)), 1, "more than one box")
        # Even a refused command line saves the line count on the way out.
        with open(settings, "rb") as f:
            self.assertIn(b"[Line]\r\nCount=2\r\n", f.read())


if __name__ == "__main__":
    unittest.main()
