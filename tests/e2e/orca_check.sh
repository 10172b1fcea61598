#!/usr/bin/env bash
# The screen reader itself: Orca, started beside the program on the X screen
# and session D-Bus that run_e2e.sh and dbus-run-session provide, must speak
# the first question after Space starts a drill and, after the question runs
# out while the pointer crosses the window, the correct result once the
# narrator has read it (its debug log records what it says).
#   orca_check.sh <program>
#
# Orca speaks through speech-dispatcher, which it starts itself and which
# plays through the sound server. Without a sound server speech-dispatcher
# cannot open its output and stops answering after the first sentence; Orca
# then waits for it for good, answers no key event (Qt logs
# "keyEventError NoReply") and says nothing more. So the check has its own
# PulseAudio daemon (a null sink), its own settings folders (Orca's, the
# speech server's), and runs Orca in a process namespace of its own: there
# Orca neither refuses to start nor kills (--replace) the Orca of another
# session of the same user, and speech-dispatcher ends with it.
set -euo pipefail
program=$1
work=$(mktemp -d)
log=$work/orca.log
cleanup() {
    # Orca is the first process of its namespace: only SIGKILL ends it (and
    # with it speech-dispatcher); unshare passes it on.
    kill -KILL ${orca:-} 2>/dev/null || true
    kill ${pid:-} ${pulse:-} 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
export XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache
mkdir -p "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$work/orca"
cat >"$work/default.pa" <<EOF
load-module module-native-protocol-unix auth-anonymous=1 socket=$work/native
load-module module-null-sink sink_name=zm
set-default-sink zm
EOF
HOME=$work pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disable-shm=yes -F "$work/default.pa" \
    >"$work/pulse.log" 2>&1 &
pulse=$!
for _ in $(seq 100); do [ -S "$work/native" ] && break; sleep 0.05; done
[ -S "$work/native" ] || { echo "pulseaudio did not start"; cat "$work/pulse.log"; exit 1; }
export PULSE_SERVER=unix:$work/native

export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 SDL_AUDIODRIVER=dummy
unset QT_QPA_PLATFORM
"$program" &
pid=$!
w=$(timeout 20 xdotool search --sync --onlyvisible --pid "$pid" --name '^Zoltava mnożenia$' | head -1)
unshare --pid --kill-child --mount-proc orca --user-prefs="$work/orca" --debug-file="$log" >/dev/null 2>&1 &
orca=$!
for _ in $(seq 200); do grep -q "SPEECH OUTPUT: 'Zoltava mnożenia" "$log" 2>/dev/null && break; sleep 0.1; done
xdotool windowactivate --sync "$w"
sleep 1
xdotool key space keyup space

# Waits up to $2 tenths of a second for Orca to speak a notification that
# matches $1; prints the newest such line.
spoken() {
    local i
    for ((i = 0; i < $2; ++i)); do
        if grep -aqE "SPEECH OUTPUT: 'notification $1" "$log"; then
            grep -aE "SPEECH OUTPUT: 'notification $1" "$log" | tail -1
            return 0
        fi
        sleep 0.1
    done
    return 1
}
# The correct result of the question at the end of a spoken line.
result() {
    local re="([0-9]+) (razy|podzielone na|dodać|odjąć) ([0-9]+) równa się"
    [[ $1 =~ $re ]] || return 1
    local a=${BASH_REMATCH[1]} op=${BASH_REMATCH[2]} b=${BASH_REMATCH[3]}
    case $op in
    razy) echo $((a * b)) ;; "podzielone na") echo $((a / b)) ;; dodać) echo $((a + b)) ;; *) echo $((a - b)) ;;
    esac
}
cross() {
    for x in 40 640; do xdotool mousemove --window "$w" "$x" 240; sleep 0.02; done
}
fail() {
    grep -a "SPEECH OUTPUT" "$log" || true
    echo "$1"
    exit 1
}

line=$(spoken "Start\. [0-9]+ [a-ząćęłńóśźż ]+ [0-9]+ równa się" 150) || fail "Orca did not speak the question"
echo "Orca spoke the question"
# The pointer crosses the window while the question runs out: a wrong
# answer, read by the narrator, then its result. (Orca holds each key until
# it has handled it, at times for seconds, so answers typed on time are
# checked with the AT-SPI listener of screen_reader.py.)
cross
spoken "Źle\. Wynik: $(result "$line")\. " 200 >/dev/null || fail "Orca did not speak the correct result"
grep -a "SPEECH OUTPUT" "$log"
echo "Orca spoke the question and, after the reading, the correct result"
