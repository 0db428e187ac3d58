#!/usr/bin/env python3
"""Writes THIRD-PARTY-NOTICES.txt for a statically linked exe from its link map.

    python3 scripts/third_party_notices.py --map Tovel.map --out THIRD-PARTY-NOTICES.txt

Every archive member and object file the linker took from outside the build
folder is mapped to the component it belongs to; each component then gets its
name, its licence and the notice that licence asks binary copies to carry, read
verbatim from the copyright file of the Debian package the parts come from. A
part of no known component stops the script: a release must not ship code
whose notice nobody has looked at.

Reads GNU ld maps (-Wl,-Map), which name each member as "archive.a(member.o)".
"""

import argparse
import os
import re
import sys

DOC_ROOT = "/usr/share/doc"
MINGW_PACKAGE = "mingw-w64-x86-64-dev"


class Component:
    def __init__(self, name, notices, licence=None):
        self.name = name
        # (Debian package, first pattern of the Files paragraph) whose
        # Copyright and License fields make the notice; none for a licence
        # that asks for no notice, which is then named.
        self.notices = notices
        self.licence = licence


GCC_RUNTIME = Component(
    "libstdc++ and libgcc (GCC)", [],
    "GPL-3.0-or-later with the GCC Runtime Library Exception 3.1")
MINGW_RUNTIME = Component(
    "mingw-w64 runtime (start-up code, C library glue, import libraries)",
    [(MINGW_PACKAGE, "*")])
GDTOA = Component(
    "gdtoa by David M. Gay, with the mingw-w64 printf built on it",
    [(MINGW_PACKAGE, "mingw-w64-crt/gdtoa/*"), (MINGW_PACKAGE, "mingw-w64-crt/gdtoa/qnan.c")])
WINPTHREADS = Component(
    "winpthreads (mingw-w64)",
    [(MINGW_PACKAGE, "mingw-w64-libraries/winpthreads/*"),
     (MINGW_PACKAGE, "mingw-w64-libraries/winpthreads/include/pthread.h")])
# Built in the build folder from the googletest package's sources: the
# self-test links it.
GOOGLETEST = Component("GoogleTest and GoogleMock", [("googletest", "*")])
GOOGLETEST_ARCHIVES = {"libgtest.a", "libgmock.a"}
# In the order the notices file lists them.
COMPONENTS = [GCC_RUNTIME, MINGW_RUNTIME, GDTOA, WINPTHREADS, GOOGLETEST]

GCC_FILES = {"libstdc++.a", "libsupc++.a", "libgcc.a", "libgcc_eh.a",
             "crtbegin.o", "crtend.o", "crtfastmath.o"}
THREAD_LIBRARIES = {"libpthread.a", "libwinpthread.a"}
# libmingwex.a members built from mingw-w64-crt/gdtoa/ and from
# mingw_pformat.c, which the copyright file puts under gdtoa's licence.
GDTOA_SOURCES = {"dmisc", "dtoa", "g__fmt", "g_dfmt", "g_ffmt", "g_xfmt", "gdtoa", "gethex",
                 "gmisc", "hd_init", "hexnan", "misc", "qnan", "smisc", "strtodg",
                 "strtodnrp", "strtof", "strtopx", "sum", "ulp",
                 "mingw_pformat", "mingw_pformatw"}
MINGW_MEMBER_PREFIX = re.compile(r"^lib64_lib[a-z0-9_]+_a-")

_MEMBER = re.compile(r"^(.+\.a)\(([^()]+)\)$")


class UnknownPart(Exception):
    pass


def linked_parts(map_text):
    """(file, member or None) for every archive member and object file the map
    names, in the order first named."""
    seen = {}
    for token in map_text.split():
        m = _MEMBER.match(token)
        if m:
            seen.setdefault((m.group(1), m.group(2)), None)
        elif token.endswith((".o", ".obj")) and not token.startswith("("):
            seen.setdefault((token, None), None)
    return list(seen)


