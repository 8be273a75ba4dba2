"""png_difference.py A.png B.png LIMIT [FIRST_ROW LAST_ROW]: exit 0 when two
8-bit RGB or RGBA PNG files have the same size and a mean absolute
difference per channel (RGB) under LIMIT levels, over the whole picture or
the rows given, which must then hold ink (dark pixels) in both; prints the
figures. Standard library only."""
import struct
import sys
import zlib


def read_png(path):
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", path + ": not a PNG"
    pos, idat, head = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            head = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = head
    assert depth == 8 and colour in (2, 6) and interlace == 0, path + ": not 8-bit RGB(A)"
    step = 3 if colour == 2 else 4
    raw, stride = zlib.decompress(idat), width * step
    rows, prev = [], bytearray(stride)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            a = line[x - step] if x >= step else 0
            b, c = prev[x], prev[x - step] if x >= step else 0
            if kind == 1: line[x] = (line[x] + a) & 255
            elif kind == 2: line[x] = (line[x] + b) & 255
            elif kind == 3: line[x] = (line[x] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(bytes(b for i, b in enumerate(line) if i % step < 3))
        prev = line
    return width, height, rows


wa, ha, a = read_png(sys.argv[1])
wb, hb, b = read_png(sys.argv[2])
if (wa, ha) != (wb, hb):
    sys.exit("sizes differ: %dx%d against %dx%d" % (wa, ha, wb, hb))
inked = True
if len(sys.argv) > 5:
    first, last = int(sys.argv[4]), int(sys.argv[5])
    a, b = a[first:last + 1], b[first:last + 1]
    inked = all(sum(1 for v in row if v < 100) > 30 for rows in (a, b) for row in [b"".join(rows)])
total = sum(abs(p - q) for ra, rb in zip(a, b) for p, q in zip(ra, rb))
mean = total / (wa * len(a) * 3)
print("%dx%d rows, mean absolute difference %.3f levels%s" % (wa, len(a), mean, "" if inked else ", no ink"))
sys.exit(0 if mean < float(sys.argv[3]) and inked else 1)
