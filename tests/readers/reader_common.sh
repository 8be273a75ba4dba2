# Shared by the reader tests: a scratch folder under WORK that goes away
# however the test ends, failure counting, and Wine runs logged to one file.
#   reader_scratch WORK NAME   sets $tmp (and $compare, the ink comparison)
# shellcheck shell=bash
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
windows_path() { local p=$1; echo "Z:${p//\//\\}"; }
wine_run() { "$root/scripts/wine" "$@" >>"$tmp/wine.log" 2>&1; }
reader_scratch() {
    local work
    work=$(cd "$1" && pwd) || exit 1
    tmp=$(mktemp -d "$work/$2.XXXXXX") || exit 1
    trap 'rm -rf "$tmp"' EXIT
    trap 'exit 1' INT TERM  # so that a ctest timeout still removes the folder
    compare="$root/tests/readers/compare_ink.py"
}
# lap NAME: the seconds since the previous lap (or since this file was
# sourced), so that a slow run's log shows where its time went.
lap_start=$EPOCHREALTIME
lap() {
    local now=$EPOCHREALTIME
    printf 'time: %-32s %6.1f s\n' "$1" "$(echo "$now - $lap_start" | bc)"
    lap_start=$now
}
