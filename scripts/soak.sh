#!/usr/bin/env bash
# The client against vorn-devserver with random faults for the given seconds
# (default 600), judged by the server's journal; see scripts/soak.py.
#   scripts/soak.sh [seconds] [build folder] [more soak.py options]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
build=${2:-$root/build}
shift $(( $# > 2 ? 2 : $# ))
if [ -z "${SOAK_NO_BUILD:-}" ]; then
  cmake --build "$build" -j"${JOBS:-2}" --target VornClient vorn-devserver vorn-devices >/dev/null
fi
exec python3 "$root/scripts/soak.py" --seconds "$seconds" --build "$build" "$@"
