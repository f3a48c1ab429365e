#!/usr/bin/env bash
# Plants one-line faults in turn and tells, for each, whether the tests catch it.
#
#   bash scripts/mutants.sh                        every patch under tests/mutants/
#   bash scripts/mutants.sh tests/mutants/plot-*   only these patches (files or folders)
#
# Each patch (git diff output, paths from the top of the tree) is applied to a copy of the
# working tree in build-mutants/tree, the program and the test executables are built in
# build-mutants/build, and the tests of every executable the fault reached are run until one
# fails. The copy and its build stay between patches and between runs, so each build only
# compiles what the patch changed. Prints one line per patch, then the share caught; exits with 1 when any fault
# survives, does not apply or does not build.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scratch=$root/build-mutants
tree=$scratch/tree
build=$scratch/build
test_limit=120    # seconds one test may take
mutant_limit=900  # seconds the tests of one patch may take
jobs=$(nproc)

patches=()
for argument in "${@:-tests/mutants}"; do
    if [ -d "$argument" ]; then
        while IFS= read -r patch; do patches+=("$(realpath "$patch")"); done \
            < <(find "$argument" -name '*.patch' | sort)
    elif [ -f "$argument" ]; then
        patches+=("$(realpath "$argument")")
    else
        echo "mutants: no patch or folder '$argument'" >&2
        exit 2
    fi
done
[ "${#patches[@]}" -gt 0 ] || { echo "mutants: no patches given" >&2; exit 2; }

in_tree() { git -C "$tree" "$@"; }

# The copy takes only the files whose content changed, so the build does not see the others as
# new; then it is committed, for each fault to be taken back with a checkout.
copy_working_tree() {
    mkdir -p "$tree"
    [ -d "$tree/.git" ] || in_tree init -q
    in_tree checkout -q -- . 2>/dev/null || true
    while IFS= read -r -d '' file; do
        if [ -f "$file" ] && ! cmp -s "$file" "$tree/$file"; then
            mkdir -p "$(dirname "$tree/$file")"
            cp "$file" "$tree/$file"
        fi
    done < <(git ls-files -z --cached --others --exclude-standard)
    while IFS= read -r -d '' file; do
        [ -e "$file" ] || rm -f "$tree/$file"
    done < <(in_tree ls-files -z)
    in_tree add -A
    in_tree diff --cached --quiet ||
        in_tree -c user.name=mutants -c user.email=mutants@localhost commit -q -m "working tree"
}

# Configured once; afresh when the tree's build files have changed, so new targets are built too.
configure() {
    if [ -f "$build/build.ninja" ]; then
        ninja -C "$build" build.ninja >/dev/null
        return
    fi
    local launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S "$tree" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON "${launcher[@]}" >/dev/null
}

# The program (the command-line tests start it) and every test executable.
list_targets() {
    echo app/kordel
    ninja -C "$build" -t targets all | sed -n 's/^\(tests\/.*_tests\): CXX_EXECUTABLE_LINKER.*/\1/p'
}

# Builds; prints the test folders whose executables were linked anew, or FAILED.
build_reached() {
    local stamp=$scratch/before-build
    touch "$stamp"
    if ! ninja -C "$build" -j "$jobs" "${targets[@]}" >"$scratch/build.log" 2>&1; then
        echo FAILED
        return
    fi
    for target in "${targets[@]}"; do
        if [ "$build/$target" -nt "$stamp" ]; then
            case $target in
            app/kordel) echo "$build/tests/app" ;;
            *) dirname "$build/$target" ;;
            esac
        fi
    done | sort -u
}

# Runs the tests of the given folders; prints the names of those that failed or timed out. With
# `--first`, stops at the first folder whose tests fail, and that folder's tests at their first
# failure: enough to tell that a fault is caught, and by what.
failing_tests() {
    local folder log=$scratch/ctest.log first=()
    if [ "$1" = --first ]; then
        first=(--stop-on-failure)
        shift
    fi
    for folder in "$@"; do
        if ! QT_QPA_PLATFORM=offscreen timeout "$mutant_limit" \
            ctest --test-dir "$folder" -j "$jobs" --timeout "$test_limit" "${first[@]}" >"$log" 2>&1; then
            if grep -q 'The following tests FAILED' "$log"; then
                sed -n '/The following tests FAILED/,$ s/^[[:space:]]*[0-9]* - \(.*\) (.*)$/\1/p' "$log"
            else
                echo "(the tests of ${folder#"$build"/} did not finish)"
            fi
            [ "${#first[@]}" -eq 0 ] || return 0
        fi
    done
}

# The given test folders, those of the folders the planted fault changed first: their tests are
# the likeliest to catch it, and the slow kill tests then run only when they do not.
own_folders_first() {
    local changed folder
    changed=$(in_tree diff --name-only | xargs -n1 dirname | sort -u)
    for folder in "$@"; do
        grep -qxF "${folder#"$build"/tests/}" <<<"$changed" && echo "$folder"
    done
    for folder in "$@"; do
        grep -qxF "${folder#"$build"/tests/}" <<<"$changed" || echo "$folder"
    done
}

copy_working_tree
configure
mapfile -t targets < <(list_targets)
echo "== Building and testing the tree as it is"
reached=$(build_reached)
[ "$reached" != FAILED ] || { cat "$scratch/build.log"; echo "mutants: the tree does not build"; exit 1; }
mapfile -t all_folders < <(find "$build/tests" -mindepth 2 -name CTestTestfile.cmake -printf '%h\n' | sort)
baseline=$(failing_tests "${all_folders[@]}")
[ -z "$baseline" ] || { echo "$baseline"; echo "mutants: these tests fail without any fault"; exit 1; }

caught=0 survived=0 broken=0
for patch in "${patches[@]}"; do
    name=${patch#"$root"/}
    if ! in_tree apply --check "$patch" 2>/dev/null; then
        printf '%-9s %s\n' "no apply" "$name"
        broken=$((broken + 1))
        continue
    fi
    in_tree apply "$patch"
    mapfile -t reached < <(build_reached)
    if [ "${reached[0]:-}" = FAILED ]; then
        printf '%-9s %s\n' "no build" "$name"
        broken=$((broken + 1))
    else
        failed=$(failing_tests --first $(own_folders_first "${reached[@]}"))
        if [ -n "$failed" ]; then
            caught=$((caught + 1))
            count=$(wc -l <<<"$failed")
            shown=$(head -n 3 <<<"$failed" | paste -sd ' ')
            [ "$count" -le 3 ] || shown="$shown and $((count - 3)) more"
            printf '%-9s %s: %s\n' caught "$name" "$shown"
        else
            survived=$((survived + 1))
            printf '%-9s %s\n' SURVIVED "$name"
        fi
    fi
    in_tree checkout -q -- .
    in_tree clean -qfd
done

judged=$((caught + survived))
share=$(awk -v c="$caught" -v n="$judged" 'BEGIN { printf "%.1f", n ? 100 * c / n : 0 }')
echo "== Caught $caught of $judged faults ($share %); $broken did not apply or build"
[ "$survived" -eq 0 ] && [ "$broken" -eq 0 ]
