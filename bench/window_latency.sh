#!/usr/bin/env bash
# How long the main window takes to open its File menu after Alt+F while a Read runs: under an X
# server of its own (Xvfb), against the printer simulator over loopback TCP, with the key pressed
# through the X server's XTest extension. Each try times from the key press leaving for the
# server to the menu showing.
#
# Usage: bench/window_latency.sh [build-dir] [tries]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
tries=${2:-12}
probe="$build/bench/window_latency_probe"
sim="$build/tools/printer-sim/varnel-printer-sim"
for exe in "$probe" "$sim"; do
  [[ -x $exe ]] || { echo "missing $exe: build window_latency_probe and varnel-printer-sim first" >&2; exit 2; }
done
for tool in Xvfb; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 2; }
done
(( tries >= 10 )) || { echo "at least 10 tries" >&2; exit 2; }

work=$(mktemp -d /tmp/varnel-latency.XXXXXX)
sim_pid= xvfb_pid=
cleanup() {
  [[ -n $sim_pid ]] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
cp "$top"/examples/{rpdemo.opt,rpdemo_100.map,rpdemo_101.map,rpdemo.cfg} "$work"/
cd "$work"
export VARNEL_SETTINGS="$work/registry.reg"
unset WAYLAND_DISPLAY

# Xvfb picks a free display and writes its number once it takes connections.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
display=
read -r -t 10 display <"$work/display" || true
[[ -n $display ]] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display" QT_QPA_PLATFORM=xcb

"$sim" --tcp 127.0.0.1:0 --map rpdemo_101.map --cfg rpdemo.cfg >"$work/sim.out" &
sim_pid=$!
for _ in $(seq 50); do [[ -s $work/sim.out ]] && break; sleep 0.1; done
port=$(sed -n 's/^PORT //p' "$work/sim.out" | head -1)
[[ -n $port ]] || { echo "the simulator did not start" >&2; exit 1; }

echo "load average at the start: $(cut -d' ' -f1-3 /proc/loadavg)"

"$probe" "$port" "$tries" | tee "$work/tries.txt"
grep -v 'read had ended' "$work/tries.txt" | sort -g -k3 | awk '{ ms[NR] = $3 } END {
  if (NR == 0) { print "no try measured during a read"; exit 1 }
  median = NR % 2 ? ms[(NR + 1) / 2] : (ms[NR / 2] + ms[NR / 2 + 1]) / 2
  printf "menu latency during read: median %.1f ms, max %.1f ms (%d tries)\n", median, ms[NR], NR }'
