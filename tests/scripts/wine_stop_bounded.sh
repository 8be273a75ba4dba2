#!/usr/bin/env bash
# `scripts/wine --stop` ends even when the wineserver does not: another call
# may have started a program in the prefix between the kill and the wait.
# A stand-in wineserver plays that: its wait (-w) never returns and it says
# it is running (-k0) until it has been sent SIGKILL (-k9). --stop must come
# back on its own, having killed again, and say so.
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/state"
cat >"$work/wineserver" <<'STANDIN'
#!/usr/bin/env bash
dir=$(dirname "$0")
echo "$*" >>"$dir/calls"
case "$1" in
    -k9) touch "$dir/killed" ;;
    -k0) [ ! -e "$dir/killed" ] ;;
    -w) [ -e "$dir/killed" ] || exec sleep 1000 ;;
esac
STANDIN
chmod +x "$work/wineserver"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# The outer bound only tells a hang from an answer; it measures nothing.
MARKOMI2_WINESERVER="$work/wineserver" MARKOMI2_WINE_STOP_WAIT=1 MARKOMI2_WINE_STATE="$work/state" \
    timeout 60 "$root/scripts/wine" --stop 2>"$work/stderr"
rc=$?
[ "$rc" -eq 0 ] || fail "--stop came back with $rc (124: it hung)"
calls=$(tr '\n' ' ' <"$work/calls")
[ "$calls" = "-k -w -k0 -k -w -k0 -k9 -w " ] || fail "calls to the wineserver: $calls"
grep -q "killing it again" "$work/stderr" || fail "nothing said about the second kill: $(cat "$work/stderr")"

# A server that ends at once is stopped with one kill and one wait, silently.
rm -f "$work/calls"; touch "$work/killed"
MARKOMI2_WINESERVER="$work/wineserver" MARKOMI2_WINE_STATE="$work/state" \
    timeout 60 "$root/scripts/wine" --stop 2>"$work/stderr"
[ "$(tr '\n' ' ' <"$work/calls")" = "-k -w " ] || fail "calls for a server that ends: $(tr '\n' ' ' <"$work/calls")"
[ ! -s "$work/stderr" ] || fail "said something for a server that ended: $(cat "$work/stderr")"

[ "$failures" -eq 0 ] && echo "wine --stop: bounded" 
exit $((failures > 0))
