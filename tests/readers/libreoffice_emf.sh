#!/usr/bin/env bash
# LibreOffice, a reader we do not make, opens the stamp's metafiles: each
# design's EMF file and the metafile the clipboard holds. Its PNG rendering
# must show the red ink of the companion's PNG of the same slot, in the same
# shape (tests/readers/compare_ink.py says how alike), also when GDI+ is made
# to record first (MARKOMI2_METAFILE_RECORDER=gdiplus). Every metafile also
# passes the project's own check of its record order. Controls run each
# time: a blank page and every design against the next design's picture must
# be told apart, and a path whose brush is selected after its ENDPATH must be
# caught by the order check, or the checks prove nothing.
#
#   libreoffice_emf.sh STAMP_EXE CLIPBOARD_EMF_EXE ORDER_CHECK_EXE WORK_FOLDER
# Exit 0 pass, 1 fail, 77 LibreOffice missing (skipped).
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
stamp=$1
clipboard_emf=$2
order_check=$3
command -v soffice >/dev/null 2>&1 || { echo "soffice not installed: skipped"; exit 77; }
# shellcheck source=tests/readers/reader_common.sh
source "$root/tests/readers/reader_common.sh"
reader_scratch "$4" reader-libreoffice
started=$SECONDS

# Settings of our own, not the prefix's user file that other tests rewrite.
{ printf '\xff\xfe'; printf '[MARKOMI]\r\nCHARSET=unicode\r\nBUSHO=総務部\r\nNAME=佐藤\r\n' | iconv -f UTF-8 -t UTF-16LE; } >"$tmp/stamp.ini"
common=(--ini "$(windows_path "$tmp/stamp.ini")" --date 2025-05-01)
emfs=()
for slot in 1 2 3 4 5 6 7; do
    wine_run "$stamp" "${common[@]}" --slot "$slot" --out "$(windows_path "$tmp/$slot.png")" || fail "slot $slot: no PNG"
    wine_run "$stamp" "${common[@]}" --slot "$slot" --out "$(windows_path "$tmp/$slot.emf")" || fail "slot $slot: no EMF file"
    # The clipboard's metafile, saved by another Wine program right away (the
    # same wineserver holds it; X clients are offered no metafile at all).
    wine_run "$stamp" "${common[@]}" --slot "$slot" --format M --clipboard || fail "slot $slot: not copied"
    wine_run "$clipboard_emf" "$(windows_path "$tmp/clip$slot.emf")" || fail "slot $slot: no metafile on the clipboard"
    emfs+=("$tmp/$slot.emf" "$tmp/clip$slot.emf")
done
# GDI+ first: where its recording is refused the project's writer takes over.
for slot in 1 4; do
    MARKOMI2_METAFILE_RECORDER=gdiplus wine_run "$stamp" "${common[@]}" --slot "$slot" \
        --out "$(windows_path "$tmp/gdiplus$slot.emf")" || fail "slot $slot, GDI+ first: no EMF file"
    MARKOMI2_METAFILE_RECORDER=gdiplus wine_run "$stamp" "${common[@]}" --slot "$slot" --format M --clipboard \
        || fail "slot $slot, GDI+ first: not copied"
    wine_run "$clipboard_emf" "$(windows_path "$tmp/gdiplusclip$slot.emf")" \
        || fail "slot $slot, GDI+ first: no metafile on the clipboard"
    emfs+=("$tmp/gdiplus$slot.emf" "$tmp/gdiplusclip$slot.emf")
done
echo "companion outputs: $((SECONDS - started)) s"

# The record order of every metafile, and the control: the first path of
# slot 1 with its brush made after ENDPATH must be caught.
order_paths=()
for emf in "${emfs[@]}"; do order_paths+=("$(windows_path "$emf")"); done
"$root/scripts/wine" "$order_check" "${order_paths[@]}" >"$tmp/order.log" 2>&1 \
    || { fail "the record order of our metafiles"; cat "$tmp/order.log"; }
if [ -s "$tmp/1.emf" ]; then
    wine_run "$order_check" --misorder "$(windows_path "$tmp/1.emf")" "$(windows_path "$tmp/misordered.emf")" \
        || fail "control: could not misorder 1.emf"
    echo -n "control, brush selected after ENDPATH: "
    "$root/scripts/wine" "$order_check" "$(windows_path "$tmp/misordered.emf")" 2>&1 | head -n 1
    "$root/scripts/wine" "$order_check" "$(windows_path "$tmp/misordered.emf")" >/dev/null 2>&1
    [ $? -eq 1 ] || fail "control: a brush selected after ENDPATH passed the order check"
fi

# A fresh profile under the work folder; the first conversion with a new
# profile sometimes converts nothing, so whatever is missing goes once more.
# timeout ends soffice and what it started (its process group) if it hangs.
converted=$SECONDS
mkdir -p "$tmp/png" "$tmp/home"
for attempt in 1 2; do
    missing=()
    for emf in "${emfs[@]}"; do
        [ -s "$tmp/png/$(basename "$emf" .emf).png" ] || missing+=("$emf")
    done
    [ ${#missing[@]} -eq 0 ] && break
    env -u DISPLAY HOME="$tmp/home" timeout -k 10 90 soffice \
        "-env:UserInstallation=file://$tmp/profile" --headless --norestore \
        --convert-to png --outdir "$tmp/png" "${missing[@]}" >>"$tmp/soffice.log" 2>&1 \
        || echo "soffice attempt $attempt ended with $?"
done
echo "LibreOffice conversion: $((SECONDS - converted)) s"

for slot in 1 2 3 4 5 6 7; do
    names=("$slot" "clip$slot")
    case $slot in 1|4) names+=("gdiplus$slot" "gdiplusclip$slot") ;; esac
    for name in "${names[@]}"; do
        png="$tmp/png/$name.png"
        if [ ! -s "$png" ]; then fail "$name.emf: LibreOffice gave no picture"; continue; fi
        echo -n "$name.emf: "
        python3 "$compare" "$tmp/$slot.png" "$png" || fail "$name.emf does not show slot $slot's ink"
    done
done

# The controls: a blank page of the reader's size, and each design read back
# against the next design's bitmap.
if [ -s "$tmp/png/1.png" ]; then
    python3 "$compare" --blank 794 1123 "$tmp/blank.png"
    echo -n "control, blank page: "
    python3 "$compare" "$tmp/1.png" "$tmp/blank.png"
    [ $? -eq 1 ] || fail "a blank page passed for slot 1"
fi
for slot in 1 2 3 4 5 6 7; do
    other=$((slot % 7 + 1))
    [ -s "$tmp/png/$slot.png" ] || continue
    echo -n "control, slot $other's bitmap against $slot.emf: "
    python3 "$compare" "$tmp/$other.png" "$tmp/png/$slot.png"
    [ $? -eq 1 ] || fail "slot $slot's reading passed as slot $other"
done

echo "total: $((SECONDS - started)) s"
if [ "$failures" -gt 0 ]; then
    echo "--- soffice output"; cat "$tmp/soffice.log"
    echo "--- Wine output"; cat "$tmp/wine.log"
    exit 1
fi
exit 0
