"""A stand-in desktop portal with just the Screenshot interface's PickColor, on a given bus.

usage: fakeportal.py BUS_ADDRESS BEHAVIOUR

It prints "ready" once it owns the portal's name, then one line for each call it gets, so that
the test can see what was asked. BEHAVIOUR is how it answers PickColor; see ANSWERS.
"""

import signal
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

SERVICE = "org.freedesktop.portal.Desktop"
DESKTOP = "/org/freedesktop/portal/desktop"
SCREENSHOT = "org.freedesktop.portal.Screenshot"
REQUEST = "org.freedesktop.portal.Request"
PROPERTIES = "org.freedesktop.DBus.Properties"


def colour(red, green, blue):
    return {"color": dbus.Struct((red, green, blue), signature="ddd", variant_level=1)}


# Each behaviour: the Response's code and results, or None for no Response at all.
ANSWERS = {
    "colour": (0, colour(18 / 255, 52 / 255, 86 / 255)),
    "early": (0, colour(18 / 255, 52 / 255, 86 / 255)),
    "otherhandle": (0, colour(18 / 255, 52 / 255, 86 / 255)),
    "rounding": (0, colour(18.49 / 255, 51.6 / 255, 86.3 / 255)),
    "cancel": (1, {}),
    "nocolour": (0, {}),
    "malformed": (0, {"color": dbus.Array([0.1, 0.2, 0.3], signature="d", variant_level=1)}),
    "ended": (2, {}),
    "version1": (0, colour(0, 0, 0)),
    "silent": None,
    "callerror": None,
    # PickColor's call never returns; "mute" answers no call at all.
    "hangcall": None,
}


def log(*words):
    print(*words, flush=True)


class NotAllowed(dbus.DBusException):
    _dbus_error_name = "org.freedesktop.portal.Error.NotAllowed"


class Request(dbus.service.Object):
    @dbus.service.method(REQUEST, in_signature="", out_signature="")
    def Close(self):
        log("Close", self.__dbus_object_path__)
        self.remove_from_connection()

    @dbus.service.signal(REQUEST, signature="ua{sv}")
    def Response(self, response, results):
        pass

    def answer(self, response, results):
        self.Response(dbus.UInt32(response), dbus.Dictionary(results, signature="sv"))
        self.remove_from_connection()
        return False


class Portal(dbus.service.Object):
    def __init__(self, bus, behaviour):
        super().__init__(bus, DESKTOP)
        self.bus = bus
        self.behaviour = behaviour

    @dbus.service.method(PROPERTIES, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.GetAll(interface)[name]

    @dbus.service.method(PROPERTIES, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        if interface != SCREENSHOT:
            raise dbus.DBusException("No such interface", name="org.freedesktop.DBus.Error.UnknownInterface")
        version = 1 if self.behaviour == "version1" else 2
        return dbus.Dictionary({"version": dbus.UInt32(version)}, signature="sv")

    @dbus.service.method(SCREENSHOT, in_signature="sa{sv}", out_signature="o", sender_keyword="sender",
                         async_callbacks=("reply", "error"))
    def PickColor(self, parent_window, options, sender, reply, error):
        token = str(options.get("handle_token", ""))
        log("PickColor", repr(str(parent_window)), token)
        if self.behaviour == "callerror":
            error(NotAllowed("Not allowed"))
            return
        path = DESKTOP + "/request/" + sender[1:].replace(".", "_") + "/"
        path += "other" if self.behaviour == "otherhandle" else token
        request = Request(self.bus, path)
        answer = ANSWERS[self.behaviour]
        if answer is not None:
            if self.behaviour == "early":
                request.answer(*answer)
            else:
                GLib.timeout_add(20, request.answer, *answer)
        if self.behaviour != "hangcall":
            reply(dbus.ObjectPath(path))


def main():
    address, behaviour = sys.argv[1:]
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.bus.BusConnection(address)
    portal = Portal(bus, behaviour)
    name = dbus.service.BusName(SERVICE, bus, do_not_queue=True)
    log("ready")
    if behaviour == "mute":
        signal.pause()
    loop = GLib.MainLoop()
    GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, 15, loop.quit)
    loop.run()
    del name, portal


if __name__ == "__main__":
    main()
