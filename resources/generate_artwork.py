#!/usr/bin/env python3
"""Writes Corelens's artwork: the program icon (for Windows, and for the Linux
desktop as a scalable SVG and PNGs of the usual sizes), the background tile,
the logo and the pointing-hand cursor.

Standard library only; every byte is produced here, so a run always gives the
same files. Usage: generate_artwork.py [OUTPUT_DIRECTORY] (default: this
script's directory).
"""

import os
import struct
import sys
import zlib

# ---------------------------------------------------------------- file formats


def row_size(width, bpp):
    """Bytes per stored row: DIB rows are padded to 4 bytes."""
    return (width * bpp + 31) // 32 * 4


def pack_rows(pixels, width, bpp):
    """Packs rows of palette indices, bottom row first as DIBs are stored."""
    out = bytearray()
    stride = row_size(width, bpp)
    for row in reversed(pixels):
        assert len(row) == width
        packed = bytearray(stride)
        for x, index in enumerate(row):
            assert 0 <= index < (1 << bpp)
            bit = x * bpp
            shift = 8 - bpp - bit % 8
            packed[bit // 8] |= index << shift
        out += packed
    return bytes(out)


def info_header(width, height, bpp, colours_used, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, 0,
                       image_size, 0, 0, colours_used, 0)


def palette_bytes(palette, entries):
    """RGBQUADs (blue, green, red, 0), padded with black to `entries`."""
    padded = list(palette) + [(0, 0, 0)] * (entries - len(palette))
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in padded)


def bmp_file(pixels, bpp, palette, colours_used):
    """A BMP file; colours_used 0 stores the full palette of the depth."""
    height, width = len(pixels), len(pixels[0])
    entries = colours_used or (1 << bpp)
    bits = pack_rows(pixels, width, bpp)
    table = palette_bytes(palette, entries)
    offset = 14 + 40 + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    return (header + info_header(width, height, bpp, colours_used, len(bits))
            + table + bits)


def icon_image(pixels, mask, bpp, palette):
    """One image of an icon or cursor file: header, colours, XOR and AND bits.

    The stored height counts both bitmaps. Transparent pixels (mask 1) keep
    colour index 0, which is black in every palette here, so the XOR bitmap
    leaves the screen unchanged under them."""
    height, width = len(pixels), len(pixels[0])
    xor = pack_rows(pixels, width, bpp)
    and_mask = pack_rows(mask, width, 1)
    return (info_header(width, height * 2, bpp, 0, len(xor) + len(and_mask))
            + palette_bytes(palette, 1 << bpp) + xor + and_mask)


def directory_file(kind, images):
    """An .ico (kind 1) or .cur (kind 2) file.

    images: (width, height, bpp, hot spot or None, image bytes). Icons store
    planes and bit count in the directory entry, cursors their hot spot."""
    out = struct.pack("<HHH", 0, kind, len(images))
    offset = 6 + 16 * len(images)
    for width, height, bpp, hot_spot, data in images:
        colours = (1 << bpp) if bpp < 8 else 0
        if kind == 1:
            fields = (1, bpp)
        else:
            fields = hot_spot
        out += struct.pack("<BBBBHHII", width % 256, height % 256, colours, 0,
                           fields[0], fields[1], len(data), offset)
        offset += len(data)
    return out + b"".join(image[4] for image in images)


# ---------------------------------------------------------------- colour tools

# The 16 colours every display of the era could show; index 0 is black.
VGA_PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def cube_palette():
    """A 6x6x6 colour cube, then greys between its steps, then the VGA extras:
    256 colours, black first."""
    steps = [0, 51, 102, 153, 204, 255]
    colours = [(r, g, b) for r in steps for g in steps for b in steps]
    for level in range(8, 256, 10):
        if len(colours) < 256 and (level, level, level) not in colours:
            colours.append((level, level, level))
    for colour in VGA_PALETTE:
        if len(colours) < 256 and colour not in colours:
            colours.append(colour)
    while len(colours) < 256:
        colours.append((0, 0, 0))
    return colours


