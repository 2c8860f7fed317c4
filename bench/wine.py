#!/usr/bin/env python3
"""Start-up of the 64-bit Windows program under Wine on Xvfb, and the size of both exes.
Not a test: it only reports. Wine is not Windows, so the start-up figure has no target.

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


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 10
    exe = os.path.abspath(os.path.join(BUILD, "win64", "tintenwijzer.exe"))
    prefix = os.path.abspath(os.path.join(BUILD, "wineprefix"))
    wine.make_prefix(prefix)
    os.environ.update(wine.environment(prefix))
    # A server that stays between runs, as Windows itself does: each run then times the
    # program's own start, not Wine's.
    starts = []
    with Session() as session:
        # A server that stays between runs, as Windows itself does: each run then times the
        # program's own start, not Wine's.
        subprocess.run(["wineserver", "-p"], check=True)
        try:
            x = session.x
            for run in range(runs + 1):
                since = len(x.maps)
                app = session.start(["wine", exe])
                mapped, window = next_map(
                    x, lambda w: x.cardinals(w, "_NET_WM_PID") == [app.pid]
                    and x.text(w, "WM_NAME") == TITLE, since, START_TIMEOUT)
                if run:  # the first run fills the caches and starts Wine's own services
                    starts.append((mapped - app.started) * 1000)
                    print(f"run {run}/{runs}: {starts[-1]:.1f} ms", file=sys.stderr)
                x.send_delete_window(window)
                app.wait_exit(STEP_TIMEOUT)
        finally:
            # Before the X server goes, so that no Wine process loses its display.
            wine.stop(prefix)

    print(f"tintenwijzer.exe under {wine_version()}, {runs} runs, Xvfb at 96 dpi, "
          f"no window manager, {os.cpu_count()} cores")
    print(f"{'':<38} {'median':>8}     {'min - max':^17}")
    line("start-up, exec to window mapped", starts, "ms")
    for name in ("win32", "win64"):
        size = os.path.getsize(os.path.join(BUILD, name, "tintenwijzer.exe")) / 1024
        print(f"{name + ' exe size':<38} {size:8.1f} KiB")


def wine_version():
    return subprocess.run(["wine", "--version"], capture_output=True, text=True,
                          check=False).stdout.strip()


if __name__ == "__main__":
    main()
