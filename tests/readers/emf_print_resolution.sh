#!/usr/bin/env bash
# The stamp's EMF at a printer's resolution: each design's EMF file, played
# by GDI into a 600-dpi picture of its frame (tests/readers/emf_play_win.cpp),
# against the same stamp's PDF drawn by pdftoppm at 600 dpi. Along every
# edge the ink of either lies within a pixel of the other's
# (tests/readers/compare_edges.py). A control runs each time: the same EMF
# written again with one device unit per reference pixel (every point on the
# 0.26 mm grid of a 96-dpi screen) must be told apart from the PDF, or the
# comparison cannot see the grid.
#
#   emf_print_resolution.sh STAMP_EXE PLAY_EXE WORK_FOLDER
# Exit 0 pass, 1 fail, 77 pdftoppm missing (skipped).
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
stamp=$1
play=$2
command -v pdftoppm >/dev/null 2>&1 || { echo "pdftoppm not installed: skipped"; exit 77; }
# shellcheck source=tests/readers/reader_common.sh
source "$root/tests/readers/reader_common.sh"
reader_scratch "$3" reader-emf-print
edges="$root/tests/readers/compare_edges.py"
dpi=600

{ printf '\xff\xfe'; printf '[MARKOMI]\r\nCHARSET=unicode\r\nBUSHO=総務部\r\nNAME=佐藤\r\n' | iconv -f UTF-8 -t UTF-16LE; } >"$tmp/stamp.ini"
common=(--ini "$(windows_path "$tmp/stamp.ini")" --date 2025-05-01)
for slot in 1 2 3 4 5 6 7; do
    for ext in emf pdf; do
        wine_run "$stamp" "${common[@]}" --slot "$slot" --out "$(windows_path "$tmp/$slot.$ext")" \
            || fail "slot $slot: no ${ext^^} file"
    done
    [ -s "$tmp/$slot.pdf" ] && { pdftoppm -r "$dpi" -singlefile "$tmp/$slot.pdf" "$tmp/pdf$slot" >>"$tmp/readers.log" 2>&1 \
        || fail "$slot.pdf: pdftoppm gave no picture"; }
    [ -s "$tmp/$slot.emf" ] || continue
    wine_run "$play" "$(windows_path "$tmp/$slot.emf")" "$dpi" "$(windows_path "$tmp/emf$slot.bmp")" \
        || fail "$slot.emf: GDI played no picture"
    wine_run "$play" "$(windows_path "$tmp/$slot.emf")" "$dpi" "$(windows_path "$tmp/grid$slot.bmp")" --steps 1 \
        || fail "$slot.emf: no control picture"
done

for slot in 1 2 3 4 5 6 7; do
    [ -s "$tmp/pdf$slot.ppm" ] && [ -s "$tmp/emf$slot.bmp" ] || continue
    echo -n "slot $slot, EMF against PDF at $dpi dpi: "
    python3 "$edges" "$tmp/pdf$slot.ppm" "$tmp/emf$slot.bmp" || fail "slot $slot: the EMF's edges are not the PDF's"
    [ -s "$tmp/grid$slot.bmp" ] || continue
    echo -n "control, slot $slot on the whole-pixel grid: "
    python3 "$edges" "$tmp/pdf$slot.ppm" "$tmp/grid$slot.bmp"
    [ $? -eq 1 ] || fail "slot $slot: the whole-pixel grid passed"
done

if [ "$failures" -gt 0 ]; then
    echo "--- readers' output"; cat "$tmp/readers.log"
    echo "--- Wine output"; cat "$tmp/wine.log"
    exit 1
fi
exit 0
