#!/usr/bin/env python3
"""Generate every picture, icon and sound sample of the Tinfoil Tango setup suite.

Run from the repository root:

    python3 tools/art/makeart.py            # write all files
    python3 tools/art/makeart.py --preview  # also write PNG previews to /tmp/art-preview

Everything is drawn from code: fixed seeds, no clock, so re-running writes
byte-identical files (with the same Pillow/FreeType build).  The BMP, ICO and WAV
writers below are hand-written so the exact layouts are under our control.
"""

import math
import os
import random
import struct
import sys
import wave

try:
    from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont
except ImportError:  # e.g. a pyenv python without Pillow: fall back to Debian's
    if os.path.exists("/usr/bin/python3") and os.path.realpath(sys.executable) != os.path.realpath("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)
    sys.exit("makeart.py needs Pillow (Debian: apt-get install python3-pil fonts-dejavu-core)")

LANCZOS = Image.Resampling.LANCZOS
FONT_DIR = "/usr/share/fonts/truetype/dejavu"
ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
PREVIEW_DIR = "/tmp/art-preview"

# The 16 colours of the standard Windows VGA palette, in index order.
VGA = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
# Short names for drawing icons directly in VGA colours.
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = VGA[0:8]
GREY, RED, LIME, YELLOW, BLUE, MAGENTA, CYAN, WHITE = VGA[8:16]


# ---------------------------------------------------------------------------
# File writers
# ---------------------------------------------------------------------------

def _stride(width, bpp):
    return ((width * bpp + 31) // 32) * 4


def _pack_rows(width, height, bpp, get_row):
    """Bottom-up pixel array.  get_row(y) returns indices (1/4/8 bpp) or RGB triples (24 bpp)."""
    stride = _stride(width, bpp)
    out = bytearray()
    for y in range(height - 1, -1, -1):
        row = get_row(y)
        if bpp == 24:
            line = bytearray()
            for r, g, b in row:
                line += bytes((b, g, r))
        elif bpp == 8:
            line = bytearray(row)
        elif bpp == 4:
            line = bytearray()
            for x in range(0, width, 2):
                hi = row[x]
                lo = row[x + 1] if x + 1 < width else 0
                line.append((hi << 4) | lo)
        elif bpp == 1:
            line = bytearray()
            for x in range(0, width, 8):
                byte = 0
                for i in range(8):
                    if x + i < width and row[x + i]:
                        byte |= 0x80 >> i
                line.append(byte)
        else:
            raise ValueError(bpp)
        line += b"\0" * (stride - len(line))
        out += line
    return bytes(out)


def _info_header(width, height, bpp, image_size, colours):
    # BITMAPINFOHEADER: size, width, height, planes, bitcount, BI_RGB, sizeimage,
    # 72 dpi both ways, colours used, colours important.
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, 0, image_size, 2835, 2835, colours, 0)


def _palette_bytes(palette):
    return b"".join(bytes((b, g, r, 0)) for r, g, b in palette)


def bmp_bytes(width, height, bpp, get_row, palette=None):
    palette = palette or []
    if bpp <= 8:
        assert len(palette) == 1 << bpp, "palettes are always written in full"
    pixels = _pack_rows(width, height, bpp, get_row)
    offset = 14 + 40 + 4 * len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + _info_header(width, height, bpp, len(pixels), len(palette)) + _palette_bytes(palette) + pixels


def bmp24(img):
    img = img.convert("RGB")
    w, h = img.size
    data = list(img.getdata())
    return bmp_bytes(w, h, 24, lambda y: data[y * w:(y + 1) * w])


def bmp_indexed(indices, width, height, palette, bpp):
    return bmp_bytes(width, height, bpp, lambda y: indices[y * width:(y + 1) * width], palette)


def ico_bytes(images):
    """images: list of (size, indices, mask) with 4-bit VGA indices; mask 1 = transparent."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for size, indices, mask in images:
        xor = _pack_rows(size, size, 4, lambda y: indices[y * size:(y + 1) * size])
        andm = _pack_rows(size, size, 1, lambda y: mask[y * size:(y + 1) * size])
        blob = _info_header(size, size * 2, 4, len(xor) + len(andm), 0)
        blob = blob[:32] + struct.pack("<II", 0, 0)  # icons traditionally leave the counts 0
        blob += _palette_bytes(VGA) + xor + andm
        entries.append(struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs)


# ---------------------------------------------------------------------------
# Colour reduction
# ---------------------------------------------------------------------------

def _dist2(a, b):
    # "redmean" weighting: cheap and closer to how the eye compares colours.
    rm = (a[0] + b[0]) * 0.5
    dr, dg, db = a[0] - b[0], a[1] - b[1], a[2] - b[2]
    return (2 + rm / 256) * dr * dr + 4 * dg * dg + (2 + (255 - rm) / 256) * db * db


def nearest(colour, palette):
    best, bi = None, 0
    for i, p in enumerate(palette):
        d = _dist2(colour, p)
        if best is None or d < best:
            best, bi = d, i
    return bi


def to_vga(img, strength=0.8):
    """Serpentine Floyd-Steinberg onto the 16 VGA colours; strength < 1 keeps flat areas calm."""
    img = img.convert("RGB")
    w, h = img.size
    px = [list(map(float, p)) for p in img.getdata()]
    out = [0] * (w * h)
    cache = {}
    for y in range(h):
        xs = range(w) if y % 2 == 0 else range(w - 1, -1, -1)
        step = 1 if y % 2 == 0 else -1
        for x in xs:
            i = y * w + x
            c = px[i]
            key = (max(0, min(255, int(c[0]))) >> 2, max(0, min(255, int(c[1]))) >> 2, max(0, min(255, int(c[2]))) >> 2)
            k = cache.get(key)
            if k is None:
                k = cache[key] = nearest((key[0] * 4 + 2, key[1] * 4 + 2, key[2] * 4 + 2), VGA)
            out[i] = k
            p = VGA[k]
            err = [(c[j] - p[j]) * strength for j in range(3)]
            for dx, dy, wgt in ((step, 0, 7), (-step, 1, 3), (0, 1, 5), (step, 1, 1)):
                nx, ny = x + dx, y + dy
                if 0 <= nx < w and ny < h:
                    q = px[ny * w + nx]
                    for j in range(3):
                        q[j] += err[j] * wgt / 16.0
    return out


def to_256(img, keep=((0, 0, 0),)):
    """Median-cut palette of 256 colours (with the colours in keep forced in), then dithered."""
    img = img.convert("RGB")
    first = img.quantize(colors=256 - len(keep), method=Image.Quantize.MEDIANCUT)
    pal = first.getpalette()[: 3 * (256 - len(keep))]
    colours = [tuple(pal[i:i + 3]) for i in range(0, len(pal), 3)]
    colours = list(keep) + [c for c in colours if c not in keep]
    while len(colours) < 256:
        colours.append((0, 0, 0))
    colours = colours[:256]
    palimg = Image.new("P", (1, 1))
    palimg.putpalette([v for c in colours for v in c])
    q = img.quantize(palette=palimg, dither=Image.Dither.FLOYDSTEINBERG)
    return list(q.getdata()), colours


# ---------------------------------------------------------------------------
# Drawing helpers
# ---------------------------------------------------------------------------

def font(name, size):
    return ImageFont.truetype(os.path.join(FONT_DIR, name), size)


def lerp(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(len(a)))


def gradient(size, stops, horizontal=False):
    """Linear gradient through (position 0..1, colour) stops."""
    w, h = size
    n = w if horizontal else h
    line = Image.new("RGB", (n, 1))
    for i in range(n):
        t = i / max(1, n - 1)
        for j in range(len(stops) - 1):
            (t0, c0), (t1, c1) = stops[j], stops[j + 1]
            if t0 <= t <= t1:
                line.putpixel((i, 0), lerp(c0, c1, (t - t0) / max(1e-9, t1 - t0)))
                break
    if horizontal:
        return line.resize((w, h), Image.Resampling.NEAREST)
    return line.transpose(Image.Transpose.ROTATE_270).transpose(Image.Transpose.FLIP_LEFT_RIGHT).resize((w, h), Image.Resampling.NEAREST)


def radial(size, centre, radius, inner=255, outer=0, power=1.0):
    """'L' image falling from inner at centre to outer at radius (computed small, scaled up)."""
    w, h = size
    sw, sh = max(2, w // 4), max(2, h // 4)
    m = Image.new("L", (sw, sh))
    cx, cy = centre[0] / 4.0, centre[1] / 4.0
    rx, ry = (radius, radius) if not isinstance(radius, tuple) else radius
    rx, ry = rx / 4.0, ry / 4.0
    data = []
    for y in range(sh):
        for x in range(sw):
            d = math.hypot((x + 0.5 - cx) / rx, (y + 0.5 - cy) / ry)
            t = max(0.0, 1.0 - d) ** power
            data.append(int(round(outer + (inner - outer) * t)))
    m.putdata(data)
    return m.resize((w, h), Image.Resampling.BICUBIC)


def vignette(size, margin=0.28, shape=3.0):
    """'L' mask: 255 in the middle, falling smoothly to exactly 0 at the picture border."""
    w, h = size
    sw, sh = max(2, w // 4), max(2, h // 4)
    m = Image.new("L", (sw, sh))
    data = []
    for y in range(sh):
        for x in range(sw):
            dx, dy = abs((x + 0.5) / sw * 2 - 1), abs((y + 0.5) / sh * 2 - 1)
            d = (dx ** shape + dy ** shape) ** (1.0 / shape)
            t = max(0.0, min(1.0, (1.0 - d) / margin))
            data.append(int(round(255 * t * t * (3 - 2 * t))))
    m.putdata(data)
    return m.resize((w, h), Image.Resampling.BICUBIC)


def dance_floor(size, top, colour_a=(255, 45, 190), colour_b=(40, 230, 255), base_col=(8, 4, 18), lines=14, rows=7):
    """RGBA layer: dark glossy floor from y=top down with a neon grid receding to a vanishing point."""
    w, h = size
    layer = Image.new("RGBA", size, (0, 0, 0, 0))
    d = ImageDraw.Draw(layer)
    d.rectangle([0, top, w, h], fill=base_col + (255,))
    grid = Image.new("L", size, 0)
    g = ImageDraw.Draw(grid)
    vx, vy = w / 2, top - (h - top) * 1.2  # vanishing point above the horizon
    lw = max(1, w // 500)
    for i in range(-lines, lines + 1):
        xb = w / 2 + i * w / lines * 0.9
        # from the horizon down to the bottom edge, on the line through the vanishing point
        t = (top - vy) / (h - vy)
        g.line([(vx + (xb - vx) * t, top), (xb, h)], fill=150, width=lw)
    for k in range(1, rows + 1):
        y = top + (h - top) * (k / rows) ** 1.8
        g.line([(0, y), (w, y)], fill=150, width=lw)
    fade = gradient(size, [(0.0, (0, 0, 0)), (top / h, (0, 0, 0)), (1.0, (255, 255, 255))]).convert("L")
    grid = ImageChops.multiply(grid, fade)
    tint = gradient(size, [(0.0, colour_a), (1.0, colour_b)], horizontal=True).convert("RGBA")
    tint.putalpha(grid.filter(ImageFilter.GaussianBlur(0.6)))
    layer = Image.alpha_composite(layer, tint)
    glowl = tint.copy()
    glowl.putalpha(grid.filter(ImageFilter.GaussianBlur(3 * lw)))
    return Image.alpha_composite(layer, glowl)


def glow(mask, colour, radius, strength=1.0, grow=0):
    """RGBA layer: colour with a blurred copy of mask as alpha."""
    m = mask
    if grow:
        m = m.filter(ImageFilter.MaxFilter(grow * 2 + 1))
    m = m.filter(ImageFilter.GaussianBlur(radius))
    if strength != 1.0:
        m = m.point(lambda v: min(255, int(v * strength)))
    layer = Image.new("RGBA", mask.size, colour + (0,))
    layer.putalpha(m)
    return layer


def fill_layer(mask, fill):
    """RGBA layer: fill (colour or RGB image) cut out by mask."""
    if isinstance(fill, tuple):
        layer = Image.new("RGBA", mask.size, fill + (255,))
    else:
        layer = fill.convert("RGBA")
    layer.putalpha(ImageChops.multiply(layer.getchannel("A"), mask))
    return layer


def add_light(base, layer):
    """Additive blend of an RGBA layer (alpha as intensity) onto an RGB/RGBA base."""
    rgb = Image.new("RGB", layer.size)
    rgb.paste(layer.convert("RGB"), mask=layer.getchannel("A"))
    res = ImageChops.add(base.convert("RGB"), rgb)
    return res.convert(base.mode)


def over(base, layer, pos=(0, 0)):
    base = base.convert("RGBA")
    full = Image.new("RGBA", base.size, (0, 0, 0, 0))
    full.paste(layer, pos)
    return Image.alpha_composite(base, full)


def foil_texture(size, cell, seed, warm=(255, 110, 210), cool=(90, 220, 255), bright=1.0):
    """Crumpled tin foil: a jittered triangle mesh with random heights, lit like metal.

    Facets turned to the left pick up pink neon, those turned right pick up cyan."""
    w, h = size
    rnd = random.Random(seed)
    nx, ny = w // cell + 3, h // cell + 3
    pts = [[((x - 1) * cell + rnd.uniform(-0.35, 0.35) * cell,
             (y - 1) * cell + rnd.uniform(-0.35, 0.35) * cell,
             rnd.uniform(0, 0.75) * cell) for x in range(nx)] for y in range(ny)]
    img = Image.new("RGB", size)
    d = ImageDraw.Draw(img)
    lx, ly, lz = -0.45, -0.65, 0.62
    ln = math.sqrt(lx * lx + ly * ly + lz * lz)
    lx, ly, lz = lx / ln, ly / ln, lz / ln
    hx, hy, hz = lx, ly, lz + 1.0
    hn = math.sqrt(hx * hx + hy * hy + hz * hz)
    hx, hy, hz = hx / hn, hy / hn, hz / hn

    def shade(a, b, c):
        ux, uy, uz = b[0] - a[0], b[1] - a[1], b[2] - a[2]
        vx, vy, vz = c[0] - a[0], c[1] - a[1], c[2] - a[2]
        nx_, ny_, nz_ = uy * vz - uz * vy, uz * vx - ux * vz, ux * vy - uy * vx
        if nz_ < 0:
            nx_, ny_, nz_ = -nx_, -ny_, -nz_
        n = math.sqrt(nx_ * nx_ + ny_ * ny_ + nz_ * nz_) or 1.0
        nx_, ny_, nz_ = nx_ / n, ny_ / n, nz_ / n
        diff = max(0.0, nx_ * lx + ny_ * ly + nz_ * lz)
        gloss = max(0.0, nx_ * hx + ny_ * hy + nz_ * hz) ** 24
        v = (55 + 150 * diff) * bright + 200 * gloss
        grey = (v * 0.97, v * 0.98, v * 1.04)
        tint = warm if nx_ < 0 else cool
        t = min(0.55, abs(nx_) * 0.9)
        col = tuple(grey[i] * (1 - t) + tint[i] * t * (0.35 + 0.65 * diff) for i in range(3))
        return tuple(max(0, min(255, int(cv))) for cv in col)

    for y in range(ny - 1):
        for x in range(nx - 1):
            p00, p10, p01, p11 = pts[y][x], pts[y][x + 1], pts[y + 1][x], pts[y + 1][x + 1]
            tris = [(p00, p10, p11), (p00, p11, p01)] if rnd.random() < 0.5 else [(p00, p10, p01), (p10, p11, p01)]
            for a, b, c in tris:
                d.polygon([(a[0], a[1]), (b[0], b[1]), (c[0], c[1])], fill=shade(a, b, c))
    return img


def chrome_gradient(size, top, bottom):
    """80s chrome: pale sky top, white band, dark horizon line, warm glow below."""
    w, h = size
    g = Image.new("RGB", size, (0, 0, 0))
    span = max(1, bottom - top)
    stops = [(0.0, (170, 190, 235)), (0.40, (250, 250, 255)), (0.50, (70, 60, 110)),
             (0.56, (120, 90, 150)), (0.80, (235, 200, 235)), (1.0, (255, 255, 255))]
    strip = gradient((1, span), stops)
    g.paste(strip.resize((w, span)), (0, top))
    return g


def text_mask(text, fnt, size, pos, anchor="mm", stroke=0, shear=0.0):
    """'L' mask of text; shear > 0 leans it forward like italics."""
    m = Image.new("L", size, 0)
    ImageDraw.Draw(m).text(pos, text, font=fnt, fill=255, anchor=anchor, stroke_width=stroke, stroke_fill=255)
    if shear:
        # Output (x, y) samples input (x + shear*(y - pos_y), y): top leans right.
        m = m.transform(size, Image.Transform.AFFINE, (1, shear, -shear * pos[1], 0, 1, 0), resample=Image.Resampling.BICUBIC)
    return m


def foil_text(base, text, fnt, pos, seed, shear=0.18, outline=6, glow_colour=(255, 40, 200), glow_radius=14,
              chrome=0.45, cell=None, shadow=True):
    """Draw a tin foil word with a dark outline and a neon halo.  Returns the new base."""
    size = base.size
    m = text_mask(text, fnt, size, pos, shear=shear)
    box = m.getbbox()
    if box is None:
        return base
    outl = m.filter(ImageFilter.MaxFilter(outline * 2 + 1)) if outline else m
    base = add_light(base, glow(outl, glow_colour, glow_radius, 1.4, grow=outline))
    if shadow:
        sh = Image.new("L", size, 0)
        sh.paste(outl, (outline, outline))
        base = over(base, fill_layer(sh.filter(ImageFilter.GaussianBlur(outline)), (0, 0, 0)))
    base = over(base, fill_layer(outl, (20, 10, 40)))
    cell = cell or max(6, (box[3] - box[1]) // 5)
    foil = foil_texture(size, cell, seed)
    chrome_img = chrome_gradient(size, box[1], box[3])
    fill = Image.blend(foil, chrome_img, chrome)
    base = over(base, fill_layer(m, fill))
    # a thin bright rim on the top edges of the letters
    rim = ImageChops.subtract(m, ImageChops.offset(m, 0, max(1, outline // 3)))
    base = add_light(base, fill_layer(rim, (255, 255, 255)))
    return base


def neon_text(base, text, fnt, pos, colour, shear=0.0, tube=None, radius=10, inner=(40, 0, 50)):
    """Neon sign lettering: the letter outlines are glass tubes (saturated colour with a
    white-hot core) over a dark backing, all wrapped in a coloured halo."""
    size = base.size
    m = text_mask(text, fnt, size, pos, shear=shear)
    tube = tube or max(2, fnt.size // 16)
    grown = m.filter(ImageFilter.MaxFilter(2 * (tube // 2) + 1))
    shrunk = m.filter(ImageFilter.MinFilter(2 * (tube - tube // 2) + 1))
    ring = ImageChops.subtract(grown, shrunk)
    base = add_light(base, glow(grown, colour, radius * 2.5, 0.55))
    base = over(base, fill_layer(shrunk, inner).filter(ImageFilter.GaussianBlur(0.5)))
    base = add_light(base, glow(ring, colour, radius * 0.6, 1.2))
    base = over(base, fill_layer(ring, colour))
    core = ring.filter(ImageFilter.MinFilter(3)) if tube >= 4 else ring.point(lambda v: v // 2)
    base = over(base, fill_layer(core.filter(ImageFilter.GaussianBlur(0.7)), lerp(colour, (255, 255, 255), 0.75)))
    return base


def starburst(size, centre, r_out, r_in, points, seed, rot=0.0):
    """'L' mask of a jagged explosion star."""
    rnd = random.Random(seed)
    m = Image.new("L", size, 0)
    pts = []
    for i in range(points * 2):
        a = rot + math.pi * i / points
        r = (r_out * rnd.uniform(0.7, 1.15)) if i % 2 == 0 else (r_in * rnd.uniform(0.8, 1.1))
        pts.append((centre[0] + r * math.cos(a), centre[1] + r * math.sin(a)))
    ImageDraw.Draw(m).polygon(pts, fill=255)
    return m


def explosion(base, centre, radius, seed, sparks=24, palette=None):
    """Layered comic explosion with glow and flying sparks."""
    size = base.size
    palette = palette or [(200, 20, 30), (255, 110, 0), (255, 210, 40), (255, 255, 220)]
    rnd = random.Random(seed)
    # sparks first, so the burst sits on top of their roots
    sp = Image.new("L", size, 0)
    d = ImageDraw.Draw(sp)
    for _ in range(sparks):
        a = rnd.uniform(0, 2 * math.pi)
        r0 = radius * rnd.uniform(0.6, 1.0)
        r1 = r0 + radius * rnd.uniform(0.35, 1.0)
        wdt = radius * rnd.uniform(0.025, 0.05)
        px, py = -math.sin(a) * wdt, math.cos(a) * wdt  # tapered streak: wide at the root
        d.polygon([(centre[0] + r0 * math.cos(a) + px, centre[1] + r0 * math.sin(a) + py),
                   (centre[0] + r1 * math.cos(a), centre[1] + r1 * math.sin(a)),
                   (centre[0] + r0 * math.cos(a) - px, centre[1] + r0 * math.sin(a) - py)], fill=255)
    base = add_light(base, glow(sp, (255, 140, 20), radius * 0.08, 1.6))
    base = over(base, fill_layer(sp, (255, 230, 150)))
    outer = starburst(size, centre, radius, radius * 0.55, 11, seed + 1)
    base = add_light(base, glow(outer, (255, 80, 0), radius * 0.35, 1.2))
    for k, col in enumerate(palette):
        f = 1.0 - 0.24 * k
        m = starburst(size, centre, radius * f, radius * f * 0.55, 11, seed + 1 + k, rot=0.13 * k)
        base = over(base, fill_layer(m, col))
    return base


def skyline(size, horizon, seed, body=(14, 8, 30), windows=((255, 220, 120), (120, 230, 255), (255, 120, 220)),
            scale=1.0, max_h=None):
    """RGBA layer: a row of buildings standing on y=horizon with lit windows."""
    w, h = size
    rnd = random.Random(seed)
    layer = Image.new("RGBA", size, (0, 0, 0, 0))
    d = ImageDraw.Draw(layer)
    x = -rnd.randint(0, int(20 * scale))
    max_h = max_h or horizon * 0.55
    while x < w:
        bw = int(rnd.uniform(22, 60) * scale)
        bh = int(rnd.uniform(0.25, 1.0) * max_h)
        top = horizon - bh
        d.rectangle([x, top, x + bw, h], fill=body + (255,))
        kind = rnd.random()
        if kind < 0.25:  # stepped top
            d.rectangle([x + bw * 0.25, top - 8 * scale, x + bw * 0.75, top], fill=body + (255,))
        elif kind < 0.45:  # antenna
            d.line([x + bw / 2, top, x + bw / 2, top - 22 * scale], fill=body + (255,), width=max(1, int(2 * scale)))
            d.ellipse([x + bw / 2 - 2 * scale, top - 24 * scale, x + bw / 2 + 2 * scale, top - 20 * scale], fill=(255, 40, 60, 255))
        wc = windows[rnd.randrange(len(windows))]
        ww, wh = max(2, int(4 * scale)), max(2, int(5 * scale))
        gx, gy = max(4, int(9 * scale)), max(5, int(11 * scale))
        for yy in range(int(top + 6 * scale), h, gy):
            for xx in range(int(x + 5 * scale), int(x + bw - ww - 3 * scale), gx):
                if rnd.random() < 0.28:
                    c = wc if rnd.random() < 0.8 else windows[rnd.randrange(len(windows))]
                    dim = rnd.uniform(0.5, 1.0)
                    d.rectangle([xx, yy, xx + ww - 1, yy + wh - 1], fill=tuple(int(v * dim) for v in c) + (255,))
        x += bw + rnd.randint(-int(6 * scale), int(4 * scale))
    return layer


def spotlights(size, beams, blur):
    """Additive RGBA layer with soft cone beams: beams = [(apex, angle_deg, spread_deg, length, colour, alpha)]."""
    layer = Image.new("RGBA", size, (0, 0, 0, 0))
    for apex, ang, spread, length, colour, alpha in beams:
        m = Image.new("L", size, 0)
        a0, a1 = math.radians(ang - spread / 2), math.radians(ang + spread / 2)
        pts = [apex, (apex[0] + length * math.cos(a0), apex[1] + length * math.sin(a0)),
               (apex[0] + length * math.cos(a1), apex[1] + length * math.sin(a1))]
        ImageDraw.Draw(m).polygon(pts, fill=alpha)
        # fade along the beam
        fade = radial(size, apex, length, 255, 0, 0.8)
        m = ImageChops.multiply(m, fade).filter(ImageFilter.GaussianBlur(blur))
        beam = Image.new("RGBA", size, colour + (0,))
        beam.putalpha(m)
        layer = Image.alpha_composite(layer, beam)
    return layer


def stars(base, count, seed, area=None, colour=(255, 255, 255)):
    rnd = random.Random(seed)
    w, h = base.size
    x0, y0, x1, y1 = area or (0, 0, w, h)
    d = ImageDraw.Draw(base)
    for _ in range(count):
        x, y = rnd.uniform(x0, x1), rnd.uniform(y0, y1)
        b = rnd.uniform(0.3, 1.0)
        r = rnd.choice((0.6, 0.8, 1.0, 1.4))
        d.ellipse([x - r, y - r, x + r, y + r], fill=tuple(int(v * b) for v in colour))
    return base


def twinkle(base, centre, r, colour=(255, 255, 255)):
    """Four-pointed sparkle."""
    m = Image.new("L", base.size, 0)
    d = ImageDraw.Draw(m)
    cx, cy = centre
    t = r * 0.14
    d.polygon([(cx - r, cy), (cx - t, cy - t), (cx, cy - r), (cx + t, cy - t), (cx + r, cy), (cx + t, cy + t),
               (cx, cy + r), (cx - t, cy + t)], fill=255)
    base = add_light(base, glow(m, colour, r * 0.3, 1.0))
    return over(base, fill_layer(m, colour))


# ---------------------------------------------------------------------------
# The tango commando
# ---------------------------------------------------------------------------

# Joints of the dancer in a unit frame (head top ~0, feet ~1), facing right, in a
# long tango stride: front knee bent, back leg stretched, one arm leading, the
# other hand on the hip.
POSE = {
    "head": (0.115, 0.075), "neck": (0.085, 0.145), "chest": (0.055, 0.215),
    "waist": (0.0, 0.39), "hip": (-0.02, 0.47),
    "f_hip": (0.01, 0.48), "f_knee": (0.17, 0.665), "f_ankle": (0.145, 0.925), "f_toe": (0.245, 0.965),
    "b_hip": (-0.05, 0.49), "b_knee": (-0.185, 0.695), "b_ankle": (-0.335, 0.9), "b_toe": (-0.40, 0.975),
    "f_sh": (0.075, 0.205), "f_elbow": (0.215, 0.175), "f_hand": (0.355, 0.105),
    "b_sh": (0.02, 0.215), "b_elbow": (-0.115, 0.30), "b_hand": (-0.045, 0.395),
}


def _limb(d, pts, widths):
    for (a, b), (wa, wb) in zip(zip(pts, pts[1:]), zip(widths, widths[1:])):
        # tapered segment as a quad plus round joints
        ang = math.atan2(b[1] - a[1], b[0] - a[0]) + math.pi / 2
        ca, sa = math.cos(ang), math.sin(ang)
        d.polygon([(a[0] + ca * wa / 2, a[1] + sa * wa / 2), (b[0] + ca * wb / 2, b[1] + sa * wb / 2),
                   (b[0] - ca * wb / 2, b[1] - sa * wb / 2), (a[0] - ca * wa / 2, a[1] - sa * wa / 2)], fill=255)
        d.ellipse([a[0] - wa / 2, a[1] - wa / 2, a[0] + wa / 2, a[1] + wa / 2], fill=255)
        d.ellipse([b[0] - wb / 2, b[1] - wb / 2, b[0] + wb / 2, b[1] + wb / 2], fill=255)


def dancer_masks(size, origin, height):
    """Return (body mask, helmet mask, details list) for a dancer of the given height.

    origin is where the top of the head goes (x = body axis)."""
    ox, oy = origin

    def P(name, dx=0.0, dy=0.0):
        x, y = POSE[name]
        return (ox + (x + dx) * height, oy + (y + dy) * height)

    def S(v):
        return v * height

    body = Image.new("L", size, 0)
    d = ImageDraw.Draw(body)
    # legs
    _limb(d, [P("b_hip"), P("b_knee"), P("b_ankle")], [S(0.085), S(0.06), S(0.035)])
    _limb(d, [P("f_hip"), P("f_knee"), P("f_ankle")], [S(0.09), S(0.065), S(0.038)])
    # boots: a wedge from ankle to toe
    for ank, toe, heel_dx in (("f_ankle", "f_toe", -0.035), ("b_ankle", "b_toe", 0.03)):
        a, t = P(ank), P(toe)
        heel = P(ank, heel_dx, 0.045)
        d.polygon([(a[0] - S(0.022), a[1] - S(0.01)), (a[0] + S(0.022), a[1] - S(0.01)), t,
                   (t[0] - S(0.015), t[1] + S(0.012)), heel], fill=255)
    # torso: shoulders broad, waist narrow, slight lean forward
    c, wst, hp = P("chest"), P("waist"), P("hip")
    d.polygon([(c[0] - S(0.075), c[1] - S(0.01)), (c[0] + S(0.07), c[1] - S(0.015)), (wst[0] + S(0.045), wst[1]),
               (hp[0] + S(0.06), hp[1] + S(0.02)), (hp[0] - S(0.065), hp[1] + S(0.02)), (wst[0] - S(0.045), wst[1])], fill=255)
    _limb(d, [P("chest"), P("neck")], [S(0.12), S(0.045)])
    # arms
    _limb(d, [P("f_sh"), P("f_elbow"), P("f_hand")], [S(0.05), S(0.04), S(0.032)])
    _limb(d, [P("b_sh"), P("b_elbow"), P("b_hand")], [S(0.05), S(0.04), S(0.034)])
    # hand of the leading arm: open palm with fingers up
    hx, hy = P("f_hand")
    d.ellipse([hx - S(0.022), hy - S(0.022), hx + S(0.022), hy + S(0.022)], fill=255)
    _limb(d, [(hx + S(0.01), hy - S(0.005)), (hx + S(0.04), hy - S(0.03))], [S(0.02), S(0.012)])
    _limb(d, [(hx - S(0.005), hy - S(0.01)), (hx + S(0.005), hy - S(0.05))], [S(0.016), S(0.01)])
    # head
    hx, hy = P("head")
    r = S(0.058)
    d.ellipse([hx - r, hy - r * 1.05, hx + r, hy + r * 1.05], fill=255)
    # jaw / chin pointing forward
    d.polygon([(hx, hy + r * 0.2), (hx + r * 1.15, hy + r * 0.35), (hx + r * 0.6, hy + r * 1.0), (hx - r * 0.2, hy + r * 0.9)], fill=255)

    helmet = Image.new("L", size, 0)
    dh = ImageDraw.Draw(helmet)
    hr = r * 1.28
    dh.pieslice([hx - hr, hy - hr * 1.02 - r * 0.12, hx + hr, hy + hr * 1.02 - r * 0.12], 180, 360, fill=255)
    dh.polygon([(hx - hr * 1.2, hy - r * 0.12), (hx + hr * 1.25, hy - r * 0.18),
                (hx + hr * 1.2, hy + r * 0.1), (hx - hr * 1.15, hy + r * 0.1)], fill=255)

    # detail strokes: (kind, geometry)
    details = []
    details.append(("strap", [P("chest", -0.06, -0.005), P("hip", 0.065, -0.01)], S(0.028)))
    details.append(("belt", [P("waist", -0.05, 0.045), P("waist", 0.05, 0.04)], S(0.024)))
    details.append(("rose", (hx + r * 1.05, hy + r * 0.55), r * 0.42))
    return body, helmet, details


def draw_dancer(base, origin, height, seed, rim=(255, 60, 210), rim2=(60, 220, 255), foil_cell=None):
    """Composite the tin foil commando onto base."""
    size = base.size
    body, helmet, details = dancer_masks(size, origin, height)
    sil = ImageChops.lighter(body, helmet)
    o = max(2, int(height * 0.012))
    outline = sil.filter(ImageFilter.MaxFilter(o * 2 + 1))
    base = add_light(base, glow(outline, rim, height * 0.05, 1.1))
    base = over(base, fill_layer(outline, (12, 6, 28)))
    foil = foil_texture(size, foil_cell or max(5, int(height * 0.035)), seed)
    base = over(base, fill_layer(body, foil))
    helm = foil_texture(size, max(4, int(height * 0.022)), seed + 7, bright=1.15)
    base = over(base, fill_layer(helmet, helm))
    # rim light: pink from the left/back, cyan from the right/front
    left = ImageChops.subtract(sil, ImageChops.offset(sil, o + 1, 0))
    right = ImageChops.subtract(sil, ImageChops.offset(sil, -(o + 1), 0))
    base = add_light(base, fill_layer(left.filter(ImageFilter.GaussianBlur(1)), rim))
    base = add_light(base, fill_layer(right.filter(ImageFilter.GaussianBlur(1)), rim2))
    d = ImageDraw.Draw(base)
    for kind, geom, wdt in details:
        if kind in ("strap", "belt"):
            d.line(geom, fill=(40, 30, 45), width=max(1, int(wdt)))
            if kind == "strap":  # bullet loops along the bandolier
                (x0, y0), (x1, y1) = geom
                for k in range(1, 7):
                    t = k / 7.0
                    x, y = x0 + (x1 - x0) * t, y0 + (y1 - y0) * t
                    q = wdt * 0.28
                    d.rectangle([x - q, y - q, x + q, y + q], fill=(215, 170, 60))
            else:
                (x0, y0), (x1, y1) = geom
                mx, my = (x0 + x1) / 2, (y0 + y1) / 2
                q = wdt * 0.45
                d.rectangle([mx - q, my - q, mx + q, my + q], fill=(230, 200, 90))
        elif kind == "rose":
            (x, y), rr = geom, wdt
            d.line([(x - rr * 1.6, y + rr * 0.2), (x, y)], fill=(30, 150, 60), width=max(1, int(rr * 0.35)))
            d.polygon([(x - rr * 1.0, y + rr * 0.1), (x - rr * 0.6, y - rr * 0.5), (x - rr * 0.3, y + rr * 0.2)], fill=(40, 170, 70))
            d.ellipse([x - rr, y - rr, x + rr, y + rr], fill=(200, 10, 50))
            d.ellipse([x - rr * 0.55, y - rr * 0.6, x + rr * 0.45, y + rr * 0.35], fill=(255, 50, 90))
            d.arc([x - rr * 0.6, y - rr * 0.6, x + rr * 0.6, y + rr * 0.6], 200, 470, fill=(120, 0, 30), width=max(1, int(rr * 0.18)))
    return base


# ---------------------------------------------------------------------------
# Scenes
# ---------------------------------------------------------------------------

F_BOLD_COND = "DejaVuSansCondensed-Bold.ttf"
F_BOLD = "DejaVuSans-Bold.ttf"
F_SERIF_BI = "DejaVuSerif-BoldItalic.ttf"
F_SERIF_COND_BI = "DejaVuSerifCondensed-BoldItalic.ttf"
PINK = (255, 45, 190)
CYAN_NEON = (40, 230, 255)
NIGHT = [(0.0, (6, 4, 22)), (0.45, (30, 10, 70)), (0.78, (95, 20, 110)), (1.0, (190, 40, 120))]


def title_logo(base, centre_x, top, width, seed, tango_colour=PINK):
    """TINFOIL in foil letters, TANGO as a neon sign beneath, scaled to width."""
    w, h = base.size
    f1 = font(F_BOLD_COND, 100)
    tw = f1.getbbox("TINFOIL")[2]
    s1 = int(100 * width / tw)
    f1 = font(F_BOLD_COND, s1)
    base = foil_text(base, "TINFOIL", f1, (centre_x, top + s1 * 0.45), seed, shear=0.2,
                     outline=max(2, s1 // 22), glow_radius=max(3, s1 // 8))
    f2 = font(F_SERIF_BI, 100)
    tw2 = f2.getbbox("TANGO")[2]
    s2 = int(100 * width * 0.86 / tw2)
    f2 = font(F_SERIF_BI, s2)
    base = neon_text(base, "TANGO", f2, (centre_x + width * 0.03, top + s1 * 0.9 + s2 * 0.5), tango_colour,
                     shear=0.0, radius=max(3, s2 // 10))
    return base, top + s1 * 0.9 + s2


def night_city(size, seed, horizon_frac=0.83, skyline_scale=1.0, star_count=120):
    w, h = size
    base = gradient(size, NIGHT).convert("RGBA")
    base = stars(base, star_count, seed, (0, 0, w, h * 0.6))
    horizon = int(h * horizon_frac)
    far = skyline(size, horizon, seed + 1, body=(40, 14, 70), windows=((140, 90, 160),), scale=skyline_scale * 0.8,
                  max_h=h * 0.28)
    base = Image.alpha_composite(base, far)
    near = skyline(size, horizon + int(h * 0.04), seed + 2, scale=skyline_scale, max_h=h * 0.22)
    base = Image.alpha_composite(base, near)
    return base


def page_general(S=2):
    size = (200 * S, 240 * S)
    w, h = size
    base = night_city(size, 107, skyline_scale=S * 0.7, star_count=60)
    base = add_light(base, spotlights(size, [((w * 0.1, h), -62, 9, h * 1.1, (255, 80, 220), 110),
                                             ((w * 0.9, h), -118, 9, h * 1.1, (80, 220, 255), 110)], 6 * S))
    base = explosion(base, (w * 0.74, h * 0.50), 40 * S, 9, sparks=18)
    base = draw_dancer(base, (w * 0.47, h * 0.40), h * 0.56, 11)
    base, _ = title_logo(base, w * 0.5, 8 * S, w * 0.9, 21)
    return base.convert("RGB").resize((200, 240), LANCZOS)


def title_screen(S=2):
    """640x480 title picture for the CD: logo, dancer, city, fading to black at the edges."""
    size = (640 * S, 480 * S)
    w, h = size
    base = night_city(size, 640, horizon_frac=0.86, skyline_scale=S * 1.1, star_count=220)
    base = add_light(base, spotlights(size, [((w * 0.2, h), -70, 7, h * 1.2, (255, 80, 220), 120),
                                             ((w * 0.8, h), -110, 7, h * 1.2, (80, 220, 255), 120),
                                             ((w * 0.5, h), -90, 5, h * 1.0, (255, 230, 160), 60)], 8 * S))
    base = add_light(base, glow(starburst(size, (w * 0.5, h * 0.27), 260 * S, 120 * S, 16, 31), (255, 40, 160), 40 * S, 0.5))
    floor_top = int(h * 0.84)
    base = Image.alpha_composite(base, dance_floor(size, floor_top))
    base = add_light(base, glow(radial(size, (w * 0.5, h * 0.9), (w * 0.22, h * 0.05), 255, 0, 0.7), (255, 120, 230), 6 * S, 0.7))
    base, bottom = title_logo(base, w * 0.5, 40 * S, w * 0.74, 41)
    dh = h * 0.895 - bottom - 6 * S
    base = explosion(base, (w * 0.5 + dh * 0.42, bottom + dh * 0.12), 34 * S, 33, sparks=22)
    base = draw_dancer(base, (w * 0.5, bottom + 6 * S), dh, 45)
    vig = vignette(size, margin=0.30)
    black = Image.new("RGB", size, (0, 0, 0))
    out = Image.composite(base.convert("RGB"), black, vig)
    f = font(F_BOLD, 12 * S)
    m = text_mask("V O R N H O L L O W   E N T E R T A I N M E N T", f, size, (w * 0.5, h * 0.94))
    out = add_light(out, glow(m, (110, 50, 190), 5 * S, 1.2))
    out = over(out, fill_layer(m, (215, 218, 235))).convert("RGB")
    out = out.resize((640, 480), LANCZOS)
    # make sure the outermost pixels are exactly black
    ImageDraw.Draw(out).rectangle([0, 0, 639, 479], outline=(0, 0, 0), width=2)
    return out


def iridescent_disc(base, centre, radius, seed, label=None):
    """A compact disc seen face-on: rainbow sheen on silver, glare wedges, clear hub, hole."""
    w, h = base.size
    cx, cy = centre
    R = int(radius)
    box = (int(cx - R), int(cy - R))
    disc = Image.new("RGBA", (2 * R, 2 * R), (0, 0, 0, 0))
    px = disc.load()
    for y in range(2 * R):
        for x in range(2 * R):
            dx, dy = x + 0.5 - R, y + 0.5 - R
            r = math.hypot(dx, dy) / R
            if r > 1.0:
                continue
            a = math.atan2(dy, dx)
            if r < 0.13:
                continue  # the hole
            if r < 0.36:  # clear polycarbonate hub with a stacking ring
                v = 150 + 40 * math.cos(a * 2 - 0.6)
                if 0.30 < r < 0.33:
                    v -= 40
                px[x, y] = (int(v * 0.9), int(v * 0.93), int(v), 255)
                continue
            silver = 160 + 70 * math.cos(2 * a - 0.8)
            hue = (2 * a / (2 * math.pi) + r * 0.35) % 1.0
            rr = 0.5 + 0.5 * math.cos(2 * math.pi * hue)
            gg = 0.5 + 0.5 * math.cos(2 * math.pi * (hue - 1 / 3))
            bb = 0.5 + 0.5 * math.cos(2 * math.pi * (hue - 2 / 3))
            k = 0.45 * (0.5 + 0.5 * math.cos(2 * a + 1.2))
            col = [silver * (1 - k) + 255 * c * k for c in (rr, gg, bb)]
            # glare: two bright opposite wedges
            g = max(0.0, math.cos(2 * (a + 0.8))) ** 18
            col = [c + (255 - c) * g * 0.9 for c in col]
            if r > 0.97:
                col = [c * 0.7 for c in col]
            px[x, y] = tuple(max(0, min(255, int(c))) for c in col) + (255,)
    shadow = Image.new("L", base.size, 0)
    ImageDraw.Draw(shadow).ellipse([cx - R + R * 0.06, cy - R + R * 0.08, cx + R + R * 0.06, cy + R + R * 0.08], fill=200)
    base = over(base, fill_layer(shadow.filter(ImageFilter.GaussianBlur(R * 0.05)), (0, 0, 0)))
    base = over(base, disc, box)
    return base


def music_note(size, pos, height, kind, tilt=0.0):
    """'L' mask of a note: kind 'eighth' (flag) or 'pair' (two beamed eighths)."""
    m = Image.new("L", size, 0)
    d = ImageDraw.Draw(m)
    x, y = pos
    hw, hh = height * 0.2, height * 0.14
    stem = max(2, int(height * 0.06))

    def head(hx, hy):
        pts = []
        for i in range(24):
            t = 2 * math.pi * i / 24
            ex, ey = hw * math.cos(t), hh * math.sin(t)
            c, s = math.cos(-0.45), math.sin(-0.45)
            pts.append((hx + ex * c - ey * s, hy + ex * s + ey * c))
        d.polygon(pts, fill=255)

    if kind == "eighth":
        head(x, y)
        sx = x + hw * 0.85
        d.rectangle([sx - stem, y - height, sx, y - hh * 0.3], fill=255)
        d.polygon([(sx - stem, y - height), (sx + height * 0.32, y - height * 0.62), (sx + height * 0.24, y - height * 0.4),
                   (sx - stem * 0.5, y - height * 0.68)], fill=255)
    else:
        gap = height * 0.62
        for k, dy in ((0, 0.0), (1, -height * 0.16)):
            head(x + k * gap, y + dy)
            sx = x + k * gap + hw * 0.85
            d.rectangle([sx - stem, y + dy - height, sx, y + dy - hh * 0.3], fill=255)
        d.polygon([(x + hw * 0.85 - stem, y - height), (x + gap + hw * 0.85, y - height * 1.16),
                   (x + gap + hw * 0.85, y - height * 1.16 + height * 0.2), (x + hw * 0.85 - stem, y - height + height * 0.2)], fill=255)
    if tilt:
        m = m.rotate(tilt, resample=Image.Resampling.BICUBIC, center=pos)
    return m


def page_cd(S=2):
    size = (200 * S, 240 * S)
    w, h = size
    base = gradient(size, [(0.0, (8, 4, 30)), (0.6, (45, 12, 80)), (1.0, (100, 20, 100))]).convert("RGBA")
    base = stars(base, 50, 108, (0, 0, w, h))
    base = add_light(base, glow(radial(size, (w * 0.45, h * 0.62), w * 0.55, 255, 0, 1.0), (255, 50, 200), 10 * S, 0.6))
    base = Image.alpha_composite(base, dance_floor(size, int(h * 0.86), lines=8, rows=4))
    base = iridescent_disc(base, (w * 0.44, h * 0.62), 70 * S, 5)
    notes = [((w * 0.16, h * 0.30), 34, "eighth", CYAN_NEON, 8), ((w * 0.42, h * 0.20), 40, "pair", PINK, -6),
             ((w * 0.76, h * 0.28), 44, "eighth", (255, 220, 60), -12), ((w * 0.80, h * 0.52), 30, "pair", CYAN_NEON, 10),
             ((w * 0.86, h * 0.80), 26, "eighth", PINK, -4)]
    for pos, ht, kind, col, tilt in notes:
        m = music_note(size, pos, ht * S, kind, tilt)
        base = add_light(base, glow(m, col, 6 * S, 1.3, grow=S))
        base = over(base, fill_layer(m, lerp(col, (255, 255, 255), 0.35)))
    base = twinkle(base, (w * 0.28, h * 0.48), 9 * S)
    base = twinkle(base, (w * 0.63, h * 0.78), 6 * S)
    return base.convert("RGB").resize((200, 240), LANCZOS)


def speaker(base, box, seed):
    """A loudspeaker cabinet with a foil dust cap on the woofer."""
    x0, y0, x1, y1 = box
    bw, bh = x1 - x0, y1 - y0
    d = ImageDraw.Draw(base)
    d.rounded_rectangle([x0 + bw * 0.04, y0 + bh * 0.03, x1 + bw * 0.04, y1 + bh * 0.03], radius=bw * 0.08, fill=(0, 0, 0, 255))
    cab = gradient((int(bw), int(bh)), [(0.0, (70, 45, 95)), (1.0, (25, 15, 40))], horizontal=True)
    cm = Image.new("L", cab.size, 0)
    ImageDraw.Draw(cm).rounded_rectangle([0, 0, bw - 1, bh - 1], radius=bw * 0.08, fill=255)
    base = over(base, fill_layer(cm, cab), (int(x0), int(y0)))
    d = ImageDraw.Draw(base)
    d.rounded_rectangle([x0, y0, x1, y1], radius=bw * 0.08, outline=(150, 110, 190), width=max(1, int(bw * 0.012)))
    for (cx, cy, r, cap) in ((x0 + bw / 2, y0 + bh * 0.7, bw * 0.38, 0.32), (x0 + bw / 2, y0 + bh * 0.24, bw * 0.17, 0.62)):
        d.ellipse([cx - r * 1.08, cy - r * 1.08, cx + r * 1.08, cy + r * 1.08], fill=(15, 10, 25))
        d.ellipse([cx - r, cy - r, cx + r, cy + r], fill=(45, 40, 55))
        cone = radial(base.size, (cx - r * 0.2, cy - r * 0.25), r * 1.1, 150, 20, 1.0)
        m = Image.new("L", base.size, 0)
        ImageDraw.Draw(m).ellipse([cx - r * 0.86, cy - r * 0.86, cx + r * 0.86, cy + r * 0.86], fill=255)
        base = over(base, fill_layer(m, Image.merge("RGB", (cone, cone.point(lambda v: int(v * 0.9)), cone.point(lambda v: min(255, int(v * 1.15)))))))
        d = ImageDraw.Draw(base)
        d.ellipse([cx - r * 0.86, cy - r * 0.86, cx + r * 0.86, cy + r * 0.86], outline=(20, 15, 30), width=max(1, int(r * 0.05)))
        m = Image.new("L", base.size, 0)
        ImageDraw.Draw(m).ellipse([cx - r * cap, cy - r * cap, cx + r * cap, cy + r * cap], fill=255)
        base = over(base, fill_layer(m, foil_texture(base.size, max(4, int(r * 0.14)), seed + int(r), bright=1.1)))
        d = ImageDraw.Draw(base)
        d.ellipse([cx - r * cap, cy - r * cap, cx + r * cap, cy + r * cap], outline=(20, 15, 30), width=max(1, int(r * 0.03)))
    return base


def sound_card(size, scale):
    """RGBA picture of an ISA sound card: green board, chips, gold edge fingers, jack bracket."""
    S = scale
    w, h = int(150 * S), int(62 * S)
    card = Image.new("RGBA", (w + int(14 * S), h), (0, 0, 0, 0))
    d = ImageDraw.Draw(card)
    d.polygon([(0, 0), (w, 0), (w, h - 10 * S), (w * 0.78, h - 10 * S), (w * 0.78, h), (w * 0.08, h), (w * 0.08, h - 10 * S), (0, h - 10 * S)],
              fill=(20, 110, 60, 255), outline=(120, 220, 150, 255))
    for k in range(int(w * 0.08 + 3 * S), int(w * 0.78 - 2 * S), int(4 * S)):  # gold edge fingers
        d.rectangle([k, h - 8 * S, k + 2 * S, h - 1], fill=(235, 190, 60, 255))
    # traces
    rnd = random.Random(7)
    for _ in range(18):
        y = rnd.uniform(6 * S, h - 14 * S)
        x0 = rnd.uniform(4 * S, w * 0.6)
        d.line([(x0, y), (x0 + rnd.uniform(10, 40) * S, y)], fill=(60, 170, 100, 255), width=max(1, int(S * 0.8)))
    for (cx, cy, cw, chh) in ((20, 16, 34, 22), (62, 12, 22, 14), (62, 32, 22, 12), (96, 18, 26, 20)):
        cx, cy, cw, chh = cx * S, cy * S, cw * S, chh * S
        for k in range(int(cx + 2 * S), int(cx + cw - S), int(3 * S)):
            d.rectangle([k, cy - 2 * S, k + S, cy + chh + 2 * S], fill=(200, 200, 210, 255))
        d.rectangle([cx, cy, cx + cw, cy + chh], fill=(25, 22, 30, 255))
        d.ellipse([cx + 2 * S, cy + 2 * S, cx + 4 * S, cy + 4 * S], fill=(90, 90, 100, 255))
    for (cx, cy) in ((40, 44), (48, 44), (84, 40), (126, 44)):  # capacitors
        d.ellipse([cx * S, cy * S, cx * S + 6 * S, cy * S + 6 * S], fill=(40, 60, 200, 255), outline=(180, 200, 255, 255))
    # bracket with jacks on the right
    d.rectangle([w, -1, w + 10 * S, h - 6 * S], fill=(200, 205, 215, 255), outline=(90, 90, 100, 255))
    for k, col in enumerate(((255, 90, 170), (90, 230, 120), (80, 170, 255), (250, 220, 60))):
        jy = 8 * S + k * 11 * S
        d.ellipse([w + 2 * S, jy, w + 8 * S, jy + 6 * S], fill=col + (255,), outline=(30, 30, 30, 255))
        d.ellipse([w + 4 * S, jy + 2 * S, w + 6 * S, jy + 4 * S], fill=(10, 10, 10, 255))
    return card


def page_sound(S=2):
    size = (200 * S, 240 * S)
    w, h = size
    base = gradient(size, [(0.0, (6, 4, 26)), (0.55, (35, 10, 70)), (1.0, (90, 20, 110))]).convert("RGBA")
    base = stars(base, 40, 109, (0, 0, w, h * 0.5))
    base = add_light(base, glow(radial(size, (w * 0.42, h * 0.38), w * 0.5, 255, 0, 1.0), (120, 60, 255), 10 * S, 0.6))
    # sound waves first so the cabinet overlaps their roots
    waves = Image.new("L", size, 0)
    d = ImageDraw.Draw(waves)
    cx, cy = w * 0.38, h * 0.42
    for r in (78, 97, 116):
        d.arc([cx - r * S, cy - r * S, cx + r * S, cy + r * S], -36, 36, fill=255, width=int(5 * S))
    base = add_light(base, glow(waves, CYAN_NEON, 6 * S, 1.4, grow=S))
    base = over(base, fill_layer(waves, (200, 250, 255)))
    waves = Image.new("L", size, 0)
    d = ImageDraw.Draw(waves)
    cx2, cy2 = w * 0.38, h * 0.20
    for r in (68, 84):
        d.arc([cx2 - r * S, cy2 - r * S, cx2 + r * S, cy2 + r * S], -28, 28, fill=255, width=int(4 * S))
    base = add_light(base, glow(waves, PINK, 5 * S, 1.4, grow=S))
    base = over(base, fill_layer(waves, (255, 200, 240)))
    base = speaker(base, (w * 0.12, h * 0.07, w * 0.64, h * 0.60), 3)
    base = Image.alpha_composite(base, dance_floor(size, int(h * 0.74), lines=8, rows=4))
    card = sound_card(size, S * 1.12).rotate(8, resample=Image.Resampling.BICUBIC, expand=True)
    sh = Image.new("RGBA", card.size, (0, 0, 0, 0))
    sh.putalpha(card.getchannel("A").filter(ImageFilter.GaussianBlur(4 * S)))
    base = over(base, sh, (int(w * 0.05), int(h * 0.66)))
    base = over(base, card, (int(w * 0.03), int(h * 0.63)))
    base = twinkle(base, (w * 0.83, h * 0.12), 8 * S)
    return base.convert("RGB").resize((200, 240), LANCZOS)


def checkered_flag(size, pole_base, pole_top, cols, rows, cell, phase, flip=False):
    """RGBA layer: a waving black and white flag on a silver pole."""
    layer = Image.new("RGBA", size, (0, 0, 0, 0))
    d = ImageDraw.Draw(layer)
    (bx, by), (tx, ty) = pole_base, pole_top
    d.line([pole_base, pole_top], fill=(40, 40, 50, 255), width=max(3, int(cell * 0.45)))
    d.line([pole_base, pole_top], fill=(210, 215, 230, 255), width=max(1, int(cell * 0.22)))
    d.ellipse([tx - cell * 0.4, ty - cell * 0.4, tx + cell * 0.4, ty + cell * 0.4], fill=(240, 200, 60, 255))
    sgn = -1 if flip else 1
    ux, uy = (tx - bx), (ty - by)
    L = math.hypot(ux, uy)
    ux, uy = ux / L, uy / L  # along the pole (upwards)
    vx, vy = -uy * sgn, ux * sgn  # away from the pole
    if vx * sgn < 0:
        vx, vy = -vx, -vy

    def pt(i, j):
        # i along the flag (away from the pole), j down the pole
        wave = math.sin(i * 0.9 + phase) * cell * 0.45
        droop = i * cell * 0.12
        x = tx + vx * i * cell - ux * (j * cell + droop) + (-ux) * wave
        y = ty + vy * i * cell - uy * (j * cell + droop) + (-uy) * wave
        return (x, y)

    for i in range(cols):
        for j in range(rows):
            shade = 0.75 + 0.25 * math.cos(i * 0.9 + phase)
            col = (240, 240, 245) if (i + j) % 2 == 0 else (20, 20, 28)
            col = tuple(int(c * shade) for c in col)
            d.polygon([pt(i, j), pt(i + 1, j), pt(i + 1, j + 1), pt(i, j + 1)], fill=col + (255,))
    edge = [pt(i, 0) for i in range(cols + 1)] + [pt(cols, j) for j in range(rows + 1)] + \
           [pt(i, rows) for i in range(cols, -1, -1)] + [pt(0, j) for j in range(rows, -1, -1)]
    d.line(edge, fill=(10, 10, 15, 255), width=max(1, int(cell * 0.12)))
    return layer


def trophy_mask(size, cx, top, hgt):
    """'L' masks (cup, handles) of a trophy cup."""
    W = hgt * 0.62
    cup = Image.new("L", size, 0)
    d = ImageDraw.Draw(cup)
    bowl_h = hgt * 0.5
    pts = []
    for i in range(21):
        t = i / 20.0
        x = -W / 2 + W * t
        y = top + bowl_h * (0.12 + 0.88 * (1 - (2 * t - 1) ** 2) ** 0.5)
        pts.append((cx + x * (1 - 0.25 * (y - top) / bowl_h), y))
    d.polygon([(cx - W / 2, top)] + pts + [(cx + W / 2, top)], fill=255)
    d.ellipse([cx - W / 2, top - hgt * 0.04, cx + W / 2, top + hgt * 0.06], fill=255)
    d.rectangle([cx - hgt * 0.045, top + bowl_h * 0.95, cx + hgt * 0.045, top + hgt * 0.76], fill=255)
    d.ellipse([cx - hgt * 0.1, top + hgt * 0.6, cx + hgt * 0.1, top + hgt * 0.7], fill=255)
    d.polygon([(cx - hgt * 0.07, top + hgt * 0.74), (cx + hgt * 0.07, top + hgt * 0.74),
               (cx + hgt * 0.2, top + hgt * 0.86), (cx - hgt * 0.2, top + hgt * 0.86)], fill=255)
    d.rectangle([cx - hgt * 0.27, top + hgt * 0.86, cx + hgt * 0.27, top + hgt], fill=255)
    handles = Image.new("L", size, 0)
    dh = ImageDraw.Draw(handles)
    lw = int(hgt * 0.055)
    for sgn in (-1, 1):
        hx = cx + sgn * W * 0.5
        dh.arc([hx - hgt * 0.14, top + hgt * 0.04, hx + hgt * 0.14, top + hgt * 0.34],
               90 if sgn < 0 else -90, 270 if sgn < 0 else 90, fill=255, width=lw)
    return cup, handles


def firework(base, centre, radius, colour, seed, rays=22):
    rnd = random.Random(seed)
    m = Image.new("L", base.size, 0)
    d = ImageDraw.Draw(m)
    cx, cy = centre
    for i in range(rays):
        a = 2 * math.pi * i / rays + rnd.uniform(-0.08, 0.08)
        rr = radius * rnd.uniform(0.75, 1.0)
        for k in range(1, 7):
            t = k / 6.0
            s = max(1.0, radius * 0.035 * (1.2 - t))
            x, y = cx + rr * t * math.cos(a), cy + rr * t * math.sin(a) + radius * 0.12 * t * t
            d.ellipse([x - s, y - s, x + s, y + s], fill=int(255 * (0.4 + 0.6 * t)))
    base = add_light(base, glow(m, colour, radius * 0.08, 1.5))
    return add_light(base, fill_layer(m, lerp(colour, (255, 255, 255), 0.5)))


def page_finished(S=2):
    size = (200 * S, 240 * S)
    w, h = size
    base = night_city(size, 110, horizon_frac=0.90, skyline_scale=S * 0.6, star_count=50)
    base = firework(base, (w * 0.50, h * 0.11), 38 * S, PINK, 1)
    base = firework(base, (w * 0.86, h * 0.50), 26 * S, CYAN_NEON, 2)
    base = firework(base, (w * 0.14, h * 0.56), 22 * S, (255, 210, 60), 3)
    # two flags at the top corners, flying in towards the cup
    base = Image.alpha_composite(base, checkered_flag(size, (w * 0.20, h * 0.98), (w * 0.08, h * 0.08), 5, 4, 10 * S, 0.3))
    base = Image.alpha_composite(base, checkered_flag(size, (w * 0.80, h * 0.98), (w * 0.92, h * 0.08), 5, 4, 10 * S, 1.9, flip=True))
    cx, top, th = w * 0.5, h * 0.34, h * 0.56
    cup, handles = trophy_mask(size, cx, top, th)
    sil = ImageChops.lighter(cup, handles)
    base = add_light(base, glow(sil, (255, 200, 80), 12 * S, 1.2, grow=2 * S))
    base = over(base, fill_layer(sil.filter(ImageFilter.MaxFilter(2 * S + 1)), (20, 10, 30)))
    foil = Image.blend(foil_texture(size, 7 * S, 17, warm=(255, 200, 80), cool=(255, 120, 220), bright=1.1),
                       chrome_gradient(size, int(top), int(top + th)), 0.3)
    base = over(base, fill_layer(sil, foil))
    # a gold star on the cup
    st = Image.new("L", size, 0)
    pts = []
    for i in range(10):
        a = -math.pi / 2 + math.pi * i / 5
        r = th * (0.11 if i % 2 == 0 else 0.045)
        pts.append((cx + r * math.cos(a), top + th * 0.22 + r * math.sin(a)))
    ImageDraw.Draw(st).polygon(pts, fill=255)
    base = over(base, fill_layer(st.filter(ImageFilter.MaxFilter(2 * S + 1)), (90, 40, 0)))
    base = over(base, fill_layer(st, (255, 215, 60)))
    rnd = random.Random(110)
    d = ImageDraw.Draw(base)
    for _ in range(40):  # confetti
        x, y = rnd.uniform(0, w), rnd.uniform(0, h * 0.8)
        col = rnd.choice((PINK, CYAN_NEON, (255, 220, 60), (120, 255, 120), (255, 255, 255)))
        a = rnd.uniform(0, math.pi)
        l = rnd.uniform(2, 4) * S
        d.line([(x, y), (x + l * math.cos(a), y + l * math.sin(a))], fill=col, width=int(1.5 * S))
    for p, r in (((w * 0.36, h * 0.40), 7 * S), ((w * 0.66, h * 0.55), 9 * S), ((w * 0.5, h * 0.31), 6 * S)):
        base = twinkle(base, p, r)
    return base.convert("RGB").resize((200, 240), LANCZOS)


# ---------------------------------------------------------------------------
# Icons: drawn pixel by pixel in the 16 VGA colours, 32x32 and 16x16
# ---------------------------------------------------------------------------

class Pix:
    """Tiny pixel canvas (RGBA, transparent) with helpers that take integer coordinates."""

    def __init__(self, size):
        self.size = size
        self.img = Image.new("RGBA", (size, size), (0, 0, 0, 0))
        self.d = ImageDraw.Draw(self.img)

    def px(self, pts, c):
        for x, y in pts:
            self.img.putpixel((x, y), c + (255,))

    def rect(self, box, fill=None, outline=None):
        self.d.rectangle(box, fill=fill + (255,) if fill else None, outline=outline + (255,) if outline else None)

    def ellipse(self, box, fill=None, outline=None):
        self.d.ellipse(box, fill=fill + (255,) if fill else None, outline=outline + (255,) if outline else None)

    def poly(self, pts, fill=None, outline=None):
        self.d.polygon(pts, fill=fill + (255,) if fill else None, outline=outline + (255,) if outline else None)

    def line(self, pts, c, width=1):
        self.d.line(pts, fill=c + (255,), width=width)

    def rows(self, x0, y0, art, colours):
        """Paint an ASCII pattern: each character maps to a colour, '.' is left alone."""
        for j, row in enumerate(art):
            for i, ch in enumerate(row):
                if ch != "." and ch != " ":
                    self.img.putpixel((x0 + i, y0 + j), colours[ch] + (255,))


def icon_game(n):
    """The tango commando: olive helmet, foil face, dark shades, a rose between the teeth."""
    p = Pix(n)
    if n == 32:
        p.ellipse([0, 0, 31, 31], fill=PURPLE, outline=MAGENTA)
        p.ellipse([2, 2, 29, 29], outline=MAGENTA)
        # shoulders and neck
        p.poly([(5, 31), (7, 27), (12, 25), (19, 25), (24, 27), (26, 31)], fill=SILVER, outline=BLACK)
        p.px([(9, 28), (10, 27), (22, 28), (21, 29)], WHITE)
        p.px([(14, 29), (18, 28)], GREY)
        # foil face
        p.poly([(9, 12), (22, 12), (23, 17), (22, 22), (19, 25), (12, 25), (9, 22), (8, 17)], fill=SILVER, outline=BLACK)
        p.px([(10, 18), (10, 19), (11, 20), (21, 19), (20, 21), (13, 24), (16, 20)], WHITE)
        p.px([(15, 19), (16, 19), (11, 22), (20, 23), (18, 20)], GREY)
        # shades
        p.rect([10, 15, 14, 17], fill=BLACK)
        p.rect([17, 15, 21, 17], fill=BLACK)
        p.line([(14, 15), (17, 15)], BLACK)
        p.px([(11, 15), (18, 15)], CYAN)
        # helmet
        p.d.pieslice([5, 2, 26, 22], 180, 360, fill=OLIVE + (255,), outline=BLACK + (255,))
        p.rect([4, 11, 27, 13], fill=OLIVE, outline=BLACK)
        p.line([(9, 7), (12, 4)], YELLOW)
        p.line([(8, 9), (8, 9)], YELLOW)
        p.px([(14, 7), (18, 5), (21, 8), (16, 10), (23, 9)], GREEN)
        # rose between the teeth
        p.line([(11, 22), (21, 21)], GREEN)
        p.px([(14, 23), (15, 23)], LIME)
        p.ellipse([21, 18, 27, 24], fill=RED, outline=MAROON)
        p.px([(23, 20), (24, 21), (25, 21), (24, 22)], MAROON)
        p.px([(22, 19)], WHITE)
    else:
        p.ellipse([0, 0, 15, 15], fill=PURPLE, outline=MAGENTA)
        p.poly([(3, 15), (5, 13), (10, 13), (12, 15)], fill=SILVER, outline=BLACK)
        p.poly([(4, 6), (11, 6), (11, 10), (9, 13), (6, 13), (4, 10)], fill=SILVER, outline=BLACK)
        p.rect([5, 8, 6, 8], fill=BLACK)
        p.rect([9, 8, 10, 8], fill=BLACK)
        p.px([(7, 8), (8, 8)], BLACK)
        p.px([(5, 10), (6, 11)], WHITE)
        p.d.pieslice([3, 1, 12, 11], 180, 360, fill=OLIVE + (255,), outline=BLACK + (255,))
        p.line([(2, 6), (13, 6)], BLACK)
        p.px([(5, 3), (6, 2)], YELLOW)
        p.line([(6, 11), (10, 11)], GREEN)
        p.rect([10, 10, 12, 12], fill=RED)
        p.px([(11, 11)], MAROON)
    return p.img


def icon_bin(n):
    """Uninstall: a tin wastebasket, lid tipped open, a crumpled foil ball dropping in."""
    p = Pix(n)
    if n == 32:
        p.poly([(7, 11), (24, 11), (22, 30), (9, 30)], fill=SILVER, outline=BLACK)
        for x in (11, 15, 19):
            p.line([(x, 13), (x + (1 if x > 15 else 0) - (1 if x < 15 else 0), 28)], GREY)
            p.line([(x + 1, 13), (x + 1, 28)], WHITE)
        p.line([(8, 12), (9, 28)], WHITE)
        p.rect([6, 10, 25, 12], fill=GREY, outline=BLACK)
        # lid, hinged open on the right
        p.poly([(13, 2), (27, 7), (26, 9), (12, 4)], fill=SILVER, outline=BLACK)
        p.rect([18, 2, 21, 4], fill=GREY, outline=BLACK)
        # foil ball
        p.ellipse([3, 1, 11, 9], fill=SILVER, outline=BLACK)
        p.px([(5, 3), (6, 3), (5, 4), (8, 6), (7, 5)], WHITE)
        p.px([(9, 4), (6, 7), (8, 3), (4, 6)], GREY)
        p.px([(10, 1), (12, 0), (1, 3), (0, 1)], YELLOW)
        p.line([(9, 10), (10, 11)], BLACK)
    else:
        p.poly([(3, 6), (12, 6), (11, 15), (4, 15)], fill=SILVER, outline=BLACK)
        p.line([(6, 8), (6, 13)], GREY)
        p.line([(9, 8), (9, 13)], GREY)
        p.line([(4, 7), (5, 14)], WHITE)
        p.rect([2, 5, 13, 6], fill=GREY, outline=BLACK)
        p.poly([(7, 1), (14, 3), (13, 4), (6, 2)], fill=SILVER, outline=BLACK)
        p.ellipse([1, 0, 5, 4], fill=SILVER, outline=BLACK)
        p.px([(2, 1)], WHITE)
    return p.img


def icon_info(n):
    """System information: a chip with a blue 'i' badge."""
    p = Pix(n)
    if n == 32:
        for k in range(8, 25, 3):
            p.rect([k, 3, k + 1, 6], fill=SILVER)
            p.rect([k, 25, k + 1, 28], fill=SILVER)
            p.rect([3, k, 6, k + 1], fill=SILVER)
            p.rect([25, k, 28, k + 1], fill=SILVER)
        p.rect([6, 6, 25, 25], fill=GREY, outline=BLACK)
        p.rect([8, 8, 23, 23], fill=BLACK)
        p.line([(8, 8), (23, 8)], GREY)
        p.ellipse([10, 10, 21, 21], fill=BLUE, outline=WHITE)
        p.rect([15, 12, 16, 13], fill=WHITE)
        p.rect([15, 15, 16, 19], fill=WHITE)
        p.px([(14, 15), (14, 19), (17, 19)], WHITE)
        p.px([(9, 9)], SILVER)
    else:
        for k in (4, 7, 10):
            p.rect([k, 1, k, 2], fill=SILVER)
            p.rect([k, 13, k, 14], fill=SILVER)
            p.rect([1, k, 2, k], fill=SILVER)
            p.rect([13, k, 14, k], fill=SILVER)
        p.rect([3, 3, 12, 12], fill=BLACK, outline=GREY)
        p.ellipse([4, 4, 11, 11], fill=BLUE)
        p.px([(7, 5), (8, 5)], WHITE)
        p.rect([7, 7, 8, 10], fill=WHITE)
    return p.img


def icon_readme(n):
    """Latest information: a page of text with a folded corner and a 'new' star."""
    p = Pix(n)
    if n == 32:
        p.poly([(5, 1), (20, 1), (26, 7), (26, 30), (5, 30)], fill=WHITE, outline=BLACK)
        p.poly([(20, 1), (20, 7), (26, 7)], fill=SILVER, outline=BLACK)
        for y in range(10, 28, 3):
            x1 = 23 if y % 2 else 19
            p.line([(8, y), (x1, y)], NAVY if y < 16 else GREY)
        p.line([(8, 4), (16, 4)], RED)
        # star badge
        pts = []
        for i in range(10):
            a = -math.pi / 2 + math.pi * i / 5
            r = 8.5 if i % 2 == 0 else 4
            pts.append((22 + r * math.cos(a), 23.5 + r * math.sin(a)))
        p.poly(pts, fill=YELLOW, outline=MAROON)
        p.px([(22, 22), (21, 23)], WHITE)
    else:
        p.poly([(2, 0), (10, 0), (13, 3), (13, 15), (2, 15)], fill=WHITE, outline=BLACK)
        p.poly([(10, 0), (10, 3), (13, 3)], fill=SILVER, outline=BLACK)
        p.line([(4, 2), (8, 2)], RED)
        for y in (5, 7, 9):
            p.line([(4, y), (11, y)], NAVY)
        p.poly([(11, 8), (12, 10), (15, 11), (12, 12), (11, 15), (10, 12), (7, 11), (10, 10)], fill=YELLOW, outline=MAROON)
    return p.img


def icon_setup(n):
    """The installer: a shiny CD with a red arrow pointing down into the machine."""
    p = Pix(n)
    if n == 32:
        p.ellipse([1, 1, 28, 28], fill=SILVER, outline=BLACK)
        p.d.pieslice([3, 3, 26, 26], 200, 250, fill=CYAN + (255,))
        p.d.pieslice([3, 3, 26, 26], 250, 280, fill=WHITE + (255,))
        p.d.pieslice([3, 3, 26, 26], 20, 70, fill=MAGENTA + (255,))
        p.d.pieslice([3, 3, 26, 26], 70, 100, fill=YELLOW + (255,))
        p.ellipse([9, 9, 20, 20], fill=GREY, outline=BLACK)
        p.ellipse([12, 12, 17, 17], fill=BLACK)
        p.px([(14, 14)], GREY)
        # arrow
        p.poly([(21, 14), (27, 14), (27, 22), (31, 22), (24, 30), (17, 22), (21, 22)], fill=RED, outline=BLACK)
        p.line([(22, 15), (22, 22)], YELLOW)
    else:
        p.ellipse([0, 0, 13, 13], fill=SILVER, outline=BLACK)
        p.px([(4, 3), (3, 4), (9, 10), (10, 9)], CYAN)
        p.px([(9, 3), (10, 4), (3, 9), (4, 10)], MAGENTA)
        p.ellipse([5, 5, 8, 8], fill=BLACK)
        p.poly([(10, 8), (13, 8), (13, 11), (15, 11), (11, 15), (8, 11), (10, 11)], fill=RED, outline=BLACK)
    return p.img


def icon_vidcheck(n):
    """Vidcheck: a monitor showing colour bars."""
    p = Pix(n)
    if n == 32:
        p.rect([1, 2, 30, 23], fill=SILVER, outline=BLACK)
        p.line([(2, 3), (29, 3)], WHITE)
        p.line([(2, 3), (2, 22)], WHITE)
        p.rect([4, 5, 27, 20], fill=BLACK)
        bars = [WHITE, YELLOW, CYAN, LIME, MAGENTA, RED, BLUE, BLACK]
        for i, c in enumerate(bars):
            p.rect([5 + i * 3, 6, 7 + i * 3, 15], fill=c)
        for i, c in enumerate([BLUE, BLACK, MAGENTA, BLACK, CYAN, BLACK, WHITE, BLACK]):
            p.rect([5 + i * 3, 16, 7 + i * 3, 19], fill=c)
        p.px([(27, 22), (26, 22)], LIME)
        p.poly([(11, 24), (20, 24), (23, 29), (8, 29)], fill=GREY, outline=BLACK)
        p.line([(9, 28), (22, 28)], SILVER)
    else:
        p.rect([0, 1, 15, 12], fill=SILVER, outline=BLACK)
        p.rect([2, 3, 13, 10], fill=BLACK)
        for i, c in enumerate([WHITE, YELLOW, CYAN, LIME, MAGENTA, RED]):
            p.rect([2 + i * 2, 3, 3 + i * 2, 9], fill=c)
        p.poly([(5, 13), (10, 13), (12, 15), (3, 15)], fill=GREY, outline=BLACK)
    return p.img


def icon_to_entries(draw):
    """ICO entries (32 then 16) from a drawing function: VGA indices + AND mask."""
    entries = []
    for n in (32, 16):
        img = draw(n)
        idx, mask = [], []
        for r, g, b, a in img.getdata():
            if a < 128:
                idx.append(0)
                mask.append(1)
            else:
                idx.append(nearest((r, g, b), VGA))
                mask.append(0)
        entries.append((n, idx, mask))
    return entries


def page_group(S=2):
    """Program group: an open folder with the game's icons flying out of it."""
    size = (200 * S, 240 * S)
    w, h = size
    base = gradient(size, [(0.0, (8, 4, 30)), (0.6, (40, 12, 80)), (1.0, (95, 20, 105))]).convert("RGBA")
    base = stars(base, 50, 111, (0, 0, w, h))
    base = Image.alpha_composite(base, dance_floor(size, int(h * 0.86), lines=8, rows=4))
    base = add_light(base, glow(radial(size, (w * 0.5, h * 0.58), (w * 0.45, h * 0.3), 255, 0, 1.0), (255, 200, 80), 10 * S, 0.55))
    # trails from the folder mouth to where the icons will sit
    trails = Image.new("L", size, 0)
    d = ImageDraw.Draw(trails)
    for (ex, ey) in ((0.22, 0.36), (0.5, 0.20), (0.78, 0.36)):
        x0, y0 = w * 0.5, h * 0.62
        x1, y1 = w * ex, h * ey
        for k in range(14):
            t = k / 13.0
            x = x0 + (x1 - x0) * t + math.sin(t * math.pi) * (x1 - x0) * 0.25
            y = y0 + (y1 - y0) * t
            r = (1 + 2.5 * t) * S
            d.ellipse([x - r, y - r, x + r, y + r], fill=int(120 + 135 * t))
    base = add_light(base, glow(trails, (255, 120, 230), 3 * S, 1.2))
    base = add_light(base, fill_layer(trails, (255, 230, 250)))
    # folder: back panel with tab
    x0, x1, y0, y1 = w * 0.12, w * 0.88, h * 0.56, h * 0.92
    d = ImageDraw.Draw(base)
    d.polygon([(x0, y0), (x0 + w * 0.05, y0 - h * 0.04), (x0 + w * 0.28, y0 - h * 0.04), (x0 + w * 0.32, y0), (x1, y0), (x1, y1), (x0, y1)],
              fill=(190, 140, 20), outline=(60, 35, 0))
    d.rectangle([x0 + w * 0.04, y0 + h * 0.01, x1 - w * 0.04, y0 + h * 0.05], fill=(250, 250, 240), outline=(120, 110, 90))
    front = gradient(size, [(0.0, (255, 240, 140)), (0.62, (255, 230, 110)), (1.0, (215, 160, 30))])
    fm = Image.new("L", size, 0)
    ImageDraw.Draw(fm).polygon([(x0 - w * 0.06, y0 + h * 0.09), (x1 + w * 0.06, y0 + h * 0.09), (x1, y1), (x0, y1)], fill=255)
    base = over(base, fill_layer(fm.filter(ImageFilter.MaxFilter(2 * S + 1)), (60, 35, 0)))
    base = over(base, fill_layer(fm, front))
    d = ImageDraw.Draw(base)
    d.line([(x0 - w * 0.05, y0 + h * 0.095), (x1 + w * 0.05, y0 + h * 0.095)], fill=(255, 255, 220), width=S)
    img = base.convert("RGB").resize((200, 240), LANCZOS).convert("RGBA")
    # the icons themselves, at 2x their pixel size
    for draw, (cx, cy) in ((icon_info, (0.22, 0.36)), (icon_readme, (0.78, 0.36)), (icon_game, (0.5, 0.20))):
        ic = draw(32).resize((64, 64), Image.Resampling.NEAREST)
        px, py = int(200 * cx) - 32, int(240 * cy) - 32
        halo = Image.new("L", (200, 240), 0)
        ImageDraw.Draw(halo).ellipse([px + 4, py + 4, px + 60, py + 60], fill=255)
        img = add_light(img, glow(halo, (255, 150, 230), 8, 0.8))
        img = over(img, ic, (px, py))
    img = twinkle(img, (36, 30), 6)
    img = twinkle(img, (170, 118), 5)
    return img.convert("RGB")


def disco_ball(base, centre, radius, seed, rings=9, spin=0.2):
    """A mirror ball: lat/long grid of square mirrors, lit from the upper left, some catching neon."""
    rnd = random.Random(seed)
    cx, cy = centre
    layer = Image.new("RGBA", base.size, (0, 0, 0, 0))
    d = ImageDraw.Draw(layer)
    tilt = 0.25
    lx, ly, lz = -0.5, -0.6, 0.62

    def proj(lat, lon):
        x, y, z = math.cos(lat) * math.sin(lon), math.sin(lat), math.cos(lat) * math.cos(lon)
        y, z = y * math.cos(tilt) - z * math.sin(tilt), y * math.sin(tilt) + z * math.cos(tilt)
        return x, y, z

    for i in range(-rings, rings):
        lat0, lat1 = math.pi / 2 * i / rings, math.pi / 2 * (i + 1) / rings
        n = max(4, int(4 * rings * math.cos((lat0 + lat1) / 2)))
        for j in range(n):
            lon0 = 2 * math.pi * j / n + spin
            lon1 = 2 * math.pi * (j + 1) / n + spin
            corners = [proj(lat0, lon0), proj(lat0, lon1), proj(lat1, lon1), proj(lat1, lon0)]
            mx, my, mz = [sum(c[k] for c in corners) / 4 for k in range(3)]
            if mz <= 0.02:
                continue
            diff = max(0.0, mx * lx + my * ly + mz * lz)
            v = 40 + 170 * diff * rnd.uniform(0.7, 1.1)
            col = (v * 0.95, v * 0.97, v * 1.05)
            roll = rnd.random()
            if roll < 0.05:
                col = PINK
            elif roll < 0.10:
                col = CYAN_NEON
            elif roll < 0.15 or diff > 0.93:
                col = (255, 255, 255)
            col = tuple(max(0, min(255, int(c))) for c in col)
            pts = [(cx + c[0] * radius, cy + c[1] * radius) for c in corners]
            d.polygon(pts, fill=col + (255,), outline=(20, 15, 35, 255))
    mask = Image.new("L", base.size, 0)
    ImageDraw.Draw(mask).ellipse([cx - radius, cy - radius, cx + radius, cy + radius], fill=255)
    layer.putalpha(ImageChops.multiply(layer.getchannel("A"), mask))
    base = add_light(base, glow(mask, (200, 160, 255), radius * 0.3, 0.8))
    base = over(base, layer)
    dd = ImageDraw.Draw(base)
    dd.ellipse([cx - radius, cy - radius, cx + radius, cy + radius], outline=(25, 20, 40), width=max(1, int(radius * 0.03)))
    base = twinkle(base, (cx - radius * 0.35, cy - radius * 0.4), radius * 0.45)
    return base


def vidcheck_logo(S=2):
    """640x480 display-test screen: mirror ball, logo, neon dance floor, colour bars."""
    size = (640 * S, 480 * S)
    w, h = size
    horizon = int(h * 0.70)
    base = gradient(size, [(0.0, (0, 0, 8)), (0.5, (15, 6, 45)), (0.70, (120, 25, 120)), (1.0, (20, 5, 30))]).convert("RGBA")
    base = stars(base, 160, 12, (0, 0, w, horizon))
    # light spots thrown by the ball
    rnd = random.Random(13)
    spots = Image.new("RGBA", size, (0, 0, 0, 0))
    sd = ImageDraw.Draw(spots)
    for _ in range(70):
        x, y = rnd.uniform(0, w), rnd.uniform(0, horizon)
        r = rnd.uniform(2, 5) * S
        col = rnd.choice((PINK, CYAN_NEON, (255, 255, 255), (255, 220, 90)))
        sd.ellipse([x - r, y - r * 0.7, x + r, y + r * 0.7], fill=col + (int(rnd.uniform(60, 160)),))
    base = Image.alpha_composite(base, spots.filter(ImageFilter.GaussianBlur(S)))
    ball = (w * 0.5, h * 0.13)
    base = add_light(base, spotlights(size, [(ball, a, 4, h * 0.9, c, 70) for a, c in
                                             ((35, PINK), (70, CYAN_NEON), (110, (255, 230, 150)), (145, PINK), (160, CYAN_NEON), (20, (255, 230, 150)))], 4 * S))
    base = Image.alpha_composite(base, dance_floor(size, horizon, lines=16, rows=8))
    d = ImageDraw.Draw(base)
    d.line([(ball[0], 0), (ball[0], ball[1] - 40 * S)], fill=(150, 150, 170), width=2 * S)
    base = disco_ball(base, ball, 42 * S, 5)
    # logo on one line, TANGO in cyan this time
    f1 = font(F_BOLD_COND, 100)
    f2 = font(F_SERIF_BI, 100)
    s1 = int(100 * w * 0.47 / f1.getbbox("TINFOIL")[2])
    s2 = int(100 * w * 0.36 / f2.getbbox("TANGO")[2])
    f1, f2 = font(F_BOLD_COND, s1), font(F_SERIF_BI, s2)
    y = h * 0.44
    base = foil_text(base, "TINFOIL", f1, (w * 0.28, y), 61, shear=0.2, outline=max(2, s1 // 22), glow_radius=s1 // 8,
                     glow_colour=(60, 200, 255))
    base = neon_text(base, "TANGO", f2, (w * 0.755, y + s1 * 0.04), CYAN_NEON, radius=max(3, s2 // 10))
    fs = font(F_BOLD, 11 * S)
    m = text_mask("D I S P L A Y   T E S T   \u00b7   6 4 0  x  4 8 0", fs, size, (w * 0.5, h * 0.585))
    base = add_light(base, glow(m, (255, 60, 200), 3 * S, 1.0))
    base = over(base, fill_layer(m, (240, 235, 255)))
    # colour bars along the bottom left (the lower right corner stays free for the blinking badge)
    bars = [(255, 255, 255), (255, 255, 0), (0, 255, 255), (0, 255, 0), (255, 0, 255), (255, 0, 0), (0, 0, 255), (0, 0, 0)]
    bx0, by0, bw, bh = 24 * S, h - 44 * S, 36 * S, 20 * S
    d = ImageDraw.Draw(base)
    d.rectangle([bx0 - 3 * S, by0 - 3 * S, bx0 + bw * 8 + 2 * S, by0 + bh + 2 * S], fill=(10, 8, 20), outline=(200, 200, 220), width=S)
    for i, c in enumerate(bars):
        d.rectangle([bx0 + i * bw, by0, bx0 + (i + 1) * bw - 1, by0 + bh - 1], fill=c)
    # grey ramp under the bars
    for i in range(16):
        v = int(255 * i / 15)
        d.rectangle([bx0 + i * bw / 2, by0 + bh + 6 * S, bx0 + (i + 1) * bw / 2 - 1, by0 + bh + 12 * S], fill=(v, v, v))
    return base.convert("RGB").resize((640, 480), LANCZOS)


def vidcheck_badge(width=97, height=61, S=4):
    """Small bright 'OK' badge with a mirror ball, for the blinking corner picture."""
    size = (width * S, height * S)
    w, h = size
    base = Image.new("RGBA", size, (0, 0, 0, 255))
    m = Image.new("L", size, 0)
    ImageDraw.Draw(m).rounded_rectangle([2 * S, 2 * S, w - 2 * S - 1, h - 2 * S - 1], radius=12 * S, fill=255)
    fill = gradient(size, [(0.0, (255, 90, 210)), (0.5, (170, 20, 160)), (1.0, (70, 0, 110))])
    base = over(base, fill_layer(m, fill))
    ring = ImageChops.subtract(m, m.filter(ImageFilter.MinFilter(2 * 2 * S + 1)))
    base = over(base, fill_layer(ring, (120, 250, 255)))
    base = disco_ball(base, (h * 0.5, h * 0.5), h * 0.32, 9, rings=6)
    f = font(F_BOLD, 25 * S)
    tm = text_mask("OK", f, size, (w * 0.71, h * 0.52))
    base = over(base, fill_layer(tm.filter(ImageFilter.MaxFilter(2 * S + 1)), (40, 0, 60)))
    base = over(base, fill_layer(tm, gradient(size, [(0.0, (255, 255, 255)), (0.55, (255, 255, 200)), (1.0, (255, 220, 60))])))
    return base.convert("RGB").resize((width, height), LANCZOS)


# ---------------------------------------------------------------------------
# Sound: a little tango phrase
# ---------------------------------------------------------------------------

def tango_wav(rate=22050, seconds=3.0, bpm=120):
    """A bar of habanera bass, marcato chords and a bandoneon-ish melody, then the
    traditional two-chord ending.  Returns 16-bit mono PCM frames."""
    n = int(rate * seconds)
    buf = [0.0] * n
    beat = 60.0 / bpm

    def midi(k):
        return 440.0 * 2 ** ((k - 69) / 12.0)

    def voice(t0, dur, freq, amp, kind):
        i0 = int(t0 * rate)
        length = int((dur + 0.12) * rate)
        for i in range(length):
            j = i0 + i
            if j >= n:
                break
            t = i / rate
            att = min(1.0, t / 0.008)
            rel = 1.0 if t < dur else max(0.0, 1.0 - (t - dur) / 0.12)
            if kind == "bass":  # plucked: fast decay, few harmonics
                env = att * rel * math.exp(-t * 5.0)
                s = math.sin(2 * math.pi * freq * t) + 0.35 * math.sin(4 * math.pi * freq * t)
            elif kind == "reed":  # bandoneon: odd+even harmonics with a slow vibrato
                env = att * rel * (0.8 + 0.2 * math.exp(-t * 8))
                f = freq * (1 + 0.004 * math.sin(2 * math.pi * 5.5 * t))
                ph = 2 * math.pi * f * t
                s = math.sin(ph) + 0.5 * math.sin(2 * ph) + 0.33 * math.sin(3 * ph) + 0.2 * math.sin(4 * ph) + 0.12 * math.sin(5 * ph)
                s *= 0.5
            else:  # chord stab: short and percussive
                env = att * rel * math.exp(-t * 14.0)
                ph = 2 * math.pi * freq * t
                s = math.sin(ph) + 0.4 * math.sin(2 * ph) + 0.2 * math.sin(3 * ph)
            buf[j] += amp * env * s

    rnd = random.Random(1995)

    def knock(t0, amp, tone):
        i0 = int(t0 * rate)
        for i in range(int(0.09 * rate)):
            j = i0 + i
            if j >= n:
                break
            t = i / rate
            env = math.exp(-t * 45)
            buf[j] += amp * env * (0.6 * rnd.uniform(-1, 1) + math.sin(2 * math.pi * tone * t * (1 - t * 3)))

    A2, E2, D3 = 45, 40, 50
    am = [57, 60, 64]      # A minor
    e7 = [56, 59, 62, 64]  # E7 (G# B D E)
    dm = [57, 62, 65]      # D minor
    # habanera bass over two bars of 2/4 (dotted eighth, sixteenth, eighth, eighth)
    hab = [(0.0, 0.75), (0.75, 0.25), (1.0, 0.5), (1.5, 0.5)]
    for bar, (root, fifth) in enumerate(((A2, E2 + 12), (D3 - 12, A2 + 12))):
        t_bar = bar * 2 * beat
        for k, (pos, dur) in enumerate(hab):
            note = root if k in (0, 1) else fifth if k == 2 else root + 12
            voice(t_bar + pos * beat, dur * beat * 0.9, midi(note), 0.42, "bass")
    # marcato chords on every beat
    for b in range(4):
        chord = am if b < 2 else dm
        for k in chord:
            voice(b * beat, beat * 0.25, midi(k), 0.10, "stab")
        knock(b * beat, 0.30 if b % 2 == 0 else 0.18, 110)
        knock(b * beat + beat / 2, 0.10, 220)
    # melody: E5 .. D C B A, then a turn
    mel = [(0.0, 0.75, 76), (0.75, 0.25, 74), (1.0, 0.5, 72), (1.5, 0.5, 71),
           (2.0, 0.75, 69), (2.75, 0.25, 71), (3.0, 0.5, 72), (3.5, 0.5, 74)]
    for pos, dur, k in mel:
        voice(pos * beat, dur * beat * 0.92, midi(k), 0.16, "reed")
    # the ending: "chan... chan!" - dominant then tonic, hit hard
    for t0, chord, bass, amp in ((4 * beat, e7, E2, 0.14), (4 * beat + beat * 1.0, am, A2, 0.18)):
        for k in chord + [chord[0] + 12]:
            voice(t0, beat * 0.3, midi(k), amp, "stab")
        voice(t0, beat * 0.3, midi(bass), 0.5, "bass")
        voice(t0, beat * 0.3, midi(chord[-1] + 12), 0.12, "reed")
        knock(t0, 0.4, 100)
    peak = max(abs(v) for v in buf) or 1.0
    scale = 0.85 * 32767 / peak
    fade = int(0.05 * rate)
    frames = bytearray()
    for i, v in enumerate(buf):
        if i > n - fade:
            v *= (n - i) / fade
        frames += struct.pack("<h", int(round(v * scale)))
    return bytes(frames)


def write_wav(path, frames, rate=22050):
    with wave.open(path, "wb") as wf:
        wf.setnchannels(1)
        wf.setsampwidth(2)
        wf.setframerate(rate)
        wf.writeframes(frames)


# ---------------------------------------------------------------------------
# Output
# ---------------------------------------------------------------------------

def _write(rel, data):
    path = os.path.join(ROOT, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    print("wrote", rel, len(data), "bytes")


def _preview(name, img, scale=1):
    if scale != 1:
        img = img.resize((img.width * scale, img.height * scale), Image.Resampling.NEAREST)
    os.makedirs(PREVIEW_DIR, exist_ok=True)
    img.save(os.path.join(PREVIEW_DIR, name + ".png"))


def _indexed_image(indices, palette, w, h):
    img = Image.new("P", (w, h))
    flat = [v for c in palette for v in c]
    img.putpalette(flat + [0] * (768 - len(flat)))
    img.putdata(indices)
    return img.convert("RGB")


# Wizard pages: (256-colour id, 16-colour id, picture)
PAGES = [(107, 125, page_general), (108, 122, page_cd), (109, 126, page_sound),
         (110, 123, page_finished), (111, 124, page_group)]

ICONS = [("setup/resources/outfit.ico", icon_setup), ("tools/samplecd/art/ICON1.ICO", icon_game),
         ("tools/samplecd/art/ICON3.ICO", icon_bin), ("tools/samplecd/art/ICON4.ICO", icon_info),
         ("tools/samplecd/art/ICON5.ICO", icon_readme), ("vidcheck/vidcheck.ico", icon_vidcheck)]


def main(argv):
    preview = "--preview" in argv
    for id256, id16, make in PAGES:
        img = make()
        assert img.size == (200, 240)
        idx, pal = to_256(img)
        _write("setup/resources/page%d.bmp" % id256, bmp_indexed(idx, 200, 240, pal, 8))
        idx16 = to_vga(img)
        _write("setup/resources/page%d.bmp" % id16, bmp_indexed(idx16, 200, 240, VGA, 4))
        if preview:
            _preview("page%d" % id256, _indexed_image(idx, pal, 200, 240), 2)
            _preview("page%d" % id16, _indexed_image(idx16, VGA, 200, 240), 2)
    title = title_screen()
    _write("tools/samplecd/art/VRNBLACK.BMP", bmp24(title))
    idx, pal = to_256(title)
    _write("tools/samplecd/art/VRN256.BMP", bmp_indexed(idx, 640, 480, pal, 8))
    logo = vidcheck_logo()
    _write("vidcheck/logo.bmp", bmp24(logo))
    badge = vidcheck_badge()
    _write("vidcheck/logotest.bmp", bmp24(badge))
    for rel, draw in ICONS:
        _write(rel, ico_bytes(icon_to_entries(draw)))
    wav_path = os.path.join(ROOT, "tools/samplecd/art/sample.wav")
    os.makedirs(os.path.dirname(wav_path), exist_ok=True)
    write_wav(wav_path, tango_wav())
    print("wrote tools/samplecd/art/sample.wav")
    if preview:
        _preview("VRNBLACK", title)
        _preview("VRN256", _indexed_image(idx, pal, 640, 480))
        _preview("logo", logo)
        _preview("logotest", badge, 3)
        sheet = Image.new("RGB", (len(ICONS) * 40 + 8, 64), (0, 128, 128))
        for i, (rel, draw) in enumerate(ICONS):
            a, b = draw(32), draw(16)
            sheet.paste(a, (8 + i * 40, 4), a)
            sheet.paste(b, (16 + i * 40, 44), b)
        _preview("icons", sheet, 5)
        print("previews in", PREVIEW_DIR)


if __name__ == "__main__":
    main(sys.argv[1:])