def nearest(palette, colour):
    """Index of the palette colour closest to colour (weighted for the eye)."""
    best, best_distance = 0, None
    for index, (r, g, b) in enumerate(palette):
        dr, dg, db = r - colour[0], g - colour[1], b - colour[2]
        distance = 3 * dr * dr + 4 * dg * dg + 2 * db * db
        if best_distance is None or distance < best_distance:
            best, best_distance = index, distance
    return best


def blend(under, over, amount):
    return tuple(round(u + (o - u) * amount) for u, o in zip(under, over))


def indexed_from_strings(rows, legend):
    """Pixel art: one character per pixel, legend maps characters to indices."""
    return [[legend[c] for c in row] for row in rows]


# ---------------------------------------------------------------- the icon


def icon_colour_at(x, y, size):
    """Colour (r, g, b) or None (transparent) of the icon at a point given in
    pixels of a size x size image: a chip under a magnifying lens."""
    body_from = round(size * 0.22)
    body_to = size - body_from
    pin_from = round(size * 0.06)
    pins = 3 if size < 32 else 4 if size < 48 else 5
    pin_width = max(1, round(size / 16))

    colour = None

    # Pins on all four sides, spaced evenly along the body.
    span = body_to - body_from
    for n in range(pins):
        centre = body_from + span * (n + 0.5) / pins
        lo, hi = round(centre - pin_width / 2), round(centre - pin_width / 2) + pin_width
        for along, across in ((x, y), (y, x)):
            if lo <= along < hi and (pin_from <= across < body_from
                                     or body_to <= across < size - pin_from):
                colour = (200, 200, 208)

    # Body with a light top-left edge and a dark bottom-right edge.
    edge = max(1, round(size / 24))
    if body_from <= x < body_to and body_from <= y < body_to:
        colour = (52, 56, 68)
        if x < body_from + edge or y < body_from + edge:
            colour = (118, 124, 140)
        if x >= body_to - edge or y >= body_to - edge:
            colour = (24, 26, 32)
        die_from = round(size * 0.34)
        die_to = size - die_from
        if die_from <= x < die_to and die_from <= y < die_to:
            colour = blend((40, 90, 200), (120, 190, 255),
                           (die_to - y) / max(1, die_to - die_from))

    # The lens: tinted glass in a dark ring, with a handle to the corner.
    cx = cy = size * 0.58
    radius = size * 0.25
    ring = max(1.0, size * 0.07)
    dx, dy = x - cx, y - cy
    distance = (dx * dx + dy * dy) ** 0.5
    if distance < radius - ring:
        glass = colour if colour is not None else (255, 255, 255)
        colour = blend(glass, (170, 230, 255), 0.55)
        if -0.75 * radius < dx < -0.1 * radius and -0.75 * radius < dy < -0.1 * radius \
                and abs(dx - dy) < 0.2 * radius:
            colour = (255, 255, 255)
    elif distance < radius:
        colour = (20, 20, 24)
    else:
        # Handle: a thick segment along the diagonal beyond the ring.
        along = (dx + dy) / 2 ** 0.5
        across = (dx - dy) / 2 ** 0.5
        if radius <= along < size * 0.58 and abs(across) < size * 0.07:
            colour = (170, 60, 20) if across < 0 else (110, 30, 10)
    return colour


def icon_pixels(size, palette):
    """Renders the icon with 4 x 4 samples a pixel; a pixel is opaque when
    most of its samples are, and takes the mean colour of those. With 16
    colours the means would map to stray colours, so those images take the
    colour at the pixel's centre instead."""
    samples = 4
    smooth = len(palette) > 16
    pixels, mask = [], []
    for y in range(size):
        pixel_row, mask_row = [], []
        for x in range(size):
            hits = []
            for sy in range(samples):
                for sx in range(samples):
                    colour = icon_colour_at(x + (sx + 0.5) / samples,
                                            y + (sy + 0.5) / samples, size)
                    if colour is not None:
                        hits.append(colour)
            centre = icon_colour_at(x + 0.5, y + 0.5, size)
            if 2 * len(hits) >= samples * samples:
                if smooth or centre is None:
                    mean = tuple(sum(c[i] for c in hits) / len(hits) for i in range(3))
                else:
                    mean = centre
                pixel_row.append(nearest(palette, mean))
                mask_row.append(0)
            else:
                pixel_row.append(0)
                mask_row.append(1)
        pixels.append(pixel_row)
        mask.append(mask_row)
    return pixels, mask


