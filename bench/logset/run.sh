#!/usr/bin/env bash
# Session-log and transmission benchmarks on the real carscope under Xvfb, its COM1 mapped to a
# pseudo-terminal. The menus and file dialogs are driven with xdotool, as an operator would.
#
#   bench/logset/run.sh ingest [MB]        bench/terminal's flood (flood_writer: 79-character
#                                          lines with CR LF at full speed) with a session log
#                                          open; the log is then checked byte for byte. The same
#                                          flood without a log: bench/terminal/flood.sh [MB].
#   bench/logset/run.sh transmit [MB]      transmission throughput to a fast far end
#   bench/logset/run.sh slowline [seconds] CPU while a transmission waits on a 1200-baud reader
#
# Needs a build: cmake --preset default &&
#   ninja -C build -j2 carscope flood_writer logset_far_end
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
bin=${BIN:-$root/build/bin}
mode=${1:-ingest}

if [[ -z "${DISPLAY:-}" ]]; then
  exec timeout 600 xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

work=$(mktemp -d /tmp/logset-bench-XXXXXX)
cleanup() {
  [[ -n "${app:-}" ]] && kill "$app" 2>/dev/null || true
  [[ -n "${far_pid:-}" ]] && { echo quit >&"${far[1]}" 2>/dev/null || true; kill "$far_pid" 2>/dev/null || true; }
  rm -rf "$work"
}
trap cleanup EXIT

ask() { echo "$*" >&"${far[1]}"; read -r -t 300 reply <&"${far[0]}"; echo "$reply"; }
if [[ $mode == ingest ]]; then
  mb=${2:-20}
  slave=$work/com1
  "$bin/flood_writer" --link "$slave" --pid-file "$work/pid" --mb "$mb" >"$work/writer.log" 2>&1 &
  writer=$!
  for _ in $(seq 50); do [[ -e $slave ]] && break; sleep 0.1; done
else
  coproc far { exec "$bin/logset_far_end"; }
  far_pid=$far_PID
  read -r -t 10 word slave <&"${far[0]}"
  [[ $word == slave ]] || { echo "far end did not start" >&2; exit 1; }
fi

HOISTWISE_COM1=$slave "$bin/carscope" >/dev/null 2>&1 &
app=$!

wait_for_window() { # name regex -> window id
  for _ in $(seq 1 150); do
    if id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) && [[ -n $id ]]; then
      echo "$id"; return 0
    fi
    sleep 0.1
  done
  echo "window '$1' did not appear" >&2; return 1
}

car=$(wait_for_window '^Hoistwise Car$')
sleep 0.5
[[ $mode == ingest ]] || ask discard >/dev/null   # the greeting

# Chooses File > item (access key) and types a path into the file dialog that opens.
choose_file() { # access-key dialog-title path
  xdotool windowfocus --sync "$car"
  xdotool key --clearmodifiers alt+f
  sleep 0.3
  xdotool key "$1"
  local dialog
  dialog=$(wait_for_window "^$2\$")
  xdotool windowfocus --sync "$dialog"
  sleep 0.3
  xdotool type --delay 5 "$3"
  xdotool key Return
}

cpu_ticks() { awk '{print $14 + $15}' "/proc/$app/stat"; }
hwm_kb() { awk '/VmHWM/ {print $2}' "/proc/$app/status"; }
hz=$(getconf CLK_TCK)

case "$mode" in
ingest)
  bytes=$((mb * 1000 * 1000))
  log=$work/flood.log
  choose_file o 'Open Communications Log File' "$log"
  for _ in $(seq 1 50); do [[ $(xdotool getwindowname "$car") == "MSComm Terminal - flood.log" ]] && break; sleep 0.1; done
  [[ $(xdotool getwindowname "$car") == "MSComm Terminal - flood.log" ]] || { echo "the log did not open" >&2; exit 1; }
  "$bin/logset_far_end" --flood-copy "$bytes" "$work/expected"
  echo "$app" >"$work/pid"   # the writer floods one second after it reads this
  sleep 0.9
  start=$(date +%s.%N)
  for _ in $(seq 1 12000); do (( $(stat -c %s "$log") >= bytes )) && break; sleep 0.01; done
  logged=$(date +%s.%N)
  wait "$writer" || true
  echo "ingest with a session log open, $mb MB (flood_writer's figures):"
  sed 's/^/  /' "$work/writer.log"
  total=$(echo "$logged - $start" | bc -l)
  echo "  last byte in the log about $(echo "$total" | cut -c1-5) s after the flood began (start known to +-0.1 s)"
  if cmp -s "$log" "$work/expected"; then echo "  log byte-exact: yes ($(stat -c %s "$log") bytes)"; else echo "  log byte-exact: NO"; cmp "$log" "$work/expected" | head -2; fi
  echo "  peak memory (VmHWM) at the end: $(hwm_kb) kB"
  ;;
transmit)
  mb=${2:-8}
  bytes=$((mb * 1000 * 1000))
  head -c "$bytes" /dev/urandom >"$work/send.txt"
  choose_file t 'Send Text File' "$work/send.txt"
  read -r _ got secs <<<"$(ask drain "$bytes" 0 "$work/received")"
  echo "transmit: $got bytes in ${secs} s (first to last byte) = $(echo "$got / $secs / 1000000" | bc -l | cut -c1-6) MB/s"
  if cmp -s "$work/received" "$work/send.txt"; then echo "  arrived byte for byte: yes"; else echo "  arrived byte for byte: NO"; fi
  echo "  peak memory (VmHWM) $(hwm_kb) kB"
  ;;
slowline)
  secs=${2:-20}
  head -c 100000 /dev/urandom >"$work/send.txt"
  choose_file t 'Send Text File' "$work/send.txt"
  wait_for_window '^MSComm Terminal$' >/dev/null
  sleep 2   # past the first chunks that fill the pseudo-terminal's own buffer
  before=$(cpu_ticks)
  read -r _ got took <<<"$(ask drain $((120 * secs)) 120 "$work/received")"
  after=$(cpu_ticks)
  cpu=$(echo "($after - $before) / $hz" | bc -l)
  echo "slow line: far end read $got bytes in ${took} s at 120 bytes/s"
  echo "  carscope CPU meanwhile: $(echo "$cpu" | cut -c1-6) s = $(echo "100 * $cpu / $took" | bc -l | cut -c1-5) % of one core"
  ;;
*)
  echo "usage: $0 ingest [MB] | transmit [MB] | slowline [seconds]" >&2; exit 2 ;;
esac
