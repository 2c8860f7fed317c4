"""A colour picked through the real desktop portal, on a headless sway: the whole path from
the program's call to the compositor's own picker and back.

`tintenwijzer --pick --print` runs natively on Wayland."""

import os
import subprocess
import sys
import time
import unittest

import wayland

SKIP = 77
EXPECTED = "%d\n" % (wayland.BACKGROUND[0] + 256 * wayland.BACKGROUND[1]
                     + 65536 * wayland.BACKGROUND[2])
# Bounds against hangs only.
PICK_TIMEOUT = 60
RECLICK = 5
# A point of the program's swatch, below sway's title bar, in the window floating at 0, 0.
SWATCH = (100, 100)


def picker_command(session):
    # The pick needs no title bar of Qt's. Its decoration plugin, unloaded at exit, would take
    # with it the only pointer to what it keeps, which LeakSanitizer then calls a leak.
    return ["env", "QT_QPA_PLATFORM=wayland", "QT_WAYLAND_DISABLE_WINDOWDECORATION=1",
            session.reachable(os.environ["TINTENWIJZER_BINARY"]), "--pick", "--print"]


def click(session):
    pointer = wayland.VirtualPointer(session.wayland_socket)
    try:
        pointer.move(3, 3, 4, 4)
        pointer.click()
    finally:
        # Gone before grim runs, or the cursor is captured into the pixel.
        pointer.close()


class PortalPick(unittest.TestCase):
    def test_click_picks_the_background(self):
        try:
            session = wayland.Session()
        except wayland.Unavailable as reason:
            self.skipTest(str(reason))
        with session:
            # Far from the program's window, which floats in the top left corner.
            width, height = session.size()
            corner = (width - 8, height - 8)
            output = os.path.join(session.directory, "picker.stdout")
            with open(output, "wb") as stdout:
                picker = session.spawn("picker", picker_command(session), stdout=stdout)
            # slurp's overlay dims the output: that is when a click lands on it. The program's
            # window must be there below it too, or the swatch proves nothing later.
            session.wait_until(lambda: picker.poll() is not None
                               or (session.sample(*corner) != wayland.BACKGROUND
                                   and session.sample(*SWATCH) != session.sample(*corner)),
                               "slurp's overlay over the program's window",
                               timeout=PICK_TIMEOUT)
            self.assertIsNone(picker.poll(), session.log("picker"))
            # On a loaded machine slurp may show its overlay a moment before it takes input: a
            # click that came too early is made again while the overlay stays.
            deadline = time.monotonic() + PICK_TIMEOUT
            while True:
                click(session)
                try:
                    # With --print, the pick itself ends the program.
                    session.wait_until(lambda: picker.poll() is not None,
                                       "the program's end after the pick", timeout=RECLICK)
                    break
                except TimeoutError as error:
                    if (time.monotonic() > deadline
                            or session.sample(*corner) == wayland.BACKGROUND):
                        self.fail("%s: it shows %s\n%s%s" % (
                            error, session.sample(*SWATCH), session.log("picker"),
                            session.log("xdg-desktop-portal-wlr")))
            try:
                status = picker.wait(PICK_TIMEOUT)
            except subprocess.TimeoutExpired:
                self.fail("no pick within %d s\n%s" % (PICK_TIMEOUT, session.log("picker")))
            with open(output) as f:
                printed = f.read()
            self.assertEqual((status, printed), (0, EXPECTED),
                             session.log("picker") + session.log("xdg-desktop-portal-wlr"))


def main():
    missing = wayland.missing_programs()
    if missing:
        print("SKIP: not installed: " + " ".join(missing))
        sys.exit(SKIP)
    result = unittest.main(verbosity=2, exit=False).result
    if result.skipped and not (result.failures or result.errors):
        # One line for ctest's output, which SKIP_RETURN_CODE shows as the reason.
        print("SKIP: " + "; ".join(reason for _, reason in result.skipped))
        sys.exit(SKIP)
    sys.exit(not result.wasSuccessful())


if __name__ == "__main__":
    main()
