#!/usr/bin/env bash
# Times readcfg, writecfg and verify of the demo model against the printer simulator, in one run:
# on a pseudo-terminal paced at 115200 and at 9600 baud, each compared with its floor (the pauses
# the protocol prescribes plus the time the bytes need on the line at that rate); then over
# loopback TCP, each compared with the same operation on the pseudo-terminal at 115200; and over
# TCP once more with "NetworkFixedDrain" = 1, the fixed 300 ms wait after every command.
#
# Usage: bench/protocol_bench.sh [build-dir]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
varnel="$build/src/ui/varnel"
sim="$build/tools/printer-sim/varnel-printer-sim"
for exe in "$varnel" "$sim"; do
  [[ -x $exe ]] || { echo "missing $exe: build the varnel and varnel-printer-sim targets first" >&2; exit 2; }
done

work=$(mktemp -d /tmp/varnel-bench.XXXXXX)
sim_pid=
cleanup() {
  [[ -n $sim_pid ]] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
cp "$top"/examples/{rpdemo.opt,rpdemo_100.map,rpdemo_101.map,rpdemo.cfg} "$work"/
cd "$work"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
export VARNEL_SETTINGS="$work/registry.reg"
readonly operations=(readcfg writecfg verify)
readonly store_key='HKEY_LOCAL_MACHINE\SOFTWARE\Pellam\IOCommCFG'
# TCP against the pseudo-terminal at this rate: within this factor, CPU under 2% of wall.
readonly reference_baud=115200 ratio_target=1.15

# Fixed pauses of one run, in milliseconds. Identification: before and after the preamble,
# after the reopen, after the reply; the exchange: after the preamble and after the last
# output; each pre-init sequence sent adds one more pause (the demo configuration has one).
readonly identify_ms=2000 exchange_ms=1000 preinit_ms=500
floor_pauses_ms() {
  case $1 in
    readcfg) echo $((identify_ms + exchange_ms)) ;;            # an empty configuration: no pre-init
    *) echo $((identify_ms + exchange_ms + 2 * preinit_ms)) ;;  # sent in identification and exchange
  esac
}

# Bytes both ways recorded in the trace since line $2 (hex columns of the RX/TX lines).
trace_bytes_since() {
  awk -v from="$2" 'NR > from && ($2 == "RX" || $2 == "TX") {
      hex = substr($0, index($0, $2) + 3, 47); n += gsub(/[0-9A-F][0-9A-F]/, "", hex) }
    END { print n + 0 }' "$1"
}

# Starts the simulator with the switches given; its port name in $port.
start_printer() {
  "$sim" "$@" --map rpdemo_101.map --cfg rpdemo.cfg --trace "$trace" >"$work/sim.out" &
  sim_pid=$!
  for _ in $(seq 50); do [[ -s $work/sim.out ]] && break; sleep 0.1; done
  port=$(sed -n 's/^PORT //p' "$work/sim.out" | head -1)
}

stop_printer() {
  kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null || true
  sim_pid=
}

declare -A pty_wall
# Runs the three operations against $port. $1 names the line; $2 is the baud rate that paces it
# (0 for TCP, where the floor is the pauses alone).
time_operations() {
  local line=$1 baud=$2 op lines start end cpu bytes
  for op in "${operations[@]}"; do
    case $op in
      readcfg) args=(readcfg exit) ;;
      writecfg) args=(readfile:rpdemo.cfg writecfg exit) ;;
      verify) args=(readfile:rpdemo.cfg verify) ;;
    esac
    lines=$(wc -l <"$trace")
    start=$(date +%s.%N)
    /usr/bin/time -o "$work/cpu.txt" -f '%U %S' "$varnel" sa "port:$port" "${args[@]}" >/dev/null 2>&1 || true
    cpu=$(tail -1 "$work/cpu.txt")
    end=$(date +%s.%N)
    sleep 0.2  # the trace is flushed line by line; let the last reply land
    bytes=$(trace_bytes_since "$trace" "$lines")
    if [[ $line == pty-$reference_baud ]]; then pty_wall[$op]=$(awk -v s="$start" -v e="$end" 'BEGIN { print e - s }'); fi
    awk -v s="$start" -v e="$end" -v cpu="$cpu" -v pauses="$(floor_pauses_ms $op)" -v bytes="$bytes" \
        -v baud="$baud" -v line="$line" -v op="$op" -v pty="${pty_wall[$op]:-0}" -v target="$ratio_target" 'BEGIN {
      split(cpu, c, " "); wall = e - s; used = c[1] + c[2]
      floor = pauses / 1000 + (baud > 0 ? bytes * 10 / baud : 0)
      ratio = "-"; verdict = ""
      if (line ~ /^pty/) {
        if (wall > floor * 1.05 + 0.05 || used >= wall * 0.02) verdict = "  (off target)"
      } else {
        ratio = sprintf("%.3f", wall / pty)
        if (line == "tcp" && (wall / pty > target || used >= wall * 0.02)) verdict = "  (off target)"
      }
      printf "%-11s %-9s %8.3f %7.3f %8.3f %10.3f %6.2f%% %8s%s\n", line, op, wall, used, floor, wall / floor,
             100 * used / wall, ratio, verdict }'
  done
}

echo "load average at the start: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-11s %-9s %8s %7s %8s %10s %7s %8s\n' line operation wall_s cpu_s floor_s wall/floor cpu% tcp/pty
for baud in "$reference_baud" 9600; do
  trace="$work/trace-$baud.txt"
  start_printer --pty --baud "$baud" --line-rate
  rm -f "$VARNEL_SETTINGS"
  "$varnel" sa "port:$port" "portsetup:baud=$baud parity=N data=8 stop=1" exit >/dev/null 2>&1
  time_operations "pty-$baud" "$baud"
  stop_printer
done

for drain in acknowledged fixed; do
  trace="$work/trace-tcp-$drain.txt"
  start_printer --tcp 127.0.0.1:0
  rm -f "$VARNEL_SETTINGS"
  if [[ $drain == fixed ]]; then
    printf 'REGEDIT4\n\n[%s]\n"NetworkFixedDrain"=dword:00000001\n' "$store_key" >"$VARNEL_SETTINGS"
    time_operations tcp-fixed 0
  else
    time_operations tcp 0
  fi
  stop_printer
done
echo "targets: pty wall within 5% (plus 50 ms) of the floor; tcp within ${ratio_target}x of pty-$reference_baud;"
echo "         CPU under 2% of wall. tcp-fixed (\"NetworkFixedDrain\" = 1) is the fixed 300 ms wait, for comparison."
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
