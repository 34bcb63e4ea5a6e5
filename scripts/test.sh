#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. QX44_SANITIZE=address or thread runs
# them in a sanitizer build of its own. Arguments go to ctest (for example -R '^core\.').
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
dir=$(scripts/build.sh | tail -n 1)
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$dir" --output-on-failure --parallel "$(nproc)" "$@"
