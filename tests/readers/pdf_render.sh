#!/usr/bin/env bash
# The companion's --render against pdftoppm (the same library, run natively):
# a page with text, a vector drawing and a JPEG drawn at one resolution is
# the same size and within 2 levels a channel on average; a turned page with
# a crop box reports its visible size and rotation and is drawn turned; each
# refusal is named, with exit code 2; damaged copies end in an answer.
#
#   pdf_render.sh STAMP_EXE WORK_FOLDER
# Exit 0 pass, 1 fail, 77 pdftoppm or qpdf missing (skipped).
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
stamp=$1
for tool in pdftoppm qpdf; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool not installed: skipped"; exit 77; }
done
# shellcheck source=tests/readers/reader_common.sh
source "$root/tests/readers/reader_common.sh"
reader_scratch "$2" reader-render
dpi=100

# The JPEG is pdftoppm's picture of a small drawing with a gradient of squares.
python3 - "$tmp" "$root/tests/readers" <<'PY'
import sys
sys.path.insert(0, sys.argv[2])
from pdf_objects import pdf_bytes
squares = b"".join(b"%.2f %.2f %.2f rg %d %d 8 8 re f\n" % (x / 8, y / 6, 0.5, x * 8, y * 8, )
                   for x in range(8) for y in range(6))
open(sys.argv[1] + "/squares.pdf", "wb").write(pdf_bytes([
    b"<< /Type /Catalog /Pages 2 0 R >>", b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
    b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 64 48] /Contents 4 0 R >>",
    b"<< /Length %d >>\nstream\n" % len(squares) + squares + b"\nendstream"]))
PY
pdftoppm -r 72 -jpeg -singlefile "$tmp/squares.pdf" "$tmp/squares" || fail "pdftoppm made no JPEG"
font=$(fc-match -f '%{file}' 'DejaVu Sans:style=Book' 2>/dev/null)
case "$font" in *.ttf) ;; *) echo "no DejaVu Sans TrueType file: skipped"; exit 77 ;; esac
python3 - "$tmp" "$root/tests/readers" "$font" <<'PY'
import sys
sys.path.insert(0, sys.argv[2])
from pdf_objects import pdf_bytes
tmp = sys.argv[1]
jpeg = open(tmp + "/squares.jpg", "rb").read()
def stream(data, extra=b""):
    return b"<< /Length %d%s >>\nstream\n" % (len(data), extra) + data + b"\nendstream"
content = (b"BT /F3 28 Tf 60 760 Td (Markomi2 draws this page) Tj ET\n"
           b"BT /F2 18 Tf 60 720 Td (Times Roman, 0123456789) Tj ET\n"
           b"0.8 0 0 rg 4 w 300 400 m 300 455 345 500 400 500 c 455 500 500 455 500 400 c S\n"
           b"0 0 0.6 rg 80 300 150 90 re f 0 0.5 0 RG 2 w 60 250 m 540 600 l S\n"
           b"q 256 0 0 192 300 150 cm /Im1 Do Q\n")
turned = b"0 0 1 rg 60 60 100 40 re f BT /F1 20 Tf 60 200 Td (Up) Tj ET\n"
# F1 and F2 are base-14 fonts, which a Windows fonts folder supplies (this
# Wine's is empty); F3 is embedded, so its text is drawn everywhere alike.
fonts = (b"<< /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> /F2 << /Type /Font /Subtype /Type1 /BaseFont /Times-Roman >>"
         b" /F3 << /Type /Font /Subtype /TrueType /BaseFont /DejaVuSans /FirstChar 32 /LastChar 126 /Encoding /WinAnsiEncoding /FontDescriptor 9 0 R >> >>")
ttf = open(sys.argv[3], "rb").read()
objects = [b"<< /Type /Catalog /Pages 2 0 R >>", b"<< /Type /Pages /Kids [3 0 R 5 0 R] /Count 2 >>",
           b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents 4 0 R /Resources << /Font 7 0 R /XObject << /Im1 8 0 R >> >> >>",
           stream(content),
           b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 400 300] /CropBox [50 50 350 250] /Rotate 90 /Contents 6 0 R /Resources << /Font 7 0 R >> >>",
           stream(turned), fonts,
           stream(jpeg, b" /Type /XObject /Subtype /Image /Width 64 /Height 48 /ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /DCTDecode"),
           b"<< /Type /FontDescriptor /FontName /DejaVuSans /Flags 32 /FontBBox [-1021 -463 1793 1232] /ItalicAngle 0 /Ascent 928 /Descent -236 /CapHeight 729 /StemV 80 /FontFile2 10 0 R >>",
           stream(ttf, b" /Length1 %d" % len(ttf))]
