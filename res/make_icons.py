#!/usr/bin/env python3
"""Draws Tovel's icons and writes them as Windows icon files.

The picture is a round metallic button: a dark outline, a lighter rim, a white
band of two curved arrows chasing each other anticlockwise round the middle,
and a ball in the centre that is lighter above and darker below.

Every image is first drawn as a "role map" (which part of the button each
pixel belongs to) and only then coloured.  The three tray images are one role
map coloured three ways, so their outlines are identical by construction.

Usage:
    make_icons.py [OUTPUT_DIR]          write Tovel.ico, tray0..2.ico, icons.rc
                                        (default: the folder of this script)
    make_icons.py --previews DIR        also write enlarged PNG previews there
                                        (needs ImageMagick's convert)
    make_icons.py --dump                print the role maps as text

Standard library only; the output is byte-for-byte deterministic.
"""

import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile

# ---------------------------------------------------------------------------
# Roles.  Each pixel of a role map holds one of these.

CLEAR = "."       # transparent
OUT_LIT = "o"     # outline where the light falls (upper left)
OUT_MID = "d"     # outline along the sides
OUT_DEEP = "n"    # outline turning away from the light
SHADOW = "k"      # outline at the bottom right, fully in shadow
LIGHT = "s"       # lit metal: rim, upper half of the ball
MID = "g"         # metal in half shade: the groove the arrows run in
DARK = "b"        # lower half of the ball
GLEAM = "c"       # brightest highlight
SHEEN = "p"       # softer highlight beside the gleam
ARROW = "w"       # the two arrows

ROLES = (CLEAR, OUT_LIT, OUT_MID, OUT_DEEP, SHADOW, LIGHT, MID, DARK, GLEAM, SHEEN, ARROW)

# Colourings, role -> (r, g, b).  NEUTRAL is the program icon and tray image 0;
# MAGENTA marks whole-screen scrolling, TEAL line-wise scrolling.
NEUTRAL = {
    OUT_LIT: (64, 64, 64), OUT_MID: (64, 64, 64), OUT_DEEP: (32, 32, 64),
    SHADOW: (0, 0, 0),
    LIGHT: (192, 192, 192), MID: (160, 160, 164), DARK: (160, 160, 164),
    GLEAM: (255, 251, 240), SHEEN: (192, 220, 192), ARROW: (255, 255, 255),
}
MAGENTA = {
    OUT_LIT: (128, 0, 64), OUT_MID: (96, 0, 64), OUT_DEEP: (32, 0, 64),
    SHADOW: (0, 0, 0),
    LIGHT: (224, 96, 192), MID: (224, 64, 192), DARK: (224, 64, 128),
    GLEAM: (224, 160, 192), SHEEN: (224, 160, 192), ARROW: (255, 255, 255),
}
TEAL = {
    OUT_LIT: (0, 128, 64), OUT_MID: (0, 96, 64), OUT_DEEP: (0, 64, 0),
    SHADOW: (0, 0, 0),
    LIGHT: (96, 192, 192), MID: (64, 192, 192), DARK: (64, 224, 128),
    GLEAM: (166, 202, 240), SHEEN: (160, 192, 192), ARROW: (255, 255, 255),
}

# The standard 16-colour Windows palette, in its usual index order.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

# In 16 colours the metal has only silver, grey and white to work with, so
# the softer highlight stays silver and white is kept for the gleam and the
# arrows; the outline keeps a touch of navy where it turns from the light.
VGA16_COLOURING = {
    OUT_LIT: (0, 0, 0), OUT_MID: (0, 0, 0), OUT_DEEP: (0, 0, 128),
    SHADOW: (0, 0, 0),
    LIGHT: (192, 192, 192), MID: (128, 128, 128), DARK: (128, 128, 128),
    GLEAM: (255, 255, 255), SHEEN: (192, 192, 192), ARROW: (255, 255, 255),
}


# ---------------------------------------------------------------------------
# Drawing.

def _angle_in(theta, start, end):
    """True if theta lies on the anticlockwise sweep from start to end (degrees)."""
    return (theta - start) % 360.0 <= (end - start) % 360.0


