#!/usr/bin/env bash
# Configures (once) and builds everything into build/; later runs rebuild incrementally.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
if [ ! -f build/build.ninja ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDAXARA_WERROR=ON
fi
cmake --build build
