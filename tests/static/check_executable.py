"""Static checks of a built Lumenfold.exe: what Windows reads from the file before any of our code
runs, so they hold for builds that cannot run here (ARM64) and catch what Wine forgives (a missing
Common Controls 6 manifest).

usage: check_executable.py --machine x64|ARM64 --aspect ASPECT EXE
"""
import argparse
import sys
import xml.etree.ElementTree as ElementTree

import pe

ASPECTS = ("header", "imports", "manifest", "version", "icon")

# The DLLs Windows itself ships that the program may use. Anything else (libstdc++, libgcc,
# winpthread, libc++, the Visual C++ redistributable) would have to travel with the program.
SYSTEM_DLLS = {
    "advapi32.dll", "bcrypt.dll", "comctl32.dll", "comdlg32.dll", "crypt32.dll", "dwmapi.dll",
    "gdi32.dll", "gdiplus.dll", "imm32.dll", "kernel32.dll", "msvcrt.dll", "ntdll.dll",
    "ole32.dll", "oleaut32.dll", "shcore.dll", "shell32.dll", "shlwapi.dll", "ucrtbase.dll",
    "user32.dll", "uxtheme.dll", "version.dll", "winhttp.dll", "ws2_32.dll",
}

VERSION_NUMBERS = (3, 0, 0, 79)
VERSION_BLOCK = "040904B0"
VERSION_STRINGS = {
    "CompanyName": "Lumenfold",
    "FileDescription": "Lumenfold Windows",
    "FileVersion": "3.0",
    "ProductName": "Lumenfold",
    "ProductVersion": "3.0",
    "OriginalFilename": "Lumenfold.exe",
}

ICON_GROUP = 101
ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)

ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
TRUST_NAMESPACES = ("{urn:schemas-microsoft-com:asm.v2}", "{urn:schemas-microsoft-com:asm.v3}")
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPATIBILITY = "{urn:schemas-microsoft-com:compatibility.v1}"
SETTINGS_2016 = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"
WINDOWS_10 = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"


