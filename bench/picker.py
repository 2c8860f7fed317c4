"""Figures of the screen picker under Xvfb. Not a test: it only reports.

Usage: picker.py BINARY [RUNS]   (bench/run builds it and calls this)
The picker's time to be shown is set against the first open of the colour dialog, measured in
the same run of the same program.
"""

import os
import statistics
import subprocess
import sys
import time

from bench import KIES_KLEUR, STEP_TIMEOUT, line, next_map, ratio_line, resident_kib, start_shown
from harness import Session
import x11

SCREENS = {
    "1280x1024": ("1280x1024x24",),
    "2560x1440": ("2560x1440x24",),
    "3840x1080, two screens": ("1920x1080x24", "1920x1080x24"),
}
SHOWN_OVER_DIALOG = 1.0
LOUPE_MS = 4
MOVES = 200
AFTER_MB = 1
GAP, CELLS = 16, 110  # the loupe's distance from the pointer and the side of its cells


def move(x, point):
    x11.XTestFakeMotionEvent(x._dpy, -1, point[0], point[1], 0)
    x11.XFlush(x._dpy)


def caption(point):
    """A point of the loupe's caption, black, for the pointer at point."""
    return point[0] + GAP + 3, point[1] + GAP + CELLS + 3


def wait_black(x, point):
    deadline = time.monotonic() + STEP_TIMEOUT
    while x.pixel(x.root, *point) != (0, 0, 0):
        if time.monotonic() > deadline:
            raise TimeoutError("no loupe painted")
    return time.monotonic()


def one_run(screens, binary):
    figures = {}
    with Session(screens) as session:
        x = session.x
        subprocess.run(["xsetroot", "-solid", "#123456"], env=session.environment(), check=True)
        app, window = start_shown(session, binary, {})
        since = len(x.maps)
        x.click(*KIES_KLEUR)
        clicked = time.monotonic()
        opened, dialog = next_map(x, lambda w: w != window and x.viewable(w), since,
                                  STEP_TIMEOUT)
        figures["dialog"] = (opened - clicked) * 1000
        x.wait_until(lambda: x.focused() == dialog, STEP_TIMEOUT, "dialog focus")
        x.key("Escape")
        x.wait_until(lambda: len(x.windows_of(app.pid)) == 1, STEP_TIMEOUT, "dialog closed")

        here, there = (400, 300), (700, 500)
        move(x, here)
        x.focus(window)
        time.sleep(0.3)
        before = resident_kib(app.pid)
        x.key("ctrl+shift+c")
        pressed = time.monotonic()
        figures["shown"] = (wait_black(x, caption(here)) - pressed) * 1000
        peak = resident_kib(app.pid)

        moves = []
        for number in range(MOVES):
            point = there if number % 2 == 0 else here
            move(x, point)
            started = time.monotonic()
            moves.append((wait_black(x, caption(point)) - started) * 1000)
            peak = max(peak, resident_kib(app.pid))
        figures["loupe"] = statistics.median(moves)

        x.key("Escape")
        x.wait_until(lambda: not x.grabbed(), STEP_TIMEOUT, "picker ended")
        time.sleep(0.5)
        figures["peak"] = (peak - before) / 1024
        figures["after"] = (resident_kib(app.pid) - before) / 1024
        app.stop()
    return figures


def main():
    binary = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 10
    print(f"screen picker, {runs} runs each, Xvfb at 96 dpi, no window manager")
    for name, screens in SCREENS.items():
        results = [one_run(screens, binary) for _ in range(runs)]
        print(f"{name}:")
        dialog = line("  first dialog open", [r["dialog"] for r in results], "ms")
        shown = line("  shortcut to picker painted", [r["shown"] for r in results], "ms")
        ratio_line("    against the dialog", shown / dialog, SHOWN_OVER_DIALOG)
        line(f"  pointer move to loupe, median of {MOVES}", [r["loupe"] for r in results], "ms",
             LOUPE_MS)
        line("  resident memory during a pick, peak", [r["peak"] for r in results], "MB",
             how="over before")
        line("  resident memory after it", [r["after"] for r in results], "MB", AFTER_MB,
             "over before", digits=2)


if __name__ == "__main__":
    main()
