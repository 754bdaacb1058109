#!/usr/bin/env bash
# Times readcfg, writecfg and verify of the demo model against the printer simulator on a
# pseudo-terminal paced at 115200 and at 9600 baud, and compares each with its floor: the
# pauses the protocol prescribes plus the time the bytes need on the line at that rate.
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

printf '%-8s %-9s %9s %9s %9s %9s %7s\n' baud operation wall_s cpu_s floor_s wall/floor cpu%
for baud in 115200 9600; do
  trace="$work/trace-$baud.txt"
  "$sim" --pty --baud "$baud" --line-rate --map rpdemo_101.map --cfg rpdemo.cfg --trace "$trace" >"$work/sim.out" &
  sim_pid=$!
  for _ in $(seq 50); do [[ -s $work/sim.out ]] && break; sleep 0.1; done
  port=$(sed -n 's/^PORT //p' "$work/sim.out" | head -1)
  rm -f "$VARNEL_SETTINGS"
  "$varnel" sa "port:$port" "portsetup:baud=$baud parity=N data=8 stop=1" exit >/dev/null 2>&1

  for op in readcfg writecfg verify; do
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
    awk -v s="$start" -v e="$end" -v cpu="$cpu" -v pauses="$(floor_pauses_ms $op)" -v bytes="$bytes" \
        -v baud="$baud" -v op="$op" 'BEGIN {
      split(cpu, c, " "); wall = e - s; used = c[1] + c[2]
      floor = pauses / 1000 + bytes * 10 / baud
      verdict = (wall <= floor * 1.05 + 0.05 && used < wall * 0.02) ? "" : "  (off target)"
      printf "%-8s %-9s %9.3f %9.3f %9.3f %9.3f %6.2f%%%s\n", baud, op, wall, used, floor, wall / floor, 100 * used / wall, verdict }'
  done
  kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null || true
  sim_pid=
done
echo "target: wall within 5% (plus 50 ms) of the floor, CPU under 2% of wall"
