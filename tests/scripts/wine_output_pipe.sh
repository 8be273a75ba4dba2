#!/usr/bin/env bash
# scripts/wine leaves nothing in the background that holds the caller's
# output: `scripts/wine PROGRAM 2>&1 | tail -n 1` ends with PROGRAM. Checked
# in a Wine prefix of the test's own: the first run creates it and starts
# Xvfb, the wineserver, Wine's services and its desktop; after
# `scripts/wine --stop` the next run starts a new session on it. A run that
# has not ended within its bound counts as hanging: the bounds only detect a
# hang, they measure nothing. The last run comes after the desktop's closing
# delay (a second after its last user) and needs the desktop (it copies to
# the clipboard: the prefix's own, on the test's own Xvfb screen). A desktop
# it started would hold its output only until a second after it ends, too
# short for a hang, so that run writes to a file and no process of the
# prefix may have the file open once the run has returned.
#
#   wine_output_pipe.sh COMPANION_EXE WORK_FOLDER
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
companion=$1
work=$(cd "$2" && pwd) || exit 1
export MARKOMI2_WINE_STATE
unset DISPLAY
MARKOMI2_WINE_STATE=$(mktemp -d "$work/wine-output-pipe.XXXXXX") || exit 1
cleanup() { "$root/scripts/wine" --stop >/dev/null 2>&1; rm -rf "$MARKOMI2_WINE_STATE"; }
trap cleanup EXIT
trap 'exit 1' INT TERM  # so that a ctest timeout still stops the prefix's processes
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# What of the prefix's processes still writes where: a hang names its holder.
show_wine_processes() {
    local environ pid
    for environ in /proc/[0-9]*/environ; do
        pid=${environ#/proc/}; pid=${pid%/environ}
        { tr '\0' '\n' <"$environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$MARKOMI2_WINE_STATE/prefix" || continue
        echo "  $pid $({ tr '\0' ' ' <"/proc/$pid/cmdline"; } 2>/dev/null): stdout $(readlink "/proc/$pid/fd/1") stderr $(readlink "/proc/$pid/fd/2")"
    done
}

# piped_run LABEL BOUND EXPECTED ARGS...: the last line through the pipe must
# contain EXPECTED.
piped_run() {
    local label=$1 bound=$2 expected=$3 last status
    shift 3
    last=$(timeout "$bound" bash -c '"$0" "$@" 2>&1 | tail -n 1' "$root/scripts/wine" "$companion" "$@")
    status=$?
    if [ "$status" -eq 124 ]; then
        fail "$label: the pipe was still open after $bound s; processes of the prefix:"
        show_wine_processes
    elif [[ "$last" != *"$expected"* ]]; then
        fail "$label: last line \"$last\", expected it to contain \"$expected\""
    else
        echo "ok: $label: $last"
    fi
}

# holders FILE: the prefix's processes that have FILE open.
# One quick pass: the desktop a run started lives on for only a second.
holders() {
    local fd pid
    for fd in $(find /proc/[0-9]*/fd -maxdepth 1 -lname "$1" 2>/dev/null); do
        pid=${fd#/proc/}; pid=${pid%%/*}
        { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$MARKOMI2_WINE_STATE/prefix" || continue
        echo "$pid $({ tr '\0' ' ' <"/proc/$pid/cmdline"; } 2>/dev/null)"
    done | sort -u
}

# The usage text's last line.
usage="(it uses the clipboard too)."
# A new prefix takes some seconds, longer beside other tests.
piped_run "new prefix" 300 "$usage" --help
"$root/scripts/wine" --stop >/dev/null 2>&1
piped_run "new session" 120 "$usage" --help
sleep 3
out="$MARKOMI2_WINE_STATE/clipboard-run.txt"
timeout 120 "$root/scripts/wine" "$companion" --slot 1 --clipboard >"$out" 2>&1
status=$?
held=$(holders "$out")
if [ "$status" -ne 0 ]; then
    fail "program with the desktop: exit status $status: $(tail -n 1 "$out")"
elif [ -n "$held" ]; then
    fail "program with the desktop: its output is still open in: $(tr '\n' ';' <<<"$held")"
else
    echo "ok: program with the desktop: $(tail -n 1 "$out"), no process holds its output"
fi

[ "$failures" -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "every run ended with its program"
