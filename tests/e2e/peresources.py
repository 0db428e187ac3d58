"""Reads the resources of a PE file (.exe/.dll): the raw bytes of any resource,
the version block (VS_VERSIONINFO) and the manifest; and the names of the DLLs
it imports.

Written from the PE/COFF format description; only what the tests need.
"""

import collections
import struct

RT_ICON = 3
RT_GROUP_ICON = 14
RT_VERSION = 16
RT_MANIFEST = 24

FixedFileInfo = collections.namedtuple(
    "FixedFileInfo",
    "signature struc_version file_version product_version file_flags_mask "
    "file_flags file_os file_type file_subtype file_date")


class PeFormatError(ValueError):
    pass


class PeFile:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        self._parse_headers()
        self.resources = self._read_resource_tree()

    # ----- headers ------------------------------------------------------------

    def _u16(self, off):
        return struct.unpack_from("<H", self.data, off)[0]

    def _u32(self, off):
        return struct.unpack_from("<I", self.data, off)[0]

    def _parse_headers(self):
        d = self.data
        if len(d) < 0x40 or d[:2] != b"MZ":
            raise PeFormatError("no MZ header")
        pe = self._u32(0x3C)
        if d[pe:pe + 4] != b"PE\0\0":
            raise PeFormatError("no PE signature")
        coff = pe + 4
        self.machine = self._u16(coff)
        sections = self._u16(coff + 2)
        opt_size = self._u16(coff + 16)
        opt = coff + 20
        magic = self._u16(opt)
        if magic == 0x20B:      # PE32+
            dirs = opt + 112
        elif magic == 0x10B:    # PE32
            dirs = opt + 96
        else:
            raise PeFormatError(f"unknown optional header magic {magic:#x}")
        self.subsystem = self._u16(opt + 68)
        ndirs = self._u32(dirs - 4)
        # (rva, size) of each data directory: 1 imports, 2 resources, 13 delay imports.
        self.directories = [struct.unpack_from("<II", d, dirs + 8 * i) for i in range(ndirs)]
        if ndirs <= 2:
            self.resource_rva = self.resource_size = 0
        else:
            self.resource_rva, self.resource_size = self.directories[2]
        self.sections = []
        table = opt + opt_size
        for i in range(sections):
            s = table + 40 * i
            name = d[s:s + 8].rstrip(b"\0").decode("ascii", "replace")
            vsize, va, raw_size, raw_ptr = struct.unpack_from("<IIII", d, s + 8)
            self.sections.append((name, va, max(vsize, raw_size), raw_ptr, raw_size))

    def rva_to_offset(self, rva):
        for _name, va, size, raw_ptr, raw_size in self.sections:
            if va <= rva < va + size:
                if rva - va >= raw_size:
                    raise PeFormatError(f"RVA {rva:#x} lies in uninitialised data")
                return raw_ptr + (rva - va)
        raise PeFormatError(f"RVA {rva:#x} is in no section")

    def _c_string(self, rva):
        off = self.rva_to_offset(rva)
        return self.data[off:self.data.index(b"\0", off)].decode("ascii")

    # ----- imports ------------------------------------------------------------

    def _descriptor_names(self, index, size, name_field):
        if len(self.directories) <= index or not self.directories[index][0]:
            return []
        off = self.rva_to_offset(self.directories[index][0])
        names = []
        while True:
            entry = self.data[off:off + size]
            if len(entry) < size or not any(entry):
                return names
            names.append(self._c_string(struct.unpack_from("<I", entry, name_field)[0]))
            off += size

    def imported_dlls(self):
        """The DLLs the loader maps before the program runs, as written."""
        return self._descriptor_names(1, 20, 12)

    def delay_imported_dlls(self):
        """The DLLs loaded by name on the first call of one of their functions."""
        return self._descriptor_names(13, 32, 4)

    # ----- resource directory -------------------------------------------------

    def _read_resource_tree(self):
        """{(type, name, language): bytes}; type and name are int ids or str names."""
        result = {}
        if not self.resource_rva:
            return result
        base = self.rva_to_offset(self.resource_rva)

        def entries(dir_off):
            named, ids = struct.unpack_from("<HH", self.data, base + dir_off + 12)
            for i in range(named + ids):
                e = base + dir_off + 16 + 8 * i
                name_field, target = struct.unpack_from("<II", self.data, e)
                if name_field & 0x80000000:
                    s = base + (name_field & 0x7FFFFFFF)
                    length = self._u16(s)
                    key = self.data[s + 2:s + 2 + 2 * length].decode("utf-16-le")
                else:
                    key = name_field & 0xFFFF
                yield key, target

        for rtype, t1 in entries(0):
            if not t1 & 0x80000000:
                raise PeFormatError("resource type entry is not a directory")
            for rname, t2 in entries(t1 & 0x7FFFFFFF):
                if not t2 & 0x80000000:
                    raise PeFormatError("resource name entry is not a directory")
                for lang, t3 in entries(t2 & 0x7FFFFFFF):
                    if t3 & 0x80000000:
                        raise PeFormatError("resource language entry is a directory")
                    rva, size = struct.unpack_from("<II", self.data, base + t3)
                    off = self.rva_to_offset(rva)
                    result[(rtype, rname, lang)] = self.data[off:off + size]
        return result

    def find(self, rtype, rname=None):
        """[(name, language, bytes)] of one type, optionally one name."""
        return [(n, l, b) for (t, n, l), b in sorted(self.resources.items(), key=str)
                if t == rtype and (rname is None or n == rname)]

    # ----- typed resources ----------------------------------------------------

    def manifest(self, rname=1):
        found = self.find(RT_MANIFEST, rname)
        if len(found) != 1:
            raise PeFormatError(f"expected one manifest {rname}, found {len(found)}")
        return found[0][2]

    def version_info(self):
        found = self.find(RT_VERSION)
        if len(found) != 1:
            raise PeFormatError(f"expected one version resource, found {len(found)}")
        return VersionInfo(found[0][2])


