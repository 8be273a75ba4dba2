#!/usr/bin/env bash
# Starts the desktop keeper (see tests/win/keeper/desktop_keeper_win.cpp)
# detached from the caller's output and waits until Wine's desktop is up.
#
#   keep_wine_desktop.sh KEEPER_EXE READY_FILE
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
keeper=$1
ready=$2
rm -f "$ready"
"$root/scripts/wine" --setup || exit 1
windows_ready="Z:${ready//\//\\}"
setsid "$root/scripts/wine" "$keeper" "$windows_ready" </dev/null >/dev/null 2>&1 &
# The first desktop of a fresh prefix takes some seconds.
for _ in $(seq 1 900); do
    [ -e "$ready" ] && exit 0
    sleep 0.1
done
echo "keep_wine_desktop.sh: the desktop did not come up within 90 s" >&2
exit 1
