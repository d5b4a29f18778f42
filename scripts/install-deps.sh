#!/usr/bin/env bash
# Installs every Debian package that building, testing and running Norvalis needs.
# Idempotent: when everything is present it changes nothing and asks for nothing.
# Usage: install-deps.sh          what building, testing and running need
#        install-deps.sh bench    also what the benchmark scripts in bench/ need
set -euo pipefail

packages=(
  # toolchain
  cmake ninja-build g++ pkg-config git
  # core library
  libsqlite3-dev zlib1g-dev libssl-dev libicu-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # command line
  libcli11-dev
  # desktop program (Qt 6 Widgets) and what it needs to configure and run offscreen
  qt6-base-dev qt6-charts-dev libgl-dev libglx-dev libopengl-dev libvulkan-dev
  libxkbcommon-dev qt6-qpa-plugins
)

for group in "$@"; do
  case "$group" in
    # tree generator and timing: GNU time reports the peak memory of each run
    bench) packages+=(python3 time fdupes jdupes rmlint) ;;
    *) echo "unknown package group: $group" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
