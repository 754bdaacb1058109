#!/usr/bin/env bash
# The demo: the unattended production flow against the printer simulator on a pseudo-terminal
# (a serial printer loaded with the demo model), in a scratch folder.
# Usage: scripts/run-demo.sh [build-dir]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
varnel="$build/src/ui/varnel"
sim="$build/tools/printer-sim/varnel-printer-sim"
work=$(mktemp -d /tmp/varnel-demo.XXXXXX)
export VARNEL_SETTINGS="$work/registry.reg"
cd "$work"
cp "$top"/examples/*.map "$top"/examples/*.opt "$top"/examples/*.cfg .
echo "Demo folder: $work"

"$sim" --pty --map rpdemo_101.map --cfg rpdemo.cfg --state printer.json > sim.out 2> sim.err &
sim_pid=$!
trap 'kill $sim_pid 2>/dev/null || true; wait $sim_pid 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  port=$(sed -n 's/^PORT //p' sim.out)
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { echo "the simulator did not start:"; cat sim.err; exit 1; }
echo "Simulated printer (serial, pseudo-terminal): $port"

run() {
  echo "+ varnel $*"
  local code=0
  ( unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM; "$varnel" "$@" ) || code=$?
  echo "  exit code $code"
  return 0
}

echo
echo "1. Read the printer's configuration into a file"
run sa port:"$port" readcfg writefile:read.cfg exit
grep -E '^(Model|Print_Speed|Buzzer) ' read.cfg | sed 's/^/   read.cfg: /' || true

echo
echo "2. Write a prepared configuration (Print_Speed 3) into the printer, then verify it (exit code 1 = passed)"
sed 's/^Print_Speed\( *\)5 /Print_Speed\13 /' rpdemo.cfg > prepared.cfg
run sa port:"$port" readfile:prepared.cfg writecfg exit
run sa port:"$port" readfile:prepared.cfg verify

echo
echo "3. Someone changes a value in the printer (Print_Speed back to 5); verify again (exit code 0 = failed)"
run sa port:"$port" readfile:rpdemo.cfg writecfg exit
run sa port:"$port" readfile:prepared.cfg verify
echo "   Varnel.log says:"
tr -d '\r' < Varnel.log | grep 'does not verify' | sed 's/^/   /'

echo
echo "4. The printer's firmware: isfwr: exits 1 when it matches"
run sa port:"$port" isfwr:RPD1-1.01
run sa port:"$port" isfwr:RPD1-1.00
