#!/usr/bin/env bash
# What the stamping window waits for, timed under Wine with the companion:
# - a one-page document chosen: its first page drawn at the window's scale
#   (one run: the reply holds the document's facts too, so the window asks
#   nothing before it). Goal: within 1 s.
# - 30 one-page documents stamped and saved by one run of the companion
#   (--stamp-onto thirty times, --out-dir). Goal: within 10 s.
# Three runs each; the median counts. The stamp following the mouse is
# redrawn from kept pictures in the window and never waits for these.
#   bench/pdf_window.sh [Markomi2Stamp.exe]
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
stamp=${1:-$root/build/win/bin/Markomi2Stamp.exe}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
windows_path() { local p=$1; echo "Z:${p//\//\\}"; }

# An A4 invoice-like page: text in lines, a table's rules and a total.
make_document() {
    python3 - "$1" "$root/tests/readers" <<'PY'
import sys
sys.path.insert(0, sys.argv[2])
from pdf_objects import pdf_bytes
lines = b"".join(b"(Item %02d  quantity %d  unit 1,200 yen) Tj 0 -16 Td\n" % (i + 1, i % 7 + 1) for i in range(30))
rules = b"".join(b"50 %d m 545 %d l S\n" % (y, y) for y in range(760, 270, -16))
content = b"0.5 w\n" + rules + b"BT /F1 11 Tf 56 748 Td\n" + lines + b"ET\n"
objects = [b"<< /Type /Catalog /Pages 2 0 R >>",
           b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
           b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] "
           b"/Resources << /Font << /F1 5 0 R >> >> /Contents 4 0 R >>",
           b"<< /Length %d >>\nstream\n%sendstream" % (len(content), content),
           b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"]
open(sys.argv[1], "wb").write(pdf_bytes(objects))
PY
}

seconds_of() {
    local start=$EPOCHREALTIME
    "$root/scripts/wine" "$stamp" "$@" >"$work/reply.json" 2>>"$work/wine.log" || {
        echo "the companion failed: $*"; cat "$work/reply.json" "$work/wine.log"; exit 1; }
    echo "$EPOCHREALTIME - $start" | bc
}
median() { sort -n | sed -n 2p; }
verdict() { if [ "$(echo "$1 <= $2" | bc)" = 1 ]; then echo holds; else echo MISSED; fi; }

{ printf '\xff\xfe'; printf '[MARKOMI]\r\nCHARSET=unicode\r\n' | iconv -f UTF-8 -t UTF-16LE; } >"$work/stamp.ini"
common=(--ini "$(windows_path "$work/stamp.ini")" --date 2025-05-01)
"$root/scripts/wine" "$stamp" --version >/dev/null 2>&1  # Wine up before the first timing

make_document "$work/one.pdf"
opened=()
for run in 1 2 3; do
    opened+=("$(seconds_of --render "$(windows_path "$work/one.pdf")" --page 1 --dpi 96 \
        --out "$(windows_path "$work/page.png")")")
done
first_page=$(printf '%s\n' "${opened[@]}" | median)
printf 'a one-page document: first page drawn at 96 dpi: %.2f s (median of 3)\n' "$first_page"

mkdir -p "$work/pile" "$work/out"
batch=()
for i in $(seq -w 1 30); do
    make_document "$work/pile/invoice$i.pdf"
    batch+=(--stamp-onto "$(windows_path "$work/pile/invoice$i.pdf")")
done
runs=()
for run in 1 2 3; do
    rm -f "$work/out"/*.pdf
    runs+=("$(seconds_of "${common[@]}" "${batch[@]}" --out-dir "$(windows_path "$work/out")" --at top-right:25,25)")
    written=$(find "$work/out" -name '*.pdf' | wc -l)
    [ "$written" -eq 30 ] || { echo "the batch wrote $written copies, not 30"; cat "$work/reply.json"; exit 1; }
done
pile=$(printf '%s\n' "${runs[@]}" | median)
printf '30 one-page documents stamped and saved: %.2f s (median of 3)\n' "$pile"

echo
echo "goal: the first page shown within 1 s: $first_page s - $(verdict "$first_page" 1)"
echo "goal: 30 documents stamped within 10 s: $pile s - $(verdict "$pile" 10)"
