"""Tovel.exe in the notification area of a Wine virtual desktop: the resident
start, the icon's popup menu, the double-click that toggles the wheel mode, and
minimising the window into the tray and showing it again.

Set TOVEL_E2E_PICTURES to a folder to keep the pictures of the icon and its
menu (tray-line-mode.png, tray-page-mode.png, tray-menu.png) there.
"""

import os
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import failure_report  # noqa: E402
import polling  # noqa: E402
import tray_support  # noqa: E402
from tray_support import NIM_ADD, NIM_DELETE, NIM_MODIFY  # noqa: E402

MAKER_FOLDER = "Varnel Project"
INI_PATH = (MAKER_FOLDER, "Tovel", "Tovel.ini")
PROGRAM_TRACE = "-all,trace+systray,trace+system,+pid"
SPI_SETWHEELSCROLLLINES = 105
WHEEL_PAGESCROLL = 0xFFFFFFFF  # -1 as the unsigned uiParam
SESSION_ONLY = 2               # SPIF_SENDCHANGE
LINE_TIP = "指定行数"
PAGE_TIP = "１画面"
SEEDED_LINES = 7               # the line index saved at the end is 6
END_TIMEOUT = 60  # for the end after the exit item; it ends at once


def program_path():
    path = os.environ.get("TOVEL_EXE")
    if not path or not os.path.isfile(path):
        raise unittest.SkipTest("TOVEL_EXE does not name a built Tovel.exe")
    return path


def is_teal(rgb):
    r, g, b = rgb
    return g >= r + 60 and b >= r + 40


def is_magenta(rgb):
    r, g, b = rgb
    return r >= g + 60 and b >= g + 30


class TrayTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.exe = program_path()
        cls.session = tray_support.TraySession().start()
        cls.pictures = os.environ.get("TOVEL_E2E_PICTURES")

    @classmethod
    def tearDownClass(cls):
        cls.session.close()

    def setUp(self):
        self.session.reset(data_folder=MAKER_FOLDER)
        self.session.seed_pointer_settings(wheel_scroll_lines=SEEDED_LINES)
        self.shots = 0

    def tearDown(self):
        self.session.stop_programs()

    # ----- helpers ------------------------------------------------------------

    def start(self, args):
        mark = self.session.desktop_mark()
        proc = self.session.launch(self.exe, args, debug=PROGRAM_TRACE)
        return proc, mark

    def program_pid(self, proc):
        pid = self.session.wait_until(lambda: tray_support.trace_pid(proc.stderr()))
        self.assertIsNotNone(pid, "no trace from Tovel")
        return pid

    def requests(self, proc):
        return tray_support.notify_requests(proc.stderr())

    def wait_for_icon(self, proc, mark):
        """Waits until the shell has added an icon for the program; answers
        the shell's add requests seen since mark."""
        def added():
            return [r for r in tray_support.shell_requests(self.session.desktop_since(mark))
                    if r.op == "add_icon"]
        found = self.session.wait_until(added)
        self.assertTrue(found, "the shell added no icon:\n" + proc.stderr()[-2000:])
        self.wait_for_icon_image(lambda c: is_teal(c) or is_magenta(c), "the icon's image",
                                 "added")
        return found

    def windows_of(self, pid, cls=None, title=None):
        return [w for w in self.session.top_level_windows()
                if w.pid == pid and (cls is None or w.cls == cls)
                and (title is None or w.title == title)]

    def visible_tovel_windows(self, pid):
        return [w for w in self.windows_of(pid, title="Tovel") if w.visible]

    def shown_tovel_windows(self, pid):
        """Visible windows titled Tovel that have an area (the application
        window that carries the taskbar button has none)."""
        return [w for w in self.visible_tovel_windows(pid)
                if w.rect[2] > w.rect[0] and w.rect[3] > w.rect[1]]

    def screenshot(self, name):
        self.shots += 1
        return self.session.screenshot(
            os.path.join(self.session.logs, f"{self._testMethodName}-{self.shots}-{name}.png"))

    def keep_picture(self, shot, box, name, scale=1):
        path = self.session.crop(shot, box, os.path.join(self.session.logs, name), scale=scale)
        if self.pictures:
            os.makedirs(self.pictures, exist_ok=True)
            self.session.crop(shot, box, os.path.join(self.pictures, name), scale=scale)
        return path

    def icon_colours(self, shot):
        return self.session.pixels(shot, self.session.icon_slot())

    def wait_for_icon_image(self, shows, what, name, other=lambda c: False):
        """Takes screenshots until the icon slot has at least 20 pixels that
        shows() accepts and none that other() does; answers the last one."""
        def look():
            shot = self.screenshot(name)
            colours = self.icon_colours(shot)
            return (shot, sum(1 for c in colours if shows(c)),
                    sum(1 for c in colours if other(c)), set(colours))
        return polling.wait_for(look, f"the icon slot showing {what}",
                                until=lambda seen: seen[1] >= 20 and seen[2] == 0,
                                show=lambda seen: f"{seen[1]} pixels of it, {seen[2]} "
                                                  f"of the other mode, colours {seen[3]}")[0]

    def assert_icon_shows(self, name, colour_test, other_test, what):
        """Waits until the icon slot shows the image of one mode and nothing
        of the other's; answers the screenshot."""
        return self.wait_for_icon_image(colour_test, what + " image", name, other=other_test)

    def assert_icon_gone(self, name):
        """Waits until no pixel of either mode's image is left in the icon slot."""
        def look():
            return [c for c in self.icon_colours(self.screenshot(name))
                    if is_teal(c) or is_magenta(c)]
        polling.wait_for(look, "the icon gone from the slot", until=lambda left: not left,
                         show=lambda left: f"{len(left)} pixels of the icon")

    def wait_until_drawn(self, box, what, name):
        """Takes screenshots until box holds more than a few colours (drawn,
        not a blank area); answers the last one."""
        def look():
            shot = self.screenshot(name)
            return shot, len(set(self.session.pixels(shot, box)))
        return polling.wait_for(look, f"{what} drawn", until=lambda seen: seen[1] > 4,
                                show=lambda seen: f"{seen[1]} colours")[0]

    def open_menu(self, pid):
        """Right-clicks the icon; answers the menu window of the program."""
        self.session.click(*self.session.icon_centre(), button=3)
        menus = self.session.wait_until(lambda: self.open_menus(pid))
        self.assertTrue(menus, "a right click on the icon opened no menu")
        self.assertEqual(len(menus), 1, menus)
        return menus[0]

    def open_menus(self, pid):
        return [w for w in self.windows_of(pid, cls="#32768") if w.visible]

    def choose(self, pid, key):
        """Opens the icon's menu and presses an item's access key."""
        self.open_menu(pid)
        self.assertEqual(self.session.send_keys(key), 0, "SendInput refused the key")
        self.assertTrue(self.session.wait_until(lambda: not self.open_menus(pid)),
                        f"the menu stayed open after key {key}")

    def choose_exit(self, proc, pid):
        self.choose(pid, "Z")
        self.wait_for_end(proc)

    def wait_for_end(self, proc):
        try:
            code = proc.wait(END_TIMEOUT)
        except subprocess.TimeoutExpired:
            self.fail(f"still running {END_TIMEOUT} s after the exit item was chosen")
        self.assertEqual(code, 0, "exit code")

    def wheel_writes(self, proc):
        return [c for c in proc.spi_calls() if c.action == SPI_SETWHEELSCROLLLINES]

    def assert_wheel_writes_of_the_run(self, proc, lines):
        """After the end, the whole trace: a write that came later than a
        test waited for is in there too. Each is session-only."""
        self.assertEqual([(c.ui_param, c.pv_param, c.win_ini) for c in self.wheel_writes(proc)],
                         [(n, 0, SESSION_ONLY) for n in lines], "the wheel writes of the run")

    def read_ini(self):
        path = os.path.join(self.session.appdata, *INI_PATH)
        if not os.path.isfile(path):
            return None
        with open(path, "rb") as f:
            return f.read()

    def park_pointer(self):
        """Moves the pointer off the taskbar and waits until no tip is shown,
        so that none covers the icon and the next hover shows a new one."""
        self.session.move_pointer(400, 300)
        polling.wait_for(lambda: [w for w in self.session.top_level_windows()
                                  if w.cls == "tooltips_class32" and w.visible],
                         "every tip hidden", until=lambda tips: not tips)

    def tip_on_hover(self):
        """Moves the pointer off the icon and back; answers the tips the shell
        showed then."""
        x, y = self.session.icon_centre()
        self.park_pointer()
        mark = self.session.desktop_mark()
        self.session.xdotool("mousemove", x, y)
        return self.session.wait_until(
            lambda: tray_support.tips_shown(self.session.desktop_since(mark)))

    # ----- tests --------------------------------------------------------------

    def test_resident_start_adds_one_icon_with_the_line_mode_tip_and_no_window(self):
        proc, mark = self.start(["/t"])
        pid = self.program_pid(proc)
        self.wait_for_icon(proc, mark)
        time.sleep(1)  # anything late would show up now; the delay is what is tested
        shell = self.session.desktop_since(mark)
        self.assertEqual(len([r for r in tray_support.shell_requests(shell)
                              if r.op == "add_icon"]), 1, shell[-2000:])
        self.assertEqual(self.requests(proc).count(NIM_ADD), 1, self.requests(proc))
        self.assertNotIn(NIM_DELETE, self.requests(proc)[self.requests(proc).index(NIM_ADD):])
        # The shell registers the tip with the icon's tooltip when it adds it.
        self.assertEqual(tray_support.tips_added(shell), [LINE_TIP])
        self.assertEqual(self.visible_tovel_windows(pid), [],
                         "the resident start showed a window of its own")
        self.assertTrue(proc.running(), "the resident start ended by itself")
        time.sleep(1.5)  # past the one-second exit timer of the one-shot starts
        self.assertTrue(proc.running(), "the resident start ended by itself")
        self.assert_icon_shows("line", is_teal, is_magenta, "teal (line mode)")
        self.choose_exit(proc, pid)

    def test_resident_start_in_page_mode_shows_the_page_image_and_keeps_the_saved_lines(self):
        self.session.seed_pointer_settings(wheel_scroll_lines=-1)
        folder = os.path.join(self.session.appdata, *INI_PATH[:-1])
        os.makedirs(folder)
        with open(os.path.join(folder, INI_PATH[-1]), "wb") as f:
            f.write(b"[Line]\r\nCount=11\r\n")
        proc, mark = self.start(["/t"])
        pid = self.program_pid(proc)
        self.wait_for_icon(proc, mark)
        self.assertEqual(tray_support.tips_added(self.session.desktop_since(mark)), [PAGE_TIP])
        self.park_pointer()
        self.assert_icon_shows("page", is_magenta, is_teal,
                               "magenta (page mode)")
        self.assertEqual(self.wheel_writes(proc), [],
                         "the start rewrote the page mode already in force")
        self.assertEqual(self.visible_tovel_windows(pid), [])
        # The saved line index stands in for the line count the system lacks.
        self.choose_exit(proc, pid)
        self.assertEqual(self.read_ini(), b"[Line]\r\nCount=11\r\n\r\n")

    def test_menu_from_the_icon_chooses_by_access_keys_and_exits(self):
        proc, mark = self.start(["/t"])
        pid = self.program_pid(proc)
        self.wait_for_icon(proc, mark)
        self.assertIsNone(self.read_ini(), "the settings file was there before the exit")
        menu = self.open_menu(pid)
        shot = self.wait_until_drawn(menu.rect, "the menu", "menu")
        slot = self.session.icon_slot()
        left, top, right, bottom = menu.rect
        box = (max(0, min(left, slot[0]) - 8), max(0, top - 8),
               max(right, slot[2]), max(bottom, slot[3]))
        self.keep_picture(shot, box, "tray-menu.png")
        # Eight lines: two radio items, three separators and three commands make
        # a menu clearly taller than two items; the exact drawing is Wine's.
        self.assertGreater(bottom - top, 100, menu)

        # Escape closes the menu and nothing else.
        self.assertEqual(self.session.send_keys("ESC"), 0)
        self.assertTrue(self.session.wait_until(lambda: not self.open_menus(pid)),
                        "Escape did not close the menu")
        self.assertTrue(proc.running())
        self.assertEqual(self.wheel_writes(proc), [])

        # W is the line item, already checked: the mode stays, nothing is written.
        self.choose(pid, "W")
        time.sleep(1)  # a write would have come by now; the delay is what is tested
        self.assertEqual(self.wheel_writes(proc), [], "choosing the checked mode wrote")
        self.park_pointer()
        self.assert_icon_shows("still-line", is_teal, is_magenta,
                               "teal (line mode)")

        # V is the page item: one session-only write of the page value. The
        # popup gave the mode items their access keys, and the tip is copied
        # from the page item's caption.
        self.choose(pid, "V")
        self.assertTrue(self.session.wait_until(lambda: self.wheel_writes(proc)),
                        "choosing the page item wrote nothing")
        time.sleep(1)  # a second write would have come by now
        self.assertEqual([(c.ui_param, c.pv_param, c.win_ini) for c in self.wheel_writes(proc)],
                         [(WHEEL_PAGESCROLL, 0, SESSION_ONLY)])
        self.park_pointer()
        self.assert_icon_shows("page", is_magenta, is_teal,
                               "magenta (page mode)")
        tips = self.tip_on_hover()
        self.assertTrue(tips, "no tip came up over the icon")
        self.assertEqual(tips[-1], PAGE_TIP + "(&V)")

        # Z chooses the exit: the line index is saved and the icon removed.
        self.choose(pid, "Z")
        self.wait_for_end(proc)
        self.assert_wheel_writes_of_the_run(proc, [WHEEL_PAGESCROLL])
        self.assertEqual(self.read_ini(), f"[Line]\r\nCount={SEEDED_LINES - 1}\r\n\r\n".encode())
        self.assertEqual(self.requests(proc)[-1], NIM_DELETE, "the icon was left behind")
        self.assert_icon_gone("gone")

    def test_single_click_does_nothing_and_double_click_toggles_the_mode(self):
        proc, mark = self.start(["/t"])
        pid = self.program_pid(proc)
        self.wait_for_icon(proc, mark)
        self.park_pointer()
        line_shot = self.assert_icon_shows("line", is_teal, is_magenta, "teal (line mode)")
        slot = self.session.icon_slot()
        around = (slot[0] - 10, slot[1] - 6, slot[2], slot[3])
        self.keep_picture(line_shot, around, "tray-line-mode.png", scale=4)

        self.assertEqual(self.wheel_writes(proc), [], "the resident start wrote the wheel lines")
        # A single click does nothing, also after the double-click time has run out.
        requests_before = len(self.requests(proc))
        self.session.click(*self.session.icon_centre(), button=1)
        time.sleep(1.5)  # past the double-click time; the delay is what is tested
        self.assertEqual(self.wheel_writes(proc), [], "a single click changed the mode")
        self.assertEqual(self.requests(proc)[requests_before:], [],
                         "a single click touched the icon")

        self.session.click(*self.session.icon_centre(), button=1, repeat=2)
        self.assertTrue(self.session.wait_until(lambda: self.wheel_writes(proc)),
                        "the double-click wrote no wheel lines")
        time.sleep(1.5)  # a second write would have come by now
        self.assertEqual([(c.ui_param, c.pv_param, c.win_ini) for c in self.wheel_writes(proc)],
                         [(WHEEL_PAGESCROLL, 0, SESSION_ONLY)])
        after = self.requests(proc)[requests_before:]
        self.assertIn(NIM_MODIFY, after)
        self.assertEqual(set(after), {NIM_MODIFY}, "the toggle re-added or removed the icon")

        self.park_pointer()
        page_shot = self.assert_icon_shows("page", is_magenta, is_teal, "magenta (page mode)")
        self.keep_picture(page_shot, around, "tray-page-mode.png", scale=4)
        tips = self.tip_on_hover()
        self.assertTrue(tips, "no tip came up over the icon")
        self.assertEqual(tips[-1], PAGE_TIP)
        self.assertEqual(self.visible_tovel_windows(pid), [], "the double-click showed the window")

        # The next double-click goes back to the remembered line count.
        self.session.click(*self.session.icon_centre(), button=1, repeat=2)
        self.assertTrue(self.session.wait_until(lambda: len(self.wheel_writes(proc)) >= 2),
                        "the second double-click wrote nothing")
        time.sleep(1.5)  # a second write would have come by now
        self.assertEqual([(c.ui_param, c.pv_param, c.win_ini) for c in self.wheel_writes(proc)],
                         [(WHEEL_PAGESCROLL, 0, SESSION_ONLY), (SEEDED_LINES, 0, SESSION_ONLY)])
        self.park_pointer()
        self.assert_icon_shows("line-again", is_teal, is_magenta,
                               "teal (line mode)")
        tips = self.tip_on_hover()
        self.assertTrue(tips, "no tip came up over the icon")
        self.assertEqual(tips[-1], LINE_TIP)
        self.choose_exit(proc, pid)
        self.assert_wheel_writes_of_the_run(proc, [WHEEL_PAGESCROLL, SEEDED_LINES])

    def test_minimised_window_goes_to_the_tray_and_the_menu_brings_it_back(self):
        proc, mark = self.start(["/w"])
        pid = self.program_pid(proc)
        shown = self.session.wait_until(lambda: self.shown_tovel_windows(pid))
        self.assertTrue(shown, "the /w start showed no window")
        self.wait_until_drawn(shown[0].rect, "the window", "shown")
        self.assertNotIn(NIM_ADD, self.requests(proc), "the window mode added an icon")
        box = self.session.minimise_box("Tovel")
        self.assertIsNotNone(box, "the window has no minimise box")
        self.session.click(*box)
        hidden = self.session.wait_until(lambda: not self.visible_tovel_windows(pid))
        self.assertTrue(hidden, f"still shown after minimising: {self.visible_tovel_windows(pid)}")
        self.wait_for_icon(proc, mark)
        self.assertEqual(self.requests(proc).count(NIM_ADD), 1)
        self.assert_icon_shows("minimised", is_teal, is_magenta,
                               "teal (line mode)")

        requests_before = len(self.requests(proc))
        self.choose(pid, "Y")
        back = self.session.wait_until(lambda: self.shown_tovel_windows(pid))
        self.assertTrue(back, "the menu item did not show the window again")
        self.assertEqual(len(back), 1, back)
        # The next click on the icon goes to a program that is done showing it.
        self.wait_until_drawn(back[0].rect, "the window shown again", "back")
        self.assertFalse(back[0].iconic, back)
        self.assertEqual(back[0].rect, shown[0].rect, "the window came back elsewhere")
        # The window shown has the keyboard: active, with the checked radio
        # button focused; and again when the application window (which owns
        # the taskbar button) is brought to the front from another program.
        line_button = ("TmainForm", "Button", "１度に次の行数スクロールする")
        for how in ("from the menu", "through the application window"):
            if how != "from the menu":
                self.assertTrue(self.session.activate(pid, "TApplication"))
            seen = self.session.wait_until(lambda: self.session.keyboard(pid) == line_button)
            self.assertTrue(seen, f"{how}: active, focus, text: {self.session.keyboard(pid)}")
        # And the keys work there: Tab moves on to the line list.
        self.assertEqual(self.session.send_keys("TAB"), 0, "SendInput refused the key")
        moved = self.session.wait_until(lambda: (self.session.keyboard(pid) or ("",))[:2]
                                        == ("TmainForm", "ComboBox"))
        self.assertTrue(moved, f"Tab: active, focus, text: {self.session.keyboard(pid)}")
        self.assertTrue(proc.running())
        self.assertNotIn(NIM_DELETE, self.requests(proc)[requests_before:],
                         "showing the window removed the icon")
        self.choose_exit(proc, pid)


if __name__ == "__main__":
    failure_report.main()
