#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for SECONDS each, as many at once as there are cores,
# each seeded like scripts/fuzz.sh does (fuzz/NAME.seeds) and given the libFuzzer flags listed
# in fuzz/NAME.options (one per line, such as -max_len=1024), and ends with one line per target:
# its runs, runs per second and findings. Findings (crash-, leak-, timeout-, oom- inputs) land
# in BUILD/findings/; keep each as a regression input under tests/data/ with a test that loads
# it. Exit status 1 when any target found something.
#   scripts/fuzz_long.sh [BUILD] [SECONDS] [JOBS]
set -euo pipefail
build=${1:-build/fuzz}
seconds=${2:-600}
jobs=${3:-$(nproc)}
root=$(cd "$(dirname "$0")/.." && pwd)
out="$build/findings"
mkdir -p "$out"

targets=()
for t in "$build"/fuzz/*; do
  [[ -x "$t" && -f "$t" ]] && targets+=("$(basename "$t")")
done
((${#targets[@]})) || { echo "fuzz-long: no fuzz targets built in $build/fuzz" >&2; exit 2; }

# One target: its own corpus folder, its seeds, its log.
run_one() {
  local name=$1 work="$build/corpus/$1" seeds=() flags=() dir
  mkdir -p "$work"
  if [[ -f "$root/fuzz/$name.options" ]]; then
    while read -r dir; do
      [[ -z "$dir" || "$dir" == \#* ]] || flags+=("$dir")
    done <"$root/fuzz/$name.options"
  fi
  if [[ -f "$root/fuzz/$name.seeds" ]]; then
    while read -r dir; do
      [[ -z "$dir" || "$dir" == \#* ]] && continue
      [[ -d "$root/$dir" ]] && seeds+=("$root/$dir")
    done <"$root/fuzz/$name.seeds"
  fi
  # A finding ends the target's run; its input is kept as an artifact. The times (wall, user,
  # system) let a busy machine be told from a slow target.
  local TIMEFORMAT='%R %U %S'
  { time "$build/fuzz/$name" -max_total_time="$seconds" -print_final_stats=1 "${flags[@]}" \
      -artifact_prefix="$out/$name-" "$work" "${seeds[@]}" >"$out/$name.log" 2>&1; } \
    2>"$out/$name.time" || true
}
export -f run_one
export build seconds root out

echo "fuzz-long: ${#targets[@]} targets, ${seconds}s each, $jobs at a time"
touch "$out/.started"
printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'run_one {}'

# runs/s counts wall time; runs/cpu-s counts the target's own processor time, which is what
# it gets on an idle core.
status=0
slow=0
printf '%-18s %12s %10s %12s %9s\n' target runs runs/s runs/cpu-s findings
for name in "${targets[@]}"; do
  log="$out/$name.log"
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  runs=${runs:-0}
  read -r wall user sys <"$out/$name.time" || { wall=$seconds user=$seconds sys=0; }
  # Slow units are reported by libFuzzer too, but they are not failures.
  findings=$(find "$out" -maxdepth 1 -newer "$out/.started" \( -name "$name-crash-*" \
    -o -name "$name-leak-*" -o -name "$name-timeout-*" -o -name "$name-oom-*" \) | wc -l)
  rates=$(awk -v r="$runs" -v w="$wall" -v c="$(awk -v u="$user" -v s="$sys" 'BEGIN{print u+s}')" \
    'BEGIN{printf "%d %d", r / (w > 0 ? w : 1), r / (c > 0 ? c : 1)}')
  read -r rate cpurate <<<"$rates"
  printf '%-18s %12d %10d %12d %9d\n' "$name" "$runs" "$rate" "$cpurate" "$findings"
  ((findings == 0)) || { status=1; echo "  see $log"; }
  ((cpurate >= 2000)) || slow=1
done
((slow == 0)) || echo "fuzz-long: a target ran fewer than 2,000 inputs per second of its own time"
exit $status
