"""Tovel's main window ("/w") under Wine: the client size and the docked
rows at 96 and 144 DPI, its placement, and a picture of the window on a
virtual desktop with its Japanese captions.

The geometry comes from the helper client_size.exe (tests/e2e/helpers), which
asks the window system itself. Set TOVEL_E2E_SCREENSHOT to a path to keep the
cropped picture of the window there."""

import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import failure_report  # noqa: E402
import polling  # noqa: E402
import winehelper  # noqa: E402
import e2e_support as e2e  # noqa: E402

WHEEL_CAPTION = "[ホイールの１目盛りでスクロールする量]"
POINTER_CAPTION = "[ポインターの速度]"
NO_ACTIVE_CAPTION = "[ホバーしたときに非アクティブウィンドウをスクロールする]"
TOOLBAR_CLASS = "ToolbarWindow32"

# (dpi, client size, {child: (left, top, width, height)}) for the window's own
# rows: the toolbar and the three group boxes, docked top to bottom. At 144 DPI
# each edge is scaled by 1.5 with halves rounded away from zero.
LAYOUTS = [
    (96, (294, 196), {
        TOOLBAR_CLASS: (0, 0, 294, 29),
        WHEEL_CAPTION: (0, 29, 294, 79),
        POINTER_CAPTION: (0, 108, 294, 47),
        NO_ACTIVE_CAPTION: (0, 155, 294, 41),
    }),
    (144, (441, 294), {
        TOOLBAR_CLASS: (0, 0, 441, 44),
        WHEEL_CAPTION: (0, 44, 441, 118),
        POINTER_CAPTION: (0, 162, 441, 71),
        NO_ACTIVE_CAPTION: (0, 233, 441, 61),
    }),
]


class Geometry:
    """What client_size.exe reports about the main window."""

    def __init__(self, text):
        self.children = []
        self.client = self.window = self.work_area = None
        for line in text.splitlines():
            parts = line.rstrip("\r").split(" ", 6)
            if parts[0] == "client":
                self.client = (int(parts[1]), int(parts[2]))
            elif parts[0] == "window":
                self.window = tuple(int(p) for p in parts[1:5])
            elif parts[0] == "workarea":
                self.work_area = tuple(int(p) for p in parts[1:5])
            elif parts[0] == "child":
                rect = tuple(int(p) for p in parts[1:5])
                caption = parts[6] if len(parts) > 6 else ""
                self.children.append((parts[5], caption, rect))

    def rows(self):
        """The toolbar by class and the group boxes by caption, with rectangles."""
        found = {}
        for cls, caption, rect in self.children:
            if cls == TOOLBAR_CLASS:
                found[TOOLBAR_CLASS] = rect
            elif caption.startswith("["):
                found[caption] = rect
        return found


def window_geometry(session, helper):
    proc = session.run(helper, timeout=60)
    code = proc.wait(0)
    if code != 0:
        raise AssertionError("client_size.exe found no main window:\n" + proc.stdout())
    return Geometry(proc.stdout())


def start_window(test, session, exe):
    proc = session.launch(exe, ["/w"])
    found = session.wait_for_window("^Tovel$", pid=proc.pid)
    test.assertTrue(found, "no window titled Tovel:\n" + proc.stderr()[-2000:])
    return proc


