#!/usr/bin/env bash
# Installs what is missing, builds, and runs every benchmark; the last table sums them up.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
build/bench/kordel_bench "$@"
