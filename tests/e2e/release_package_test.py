"""The release zip as a Windows user gets it: its entries, the Japanese guide
inside it, the packed Tovel.exe file itself, and a one-shot run of the program
unpacked into a Wine prefix."""

import glob
import os
import re
import struct
import sys
import unittest
import zipfile
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import failure_report  # noqa: E402
import e2e_support as e2e  # noqa: E402
import peresources  # noqa: E402

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
ENTRIES = {"Tovel.exe", "README-ja.txt", "LICENSE", "THIRD-PARTY-NOTICES.txt"}
BOM = b"\xef\xbb\xbf"
# Sources whose Japanese texts the guide quotes, every one of them: the
# window's and the tray menu's captions, and the start-up's error box.
QUOTED_SOURCES = ("ui/*.cpp",)
# Program texts in the guide stand in 「」; Windows' own names in 『』.
_QUOTE = re.compile("「([^」]*)」")
_WIDE_LITERAL = re.compile(r'u"((?:[^"\\]|\\.)*)"')
# What a Windows program may load besides itself: the system's own DLLs.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll", "comctl32.dll",
               "msvcrt.dll", "advapi32.dll", "shlwapi.dll", "shfolder.dll", "ole32.dll"}
IMAGE_DIRECTORY_ENTRY_IMPORT = 1
IMAGE_DIRECTORY_ENTRY_DEBUG = 6


def package_path():
    return e2e.built_file("TOVEL_PACKAGE", "a built release zip")


def interface_texts():
    """The program's Japanese texts as its sources write them."""
    texts = set()
    for pattern in QUOTED_SOURCES:
        paths = glob.glob(os.path.join(REPO, pattern))
        if not paths:
            raise AssertionError(f"no source matches {pattern}")
        for path in paths:
            with open(path, encoding="utf-8") as f:
                for m in _WIDE_LITERAL.finditer(f.read()):
                    text = m.group(1).encode("utf-8").decode("unicode_escape").encode(
                        "latin-1").decode("utf-8")
                    if not text.isascii():
                        texts.add(text)
    return texts


def imported_dlls(pe):
    """The names in the import directory, in order."""
    d = pe.data
    opt = pe._u32(0x3C) + 24
    rva, _size = struct.unpack_from("<II", d, opt + 112 + 8 * IMAGE_DIRECTORY_ENTRY_IMPORT)
    names = []
    if rva == 0:
        return names
    entry = pe.rva_to_offset(rva)
    while True:
        name_rva = pe._u32(entry + 12)
        if name_rva == 0:
            return names
        start = pe.rva_to_offset(name_rva)
        names.append(d[start:d.index(b"\0", start)].decode("ascii"))
        entry += 20


def section_names(pe):
    """Section names, with long ones ("/<offset>") read from the string table."""
    d = pe.data
    coff = pe._u32(0x3C) + 4
    symbols_at, symbol_count = struct.unpack_from("<II", d, coff + 8)
    strings_at = symbols_at + 18 * symbol_count
    names = []
    for name, *_rest in pe.sections:
        if name.startswith("/") and symbols_at:
            start = strings_at + int(name[1:])
            name = d[start:d.index(b"\0", start)].decode("ascii")
        names.append(name)
    return names


def debuglink(pe):
    """(file name, CRC-32) of the .gnu_debuglink section, or None: the name,
    NUL-padded to a multiple of four bytes, then the checksum."""
    for name, section in zip(section_names(pe), pe.sections):
        if name == ".gnu_debuglink":
            raw = pe.data[section[3]:section[3] + section[4]]
            file_name = raw[:raw.index(b"\0")]
            crc_at = (len(file_name) // 4 + 1) * 4
            return file_name.decode("ascii"), struct.unpack_from("<I", raw, crc_at)[0]
    return None


class PackageContentsTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.zip_path = package_path()
        with zipfile.ZipFile(cls.zip_path) as archive:
            cls.infos = archive.infolist()
            cls.files = {i.filename: archive.read(i) for i in cls.infos}

    def test_holds_the_four_files_under_ascii_names(self):
        names = [i.filename for i in self.infos]
        self.assertEqual(set(names), ENTRIES)
        self.assertEqual(len(names), len(ENTRIES))
        for info in self.infos:
            self.assertTrue(info.filename.isascii(), info.filename)
            # Bit 11 marks a UTF-8 name, which old unzip tools misread.
            self.assertFalse(info.flag_bits & 0x800, info.filename)

    def test_files_are_the_built_program_and_the_repository_texts(self):
        with open(e2e.program_path(), "rb") as f:
            self.assertEqual(self.files["Tovel.exe"], f.read())
        with open(os.path.join(REPO, "LICENSE"), "rb") as f:
            self.assertEqual(self.files["LICENSE"], f.read())
        with open(os.path.join(REPO, "docs", "README-ja.txt"), "rb") as f:
            self.assertEqual(self.files["README-ja.txt"], f.read())

    def test_guide_is_utf8_with_bom_and_crlf_line_ends(self):
        raw = self.files["README-ja.txt"]
        self.assertTrue(raw.startswith(BOM), raw[:8])
        raw.decode("utf-8")
        self.assertTrue(raw.endswith(b"\r\n"), raw[-8:])
        bare_lf = [i for i in range(len(raw)) if raw[i] == 0x0A and raw[i - 1] != 0x0D]
        bare_cr = [i for i in range(len(raw) - 1) if raw[i] == 0x0D and raw[i + 1] != 0x0A]
        self.assertEqual((bare_lf[:5], bare_cr[:5]), ([], []), "line ends other than CRLF")

    def test_guide_quotes_every_interface_text_exactly(self):
        guide = self.files["README-ja.txt"][len(BOM):].decode("utf-8")
        quoted = set(_QUOTE.findall(guide))
        texts = interface_texts()
        self.assertIn("システムに書き込む", texts)
        self.assertEqual(sorted(texts - quoted), [], "interface texts the guide does not quote")
        self.assertEqual(sorted(quoted - texts), [], "quotes that are no text of the program")


class PackedProgramFileTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.exe = e2e.program_path()
        cls.pe = peresources.PeFile(cls.exe)

    def test_imports_only_system_dlls(self):
        dlls = imported_dlls(self.pe)
        self.assertIn("KERNEL32.dll".lower(), [n.lower() for n in dlls])
        self.assertEqual([n for n in dlls if n.lower() not in SYSTEM_DLLS], [], dlls)

    def test_debug_information_lives_in_the_linked_file(self):
        names = section_names(self.pe)
        self.assertEqual([n for n in names if n.startswith((".debug", "/"))], [], names)
        coff = self.pe._u32(0x3C) + 4
        self.assertEqual(self.pe._u32(coff + 12), 0, "the exe has COFF symbols")
        link = debuglink(self.pe)
        self.assertIsNotNone(link, f"no .gnu_debuglink among {names}")
        name, crc = link
        debug_file = os.path.join(os.path.dirname(self.exe), name)
        with open(debug_file, "rb") as f:
            debug = f.read()
        self.assertEqual(zlib.crc32(debug), crc, "the link's checksum does not match " + name)
        self.assertIn(b".debug_info", debug)


class UnpackedProgramTest(e2e.ProgramSessionTest):
    def test_one_shot_from_the_unpacked_zip_writes_the_speed(self):
        run = e2e.one_shot_from_package(self.session, package_path(), ["7"])
        folder = os.path.join(self.session.prefix, "drive_c", "Tovel")
        self.assertEqual(set(os.listdir(folder)), ENTRIES)
        e2e.assert_speed_set_once(self, run, 7)


if __name__ == "__main__":
    failure_report.main()
