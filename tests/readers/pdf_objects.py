"""A PDF 1.4 file of the given object bodies (bytes), numbered from 1 in
order, object 1 the catalog, with its cross-reference table; and the sample
documents the benches and reader tests stamp. For hand-made test documents.
Standard library only.
"""


def pdf_bytes(objects):
    out = bytearray(b"%PDF-1.4\n")
    offsets = []
    for i, body in enumerate(objects):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % (i + 1) + body + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    out += b"".join(b"%010d 00000 n \n" % o for o in offsets)
    out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, xref)
    return bytes(out)


def text_pages_bytes(contents):
    """A4 pages, one per content stream of `contents`, with Helvetica as /F1."""
    objects = [b"<< /Type /Catalog /Pages 2 0 R >>", None,
               b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"]
    kids = []
    for content in contents:
        objects.append(b"<< /Length %d >>\nstream\n%sendstream" % (len(content), content))
        objects.append(b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] "
                       b"/Resources << /Font << /F1 3 0 R >> >> /Contents %d 0 R >>" % len(objects))
        kids.append(b"%d 0 R" % len(objects))
    objects[1] = b"<< /Type /Pages /Kids [%s] /Count %d >>" % (b" ".join(kids), len(kids))
    return pdf_bytes(objects)


def invoice_bytes(rules=False):
    """The sample invoice: one page of 30 item lines, with a table's rules under them when asked."""
    lines = b"".join(b"(Item %02d  quantity %d  unit 1,200 yen) Tj 0 -16 Td\n" % (i + 1, i % 7 + 1)
                     for i in range(30))
    content = b"BT /F1 11 Tf 56 748 Td\n" + lines + b"ET\n"
    if rules:
        content = b"0.5 w\n" + b"".join(b"50 %d m 545 %d l S\n" % (y, y) for y in range(760, 270, -16)) + content
    return text_pages_bytes([content])


# --- Inputs of the incremental stamping cases -------------------------------

def hybrid_pdf_bytes(objects, compressed):
    """A PDF 1.5 file of `objects` as pdf_bytes numbers them, whose objects
    numbered in `compressed` (no streams) sit in an object stream that only a
    cross-reference stream lists; the table lists the rest, and its trailer
    names the stream with /XRefStm: a hybrid-reference file."""
    n = len(objects)
    packed = sorted(compressed)
    heads, bodies = [], b""
    for number in packed:
        heads.append(b"%d %d" % (number, len(bodies)))
        bodies += objects[number - 1] + b"\n"
    head = b" ".join(heads) + b"\n"
    objstm, xrefstm = n + 1, n + 2
    out = bytearray(b"%PDF-1.5\n%\xe2\xe3\xcf\xd3\n")
    offsets = {}
    for number in range(1, n + 1):
        if number in compressed:
            continue
        offsets[number] = len(out)
        out += b"%d 0 obj\n" % number + objects[number - 1] + b"\nendobj\n"
    offsets[objstm] = len(out)
    data = head + bodies
    out += b"%d 0 obj\n<< /Type /ObjStm /N %d /First %d /Length %d >>\nstream\n%s\nendstream\nendobj\n" % (
        objstm, len(packed), len(head), len(data), data)
    entries = b"".join(bytes([2, 0, objstm, i]) for i, _ in enumerate(packed))
    index = b" ".join(b"%d 1" % number for number in packed)
    offsets[xrefstm] = len(out)
    out += (b"%d 0 obj\n<< /Type /XRef /Size %d /W [1 2 1] /Index [%s] /Length %d >>\nstream\n%s\nendstream\n"
            b"endobj\n" % (xrefstm, xrefstm + 1, index, len(entries), entries))
    xref = len(out)
    out += b"xref\n0 1\n0000000000 65535 f \n"
    for number in sorted(offsets):
        out += b"%d 1\n%010d 00000 n \n" % (number, offsets[number])
    out += b"trailer\n<< /Size %d /Root 1 0 R /XRefStm %d >>\nstartxref\n%d\n%%%%EOF\n" % (
        xrefstm + 1, offsets[xrefstm], xref)
    return bytes(out)


SIGNATURE_SLOT = b"/ByteRange [0 0000000000 0000000000 0000000000] /Contents <" + b"0" * 8192 + b">"


def with_byte_range(data):
    """The file with the /ByteRange of its SIGNATURE_SLOT filled in (the whole
    file but the <...> of /Contents), and the bytes that range covers."""
    at = data.index(SIGNATURE_SLOT)
    gap = data.index(b"<", at)
    end = gap + 8194
    numbers = b"[0 %010d %010d %010d]" % (gap, end, len(data) - end)
    data = data[:at] + b"/ByteRange " + numbers + data[at + 11 + len(numbers):]
    return data, data[:gap] + data[end:]
