#!/usr/bin/env bash
# Installs the Debian packages Kordel needs; does nothing when all are there.
# Usage: install-deps.sh [--build]: with --build only what building and starting Kordel needs
# (scripts/demo.sh), else also what the tests, benchmarks, the icons drawn from SVG and the
# package checks need.
set -euo pipefail

# The test framework is among them because configuring the build looks for it.
packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev libxcb1-dev zlib1g-dev
    libgtest-dev libgmock-dev
    libftdi1-dev
    fonts-liberation fonts-dejavu-core
)
case "${1:-}" in
--build) ;;
"")
    packages+=(
        libbenchmark-dev
        clang libclang-rt-14-dev
        xvfb xauth xdotool
        libqt6svg6
        umockdev libumockdev-dev gir1.2-umockdev-1.0 udev
        dpkg-dev desktop-file-utils appstream man-db groff-base lintian
    )
    ;;
*)
    echo "usage: install-deps.sh [--build]" >&2
    exit 2
    ;;
esac

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
