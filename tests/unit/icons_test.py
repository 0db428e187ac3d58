#!/usr/bin/env python3
"""Checks the generated icon files in res/ against what the program needs.

The files are read with a parser of their own here (not the generator's
code), so a fault in the writer shows up as a failure instead of agreeing
with itself.
"""

import os
import re
import struct
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
RES = os.path.join(ROOT, "res")
GENERATOR = os.path.join(RES, "make_icons.py")
GENERATED = ("Tovel.ico", "tray0.ico", "tray1.ico", "tray2.ico", "icons.rc")

WHITE, BLACK = (255, 255, 255), (0, 0, 0)
TRAY_COLOURS = [
    {(192, 192, 192), (160, 160, 164), (255, 251, 240), (192, 220, 192),
     (64, 64, 64), (32, 32, 64)},
    {(224, 96, 192), (224, 64, 192), (224, 64, 128), (224, 160, 192),
     (96, 0, 64), (32, 0, 64), (128, 0, 64)},
    {(96, 192, 192), (64, 192, 192), (64, 224, 128), (160, 192, 192), (166, 202, 240),
     (0, 96, 64), (0, 64, 0), (0, 128, 64)},
]


class IconImage:
    """One decoded ICO entry: rows top-down of (r, g, b, a) plus the AND mask."""

    def __init__(self, width, height, bpp, pixels, mask, dir_entry):
        self.width, self.height, self.bpp = width, height, bpp
        self.pixels = pixels        # [y][x] -> (r, g, b, a); a is None below 32 bpp
        self.mask = mask            # [y][x] -> True where transparent
        self.dir_entry = dir_entry  # (width, height, colours, planes, bit count)

    def opaque(self):
        return {(x, y) for y in range(self.height) for x in range(self.width)
                if not self.mask[y][x]}


