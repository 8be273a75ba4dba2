#!/usr/bin/env python3
"""Draws the program's icons and cursors and writes them as Windows resource files.

    python3 scripts/make_resources.py [OUTPUT_DIR]      (default: resources/)

Writes:
  markomi.ico    application icon "MARKOMI": a red round date stamp (ring, two
                 chords, department / date / name bands), 16 to 256 pixels.
  my_hand.cur    cursor "MY_HAND": a white pointing hand with a black outline,
                 hotspot at the tip of the index finger; 32, 48 and 64 pixels.
  markomi01.ico  notification-area icons "MARKOMI01" to "MARKOMI05", shown
  ... 05.ico     before Windows 10: soft shading and a little gloss.
  markomi11.ico  "MARKOMI11" to "MARKOMI15", shown on Windows 10 and 11: the
  ... 15.ico     same pictures in flat colours, no gradients.
                 Each set: 1 the impression, 2 the stamp raised over the paper,
                 3 pressed down, 4 raised again over the fresh impression,
                 5 a faded impression (spare). 16, 20, 24, 32 and 48 pixels.
  my_hand2.cur   drag cursors "MY_HAND2" to "MY_HAND5", white hands with a black
  ... 5.cur      outline: 2 open hand (over the preview), 3 closed hand
                 (dragging over the preview), 4 closed hand with a "no" sign
                 (over the settings window, a drop does nothing), 5 closed hand
                 with a small red stamp (outside, a release stamps). 32, 48 and
                 64 pixels. Hotspot in the middle of the palm, the same in all
                 four so the hand stays put when the cursor changes: (15, 18) at
                 32 pixels, (23, 27) at 48, (30, 36) at 64.
  uninstall.ico  the uninstaller's icon "uninstall": the application icon's
                 impression faded, crossed out by a dark red X; 16 to 256 pixels.

Only the Python standard library is used (zlib and struct for the PNG entry),
so anyone can regenerate the checked-in files. The output is deterministic.

Drawing model: every shape is a signed distance function (negative inside).
A pixel whose centre lies farther than half a pixel diagonal from every edge is
fully in or out; the remaining edge pixels are supersampled on a 16 x 16 grid.
Small sizes are hinted by hand: the ring's extremes, the chords and the text
bars of the small sizes lie on whole pixel edges so that they stay crisp; so do
the straight edges of the stamp in the notification-area frames and the fingers
of the drag cursors (3 pixels of white, 1 of outline at 32 pixels).
"""

import math
import os
import struct
import sys
import zlib

SUPERSAMPLE = 16
HALF_DIAGONAL = 0.7072  # a pixel is decided without sampling beyond this distance

INK = (206, 28, 38)  # vermilion stamp ink
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)

ICON_SIZES = (16, 20, 24, 32, 40, 48, 64, 128, 256)
PNG_MIN_SIZE = 256  # entries of this size and up are stored PNG-compressed
CURSOR_SIZES = (32, 48, 64)


# --------------------------------------------------------------------------
# Shapes


class Shape:
    """A region given by a signed distance (a lower bound of the true distance
    is enough) and a bounding box used to skip it far from its pixels."""

    def __init__(self, dist, box):
        self.dist = dist
        self.box = box  # (x0, y0, x1, y1)


