#!/usr/bin/env python3
"""Appends an incremental update to a PDF file by hand, as another writer
would, leaving the file's bytes as they are:
  content     a new content stream drawn on page 1 (a change no signature allows)
  annotation  a date stamp annotation of ours on page 1 (/Subj 日付印)
  pdf_append_update.py SRC DST content|annotation"""
import re
import subprocess
import sys

src, dst, mode = sys.argv[1:4]
data = open(src, "rb").read()
# qpdf prints strings' bytes as they are (an /ID may hold any byte): read
# and write them one character per byte.
show = lambda what: subprocess.run(["qpdf", "--show-object=" + what, src], check=True,
                                   capture_output=True, encoding="latin-1").stdout.strip()
pages = subprocess.run(["qpdf", "--show-pages", src], check=True, capture_output=True, text=True).stdout
page = int(re.search(r"^page 1: (\d+) 0 R", pages, re.M).group(1))
page_dict = show(str(page))
trailer = show("trailer")
size = int(re.search(r"/Size (\d+)", trailer).group(1))
root = re.search(r"/Root (\d+ \d+ R)", trailer).group(1)
prev = int(re.findall(rb"startxref\s+(\d+)", data)[-1])

new = size
if mode == "content":
    drawing = b"0 0 1 rg 0 0 50 50 re f\n"
    added = b"<< /Length %d >>\nstream\n%sendstream" % (len(drawing), drawing)
    contents = re.search(r"/Contents (\[[^\]]*\]|\d+ \d+ R)", page_dict).group(1).strip("[]")
    page_dict = page_dict.replace(re.search(r"/Contents (\[[^\]]*\]|\d+ \d+ R)", page_dict).group(0),
                                  "/Contents [ %s %d 0 R ]" % (contents, new))
else:
    added = ("<< /Type /Annot /Subtype /Stamp /Rect [ 400 700 460 760 ] /F 4 /Subj <FEFF65E54ED85370> "
             "/NM (Markomi2-test-1) /M (D:20261209103100+09'00') /Contents <FEFF7DCF52D990E8> >>").encode()
    annots = re.search(r"/Annots \[([^\]]*)\]", page_dict)
    indirect = re.search(r"/Annots (\d+) 0 R", page_dict)
    if indirect:  # the page stays; its array of annotations is written again
        page = int(indirect.group(1))
        page_dict = show(str(page))[:-1].rstrip() + " %d 0 R ]" % new
    elif annots:
        page_dict = page_dict.replace(annots.group(0), "/Annots [%s %d 0 R ]" % (annots.group(1), new))
    else:
        page_dict = page_dict[:-2].rstrip() + " /Annots [ %d 0 R ] >>" % new

out = bytearray(data if data.endswith(b"\n") else data + b"\n")
offsets = {}
for number, body in ((new, added), (page, page_dict.encode("latin-1"))):
    offsets[number] = len(out)
    out += b"%d 0 obj\n%s\nendobj\n" % (number, body)
xref = len(out)
out += b"xref\n"
for number in sorted(offsets):
    out += b"%d 1\n%010d 00000 n \n" % (number, offsets[number])
out += b"trailer\n<< /Size %d /Root %s /Prev %d >>\nstartxref\n%d\n%%%%EOF\n" % (
    new + 1, root.encode("latin-1"), prev, xref)
open(dst, "wb").write(out)
