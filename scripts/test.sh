#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite without a display.
# Exits non-zero when the build or any test fails (or when no test was found).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/setup.sh
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
# The suite runs on database files and a second time (the tests named *_server, label "server")
# against a throwaway database server of its own, as do the tests of the server engine.
source scripts/test-server.sh start
trap 'bash scripts/test-server.sh stop "$VARNHOLT_TEST_SERVER_DIR"' EXIT
ctest --test-dir build --output-on-failure --no-tests=error -j "$(nproc)"
