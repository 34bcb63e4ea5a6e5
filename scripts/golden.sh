#!/usr/bin/env bash
# Writes the expected screens of the golden tests anew (tests/golden/<case>/expected.txt) by
# replaying each case's host.trace, after a deliberate change of what the station draws.
# Usage: scripts/golden.sh [CASE...]   (every case when none is named; review with git diff)
set -euo pipefail
cd "$(dirname "$0")/.."

dir="$(scripts/build.sh)"
settings="$(mktemp)"
trap 'rm -f "$settings"' EXIT
cases=("$@")
[ ${#cases[@]} -gt 0 ] || cases=($(ls tests/golden))
for name in "${cases[@]}"; do
    golden="tests/golden/$name"
    # A reply that no longer matches is reported; the screen is written all the same.
    "$dir/src/ui/qx44sim" --settings "$settings" --replay "$golden/host.trace" \
        --dump-screen "$golden/expected.txt" || true
done
