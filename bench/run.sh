#!/usr/bin/env bash
# Builds and runs the benchmarks, printing their tables. Not part of ./test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/bootstrap.sh
zm_ensure_packages "${ZM_BUILD_PACKAGES[@]}" "${ZM_TEST_PACKAGES[@]}"
zm_build
for b in build/bench/zm_bench_*; do
    [ -f "$b" ] && [ -x "$b" ] || continue
    echo "== ${b##*/}"
    "$b" 2>/dev/null
    echo
done
