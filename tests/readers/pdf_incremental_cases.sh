#!/usr/bin/env bash
# Incremental stamps on documents of unusual make, judged by readers we do not
# make, and a signed pile killed part way.
#   - certified by another signer (OpenSSL over a byte range written here):
#     /DocMDP /P 2 refuses a plain stamp and takes a signed one, /P 3 takes both;
#   - a hybrid-reference file (a table whose trailer names a cross-reference
#     stream, the page itself in an object stream);
#   - a page whose /Annots is an array object holding a link: the link stays.
# Each copy: the input's bytes are its prefix (cmp), qpdf --check passes,
# pdfsig finds every signature valid, the stamp is among the page's
# annotations (qpdf) and poppler draws it. Two piles, one signed, one plain.
# Then a signed pile replacing earlier copies is killed once the first copy
# is in place: every copy is either the earlier one byte for byte or whole.
#
#   pdf_incremental_cases.sh STAMP_EXE WORK_FOLDER
# Exit 0 pass, 1 fail, 77 a reader missing (skipped).
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
stamp=$1
for tool in qpdf pdfsig pdftoppm openssl python3; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool not installed: skipped"; exit 77; }
done
# shellcheck source=tests/readers/reader_common.sh
source "$root/tests/readers/reader_common.sh"
reader_scratch "$2" reader-edge
mkdir "$tmp/in" "$tmp/signed" "$tmp/plain" "$tmp/kill" "$tmp/kill-in"

# The other signer's key, self-signed.
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$tmp/key.pem" -out "$tmp/cert.pem" -days 30 \
    -subj "/CN=Certifier/O=Elsewhere" >/dev/null 2>&1 || fail "openssl made no certificate"
python3 - "$tmp" "$root/tests/readers" <<'PY' || fail "the inputs were not written"
import sys
sys.path.insert(0, sys.argv[2])
from pdf_objects import pdf_bytes, hybrid_pdf_bytes, with_byte_range, SIGNATURE_SLOT
tmp = sys.argv[1]

def page(extra=b"", text=b"Ringisho"):
    content = b"BT /F1 14 Tf 72 760 Td (%s) Tj ET\n" % text
    return [b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
            b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] "
            b"/Resources << /Font << /F1 5 0 R >> >> /Contents 4 0 R" + extra + b" >>",
            b"<< /Length %d >>\nstream\n%sendstream" % (len(content), content),
            b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"]

catalog = b"<< /Type /Catalog /Pages 2 0 R >>"
for p in (2, 3):
    certified = [b"<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [6 0 R] /SigFlags 3 >> "
                 b"/Perms << /DocMDP 7 0 R >> >>"] + page(b" /Annots [6 0 R]", b"Certified P%d" % p) + [
        b"<< /Type /Annot /Subtype /Widget /FT /Sig /T (Certification) /V 7 0 R /Rect [0 0 0 0] /F 132 /P 3 0 R >>",
        b"<< /Type /Sig /Filter /Adobe.PPKLite /SubFilter /adbe.pkcs7.detached " + SIGNATURE_SLOT +
        b" /M (D:20261201090000+09'00') /Reference [<< /Type /SigRef /TransformMethod /DocMDP "
        b"/TransformParams << /Type /TransformParams /P %d /V /1.2 >> >>] >>" % p]
    data, covered = with_byte_range(pdf_bytes(certified))
    open("%s/in/certified%d.pdf" % (tmp, p), "wb").write(data)
    open("%s/certified%d.parts" % (tmp, p), "wb").write(covered)
# The pages node, the page and the font in an object stream.
open(tmp + "/in/hybrid.pdf", "wb").write(hybrid_pdf_bytes([catalog] + page(text=b"Hybrid"), {2, 3, 5}))
link = (b"<< /Type /Annot /Subtype /Link /Rect [72 700 200 720] /Border [0 0 0] "
        b"/A << /S /URI /URI (https://example.com/) >> >>")
open(tmp + "/in/links.pdf", "wb").write(pdf_bytes([catalog] + page(b" /Annots 6 0 R", b"Links") + [b"[7 0 R]", link]))
for n in range(40):
    open("%s/kill-in/k%02d.pdf" % (tmp, n), "wb").write(pdf_bytes([catalog] + page(text=b"Pile %d" % n)))
