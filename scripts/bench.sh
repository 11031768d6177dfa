#!/usr/bin/env bash
# Runs every benchmark program of a build directory, one after the other (each measures us
# beside a peer in the same run and prints its ratios to the peer at the end). A second
# argument picks programs by name: scripts/bench.sh build/release render_bench.
set -euo pipefail
build=${1:-build/release}
only=${2:-}
found=0
for b in "$build"/bench/*; do
  [[ -x "$b" && -f "$b" ]] || continue
  [[ -z "$only" || "$(basename "$b")" == $only ]] || continue
  found=1
  echo "== $(basename "$b")"
  "$b" --benchmark_counters_tabular=true
done
((found)) || echo "no benchmarks built in $build/bench${only:+ matching $only}"
