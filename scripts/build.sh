#!/usr/bin/env bash
# Configures and builds Kordel in build/: every target, tests and benchmarks included, or only
# the targets named, e.g. `build.sh kordel`.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=()
for target in "$@"; do
    targets+=(--target "$target")
done
cmake --build build -j "$(nproc)" "${targets[@]}"
