#!/usr/bin/env python3
"""Writes the editor's tile pictures and window icon as 32 x 32 XPM files.

Every picture is drawn as 16 x 16 blocks of 2 x 2 pixels. Run it from this folder after
changing a design; the XPM files it writes are what the editor embeds. It also writes the
icon for the desktop: PNG files scaled without smoothing to each size a desktop asks for, and
an SVG file of the same blocks, one square each, for any other size.
"""

import struct
import zlib

COLOURS = {
    ".": (0, 0, 0),  # black
    "M": (117, 117, 117),  # mortar grey, steel shadow, eagle grey
    "F": (203, 79, 15),  # brick face
    "S": (167, 0, 0),  # dark red: brick shade, eagle's eye and breast
    "G": (188, 188, 188),  # steel ground
    "W": (255, 255, 255),  # steel plate face
    "L": (131, 211, 19),  # light green
    "a": (0, 63, 23),  # dark green
    "b": (0, 71, 0),  # dark green
    "B": (35, 59, 239),  # water blue
    "C": (159, 255, 243),  # light cyan wave mark
    "n": (5, 5, 5),  # near black behind the eagle
    "Y": (248, 200, 0),  # tank yellow
    "O": (120, 72, 8),  # tank brown
}

# Motifs of 8 x 8 blocks (16 x 16 pixels), repeated twice across and twice down.
BRICK = [
    "MMMMMMMM",
    "FFFFFFSM",
    "FFFFFFSM",
    "SSSSSSSM",
    "MMMMMMMM",
    "FFSMFFFF",
    "FFSMFFFF",
    "SSSMSSSS",
]
STEEL = [
    "GGGGGGGG",
    "GWWWWWMG",
    "GWWWWWMG",
    "GWWWWWMG",
    "GWWWWWMG",
    "GWWWWWMG",
    "GMMMMMMG",
    "GGGGGGGG",
]
BUSHES = [
    "LLaLbLLa",
    "Laabbaaa",
    "baLLba.L",
    "LbLaaLLb",
    "aLbbLLaL",
    "LLa.Lbba",
    "baLLaLbL",
    "LbbaLLaL",
]
WATER = [
    "BBBBBBBB",
    "BCBBBCBB",
    "BBCBBBCB",
    "BBBBBBBB",
    "BBBBBBBB",
    "CBBCBBBC",
    "BCBBCBBB",
    "BBBBBBBB",
]
# Whole designs of 16 x 16 blocks.
BASE = [
    "nnnnnnnnnnnnnnnn",
    "nnnnnnnMMnnnnnnn",
    "nnnnnnMSMMnnnnnn",
    "MnnnnnMMMMnnnnnM",
    "MMnnnnnMMnnnnnMM",
    "MMMnnnMMMMnnnMMM",
    "MMMMMMMMMMMMMMMM",
    "nMMMMMMSSMMMMMMn",
    "nnMMMMMSSMMMMMnn",
    "nnnMMMMMMMMMMnnn",
    "nnnnMMMSSMMMnnnn",
    "nnnnnMMMMMMnnnnn",
    "nnnnMMnMMnMMnnnn",
    "nnnMMnnMMnnMMnnn",
    "nnnnnnnnnnnnnnnn",
    "nnnnnnnnnnnnnnnn",
]
ICON = [
    "................",
    "................",
    ".OOOOOOOOOOO....",
    ".OYOYOYOYOYO....",
    ".YYYYYYYYYYY....",
    ".YYYYOOOYYYY....",
    ".YYYOYYYOYYY....",
    ".YYYOYYYOOOOOOOO",
    ".YYYOYYYOOOOOOOO",
    ".YYYOYYYOYYY....",
    ".YYYYOOOYYYY....",
    ".YYYYYYYYYYY....",
    ".OYOYOYOYOYO....",
    ".OOOOOOOOOOO....",
    "................",
    "................",
]


def tiled(motif):
    return [row * 2 for row in motif] * 2


def blank():
    return ["." * 16 for _ in range(16)]


def cut(design, keep):
    """The blocks of design where keep(row, column) holds; black elsewhere."""
    return [
        "".join(ch if keep(r, c) else "." for c, ch in enumerate(row))
        for r, row in enumerate(design)
    ]


def write_xpm(name, design):
    pixels = []
    for row in design:
        line = "".join(ch * 2 for ch in row)
        pixels += [line, line]
    used = sorted({ch for row in pixels for ch in row})
    ident = name.replace("-", "_")
    lines = [
        "/* XPM */",
        f"static const char *{ident}[] = {{",
        f'"32 32 {len(used)} 1",',
    ]
    lines += [f'"{ch} c #{"%02X%02X%02X" % COLOURS[ch]}",' for ch in used]
    lines += [f'"{row}",' for row in pixels[:-1]] + [f'"{pixels[-1]}"', "};"]
    with open(f"{name}.xpm", "w", encoding="ascii") as out:
        out.write("\n".join(lines) + "\n")


def write_png(path, design, size):
    """design scaled to size x size pixels by nearest neighbour, as an opaque RGB PNG."""
    blocks = len(design)
    raw = bytearray()
    for y in range(size):
        raw.append(0)  # no filter
        row = design[y * blocks // size]
        for x in range(size):
            raw += bytes(COLOURS[row[x * blocks // size]])

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                  chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def write_svg(path, design):
    """design as squares of one unit, runs of a colour along a row joined, edges kept sharp."""
    blocks = len(design)
    shapes = []
    for y, row in enumerate(design):
        x = 0
        while x < blocks:
            end = x
            while end < blocks and row[end] == row[x]:
                end += 1
            colour = "#%02x%02x%02x" % COLOURS[row[x]]
            shapes.append(f'<rect x="{x}" y="{y}" width="{end - x}" height="1" fill="{colour}"/>')
            x = end
    with open(path, "w", encoding="ascii") as out:
        out.write(
            '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" '
            f'viewBox="0 0 {blocks} {blocks}" shape-rendering="crispEdges">\n'
            + "\n".join(shapes) + "\n</svg>\n")


ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)


def main():
    brick = tiled(BRICK)
    pictures = [
        blank(),
        brick,
        tiled(STEEL),
        tiled(BUSHES),
        tiled(WATER),
        cut(brick, lambda r, c: c >= 8),  # right half
        cut(brick, lambda r, c: c < 8),  # left half
        cut(brick, lambda r, c: r >= 8),  # bottom half
        cut(brick, lambda r, c: r < 8),  # top half
        BASE,
    ]
    for number, design in enumerate(pictures, start=1):
        write_xpm(f"tile{number:02d}", design)
    write_xpm("icon", ICON)
    for size in ICON_SIZES:
        write_png(f"icon-{size}.png", ICON, size)
    write_svg("icon.svg", ICON)


if __name__ == "__main__":
    main()
