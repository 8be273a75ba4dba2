#!/usr/bin/env bash
# A small disk of its own for the full-disk test of the settings file
# (tests/win/settings_fault_test.cpp): a 256 KiB tmpfs mounted under the
# build tree and mapped as drive S: of the Wine prefix, with a marker file in
# its root so that the test never fills any other drive of that letter.
#
#   small_disk.sh map DIR      mount DIR/mnt (empty) and map S: to it
#   small_disk.sh unmap DIR    remove the mapping and unmount
#
# Mounting needs root (or the right to mount). Where it is not allowed, or S:
# is taken, "map" writes why into DIR/reason, for the test's skip message,
# and still succeeds: the rest of the suite does not depend on it.
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
action=${1:-}
dir=${2:-}
[ -n "$dir" ] || { echo "usage: small_disk.sh map|unmap DIR" >&2; exit 2; }
dir=$(realpath -m "$dir")
# The prefix scripts/wine runs the tests in (its own rule for the state folder).
dpi="${MARKOMI2_WINE_DPI:-}"
[ "$dpi" = 96 ] && dpi=""
state="${MARKOMI2_WINE_STATE:-$root/build/wine${dpi:+-dpi$dpi}}"
link="$state/prefix/dosdevices/s:"
mnt="$dir/mnt"

give_up() {
    echo "$*" >"$dir/reason"
    echo "small_disk.sh: no small disk: $*" >&2
    exit 0
}

case "$action" in
map)
    mkdir -p "$dir"
    rm -f "$dir/reason"
    [ -d "$state/prefix/dosdevices" ] || give_up "no Wine prefix at $state/prefix"
    if [ -e "$link" ] || [ -L "$link" ]; then
        [ "$(readlink "$link")" = "$mnt" ] || give_up "drive S: of the prefix is taken ($(readlink "$link"))"
    fi
    mkdir -p "$mnt"
    if ! mountpoint -q "$mnt"; then
        [ "$(id -u)" -eq 0 ] || give_up "mounting a tmpfs needs root"
        mount -t tmpfs -o size=256k,mode=0777 markomi2-small-disk "$mnt" 2>"$dir/mount.log" \
            || give_up "mount -t tmpfs was refused: $(head -n 1 "$dir/mount.log")"
    fi
    # Every run starts on an empty disk (a run that was cut off may have left files).
    find "$mnt" -mindepth 1 -delete
    : >"$mnt/markomi2-small-disk"
    ln -sfn "$mnt" "$link"
    echo "small_disk.sh: S: is a 256 KiB disk at $mnt"
    ;;
unmap)
    if [ -L "$link" ] && [ "$(readlink "$link")" = "$mnt" ]; then rm -f "$link"; fi
    if mountpoint -q "$mnt" 2>/dev/null; then
        umount "$mnt" 2>/dev/null || umount -l "$mnt"
    fi
    exit 0
    ;;
*)
    echo "usage: small_disk.sh map|unmap DIR" >&2
    exit 2
    ;;
esac