def parse_ico(data):
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1:
        raise ValueError("not an icon file")
    images = []
    for i in range(count):
        w, h, colours, _, planes, bits, length, offset = struct.unpack_from(
            "<BBBBHHII", data, 6 + 16 * i)
        if offset + length > len(data):
            raise ValueError("entry %d runs past the end" % i)
        blob = data[offset:offset + length]
        if blob[:8] == b"\x89PNG\r\n\x1a\n":
            raise ValueError("entry %d is PNG" % i)
        (hsize, width, height2, bplanes, bpp, compression) = struct.unpack_from("<IiiHHI", blob, 0)
        if hsize != 40 or compression != 0 or bplanes != 1:
            raise ValueError("entry %d: unexpected bitmap header" % i)
        height = height2 // 2
        if height2 != 2 * width:
            raise ValueError("entry %d: height is not doubled" % i)
        pos = hsize
        palette = []
        if bpp <= 8:
            used = struct.unpack_from("<I", blob, 32)[0] or (1 << bpp)
            for k in range(used):
                b, g, r, _ = blob[pos + 4 * k:pos + 4 * k + 4]
                palette.append((r, g, b))
            pos += 4 * used
        stride = ((width * bpp + 31) // 32) * 4
        mask_stride = ((width + 31) // 32) * 4
        if pos + stride * height + mask_stride * height != len(blob):
            raise ValueError("entry %d: size does not match its bitmaps" % i)
        pixels = []
        for row in range(height):
            line = blob[pos + stride * row:pos + stride * (row + 1)]
            out = []
            for x in range(width):
                if bpp == 32:
                    b, g, r, a = line[4 * x:4 * x + 4]
                    out.append((r, g, b, a))
                elif bpp == 8:
                    out.append(palette[line[x]] + (None,))
                elif bpp == 4:
                    nib = line[x // 2] >> 4 if x % 2 == 0 else line[x // 2] & 15
                    out.append(palette[nib] + (None,))
                else:
                    raise ValueError("unsupported depth %d" % bpp)
            pixels.append(out)
        pixels.reverse()                # bitmaps are stored bottom-up
        mpos = pos + stride * height
        mask = []
        for row in range(height):
            line = blob[mpos + mask_stride * row:mpos + mask_stride * (row + 1)]
            mask.append([bool(line[x // 8] & (0x80 >> (x % 8))) for x in range(width)])
        mask.reverse()
        images.append(IconImage(width, height, bpp, pixels, mask, (w, h, colours, planes, bits)))
    return images


def load(name, folder=RES):
    with open(os.path.join(folder, name), "rb") as f:
        return parse_ico(f.read())


class ParserTest(unittest.TestCase):
    """The parser itself must notice damaged files, or the checks below mean little."""

    def test_rejects_a_truncated_file(self):
        with open(os.path.join(RES, "tray0.ico"), "rb") as f:
            data = f.read()
        with self.assertRaises((ValueError, struct.error)):
            parse_ico(data[:-10])

    def test_reads_the_mask_top_down(self):
        img = load("tray0.ico")[0]
        # The disc reaches row 14 but not row 15: a flipped mask would fail this.
        self.assertTrue(all(img.mask[15]))
        self.assertFalse(all(img.mask[14]))


class MainIconTest(unittest.TestCase):
    def setUp(self):
        self.images = load("Tovel.ico")

    def test_six_images_in_order(self):
        got = [(i.width, i.height, i.bpp) for i in self.images]
        self.assertEqual(got, [(32, 32, 4), (16, 16, 4), (32, 32, 8), (16, 16, 8),
                               (32, 32, 32), (16, 16, 32)])

    def test_directory_agrees_with_the_images(self):
        for img in self.images:
            w, h, colours, planes, bits = img.dir_entry
            self.assertEqual((w, h, bits), (img.width, img.height, img.bpp))
            self.assertEqual(colours, 16 if img.bpp == 4 else 0)
            self.assertEqual(planes, 1)

    def test_corners_transparent_and_centre_opaque(self):
        for img in self.images:
            n = img.width
            for x, y in ((0, 0), (n - 1, 0), (0, n - 1), (n - 1, n - 1),
                         (1, 1), (n - 2, 1), (1, n - 2), (n - 2, n - 2)):
                self.assertTrue(img.mask[y][x], (img.bpp, n, x, y))
            for x in range(n // 2 - 2, n // 2 + 2):
                for y in range(n // 2 - 2, n // 2 + 2):
                    self.assertFalse(img.mask[y][x], (img.bpp, n, x, y))

    def test_button_fills_nearly_the_whole_square(self):
        for img in self.images:
            n = img.width
            share = len(img.opaque()) / float(n * n)
            self.assertGreater(share, 0.6, (img.bpp, n))
            self.assertLess(share, 0.8, (img.bpp, n))

    def test_transparent_pixels_are_black_in_the_colour_bitmap(self):
        # Otherwise the XOR step would tint the desktop behind the corners.
        for img in self.images:
            for y in range(img.height):
                for x in range(img.width):
                    if img.mask[y][x]:
                        self.assertEqual(img.pixels[y][x][:3], BLACK, (img.bpp, x, y))

    def test_alpha_is_all_or_nothing_and_matches_the_mask(self):
        for img in self.images:
            if img.bpp != 32:
                continue
            for y in range(img.height):
                for x in range(img.width):
                    a = img.pixels[y][x][3]
                    self.assertIn(a, (0, 255))
                    self.assertEqual(a == 0, img.mask[y][x], (img.width, x, y))

    def test_same_shape_at_every_depth(self):
        by_size = {}
        for img in self.images:
            by_size.setdefault(img.width, []).append(img.opaque())
        for size, shapes in by_size.items():
            self.assertEqual(len(shapes), 3)
            self.assertEqual(shapes[0], shapes[1], size)
            self.assertEqual(shapes[0], shapes[2], size)

    def test_colours(self):
        neutral = TRAY_COLOURS[0] | {WHITE, BLACK}
        for img in self.images:
            used = {img.pixels[y][x][:3] for x, y in img.opaque()}
            self.assertIn(WHITE, used)                      # the arrows
            if img.bpp == 4:
                self.assertTrue(used <= {BLACK, (0, 0, 128), (128, 128, 128),
                                         (192, 192, 192), WHITE}, used)
            else:
                self.assertTrue(used <= neutral, used - neutral)
                self.assertIn((192, 192, 192), used)
                self.assertIn((160, 160, 164), used)

    def test_ball_lighter_above_than_below(self):
        for img in self.images:
            c = img.width // 2
            above = img.pixels[c - 2][c]
            below = img.pixels[c + 1][c]
            self.assertGreater(sum(above[:3]), sum(below[:3]), (img.bpp, img.width))

    def test_sixteen_pixel_image_is_tray_image_zero(self):
        tray = load("tray0.ico")[0]
        small = self.images[5]
        self.assertEqual(small.mask, tray.mask)
        self.assertEqual(small.pixels, tray.pixels)


class TrayIconTest(unittest.TestCase):
    def setUp(self):
        self.images = [load("tray%d.ico" % i) for i in range(3)]

    def test_one_sixteen_pixel_true_colour_image_each(self):
        for entries in self.images:
            self.assertEqual(len(entries), 1)
            img = entries[0]
            self.assertEqual((img.width, img.height, img.bpp), (16, 16, 32))

    def test_outline(self):
        shapes = []
        for entries in self.images:
            img = entries[0]
            opaque = img.opaque()
            self.assertEqual(len(opaque), 162)
            for x, y in opaque:
                self.assertTrue(1 <= x <= 14 and 1 <= y <= 14, (x, y))
            # A disc about 14 pixels across: touches all four sides of that box.
            self.assertEqual({x for x, _ in opaque} >= {1, 14}, True)
            self.assertEqual({y for _, y in opaque} >= {1, 14}, True)
            for corner in ((1, 1), (14, 1), (1, 14), (14, 14)):
                self.assertNotIn(corner, opaque)
            shapes.append(opaque)
        self.assertEqual(shapes[0], shapes[1])
        self.assertEqual(shapes[0], shapes[2])

    def test_alpha_matches_mask(self):
        for entries in self.images:
            img = entries[0]
            for y in range(16):
                for x in range(16):
                    a = img.pixels[y][x][3]
                    self.assertIn(a, (0, 255))
                    self.assertEqual(a == 0, img.mask[y][x], (x, y))

    def test_colours_come_from_their_own_set(self):
        for index, entries in enumerate(self.images):
            img = entries[0]
            used = {img.pixels[y][x][:3] for x, y in img.opaque()}
            allowed = TRAY_COLOURS[index] | {WHITE, BLACK}
            self.assertTrue(used <= allowed, (index, used - allowed))
            self.assertIn(WHITE, used)
            # Mostly its own colouring, not just white and black.
            self.assertGreaterEqual(len(used & TRAY_COLOURS[index]), 5, index)

    def test_neutral_image_has_no_mode_colours(self):
        img = self.images[0][0]
        used = {img.pixels[y][x][:3] for x, y in img.opaque()}
        self.assertFalse(used & (TRAY_COLOURS[1] | TRAY_COLOURS[2]))

    def test_images_differ_only_in_colour(self):
        # Where one image is white (the arrows) or black, so are the others.
        imgs = [e[0] for e in self.images]
        for x, y in imgs[0].opaque():
            fixed = [img.pixels[y][x][:3] in (WHITE, BLACK) for img in imgs]
            self.assertEqual(len(set(fixed)), 1, (x, y))

    def test_white_band_runs_round_the_centre(self):
        img = self.images[0][0]
        white = {(x, y) for x, y in img.opaque() if img.pixels[y][x][:3] == WHITE}
        # There is white on each side of the ball, not only in one place.
        self.assertTrue(any(x < 5 for x, _ in white))
        self.assertTrue(any(x > 10 for x, _ in white))
        self.assertTrue(any(y < 5 for _, y in white))
        self.assertTrue(any(y > 10 for _, y in white))
        self.assertNotIn((7, 7), white)


class ResourceScriptTest(unittest.TestCase):
    def test_main_icon_first_then_tray_images(self):
        # The ids are named in the header the program's code reads too.
        with open(os.path.join(RES, "resource_ids.h")) as f:
            ids = dict(re.findall(r"^#define (TOVEL_ICON_\w+) (\d+)$", f.read(), re.M))
        with open(os.path.join(RES, "icons.rc")) as f:
            lines = [l.split() for l in f
                     if l.strip() and not l.lstrip().startswith(("//", "#include"))]
        lines = [[ids.get(words[0], words[0])] + words[1:] for words in lines]
        self.assertEqual(lines, [["1", "ICON", '"Tovel.ico"'],
                                 ["100", "ICON", '"tray0.ico"'],
                                 ["101", "ICON", '"tray1.ico"'],
                                 ["102", "ICON", '"tray2.ico"']])


class ReproducibleTest(unittest.TestCase):
    def test_generator_reproduces_the_committed_files(self):
        with tempfile.TemporaryDirectory() as out:
            subprocess.run([sys.executable, GENERATOR, out], check=True)
            for name in GENERATED:
                with open(os.path.join(RES, name), "rb") as f:
                    committed = f.read()
                with open(os.path.join(out, name), "rb") as f:
                    fresh = f.read()
                self.assertEqual(committed, fresh, name)


if __name__ == "__main__":
    unittest.main()
