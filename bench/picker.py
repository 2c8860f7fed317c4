"""Figures of the screen picker under Xvfb. Not a test: it only reports.

Usage: picker.py BINARY FREEZE QTFREEZE [RUNS]   (bench/run builds them and calls this)
Every figure is read off the screen from a connection of this script's own, as a user would see
it, so it holds whatever way the picker draws. FREEZE is the least any picker that freezes the
screen must do before its loupe shows (bench/freeze); the picker's time from the key to its
loupe on screen is set against FREEZE's, measured the same way, interleaved with it, at each
screen size. QTFREEZE does FREEZE's work from a Qt window's shortcut (bench/qtfreeze): what it
takes over FREEZE is Qt's, for reference.
"""

import array
import ctypes
import os
import statistics
import subprocess
import sys
import time

from bench import STEP_TIMEOUT, line, next_map, resident_kib, start_shown
from harness import START_TIMEOUT, Session
import x11

SIZES = ("1280x1024", "2560x1440", "3840x2160", "7680x4320")
ROOT = 0x123456
SHOWN_OVER_FREEZE = 1.5
LOUPE_MS = 4
MOVES = 200
AFTER_MB = 2
# A fresh Xvfb copies the screen into a pixmap several times slower the first few times, while its
# heap grows to hold one; an X server that has run for a while has long done that.
WARM_COPIES = 6
SHOWN_PAUSE = 0.0005
HERE, THERE = (400, 300), (700, 500)
# A band of the loupe's caption, from the pointer: 16 px below and right of it the loupe starts,
# 110 px of cells and then 34 px of caption. The band also lies in the caption of a loupe 20 px
# away, as the Windows program draws it.
BAND = (30, 136, 90, 20)


class _Image(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int)]


def band_colours(x, point):
    """The colours on screen, as 0xRRGGBB, in the caption band of a loupe for the pointer at
    point."""
    left, top, width, height = point[0] + BAND[0], point[1] + BAND[1], BAND[2], BAND[3]
    image = x11.XGetImage(x._dpy, x.root, left, top, width, height, x11.ALL_PLANES,
                          x11.Z_PIXMAP)
    if not image:
        raise RuntimeError(f"cannot read the screen at {left}, {top}")
    try:
        fields = ctypes.cast(image, ctypes.POINTER(_Image)).contents
        if fields.bits_per_pixel != 32 or fields.bytes_per_line != 4 * width:
            raise RuntimeError(f"{fields.bits_per_pixel} bits a pixel: not a 24-bit screen")
        words = array.array("I", ctypes.string_at(fields.data, 4 * width * height))
        if fields.byte_order != (sys.byteorder == "big"):
            words.byteswap()
    finally:
        x11.XDestroyImage(image)
    return {word & 0xFFFFFF for word in words}


def painted(x, point):
    """Whether a loupe covers the whole band: where any of the band still shows the root, the
    loupe is not there yet, or not all of it."""
    return ROOT not in band_colours(x, point)


def wait_painted(x, point, pause=0.0, timeout=STEP_TIMEOUT):
    """The time at which the loupe beside point shows; pause yields the processor between
    looks to what is being measured, at the cost of as much resolution."""
    deadline = time.monotonic() + timeout
    while not painted(x, point):
        if time.monotonic() > deadline:
            raise TimeoutError(f"no loupe painted for the pointer at {point}")
        time.sleep(pause)
    return time.monotonic()


def assert_bare(x, point):
    if band_colours(x, point) != {ROOT}:
        raise RuntimeError(f"something covers the root beside {point} before the pick")


def shown_ms(x, point):
    """Ctrl+Shift+C to the loupe painted beside point, where the pointer is."""
    assert_bare(x, point)
    pressed = time.monotonic()
    x.key("ctrl+shift+c")
    # Looking on without a pause would take a processor from a picker that takes long.
    return (wait_painted(x, point, SHOWN_PAUSE) - pressed) * 1000


def move(x, point):
    x11.XTestFakeMotionEvent(x._dpy, -1, point[0], point[1], 0)
    x11.XFlush(x._dpy)


def finish(x, how, point):
    """Ends a pick with a click where the pointer is or with a key, and waits until the loupe
    beside point is gone and the input free. Asking for the grab before the picker has taken
    it could take it away from the picker, so that is asked only once the loupe is gone."""
    if how == "click":
        x11.XTestFakeButtonEvent(x._dpy, 1, 1, 0)
        x11.XTestFakeButtonEvent(x._dpy, 1, 0, 0)
        x11.XSync(x._dpy, 0)
    else:
        # A key reaches the picker only once it holds the keyboard, which the loupe does not show.
        time.sleep(0.1)
        x.key(how)
    x.wait_until(lambda: band_colours(x, point) == {ROOT} and not x.grabbed(), STEP_TIMEOUT,
                 "the picker's end")


