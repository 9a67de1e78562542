#!/usr/bin/env bash
# Configures (once) and builds Varnholt into ./build with Ninja: optimised, with debug information.
# The program directory build/bin holds the program, its tools, Qhelp.jpg, frf/ and Varnholt.mdb.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

if [[ ! -f build/build.ninja ]]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build
