#!/usr/bin/env bash
# Every screenshot of the window in docs/: the main window on the demo configuration (the real
# program on a display of its own, Xvfb), the edit dialog on the demo's largest group, and the
# port and firmware dialogs (these three offscreen, drawn by the program's own dialogs) and the
# Station window during a job (offscreen, against simulated printers).
# Needs Xvfb, xdotool and ImageMagick's import: apt-get install xvfb xdotool imagemagick
# Usage: scripts/screenshots.sh [BUILD_DIR] [DOCS_DIR]   (defaults: build, docs)
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
source scripts/screenshot-edit.sh
source scripts/screenshot-dialogs.sh

# Waits up to 30 s for a window whose name matches $2 on display $1; prints its id.
wait_for_window() {
    local display=$1 name=$2 id
    for _ in $(seq 300); do
        id=$(DISPLAY=$display xdotool search --name "$name" 2>/dev/null | head -1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    echo "screenshots: no window named '$name' showed" >&2
    return 1
}

# The main window, as `varnel port:<simulated printer> readfile:rpdemo.cfg` opens it in a copy of
# the demo folder, saved as $2; ended from its File menu with the keyboard.
shot_main_window() {
    local build=$1 output=$2 tool
    for tool in Xvfb xdotool import; do
        command -v "$tool" > /dev/null ||
            { echo "screenshots: $tool is missing (apt-get install xvfb xdotool imagemagick)" >&2; return 1; }
    done
    cmake --build "$build" --target varnel varnel-printer-sim
    local work xvfb_pid sim_pid varnel_pid display port window
    work=$(mktemp -d)
    cp "$top"/examples/* "$work"/
    trap 'kill $varnel_pid $sim_pid $xvfb_pid 2> /dev/null || true; rm -rf "$work"' RETURN

    # Xvfb picks a free display and writes its number once it accepts connections.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$work/display" 2> /dev/null &
    xvfb_pid=$!
    for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.1; done
    display=":$(head -1 "$work/display")"

    (cd "$work" && exec "$build/tools/printer-sim/varnel-printer-sim" --pty --map rpdemo_101.map --cfg rpdemo.cfg \
        --state printer.json > sim.out 2> sim.err) &
    sim_pid=$!
    for _ in $(seq 200); do port=$(sed -n 's/^PORT //p' "$work/sim.out"); [ -n "$port" ] && break; sleep 0.1; done

    # The settings and the model search stay in the scratch folder: nothing of the user's shows.
    (cd "$work" && DISPLAY=$display QT_QPA_PLATFORM=xcb VARNEL_SETTINGS="$work/registry.reg" \
        XDG_DATA_HOME="$work/none" XDG_DATA_DIRS="$work/none" \
        exec "$build/src/ui/varnel" port:"$port" readfile:rpdemo.cfg > varnel.out 2>&1) &
    varnel_pid=$!
    window=$(wait_for_window "$display" 'rpdemo\.cfg - Varnel')
    sleep 1  # its first paint
    DISPLAY=$display import -window "$window" "$output"

    DISPLAY=$display xdotool windowfocus --sync "$window" key alt+f
    sleep 0.5
    DISPLAY=$display xdotool key x
    wait "$varnel_pid"
}

# The Station window in the middle of a job on three simulated printers (offscreen, the real
# varnel runs): one passed, one failed, one still at work; saved as $2.
shot_station_window() {
    local build=$1 output=$2
    cmake --build "$build" --target station_window_shot
    QT_QPA_PLATFORM=offscreen "$build/tests/station_window_shot" "$output"
}

build=$(cd "${1:-build}" && pwd)
docs=$(cd "${2:-docs}" && pwd)
shot_main_window "$build" "$docs/screenshot-main.png"
shot_edit_dialog "$build" "$docs/screenshot-edit.png"
shoot_dialogs "$build" "$docs"
shot_station_window "$build" "$docs/screenshot-station.png"
echo "Screenshots written to $docs: screenshot-main.png, screenshot-edit.png, screenshot-port.png," \
    "screenshot-firmware.png, screenshot-firmware-progress.png, screenshot-station.png"
