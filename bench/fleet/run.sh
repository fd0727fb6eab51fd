#!/usr/bin/env bash
# A fleet through one carwatch: CARS carsim cars with traffic on pseudo-terminals (default 100),
# read every POLL seconds (default 1) and published to a real mosquitto on loopback, with
# mosquitto_sub reading the fault messages. Measures carwatch's CPU as a share of one core and
# its peak RSS over SECONDS (default 120), the latency from carwatch reading a fault to the
# subscriber receiving it (p50/p99), then stops the broker for 20 s under the same load and
# counts the fault messages read meanwhile and delivered after.
#
#   bench/fleet/run.sh [CARS] [SECONDS] [POLL]
#
# Needs a build: cmake --preset default && cmake --build build --target carwatch carsim;
# and mosquitto, mosquitto-clients.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
bin=${BIN:-$root/build/bin}
cars=${1:-100} seconds=${2:-120} poll=${3:-1}

work=$(mktemp -d /tmp/fleet-bench-XXXXXX)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  [[ -n "${broker:-}" ]] && kill "$broker" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
printf 'user %s\nlistener %s 127.0.0.1\nallow_anonymous true\npersistence true\npersistence_location %s/\nmax_queued_messages 100000\n' \
  "$(id -un)" "$port" "$work" > "$work/mosquitto.conf"
start_broker() {
  /usr/sbin/mosquitto -c "$work/mosquitto.conf" 2>>"$work/mosquitto.log" & broker=$!
  for _ in $(seq 50); do nc -z 127.0.0.1 "$port" 2>/dev/null && return; sleep 0.1; done
  echo "mosquitto did not start" >&2; exit 1
}
start_broker

args=(--broker "mqtt://127.0.0.1:$port" --site bench --poll "$poll" --config "$work/empty.conf")
: > "$work/empty.conf"
for n in $(seq "$cars"); do
  "$bin/carsim" --link "$work/car$n" --traffic 6 --fault-chance 0.5 --seed "$n" >/dev/null 2>&1 & pids+=($!)
  args+=(--car "car$n=$work/car$n")
done
for n in $(seq "$cars"); do
  for _ in $(seq 50); do [[ -e "$work/car$n" ]] && break; sleep 0.1; done
done

mosquitto_sub -h 127.0.0.1 -p "$port" -q 1 -c -i fleet-bench -t 'hoistwise/+/+/fault' -F '%U %t %p' > "$work/faults.txt" & pids+=($!)
STATE_DIRECTORY="$work/state" "$bin/carwatch" "${args[@]}" 2> "$work/carwatch.log" & watch=$!
pids+=($watch)
sleep 10   # every car open and read once

ticks=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$watch/stat"; }
c0=$(cpu); t0=$(date +%s.%N)
sleep "$seconds"
c1=$(cpu); t1=$(date +%s.%N)
hwm=$(awk '/VmHWM/ {print $2}' "/proc/$watch/status")

python3 - "$work/faults.txt" "$c0" "$c1" "$t0" "$t1" "$ticks" "$hwm" "$cars" "$poll" <<'PY'
import json, sys, datetime
path, c0, c1, t0, t1, ticks, hwm, cars, poll = sys.argv[1:]
lat = []
for line in open(path):
    at, topic, payload = line.split(" ", 2)
    read = datetime.datetime.strptime(json.loads(payload)["time"], "%Y-%m-%dT%H:%M:%S.%fZ").replace(tzinfo=datetime.timezone.utc)
    lat.append((float(at) - read.timestamp()) * 1000)
lat.sort()
share = (int(c1) - int(c0)) / int(ticks) / (float(t1) - float(t0)) * 100
pick = lambda q: lat[min(len(lat) - 1, int(q * len(lat)))] if lat else float("nan")
print(f"cars {cars}, poll {poll} s: carwatch CPU {share:.1f} % of one core, peak RSS {int(hwm) / 1024:.1f} MB")
print(f"fault read -> subscriber: {len(lat)} faults, p50 {pick(0.5):.1f} ms, p99 {pick(0.99):.1f} ms "
      f"(the fault itself happened at most one poll period plus the car's request cycle before the read)")
PY

# The broker away for 20 s under the same load.
before=$(wc -l < "$work/faults.txt")
logged_before=$(grep -c ': fault ' "$work/carwatch.log" || true)
kill "$broker"; wait "$broker" 2>/dev/null || true
sleep 20
logged_away=$(( $(grep -c ': fault ' "$work/carwatch.log" || true) - logged_before ))
start_broker
sleep 15
logged=$(grep -c ': fault ' "$work/carwatch.log" || true)
delivered=$(wc -l < "$work/faults.txt")
echo "broker away 20 s: $logged_away fault messages queued meanwhile; $((delivered - before)) delivered after it came back; $logged read in all, $delivered delivered in all"
