#!/usr/bin/env bash
# The screen reader itself: Orca, started beside the program on the X screen
# and session D-Bus that run_e2e.sh and dbus-run-session provide, must speak
# the first question after Space starts a drill (its debug log records what
# it says).
#   orca_check.sh <program>
set -euo pipefail
program=$1
log=$(mktemp)
trap 'kill ${orca:-} ${pid:-} 2>/dev/null || true; rm -f "$log"' EXIT
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 SDL_AUDIODRIVER=dummy
unset QT_QPA_PLATFORM
"$program" &
pid=$!
w=$(timeout 20 xdotool search --sync --onlyvisible --pid "$pid" --name '^Zoltava mnożenia$' | head -1)
orca --debug-file="$log" --replace >/dev/null 2>&1 &
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
