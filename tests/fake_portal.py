#!/usr/bin/env python3
"""A stand-in for the desktop portal's Screenshot interface, for the tests.

Owns org.freedesktop.portal.Desktop on the session bus it is started on and answers every
Screenshot call on the Request object that the caller's handle_token names, as the real
portal does. The first argument says how:
  picture URI   Response(0, {uri: URI})
  refuse        Response(1, {})
  fail          Response(2, {})
  never         no Response at all (a desktop waiting for the user)
  late URI      neither the call's reply nor a Response until the test asks, through the
                methods of org.kiramo.FakePortal: Calls() counts the calls so far, Reply(i)
                sends call i's reply, Respond(i, code) its Response (with URI when code is 0)
It prints "ready" once the name is taken, and the options of each call on stderr.
"""
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

PATH = "/org/freedesktop/portal/desktop"


class Request(dbus.service.Object):
    @dbus.service.signal("org.freedesktop.portal.Request", signature="ua{sv}")
    def Response(self, response, results):
        pass


class Portal(dbus.service.Object):
    def __init__(self, bus, how, uri):
        super().__init__(bus, PATH)
        self.bus, self.how, self.uri, self.requests = bus, how, uri, []

    @dbus.service.method("org.freedesktop.portal.Screenshot", in_signature="sa{sv}",
                         out_signature="o", sender_keyword="sender",
                         async_callbacks=("reply", "error"))
    def Screenshot(self, parent, options, sender, reply, error):
        print("Screenshot", dict(options), file=sys.stderr, flush=True)
        path = "%s/request/%s/%s" % (PATH, sender[1:].replace(".", "_"), options["handle_token"])
        request = Request(self.bus, path)
        self.requests.append((request, lambda: reply(dbus.ObjectPath(path))))
        if self.how == "late":
            return
        answers = {"picture": (0, {"uri": self.uri}), "refuse": (1, {}), "fail": (2, {})}
        if self.how in answers:
            code, results = answers[self.how]
            # After the call's reply, as a portal that asks the user first would.
            GLib.timeout_add(50, lambda: request.Response(
                dbus.UInt32(code), dbus.Dictionary(results, signature="sv")) and False)
        reply(dbus.ObjectPath(path))

    @dbus.service.method("org.kiramo.FakePortal", out_signature="u")
    def Calls(self):
        return len(self.requests)

    @dbus.service.method("org.kiramo.FakePortal", in_signature="u")
    def Reply(self, i):
        self.requests[i][1]()

    @dbus.service.method("org.kiramo.FakePortal", in_signature="uu")
    def Respond(self, i, code):
        results = {"uri": self.uri} if code == 0 else {}
        self.requests[i][0].Response(code, dbus.Dictionary(results, signature="sv"))


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    portal = Portal(bus, sys.argv[1], sys.argv[2] if len(sys.argv) > 2 else "")
    name = dbus.service.BusName("org.freedesktop.portal.Desktop", bus)
    print("ready", flush=True)
    GLib.MainLoop().run()
    del portal, name


if __name__ == "__main__":
    main()
