"""scripts/release.sh with a throwaway code-signing certificate: the Tovel.exe
in the zip carries an Authenticode signature that osslsigncode verifies
against that certificate, a changed byte breaks it, SHA256SUMS covers the zip
as shipped, and the signed program still sets the speed under Wine.

Builds the release once more, in a temporary folder (a minute or two).
"""

import os
import subprocess
import sys
import tempfile
import unittest
import zipfile

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(REPO, "tests", "e2e"))
import e2e_support as e2e  # noqa: E402

PASSWORD = "throwaway password"
_release = {}


def run(argv, **kwargs):
    result = subprocess.run(argv, capture_output=True, text=True, check=False, **kwargs)
    if result.returncode != 0:
        raise AssertionError(f"{' '.join(argv)}:\n{result.stdout[-3000:]}{result.stderr[-3000:]}")
    return result


def signed_release():
    """(work folder, certificate, dist folder, signed exe) of one release.sh
    run with a fresh self-signed code-signing certificate; made once."""
    if not _release:
        work = tempfile.TemporaryDirectory(prefix="tovel-signed-")
        root = work.name
        cert, key, pkcs12 = (os.path.join(root, n) for n in ("cert.pem", "key.pem", "sign.p12"))
        run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
             "-subj", "/CN=Tovel throwaway signer", "-keyout", key, "-out", cert,
             "-addext", "keyUsage=digitalSignature", "-addext", "extendedKeyUsage=codeSigning"])
        run(["openssl", "pkcs12", "-export", "-inkey", key, "-in", cert, "-out", pkcs12,
             "-passout", "pass:" + PASSWORD])
        dist = os.path.join(root, "dist")
        env = dict(os.environ, TOVEL_BUILD_DIR=os.path.join(root, "build"), TOVEL_DIST_DIR=dist,
                   TOVEL_SIGN_PKCS12=pkcs12, TOVEL_SIGN_PASSWORD=PASSWORD)
        env.pop("TOVEL_SIGN_TIMESTAMP_URL", None)  # no network in the tests
        run(["bash", os.path.join(REPO, "scripts", "release.sh")], env=env)
        packed = {}
        for name, member in (("-selftest-win64.zip", "Tovel-selftest.exe"),
                             ("-win64.zip", "Tovel.exe")):
            package = next(n for n in os.listdir(dist)
                           if n.endswith(name) and n not in packed.values())
            packed[member] = package
            with zipfile.ZipFile(os.path.join(dist, package)) as archive:
                with open(os.path.join(root, member), "wb") as f:
                    f.write(archive.read(member))
        _release.update(work=work, cert=cert, dist=dist,
                        package=os.path.join(dist, packed["Tovel.exe"]),
                        exe=os.path.join(root, "Tovel.exe"),
                        selftest=os.path.join(root, "Tovel-selftest.exe"),
                        unsigned=os.path.join(root, "build", "Tovel.exe"))
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


class SignedProgramTest(e2e.ProgramSessionTest):
    def test_signed_one_shot_writes_the_speed(self):
        one_shot = e2e.one_shot_from_package(self.session, signed_release()["package"], ["7"])
        e2e.assert_speed_set_once(self, one_shot, 7)


if __name__ == "__main__":
    unittest.main()