PY
for p in 2 3; do
    openssl cms -sign -binary -md sha256 -in "$tmp/certified$p.parts" -signer "$tmp/cert.pem" -inkey "$tmp/key.pem" \
        -outform DER -out "$tmp/certified$p.der" 2>/dev/null || fail "OpenSSL did not certify /P $p"
    python3 "$root/tests/readers/pdf_sign_parts.py" "$tmp/in/certified$p.pdf" "$tmp/certified$p.parts" \
        "$tmp/certified$p.der" >/dev/null || fail "the certification /P $p was not put in"
    pdfsig "$tmp/in/certified$p.pdf" 2>/dev/null | grep -q "Signature is Valid." || fail "pdfsig does not take the certification /P $p"
done
qpdf --check "$tmp/in/hybrid.pdf" >/dev/null || fail "qpdf does not take the hybrid input"
[ "$failures" -eq 0 ] || exit 1

{ printf '\xff\xfe'; printf '[MARKOMI]\r\nCHARSET=unicode\r\nBUSHO=%s\r\nNAME=%s\r\n' "総務部" "佐藤" \
    | iconv -f UTF-8 -t UTF-16LE; } >"$tmp/stamp.ini"
ini=$(windows_path "$tmp/stamp.ini")
"$root/scripts/wine" "$stamp" --ini "$ini" --new-certificate >"$tmp/new.json" 2>>"$tmp/wine.log" \
    || { cat "$tmp/wine.log"; echo "FAIL: --new-certificate failed"; exit 1; }
thumbprint=$(sed -n 's/.*"thumbprint":"\([0-9A-F]*\)".*/\1/p' "$tmp/new.json")
# The prefix's store keeps none of this run's certificates.
trap '"$root/scripts/wine" reg delete "HKCU\\Software\\Microsoft\\SystemCertificates\\MY\\Certificates\\$thumbprint" /f \
    >/dev/null 2>&1; rm -rf "$tmp"' EXIT

inputs=()
for f in certified2 certified3 hybrid links; do inputs+=(--stamp-onto "$(windows_path "$tmp/in/$f.pdf")"); done
"$root/scripts/wine" "$stamp" --ini "$ini" --date 2026-12-09 "${inputs[@]}" --out-dir "$(windows_path "$tmp/signed")" \
    --at top-right:20,20 --sign --reason 承認 >"$tmp/signed.json" 2>>"$tmp/wine.log"
"$root/scripts/wine" "$stamp" --ini "$ini" --date 2026-12-09 "${inputs[@]}" --out-dir "$(windows_path "$tmp/plain")" \
    --at top-right:20,20 >"$tmp/plain.json" 2>>"$tmp/wine.log"
cat "$tmp/signed.json" "$tmp/plain.json"

# What each pile did with each document: the copy, or the refusal named.
python3 - "$tmp" <<'PY' || fail "a pile did not do what each document asks"
import json, sys
tmp = sys.argv[1]
expected = {"signed": {"certified2": None, "certified3": None, "hybrid": None, "links": None},
            "plain": {"certified2": "certified-no-changes", "certified3": None, "hybrid": None, "links": None}}
ok = True
for pile, cases in expected.items():
    replies = [json.loads(l) for l in open("%s/%s.json" % (tmp, pile), encoding="utf-8") if l.startswith("{")]
    got = {r["input"].split("\\")[-1][:-4]: r.get("refused") for r in replies}
    if got != cases:
        print("%s pile: %s, expected %s" % (pile, got, cases))
        ok = False
sys.exit(0 if ok else 1)
PY
[ -e "$tmp/plain/certified2_捺印.pdf" ] && fail "certified /P 2: a plain copy was written"

