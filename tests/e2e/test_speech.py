"""What a screen reader is told, on a private AT-SPI bus: each colour taken and each refusal
is announced, or before Qt 6.8 makes a notification appear, with the words to say; and the
window is a frame."""

import os
import time
import unittest

import atspibus
from harness import STEP_TIMEOUT, TITLE, Session, binary

START = "&H563412&"
REFUSED = "#12345"
REASON = "Na # komen 3 of 6 hexadecimale cijfers"
# Which of the two the program was built to send.
ANNOUNCES = tuple(map(int, os.environ["TINTENWIJZER_QT_VERSION"].split(".")[:2])) >= (6, 8)
EVENT = "object:announcement" if ANNOUNCES else "object:state-changed:showing"

# What is done, and what is then said; a refusal said twice is heard twice.
STEPS = [
    ("start colour", None, "5649426, rood 18, groen 52, blauw 86"),
    ("paste", "#ff0000", "255, rood 255, groen 0, blauw 0"),
    ("dialog", (0, 0, 255), "16711680, rood 0, groen 0, blauw 255"),
    ("refusal", REFUSED, REASON),
    ("same refusal", REFUSED, REASON),
    ("paste after refusals", "0, 128, 0", "32768, rood 0, groen 128, blauw 0"),
]


class Speech(unittest.TestCase):
    def setUp(self):
        self.session = Session()
        self.addCleanup(self.session.close)
        self.bus = atspibus.Bus(self.session)
        self.addCleanup(self.bus.close)
        saved = dict(os.environ)
        self.addCleanup(lambda: (os.environ.clear(), os.environ.update(saved)))
        os.environ.pop("AT_SPI_BUS_ADDRESS", None)
        os.environ.update(self.bus.environment)
        # Only now: the library finds its bus when it is first loaded.
        import pyatspi
        self.pyatspi = pyatspi
        self.notifications = []
        self._listener = self._heard
        pyatspi.Registry.registerEventListener(self._listener, EVENT)
        self.addCleanup(pyatspi.Registry.deregisterEventListener, self._listener, EVENT)

    def _heard(self, event):
        if ANNOUNCES:
            self.notifications.append(event.any_data)
        elif event.detail1 == 1 and event.source.getRole() == self.pyatspi.ROLE_NOTIFICATION:
            self.notifications.append(event.source.name)

    def pump(self, condition, what, timeout=STEP_TIMEOUT):
        from gi.repository import GLib
        context = GLib.MainContext.default()
        deadline = time.monotonic() + timeout
        while not condition():
            while context.pending():
                context.iteration(False)
            self.app.running()
            if time.monotonic() > deadline:
                self.fail(f"no {what}; heard {self.notifications}")
            time.sleep(0.02)

    def frame(self):
        for application in self.pyatspi.Registry.getDesktop(0):
            if application is not None and application.get_process_id() == self.app.pid:
                return next((child for child in application if child is not None
                             and child.getRole() == self.pyatspi.ROLE_FRAME), None)
        return None

    def test_every_colour_and_refusal_is_said(self):
        self.app = self.session.start([binary(), START])
        # Before the buses go, or it complains of them on its way out.
        self.addCleanup(self.app.stop)
        window = self.app.main_window()
        self.pump(self.frame, "frame in the AT-SPI tree")
        self.assertEqual(self.frame().name, TITLE)

        heard = 0
        for name, given, said in STEPS:
            with self.subTest(name):
                if isinstance(given, tuple):
                    self.session.x.key("Tab")
                    self.session.x.key("space")
                    dialog = self.app.dialog(window)
                    self.app.confirm_colour(window, dialog, given)
                elif given is not None:
                    self.session.set_clipboard(given)
                    # Without a window manager, nobody gives it back after the dialog.
                    self.session.x.focus(window)
                    self.session.x.key("ctrl+v")
                self.pump(lambda: len(self.notifications) > heard, f"notification for {name}")
                self.assertEqual(self.notifications[heard:], [said])
                heard = len(self.notifications)


if __name__ == "__main__":
    unittest.main()
