"""A second release build of the same sources, in other folders, gives the
same Tovel.exe, debug file, Tovel-selftest.exe, both zips and SHA256SUMS as
this build, byte for byte.

TOVEL_BUILD_DIR names this build (the mingw preset's folder). The sources are
copied as they are checked out (tracked and new files, not ignored ones), so
the two builds see the same sources even before a commit.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SELFTEST = os.path.join("selftest", "Tovel-selftest.exe")
IGNORED = shutil.ignore_patterns(".git", "build", "dist", "__pycache__")


def source_files():
    """Paths (relative to REPO) of the checked-out sources."""
    try:
        out = subprocess.run(["git", "-C", REPO, "ls-files", "-z", "--cached", "--others",
                              "--exclude-standard"], capture_output=True, check=True).stdout
    except (OSError, subprocess.CalledProcessError):
        return None
    return [p for p in out.decode("utf-8").split("\0") if p]


def copy_sources(target):
    files = source_files()
    if files is None:
        shutil.copytree(REPO, target, ignore=IGNORED)
        return
    for rel in files:
        src = os.path.join(REPO, rel)
        if not os.path.isfile(src):
            continue  # deleted in the checkout but not yet in git
        dst = os.path.join(target, rel)
        os.makedirs(os.path.dirname(dst), exist_ok=True)
        shutil.copy2(src, dst)


def first_difference(a, b):
    for i, (x, y) in enumerate(zip(a, b)):
        if x != y:
            return i
    return min(len(a), len(b))


class ReproducibleBuildTest(unittest.TestCase):
    def test_second_build_elsewhere_gives_the_same_bytes(self):
        ours = os.environ.get("TOVEL_BUILD_DIR")
        if not ours or not os.path.isdir(os.path.join(ours, "dist")):
            self.skipTest("TOVEL_BUILD_DIR names no build with a release package")
        work = tempfile.mkdtemp(prefix="tovel-reproducible-")
        try:
            # Other folder names, of other lengths, for sources and build.
            source = os.path.join(work, "another-checkout")
            build = os.path.join(work, "out")
            copy_sources(source)
            jobs = os.environ.get("TOVEL_JOBS", "2")
            for argv in (["cmake", "--preset", "mingw", "-B", build, "-DTOVEL_BUILD_TESTS=OFF"],
                         ["cmake", "--build", build, "-j", jobs, "--target", "release_package"]):
                result = subprocess.run(argv, cwd=source, capture_output=True, text=True,
                                        check=False)
                self.assertEqual(result.returncode, 0,
                                 f"{' '.join(argv)}:\n{result.stdout[-3000:]}{result.stderr[-3000:]}")
            theirs_dist = os.listdir(os.path.join(build, "dist"))
            self.assertEqual(sorted(theirs_dist), sorted(os.listdir(os.path.join(ours, "dist"))))
            self.assertIn("SHA256SUMS", theirs_dist)
            self.assertEqual(len([n for n in theirs_dist if n.endswith(".zip")]), 2, theirs_dist)
            compared = ["Tovel.exe", "Tovel.debug", SELFTEST] + [
                os.path.join("dist", n) for n in theirs_dist]
            for rel in compared:
                with self.subTest(file=rel):
                    with open(os.path.join(ours, rel), "rb") as f:
                        mine = f.read()
                    with open(os.path.join(build, rel), "rb") as f:
                        other = f.read()
                    if mine != other:
                        self.fail(f"{rel} differs: {len(mine)} and {len(other)} bytes, "
                                  f"first at offset {first_difference(mine, other):#x}")
        finally:
            if os.environ.get("TOVEL_KEEP_REPRODUCIBLE"):
                print(f"kept {work}", file=sys.stderr)
            else:
                shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    unittest.main()
