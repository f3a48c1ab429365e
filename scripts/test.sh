#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; then builds the tests again with clang
# under AddressSanitizer and UndefinedBehaviorSanitizer in build-asan, runs each fuzz target for
# 30 seconds and the tests there, and the window-run tests under ThreadSanitizer in build-tsan.
# Any failure, sanitizer report or broken property fails the run.
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

echo "== Install and package"
# What `cmake --install` puts in a prefix, checked with the freedesktop tools; then, as root, the
# Debian package: checked with lintian, installed with apt, run from the PATH, purged, and
# nothing may be left.
version=$(build/app/kordel --version)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
prefix="$stage/prefix"
cmake --install build --prefix "$prefix" >/dev/null
diff -u - <(cd "$prefix" && find . -type f -o -type l | sort) <<'END'
./bin/kordel
./lib/udev/rules.d/60-kordel-ftdi.rules
./share/applications/org.kordel.Kordel.desktop
./share/doc/kordel/changelog.gz
./share/doc/kordel/copyright
./share/icons/hicolor/128x128/apps/org.kordel.Kordel.png
./share/icons/hicolor/16x16/apps/org.kordel.Kordel.png
./share/icons/hicolor/256x256/apps/org.kordel.Kordel.png
./share/icons/hicolor/32x32/apps/org.kordel.Kordel.png
./share/icons/hicolor/48x48/apps/org.kordel.Kordel.png
./share/icons/hicolor/64x64/apps/org.kordel.Kordel.png
./share/icons/hicolor/scalable/apps/org.kordel.Kordel.svg
./share/man/man1/kordel.1.gz
./share/metainfo/org.kordel.Kordel.metainfo.xml
END
[ "$("$prefix/bin/kordel" --version)" = "$version" ]
desktop-file-validate "$prefix/share/applications/org.kordel.Kordel.desktop"
metainfo="$prefix/share/metainfo/org.kordel.Kordel.metainfo.xml"
appstreamcli validate --no-net "$metainfo"
grep -q "<release version=\"${version#kordel }\"" "$metainfo" ||
    { echo "The metainfo has no release entry for $version"; exit 1; }
zcat "$prefix/share/doc/kordel/changelog.gz" | sed -n 1p | grep -qF "kordel (${version#kordel })" ||
    { echo "The changelog's latest entry is not $version"; exit 1; }
manual="$prefix/share/man/man1/kordel.1.gz"
warnings=$(MANWIDTH=80 man --warnings -l "$manual" 2>&1 >/dev/null)
[ -z "$warnings" ] || { echo "$warnings"; echo "The manual page renders with warnings"; exit 1; }
described=$(zcat "$manual" | sed 's/\\-/-/g')
for option in $(build/app/kordel --help | grep -o -- '--[a-z0-9-]*' | sort -u); do
    grep -qF -- "$option" <<<"$described" ||
        { echo "The manual page does not describe $option, which --help lists"; exit 1; }
done
# The udev rule's syntax, where this udev has a verb for it; older ones read it below, once the
# package has installed it.
rule="$prefix/lib/udev/rules.d/60-kordel-ftdi.rules"
can_verify=false
if udevadm verify --help >/dev/null 2>&1; then
    can_verify=true
    udevadm verify "$rule"
fi
if [ "$(id -u)" -ne 0 ]; then
    echo "Not root: the Debian package step (cpack, apt-get install, purge) is skipped"
else
    rm -f build/kordel_*.deb
    (cd build && cpack -G DEB >"$stage/cpack.log" 2>&1) || { cat "$stage/cpack.log"; exit 1; }
    package=$(echo "$PWD"/build/kordel_*.deb)
    # Debian's own checks of a package; an error or a warning fails the run.
    lintian --fail-on error,warning "$package"
    if dpkg-query -W -f='${Status}' kordel 2>/dev/null | grep -q "ok installed"; then
        echo "Purging the kordel package left from an earlier run"
        apt-get purge -y -qq kordel >/dev/null
    fi
    # The paths the package adds to the system: these must all be gone after the purge.
    dpkg-deb -c "$package" | awk '{ sub(/^\./, "", $6); sub(/\/$/, "", $6); print $6 }' |
        while read -r path; do [ -e "$path" ] || echo "$path"; done >"$stage/new-paths"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$package" >"$stage/apt.log" 2>&1 ||
        { cat "$stage/apt.log"; exit 1; }
    [ "$(command -v kordel)" = /usr/bin/kordel ] && [ "$(kordel --version)" = "$version" ]
    if ! $can_verify && [ -e /sys/class/net/lo ]; then
        # udevadm test reads every rule file and names each line of one that it cannot parse.
        read=$(udevadm test /sys/class/net/lo 2>&1 | grep -F 60-kordel-ftdi.rules || true)
        if ! grep -q "^Reading rules file: .*/60-kordel-ftdi.rules$" <<<"$read" ||
            grep -q "60-kordel-ftdi.rules:[0-9]" <<<"$read"; then
            echo "$read"
            echo "udev does not read the installed FTDI rule cleanly"
            exit 1
        fi
    fi
    dpkg-deb -f "$package" Depends
    apt-get purge -y -qq kordel >"$stage/apt.log" 2>&1 || { cat "$stage/apt.log"; exit 1; }
    left=$(while read -r path; do [ ! -e "$path" ] || echo "$path"; done <"$stage/new-paths")
    [ -z "$left" ] || { echo "The package left behind:"; echo "$left"; exit 1; }
    echo "$(basename "$package"): lintian clean, installed, ran $version from the PATH," \
        "purged; nothing left"
fi
rm -rf "$stage"
trap - EXIT

echo "== What the dialogs ask an X window manager for"
xvfb-run -a env QT_QPA_PLATFORM=xcb build/tests/ui/ui_tests --gtest_filter='*DialogWindow*'

echo "== Sanitizer build (build-asan)"
CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKORDEL_SANITIZE=ON -DKORDEL_FUZZ=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON >/dev/null
cmake --build build-asan -j "$(nproc)"
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizers/lsan.supp"

echo "== Sanitizer build started and closed once under an X server"
# Only a real X server loads the desktop libraries whose memory at exit the leak check judges.
env -u QT_QPA_PLATFORM timeout --kill-after=5 60 xvfb-run -a -s "-screen 0 1024x768x24" \
    bash tests/sanitizers/start-and-close.sh build-asan/app/kordel --demo

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
# Left to the GCC run above: the kill harness, whose hundred killed processes check what reaches
# the disk, not memory use, and would cost minutes here; and the USB test bed, whose preloaded
# library and the sanitizers' runtime each expect to be loaded first.
ctest --test-dir build-asan --output-on-failure -j "$(nproc)" \
    -E '^(FrontEnds/KilledRun|TwoAdapters|HeadlessOverAdapters|Faults/StoppedAdapter)\.'

echo "== Window runs under ThreadSanitizer (build-tsan)"
# The window's run has a thread of its own; only the tests that drive window runs are built.
CC=clang CXX=clang++ cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKORDEL_SANITIZE_THREAD=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON >/dev/null
cmake --build build-tsan -j "$(nproc)" --target ui_tests
# Qt itself is not instrumented: what it allocates and frees on its own threads is left to it.
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1 \
    build-tsan/tests/ui/ui_tests \
    --gtest_filter='MainWindow.*:Runs/LiveView.*:*WindowRun*:*RunStop*:*LeavingUnsaved*:*StopSignal*:*HeadlessAgainstWindow*'
