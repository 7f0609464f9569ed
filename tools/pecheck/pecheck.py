#!/usr/bin/env python3
"""Will these programs load on Windows 95 as it comes?

    pecheck.py [--allow LIST] PROGRAM...

Reads each program's PE headers and import table and checks what the
Windows 95 loader looks at: the machine (i386), the subsystem version (4.0;
a higher one is refused), and that every imported function is in LIST
(default: win95-imports.txt beside this script), the functions that the
system DLLs of Windows 95 export, each with where it is documented for
Windows 95. Delay-loaded imports, debug sections and symbol tables are
refused too: a program for the CD loads what it may lack with LoadLibraryA
and is stripped. Prints one line per fault, naming the DLL and the function,
and exits 1 when there is any; otherwise one summary line per program.
"""
import os
import struct
import sys

I386 = 0x14C
IMPORT_DIRECTORY = 1
DELAY_IMPORT_DIRECTORY = 13


def read_allow_list(path):
    allowed = set()
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            fields = line.split(None, 2)
            if len(fields) < 3:
                raise SystemExit("%s:%d: want DLL, function and where it is documented" % (path, number))
            allowed.add((fields[0].upper(), fields[1]))
    return allowed


class Image:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        d = self.data
        if len(d) < 64 or d[:2] != b"MZ":
            raise ValueError("not an MZ executable")
        pe = struct.unpack_from("<I", d, 0x3C)[0]
        if d[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE header")
        (self.machine, sections, _, self.symbol_table, self.symbols, optional_size,
         _) = struct.unpack_from("<HHIIIHH", d, pe + 4)
        opt = pe + 24
        magic = struct.unpack_from("<H", d, opt)[0]
        if magic not in (0x10B, 0x20B):
            raise ValueError("unknown optional header 0x%X" % magic)
        self.wide = magic == 0x20B
        self.os_version = struct.unpack_from("<HH", d, opt + 40)
        self.subsystem_version = struct.unpack_from("<HH", d, opt + 48)
        self.subsystem = struct.unpack_from("<H", d, opt + 68)[0]
        directories = opt + (112 if self.wide else 96)
        count = struct.unpack_from("<I", d, directories - 4)[0]
        self.directories = [struct.unpack_from("<II", d, directories + 8 * i) for i in range(min(count, 16))]
        self.sections = []
        table = opt + optional_size
        for i in range(sections):
            name, vsize, va, raw_size, raw = struct.unpack_from("<8sIIII", d, table + 40 * i)
            self.sections.append((name.rstrip(b"\0").decode("latin-1"), va, max(vsize, raw_size), raw))

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def offset(self, rva):
        for _, va, size, raw in self.sections:
            if va <= rva < va + size:
                return raw + rva - va
        raise ValueError("address 0x%X lies in no section" % rva)

    def text(self, rva):
        start = self.offset(rva)
        end = self.data.index(b"\0", start)
        return self.data[start:end].decode("latin-1")

    def names(self, table_rva):
        """The functions of one thunk table: names, or '#n' for ordinals."""
        step, ordinal_flag = (8, 1 << 63) if self.wide else (4, 1 << 31)
        fmt = "<Q" if self.wide else "<I"
        at = self.offset(table_rva)
        while True:
            entry = struct.unpack_from(fmt, self.data, at)[0]
            if entry == 0:
                return
            if entry & ordinal_flag:
                yield "#%d" % (entry & 0xFFFF)
            else:
                yield self.text((entry & 0x7FFFFFFF) + 2)
            at += step

    def imports(self):
        rva, size = self.directory(IMPORT_DIRECTORY)
        if not rva:
            return
        at = self.offset(rva)
        while True:
            lookup, _, _, name, first = struct.unpack_from("<IIIII", self.data, at)
            if not (lookup or name or first):
                return
            dll = self.text(name)
            for function in self.names(lookup or first):
                yield dll, function
            at += 20

    def delay_imports(self):
        rva, size = self.directory(DELAY_IMPORT_DIRECTORY)
        if not rva:
            return
        at = self.offset(rva)
        while True:
            attributes, name, _, _, names = struct.unpack_from("<IIIII", self.data, at)
            if not name:
                return
            dll = self.text(name)
            if attributes & 1 and names:
                for function in self.names(names):
                    yield dll, function
            else:
                yield dll, "?"
            at += 32


def check(path, allowed):
    faults = []
    label = os.path.basename(path)
    try:
        image = Image(path)
        if image.machine != I386:
            faults.append("machine 0x%X, not i386 (0x14C)" % image.machine)
        if image.subsystem_version != (4, 0):
            faults.append("subsystem version %d.%d, not 4.0" % image.subsystem_version)
        if image.subsystem != 2:
            faults.append("subsystem %d, not Windows GUI (2)" % image.subsystem)
        count = 0
        dlls = set()
        for dll, function in image.imports():
            count += 1
            dlls.add(dll.upper())
            if (dll.upper(), function) not in allowed:
                faults.append("imports %s!%s, which is not in the Windows 95 list" % (dll, function))
        for dll, function in image.delay_imports():
            faults.append("delay-loads %s!%s (load it with LoadLibraryA instead)" % (dll, function))
        for name, _, _, _ in image.sections:
            if name.startswith(".debug") or name.startswith("/"):
                faults.append("carries the section %s (debug information; strip it)" % name)
        if image.symbols or image.symbol_table:
            faults.append("carries a symbol table of %d entries (strip it)" % image.symbols)
    except (OSError, ValueError, struct.error) as e:
        faults.append("cannot be read: %s" % e)
    for fault in faults:
        print("%s: %s" % (label, fault))
    if not faults:
        print("%s: i386, subsystem 4.0, %d imports from %s, all in the Windows 95 list"
              % (label, count, ", ".join(sorted(dlls))))
    return not faults


def main(argv):
    allow = os.path.join(os.path.dirname(os.path.abspath(__file__)), "win95-imports.txt")
    if len(argv) > 2 and argv[1] == "--allow":
        allow = argv[2]
        argv = argv[2:]
    programs = argv[1:]
    if not programs:
        print(__doc__.strip().split("\n\n")[1], file=sys.stderr)
        return 2
    allowed = read_allow_list(allow)
    ok = True
    for program in programs:
        ok = check(program, allowed) and ok
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
