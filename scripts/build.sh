#!/usr/bin/env bash
# Configures and builds Norvalis into build/ (or build-asan/ with NORVALIS_SANITIZE=1).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${NORVALIS_SANITIZE:-0}" = "1" ]; then
  dir=build-asan
  extra=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DNORVALIS_SANITIZE=ON -DNORVALIS_BUILD_BENCH=OFF)
else
  dir=build
  extra=(-DCMAKE_BUILD_TYPE=Release)
fi
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S . -B "$dir" -G Ninja "${extra[@]}" >/dev/null
fi
cmake --build "$dir" -- -k 0 >&2
echo "$dir"
