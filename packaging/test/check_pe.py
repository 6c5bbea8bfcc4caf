#!/usr/bin/env python3
"""Checks the Windows programs of the download, read straight from their PE files.

Usage: check_pe.py VERSION PROGRAM.exe...

Each program must be a 64-bit x86 program that imports DLLs of Windows itself only
(no C++ or compiler runtime DLL next to it), and carry an icon and a version record
whose FileVersion and ProductVersion are VERSION and whose OriginalFilename is the
program's own file name, and an application manifest (RT_MANIFEST 1) that asks for no
elevation, declares per-monitor v2 DPI awareness with the system-wide fallback and
Windows 7 to 11, keeps the system's code page, and for the GUI program asks for
Common Controls 6. Prints one line per program; exits 1 when any check fails.
"""

import os
import struct
import sys

MACHINE_AMD64 = 0x8664
PE32_PLUS = 0x20B
RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
# The supportedOS ids of Windows 7, 8, 8.1 and 10/11.
SUPPORTED_OS = ("35138b9a-5d96-4fbd-8e2d-a2440225f93a", "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",
                "1f676c76-80e1-4239-95bb-83d0f6d0da78", "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a")
SUBSYSTEMS = {2: "gui", 3: "console"}

# DLLs that every Windows installation has in System32.
SYSTEM_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll",
    "msvcrt.dll", "ntdll.dll", "ole32.dll", "oleaut32.dll", "shell32.dll",
    "shlwapi.dll", "user32.dll", "ws2_32.dll",
}


