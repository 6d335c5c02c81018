#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer and runs each for a while,
# one target at a time (one fuzzing process, so one core stays free).
#
# Usage: scripts/fuzz.sh [--keep] [SECONDS] [TARGET...]
#   SECONDS  per target, default 20
#   TARGET   only these targets (hart_reply or hart_reply_fuzz); default all
#   --keep   (or OSTREL_FUZZ_KEEP=1) merge the inputs that reached new code
#            into tests/fuzz/corpus/<target>/ at the end, so a long run's
#            findings stay with the sources. Without it the tree is not
#            touched: the run's own corpus lives in build/fuzz/corpus/.
#
# Crashes, leaks and time-outs land in build/fuzz/artifacts/ with the log of
# their target in build/fuzz/<target>.log.
set -euo pipefail
cd "$(dirname "$0")/.."

keep="${OSTREL_FUZZ_KEEP:-0}"
seconds=20
targets=()
for arg in "$@"; do
  case "$arg" in
    --keep) keep=1 ;;
    -h|--help) sed -n '2,/^[^#]/{/^#/s/^# \{0,1\}//p}' "$0"; exit 0 ;;
    ''|*[!0-9]*) targets+=("${arg%_fuzz}") ;;
    *) seconds="$arg" ;;
  esac
done
# The largest input a kept corpus file may hold: the radar's whole receive
# buffer; larger files only make the replay in every test run slower.
keep_max_len=4096

scripts/setup.sh
cmake --preset fuzz
cmake --build --preset fuzz

wanted() {
  [ ${#targets[@]} -eq 0 ] && return 0
  local t
  for t in "${targets[@]}"; do [ "$t" = "$1" ] && return 0; done
  return 1
}

# "#123 DONE cov: 1 ft: 2 corp: 3/4b ..." -> the figures of the final line.
summary() {
  local log=$1 runs cov ft corp
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  corp=$(grep -o 'corp: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  echo "runs ${runs:-?} cov ${cov:-?} ft ${ft:-?} corpus ${corp:-?}"
}

status=0
mkdir -p build/fuzz/artifacts
for target in build/fuzz/tests/fuzz/*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  short="${name%_fuzz}"
  wanted "$short" || continue
  seeds="tests/fuzz/corpus/$short"
  work="build/fuzz/corpus/$short"
  log="build/fuzz/$name.log"
  mkdir -p "$work"
  dirs=("$work")
  [ -d "$seeds" ] && dirs+=("$seeds")
  echo "fuzz: $name for ${seconds}s"
  # New inputs go to the first folder only: the seeds stay as they are.
  if ! "$target" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
      -artifact_prefix="build/fuzz/artifacts/$short-" -print_final_stats=1 \
      "${dirs[@]}" >"$log" 2>&1; then
    echo "fuzz: $name FAILED, see $log" >&2
    tail -40 "$log" >&2
    status=1
    continue
  fi
  echo "fuzz: $name $(summary "$log")"
  if [ "$keep" = 1 ]; then
    mkdir -p "$seeds"
    before=$(find "$seeds" -type f | wc -l)
    # Only inputs that reach new edges (not merely new hit counts) are kept.
    if ! "$target" -merge=1 -use_counters=0 -max_len="$keep_max_len" -timeout=10 "$seeds" "$work" \
        >"build/fuzz/$name.merge.log" 2>&1; then
      echo "fuzz: $name merge FAILED, see build/fuzz/$name.merge.log" >&2
      status=1
      continue
    fi
    after=$(find "$seeds" -type f | wc -l)
    echo "fuzz: $name kept $((after - before)) new inputs in $seeds"
  fi
done
exit $status
