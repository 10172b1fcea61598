#!/usr/bin/env bash
# Brings the benchmarks up to date (only they and what they run are built on
# an existing build) and runs them, printing their tables and each figure of
# docs/PERFORMANCE.md. Not part of ./test.sh.
# Needs no display and never touches the user's own files: every program
# runs with a home and data folders of the run's own, on the offscreen
# platform (the start-up benchmark starts an Xvfb of its own). The sound
# benchmarks play through a private PulseAudio daemon on a null sink (kept
# running by a stream of silence, as a sound card is), recorded with parec.
# A benchmark that fails is reported and the others still run.
#   bench/run.sh [benchmark...]   (names as zm_bench_startup; all by default)
set -uo pipefail
cd "$(dirname "$0")/.."
source tools/bootstrap.sh
zm_ensure_packages "${ZM_BUILD_PACKAGES[@]}" "${ZM_TEST_PACKAGES[@]}" || exit 1
benches=("$@")
((${#benches[@]})) || benches=(zm_bench_window zm_bench_narrator zm_bench_results zm_bench_startup zm_bench_practice
    zm_bench_class)
# The start-up benchmark starts the program on the journals that the results
# benchmark makes.
targets=("${benches[@]}")
startup=0
[[ " ${benches[*]} " == *" zm_bench_startup "* ]] && startup=1 && targets+=(zm_bench_results)
if [ -f build/CMakeCache.txt ] && ! grep -q '^ZM_BUILD_TESTS:BOOL=OFF' build/CMakeCache.txt; then
    echo "Building the benchmarks..."
    cmake --build build -j "$(nproc 2>/dev/null || echo 2)" --target "${targets[@]}" zm_sounds >"build/bench.log" 2>&1 ||
        { cat build/bench.log >&2; exit 1; }
else
    zm_build || exit 1
fi
work=$(mktemp -d)
cleanup() {
    kill ${rec:-} ${silence:-} ${pulse:-} 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
export HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config"
export XDG_CACHE_HOME="$work/home/cache" XDG_STATE_HOME="$work/home/state" XDG_RUNTIME_DIR="$work/rt"
export QT_QPA_PLATFORM=offscreen
unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
# The journals of 10,000, 100,000 and 1,000,000 drills are made once and
# kept in the build folder (the largest takes minutes to make).
journals=$PWD/build/bench/journals
mkdir -p "$journals"
if ((startup)); then
    for n in 10000 1000000; do
        [ -f "$journals/drills-$n.sqlite" ] || build/bench/zm_bench_results fill "$n" "$journals/drills-$n.sqlite" ||
            exit 1
    done
fi
cat >"$work/default.pa" <<PA
load-module module-native-protocol-unix auth-anonymous=1 socket=$work/native
load-module module-null-sink sink_name=zm rate=22050 channels=1 format=s16le
set-default-sink zm
PA
pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
    --disable-shm=yes -F "$work/default.pa" >"$work/pulse.log" 2>&1 &
pulse=$!
export PULSE_SERVER="unix:$work/native"
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pacat --playback -d zm --raw --format=s16le --rate=22050 --channels=1 --latency-msec=20 </dev/zero &
silence=$!
failed=()
for name in "${benches[@]}"; do
    b=build/bench/$name
    echo "== $name"
    case $name in
    zm_bench_narrator)
        parec -d zm.monitor --raw --format=s16le --rate=22050 --channels=1 --latency-msec=20 >"$work/rec.raw" &
        rec=$!
        sleep 0.5
        "$b" build/sounds "$work/rec.raw" 2>/dev/null
        status=$?
        kill "$rec"
        rec=
        ;;
    zm_bench_results) "$b" "$journals" 2>/dev/null; status=$? ;;
    zm_bench_startup) "$b" "$journals" 7 5 2>/dev/null; status=$? ;;
    zm_bench_practice) "$b" && echo "1,000 children:" && "$b" 1000 | grep '^| [0-9]'; status=$? ;;
    *) "$b" 2>/dev/null; status=$? ;;
    esac
    ((status == 0)) || failed+=("$name (exit $status)")
    echo
done

# The narrator on PulseAudio and on PipeWire (through pipewire-pulse and
# SDL's own PipeWire driver), each a private stack of its own: first sound,
# holes under load, and the player at rest.
echo "== narrator on the sound stacks"
bash bench/narrator_stacks.sh build/bench/zm_bench_narrator build/sounds || failed+=("narrator on the sound stacks")
if ((${#failed[@]})); then
    echo "failed: ${failed[*]}" >&2
    exit 1
fi
