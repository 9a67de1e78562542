#!/usr/bin/env bash
# Installs what is missing, builds, and starts Varnholt from its program directory build/bin.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/setup.sh
bash scripts/build.sh
exec ./build/bin/Varnholt "$@"
