#!/usr/bin/env bash
# The screen reader itself: Orca, started beside the program on the X screen
# and session D-Bus that run_e2e.sh and dbus-run-session provide, must speak
# the first question after Space starts a drill (its debug log records what
# it says).
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
for _ in $(seq 150); do
    if grep -aq "SPEECH OUTPUT: 'notification Start\. [0-9]* [a-ząćęłńóśźż ]* [0-9]* równa się" "$log"; then
        grep -a "SPEECH OUTPUT" "$log"
        echo "Orca spoke the question"
        exit 0
    fi
    sleep 0.1
done
grep -a "SPEECH OUTPUT" "$log" || true
echo "Orca did not speak the question"
exit 1
