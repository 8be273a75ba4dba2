#!/usr/bin/env bash
# What ships stays within its size, and a crash of a shipped program can
# still be read: the programs in bin/ (which scripts/build copies to dist/)
# and in package/ (what the installer and the zip pack) carry no debug
# sections, and an address in them resolves to function and source line
# through the .debug file their .gnu_debuglink names.
#
#   shipped_files.sh BUILD_DIR OBJDUMP NM ADDR2LINE
set -u
build=$1 objdump=$2 nm=$3 addr2line=$4
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Bytes each shipped file may take.
declare -A limit=(
    [Markomi2.exe]=1600000
    [Markomi2Stamp.exe]=7000000  # qpdf (stamping) and poppler with FreeType (drawing pages) are most of it
    [Markomi2_Uninstaller.exe]=1100000
    [Markomi2_Setup.exe]=3000000
)
# The entry point each program's own code starts from.
declare -A main_function=(
    [Markomi2.exe]=wWinMain
    [Markomi2Stamp.exe]=wmain
    [Markomi2_Uninstaller.exe]=wWinMain
)

check_size() {
    local file=$1 size
    size=$(stat -c %s "$file")
    if [ "$size" -gt "${limit[$(basename "$file")]}" ]; then
        fail "$file has $size bytes, more than ${limit[$(basename "$file")]}"
    else
        echo "ok: $file $size bytes (at most ${limit[$(basename "$file")]})"
    fi
}

# An address of the shipped program must come out as a named function at a
# line of a source file, found through the program's debug link alone.
check_resolves() {
    local copy=$1 program=$2 address=$3 what=$4 answer
    answer=$("$addr2line" -f -C -e "$copy" "$address" 2>&1)
    if [ "$(sed -n 1p <<<"$answer")" = "??" ] || grep -q '^??:' <<<"$(sed -n 2p <<<"$answer")"; then
        fail "$program: $what ($address) does not resolve: $(tr '\n' ' ' <<<"$answer")"
    else
        echo "ok: $program $what $address -> $(tr '\n' ' ' <<<"$answer")"
    fi
}

check_program() {
    local program=$1 name debug sections entry main
    name=$(basename "$program")
    sections=$("$objdump" -h "$program" | awk '$2 ~ /^\./ {print $2}')
    if grep -q '^\.debug_' <<<"$sections"; then
        fail "$program still carries debug sections: $(grep '^\.debug_' <<<"$sections" | tr '\n' ' ')"
    fi
    grep -qx '\.gnu_debuglink' <<<"$sections" || fail "$program has no .gnu_debuglink"
    debug="$(dirname "$program")/${name%.exe}.debug"
    # package/ holds copies without their .debug; bin/ has it beside them.
    [ -f "$debug" ] || debug="$build/bin/${name%.exe}.debug"
    [ -f "$debug" ] || { fail "$debug is missing"; return; }
    entry=$("$objdump" -f "$program" | sed -nE 's/^start address (0x[0-9a-f]+)$/\1/p')
    main=$("$nm" "$debug" | awk -v f="${main_function[$name]}" '$3 == f {print "0x" $1; exit}')
    [ -n "$main" ] || { fail "$debug has no symbol ${main_function[$name]}"; return; }
    # addr2line looks for the .debug file beside the program it reads.
    local copy
    copy=$(mktemp -d)
    cp "$program" "$debug" "$copy/"
    check_resolves "$copy/$name" "$program" "$entry" "entry point"
    check_resolves "$copy/$name" "$program" "$main" "${main_function[$name]}"
    rm -rf "$copy"
}

for name in Markomi2.exe Markomi2Stamp.exe Markomi2_Uninstaller.exe; do
    for program in "$build/bin/$name" "$build/package/$name"; do
        [ -f "$program" ] || { [ "$program" = "$build/bin/$name" ] && fail "$program is missing"; continue; }
        check_size "$program"
        check_program "$program"
    done
done
# The installer is built only where makensis is installed.
if [ -f "$build/bin/Markomi2_Setup.exe" ]; then check_size "$build/bin/Markomi2_Setup.exe"; fi

[ "$failures" -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "all shipped files pass"
