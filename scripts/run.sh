#!/usr/bin/env bash
# Builds everything and starts the desktop program (arguments are passed on: project files to
# open). On a machine without a display it says so and runs the command-line demo instead: it
# writes the example projects and shows what they hold.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/build.sh
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec ./build/src/gui/daxara "$@"
fi
echo "No display (DISPLAY and WAYLAND_DISPLAY are empty): running the command-line demo instead."
out=build/demo
./build/src/cli/daxara-cli demo --force "$out"
./build/src/cli/daxara-cli info "$out/meeting-room.tdax"
echo
echo "Try: build/src/cli/daxara-cli --help"
