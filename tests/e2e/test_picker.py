"""The program's own screen picker, on an X server without a window manager."""

import os
import subprocess
import time
import unittest

import x11

from harness import STEP_TIMEOUT, Session, binary

ROOT_COLOUR = "#123456"
AIM = (700, 500)  # on the root window, clear of the main window


class Picker(unittest.TestCase):
    def setUp(self):
        self.session = Session()
        self.addCleanup(self.session.close)
        env = self.session.environment()
        subprocess.run(["xsetroot", "-solid", ROOT_COLOUR], env=env, check=True)
        # A witness on the root window, under the picker: it reports every press it is given.
        self.witness_log = os.path.join(self.session.directory, "witness.log")
        with open(self.witness_log, "wb") as log:
            self.witness = subprocess.Popen(
                ["stdbuf", "-oL", "xev", "-root", "-event", "button"], env=env,
                stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT)
        self.addCleanup(self._end_witness)

    def _end_witness(self):
        self.witness.terminate()
        self.witness.wait(STEP_TIMEOUT)

    def presses_seen(self):
        with open(self.witness_log, encoding="utf-8", errors="replace") as log:
            return log.read().count("ButtonPress")

    def wait_picker(self, app, main):
        x = self.session.x
        app.other_window(main)
        x.wait_until(lambda: app.running() and x.grabbed(), STEP_TIMEOUT, "picker's grab")

    def finish(self, app, main):
        """Closes the main window from the keyboard and gives what --print wrote."""
        x = self.session.x
        x.wait_until(lambda: not x.grabbed(), STEP_TIMEOUT, "grab released")
        x.focus(main)
        x.key("Return")
        self.assertEqual(app.wait_exit(), 0)
        return app.output()

    def ended(self, app):
        """The exit status and what was written, once the program ends by itself."""
        return app.wait_exit(), app.output()

    def test_click_picks_the_pixel_and_reaches_no_window(self):
        # --pick --print is an eyedropper: the pick ends the program.
        app = self.session.start([binary(), "--pick", "--print"])
        main = app.main_window()
        self.wait_picker(app, main)
        self.session.x.click(*AIM)
        self.assertEqual(self.ended(app), (0, "5649426\n"))
        self.assertEqual(self.presses_seen(), 0)
        # The witness does see a click where no picker takes it.
        self.session.x.click(*AIM)
        self.session.x.wait_until(lambda: self.presses_seen() == 1, STEP_TIMEOUT, "witness")

    def test_escape_prints_nothing(self):
        app = self.session.start([binary(), "--pick", "--print"])
        main = app.main_window()
        self.wait_picker(app, main)
        self.session.x.key("Escape")
        self.assertEqual(self.ended(app), (1, ""))

    def test_without_activation_the_pick_starts_all_the_same(self):
        # Nothing gives the window the keyboard here: no window manager, and no focus call.
        app = self.session.start([binary(), "--pick", "--print"])
        x = self.session.x
        main = x.wait_until(lambda: app.running() and x.window_named(app.pid, "Tintenwijzer"),
                            STEP_TIMEOUT, "main window")
        self.wait_picker(app, main)
        self.session.x.key("Return")
        self.assertEqual(self.ended(app), (0, "5649426\n"))

    def test_shortcut_and_return_pick(self):
        app = self.session.start([binary(), "--print"])
        main = app.main_window()
        # Only rests the pointer there: no window manager moves the focus on a click.
        self.session.x.click(*AIM)
        self.session.x.key("ctrl+shift+c")
        self.wait_picker(app, main)
        self.session.x.key("Return")
        self.assertEqual(self.finish(app, main), "5649426\n")

    def test_closing_the_window_during_a_pick_ends_the_program(self):
        app = self.session.start([binary(), "--pick", "--print"])
        main = app.main_window()
        self.wait_picker(app, main)
        self.session.x.send_delete_window(main)
        # Nothing was picked: not the start colour's number either.
        self.assertEqual(self.ended(app), (1, ""))

    def test_a_grab_held_elsewhere_refuses_the_pick(self):
        app = self.session.start([binary(), "--print"])
        main = app.main_window()
        x = self.session.x
        x11.XGrabPointer(x._dpy, x.root, 0, 0, 1, 1, 0, 0, 0)
        x.key("ctrl+shift+c")

        # The refusal's tip, and the picker gone: no window of the program covers the screen.
        def shown():
            sizes = [x.attributes(w).width for w in x.windows_of(app.pid) if w != main]
            return sizes and max(sizes) < 1024
        x.wait_until(lambda: app.running() and shown(), STEP_TIMEOUT, "refusal alone")
        x11.XUngrabPointer(x._dpy, 0)
        self.assertEqual(self.finish(app, main), "16777215\n")


