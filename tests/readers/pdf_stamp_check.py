#!/usr/bin/env python3
"""Whether a stamped PDF page, as poppler renders it, shows the stamp where it
was asked for and nothing else changed.

    pdf_stamp_check.py ORIGINAL.ppm STAMPED.ppm ALONE.ppm DPI POSITION MARGIN_MM

ORIGINAL and STAMPED are the page before and after, ALONE the stamp's own PDF
(its page is the stamp's picture frame), all rendered at DPI. POSITION is
top-left, top, top-right, left, centre, right, bottom-left, bottom,
bottom-right, or X,Y: the stamp's centre in mm from the page's top-left.
Passes (exit 0) when:
- every pixel that differs lies within the frame's box at the asked place,
  grown by kTolerance mm (outside it the page is the original's);
- the red ink that appeared has its box within kTolerance mm of where the
  stamp's own ink sits in that frame, and its width and height within kSize
  of the stamp's own ink.
Exit 1 otherwise, 2 when a picture cannot be read. Standard library only.
"""
import sys

kTolerance = 1.0  # mm
kSize = 0.02


def read_ppm(path):
    data = open(path, 'rb').read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b'#':
            pos = data.index(b'\n', pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    if fields[0] != b'P6' or fields[3] != b'255':
        raise ValueError(path + ': not an 8-bit PPM')
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[pos + 1:pos + 1 + width * height * 3]


def is_ink(pixels, i):
    r, g, b = pixels[i], pixels[i + 1], pixels[i + 2]
    return r - g >= 96 and r - b >= 96


def ink_box(width, height, pixels, region=None):
    x0, y0, x1, y1 = region or (0, 0, width - 1, height - 1)
    box = None
    for y in range(max(0, y0), min(height - 1, y1) + 1):
        row = y * width * 3
        for x in range(max(0, x0), min(width - 1, x1) + 1):
            if is_ink(pixels, row + 3 * x):
                if box is None:
                    box = [x, y, x, y]
                else:
                    box = [min(box[0], x), min(box[1], y), max(box[2], x), max(box[3], y)]
    return box


def differing_box(width, height, a, b):
    box = None
    stride = width * 3
    for y in range(height):
        ra, rb = a[y * stride:(y + 1) * stride], b[y * stride:(y + 1) * stride]
        if ra == rb:
            continue
        first = next(i for i in range(stride) if ra[i] != rb[i]) // 3
        last = next(i for i in range(stride - 1, -1, -1) if ra[i] != rb[i]) // 3
        if box is None:
            box = [first, y, last, y]
        else:
            box = [min(box[0], first), box[1], max(box[2], last), y]
    return box


def frame_centre(position, margin, page_w, page_h, frame_w, frame_h):
    """The frame's centre in pixels for a named position."""
    names = ['top-left', 'top', 'top-right', 'left', 'centre', 'right', 'bottom-left', 'bottom', 'bottom-right']
    index = names.index(position)
    column, row = index % 3, index // 3
    cx = [margin + frame_w / 2, page_w / 2, page_w - margin - frame_w / 2][column]
    cy = [margin + frame_h / 2, page_h / 2, page_h - margin - frame_h / 2][row]
    return cx, cy


def main(argv):
    try:
        ow, oh, original = read_ppm(argv[1])
        sw, sh, stamped = read_ppm(argv[2])
        aw, ah, alone = read_ppm(argv[3])
    except (OSError, ValueError, IndexError) as e:
        print('unreadable:', e)
        return 2
    dpi = float(argv[4])
    px = dpi / 25.4
    position = argv[5]
    margin = float(argv[6]) * px
    if (ow, oh) != (sw, sh):
        print('page size changed: %dx%d became %dx%d' % (ow, oh, sw, sh))
        return 1
    own = ink_box(aw, ah, alone)
    if own is None:
        print('the stamp alone shows no ink')
        return 1
    if ',' in position:
        x, y = position.split(',')
        cx, cy = float(x) * px, float(y) * px
    else:
        cx, cy = frame_centre(position, margin, ow, oh, aw, ah)
    frame = (cx - aw / 2, cy - ah / 2, cx + aw / 2, cy + ah / 2)
    tolerance = kTolerance * px
    changed = differing_box(ow, oh, original, stamped)
    if changed is None:
        print('the stamped page is the original')
        return 1
    ok = True
    if (changed[0] < frame[0] - tolerance or changed[1] < frame[1] - tolerance or
            changed[2] > frame[2] + tolerance or changed[3] > frame[3] + tolerance):
        print('pixels changed outside the stamp: %s, the frame %s' % (changed, [round(v) for v in frame]))
        ok = False
    ink = ink_box(ow, oh, stamped, changed)
    if ink is None:
        print('no red ink appeared')
        return 1
    expected = (frame[0] + own[0], frame[1] + own[1], frame[0] + own[2], frame[1] + own[3])
    worst = max(abs(ink[i] - expected[i]) for i in range(4)) / px
    own_w, own_h = own[2] - own[0] + 1, own[3] - own[1] + 1
    ink_w, ink_h = ink[2] - ink[0] + 1, ink[3] - ink[1] + 1
    size = max(abs(ink_w / own_w - 1), abs(ink_h / own_h - 1))
    print('ink %dx%d px at (%d,%d), the stamp alone %dx%d px; edges off by at most %.2f mm, size by %.1f %%'
          % (ink_w, ink_h, ink[0], ink[1], own_w, own_h, worst, size * 100))
    if worst > kTolerance:
        print('the stamp is not where it was asked for')
        ok = False
    if size > kSize:
        print('the stamp is not at its own size')
        ok = False
    return 0 if ok else 1


if __name__ == '__main__':
    sys.exit(main(sys.argv))
