#!/usr/bin/env bash
# The recorder and cartrace, measured on real runs:
#   flood     the real carscope drained a flooded line with capture off, then on (same size);
#             the capture must hold exactly the bytes received
#   cartrace  one-hour and 24-hour captures of carscope polling carsim every 250 ms (written by
#             capture_synth, not waited for): opening, CSV, rendering, peak memory, and the
#             redraw after a zoom or pan (cartrace_bench)
#   seek      the replay of the 24-hour capture in carscope's window: the first pass, then ten
#             seeks back and forth (replay_seek_bench), median and worst
#   csv       the CSV of the 24-hour capture: time, peak memory and size, and the same of the
#             cartrace given as BEFORE (another build's, for a before and after)
#   bench/capture/run.sh [flood [MB]] [cartrace] [seek] [csv]     (default: flood, cartrace and seek, 20 MB)
set -euo pipefail
cd "$(dirname "$0")/../.."
what=${1:-all}
mb=${2:-20}
run=$(mktemp -d /tmp/hoistwise-capture-bench.XXXXXX)
trap 'rm -rf "$run"' EXIT

if [[ $what == all || $what == flood ]]; then
  # Four rounds, taking turns and changing who goes first: on a shared machine the load moves
  # and whichever run goes first in a pair tends to be the slower. Compare runs of like CPU
  # seconds per MB: a run whose pane stayed behind the splash costs a third as much.
  flood() {   # flood off|on
    if [[ $1 == off ]]; then
      HOISTWISE_NO_CAPTURE=1 SETTLE=1.5 bench/terminal/flood.sh "$mb"
    else
      rm -rf "$run/captures"
      HOISTWISE_CAPTURE_DIR="$run/captures" SETTLE=1.5 bench/terminal/flood.sh "$mb"
    fi | grep -E "drained|CPU" | tr '\n' ' ' | sed "s/^/capture $1: /; s/$/\n/" | tee -a "$run/rates"
  }
  for order in "off on" "on off" "off on" "on off"; do
    for mode in $order; do flood "$mode"; done
  done
  for mode in off on; do
    grep "capture $mode:" "$run/rates" | sed 's/.* \([0-9.]*\) MB\/s.*/\1/' | sort -n |
      awk -v m="$mode" '{ v[NR] = $1 } END { printf "capture %s: median %.1f MB/s\n", m, (v[2] + v[3]) / 2 }'
  done
  timing=$(ls "$run"/captures/*.timing)
  python3 - "$timing" "$mb" <<'PY'
import os, sys
timing, mb = sys.argv[1], int(sys.argv[2])
received = sent = 0
for line in open(timing, encoding="latin-1"):
    kind, _, rest = line.rstrip("\n").split(" ", 2) + [""] * (3 - len(line.split(" ", 2)))
    if kind == "O": received += int(rest)
    if kind == "I": sent += int(rest)
data = timing[: -len(".timing")] + ".data"
with open(data, "rb") as f:
    header = f.readline()
    body = f.read()
print(f"capture: {received} bytes received, {sent} sent, data file {len(header) + len(body)} bytes")
ok = received == mb * 1000000 and len(body) == received + sent
print("capture holds exactly the bytes received:", "yes" if ok else "NO")
PY
fi

if [[ $what == csv ]]; then
  build/bin/capture_synth "$run/h24" 24
  echo "== 24 h capture: $(du -ch "$run/h24".* | tail -1 | cut -f1)"
  for program in ${BEFORE:+"$BEFORE"} build/bin/cartrace; do
    /usr/bin/time -f "$program --csv: %e s (%U s user), peak %M KB" "$program" "$run/h24.timing" --csv "$run/out.csv"
    echo "   $(stat -c %s "$run/out.csv") bytes, $(($(wc -l <"$run/out.csv") - 1)) rows"
  done
fi

if [[ $what == all || $what == cartrace ]]; then
  for hours in 1 24; do
    build/bin/capture_synth "$run/h$hours" "$hours"
    echo "== $hours h capture: $(du -ch "$run/h$hours".* | tail -1 | cut -f1)"
    /usr/bin/time -f "open + CSV: %e s, peak %M KB" build/bin/cartrace "$run/h$hours.timing" --csv "$run/h$hours.csv"
    echo "   $(($(wc -l <"$run/h$hours.csv") - 1)) rows"
    /usr/bin/time -f "open + SVG render: %e s, peak %M KB" build/bin/cartrace "$run/h$hours.timing" --render "$run/h$hours.svg"
    /usr/bin/time -f "open + PNG render: %e s, peak %M KB" build/bin/cartrace "$run/h$hours.timing" --render "$run/h$hours.png"
  done
  CAPTURE="$run/h1.timing" build/bin/cartrace_bench
fi

if [[ $what == all || $what == seek ]]; then
  [[ -f "$run/h24.timing" ]] || build/bin/capture_synth "$run/h24" 24
  build/bin/replay_seek_bench "$run/h24.timing"
fi
