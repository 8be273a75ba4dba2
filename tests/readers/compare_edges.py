#!/usr/bin/env python3
"""Whether two renderings of one stamp at one resolution have their ink edges
within a pixel of each other.

    compare_edges.py EXPECTED ACTUAL   exit 0 alike, 1 not alike, 2 unreadable

Each picture is a binary PPM (P6, as pdftoppm writes it) or an uncompressed
24- or 32-bit BMP. Both show the same frame from its top-left corner, so
nothing is shifted or scaled; their sizes may differ by a pixel of rounding.
A pixel's ink is how much red lies over white (red above both green and
blue, 255 for full cover). Alike means that along every edge the ink of
either lies within one pixel of the other's: each pixel clearly inked in one
(three quarters covered) has a pixel at least a quarter covered in the other
among its 3 x 3 neighbours, and each pixel clearly blank (under a quarter)
one under three quarters (a stroke neither thicker nor thinner, a gap
neither closed nor opened, by more than a pixel). The quarters leave room for
two renderers' smoothing of a sliver narrower than a pixel, not for a shift
of a whole pixel. The line printed gives how many pixels miss at a reach of
1, 2 and 3 pixels.
Standard library only.
"""
import struct
import sys

from pdf_stamp_check import read_ppm  # beside this file

kClear = 192  # three quarters covered
kFaint = 64   # a quarter


def read_picture(path):
    """(width, height, rows of (r, g, b) byte triples, top row first)."""
    with open(path, 'rb') as f:
        data = f.read()
    if data[:2] == b'P6':
        width, height, pixels = read_ppm(path)
        stride = 3 * width
        return width, height, [pixels[y * stride:(y + 1) * stride] for y in range(height)]
    if data[:2] == b'BM':
        offset, = struct.unpack_from('<I', data, 10)
        width, height, _, bits, compression = struct.unpack_from('<iiHHI', data, 18)
        if bits not in (24, 32) or compression not in (0, 3):
            raise ValueError('unsupported BMP (%d bits, compression %d)' % (bits, compression))
        step = bits // 8
        stride = (step * width + 3) // 4 * 4
        rows = []
        for y in range(abs(height)):
            stored = y if height < 0 else abs(height) - 1 - y
            row = data[offset + stored * stride:offset + stored * stride + step * width]
            rgb = bytearray(3 * width)
            rgb[0::3], rgb[1::3], rgb[2::3] = row[2::step], row[1::step], row[0::step]
            rows.append(bytes(rgb))
        return width, abs(height), rows
    raise ValueError('neither a PPM nor a BMP')


def ink_rows(rows, width, height, least):
    """One integer per row, bit x set where pixel x has at least `least` ink."""
    masks = []
    for row in rows[:height]:
        mask = 0
        r, g, b = row[0:3 * width:3], row[1:3 * width:3], row[2:3 * width:3]
        for x in range(width):
            if r[x] - max(g[x], b[x]) >= least:
                mask |= 1 << x
        masks.append(mask)
    return masks


def grown(masks, full):
    """Each row's set bits spread to their 3 x 3 neighbourhood."""
    wide = [(m | (m << 1) | (m >> 1)) & full for m in masks]
    return [wide[y] | (wide[y - 1] if y else 0) | (wide[y + 1] if y + 1 < len(wide) else 0)
            for y in range(len(wide))]


def missing(a, b, full, reach):
    """Pixels clearly inked or blank in `a` with nothing alike in `b` within
    `reach`; each picture is (clear ink, faint ink) masks."""
    clear_a, faint_a = a
    clear_b, faint_b = b
    ink_b, blank_b = faint_b, [full & ~m for m in clear_b]
    for _ in range(reach):
        ink_b, blank_b = grown(ink_b, full), grown(blank_b, full)
    count = 0
    for clear, faint, ink, blank in zip(clear_a, faint_a, ink_b, blank_b):
        count += bin(clear & ~ink).count('1') + bin(full & ~faint & ~blank).count('1')
    return count


def main(argv):
    if len(argv) != 3:
        print(__doc__)
        return 2
    try:
        w1, h1, rows1 = read_picture(argv[1])
        w2, h2, rows2 = read_picture(argv[2])
    except (OSError, ValueError, struct.error) as e:
        print('unreadable: %s' % e)
        return 2
    if abs(w1 - w2) > 1 or abs(h1 - h2) > 1:
        print('sizes differ: %dx%d and %dx%d' % (w1, h1, w2, h2))
        return 1
    width, height = min(w1, w2), min(h1, h2)
    full = (1 << width) - 1
    a = ink_rows(rows1, width, height, kClear), ink_rows(rows1, width, height, kFaint)
    b = ink_rows(rows2, width, height, kClear), ink_rows(rows2, width, height, kFaint)
    ink = [sum(bin(m).count('1') for m in masks[0]) for masks in (a, b)]
    off = [missing(a, b, full, r) + missing(b, a, full, r) for r in (1, 2, 3)]
    print('%dx%d pixels, ink %d and %d, off by more than 1, 2, 3 pixels: %d, %d, %d'
          % (width, height, ink[0], ink[1], off[0], off[1], off[2]))
    if min(ink) < 50:
        return 1
    return 0 if off[0] == 0 else 1


if __name__ == '__main__':
    sys.exit(main(sys.argv))
