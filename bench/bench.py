"""Start-up, memory and dialog figures of tintenwijzer under Xvfb. Not a test: it only reports.

Usage: bench.py BINARY FLOOR [--baseline BINARY] [RUNS]   (bench/run builds them and calls this)
FLOOR is a Qt Widgets window with one label and one button: what Qt itself needs here to show a
window with text. The start-up targets are ratios to programs measured in the same run, one start
of each after every run of tintenwijzer, because absolute times do not carry between machines.
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
PEER = ["kcolorchooser"]
REFERENCES = [PEER, ["zenity", "--color-selection"]]

START_OVER_FLOOR = 1.10
COPY_OVER_FLOOR = 1.5
START_OVER_PEER = 0.3
RSS_MB = 32
DIALOG_OVER_PEER_START = 0.2
DIALOG_MS = 30
GROWTH_MB = 1


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


def start_shown(session, binary, figures):
    """Starts a tintenwijzer, notes its start-up and its memory once painted, and returns it."""
    x = session.x
    since = len(x.maps)
    app = session.start([binary])
    mapped, window = next_map(
        x, lambda w: x.cardinals(w, "_NET_WM_PID") == [app.pid] and x.text(w, "WM_NAME") == TITLE,
        since, START_TIMEOUT)
    figures["start"] = (mapped - app.started) * 1000
    app.wait_swatch(window, (255, 255, 255))
    time.sleep(0.2)
    figures["rss"] = resident_kib(app.pid) / 1024
    return app, window


def one_run(session, binary, colours):
    x = session.x
    figures = {}
    app, window = start_shown(session, binary, figures)

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


def baseline_run(session, binary):
    figures = {}
    app, _ = start_shown(session, binary, figures)
    app.stop()
    return figures


def copy_start(session, binary):
    """Exec of --pick --copy, as a desktop's shortcut starts it, to its picker mapped."""
    x = session.x
    since = len(x.maps)
    app = session.start([binary, "--pick", "--copy"])
    mapped, _ = next_map(x, lambda w: x.cardinals(w, "_NET_WM_PID") == [app.pid], since,
                         START_TIMEOUT)
    x.wait_until(lambda: app.running() and x.grabbed(), STEP_TIMEOUT, "picker's grab")
    x.key("Escape")
    app.wait_exit()
    return (mapped - app.started) * 1000


def reference_start(session, command):
    """Exec to the program's first window mapped; for a colour chooser, that is its dialog."""
    x = session.x
    since = len(x.maps)
    app = session.start(command)
    try:
        mapped, _ = next_map(x, lambda w: x.cardinals(w, "_NET_WM_PID") == [app.pid], since,
                             START_TIMEOUT)
        return (mapped - app.started) * 1000
    finally:
        app.stop()


def line(label, values, unit, target=None, how="", digits=1):
    median = statistics.median(values)
    target_text = "" if target is None else f"<= {target:.{digits}f} {unit} {how}".rstrip()
    print(f"{label:<38} {median:8.{digits}f} {unit:<3} {min(values):7.{digits}f} -"
          f" {max(values):<7.{digits}f} {target_text:<28} {verdict(median, target)}".rstrip())
    return median


def ratio_line(label, ratio, target):
    print(f"{label:<38} {ratio:8.2f} x   {'':<17} {'<= ' + format(target, 'g') + ' x':<28}"
          f" {verdict(ratio, target)}")


def verdict(value, target):
    return "" if target is None else ("met" if value <= target else "MISSED")


def main():
    arguments = sys.argv[1:]
    baseline = None
    if "--baseline" in arguments:
        at = arguments.index("--baseline")
        baseline = os.path.abspath(arguments[at + 1])
        del arguments[at:at + 2]
    binary, floor = (os.path.abspath(path) for path in arguments[:2])
    runs = int(arguments[2]) if len(arguments) > 2 else 10
    colours = random.Random(20261208)

    starts = {"floor": [floor]}
    starts.update({" ".join(c): c for c in REFERENCES if shutil.which(c[0])})
    peer = " ".join(PEER) if shutil.which(PEER[0]) else None
    results, others, baselines, copies = [], {name: [] for name in starts}, [], []
    with Session() as session:
        for command in [[binary]] + ([[baseline]] if baseline else []) + list(starts.values()):
            reference_start(session, command)  # fills the font and file caches once
        tasks = [lambda: results.append(one_run(session, binary, colours)),
                 lambda: copies.append(copy_start(session, binary))]
        if baseline:
            tasks.append(lambda: baselines.append(baseline_run(session, baseline)))
        for name, command in starts.items():
            tasks.append(lambda name=name, command=command:
                         others[name].append(reference_start(session, command)))
        for run in range(runs):
            # Each program takes each place in the order in turn, so none always follows the same.
            for task in tasks[run % len(tasks):] + tasks[:run % len(tasks)]:
                task()
            print(f"run {run + 1}/{runs}: " + ", ".join(f"{k} {v:.1f}" for k, v in
                                                       results[-1].items()), file=sys.stderr)

    print(f"tintenwijzer, {runs} runs, Xvfb at 96 dpi, no window manager, {os.cpu_count()} cores")
    print(f"{'':<38} {'median':>8}     {'min - max':^17} target")
    floor_start = statistics.median(others["floor"])
    start = line("start-up, exec to window mapped", [r["start"] for r in results], "ms",
                 START_OVER_FLOOR * floor_start, f"({START_OVER_FLOOR:g} x floor)")
    line("--pick --copy, exec to picker mapped", copies, "ms", COPY_OVER_FLOOR * floor_start,
         f"({COPY_OVER_FLOOR:g} x floor)")
    if peer:
        peer_start = statistics.median(others[peer])
        ratio_line(f"  against {peer}'s start-up", start / peer_start, START_OVER_PEER)
    line("resident memory once shown", [r["rss"] for r in results], "MB", RSS_MB)
    if peer:
        line('first "Kies kleur" click to dialog', [r["dialog"] for r in results], "ms",
             DIALOG_OVER_PEER_START * peer_start, f"({DIALOG_OVER_PEER_START:g} x {peer})")
    else:
        line('first "Kies kleur" click to dialog', [r["dialog"] for r in results], "ms",
             DIALOG_MS)
    line(f"memory growth, cycle {GROWTH_FROM} to {CYCLES}", [r["growth"] for r in results], "MB",
         GROWTH_MB, digits=2)
    for name, values in others.items():
        median = line("floor: label and button, start-up" if name == "floor"
                      else f"{name}, start-up", values, "ms")
        print(f"{'':<38} tintenwijzer takes {start / median:.2f} x its time")
    if not peer:
        print(f"{PEER[0]} is not installed: no peer to compare with, the dialog's target is "
              f"{DIALOG_MS} ms")
    if baseline:
        print(f"baseline {os.path.basename(os.path.dirname(baseline))}, measured between the runs:")
        base_start = line("  start-up, exec to window mapped", [b["start"] for b in baselines],
                          "ms")
        base_rss = line("  resident memory once shown", [b["rss"] for b in baselines], "MB")
        print(f"{'':<38} now {start - base_start:+.1f} ms, "
              f"{statistics.median(r['rss'] for r in results) - base_rss:+.1f} MB")


if __name__ == "__main__":
    main()
