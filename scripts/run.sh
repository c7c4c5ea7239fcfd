#!/usr/bin/env bash
# Builds everything and starts the program. Until the desktop program exists this runs the
# command-line tool: it writes the example projects and shows what they hold.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/build.sh
out=build/demo
./build/src/cli/daxara-cli demo "$out"
./build/src/cli/daxara-cli info "$out/meeting-room.tdax"
echo
echo "Try: build/src/cli/daxara-cli --help"
