#!/usr/bin/env bash
# The README's commands in their order, on a fresh clone of this repository:
# ./run.sh (which installs what is missing, shows the build's progress,
# builds the program and starts it; here on Qt's offscreen platform), then
# `cmake --install build --prefix ...`; the installed program starts without
# a fatal message and keeps running.
#   readme_commands.sh <source-folder>
set -euo pipefail
src=$1
work=$(mktemp -d)
trap 'kill ${run:-} 2>/dev/null || true; rm -rf "$work"' EXIT
git clone -q "$src" "$work/zm"
cd "$work/zm"
export XDG_RUNTIME_DIR=$work/rt XDG_DATA_HOME=$work/data QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
mkdir -m 700 "$XDG_RUNTIME_DIR"
# run.sh ends in the program (exec): once the build is done, the program
# must still be running a few seconds later.
./run.sh >"$work/run.log" 2>&1 &
run=$!
for _ in $(seq 1200); do
    kill -0 "$run" 2>/dev/null || break
    if grep -q '^\[100%\]' "$work/run.log"; then
        sleep 3
        break
    fi
    sleep 0.5
done
if ! kill -0 "$run" 2>/dev/null || ! grep -q '^Building' "$work/run.log"; then
    cat "$work/run.log"
    echo "./run.sh did not show its progress, build and start the program"
    exit 1
fi
kill "$run"
wait "$run" 2>/dev/null || true
cmake --install build --prefix "$work/prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log"; exit 1; }
for f in bin/zoltava-mnozenia lib/zoltava-mnozenia/zoltava-mnozenia lib/zoltava-mnozenia/graphics/7.bmp \
         lib/zoltava-mnozenia/sounds/rowna_sie.wav share/doc/zoltava-mnozenia/changelog.gz \
         share/man/man1/zoltava-mnozenia.1.gz share/applications/zoltava-mnozenia.desktop; do
    [ -e "$work/prefix/$f" ] || { echo "not installed: $f"; exit 1; }
done
status=0
timeout 5 "$work/prefix/bin/zoltava-mnozenia" >"$work/program.log" 2>&1 || status=$?
if [ "$status" -ne 124 ]; then
    cat "$work/program.log"
    echo "the installed program ended (status $status)"
    exit 1
fi
echo "run.sh built and started the program; it installs, and the installed program runs"
