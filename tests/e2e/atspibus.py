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


class Bus:
    def __init__(self, session):
        self._session = session
        self._processes = []
        self.environment = {}
        try:
            self._start()
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
        self._processes.append((process, name))
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
            for process, name in self._processes:
                if process.poll() is not None:
                    said = self._log(name).strip() or "nothing"
                    if name == "bus-launcher" and process.returncode == 0:
                        said += ", as when another launcher holds org.a11y.Bus"
                    raise RuntimeError(f"{process.args[0]} ended with status "
                                       f"{process.returncode} before {what}, and said {said}")
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
        # Its socket is there a moment before it listens.
        session_bus = self._wait(lambda: os.path.exists(socket)
                                 and dbus.bus.BusConnection(session_address), "the session bus")
        try:
            self._spawn([LAUNCHER, "--launch-immediately"], env, "bus-launcher")
            # Asked for by name while nobody holds it, the session bus would start a launcher
            # of its own, and whichever came second would end.
            self._wait(lambda: session_bus.name_has_owner("org.a11y.Bus"), "the bus launcher")
            launcher = session_bus.get_object("org.a11y.Bus", "/org/a11y/bus")
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
        for process, _ in reversed(self._processes):
            processgroup.end(process)
        self._processes = []
