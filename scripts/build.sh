#!/usr/bin/env bash
# Configures (once) and builds into build/ (or build-<sanitizer>/ when QX44_SANITIZE is set).
set -euo pipefail
cd "$(dirname "$0")/.."

sanitize="${QX44_SANITIZE:-}"
dir="build${sanitize:+-$sanitize}"
if [ ! -f "$dir/build.ninja" ]; then
    # Sanitizer builds are for the tests; their benchmark figures would mean nothing.
    bench=ON
    [ -n "$sanitize" ] && bench=OFF
    cmake -S . -B "$dir" -G Ninja -DQX44_SANITIZE="$sanitize" -DQX44_BUILD_BENCH="$bench" >&2
fi
# Progress goes to stderr: the last line on stdout is the build folder, for the callers.
cmake --build "$dir" --parallel "$(nproc)" >&2
echo "$dir"
