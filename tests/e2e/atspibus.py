"""A private D-Bus session bus with an AT-SPI bus of its own, for what a screen reader is told.

Every process goes with the session, even when a test fails, and none of them touches the
desktop's own buses: the addresses live only in the environment given to the program."""

import os
import subprocess
import time

import dbus

import harness
import processgroup

LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
REGISTRY = "/usr/libexec/at-spi2-registryd"
ATTEMPTS = 3


class Bus:
    def __init__(self, session):
        self._session = session
        self._processes = []
        self.environment = {}
        # Now and then the launcher ends at start, on a loaded machine; a second start serves.
        for attempt in range(ATTEMPTS):
            try:
                self._start()
                return
            except RuntimeError:
                self.close()
                if attempt + 1 == ATTEMPTS:
                    raise RuntimeError(self._log("bus-launcher")) from None
            except BaseException:
                self.close()
                raise

    def _log(self, name):
        with open(os.path.join(self._session.directory, name + ".log"), "rb") as log:
            return log.read().decode(errors="replace")

    def _spawn(self, command, env, name):
        with open(os.path.join(self._session.directory, name + ".log"), "wb") as log:
            process = subprocess.Popen(
                command, env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                start_new_session=True, preexec_fn=harness._die_with_parent)
        self._processes.append(process)
        return process

    def _wait(self, condition, what):
        deadline = time.monotonic() + harness.START_TIMEOUT
        while True:
            try:
                result = condition()
                if result:
                    return result
            except dbus.DBusException:
                pass
            for process in self._processes:
                if process.poll() is not None:
                    raise RuntimeError(f"{process.args[0]} ended before {what}")
            if time.monotonic() > deadline:
                raise TimeoutError(what)
            time.sleep(0.05)

    def _start(self):
        socket = os.path.join(self._session.directory, "session-bus")
        session_address = "unix:path=" + socket
        env = dict(self._session.environment(), DBUS_SESSION_BUS_ADDRESS=session_address)
        env.pop("AT_SPI_BUS_ADDRESS", None)
        self._spawn(["dbus-daemon", "--session", "--nofork", "--nopidfile",
                     "--address=" + session_address], env, "session-bus")
        self._wait(lambda: os.path.exists(socket), "the session bus")
        session_bus = dbus.bus.BusConnection(session_address)
        try:
            self._spawn([LAUNCHER, "--launch-immediately"], env, "bus-launcher")
            launcher = self._wait(lambda: session_bus.get_object("org.a11y.Bus", "/org/a11y/bus"),
                                  "the bus launcher")
            address = self._wait(lambda: launcher.GetAddress(dbus_interface="org.a11y.Bus"),
                                 "the accessibility bus")
            # As a screen reader does when it starts: programs then connect to the bus.
            launcher.Set("org.a11y.Status", "ScreenReaderEnabled", dbus.Boolean(True),
                         dbus_interface="org.freedesktop.DBus.Properties")
        finally:
            session_bus.close()
        env["AT_SPI_BUS_ADDRESS"] = str(address)
        self._spawn([REGISTRY], env, "registry")
        a11y_bus = dbus.bus.BusConnection(env["AT_SPI_BUS_ADDRESS"])
        try:
            self._wait(lambda: a11y_bus.name_has_owner("org.a11y.atspi.Registry"), "the registry")
        finally:
            a11y_bus.close()
        # Programs and listeners alike find the accessibility bus through the session bus,
        # or the launcher's note of it on the X server; the listener in this process keeps
        # to the session's home as well.
        self.environment = dict(self._session.home_variables, DISPLAY=self._session.name,
                                DBUS_SESSION_BUS_ADDRESS=session_address)

    def close(self):
        # Each leads a process group of its own, which holds whatever it started in turn.
        for process in reversed(self._processes):
            processgroup.end(process)
        self._processes = []
