#!/usr/bin/env bash
# The companion stamps PDF documents made by writers nobody here wrote
# (tests/readers/pdf_corpus.sh), and readers nobody here wrote check the
# copies: qpdf's own check passes; poppler renders the stamped page with the
# stamp's red ink at the asked place (within 1 mm) and at the size of the
# stamp's own PDF (within 2 %), and the rest of the page as the original's
# (tests/readers/pdf_stamp_check.py); the text poppler extracts, the page
# count, the metadata, the links, the outline and the form are the
# original's. The stamp's size is the EMF file's picture frame. Files that
# must be refused leave nothing behind and say why; the damaged file is
# stamped with its warnings. Hostile pages (pdf_corpus.sh) are stamped
# visibly within bounded memory, or refused with a reason.
# A stamp is an annotation appended to the input (an incremental update):
# the input's bytes are the copy's prefix, whatever kind of cross-reference
# section the input ends with, and a signature made beforehand by another
# signer stays valid in pdfsig. --flatten draws into the page content
# instead, as the rows that look at the page's own streams check. With
# SIGN_PROBE, three signed stamps in a row, each signed by openssl in place
# of the program's signer, are all valid in pdfsig.
#
#   pdf_stamping.sh STAMP_EXE WORK_FOLDER [SIGN_PROBE_EXE]
# Exit 0 pass, 1 fail, 77 a writer or reader missing (skipped).
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
stamp=$1
probe=${3:-}
for tool in qpdf pdftoppm pdftotext pdfinfo rsvg-convert gs soffice; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool not installed: skipped"; exit 77; }
done
# shellcheck source=tests/readers/reader_common.sh
source "$root/tests/readers/reader_common.sh"
# shellcheck source=tests/readers/pdf_corpus.sh
source "$root/tests/readers/pdf_corpus.sh"
reader_scratch "$2" reader-pdf
check="$root/tests/readers/pdf_stamp_check.py"
dpi=150

corpus="$tmp/corpus"
make_pdf_corpus "$corpus"
lap "the corpus"

{ printf '\xff\xfe'; printf '[MARKOMI]\r\nCHARSET=unicode\r\nBUSHO=総務部\r\nNAME=佐藤\r\n' | iconv -f UTF-8 -t UTF-16LE; } >"$tmp/stamp.ini"
common=(--ini "$(windows_path "$tmp/stamp.ini")" --date 2025-05-01 --slot 1)

# The stamp alone: its PDF page is the picture frame, its EMF gives the size.
wine_run "$stamp" "${common[@]}" --out "$(windows_path "$tmp/alone.pdf")" || fail "no PDF of the stamp alone"
wine_run "$stamp" "${common[@]}" --out "$(windows_path "$tmp/alone.emf")" || fail "no EMF of the stamp"
pdftoppm -r "$dpi" -singlefile "$tmp/alone.pdf" "$tmp/alone" || fail "the stamp alone does not render"
frame_mm=$(python3 - "$tmp/alone.emf" <<'PY'
import struct, sys
left, top, right, bottom = struct.unpack_from("<4i", open(sys.argv[1], "rb").read(), 24)
print("%.2f %.2f" % ((right - left) / 100, (bottom - top) / 100))
PY
)
lap "the stamp alone"

# What poppler says of a file apart from its size and file layout, and
# what qpdf finds of its outline and form, without object numbers.
described() {
    pdfinfo "$1" 2>&1 | grep -Ev '^(File size|Optimized|PDF version):'
    pdfinfo -url "$1" 2>&1
    qpdf --json --json-key=outlines --json-key=acroform "$1" 2>/dev/null | python3 -c '
import json, sys
data = json.load(sys.stdin)
def outline(items, depth):
    for item in items:
        print("  " * depth, item["title"], item["destpageposfrom1"], item["dest"][1:])
        outline(item["kids"], depth + 1)
outline(data["outlines"], 0)
form = data["acroform"]
print("form", form["hasacroform"], [(f["fullname"], f["fieldtype"], f["value"]) for f in form["fields"]])'
}
json_field() { python3 -c 'import json,sys; print(json.loads(sys.stdin.readline()).get(sys.argv[1], ""))' "$1"; }

