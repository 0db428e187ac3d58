"""The release signed with a throwaway code-signing certificate: the Tovel.exe
in the zip carries an Authenticode signature that osslsigncode verifies
against that certificate, a changed byte breaks it, SHA256SUMS covers the zip
as shipped, and the signed program still sets the speed under Wine.

TOVEL_BUILD_DIR names the build (the mingw preset's folder). Its package is
signed as scripts/release.sh signs one (TOVEL_SIGN_PKCS12): the build's own
programs through scripts/sign.sh and packed again by
scripts/package_release.py, the two steps the release build runs once the
programs are linked, so no second build is needed. That the release build
wires those steps to a certificate is checked on a configured (not built)
release folder: its package step signs both programs and packs the signed
ones.
"""

import glob
import os
import re
import shlex
import subprocess
import sys
import tempfile
import unittest
import zipfile

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(REPO, "tests", "e2e"))
import e2e_support as e2e  # noqa: E402

PASSWORD = "throwaway password"
SELFTEST = os.path.join("selftest", "Tovel-selftest.exe")
_PACKAGE = re.compile(r"^Tovel-(?P<version>.+)-win64\.zip$")
_release = {}


def run(argv, **kwargs):
    result = subprocess.run(argv, capture_output=True, text=True, check=False, **kwargs)
    if result.returncode != 0:
        raise AssertionError(f"{' '.join(argv)}:\n{result.stdout[-3000:]}{result.stderr[-3000:]}")
    return result


def build_dir():
    build = os.environ.get("TOVEL_BUILD_DIR")
    if not build or not os.path.isdir(os.path.join(build, "dist")):
        raise unittest.SkipTest("TOVEL_BUILD_DIR names no build with a release package")
    return build


def make_certificate(root):
    """(certificate, PKCS#12 file) of a fresh self-signed code-signing certificate."""
    cert, key, pkcs12 = (os.path.join(root, n) for n in ("cert.pem", "key.pem", "sign.p12"))
    run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
         "-subj", "/CN=Tovel throwaway signer", "-keyout", key, "-out", cert,
         "-addext", "keyUsage=digitalSignature", "-addext", "extendedKeyUsage=codeSigning"])
    run(["openssl", "pkcs12", "-export", "-inkey", key, "-in", cert, "-out", pkcs12,
         "-passout", "pass:" + PASSWORD])
    return cert, pkcs12


def signed_release():
    """(work folder, certificate, dist folder, signed exe...) of the build's
    programs signed with a fresh certificate and packed; made once."""
    if not _release:
        build = build_dir()
        version = next(m.group("version") for m in map(_PACKAGE.match,
                                                       os.listdir(os.path.join(build, "dist")))
                       if m and not m.group("version").endswith("-selftest"))
        work = tempfile.TemporaryDirectory(prefix="tovel-signed-")
        root = work.name
        cert, pkcs12 = make_certificate(root)
        env = dict(os.environ, TOVEL_SIGN_PASSWORD=PASSWORD)
        env.pop("TOVEL_SIGN_TIMESTAMP_URL", None)  # no network in the tests
        signed = {}
        for name, built in (("Tovel.exe", "Tovel.exe"), ("Tovel-selftest.exe", SELFTEST)):
            signed[name] = os.path.join(root, "signed", name)
            run(["bash", os.path.join(REPO, "scripts", "sign.sh"), pkcs12,
                 os.path.join(build, built), signed[name]], env=env)
        dist = os.path.join(root, "dist")
        run([sys.executable, os.path.join(REPO, "scripts", "package_release.py"),
             "--exe", signed["Tovel.exe"], "--selftest", signed["Tovel-selftest.exe"],
             "--version", version, "--out", dist,
             "--notices", os.path.join(build, "THIRD-PARTY-NOTICES.txt"),
             "--selftest-notices", os.path.join(build, "selftest", "THIRD-PARTY-NOTICES.txt"),
             "--extra", os.path.join(build, "Tovel.debug")])
        packed = {"Tovel.exe": f"Tovel-{version}-win64.zip",
                  "Tovel-selftest.exe": f"Tovel-{version}-selftest-win64.zip"}
        for member, package in packed.items():
            with zipfile.ZipFile(os.path.join(dist, package)) as archive:
                with open(os.path.join(root, member), "wb") as f:
                    f.write(archive.read(member))
        _release.update(work=work, cert=cert, pkcs12=pkcs12, dist=dist,
                        package=os.path.join(dist, packed["Tovel.exe"]),
                        exe=os.path.join(root, "Tovel.exe"),
                        selftest=os.path.join(root, "Tovel-selftest.exe"),
                        unsigned=os.path.join(build, "Tovel.exe"))
    return _release


