# Makes the PDF documents the stamp is put onto, each by a writer nobody
# here wrote: LibreOffice (a two-page Writer letter in Japanese with a link
# and headings; a landscape Calc sheet), Ghostscript's pdfwrite (PDF 1.5
# with object and cross-reference streams), cairo through rsvg-convert, and
# qpdf's transformations of those; then the damaged, encrypted, signed and
# not-a-PDF files the companion must refuse or recover.
#   make_pdf_corpus FOLDER     (sourced; uses $root and fail from reader_common.sh)
# shellcheck shell=bash

write_corpus_sources() {
    local folder=$1
    cat >"$folder/letter.fodt" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
  xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
  xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
  xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
  xmlns:xlink="http://www.w3.org/1999/xlink" xmlns:dc="http://purl.org/dc/elements/1.1/"
  office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.text">
 <office:meta><dc:title>請求書 令和7年5月分</dc:title></office:meta>
 <office:automatic-styles>
  <style:style style:name="P1" style:family="paragraph"><style:text-properties fo:font-size="12pt" style:font-name-asian="IPAMincho"/></style:style>
  <style:style style:name="P2" style:family="paragraph" style:parent-style-name="P1"><style:paragraph-properties fo:break-before="page"/></style:style>
 </office:automatic-styles>
 <office:body><office:text>
  <text:h text:outline-level="1">請求書</text:h>
  <text:p text:style-name="P1">株式会社まるこみ商事　総務部　御中</text:p>
  <text:p text:style-name="P1">下記のとおりご請求申し上げます。お支払期限は令和7年6月30日です。</text:p>
  <text:p text:style-name="P1">詳細は <text:a xlink:type="simple" xlink:href="https://example.jp/invoice/2025-05">https://example.jp/invoice/2025-05</text:a> をご覧ください。</text:p>
  <text:h text:outline-level="1" text:style-name="P2">明細</text:h>
  <text:p text:style-name="P1">日付印の用紙　500枚　12,000円</text:p>
  <text:p text:style-name="P1">朱肉　2個　1,600円</text:p>
 </office:text></office:body>
</office:document>
XML
    cat >"$folder/sheet.fods" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
  xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
  xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
  xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
  xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
  office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
 <office:automatic-styles>
  <style:page-layout style:name="pm1"><style:page-layout-properties fo:page-width="297mm" fo:page-height="210mm" style:print-orientation="landscape"/></style:page-layout>
 </office:automatic-styles>
 <office:master-styles><style:master-page style:name="Default" style:page-layout-name="pm1"/></office:master-styles>
 <office:body><office:spreadsheet><table:table table:name="見積">
  <table:table-row><table:table-cell office:value-type="string"><text:p>品名</text:p></table:table-cell><table:table-cell office:value-type="string"><text:p>数量</text:p></table:table-cell><table:table-cell office:value-type="string"><text:p>金額</text:p></table:table-cell></table:table-row>
  <table:table-row><table:table-cell office:value-type="string"><text:p>回転日付印</text:p></table:table-cell><table:table-cell office:value-type="float" office:value="3"><text:p>3</text:p></table:table-cell><table:table-cell office:value-type="float" office:value="5400"><text:p>5400</text:p></table:table-cell></table:table-row>
  <table:table-row><table:table-cell office:value-type="string"><text:p>朱肉</text:p></table:table-cell><table:table-cell office:value-type="float" office:value="2"><text:p>2</text:p></table:table-cell><table:table-cell office:value-type="float" office:value="1600"><text:p>1600</text:p></table:table-cell></table:table-row>
 </table:table></office:spreadsheet></office:body>
</office:document>
XML
    cat >"$folder/receipt.svg" <<'XML'
<svg xmlns="http://www.w3.org/2000/svg" width="148mm" height="210mm" viewBox="0 0 148 210">
 <rect x="10" y="10" width="128" height="190" fill="none" stroke="#202020" stroke-width="0.5"/>
 <text x="20" y="40" font-family="IPAGothic" font-size="10">領収書</text>
 <text x="20" y="60" font-family="IPAGothic" font-size="5">金額　8,800円（税込）</text>
 <rect x="20" y="150" width="40" height="20" fill="#3060c0"/>
</svg>
XML
}

