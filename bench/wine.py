#!/usr/bin/env python3
"""Start-up of the 64-bit Windows program under Wine on Xvfb, and the size of both exes.
Not a test: it only reports. Wine is not Windows, so the start-up figure has no target; Wine's
own notepad, started the same way, shows what Wine itself needs here.

Usage: bench/wine.py [RUNS]   (after scripts/build-windows; the Wine prefix goes beside the builds)
"""

import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "windows"))

import wine  # noqa: E402
from bench import line, next_map  # noqa: E402
from harness import START_TIMEOUT, STEP_TIMEOUT, TITLE, Session  # noqa: E402

BUILD = os.path.join(HERE, "..", "build-windows")


def starts(session, command, runs, title=None):
    """Exec-to-mapped times of command's window, in ms; a first, unmeasured run fills the
    caches and starts Wine's own services."""
    x = session.x
    times = []
    for run in range(runs + 1):
        since = len(x.maps)
        app = session.start(command)
        mapped, window = next_map(
            x, lambda w: x.cardinals(w, "_NET_WM_PID") == [app.pid]
            and (title is None or x.text(w, "WM_NAME") == title), since, START_TIMEOUT)
        if run:
            times.append((mapped - app.started) * 1000)
            print(f"{command[-1]} run {run}/{runs}: {times[-1]:.1f} ms", file=sys.stderr)
        x.send_delete_window(window)
        app.wait_exit(STEP_TIMEOUT)
    return times


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 10
    exe = os.path.abspath(os.path.join(BUILD, "win64", "tintenwijzer.exe"))
    prefix = os.path.abspath(os.path.join(BUILD, "wineprefix"))
    wine.make_prefix(prefix)
    os.environ.update(wine.environment(prefix))
    with Session() as session:
        # A server that stays between runs, as Windows itself does: each run then times the
        # program's own start, not Wine's.
        subprocess.run(["wineserver", "-p"], check=True)
        try:
            ours = starts(session, ["wine", exe], runs, TITLE)
            # By its path: a bare name would start it in a process of its own.
            notepad = os.path.join(prefix, "drive_c", "windows", "system32", "notepad.exe")
            reference = starts(session, ["wine", notepad], runs)
        finally:
            # Before the X server goes, so that no Wine process loses its display.
            wine.stop(prefix)

    print(f"tintenwijzer.exe under {wine_version()}, {runs} runs, Xvfb at 96 dpi, "
          f"no window manager, {os.cpu_count()} cores")
    print(f"{'':<38} {'median':>8}     {'min - max':^17}")
    median = line("start-up, exec to window mapped", ours, "ms")
    floor = line("Wine's own notepad, start-up", reference, "ms")
    print(f"{'':<38} tintenwijzer takes {median / floor:.2f} x its time")
    for name in ("win32", "win64"):
        size = os.path.getsize(os.path.join(BUILD, name, "tintenwijzer.exe")) / 1024
        print(f"{name + ' exe size':<38} {size:8.1f} KiB")


def wine_version():
    return subprocess.run(["wine", "--version"], capture_output=True, text=True,
                          check=False).stdout.strip()


if __name__ == "__main__":
    main()
