#!/usr/bin/env bash
# Installs what is missing, builds, and runs every benchmark program (build/bench/bench_*).
# Arguments go to each program, e.g.: scripts/bench.sh --benchmark_filter=Balance
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/setup.sh
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
shopt -s nullglob
programs=(build/bench/bench_*)
if ((${#programs[@]} == 0)); then
    echo "bench: no benchmark programs in build/bench"
    exit 0
fi
for program in "${programs[@]}"; do
    [[ -x "$program" ]] || continue
    echo "== $program"
    "$program" "$@"
done
