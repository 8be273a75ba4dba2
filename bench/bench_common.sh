# Shared by the benches that time the companion under Wine: the scratch
# folder, the settings file, the sample documents and the figures.
#   source bench/bench_common.sh [Markomi2Stamp.exe]
# sets $root, $stamp (the argument, else the built one) and $work (removed
# at exit), and starts Wine so that no timing pays for its start.
# shellcheck shell=bash
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
stamp=${1:-$root/build/win/bin/Markomi2Stamp.exe}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
windows_path() { local p=$1; echo "Z:${p//\//\\}"; }
"$root/scripts/wine" "$stamp" --version >/dev/null 2>&1

# bench_settings [KEY=VALUE...]: a settings file of those lines, and
# $common, the arguments that give it and a fixed date to the companion.
# shellcheck disable=SC2120  # the benches give the lines or none
bench_settings() {
    { printf '\xff\xfe'; { printf '[MARKOMI]\r\nCHARSET=unicode\r\n'; [ $# -eq 0 ] || printf '%s\r\n' "$@"; } \
        | iconv -f UTF-8 -t UTF-16LE; } >"$work/stamp.ini"
    # shellcheck disable=SC2034  # read by the benches
    common=(--ini "$(windows_path "$work/stamp.ini")" --date 2025-05-01)
}

# make_invoice FILE [rules]: the sample invoice of tests/readers/pdf_objects.py.
make_invoice() {
    python3 -c 'import sys; sys.path.insert(0, sys.argv[1]); from pdf_objects import invoice_bytes
open(sys.argv[2], "wb").write(invoice_bytes(rules=sys.argv[3] == "rules"))' \
        "$root/tests/readers" "$1" "${2:-}"
}

# timed RUNS ARGS...: one companion run, its seconds appended to the array
# named RUNS and its reply left in $work/reply.json. A failed run ends the
# bench (here, not in a subshell that would swallow the exit).
timed() {
    local -n runs_=$1
    shift
    local start=$EPOCHREALTIME
    "$root/scripts/wine" "$stamp" "$@" >"$work/reply.json" 2>>"$work/wine.log" || {
        echo "the companion failed: $*" >&2; cat "$work/reply.json" "$work/wine.log" >&2; exit 1; }
    runs_+=("$(echo "$EPOCHREALTIME - $start" | bc)")
}
# median VALUE...: the middle one (of an odd count).
median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }
# verdict VALUE LIMIT: "holds" when VALUE <= LIMIT.
verdict() { if [ "$(echo "$1 <= $2" | bc)" = 1 ]; then echo holds; else echo MISSED; fi; }
