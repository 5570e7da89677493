#!/usr/bin/env bash
# Ventaro at 144 DPI on a 2560 x 1440 screen and at 96 DPI on a 1366 x 768
# screen, under Wine on Xvfb with a private prefix (build/wineprefix-dpi):
# the window's size and place, a click at a control's scaled dump rectangle,
# the screen reader's (MSAA) rectangle of a tab, and a screenshot of each
# (build/dpi-144.png, build/dpi-96.png).
#   tests/app/dpi_end_to_end.sh          (after scripts/build)
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="${VENTARO_BUILD_DIR:-$ROOT/build}"
export WINEPREFIX="$BUILD/wineprefix-dpi"
# This prefix gets its own server (scripts/wine starts it), ended after each case.
unset VENTARO_WINE_WARM
"$ROOT/scripts/wine" --init || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

XVFB_PID=""
PIDS=()
stop() {
    for p in "${PIDS[@]}"; do kill "$p" >/dev/null 2>&1; done
    wineserver -k >/dev/null 2>&1
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" >/dev/null 2>&1
    PIDS=()
    XVFB_PID=""
}
trap stop EXIT

# Centre of the visible row of that style in client pixels: "x y", from the
# dump's rows (logical units) and its "# scale" line.
dump_centre() {
    awk -F'\t' -v style="$2" '
        /^# scale / { scale = $0; sub(/^# scale /, "", scale) }
        $3 == style && $8 == 1 && !done { x = $4 + $6 / 2; y = $5 + $7 / 2; done = 1 }
        END { if (done) printf "%d %d\n", x * scale, y * scale }' "$1"
}
dump_checked() { awk -F'\t' -v style="$2" '$3 == style && $8 == 1 { print $10; exit }' "$1"; }

run_case() {  # dpi screen width height
    local dpi=$1 screen=$2 want_w=$3 want_h=$4
    local out shot="$BUILD/dpi-$dpi.png" dump="$BUILD/dpi-$dpi-dump.txt"
    out="$(mktemp)"
    Xvfb -displayfd 1 -screen 0 "${screen}x24" -nolisten tcp >"$out" 2>/dev/null &
    XVFB_PID=$!
    for _ in $(seq 100); do [ -s "$out" ] && break; sleep 0.1; done
    export DISPLAY=":$(head -n1 "$out")"
    rm -f "$out"
    wineserver -k >/dev/null 2>&1
    local wine="$ROOT/scripts/wine"
    for key in 'HKCU\Control Panel\Desktop' 'HKCC\Software\Fonts'; do
        "$wine" reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    done
    # No hidden autostart copy from an earlier run.
    "$wine" reg delete 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v Ventaro /f >/dev/null 2>&1
    "$wine" reg delete 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' /v Ventaro /f >/dev/null 2>&1
    wineserver -k >/dev/null 2>&1
    rm -f "$dump" "$BUILD/dpi-controller-state.txt"
    # A simulated controller, so no message box about a missing one waits.
    local pipe="ventaro_dpi_$$"
    "$wine" "$BUILD/bin/ControllerSim.exe" --pipe "$pipe" \
        --state "Z:${BUILD//\//\\}\\dpi-controller-state.txt" </dev/null >/dev/null 2>&1 &
    PIDS+=($!)
    for _ in $(seq 100); do [ -e "$BUILD/dpi-controller-state.txt" ] && break; sleep 0.1; done
    VENTARO_CONTROLLER_PATH="\\\\.\\pipe\\$pipe" VENTARO_UI_DUMP="Z:${dump//\//\\}" \
        "$wine" "$BUILD/bin/Ventaro.exe" </dev/null >/dev/null 2>&1 &
    PIDS+=($!)
    for _ in $(seq 300); do [ -s "$dump" ] && grep -q 'EnterButton' "$dump" && break; sleep 0.2; done
    sleep 2
    local win geometry
    win="$(xdotool search --onlyvisible --name '^Ventaro$' | head -n1)"
    [ -n "$win" ] || { fail "$dpi DPI: no window"; stop; return; }
    geometry="$(xwininfo -id "$win" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
                                          /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}')"
    read -r wx wy ww wh <<<"$geometry"
    read -r sw sh <<<"${screen/x/ }"
    echo "$dpi DPI on $screen: window ${ww}x${wh} at $wx,$wy; dump $(head -n1 "$dump")"
    [ $((ww - want_w)) -ge -2 ] && [ $((ww - want_w)) -le 2 ] || fail "$dpi DPI: width $ww, not $want_w"
    [ $((wh - want_h)) -ge -2 ] && [ $((wh - want_h)) -le 2 ] || fail "$dpi DPI: height $wh, not $want_h"
    [ "$wx" -ge 0 ] && [ "$wy" -ge 0 ] && [ $((wx + ww)) -le "$sw" ] && [ $((wy + wh)) -le "$sh" ] ||
        fail "$dpi DPI: window not inside the screen's work area"
    # A screen reader's rectangle of a tab is its scaled place on the screen.
    local tab ax ay aw ah cx cy
    read -r cx cy <<<"$(dump_centre "$dump" FanButton)"
    tab="$("$wine" "$BUILD/bin/a11y_client.exe" --dump 2>/dev/null | grep -m1 'page tab "风扇"')"
    read -r ax ay aw ah <<<"$(sed -E 's/.*\[(-?[0-9]+),(-?[0-9]+),([0-9]+),([0-9]+)\].*/\1 \2 \3 \4/' <<<"$tab")"
    echo "$dpi DPI: MSAA 风扇 [${ax:-?},${ay:-?},${aw:-?},${ah:-?}], dump centre $((wx + cx)),$((wy + cy))"
    if [ -z "$tab" ] || [ $(((ax + aw / 2 - wx - cx) ** 2)) -gt 4 ] || [ $(((ay + ah / 2 - wy - cy) ** 2)) -gt 4 ]; then
        fail "$dpi DPI: the MSAA rectangle of 风扇 is not its place on the screen"
    fi
    # Clicks at the tabs' scaled centres select them (a loaded machine takes seconds).
    local style checked
    for style in FanButton LightButton; do
        read -r cx cy <<<"$(dump_centre "$dump" "$style")"
        xdotool mousemove $((wx + cx)) $((wy + cy)) click 1
        checked=""
        for _ in $(seq 150); do
            checked="$(dump_checked "$dump" "$style")"
            [ "$checked" = 1 ] && break
            sleep 0.1
        done
        [ "$checked" = 1 ] || fail "$dpi DPI: the click at $cx,$cy did not select $style"
    done
    xdotool mousemove "$sw" "$sh"
    sleep 1.5
    import -window root -crop "${ww}x${wh}+${wx}+${wy}" +repage "$shot" && echo "screenshot: $shot"
    stop
}

run_case 144 2560x1440 2049 1152
run_case 96 1366x768 1366 768
[ "$failures" = 0 ] && echo "dpi end to end: passed" || echo "dpi end to end: $failures failures"
exit $((failures != 0))
