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
# shellcheck source=bench/bench_common.sh
source "$(dirname "${BASH_SOURCE[0]}")/bench_common.sh"

bench_settings
# The invoice with its table's rules: the page has lines to draw, not only text.
make_invoice "$work/one.pdf" rules
opened=()
for run in 1 2 3; do
    timed opened --render "$(windows_path "$work/one.pdf")" --page 1 --dpi 96 --out "$(windows_path "$work/page.png")"
done
first_page=$(median "${opened[@]}")
printf 'a one-page document: first page drawn at 96 dpi: %.2f s (median of 3)\n' "$first_page"

mkdir -p "$work/pile" "$work/out"
batch=()
for i in $(seq -w 1 30); do
    make_invoice "$work/pile/invoice$i.pdf" rules
    batch+=(--stamp-onto "$(windows_path "$work/pile/invoice$i.pdf")")
done
runs=()
for run in 1 2 3; do
    rm -f "$work/out"/*.pdf
    timed runs "${common[@]}" "${batch[@]}" --out-dir "$(windows_path "$work/out")" --at top-right:25,25
    written=$(find "$work/out" -name '*.pdf' | wc -l)
    [ "$written" -eq 30 ] || { echo "the batch wrote $written copies, not 30"; cat "$work/reply.json"; exit 1; }
done
pile=$(median "${runs[@]}")
printf '30 one-page documents stamped and saved: %.2f s (median of 3)\n' "$pile"

echo
echo "goal: the first page shown within 1 s: $first_page s - $(verdict "$first_page" 1)"
echo "goal: 30 documents stamped within 10 s: $pile s - $(verdict "$pile" 10)"