def _polar(size, px, py):
    """Radius, angle, lighting and offsets of a pixel centre.

    y points up, so angles run anticlockwise as seen on screen.  `lit` is how
    much the surface there faces the light from the upper left: 1 on that
    side, -1 on the opposite one.
    """
    c = size / 2.0
    dx = px + 0.5 - c
    dy = c - (py + 0.5)
    theta = math.degrees(math.atan2(dy, dx)) % 360.0
    return math.hypot(dx, dy), theta, math.cos(math.radians(theta - 135.0)), dx, dy


def _edge(inside, size, px, py):
    """True for a pixel of the shape that touches the outside along a side.

    Taking the outline this way keeps it an unbroken line one pixel wide.
    """
    for nx, ny in ((px + 1, py), (px - 1, py), (px, py + 1), (px, py - 1)):
        if not (0 <= nx < size and 0 <= ny < size and inside(nx, ny)):
            return True
    return False


def _outline_role(lit):
    if lit > 0.35:
        return OUT_LIT
    if lit > -0.35:
        return OUT_MID
    if lit > -0.8:
        return OUT_DEEP
    return SHADOW


def _metal_role(lit, sheen=0.7):
    """The rim: bright where it faces the light, half shade elsewhere."""
    if lit > 0.92:
        return GLEAM
    if lit > sheen:
        return SHEEN
    if lit > 0.2:
        return LIGHT
    return MID


def _rotate_half_turn(points, size):
    """The second arrow is the first one turned by 180 degrees."""
    return [(size - 1 - x, size - 1 - y) for x, y in points]


def draw_large():
    """The 32-pixel button, from its geometry."""
    size = 32
    half = size // 2
    r_disc = 15.6
    r_rim = 13.2                        # inner edge of the rim
    r_ball = 5.9                        # outer edge of the ball (its outline)
    band_mid = 9.6                      # middle of the arrows' band
    shaft_half = 1.5                    # a three-pixel shaft
    head_half = 3                       # the head: 7, 5, 3 and 1 pixels wide
    tail = 40.0                         # where the first arrow starts, in degrees

    def in_disc(x, y):
        return _polar(size, x, y)[0] <= r_disc

    def in_ball(x, y):
        return _polar(size, x, y)[0] <= r_ball

    def on_first_arrow(x, y):
        # From the upper right over the top to the left; there the shaft
        # meets a head on the horizontal middle line, pointing straight down,
        # with 45-degree sides so that it stays crisp.
        r, theta = _polar(size, x, y)[:2]
        if _angle_in(theta, tail, 180.0) and abs(r - band_mid) <= shaft_half:
            return True
        k = y - half
        centre = int(half - band_mid)
        return 0 <= k <= head_half and abs(x - centre) <= head_half - k

    def on_arrow(x, y):
        # The second arrow is the first turned half round.
        return on_first_arrow(x, y) or on_first_arrow(size - 1 - x, size - 1 - y)

    grid = []
    for py in range(size):
        row = ""
        for px in range(size):
            r, theta, lit, dx, dy = _polar(size, px, py)
            if not in_disc(px, py):
                row += CLEAR
            elif _edge(in_disc, size, px, py):
                row += _outline_role(lit)
            elif lit < -0.55 and r > r_disc - 1.9:
                # The outline thickens where the button turns away from the light.
                row += OUT_DEEP
            elif on_arrow(px, py):
                row += ARROW
            elif in_ball(px, py):
                if _edge(in_ball, size, px, py):
                    row += OUT_MID if dy > 0 else OUT_DEEP
                elif math.hypot(dx + 2.0, dy - 2.0) < 1.3:
                    row += GLEAM
                elif math.hypot(dx + 2.0, dy - 2.0) < 2.3 and dy > 0:
                    row += SHEEN
                else:
                    row += LIGHT if dy > 0 else DARK
            elif on_arrow(px - 1, py - 1) and r_ball + 1.0 < r <= r_rim:
                # A thin shadow below and right lifts the arrows off the groove.
                row += OUT_MID
            elif r > r_rim:
                row += _metal_role(lit) if lit > 0.2 else LIGHT
            else:
                row += MID
        grid.append(row)
    return grid


# The 16-pixel disc, row by row (first and last opaque column).  It is the
# circle of radius 7 about the centre, with the top row trimmed to four pixels
# so that it holds 162 pixels; the tray images all use exactly this outline.
SMALL_ROWS = {1: (6, 9), 2: (3, 12), 3: (2, 13), 4: (2, 13),
              5: (1, 14), 6: (1, 14), 7: (1, 14), 8: (1, 14), 9: (1, 14), 10: (1, 14),
              11: (2, 13), 12: (2, 13), 13: (3, 12), 14: (5, 10)}

