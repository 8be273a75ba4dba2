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
# shellcheck source=bench/bench_common.sh
source "$(dirname "${BASH_SOURCE[0]}")/bench_common.sh"

bench_settings BUSHO=ベンチ課 NAME=計測
"$root/scripts/wine" "$stamp" --ini "$(windows_path "$work/stamp.ini")" --new-certificate >"$work/certificate.json" 2>>"$work/wine.log" || {
    echo "no certificate could be made"; cat "$work/certificate.json" "$work/wine.log"; exit 1; }
thumbprint=$(sed -n 's/.*"thumbprint":"\([0-9A-F]*\)".*/\1/p' "$work/certificate.json")
[ ${#thumbprint} -eq 40 ] || { echo "no thumbprint in: $(cat "$work/certificate.json")"; exit 1; }

make_invoice "$work/one.pdf"
plain=() signed=()
for run in 1 2 3; do
    timed plain "${common[@]}" --stamp-onto "$(windows_path "$work/one.pdf")" --out "$(windows_path "$work/plain.pdf")"
    timed signed "${common[@]}" --stamp-onto "$(windows_path "$work/one.pdf")" \
        --out "$(windows_path "$work/signed.pdf")" --cert "$thumbprint"
done
plain_one=$(median "${plain[@]}")
signed_one=$(median "${signed[@]}")
printf 'one page, plain stamp: %.2f s; signed stamp: %.2f s (medians of 3)\n' "$plain_one" "$signed_one"
if command -v pdfsig >/dev/null; then
    pdfsig "$work/signed.pdf" | grep -q "Signature is Valid" || echo "pdfsig does not take the signed copy as valid"
fi

mkdir -p "$work/pile" "$work/out"
batch=()
for i in $(seq -w 1 30); do
    make_invoice "$work/pile/invoice$i.pdf"
    batch+=(--stamp-onto "$(windows_path "$work/pile/invoice$i.pdf")")
done
runs=()
for run in 1 2 3; do
    rm -f "$work/out"/*.pdf
    timed runs "${common[@]}" "${batch[@]}" --out-dir "$(windows_path "$work/out")" --cert "$thumbprint"
    written=$(find "$work/out" -name '*.pdf' | wc -l)
    [ "$written" -eq 30 ] || { echo "the batch wrote $written copies, not 30"; cat "$work/reply.json"; exit 1; }
done
pile=$(median "${runs[@]}")
printf '30 one-page documents stamped and signed: %.2f s (median of 3)\n' "$pile"

extra=$(echo "$signed_one - $plain_one" | bc)
echo
printf 'goal: a signed stamp within 1 s more than a plain one: %+.2f s - %s\n' "$extra" "$(verdict "$extra" 1)"
printf 'goal: 30 documents signed within 15 s: %.2f s - %s\n' "$pile" "$(verdict "$pile" 15)"
