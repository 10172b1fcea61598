#!/usr/bin/env bash
# Runs the end-to-end tests on a virtual X screen of their own, with a small
# window manager so that activation and moving behave as on a desktop.
#   run_e2e.sh <test-binary> [gtest arguments...]
set -euo pipefail
bin=$1
shift
for tool in Xvfb openbox xdotool; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (run ./test.sh to install it)" >&2; exit 1; }
done
work=$(mktemp -d)
cleanup() {
    [ -n "${wm:-}" ] && kill "$wm" 2>/dev/null || true
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
# Xvfb picks a free display number and writes it to the pipe.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm=$!
for _ in $(seq 100); do xdotool getactivewindow >/dev/null 2>&1 || true; pgrep -x openbox >/dev/null && break; sleep 0.05; done
sleep 0.3
export XDG_RUNTIME_DIR="$work/runtime"
# The programs' results journals stay in the test's folder.
export XDG_DATA_HOME="$work/data"
mkdir -m 700 "$XDG_RUNTIME_DIR"
"$bin" "$@"
