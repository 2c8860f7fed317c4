"""A headless sway with the real desktop portal on a private session bus, and a virtual
pointer to click with: just enough of the Wayland wire protocol, over the socket."""

import os
import pwd
import re
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import time

import privatehome
import processgroup

BACKGROUND = (0x12, 0x34, 0x56)
START_TIMEOUT = 30
STEP_TIMEOUT = 15

PROGRAMS = ["sway", "dbus-daemon", "dbus-send", "pipewire", "grim", "slurp", "setpriv",
            "/usr/libexec/xdg-desktop-portal", "/usr/libexec/xdg-desktop-portal-wlr",
            "/usr/libexec/xdg-desktop-portal-gtk"]


class Unavailable(Exception):
    """The machine cannot run the session at all; the test skips with this reason."""


def missing_programs():
    return [p for p in PROGRAMS if not shutil.which(p)]


def _string(text):
    data = text.encode() + b"\0"
    return struct.pack("<I", len(data)) + data + b"\0" * (-len(data) % 4)


class VirtualPointer:
    """One zwlr_virtual_pointer_v1 on the compositor's default seat."""

    _DISPLAY, _BTN_LEFT = 1, 0x110

    def __init__(self, path):
        self._socket = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self._socket.settimeout(STEP_TIMEOUT)
        self._socket.connect(path)
        self._buffer = b""
        self._last_id = 1
        self._registry = self._new_id()
        self._globals = {}
        self._send(self._DISPLAY, 1, struct.pack("<I", self._registry))
        self._roundtrip()
        interface = "zwlr_virtual_pointer_manager_v1"
        if interface not in self._globals:
            raise Unavailable(f"the compositor offers no {interface}")
        name, _ = self._globals[interface]
        self._manager = self._new_id()
        self._send(self._registry, 0, struct.pack("<I", name) + _string(interface)
                   + struct.pack("<II", 1, self._manager))
        self._pointer = self._new_id()
        self._send(self._manager, 0, struct.pack("<II", 0, self._pointer))
        self._roundtrip()

    def _new_id(self):
        self._last_id += 1
        return self._last_id

    def _send(self, target, opcode, payload=b""):
        self._socket.sendall(struct.pack("<II", target, (8 + len(payload)) << 16 | opcode)
                             + payload)

    def _roundtrip(self):
        callback = self._new_id()
        self._send(self._DISPLAY, 0, struct.pack("<I", callback))
        while True:
            target, opcode, payload = self._receive()
            if target == self._DISPLAY and opcode == 0:
                _, code, length = struct.unpack_from("<III", payload)
                message = payload[12:12 + length - 1].decode(errors="replace")
                raise RuntimeError(f"Wayland protocol error {code}: {message}")
            if target == self._registry and opcode == 0:
                name, length = struct.unpack_from("<II", payload)
                interface = payload[8:8 + length - 1].decode()
                version = struct.unpack_from("<I", payload, 8 + length + (-length % 4))[0]
                self._globals[interface] = (name, version)
            if target == callback and opcode == 0:
                return

    def _receive(self):
        while True:
            if len(self._buffer) >= 8:
                target, word = struct.unpack_from("<II", self._buffer)
                size = word >> 16
                if len(self._buffer) >= size:
                    payload = self._buffer[8:size]
                    self._buffer = self._buffer[size:]
                    return target, word & 0xFFFF, payload
            chunk = self._socket.recv(4096)
            if not chunk:
                raise RuntimeError("the compositor closed the connection")
            self._buffer += chunk

    def _time(self):
        return int(time.monotonic() * 1000) & 0xFFFFFFFF

    def move(self, x, y, width, height):
        self._send(self._pointer, 1, struct.pack("<IIIII", self._time(), x, y, width, height))
        self._send(self._pointer, 4)
        self._roundtrip()

    def click(self):
        for state in (1, 0):
            self._send(self._pointer, 2, struct.pack("<III", self._time(), self._BTN_LEFT, state))
            self._send(self._pointer, 4)
        self._roundtrip()

    def close(self):
        if self._socket.fileno() >= 0:
            try:
                self._send(self._pointer, 8)
                self._roundtrip()
            finally:
                self._socket.close()