data = pdf_bytes(objects)
open(tmp + "/page.pdf", "wb").write(data)
big = [b"<< /Type /Catalog /Pages 2 0 R >>", b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
       b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 5000 5000] >>"]
open(tmp + "/big.pdf", "wb").write(pdf_bytes(big))
open(tmp + "/text.pdf", "wb").write(b"not a document\n" * 10)
open(tmp + "/truncated.pdf", "wb").write(data[:len(data) * 2 // 3])
garbled = bytearray(data)
for i in range(200, len(garbled), 97): garbled[i] ^= 0x5A
open(tmp + "/garbled.pdf", "wb").write(bytes(garbled))
PY
qpdf --encrypt secret secret 256 -- "$tmp/page.pdf" "$tmp/password.pdf" || fail "qpdf: user password"

# render NAME ARGS...: the reply in $tmp/NAME.json, the exit code in $code.
render() {
    local name=$1
    shift
    "$root/scripts/wine" "$stamp" --render "$@" >"$tmp/$name.json" 2>>"$tmp/wine.log"
    code=$?
}
# field NAME KEY: a value of the reply, as Python prints it.
field() { python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))[sys.argv[2]])' "$tmp/$1.json" "$2" 2>/dev/null; }

# The page against pdftoppm's drawing of it at the same resolution.
render page "$(windows_path "$tmp/page.pdf")" --dpi "$dpi" --out "$(windows_path "$tmp/page.png")"
[ "$code" = 0 ] && [ "$(field page rendered)" = True ] || fail "the page was not drawn ($code): $(cat "$tmp/page.json")"
pdftoppm -r "$dpi" -cropbox -png -singlefile "$tmp/page.pdf" "$tmp/reference" || fail "pdftoppm did not draw the page"
python3 "$root/tests/readers/png_difference.py" "$tmp/page.png" "$tmp/reference.png" 2 ||
    fail "the drawn page differs from pdftoppm's"
# The embedded font's line (rows 100 to 115 at 100 dpi) has ink, as pdftoppm's.
python3 "$root/tests/readers/png_difference.py" "$tmp/page.png" "$tmp/reference.png" 2 100 115 ||
    fail "the text line differs from pdftoppm's"

# The turned page: 300 x 200 pt of crop box shown 200 wide and 300 high.
render turned "$(windows_path "$tmp/page.pdf")" --page 2 --dpi 72 --out "$(windows_path "$tmp/turned.png")"
got="$(field turned rotation) $(field turned width_mm) $(field turned height_mm) $(field turned width_px) $(field turned height_px) $(field turned pages)"
[ "$got" = "90 70.6 105.8 200 300 2" ] || fail "the turned page: rotation, mm, px, pages = $got"
pdftoppm -r 72 -cropbox -png -f 2 -singlefile "$tmp/page.pdf" "$tmp/turned-reference" || fail "pdftoppm: page 2"
python3 "$root/tests/readers/png_difference.py" "$tmp/turned.png" "$tmp/turned-reference.png" 2 ||
    fail "the turned page differs from pdftoppm's"

# The facts alone: nothing drawn, no refusal.
render facts "$(windows_path "$tmp/page.pdf")" --page 2
[ "$code" = 0 ] && [ "$(field facts rendered)" = False ] && [ "$(field facts rotation)" = 90 ] &&
    ! grep -q refusal "$tmp/facts.json" || fail "the facts of page 2: $(cat "$tmp/facts.json")"

# Refusals: name file page [dpi].
while read -r name file page dpi_asked; do
    render "refused-$name" "$(windows_path "$tmp/$file")" --page "$page" --dpi "$dpi_asked" \
        --out "$(windows_path "$tmp/refused-$name.png")"
    [ "$code" = 2 ] && [ "$(field "refused-$name" refusal)" = "$name" ] && [ ! -e "$tmp/refused-$name.png" ] ||
        fail "$file page $page at $dpi_asked dpi: expected $name, got ($code) $(cat "$tmp/refused-$name.json")"
done <<'ROWS'
missing nowhere.pdf 1 100
not-pdf text.pdf 1 100
password password.pdf 1 100
no-such-page page.pdf 3 100
too-large big.pdf 1 100
ROWS
[ "$(field refused-no-such-page pages)" = 2 ] || fail "no-such-page does not give the page count"

# Damaged copies: drawn or refused, never a crash or a hang.
for file in truncated garbled; do
    render "$file" "$(windows_path "$tmp/$file.pdf")" --dpi 50 --out "$(windows_path "$tmp/$file.png")"
    { [ "$code" = 0 ] || [ "$code" = 2 ]; } && grep -q '"rendered"' "$tmp/$file.json" ||
        fail "$file.pdf: exit $code, reply $(cat "$tmp/$file.json")"
done

[ "$failures" = 0 ] && echo "PASS" && exit 0
echo "$failures failure(s)"
exit 1
