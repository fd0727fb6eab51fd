# Shared by the soak scripts: a private virtual display, window lookup and process samples.
# Sourced after `run` (a temporary folder) is set.

# A display of our own, so nothing else on the machine clicks into the soak. Sets xvfb and DISPLAY.
start_display() {
  exec 3>"$run/display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$run/xvfb.log" 2>&1 &
  xvfb=$!
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
