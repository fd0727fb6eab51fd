#!/usr/bin/env bash
# The main job: carscope talking to the simulated car controller over a pseudo-terminal.
# carsim creates the pseudo-terminal and links it to a path; carscope maps COM1 to that path.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=build/bin
run=$(mktemp -d /tmp/hoistwise-demo.XXXXXX)
link="$run/com1"
"$bin/carsim" --link "$link" >"$run/carsim.log" 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null; rm -rf "$run"' EXIT
for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
[ -e "$link" ] || { echo "carsim did not start:"; cat "$run/carsim.log"; exit 1; }
echo "carsim is the car controller on $(readlink "$link"); COM1 -> $link"
echo "In carscope press \"pmi 1\" to watch the car live, then \"DOB\" or \"stress\" to move it."
echo "The session is recorded in ${XDG_STATE_HOME:-$HOME/.local/state}/hoistwise/captures: look at it"
echo "afterwards with $bin/cartrace, or play it back with $bin/carscope --replay CAPTURE."
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display here: carscope runs on a virtual X display (Xvfb) until you end this command."
  xvfb-run -a -s "-screen 0 1280x1024x24" "$bin/carscope" --port 1="$link"
else
  "$bin/carscope" --port 1="$link"
fi
