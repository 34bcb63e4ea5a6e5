#!/usr/bin/env bash
# Configures (once) and builds into build/ (build-<sanitizer>/ when QX44_SANITIZE is set; with
# QX44_BUILD_UI=OFF the core and devices alone, into a folder ending in -core).
set -euo pipefail
cd "$(dirname "$0")/.."

# ccache (when present) hashes paths relative to the checkout, so clones and worktrees share hits.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}" CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"
sanitize="${QX44_SANITIZE:-}"
ui="${QX44_BUILD_UI:-ON}"
dir="build${sanitize:+-$sanitize}"
[ "$ui" = "ON" ] || dir="$dir-core"
if [ ! -f "$dir/build.ninja" ]; then
    # Sanitizer builds are for the tests; their benchmark figures would mean nothing.
    bench=ON
    [ -n "$sanitize" ] && bench=OFF
    cmake -S . -B "$dir" -G Ninja -DQX44_SANITIZE="$sanitize" -DQX44_BUILD_BENCH="$bench" \
        -DQX44_BUILD_UI="$ui" >&2
fi
# Progress goes to stderr: the last line on stdout is the build folder, for the callers.
cmake --build "$dir" --parallel "$(nproc)" >&2
echo "$dir"