class CheckFailure(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise CheckFailure(message)


def check_header(image, machine):
    wanted = pe.MACHINES[machine]
    expect(image.machine == wanted,
           f"machine type {image.machine:#06x}, expected {wanted:#06x} ({machine})")
    expect(image.subsystem == pe.SUBSYSTEM_WINDOWS_GUI,
           f"subsystem {image.subsystem}, expected {pe.SUBSYSTEM_WINDOWS_GUI} (Windows GUI)")


def check_imports(image, machine):
    names = image.imported_dlls()
    expect(names, "the import table names no DLL")
    foreign = sorted({n for n in names
                      if n.lower() not in SYSTEM_DLLS and not n.lower().startswith("api-ms-win-")})
    expect(not foreign, f"imports from DLLs that are not Windows' own: {', '.join(foreign)}")


def only_resource(resources, kind, name, what):
    languages = resources.get((kind, name))
    expect(languages, f"no {what} resource")
    expect(len(languages) == 1, f"{what} resource in {len(languages)} languages")
    return next(iter(languages.values()))


def check_manifest(image, machine):
    resources = image.resources()
    manifests = [key for key in resources if key[0] == pe.RT_MANIFEST]
    expect(manifests == [(pe.RT_MANIFEST, 1)], f"manifest resources {manifests}, expected exactly id 1")
    text = only_resource(resources, pe.RT_MANIFEST, 1, "manifest")
    try:
        root = ElementTree.fromstring(text)
    except ElementTree.ParseError as error:
        raise CheckFailure(f"manifest is not well-formed XML: {error}") from error
    expect(root.tag == ASM_V1 + "assembly", f"manifest root {root.tag}")
    identity = root.find(ASM_V1 + "assemblyIdentity")
    expect(identity is not None, "manifest names no assembly identity")
    expect(identity.get("name") == "Lumenfold.Windows", f"assembly name {identity.get('name')!r}")
    expect(identity.get("version") == "1.1.0.0", f"assembly version {identity.get('version')!r}")

    levels = [e for ns in TRUST_NAMESPACES
              for e in root.iter(ns + "requestedExecutionLevel")]
    expect(len(levels) == 1, f"{len(levels)} requested execution levels")
    expect(levels[0].get("level") == "asInvoker", f"execution level {levels[0].get('level')!r}")
    expect(levels[0].get("uiAccess") == "false", f"uiAccess {levels[0].get('uiAccess')!r}")

    systems = [e.get("Id", "").lower() for e in root.iter(COMPATIBILITY + "supportedOS")]
    expect(WINDOWS_10 in systems, f"Windows 10 is not among the supported systems {systems}")

    settings = root.find(f"{ASM_V3}application/{ASM_V3}windowsSettings")
    expect(settings is not None, "manifest has no windowsSettings in the asm.v3 namespace")
    awareness = settings.find(SETTINGS_2016 + "dpiAwareness")
    expect(awareness is not None, "no dpiAwareness in the 2016 WindowsSettings namespace")
    first = (awareness.text or "").split(",")[0].strip()
    expect(first == "PerMonitorV2", f"DPI awareness {awareness.text!r}, expected PerMonitorV2 first")
    long_paths = settings.find(SETTINGS_2016 + "longPathAware")
    expect(long_paths is not None and (long_paths.text or "").strip() == "true", "not long path aware")

    dependencies = f"{ASM_V1}dependency/{ASM_V1}dependentAssembly/{ASM_V1}assemblyIdentity"
    controls = [e for e in root.findall(dependencies) if e.get("name") == "Microsoft.Windows.Common-Controls"]
    expect(len(controls) == 1, "no dependency on Microsoft.Windows.Common-Controls")
    dependency = controls[0]
    expect(dependency.get("version") == "6.0.0.0", f"Common Controls version {dependency.get('version')!r}")
    expect(dependency.get("publicKeyToken") == "6595b64144ccf1df",
           f"Common Controls public key token {dependency.get('publicKeyToken')!r}")
    expect(dependency.get("type") == "win32", f"Common Controls type {dependency.get('type')!r}")


def check_version(image, machine):
    resources = image.resources()
    data = only_resource(resources, pe.RT_VERSION, 1, "version")
    root = pe.parse_version(data)
    expect(root.key == "VS_VERSION_INFO", f"version resource key {root.key!r}")
    file_version, product_version = pe.fixed_versions(root)
    expect(file_version == VERSION_NUMBERS, f"file version {file_version}")
    expect(product_version == VERSION_NUMBERS, f"product version {product_version}")

    strings = root.child("StringFileInfo")
    expect(strings is not None, "no StringFileInfo")
    blocks = [c.key for c in strings.children]
    expect(blocks == [VERSION_BLOCK], f"string blocks {blocks}, expected [{VERSION_BLOCK!r}]")
    table = {c.key: c.text() for c in strings.children[0].children}
    for key, value in VERSION_STRINGS.items():
        expect(key in table, f"version string {key!r} missing")
        expect(table[key] == value, f"version string {key!r} is {table[key]!r}, expected {value!r}")

    variables = root.child("VarFileInfo")
    translation = variables.child("Translation") if variables else None
    expect(translation is not None, "no VarFileInfo\\Translation")
    expect(translation.value[:4] == bytes.fromhex("0904b004"),
           f"translation {translation.value.hex()}, expected language 0x0409 with code page 1200")


def check_icon(image, machine):
    resources = image.resources()
    groups = [key[1] for key in resources if key[0] == pe.RT_GROUP_ICON]
    expect(ICON_GROUP in groups, f"no icon group {ICON_GROUP} (groups: {groups})")
    entries = pe.icon_group(only_resource(resources, pe.RT_GROUP_ICON, ICON_GROUP, "icon group"))
    sizes = sorted(width for width, height, _ in entries)
    expect(sizes == list(ICON_SIZES), f"icon sizes {sizes}, expected {list(ICON_SIZES)}")
    for width, height, icon_id in entries:
        expect(width == height, f"icon {icon_id} is {width} x {height}")
        data = only_resource(resources, pe.RT_ICON, icon_id, f"icon image {icon_id}")
        actual_width, actual_height, alpha = pe.icon_image(data)
        expect((actual_width, actual_height) == (width, height),
               f"icon image {icon_id} is {actual_width} x {actual_height}, its group entry says {width}")
        # Without an alpha channel the rounded tile would sit on a square of black.
        expect(alpha, f"icon image {icon_id} ({width} px) has no alpha channel")


CHECKS = {"header": check_header, "imports": check_imports, "manifest": check_manifest,
          "version": check_version, "icon": check_icon}


def run(path, machine, aspect):
    """Runs one aspect's checks; raises CheckFailure (or pe.PeError on a malformed file)."""
    CHECKS[aspect](pe.read(path), machine)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--machine", choices=sorted(pe.MACHINES), required=True)
    parser.add_argument("--aspect", choices=ASPECTS, required=True)
    parser.add_argument("exe")
    args = parser.parse_args()
    try:
        run(args.exe, args.machine, args.aspect)
    except (CheckFailure, pe.PeError) as error:
        print(f"FAIL {args.aspect} of {args.exe}: {error}")
        return 1
    print(f"ok {args.aspect} of {args.exe}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
