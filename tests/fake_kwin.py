#!/usr/bin/env python3
"""A stand-in for KWin's screenshot interface (org.kde.KWin.ScreenShot2), for the tests.

Owns org.kde.KWin on the session bus it is started on. The first argument says how it answers
CaptureScreen(name, options, pipe) and CaptureWorkspace(options, pipe):
  pixels DIR    the metadata in DIR/NAME.json (width, height, stride, format), then the bytes of
                DIR/NAME.raw into the pipe, NAME being the monitor's or "workspace"; a monitor
                without files is unknown (error InvalidScreen), as KWin answers
  short DIR     as pixels, but only half the bytes before the pipe is closed
  deny          error NoAuthorized, as KWin answers a program without a desktop entry for it
Calls() (interface org.kiramo.FakeKWin) lists the calls so far ("CaptureScreen NAME",
"CaptureWorkspace"). It prints "ready" once the name is taken, and each call's options on stderr.
"""
import json
import os
import sys
import threading

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

INTERFACE = "org.kde.KWin.ScreenShot2"


class ScreenShot2(dbus.service.Object):
    def __init__(self, bus, how, folder):
        super().__init__(bus, "/org/kde/KWin/ScreenShot2")
        self.how, self.folder, self.calls = how, folder, []

    def answer(self, name, options, pipe, reply, error):
        print(self.calls[-1], dict(options), file=sys.stderr, flush=True)
        fd = pipe.take()
        if self.how == "deny":
            os.close(fd)
            error(dbus.DBusException("The process is not authorized to take a screenshot",
                                     name=INTERFACE + ".Error.NoAuthorized"))
            return
        base = os.path.join(self.folder, name)
        if not os.path.exists(base + ".json"):
            os.close(fd)
            error(dbus.DBusException("Invalid screen requested",
                                     name=INTERFACE + ".Error.InvalidScreen"))
            return
        with open(base + ".json") as f:
            meta = json.load(f)
        with open(base + ".raw", "rb") as f:
            data = f.read()
        if self.how == "short":
            data = data[:len(data) // 2]
        reply(dbus.Dictionary({"type": "raw", "width": dbus.UInt32(meta["width"]),
                               "height": dbus.UInt32(meta["height"]),
                               "stride": dbus.UInt32(meta["stride"]),
                               "format": dbus.UInt32(meta["format"]),
                               "scale": 1.0}, signature="sv"))

        # After the reply, from a thread of its own, as KWin writes.
        def write():
            with os.fdopen(fd, "wb") as out:
                try:
                    out.write(data)
                except BrokenPipeError:
                    pass
        threading.Thread(target=write, daemon=True).start()

    @dbus.service.method(INTERFACE, in_signature="sa{sv}h", out_signature="a{sv}",
                         async_callbacks=("reply", "error"))
    def CaptureScreen(self, name, options, pipe, reply, error):
        self.calls.append("CaptureScreen " + name)
        self.answer(str(name), options, pipe, reply, error)

    @dbus.service.method(INTERFACE, in_signature="a{sv}h", out_signature="a{sv}",
                         async_callbacks=("reply", "error"))
    def CaptureWorkspace(self, options, pipe, reply, error):
        self.calls.append("CaptureWorkspace")
        self.answer("workspace", options, pipe, reply, error)

    @dbus.service.method("org.kiramo.FakeKWin", out_signature="as")
    def Calls(self):
        return self.calls


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    objects = [ScreenShot2(bus, sys.argv[1], sys.argv[2] if len(sys.argv) > 2 else ""),
               dbus.service.BusName("org.kde.KWin", bus)]
    print("ready", flush=True)
    GLib.MainLoop().run()
    del objects


if __name__ == "__main__":
    main()
