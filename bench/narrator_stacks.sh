#!/usr/bin/env bash
# The narrator on the sound stacks a Debian 12 desktop has, each started
# privately and headless with a null sink "zm" at the narrator's format:
# PulseAudio (kept running by a stream of silence, as a sound card is), and
# PipeWire with wireplumber and pipewire-pulse, played through SDL's
# "pulseaudio" driver asked for, and as on a desktop where no driver is asked
# for (the player's own PipeWire stream). For each: the time to the first sound,
# the holes under load, and what is left at rest (zm_bench_narrator --stack).
#   narrator_stacks.sh <zm_bench_narrator> <sounds-folder> [stack...]
# Stacks: pulseaudio, pipewire-pulse, pipewire (all by default).
set -euo pipefail
bench=$1
sounds=$2
shift 2
stacks=" ${*:-pulseaudio pipewire-pulse pipewire} "
work=$(mktemp -d)
pids=()
stop() {
    ((${#pids[@]})) && kill "${pids[@]}" 2>/dev/null || true
    wait 2>/dev/null || true
    pids=()
}
trap 'stop; rm -rf "$work"' EXIT
wait_for_pactl() { for _ in $(seq 100); do pactl info >/dev/null 2>&1 && return 0; sleep 0.1; done; return 1; }

# PulseAudio.
if [[ $stacks == *" pulseaudio "* ]]; then
mkdir -m 700 "$work/pa" "$work/pa/rt"
cat >"$work/pa/default.pa" <<PA
load-module module-native-protocol-unix auth-anonymous=1 socket=$work/pa/native
load-module module-null-sink sink_name=zm rate=22050 channels=1 format=s16le
set-default-sink zm
PA
XDG_RUNTIME_DIR="$work/pa/rt" HOME="$work/pa" pulseaudio -n --daemonize=no --exit-idle-time=-1 \
    --use-pid-file=no --disable-shm=yes -F "$work/pa/default.pa" >"$work/pa/log" 2>&1 &
pids+=($!)
export PULSE_SERVER="unix:$work/pa/native"
wait_for_pactl
pacat --playback -d zm --raw --format=s16le --rate=22050 --channels=1 --latency-msec=20 </dev/zero &
pids+=($!)
SDL_AUDIODRIVER=pulseaudio "$bench" --stack PulseAudio "$sounds" 2>/dev/null
stop
unset PULSE_SERVER
fi

# PipeWire, on a session bus of its own, at the narrator's rate so that the
# recording holds the very samples played, with a desktop's default period
# (1024 samples at 48 kHz, about 21 ms).
pipewire_stack() {
    local driver=$1 d="$work/pw-${1:-desktop}"
    mkdir -p "$d/config/pipewire/pipewire.conf.d"
    mkdir -m 700 "$d/rt"
    echo 'context.properties = { default.clock.rate = 22050 default.clock.quantum = 512 }' \
        >"$d/config/pipewire/pipewire.conf.d/zm.conf"
    export XDG_RUNTIME_DIR="$d/rt" HOME="$d" XDG_CONFIG_HOME="$d/config" XDG_STATE_HOME="$d/state"
    export PULSE_SERVER="unix:$d/rt/pulse/native"
    unset PIPEWIRE_REMOTE PIPEWIRE_RUNTIME_DIR PULSE_RUNTIME_PATH
    pipewire >"$d/pipewire.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do [ -S "$d/rt/pipewire-0" ] && break; sleep 0.05; done
    wireplumber >"$d/wireplumber.log" 2>&1 &
    pids+=($!)
    pipewire-pulse >"$d/pipewire-pulse.log" 2>&1 &
    pids+=($!)
    wait_for_pactl
    pactl load-module module-null-sink sink_name=zm rate=22050 channels=1 format=s16le >/dev/null
    pactl set-default-sink zm
    if [ -n "$driver" ]; then
        SDL_AUDIODRIVER=$driver "$bench" --stack "PipeWire (SDL's $driver)" "$sounds" 2>/dev/null
    else
        env -u SDL_AUDIODRIVER "$bench" --stack "PipeWire (no driver asked: own stream)" "$sounds" 2>/dev/null
    fi
    stop
}
export -f pipewire_stack stop wait_for_pactl
for driver in pulseaudio ""; do
    stack=pipewire
    [[ $driver == pulseaudio ]] && stack=pipewire-pulse
    [[ $stacks == *" $stack "* ]] || continue
    bench=$bench sounds=$sounds work=$work dbus-run-session -- bash -c "pids=(); pipewire_stack '$driver'"
done
