#!/usr/bin/env bash
# Stamping every page of a long document with the companion, timed under
# Wine: documents of 30 and 300 pages, each page with its own content
# stream of text (as a report or a ledger has), three runs each; the
# companion stamping one page of the 300 is the floor (Wine's start, the
# stamp's drawing, reading and writing the file). Goal: the 300 pages in at
# most 5 s, and the peak memory of 300 pages no more than that of 30 plus
# what qpdf holds of the larger file itself (twice its size).
#   bench/pdf_stamping.sh [Markomi2Stamp.exe]
set -u
# shellcheck source=bench/bench_common.sh
source "$(dirname "${BASH_SOURCE[0]}")/bench_common.sh"

# A document of N pages, each with 45 lines of its own text.
make_document() {
    python3 - "$1" "$2" "$root/tests/readers" <<'PY'
import sys
sys.path.insert(0, sys.argv[3])
from pdf_objects import text_pages_bytes
pages, path = int(sys.argv[1]), sys.argv[2]
contents = [b"BT /F1 10 Tf 50 790 Td\n" + b"".join(
    b"(Ledger page %d, line %d: 2025-05-01 receipt %06d, 12,000 yen) Tj 0 -15 Td\n" % (p + 1, i + 1, p * 100 + i)
    for i in range(45)) + b"ET\n" for p in range(pages)]
open(path, "wb").write(text_pages_bytes(contents))
PY
}

# Seconds and peak resident kilobytes of one companion run, as "s kb".
timed_run() {
    local out=$1
    shift
    if [ -x /usr/bin/time ]; then
        /usr/bin/time -f '%e %M' -o "$work/time.txt" "$root/scripts/wine" "$stamp" "$@" >"$out" 2>>"$work/wine.log"
        cat "$work/time.txt"
    else
        local start=$EPOCHREALTIME
        "$root/scripts/wine" "$stamp" "$@" >"$out" 2>>"$work/wine.log"
        echo "$(echo "$EPOCHREALTIME - $start" | bc) 0"
    fi
}

bench_settings

declare -A seconds memory
for pages in 30 300; do
    make_document "$pages" "$work/doc$pages.pdf"
    for page in all first; do
        [ "$pages" = 30 ] && [ "$page" = first ] && continue
        runs=()
        for run in 1 2 3; do
            runs+=("$(timed_run "$work/reply.json" "${common[@]}" --stamp-onto "$(windows_path "$work/doc$pages.pdf")" \
                --out "$(windows_path "$work/out.pdf")" --page "$page")")
            grep -q '"pages"' "$work/reply.json" || { echo "the companion did not stamp doc$pages.pdf"; cat "$work/wine.log"; exit 1; }
        done
        # shellcheck disable=SC2046  # one figure a word
        seconds[$pages-$page]=$(median $(printf '%s\n' "${runs[@]}" | awk '{print $1}'))
        # shellcheck disable=SC2046
        memory[$pages-$page]=$(median $(printf '%s\n' "${runs[@]}" | awk '{print $2}'))
        printf '%4d pages, --page %-5s: %5.2f s, peak %6d KB (median of 3; file %d KB)\n' "$pages" "$page" \
            "${seconds[$pages-$page]}" "${memory[$pages-$page]}" $(($(stat -c %s "$work/doc$pages.pdf") / 1024))
    done
done

growth=$((memory[300-all] - memory[30-all]))
allowed=$((2 * $(stat -c %s "$work/doc300.pdf") / 1024))
echo
echo "goal: 300 pages stamped in <= 5 s: ${seconds[300-all]} s, of which the one-page floor ${seconds[300-first]} s -" \
    "$(verdict "${seconds[300-all]}" 5)"
echo "goal: memory from 30 to 300 pages grows by <= ${allowed} KB (twice the file): ${growth} KB -" \
    "$(verdict "$growth" "$allowed")"
