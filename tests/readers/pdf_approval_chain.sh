#!/usr/bin/env bash
# A 稟議書 passed from hand to hand: three people (three personal
# certificates made by the companion in the prefix's store) each add a
# signed stamp at their own place. Readers we do not make judge the result:
# each copy starts with the bytes of the one before it (cmp), qpdf --check
# passes, pdfsig finds every signature valid with its signer, and OpenSSL
# verifies each /Contents over the bytes its /ByteRange names. The
# companion's own --verify sees three signatures, each on its revision,
# and each stamp where it was put.
# A certificate that is not there is refused with no file written.
#
#   pdf_approval_chain.sh STAMP_EXE WORK_FOLDER
# Exit 0 pass, 1 fail, 77 a reader missing (skipped).
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
stamp=$1
for tool in qpdf pdfsig openssl; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool not installed: skipped"; exit 77; }
done
# shellcheck source=tests/readers/reader_common.sh
source "$root/tests/readers/reader_common.sh"
reader_scratch "$2" reader-chain

python3 -c 'import sys; sys.path.insert(0, sys.argv[1]); from pdf_objects import text_pages_bytes
open(sys.argv[2], "wb").write(text_pages_bytes([b"BT /F1 14 Tf 72 760 Td (Ringisho: new printer for the office) Tj ET\n"]))' \
    "$root/tests/readers" "$tmp/0.pdf"

people=("起案 佐藤" "課長 山田" "部長 鈴木")
places=("top-left:20,20" "top" "top-right:20,20")
reasons=("承認" "受付" "承認")
thumbprints=()
for i in 0 1 2; do
    read -r busho name <<<"${people[$i]}"
    { printf '\xff\xfe'; printf '[MARKOMI]\r\nCHARSET=unicode\r\nBUSHO=%s\r\nNAME=%s\r\n' "$busho" "$name" \
        | iconv -f UTF-8 -t UTF-16LE; } >"$tmp/$i.ini"
    "$root/scripts/wine" "$stamp" --ini "$(windows_path "$tmp/$i.ini")" --new-certificate >"$tmp/new$i.json" \
        2>>"$tmp/wine.log" || fail "$name: --new-certificate failed"
    thumbprints+=("$(sed -n 's/.*"thumbprint":"\([0-9A-F]*\)".*/\1/p' "$tmp/new$i.json")")
done
# The prefix's store keeps none of this run's certificates.
trap 'for t in "${thumbprints[@]}"; do "$root/scripts/wine" reg delete \
    "HKCU\\Software\\Microsoft\\SystemCertificates\\MY\\Certificates\\$t" /f >/dev/null 2>&1; done; rm -rf "$tmp"' EXIT

for i in 0 1 2; do
    read -r busho name <<<"${people[$i]}"
    # Each signs with the certificate remembered in their own settings file.
    "$root/scripts/wine" "$stamp" --ini "$(windows_path "$tmp/$i.ini")" --date 2026-12-0$((i + 7)) \
        --stamp-onto "$(windows_path "$tmp/$i.pdf")" --out "$(windows_path "$tmp/$((i + 1)).pdf")" \
        --at "${places[$i]}" --sign --reason "${reasons[$i]}" >"$tmp/stamp$i.json" 2>>"$tmp/wine.log" \
        || { fail "$name: the signed stamp was refused: $(cat "$tmp/stamp$i.json")"; continue; }
    grep -q "\"signed_by\":\"$name\"" "$tmp/stamp$i.json" || fail "$name: the reply does not name the signer"
    grep -q "\"kept_signatures\":$i" "$tmp/stamp$i.json" || fail "$name: the reply does not keep $i signatures"
    cmp -s -n "$(stat -c %s "$tmp/$i.pdf")" "$tmp/$i.pdf" "$tmp/$((i + 1)).pdf" \
        || fail "$name: the earlier bytes changed"
    qpdf --check "$tmp/$((i + 1)).pdf" >"$tmp/qpdf.log" 2>&1 || { cat "$tmp/qpdf.log"; fail "$name: qpdf --check"; }
done

pdfsig "$tmp/3.pdf" >"$tmp/pdfsig.txt" 2>&1
cat "$tmp/pdfsig.txt"
[ "$(grep -c "Signature is Valid." "$tmp/pdfsig.txt")" -eq 3 ] || fail "pdfsig does not find three valid signatures"
for person in "${people[@]}"; do
    grep -q "Common Name: ${person#* }$" "$tmp/pdfsig.txt" || fail "pdfsig does not name ${person#* }"
