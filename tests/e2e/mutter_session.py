#!/usr/bin/python3
"""Screenshots and input for a headless mutter, through its ScreenCast and
RemoteDesktop D-Bus interfaces (a session of one client: mutter ends the
sessions of a client that goes away).

    mutter_session.py

Reads commands from standard input, one a line, and answers "ok" or "error
..." for each:
    shot FILE     the monitor, as PNG (a frame of the PipeWire stream)
    click X Y     the left button at X, Y of the monitor
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
ctx = GLib.MainContext.default()
end = time.monotonic() + 10
while not node and time.monotonic() < end:
    ctx.iteration(False)
    time.sleep(0.01)
if not node:
    print("error no stream", flush=True)
    sys.exit(1)
print("ok", flush=True)

for line in sys.stdin:
    cmd = line.split()
    try:
        while ctx.pending():
            ctx.iteration(False)
        if cmd[0] == "shot":
            subprocess.run(["gst-launch-1.0", "-q", "pipewiresrc", "path=%d" % node[0], "num-buffers=1", "!",
                            "videoconvert", "!", "pngenc", "!", "filesink", "location=" + cmd[1]],
                           check=True, timeout=15, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        elif cmd[0] == "click":
            call(RD, rd, RD + ".Session", "NotifyPointerMotionAbsolute",
                 GLib.Variant("(sdd)", (stream, float(cmd[1]), float(cmd[2]))))
            for pressed in (True, False):
                time.sleep(0.05)
                call(RD, rd, RD + ".Session", "NotifyPointerButton", GLib.Variant("(ib)", (0x110, pressed)))
        print("ok", flush=True)
    except Exception as e:  # reported to the script, which fails the check
        print("error %s" % e, flush=True)