class MainWindowGeometryTest(e2e.ProgramSessionTest):
    HELPERS = ("client_size",)

    def test_client_area_and_rows_follow_the_dpi(self):
        for dpi, client, rows in LAYOUTS:
            with self.subTest(dpi=dpi):
                self.session.reset(data_folder=e2e.MAKER_FOLDER)
                self.session.set_log_pixels(dpi)
                start_window(self, self.session, self.exe)
                geometry = window_geometry(self.session, self.helpers["client_size"])
                self.assertEqual(geometry.client, client)
                self.assertEqual(geometry.rows(), rows, geometry.children)
                self.session.stop_programs()

    def test_first_showing_centres_the_window_in_the_work_area(self):
        self.session.reset(data_folder=e2e.MAKER_FOLDER)
        start_window(self, self.session, self.exe)
        geometry = window_geometry(self.session, self.helpers["client_size"])
        left, top, right, bottom = geometry.window
        wl, wt, wr, wb = geometry.work_area
        width, height = right - left, bottom - top
        # The outer size is the client area plus a frame and a caption bar.
        self.assertGreater(width, 294)
        self.assertGreater(height, 196)
        self.assertEqual(left, max(wl, wl + (wr - wl - width) // 2), geometry.window)
        self.assertEqual(top, max(wt, wt + (wb - wt - height) // 2), geometry.window)


# Wine 8's annotation service takes no names: it prints each request it is
# given, which is as far as the names can be seen here.
#   0114:fixme:oleacc:AccPropServices_SetHwndPropStr (<hwnd> <object> <child> {<property>} L"...")
_NAME_REQUEST = re.compile(
    r"fixme:oleacc:AccPropServices_SetHwndPropStr \(\w+ (?P<object>\d+) (?P<child>\d+) "
    r'\{(?P<property>[0-9a-f-]+)\} L"(?P<name>(?:[^"\\]|\\.)*)"\)')
_NAMED_WINDOW = re.compile(r"fixme:oleacc:AccPropServices_SetHwndPropStr \((\w+) ")
#   0114:fixme:oleacc:AccPropServices_ClearHwndProps (<hwnd> <object> <child> <properties> <count>)
_CLEAR_REQUEST = re.compile(
    r"fixme:oleacc:AccPropServices_ClearHwndProps \((?P<window>\w+) (?P<object>\d+) "
    r"(?P<child>\d+) \w+ (?P<count>\d+)\)")
OBJID_CLIENT = 0xFFFFFFFC  # -4 as the unsigned number Wine prints
CHILDID_SELF = 0
PROPID_ACC_NAME = "608d3df8-8128-4aa7-a428-f55e49267291"


class MainWindowAccessibilityTest(e2e.ProgramSessionTest):
    """The two lists, which no label names, are named for screen readers."""

    def test_the_lists_are_named_after_their_group_boxes(self):
        self.session.reset(data_folder=e2e.MAKER_FOLDER)
        proc = self.session.launch(self.exe, ["/w"], debug="-all,fixme+oleacc")
        self.assertTrue(self.session.wait_for_window("^Tovel$", pid=proc.pid),
                        "no window titled Tovel:\n" + proc.stderr()[-2000:])

        def requests():
            return [(int(m["object"]), int(m["child"]), m["property"],
                     e2e.decode_debugstr(m["name"]))
                    for m in _NAME_REQUEST.finditer(proc.stderr())]

        _, seen = polling.poll(requests, until=lambda r: len(r) >= 2)
        self.assertEqual(sorted(seen), sorted([
            (OBJID_CLIENT, CHILDID_SELF, PROPID_ACC_NAME, WHEEL_CAPTION[1:-1]),
            (OBJID_CLIENT, CHILDID_SELF, PROPID_ACC_NAME, POINTER_CAPTION[1:-1]),
        ]))


    def test_the_names_are_cleared_before_the_lists_go(self):
        self.session.reset(data_folder=e2e.MAKER_FOLDER)
        proc = self.session.launch(self.exe, ["/w"], debug="-all,fixme+oleacc")
        found = self.session.wait_for_window("^Tovel$", timeout=30, pid=proc.pid)
        self.assertTrue(found, "no window titled Tovel:\n" + proc.stderr()[-2000:])
        named = lambda: _NAMED_WINDOW.findall(proc.stderr())
        _, windows = polling.poll(named, until=lambda w: len(w) >= 2)
        self.assertEqual(len(set(windows)), 2, proc.stderr()[-2000:])
        self.session.close_window(found[0])
        self.assertEqual(proc.wait(30), 0, proc.stderr()[-2000:])
        cleared = [(m["window"], int(m["object"]), int(m["child"]), int(m["count"]))
                   for m in _CLEAR_REQUEST.finditer(proc.stderr())]
        self.assertEqual(sorted(cleared),
                         sorted((w, OBJID_CLIENT, CHILDID_SELF, 1) for w in set(windows)),
                         proc.stderr()[-2000:])


class MainWindowPictureTest(e2e.ProgramSessionTest):
    """The window drawn on a Wine virtual desktop, cut out of a screenshot."""

    DESKTOP = "tovelshot"

    HELPERS = ("client_size",)

    def desktop_origin(self):
        """Where the virtual desktop's X window sits on the X screen."""
        wid = self.session.windows(name=f"^{self.DESKTOP}")[0]
        out = e2e.xdotool(self.session, ["getwindowgeometry", "--shell", wid]).stdout
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values["X"]), int(values["Y"])

    def test_window_picture_shows_the_drawn_window(self):
        self.session.reset(data_folder=e2e.MAKER_FOLDER)
        proc = self.session.launch(self.exe, ["/w"])

        def probe_geometry():
            probe = self.session.run(self.helpers["client_size"], timeout=60)
            return Geometry(probe.stdout()) if probe.wait(0) == 0 else None

        held, geometry = polling.poll(probe_geometry, until=lambda g: g is not None, step=0.5)
        self.assertTrue(held, "no main window:\n" + proc.stderr()[-2000:])
        self.assertEqual(geometry.client, (294, 196))
        x0, y0 = self.desktop_origin()
        out = os.environ.get("TOVEL_E2E_SCREENSHOT") or os.path.join(self.session.root,
                                                                     "main-window.png")

        def picture():
            """(window rectangle, (width, height, colours) of the window cut from a
            new screenshot). The rectangle is asked for again each time: a window
            found before its first showing is not yet where it will be drawn."""
            window = probe_geometry()
            if window is None:
                return None, (0, 0, 0)
            left, top, right, bottom = window.window
            shot = self.session.screenshot(os.path.join(self.session.root, "screen.png"))
            subprocess.run(["convert", shot, "-crop",
                            f"{right - left}x{bottom - top}+{x0 + left}+{y0 + top}", "+repage",
                            "-strip", out], check=True, timeout=60)
            info = subprocess.run(["identify", "-format", "%w %h %k", out],
                                  capture_output=True, text=True, check=True,
                                  timeout=60).stdout.split()
            return window.window, tuple(int(v) for v in info)

        # Frame, face, text and controls: far more than a blank or one-colour
        # area, once the window and its controls have painted.
        drawn, (rect, info) = polling.poll(picture, until=lambda seen: seen[1][2] > 20, step=0.5)
        self.assertIsNotNone(rect, "the main window went away")
        self.assertEqual(info[:2], (rect[2] - rect[0], rect[3] - rect[1]))
        if not drawn:
            screen = subprocess.run(["identify", "-format", "%k",
                                     os.path.join(self.session.root, "screen.png")],
                                    capture_output=True, text=True, timeout=60).stdout
            self.fail(f"the cropped window is nearly uniform: {info[2]} colours at "
                      f"{rect} on a desktop at {(x0, y0)}; the whole screen "
                      f"has {screen} colours")

if __name__ == "__main__":
    failure_report.main()
