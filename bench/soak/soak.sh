#!/usr/bin/env bash
# Long-running soak: the real carscope polls carsim ("pmi 1", every 250 ms) with a session log
# open, on a private virtual X display, COM1 mapped to carsim's pseudo-terminal. Every minute it
# samples carscope's resident memory (VmRSS) and CPU time; at the end it prints the memory growth
# from the first minute to the end (target: under 2 MB) and the CPU seconds per minute.
#
#   bench/soak/soak.sh [seconds]     (default 3600; needs Xvfb and xdotool)
#
# The programs run from copies in a temporary folder, so rebuilding during a soak is safe.
# BIN=<folder> takes carscope and carsim from elsewhere than build/bin.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:-3600}
[[ $seconds =~ ^[0-9]+$ && $seconds -ge 120 ]] || { echo "usage: $0 [seconds, at least 120]" >&2; exit 2; }
bin=${BIN:-$root/build/bin}
for p in carsim carscope; do
  [[ -x $bin/$p ]] || { echo "build $p first: cmake --build build -j2 --target carscope carsim" >&2; exit 1; }
done

source "$root/bench/soak/lib.sh"
start_display
start_carsim

HOISTWISE_COM1="$run/com1" "$run/bin/carscope" >"$run/carscope.log" 2>&1 &
app=$!
pids+=($app)

car=$(wait_for_window '^Hoistwise Car$')   # after the splash (10 s at most)
sleep 0.5

# File > Open Log..., typed into the file dialog as an operator would.
log=$run/soak.log
xdotool windowfocus --sync "$car"
xdotool key --clearmodifiers alt+f
sleep 0.3
xdotool key o
dialog=$(wait_for_window '^Open Communications Log File$')
xdotool windowfocus --sync "$dialog"
sleep 0.3
xdotool type --delay 5 "$log"
xdotool key Return
for _ in $(seq 50); do [[ $(xdotool getwindowname "$car") == "MSComm Terminal - soak.log" ]] && break; sleep 0.1; done
[[ $(xdotool getwindowname "$car") == "MSComm Terminal - soak.log" ]] || { echo "the log did not open" >&2; exit 1; }

# "pmi 1" stands at the left of the row under the pane (client area under the menu bar).
menubar=$(( $(xdotool getwindowgeometry --shell "$car" | sed -n 's/^HEIGHT=//p') - 496 ))
xdotool mousemove --window "$car" 40 $((342 + menubar)) click 1
sleep 1
before=$(stat -c %s "$log")
sleep 2
(( $(stat -c %s "$log") > before )) || { echo "polling did not start: the log stopped growing" >&2; exit 1; }

hz=$(getconf CLK_TCK)
alive() { kill -0 "$app" 2>/dev/null && kill -0 "$sim" 2>/dev/null; }

echo "soak: carscope (pid $app) polling carsim for $seconds s with the log open; one sample a minute"
printf '%6s %10s %12s %12s\n' minute "RSS kB" "CPU s/min" "log kB"
start=$(date +%s)
t_prev=$(cpu_ticks "$app"); first_rss=; last_rss=; t_first=; minute=0
while (( $(date +%s) - start < seconds )); do
  sleep $(( 60 - ( $(date +%s) - start ) % 60 ))
  alive || { echo "FAILED: carscope or carsim ended during the soak (minute $minute)" >&2; exit 1; }
  minute=$((minute + 1))
  t=$(cpu_ticks "$app"); last_rss=$(rss_kb "$app")
  printf '%6d %10d %12.2f %12d\n' "$minute" "$last_rss" "$(awk -v t=$((t - t_prev)) -v hz="$hz" 'BEGIN { print t / hz }')" \
    $(( $(stat -c %s "$log") / 1024 ))
  t_prev=$t
  if [[ -z $first_rss ]]; then first_rss=$last_rss; t_first=$t; fi
done

growth=$((last_rss - first_rss))
awk -v a="$first_rss" -v b="$last_rss" 'BEGIN {
  printf "memory: %d kB after the first minute, %d kB at the end: growth %d kB (%.2f MB; target under 2 MB)\n", a, b, b - a, (b - a) / 1024 }'
if (( minute > 1 )); then
  awk -v t=$((t_prev - t_first)) -v hz="$hz" -v m=$((minute - 1)) -v last=$minute 'BEGIN {
    printf "CPU: %.2f s per minute over minutes 2 to %d (%.2f%% of one core)\n", t / hz / m, last, 100 * t / hz / m / 60 }'
fi
echo "log: $(( $(stat -c %s "$log") / 1024 )) kB received and logged"
(( growth < 2048 )) || { echo "FAILED: memory grew by 2 MB or more" >&2; exit 1; }
