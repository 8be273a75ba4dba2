#!/usr/bin/env bash
# The CMS a personal certificate's key makes under this Wine, judged by
# OpenSSL: the suite PdfSigning of the Windows tests makes the certificate
# in the prefix's store, signs two parts and writes sig.der, data.bin (the
# parts joined) and cert.cer here; OpenSSL must verify the detached
# signature over the data and find the signing time and the
# signing-certificate-v2 attribute holding the certificate's SHA-256.
# Then the companion: --new-certificate from a settings file's lines is
# remembered there and listed, --export-certificate writes the DER whose
# SHA-1 is the thumbprint, and --diagnose names a provider that signs.
#
#   cms_signing.sh WIN_TESTS_EXE STAMP_EXE WORK_FOLDER
# Exit 0 pass, 1 fail, 77 openssl missing (skipped).
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
tests_exe=$1
command -v openssl >/dev/null 2>&1 || { echo "openssl not installed: skipped"; exit 77; }
# shellcheck source=tests/readers/reader_common.sh
source "$root/tests/readers/reader_common.sh"
reader_scratch "$3" reader-cms

MARKOMI2_SIGN_OUT=$(windows_path "$tmp") "$root/scripts/wine" "$tests_exe" \
    --gtest_filter='PdfSigning.*' >"$tmp/gtest.log" 2>&1 || { cat "$tmp/gtest.log"; fail "the signing suite failed"; }
grep -E "key provider|OK|FAILED" "$tmp/gtest.log"
for f in sig.der data.bin cert.cer; do [ -s "$tmp/$f" ] || fail "no $f"; done
if [ "$failures" -eq 0 ]; then
    openssl cms -verify -binary -noverify -inform DER -in "$tmp/sig.der" -content "$tmp/data.bin" \
        -out /dev/null 2>"$tmp/verify.log" || { cat "$tmp/verify.log"; fail "OpenSSL does not verify the CMS"; }
    # A byte changed in the data: the same check must refuse it.
    printf 'X' | dd of="$tmp/data.bin" bs=1 seek=3 conv=notrunc 2>/dev/null
    openssl cms -verify -binary -noverify -inform DER -in "$tmp/sig.der" -content "$tmp/data.bin" \
        -out /dev/null 2>/dev/null && fail "OpenSSL verifies changed data"
    openssl cms -cmsout -print -inform DER -in "$tmp/sig.der" >"$tmp/print.txt" || fail "OpenSSL cannot print the CMS"
    grep -q "signingTime" "$tmp/print.txt" || fail "no signing-time attribute"
    grep -q "UTCTIME:Dec  9 01:31:05 2026 GMT" "$tmp/print.txt" || fail "the signing time is not 10:31:05 in Japan"
    grep -q "1.2.840.113549.1.9.16.2.47" "$tmp/print.txt" || fail "no signing-certificate-v2 attribute"
    hash=$(openssl x509 -inform DER -in "$tmp/cert.cer" -noout -fingerprint -sha256 | sed 's/.*=//; s/://g')
    grep -q "OCTET STRING.*$hash" "$tmp/print.txt" || fail "signing-certificate-v2 does not hold the certificate's SHA-256 $hash"
    grep -q "sha256 (2.16.840.1.101.3.4.2.1)" "$tmp/print.txt" || fail "the digest is not SHA-256"
fi
stamp=$2
ini="$tmp/settings.ini"
printf '[MARKOMI]\r\nBUSHO=総務部, "本社"\r\nNAME=佐藤\r\n' >"$ini"
"$root/scripts/wine" "$stamp" --ini "$(windows_path "$ini")" --new-certificate >"$tmp/new.json" 2>>"$tmp/wine.log" \
    || fail "--new-certificate failed: $(cat "$tmp/new.json")"
thumbprint=$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["thumbprint"])' "$tmp/new.json" 2>/dev/null)
if [ -n "$thumbprint" ]; then
    iconv -f UTF-16LE -t UTF-8 "$ini" | tr -d '\r' | grep -qx "CERTIFICATE=$thumbprint" \
        || fail "the new certificate is not remembered in the settings file"
    "$root/scripts/wine" "$stamp" --list-certificates >"$tmp/list.json" 2>>"$tmp/wine.log" || fail "--list-certificates failed"
    python3 - "$tmp/list.json" "$thumbprint" <<'PY' || fail "the new certificate is not listed as it was made"
import json, sys
mine = [c for c in json.load(open(sys.argv[1]))["certificates"] if c["thumbprint"] == sys.argv[2]]
assert len(mine) == 1 and mine[0]["subject"] == "佐藤" and mine[0]["organisation"] == '総務部, "本社"' \
    and mine[0]["self_signed"] and mine[0]["provider"] in ("CNG", "CryptoAPI"), mine
PY
    "$root/scripts/wine" "$stamp" --export-certificate "$thumbprint" --out "$(windows_path "$tmp/mine.cer")" \
        >>"$tmp/wine.log" 2>&1 || fail "--export-certificate failed"
    sha1=$(openssl x509 -inform DER -in "$tmp/mine.cer" -noout -fingerprint -sha1 2>/dev/null | sed 's/.*=//; s/://g')
    [ "$sha1" = "$thumbprint" ] || fail "the exported certificate's SHA-1 is '$sha1', not the thumbprint $thumbprint"
    # The test prefix's store keeps no certificate of this run (Wine keeps the store in the registry).
    "$root/scripts/wine" reg delete "HKCU\\Software\\Microsoft\\SystemCertificates\\MY\\Certificates\\$thumbprint" /f \
        >>"$tmp/wine.log" 2>&1
else
    fail "--new-certificate gave no thumbprint: $(cat "$tmp/new.json")"
fi
"$root/scripts/wine" "$stamp" --diagnose >"$tmp/diagnose.json" 2>>"$tmp/wine.log" || fail "--diagnose failed"
python3 - "$tmp/diagnose.json" <<'PY' || fail "--diagnose names no provider that signs"
import json, sys
providers = json.load(open(sys.argv[1]))["signing"]["providers"]
for p in providers:
    print("diagnose: %s opens=%s certificate=%s signature=%s %s" % (p["name"], p["opens"], p["certificate"], p["signature"], p["detail"]))
assert [p["name"] for p in providers] == ["CNG", "CryptoAPI"] and any(p["signature"] for p in providers)
PY
[ "$failures" -eq 0 ] && echo "PASS" || exit 1
