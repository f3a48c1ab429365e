#!/usr/bin/env bash
# Installs what building and starting Kordel needs, builds the program alone, and starts it with
# the simulated converters; arguments go to Kordel.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --build
bash scripts/build.sh kordel
exec build/app/kordel --demo "$@"
