#!/usr/bin/env bash
# End-to-end ingest: the real carscope on a virtual X display, COM1 mapped to a pseudo-terminal
# that flood_writer fills at full speed with 79-character lines and CR LF.
#   bench/terminal/flood.sh [MEGABYTES]   (default 20)
set -euo pipefail
cd "$(dirname "$0")/../.."
mb=${1:-20}
run=$(mktemp -d /tmp/hoistwise-flood.XXXXXX)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$run"' EXIT
build/bin/flood_writer --link "$run/com1" --pid-file "$run/pid" --mb "$mb" >"$run/writer.log" 2>&1 &
writer=$!
for _ in $(seq 50); do [ -e "$run/com1" ] && break; sleep 0.1; done
HOISTWISE_COM1="$run/com1" RUN="$run" SHOT="${SHOT:-}" SETTLE="${SETTLE:-0}" xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  build/bin/carscope & pid=$!
  sleep 2
  xdotool key space   # past the splash, so the pane is on screen while it fills
  echo $pid > "$RUN/pid"
  while kill -0 '"$writer"' 2>/dev/null; do sleep 0.2; done
  [ -n "${SHOT:-}" ] && import -window root "$SHOT"
  sleep "${SETTLE:-0}"   # time for what the program still writes (a capture flushes within a second)
  kill $pid
'
cat "$run/writer.log"
