#!/usr/bin/env bash
# Readers we do not make open the companion's SVG and PDF files of every
# design: qpdf checks each PDF's structure, pdftoppm renders it, rsvg-convert
# renders the SVG. Each rendering must show the red ink of the companion's
# PNG of the same slot, in the same shape (tests/readers/compare_ink.py says
# how alike), be as large as the slot's EMF picture frame says (within 2
# pixels at 288 dpi), and the SVG nothing behind the ink (transparent corners). A
# control runs each time: each design's renderings against the next design's
# bitmap must be told apart, or the comparison proves nothing. The SVG and
# PDF are the same bytes when GDI+ is made to record the metafiles first.
#
#   vector_files.sh STAMP_EXE WORK_FOLDER
# Exit 0 pass, 1 fail, 77 a reader missing (skipped).
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
stamp=$1
for tool in qpdf pdftoppm rsvg-convert; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool not installed: skipped"; exit 77; }
done
# shellcheck source=tests/readers/reader_common.sh
source "$root/tests/readers/reader_common.sh"
reader_scratch "$2" reader-vector

# The pixel size a rendering at 288 dpi of an EMF file's picture frame
# (rclFrame, hundredths of a millimetre) has, as "w h".
frame_pixels() {
    python3 - "$1" <<'PY'
import struct, sys
left, top, right, bottom = struct.unpack_from("<4i", open(sys.argv[1], "rb").read(), 24)
print(*(round((b - a) / 100 / 25.4 * 288) for a, b in ((left, right), (top, bottom))))
PY
}

# The pixel size of a PNG and the alpha of its four corner pixels, as
# "w h a a a a" (one reading of the picture for both).
png_facts() {
    python3 - "$1" "$root/tests/readers" <<'PY'
import sys
sys.path.insert(0, sys.argv[2])
from compare_ink import read_png
width, height, rows = read_png(sys.argv[1])
print(width, height, *(rows[y][4 * x + 3] for y in (0, height - 1) for x in (0, width - 1)))
PY
}

{ printf '\xff\xfe'; printf '[MARKOMI]\r\nCHARSET=unicode\r\nBUSHO=総務部\r\nNAME=佐藤\r\n' | iconv -f UTF-8 -t UTF-16LE; } >"$tmp/stamp.ini"
common=(--ini "$(windows_path "$tmp/stamp.ini")" --date 2025-05-01)
for slot in 1 2 3 4 5 6 7; do
    for ext in png emf svg pdf; do
        wine_run "$stamp" "${common[@]}" --slot "$slot" --out "$(windows_path "$tmp/$slot.$ext")" \
            || fail "slot $slot: no ${ext^^} file"
    done
    # The vector files come from the drawing, not from a recording: the same
    # bytes when GDI+ is made to record first. The recorder is chosen only
    # where a metafile is recorded; every design's SVG and PDF take the one
    # path of the captured drawing, so two designs (the plain ring and the
    # insect's ornaments) stand for all.
    [ "$slot" = 1 ] || [ "$slot" = 4 ] || continue
    for ext in svg pdf; do
        MARKOMI2_METAFILE_RECORDER=gdiplus wine_run "$stamp" "${common[@]}" --slot "$slot" \
            --out "$(windows_path "$tmp/gdiplus$slot.$ext")" || fail "slot $slot, GDI+ first: no ${ext^^} file"
        cmp -s "$tmp/$slot.$ext" "$tmp/gdiplus$slot.$ext" || fail "slot $slot: the ${ext^^} depends on the recorder"
    done
done
lap "the companion's files"

for slot in 1 2 3 4 5 6 7; do
    if [ -s "$tmp/$slot.pdf" ]; then
        qpdf --check "$tmp/$slot.pdf" >"$tmp/qpdf.log" 2>&1 || { fail "$slot.pdf: qpdf --check"; cat "$tmp/qpdf.log"; }
        # Three times the screen's resolution: the ink boxes are compared, not the sizes.
        pdftoppm -png -r 288 -singlefile "$tmp/$slot.pdf" "$tmp/pdf$slot" >>"$tmp/readers.log" 2>&1 \
            || fail "$slot.pdf: pdftoppm gave no picture"
    fi
    if [ -s "$tmp/$slot.svg" ]; then
        rsvg-convert --zoom 3 -o "$tmp/svg$slot.png" "$tmp/$slot.svg" >>"$tmp/readers.log" 2>&1 \
            || fail "$slot.svg: rsvg-convert gave no picture"
    fi
    frame=$(frame_pixels "$tmp/$slot.emf")
    for name in "pdf$slot" "svg$slot"; do
        [ -s "$tmp/$name.png" ] || { fail "$name: no rendering"; continue; }
        echo -n "$name: "
        python3 "$compare" "$tmp/$slot.png" "$tmp/$name.png" || fail "$name does not show slot $slot's ink"
        read -r fw fh <<<"$frame"
        read -r rw rh alpha <<<"$(png_facts "$tmp/$name.png")"
        echo "$name: ${rw}x${rh} pixels, the EMF frame ${fw}x${fh}"
        if [ $((rw - fw)) -gt 2 ] || [ $((fw - rw)) -gt 2 ] || [ $((rh - fh)) -gt 2 ] || [ $((fh - rh)) -gt 2 ]; then
            fail "$name: ${rw}x${rh} is not the metafile's ${fw}x${fh}"
        fi
        if [ "$name" = "svg$slot" ] && [ "$alpha" != "0 0 0 0" ]; then
            fail "svg$slot: corners not transparent (alpha $alpha)"
        fi
    done
done
lap "readers and comparisons"

for slot in 1 2 3 4 5 6 7; do
    other=$((slot % 7 + 1))
    for name in "pdf$slot" "svg$slot"; do
        [ -s "$tmp/$name.png" ] || continue
        echo -n "control, slot $other's bitmap against $name: "
        python3 "$compare" "$tmp/$other.png" "$tmp/$name.png"
        [ $? -eq 1 ] || fail "$name passed as slot $other"
    done
done
lap "controls"

if [ "$failures" -gt 0 ]; then
    echo "--- readers' output"; cat "$tmp/readers.log"
    echo "--- Wine output"; cat "$tmp/wine.log"
    exit 1
fi
exit 0
