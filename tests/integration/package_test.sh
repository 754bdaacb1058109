#!/usr/bin/env bash
# Builds the Debian package from a build tree, unpacks it into a scratch root (dpkg -x, nothing is
# installed on this machine) and runs the installed programs from there: --version, --help, a
# headless configuration file round trip, and a production script that writes, verifies and reads
# the simulated printer. Usage: package_test.sh <build-dir>
set -euo pipefail
build=$(cd "$1" && pwd)
scratch=$(mktemp -d /tmp/varnel-package.XXXXXX)
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The package.
(cd "$scratch" && cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" >cpack.log 2>&1) ||
  { cat "$scratch/cpack.log" >&2; fail "cpack"; }
deb=$(ls "$scratch"/out/varnel_*.deb)
echo "package: $(basename "$deb")"
dpkg-deb --field "$deb" Depends | tee "$scratch/depends"
for dep in libqt6widgets6 libqt6dbus6 libudev1 dbus; do
  grep -qw "$dep" "$scratch/depends" || fail "Depends lacks $dep"
done

root="$scratch/root"
dpkg -x "$deb" "$root"
for f in usr/bin/varnel usr/bin/varnel-printer-sim usr/bin/varnel-monitor usr/bin/varnel-station \
         usr/share/man/man1/varnel.1 usr/share/bash-completion/completions/varnel \
         usr/share/man/man1/varnel-station.1 usr/share/bash-completion/completions/varnel-station \
         usr/share/varnel/examples/rpdemo.cfg usr/share/varnel/examples/rpdemo.opt \
         usr/share/varnel/examples/rpdemo_100.map usr/share/varnel/examples/rpdemo_101.map \
         usr/share/doc/varnel/station.sh usr/share/doc/varnel/index.md usr/share/doc/varnel/production-scripts.md \
         usr/share/varnel/models/rpdemo.opt usr/share/varnel/models/rpdemo_100.map \
         usr/share/varnel/models/rpdemo_101.map usr/share/varnel/models/RPD1_101.BOT \
         usr/share/varnel/models/Varnel.html; do
  [ -e "$root/$f" ] || fail "package lacks /$f"
done
# The models folder holds the demo model's files as they are, and nothing that is no model file.
for f in "$root"/usr/share/varnel/models/*; do
  case "$f" in *.map | *.opt | *.bot | *.BOT | */Varnel.html) ;; *) fail "models folder holds $(basename "$f")" ;; esac
  cmp "$f" "$root/usr/share/varnel/examples/$(basename "$f")" || fail "models/$(basename "$f") differs from the example"
done
desktop="$root/usr/share/applications/varnel.desktop"
[ -e "$desktop" ] || fail "package lacks the desktop entry"
[ -e "$root/usr/share/icons/hicolor/scalable/apps/varnel.svg" ] || fail "package lacks the icon"
desktop-file-validate "$desktop" || fail "desktop entry does not validate"
grep -qx 'Exec=varnel.*' "$desktop" || fail "desktop entry does not start varnel"
grep -qx 'Icon=varnel' "$desktop" || fail "desktop entry names another icon"
for page in varnel varnel-station; do
  man -l "$root/usr/share/man/man1/$page.1" >/dev/null 2>&1 || fail "man page $page.1 does not format"
done

bin="$root/usr/bin"
examples="$root/usr/share/varnel/examples"
# Headless, with a settings store of the test's own.
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
export VARNEL_SETTINGS="$scratch/registry.reg"
# Model files come from the working folder alone unless a step names the installed models folder.
export XDG_DATA_HOME="$scratch/data-home" XDG_DATA_DIRS="$scratch/data-dirs"

version=$("$bin/varnel" --version)
echo "installed: $version"
[[ $version == *2.26.0* ]] || fail "--version printed '$version'"
help=$("$bin/varnel" --help)
for keyword in verify writefile: readfile: maplock: optslock: port: flash: files exit; do
  grep -q -- "$keyword" <<<"$help" || fail "--help does not list $keyword"
done

# Configuration file round trip from the installed example.
work="$scratch/work"
mkdir -p "$work"
cp "$examples"/*.map "$examples"/*.opt "$work/"
cd "$work"
# writefile: keeps only what the options file marks writable, so the options are loaded after the
# read (readfile: unloads them); the demo file is in the layout varnel writes, byte for byte.
"$bin/varnel" sa "readfile:$examples/rpdemo.cfg" "optslock:$examples/rpdemo.opt" writefile:copy.cfg exit ||
  fail "round trip exit code $?"
cmp copy.cfg "$examples/rpdemo.cfg" || fail "the installed example does not write back byte for byte"

# The production script of the documentation against the installed simulator.
"$bin/varnel-printer-sim" --tcp 127.0.0.1:0 --firmware RPD1-1.01 --state "$scratch/printer.json" \
  >"$scratch/sim.out" 2>"$scratch/sim.err" &
sim_pid=$!
for _ in $(seq 100); do
  grep -q '^PORT ' "$scratch/sim.out" 2>/dev/null && break
  sleep 0.1
done
port=$(sed -n 's/^PORT //p' "$scratch/sim.out")
[ -n "$port" ] || { cat "$scratch/sim.err" >&2; fail "simulator named no port"; }

"$bin/varnel" sa "port:$port" "readfile:$examples/rpdemo.cfg" writecfg exit || fail "write exit code $?"
code=0
"$bin/varnel" sa "port:$port" "readfile:$examples/rpdemo.cfg" verify || code=$?
[ "$code" -eq 1 ] || { tr -d '\r' < Varnel.log | tail -20 >&2; fail "verify after write ended with $code, not 1"; }
"$bin/varnel" sa "port:$port" readcfg writefile:read-back.cfg exit || fail "read exit code $?"
grep -q '^Model' read-back.cfg || grep -q 'RP-DEMO' read-back.cfg || fail "read-back.cfg names no model"
# From a folder without model files (a desktop start is in the home folder) the installed models
# folder serves: the same read, and the map chosen from there.
mkdir -p "$scratch/empty"
(cd "$scratch/empty" && XDG_DATA_DIRS="$root/usr/share" "$bin/varnel" sa "port:$port" readcfg writefile:read-back.cfg exit) ||
  fail "read from the models folder exit code $?"
cmp read-back.cfg "$scratch/empty/read-back.cfg" || { tr -d '\r' < "$scratch/empty/Varnel.log" >&2; fail "the read with the installed models differs"; }
grep -q "Configuration Error" "$scratch/empty/Varnel.log" && { tr -d '\r' < "$scratch/empty/Varnel.log" >&2; fail "the read with the installed models reported an error"; }
# The station script of the documentation, as installed, with the installed programs on the path.
PATH="$bin:$PATH" sh "$root/usr/share/doc/varnel/station.sh" "$port" "$examples/rpdemo.cfg" station.cfg ||
  fail "the documented station script failed"
cmp read-back.cfg station.cfg || fail "the station script read back something else"
# The installed station runs the installed varnel beside it.
"$bin/varnel-station" --folder "$scratch/station" --record "$scratch/station.jsonl" \
  --run "readfile:$examples/rpdemo.cfg verify" "$port" >"$scratch/station.out" ||
  { cat "$scratch/station.out" >&2; fail "the installed station failed"; }
grep -q '"passed":true' "$scratch/station.jsonl" || fail "the installed station recorded no pass"
code=0
"$bin/varnel" sa "port:$port" isfwr:RPD1-1.01 || code=$?
[ "$code" -eq 1 ] || fail "isfwr: of the simulator's firmware ended with $code, not 1"
echo "package test passed"
