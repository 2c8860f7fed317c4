"""Starts an Xvfb of its own and the real tintenwijzer in it, and cleans both up."""

import ctypes
import os
import select
import signal
import subprocess
import sys
import tempfile
import time

import privatehome
import x11

TITLE = "Tintenwijzer"
WIDTH, HEIGHT = 314, 248
SWATCH_CENTRE = (8 + 297 // 2, 8 + 137 // 2)
KIES_KLEUR = (184 + 57 // 2, 216 + 25 // 2)

# Bounds for the waits, not targets: they only matter when something hangs,
# and the sanitizer build starts several times slower.
START_TIMEOUT = 30
STEP_TIMEOUT = 15

_libc = ctypes.CDLL(None, use_errno=True)
_PR_SET_PDEATHSIG = 1


def binary():
    path = os.environ.get("TINTENWIJZER_BINARY")
    if not path:
        sys.exit("TINTENWIJZER_BINARY is not set: run the tests through ctest")
    return path


def _die_with_parent():
    # Even a test runner killed outright leaves no Xvfb or app behind.
    _libc.prctl(_PR_SET_PDEATHSIG, signal.SIGKILL)


def _end(process, grace=5):
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(grace)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def _raise_on_term(signum, frame):
    raise SystemExit(128 + signum)


signal.signal(signal.SIGTERM, _raise_on_term)


class Session:
    """An Xvfb at 96 dpi without a window manager, and a connection to it."""

    def __init__(self, screens=("1024x768x24",), variables=None):
        self._screens = screens
        self._variables = variables or {}
        self.directory = tempfile.mkdtemp(prefix="tintenwijzer-e2e-")
        self.home_variables = privatehome.variables(self.directory)
        self._apps = []
        self._clipboard_owners = []
        self._xvfb = None
        self.x = None
        try:
            self._start_xvfb()
            self.x = x11.Display(self.name)
        except BaseException:
            self.close()
            raise

    def _start_xvfb(self):
        # -displayfd lets the server pick a free display, so parallel runs never collide.
        read_end, write_end = os.pipe()
        try:
            with open(os.path.join(self.directory, "xvfb.log"), "wb") as log:
                self._xvfb = subprocess.Popen(
                    ["Xvfb", "-displayfd", str(write_end), *self._screen_options(),
                     "-dpi", "96", "-nolisten", "tcp", "-noreset"],
                    pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                    preexec_fn=_die_with_parent)
            os.close(write_end)
            write_end = None
            number = b""
            deadline = time.monotonic() + START_TIMEOUT
            while not number.endswith(b"\n"):
                remaining = deadline - time.monotonic()
                if remaining <= 0 or not select.select([read_end], [], [], remaining)[0]:
                    raise TimeoutError("Xvfb did not report its display")
                chunk = os.read(read_end, 16)
                if not chunk:
                    raise RuntimeError("Xvfb ended: " + self._log("xvfb.log"))
                number += chunk
            self.name = ":" + number.decode().strip()
        finally:
            os.close(read_end)
            if write_end is not None:
                os.close(write_end)

    def _screen_options(self):
        options = []
        for number, screen in enumerate(self._screens):
            options += ["-screen", str(number), screen]
        return options + (["+xinerama"] if len(self._screens) > 1 else [])

    def _log(self, name):
        with open(os.path.join(self.directory, name), "rb") as log:
            return log.read().decode(errors="replace")

    def environment(self):
        env = dict(os.environ)
        env.pop("WAYLAND_DISPLAY", None)
        env.pop("LANGUAGE", None)
        env.update(self.home_variables)
        # The colour dialog's mnemonics are the English ones.
        # The program's own screen picker, not a desktop portal the machine may happen to run.
        env.update(DISPLAY=self.name, QT_QPA_PLATFORM="xcb", LC_ALL="C.UTF-8",
                   QT_NO_XDG_DESKTOP_PORTAL="1")
        env.update(self._variables)
        return env

    def xdotool(self, *arguments):
        """Acts on the session's windows as another program would."""
        subprocess.run(["xdotool", *map(str, arguments)], env=self.environment(),
                       stdin=subprocess.DEVNULL, check=True, timeout=STEP_TIMEOUT)

    def set_clipboard(self, text):
        """Puts text on the clipboard, held by an xclip until another owner takes it."""
        owner = subprocess.Popen(
            ["xclip", "-quiet", "-selection", "clipboard", "-display", self.name],
            stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
            preexec_fn=_die_with_parent)
        self._clipboard_owners.append(owner)
        owner.stdin.write(text.encode())
        owner.stdin.close()
        # It says that it waits once it owns the clipboard.
        if not select.select([owner.stderr], [], [], STEP_TIMEOUT)[0]:
            raise AssertionError("xclip did not take the clipboard")
        owner.stderr.readline()
        # Read back, so that the server has made it the owner before the key is sent: the
        # program would paste what it read of the clipboard before.
        self.x.wait_until(lambda: self.clipboard() == text, STEP_TIMEOUT, f"{text} on clipboard")

    def clipboard(self):
        return subprocess.run(["xclip", "-o", "-selection", "clipboard", "-display", self.name],
                              capture_output=True, text=True, timeout=STEP_TIMEOUT).stdout

    def start(self, program=None):
        app = App(self, program or [binary()])
        self._apps.append(app)
        return app

    def close(self):
        for app in self._apps:
            app.stop()
        for owner in self._clipboard_owners:
            owner.kill()
            owner.wait()
            owner.stderr.close()
        if self.x:
            self.x.close()
            self.x = None
        if self._xvfb:
            _end(self._xvfb)
            self._xvfb = None
        for name in sorted(os.listdir(self.directory)):
            if name.endswith(".stderr"):
                text = self._log(name)
                if text.strip():
                    print(f"--- {name}\n{text}", file=sys.stderr)
        subprocess.run(["rm", "-rf", self.directory], check=False)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


class App:
    """One run of the program inside a session."""

    def __init__(self, session, command):
        self.x = session.x
        number = len(session._apps)
        stderr_path = os.path.join(session.directory, f"app{number}.stderr")
        self._stdout_path = os.path.join(session.directory, f"app{number}.stdout")
        with open(stderr_path, "wb") as stderr, open(self._stdout_path, "wb") as stdout:
            self.started = time.monotonic()
            self.process = subprocess.Popen(
                command, env=session.environment(), cwd=session.directory,
                stdin=subprocess.DEVNULL, stdout=stdout, stderr=stderr,
                preexec_fn=_die_with_parent)
        self.pid = self.process.pid

    def main_window(self, timeout=START_TIMEOUT):
        """Waits for the main window to be viewable and gives it the keyboard."""
        window = self.x.wait_until(lambda: self.running() and self.x.window_named(self.pid, TITLE),
                                   timeout, "main window")
        self.x.focus(window)
        return window

    def running(self):
        if self.process.poll() is not None:
            raise AssertionError(f"the program ended early with status {self.process.returncode}")
        return True

    def other_window(self, main, timeout=STEP_TIMEOUT):
        """Waits for a second top-level window of the program, such as the colour dialog."""
        def found():
            others = [w for w in self.x.windows_of(self.pid) if w != main]
            return others[0] if others else None
        return self.x.wait_until(lambda: self.running() and found(), timeout, "second window")

    def dialog(self, main, timeout=STEP_TIMEOUT):
        """Waits for the colour dialog to be viewable and to hold the keyboard."""
        dialog = self.other_window(main, timeout)
        self.x.wait_until(lambda: self.x.focused() == dialog, timeout, "dialog focus")
        return dialog

    def closed(self, window, timeout=STEP_TIMEOUT):
        self.x.wait_until(lambda: not self.x.viewable(window), timeout, "window closed")

    def swatch_probe(self, main, colour):
        """A point of the swatch that shows something else now, while the dialog covers it:
        seeing colour there later proves that the swatch was painted since."""
        for y in range(12, 141, 16):
            for x in range(12, 301, 16):
                if self.x.pixel(main, x, y) != colour:
                    return x, y
        raise AssertionError(f"the swatch shows {colour} already")

    def wait_swatch(self, main, colour, probe=SWATCH_CENTRE, timeout=STEP_TIMEOUT):
        points = {probe, SWATCH_CENTRE}
        self.x.wait_until(lambda: all(self.x.pixel(main, *p) == colour for p in points),
                          timeout, f"swatch in {colour}")

    def confirm_colour(self, main, dialog, colour):
        """Types colour into the open dialog's HTML field, confirms with Return, and waits
        for the swatch to show it."""
        probe = self.swatch_probe(main, colour)
        self.x.key("alt+h")
        self.x.type("#%02x%02x%02x" % colour)
        self.x.key("Return")
        self.closed(dialog)
        self.wait_swatch(main, colour, probe)

    def output(self):
        """What the program wrote to standard output so far."""
        with open(self._stdout_path, "rb") as stdout:
            return stdout.read().decode()

    def wait_exit(self, timeout=STEP_TIMEOUT):
        """The exit status; raises if the program is still running after timeout seconds."""
        return self.process.wait(timeout)

    def stop(self):
        _end(self.process)
