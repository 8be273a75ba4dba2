#!/usr/bin/env bash
# --verify against documents signed by a signer nobody here wrote: pdfsig
# signs a PDF with a key of an NSS database made here, and the companion
# must find its signature whole (digest and signature hold, the self-signed
# certificate not trusted: "unknown", exit 0), in a linearized document too;
# with one signed byte changed, the digest no longer holds (exit 1); after an
# appended update that draws
# on the page, the signature covers an earlier revision and the later
# change is "other" (exit 1); after one that adds a date stamp annotation of
# ours to a document of object streams and cross-reference streams, the
# change is allowed and the stamp is listed where it is (exit 0); a file that
# is no PDF is refused (exit 2). One companion start per document.
#
#   pdf_verify.sh STAMP_EXE WORK_FOLDER
# Exit 0 pass, 1 fail, 77 a writer or reader missing (skipped).
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
stamp=$1
for tool in qpdf pdfsig certutil pk12util openssl gs python3; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool not installed: skipped"; exit 77; }
done
# shellcheck source=tests/readers/reader_common.sh
source "$root/tests/readers/reader_common.sh"
reader_scratch "$2" reader-verify

# Another signer: a self-signed key in an NSS database, signing with pdfsig.
mkdir "$tmp/nss"
certutil -N -d "sql:$tmp/nss" --empty-password >/dev/null 2>&1 || fail "certutil made no database"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$tmp/key.pem" -out "$tmp/cert.pem" -days 30 \
    -subj "/CN=Other Signer/O=Elsewhere" >/dev/null 2>&1 || fail "openssl made no certificate"
openssl pkcs12 -export -inkey "$tmp/key.pem" -in "$tmp/cert.pem" -name other -out "$tmp/other.p12" \
    -passout pass: || fail "openssl made no PKCS#12 file"
pk12util -i "$tmp/other.p12" -d "sql:$tmp/nss" -W "" >/dev/null 2>&1 || fail "pk12util imported nothing"
gs -q -sDEVICE=pdfwrite -o "$tmp/plain.pdf" -c "/Helvetica findfont 20 scalefont setfont 100 700 moveto (Hello) show showpage" \
    || fail "gs wrote no PDF"
pdfsig -add-signature -nssdir "sql:$tmp/nss" -nick other -reason approve "$tmp/plain.pdf" "$tmp/signed.pdf" \
    >/dev/null 2>&1 || fail "pdfsig signed nothing"
# The same page with its objects in object streams and a cross-reference
# stream, and linearized (its two first sections are one revision).
qpdf --object-streams=generate "$tmp/plain.pdf" "$tmp/streams.pdf" || fail "qpdf wrote no object streams"
qpdf --linearize "$tmp/plain.pdf" "$tmp/linear.pdf" || fail "qpdf wrote no linearized file"
for f in streams linear; do
    pdfsig -add-signature -nssdir "sql:$tmp/nss" -nick other -reason approve "$tmp/$f.pdf" "$tmp/${f}_signed.pdf" \
        >/dev/null 2>&1 || fail "pdfsig signed nothing"
done
for f in signed streams_signed linear_signed; do
    pdfsig "$tmp/$f.pdf" 2>/dev/null | grep -q "Signature is Valid." || fail "pdfsig does not find its own signature valid"
done
[ "$failures" -eq 0 ] || exit 1

# One signed byte changed (in the header's comment line: the file still reads).
python3 -c "import sys; d = bytearray(open(sys.argv[1], 'rb').read()); d[11] ^= 1; open(sys.argv[2], 'wb').write(d)" \
    "$tmp/signed.pdf" "$tmp/tampered.pdf"
python3 "$root/tests/readers/pdf_append_update.py" "$tmp/signed.pdf" "$tmp/drawn.pdf" content || fail "no drawn update"
python3 "$root/tests/readers/pdf_append_update.py" "$tmp/streams_signed.pdf" "$tmp/stamped.pdf" annotation \
    || fail "no stamp update"
qpdf --check "$tmp/stamped.pdf" >/dev/null || fail "qpdf finds the stamped update unsound"
printf 'not a PDF\n' >"$tmp/text.pdf"

for case in signed:0 linear_signed:0 tampered:1 drawn:1 stamped:0 text:2; do
    name=${case%:*}
    "$root/scripts/wine" "$stamp" --verify "$(windows_path "$tmp/$name.pdf")" >"$tmp/$name.json" 2>>"$tmp/wine.log"
    code=$?
    [ "$code" -eq "${case#*:}" ] || fail "$name: exit $code, not ${case#*:}: $(cat "$tmp/$name.json")"
done

python3 - "$tmp" <<'PY' || fail "the replies do not say what the readers say"
import json, sys
folder = sys.argv[1]
names = ("signed", "linear_signed", "tampered", "drawn", "stamped", "text")
reply = {n: json.load(open(f"{folder}/{n}.json", encoding="utf-8")) for n in names}
bad = []
def expect(name, key, value, got):
    if got != value:
        bad.append(f"{name}: {key} is {got!r}, not {value!r}")
whole = {"signer": "Other Signer", "digest": True, "signature": True, "trusted": False}
cases = {
    "signed": dict(whole, revision=2, covers_whole_file=True, later_changes="none", status="unknown"),
    "linear_signed": dict(whole, revision=2, covers_whole_file=True, later_changes="none", status="unknown"),
    "tampered": dict(whole, digest=False, status="invalid"),
    "drawn": dict(whole, revision=2, covers_whole_file=False, later_changes="other", status="invalid"),
    "stamped": dict(whole, revision=2, covers_whole_file=False, later_changes="signatures-and-annotations",
                    status="unknown"),
}
for name, wanted in cases.items():
    signatures = reply[name]["signatures"]
    expect(name, "signature count", 1, len(signatures))
    for key, value in wanted.items():
        expect(name, key, value, signatures[0].get(key) if signatures else None)
    if signatures and not signatures[0]["time"].endswith("Z"):
        bad.append(f"{name}: the signing time {signatures[0]['time']!r} is no UTC time")
expect("signed", "revisions", 2, reply["signed"]["revisions"])
expect("linear_signed", "revisions", 2, reply["linear_signed"]["revisions"])
expect("drawn", "revisions", 3, reply["drawn"]["revisions"])
expect("signed", "stamps", [], reply["signed"]["stamps"])
stamps = reply["stamped"]["stamps"]
box = stamps[0].pop("box_mm", None) if stamps else None
expect("stamped", "stamps", [{"text": "総務部", "time": "2026-12-09T10:31:00+09:00", "page": 1, "signed": False}],
       stamps)
# Its /Rect [400 700 460 760] on the page as shown, from the top of the media box.
import re
height = float(re.search(rb"/MediaBox\s*\[\s*0\s+0\s+[\d.]+\s+([\d.]+)", open(f"{folder}/stamped.pdf", "rb").read()).group(1))
mm = 25.4 / 72
wanted = [400 * mm, (height - 760) * mm, 60 * mm, 60 * mm]
if box is None or any(abs(a - b) > 0.5 for a, b in zip(box, wanted)):
    bad.append(f"stamped: box_mm is {box!r}, not {[round(v, 2) for v in wanted]}")
expect("text", "refused", "not-pdf", reply["text"].get("refused"))
print("\n".join(bad))
sys.exit(1 if bad else 0)
PY

[ "$failures" -eq 0 ] && echo "PASS: --verify on documents signed by pdfsig" || exit 1
