#!/usr/bin/env bash
# Sets up, builds and starts ostrel. Arguments are passed to the tool.
# Without a display the tool runs offscreen, saves screenshots of its windows
# into build/screenshots and says where they are.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset dev
cmake --build --preset dev

tool=build/dev/src/gui/ostrel
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$tool" "$@"
fi
mkdir -p build/screenshots
QT_QPA_PLATFORM=offscreen exec "$tool" --screenshots build/screenshots "$@"
