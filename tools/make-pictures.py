#!/usr/bin/env python3
"""Draws the program's icon and bitmaps (pixel art) into resources/pictures/.

    tools/make-pictures.py [PREVIEW_DIR]

Every picture is built from shapes filled with materials; each shape gets a one-pixel
dark outline and a lit top-left and shaded bottom-right edge, then the picture is written
with a palette of its own (16 or 256 colours). With PREVIEW_DIR, enlarged PNG copies are
written there too, for looking at. Only the standard library is used.
"""
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "resources", "pictures")

# Materials: base colour, lit edge, shaded edge.
MATERIALS = {
    "skin": ((246, 196, 150), (255, 222, 186), (214, 156, 112)),
    "hair": ((112, 70, 36), (150, 100, 56), (80, 48, 24)),
    "blue": ((52, 104, 200), (104, 152, 236), (28, 64, 144)),
    "navy": ((44, 52, 96), (72, 84, 140), (28, 32, 64)),
    "green": ((56, 168, 72), (112, 212, 112), (28, 116, 44)),
    "orange": ((236, 128, 32), (252, 176, 80), (184, 88, 16)),
    "folder": ((92, 176, 64), (148, 216, 112), (52, 124, 36)),
    "yellow": ((252, 212, 36), (255, 244, 140), (212, 160, 8)),
    "steel": ((172, 180, 192), (228, 232, 240), (112, 120, 136)),
    "metal": ((200, 200, 204), (244, 244, 248), (136, 136, 144)),
    "paper": ((250, 250, 250), (255, 255, 255), (212, 216, 224)),
    "title": ((40, 88, 184), (96, 144, 224), (24, 56, 136)),
    "stick": ((36, 92, 196), (92, 148, 236), (20, 52, 132)),
    "black": ((48, 52, 60), (84, 88, 100), (28, 30, 36)),
    "led": ((64, 232, 96), (200, 255, 200), (32, 160, 64)),
    "play": ((44, 112, 220), (120, 176, 252), (24, 64, 156)),
    "white": ((255, 255, 255), (255, 255, 255), (255, 255, 255)),
}
OUTLINE = (24, 28, 44)
FACE = (240, 240, 240)   # button face behind the button pictures
LIST_WHITE = (255, 255, 255)  # the entry list's transparent colour
FIGURE_LIGHT = (250, 250, 250)  # lit edges of the list figures must not turn transparent


class Canvas:
    def __init__(self, w, h, background):
        self.w, self.h = w, h
        self.px = [[background] * w for _ in range(h)]
        self.background = background

    def layer(self, shape, outline=OUTLINE, shade=True, light_cap=None):
        """shape: {(x, y): material}. Draws its outline, then the shaded fill."""
        inside = set(shape)
        for (x, y) in inside:
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1), (1, 1), (-1, -1), (1, -1), (-1, 1)):
                p = (x + dx, y + dy)
                if p not in inside and 0 <= p[0] < self.w and 0 <= p[1] < self.h:
                    if outline is not None:
                        self.px[p[1]][p[0]] = outline
        for (x, y), material in shape.items():
            if not (0 <= x < self.w and 0 <= y < self.h):
                continue
            base, lit, dark = MATERIALS[material]
            colour = base
            if shade:
                if (x, y - 1) not in inside or (x - 1, y) not in inside:
                    colour = lit
                elif (x, y + 1) not in inside or (x + 1, y) not in inside:
                    colour = dark
            if light_cap and colour == (255, 255, 255):
                colour = light_cap
            self.px[y][x] = colour

    def put(self, x, y, colour):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = colour


def art(rows, legend, dx=0, dy=0):
    """A shape from ASCII art: each character of `legend` names a material."""
    assert len(rows) == 16 and all(len(r) == 16 for r in rows), "sprites are 16 x 16"
    shape = {}
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            if ch in legend:
                shape[(x + dx, y + dy)] = legend[ch]
    return shape


def rect(x0, y0, x1, y1, material):
    return {(x, y): material for y in range(y0, y1 + 1) for x in range(x0, x1 + 1)}


