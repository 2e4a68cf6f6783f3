"""Reads what the static checks need from a Windows executable, without running it: the COFF
header, the DLLs it imports and its resource tree. Malformed input raises PeError.
"""
import struct

MACHINES = {"x64": 0x8664, "ARM64": 0xAA64, "x86": 0x014C}
SUBSYSTEM_WINDOWS_GUI = 2

RT_ICON = 3
RT_GROUP_ICON = 14
RT_VERSION = 16
RT_MANIFEST = 24


class PeError(Exception):
    pass


class Section:
    def __init__(self, name, virtual_address, virtual_size, raw_offset, raw_size):
        self.name = name
        self.virtual_address = virtual_address
        self.virtual_size = virtual_size
        self.raw_offset = raw_offset
        self.raw_size = raw_size


class PeFile:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise PeError("no MZ header")
        pe = self._u32(0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise PeError("no PE signature")
        (self.machine, count, _, _, _, optional_size, self.characteristics) = \
            struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        magic = self._u16(optional)
        if magic == 0x20B:
            directories_at, count_at = optional + 112, optional + 108
        elif magic == 0x10B:
            directories_at, count_at = optional + 96, optional + 92
        else:
            raise PeError(f"unknown optional header magic {magic:#x}")
        self.subsystem = self._u16(optional + 68)
        self.directories = [struct.unpack_from("<II", data, directories_at + 8 * i)
                            for i in range(min(self._u32(count_at), 16))]
        sections_at = optional + optional_size
        self.sections = []
        for i in range(count):
            name, vsize, vaddr, rsize, roffset = struct.unpack_from("<8sIIII", data, sections_at + 40 * i)
            self.sections.append(Section(name.rstrip(b"\0").decode("ascii", "replace"),
                                         vaddr, vsize, roffset, rsize))

    # -- raw access ----------------------------------------------------------------------------
    def _u16(self, offset):
        return self._unpack("<H", offset)

    def _u32(self, offset):
        return self._unpack("<I", offset)

    def _unpack(self, fmt, offset):
        try:
            return struct.unpack_from(fmt, self.data, offset)[0]
        except struct.error as error:
            raise PeError(f"read past the end at {offset:#x}") from error

    def offset(self, rva):
        for s in self.sections:
            if s.virtual_address <= rva < s.virtual_address + max(s.virtual_size, s.raw_size):
                if rva - s.virtual_address >= s.raw_size:
                    raise PeError(f"RVA {rva:#x} lies in uninitialised data")
                return s.raw_offset + rva - s.virtual_address
        raise PeError(f"RVA {rva:#x} outside every section")

    def bytes_at(self, rva, size):
        start = self.offset(rva)
        if start + size > len(self.data):
            raise PeError(f"{size} bytes at RVA {rva:#x} run past the end of the file")
        return self.data[start:start + size]

    def ascii_at(self, rva):
        start = self.offset(rva)
        end = self.data.find(b"\0", start)
        if end < 0:
            raise PeError(f"unterminated name at RVA {rva:#x}")
        return self.data[start:end].decode("ascii", "replace")

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    # -- imports -------------------------------------------------------------------------------
    def imported_dlls(self):
        """Names of the DLLs the loader maps for this file: ordinary and delay-load imports."""
        names = []
        rva, size = self.directory(1)
        if rva and size:
            at = rva
            while True:
                descriptor = struct.unpack("<IIIII", self.bytes_at(at, 20))
                if not any(descriptor):
                    break
                names.append(self.ascii_at(descriptor[3]))
                at += 20
        rva, size = self.directory(13)
        if rva and size:
            at = rva
            while True:
                descriptor = struct.unpack("<8I", self.bytes_at(at, 32))
                if not any(descriptor):
                    break
                names.append(self.ascii_at(descriptor[1]))
                at += 32
        return names

    # -- resources -----------------------------------------------------------------------------
    def resources(self):
        """{(type, name): {language: bytes}}; type and name are numbers or upper-case strings."""
        rva, size = self.directory(2)
        if not rva or not size:
            return {}
        base = self.offset(rva)
        found = {}
        for type_id, type_dir in self._resource_entries(base, 0):
            for name_id, name_dir in self._resource_entries(base, type_dir):
                for language, leaf in self._resource_entries(base, name_dir, leaves=True):
                    data_rva, data_size = struct.unpack_from("<II", self.data, base + leaf)
                    found.setdefault((type_id, name_id), {})[language] = self.bytes_at(data_rva, data_size)
        return found

    def _resource_entries(self, base, directory, leaves=False):
        named, numbered = struct.unpack_from("<HH", self.data, base + directory + 12)
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", self.data, base + directory + 16 + 8 * i)
            if name & 0x80000000:
                at = base + (name & 0x7FFFFFFF)
                length = self._u16(at)
                key = self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le").upper()
            else:
                key = name
            is_directory = bool(target & 0x80000000)
            if is_directory == leaves:
                raise PeError("resource tree has the wrong depth")
            yield key, target & 0x7FFFFFFF


def read(path):
    with open(path, "rb") as f:
        return PeFile(f.read())


# -- resource contents -------------------------------------------------------------------------
class VersionNode:
    def __init__(self, key, value, is_text, children):
        self.key = key
        self.value = value
        self.is_text = is_text
        self.children = children

    def child(self, key):
        return next((c for c in self.children if c.key == key), None)

    def text(self):
        return self.value.decode("utf-16-le").split("\0", 1)[0]


def parse_version(data):
    """The VS_VERSIONINFO tree of a version resource."""
    node, _ = _version_node(data, 0)
    return node


def _align(offset):
    return (offset + 3) & ~3


def _version_node(data, at):
    if at + 6 > len(data):
        raise PeError("version block cut short")
    length, value_length, kind = struct.unpack_from("<HHH", data, at)
    end = at + length
    if length < 6 or end > len(data):
        raise PeError(f"version block at {at} has a bad length {length}")
    key_end = at + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
        if key_end >= end:
            raise PeError("version block key is not terminated")
    key = data[at + 6:key_end].decode("utf-16-le")
    value_at = _align(key_end + 2)
    value_size = value_length * 2 if kind == 1 else value_length
    value = data[value_at:min(value_at + value_size, end)]
    children = []
    child_at = _align(value_at + value_size)
    while child_at < end:
        child, child_at = _version_node(data, child_at)
        children.append(child)
    return VersionNode(key, value, kind == 1, children), _align(end)


def fixed_versions(node):
    """(file version, product version) of VS_FIXEDFILEINFO, each as a 4-tuple."""
    if len(node.value) < 52:
        raise PeError("no VS_FIXEDFILEINFO")
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", node.value)
    if signature != 0xFEEF04BD:
        raise PeError(f"VS_FIXEDFILEINFO signature {signature:#x}")
    split = lambda ms, ls: (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
    return split(file_ms, file_ls), split(product_ms, product_ls)


def icon_group(data):
    """[(width, height, icon id)] of a GRPICONDIR; a stored 0 means 256."""
    reserved, kind, count = struct.unpack_from("<HHH", data)
    if reserved != 0 or kind != 1 or len(data) < 6 + 14 * count:
        raise PeError("not an icon group")
    entries = []
    for i in range(count):
        width, height, _, _, _, _, _, icon_id = struct.unpack_from("<BBBBHHIH", data, 6 + 14 * i)
        entries.append((width or 256, height or 256, icon_id))
    return entries


def icon_image(data):
    """(width, height, has alpha) of one icon image: a PNG, or a DIB whose height counts the mask too."""
    if data[:8] == b"\x89PNG\r\n\x1a\n":
        width, height, depth, colour = struct.unpack_from(">IIBB", data, 16)
        return width, height, colour in (4, 6)
    if len(data) >= 40 and struct.unpack_from("<I", data)[0] == 40:
        width, height, _, bits = struct.unpack_from("<iiHH", data, 4)
        return width, height // 2, bits == 32
    raise PeError("icon image is neither PNG nor DIB")
