#!/usr/bin/env bash
# Makes docs/screenshot.png again: the main window after a demo run, grabbed from
# the real program on the offscreen platform. Run it when the window changes, and commit the file.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
[ -f build/build.ninja ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target kordel_make_screenshot
QT_QPA_PLATFORM=offscreen build/packaging/kordel_make_screenshot docs/screenshot.png
echo "Wrote docs/screenshot.png"
