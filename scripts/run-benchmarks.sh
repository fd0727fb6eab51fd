#!/usr/bin/env bash
# Runs every benchmark of the kit: the Google Benchmark programs, then the scripts that measure
# real runs of the programs (each prints its own figures). bench/README.md lists them.
set -uo pipefail
cd "$(dirname "$0")/.."
for b in ingest_bench carscope_parser_bench serial_bench network_bench carsim_bench; do
  echo "== build/bin/$b"
  "build/bin/$b" 2>/dev/null
done
run() { echo "== $*"; "$@"; }
run bench/terminal/flood.sh 20
run bench/logset/run.sh ingest 20
run bench/logset/run.sh transmit 8
run bench/logset/run.sh slowline 20
run bench/carscope/poll_cpu.sh 60
