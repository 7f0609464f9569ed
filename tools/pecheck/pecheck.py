#!/usr/bin/env python3
"""Will these programs load and run on Windows 95 as it comes?

    pecheck.py [--allow LIST] [--maps DIR] PROGRAM...

Reads each program's PE headers and import table and checks what the
Windows 95 loader looks at: the machine (i386), the subsystem version (4.0;
a higher one is refused), and that every imported function is in LIST
(default: win95-imports.txt beside this script), the functions that the
system DLLs of Windows 95 export, each with where it is documented for
Windows 95. Delay-loaded imports, debug sections and symbol tables are
refused too: a program for the CD loads what it may lack with LoadLibraryA
and is stripped.

Every code section (holding code or executable) is disassembled
(i686-w64-mingw32-objdump, or TT_OBJDUMP) and every
instruction that the i386 with its i387 lacks is refused: the 486's
(bswap, cmpxchg, xadd, invd, wbinvd, invlpg), the Pentium's and later
ones' (cpuid, rdtsc, cmpxchg8b, cmov*, fcmov*, fcomi*, fucomi*, the long
nop, ...) and MMX and SSE of any kind. Windows 95 runs on a 386; such an
instruction stops the program with an illegal operation there. Each is
named with its address and the nearest symbol: the program's own symbols
when it has them, else the linker map (NAME.map) of the program in DIR
(or below it) whose bytes are the same as this one's.

Prints one line per fault, naming the DLL and the function or the
instruction, and exits 1 when there is any; otherwise one summary line per
program.
"""
import bisect
import os
import re
import struct
import subprocess
import sys

I386 = 0x14C
CODE = 0x20  # section characteristics: holds code, may be executed
EXECUTE = 0x20000000
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
        self.code_sections = []
        table = opt + optional_size
        for i in range(sections):
            name, vsize, va, raw_size, raw = struct.unpack_from("<8sIIII", d, table + 40 * i)
            flags = struct.unpack_from("<I", d, table + 40 * i + 36)[0]
            self.sections.append((name.rstrip(b"\0").decode("latin-1"), va, max(vsize, raw_size), raw))
            if flags & (CODE | EXECUTE):
                self.code_sections.append(self.sections[-1][0])

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


OBJDUMP = os.environ.get("TT_OBJDUMP", "i686-w64-mingw32-objdump")

# Instructions that came after the i386 and the i387, by mnemonic as objdump
# prints them in Intel syntax.
NEWER = {
    "bswap": "486", "cmpxchg": "486", "xadd": "486", "invd": "486", "wbinvd": "486", "invlpg": "486",
    "cpuid": "Pentium", "rdtsc": "Pentium", "rdmsr": "Pentium", "wrmsr": "Pentium", "rsm": "Pentium",
    "cmpxchg8b": "Pentium", "rdpmc": "Pentium Pro", "fcomi": "Pentium Pro", "fcomip": "Pentium Pro",
    "fucomi": "Pentium Pro", "fucomip": "Pentium Pro", "sysenter": "Pentium II", "sysexit": "Pentium II",
    "fxsave": "Pentium II", "fxrstor": "Pentium II", "emms": "MMX", "femms": "3DNow!",
    "sfence": "SSE", "lfence": "SSE2", "mfence": "SSE2", "clflush": "SSE2", "movnti": "SSE2",
    "ldmxcsr": "SSE", "stmxcsr": "SSE", "fisttp": "SSE3", "monitor": "SSE3", "mwait": "SSE3",
    "popcnt": "SSE4", "lzcnt": "ABM", "tzcnt": "BMI", "movbe": "Atom", "crc32": "SSE4",
    "rdtscp": "later processors", "syscall": "later processors", "sysret": "later processors",
    "xgetbv": "later processors", "rdrand": "later processors", "endbr32": "later processors",
    "cmpxchg16b": "x86-64",
}
FAMILIES = (("cmov", "Pentium Pro"), ("fcmov", "Pentium Pro"), ("prefetch", "SSE"))
PREFIXES = {"lock", "rep", "repz", "repnz", "repe", "repne", "data16", "data32", "addr16", "addr32",
            "cs", "ds", "es", "fs", "gs", "ss", "bnd", "notrack"}
VECTOR_REGISTER = re.compile(r"\b[xyz]?mm\d+\b")
INSTRUCTION = re.compile(r"^\s*([0-9a-f]+):\t(.*)$")
LABEL = re.compile(r"^([0-9a-f]+) <(.+)>:$")


def newer_than_i386(mnemonic, operands):
    """Which processor brought this instruction, or None for the i386's own."""
    if mnemonic in NEWER:
        return NEWER[mnemonic]
    for family, processor in FAMILIES:
        if mnemonic.startswith(family):
            return processor
    if mnemonic == "nop" and operands:
        return "Pentium Pro"  # the long nop, 0F 1F
    if VECTOR_REGISTER.search(operands):
        return "MMX/SSE"
    return None


