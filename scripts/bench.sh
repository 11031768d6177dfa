#!/usr/bin/env bash
# Runs every benchmark program of a build directory, one after the other (each measures us
# beside a peer in the same run).
set -euo pipefail
build=${1:-build/release}
found=0
for b in "$build"/bench/*; do
  [[ -x "$b" && -f "$b" ]] || continue
  found=1
  echo "== $(basename "$b")"
  "$b" --benchmark_counters_tabular=true
done
((found)) || echo "no benchmarks built in $build/bench"
