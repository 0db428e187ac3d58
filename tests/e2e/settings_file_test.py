"""Tovel.ini as the real program writes it under Wine: the bytes of a new
file, the encodings and other content it keeps, the atomic replacement that
leaves nothing behind, and the single failure report when it cannot be written."""

import codecs
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import failure_report  # noqa: E402
import winehelper  # noqa: E402
import e2e_support as e2e  # noqa: E402

END_TIMEOUT = 60  # for the end of a run; a sound one ends a second after start
NEW_FILE_INDEX_2 = bytes.fromhex("5B4C696E655D0D0A436F756E743D320D0A0D0A")
WHEEL_WRITE = e2e.SPI_SETWHEELSCROLLLINES

# A file as a user may have edited it: a comment, another section with a
# key=value line and a bare key, and the program's entry.
EDITED = "; 設定ファイル\r\n[Other]\r\nName = 値\r\nFlag\r\n[Line]\r\nCount=9\r\n"
# The same after a save of the index 6: the comment gone, the blanks around
# "=" dropped, an empty line after each section.
SAVED_6 = "[Other]\r\nName=値\r\nFlag\r\n\r\n[Line]\r\nCount=6\r\n\r\n"

# Shift_JIS text whose second bytes look like "[", "\" and "]" to a byte-wise
# reader (ゾ = 83 5D, 表 = 95 5C, ソ = 83 5C, ー = 81 5B).
SJIS_TEMPLATE = "[表示ゾ]\r\nソフト=能力ー\r\n\r\n[Line]\r\nCount={}\r\n\r\n"


