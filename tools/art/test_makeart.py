#!/usr/bin/env python3
"""Checks that the committed artwork has exactly the layouts the programs' loaders expect.

Run from the repository root:  python3 tools/art/test_makeart.py
The file checks use only the standard library; the determinism checks import makeart.
"""

import hashlib
import os
import struct
import sys
import unittest
import wave

sys.dont_write_bytecode = True  # importing makeart must not leave __pycache__ in the tree
HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))

VGA = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]


def read(rel):
    with open(os.path.join(ROOT, rel), "rb") as f:
        return f.read()


def parse_bmp(data):
    magic, size, r1, r2, offset = struct.unpack_from("<2sIHHI", data, 0)
    (hsize, w, h, planes, bpp, comp, isize, xppm, yppm, used, important) = struct.unpack_from("<IiiHHIIiiII", data, 14)
    ncol = (used or (1 << bpp)) if bpp <= 8 else 0
    pal = [(data[54 + 4 * i + 2], data[54 + 4 * i + 1], data[54 + 4 * i]) for i in range(ncol)]
    return dict(magic=magic, size=size, reserved=(r1, r2), offset=offset, hsize=hsize, w=w, h=h, planes=planes,
                bpp=bpp, comp=comp, isize=isize, used=used, palette=pal)


def stride(w, bpp):
    return ((w * bpp + 31) // 32) * 4


class BmpFiles(unittest.TestCase):
    def check_bmp(self, rel, w, h, bpp):
        data = read(rel)
        b = parse_bmp(data)
        self.assertEqual(b["magic"], b"BM", rel)
        self.assertEqual(b["size"], len(data), rel)
        self.assertEqual(b["reserved"], (0, 0), rel)
        self.assertEqual(b["hsize"], 40, rel)
        self.assertEqual((b["w"], b["h"]), (w, h), rel)  # positive height: bottom-up
        self.assertEqual((b["planes"], b["bpp"], b["comp"]), (1, bpp, 0), rel)
        ncol = len(b["palette"])
        self.assertEqual(b["offset"], 14 + 40 + 4 * ncol, rel)
        self.assertEqual(b["isize"], stride(w, bpp) * h, rel)
        self.assertEqual(len(data), b["offset"] + stride(w, bpp) * h, rel)
        return b, data

    def test_wizard_pages_256(self):
        for i in range(107, 112):
            b, _ = self.check_bmp("setup/resources/page%d.bmp" % i, 200, 240, 8)
            self.assertIn(b["used"], (0, 256))
            self.assertEqual(len(b["palette"]), 256)

    def test_wizard_pages_16_use_the_vga_palette(self):
        for i in range(122, 127):
            b, data = self.check_bmp("setup/resources/page%d.bmp" % i, 200, 240, 4)
            self.assertEqual(b["palette"], VGA)
            used = set()
            for byte in data[b["offset"]:]:
                used.add(byte >> 4)
                used.add(byte & 15)
            self.assertGreater(len(used), 6, "a real picture uses many of the 16 colours")

    def test_title_pictures(self):
        b, data = self.check_bmp("tools/samplecd/art/VRNBLACK.BMP", 640, 480, 24)
        self.assertEqual(b["used"], 0)
        # it sits centred on a black screen: the outer rows and columns are pure black
        st = stride(640, 24)
        first, last = data[b["offset"]:b["offset"] + 640 * 3], data[b["offset"] + 479 * st:b["offset"] + 479 * st + 640 * 3]
        self.assertEqual(set(first) | set(last), {0})
        for y in range(480):
            row = b["offset"] + y * st
            self.assertEqual(data[row:row + 3] + data[row + 639 * 3:row + 640 * 3], b"\0" * 6)
        b, _ = self.check_bmp("tools/samplecd/art/VRN256.BMP", 640, 480, 8)
        self.assertIn(b["used"], (0, 256))
        self.assertIn((0, 0, 0), b["palette"])

    def test_vidcheck_pictures(self):
        self.check_bmp("vidcheck/logo.bmp", 640, 480, 24)
        b, data = self.check_bmp("vidcheck/logotest.bmp", 97, 61, 24)
        self.assertNotEqual(stride(97, 24), 97 * 3, "odd width exercises row padding")
        st = stride(97, 24)
        for y in range(61):  # padding bytes are zero
            self.assertEqual(data[b["offset"] + y * st + 291:b["offset"] + (y + 1) * st], b"\0")


class IconFiles(unittest.TestCase):
    ICONS = ["setup/resources/outfit.ico", "tools/samplecd/art/ICON1.ICO", "tools/samplecd/art/ICON3.ICO",
             "tools/samplecd/art/ICON4.ICO", "tools/samplecd/art/ICON5.ICO", "vidcheck/vidcheck.ico"]

    def test_classic_ico_layout(self):
        for rel in self.ICONS:
            data = read(rel)
            reserved, kind, count = struct.unpack_from("<HHH", data, 0)
            self.assertEqual((reserved, kind, count), (0, 1, 2), rel)
            sizes = []
            end = 6 + 16 * count
            for i in range(count):
                bw, bh, colours, res, planes, bits, nbytes, off = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
                self.assertEqual(off, end, rel)
                end = off + nbytes
                n = bw
                hdr = struct.unpack_from("<IiiHHI", data, off)
                self.assertEqual(hdr, (40, n, 2 * n, 1, 4, 0), rel)  # BMP entry, XOR+AND height, 4 bpp, BI_RGB
                self.assertNotEqual(data[off:off + 8], b"\x89PNG\r\n\x1a\n")
                pal = [(data[off + 40 + 4 * k + 2], data[off + 40 + 4 * k + 1], data[off + 40 + 4 * k]) for k in range(16)]
                self.assertEqual(pal, VGA, rel)
                self.assertEqual(nbytes, 40 + 64 + stride(n, 4) * n + stride(n, 1) * n, rel)
                self.assertEqual((colours, planes, bits), (16, 1, 4), rel)
                sizes.append((bw, bh))
                # the AND mask has both opaque and transparent pixels
                andm = data[off + 40 + 64 + stride(n, 4) * n:off + nbytes]
                self.assertTrue(any(andm) and not all(v == 0xFF for v in andm), rel)
            self.assertEqual(end, len(data), rel)
            self.assertEqual(sorted(sizes), [(16, 16), (32, 32)], rel)


class WavFile(unittest.TestCase):
    def test_pcm_mono_22k(self):
        with wave.open(os.path.join(ROOT, "tools/samplecd/art/sample.wav"), "rb") as wf:
            self.assertEqual(wf.getnchannels(), 1)
            self.assertEqual(wf.getframerate(), 22050)
            self.assertIn(wf.getsampwidth(), (1, 2))
            self.assertEqual(wf.getcomptype(), "NONE")
            seconds = wf.getnframes() / 22050.0
            self.assertTrue(2.5 <= seconds <= 3.5, seconds)


class Determinism(unittest.TestCase):
    """Parts that depend on nothing but arithmetic must come out byte for byte the same."""

    @classmethod
    def setUpClass(cls):
        try:
            sys.path.insert(0, HERE)
            import makeart  # noqa: E402
        except SystemExit:
            raise unittest.SkipTest("Pillow is not available")
        cls.m = makeart

    def test_icons_match_committed_files(self):
        for rel, draw in self.m.ICONS:
            self.assertEqual(self.m.ico_bytes(self.m.icon_to_entries(draw)), read(rel), rel)

    def test_sound_matches_committed_file(self):
        with wave.open(os.path.join(ROOT, "tools/samplecd/art/sample.wav"), "rb") as wf:
            frames = wf.readframes(wf.getnframes())
        self.assertEqual(hashlib.sha1(self.m.tango_wav()).hexdigest(), hashlib.sha1(frames).hexdigest())

    def test_bmp_writer_padding_and_order(self):
        # 3x2, 24 bpp: rows padded to 12 bytes, bottom row first, BGR
        px = [(1, 2, 3), (4, 5, 6), (7, 8, 9), (10, 11, 12), (13, 14, 15), (16, 17, 18)]
        data = self.m.bmp_bytes(3, 2, 24, lambda y: px[y * 3:(y + 1) * 3])
        self.assertEqual(data[54:], bytes([12, 11, 10, 15, 14, 13, 18, 17, 16, 0, 0, 0, 3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 0, 0]))
        # 4 bpp: left pixel in the high nibble
        data = self.m.bmp_bytes(3, 1, 4, lambda y: [1, 2, 15], self.m.VGA)
        self.assertEqual(data[-4:], bytes([0x12, 0xF0, 0, 0]))


if __name__ == "__main__":
    try:
        import PIL  # noqa: F401
    except ImportError:  # same fallback as makeart.py: Debian's python has Pillow
        if os.path.exists("/usr/bin/python3") and os.path.realpath(sys.executable) != os.path.realpath("/usr/bin/python3"):
            os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)
    unittest.main()
