"""Picks a colour through the desktop portal the way tintenwijzer --pick --print does, and
prints its number: the stand-in for the program while the harness is proven on its own."""

import math
import os
import sys

import dbus
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

WHITE = 0xFFFFFF
SCREENSHOT = "org.freedesktop.portal.Screenshot"
TIMEOUT_SECONDS = 120


def component(value):
    value = float(value)
    if math.isnan(value):
        raise ValueError("NaN")
    return round(min(max(value, 0.0), 1.0) * 255)


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    portal = bus.get_object("org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop")
    version = portal.Get(SCREENSHOT, "version", dbus_interface=dbus.PROPERTIES_IFACE)
    if version < 2:
        sys.exit(f"portal version {version} has no PickColor")

    token = f"tintenwijzer{os.getpid()}"
    sender = bus.get_unique_name()[1:].replace(".", "_")
    path = f"/org/freedesktop/portal/desktop/request/{sender}/{token}"
    loop = GLib.MainLoop()
    answer = {}

    def response(code, results):
        answer.update(code=int(code), results=results)
        loop.quit()

    # Subscribed before the call, so a quick answer cannot slip past.
    bus.add_signal_receiver(response, signal_name="Response",
                            dbus_interface="org.freedesktop.portal.Request", path=path)
    handle = portal.PickColor("", {"handle_token": token}, dbus_interface=SCREENSHOT)
    if handle != path:
        sys.exit(f"request handle {handle}, expected {path}")
    GLib.timeout_add_seconds(TIMEOUT_SECONDS, loop.quit)
    loop.run()

    if "code" not in answer:
        sys.exit("no response")
    if answer["code"] == 1:
        print(WHITE)
        return
    colour = answer["results"].get("color")
    if answer["code"] != 0 or colour is None or len(colour) != 3:
        sys.exit(f"refused: response {answer['code']}, {dict(answer['results'])}")
    red, green, blue = (component(c) for c in colour)
    print(red + 256 * green + 65536 * blue)


if __name__ == "__main__":
    main()