def component_of(path, member):
    """The component a linked part belongs to; None for the build's own
    objects (CMake's *.obj, named relative to the build folder)."""
    if not os.path.isabs(path):
        if os.path.basename(path) in GOOGLETEST_ARCHIVES:
            return GOOGLETEST
        if (member or path).endswith(".obj"):
            return None
        raise UnknownPart(f"{path}({member})" if member else path)
    path = os.path.normpath(path)
    base = os.path.basename(path)
    if "/lib/gcc/" in path and base in GCC_FILES:
        return GCC_RUNTIME
    if "/x86_64-w64-mingw32/lib/" in path:
        if base in THREAD_LIBRARIES:
            return WINPTHREADS
        if base == "libmingwex.a" and member:
            source = MINGW_MEMBER_PREFIX.sub("", member).removesuffix(".o")
            if source in GDTOA_SOURCES:
                return GDTOA
        return MINGW_RUNTIME
    raise UnknownPart(f"{path}({member})" if member else path)


def components(map_text):
    found = set()
    for path, member in linked_parts(map_text):
        component = component_of(path, member)
        if component is not None:
            found.add(component)
    return [c for c in COMPONENTS if c in found]


def _fields(paragraph):
    """Field name -> its lines (the first without the name), as in a Debian
    machine-readable copyright file."""
    fields = {}
    name = None
    for line in paragraph.split("\n"):
        if line[:1] in (" ", "\t") and name:
            fields[name].append(line)
        elif ":" in line:
            name, value = line.split(":", 1)
            fields[name] = [value.strip()]
    return fields


def notice(package, files, doc_root=DOC_ROOT):
    """(copyright lines, licence name, licence text) of the Files paragraph
    whose first pattern is files, verbatim but for the file format's own
    markup: one leading space per line, "." for an empty line."""
    path = os.path.join(doc_root, package, "copyright")
    with open(path, encoding="utf-8") as f:
        paragraphs = [_fields(p) for p in re.split(r"\n[ \t]*\n", f.read())]
    for p in paragraphs:
        if p.get("Files", [""])[0] == files:
            break
    else:
        raise UnknownPart(f"{path} has no Files paragraph for {files}")
    copyright_lines = ["Copyright: " + p["Copyright"][0]] + [l.strip() for l in p["Copyright"][1:]]
    licence, *body = p["License"]
    if not body:  # the text stands in a paragraph of its own
        body = next((q["License"][1:] for q in paragraphs
                     if "Files" not in q and q.get("License", [""])[0] == licence), [])
    if not body:
        raise UnknownPart(f"{path} gives no text for the licence {licence}")
    text = ["" if l.strip() == "." else l[1:] for l in body]
    return copyright_lines, licence, "\n".join(text)


def notices_text(found, doc_root=DOC_ROOT, program="Tovel.exe"):
    title = f"Third-party notices for {program}"
    out = [title,
           "=" * len(title),
           "",
           f"{program} is one self-contained file. Besides Tovel's own code (see LICENSE)",
           "it holds parts of the components below, as its link map names them. Each",
           "notice is quoted from the copyright file of the package the part was built",
           "from.",
           ""]
    for component in found:
        if not component.notices:
            out += [f"{component.name}: {component.licence},",
                    "which asks for no notice in a program compiled with GCC.", ""]
            continue
        out += ["-" * 76, component.name, ""]
        for package, files in component.notices:
            copyright_lines, licence, text = notice(package, files, doc_root)
            out += copyright_lines + [f"License: {licence}", "", text, ""]
    return "\n".join(out)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--map", required=True, help="the linker's map file")
    parser.add_argument("--out", required=True, help="the notices file to write")
    parser.add_argument("--program", default="Tovel.exe", help="the exe's name, for the title")
    args = parser.parse_args(argv)
    with open(args.map, encoding="utf-8", errors="replace") as f:
        found = components(f.read())
    # CRLF: the file is read on Windows, in Notepad among others.
    with open(args.out, "w", encoding="ascii", newline="\r\n") as f:
        f.write(notices_text(found, program=args.program))
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv[1:]))
    except UnknownPart as e:
        sys.exit(f"third_party_notices: no notice known for {e}")
