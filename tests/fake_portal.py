#!/usr/bin/env python3
"""A stand-in for the desktop portal's Screenshot interface, for the tests.

Owns org.freedesktop.portal.Desktop on the session bus it is started on and answers every
Screenshot call on the Request object that the caller's handle_token names, as the real
portal does. The first argument says how:
  picture URI   Response(0, {uri: URI})
  refuse        Response(1, {})
  fail          Response(2, {})
  deny URI      as a desktop with a stored "no": Response(2, {}) to a quiet call, and the
                picture to an interactive one
  never         no Response at all (a desktop waiting for the user)
  late URI      neither the call's reply nor a Response until the test asks, through the
                methods of org.kiramo.FakePortal: Calls() counts the calls so far, Reply(i)
                sends call i's reply, Respond(i, code) its Response (with URI when code is 0);
                Interactive() lists each call's interactive option, Path(i) names call i's
                Request object
Options:
  --into DIR    every picture answered is a new copy of URI's file in DIR, named as GNOME
                names them (Screenshot.png, Screenshot-1.png, ...)
  --store V     also owns the permission store, holding V ("yes" or "no") for screenshots
                of programs outside a sandbox
  --shell-animates V  also owns GNOME Shell's org.gnome.Shell.Introspect, whose
                AnimationsEnabled is V ("true" or "false")
It prints "ready" once the names are taken, and the options of each call on stderr.
"""
import argparse
import os
import shutil
import sys
import urllib.parse

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
    def __init__(self, bus, how, uri, into):
        super().__init__(bus, PATH)
        self.bus, self.how, self.uri, self.into, self.requests = bus, how, uri, into, []
        self.interactive = []

    def picture(self):
        """The uri of the picture to answer, a new file in --into's folder when given."""
        if not self.into:
            return self.uri
        source = urllib.parse.urlparse(self.uri).path
        n = 0
        while True:
            name = "Screenshot.png" if n == 0 else "Screenshot-%d.png" % n
            target = os.path.join(self.into, name)
            if not os.path.exists(target):
                break
            n += 1
        shutil.copyfile(source, target)
        return "file://" + urllib.parse.quote(target)

    @dbus.service.method("org.freedesktop.portal.Screenshot", in_signature="sa{sv}",
                         out_signature="o", sender_keyword="sender",
                         async_callbacks=("reply", "error"))
    def Screenshot(self, parent, options, sender, reply, error):
        print("Screenshot", dict(options), file=sys.stderr, flush=True)
        path = "%s/request/%s/%s" % (PATH, sender[1:].replace(".", "_"), options["handle_token"])
        request = Request(self.bus, path)
        self.requests.append((request, lambda: reply(dbus.ObjectPath(path))))
        interactive = bool(options.get("interactive", False))
        self.interactive.append(interactive)
        if self.how == "late":
            return
        how = self.how
        if how == "deny":
            how = "picture" if interactive else "fail"
        answers = {"refuse": (1, {}), "fail": (2, {})}
        if how == "picture":
            answers[how] = (0, {"uri": self.picture()})
        if how in answers:
            code, results = answers[how]
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
        results = {"uri": self.picture()} if code == 0 else {}
        self.requests[i][0].Response(code, dbus.Dictionary(results, signature="sv"))

    @dbus.service.method("org.kiramo.FakePortal", out_signature="ab")
    def Interactive(self):
        return self.interactive

    @dbus.service.method("org.kiramo.FakePortal", in_signature="u", out_signature="o")
    def Path(self, i):
        return self.requests[i][0].__dbus_object_path__


class PermissionStore(dbus.service.Object):
    def __init__(self, bus, value):
        super().__init__(bus, "/org/freedesktop/impl/portal/PermissionStore")
        self.value = value

    @dbus.service.method("org.freedesktop.impl.portal.PermissionStore", in_signature="ss",
                         out_signature="a{sas}v")
    def Lookup(self, table, entry):
        if (table, entry) != ("screenshot", "screenshot"):
            raise dbus.DBusException("not found", name="org.freedesktop.portal.Error.NotFound")
        return ({"": [self.value]}, dbus.Byte(0, variant_level=1))


class Introspect(dbus.service.Object):
    def __init__(self, bus, animates):
        super().__init__(bus, "/org/gnome/Shell/Introspect")
        self.animates = animates

    @dbus.service.method("org.freedesktop.DBus.Properties", in_signature="ss",
                         out_signature="v")
    def Get(self, interface, name):
        if interface != "org.gnome.Shell.Introspect" or name != "AnimationsEnabled":
            raise dbus.DBusException("no such property",
                                     name="org.freedesktop.DBus.Error.UnknownProperty")
        return dbus.Boolean(self.animates)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("how")
    parser.add_argument("uri", nargs="?", default="")
    parser.add_argument("--into")
    parser.add_argument("--store")
    parser.add_argument("--shell-animates", choices=["true", "false"])
    args = parser.parse_args()
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    objects = [Portal(bus, args.how, args.uri, args.into),
               dbus.service.BusName("org.freedesktop.portal.Desktop", bus)]
    if args.store:
        objects += [PermissionStore(bus, args.store),
                    dbus.service.BusName("org.freedesktop.impl.portal.PermissionStore", bus)]
    if args.shell_animates:
        objects += [Introspect(bus, args.shell_animates == "true"),
                    dbus.service.BusName("org.gnome.Shell.Introspect", bus)]
    print("ready", flush=True)
    GLib.MainLoop().run()
    del objects


if __name__ == "__main__":
    main()