# stamp_cases PAGES POSITION MARGIN [ARGS...] -- NAME INPUT [NAME INPUT...]:
# one companion start stamps the pile (--stamp-onto and --out in pairs, each
# document answered by its own line in order), and every copy is checked on
# every stamped page. Wine's start is most of a small document's time.
stamp_cases() {
    local pages=$1 position=$2 margin=$3 args=() pile=() names=() inputs=() i
    shift 3
    while [ "$1" != -- ]; do args+=("$1"); shift; done
    shift
    while [ $# -gt 0 ]; do
        names+=("$1") inputs+=("$2")
        pile+=(--stamp-onto "$(windows_path "$corpus/$2")" --out "$(windows_path "$tmp/$1.pdf")")
        shift 2
    done
    local placing=(--page "$pages" --at "$position")
    [[ $position == *,* ]] || placing+=(--margin "$margin")
    "$root/scripts/wine" "$stamp" "${common[@]}" "${pile[@]}" "${placing[@]}" "${args[@]}" >"$tmp/pile.json" \
        2>>"$tmp/wine.log" || fail "${names[*]}: the companion refused: $(tail -n 1 "$tmp/wine.log")"
    for i in "${!names[@]}"; do
        sed -n "$((i + 1))p" "$tmp/pile.json" >"$tmp/${names[$i]}.json"
        check_copy "${names[$i]}" "${inputs[$i]}" "$position" "$margin" "${args[@]}"
    done
}
# stamp_case NAME INPUT PAGES POSITION MARGIN [ARGS...]: a pile of one.
stamp_case() { stamp_cases "$3" "$4" "$5" "${@:6}" -- "$1" "$2"; }

# check_copy NAME INPUT POSITION MARGIN [ARGS...]: the copy $tmp/NAME.pdf of
# $corpus/INPUT against its reply $tmp/NAME.json.
check_copy() {
    local name=$1 input="$corpus/$2" position=$3 margin=$4 out="$tmp/$1.pdf" json page
    shift 4
    json=$(cat "$tmp/$name.json")
    echo "$name: $json"
    [[ $json == *"\"out\":\"$(json_text "$(windows_path "$out")")\""* ]] || { fail "$name: no reply of its own"; return; }
    qpdf --check "$out" >"$tmp/qpdf.log" 2>&1 || { fail "$name: qpdf --check"; cat "$tmp/qpdf.log"; }
    if [[ " $* " == *" --flatten "* ]]; then
        [[ $json == *'"incremental":false'* ]] || fail "$name: flattened, yet said to be an update"
    else
        [[ $json == *'"incremental":true'* ]] || fail "$name: not an incremental update"
        cmp -s -n "$(stat -c %s "$input")" "$input" "$out" || fail "$name: the input is not the copy's prefix"
    fi
    [ "$(pdftotext "$input" - 2>/dev/null)" = "$(pdftotext "$out" - 2>/dev/null)" ] || fail "$name: the text changed"
    [ "$(described "$input")" = "$(described "$out")" ] || {
        fail "$name: pages, metadata or links changed"
        diff <(described "$input") <(described "$out")
    }
    read -r width_mm height_mm <<<"$frame_mm"
    python3 - "$json" "$width_mm" "$height_mm" <<'PY' || fail "$name: the stamp's size is not the EMF's"
import json, sys
result = json.loads(sys.argv[1])
for key, frame in (("width_mm", float(sys.argv[2])), ("height_mm", float(sys.argv[3]))):
    if abs(result[key] - frame) > 0.1:
        print("%s %s, the EMF frame %s" % (key, result[key], frame))
        sys.exit(1)
PY
    for page in $(sed -n 's/.*"pages":\[\([0-9,]*\)\].*/\1/p' <<<"$json" | tr ',' ' '); do
        pdftoppm -r "$dpi" -f "$page" -l "$page" ${cropbox:+-cropbox} -singlefile "$input" "$tmp/$name-before-$page"
        pdftoppm -r "$dpi" -f "$page" -l "$page" ${cropbox:+-cropbox} -singlefile "$out" "$tmp/$name-after-$page"
        echo -n "$name, page $page: "
        python3 "$check" "$tmp/$name-before-$page.ppm" "$tmp/$name-after-$page.ppm" "$tmp/alone.ppm" \
            "$dpi" "$position" "$margin" || fail "$name, page $page: the stamp is not as asked"
    done
}
# A text as the companion's JSON writes it (backslashes doubled).
json_text() { local t=$1; echo "${t//\\/\\\\}"; }

# refused_cases [ARGS...] -- NAME INPUT REASON [NAME INPUT REASON...]: one
# companion start given every INPUT refuses each (its line names REASON,
# standard error names its input) and writes no copy; the exit code is 1.
refused_cases() {
    local args=() names=() inputs=() reasons=() pile=() code i name line
    while [ "$1" != -- ]; do args+=("$1"); shift; done
    shift
    while [ $# -gt 0 ]; do
        names+=("$1") inputs+=("$(windows_path "$corpus/$2")") reasons+=("$3")
        pile+=(--stamp-onto "$(windows_path "$corpus/$2")" --out "$(windows_path "$tmp/$1.pdf")")
        shift 3
    done
    "$root/scripts/wine" "$stamp" "${common[@]}" "${pile[@]}" "${args[@]}" >"$tmp/refused.json" 2>"$tmp/refused.err"
    code=$?
    [ "$code" -eq 1 ] || fail "${names[*]}: exit $code, not 1"
    for i in "${!names[@]}"; do
        name=${names[$i]}
        line=$(sed -n "$((i + 1))p" "$tmp/refused.json")
        echo "$name: $line; $(grep -F "error: ${inputs[$i]}:" "$tmp/refused.err" | head -n 1)"
        [ "$(json_field refused <<<"$line")" = "${reasons[$i]}" ] || fail "$name: not refused as ${reasons[$i]}"
        [[ $line == *"\"input\":\"$(json_text "${inputs[$i]}")\""* ]] || fail "$name: the line is not its own"
        grep -qF "error: ${inputs[$i]}:" "$tmp/refused.err" || fail "$name: no message"
        [ ! -e "$tmp/$name.pdf" ] || fail "$name: a file was written"
    done
}
# refused_case NAME INPUT REASON [ARGS...]: a pile of one.
refused_case() { refused_cases "${@:4}" -- "$1" "$2" "$3"; }

# Documents that take the same placing share a companion start.
stamp_cases first top-right 10 -- writer letter.pdf odd-rotate odd-rotate.pdf large large.pdf deep900 deep900.pdf
stamp_case writer-all letter.pdf all bottom-left 15
stamp_case calc-landscape sheet.pdf first 60,40 0
stamp_case ghostscript ghostscript.pdf last centre 10
stamp_case cairo cairo.pdf first top 5
stamp_case objstreams objstreams.pdf 2 right 10
stamp_case linearized linearized.pdf first bottom-right 10
stamp_case rotated rotated.pdf 1 top-right 10
stamp_case unbalanced unbalanced.pdf all top-right 10 --flatten
lap "stamped documents"
# The update's section is of the kind the input ends with: a table after a
# table, a stream after a stream.
appended() { tail -c +$(($(stat -c %s "$corpus/$1") + 1)) "$tmp/$2"; }
appended letter.pdf writer.pdf | grep -aq '^xref' || fail "writer: the update has no table"
appended objstreams.pdf objstreams.pdf | grep -aq '/Type /XRef' || fail "objstreams: the update has no stream section"
# A file with an update already takes another one.
cp "$tmp/writer.pdf" "$corpus/updated.pdf"
stamp_cases first bottom-left 10 -- updated updated.pdf no-box no-box.pdf inherited-box inherited-box.pdf
# A turned page seen through a crop box: the annotation where the flattened
# stamp is, on the page as readers show it (pdftoppm draws the media box
# unless told otherwise).
python3 -c '
import sys
sys.path.insert(0, sys.argv[1])
from pdf_objects import pdf_bytes
c = b"0 0 1 rg 100 100 200 100 re f\n"
open(sys.argv[2], "wb").write(pdf_bytes([
    b"<< /Type /Catalog /Pages 2 0 R >>", b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
    b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /CropBox [40 60 500 780] /Rotate 90 /Contents 4 0 R >>",
    b"<< /Length %d >>\nstream\n" % len(c) + c + b"endstream"]))' "$root/tests/readers" "$corpus/cropped.pdf"
cropbox=1
stamp_case cropped cropped.pdf first top-right 10
stamp_case cropped-flat cropped.pdf first top-right 10 --flatten
cropbox=
# Flattened, a signed document only when asked, and the signature is said to be void.
stamp_case signed-allowed signed.pdf first top-left 10 --allow-signed --flatten
grep -q 'signature' "$tmp/signed-allowed.json" || fail "signed, allowed: no warning about the signature"
grep -q '"signed":true' "$tmp/signed-allowed.json" || fail "signed, allowed: not told as signed"
lap "updates, crop box, flattened signed"

# A document another signer signed beforehand keeps that signature valid
# under the stamp, and is not warned of.
if command -v certutil >/dev/null && command -v pk12util >/dev/null && command -v pdfsig >/dev/null \
    && command -v openssl >/dev/null; then
    nss="$tmp/nss"
    mkdir -p "$nss"
    # new_signer NAME CN: a key and a self-signed certificate, NAME.key and NAME.pem.
    new_signer() {
        openssl req -x509 -newkey rsa:2048 -nodes -keyout "$nss/$1.key" -out "$nss/$1.pem" -days 30 \
            -subj "/CN=$2" 2>/dev/null
    }
    new_signer other "Other Signer"
    openssl pkcs12 -export -inkey "$nss/other.key" -in "$nss/other.pem" -out "$nss/other.p12" -passout pass: \
        -name other
    certutil -N -d "sql:$nss" --empty-password && pk12util -i "$nss/other.p12" -d "sql:$nss" -W '' >/dev/null
    pdfsig -add-signature -nssdir "sql:$nss" -nick other "$corpus/letter.pdf" "$corpus/other-signed.pdf" \
        >/dev/null 2>&1 || fail "pdfsig could not sign"
    stamp_case other-signed other-signed.pdf first top-left 10
    [[ $(head -n 1 "$tmp/other-signed.json") == *'"kept_signatures":1'* ]] || fail "other-signed: not kept"
    ! grep -q 'no longer covers' "$tmp/other-signed.json" || fail "other-signed: warned of a signature it kept"
    valid=$(pdfsig -nssdir "sql:$nss" "$tmp/other-signed.pdf" 2>/dev/null | grep -c 'Signature is Valid.')
    echo "other-signed: $valid valid signature(s) in pdfsig"
    [ "$valid" -eq 1 ] || fail "other-signed: the earlier signature is no longer valid"
    # Three signed stamps in a row on top of it, each signed in the probe's
    # place by openssl over the parts the probe's signer was given.
    if [ -n "$probe" ]; then
        chain="$tmp/other-signed.pdf"
        step=0
        for position in top right bottom; do
            step=$((step + 1))
            new_signer "signer$step" "Signer $step"
            "$root/scripts/wine" "$probe" "$(windows_path "$chain")" "$(windows_path "$tmp/chain$step.pdf")" \
                "$(windows_path "$tmp/parts$step")" "$position" >"$tmp/chain$step.log" 2>>"$tmp/wine.log" \
                || { fail "chain $step: $(cat "$tmp/chain$step.log")"; break; }
            cmp -s -n "$(stat -c %s "$chain")" "$chain" "$tmp/chain$step.pdf" || fail "chain $step: not a prefix"
            openssl cms -sign -binary -cades -md sha256 -nosmimecap -outform DER -in "$tmp/parts$step" \
                -signer "$nss/signer$step.pem" -inkey "$nss/signer$step.key" -out "$tmp/cms$step.der" \
                || fail "chain $step: openssl could not sign"
            echo -n "chain $step: $(cat "$tmp/chain$step.log"); "
            python3 "$root/tests/readers/pdf_sign_parts.py" "$tmp/chain$step.pdf" "$tmp/parts$step" \
                "$tmp/cms$step.der" || fail "chain $step: the parts are not the file outside /Contents"
            chain="$tmp/chain$step.pdf"
        done
        qpdf --check "$chain" >"$tmp/qpdf.log" 2>&1 || { fail "chain: qpdf --check"; cat "$tmp/qpdf.log"; }
        pdfsig -nssdir "sql:$nss" "$chain" >"$tmp/chain.sig" 2>&1
        valid=$(grep -c 'Signature is Valid.' "$tmp/chain.sig")
        echo "chain: $valid valid signatures in pdfsig, signed by$(sed -n 's/.*Common Name: / /p' "$tmp/chain.sig" | tr -d '\n')"
        [ "$valid" -eq 4 ] || { fail "chain: not every signature is valid"; cat "$tmp/chain.sig"; }
        # A signer that fails leaves nothing behind.
        "$root/scripts/wine" "$probe" "$(windows_path "$corpus/letter.pdf")" "$(windows_path "$tmp/unsigned.pdf")" \
            "$(windows_path "$tmp/parts0")" top fail >"$tmp/unsigned.log" 2>>"$tmp/wine.log" \
            && fail "a failed signing was not refused"
        [[ $(cat "$tmp/unsigned.log") == signing-failed* && ! -e "$tmp/unsigned.pdf" ]] \
            || fail "a failed signing: $(cat "$tmp/unsigned.log"), or a file was written"
    fi
else
    echo "certutil, pk12util, pdfsig or openssl missing: no signatures tried"
fi
lap "signed beforehand, chain"
# A certifying signature that allows no change (refused with the others below).
python3 -c '
import sys
sys.path.insert(0, sys.argv[1])
from pdf_objects import pdf_bytes
open(sys.argv[2], "wb").write(pdf_bytes([
    b"<< /Type /Catalog /Pages 2 0 R /Perms << /DocMDP 4 0 R >> >>",
    b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
    b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] >>",
    b"<< /Type /Sig /Filter /Adobe.PPKLite /SubFilter /adbe.pkcs7.detached /ByteRange [0 0 0 0] /Contents <00>"
    b" /Reference [<< /Type /SigRef /TransformMethod /DocMDP /TransformParams << /P 1 /V /1.2 >> >>] >>"]))' \
    "$root/tests/readers" "$corpus/certified.pdf"

# The damaged file is stamped flattened, and says what was recovered.
# Content that would reach the stamp is drawn apart from it: the stamp
# shows after a string never closed, and a million restores of nothing
# saved gain no saves in the page's own streams (qpdf decodes them).
stamp_cases first top-right 10 --flatten -- truncated truncated.pdf state state.pdf unclosed unclosed.pdf \
    flood flood.pdf split split.pdf
[ "$(json_field warnings <"$tmp/truncated.json")" != "[]" ] || fail "truncated: no warnings reported"
grep -q '"repaired":true' "$tmp/truncated.json" || fail "truncated: not told as repaired"

flood_bytes=$(qpdf --json --json-key=pages "$tmp/flood.pdf" 2>/dev/null | python3 -c '
import json, sys
print(" ".join(c.split()[0] for c in json.load(sys.stdin)["pages"][0]["contents"]))' |
    while read -r -a ids; do for id in "${ids[@]}"; do qpdf --show-object="$id" --filtered-stream-data "$tmp/flood.pdf"; done; done | wc -c)
echo "flood: the stamped page's own streams hold $flood_bytes bytes"
[ "$flood_bytes" -gt 0 ] && [ "$flood_bytes" -le 4096 ] || fail "flood: the page's streams grew to $flood_bytes bytes"
lap "certified, damaged, hostile"
# 256 MB of compressed blanks: stamped into the page's content, in no more
# memory than a small page takes (the companion's own processes, found by the output's name).
peak_kb() {
    local out=$1 job peak=0 pid kb
    shift
    "$root/scripts/wine" "$stamp" "${common[@]}" --out "$(windows_path "$out")" "$@" >"$out.json" 2>>"$tmp/wine.log" &
    job=$!
    while kill -0 "$job" 2>/dev/null; do
        for pid in $(pgrep -f -- "$(basename "$tmp").$(basename "$out")"); do  # "." for the backslash
            [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = bash ] && continue
            kb=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status" 2>/dev/null)
            [ -n "$kb" ] && [ "$kb" -gt "$peak" ] && peak=$kb
        done
        sleep 0.05
    done
    wait "$job" || peak=-1
    echo "$peak"
}
small_kb=$(peak_kb "$tmp/small-peak.pdf" --stamp-onto "$(windows_path "$corpus/unclosed.pdf")" --flatten)
bomb_kb=$(peak_kb "$tmp/bomb-peak.pdf" --stamp-onto "$(windows_path "$corpus/bomb.pdf")" --flatten)
echo "bomb: peak $bomb_kb KB, a small page $small_kb KB"
[ "$small_kb" -gt 0 ] && [ "$bomb_kb" -gt 0 ] && [ "$bomb_kb" -le $((small_kb + 65536)) ] \
    || fail "bomb: not stamped, or its peak memory $bomb_kb KB is far above a small page's $small_kb KB"
# An annotation drawn over the stamp is warned of; a link there is not.
"$root/scripts/wine" "$stamp" "${common[@]}" --stamp-onto "$(windows_path "$corpus/covered.pdf")" \
    --out "$(windows_path "$tmp/covered.pdf")" --page all --flatten >"$tmp/covered.json" 2>>"$tmp/wine.log" || fail "covered: refused"
covered=$(json_field warnings <"$tmp/covered.json")
echo "covered: $covered"
[[ $covered == *"page 1: "*Square* && $covered != *"page 2"* ]] || fail "covered: not warned of the square alone"
lap "bomb, covered"

# An update needs the file's own cross-references, which the damaged one
# lost, and would have to be encrypted as an encrypted file is. A
# certifying signature that allows no change refuses the stamp.
qpdf --encrypt '' owner 256 -- "$corpus/letter.pdf" "$corpus/encrypted.pdf" || fail "qpdf: encrypt"
refused_cases -- deep deep.pdf page-tree locked locked.pdf forbids-changes password password.pdf password \
    not-a-pdf not-a-pdf.pdf not-pdf half half.pdf unreadable missing no-such-file.pdf missing \
    truncated-update truncated.pdf needs-rewrite encrypted encrypted.pdf needs-rewrite \
    large-truncated large-truncated.pdf damaged-large certified certified.pdf certified-no-changes
refused_case no-page letter.pdf no-such-page --page 3
# Part of the stamp off the page is refused, not moved into another corner.
refused_case off-page letter.pdf off-page --at bottom-right:3,3
refused_case signed signed.pdf signed --flatten
refused_case absurd-box absurd.pdf bad-geometry --page 1
refused_case absurd-real absurd.pdf bad-geometry --page 2
# The input is never the output.
cp "$corpus/letter.pdf" "$tmp/same.pdf"
before=$(sha256sum <"$tmp/same.pdf")
"$root/scripts/wine" "$stamp" "${common[@]}" --stamp-onto "$(windows_path "$tmp/same.pdf")" \
    --out "$(windows_path "$tmp/same.pdf")" >"$tmp/same.json" 2>>"$tmp/wine.log"
[ "$(json_field refused <"$tmp/same.json")" = "same-file" ] || fail "same file: not refused"
[ "$before" = "$(sha256sum <"$tmp/same.pdf")" ] || fail "same file: the input changed"
leftovers=$(find "$tmp" -maxdepth 1 -name '*.tmp' | wc -l)
[ "$leftovers" -eq 0 ] || fail "$leftovers staging files left behind"
lap "refusals"

if [ "$failures" -gt 0 ]; then
    echo "--- writers' output"; cat "$corpus/writers.log"
    echo "--- Wine output"; cat "$tmp/wine.log"
    exit 1
fi
exit 0