def rect(x0, y0, x1, y1, radius=0.0):
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0 - radius, (y1 - y0) / 2.0 - radius

    def dist(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - radius

    return Shape(dist, (x0, y0, x1, y1))


def disc(cx, cy, r):
    return Shape(lambda x, y: math.hypot(x - cx, y - cy) - r, (cx - r, cy - r, cx + r, cy + r))


def annulus(cx, cy, r_outer, r_inner):
    mid, half = (r_outer + r_inner) / 2.0, (r_outer - r_inner) / 2.0
    return Shape(lambda x, y: abs(math.hypot(x - cx, y - cy) - mid) - half,
                 (cx - r_outer, cy - r_outer, cx + r_outer, cy + r_outer))


def capsule(ax, ay, bx, by, r):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy

    def dist(x, y):
        t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
        return math.hypot(x - ax - t * dx, y - ay - t * dy) - r

    return Shape(dist, (min(ax, bx) - r, min(ay, by) - r, max(ax, bx) + r, max(ay, by) + r))


def intersect(a, b):
    box = (max(a.box[0], b.box[0]), max(a.box[1], b.box[1]),
           min(a.box[2], b.box[2]), min(a.box[3], b.box[3]))
    return Shape(lambda x, y: max(a.dist(x, y), b.dist(x, y)), box)


def grow(shape, amount):
    """The shape widened by `amount` on every side (an outline's outer edge)."""
    b = shape.box
    return Shape(lambda x, y: shape.dist(x, y) - amount,
                 (b[0] - amount, b[1] - amount, b[2] + amount, b[3] + amount))


def ellipse(cx, cy, rx, ry):
    """Distance scaled by the smaller radius: a lower bound of the true one."""
    k = min(rx, ry)
    return Shape(lambda x, y: (math.hypot((x - cx) / rx, (y - cy) / ry) - 1.0) * k,
                 (cx - rx, cy - ry, cx + rx, cy + ry))


def polygon(points):
    """A convex polygon, points clockwise on screen (y down). The largest
    distance to the edge lines is exact inside and a lower bound outside."""
    edges = []
    for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
        length = math.hypot(bx - ax, by - ay)
        edges.append((ax, ay, (by - ay) / length, (ax - bx) / length))  # outward normal

    def dist(x, y):
        return max((x - ax) * nx + (y - ay) * ny for ax, ay, nx, ny in edges)

    xs, ys = [p[0] for p in points], [p[1] for p in points]
    return Shape(dist, (min(xs), min(ys), max(xs), max(ys)))


def subtract(a, b):
    return Shape(lambda x, y: max(a.dist(x, y), -b.dist(x, y)), a.box)


def polyline(points, r):
    return [capsule(p[0], p[1], q[0], q[1], r) for p, q in zip(points, points[1:])]


# --------------------------------------------------------------------------
# Rasteriser and compositing


def coverage(size, shapes):
    """Fraction of each pixel covered by the union of `shapes`, row by row."""
    grid = [[0.0] * size for _ in range(size)]
    step = 1.0 / SUPERSAMPLE
    offsets = [(i + 0.5) * step for i in range(SUPERSAMPLE)]
    for py in range(size):
        cy = py + 0.5
        row_shapes = [s for s in shapes if s.box[1] - 1 <= cy <= s.box[3] + 1]
        if not row_shapes:
            continue
        row = grid[py]
        for px in range(size):
            cx = px + 0.5
            near = []
            inside = False
            for s in row_shapes:
                if not (s.box[0] - 1 <= cx <= s.box[2] + 1):
                    continue
                d = s.dist(cx, cy)
                if d <= -HALF_DIAGONAL:
                    inside = True
                    break
                if d < HALF_DIAGONAL:
                    near.append(s)
            if inside:
                row[px] = 1.0
                continue
            if not near:
                continue
            hits = 0
            for oy in offsets:
                y = py + oy
                for ox in offsets:
                    x = px + ox
                    for s in near:
                        if s.dist(x, y) < 0.0:
                            hits += 1
                            break
            row[px] = hits / float(SUPERSAMPLE * SUPERSAMPLE)
    return grid


class Image:
    """Straight (not premultiplied) RGBA in floats, alpha 0..1."""

    def __init__(self, size):
        self.size = size
        self.px = [[(0.0, 0.0, 0.0, 0.0)] * size for _ in range(size)]

    def paint(self, shapes, colour, opacity=1.0):
        """Source-over of a colour through the coverage of `shapes`. The colour
        is an (r, g, b) triple, or a function of the pixel centre returning one
        (for shading)."""
        cov = coverage(self.size, shapes)
        for y in range(self.size):
            for x in range(self.size):
                a = cov[y][x] * opacity
                if a <= 0.0:
                    continue
                if callable(colour):
                    colour_here = colour(x + 0.5, y + 0.5)
                else:
                    colour_here = colour
                self.blend(x, y, colour_here, a)

    def blend(self, x, y, colour, a):
        """Source-over of `colour` at opacity `a` onto one pixel."""
        r0, g0, b0, a0 = self.px[y][x]
        out = a + a0 * (1.0 - a)
        k = a0 * (1.0 - a)
        self.px[y][x] = ((colour[0] * a + r0 * k) / out,
                         (colour[1] * a + g0 * k) / out,
                         (colour[2] * a + b0 * k) / out, out)

    def bgra_rows(self):
        """Rows top-down of 8-bit B, G, R, A; colour is zero where alpha is zero."""
        rows = []
        for y in range(self.size):
            row = bytearray()
            for r, g, b, a in self.px[y]:
                a8 = int(round(a * 255.0))
                if a8 == 0:
                    row += b"\0\0\0\0"
                else:
                    row += bytes((int(round(b)), int(round(g)), int(round(r)), a8))
            rows.append(bytes(row))
        return rows


# --------------------------------------------------------------------------
# Text: stroke glyphs drawn as round-capped lines, like the gothic type of a
# date stamp. Only the large sizes carry letters.

DATE_TEXT = "7.12.08"  # era year . month . day
NAME_TEXT = "山田"
DEPARTMENT_TEXT = "本社"


def arc(cx, cy, rx, ry, a0, a1, steps=14):
    """Points on an ellipse; angles in degrees, 0 = right, 90 = down."""
    pts = []
    for i in range(steps + 1):
        a = math.radians(a0 + (a1 - a0) * i / steps)
        pts.append((cx + rx * math.cos(a), cy + ry * math.sin(a)))
    return pts


# Stroke glyphs in a unit box (x right, y down); each is a list of polylines.
STROKE_GLYPHS = {
    "0": [arc(0.5, 0.5, 0.36, 0.46, 0, 360, 32)],
    "1": [[(0.26, 0.22), (0.56, 0.04), (0.56, 0.96)]],
    "2": [arc(0.5, 0.3, 0.36, 0.26, 195, 360, 12)
          + [(0.8, 0.47), (0.12, 0.96), (0.9, 0.96)]],
    "7": [[(0.1, 0.04), (0.9, 0.04), (0.84, 0.22), (0.42, 0.96)]],
    "8": [arc(0.5, 0.26, 0.3, 0.22, 0, 360, 28), arc(0.5, 0.72, 0.37, 0.24, 0, 360, 28)],
    ".": [[(0.5, 0.92), (0.5, 0.92)]],
    "本": [[(0.06, 0.27), (0.94, 0.27)], [(0.5, 0.03), (0.5, 0.97)],
          [(0.47, 0.31), (0.06, 0.75)], [(0.53, 0.31), (0.94, 0.75)],
          [(0.28, 0.72), (0.72, 0.72)]],
    "社": [[(0.2, 0.04), (0.26, 0.14)], [(0.04, 0.3), (0.36, 0.3), (0.04, 0.66)],
          [(0.24, 0.48), (0.24, 0.97)], [(0.27, 0.52), (0.4, 0.64)],
          [(0.5, 0.43), (0.9, 0.43)], [(0.7, 0.1), (0.7, 0.9)], [(0.45, 0.92), (0.96, 0.92)]],
    "山": [[(0.5, 0.06), (0.5, 0.9)], [(0.12, 0.34), (0.12, 0.92), (0.88, 0.92), (0.88, 0.34)]],
    "田": [[(0.1, 0.1), (0.9, 0.1), (0.9, 0.92), (0.1, 0.92), (0.1, 0.1)],
          [(0.5, 0.1), (0.5, 0.92)], [(0.1, 0.51), (0.9, 0.51)]],
}

# Advance widths (in glyph heights) of the stroke glyphs.
STROKE_ADVANCE = {"0": 0.62, "1": 0.5, "2": 0.62, "7": 0.62, "8": 0.62, ".": 0.3,
                  "本": 1.0, "社": 1.0, "山": 1.0, "田": 1.0}
STROKE_BOX_WIDTH = {"0": 0.62, "1": 0.62, "2": 0.62, "7": 0.62, "8": 0.62, ".": 0.62,
                    "本": 1.0, "社": 1.0, "山": 1.0, "田": 1.0}


def stroke_text_width(text, height, tracking):
    return sum(STROKE_ADVANCE[ch] * height for ch in text) + tracking * height * (len(text) - 1)


def stroke_text(text, cx, cy, height, weight, tracking):
    """Capsule strokes for `text`, centred on (cx, cy); `weight` is the stroke
    width in pixels."""
    shapes = []
    x = cx - stroke_text_width(text, height, tracking) / 2.0
    top = cy - height / 2.0
    for ch in text:
        advance = STROKE_ADVANCE[ch] * height
        box = STROKE_BOX_WIDTH[ch] * height
        # Narrow glyphs ("1", ".") sit in the middle of their advance.
        left = x + (advance - box) / 2.0
        for line in STROKE_GLYPHS[ch]:
            pts = [(left + px * box, top + py * height) for px, py in line]
            r = weight / 2.0 * (1.6 if ch == "." else 1.0)
            shapes += polyline(pts, r)
        x += advance + tracking * height
    return shapes


# --------------------------------------------------------------------------
# The application icon

# Per size: ring outer radius and width, chord half-gap (centre to inner chord
# edge) and chord thickness, the text style and stroke weight. Up to 64 pixels
# the ring's outer edge and the chords lie on whole pixels, so the ring's four
# extremes and the chords are solid rows and columns; the small sizes get
# relatively thicker lines and drop the letters (16, 20) or draw bars instead.
ICON_LAYOUT = {
    16: dict(r_out=8.0, ring=2.0, gap=2, chord=1, text=None),
    20: dict(r_out=10.0, ring=2.0, gap=3, chord=1, text=None),
    24: dict(r_out=12.0, ring=2.0, gap=3, chord=1, text="bars", band_lines=False),
    32: dict(r_out=16.0, ring=2.5, gap=4, chord=1, text="bars"),
    40: dict(r_out=20.0, ring=3.0, gap=5, chord=1, text="bars"),
    48: dict(r_out=23.0, ring=3.0, gap=7, chord=1, text="stroke", weight=1.3),
    64: dict(r_out=31.0, ring=3.5, gap=9, chord=2, text="stroke", weight=1.6),
    128: dict(r_out=62.5, ring=6.5, gap=19, chord=3, text="stroke", weight=3.2),
    256: dict(r_out=125.0, ring=12.0, gap=38, chord=5, text="stroke", weight=6.4),
}


def icon_text_shapes(size, layout, r_in):
    c = size / 2.0
    gap, chord = layout["gap"], layout["chord"]
    style = layout["text"]
    shapes = []
    if style == "bars":
        # Too small for letters: solid bars on whole pixels stand for the lines
        # of print. The middle line is split like a date (7 . 12 . 08).
        unit = size / 32.0
        widths = (int(4 * unit + 0.5), int(5 * unit + 0.5), int(5 * unit + 0.5))
        space = int(2 * unit + 0.5)
        x = c - (sum(widths) + 2 * space) // 2
        for w in widths:
            shapes.append(rect(x, c - 1, x + w, c + 1))
            x += w + space
        if layout.get("band_lines", True):
            top = c - gap - chord - 4
            bottom = c + gap + chord + 2
            shapes.append(rect(c - round(5 * unit), top, c + round(5 * unit), top + 2))
            shapes.append(rect(c - round(4 * unit), bottom, c + round(4 * unit), bottom + 2))
    elif style == "stroke":
        weight = layout["weight"]
        # The date fills the middle band; department and name sit a little
        # towards the chords, where their bands are widest.
        shapes += stroke_text(DATE_TEXT, c, c, gap * 1.18, weight, 0.1)
        band = c - gap - chord - (c - r_in)
        glyph = band * 0.58
        shapes += stroke_text(DEPARTMENT_TEXT, c, c - gap - chord - band * 0.42, glyph, weight * 1.1, 0.16)
        shapes += stroke_text(NAME_TEXT, c, c + gap + chord + band * 0.42, glyph, weight * 1.1, 0.16)
    return shapes


def impression_shapes(size, layout):
    """Ring, chords and print of a round date stamp filling a square of `size`."""
    c = size / 2.0
    r_out = layout["r_out"]
    r_in = r_out - layout["ring"]
    gap, chord = layout["gap"], layout["chord"]
    ink = [annulus(c, c, r_out, r_in)]
    # The chords run from ring to ring; clipping them to the ring's middle line
    # lets their ends merge into it.
    clip = disc(c, c, (r_out + r_in) / 2.0)
    ink.append(intersect(rect(0, c - gap - chord, size, c - gap), clip))
    ink.append(intersect(rect(0, c + gap, size, c + gap + chord), clip))
    ink += icon_text_shapes(size, layout, r_in)
    return ink


def draw_icon(size):
    img = Image(size)
    img.paint(impression_shapes(size, ICON_LAYOUT[size]), INK)
    return img


# --------------------------------------------------------------------------
# Notification-area icons: two sets of five, "classic" with soft shading for
# Windows before 10 and "flat" for Windows 10 and 11.
#
#   1  the impression: the stamp's ring, chords and lines of print
#   2  the stamp raised over the paper, its shadow below
#   3  the stamp pressed down, speed lines beside it
#   4  the stamp raised again over the fresh impression
#   5  a faded impression (a spare; not shown)
#
# The stamp of frames 2 to 4 is seen from the side: knob, neck and flare, a
# darker block and the inked rubber face. It is designed on a 32-unit grid; the
# straight edges are rounded to whole pixels at every size.

TRAY_SIZES = (16, 20, 24, 32, 48)

TRAY_LAYOUT = {
    # Below 24 pixels the print is a split date bar of 2 pixels and one line
    # of 1 pixel in each outer band; widths and places are whole pixels.
    16: dict(r_out=8.0, ring=2.0, gap=2, chord=1, text="small",
             date=(2, 2, 2), space=1, band=(6, 3, 10, 12)),
    20: dict(r_out=10.0, ring=2.0, gap=3, chord=1, text="small",
             date=(3, 3, 3), space=1, band=(7, 3, 13, 16)),
    24: dict(r_out=12.0, ring=2.0, gap=3, chord=1, text="bars"),
    32: ICON_LAYOUT[32],
    48: ICON_LAYOUT[48],
}

INK_LIGHT = (232, 62, 56)    # classic ink, top of the impression
INK_DARK = (176, 16, 30)     # classic ink, bottom
INK_SHADOW = (96, 8, 16)     # classic drop shadow under the ink
BODY_FLAT = (214, 66, 66)     # lacquered stamp handle
BLOCK_FLAT = (132, 22, 32)    # the block that holds the rubber
BODY_LIGHT = (238, 112, 106)  # classic handle and block: highlight, middle, shade
BODY_MID = (204, 50, 54)
BODY_DARK = (118, 16, 26)
PAPER_SHADOW = (110, 16, 22)
STAMP_HEIGHT = 19.5          # grid units from the knob's top to the face


def shift(shape, dx, dy):
    b = shape.box
    return Shape(lambda x, y: shape.dist(x - dx, y - dy), (b[0] + dx, b[1] + dy, b[2] + dx, b[3] + dy))


def lerp(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(p + (q - p) * t for p, q in zip(a, b))


def tray_text_shapes(size, layout):
    """Print of the two smallest impressions, as whole-pixel bars."""
    c = size // 2
    shapes = []
    x = c - (sum(layout["date"]) + 2 * layout["space"]) // 2
    for w in layout["date"]:
        shapes.append(rect(x, c - 1, x + w, c + 1))
        x += w + layout["space"]
    x0, top, x1, bottom = layout["band"]
    shapes.append(rect(x0, top, x1, top + 1))
    shapes.append(rect(x0, bottom, x1, bottom + 1))
    return shapes


def tray_impression_shapes(size):
    layout = TRAY_LAYOUT[size]
    if layout["text"] != "small":
        return impression_shapes(size, layout)
    small = dict(layout, text=None)
    return impression_shapes(size, small) + tray_text_shapes(size, layout)


def paint_impression(img, shapes, classic, opacity=1.0):
    size = img.size
    if not classic:
        img.paint(shapes, INK, opacity)
        return
    # A soft shadow down and to the right (from 24 pixels up; below, it would
    # only blur the edges), then ink that darkens downwards.
    if size >= 24:
        d = size / 48.0
        img.paint([shift(sh, d, d) for sh in shapes], INK_SHADOW, 0.3 * opacity)
    img.paint(shapes, lambda x, y: lerp(INK_LIGHT, INK_DARK, y / size), opacity)


def stamp_parts(s, lift):
    """The stamp seen from the side, its face resting `lift` grid units above
    grid line 28 (the paper): knob, neck and flare; the block; the inked face.
    Also returns the block's horizontal extent (for shading)."""
    p = lambda v: math.floor(v * s + 0.5)  # straight edges: whole pixels
    top = 28.0 - lift - STAMP_HEIGHT       # grid line of the knob's top
    g = lambda v: top + v                  # grid units below the knob's top
    handle = [rect(p(12), p(g(0)), p(20), p(g(6.5)), radius=2.6 * s),       # knob
              rect(p(14), p(g(6)), p(18), p(g(10))),                        # neck
              polygon([(p(14), p(g(9.5))), (p(18), p(g(9.5))),
                       (p(22), p(g(12.5))), (p(10), p(g(12.5)))])]          # flare
    block = [rect(p(7), p(g(12.5)), p(25), p(g(17.5)), radius=0.8 * s)]
    face = [rect(p(8), p(g(17.5)), p(24), p(g(STAMP_HEIGHT)))]
    return handle, block, face, (p(7), p(25))


def paint_stamp(img, s, lift, classic):
    handle, block, face, (x0, x1) = stamp_parts(s, lift)
    if not classic:
        img.paint(handle, BODY_FLAT)
        img.paint(block, BLOCK_FLAT)
        img.paint(face, INK)
        return
    cx, half = (x0 + x1) / 2.0, (x1 - x0) / 2.0

    def cylinder(x, y, dark=0.0):
        # Light from the upper left: a highlight a third of the way in.
        t = (x - cx) / half
        f = max(0.0, 1.0 - ((t + 0.3) / 1.1) ** 2)
        base = lerp(BODY_DARK, BODY_MID, min(1.0, f * 1.5))
        return lerp(lerp(base, BODY_LIGHT, (f - 0.7) / 0.3), BODY_DARK, dark)

    img.paint(handle, cylinder)
    img.paint(block, lambda x, y: cylinder(x, y, 0.4))
    img.paint(face, lambda x, y: lerp(INK_LIGHT, INK_DARK, (x - x0) / (x1 - x0)))


def paper_ellipse(s):
    """Where the stamp lands, seen at a slant: centre on grid line 28."""
    return 16 * s, 27.6 * s, 12.5 * s, 3.6 * s


def draw_tray_icon(size, frame, classic):
    s = size / 32.0
    img = Image(size)
    if frame in (1, 5):
        paint_impression(img, tray_impression_shapes(size), classic, 1.0 if frame == 1 else 0.45)
        return img
    cx, cy, rx, ry = paper_ellipse(s)
    if frame == 2:
        # Raised: only a shadow on the paper, where the stamp will land.
        if classic:
            for k in range(4):
                img.paint([ellipse(cx, cy, rx * (1 - 0.12 * k), ry * (1 - 0.12 * k))], PAPER_SHADOW, 0.12)
        else:
            img.paint([ellipse(cx, cy, rx, ry)], PAPER_SHADOW, 0.35)
        paint_stamp(img, s, 6.0, classic)
    elif frame == 3:
        # Pressed: the face on the paper; speed lines beside the handle and
        # the paper's edge showing on both sides. Whole pixels: they stay crisp.
        paint_stamp(img, s, 0.0, classic)
        p = lambda v: math.floor(v * s + 0.5)
        w = max(1, p(1.2))
        speed = []
        for x, y0, y1 in ((8.5, 9, 17), (4.5, 13, 20)):
            for line_x in (x, 32 - x):
                left = p(line_x) - w // 2 if w > 1 else math.floor(line_x * s)
                speed.append(rect(left, p(y0), left + w, p(y1)))
        img.paint(speed, INK, 0.7)
        y0 = p(27.5) - w // 2 if w > 1 else math.floor(27.5 * s)
        edge = [rect(p(0.5), y0, p(5.5), y0 + w), rect(p(26.5), y0, p(31.5), y0 + w)]
        img.paint(edge, INK)
    else:
        # Raised again: the fresh impression seen at a slant, its ring and,
        # from 24 pixels up, the date line.
        ring = subtract(ellipse(cx, cy, rx, ry), ellipse(cx, cy, rx - max(1.0, 2.0 * s), ry - max(1.0, 1.2 * s)))
        clip = ellipse(cx, cy, rx - 0.6 * s, ry - 0.4 * s)
        ink = [ring]
        if size >= 24:
            ink.append(intersect(rect(cx - 6 * s, cy - 0.5 * s, cx + 6 * s, cy + 0.5 * s), clip))
        paint_impression(img, ink, classic)
        paint_stamp(img, s, 6.0, classic)
    return img


# --------------------------------------------------------------------------
# The cursor, designed on a 32-unit grid and scaled.

def hand_parts(s):
    """White parts of the hand and the black creases between the folded
    fingers, in pixels for scale `s` (1 = 32 pixels)."""
    u = lambda v: v * s
    parts = [
        rect(u(9), u(1), u(14), u(20), radius=u(2.5)),     # index finger, pointing up
        rect(u(13), u(10), u(18), u(21), radius=u(2.2)),   # middle finger, folded
        rect(u(17), u(11), u(22), u(22), radius=u(2.2)),   # ring finger
        rect(u(21), u(13), u(25), u(23), radius=u(2.0)),   # little finger
        rect(u(9), u(16), u(25), u(29), radius=u(3.5)),    # palm
        capsule(u(10), u(23), u(5), u(17.5), u(2.4)),      # thumb, out to the left
    ]
    creases = [
        capsule(u(13.5), u(12.5), u(13.5), u(16), u(0.5)),
        capsule(u(17.5), u(13.5), u(17.5), u(17), u(0.5)),
        capsule(u(21.5), u(15.5), u(21.5), u(18.5), u(0.5)),
        capsule(u(9.5), u(19.5), u(11.5), u(21.5), u(0.5)),  # where the thumb leaves the palm
    ]
    return parts, creases


def draw_cursor(size):
    s = size / 32.0
    outline = 1.0 * s
    parts, creases = hand_parts(s)
    img = Image(size)
    img.paint([grow(p, outline) for p in parts], BLACK)
    img.paint(parts, WHITE)
    inner = Shape(lambda x, y: min(p.dist(x, y) for p in parts), (0, 0, size, size))
    img.paint([intersect(cr, inner) for cr in creases], BLACK)
    return img


# The drag cursors share one hand position, so that the hand stays put when
# the cursor changes under a still mouse; the hotspot is the middle of the
# palm, where the hand holds what it drags. Badges sit at the lower right.

DRAG_HOTSPOT = (15, 18)  # on the 32-unit grid
BADGE = (24, 24, 7.0)    # centre and radius of the badge, 32-unit grid


def open_hand_parts(s):
    """The back of an open right hand, fingers up. Fingers are upright and
    their sides lie on whole pixels, so that at 32 pixels each is 3 pixels of
    white with one pixel of outline between it and the next."""
    p = lambda v: math.floor(v * s + 0.5)
    parts = [
        rect(p(8), p(5), p(11), p(17), radius=1.5 * s),     # index finger
        rect(p(12), p(3), p(15), p(17), radius=1.5 * s),    # middle finger
        rect(p(16), p(4), p(19), p(17), radius=1.5 * s),    # ring finger
        rect(p(20), p(7), p(23), p(18), radius=1.5 * s),    # little finger
        rect(p(8), p(14), p(23), p(27), radius=4.0 * s),    # palm
        capsule(9.2 * s, 22.5 * s, 3.8 * s, 15.6 * s, 1.9 * s),  # thumb, out to the left
    ]
    creases = [rect(p(x), p(13), p(x + 1), p(16)) for x in (11, 15, 19)]
    return parts, creases


def closed_hand_parts(s):
    """The back of a right hand gripping: fingers curled under, the four
    knuckles on top, the thumb folded against the fist."""
    p = lambda v: math.floor(v * s + 0.5)
    parts = [
        rect(p(8), p(13), p(23), p(27), radius=4.0 * s),    # fist
        rect(p(8), p(11), p(11), p(17), radius=1.5 * s),    # knuckles
        rect(p(12), p(10), p(15), p(17), radius=1.5 * s),
        rect(p(16), p(10), p(19), p(17), radius=1.5 * s),
        rect(p(20), p(12), p(23), p(17), radius=1.5 * s),
        capsule(8.8 * s, 23.0 * s, 5.2 * s, 18.0 * s, 2.0 * s),  # thumb
    ]
    creases = [rect(p(x), p(12), p(x + 1), p(16)) for x in (11, 15, 19)]
    creases.append(capsule(8.8 * s, 19.8 * s, 11.0 * s, 22.2 * s, 0.5 * s))
    return parts, creases


def paint_hand(img, parts, creases, outline):
    img.paint([grow(p, outline) for p in parts], BLACK)
    img.paint(parts, WHITE)
    inner = Shape(lambda x, y: min(p.dist(x, y) for p in parts), (0, 0, img.size, img.size))
    img.paint([intersect(cr, inner) for cr in creases], BLACK)


def draw_hand_cursor(size, kind):
    """kind 2: open hand (hover), 3: closed hand (dragging), 4: closed hand with
    a "no" sign (no drop here), 5: closed hand with a red stamp (drop stamps)."""
    s = size / 32.0
    p = lambda v: math.floor(v * s + 0.5)
    outline = max(1, p(1))
    img = Image(size)
    parts, creases = open_hand_parts(s) if kind == 2 else closed_hand_parts(s)
    paint_hand(img, parts, creases, outline)
    if kind in (4, 5):
        cx, cy, r = p(BADGE[0]), p(BADGE[1]), BADGE[2] * s
        img.paint([disc(cx, cy, r)], BLACK)
        img.paint([disc(cx, cy, r - outline)], WHITE)
        if kind == 4:
            # The "no" sign: a ring with a slash from upper left to lower right.
            ring = annulus(cx, cy, r - 1.9 * s, r - 3.7 * s)
            k = (r - 2.8 * s) * math.sqrt(0.5)
            slash = capsule(cx - k, cy - k, cx + k, cy + k, 0.9 * s)
            img.paint([ring, slash], BLACK)
        else:
            # A little date stamp impression: ring and two chords on whole pixels.
            r_out, r_in = r - 1.6 * s, r - 3.0 * s
            clip = disc(cx, cy, (r_out + r_in) / 2.0)
            gap, chord = max(1, p(1)), max(1, p(1))
            ink = [annulus(cx, cy, r_out, r_in),
                   intersect(rect(cx - r, cy - gap - chord, cx + r, cy - gap), clip),
                   intersect(rect(cx - r, cy + gap, cx + r, cy + gap + chord), clip)]
            img.paint(ink, INK)
    return img


def drag_hotspot(size):
    s = size / 32.0
    return math.floor(DRAG_HOTSPOT[0] * s + 0.5), math.floor(DRAG_HOTSPOT[1] * s + 0.5)


def hotspot_of(img):
    """The fingertip: the middle of the first row holding an opaque pixel."""
    for y in range(img.size):
        xs = [x for x in range(img.size) if img.px[y][x][3] >= 0.5]
        if xs:
            return (xs[0] + xs[-1]) // 2, y
    raise ValueError("empty cursor")


# --------------------------------------------------------------------------
# File formats


def dib_entry(img):
    """A 32-bit DIB with alpha, as stored in .ico and .cur files: a
    BITMAPINFOHEADER of double height, the colour rows bottom-up, then the
    1-bit AND mask (1 = transparent) with rows padded to 32 bits."""
    n = img.size
    rows = img.bgra_rows()
    mask_stride = ((n + 31) // 32) * 4
    mask = bytearray()
    for y in range(n - 1, -1, -1):
        bits = bytearray(mask_stride)
        for x in range(n):
            if img.px[y][x][3] * 255.0 < 0.5:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    colour = b"".join(reversed(rows))
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return header + colour + bytes(mask)


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def png_entry(img):
    n = img.size
    raw = bytearray()
    for row in img.bgra_rows():
        raw.append(0)  # filter: none
        for i in range(0, len(row), 4):
            b, g, r, a = row[i:i + 4]
            raw += bytes((r, g, b, a))
    return (b"\x89PNG\r\n\x1a\n"
            + png_chunk(b"IHDR", struct.pack(">IIBBBBB", n, n, 8, 6, 0, 0, 0))
            + png_chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + png_chunk(b"IEND", b""))


def icon_file(kind, entries):
    """kind 1 = icon, 2 = cursor; entries: (size, data, field_a, field_b), where
    the two fields are planes and bit count for icons, the hotspot for cursors."""
    out = struct.pack("<HHH", 0, kind, len(entries))
    offset = 6 + 16 * len(entries)
    body = b""
    for size, data, a, b in entries:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, a, b, len(data), offset)
        offset += len(data)
        body += data
    return out + body


def write(out_dir, name, data):
    with open(os.path.join(out_dir, name), "wb") as f:
        f.write(data)


# --------------------------------------------------------------------------
# The uninstaller's icon

UNINSTALL_X = (150, 12, 24)  # darker than the ink, so the cross reads over it


def draw_uninstall_icon(size):
    img = Image(size)
    img.paint(impression_shapes(size, ICON_LAYOUT[size]), INK, 0.45)
    # The cross sits in the lower right half, over the ring.
    r = max(1.0, size / 14.0)
    a, b = size * 0.42, size * 0.92
    img.paint([capsule(a, a, b, b, r), capsule(a, b, b, a, r)], UNINSTALL_X)
    return img


def write_icon(out_dir, name, draw):
    """Writes an icon file with every size of ICON_SIZES drawn by `draw`."""
    entries = []
    for size in ICON_SIZES:
        img = draw(size)
        data = png_entry(img) if size >= PNG_MIN_SIZE else dib_entry(img)
        entries.append((size, data, 1, 32))
    write(out_dir, name, icon_file(1, entries))
    print("%s sizes %s" % (name, ", ".join(str(s) for s in ICON_SIZES)))


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = argv[1] if len(argv) > 1 else os.path.join(here, "..", "resources")
    os.makedirs(out_dir, exist_ok=True)

    for name, draw in (("markomi.ico", draw_icon), ("uninstall.ico", draw_uninstall_icon)):
        write_icon(out_dir, name, draw)

    cursors = []
    for size in CURSOR_SIZES:
        img = draw_cursor(size)
        hx, hy = hotspot_of(img)
        cursors.append((size, dib_entry(img), hx, hy))
        print("my_hand.cur %dx%d hotspot (%d, %d)" % (size, size, hx, hy))
    write(out_dir, "my_hand.cur", icon_file(2, cursors))

    for first, classic in ((1, True), (11, False)):
        for frame in range(1, 6):
            entries = [(size, dib_entry(draw_tray_icon(size, frame, classic)), 1, 32)
                       for size in TRAY_SIZES]
            write(out_dir, "markomi%02d.ico" % (first + frame - 1), icon_file(1, entries))
    print("markomi01.ico to markomi05.ico, markomi11.ico to markomi15.ico sizes %s"
          % ", ".join(str(s) for s in TRAY_SIZES))

    for kind in range(2, 6):
        entries = []
        for size in CURSOR_SIZES:
            hx, hy = drag_hotspot(size)
            entries.append((size, dib_entry(draw_hand_cursor(size, kind)), hx, hy))
            print("my_hand%d.cur %dx%d hotspot (%d, %d)" % (kind, size, size, hx, hy))
        write(out_dir, "my_hand%d.cur" % kind, icon_file(2, entries))


if __name__ == "__main__":
    main(sys.argv)
