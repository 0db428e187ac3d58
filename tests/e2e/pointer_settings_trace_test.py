"""Each pointer-settings operation reaches SystemParametersInfoW with exactly
the arguments Windows expects, as Wine's system trace shows them."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import failure_report  # noqa: E402
import winehelper  # noqa: E402

SPI_GETWHEELSCROLLLINES = 104
SPI_SETWHEELSCROLLLINES = 105
SPI_GETMOUSESPEED = 112
SPI_SETMOUSESPEED = 113
SPI_GETMOUSEWHEELROUTING = 0x201C
SPI_SETMOUSEWHEELROUTING = 0x201D
POINTER_ACTIONS = {SPI_GETWHEELSCROLLLINES, SPI_SETWHEELSCROLLLINES, SPI_GETMOUSESPEED,
                   SPI_SETMOUSESPEED, SPI_GETMOUSEWHEELROUTING, SPI_SETMOUSEWHEELROUTING}
SESSION_ONLY = 2   # SPIF_SENDCHANGE
PERSISTENT = 3     # SPIF_UPDATEINIFILE | SPIF_SENDCHANGE
ADDRESS = object()  # any non-null pointer to the caller's variable


def probe_path():
    path = os.environ.get("SPI_PROBE_EXE")
    if not path:
        raise unittest.SkipTest("SPI_PROBE_EXE is not set")
    return path


class PointerSettingsTraceTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.probe = probe_path()
        cls.session = winehelper.WineSession().start()

    @classmethod
    def tearDownClass(cls):
        cls.session.close()

    def setUp(self):
        self.session.reset()

    def run_probe(self):
        proc = self.session.run(self.probe, debug="-all,trace+system,+pid", timeout=60)
        self.assertEqual(proc.wait(0), 0, proc.stderr()[-2000:])
        calls = [c for c in proc.spi_calls() if c.action in POINTER_ACTIONS]
        self.assertTrue(calls, "no pointer setting call in the trace:\n" + proc.stderr()[-2000:])
        self.assertEqual({c.pid for c in calls}, {calls[0].pid},
                         "calls of another process were mixed in")
        return proc, calls

    def test_each_operation_passes_the_documented_arguments(self):
        _proc, calls = self.run_probe()
        expected = [
            (SPI_GETWHEELSCROLLLINES, 0, ADDRESS, 0),
            (SPI_SETWHEELSCROLLLINES, 7, 0, SESSION_ONLY),
            # -1 travels in uiParam as the unsigned page-scroll value.
            (SPI_SETWHEELSCROLLLINES, 0xFFFFFFFF, 0, PERSISTENT),
            (SPI_GETMOUSESPEED, 0, ADDRESS, 0),
            # Speed and routing travel as the value itself in pvParam.
            (SPI_SETMOUSESPEED, 0, 13, SESSION_ONLY),
            (SPI_GETMOUSEWHEELROUTING, 0, ADDRESS, 0),
            (SPI_SETMOUSEWHEELROUTING, 0, 2, PERSISTENT),
        ]
        seen = [(c.action, c.ui_param, c.pv_param, c.win_ini) for c in calls]
        self.assertEqual(len(seen), len(expected), seen)
        for got, want in zip(seen, expected):
            if want[2] is ADDRESS:
                self.assertEqual((got[0], got[1], got[3]), (want[0], want[1], want[3]), got)
                self.assertNotEqual(got[2], 0, f"read {got} passed a null pointer")
            else:
                self.assertEqual(got, want)

    def test_reads_return_the_values_in_force(self):
        self.session.seed_pointer_settings(wheel_scroll_lines=42, mouse_sensitivity=17)
        proc, _calls = self.run_probe()
        # Wine 8 has no wheel routing: the read fails and yields 0.
        self.assertEqual(proc.stdout().split(), ["lines=42", "speed=17", "routing=0"])

    def test_page_scroll_value_is_read_as_minus_one(self):
        self.session.seed_pointer_settings(wheel_scroll_lines=-1, mouse_sensitivity=1)
        proc, _calls = self.run_probe()
        self.assertEqual(proc.stdout().split(), ["lines=-1", "speed=1", "routing=0"])


if __name__ == "__main__":
    failure_report.main()
