#!/usr/bin/env bash
# Sets up, builds and runs every test. Usage: scripts/test.sh [dev|asan|tsan|release]
# (tsan builds and runs only the link, pulse radar and startup tests and the
# pages whose device work runs on a worker: Write to Unit, the radar read,
# the echo record and radar curve reads; the live page's stream worker; and
# the update page's programming worker.)
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-dev}"
case "$preset" in
  dev|asan|tsan|release) ;;
  *) echo "usage: scripts/test.sh [dev|asan|tsan|release]" >&2; exit 2 ;;
esac

scripts/setup.sh
cmake --preset "$preset"
cmake --build --preset "$preset"
ctest --preset "$preset"
