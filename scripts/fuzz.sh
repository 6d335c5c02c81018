#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer and runs each for a while.
# Usage: scripts/fuzz.sh [seconds per target, default 20]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-20}"

scripts/setup.sh
cmake --preset fuzz
cmake --build --preset fuzz

status=0
for target in build/fuzz/tests/fuzz/*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus_seed="tests/fuzz/corpus/${name%_fuzz}"
  work="build/fuzz/corpus/${name%_fuzz}"
  mkdir -p "$work"
  echo "fuzz: $name for ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
      -print_final_stats=1 "$work" "$corpus_seed" >"build/fuzz/$name.log" 2>&1; then
    echo "fuzz: $name FAILED, see build/fuzz/$name.log" >&2
    tail -40 "build/fuzz/$name.log" >&2
    status=1
  fi
done
exit $status
