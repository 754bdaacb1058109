#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need (only those missing), then
# configures and builds; ccache speeds the build when it is installed. Usage:
# scripts/setup.sh [build-dir] [extra cmake args...]
set -euo pipefail
cd "$(dirname "$0")/.."

# Beyond a minimal Debian 12 (whose required packages bring bash, coreutils, diffutils, findutils,
# grep, sed, mawk and dpkg with dpkg-deb), by what needs them:
packages=(
  # the build: compiler, generator, Qt, GoogleTest, libudev, JSON
  cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libgtest-dev libgmock-dev
  libudev-dev nlohmann-json3-dev
  # whether an X display answers, asked before Qt is (libxcb, which Qt's own X support uses)
  libxcb1-dev
  # the window latency bench presses its keys through the X server's XTest extension
  libxcb-xtest0-dev
  # the status monitor tests: dbus-run-session, dbus-send, dbus-launch
  dbus dbus-x11
  # window tests on a virtual display: Xvfb, xvfb-run, xauth, xdotool
  xvfb xauth xdotool
  # the libFuzzer build (scripts/fuzz.sh)
  clang libclang-rt-14-dev
  # the package: dpkg-buildflags and dpkg-shlibdeps, gzip for the manual pages
  dpkg-dev gzip
  # the package test: lintian, desktop-file-validate, appstreamcli, update-mime-database and gio
  # to recognise a configuration file, man -l with its formatter, file and readelf for the
  # icons and the debug information
  lintian desktop-file-utils appstream shared-mime-info libglib2.0-bin man-db groff-base file binutils
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

build_dir=${1:-build}
shift || true
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@"
cmake --build "$build_dir"