def polygon(points, material, scale=1.0):
    """Pixels whose centres lie inside the polygon."""
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    shape = {}
    for y in range(int(min(ys)), int(max(ys)) + 1):
        for x in range(int(min(xs)), int(max(xs)) + 1):
            cx, cy = x + 0.5, y + 0.5
            inside = False
            j = len(points) - 1
            for i in range(len(points)):
                xi, yi = points[i]
                xj, yj = points[j]
                if (yi > cy) != (yj > cy) and cx < (xj - xi) * (cy - yi) / (yj - yi) + xi:
                    inside = not inside
                j = i
            if inside:
                shape[(x, y)] = material
    return shape


def disc(cx, cy, r, material):
    return {(x, y): material for y in range(int(cy - r) - 1, int(cy + r) + 2)
            for x in range(int(cx - r) - 1, int(cx + r) + 2)
            if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r}


# --- the pictures -------------------------------------------------------------------

STANDING = [
    "................",
    "......hhhh......",
    "......ssss......",
    "......ssss......",
    ".......ss.......",
    ".....bbbbbb.....",
    "....bbbbbbbb....",
    "....bbbbbbbb....",
    "....s.bbbb.s....",
    "......bbbb......",
    "......dddd......",
    "......d..d......",
    "......d..d......",
    "......d..d......",
    ".....dd..dd.....",
    "................",
]
RUNNING = [
    "................",
    ".........hhh....",
    "........hsss....",
    "........ssss....",
    ".........ss.....",
    "....sggggggg....",
    "......gggggggs..",
    "......gggg......",
    "......gggg......",
    "......dddd......",
    ".....dddddd.....",
    "....dd....dd....",
    "...dd......d....",
    "..dd.......dd...",
    "................",
    "................",
]
FIGURE = {"h": "hair", "s": "skin", "b": "blue", "g": "orange", "d": "navy"}


def list_figures():
    c = Canvas(32, 16, LIST_WHITE)
    c.layer(art(STANDING, FIGURE), light_cap=FIGURE_LIGHT)
    c.layer(art(RUNNING, FIGURE, dx=16), light_cap=FIGURE_LIGHT)
    return c


def window_base(c):
    c.layer(rect(1, 2, 12, 12, "paper"))
    c.layer(rect(1, 2, 12, 3, "title"), outline=None)
    for x in (9, 11):
        c.put(x, 3 - 1, (255, 255, 255))  # title bar buttons


def plus(c, material="yellow"):
    c.layer(rect(11, 8, 12, 13, material) | rect(9, 10, 14, 11, material))


def spanner_shape(scale, ox, oy):
    """A spanner lying from bottom left to top right, open jaw at the top right."""
    s = scale
    handle = polygon([(ox + 1 * s, oy + 13.2 * s), (ox + 2.8 * s, oy + 15 * s),
                      (ox + 10.6 * s, oy + 7.2 * s), (ox + 8.8 * s, oy + 5.4 * s)], "steel")
    head = disc(ox + 11 * s, oy + 5 * s, 3.6 * s, "steel")
    jaw = polygon([(ox + 11 * s, oy + 5 * s), (ox + 13 * s, oy + 0 * s), (ox + 16.5 * s, oy + 3.5 * s)], "x")
    shape = dict(handle)
    shape.update(head)
    for p in jaw:
        shape.pop(p, None)
    return shape


def button_conf():
    c = Canvas(16, 16, FACE)
    c.layer(spanner_shape(0.95, 0, 0.3))
    return c


def folder(c, material):
    c.layer(rect(1, 3, 6, 4, material) | rect(1, 4, 14, 12, material))
    # the folder's front flap, a shade lighter at its top edge
    lit = MATERIALS[material][1]
    for x in range(2, 14):
        c.put(x, 6, lit)
    c.put(1, 5, OUTLINE)
    for x in range(1, 15):
        c.put(x, 5, OUTLINE)


def button_drive():
    c = Canvas(16, 16, FACE)
    folder(c, "folder")
    # a USB plug lying in front of the folder, its metal head to the right
    c.layer(rect(6, 10, 10, 14, "black") | rect(11, 11, 14, 13, "metal"))
    for x in (12, 13):
        c.put(x, 12, OUTLINE)  # the contact windows
    c.put(8, 12, MATERIALS["led"][0])
    return c


def button_add():
    c = Canvas(16, 16, FACE)
    window_base(c)
    plus(c)
    return c


