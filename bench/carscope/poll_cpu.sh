#!/usr/bin/env bash
# carscope's CPU while it polls carsim every 250 ms: starts carsim on a pseudo-terminal, the
# real carscope on a virtual X display with COM1 mapped to it, presses "pmi 1", then reads the
# carscope process's CPU time (utime + stime from /proc/<pid>/stat) over the measuring window.
#
#   bench/carscope/poll_cpu.sh [seconds]          (default 60; needs xvfb-run and xdotool)
#   SHOT=/tmp/after.png bench/carscope/poll_cpu.sh   also saves a screenshot at the end
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-60}

if [ -z "${POLL_CPU_ON_DISPLAY:-}" ]; then
  export POLL_CPU_ON_DISPLAY=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

bin=build/bin
for p in carsim carscope; do
  [ -x "$bin/$p" ] || { echo "build $p first: ninja -C build -j2 carsim carscope" >&2; exit 1; }
done
run=$(mktemp -d /tmp/carscope-cpu.XXXXXX)
sim=; app=
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null && wait "$app" 2>/dev/null
  [ -n "$sim" ] && kill "$sim" 2>/dev/null && wait "$sim" 2>/dev/null
  rm -rf "$run"
}
trap cleanup EXIT

"$bin/carsim" --link "$run/com1" --seed 1 >"$run/carsim.log" 2>&1 &
sim=$!
for _ in $(seq 50); do [ -e "$run/com1" ] && break; sleep 0.1; done
[ -e "$run/com1" ] || { echo "carsim did not start" >&2; cat "$run/carsim.log" >&2; exit 1; }

HOISTWISE_COM1="$run/com1" timeout $((seconds + 60)) "$bin/carscope" >"$run/carscope.log" 2>&1 &
app=$!
# The measured process is carscope itself, the child of timeout.
pid=
for _ in $(seq 50); do
  pid=$(pgrep -P "$app" -x carscope || true)
  [ -n "$pid" ] && break
  sleep 0.1
done
[ -n "$pid" ] || { echo "carscope did not start" >&2; cat "$run/carscope.log" >&2; exit 1; }

# The car window comes up when the splash goes (10 s at most).
wid=
for _ in $(seq 150); do
  wid=$(xdotool search --onlyvisible --name '^Hoistwise Car$' 2>/dev/null | head -1 || true)
  [ -n "$wid" ] && break
  sleep 0.1
done
[ -n "$wid" ] || { echo "the car window did not appear" >&2; exit 1; }
sleep 0.5

# "pmi 1" stands at the left of the row under the pane (client area under the menu bar).
menubar=$(( $(xdotool getwindowgeometry --shell "$wid" | sed -n 's/^HEIGHT=//p') - 496 ))
xdotool mousemove --window "$wid" 40 $((342 + menubar)) click 1
sleep 1

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
reads() { awk '/^syscr/ { print $2 }' "/proc/$1/io"; }
hz=$(getconf CLK_TCK)
t0=$(ticks "$pid"); r0=$(reads "$sim"); s0=$(date +%s.%N)
sleep "$seconds"
t1=$(ticks "$pid"); r1=$(reads "$sim"); s1=$(date +%s.%N)
[ -n "${SHOT:-}" ] && import -window root "$SHOT"

awk -v t=$((t1 - t0)) -v hz="$hz" -v s0="$s0" -v s1="$s1" -v r=$((r1 - r0)) 'BEGIN {
  wall = s1 - s0
  printf "carscope CPU while polling carsim: %.2f s of CPU in %.1f s = %.2f%% of one core\n", t / hz, wall, 100 * t / hz / wall
  printf "carsim read calls: %.1f per second (polling every 250 ms gives at least 4)\n", r / wall
}'
if [ $((r1 - r0)) -lt $((seconds * 3)) ]; then
  echo "warning: carsim hardly read anything; \"pmi 1\" may not have been pressed" >&2
  exit 1
fi
