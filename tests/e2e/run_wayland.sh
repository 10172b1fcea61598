#!/usr/bin/env bash
# The program on a composited desktop of its own, started privately and
# headless, checked from screenshots by zm_wayland_check: no magenta left,
# the desktop shows through the rounded corners.
#   run_wayland.sh <stack> <program> <checker> <background-picture>
# Stacks:
#   weston         weston's headless back end (pixman), the program on
#                  Wayland; screenshots by weston's screenshooter.
#   sway-xwayland  sway's headless back end with its Xwayland, the program on
#                  X11 under a compositing window manager (sway owns
#                  _NET_WM_CM_S0 and ignores the window's shape); sway refuses
#                  root, so it runs as nobody, in mount and network namespaces
#                  of its own so that its Xwayland takes no display of the
#                  machine's; screenshots by grim.
#   mutter         GNOME's compositor, headless on Wayland (run inside a
#                  D-Bus session of its own: dbus-run-session), with a
#                  PipeWire of its own; screenshots and clicks through its
#                  ScreenCast and RemoteDesktop interfaces (mutter_session.py).
#                  Then the settings dialog opens inside the main window,
#                  centred in its frame, and nothing else appears on the
#                  screen; after the children picker closes (by its OK and
#                  by Escape) the answer field holds the keyboard focus, as
#                  the AT-SPI bus tells it, and Space starts a drill.
# The desktop is photographed first, once it is drawn and still (two equal
# screenshots, not black), without animations or a clock.
set -euo pipefail
stack=$1
program=$2
check=$3
tlo=$4
case $stack in
weston) narzedzia=(weston weston-screenshooter) ;;
sway-xwayland) narzedzia=(sway swaybg grim swaymsg Xwayland unshare setpriv) ;;
mutter) narzedzia=(mutter pipewire wireplumber gst-launch-1.0 gdbus) ;;
*) echo "unknown stack $stack" >&2; exit 2 ;;
esac
for tool in "${narzedzia[@]}"; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (run ./test.sh to install it)" >&2; exit 1; }
done
work=$(mktemp -d)
chmod 755 "$work"
cleanup() {
    kill ${pid:-} ${serwer:-} ${pw:-} ${wp:-} ${M_PID:-} 2>/dev/null || true
    # What has not ended within a second (mutter may linger) is killed.
    for _ in $(seq 10); do jobs -pr | grep -q . || break; sleep 0.1; done
    kill -KILL $(jobs -pr) 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR="$work/rt"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export WAYLAND_DISPLAY=wayland-zm

case $stack in
weston)
    cat >"$work/weston.ini" <<EOF