class PeFile:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        self.magic = struct.unpack_from("<H", data, optional)[0]
        if self.magic != PE32_PLUS:
            raise ValueError("not a PE32+ (64-bit) file")
        self.subsystem = struct.unpack_from("<H", data, optional + 68)[0]
        directories = struct.unpack_from("<I", data, optional + 108)[0]
        self.directories = [struct.unpack_from("<II", data, optional + 112 + 8 * i) for i in range(directories)]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            _, vsize, vaddr, raw_size, raw_ptr = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((vaddr, max(vsize, raw_size), raw_ptr))

    def offset(self, rva):
        for vaddr, size, raw_ptr in self.sections:
            if vaddr <= rva < vaddr + size:
                return raw_ptr + rva - vaddr
        raise ValueError("RVA 0x%x is in no section" % rva)

    def cstring(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def imported_dlls(self):
        rva, size = self.directories[1]
        dlls = []
        if size == 0:
            return dlls
        at = self.offset(rva)
        while True:
            descriptor = struct.unpack_from("<IIIII", self.data, at)
            if not any(descriptor):
                return dlls
            dlls.append(self.cstring(descriptor[3]))
            at += 20

    def resources(self):
        """{type id: [data bytes of every resource of that type]}"""
        rva, size = self.directories[2]
        found = {}
        if size == 0:
            return found
        base = self.offset(rva)

        def entries(directory):
            named, numbered = struct.unpack_from("<HH", self.data, base + directory + 12)
            for i in range(named + numbered):
                name, target = struct.unpack_from("<II", self.data, base + directory + 16 + 8 * i)
                yield name, target

        def leaves(target):
            if target & 0x80000000:
                for _, child in entries(target & 0x7FFFFFFF):
                    yield from leaves(child)
            else:
                data_rva, data_size = struct.unpack_from("<II", self.data, base + target)
                start = self.offset(data_rva)
                yield self.data[start:start + data_size]

        for type_id, target in entries(0):
            found[type_id] = list(leaves(target))
        return found


def align4(n):
    return (n + 3) & ~3


def version_strings(block, at=0, out=None):
    """The text values of a VS_VERSIONINFO block, by key; '#fixed' holds FileVersion's numbers."""
    if out is None:
        out = {}
    length, value_length, value_type = struct.unpack_from("<HHH", block, at)
    end_key = at + 6
    while block[end_key:end_key + 2] != b"\0\0":
        end_key += 2
    key = block[at + 6:end_key].decode("utf-16-le")
    value_at = align4(end_key + 2)
    if value_type == 1:
        value_bytes = 2 * value_length
        text = block[value_at:value_at + value_bytes].decode("utf-16-le").rstrip("\0")
        if value_length:
            out[key] = text
    else:
        value_bytes = value_length
        if key == "VS_VERSION_INFO" and value_length >= 16:
            signature, _, ms, ls = struct.unpack_from("<IIII", block, value_at)
            if signature == 0xFEEF04BD:
                out["#fixed"] = "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
    child = align4(value_at + value_bytes)
    while child < at + length:
        child_length = struct.unpack_from("<H", block, child)[0]
        if child_length == 0:
            break
        version_strings(block, child, out)
        child = align4(child + child_length)
    return out


def manifest_problems(manifests, gui, installer=False):
    """What the program's manifest lacks. The installer's manifest is the one NSIS
    writes: per-monitor awareness first, the plain dpiAware fallback, and Vista among
    the systems it names besides 7 to 11."""
    if len(manifests) != 1:
        return ["%d application manifests, not 1" % len(manifests)]
    import xml.etree.ElementTree as ElementTree
    try:
        root = ElementTree.fromstring(manifests[0])
    except ElementTree.ParseError as error:
        return ["the manifest is not XML: %s" % error]
    def values(tag):
        return [(e.text or "").strip() for e in root.iter() if e.tag.rsplit("}", 1)[-1] == tag]
    def attributes(tag, name):
        return [e.get(name) for e in root.iter() if e.tag.rsplit("}", 1)[-1] == tag]
    problems = []
    if values("dpiAwareness")[:1] != ["PerMonitorV2, PerMonitor"]:
        problems.append("manifest: dpiAwareness is %r, not PerMonitorV2" % values("dpiAwareness"))
    if values("dpiAware")[:1] != ["true/pm"] and not (installer and values("dpiAware")[:1] == ["true"]):
        problems.append("manifest: no dpiAware fallback (true/pm)")
    if attributes("requestedExecutionLevel", "level") != ["asInvoker"]:
        problems.append("manifest: the execution level is not asInvoker")
    ids = [i.strip("{}").lower() for i in attributes("supportedOS", "Id")]
    if sorted(ids) != sorted(SUPPORTED_OS) and not (installer and set(SUPPORTED_OS) <= set(ids)):
        problems.append("manifest: supportedOS %s, not Windows 7 to 11" % ids)
    if values("activeCodePage"):
        problems.append("manifest: sets the active code page")
    controls = [n for n in attributes("assemblyIdentity", "name") if n == "Microsoft.Windows.Common-Controls"]
    if gui and not controls:
        problems.append("manifest: no Common Controls 6")
    return problems


def check(path, version):
    """The problems found in one program, and a one-line summary."""
    name = os.path.basename(path)
    with open(path, "rb") as f:
        pe = PeFile(f.read())
    problems = []
    if pe.machine != MACHINE_AMD64:
        problems.append("machine 0x%x is not x86-64" % pe.machine)
    dlls = pe.imported_dlls()
    foreign = [dll for dll in dlls if dll.lower() not in SYSTEM_DLLS]
    if foreign:
        problems.append("imports DLLs that Windows does not have: " + ", ".join(foreign))
    resources = pe.resources()
    for type_id, what in ((RT_ICON, "icon image"), (RT_GROUP_ICON, "icon"), (RT_VERSION, "version record")):
        if not resources.get(type_id):
            problems.append("no " + what)
    strings = version_strings(resources[RT_VERSION][0]) if resources.get(RT_VERSION) else {}
    expected = (
        ("FileVersion", version),
        ("ProductVersion", version),
        ("OriginalFilename", name),
        ("#fixed", version + ".0.0" if version.count(".") == 1 else version),
    )
    for key, want in expected:
        if strings.get(key) != want:
            problems.append("version record: %s is %r, not %r" % (key, strings.get(key), want))
    problems += manifest_problems(resources.get(RT_MANIFEST, []), pe.subsystem == 2, name.endswith("-setup.exe"))
    summary = "%s: %s, imports %s; icon %s; version %s; %s" % (
        name, SUBSYSTEMS.get(pe.subsystem, "subsystem %d" % pe.subsystem), " ".join(dlls),
        "yes" if resources.get(RT_GROUP_ICON) else "no", strings.get("FileVersion"),
        strings.get("FileDescription"))
    return problems, summary


def main(argv):
    if len(argv) < 3:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 64
    version = argv[1]
    failed = False
    for path in argv[2:]:
        try:
            problems, summary = check(path, version)
        except (OSError, ValueError, struct.error) as error:
            problems, summary = [str(error)], os.path.basename(path)
        print(summary)
        for problem in problems:
            print("  FAIL " + problem)
        failed = failed or bool(problems)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
