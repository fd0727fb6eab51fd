#!/usr/bin/env bash
# Restart soak of a network port: the real carscope holds COM1 as rfc2217:// to the real ser2net,
# which serves carsim's pseudo-terminal; ser2net is stopped and started again 10 s after it last
# came up, so each cycle ends one connection (sometimes mid-negotiation) and carscope's back-off
# makes the next.
# Every minute it samples carscope's resident memory, open file descriptors and threads; at the
# end it prints the memory growth from the first minute to the end (target: under 1 MB) and how
# many times carscope was connected again.
#
#   bench/soak/ser2net_restarts.sh [seconds]     (default 3600; needs Xvfb, xdotool and ser2net)
#
# BIN=<folder> takes carscope and carsim from elsewhere than build/bin.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:-3600}
[[ $seconds =~ ^[0-9]+$ && $seconds -ge 120 ]] || { echo "usage: $0 [seconds, at least 120]" >&2; exit 2; }
bin=${BIN:-$root/build/bin}
for p in carsim carscope; do
  [[ -x $bin/$p ]] || { echo "build $p first: cmake --build build -j2 --target carscope carsim" >&2; exit 1; }
done
command -v ser2net >/dev/null || { echo "ser2net is not installed (apt-get install ser2net)" >&2; exit 1; }

source "$root/bench/soak/lib.sh"
start_display
start_carsim

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat >"$run/ser2net.yaml" <<YAML
connection: &car
  accepter: telnet(rfc2217),tcp,127.0.0.1,$port
  connector: serialdev,$run/com1,1200n81,local
YAML
listening() { ss -Hltn "sport = :$port" | grep -q .; }
start_server() {
  ser2net -n -u -c "$run/ser2net.yaml" -P "$run/ser2net.pid" >>"$run/ser2net.log" 2>&1 &
  server=$!
  for _ in $(seq 100); do listening && return 0; sleep 0.05; done
  echo "ser2net did not start listening on $port" >&2; cat "$run/ser2net.log" >&2; exit 1
}
connected() { ss -Htn state established "dport = :$port" | grep -q .; }

trap 'kill "$server" 2>/dev/null; cleanup' EXIT   # the server of the moment
start_server
HOISTWISE_COM1="rfc2217://127.0.0.1:$port" "$run/bin/carscope" >"$run/carscope.log" 2>&1 &
app=$!
pids+=($app)
wait_for_window '^Hoistwise Car$' >/dev/null   # after the splash (10 s at most)
for _ in $(seq 100); do connected && break; sleep 0.1; done
connected || { echo "carscope did not connect to ser2net" >&2; cat "$run/carscope.log" >&2; exit 1; }

echo "restart soak: carscope (pid $app) on rfc2217://127.0.0.1:$port, ser2net restarted every 10 s, for $seconds s"
printf '%6s %10s %6s %8s %7s %12s\n' minute "RSS kB" fds threads restarts reconnected
start=$(date +%s); first_rss=; last_rss=; minute=0; cycles=0; reconnects=0
while (( $(date +%s) - start < seconds )); do
  sleep 10
  kill -0 "$app" 2>/dev/null || { echo "FAILED: carscope ended during the soak (minute $minute)" >&2; exit 1; }
  connected && reconnects=$((reconnects + 1))
  kill "$server"; wait "$server" 2>/dev/null || true
  start_server
  cycles=$((cycles + 1))
  # One sample a minute of the soak's own time, however long ser2net takes to stop and start.
  if (( ($(date +%s) - start) / 60 > minute )); then
    minute=$(( ($(date +%s) - start) / 60 )); last_rss=$(rss_kb "$app")
    printf '%6d %10d %6d %8d %7d %12d\n' "$minute" "$last_rss" "$(ls "/proc/$app/fd" | wc -l)" \
      "$(ls "/proc/$app/task" | wc -l)" "$cycles" "$reconnects"
    [[ -n $first_rss ]] || first_rss=$last_rss
  fi
done

growth=$((last_rss - first_rss))
awk -v a="$first_rss" -v b="$last_rss" 'BEGIN {
  printf "memory: %d kB after the first minute, %d kB at the end: growth %d kB (%.2f MB; target under 1 MB)\n", a, b, b - a, (b - a) / 1024 }'
echo "ser2net restarted $cycles times; carscope was connected before $reconnects of them"
(( reconnects * 10 >= cycles * 9 )) || { echo "FAILED: carscope stayed away in more than a tenth of the cycles" >&2; exit 1; }
(( growth < 1024 )) || { echo "FAILED: memory grew by 1 MB or more" >&2; exit 1; }
