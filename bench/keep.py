"""What another copy holding the state folder costs: a paste's time in the window, with the
folder locked by another process and without, and how many colours eight copies keep that
each took two while it was locked. Not a test: it only reports.

Usage: keep.py BINARY [RUNS]   (bench/run builds it and calls this)
"""

import fcntl
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))

from bench import line  # noqa: E402
from harness import STEP_TIMEOUT, Session  # noqa: E402

HELD_S = 10
EXTRA_MS = 50
COPIES = 8


class Held:
    """The state folder locked as another copy locks it for a write that takes long, a slow
    fsync say: it reads the list, and on release writes it back with a colour of its own."""

    def __init__(self, folder):
        os.makedirs(folder, exist_ok=True)
        self._folder = folder
        self._fd = os.open(folder, os.O_RDONLY | os.O_DIRECTORY)
        fcntl.flock(self._fd, fcntl.LOCK_EX)
        try:
            with open(os.path.join(folder, "recent")) as recent:
                self._list = recent.read()
        except FileNotFoundError:
            self._list = ""

    def release(self):
        temporary = os.path.join(self._folder, ".recent-bench0")
        with open(temporary, "w") as new:
            new.write("1\n" + self._list)
        os.rename(temporary, os.path.join(self._folder, "recent"))
        os.close(self._fd)


def paste_ms(session, app, window, colour):
    session.set_clipboard("#%02x%02x%02x" % colour)
    session.x.focus(window)
    start = time.monotonic()
    session.x.key("ctrl+v")
    app.wait_swatch(window, colour)
    return (time.monotonic() - start) * 1000


def main():
    binary = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 9
    with Session() as session:
        folder = os.path.join(session.home_variables["XDG_STATE_HOME"], "tintenwijzer")
        app = session.start([binary])
        window = app.main_window()
        free = [paste_ms(session, app, window, (0, 0, i + 1)) for i in range(runs)]
        held = Held(folder)
        start, locked = time.monotonic(), []
        for i in range(runs):
            locked.append(paste_ms(session, app, window, (0, 1, i + 1)))
            time.sleep(max(0.0, start + HELD_S * (i + 1) / runs - time.monotonic()))
        held.release()
        app.stop()

        held = Held(folder)
        apps = []
        for copy in range(COPIES):
            app = session.start([binary])
            window = app.main_window()
            for value in (2 * copy, 2 * copy + 1):
                paste_ms(session, app, window, (0, 2, value))
            apps.append((app, window))
        held.release()
        recent = os.path.join(folder, "recent")

        def kept():
            with open(recent) as lines:
                return sum(1 for n in lines if int(n) % 65536 == 2 * 256)
        try:
            session.x.wait_until(lambda: kept() == 2 * COPIES, STEP_TIMEOUT, "every colour kept")
        except TimeoutError:
            pass
        kept_now = kept()
        for app, window in apps:
            session.x.send_delete_window(window)
            app.wait_exit()

    print(f"taking a colour, {runs} pastes each, Xvfb, {os.cpu_count()} cores")
    base = line("paste to swatch, folder free", free, "ms")
    line(f"  folder held by another for {HELD_S} s", locked, "ms", base + EXTRA_MS,
         f"(+{EXTRA_MS} ms)")
    print(f"{COPIES} copies, two colours each while the folder was held: "
          f"{kept_now} of {2 * COPIES} kept")


if __name__ == "__main__":
    main()
