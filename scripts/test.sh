#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; then builds the tests again with clang
# under AddressSanitizer and UndefinedBehaviorSanitizer in build-asan, runs each fuzz target for
# 30 seconds and the tests there. Any failure, sanitizer report or broken property fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j "$(nproc)"

# Root may write anywhere, so the permission tests skip under it; they run as nobody as well.
if [ "$(id -u)" -eq 0 ] && runuser -u nobody -- test -x build/tests/output/output_tests 2>/dev/null; then
    echo "== Permission tests as nobody"
    runuser -u nobody -- env -u TMPDIR build/tests/output/output_tests \
        --gtest_filter='ReadOnlyDirectory.*'
fi

echo "== What the dialogs ask an X window manager for"
xvfb-run -a env QT_QPA_PLATFORM=xcb build/tests/ui/ui_tests --gtest_filter='*DialogWindow*'

echo "== Sanitizer build (build-asan)"
CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKORDEL_SANITIZE=ON -DKORDEL_FUZZ=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON >/dev/null
cmake --build build-asan -j "$(nproc)"
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizers/lsan.supp"

echo "== Fuzzing, 30 s per target"
# The fuzzers add what they find to the corpus they are given, so they get a copy.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for target in parse_integer general_text fixed_text base_path; do
    cp -r "tests/fuzz/corpus/$target" "$scratch/$target"
    log="$scratch/$target.log"
    if ! "build-asan/tests/fuzz/fuzz_$target" -max_total_time=30 \
        -artifact_prefix="$PWD/build-asan/fuzz-$target-" "$scratch/$target" >"$log" 2>&1; then
        tail -n 60 "$log"
        echo "fuzz_$target failed; the input is kept in build-asan/ as fuzz-$target-*"
        exit 1
    fi
    echo "fuzz_$target: $(grep -o 'Done [0-9]* runs' "$log" | tail -n 1), no property broken"
done

echo "== Tests under the sanitizers"
ctest --test-dir build-asan --output-on-failure -j "$(nproc)"
