#!/usr/bin/env bash
# A bitmap stamp pasted into LibreOffice Calc lets the cell grid show through.
#
#   calc_paste_test.sh BIN_DIR WORK_DIR
#
# The companion copies slot 1 as a bitmap (CF_BITMAP with "PNG" and
# CF_DIBV5 beside it); Wine offers the "PNG" to X clients as image/png.
# Calc, started with a fresh profile on the same display, pastes it into a
# cell; the screen probe then finds the red ink and checks that the grey
# grid lines run on inside the stamp where they run on both sides of it.
# An opaque bitmap would cover them with white.
#
# Wine drops the X selection once no Wine program uses the desktop any
# more, while on Windows the clipboard outlives its owner: the desktop
# keeper (already running under ctest) holds it for the length of the test.
#
# Exit 0: seen through; 1: not, or a step failed; 77: Calc or xdotool are
# not installed.
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
bin=${1:?usage: calc_paste_test.sh BIN_DIR WORK_DIR}
work=${2:?usage: calc_paste_test.sh BIN_DIR WORK_DIR}
state="${MARKOMI2_WINE_STATE:-$root/build/wine}"
readonly kReadyLimit=90  # seconds for Calc to come up and take the paste

for tool in soffice xdotool; do
    command -v "$tool" >/dev/null 2>&1 || { echo "calc_paste_test: $tool is not installed"; exit 77; }
done

windows_path() { local p=${1//\//\\}; echo "Z:$p"; }
say() { echo "calc_paste_test: $*"; }

rm -rf "$work"
mkdir -p "$work/profile/user" && work=$(cd "$work" && pwd) || exit 1
soffice_sid=
keeper_pid=
cleanup() {
    # Calc runs in a session of its own (setsid): oosplash and soffice.bin.
    if [ -n "$soffice_sid" ]; then
        pkill -TERM -s "$soffice_sid" 2>/dev/null
        for _ in $(seq 1 50); do
            pgrep -s "$soffice_sid" >/dev/null 2>&1 || break
            sleep 0.1
        done
        pkill -KILL -s "$soffice_sid" 2>/dev/null
    fi
    [ -n "$keeper_pid" ] && kill "$keeper_pid" 2>/dev/null
    rm -rf "$work/profile"
}
trap cleanup EXIT

"$root/scripts/wine" --setup || exit 1
if [ -z "${DISPLAY:-}" ]; then
    DISPLAY=$(cat "$state/xvfb.display" 2>/dev/null) || { say "no display"; exit 1; }
fi
export DISPLAY

# A keeper of our own when none runs yet (it ends at once when one does).
ready="$work/keeper.ready"
setsid "$root/scripts/wine" "$bin/markomi2_desktop_keeper.exe" "$(windows_path "$ready")" \
    </dev/null >/dev/null 2>&1 &
keeper_pid=$!
for _ in $(seq 1 300); do [ -e "$ready" ] && break; sleep 0.1; done
[ -e "$ready" ] || { say "Wine's desktop did not come up"; exit 1; }

# Slot 1 at the largest radius, so that the stamp spans several cell rows.
printf '[MARKOMI]\r\nWAKU1_HANKEI=80\r\n' >"$work/stamp.ini"
"$root/scripts/wine" "$bin/Markomi2Stamp.exe" --ini "$(windows_path "$work/stamp.ini")" --slot 1 \
    --format B --clipboard >"$work/companion.out" 2>&1 </dev/null
code=$?
[ "$code" -eq 0 ] || { say "the companion failed ($code): $(cat "$work/companion.out")"; exit 1; }
say "copied: $(cat "$work/companion.out")"
if command -v xclip >/dev/null 2>&1; then
    targets=$(timeout 10 xclip -selection clipboard -t TARGETS -o 2>&1 | tr '\n' ' ')
    say "X clipboard targets: $targets"
fi

# A fresh profile that shows no tip dialog over the sheet.
cat >"$work/profile/user/registrymodifications.xcu" <<'XCU'
<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="ShowTipOfTheDay" oor:op="fuse"><value>false</value></prop></item>
</oor:items>
XCU
setsid soffice --calc --norestore --nologo "-env:UserInstallation=file://$work/profile" \
    </dev/null >"$work/soffice.log" 2>&1 &
soffice_sid=$!

deadline=$((SECONDS + kReadyLimit))
window=
while [ $SECONDS -lt $deadline ]; do
    window=$(xdotool search --onlyvisible --class libreoffice-calc 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    sleep 0.5
done
[ -n "$window" ] || { say "Calc showed no window within ${kReadyLimit} s"; exit 1; }
say "Calc window $window: $(xdotool getwindowname "$window" 2>/dev/null)"

# There is no window manager: focus the window directly, click a cell and
# paste. A Calc that is not yet ready for keys pastes nothing, and the
# paste is tried again until the limit.
cell_x=250 cell_y=250
probe=("$bin/markomi2_screen_probe.exe" $((cell_x - 150)) $((cell_y - 60)) $((cell_x + 450))
       $((cell_y + 350)) "$(windows_path "$work/calc_paste.bmp")")
result=1
while [ $SECONDS -lt $deadline ]; do
    timeout 10 xdotool windowfocus --sync "$window" >/dev/null 2>&1
    xdotool mousemove --window "$window" "$cell_x" "$cell_y" click 1
    sleep 0.5
    xdotool key ctrl+v
    sleep 2
    # A click on a far cell takes the selection handles off the picture.
    xdotool mousemove --window "$window" 900 800 click 1
    sleep 1
    "$root/scripts/wine" "${probe[@]}" >"$work/probe.out" 2>&1 </dev/null
    result=$?
    say "probe: $(cat "$work/probe.out")"
    # No red ink yet: nothing was pasted, so try again.
    grep -q " red=0 " "$work/probe.out" || break
    sleep 2
done
if [ "$result" -ne 0 ]; then
    say "the grid does not show through the pasted stamp (screen in $work/calc_paste.bmp)"
    exit 1
fi
say "the grid shows through the pasted stamp"
exit 0