# A signature field holding a signature value, added to a classic-xref PDF
# as an incremental update: what a signed document looks like to a reader
# that does not check the signature itself.
add_signature_field() {
    python3 - "$1" "$2" <<'PY'
import re, sys
data = open(sys.argv[1], 'rb').read()
size = int(re.findall(rb'/Size\s+(\d+)', data)[-1])
root = int(re.findall(rb'/Root\s+(\d+)\s+0\s+R', data)[-1])
prev = int(re.findall(rb'startxref\s+(\d+)', data)[-1])
catalog = re.search(rb'(?s)\b%d 0 obj\s*<<(.*?)>>\s*endobj' % root, data[data.rfind(b'\n%d 0 obj' % root):]).group(1)
sig, field = size, size + 1
objects = {
    sig: b'<< /Type /Sig /Filter /Adobe.PPKLite /SubFilter /adbe.pkcs7.detached /ByteRange [0 0 0 0] /Contents <00> >>',
    field: b'<< /FT /Sig /T (Signature1) /V %d 0 R /Rect [0 0 0 0] >>' % sig,
    root: b'<<' + catalog + b' /AcroForm << /Fields [%d 0 R] /SigFlags 3 >> >>' % field,
}
out = bytearray(data if data.endswith(b'\n') else data + b'\n')
offsets = {}
for number in sorted(objects):
    offsets[number] = len(out)
    out += b'%d 0 obj\n%s\nendobj\n' % (number, objects[number])
xref = len(out)
out += b'xref\n'
for number in sorted(objects):
    out += b'%d 1\n%010d 00000 n \n' % (number, offsets[number])
out += b'trailer\n<< /Size %d /Root %d 0 R /Prev %d >>\nstartxref\n%d\n%%%%EOF\n' % (field + 1, root, prev, xref)
open(sys.argv[2], 'wb').write(out)
PY
}