def disassemble(path, sections):
    """(address, mnemonic, operands) of every instruction in these sections,
    and the symbols that objdump names (address, name)."""
    if not sections:
        return [], []
    chosen = []
    for name in sections:
        chosen += ["-j", name]
    try:
        out = subprocess.run([OBJDUMP, "-D", "-M", "intel", "--no-show-raw-insn"] + chosen + [path],
                             capture_output=True, text=True, errors="replace")
    except OSError as e:
        raise ValueError("cannot run %s: %s" % (OBJDUMP, e))
    if out.returncode:
        raise ValueError("%s -d failed: %s" % (OBJDUMP, out.stderr.strip()))
    instructions, symbols = [], []
    for line in out.stdout.splitlines():
        m = INSTRUCTION.match(line)
        if m:
            words = m.group(2).split(None, 1)
            while len(words) == 2 and words[0] in PREFIXES:
                words = words[1].split(None, 1)
            if words:
                instructions.append((int(m.group(1), 16), words[0],
                                     words[1].split("#")[0].strip() if len(words) > 1 else ""))
            continue
        m = LABEL.match(line)
        if m:
            symbols.append((int(m.group(1), 16), m.group(2)))
    return instructions, symbols


MAP_SYMBOL = re.compile(r"^\s+0x([0-9a-fA-F]+)\s+([A-Za-z_.$?@][^\s]*)\s*$")
MAP_PIECE = re.compile(r"^ (\.\S+)?\s+0x([0-9a-fA-F]+)\s+0x([0-9a-fA-F]+)\s+(\S.*)$")


def map_symbols(path):
    """The code symbols of a linker map, each with its object file."""
    symbols, owner = [], ""
    with open(path, encoding="latin-1") as f:
        for line in f:
            m = MAP_PIECE.match(line)
            if m:
                owner = os.path.basename(m.group(4).strip())
                symbols.append((int(m.group(2), 16), "", owner))
                continue
            m = MAP_SYMBOL.match(line)
            if m:
                symbols.append((int(m.group(1), 16), m.group(2), owner))
    return symbols


def find_map(path, maps):
    """The linker map of the build output whose bytes are this program's."""
    if not maps:
        return None
    with open(path, "rb") as f:
        data = f.read()
    for top, _, names in sorted(os.walk(maps)):
        for name in sorted(names):
            candidate = os.path.join(top, name)
            program = candidate[:-4]
            if not name.lower().endswith(".map") or not os.path.isfile(program):
                continue
            if os.path.getsize(program) == len(data):
                with open(program, "rb") as f:
                    if f.read() == data:
                        return candidate
    return None


def demangled(symbols):
    """The symbols with C++ names readable (when c++filt is at hand)."""
    names = sorted({s[1] for s in symbols if s[1].startswith(("_Z", "__Z"))})
    if not names:
        return symbols
    try:
        out = subprocess.run([OBJDUMP.replace("objdump", "c++filt")], input="\n".join(names) + "\n",
                             capture_output=True, text=True, errors="replace")
    except OSError:
        return symbols
    readable = dict(zip(names, out.stdout.splitlines()))
    return [(s[0], readable.get(s[1], s[1])) + tuple(s[2:]) for s in symbols]


class Namer:
    def __init__(self, own, mapped):
        own, mapped = demangled(own), demangled(mapped)
        # A stripped program's disassembly names only its sections.
        own = [(a, n, "") for a, n in own if not n.startswith(".")]
        named = own or [s for s in mapped if s[1]]
        pieces = [s for s in mapped if not s[1]]
        self.named = sorted(named)
        self.keys = [s[0] for s in self.named]
        self.pieces = sorted(pieces)
        self.piece_keys = [s[0] for s in self.pieces]

    def name(self, address):
        i = bisect.bisect_right(self.keys, address) - 1
        if i < 0:
            return "a place no symbol names (no linker map given: --maps)"
        at, name, owner = self.named[i]
        j = bisect.bisect_right(self.piece_keys, address) - 1
        if j >= 0 and self.pieces[j][0] > at:
            owner = self.pieces[j][2]
        text = "%s+0x%X" % (name, address - at) if address != at else name
        return text + (" (%s)" % owner if owner else "")


def check_instructions(path, sections, maps):
    """One fault per instruction that the i386 lacks, and the count."""
    instructions, own = disassemble(path, sections)
    map_file = find_map(path, maps)
    namer = Namer(own, map_symbols(map_file) if map_file else [])
    faults = []
    for address, mnemonic, operands in instructions:
        processor = newer_than_i386(mnemonic, operands)
        if processor:
            faults.append("instruction %s (%s) at 0x%X in %s"
                          % (mnemonic, processor, address, namer.name(address)))
    return faults, len(instructions)


def check(path, allowed, maps=None):
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
        newer, instructions = check_instructions(path, image.code_sections, maps)
        faults += newer
    except (OSError, ValueError, struct.error) as e:
        faults.append("cannot be read: %s" % e)
    for fault in faults:
        print("%s: %s" % (label, fault))
    if not faults:
        print("%s: i386, subsystem 4.0, %d imports from %s, all in the Windows 95 list;"
              " %d instructions, all the i386's and the i387's"
              % (label, count, ", ".join(sorted(dlls)), instructions))
    return not faults


def main(argv):
    allow = os.path.join(os.path.dirname(os.path.abspath(__file__)), "win95-imports.txt")
    maps = None
    while len(argv) > 2 and argv[1] in ("--allow", "--maps"):
        if argv[1] == "--allow":
            allow = argv[2]
        else:
            maps = argv[2]
        argv = argv[2:]
    programs = argv[1:]
    if not programs:
        print(__doc__.strip().split("\n\n")[1], file=sys.stderr)
        return 2
    allowed = read_allow_list(allow)
    ok = True
    for program in programs:
        ok = check(program, allowed, maps) and ok
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