def verify(exe, cert):
    return subprocess.run(["osslsigncode", "verify", "-CAfile", cert, "-in", exe],
                          capture_output=True, text=True, check=False)


class SignatureTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.release = signed_release()

    def test_packed_programs_verify_against_the_certificate(self):
        for exe in ("exe", "selftest"):
            with self.subTest(exe=exe):
                result = verify(self.release[exe], self.release["cert"])
                self.assertEqual(result.returncode, 0,
                                 result.stdout[-3000:] + result.stderr[-3000:])
                self.assertIn("Message digest algorithm  : SHA256", result.stdout)
        with open(self.release["unsigned"], "rb") as f:
            unsigned = f.read()
        with open(self.release["exe"], "rb") as f:
            self.assertNotEqual(f.read(), unsigned, "the zip holds the unsigned exe")
        run(["sha256sum", "-c", "SHA256SUMS"], cwd=self.release["dist"])

    def test_a_changed_byte_fails_verification(self):
        with open(self.release["exe"], "rb") as f:
            data = bytearray(f.read())
        data[0x1000] ^= 0x01  # inside the code of the first section
        changed = os.path.join(self.release["work"].name, "changed.exe")
        with open(changed, "wb") as f:
            f.write(data)
        result = verify(changed, self.release["cert"])
        self.assertNotEqual(result.returncode, 0, result.stdout[-3000:])


class ReleaseBuildSigningTest(unittest.TestCase):
    """A release folder configured as scripts/release.sh configures one with
    a certificate: building its package would sign both programs with that
    certificate through scripts/sign.sh and pack the signed copies."""

    def test_the_package_step_signs_both_programs_and_packs_the_signed_ones(self):
        release = signed_release()
        folder = os.path.join(release["work"].name, "release-build")
        run(["cmake", "--preset", "mingw", "-B", folder, "-DTOVEL_BUILD_TESTS=OFF",
             "-DTOVEL_SIGN_PKCS12=" + release["pkcs12"]], cwd=REPO)
        commands = run(["ninja", "-C", folder, "-t", "commands", "release_package"]).stdout
        signing = [shlex.split(line.split("&&")[-1]) for line in commands.splitlines()
                   if "scripts/sign.sh" in line]
        signed = {argv[-1] for argv in signing
                  if argv[-3] == release["pkcs12"] and argv[-4].endswith("scripts/sign.sh")}
        wanted = {os.path.join(folder, "signed", "Tovel.exe"),
                  os.path.join(folder, "signed", "Tovel-selftest.exe")}
        self.assertEqual(signed, wanted, commands[-3000:])
        packing = [line for line in commands.splitlines() if "package_release.py" in line]
        self.assertEqual(len(packing), 1, commands[-3000:])
        argv = shlex.split(packing[0].split("&&")[-1])
        self.assertEqual(argv[argv.index("--exe") + 1], os.path.join(folder, "signed", "Tovel.exe"))
        self.assertEqual(argv[argv.index("--selftest") + 1],
                         os.path.join(folder, "signed", "Tovel-selftest.exe"))


class SignedProgramTest(e2e.ProgramSessionTest):
    def test_signed_one_shot_writes_the_speed(self):
        one_shot = e2e.one_shot_from_package(self.session, signed_release()["package"], ["7"])
        e2e.assert_speed_set_once(self, one_shot, 7)


if __name__ == "__main__":
    unittest.main()
