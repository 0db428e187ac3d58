"""The manifest and the version block inside Tovel.exe, read back from the file."""

import os
import sys
import unittest
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import peresources  # noqa: E402

ASM_V1 = "urn:schemas-microsoft-com:asm.v1"
ASM_V3 = "urn:schemas-microsoft-com:asm.v3"
COMPAT = "urn:schemas-microsoft-com:compatibility.v1"
WS2005 = "http://schemas.microsoft.com/SMI/2005/WindowsSettings"
WS2016 = "http://schemas.microsoft.com/SMI/2016/WindowsSettings"

SUPPORTED_OS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}": "Windows Vista",
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "Windows 7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "Windows 8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "Windows 8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "Windows 10",
}

# The DLLs Windows 10 lists under KnownDLLs (plus msvcrt, which it lists too):
# always taken from the system, never from the program's folder. A static
# import of any other DLL could be planted beside Tovel.exe.
KNOWN_DLLS = {
    "advapi32.dll", "clbcatq.dll", "combase.dll", "comdlg32.dll", "coml2.dll", "difxapi.dll",
    "gdi32.dll", "gdiplus.dll", "imagehlp.dll", "imm32.dll", "kernel32.dll", "msctf.dll",
    "msvcrt.dll", "normaliz.dll", "nsi.dll", "ole32.dll", "oleaut32.dll", "psapi.dll",
    "rpcrt4.dll", "sechost.dll", "setupapi.dll", "shcore.dll", "shell32.dll", "shlwapi.dll",
    "user32.dll", "wldap32.dll", "ws2_32.dll",
}

VS_FFI_SIGNATURE = 0xFEEF04BD
VOS__WINDOWS32 = 0x00000004
VFT_APP = 0x00000001


def program_path():
    path = os.environ.get("TOVEL_EXE")
    if not path:
        raise unittest.SkipTest("TOVEL_EXE is not set")
    return path


class ManifestTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.pe = peresources.PeFile(program_path())
        cls.xml = cls.pe.manifest(1)
        cls.root = ET.fromstring(cls.xml)

    def test_one_manifest_with_the_process_id(self):
        manifests = self.pe.find(peresources.RT_MANIFEST)
        self.assertEqual([name for name, _lang, _data in manifests], [1])
        self.assertEqual(self.root.tag, f"{{{ASM_V1}}}assembly")
        self.assertEqual(self.root.get("manifestVersion"), "1.0")

    def test_identity_names_the_program_and_its_file_version(self):
        ids = self.root.findall(f"{{{ASM_V1}}}assemblyIdentity")
        self.assertEqual(len(ids), 1)
        self.assertEqual(ids[0].get("type"), "win32")
        self.assertEqual(ids[0].get("name"), "VarnelProject.Tovel")
        self.assertEqual(ids[0].get("version"), "1.2.2.0")

    def test_per_monitor_dpi_aware(self):
        ws = self.root.findall(f"{{{ASM_V3}}}application/{{{ASM_V3}}}windowSettings")
        self.assertEqual(len(ws), 1)
        aware = ws[0].findall(f"{{{WS2005}}}dpiAware")
        awareness = ws[0].findall(f"{{{WS2016}}}dpiAwareness")
        self.assertEqual([e.text.strip() for e in aware], ["true/pm"])
        self.assertEqual([e.text.strip() for e in awareness], ["PerMonitor"])

    def test_common_controls_6(self):
        ids = self.root.findall(
            f"{{{ASM_V1}}}dependency/{{{ASM_V1}}}dependentAssembly/{{{ASM_V1}}}assemblyIdentity")
        cc = [i for i in ids if i.get("name") == "Microsoft.Windows.Common-Controls"]
        self.assertEqual(len(cc), 1)
        self.assertEqual(cc[0].get("type"), "win32")
        self.assertEqual(cc[0].get("version"), "6.0.0.0")
        self.assertEqual(cc[0].get("processorArchitecture"), "*")
        self.assertEqual(cc[0].get("language"), "*")
        self.assertEqual(cc[0].get("publicKeyToken"), "6595b64144ccf1df")

    def test_runs_as_invoker(self):
        levels = self.root.findall(
            f"{{{ASM_V3}}}trustInfo/{{{ASM_V3}}}security/{{{ASM_V3}}}requestedPrivileges/"
            f"{{{ASM_V3}}}requestedExecutionLevel")
        self.assertEqual(len(levels), 1)
        self.assertEqual(levels[0].get("level"), "asInvoker")
        self.assertEqual(levels[0].get("uiAccess"), "false")

    def test_supported_systems_vista_to_10(self):
        ids = [e.get("Id").lower() for e in self.root.findall(
            f"{{{COMPAT}}}compatibility/{{{COMPAT}}}application/{{{COMPAT}}}supportedOS")]
        self.assertEqual(sorted(ids), sorted(SUPPORTED_OS))


class VersionBlockTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.pe = peresources.PeFile(program_path())
        cls.info = cls.pe.version_info()

    def test_fixed_part(self):
        fixed = self.info.fixed
        self.assertEqual(fixed.signature, VS_FFI_SIGNATURE)
        self.assertEqual(fixed.file_version, (1, 2, 2, 0))
        self.assertEqual(fixed.product_version, (1, 2, 0, 0))
        self.assertEqual(fixed.file_os, VOS__WINDOWS32)
        self.assertEqual(fixed.file_type, VFT_APP)
        self.assertEqual(fixed.file_flags, 0)

    def test_japanese_string_table_holds_exactly_these_values(self):
        self.assertEqual(self.info.string_tables(), {
            "041103A4": {
                "CompanyName": "Varnel Project",
                "FileDescription": "Tovel",
                "FileVersion": "1.2.2.0",
                "InternalName": "Tovel",
                "OriginalFilename": "Tovel.exe",
                "ProductName": "Tovel",
                "ProductVersion": "1.2",
            }
        })

    def test_translation_is_japanese_code_page_932(self):
        self.assertEqual(self.info.translations(), [(0x0411, 0x03A4)])

    def test_windows_x64_gui_program(self):
        self.assertEqual(self.pe.machine, 0x8664)
        self.assertEqual(self.pe.subsystem, 2)  # IMAGE_SUBSYSTEM_WINDOWS_GUI


class ImportsTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.pe = peresources.PeFile(program_path())

    def test_only_dlls_the_system_protects_are_imported(self):
        imported = {name.lower() for name in self.pe.imported_dlls()}
        self.assertIn("user32.dll", imported, "the import table was not read")
        self.assertLessEqual(imported, KNOWN_DLLS)
        self.assertEqual(self.pe.delay_imported_dlls(), [])

    def test_the_common_controls_are_not_imported(self):
        # Loaded from the system folder when a control is first made: a
        # one-shot run must not pay for the largest library of the program.
        names = self.pe.imported_dlls() + self.pe.delay_imported_dlls()
        self.assertNotIn("comctl32.dll", [name.lower() for name in names])


if __name__ == "__main__":
    unittest.main()
