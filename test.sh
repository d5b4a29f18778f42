#!/usr/bin/env bash
# Installs what is missing, builds Norvalis and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
dir=$(scripts/build.sh)
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