[core]
idle-time=0
[shell]
startup-animation=none
animation=none
close-animation=none
focus-animation=none
panel-position=none
EOF
    weston --config="$work/weston.ini" --backend=headless-backend.so --use-pixman --socket="$WAYLAND_DISPLAY" \
        --width=1024 --height=768 --debug >"$work/compositor.log" 2>&1 &
    serwer=$!
    zrzut() { # screenshot into $1
        rm -rf "$work/shots"
        mkdir -p "$work/shots"
        (cd "$work/shots" && weston-screenshooter >/dev/null 2>&1) || return 1
        mv "$work"/shots/*.png "$1"
    }
    uruchom() { QT_QPA_PLATFORM=wayland SDL_AUDIODRIVER=dummy XDG_DATA_HOME="$work/data" "$program" & pid=$!; }
    ;;
sway-xwayland)
    chown nobody:nogroup "$XDG_RUNTIME_DIR"
    cat >"$work/sway.conf" <<EOF
output HEADLESS-1 resolution 1024x768 position 0 0 bg #4a7a9c solid_color
xwayland enable
default_border none
EOF
    unshare --mount --net --propagation private sh -c '
        mount -t tmpfs -o mode=1777 none /tmp/.X11-unix
        exec setpriv --reuid=nobody --regid=nogroup --clear-groups env -i PATH=/usr/bin:/bin HOME="$1" \
            XDG_RUNTIME_DIR="$2" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
            WLR_RENDERER=pixman WLR_HEADLESS_OUTPUTS=1 sway -c "$1/sway.conf"' sh "$work" "$XDG_RUNTIME_DIR" \
        >"$work/compositor.log" 2>&1 &
    serwer=$!
    zrzut() { grim "$1" 2>/dev/null; }
    # Started by sway, as nobody, on its Xwayland: from a copy of the
    # installation (the build folder may be closed to other users).
    uruchom() {
        mkdir -m 777 "$work/data"
        mkdir "$work/app"
        cp -r "$program" "$(dirname "$program")/graphics" "$(dirname "$program")/sounds" "$work/app/"
        SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock) swaymsg exec "echo \$\$ >$work/data/pid; exec env \
            QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy XDG_DATA_HOME=$work/data $work/app/$(basename "$program")" \
            >/dev/null
        for _ in $(seq 50); do [ -s "$work/data/pid" ] && break; sleep 0.1; done
        pid=$(cat "$work/data/pid")
    }
    ;;
mutter)
    pipewire >"$work/pipewire.log" 2>&1 &
    pw=$!
    for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/pipewire-0" ] && break; sleep 0.05; done
    wireplumber >"$work/wireplumber.log" 2>&1 &
    wp=$!
    mutter --headless --wayland --no-x11 --virtual-monitor 1024x768 --wayland-display="$WAYLAND_DISPLAY" \
        >"$work/compositor.log" 2>&1 &
    serwer=$!
    for _ in $(seq 100); do
        gdbus introspect --session --dest org.gnome.Mutter.RemoteDesktop \
            --object-path /org/gnome/Mutter/RemoteDesktop >/dev/null 2>&1 && break
        sleep 0.1
    done
    coproc M { "$(dirname "$0")/mutter_session.py" 2>"$work/session.log"; }
    polecenie() { # a command to mutter_session.py; its answer
        echo "$*" >&"${M[1]}"
        local odp=
        read -r -t 30 odp <&"${M[0]}" && [ "$odp" = ok ] || { echo "$*: ${odp:-no answer}"; return 1; }
    }
    read -r -t 30 odp <&"${M[0]}" && [ "$odp" = ok ] || { echo "no screen cast"; cat "$work/session.log"; exit 1; }
    zrzut() { polecenie shot "$1"; }
    uruchom() {
        QT_QPA_PLATFORM=wayland QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 SDL_AUDIODRIVER=dummy XDG_DATA_HOME="$work/data" \
            "$program" &
        pid=$!
    }
    ;;
esac
# sway names its socket itself.
for _ in $(seq 100); do
    [ "$stack" != sway-xwayland ] || WAYLAND_DISPLAY=$(cd "$XDG_RUNTIME_DIR" && { ls wayland-[0-9] 2>/dev/null || true; } | head -1)
    [ -n "$WAYLAND_DISPLAY" ] && [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] && break
    sleep 0.05
done
gotowy=0
for _ in $(seq 40); do
    if zrzut "$work/a.png" && sleep 0.3 && zrzut "$work/pulpit.png" && cmp -s "$work/a.png" "$work/pulpit.png" &&
        "$check" --desktop "$work/pulpit.png"; then
        gotowy=1
        break
    fi
    sleep 0.2
done
[ "$gotowy" = 1 ] || { echo "the desktop was not drawn"; tail -20 "$work/compositor.log"; exit 1; }
uruchom
for proba in $(seq 20); do
    sleep 0.5
    zrzut "$work/okno.png" || continue
    if wynik=$("$check" "$tlo" "$work/pulpit.png" "$work/okno.png"); then
        echo "$wynik"
        [ "$stack" = mutter ] || exit 0
        # The three dialogs, each opened by a click at its button's place in
        # the window, drawn over it, and closed by a click at its closing
        # button: name, the button's x in the window, the dialog's size, the
        # middle of its OK or Zamknij.
        read -r x y < <(echo "$wynik" | sed -E 's/window at ([0-9]+),([0-9]+):.*/\1 \2/')
        for dialog in "ustawienia 118 553 313 276 284" "oprogramie 192 266 221 125 180" "wyniki 266 640 460 594 436"; do
            read -r nazwa bx w h zx zy <<<"$dialog"
            otwarty=0
            # (A click while the dialog is open falls on its shield: harmless.)
            for _ in 1 2 3 4 5; do
                polecenie click $((x + bx)) $((y + 28))
                sleep 1
                zrzut "$work/$nazwa.png"
                if wynik=$("$check" --dialog "$tlo" "$work/pulpit.png" "$work/okno.png" "$work/$nazwa.png" "$w" "$h"); then
                    otwarty=1
                    break
                fi
            done
            echo "$nazwa: $wynik"
            [ "$otwarty" = 1 ] || exit 1
            read -r dx dy < <(echo "$wynik" | sed -E 's/.*drawn at ([0-9]+),([0-9]+);.*/\1 \2/')
            polecenie click $((dx + 1 + zx)) $((dy + 20 + zy))
            sleep 1
            zrzut "$work/$nazwa-zamkniety.png"
            if "$check" --dialog "$tlo" "$work/pulpit.png" "$work/okno.png" "$work/$nazwa-zamkniety.png" "$w" "$h" >/dev/null ||
                ! "$check" "$tlo" "$work/pulpit.png" "$work/$nazwa-zamkniety.png" >/dev/null; then
                echo "$nazwa: not closed by its button"
                exit 1
            fi
        done
        # The children picker, closed by its OK and by Escape: each time the
        # keyboard is back in the answer field, and Space starts a drill.
        for zamkniecie in "press OK" "key 1"; do
            polecenie press "Kto ćwiczy" && polecenie button OK || { echo "the picker did not open"; exit 1; }
            polecenie $zamkniecie && polecenie focus Odpowiedź ||
                { echo "the picker closed by $zamkniecie: the focus not back"; exit 1; }
        done
        polecenie key 57 && polecenie button Stop || { echo "Space after the picker started no drill"; exit 1; }
        echo "picker: closed by OK and by Escape, the focus back in the answer field; Space starts a drill"
        exit 0
    fi
done
echo "compositor log:"; tail -20 "$work/compositor.log"
exit 1
