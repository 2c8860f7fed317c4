"""The program's own screen picker, on an X server without a window manager."""

import os
import subprocess
import unittest

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


if __name__ == "__main__":
    unittest.main()