class ScaledPicker(unittest.TestCase):
    """At twice the scale, on two monitors side by side: each device pixel, as X counts them."""

    def setUp(self):
        self.session = Session(("2560x1024x24",), {"QT_SCALE_FACTOR": "2"})
        self.addCleanup(self.session.close)
        env = self.session.environment()
        for name, geometry in (("LEFT", "1280/338x1024/270+0+0"),
                               ("RIGHT", "1280/338x1024/270+1280+0")):
            subprocess.run(["xrandr", "--setmonitor", name, geometry, "none"], env=env, check=True)
        subprocess.run(["xsetroot", "-solid", ROOT_COLOUR], env=env, check=True)
        self.app = self.session.start([binary(), "--print"])
        self.main = self.app.main_window()

    def pick(self, point, how):
        x = self.session.x
        x.move(*point)
        x.key("ctrl+shift+c")
        x.wait_until(lambda: self.app.running() and x.grabbed(), STEP_TIMEOUT, "picker's grab")
        if how == "click":
            x.click(*point)
        elif how:
            x.key(how)

    def test_corners_of_both_monitors_and_odd_pixels(self):
        corners = [(x, y) for x in (0, 1279, 1280, 2559) for y in (0, 1023)]
        points = corners + [(1001, 801), (2001, 1001)]
        x = self.session.x
        for number, point in enumerate(points):
            # A colour of its own, so that a neighbour's would show.
            colour = (20 * number, 255 - 20 * number, 77)
            x.paint(*point, 1, 1, colour)
            with self.subTest(point=point):
                self.pick(point, "click" if number % 2 else "Return")
                x.wait_until(lambda: not x.grabbed(), STEP_TIMEOUT, "grab released")
                self.app.wait_swatch(self.main, colour)

    def test_held_return_reaches_nothing_after_the_pick(self):
        x = self.session.x
        self.pick((700, 500), None)
        x.key_down("Return")
        time.sleep(0.3)
        # As a window manager gives the keyboard back to the window below a picker that went.
        x.focus(self.main)
        # Past the keyboard's delay before it repeats.
        time.sleep(0.6)
        x.key_down("Return", False)
        self.app.wait_swatch(self.main, (0x12, 0x34, 0x56))
        time.sleep(0.3)
        self.assertTrue(self.app.running() and x.viewable(self.main))

    def test_dialog_button_takes_the_device_pixel_and_a_held_return_confirms_nothing(self):
        x = self.session.x
        aim = (2001, 901)
        x.paint(*aim, 1, 1, (200, 10, 30))
        x.paint(aim[0] + 1, aim[1] + 1, 1, 1, (10, 200, 30))
        x.focus(self.main)
        x.key("Tab")
        x.key("space")
        dialog = self.app.dialog(self.main)
        x.move(*aim)
        x.key("alt+p")
        x.wait_until(lambda: self.app.running() and x.grabbed(), STEP_TIMEOUT, "picker's grab")
        # Long enough to repeat: a pick on each repeat would reach the dialog's OK.
        x.key_down("Return")
        time.sleep(1.5)
        x.key_down("Return", False)
        x.wait_until(lambda: not x.grabbed(), STEP_TIMEOUT, "grab released")
        time.sleep(0.3)
        self.assertTrue(x.viewable(dialog))
        x.key("Return")
        self.app.closed(dialog)
        self.app.wait_swatch(self.main, (200, 10, 30))

if __name__ == "__main__":
    unittest.main()
