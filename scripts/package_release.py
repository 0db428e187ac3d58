#!/usr/bin/env python3
"""Packs the release zip and its SHA256SUMS from a built Tovel.exe.

    python3 scripts/package_release.py --exe Tovel.exe --version 1.2.2.0 --out DIR
        [--notices THIRD-PARTY-NOTICES.txt] [--selftest Tovel-selftest.exe
        --selftest-notices NOTICES] [--extra FILE ...]

Writes DIR/Tovel-<version>-win64.zip with Tovel.exe, README-ja.txt, LICENSE and
the notices file; with --selftest also DIR/Tovel-<version>-selftest-win64.zip
with Tovel-selftest.exe, README-selftest.txt, LICENSE and its own notices; and DIR/SHA256SUMS over the
zips and every --extra file (copied into DIR).

A zip is the same byte for byte whenever its files are: its entries are
sorted by name, carry one fixed time (the zip format's earliest, 1980-01-01
00:00) and no owner, permission or extra fields of the machine that packed
them. Names are ASCII only: older Windows
unzip tools show UTF-8 names wrongly.
"""

import argparse
import hashlib
import os
import shutil
import sys
import zipfile

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
GUIDE = os.path.join(REPO, "docs", "README-ja.txt")
SELFTEST_GUIDE = os.path.join(REPO, "docs", "README-selftest.txt")
LICENSE = os.path.join(REPO, "LICENSE")
EARLIEST_ZIP_TIME = (1980, 1, 1, 0, 0, 0)


def package_name(version):
    return f"Tovel-{version}-win64.zip"


def selftest_package_name(version):
    return f"Tovel-{version}-selftest-win64.zip"


def write_zip(path, members):
    """members: (name in the zip, file on disk). Written to a temporary file
    first so that an interrupted run leaves no half zip under the real name."""
    partial = path + ".partial"
    with zipfile.ZipFile(partial, "w") as archive:
        for name, source in sorted(members):
            if not name.isascii():
                raise ValueError(f"non-ASCII name in the package: {name!r}")
            info = zipfile.ZipInfo(name, date_time=EARLIEST_ZIP_TIME)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0  # MS-DOS: no Unix owner or mode bits
            info.external_attr = 0
            with open(source, "rb") as f:
                archive.writestr(info, f.read(), compresslevel=9)
    os.replace(partial, path)


def sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 16), b""):
            digest.update(block)
    return digest.hexdigest()


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", required=True, help="the built Tovel.exe")
    parser.add_argument("--version", required=True, help="the program's version")
    parser.add_argument("--out", required=True, help="folder for the zip and SHA256SUMS")
    parser.add_argument("--notices", help="the third-party notices to pack beside the exe")
    parser.add_argument("--selftest", help="the built Tovel-selftest.exe, for the second zip")
    parser.add_argument("--selftest-notices", help="the self-test's third-party notices")
    parser.add_argument("--extra", action="append", default=[],
                        help="a further file to copy beside the zip and list in SHA256SUMS")
    args = parser.parse_args(argv)

    os.makedirs(args.out, exist_ok=True)
    zip_path = os.path.join(args.out, package_name(args.version))
    members = [("Tovel.exe", args.exe), ("README-ja.txt", GUIDE), ("LICENSE", LICENSE)]
    if args.notices:
        members.append(("THIRD-PARTY-NOTICES.txt", args.notices))
    write_zip(zip_path, members)
    listed = [zip_path]
    if args.selftest:
        selftest_zip = os.path.join(args.out, selftest_package_name(args.version))
        selftest_members = [("Tovel-selftest.exe", args.selftest),
                            ("README-selftest.txt", SELFTEST_GUIDE), ("LICENSE", LICENSE)]
        if args.selftest_notices:
            selftest_members.append(("THIRD-PARTY-NOTICES.txt", args.selftest_notices))
        write_zip(selftest_zip, selftest_members)
        listed.append(selftest_zip)
    for extra in args.extra:
        target = os.path.join(args.out, os.path.basename(extra))
        if os.path.abspath(extra) != os.path.abspath(target):
            shutil.copyfile(extra, target)
        listed.append(target)
    # Two spaces between sum and name: the form "sha256sum -c" reads.
    lines = [f"{sha256(p)}  {os.path.basename(p)}\n" for p in sorted(listed)]
    with open(os.path.join(args.out, "SHA256SUMS"), "w", encoding="ascii", newline="\n") as f:
        f.writelines(lines)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
