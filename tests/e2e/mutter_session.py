#!/usr/bin/python3
"""Screenshots and input for a headless mutter, through its ScreenCast and
RemoteDesktop D-Bus interfaces (a session of one client: mutter ends the
sessions of a client that goes away).

    mutter_session.py

Reads commands from standard input, one a line, and answers "ok" or "error
..." for each:
    shot FILE     the monitor, as PNG (a frame of the PipeWire stream)
    click X Y     the left button at X, Y of the monitor
    key CODE...   each key (a Linux input code: 1 Escape, 57 Space) pressed
                  and released, in turn
    press NAME    the action of the showing push button whose name starts
                  with NAME, through the AT-SPI bus
    focus NAME    waits (5 s) until the control named NAME holds the
                  keyboard focus, as the AT-SPI bus tells it
    button NAME   waits (5 s) until a push button named NAME shows

Mutter headless has no keyboard until the remote desktop's virtual one sends
its first key, and a client learns of it only then: the key that made it is
lost. So a harmless key (Shift) is sent before any program starts, and the
programs see a keyboard from their first moment.
"""
import subprocess
import sys
import time

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)


def call(dest, path, iface, method, args=None, reply=None):
    return bus.call_sync(dest, path, iface, method, args, GLib.VariantType(reply) if reply else None,
                         Gio.DBusCallFlags.NONE, 5000, None)


RD, SC = "org.gnome.Mutter.RemoteDesktop", "org.gnome.Mutter.ScreenCast"
rd = call(RD, "/org/gnome/Mutter/RemoteDesktop", RD, "CreateSession", None, "(o)").unpack()[0]
rd_id = call(RD, rd, "org.freedesktop.DBus.Properties", "Get",
             GLib.Variant("(ss)", (RD + ".Session", "SessionId")), "(v)").unpack()[0]
sc = call(SC, "/org/gnome/Mutter/ScreenCast", SC, "CreateSession",
          GLib.Variant("(a{sv})", ({"remote-desktop-session-id": GLib.Variant("s", rd_id)},)), "(o)").unpack()[0]
stream = call(SC, sc, SC + ".Session", "RecordMonitor",
              GLib.Variant("(sa{sv})", ("", {"cursor-mode": GLib.Variant("u", 0)})), "(o)").unpack()[0]
node = []
bus.signal_subscribe(SC, SC + ".Stream", "PipeWireStreamAdded", stream, None, Gio.DBusSignalFlags.NONE,
                     lambda *a: node.append(a[5].unpack()[0]))
call(RD, rd, RD + ".Session", "Start")


def keys(codes):
    for code in codes:
        for pressed in (True, False):
            call(RD, rd, RD + ".Session", "NotifyKeyboardKeycode", GLib.Variant("(ub)", (code, pressed)))
            time.sleep(0.05)


keys([42])
ctx = GLib.MainContext.default()
end = time.monotonic() + 10
while not node and time.monotonic() < end:
    ctx.iteration(False)
    time.sleep(0.01)
if not node:
    print("error no stream", flush=True)
    sys.exit(1)
# The AT-SPI bus and its registry up before any program starts, which then
# joins them.
import pyatspi  # noqa: E402
pyatspi.Registry.getDesktop(0)
print("ok", flush=True)


def program():
    """The program on the AT-SPI bus."""
    end = time.monotonic() + 5
    while True:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            a = desktop.getChildAtIndex(i)
            if a is not None and a.name in ("zoltava-mnozenia", "Zoltava mnożenia"):
                return pyatspi, a
        if time.monotonic() > end:
            raise RuntimeError("the program is not on the AT-SPI bus")
        time.sleep(0.1)


def find(pred):
    pyatspi, a = program()
    return pyatspi.findAllDescendants(a, lambda x: pred(pyatspi, x))


def showing_button(pyatspi, x, name):
    return x.getRoleName() == "push button" and x.name.startswith(name) and x.getState().contains(pyatspi.STATE_SHOWING)


def until(cond, seconds=5):
    end = time.monotonic() + seconds
    while not cond() and time.monotonic() < end:
        time.sleep(0.1)
    return cond()


for line in sys.stdin:
    cmd = line.split(None, 1)
    try:
        while ctx.pending():
            ctx.iteration(False)
        if cmd[0] == "shot":
            subprocess.run(["gst-launch-1.0", "-q", "pipewiresrc", "path=%d" % node[0], "num-buffers=1", "!",
                            "videoconvert", "!", "pngenc", "!", "filesink", "location=" + cmd[1].strip()],
                           check=True, timeout=15, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        elif cmd[0] == "click":
            x, y = cmd[1].split()
            call(RD, rd, RD + ".Session", "NotifyPointerMotionAbsolute",
                 GLib.Variant("(sdd)", (stream, float(x), float(y))))
            for pressed in (True, False):
                time.sleep(0.05)
                call(RD, rd, RD + ".Session", "NotifyPointerButton", GLib.Variant("(ib)", (0x110, pressed)))
        elif cmd[0] == "key":
            keys(int(c) for c in cmd[1].split())
        elif cmd[0] == "press":
            name = cmd[1].strip()
            found = find(lambda p, x: showing_button(p, x, name))
            if len(found) != 1:
                raise RuntimeError("%d showing buttons named %s" % (len(found), name))
            found[0].queryAction().doAction(0)
        elif cmd[0] == "focus":
            name = cmd[1].strip()
            if not until(lambda: any(x.name == name for x in find(lambda p, x: x.getState().contains(p.STATE_FOCUSED)))):
                holders = [x.name for x in find(lambda p, x: x.getState().contains(p.STATE_FOCUSED))]
                raise RuntimeError("the focus is on %s, not %s" % (holders, name))
        elif cmd[0] == "button":
            name = cmd[1].strip()
            if not until(lambda: find(lambda p, x: showing_button(p, x, name) and x.name == name)):
                raise RuntimeError("no push button %s" % name)
        print("ok", flush=True)
    except Exception as e:  # reported to the script, which fails the check
        print("error %s" % e, flush=True)
