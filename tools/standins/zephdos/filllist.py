#!/usr/bin/env python3
"""Writes the installation's file list into ZEPHDOS.EXE.

    filllist.py GAMEDIR FILELIST EXE...

GAMEDIR is the game directory that a minimal installation gives (mkcd
--expect); FILELIST the CD's DOS file list. Every file of GAMEDIR goes into
the list with its size, as "PATH<TAB>SIZE<CR><LF>" with DOS paths; a file
that the list takes from the language directory (LANGUAGE\\...) differs with
the language installed and QVX.INF with the machine, so those two only need
to be present ("*"). Each EXE is rewritten in place at the list after its
marker; its size does not change. An EXE without the marker (a filler) is
left alone, and so is a missing one."""
import os
import sys

MARKER = b"ZEPHDOS FILE LIST\r\n"


def language_files(filelist):
    names = set()
    with open(filelist, "rb") as f:
        for line in f.read().split(b"\r\n"):
            parts = line.split(b",")
            if len(parts) >= 2 and parts[0].upper().startswith(b"LANGUAGE\\"):
                names.add(parts[1].upper())
    return names


def list_text(gamedir, filelist):
    anysize = language_files(filelist)
    lines = []
    for root, _, files in os.walk(gamedir):
        for name in files:
            path = os.path.join(root, name)
            dos = os.path.relpath(path, gamedir).replace(os.sep, "\\").encode("ascii").upper()
            size = b"*" if dos in anysize else str(os.path.getsize(path)).encode()
            lines.append(dos + b"\t" + size + b"\r\n")
    lines.sort()
    lines.append(b"QVX.INF\t*\r\n")
    return b"".join(lines)


def main(argv):
    if len(argv) < 4:
        sys.stderr.write("usage: filllist.py GAMEDIR FILELIST EXE...\n")
        return 2
    text = list_text(argv[1], argv[2])
    for exe in argv[3:]:
        if not os.path.isfile(exe):
            continue
        with open(exe, "rb") as f:
            data = bytearray(f.read())
        at = data.find(MARKER)
        if at < 0:
            continue
        start = at + len(MARKER)
        # The area runs to the first byte that is not NUL after the zeros
        # of an empty list; a filled one is cleared up to its NUL.
        end = start
        while end < len(data) and data[end] != 0:
            end += 1
        while end < len(data) and data[end] == 0:
            end += 1
        if len(text) + 1 > end - start:
            sys.stderr.write("filllist.py: the list (%d bytes) does not fit %s (%d)\n"
                             % (len(text), exe, end - start))
            return 1
        data[start:end] = text + bytes(end - start - len(text))
        with open(exe, "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
