#!/usr/bin/env bash
# Installs what is missing, builds, and starts Zoltava mnożenia.
set -euo pipefail
cd "$(dirname "$0")"
source tools/bootstrap.sh
zm_ensure_packages "${ZM_BUILD_PACKAGES[@]}"
zm_build program
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "Built. No graphical desktop was found (DISPLAY is not set): start ./run.sh from a desktop session," >&2
    echo "or run build/zoltava-mnozenia there." >&2
    exit 1
fi
exec ./build/zoltava-mnozenia