# Pages whose content leaves its graphics state changed at the end (the
# coordinates halved, blue paint, a thick pen), as some writers do: the
# stamp drawn after them must not inherit any of that. state.pdf changes it
# plainly; unbalanced.pdf changes it under a save it never restores (page
# 1) and after a restore of a save it never made (page 2; poppler ignores
# what follows such a restore, so nothing is painted after it).
write_state_leaving_pages() {
    python3 - "$1" "$2" "$root/tests/readers" <<'PY'
import sys
sys.path.insert(0, sys.argv[3])
from pdf_objects import pdf_bytes
def document(contents):
    n = len(contents)
    objects = [b"<< /Type /Catalog /Pages 2 0 R >>",
               b"<< /Type /Pages /Kids [%s] /Count %d >>" % (b" ".join(b"%d 0 R" % (3 + 2 * i) for i in range(n)), n)]
    for i, content in enumerate(contents):
        objects.append(b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents %d 0 R >>" % (4 + 2 * i))
        objects.append(b"<< /Length %d >>\nstream\n" % len(content) + content + b"endstream")
    return pdf_bytes(objects)
paint = b"0 0 1 rg 1 0 0 RG 20 w 100 100 400 300 re f\n"
open(sys.argv[1], "wb").write(document([b"0.5 0 0 0.5 0 0 cm " + paint]))
open(sys.argv[2], "wb").write(document([b"0.5 0 0 0.5 0 0 cm q " + paint, b"q 0.5 0 0 0.5 0 0 cm " + paint + b"Q Q 0.5 0 0 0.5 0 0 cm 0 1 0 rg 5 w\n"]))
PY
}

# Pages whose numbers a reader takes its own way: odd-rotate.pdf turns by
# 45 degrees (readers draw it upright), no-box.pdf has no media box (readers
# show a Letter page), inherited-box.pdf has one that is no box under a
# parent's sound one, larger than Letter (readers take the parent's), and a
# restore it never saved, so that its content is drawn apart within that
# box; absurd.pdf has pages as large as 1e13 points and as a real of 401
# digits, which are refused.
write_odd_number_pages() {
    python3 - "$1" "$2" "$3" "$4" "$root/tests/readers" <<'PY'
import sys
sys.path.insert(0, sys.argv[5])
from pdf_objects import pdf_bytes
def document(page_entries, parent_entries=b"", content=b"0 0 1 rg 100 100 200 150 re f\n"):
    n = len(page_entries)
    kids = b" ".join(b"%d 0 R" % (3 + 2 * i) for i in range(n))
    objects = [b"<< /Type /Catalog /Pages 2 0 R >>",
               b"<< /Type /Pages /Kids [%s] /Count %d %s >>" % (kids, n, parent_entries)]
    for i, entries in enumerate(page_entries):
        objects.append(b"<< /Type /Page /Parent 2 0 R %s /Contents %d 0 R >>" % (entries, 4 + 2 * i))
        objects.append(b"<< /Length %d >>\nstream\n" % len(content) + content + b"endstream")
    return pdf_bytes(objects)
open(sys.argv[1], "wb").write(document([b"/MediaBox [0 0 595 842] /Rotate 45"]))
open(sys.argv[2], "wb").write(document([b""]))
open(sys.argv[3], "wb").write(document([b"/MediaBox (x)"], b"/MediaBox [0 0 1000 1000]",
                                        b"0 0 1 rg 100 100 200 150 re f 700 800 200 150 re f Q\n"))
open(sys.argv[4], "wb").write(document([b"/MediaBox [0 0 10000000000000 10000000000000]",
                                        b"/MediaBox [0 0 1" + b"0" * 399 + b".0 842]"]))
PY
}

# A sound document of 33 MiB, just over the size that is repaired (a stream
# no page uses makes up its size), and the same lost its end from
# "startxref" on: too large to be repaired.
write_large_documents() {
    python3 - "$1" "$2" "$root/tests/readers" <<'PY'
import sys
sys.path.insert(0, sys.argv[3])
from pdf_objects import pdf_bytes
content = b"0 0 1 rg 100 100 200 150 re f\n"
filler = b" " * (33 << 20)
data = pdf_bytes([b"<< /Type /Catalog /Pages 2 0 R >>",
                  b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                  b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents 4 0 R >>",
                  b"<< /Length %d >>\nstream\n" % len(content) + content + b"endstream",
                  b"<< /Length %d >>\nstream\n" % len(filler) + filler + b"endstream"])
open(sys.argv[1], "wb").write(data)
open(sys.argv[2], "wb").write(data[:data.rfind(b"startxref")])
PY
}

# Documents that once broke the companion or its readers: a page tree
# 12,000 levels deep (qpdf's walk overflowed the stack) and one of 900;
# a page of a million unmatched restores, 2 KB compressed (each once became
# a save of its own); a page whose content ends inside a string (which took
# in the stamp after it); 256 MB of compressed blanks (all held at once
# before); a page with a square annotation and one with a link over it;
# and a page of two streams, one content, that restores more than it saves.
write_hostile_pages() {
    python3 - "$1" "$root/tests/readers" <<'PY'
import sys, zlib
folder = sys.argv[1]
sys.path.insert(0, sys.argv[2])
from pdf_objects import pdf_bytes
paint = b"0 0 1 rg 100 100 300 300 re f\n"
def stream(content, extra=b""):
    return b"<< /Length %d%s >>\nstream\n" % (len(content), extra) + content + b"\nendstream"
def page(content_ref, extra=b""):
    return b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents %d 0 R%s >>" % (content_ref, extra)
def one_page(content, filtered=False, page_extra=b""):
    return pdf_bytes([b"<< /Type /Catalog /Pages 2 0 R >>", b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                      page(4, page_extra), stream(content, b" /Filter /FlateDecode" if filtered else b"")])
def deep(levels):
    # 1 catalog, 2 .. levels+1 the /Pages chain, then the page and its content.
    objects = [b"<< /Type /Catalog /Pages 2 0 R >>"]
    for n in range(2, levels + 2):
        parent = b" /Parent %d 0 R" % (n - 1) if n > 2 else b""
        objects.append(b"<< /Type /Pages /Kids [%d 0 R] /Count 1%s >>" % (n + 1, parent))
    objects.append(b"<< /Type /Page /Parent %d 0 R /MediaBox [0 0 595 842] /Contents %d 0 R >>" % (levels + 1, levels + 3))
    objects.append(stream(paint))
    return pdf_bytes(objects)
open(folder + "/deep.pdf", "wb").write(deep(12000))
open(folder + "/deep900.pdf", "wb").write(deep(900))
open(folder + "/flood.pdf", "wb").write(one_page(zlib.compress(paint + b"Q\n" * 1000000, 9), True))
open(folder + "/unclosed.pdf", "wb").write(one_page(paint + b"BT /F1 12 Tf (a string never closed"))
bomb = zlib.compressobj(9)
data = bomb.compress(paint) + b"".join(bomb.compress(b" " * (1 << 20)) for _ in range(256)) + bomb.flush()
open(folder + "/bomb.pdf", "wb").write(one_page(data, True))
objects = [b"<< /Type /Catalog /Pages 2 0 R >>", b"<< /Type /Pages /Kids [3 0 R 5 0 R] /Count 2 >>",
           page(4, b" /Annots [7 0 R]"), stream(paint), page(6, b" /Annots [8 0 R]"), stream(paint),
           b"<< /Type /Annot /Subtype /Square /Rect [0 0 595 842] /F 4 /C [0 1 0] >>",
           b"<< /Type /Annot /Subtype /Link /Rect [0 0 595 842] /Border [0 0 0] /A << /S /URI /URI (https://example.jp/) >> >>"]
open(folder + "/covered.pdf", "wb").write(pdf_bytes(objects))
# Two streams that make one content: the scale and the save of the first
# hold in the second, which restores once more than it saved.
objects = [b"<< /Type /Catalog /Pages 2 0 R >>", b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
           b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents [4 0 R 5 0 R] >>",
           stream(b"0.5 0 0 0.5 0 0 cm q 0 0 1 rg"), stream(b"100 100 600 600 re f Q Q 0 1 0 rg")]
open(folder + "/split.pdf", "wb").write(pdf_bytes(objects))
PY
}

make_pdf_corpus() {
    local folder=$1 lo_profile
    mkdir -p "$folder"
    write_corpus_sources "$folder"
    lo_profile=$(mktemp -d "$folder/lo-profile.XXXXXX")
    soffice -env:UserInstallation="file://$lo_profile" --headless --convert-to pdf --outdir "$folder" \
        "$folder/letter.fodt" "$folder/sheet.fods" >"$folder/writers.log" 2>&1
    rm -rf "$lo_profile"
    [ -s "$folder/letter.pdf" ] && [ -s "$folder/sheet.pdf" ] || { fail "LibreOffice made no PDF"; cat "$folder/writers.log"; }
    gs -q -dNOPAUSE -dBATCH -sDEVICE=pdfwrite -dCompatibilityLevel=1.5 -o "$folder/ghostscript.pdf" \
        "$folder/letter.pdf" >>"$folder/writers.log" 2>&1 || fail "Ghostscript made no PDF"
    rsvg-convert -f pdf -o "$folder/cairo.pdf" "$folder/receipt.svg" >>"$folder/writers.log" 2>&1 \
        || fail "rsvg-convert made no PDF"
    qpdf --object-streams=generate "$folder/letter.pdf" "$folder/objstreams.pdf" || fail "qpdf: object streams"
    qpdf --linearize "$folder/sheet.pdf" "$folder/linearized.pdf" || fail "qpdf: linearize"
    qpdf --rotate=+90:1 "$folder/letter.pdf" "$folder/rotated.pdf" || fail "qpdf: rotate"
    qpdf --encrypt "" owner 256 --modify=none -- "$folder/letter.pdf" "$folder/locked.pdf" \
        || fail "qpdf: encrypt, no changes"
    qpdf --encrypt secret secret 256 -- "$folder/letter.pdf" "$folder/password.pdf" || fail "qpdf: user password"
    add_signature_field "$folder/letter.pdf" "$folder/signed.pdf" || fail "no signed PDF"
    # Two downloads that stopped early: one lost its end from "startxref"
    # on, which qpdf recovers from; one lost everything after the first
    # page, trailer and all, which nothing can make a document of.
    python3 -c '
import sys
data = open(sys.argv[1], "rb").read()
open(sys.argv[2], "wb").write(data[:data.rfind(b"startxref")])
open(sys.argv[3], "wb").write(data[:len(data) // 2])' "$folder/letter.pdf" "$folder/truncated.pdf" \
        "$folder/half.pdf"
    write_state_leaving_pages "$folder/state.pdf" "$folder/unbalanced.pdf"
    write_odd_number_pages "$folder/odd-rotate.pdf" "$folder/no-box.pdf" "$folder/inherited-box.pdf" \
        "$folder/absurd.pdf"
    write_large_documents "$folder/large.pdf" "$folder/large-truncated.pdf"
    write_hostile_pages "$folder" || fail "no hostile pages"
    cp "$root/resources/markomi.ico" "$folder/not-a-pdf.pdf"
}