def program_run(session, binary):
    x = session.x
    figures = {}
    app, window = start_shown(session, binary, {})
    x.move(*HERE)
    x.focus(window)
    time.sleep(0.3)
    before = resident_kib(app.pid)
    figures["shown"] = shown_ms(x, HERE)
    peak = resident_kib(app.pid)

    moves = []
    for number in range(MOVES):
        point = THERE if number % 2 == 0 else HERE
        started = time.monotonic()
        move(x, point)
        moves.append((wait_painted(x, point) - started) * 1000)
        peak = max(peak, resident_kib(app.pid))
    figures["loupe"] = statistics.median(moves)
    finish(x, "click", point)

    for number, how in enumerate(("Escape", "click")):
        # Never where the pick before ended: the current Qt picker drops a move there when it is
        # the first that it hears of since.
        there = (THERE[0] - 20 * (number + 1), THERE[1])
        x.move(*HERE)
        x.focus(window)
        x.key("ctrl+shift+c")
        wait_painted(x, HERE)
        move(x, there)
        wait_painted(x, there)
        finish(x, how, there)
    time.sleep(0.5)
    figures["peak"] = (peak - before) / 1024
    figures["after"] = (resident_kib(app.pid) - before) / 1024
    app.stop()
    return figures


def freeze_run(session, freeze):
    x = session.x
    app = session.start([freeze])
    x.wait_until(lambda: app.running() and app.output() == "ready\n", START_TIMEOUT,
                 "the key grab of freeze")
    x.move(*HERE)
    shown = shown_ms(x, HERE)
    app.stop()
    x.wait_until(lambda: band_colours(x, HERE) == {ROOT}, STEP_TIMEOUT, "the root back")
    return shown


def qtfreeze_run(session, qtfreeze):
    x = session.x
    since = len(x.maps)
    app = session.start([qtfreeze])
    _, window = next_map(x, lambda w: x.cardinals(w, "_NET_WM_PID") == [app.pid], since,
                         START_TIMEOUT)
    x.move(*HERE)
    x.focus(window)
    time.sleep(0.3)
    shown = shown_ms(x, HERE)
    app.stop()
    x.wait_until(lambda: band_colours(x, HERE) == {ROOT}, STEP_TIMEOUT, "the root back")
    return shown


def sessions():
    opened = {}
    try:
        for size in SIZES:
            opened[size] = Session((size + "x24",))
            subprocess.run(["xsetroot", "-solid", f"#{ROOT:06x}"],
                           env=opened[size].environment(), check=True)
    except BaseException:
        for session in opened.values():
            session.close()
        raise
    return opened


def main():
    binary, freeze, qtfreeze = (os.path.abspath(path) for path in sys.argv[1:4])
    runs = int(sys.argv[4]) if len(sys.argv) > 4 else 10
    results = {size: [] for size in SIZES}
    floors = {size: [] for size in SIZES}
    qt_floors = {size: [] for size in SIZES}
    opened = sessions()
    try:
        for size, session in opened.items():
            # Not counted: fills the caches and the X server's heap.
            for _ in range(WARM_COPIES):
                freeze_run(session, freeze)
            program_run(session, binary)
            qtfreeze_run(session, qtfreeze)
        for run in range(runs):
            # Sizes and programs take turns in the order, so that none always follows the same.
            order = SIZES[run % len(SIZES):] + SIZES[:run % len(SIZES)]
            turn = run % 3
            for size in order:
                tasks = [lambda: results[size].append(program_run(opened[size], binary)),
                         lambda: floors[size].append(freeze_run(opened[size], freeze)),
                         lambda: qt_floors[size].append(qtfreeze_run(opened[size], qtfreeze))]
                for task in tasks[turn:] + tasks[:turn]:
                    task()
                print(f"run {run + 1}/{runs}, {size}: freeze {floors[size][-1]:.1f}, "
                      f"qtfreeze {qt_floors[size][-1]:.1f}, "
                      + ", ".join(f"{k} {v:.1f}" for k, v in results[size][-1].items()),
                      file=sys.stderr)
    finally:
        for session in opened.values():
            session.close()

    print(f"screen picker, {runs} runs, Xvfb at 96 dpi, no window manager, {os.cpu_count()} cores")
    print(f"{'':<38} {'median':>8}     {'min - max':^17} target")
    for size in SIZES:
        figures = results[size]
        print(f"{size}:")
        floor = line("  freeze: frozen screen, black loupe", floors[size], "ms")
        line("  qtfreeze: the same from a Qt shortcut", qt_floors[size], "ms")
        line("  Ctrl+Shift+C to loupe painted", [r["shown"] for r in figures], "ms",
             SHOWN_OVER_FREEZE * floor, f"({SHOWN_OVER_FREEZE:g} x freeze)")
        line(f"  pointer move to loupe, median of {MOVES}", [r["loupe"] for r in figures], "ms",
             LOUPE_MS)
        line("  resident memory in 1st pick, peak", [r["peak"] for r in figures], "MB",
             how="over before")
        line("  resident memory after 3 picks", [r["after"] for r in figures], "MB", AFTER_MB,
             "over before", digits=2)


if __name__ == "__main__":
    main()
