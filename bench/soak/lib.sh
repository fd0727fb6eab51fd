# Shared by the soak scripts: a temporary folder with copies of the programs (so rebuilding during
# a soak is safe), a private virtual display, carsim, window lookup and process samples. Sourced
# after `bin` is set; the processes in `pids` end with the script.
run=$(mktemp -d /tmp/hoistwise-soak.XXXXXX)
pids=()
cleanup() {
  set +e
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null
    wait "${pids[i]}" 2>/dev/null
  done
  rm -rf "$run"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP
mkdir "$run/bin"
cp "$bin/carsim" "$bin/carscope" "$run/bin/"

# A display of our own, so nothing else on the machine clicks into the soak. Sets DISPLAY.
start_display() {
  exec 3>"$run/display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$run/xvfb.log" 2>&1 &
  pids+=($!)
  exec 3>&-
  for _ in $(seq 100); do [[ -s $run/display ]] && break; sleep 0.1; done
  [[ -s $run/display ]] || { echo "Xvfb did not start" >&2; cat "$run/xvfb.log" >&2; exit 1; }
  export DISPLAY=:$(head -1 "$run/display")
}

wait_for_window() { # title regex -> window id
  local id
  for _ in $(seq 150); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    [[ -n $id ]] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "window '$1' did not appear" >&2; return 1
}

rss_kb() { awk '/^VmRSS/ { print $2 }' "/proc/$1/status"; }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# carsim on a pseudo-terminal linked at $run/com1; its process in `sim`.
start_carsim() {
  "$run/bin/carsim" --link "$run/com1" --seed 1 >"$run/carsim.log" 2>&1 &
  sim=$!
  pids+=($sim)
  for _ in $(seq 50); do [[ -e $run/com1 ]] && break; sleep 0.1; done
  [[ -e $run/com1 ]] || { echo "carsim did not start" >&2; cat "$run/carsim.log" >&2; exit 1; }
}
