#!/usr/bin/env python3
"""Whether two PNG pictures of a stamp show the same red ink in the same shape.

    compare_ink.py EXPECTED.png ACTUAL.png   exit 0 alike, 1 not alike, 2 unreadable
    compare_ink.py --blank W H OUT.png       writes an all-white picture (a control)

Ink is a pixel that, laid over white, is clearly red: red at least 96 above
both green and blue (a stroke covering about 40 % of the pixel). The two inks
are laid onto each other by their bounding boxes, scaled to the same size, so
neither the reader's resolution nor its margins matter. Alike means:
- each picture has at least kMinInk ink pixels (a blank page fails);
- the boxes' aspect ratios differ by at most kAspect;
- of the ink of each picture, at least kReached finds ink of the other within
  kReach of the box's larger side (2 % of the 70 to 95 pixels of a stamp:
  one or two pixels), in both directions;
- and so does at least kCellReached of the ink in each of the kGrid x kGrid
  cells of the box that holds kCellInk ink pixels or more. The designs share
  ring, chords and text and differ only in ornaments at the rim: over the
  whole box the flower, star and typhoon reach 0.94 to 0.97 of each other,
  but their ornaments' cells at most 0.70, where each design read back
  reaches its own at least 0.88 (LibreOffice 7.4, 96 dpi).
Standard library only.
"""
import struct
import sys
import zlib

kMinInk = 50
kAspect = 0.06
kReach = 0.02
kReached = 0.93
kGrid = 4
kCellInk = 10
kCellReached = 0.80


def read_png(path):
    """(width, height, rows of RGBA bytes) for 8-bit non-interlaced PNGs."""
    with open(path, 'rb') as f:
        data = f.read()
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        raise ValueError('not a PNG')
    at, idat, palette, trns = 8, b'', None, b''
    while at < len(data):
        length, kind = struct.unpack('>I4s', data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        at += 12 + length
        if kind == b'IHDR':
            width, height, depth, colour, _, _, interlace = struct.unpack('>IIBBBBB', body)
        elif kind == b'PLTE':
            palette = [body[i:i + 3] for i in range(0, len(body), 3)]
        elif kind == b'tRNS':
            trns = body
        elif kind == b'IDAT':
            idat += body
    if depth != 8 or interlace != 0 or colour not in (0, 2, 3, 4, 6):
        raise ValueError('unsupported PNG (depth %d, colour %d, interlace %d)' % (depth, colour, interlace))
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[colour]
    raw = zlib.decompress(idat)
    stride = width * channels
    previous = bytes(stride)
    rows, pos = [], 0
    for _ in range(height):
        kind, line = raw[pos], bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        if kind in (2, 4) and not any(line) and previous == previous[:channels] * width:
            # Up or Paeth adding nothing to a uniform row (a blank page's rows):
            # the same row again, without the slow loop below.
            line = bytearray(previous)
        elif kind == 0:
            pass
        elif kind == 2:
            line = bytearray((a + b) & 255 for a, b in zip(line, previous))
        else:
            for i in range(stride):
                left = line[i - channels] if i >= channels else 0
                up = previous[i]
                corner = previous[i - channels] if i >= channels else 0
                if kind == 1:
                    line[i] = (line[i] + left) & 255
                elif kind == 2:
                    line[i] = (line[i] + up) & 255
                elif kind == 3:
                    line[i] = (line[i] + (left + up) // 2) & 255
                elif kind == 4:
                    p = left + up - corner
                    pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                    line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        previous = bytes(line)
        if colour == 6:
            rows.append(previous)
            continue
        if colour == 2:
            rgba = bytearray(b'\xff' * (4 * width))
            for c in range(3):
                rgba[c::4] = previous[c::3]
            rows.append(bytes(rgba))
            continue
        rgba = bytearray()
        for x in range(width):
            v = previous[x * channels:(x + 1) * channels]
            if colour == 0:
                rgba += bytes((v[0], v[0], v[0], 255))
            elif colour == 2:
                rgba += v + b'\xff'
            elif colour == 3:
                rgba += palette[v[0]] + bytes((trns[v[0]] if v[0] < len(trns) else 255,))
            else:
                rgba += bytes((v[0], v[0], v[0], v[1]))
        rows.append(bytes(rgba))
    return width, height, rows


def write_blank(path, width, height):
    raw = b''.join(b'\x00' + b'\xff' * (3 * width) for _ in range(height))
    def chunk(kind, body):
        return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))
    with open(path, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0))
                + chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))


