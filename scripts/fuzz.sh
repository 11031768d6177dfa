#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a while, each seeded from its corpus folders.
# A target's seeds are listed in fuzz/NAME.seeds (one folder per line, relative to the
# repository; missing folders are skipped). Findings land in build/fuzz/findings/.
set -euo pipefail
build=${1:-build/fuzz}
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$build/findings"
status=0
for t in "$build"/fuzz/*; do
  [[ -x "$t" && -f "$t" ]] || continue
  name=$(basename "$t")
  work="$build/corpus/$name"
  mkdir -p "$work"
  seeds=()
  if [[ -f "$root/fuzz/$name.seeds" ]]; then
    while read -r dir; do
      [[ -z "$dir" || "$dir" == \#* ]] && continue
      [[ -d "$root/$dir" ]] && seeds+=("$root/$dir") || echo "fuzz: $name: seed folder $dir absent, skipped"
    done <"$root/fuzz/$name.seeds"
  fi
  echo "== $name for ${seconds}s"
  if ! "$t" -max_total_time="$seconds" -artifact_prefix="$build/findings/$name-" \
       -print_final_stats=1 "$work" "${seeds[@]}" >"$build/findings/$name.log" 2>&1; then
    echo "fuzz: $name found a failure, see $build/findings/$name.log"
    status=1
  fi
  tail -n 3 "$build/findings/$name.log"
done
exit $status
