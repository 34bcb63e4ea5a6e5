#!/usr/bin/env bash
# Starts N headless stations side by side, each with its own settings file, working directory,
# host port and control port, prints their ports, and stops them all on Ctrl+C.
# Usage: scripts/fleet.sh N [FIRST_PORT]   (station i: host port FIRST_PORT+2(i-1), control +1)
# QX44SIM=PATH runs that program instead of building one; FLEET_DIR=DIR keeps the stations'
# folders there instead of in a new temporary folder.
set -euo pipefail
cd "$(dirname "$0")/.."
count="${1:?usage: scripts/fleet.sh N [FIRST_PORT]}"
first="${2:-9100}"
program="${QX44SIM:-$(pwd)/$(scripts/build.sh | tail -n 1)/src/ui/qx44sim}"
root="${FLEET_DIR:-$(mktemp -d /tmp/qx44-fleet.XXXXXX)}"

pids=()
stop() {
    trap - INT TERM EXIT
    [ "${#pids[@]}" -eq 0 ] || kill "${pids[@]}" 2>/dev/null || true
    wait
}
trap stop INT TERM EXIT

printf 'station\thost\tcontrol\tfolder\n'
for i in $(seq 1 "$count"); do
    dir="$root/station-$i"
    mkdir -p "$dir"
    host=$((first + 2 * (i - 1)))
    control=$((host + 1))
    printf '[Net]\nPortNum=%d\n[Main]\nBeeping=0\n[Control]\nPort=%d\n' "$host" "$control" \
        >"$dir/setting.txt"
    (cd "$dir" && exec "$program" --headless --settings "$dir/setting.txt") &
    pids+=("$!")
    printf '%d\t%d\t%d\t%s\n' "$i" "$host" "$control" "$dir"
done
echo "Ctrl+C stops them all." >&2
wait