def icon_file():
    """Four images in the order the program's icon group lists them."""
    images = []
    for size, bpp in ((32, 4), (48, 8), (32, 8), (16, 4)):
        palette = VGA_PALETTE if bpp == 4 else cube_palette()
        pixels, mask = icon_pixels(size, palette)
        images.append((size, size, bpp, None, icon_image(pixels, mask, bpp, palette)))
    return directory_file(1, images)


def png_file(width, height, rgba_rows):
    """An 8-bit RGBA PNG of rows of (r, g, b, a) tuples."""
    raw = b"".join(b"\0" + b"".join(bytes(pixel) for pixel in row) for row in rgba_rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def png_icon(size):
    """The icon as the Linux desktop takes it, in true colour: 4 x 4 samples a
    pixel, the mean colour of the opaque ones, as opaque as their share."""
    samples = 4
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            hits = [c for c in (icon_colour_at(x + (sx + 0.5) / samples,
                                               y + (sy + 0.5) / samples, size)
                                for sy in range(samples) for sx in range(samples))
                    if c is not None]
            if not hits:
                row.append((0, 0, 0, 0))
                continue
            mean = [round(sum(c[i] for c in hits) / len(hits)) for i in range(3)]
            row.append((*mean, round(255 * len(hits) / samples ** 2)))
        rows.append(row)
    return png_file(size, size, rows)


def svg_icon():
    """The same drawing as shapes, for the scalable icon: what icon_colour_at
    paints at 48 pixels, without its rounding to whole pixels."""
    size = 48
    body_from, body_to = size * 0.22, size * 0.78
    pin_from, pin_width, pins = size * 0.06, size / 16, 5
    edge = size / 24
    die_from, die_to = size * 0.34, size * 0.66
    centre, radius, ring = size * 0.58, size * 0.25, size * 0.07

    def rect(x, y, w, h, fill):
        return (f'<rect x="{x:g}" y="{y:g}" width="{w:g}" height="{h:g}" '
                f'fill="{fill}"/>')

    def hex_colour(rgb):
        return "#%02x%02x%02x" % rgb

    shapes = []
    span = body_to - body_from
    for n in range(pins):
        along = body_from + span * (n + 0.5) / pins - pin_width / 2
        for across in (pin_from, body_to):
            length = body_from - pin_from
            shapes.append(rect(along, across, pin_width, length, "#c8c8d0"))
            shapes.append(rect(across, along, length, pin_width, "#c8c8d0"))
    shapes.append(rect(body_from, body_from, span, span, hex_colour((24, 26, 32))))
    shapes.append(rect(body_from, body_from, span - edge, span - edge,
                       hex_colour((118, 124, 140))))
    shapes.append(rect(body_from + edge, body_from + edge, span - 2 * edge,
                       span - 2 * edge, hex_colour((52, 56, 68))))
    shapes.append(rect(die_from, die_from, die_to - die_from, die_to - die_from,
                       "url(#die)"))
    glass = radius - ring
    # Handle: two halves along the diagonal, lit above and shaded below.
    root2 = 2 ** 0.5
    handle = []
    for side, colour in ((-1, (170, 60, 20)), (1, (110, 30, 10))):
        corners = []
        for along, across in ((radius, 0), (size * 0.58, 0),
                              (size * 0.58, side * size * 0.07),
                              (radius, side * size * 0.07)):
            corners.append("%g,%g" % (centre + (along + across) / root2,
                                      centre + (along - across) / root2))
        handle.append(f'<polygon points="{" ".join(corners)}" '
                      f'fill="{hex_colour(colour)}"/>')
    highlight = (f'<path d="M{centre - 0.75 * radius:g},{centre - 0.55 * radius:g} '
                 f'L{centre - 0.55 * radius:g},{centre - 0.75 * radius:g} '
                 f'L{centre - 0.1 * radius:g},{centre - 0.3 * radius:g} '
                 f'L{centre - 0.3 * radius:g},{centre - 0.1 * radius:g} Z" fill="#ffffff"/>')
    return ("\n".join([
        '<?xml version="1.0" encoding="UTF-8"?>',
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{size}" height="{size}" '
        f'viewBox="0 0 {size} {size}">',
        '<title>Corelens</title>',
        '<defs><linearGradient id="die" x1="0" y1="1" x2="0" y2="0">'
        '<stop offset="0" stop-color="#285ac8"/><stop offset="1" stop-color="#78beff"/>'
        '</linearGradient>'
        f'<clipPath id="lens"><circle cx="{centre:g}" cy="{centre:g}" r="{glass:g}"/></clipPath>'
        '</defs>',
        f'<circle cx="{centre:g}" cy="{centre:g}" r="{glass:g}" fill="#ffffff"/>',
        *shapes,
        f'<circle cx="{centre:g}" cy="{centre:g}" r="{glass:g}" fill="#aae6ff" '
        'fill-opacity="0.55"/>',
        f'<g clip-path="url(#lens)">{highlight}</g>',
        f'<circle cx="{centre:g}" cy="{centre:g}" r="{radius - ring / 2:g}" fill="none" '
        f'stroke="#141418" stroke-width="{ring:g}"/>',
        *handle,
        '</svg>',
    ]) + "\n").encode("ascii")


# ---------------------------------------------------------------- the tile

# The four greys of the background tile, darkest first.
TILE_GREYS = [(206, 206, 206), (214, 214, 214), (222, 222, 222), (231, 231, 231)]

# Blocky capitals, 4 x 6.
TILE_FONT = {
    "C": [".###", "#...", "#...", "#...", "#...", ".###"],
    "O": [".##.", "#..#", "#..#", "#..#", "#..#", ".##."],
    "R": ["###.", "#..#", "###.", "#.#.", "#..#", "#..#"],
    "E": ["####", "#...", "###.", "#...", "#...", "####"],
    "L": ["#...", "#...", "#...", "#...", "#...", "####"],
    "N": ["#..#", "##.#", "#.##", "#..#", "#..#", "#..#"],
    "S": [".###", "#...", ".##.", "...#", "...#", "###."],
}


def background_tile():
    """48 x 19: the product name pressed faintly into a mid grey, lit from
    the top left: each stroke one step darker than the ground and darker
    still along its top, with a light edge below and right of it."""
    width, height = 48, 19
    base, light, stroke, dark = 2, 3, 1, 0
    ink = [[False] * width for _ in range(height)]
    left, top = 4, 6
    for n, letter in enumerate("CORELENS"):
        for row, line in enumerate(TILE_FONT[letter]):
            for column, c in enumerate(line):
                if c == "#":
                    ink[top + row][left + n * 5 + column] = True
    pixels = [[base] * width for _ in range(height)]
    for y in range(height):
        for x in range(width):
            if ink[y][x]:
                pixels[y][x] = stroke if ink[y - 1][x] else dark
            elif ink[y - 1][x - 1]:
                pixels[y][x] = light
    return bmp_file(pixels, 4, TILE_GREYS, 4)


# ---------------------------------------------------------------- the logo

LOGO_FONT = {
    "C": [".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
}


def logo_bitmap():
    """48 x 20, 8 bits: a chip with gold pins and a "CL" mark on navy. The
    animation repeats it edge to edge, so the border is plain background."""
    width, height = 48, 20
    navy, navy_light = (22, 38, 84), (34, 56, 116)
    body, body_light, body_dark = (44, 46, 54), (96, 100, 116), (16, 16, 20)
    pin, pin_light, pin_dark = (212, 172, 60), (246, 216, 120), (150, 112, 30)
    mark, mark_shadow, dot = (210, 236, 255), (20, 22, 28), (84, 88, 100)

    image = [[navy] * width for _ in range(height)]
    # A faint diagonal weave, so the repeats read as a surface when turning.
    for y in range(height):
        for x in range(width):
            if (x + y) % 6 == 0:
                image[y][x] = navy_light

    body_left, body_right, body_top, body_bottom = 9, 38, 4, 15
    for x in range(11, 37, 4):
        for y in list(range(1, 4)) + list(range(16, 19)):
            image[y][x] = pin_light
            image[y][x + 1] = pin_dark if y in (3, 16) else pin
    for y in (7, 11):
        for x in list(range(5, 9)) + list(range(39, 43)):
            image[y][x] = pin_light
            image[y + 1][x] = pin_dark
    for y in range(body_top, body_bottom + 1):
        for x in range(body_left, body_right + 1):
            if y == body_top or x == body_left:
                image[y][x] = body_light
            elif y == body_bottom or x == body_right:
                image[y][x] = body_dark
            else:
                image[y][x] = body
    image[6][12] = dot
    image[6][13] = dot
    image[7][12] = dot
    image[7][13] = dot

    for n, letter in enumerate("CL"):
        left = 18 + n * 7
        for row, line in enumerate(LOGO_FONT[letter]):
            for column, c in enumerate(line):
                if c == "#":
                    x, y = left + column, 6 + row
                    image[y][x] = mark
                    if image[y + 1][x + 1] == body:
                        image[y + 1][x + 1] = mark_shadow

    palette = [(0, 0, 0)]
    for row in image:
        for colour in row:
            if colour not in palette:
                palette.append(colour)
    pixels = [[palette.index(colour) for colour in row] for row in image]
    return bmp_file(pixels, 8, palette, 0)


# ---------------------------------------------------------------- the cursor

# A pointing hand, index finger up; the hot spot (12, 1) is the fingertip.
# K outline, W skin, G shading, . transparent.
HAND = [
    "...........KKK..................",
    "..........KWWWK.................",
    "..........KWWWK.................",
    "..........KWWWK.................",
    "..........KWWWK.................",
    "..........KWWWK.................",
    "..........KWWWKKK...............",
    "..........KWWWKWWKKK............",
    "..........KWWWKWWKWWKKK.........",
    "..........KWWWKWWKWWKWWK........",
    "..........KWWWKWWKWWKWGK........",
    "..KKK.....KWWWWWWWWWWWGK........",
    "..KWWK....KWWWWWWWWWWWGK........",
    "...KWWK...KWWWWWWWWWWWGK........",
    "....KWWK..KWWWWWWWWWWWGK........",
    ".....KWWK.KWWWWWWWWWWWGK........",
    "......KWWKKWWWWWWWWWWWGK........",
    ".......KWWWWWWWWWWWWWWGK........",
    "........KWWWWWWWWWWWWWGK........",
    "........KWWWWWWWWWWWWGK.........",
    ".........KWWWWWWWWWWWGK.........",
    "..........KWWWWWWWWWGK..........",
    "..........KWWWWWWWWWGK..........",
    "...........KWWWWWWWGK...........",
    "...........KKKKKKKKKK...........",
    "...........KGGGGGGGGK...........",
    "...........KKKKKKKKKK...........",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
]
HAND_HOT_SPOT = (12, 1)


def cursor_file():
    """Two 32 x 32 images: 16 colours (grey shading) and monochrome."""
    mask = indexed_from_strings(HAND, {".": 1, "K": 0, "W": 0, "G": 0})
    colour = indexed_from_strings(HAND, {".": 0, "K": 0, "W": 15, "G": 7})
    mono = indexed_from_strings(HAND, {".": 0, "K": 0, "W": 1, "G": 1})
    mono_palette = [(0, 0, 0), (255, 255, 255)]
    return directory_file(2, [
        (32, 32, 4, HAND_HOT_SPOT, icon_image(colour, mask, 4, VGA_PALETTE)),
        (32, 32, 1, HAND_HOT_SPOT, icon_image(mono, mask, 1, mono_palette)),
    ])


# ---------------------------------------------------------------- main

# The sizes of the desktop's icon theme (hicolor) beside the scalable icon.
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)

OUTPUTS = {
    "corelens.ico": icon_file,
    "background.bmp": background_tile,
    "logo.bmp": logo_bitmap,
    "hand.cur": cursor_file,
    "icons/corelens-gui.svg": svg_icon,
    **{f"icons/corelens-gui-{size}.png": (lambda size=size: png_icon(size))
       for size in ICON_SIZES},
}


def main(argv):
    directory = argv[1] if len(argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    os.makedirs(os.path.join(directory, "icons"), exist_ok=True)
    for name, make in OUTPUTS.items():
        with open(os.path.join(directory, name), "wb") as out:
            out.write(make())


if __name__ == "__main__":
    main(sys.argv)
