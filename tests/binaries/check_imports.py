#!/usr/bin/env python3
"""Checks a build's Windows programs and DLLs without running them.

    check_imports.py OBJDUMP BIN_DIR SYSTEM_DLL_DIR MACHINE

Every .exe and .dll in BIN_DIR must be built for MACHINE ("i386" or
"x86-64"), and every function it imports, by name or by ordinal, must be
exported by the DLL of that name in BIN_DIR or, failing that, in
SYSTEM_DLL_DIR (Wine's DLLs of the same bitness). A missing DLL, a missing
export or a wrongly decorated 32-bit name fails here instead of at load time.
"""
import functools
import glob
import os
import re
import subprocess
import sys


@functools.cache
def pe_dump(objdump, path):
    """objdump's account of the file's headers, or None if it cannot read it.
    Read once: a DLL of the build is both checked and looked up for exports."""
    run = subprocess.run([objdump, "-p", path], capture_output=True, text=True)
    return run.stdout if run.returncode == 0 else None


def machine(dump):
    m = re.search(r"file format pei-(\S+)", dump)
    return m.group(1) if m else "unknown"


def exports(dump):
    """(names, ordinals) that the DLL exports."""
    names, ordinals = set(), set()
    m = re.search(r"Ordinal Base\s+(\d+)", dump)
    base = int(m.group(1)) if m else 0
    section = None
    for line in dump.splitlines():
        if line.startswith("[Ordinal/Name Pointer] Table"):
            section = "names"
            continue
        if line.startswith("Export Address Table"):
            section = "addresses"
            continue
        if not line.strip():
            section = None
            continue
        if section == "names":
            m = re.match(r"\s*\[\s*\d+\]\s+(\S+)", line)
            if m:
                names.add(m.group(1))
        elif section == "addresses":
            m = re.match(r"\s*\[\s*(\d+)\]", line)
            if m:
                ordinals.add(int(m.group(1)) + base)
    return names, ordinals


def imports(dump):
    """{dll name: [name or ordinal, ...]} that the file imports."""
    result, current = {}, None
    for line in dump.splitlines():
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            current = result.setdefault(m.group(1).lower(), [])
            continue
        if current is None:
            continue
        named = re.match(r"\s+[0-9a-f]+\s+\d+\s+(\S+)$", line)
        by_ordinal = re.match(r"\s+[0-9a-f]+\s+<none>\s+([0-9a-f]+)$", line)
        if named:
            current.append(named.group(1))
        elif by_ordinal:
            current.append(int(by_ordinal.group(1), 16))
        elif not line.strip():
            current = None
    return result


def check(objdump, bin_dir, system_dir, want_machine):
    built = sorted(glob.glob(os.path.join(bin_dir, "*.exe")) + glob.glob(os.path.join(bin_dir, "*.dll")))
    local = {os.path.basename(p).lower(): p for p in built if p.endswith(".dll")}
    export_cache = {}

    def exports_of(dll):
        if dll not in export_cache:
            path = local.get(dll) or os.path.join(system_dir, dll)
            dump = pe_dump(objdump, path) if os.path.isfile(path) else None
            export_cache[dll] = exports(dump) if dump else None
        return export_cache[dll]

    faults = []
    for path in built:
        name = os.path.basename(path)
        dump = pe_dump(objdump, path)
        if dump is None:
            faults.append(f"{name}: not a Windows file for {want_machine}")
            continue
        if machine(dump) != want_machine:
            faults.append(f"{name}: built for {machine(dump)}, not {want_machine}")
            continue
        for dll, wanted in imports(dump).items():
            found = exports_of(dll)
            if found is None:
                faults.append(f"{name}: imports from {dll}, found neither beside it nor in {system_dir}")
                continue
            names, ordinals = found
            missing = [str(w) for w in wanted if (w not in ordinals if isinstance(w, int) else w not in names)]
            if missing:
                faults.append(f"{name}: {dll} does not export {', '.join(missing)}")
    return len(built), faults


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    objdump, bin_dir, system_dir, want_machine = sys.argv[1:]
    count, faults = check(objdump, bin_dir, system_dir, want_machine)
    for fault in faults:
        print(fault)
    if count == 0:
        print(f"no programs or DLLs in {bin_dir}")
        return 1
    print(f"{count} programs and DLLs checked, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
