"""Start-up, memory and dialog figures of tintenwijzer under Xvfb. Not a test: it only reports.

Usage: bench.py BINARY FLOOR [RUNS]   (bench/run builds both and calls this)
FLOOR is a bare Qt Widgets window: what Qt itself needs here before any window maps.
"""

import os
import random
import shutil
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))

from harness import KIES_KLEUR, START_TIMEOUT, STEP_TIMEOUT, TITLE, Session  # noqa: E402

CYCLES = 200
GROWTH_FROM = 10
REFERENCES = [["kcolorchooser"], ["zenity", "--color-selection"]]


def resident_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise RuntimeError("no VmRSS")


def next_map(x, accept, since, timeout):
    """The time at which the first window after since that accept() likes was mapped."""
    deadline = time.monotonic() + timeout
    while True:
        for when, window in x.maps[since:]:
            if accept(window):
                return when, window
        since = len(x.maps)
        remaining = deadline - time.monotonic()
        if remaining <= 0:
            raise TimeoutError("no window mapped")
        x.pump(remaining)


def one_run(session, binary, colours):
    x = session.x
    figures = {}

    since = len(x.maps)
    app = session.start([binary])
    mapped, window = next_map(
        x, lambda w: x.cardinals(w, "_NET_WM_PID") == [app.pid] and x.text(w, "WM_NAME") == TITLE,
        since, START_TIMEOUT)
    figures["start"] = (mapped - app.started) * 1000
    app.wait_swatch(window, (255, 255, 255))
    time.sleep(0.2)
    figures["rss"] = resident_kib(app.pid) / 1024

    for cycle in range(1, CYCLES + 1):
        colour = tuple(colours.randrange(256) for _ in range(3))
        since = len(x.maps)
        x.click(*KIES_KLEUR)
        clicked = time.monotonic()
        opened, dialog = next_map(x, lambda w: w != window and x.viewable(w)
                                  and x.cardinals(w, "_NET_WM_PID") == [app.pid],
                                  since, STEP_TIMEOUT)
        if cycle == 1:
            figures["dialog"] = (opened - clicked) * 1000
        x.wait_until(lambda: x.focused() == dialog, STEP_TIMEOUT, "dialog focus")
        app.confirm_colour(window, dialog, colour)
        if cycle == GROWTH_FROM:
            before = resident_kib(app.pid)
    figures["growth"] = (resident_kib(app.pid) - before) / 1024

    x.key("Escape")  # harmless; the program is stopped below either way
    app.stop()
    return figures


def reference_start(session, command):
    x = session.x
    since = len(x.maps)
    app = session.start(command)
    try:
        mapped, _ = next_map(x, lambda w: x.cardinals(w, "_NET_WM_PID") == [app.pid], since,
                             START_TIMEOUT)
        return (mapped - app.started) * 1000
    finally:
        app.stop()


def line(label, values, unit, target=None, digits=1):
    median = statistics.median(values)
    verdict = "" if target is None else ("  met" if median <= target else "  MISSED")
    target_text = "" if target is None else f"<= {target:g} {unit}"
    print(f"{label:<38} {median:8.{digits}f} {unit:<3} {min(values):7.{digits}f} -"
          f" {max(values):<7.{digits}f} {target_text:<11}{verdict}")
    return median


def main():
    binary, floor = (os.path.abspath(path) for path in sys.argv[1:3])
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 10
    colours = random.Random(20261208)
    results = []
    with Session() as session:
        warm_up = session.start([binary])  # fills the font and file caches once
        warm_up.main_window()
        warm_up.stop()
        for run in range(runs):
            results.append(one_run(session, binary, colours))
            print(f"run {run + 1}/{runs}: " + ", ".join(f"{k} {v:.1f}" for k, v in
                                                       results[-1].items()), file=sys.stderr)
        references = {"bare Qt 6 window": [reference_start(session, [floor])
                                           for _ in range(runs)]}
        for command in REFERENCES:
            if shutil.which(command[0]):
                references[" ".join(command)] = [reference_start(session, command)
                                                 for _ in range(runs)]

    print(f"tintenwijzer, {runs} runs, Xvfb at 96 dpi, no window manager, {os.cpu_count()} cores")
    print(f"{'':<38} {'median':>8}     {'min - max':^17} target")
    start = line("start-up, exec to window mapped", [r["start"] for r in results], "ms", 35)
    line("resident memory once shown", [r["rss"] for r in results], "MB", 32)
    line('first "Kies kleur" click to dialog', [r["dialog"] for r in results], "ms", 30)
    line(f"memory growth, cycle {GROWTH_FROM} to {CYCLES}", [r["growth"] for r in results], "MB",
         1, digits=2)
    for name, values in references.items():
        median = line(f"{name}, start-up", values, "ms")
        print(f"{'':<38} tintenwijzer takes {start / median:.2f} x its time")
    if len(references) == 1:
        print("neither kcolorchooser nor zenity is installed: no reference from them")


if __name__ == "__main__":
    main()