def is_ink(r, g, b, a):
    # Over white: c' = c·a + 255·(1 − a); red minus the larger of the other two.
    over = lambda c: (c * a + 255 * (255 - a)) // 255
    return over(r) - max(over(g), over(b)) >= 96


def ink_points(path):
    width, _, rows = read_png(path)
    points = []
    seen = {}  # is_ink of each pixel value met: a picture holds few
    for y, row in enumerate(rows):
        if row == row[:4] * width:
            if not is_ink(*row[:4]):
                continue
        for x in range(width):
            pixel = row[4 * x:4 * x + 4]
            ink = seen.get(pixel)
            if ink is None:
                ink = seen[pixel] = is_ink(*pixel)
            if ink:
                points.append((x, y))
    return points


def box(points):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return min(xs), min(ys), max(xs) + 1, max(ys) + 1


def reached(source, target):
    """Share of `source` ink that finds `target` ink nearby, both boxes mapped onto
    each other: over all of it, and the least over the grid's cells."""
    sx0, sy0, sx1, sy1 = box(source)
    tx0, ty0, tx1, ty1 = box(target)
    tw, th = tx1 - tx0, ty1 - ty0
    reach = max(1, round(kReach * max(tw, th)))
    inked = set(target)
    cells = {}
    for x, y in source:
        # The pixel centre, at the same place in the other box.
        u = tx0 + int((x - sx0 + 0.5) * tw / (sx1 - sx0))
        v = ty0 + int((y - sy0 + 0.5) * th / (sy1 - sy0))
        near = any((u + dx, v + dy) in inked for dx in range(-reach, reach + 1) for dy in range(-reach, reach + 1))
        cell = cells.setdefault((int((x - sx0) * kGrid / (sx1 - sx0)), int((y - sy0) * kGrid / (sy1 - sy0))), [0, 0])
        cell[0] += 1
        cell[1] += near
    found = sum(found for _, found in cells.values())
    worst = min((found / count for count, found in cells.values() if count >= kCellInk), default=0.0)
    return round(found / len(source), 3), round(worst, 3)


def compare(expected_path, actual_path):
    expected, actual = ink_points(expected_path), ink_points(actual_path)
    verdict = {'expected_ink': len(expected), 'actual_ink': len(actual)}
    if len(expected) < kMinInk or len(actual) < kMinInk:
        return False, verdict
    ex0, ey0, ex1, ey1 = box(expected)
    ax0, ay0, ax1, ay1 = box(actual)
    aspect = ((ax1 - ax0) / (ay1 - ay0)) / ((ex1 - ex0) / (ey1 - ey0))
    verdict.update(expected_box='%dx%d' % (ex1 - ex0, ey1 - ey0), actual_box='%dx%d' % (ax1 - ax0, ay1 - ay0),
                   aspect=round(aspect, 3), expected_reached=reached(expected, actual),
                   actual_reached=reached(actual, expected))
    alike = abs(aspect - 1) <= kAspect and all(
        whole >= kReached and cell >= kCellReached
        for whole, cell in (verdict['expected_reached'], verdict['actual_reached']))
    return alike, verdict


def main(argv):
    if len(argv) == 5 and argv[1] == '--blank':
        write_blank(argv[4], int(argv[2]), int(argv[3]))
        return 0
    if len(argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    try:
        alike, verdict = compare(argv[1], argv[2])
    except (OSError, ValueError, zlib.error, struct.error) as error:
        print('unreadable: %s' % error)
        return 2
    print(('alike ' if alike else 'NOT alike ') + ' '.join('%s=%s' % kv for kv in verdict.items()))
    return 0 if alike else 1


if __name__ == '__main__':
    sys.exit(main(sys.argv))