class SettingsFileTest(e2e.ProgramSessionTest):
    def setUp(self):
        self.session.reset(data_folder=e2e.MAKER_FOLDER)
        self.folder = e2e.data_folder(self.session)
        self.path = e2e.settings_path(self.session)

    # ----- helpers ------------------------------------------------------------

    def toggle(self, lines):
        """A one-shot run without argument from the given wheel lines; its
        pointer writes. The run must end by itself with exit code 0."""
        self.session.seed_pointer_settings(wheel_scroll_lines=lines, mouse_sensitivity=10)
        run = e2e.TimedRun(self.session, self.exe, [])
        code = run.wait(END_TIMEOUT)
        if code is None:
            run.proc.kill()
            self.fail("the one-shot run did not end:\n" + run.proc.stderr()[-2000:])
        self.assertEqual(code, 0)
        self.assertEqual(e2e.message_box_texts(run.proc.stderr()), [])
        return e2e.pointer_writes(run.proc)

    def write_file(self, data):
        os.makedirs(self.folder, exist_ok=True)
        with open(self.path, "wb") as f:
            f.write(data)

    def read_file(self):
        with open(self.path, "rb") as f:
            return f.read()

    def assert_only_the_file_in_the_folder(self):
        self.assertEqual(sorted(os.listdir(self.folder)), [e2e.SETTINGS_NAME],
                         "a temporary file was left behind")

    # ----- tests --------------------------------------------------------------

    def test_a_new_file_holds_the_section_and_the_index(self):
        # Whole-screen mode and no file: 3 lines (index 2) are restored and saved.
        self.assertEqual(self.toggle(-1), [(WHEEL_WRITE, 3, 0, e2e.SESSION_ONLY)])
        self.assertEqual(self.read_file(), NEW_FILE_INDEX_2)
        self.assert_only_the_file_in_the_folder()
        # From 7 lines to whole screen: the index 6 is kept for the way back ...
        os.remove(self.path)
        self.assertEqual(self.toggle(7), [(WHEEL_WRITE, e2e.PAGE_SCROLL, 0, e2e.SESSION_ONLY)])
        self.assertEqual(self.read_file(), b"[Line]\r\nCount=6\r\n\r\n")
        # ... and the next run from whole screen restores 7 lines.
        self.assertEqual(self.toggle(-1), [(WHEEL_WRITE, 7, 0, e2e.SESSION_ONLY)])
        self.assertEqual(self.read_file(), b"[Line]\r\nCount=6\r\n\r\n")
        self.assert_only_the_file_in_the_folder()

    def test_a_file_with_a_byte_order_mark_keeps_its_encoding_and_other_content(self):
        encodings = [
            ("UTF-16 LE", codecs.BOM_UTF16_LE, "utf-16-le"),
            ("UTF-8", codecs.BOM_UTF8, "utf-8"),
            ("UTF-16 BE", codecs.BOM_UTF16_BE, "utf-16-be"),
        ]
        for name, bom, codec in encodings:
            with self.subTest(encoding=name):
                self.write_file(bom + EDITED.encode(codec))
                expected = bom + SAVED_6.encode(codec)
                # Line mode: the file is not read, only written with index 6.
                self.assertEqual(self.toggle(7),
                                 [(WHEEL_WRITE, e2e.PAGE_SCROLL, 0, e2e.SESSION_ONLY)])
                self.assertEqual(self.read_file(), expected)
                self.assert_only_the_file_in_the_folder()
                # Whole-screen mode reads the saved index back from that encoding.
                self.assertEqual(self.toggle(-1), [(WHEEL_WRITE, 7, 0, e2e.SESSION_ONLY)])
                self.assertEqual(self.read_file(), expected)
                self.assert_only_the_file_in_the_folder()

    def test_a_shift_jis_file_without_mark_survives_byte_for_byte(self):
        if not self.session.japanese_locale:
            self.skipTest(f"the locale {winehelper.JAPANESE_LOCALE} is not installed, "
                          "so Wine has no ANSI code page 932")
        original = SJIS_TEMPLATE.format(9).encode("cp932")
        self.write_file(original)
        self.assertEqual(self.toggle(7), [(WHEEL_WRITE, e2e.PAGE_SCROLL, 0, e2e.SESSION_ONLY)])
        self.assertEqual(self.read_file(), SJIS_TEMPLATE.format(6).encode("cp932"))
        # The index is found again behind the Japanese section.
        self.assertEqual(self.toggle(-1), [(WHEEL_WRITE, 7, 0, e2e.SESSION_ONLY)])
        self.assertEqual(self.read_file(), SJIS_TEMPLATE.format(6).encode("cp932"))
        self.assert_only_the_file_in_the_folder()

    def test_a_folder_in_place_of_the_file_is_reported_once_and_the_program_ends(self):
        os.makedirs(self.path)
        self.session.seed_pointer_settings(wheel_scroll_lines=-1, mouse_sensitivity=10)
        run = e2e.TimedRun(self.session, self.exe, [])
        texts = run.wait_for_box(count=1)
        self.assertEqual(len(texts), 1, "no failure box:\n" + run.proc.stderr()[-2000:])
        text = texts[0]
        self.assertTrue(text.startswith('ファイル "'), text)
        self.assertIn('\\Varnel Project\\Tovel\\Tovel.ini" を作成できません。', text)
        # The system's reason follows, and the box ends the sentence with ".".
        reason = text.split("を作成できません。", 1)[1]
        self.assertGreater(len(reason), 1, text)
        self.assertTrue(text.endswith("."), text)
        self.assertTrue(self.session.wait_for_window("^Tovel$", pid=run.proc.pid),
                        "the failure box titled Tovel is not on the screen")
        # The exit timer goes on ticking behind the box; it must not open more.
        # The delay is what is tested: several ticks that must pass with no
        # second box.
        time.sleep(4)
        self.assertEqual(len(e2e.message_box_texts(run.proc.stderr())), 1,
                         "the failure was reported more than once")
        if run.proc.running():
            e2e.close_box(self.session, run.proc)
        code = run.wait(END_TIMEOUT)
        if code is None:
            run.proc.kill()
            self.fail("the program did not end after the failure was reported")
        self.assertEqual(code, 0)
        self.assertEqual(len(e2e.message_box_texts(run.proc.stderr())), 1)
        # The toggle itself went through; the folder is left as it was.
        self.assertEqual(e2e.pointer_writes(run.proc),
                         [(WHEEL_WRITE, 3, 0, e2e.SESSION_ONLY)])
        self.assertTrue(os.path.isdir(self.path))
        self.assertEqual(os.listdir(self.path), [])
        self.assertEqual(sorted(os.listdir(self.folder)), [e2e.SETTINGS_NAME])


if __name__ == "__main__":
    failure_report.main()
