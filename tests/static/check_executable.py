"""Static checks of a built Lumenfold.exe: what Windows reads from the file before our code runs, so
they hold for builds that cannot run here (ARM64) and catch what Wine forgives (no Common Controls 6);
and of a release set in dist/: sums, portable zips, both executables, signatures, winget manifests.
usage: check_executable.py x64|ARM64 header|imports|manifest|version|icon EXE
       check_executable.py release DIST SIGNER_CERTIFICATE"""
import hashlib
import re
import struct
import subprocess
import sys
import xml.etree.ElementTree as ElementTree
import zipfile
from pathlib import Path

import pefile
import yaml

MACHINES = {"x64": 0x8664, "ARM64": 0xAA64}
RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24

# Anything else (libstdc++, libgcc, winpthread, libc++) would have to travel with the program.
SYSTEM_DLLS = {"advapi32", "bcrypt", "comctl32", "comdlg32", "crypt32", "dwmapi", "gdi32", "gdiplus", "imm32",
               "kernel32", "msvcrt", "ntdll", "ole32", "oleaut32", "shcore", "shell32", "shlwapi", "ucrtbase",
               "user32", "uxtheme", "version", "winhttp", "ws2_32", "wtsapi32"}
VERSION_H = (Path(__file__).parents[2] / "src" / "resources" / "version.h").read_text()
NUMBERS = tuple(map(int, re.search(r"define LUMENFOLD_VERSION_NUMBERS ([\d, ]+)", VERSION_H)[1].split(",")))
VERSION_STRINGS = {"CompanyName": "Lumenfold", "FileDescription": "Lumenfold Windows", "ProductName": "Lumenfold",
                   "FileVersion": "%d.%d" % NUMBERS[:2], "ProductVersion": "%d.%d" % NUMBERS[:2],
                   "OriginalFilename": "Lumenfold.exe"}
ICON_SIZES = [16, 24, 32, 48, 64, 128, 256]

ASM_V1, ASM_V3 = "{urn:schemas-microsoft-com:asm.v1}", "{urn:schemas-microsoft-com:asm.v3}"
SUPPORTED_OS = "{urn:schemas-microsoft-com:compatibility.v1}supportedOS"
SETTINGS = (f"{ASM_V3}application/{ASM_V3}windowsSettings/"
            "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}")
WINDOWS_10 = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"
COMMON_CONTROLS = {"name": "Microsoft.Windows.Common-Controls", "version": "6.0.0.0",
                   "publicKeyToken": "6595b64144ccf1df", "type": "win32"}


