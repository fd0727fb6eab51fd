#!/usr/bin/env bash
# Runs every benchmark of the kit: the Google Benchmark programs, then the scripts that measure
# real runs (each script in bench/ prints its own figures).
set -uo pipefail
cd "$(dirname "$0")/.."
for b in build/bin/*_bench; do
  [ -x "$b" ] || continue
  echo "== $b"
  "$b" 2>/dev/null
done
for s in bench/*/*.sh; do
  [ -x "$s" ] || continue
  echo "== $s"
  "$s"
done
