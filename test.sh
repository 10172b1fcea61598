#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (the end-to-end tests
# start their own virtual X server).  Ends with CTest's summary.
set -euo pipefail
cd "$(dirname "$0")"
source tools/bootstrap.sh
zm_ensure_packages "${ZM_BUILD_PACKAGES[@]}" "${ZM_TEST_PACKAGES[@]}"
zm_build
cd build
exec ctest --output-on-failure -j "$(nproc 2>/dev/null || echo 2)" "$@"
