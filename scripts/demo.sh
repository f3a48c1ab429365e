#!/usr/bin/env bash
# Installs what is missing, builds, and starts Kordel with the simulated converters.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
if [ ! -x build/app/kordel ]; then
    echo "Built. The main window is not part of this build yet, so there is nothing to start."
    exit 0
fi
exec build/app/kordel --demo "$@"
