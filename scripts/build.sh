#!/usr/bin/env bash
# Configures (once) and builds into build/ (or build-<sanitizer>/ when QX44_SANITIZE is set).
set -euo pipefail
cd "$(dirname "$0")/.."

sanitize="${QX44_SANITIZE:-}"
dir="build${sanitize:+-$sanitize}"
if [ ! -f "$dir/build.ninja" ]; then
    cmake -S . -B "$dir" -G Ninja -DQX44_SANITIZE="$sanitize"
fi
cmake --build "$dir" --parallel "$(nproc)"
echo "$dir"