def button_del():
    c = Canvas(16, 16, FACE)
    window_base(c)
    c.layer(rect(9, 10, 14, 11, "yellow"))
    return c


def button_edit():
    c = Canvas(16, 16, FACE)
    window_base(c)
    c.layer(spanner_shape(0.6, 6, 6))
    return c


def button_run():
    c = Canvas(16, 16, FACE)
    c.layer(polygon([(4, 1.5), (4, 14.5), (13.5, 8)], "play"))
    return c


def button_folder_add():
    c = Canvas(16, 16, FACE)
    folder(c, "folder")
    plus(c)
    return c


def usb_stick(c, x, y, length, thick):
    """A stick lying right to left: plug at the left, body to the right."""
    plug_len = max(4, length // 4)
    c.layer(rect(x, y + thick // 4, x + plug_len - 1, y + thick - 1 - thick // 4, "metal"))
    c.layer(rect(x + plug_len, y, x + length - 1, y + thick - 1, "stick"))
    # contact holes in the plug and a lit LED on the body
    hole = max(1, thick // 8)
    for hx in (x + plug_len // 4, x + plug_len // 2 + 1):
        for yy in range(y + thick // 2 - hole, y + thick // 2):
            for xx in range(hx, hx + hole + 1):
                c.put(xx, yy, OUTLINE)
    led_x = x + length - 1 - max(2, thick // 4)
    c.layer(disc(led_x + 0.5, y + thick / 2, max(1.0, thick / 8), "led"), outline=None)
    # a strap eyelet at the end
    c.put(x + length - 2, y + thick // 2, FACE)


def icon(size):
    c = Canvas(size, size, None)
    s = size / 16.0
    # a stick standing upright: plug at the top
    c.layer(rect(int(5 * s), int(1 * s), int(10 * s) - 1, int(5 * s), "metal"))
    c.layer(rect(int(3 * s), int(5 * s), int(12 * s) - 1, int(15 * s) - 1, "stick"))
    for hx in (6, 8):
        for yy in range(int(2 * s), int(3 * s) + (1 if size > 16 else 0)):
            for xx in range(int(hx * s), int(hx * s) + max(1, int(s))):
                c.put(xx, yy, OUTLINE)
    c.layer(polygon([(5.5 * s, 7 * s), (5.5 * s, 13.5 * s), (10.5 * s, 10.25 * s)], "white"))
    return c


FONT = {
    "V": ["X...X", "X...X", "X...X", "X...X", ".X.X.", ".X.X.", "..X.."],
    "e": [".....", ".....", ".XXX.", "X...X", "XXXXX", "X....", ".XXX."],
    "r": [".....", ".....", "X.XX.", "XX..X", "X....", "X....", "X...."],
    "o": [".....", ".....", ".XXX.", "X...X", "X...X", "X...X", ".XXX."],
    "w": [".....", ".....", "X...X", "X...X", "X.X.X", "X.X.X", ".X.X."],
    "1": ["..X..", ".XX..", "..X..", "..X..", "..X..", "..X..", ".XXX."],
    "2": [".XXX.", "X...X", "....X", "...X.", "..X..", ".X...", "XXXXX"],
    ".": [".....", ".....", ".....", ".....", ".....", ".XX..", ".XX.."],
    " ": [".....", ".....", ".....", ".....", ".....", ".....", "....."],
}


def text_shape(text, x, y, scale, material, advance=6):
    shape = {}
    for i, ch in enumerate(text):
        for gy, row in enumerate(FONT[ch]):
            for gx, bit in enumerate(row):
                if bit == "X":
                    for sy in range(scale):
                        for sx in range(scale):
                            shape[(x + (i * advance + gx) * scale + sx, y + gy * scale + sy)] = material
    return shape


def title():
    c = Canvas(128, 32, FACE)
    # a banner: light gradient with a thin frame
    for yy in range(32):
        for xx in range(128):
            t = xx / 127.0
            c.px[yy][xx] = (int(255 - 40 * t), int(255 - 24 * t), 255)
    for xx in range(128):
        c.px[0][xx] = c.px[31][xx] = (120, 140, 190)
    for yy in range(32):
        c.px[yy][0] = c.px[yy][127] = (120, 140, 190)
    usb_stick(c, 5, 9, 34, 14)
    c.layer(text_shape("Verrow", 46, 4, 2, "title"))
    c.layer(text_shape("Ver 1.2.2", 70, 22, 1, "navy"), outline=None, shade=False)
    return c


# --- writers -------------------------------------------------------------------------

def palette_of(canvases, limit, first=()):
    colours = list(first)
    for c in canvases:
        for row in c.px:
            for p in row:
                if p is not None and p not in colours:
                    colours.append(p)
    if len(colours) > limit:
        raise SystemExit("too many colours: %d > %d" % (len(colours), limit))
    return colours + [(0, 0, 0)] * (limit - len(colours))


def dib_rows(c, palette, bits, transparent_index=0):
    index = {p: i for i, p in enumerate(palette)}
    rows = []
    for y in reversed(range(c.h)):
        values = [transparent_index if p is None else index[p] for p in c.px[y]]
        if bits == 8:
            data = bytes(values)
        else:
            data = bytes((values[i] << 4) | (values[i + 1] if i + 1 < len(values) else 0)
                         for i in range(0, len(values), 2))
        data += b"\0" * ((-len(data)) % 4)
        rows.append(data)
    return b"".join(rows)


def info_header(w, h, bits, colours, image_size):
    return struct.pack("<IiiHHIIiiII", 40, w, h, 1, bits, 0, image_size, 2835, 2835, colours, 0)


def palette_bytes(palette):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)


def write_bmp(path, c, bits):
    palette = palette_of([c], 1 << bits)
    pixels = dib_rows(c, palette, bits)
    header = info_header(c.w, c.h, bits, len(palette), len(pixels)) + palette_bytes(palette)
    offset = 14 + len(header)
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset))
        f.write(header + pixels)


def write_ico(path, canvases):
    images = []
    for c in canvases:
        palette = palette_of([c], 256, first=[(0, 0, 0)])
        xor = dib_rows(c, palette, 8)
        and_rows = []
        for y in reversed(range(c.h)):
            bits = 0
            row = bytearray()
            for x in range(c.w):
                bits = (bits << 1) | (1 if c.px[y][x] is None else 0)
                if x % 8 == 7:
                    row.append(bits)
                    bits = 0
            row += b"\0" * ((-len(row)) % 4)
            and_rows.append(bytes(row))
        mask = b"".join(and_rows)
        data = info_header(c.w, c.h * 2, 8, 256, len(xor) + len(mask)) + palette_bytes(palette) + xor + mask
        images.append((c, data))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for c, data in images:
        out += struct.pack("<BBBBHHII", c.w, c.h, 0, 0, 1, 8, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(data for _, data in images))


def write_png(path, c, zoom, backdrop=(255, 0, 255)):
    raw = bytearray()
    for y in range(c.h):
        line = bytearray([0])
        for x in range(c.w):
            p = c.px[y][x] or backdrop
            line += bytes(p) * zoom
        raw += bytes(line) * zoom

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", c.w * zoom, c.h * zoom, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


PICTURES = [
    # (file, drawing, bits per pixel)
    ("list_figures.bmp", list_figures, 4),     # 129
    ("title.bmp", title, 8),                   # 132
    ("button_drive.bmp", button_drive, 8),     # 136
    ("button_add.bmp", button_add, 8),         # 137
    ("button_del.bmp", button_del, 8),         # 138
    ("button_edit.bmp", button_edit, 8),       # 139
    ("button_run.bmp", button_run, 8),         # 140
    ("button_conf.bmp", button_conf, 8),       # 141
    ("button_folder_add.bmp", button_folder_add, 8),  # 144
]


def main(argv):
    preview = argv[1] if len(argv) > 1 else None
    os.makedirs(OUT, exist_ok=True)
    if preview:
        os.makedirs(preview, exist_ok=True)
    for name, draw, bits in PICTURES:
        c = draw()
        write_bmp(os.path.join(OUT, name), c, bits)
        if preview:
            write_png(os.path.join(preview, name.replace(".bmp", ".png")), c, 8 if c.w <= 32 else 4)
    icons = [icon(16), icon(32)]
    write_ico(os.path.join(OUT, "verrow.ico"), icons)
    if preview:
        write_png(os.path.join(preview, "icon16.png"), icons[0], 8)
        write_png(os.path.join(preview, "icon32.png"), icons[1], 8)


if __name__ == "__main__":
    main(sys.argv)
