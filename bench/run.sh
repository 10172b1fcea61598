#!/usr/bin/env bash
# Builds and runs the benchmarks, printing their tables. Not part of ./test.sh.
# The sound benchmarks play through a private PulseAudio daemon on a null
# sink (kept running by a stream of silence, as a sound card is), recorded
# with parec.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/bootstrap.sh
zm_ensure_packages "${ZM_BUILD_PACKAGES[@]}" "${ZM_TEST_PACKAGES[@]}"
zm_build
work=$(mktemp -d)
cleanup() {
    kill ${rec:-} ${silence:-} ${pulse:-} 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -m 700 "$work/rt"
cat >"$work/default.pa" <<PA
load-module module-native-protocol-unix auth-anonymous=1 socket=$work/native
load-module module-null-sink sink_name=zm rate=22050 channels=1 format=s16le
set-default-sink zm
PA
XDG_RUNTIME_DIR="$work/rt" HOME="$work" pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
    --disable-shm=yes -F "$work/default.pa" >"$work/pulse.log" 2>&1 &
pulse=$!
export PULSE_SERVER="unix:$work/native"
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pacat --playback -d zm --raw --format=s16le --rate=22050 --channels=1 --latency-msec=20 </dev/zero &
silence=$!
for b in build/bench/zm_bench_*; do
    [ -f "$b" ] && [ -x "$b" ] || continue
    echo "== ${b##*/}"
    if [ "${b##*/}" = zm_bench_narrator ]; then
        parec -d zm.monitor --raw --format=s16le --rate=22050 --channels=1 --latency-msec=20 >"$work/rec.raw" &
        rec=$!
        sleep 0.5
        "$b" build/sounds "$work/rec.raw" 2>/dev/null
        kill "$rec"
    else
        "$b" 2>/dev/null
    fi
    echo
done

# The narrator on PulseAudio and on PipeWire (through pipewire-pulse and
# SDL's own PipeWire driver), each a private stack of its own: first sound,
# holes under load, and the player at rest.
echo "== narrator on the sound stacks"
bash bench/narrator_stacks.sh build/bench/zm_bench_narrator build/sounds