class Session:
    """sway, a session bus, pipewire and the portals, all as an ordinary user (sway refuses
    to run as root), in a folder of their own."""

    def __init__(self):
        self.directory = tempfile.mkdtemp(prefix="tintenwijzer-wayland-")
        os.chmod(self.directory, 0o755)
        self._processes = []
        self._logs = []
        self._home_variables = privatehome.variables(self.directory)
        self.runtime = self._home_variables["XDG_RUNTIME_DIR"]
        self.home = self._home_variables["HOME"]
        self._user = None
        if os.getuid() == 0:
            self._user = pwd.getpwnam("nobody")
            for path in (self.runtime, self.home):
                os.chown(path, self._user.pw_uid, self._user.pw_gid)
        try:
            self._start()
        except BaseException:
            self.close()
            raise

    def _command(self, command):
        if self._user is None:
            return command
        return ["setpriv", f"--reuid={self._user.pw_uid}", f"--regid={self._user.pw_gid}",
                "--clear-groups", "--"] + command

    def reachable(self, path):
        """path, or where the session runs as another user, a copy of it in the session's
        folder: a checkout in root's own home is out of that user's reach."""
        if self._user is None:
            return path
        copy = os.path.join(self.directory, os.path.basename(path))
        shutil.copyfile(path, copy)
        os.chmod(copy, 0o755 if os.access(path, os.X_OK) else 0o644)
        return copy

    def environment(self):
        env = {key: value for key, value in os.environ.items()
               if not key.startswith(("XDG_", "DBUS_", "WAYLAND_", "DISPLAY", "QT_"))}
        env.update(self._home_variables)
        env.update(XDG_CURRENT_DESKTOP="sway", LC_ALL="C.UTF-8", WLR_BACKENDS="headless",
                   WLR_LIBINPUT_NO_DEVICES="1", WLR_RENDERER="pixman")
        env.update(self._extra)
        return env

    def spawn(self, name, command, stdout=None):
        log = open(os.path.join(self.directory, f"{name}.log"), "wb")
        self._logs.append(log)
        process = subprocess.Popen(self._command(command), env=self.environment(),
                                   cwd=self.home if self._user is None else "/",
                                   stdin=subprocess.DEVNULL, stdout=stdout or log, stderr=log,
                                   start_new_session=True)
        self._processes.append(process)
        return process

    def log(self, name):
        with open(os.path.join(self.directory, f"{name}.log"), "rb") as log:
            return log.read().decode(errors="replace")

    def _wait(self, condition, what, timeout=START_TIMEOUT, process=None):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            result = condition()
            if result:
                return result
            if process is not None and process.poll() is not None:
                return None
            time.sleep(0.05)
        raise TimeoutError(f"{what} within {timeout} s")

    def _start(self):
        self._extra = {}
        # A sanitizer build ends at once where it cannot read its suppressions.
        options = os.environ.get("LSAN_OPTIONS", "")
        if self._user is not None and "suppressions=" in options:
            self._extra["LSAN_OPTIONS"] = re.sub(r"(?<=suppressions=)[^:]+",
                                                 lambda m: self.reachable(m.group()), options)
        config = os.path.join(self.directory, "sway.config")
        with open(config, "w") as f:
            f.write("output * bg #%02x%02x%02x solid_color\n" % BACKGROUND)
            # Tiled, the program's window would cover the whole output and so the point picked.
            f.write("for_window [app_id=\".*\"] floating enable, move position 0 0\n")
            f.write("xwayland disable\n")
        sway = self.spawn("sway", ["sway", "--config", config])

        def socket_name():
            names = [n for n in os.listdir(self.runtime)
                     if n.startswith("wayland-") and not n.endswith(".lock")]
            return names[0] if names else None
        name = self._wait(socket_name, "sway's socket", process=sway)
        if name is None:
            last = (self.log("sway").strip().splitlines() or ["no output"])[-1]
            raise Unavailable(f"sway cannot start here: {last}")
        self.wayland_socket = os.path.join(self.runtime, name)
        self._extra["WAYLAND_DISPLAY"] = name

        bus_address = os.path.join(self.runtime, "bus")
        self.spawn("dbus", ["dbus-daemon", "--session", "--nofork", "--nosyslog",
                            f"--address=unix:path={bus_address}"])
        self._wait(lambda: os.path.exists(bus_address), "the session bus")
        self._extra["DBUS_SESSION_BUS_ADDRESS"] = f"unix:path={bus_address}"

        # The wlr backend ends at once when it finds no pipewire to talk to.
        pipewire = self.spawn("pipewire", ["pipewire"])
        self._wait(lambda: os.path.exists(os.path.join(self.runtime, "pipewire-0")),
                   "pipewire's socket", process=pipewire)
        for backend in ("wlr", "gtk"):
            process = self.spawn(f"xdg-desktop-portal-{backend}",
                                 [f"/usr/libexec/xdg-desktop-portal-{backend}"])
            self._ready(f"org.freedesktop.impl.portal.desktop.{backend}", process,
                        f"xdg-desktop-portal-{backend}")
        self._ready("org.freedesktop.portal.Desktop",
                    self.spawn("xdg-desktop-portal", ["/usr/libexec/xdg-desktop-portal"]),
                    "xdg-desktop-portal")

    def _ready(self, name, process, log):
        if not self._wait(lambda: self.owned(name), name, process=process):
            raise RuntimeError(f"{name} ended early:\n{self.log(log)}")

    def size(self):
        """The output's width and height, from a capture's header."""
        result = subprocess.run(self._command(["grim", "-t", "ppm", "-"]), env=self.environment(),
                                capture_output=True, timeout=STEP_TIMEOUT, check=True)
        width, height = result.stdout.split(maxsplit=3)[1:3]
        return int(width), int(height)

    def owned(self, name):
        result = subprocess.run(
            self._command(["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                           "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                           f"string:{name}"]),
            env=self.environment(), capture_output=True, timeout=STEP_TIMEOUT, check=False)
        return b"boolean true" in result.stdout

    def sample(self, x, y):
        """The compositor's colour at one output pixel, through grim."""
        result = subprocess.run(self._command(["grim", "-g", f"{x},{y} 1x1", "-t", "ppm", "-"]),
                                env=self.environment(), capture_output=True,
                                timeout=STEP_TIMEOUT, check=True)
        return tuple(result.stdout[-3:])

    def wait_until(self, condition, what, timeout=STEP_TIMEOUT):
        return self._wait(condition, what, timeout)

    def close(self):
        for process in reversed(self._processes):
            processgroup.end(process)
        for log in self._logs:
            log.close()
        if os.environ.get("TINTENWIJZER_KEEP_LOGS"):
            print(f"logs kept in {self.directory}", file=sys.stderr)
        else:
            shutil.rmtree(self.directory, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
