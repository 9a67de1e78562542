#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite without a display.
# Exits non-zero when the build or any test fails (or when no test was found).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/setup.sh
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
# The tests of the server engine run against a throwaway server of their own.
source scripts/test-server.sh start
trap 'bash scripts/test-server.sh stop "$VARNHOLT_TEST_SERVER_DIR"' EXIT
ctest --test-dir build --output-on-failure --no-tests=error -j "$(nproc)"
