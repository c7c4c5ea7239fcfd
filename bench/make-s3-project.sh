#!/usr/bin/env bash
# Writes the S3 scene of bench/MapBench.cpp as a project file, for timing the command line end to
# end (farm-bench -- build/src/cli/daxara-cli map S3.tdax --csv out.csv): a 30 x 20 x 4 m room,
# 32 ceiling speakers of 24 points per octave (36 phi blocks, 37 theta values) aimed down in an
# 8 x 4 grid, a 60 000-point plane at 1.2 m in 0.1 m dots, 1/3 octave at 1 kHz, energy sum.
# Usage: bench/make-s3-project.sh OUT.tdax [BUILD_DIR]
set -euo pipefail
out=$1
build=${2:-build}
cli=$build/src/cli/daxara-cli
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$build/tools/vsagen/daxara-vsagen" --preset ceiling --ppo 24 --fmin 50 --fmax 20000 \
  --phi-blocks 36 --theta-count 37 -o "$tmp/ceiling24.vsa"
"$cli" new "$out" --room 30,20,4 --force >/dev/null
"$cli" import "$out" "$tmp/ceiling24.vsa" >/dev/null
for i in $(seq 0 31); do
  x=$(awk -v i="$i" 'BEGIN { printf "%.4f", 30 / 8 * (i % 8 + 0.5) }')
  y=$(awk -v i="$i" 'BEGIN { printf "%.4f", 20 / 4 * (int(i / 8) + 0.5) }')
  "$cli" install "$out" --at "$x,$y,4" --aim 0,90,0 --power 3 >/dev/null
done
"$cli" plane "$out" --origin 0,0,1.2 --extent 30,20,0 --pitch 0.1 --max 100 --step 2 >/dev/null
"$cli" map "$out" --band 1/3 --freq 1000 --mode energy --save >/dev/null
