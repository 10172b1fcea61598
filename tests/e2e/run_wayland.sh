#!/usr/bin/env bash
# The program on Wayland: a headless weston of its own (pixman renderer),
# screenshots through weston's screenshooter, checked by zm_wayland_check.
#   run_wayland.sh <program> <checker> <background-picture>
set -euo pipefail
program=$1
check=$2
tlo=$3
for tool in weston weston-screenshooter; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (run ./test.sh to install it)" >&2; exit 1; }
done
work=$(mktemp -d)
cleanup() {
    kill ${pid:-} ${weston:-} 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR="$work/rt"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export WAYLAND_DISPLAY=wayland-zm
weston --backend=headless-backend.so --use-pixman --socket="$WAYLAND_DISPLAY" --width=1024 --height=768 \
    --idle-time=0 --debug >"$work/weston.log" 2>&1 &
weston=$!
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] && break; sleep 0.05; done
sleep 1
zrzut() { # screenshot into $1
    rm -f "$work"/shots/*
    mkdir -p "$work/shots"
    (cd "$work/shots" && weston-screenshooter >/dev/null 2>&1)
    mv "$work"/shots/*.png "$1"
}
zrzut "$work/pulpit.png"
QT_QPA_PLATFORM=wayland SDL_AUDIODRIVER=dummy "$program" &
pid=$!
for proba in $(seq 20); do
    sleep 0.5
    zrzut "$work/okno.png"
    # The panel's clock may have moved on: the desktop is taken again each time
    # the window is not yet there.
    if "$check" "$tlo" "$work/pulpit.png" "$work/okno.png"; then exit 0; fi
done
echo "weston log:"; tail -20 "$work/weston.log"
exit 1