done

# Each /Contents over its /ByteRange, as OpenSSL sees it.
python3 - "$tmp/3.pdf" "$tmp" <<'PY' || fail "a signature's parts could not be cut out"
import re, sys
data = open(sys.argv[1], "rb").read()
ranges = [tuple(map(int, m.groups())) for m in re.finditer(rb"/ByteRange\s*\[\s*(\d+)\s+(\d+)\s+(\d+)\s+(\d+)\s*\]", data)]
assert len(ranges) == 3, ranges
for n, (a, b, c, d) in enumerate(ranges):
    open("%s/signed%d.bin" % (sys.argv[2], n), "wb").write(data[a:a + b] + data[c:c + d])
    hex_text = data[a + b:c].strip(b"<>")
    open("%s/sig%d.der" % (sys.argv[2], n), "wb").write(bytes.fromhex(hex_text.decode()).rstrip(b"\0"))
PY
for n in 0 1 2; do
    [ -s "$tmp/sig$n.der" ] || continue
    openssl cms -verify -binary -noverify -inform DER -in "$tmp/sig$n.der" -content "$tmp/signed$n.bin" \
        -out /dev/null 2>"$tmp/openssl.log" || { cat "$tmp/openssl.log"; fail "OpenSSL does not verify signature $n"; }
done

"$root/scripts/wine" "$stamp" --verify "$(windows_path "$tmp/3.pdf")" >"$tmp/verify.json" 2>>"$tmp/wine.log"
code=$?
[ "$code" -eq 0 ] || fail "--verify exits with $code"
python3 - "$tmp/verify.json" <<'PY' || fail "--verify does not see the chain"
import json, sys
report = json.load(open(sys.argv[1]))
signatures = sorted(report["signatures"], key=lambda s: s["revision"])
print("verify:", [(s["signer"], s["revision"], s["later_changes"], s["status"]) for s in signatures])
assert report["revisions"] == 4
assert [s["signer"] for s in signatures] == ["佐藤", "山田", "鈴木"]
assert [s["revision"] for s in signatures] == [2, 3, 4]
assert [s["later_changes"] for s in signatures] == ["signatures-and-annotations"] * 2 + ["none"]
assert all(s["digest"] and s["signature"] and s["status"] in ("valid", "unknown") for s in signatures)
assert len(report["stamps"]) == 3 and all(s["signed"] for s in report["stamps"])
# Where each was put (--at), on the A4 page as shown: the centre from a
# corner, or "top" at the 10 mm margin; each signature names its stamp.
width = 595 * 25.4 / 72
expected = {"佐藤": (20, 20), "山田": (width / 2, None), "鈴木": (width - 20, 20)}
for s in signatures:
    stamp = report["stamps"][s["stamp"]]
    assert s["signer"] in stamp["text"], (s, stamp)
    assert s["page"] == stamp["page"] == 1 and s["box_mm"] == stamp["box_mm"], (s, stamp)
    left, top, w, h = stamp["box_mm"]
    x, y = expected[s["signer"]]
    print("box:", s["signer"], stamp["box_mm"])
    assert abs(left + w / 2 - x) <= 0.5, (s["signer"], stamp["box_mm"])
    assert abs((top if y is None else top + h / 2) - (10 if y is None else y)) <= 0.5, (s["signer"], stamp["box_mm"])
PY

# A certificate that is not in the store: refused, and no copy.
"$root/scripts/wine" "$stamp" --ini "$(windows_path "$tmp/0.ini")" --stamp-onto "$(windows_path "$tmp/0.pdf")" \
    --out "$(windows_path "$tmp/none.pdf")" --cert 0000000000000000000000000000000000000000 \
    >"$tmp/none.json" 2>>"$tmp/wine.log" && fail "an unknown certificate signed"
grep -q '"refused":"signing-failed"' "$tmp/none.json" || fail "an unknown certificate is not told as a signing failure"
[ -e "$tmp/none.pdf" ] && fail "a copy was written without its signature"

if [ "$failures" -gt 0 ]; then
    echo "--- Wine output"; cat "$tmp/wine.log"
    exit 1
fi
echo PASS
exit 0
