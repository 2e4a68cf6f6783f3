"""The static checks must fail on the faults they guard against: each case breaks one thing in a
copy of the real executable and expects exactly the check of that aspect to say so.

usage: test_checks_catch_faults.py --machine x64|ARM64 EXE
"""
import argparse
import struct
import sys
import tempfile
from pathlib import Path

import check_executable
import pe


def replace_once(data, old, new):
    assert len(old) == len(new), "a patch must keep every offset"
    count = data.count(old)
    if count != 1:
        raise AssertionError(f"{old!r} occurs {count} times in the executable, expected once")
    return data.replace(old, new)


def utf16(text):
    return text.encode("utf-16-le")


def coff_offset(data):
    return struct.unpack_from("<I", data, 0x3C)[0] + 4


def optional_offset(data):
    return coff_offset(data) + 20


def wrong_machine(data, machine):
    other = pe.MACHINES["x64" if machine == "ARM64" else "ARM64"]
    return data[:coff_offset(data)] + struct.pack("<H", other) + data[coff_offset(data) + 2:]


def console_subsystem(data, machine):
    at = optional_offset(data) + 68
    return data[:at] + struct.pack("<H", 3) + data[at + 2:]


def foreign_import(data, machine):
    name = pe.PeFile(data).imported_dlls()[0]
    fakes = {10: "libc++.dll", 12: "libgcc_s.dll"}
    fake = fakes.get(len(name), "x" * (len(name) - 4) + ".dll")
    return replace_once(data, name.encode() + b"\0", fake.encode() + b"\0")


def wrong_description(data, machine):
    return replace_once(data, utf16("Lumenfold Windows\0"), utf16("Lumenfold Wind0ws\0"))


def missing_original_filename(data, machine):
    return replace_once(data, utf16("OriginalFilename\0"), utf16("OriginalFilenamX\0"))


def wrong_file_version(data, machine):
    signature = struct.pack("<I", 0xFEEF04BD)
    at = data.index(signature) + 12  # dwFileVersionLS
    assert struct.unpack_from("<I", data, at)[0] == 79
    return data[:at] + struct.pack("<I", 80) + data[at + 4:]


def manifest_removed(data, machine):
    image = pe.PeFile(data)
    base = image.offset(image.directory(2)[0])
    named, numbered = struct.unpack_from("<HH", data, base + 12)
    for i in range(named, named + numbered):
        at = base + 16 + 8 * i
        if struct.unpack_from("<I", data, at)[0] == pe.RT_MANIFEST:
            return data[:at] + struct.pack("<I", 0x7FFF) + data[at + 4:]
    raise AssertionError("no manifest entry in the resource directory")


def no_common_controls(data, machine):
    return replace_once(data, b'"Microsoft.Windows.Common-Controls"', b'"Microsoft.Windows.Common-Kontrols"')


def not_per_monitor_v2(data, machine):
    return replace_once(data, b">PerMonitorV2<", b">PerMonitorV1<")


def icon_size_missing(data, machine):
    image = pe.PeFile(data)
    group = image.resources()[(pe.RT_GROUP_ICON, 101)]
    directory = next(iter(group.values()))
    patched = bytearray(directory)
    for i in range(struct.unpack_from("<H", directory, 4)[0]):
        if patched[6 + 14 * i] == 16:
            patched[6 + 14 * i] = patched[6 + 14 * i + 1] = 17
    return replace_once(data, directory, bytes(patched))


def icon_without_alpha(data, machine):
    image = pe.PeFile(data)
    smallest = next(iter(image.resources()[(pe.RT_ICON, 1)].values()))
    if smallest[:4] == b"\x89PNG":
        raise AssertionError("the first icon image is a PNG; expected a DIB")
    patched = smallest[:14] + struct.pack("<H", 24) + smallest[16:]
    return replace_once(data, smallest, patched)


CASES = [
    ("wrong machine type", wrong_machine, "header", "machine type"),
    ("console subsystem", console_subsystem, "header", "subsystem"),
    ("DLL import outside Windows' own", foreign_import, "imports", "not Windows' own"),
    ("wrong resource string", wrong_description, "version", "'FileDescription' is"),
    ("missing resource string", missing_original_filename, "version", "'OriginalFilename' missing"),
    ("wrong file version", wrong_file_version, "version", "file version"),
    ("manifest removed", manifest_removed, "manifest", "manifest resources"),
    ("no Common Controls 6", no_common_controls, "manifest", "Common-Controls"),
    ("not PerMonitorV2", not_per_monitor_v2, "manifest", "PerMonitorV2"),
    ("icon size missing", icon_size_missing, "icon", "icon sizes"),
    ("icon without alpha", icon_without_alpha, "icon", "no alpha channel"),
]


def outcome(path, machine, aspect):
    try:
        check_executable.run(path, machine, aspect)
        return None
    except (check_executable.CheckFailure, pe.PeError) as error:
        return str(error)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--machine", choices=sorted(pe.MACHINES), required=True)
    parser.add_argument("exe")
    args = parser.parse_args()
    original = Path(args.exe).read_bytes()
    failures = []
    with tempfile.TemporaryDirectory() as scratch:
        copy = Path(scratch) / "Lumenfold.exe"
        copy.write_bytes(original)
        for aspect in check_executable.ASPECTS:
            if (error := outcome(copy, args.machine, aspect)) is not None:
                failures.append(f"the unchanged executable already fails {aspect}: {error}")
        for name, patch, aspect, words in CASES:
            copy.write_bytes(patch(original, args.machine))
            error = outcome(copy, args.machine, aspect)
            if error is None:
                failures.append(f"{name}: the {aspect} check passed")
            elif words not in error:
                failures.append(f"{name}: the {aspect} check failed for another reason: {error}")
            else:
                print(f"ok {name}: {error}")
    for failure in failures:
        print(f"FAIL {failure}")
    print(f"{len(failures)} of {len(CASES)} faults and {len(check_executable.ASPECTS)} clean checks went wrong")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
