"""The ways of running that Tovel.exe's command line chooses, observed from
outside under Wine: what each writes to the system (Wine's system trace), how
long it lives, its exit code, the tray icon, the window and the error box."""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import failure_report  # noqa: E402
import polling  # noqa: E402
import winehelper  # noqa: E402
import e2e_support as e2e  # noqa: E402

# The exit timer closes a one-shot run one second after its start-up work, and
# a refused one a second after its box is closed. Load delays a timer message
# and never brings one early, so only the lower end of that second is a
# matter of the clock: the run must not end sooner, neither from outside nor
# on the program's own trace clock. That it ends at the timer's first tick and
# not a later one is judged from the order of the trace (the one-second timer
# set, one tick of it, the close query's write). What load stretches has only
# bounds that a busy machine does not reach: the spacing from the timer set to
# the write on the trace clock (a program that dawdles after its tick), and
# the deadline for the end (a program that never closes).
ONE_SHOT_MIN_SECONDS = 0.8
EXIT_TIMER_MIN_SECONDS = 0.9
EXIT_TIMER_MS = 1000
EXIT_TIMER_LIMIT_SECONDS = 10.0
END_TIMEOUT = 60
RESIDENT_CHECK_SECONDS = 3.0


class CommandLineTest(e2e.ProgramSessionTest):
    def setUp(self):
        self.session.reset(data_folder=e2e.MAKER_FOLDER)

    # ----- helpers ------------------------------------------------------------

    def run_one_shot(self, args, lines=None, speed=None):
        """Seeds the pointer settings, runs Tovel to its end; the TimedRun."""
        self.session.seed_pointer_settings(wheel_scroll_lines=lines, mouse_sensitivity=speed)
        run = e2e.TimedRun(self.session, self.exe, args, debug=e2e.ONE_SHOT_TRACE)
        self.wait_for_end(run)
        self.assertGreaterEqual(run.seconds(), ONE_SHOT_MIN_SECONDS,
                                f"Tovel {args} ended before its exit timer")
        timer_to_write = self.assert_closes_at_the_first_tick(run)
        seconds = e2e.seconds_from_last_pointer_call_to_settings_write(run.proc)
        self.assertIsNotNone(seconds, "no pointer call or no settings write in the trace")
        self.assertGreaterEqual(seconds, EXIT_TIMER_MIN_SECONDS,
                                f"Tovel {args} closed before a second")
        # The figures that the bounds above were chosen from, for the log.
        print(f"\none-shot {args}: ended {run.seconds():.2f} s after its start, wrote "
              f"{seconds:.2f} s after its start-up work and {timer_to_write:.2f} s after "
              "its timer was set", file=sys.stderr)
        trace = run.proc.stderr()
        self.assertEqual(e2e.message_box_texts(trace), [], f"Tovel {args} showed a box")
        self.assertNotIn(e2e.NIM_ADD, e2e.notify_icon_requests(trace),
                         f"Tovel {args} added a tray icon")
        self.assert_reads_the_routing(run.proc)
        return run

    def wait_for_end(self, run):
        """Waits for the run to end by itself; it must end with exit code 0."""
        code = run.wait(END_TIMEOUT)
        if code is None:
            run.proc.kill()
            self.fail(f"Tovel {run.args} still ran after {END_TIMEOUT} s")
        self.assertEqual(code, 0, f"exit code of Tovel {run.args}")

    def assert_closes_at_the_first_tick(self, run):
        """After its last call on the pointer settings the program sets one
        timer of a second, takes one tick of it and then closes: the close
        query writes Tovel.ini before any second tick comes. Answers the
        seconds from the timer set to the last write."""
        events = e2e.closing_events(run.proc)
        calls = [i for i, e in enumerate(events) if e.kind == "pointer"]
        after = events[calls[-1]:] if calls else events
        seen = "the trace from the last pointer call on: " + e2e.describe_events(after)
        self.assertTrue(calls, "no call on the pointer settings; " + seen)
        timers = [i for i, e in enumerate(after) if e.kind == "timer"]
        self.assertEqual([after[i].interval for i in timers], [EXIT_TIMER_MS],
                         "the timers set after the start-up work; " + seen)
        timer = after[timers[0]]
        writes = [i for i, e in enumerate(after) if e.kind == "settings"]
        self.assertTrue(writes, "no close query's write after the start-up work; " + seen)
        ticks = [e for e in after[timers[0]:writes[0]]
                 if e.kind == "tick" and e.timer == timer.timer]
        self.assertEqual(len(ticks), 1,
                         "ticks of the exit timer between its set and the write; " + seen)
        timer_to_write = after[writes[-1]].seconds - timer.seconds
        self.assertLessEqual(timer_to_write, EXIT_TIMER_LIMIT_SECONDS,
                             f"Tovel {run.args} closed long after its exit timer; " + seen)
        return timer_to_write

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
        found = self.session.wait_for_window("^Tovel$", pid=run.proc.pid)
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
        run = e2e.TimedRun(self.session, self.exe, args, debug=e2e.ONE_SHOT_TRACE)
        texts = run.wait_for_box()
        self.assertEqual(texts, [e2e.COMMAND_LINE_ERROR],
                         run.proc.stderr()[-2000:])
        boxes = self.session.wait_for_window("^Tovel$", pid=run.proc.pid)
        self.assertTrue(boxes, "the box titled Tovel is not on the screen")
        # The exit timer waits for the box: it must not close the program once
        # its second is over. The delay is what is tested.
        time.sleep(1.5)
        self.assertTrue(run.proc.running(), "the program ended with its box open")
        closed = e2e.close_box(self.session, run.proc)
        self.assertIsNotNone(closed)
        self.wait_for_end(run)
        self.assertGreaterEqual(run.seconds(since=closed), ONE_SHOT_MIN_SECONDS,
                                f"Tovel {args} ended before a second after its box was closed")
        timer_to_write = self.assert_closes_at_the_first_tick(run)
        print(f"\nrefused {args}: ended {run.seconds(since=closed):.2f} s after its box was "
              f"closed, wrote {timer_to_write:.2f} s after its timer was set", file=sys.stderr)
        trace = run.proc.stderr()
        self.assertEqual(e2e.pointer_writes(run.proc), [])
        self.assertNotIn(e2e.NIM_ADD, e2e.notify_icon_requests(trace))
        self.assertEqual(len(e2e.message_box_texts(trace)), 1, "more than one box")
        # Even a refused command line saves the line count on the way out.
        with open(settings, "rb") as f:
            self.assertIn(b"[Line]\r\nCount=2\r\n", f.read())


if __name__ == "__main__":
    failure_report.main()