# signatures_of FILE: how many signatures pdfsig lists, and how many it finds valid.
signatures_of() {
    pdfsig "$1" >"$tmp/pdfsig.txt" 2>&1
    echo "$(grep -c "^Signature #" "$tmp/pdfsig.txt") $(grep -c "Signature is Valid." "$tmp/pdfsig.txt")"
}
for pile in signed plain; do
    for f in certified2 certified3 hybrid links; do
        copy="$tmp/$pile/${f}_捺印.pdf"
        [ -e "$copy" ] || continue
        cmp -s -n "$(stat -c %s "$tmp/in/$f.pdf")" "$tmp/in/$f.pdf" "$copy" || fail "$pile $f: the input is not the copy's prefix"
        qpdf --check "$copy" >"$tmp/qpdf.log" 2>&1 || { cat "$tmp/qpdf.log"; fail "$pile $f: qpdf --check"; }
        before=0
        [[ $f == certified* ]] && before=1
        after=$before
        [ "$pile" = signed ] && after=$((before + 1))
        [ "$(signatures_of "$copy")" = "$after $after" ] \
            || { cat "$tmp/pdfsig.txt"; fail "$pile $f: pdfsig does not find $after valid signatures"; }
        # The stamp among the page's annotations, every earlier one kept.
        qpdf --json --json-key=pages --json-key=qpdf "$copy" >"$tmp/objects.json" 2>/dev/null
        python3 - "$tmp/objects.json" "$pile" "$f" <<'PY' || fail "$pile $f: the page's annotations"
import json, sys
found, pile, case = json.load(open(sys.argv[1])), sys.argv[2], sys.argv[3]
objects = found["qpdf"][1]
value = lambda o: objects["obj:" + o]["value"] if isinstance(o, str) and o.endswith(" R") else o
annotations = value(value(found["pages"][0]["object"])["/Annots"])
subtypes = [value(a)["/Subtype"][1:] for a in annotations]
print(pile, case, subtypes)
kept = {"links": ["Link"], "certified2": ["Widget"], "certified3": ["Widget"]}.get(case, [])
assert subtypes == kept + ["Widget" if pile == "signed" else "Stamp"]
PY
        # poppler draws the stamp where the input had none.
        pdftoppm -r 24 -gray -singlefile "$tmp/in/$f.pdf" "$tmp/before"
        pdftoppm -r 24 -gray -singlefile "$copy" "$tmp/after"
        cmp -s "$tmp/before.pgm" "$tmp/after.pgm" && fail "$pile $f: poppler draws no stamp"
    done
done

# A signed pile replacing earlier copies, killed as soon as the first new
# copy is in place. SIGKILL of the Wine process ends it as TerminateProcess
# would: no handler runs, nothing is flushed.
kill_inputs=()
for f in "$tmp"/kill-in/*.pdf; do
    kill_inputs+=(--stamp-onto "$(windows_path "$f")")
    name=$(basename "$f" .pdf)
    cp "$f" "$tmp/kill/${name}_捺印.pdf"
done
"$root/scripts/wine" "$stamp" --ini "$ini" "${kill_inputs[@]}" --out-dir "$(windows_path "$tmp/kill")" --replace \
    --sign >/dev/null 2>>"$tmp/wine.log" &
job=$!
replaced=0
for ((i = 0; i < 2400 && replaced == 0; i++)); do
    for f in "$tmp"/kill-in/*.pdf; do
        cmp -s "$f" "$tmp/kill/$(basename "$f" .pdf)_捺印.pdf" || { replaced=1; break; }
    done
    [ "$replaced" -eq 1 ] || sleep 0.05
done
# The script execs Wine, which execs the program's loader: $job is the program.
echo "killing $(cat "/proc/$job/comm" 2>/dev/null) after the first copy"
kill -KILL "$job" 2>/dev/null
wait "$job" 2>/dev/null
old=0 new=0
for f in "$tmp"/kill-in/*.pdf; do
    copy="$tmp/kill/$(basename "$f" .pdf)_捺印.pdf"
    if cmp -s "$f" "$copy"; then
        old=$((old + 1))
        continue
    fi
    new=$((new + 1))
    cmp -s -n "$(stat -c %s "$f")" "$f" "$copy" || fail "killed pile: $(basename "$copy") is neither the earlier copy nor a new one"
    qpdf --check "$copy" >/dev/null 2>&1 || fail "killed pile: $(basename "$copy") does not pass qpdf --check"
    [ "$(signatures_of "$copy")" = "1 1" ] || fail "killed pile: $(basename "$copy") has no valid signature"
done
# A staging file the kill left is allowed: the next save of that copy sweeps it.
echo "killed pile: $new copies new, $old as they were, $(find "$tmp/kill" -type f ! -name '*_捺印.pdf' | wc -l) other files"
[ "$new" -ge 1 ] && [ "$old" -ge 1 ] || fail "the kill did not land inside the pile ($new new, $old old)"

if [ "$failures" -gt 0 ]; then
    echo "--- Wine output"; cat "$tmp/wine.log"
    exit 1
fi
echo PASS
exit 0