# The first arrow at 16 pixels, placed by hand: at this size the geometry
# alone cannot keep the arrowhead readable.  Its tail sits at the upper right,
# it runs over the top and down the left side and ends in a head pointing
# down.  The second arrow is the same turned half round.
SMALL_ARROW = [(10, 4), (5, 3), (6, 3), (7, 3), (8, 3), (9, 3), (10, 3),
               (4, 4), (5, 4), (3, 5), (4, 5), (3, 6),
               (2, 7), (3, 7), (4, 7), (3, 8), (3, 9)]


def draw_small():
    """The 16-pixel button; also the role map of the three tray images."""
    size = 16

    def in_disc(x, y):
        span = SMALL_ROWS.get(y)
        return span is not None and span[0] <= x <= span[1]

    arrows = set(SMALL_ARROW) | set(_rotate_half_turn(SMALL_ARROW, size))
    grid = []
    for py in range(size):
        row = ""
        for px in range(size):
            r, theta, lit, dx, dy = _polar(size, px, py)
            if not in_disc(px, py):
                row += CLEAR
            elif _edge(in_disc, size, px, py):
                row += _outline_role(lit)
            elif (px, py) in arrows:
                row += ARROW
            elif r > 5.3:
                # A narrower highlight than at 32 pixels, so that it does not
                # run into the arrowhead on the left.
                row += _metal_role(lit, sheen=0.9)
            elif r > 3.0:
                row += MID
            elif r > 2.2:
                row += OUT_MID if dy > 0 else OUT_DEEP
            elif (px, py) == (6, 6):
                row += GLEAM
            elif (px, py) in ((7, 6), (6, 7)):
                row += SHEEN
            else:
                row += LIGHT if dy > 0 else DARK
        grid.append(row)
    return grid


# ---------------------------------------------------------------------------
# Colouring.

def colour(grid, colouring):
    """Role map -> rows of (r, g, b) or None for transparent."""
    return [[None if ch == CLEAR else colouring[ch] for ch in row] for row in grid]


# ---------------------------------------------------------------------------
# ICO writing.  Every entry is a classic bitmap: BITMAPINFOHEADER with the
# height doubled, the colour (XOR) bitmap and a 1-bit AND mask, rows bottom-up
# and padded to four bytes.  Transparent pixels are black in the colour bitmap
# and set in the mask, so both the masked and the alpha path show nothing.

