#!/usr/bin/env bash
# Writes the example projects and draws the hall's colour map into docs/demo-hall.png, the picture
# the README shows. Run it again after a change to the map's drawing.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ ! -f build/build.ninja ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDAXARA_WERROR=ON
fi
cmake --build build --target daxara-cli
out=build/demo
./build/src/cli/daxara-cli demo --force "$out"
./build/src/cli/daxara-cli render "$out/hall.tdax" --png docs/demo-hall.png --size 1200x720 --force \
  --view diagonal
echo "wrote docs/demo-hall.png"
