#!/usr/bin/env bash
# Signed stamps, timed under Wine with the companion:
# - one one-page document stamped plainly, then with a signature by a
#   personal certificate made for the bench. Goal: the signed stamp within
#   1 s more than the plain one.
# - 30 one-page documents stamped and signed by one run (--stamp-onto thirty
#   times, --out-dir, --cert). Goal: within 15 s.
# Three runs each; the median counts. The certificate stays in the Wine
# prefix's personal store, as a user's would.
#   bench/pdf_sign.sh [Markomi2Stamp.exe]
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
stamp=${1:-$root/build/win/bin/Markomi2Stamp.exe}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
windows_path() { local p=$1; echo "Z:${p//\//\\}"; }

make_document() {
    python3 - "$1" "$root/tests/readers" <<'PY'
import sys
sys.path.insert(0, sys.argv[2])
from pdf_objects import pdf_bytes
lines = b"".join(b"(Item %02d  quantity %d  unit 1,200 yen) Tj 0 -16 Td\n" % (i + 1, i % 7 + 1) for i in range(30))
content = b"BT /F1 11 Tf 56 748 Td\n" + lines + b"ET\n"
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
        echo "the companion failed: $*" >&2; cat "$work/reply.json" "$work/wine.log" >&2; exit 1; }
    echo "$EPOCHREALTIME - $start" | bc
}
median() { sort -n | sed -n 2p; }
verdict() { if [ "$(echo "$1 <= $2" | bc)" = 1 ]; then echo holds; else echo MISSED; fi; }

{ printf '\xff\xfe'; printf '[MARKOMI]\r\nCHARSET=unicode\r\nBUSHO=ベンチ課\r\nNAME=計測\r\n' | iconv -f UTF-8 -t UTF-16LE; } >"$work/stamp.ini"
common=(--ini "$(windows_path "$work/stamp.ini")" --date 2025-05-01)
"$root/scripts/wine" "$stamp" --version >/dev/null 2>&1  # Wine up before the first timing
"$root/scripts/wine" "$stamp" --ini "$(windows_path "$work/stamp.ini")" --new-certificate >"$work/certificate.json" 2>>"$work/wine.log" || {
    echo "no certificate could be made"; cat "$work/certificate.json" "$work/wine.log"; exit 1; }
thumbprint=$(sed -n 's/.*"thumbprint":"\([0-9A-F]*\)".*/\1/p' "$work/certificate.json")
[ ${#thumbprint} -eq 40 ] || { echo "no thumbprint in: $(cat "$work/certificate.json")"; exit 1; }

make_document "$work/one.pdf"
plain=() signed=()
for run in 1 2 3; do
    plain+=("$(seconds_of "${common[@]}" --stamp-onto "$(windows_path "$work/one.pdf")" \
        --out "$(windows_path "$work/plain.pdf")")")
    signed+=("$(seconds_of "${common[@]}" --stamp-onto "$(windows_path "$work/one.pdf")" \
        --out "$(windows_path "$work/signed.pdf")" --cert "$thumbprint")")
done
plain_one=$(printf '%s\n' "${plain[@]}" | median)
signed_one=$(printf '%s\n' "${signed[@]}" | median)
printf 'one page, plain stamp: %.2f s; signed stamp: %.2f s (medians of 3)\n' "$plain_one" "$signed_one"
if command -v pdfsig >/dev/null; then
    pdfsig "$work/signed.pdf" | grep -q "Signature is Valid" || echo "pdfsig does not take the signed copy as valid"
fi

mkdir -p "$work/pile" "$work/out"
batch=()
for i in $(seq -w 1 30); do
    make_document "$work/pile/invoice$i.pdf"
    batch+=(--stamp-onto "$(windows_path "$work/pile/invoice$i.pdf")")
done
runs=()
for run in 1 2 3; do
    rm -f "$work/out"/*.pdf
    runs+=("$(seconds_of "${common[@]}" "${batch[@]}" --out-dir "$(windows_path "$work/out")" --cert "$thumbprint")")
    written=$(find "$work/out" -name '*.pdf' | wc -l)
    [ "$written" -eq 30 ] || { echo "the batch wrote $written copies, not 30"; cat "$work/reply.json"; exit 1; }
done
pile=$(printf '%s\n' "${runs[@]}" | median)
printf '30 one-page documents stamped and signed: %.2f s (median of 3)\n' "$pile"

extra=$(echo "$signed_one - $plain_one" | bc)
echo
printf 'goal: a signed stamp within 1 s more than a plain one: %+.2f s - %s\n' "$extra" "$(verdict "$extra" 1)"
printf 'goal: 30 documents signed within 15 s: %.2f s - %s\n' "$pile" "$(verdict "$pile" 15)"