def _row_bytes(bits_per_row):
    return ((bits_per_row + 31) // 32) * 4


def _pack_indices(indices, bpp):
    out = bytearray()
    if bpp == 8:
        out.extend(indices)
    elif bpp == 4:
        for i in range(0, len(indices), 2):
            hi = indices[i]
            lo = indices[i + 1] if i + 1 < len(indices) else 0
            out.append((hi << 4) | lo)
    else:
        raise ValueError(bpp)
    return out


def _mask_bits(row):
    out = bytearray(_row_bytes(len(row)))
    for x, px in enumerate(row):
        if px is None:
            out[x // 8] |= 0x80 >> (x % 8)
    return out


def icon_entry(pixels, bpp, palette=None):
    """One icon image (header, palette, colour bitmap, mask) as bytes."""
    size = len(pixels)
    stride = _row_bytes(size * bpp)
    xor = bytearray()
    for row in reversed(pixels):
        if bpp == 32:
            line = bytearray()
            for px in row:
                if px is None:
                    line.extend((0, 0, 0, 0))
                else:
                    r, g, b = px
                    line.extend((b, g, r, 255))
        else:
            index = {rgb: i for i, rgb in enumerate(palette)}
            line = _pack_indices([0 if px is None else index[px] for px in row], bpp)
        line.extend(bytes(stride - len(line)))
        xor.extend(line)
    mask = bytearray()
    for row in reversed(pixels):
        mask.extend(_mask_bits(row))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    pal = bytearray()
    if palette is not None:
        for r, g, b in palette:
            pal.extend((b, g, r, 0))
        pal.extend(bytes(4 * ((1 << bpp) - len(palette))))
    return bytes(header + pal + xor + mask), bpp


def ico_file(entries):
    """Icon directory plus images; entries are (bytes, bpp) in order."""
    head = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    directory = bytearray()
    body = bytearray()
    for data, bpp in entries:
        size = struct.unpack_from("<i", data, 4)[0]
        colours = 16 if bpp == 4 else 0
        directory.extend(struct.pack("<BBBBHHII", size % 256, size % 256, colours, 0,
                                     1, bpp, len(data), offset + len(body)))
        body.extend(data)
    return bytes(head + directory + body)


def palette_of(images, first=((0, 0, 0),)):
    """Black first (transparent pixels use index 0), then colours in order of use."""
    pal = list(first)
    for img in images:
        for row in img:
            for px in row:
                if px is not None and px not in pal:
                    pal.append(px)
    return pal


# ---------------------------------------------------------------------------
# Output.

def build():
    """All images, as {file name: [(size, bpp, pixels), ...]}."""
    big = draw_large()
    small = draw_small()
    b32, s16 = colour(big, NEUTRAL), colour(small, NEUTRAL)
    b4, s4 = colour(big, VGA16_COLOURING), colour(small, VGA16_COLOURING)
    return {
        "Tovel.ico": [(32, 4, b4), (16, 4, s4), (32, 8, b32), (16, 8, s16),
                      (32, 32, b32), (16, 32, s16)],
        "tray0.ico": [(16, 32, colour(small, NEUTRAL))],
        "tray1.ico": [(16, 32, colour(small, MAGENTA))],
        "tray2.ico": [(16, 32, colour(small, TEAL))],
    }


RC_TEXT = """\
// Icon resources, generated by make_icons.py together with the .ico files.
// The program icon comes first so that Windows shows it for the executable.
#include "resource_ids.h"
TOVEL_ICON_PROGRAM ICON "Tovel.ico"
TOVEL_ICON_TRAY_NEUTRAL ICON "tray0.ico"
TOVEL_ICON_TRAY_SCREEN ICON "tray1.ico"
TOVEL_ICON_TRAY_LINES ICON "tray2.ico"
"""


def write_icons(out_dir):
    images = build()
    eight_bit = palette_of([px for _, bpp, px in images["Tovel.ico"] if bpp == 8])
    for name, entries in images.items():
        parts = []
        for _, bpp, px in entries:
            palette = {4: VGA16, 8: eight_bit}.get(bpp)
            parts.append(icon_entry(px, bpp, palette))
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(ico_file(parts))
    with open(os.path.join(out_dir, "icons.rc"), "w", newline="\n") as f:
        f.write(RC_TEXT)
    return images


def _preview_pam(pixels, scale):
    """Enlarged image on a light checkerboard, as a PAM (RGB) file's bytes."""
    size = len(pixels)
    n = size * scale
    data = bytearray()
    for y in range(n):
        for x in range(n):
            px = pixels[y // scale][x // scale]
            if px is None:
                px = (236, 236, 236) if ((x // 8) + (y // 8)) % 2 else (255, 255, 255)
            data.extend(px)
    head = "P7\nWIDTH %d\nHEIGHT %d\nDEPTH 3\nMAXVAL 255\nTUPLTYPE RGB\nENDHDR\n" % (n, n)
    return head.encode("ascii") + bytes(data)


def write_previews(images, out_dir):
    convert = shutil.which("convert")
    if convert is None:
        raise SystemExit("convert (ImageMagick) is needed for the previews")
    os.makedirs(out_dir, exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        for name, entries in images.items():
            stem = os.path.splitext(name)[0]
            for size, bpp, px in entries:
                label = stem if len(entries) == 1 else "%s_%dx%d_%dbpp" % (stem, size, size, bpp)
                pam = os.path.join(tmp, label + ".pam")
                with open(pam, "wb") as f:
                    f.write(_preview_pam(px, 8))
                # No time stamps in the PNGs, so unchanged icons give unchanged files.
                subprocess.run([convert, pam, "-strip", "-define",
                                "png:exclude-chunks=date,time",
                                os.path.join(out_dir, label.lower() + ".png")], check=True)


def main(argv):
    out_dir = os.path.dirname(os.path.abspath(__file__))
    previews = None
    args = list(argv)
    while args:
        a = args.pop(0)
        if a == "--previews":
            previews = args.pop(0)
        elif a == "--dump":
            for n in (32, 16):
                print("\n".join(draw_large() if n == 32 else draw_small()))
                print()
            return 0
        else:
            out_dir = a
    os.makedirs(out_dir, exist_ok=True)
    images = write_icons(out_dir)
    if previews:
        write_previews(images, previews)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
