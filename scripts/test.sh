#!/usr/bin/env bash
# Sets up, builds and runs every test. Usage: scripts/test.sh [dev|asan|release]
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-dev}"

scripts/setup.sh
cmake --preset "$preset"
cmake --build --preset "$preset"
ctest --preset "$preset"
