#!/usr/bin/env bash
# Installs what is missing, builds, and starts Zoltava mnożenia.
set -euo pipefail
cd "$(dirname "$0")"
source tools/bootstrap.sh
zm_ensure_packages "${ZM_BUILD_PACKAGES[@]}" "${ZM_TEST_PACKAGES[@]}"
zm_build
exec ./build/zoltava-mnozenia
