#!/usr/bin/env bash
# Times varnel-station with the production job (write the demo configuration, then verify it) on
# one simulated printer and on six at once (four on pseudo-terminals, two over loopback TCP), and
# prints the six-versus-one ratio of wall time and the station's own CPU time (the station
# process alone, not its varnel runs) as a share of wall time.
#
# Usage: bench/station_bench.sh [build-dir]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
station="$build/src/ui/varnel-station"
sim="$build/tools/printer-sim/varnel-printer-sim"
for exe in "$station" "$build/src/ui/varnel" "$sim"; do
  [[ -x $exe ]] || { echo "missing $exe: build varnel, varnel-station and varnel-printer-sim first" >&2; exit 2; }
done
# Targets: six printers within this factor of one; the station's CPU under this share of wall.
readonly ratio_target=1.3 cpu_target_percent=1

work=$(mktemp -d /tmp/varnel-station-bench.XXXXXX)
sim_pids=()
cleanup() {
  for pid in "${sim_pids[@]}"; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
cp "$top"/examples/{rpdemo.opt,rpdemo_100.map,rpdemo_101.map,rpdemo.cfg} "$work"/
cd "$work"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
export VARNEL_SETTINGS="$work/registry.reg"
ticks=$(getconf CLK_TCK)

# Starts a simulated printer on "--pty" or "--tcp 127.0.0.1:0"; appends its port to ports.
ports=()
start_printer() {
  local out="$work/sim${#sim_pids[@]}.out"
  "$sim" "$@" --map rpdemo_101.map --cfg rpdemo.cfg >"$out" &
  sim_pids+=($!)
  for _ in $(seq 100); do [[ -s $out ]] && break; sleep 0.1; done
  ports+=("$(sed -n 's/^PORT //p' "$out" | head -1)")
}

# Runs the station on the ports given; sets wall_ms and cpu_ms (the station process's own).
run_station() {
  local start end pid cpu=0 stat
  start=$(date +%s%N)
  "$station" --folder "station$#" --run "readfile:rpdemo.cfg writecfg exit" --run "readfile:rpdemo.cfg verify" \
    "$@" >"$work/station$#.out" &
  pid=$!
  # utime + stime of the process itself (fields 14 and 15), sampled until it ends.
  while stat=$(cat "/proc/$pid/stat" 2>/dev/null); do
    read -r -a fields <<<"${stat##*) }"
    [[ ${fields[0]} == Z ]] && break
    cpu=$((fields[11] + fields[12]))
    sleep 0.05
  done
  wait "$pid" || { echo "the station failed:" >&2; cat "$work/station$#.out" >&2; exit 1; }
  end=$(date +%s%N)
  wall_ms=$(((end - start) / 1000000))
  cpu_ms=$((cpu * 1000 / ticks))
}

for _ in 1 2 3 4; do start_printer --pty; done
for _ in 1 2; do start_printer --tcp 127.0.0.1:0; done

run_station "${ports[0]}"
one_ms=$wall_ms one_cpu=$cpu_ms
run_station "${ports[@]}"
six_ms=$wall_ms six_cpu=$cpu_ms

awk -v one="$one_ms" -v six="$six_ms" -v c1="$one_cpu" -v c6="$six_cpu" -v target="$ratio_target" \
    -v cpu_target="$cpu_target_percent" 'BEGIN {
  printf "one printer:   %6.2f s wall, station CPU %4d ms (%.2f %%)\n", one / 1000, c1, 100 * c1 / one
  printf "six printers:  %6.2f s wall, station CPU %4d ms (%.2f %%)\n", six / 1000, c6, 100 * c6 / six
  printf "six / one:     %6.2f (target at most %.2f)\n", six / one, target
  printf "station CPU:   %6.2f %% of wall with six (target under %d %%)\n", 100 * c6 / six, cpu_target
}'
