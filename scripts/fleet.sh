#!/usr/bin/env bash
# Starts N headless stations side by side and stops them all on Ctrl+C: a wrapper of the fleet
# program, python/qx44sim/fleet.py, which takes every other option (--help lists them).
# Usage: scripts/fleet.sh N [FIRST_PORT] [OPTIONS]   (station i: host port FIRST_PORT+2(i-1),
# control port one above). QX44SIM=PATH runs that program instead of building one;
# FLEET_DIR=DIR keeps the stations' folders there instead of in a new temporary folder.
set -euo pipefail
cd "$(dirname "$0")/.."
program="${QX44SIM:-$(pwd)/$(scripts/build.sh | tail -n 1)/src/ui/qx44sim}"
folder=()
[ -z "${FLEET_DIR:-}" ] || folder=(--folder "$FLEET_DIR")
PYTHONPATH="$(pwd)/python${PYTHONPATH:+:$PYTHONPATH}" exec /usr/bin/python3 -m qx44sim.fleet \
    --program "$program" "${folder[@]}" "$@"
