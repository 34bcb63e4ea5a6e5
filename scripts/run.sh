#!/usr/bin/env bash
# Installs what is missing, builds, and starts the simulator. Arguments go to the program
# (for example --windowed, --settings FILE).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
dir=$(scripts/build.sh | tail -n 1)
exec "$dir/src/ui/qx44sim" "$@"
