"""The notices in the release zip against the link map of its Tovel.exe: every
component the map names has its notice, quoted from the package's copyright
file; the parts of the runtime map to the components their licences cover.

TOVEL_BUILD_DIR names the build (the mingw preset's folder) with Tovel.map and
the package in dist/.
"""

import glob
import os
import sys
import tempfile
import unittest
import zipfile

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(REPO, "scripts"))
import third_party_notices as tpn  # noqa: E402

MINGW_LIB = "/usr/lib/gcc/x86_64-w64-mingw32/12-posix/../../../../x86_64-w64-mingw32/lib/"
GCC_LIB = "/usr/lib/gcc/x86_64-w64-mingw32/12-win32/"


def load(test_class, map_name, package_pattern):
    """The build's link map and the notices packed in its zip, on the class."""
    build = os.environ.get("TOVEL_BUILD_DIR", "")
    map_path = os.path.join(build, map_name)
    packages = glob.glob(os.path.join(build, "dist", package_pattern))
    if not os.path.isfile(map_path) or not packages:
        raise unittest.SkipTest(f"TOVEL_BUILD_DIR names no build with {map_name} and a package")
    with open(map_path, encoding="utf-8", errors="replace") as f:
        test_class.map_text = f.read()
    with zipfile.ZipFile(packages[0]) as archive:
        test_class.notices = archive.read("THIRD-PARTY-NOTICES.txt").decode(
            "ascii").replace("\r\n", "\n")


class LinkedComponentsTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        load(cls, "Tovel.map", "Tovel-[0-9]*[0-9]-win64.zip")

    def assert_every_component_has_its_notice(self):
        parts = tpn.linked_parts(self.map_text)
        self.assertTrue(any(p.endswith("libstdc++.a") for p, _m in parts), parts[:20])
        found = {tpn.component_of(path, member) for path, member in parts} - {None}
        self.assertIn(tpn.GDTOA, found, "the printf family's gdtoa is no longer linked: "
                                        "drop it from here and from the README")
        for component in found:
            with self.subTest(component=component.name):
                self.assertIn(component.name, self.notices)
                for package, files in component.notices:
                    copyright_lines, licence, text = tpn.notice(package, files)
                    self.assertIn("\n".join(copyright_lines + [f"License: {licence}", "", text]),
                                  self.notices)
                if not component.notices:
                    self.assertIn(component.licence, self.notices)
        return found

    def test_every_component_in_the_link_map_has_its_notice(self):
        self.assert_every_component_has_its_notice()

    def test_program_links_no_thread_library(self):
        threads = [(p, m) for p, m in tpn.linked_parts(self.map_text)
                   if tpn.component_of(p, m) is tpn.WINPTHREADS]
        self.assertEqual(threads, [])


class SelftestComponentsTest(unittest.TestCase):
    """The self-test's zip against the self-test's own link map."""

    @classmethod
    def setUpClass(cls):
        load(cls, "Tovel-selftest.map", "Tovel-*-selftest-win64.zip")

    def test_every_component_in_the_link_map_has_its_notice(self):
        found = LinkedComponentsTest.assert_every_component_has_its_notice(self)
        self.assertIn(tpn.GOOGLETEST, found)


class ComponentRulesTest(unittest.TestCase):
    def test_parts_map_to_the_components_their_licences_cover(self):
        cases = [
            (MINGW_LIB + "libmingwex.a", "lib64_libmingwex_a-gdtoa.o", tpn.GDTOA),
            (MINGW_LIB + "libmingwex.a", "lib64_libmingwex_a-misc.o", tpn.GDTOA),
            (MINGW_LIB + "libmingwex.a", "lib64_libmingwex_a-mingw_pformatw.o", tpn.GDTOA),
            (MINGW_LIB + "libmingwex.a", "lib64_libmingwex_a-strnlen.o", tpn.MINGW_RUNTIME),
            (MINGW_LIB + "libmingw32.a", "lib64_libmingw32_a-crt0_w.o", tpn.MINGW_RUNTIME),
            (MINGW_LIB + "libkernel32.a", "libkernel32s00019.o", tpn.MINGW_RUNTIME),
            (MINGW_LIB + "crt2u.o", None, tpn.MINGW_RUNTIME),
            (MINGW_LIB + "libpthread.a", "libwinpthread_la-thread.o", tpn.WINPTHREADS),
            (GCC_LIB + "libstdc++.a", "eh_alloc.o", tpn.GCC_RUNTIME),
            (GCC_LIB + "libgcc_eh.a", "unwind-seh.o", tpn.GCC_RUNTIME),
            (GCC_LIB + "crtbegin.o", None, tpn.GCC_RUNTIME),
            ("libtovel_app.a", "program.cpp.obj", None),
            ("CMakeFiles/Tovel.dir/app/main_win32.cpp.obj", None, None),
        ]
        for path, member, component in cases:
            with self.subTest(path=path, member=member):
                self.assertIs(tpn.component_of(path, member), component)
        # Parts of no known component, and a member named without its archive.
        for path, member in (("/opt/elsewhere/libz.a", "inflate.o"),
                             ("lib64_libmingwex_a-gdtoa.o", None)):
            with self.subTest(path=path), self.assertRaises(tpn.UnknownPart):
                tpn.component_of(path, member)

    def test_notice_is_quoted_from_the_copyright_file(self):
        copyright_file = (
            "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n\n"
            "Files: *\nCopyright: 2009 the project\nLicense: Inline\n first line\n .\n  indented\n\n"
            "Files: sub/*\n       other/*\nCopyright: 2004 One\n           1998 Two\nLicense: expat\n\n"
            "License: expat\n Permission is hereby granted.\n")
        with tempfile.TemporaryDirectory() as root:
            os.makedirs(os.path.join(root, "pkg"))
            with open(os.path.join(root, "pkg", "copyright"), "w", encoding="utf-8") as f:
                f.write(copyright_file)
            self.assertEqual(tpn.notice("pkg", "*", root),
                             (["Copyright: 2009 the project"], "Inline", "first line\n\n indented"))
            self.assertEqual(tpn.notice("pkg", "sub/*", root),
                             (["Copyright: 2004 One", "1998 Two"], "expat",
                              "Permission is hereby granted."))
            with self.assertRaises(tpn.UnknownPart):
                tpn.notice("pkg", "missing/*", root)


if __name__ == "__main__":
    unittest.main()