class CheckFailure(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise CheckFailure(message)


def resources(image, kind):
    types = getattr(image, "DIRECTORY_ENTRY_RESOURCE", None)
    return [n for t in (types.entries if types else []) if t.id == kind for n in t.directory.entries]


def resource(image, kind, name, what):
    languages = [e.data.struct for n in resources(image, kind) if n.id == name for e in n.directory.entries]
    expect(len(languages) == 1, f"{what} resource in {len(languages)} languages")
    return image.get_data(languages[0].OffsetToData, languages[0].Size)


def check_header(image, machine):
    found, wanted, subsystem = image.FILE_HEADER.Machine, MACHINES[machine], image.OPTIONAL_HEADER.Subsystem
    expect(found == wanted, f"machine type {found:#06x}, expected {wanted:#06x} ({machine})")
    expect(subsystem == 2, f"subsystem {subsystem}, expected 2 (Windows GUI)")


def check_imports(image, machine):
    names = [e.dll.decode() for kind in ("DIRECTORY_ENTRY_IMPORT", "DIRECTORY_ENTRY_DELAY_IMPORT")
             for e in getattr(image, kind, [])]
    expect(names, "the import table names no DLL")
    foreign = [n for n in names if n.lower().removesuffix(".dll") not in SYSTEM_DLLS
               and not n.lower().startswith("api-ms-win-")]
    expect(not foreign, f"imports from DLLs that are not Windows' own: {', '.join(foreign)}")


def check_manifest(image, machine):
    manifests = [n.id for n in resources(image, RT_MANIFEST)]
    expect(manifests == [1], f"manifest resources {manifests}, expected exactly id 1")
    root = ElementTree.fromstring(resource(image, RT_MANIFEST, 1, "manifest"))
    names = [e.get("name") for e in root.findall(ASM_V1 + "assemblyIdentity")]
    expect(names == ["Lumenfold.Windows"], f"assembly names {names}, expected ['Lumenfold.Windows']")
    levels = [(e.get("level"), e.get("uiAccess")) for e in root.iter() if e.tag.endswith("}requestedExecutionLevel")]
    expect(levels == [("asInvoker", "false")], f"execution levels {levels}, expected asInvoker only")
    systems = [e.get("Id", "").lower() for e in root.iter(SUPPORTED_OS)]
    expect(WINDOWS_10 in systems, f"Windows 10 is not among the supported systems {systems}")
    awareness = root.findtext(SETTINGS + "dpiAwareness", "").split(",")
    expect(awareness[0].strip() == "PerMonitorV2", f"DPI awareness {awareness}, not PerMonitorV2 first")
    expect(root.findtext(SETTINGS + "longPathAware", "").strip() == "true", "not long path aware")
    dependencies = [e.attrib for e in root.iterfind(f"{ASM_V1}dependency/{ASM_V1}dependentAssembly/"
                                                    f"{ASM_V1}assemblyIdentity")]
    expect(any(COMMON_CONTROLS.items() <= d.items() for d in dependencies),
           f"no dependency on Common Controls 6 among {dependencies}")


def check_version(image, machine):
    resource(image, RT_VERSION, 1, "version")
    fixed = getattr(image, "VS_FIXEDFILEINFO", [None])[0]
    expect(fixed is not None and fixed.Signature == 0xFEEF04BD, "no VS_FIXEDFILEINFO")
    for what, most, least in (("file", fixed.FileVersionMS, fixed.FileVersionLS),
                              ("product", fixed.ProductVersionMS, fixed.ProductVersionLS)):
        numbers = (most >> 16, most & 0xFFFF, least >> 16, least & 0xFFFF)
        expect(numbers == NUMBERS, f"{what} version {numbers}, expected {NUMBERS}")
    info = getattr(image, "FileInfo", [[]])[0]
    tables = [t for i in info if i.Key == b"StringFileInfo" for t in i.StringTable]
    blocks = [t.LangID.decode().upper() for t in tables]
    expect(blocks == ["040904B0"], f"string blocks {blocks}, expected ['040904B0']")
    strings = {key.decode(): value.decode() for key, value in tables[0].entries.items()}
    for key, value in VERSION_STRINGS.items():
        expect(strings.get(key) == value, f"version string {key!r} is {strings.get(key)!r}, expected {value!r}")


def check_icon(image, machine):
    group = resource(image, RT_GROUP_ICON, 101, "icon group 101")
    reserved, kind, count = struct.unpack_from("<HHH", group)
    expect((reserved, kind) == (0, 1) and len(group) >= 6 + 14 * count, "icon group 101 is no icon directory")
    entries = [struct.unpack_from("<BB10xH", group, 6 + 14 * i) for i in range(count)]
    sizes = sorted(width or 256 for width, _, _ in entries)  # a stored 0 means 256
    expect(sizes == ICON_SIZES, f"icon sizes {sizes}, expected {ICON_SIZES}")
    for width, height, icon_id in entries:
        data = resource(image, RT_ICON, icon_id, f"icon image {icon_id}")
        if data[:8] == b"\x89PNG\r\n\x1a\n":
            size = struct.unpack_from(">II", data, 16)
            alpha = data[25] in (4, 6)
        else:  # a DIB, whose height counts the mask too
            expect(data[:4] == b"\x28\0\0\0", f"icon image {icon_id} is neither PNG nor DIB")
            columns, rows, _, bits = struct.unpack_from("<iiHH", data, 4)
            size, alpha = (columns, rows // 2), bits == 32
        wanted = (width or 256, height or 256)
        expect(size == wanted, f"icon image {icon_id} is {size}, its group entry says {wanted}")
        # Without an alpha channel the rounded tile would sit on a square of black.
        expect(alpha, f"icon image {icon_id} ({size[0]} px) has no alpha channel")


CHECKS = {"header": check_header, "imports": check_imports, "manifest": check_manifest,
          "version": check_version, "icon": check_icon}

# What `winget validate` asks of these manifests, from its 1.6.0 schemas (they cannot be fetched here).
WINGET_SCHEMA, WINGET_COMMON = "1.6.0", {"PackageIdentifier", "PackageVersion", "ManifestType", "ManifestVersion"}
WINGET_REQUIRED = {"version": {"DefaultLocale"}, "installer": {"Installers"},
                   "defaultLocale": {"PackageLocale", "Publisher", "PackageName", "License", "ShortDescription"}}
WINGET_URL = "[Hh][Tt][Tt][Pp][Ss]?://.{1,2040}"


def check_release(dist, signer):
    version, lines = ".".join(map(str, NUMBERS)), (dist / "SHA256SUMS").read_text().splitlines()
    sums = {name: digest for digest, name in (line.split("  ", 1) for line in lines)}
    files = sorted(str(p.relative_to(dist)) for p in dist.rglob("*") if p.is_file() and p.name != "SHA256SUMS")
    expect(sorted(sums) == files, f"SHA256SUMS lists {sorted(sums)}, the set holds {files}")
    expect(all(hashlib.sha256((dist / n).read_bytes()).hexdigest() == d for n, d in sums.items()), "a sum is wrong")
    for arch, machine in (("x64", "x64"), ("arm64", "ARM64")):
        exe = dist / arch / "Lumenfold.exe"
        with zipfile.ZipFile(dist / f"Lumenfold-{version}-{arch}-portable.zip") as portable:
            expect(portable.namelist() == ["Lumenfold.exe", "README.txt"] and portable.read("Lumenfold.exe") ==
                   exe.read_bytes(), f"the {arch} zip holds {portable.namelist()}, or another program")
            expect("%LOCALAPPDATA%\\Lumenfold" in portable.read("README.txt").decode(), "the text names no settings")
        for check in CHECKS.values():
            check(pefile.PE(exe), machine)
        for signed in (exe, dist / f"Lumenfold-{version}-{arch}-setup.exe"):
            out = subprocess.run(["osslsigncode", "verify", "-CAfile", signer, "-in", signed], capture_output=True)
            expect(out.returncode == 0, f"the signature of {signed}: {out.stdout[-300:]}")
    manifests = {m["ManifestType"]: m for m in (yaml.safe_load(p.read_text()) for p in (dist / "winget").iterdir())}
    expect(manifests.keys() == WINGET_REQUIRED.keys(), f"winget manifests {list(manifests)}")
    for kind, m in manifests.items():
        expect(WINGET_COMMON | WINGET_REQUIRED[kind] <= m.keys() and (m["PackageVersion"], m["ManifestVersion"]) ==
               (version, WINGET_SCHEMA), f"the {kind} manifest: {m}")
    installer, switches = manifests["installer"], manifests["installer"].get("InstallerSwitches", {})
    expect((installer.get("InstallerType"), installer.get("Scope"), switches.get("Silent"))
           == ("nullsoft", "user", "/S"), f"type, scope or silent switch in {installer}")
    entries = installer["Installers"]
    expect(sorted(e.get("Architecture") for e in entries) == ["arm64", "x64"], f"installers {entries}")
    for e in entries:
        expect(re.fullmatch(WINGET_URL, e.get("InstallerUrl", "")) and e.get("InstallerSha256", "").lower() ==
               sums[f"Lumenfold-{version}-{e['Architecture']}-setup.exe"], f"the installer entry {e}")


if __name__ == "__main__":
    what = " ".join(sys.argv[1:])
    try:
        if sys.argv[1] == "release":
            check_release(Path(sys.argv[2]), sys.argv[3])
        else:
            CHECKS[sys.argv[2]](pefile.PE(sys.argv[3]), sys.argv[1])
    except (CheckFailure, pefile.PEFormatError, ElementTree.ParseError) as error:
        sys.exit(f"FAIL {what}: {error}")
    print(f"ok {what}")
