#!/usr/bin/env python3
"""Start-up of the 64-bit Windows program under Wine on Xvfb, the size of both exes, the time
from Ctrl+Shift+C to its screen picker's loupe on screen at the sizes bench/picker.py measures,
and how many colours eight copies keep that each took two while another held the state folder.
Not a test: it only reports. Wine is not Windows, so these figures have no target; Wine's own
notepad, started the same way, shows what Wine itself needs to start here.

Usage: bench/wine.py [--picker | --keep] [RUNS]   (after scripts/build-windows; the Wine prefix
goes beside the builds; --picker measures only the picker, --keep only the kept colours)
"""

import os
import pwd
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "windows"))

import picker  # noqa: E402
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


def picks(exe, runs):
    """Per screen size, the times from Ctrl+Shift+C to the loupe painted, each in a program just
    started; a first, unmeasured pick fills the caches."""
    shown = {}
    for size in picker.SIZES:
        with Session((size + "x24",)) as session:
            x = session.x
            subprocess.run(["xsetroot", "-solid", f"#{picker.ROOT:06x}"],
                           env=session.environment(), check=True)
            subprocess.run(["wineserver", "-p"], check=True)
            try:
                times = []
                for run in range(runs + 1):
                    app = session.start([wine.loader(exe), exe])
                    window = app.main_window()
                    x.move(*picker.HERE)
                    x.focus(window)
                    time.sleep(0.3)
                    if run:
                        times.append(picker.shown_ms(x, picker.HERE))
                        print(f"picker at {size}, run {run}/{runs}: {times[-1]:.1f} ms",
                              file=sys.stderr)
                    else:
                        x.key("ctrl+shift+c")
                        picker.wait_painted(x, picker.HERE)
                    app.stop()
                    x.wait_until(lambda: picker.band_colours(x, picker.HERE) == {picker.ROOT},
                                 STEP_TIMEOUT, "the root back")
                shown[size] = times
            finally:
                wine.stop(os.environ["WINEPREFIX"])
    return shown


def kept(exe, prefix, copies=8):
    """Pastes two colours into each of copies programs while another program holds the state
    folder's lock, then writes the list it read back, as a copy with a slow disk would; returns
    how many of those colours the list holds once it has let go."""
    folder = os.path.join(prefix, "drive_c", "users", pwd.getpwuid(os.getuid()).pw_name,
                          "AppData", "Local", "Tintenwijzer")
    recent = os.path.join(folder, "recent")
    os.makedirs(folder, exist_ok=True)

    def ours():
        with open(recent) as lines:
            return sum(1 for n in lines if int(n) % 65536 == 2 * 256)

    with Session() as session:
        x = session.x
        subprocess.run(["wineserver", "-p"], check=True)
        apps = []
        try:
            holder = subprocess.Popen(["wine", os.path.join(os.path.dirname(exe), "holdfile.exe"),
                                       "--state"], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
            holder.stdout.readline()
            listed = open(recent).read() if os.path.exists(recent) else ""
            for copy in range(copies):
                app = session.start(["wine", exe])
                window = app.main_window()
                apps.append((app, window))
                for value in (2 * copy, 2 * copy + 1):
                    colour = (0, 2, value)
                    session.set_clipboard("#%02x%02x%02x" % colour)
                    # Wine takes a new X clipboard over in its own time.
                    deadline = time.monotonic() + STEP_TIMEOUT
                    while True:
                        x.focus(window)
                        x.key("ctrl+v")
                        try:
                            app.wait_swatch(window, colour, timeout=1)
                            break
                        except TimeoutError:
                            if time.monotonic() > deadline:
                                raise
            with open(recent + ".bench", "w") as new:
                new.write("1\n" + listed)
            os.rename(recent + ".bench", recent)
            holder.stdin.close()
            holder.wait(STEP_TIMEOUT)
            try:
                x.wait_until(lambda: ours() == 2 * copies, STEP_TIMEOUT, "every colour kept")
            except TimeoutError:
                pass
            return ours()
        finally:
            for app, window in apps:
                x.send_delete_window(window)
                app.wait_exit(STEP_TIMEOUT)
            wine.stop(prefix)


def main():
    arguments = sys.argv[1:]
    only_picker = "--picker" in arguments
    if only_picker:
        arguments.remove("--picker")
    only_keep = "--keep" in arguments
    if only_keep:
        arguments.remove("--keep")
    runs = int(arguments[0]) if arguments else 10
    exe = os.path.abspath(os.path.join(BUILD, "win64", "tintenwijzer.exe"))
    prefix = os.path.abspath(os.path.join(BUILD, "wineprefix"))
    wine.make_prefix(prefix)
    os.environ.update(wine.environment(prefix))
    copies_kept = None if only_picker else kept(exe, prefix)
    if only_keep:
        print(f"8 copies, two colours each while the folder was held: {copies_kept} of 16 kept")
        return
    if not only_picker:
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
    shown = picks(exe, runs)

    print(f"tintenwijzer.exe under {wine_version()}, {runs} runs, Xvfb at 96 dpi, "
          f"no window manager, {os.cpu_count()} cores")
    print(f"{'':<38} {'median':>8}     {'min - max':^17}")
    if not only_picker:
        median = line("start-up, exec to window mapped", ours, "ms")
        floor = line("Wine's own notepad, start-up", reference, "ms")
        print(f"{'':<38} tintenwijzer takes {median / floor:.2f} x its time")
    for size, times in shown.items():
        line(f"Ctrl+Shift+C to loupe, {size}", times, "ms")
    if not only_picker:
        print(f"8 copies, two colours each while the folder was held: {copies_kept} of 16 kept")
        for name in ("win32", "win64"):
            size = os.path.getsize(os.path.join(BUILD, name, "tintenwijzer.exe")) / 1024
            print(f"{name + ' exe size':<38} {size:8.1f} KiB")


def wine_version():
    return subprocess.run(["wine", "--version"], capture_output=True, text=True,
                          check=False).stdout.strip()


if __name__ == "__main__":
    main()
