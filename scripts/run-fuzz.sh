#!/usr/bin/env bash
# Runs every libFuzzer program of build-fuzz for a set time each, one after the other, on a
# working copy of its seed corpus, and prints the inputs each ran. A target that finds a broken
# rule or a sanitizer report stops with the input saved under build-fuzz/fuzz-artifacts/.
#
#   scripts/run-fuzz.sh [seconds per target] [target...]     (default 300, every target)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-300}
shift || true
build=$root/build-fuzz
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=($(cd "$root/fuzz/corpus" && ls))
fi
mkdir -p "$build/fuzz-artifacts" "$build/fuzz-logs"
summary=()
failed=0
for t in "${targets[@]}"; do
  program=$build/bin/fuzz_$t
  [ -x "$program" ] || { echo "no $program: build it with cmake --build --preset fuzz" >&2; exit 2; }
  work=$build/fuzz-corpus/$t
  mkdir -p "$work"
  cp -n "$root/fuzz/corpus/$t/"* "$work/" 2>/dev/null || true
  dict=()
  case $t in
    remote_commands) dict=(-dict="$root/fuzz/dict/remote_commands.dict") ;;
    scope_replies|talk_replies) dict=(-dict="$root/fuzz/dict/car_replies.dict") ;;
    at_commands) dict=(-dict="$root/fuzz/dict/at_commands.dict") ;;
  esac
  log=$build/fuzz-logs/$t.log
  echo "fuzzing $t for $seconds s (log: $log)"
  # The window targets start Qt, whose font configuration library keeps caches for the life of
  # the process; those leak reports are suppressed, every other one stops the run.
  QT_QPA_PLATFORM=offscreen LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0" "$program" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 \
    -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$t-" "${dict[@]}" "$work" >"$log" 2>&1
  rc=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  took=$(sed -n 's/.*Done \([0-9]*\) runs in \([0-9]*\) second.*/\2/p' "$log" | tail -1)
  if [ $rc -eq 0 ]; then result=clean; else result="FAILED (exit $rc, see $log)"; failed=1; fi
  summary+=("$(printf '%-18s %12s inputs %6s s  %s' "$t" "${execs:-?}" "${took:-?}" "$result")")
done
echo
echo "target                   inputs run   time  result"
printf '%s\n' "${summary[@]}"
exit $failed
