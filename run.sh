#!/usr/bin/env bash
# Installs what is missing, builds Norvalis (Release) and starts it.
#   ./run.sh [FOLDER...]        the desktop program (folders become include folders)
#   ./run.sh --cli [ARGS...]    the command-line program
# Without a display the command-line program runs.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
dir=$(scripts/build.sh)
if [ "${1:-}" = "--cli" ]; then
  shift
  exec "$dir/src/cli/norvalis-cli" "$@"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  exec "$dir/src/cli/norvalis-cli" "$@"
fi
exec "$dir/src/ui/norvalis" "$@"
