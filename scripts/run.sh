#!/usr/bin/env bash
# Sets up, builds and starts ostrel on its built-in simulated unit
# (ultrasonic unless OSTREL_SIMULATE names another kind: guided-wave, u-type,
# pulse-radar). Arguments are passed to the tool; with --port PATH it looks
# for a unit on that serial device instead of simulating one.
# Without a display the tool runs offscreen through the whole connect
# sequence, saves screenshots of the startup window and the main form into
# build/screenshots and prints what it identified and where the pictures are.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset dev
# Only what this starts: the tool, the command-line tool and the simulator
# (scripts/test.sh builds the rest).
cmake --build --preset dev --target ostrel ostrelctl ostrel-unitsim

tool=build/dev/src/gui/ostrel
unit=(--simulate "${OSTREL_SIMULATE:-ultrasonic}")
for arg in "$@"; do
  case "$arg" in --port | --port=* | --simulate | --simulate=* | --sample) unit=() ;; esac
done
set -- "${unit[@]}" "$@"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$tool" "$@"
fi
mkdir -p build/screenshots
QT_QPA_PLATFORM=offscreen exec "$tool" --screenshots build/screenshots "$@"
