#!/usr/bin/env bash
# Builds the Debian package from a build tree and checks it as Debian's tools do (lintian, the
# desktop entry, AppStream and MIME validators, the manual pages), unpacks it into a scratch root
# (dpkg -x, nothing is installed on this machine) and runs the installed programs from there:
# --version, --help, a headless configuration file round trip, and a production script that
# writes, verifies and reads the simulated printer.
# Usage: package_test.sh <build-dir> [hardened|unhardened]; a build without the hardening flags (the
# sanitizer build, a debug build) is not held to lintian's hardening tags, which such a build always earns.
set -euo pipefail
build=$(cd "$1" && pwd)
hardening=${2:-hardened}
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
dbgsym=$(ls "$scratch"/out/varnel-dbgsym_*.*deb) || fail "no -dbgsym package"
echo "package: $(basename "$deb") $(basename "$dbgsym")"
# Depends from the shared-library scan; what it cannot see is recommended.
dpkg-deb --field "$deb" Depends | tee "$scratch/depends"
for dep in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6dbus6 libudev1; do
  grep -qw "$dep" "$scratch/depends" || fail "Depends lacks $dep"
done
dpkg-deb --field "$deb" Recommends | tee "$scratch/recommends"
grep -qw dbus "$scratch/recommends" || fail "Recommends lacks dbus"
dpkg-deb --field "$deb" Maintainer | grep -qv '@localhost' || fail "the maintainer's address is on localhost"

# Debian policy: no error, no warning, no hardening gap (an informational tag), on both packages.
# lintian takes a debug package by its .deb name only.
cp "$dbgsym" "$scratch/varnel-dbgsym.deb"
lintian --pedantic --display-info --no-cfg "$deb" "$scratch/varnel-dbgsym.deb" >"$scratch/lintian.out" 2>&1 || true
cat "$scratch/lintian.out"
faults='^(E|W): '
[ "$hardening" = hardened ] && faults='^(E|W): |hardening-'
if grep -E "$faults" "$scratch/lintian.out"; then fail "lintian finds faults"; fi
# The debug package holds the debug information of every program, found by its build id.
dpkg-deb -c "$dbgsym" >"$scratch/dbgsym.list"
for program in varnel varnel-printer-sim varnel-monitor; do
  dpkg-deb --fsys-tarfile "$deb" | tar -xO "./usr/bin/$program" >"$scratch/$program"
  id=$(readelf -n "$scratch/$program" | sed -n 's/.*Build ID: //p')
  [ -n "$id" ] || fail "$program has no build id"
  grep -q "usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug" "$scratch/dbgsym.list" ||
    fail "the -dbgsym package lacks the debug information of $program"
  readelf -S "$scratch/$program" | grep -q '\.debug_info' && fail "$program is not stripped"
done

root="$scratch/root"
dpkg -x "$deb" "$root"
for f in usr/bin/varnel usr/bin/varnel-printer-sim usr/bin/varnel-monitor usr/bin/varnel-station \
         usr/share/doc/varnel/copyright usr/share/doc/varnel/changelog.gz \
         usr/share/mime/packages/varnel.xml usr/share/metainfo/com.pellam.varnel.metainfo.xml \
         usr/share/bash-completion/completions/varnel usr/share/bash-completion/completions/varnel-station \
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
grep -qx 'Exec=varnel --open %f' "$desktop" || fail "desktop entry does not open its file in varnel"
grep -qx 'Icon=varnel' "$desktop" || fail "desktop entry names another icon"
grep -qx 'MimeType=application/x-varnel-configuration;' "$desktop" || fail "desktop entry names no MIME type"
for size in 16 22 24 32 48 64 128 256; do
  file "$root/usr/share/icons/hicolor/${size}x${size}/apps/varnel.png" | grep -q "PNG image data, $size x $size" ||
    fail "no $size px PNG icon"
done
appstreamcli validate --pedantic --no-net "$root/usr/share/metainfo/com.pellam.varnel.metainfo.xml" ||
  fail "the AppStream metainfo does not validate"
grep -q '<image>.*/docs/screenshot-main.png</image>' "$root/usr/share/metainfo/com.pellam.varnel.metainfo.xml" ||
  fail "the metainfo shows no screenshot of the main window"

# The MIME type claims varnel's configuration files by their banner, whatever their name, and no
# other .cfg file.
mime="$scratch/mime"
mkdir -p "$mime/packages"
cp /usr/share/mime/packages/freedesktop.org.xml "$root/usr/share/mime/packages/varnel.xml" "$mime/packages/"
update-mime-database "$mime" >/dev/null 2>&1 || fail "update-mime-database refuses the MIME type"
[ -e "$mime/application/x-varnel-configuration.xml" ] || fail "the MIME type is not registered"
content_type() { XDG_DATA_HOME="$scratch/none" XDG_DATA_DIRS="$scratch" gio info -a standard::content-type "$1" |
  sed -n 's/.*standard::content-type: //p'; }
printf '[section]\nkey=value\n' >"$scratch/other.cfg"
cp "$root/usr/share/varnel/examples/rpdemo.cfg" "$scratch/store12.conf"
for f in "$root/usr/share/varnel/examples/rpdemo.cfg" "$scratch/store12.conf"; do
  [ "$(content_type "$f")" = application/x-varnel-configuration ] || fail "$(basename "$f") is not taken as a varnel configuration"
done
[ "$(content_type "$scratch/other.cfg")" != application/x-varnel-configuration ] || fail "another program's .cfg is claimed"

# A gzipped manual page for every program, each formatting without a warning.
for program in "$root"/usr/bin/*; do
  page="$root/usr/share/man/man1/$(basename "$program").1.gz"
  [ -e "$page" ] || fail "no manual page for $(basename "$program")"
  gzip -t "$page" || fail "$page is not gzipped"
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l --warnings "$page" 2>&1 >/dev/null) || fail "$page does not format"
  [ -z "$warnings" ] || fail "$page formats with warnings: $warnings"
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
for keyword in verify writefile: readfile: maplock: optslock: port: flash: files exit --open; do
  grep -q -- "$keyword" <<<"$help" || fail "--help does not list $keyword"
done

# The helper programs follow the usual conventions.
for program in varnel-printer-sim varnel-monitor; do
  "$bin/$program" --version | grep -q 2.26.0 || fail "$program --version"
  "$bin/$program" --help | grep -q Usage || fail "$program --help"
  "$bin/$program" -h | grep -q Usage || fail "$program -h"
done
code=0
"$bin/varnel-printer-sim" --tcp 127.0.0.1:0 -- --help >/dev/null 2>&1 || code=$?
[ "$code" -eq 2 ] || fail "varnel-printer-sim took an option after --"

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
