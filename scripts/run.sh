#!/usr/bin/env bash
# Builds everything and starts the program. Until the desktop program exists this writes the
# example speaker data with our generator.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/build.sh
out=build/examples/speakers
./build/tools/vsagen/daxara-vsagen --examples "$out"
echo "Example speaker data written to $out:"
ls -l "$out"
