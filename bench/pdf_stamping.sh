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
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
stamp=${1:-$root/build/win/bin/Markomi2Stamp.exe}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
windows_path() { local p=$1; echo "Z:${p//\//\\}"; }

# A document of N pages, each with 45 lines of its own text.
make_document() {
    python3 - "$1" "$2" "$root/tests/readers" <<'PY'
import sys
sys.path.insert(0, sys.argv[3])
from pdf_objects import pdf_bytes
pages, path = int(sys.argv[1]), sys.argv[2]
objects = [b"<< /Type /Catalog /Pages 2 0 R >>", None,
           b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"]
kids = []
for p in range(pages):
    lines = b"".join(b"(Ledger page %d, line %d: 2025-05-01 receipt %06d, 12,000 yen) Tj 0 -15 Td\n"
                     % (p + 1, i + 1, p * 100 + i) for i in range(45))
    content = b"BT /F1 10 Tf 50 790 Td\n" + lines + b"ET\n"
    objects.append(b"<< /Length %d >>\nstream\n%sendstream" % (len(content), content))
    objects.append(b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] "
                   b"/Resources << /Font << /F1 3 0 R >> >> /Contents %d 0 R >>" % len(objects))
    kids.append(b"%d 0 R" % len(objects))
objects[1] = b"<< /Type /Pages /Kids [" + b" ".join(kids) + b"] /Count %d >>" % pages
open(path, "wb").write(pdf_bytes(objects))
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

median() { sort -n | sed -n 2p; }

{ printf '\xff\xfe'; printf '[MARKOMI]\r\nCHARSET=unicode\r\n' | iconv -f UTF-8 -t UTF-16LE; } >"$work/stamp.ini"
common=(--ini "$(windows_path "$work/stamp.ini")" --date 2025-05-01)
"$root/scripts/wine" "$stamp" --version >/dev/null 2>&1  # Wine up before the first timing

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
        seconds[$pages-$page]=$(printf '%s\n' "${runs[@]}" | awk '{print $1}' | median)
        memory[$pages-$page]=$(printf '%s\n' "${runs[@]}" | awk '{print $2}' | median)
        printf '%4d pages, --page %-5s: %5.2f s, peak %6d KB (median of 3; file %d KB)\n' "$pages" "$page" \
            "${seconds[$pages-$page]}" "${memory[$pages-$page]}" $(($(stat -c %s "$work/doc$pages.pdf") / 1024))
    done
done

growth=$((memory[300-all] - memory[30-all]))
allowed=$((2 * $(stat -c %s "$work/doc300.pdf") / 1024))
verdict() { if [ "$1" = 1 ]; then echo holds; else echo MISSED; fi; }
echo
echo "goal: 300 pages stamped in <= 5 s: ${seconds[300-all]} s, of which the one-page floor ${seconds[300-first]} s -" \
    "$(verdict "$(echo "${seconds[300-all]} <= 5" | bc)")"
echo "goal: memory from 30 to 300 pages grows by <= ${allowed} KB (twice the file): ${growth} KB -" \
    "$(verdict "$([ "$growth" -le "$allowed" ] && echo 1)")"