Node = collections.namedtuple("Node", "key type value children")


def _align4(off):
    return (off + 3) & ~3


def _parse_node(data, off):
    """One VS_VERSIONINFO-style node at off: (Node, end offset)."""
    length, value_length, vtype = struct.unpack_from("<HHH", data, off)
    if length < 6 or off + length > len(data):
        raise PeFormatError(f"bad version node length {length} at {off}")
    end = off + length
    p = off + 6
    key_end = p
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
        if key_end >= end:
            raise PeFormatError("unterminated version node key")
    key = data[p:key_end].decode("utf-16-le")
    p = _align4(key_end + 2)
    if vtype == 1:  # text: value_length counts UTF-16 units
        value = data[p:p + 2 * value_length]
        p += 2 * value_length
    else:
        value = data[p:p + value_length]
        p += value_length
    children = []
    p = _align4(p)
    while p < end:
        child, p = _parse_node(data, p)
        children.append(child)
        p = _align4(p)
    return Node(key, vtype, value, children), end


class VersionInfo:
    def __init__(self, data):
        self.root, _ = _parse_node(data, 0)
        if self.root.key != "VS_VERSION_INFO":
            raise PeFormatError(f"version root key is {self.root.key!r}")
        v = self.root.value
        if len(v) != 52:
            raise PeFormatError(f"VS_FIXEDFILEINFO has {len(v)} bytes")
        f = struct.unpack("<13I", v)
        self.fixed = FixedFileInfo(
            signature=f[0], struc_version=f[1],
            file_version=(f[2] >> 16, f[2] & 0xFFFF, f[3] >> 16, f[3] & 0xFFFF),
            product_version=(f[4] >> 16, f[4] & 0xFFFF, f[5] >> 16, f[5] & 0xFFFF),
            file_flags_mask=f[6], file_flags=f[7], file_os=f[8], file_type=f[9],
            file_subtype=f[10], file_date=(f[11] << 32) | f[12])

    def child(self, key):
        found = [c for c in self.root.children if c.key == key]
        return found[0] if len(found) == 1 else None

    def string_tables(self):
        """{table key: {name: text}}; the text without its terminating NUL."""
        block = self.child("StringFileInfo")
        tables = {}
        for table in block.children if block else []:
            strings = {}
            for entry in table.children:
                text = entry.value.decode("utf-16-le")
                if text.endswith("\0"):
                    text = text[:-1]
                strings[entry.key] = text
            tables[table.key] = strings
        return tables

    def translations(self):
        """[(language, code page)] of VarFileInfo\\Translation."""
        block = self.child("VarFileInfo")
        for var in block.children if block else []:
            if var.key == "Translation":
                n = len(var.value) // 4
                return [struct.unpack_from("<HH", var.value, 4 * i) for i in range(n)]
        return []
