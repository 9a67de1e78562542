#!/usr/bin/env bash
# Makes the Debian package varnholt_VERSION_amd64.deb from the build in build/ (run
# scripts/build.sh first; this script builds nothing). The package holds what "cmake --install"
# lays out, with the prefix /usr and the binaries stripped; its dependencies are computed from
# the binaries. Install it with: apt install ./varnholt_VERSION_amd64.deb
#
#   scripts/package.sh [OUTPUT_FOLDER]     the package goes to OUTPUT_FOLDER (default: build/package)
#
# VARNHOLT_BUILD_DIR names another build folder.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

build=${VARNHOLT_BUILD_DIR:-build}
if [[ ! -f "$build/CPackConfig.cmake" || ! -x "$build/bin/Varnholt" ]]; then
    echo "package: no complete build in $build; run scripts/build.sh first" >&2
    exit 1
fi
output=${1:-$build/package}
mkdir -p "$output"
output=$(cd "$output" && pwd)

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$output"
rm -rf "$output/_CPack_Packages"
ls "$output"/varnholt_*.deb
