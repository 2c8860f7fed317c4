"""The real program on a real X server: what a window manager and a user get to see."""

import os
import subprocess
import unittest

from harness import HEIGHT, STEP_TIMEOUT, TITLE, WIDTH, Session, binary

WHITE = (255, 255, 255)

# The red disc, as (first, last) opaque column of each row from the top.
DISC = [(5, 9), (3, 11), (2, 12), (1, 13), (1, 13)] + [(0, 14)] * 5 \
    + [(1, 13), (1, 13), (2, 12), (3, 11), (5, 9), None]
OPAQUE_RED = 0xFFFF0000

P_MIN_SIZE, P_MAX_SIZE = 1 << 4, 1 << 5
MWM_HINTS_FUNCTIONS, MWM_HINTS_DECORATIONS = 1 << 0, 1 << 1
MWM_FUNC_ALL, MWM_FUNC_MINIMIZE, MWM_FUNC_MAXIMIZE = 1 << 0, 1 << 3, 1 << 4
MWM_DECOR_ALL, MWM_DECOR_MINIMIZE, MWM_DECOR_MAXIMIZE = 1 << 0, 1 << 5, 1 << 6


def offered(mask, all_bit, bit):
    # With the ALL bit set, the listed bits are the ones taken away.
    return bool(mask & all_bit) != bool(mask & bit)


def icons(data):
    """(width, height, pixels) of each image in a _NET_WM_ICON."""
    while len(data) >= 2:
        width, height = data[0], data[1]
        yield width, height, data[2:2 + width * height]
        data = data[2 + width * height:]


class Properties(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.session = Session()
        try:
            cls.app = cls.session.start()
            cls.window = cls.app.main_window()
        except BaseException:
            cls.session.close()
            raise
        cls.x = cls.session.x

    @classmethod
    def tearDownClass(cls):
        cls.session.close()

    def test_title(self):
        self.assertEqual(self.x.text(self.window, "WM_NAME"), TITLE)

    def test_fixed_size(self):
        hints = self.x.cardinals(self.window, "WM_NORMAL_HINTS")
        self.assertIsNotNone(hints)
        flags = hints[0]
        self.assertTrue(flags & P_MIN_SIZE and flags & P_MAX_SIZE, hex(flags))
        self.assertEqual(hints[5:7], [WIDTH, HEIGHT], "minimum")
        self.assertEqual(hints[7:9], [WIDTH, HEIGHT], "maximum")
        attributes = self.x.attributes(self.window)
        self.assertEqual((attributes.width, attributes.height), (WIDTH, HEIGHT))

    def test_no_minimise_or_maximise(self):
        hints = self.x.cardinals(self.window, "_MOTIF_WM_HINTS")
        self.assertIsNotNone(hints)
        flags, functions, decorations = hints[:3]
        # A hint left out means the window manager offers everything.
        self.assertTrue(flags & MWM_HINTS_FUNCTIONS, "functions not restricted")
        self.assertTrue(flags & MWM_HINTS_DECORATIONS, "decorations not restricted")
        for name, bit in (("minimise", MWM_FUNC_MINIMIZE), ("maximise", MWM_FUNC_MAXIMIZE)):
            self.assertFalse(offered(functions, MWM_FUNC_ALL, bit), f"{name} function")
        for name, bit in (("minimise", MWM_DECOR_MINIMIZE), ("maximise", MWM_DECOR_MAXIMIZE)):
            self.assertFalse(offered(decorations, MWM_DECOR_ALL, bit), f"{name} button")

    def test_icon_is_the_red_disc(self):
        # The window shows first and takes its icon a moment later.
        data = self.x.wait_until(lambda: self.x.cardinals(self.window, "_NET_WM_ICON"),
                                 STEP_TIMEOUT, "window icon")
        sizes = {(w, h): pixels for w, h, pixels in icons(data)}
        self.assertEqual(sorted(sizes), [(s, s) for s in (16, 32, 48, 64)])
        pixels = sizes[(16, 16)]
        for row, span in enumerate(DISC):
            for column in range(16):
                inside = span is not None and span[0] <= column <= span[1]
                argb = pixels[row * 16 + column]
                with self.subTest(row=row, column=column):
                    if inside:
                        self.assertEqual(argb, OPAQUE_RED, f"{argb:08x}")
                    else:
                        self.assertEqual(argb >> 24, 0, f"{argb:08x} should be transparent")


class Keyboard(unittest.TestCase):
    def setUp(self):
        self.session = Session()
        self.addCleanup(self.session.close)
        self.x = self.session.x
        self.app = self.session.start()
        self.window = self.app.main_window()

    def test_return_or_space_on_afsluiten_quits(self):
        self.x.key("Return")
        self.assertEqual(self.app.wait_exit(), 0)
        self.assertFalse(self.x.windows_of(self.app.pid))

        app = self.session.start()
        app.main_window()
        self.x.key("space")
        self.assertEqual(app.wait_exit(), 0)
        self.assertFalse(self.x.windows_of(app.pid))

    def test_tab_space_opens_the_dialog_and_escape_keeps_the_colour(self):
        self.app.wait_swatch(self.window, WHITE)
        self.x.key("Tab")
        self.x.key("space")
        self.app.dialog(self.window)
        probe = self.app.swatch_probe(self.window, WHITE)
        self.x.key("Escape")
        self.app.wait_swatch(self.window, WHITE, probe)
        self.assertIsNone(self.app.process.poll())

    def test_colour_typed_in_the_dialog_reaches_the_swatch(self):
        self.x.key("Tab")
        self.x.key("space")
        dialog = self.app.dialog(self.window)
        self.app.confirm_colour(self.window, dialog, (18, 52, 86))

    def test_menu_key_or_shift_f10_opens_the_number_menu(self):
        for key in ("Menu", "shift+F10"):
            with self.subTest(key=key):
                self.x.key(key)
                menu = self.app.other_window(self.window)
                self.x.key("Escape")
                self.app.closed(menu)


class CommandLine(unittest.TestCase):
    def test_start_colour_shown_and_printed_at_the_end(self):
        with Session() as session:
            # Blue first: &H563412& is red 0x12, green 0x34, blue 0x56.
            app = session.start([binary(), "--print", "&H563412&"])
            window = app.main_window()
            app.wait_swatch(window, (18, 52, 86))
            self.assertEqual(app.output(), "")
            session.x.key("Return")
            self.assertEqual(app.wait_exit(), 0)
            self.assertEqual(app.output(), "5649426\n")

    def test_pasted_colour_is_listed_by_recent_after_another_run(self):
        with Session() as session:
            def recent():
                # Without a display, as from a script.
                env = {k: v for k, v in session.environment().items() if k != "DISPLAY"}
                result = subprocess.run([binary(), "--recent"], env=env, capture_output=True,
                                        text=True, timeout=STEP_TIMEOUT, check=False)
                return result.returncode, result.stdout, result.stderr

            self.assertEqual(recent(), (0, "", ""))
            app = session.start()
            window = app.main_window()
            session.set_clipboard("#123456")
            session.x.key("ctrl+v")
            app.wait_swatch(window, (18, 52, 86))
            session.x.key("Return")
            self.assertEqual(app.wait_exit(), 0)
            # A start colour is shown, not kept.
            app = session.start([binary(), "#ff0000"])
            app.main_window()
            session.x.key("Return")
            self.assertEqual(app.wait_exit(), 0)
            self.assertEqual(recent(), (0, "5649426\n", ""))
            state = session.home_variables["XDG_STATE_HOME"]
            with open(os.path.join(state, "tintenwijzer", "recent"), encoding="ascii") as kept:
                self.assertEqual(kept.read(), "5649426\n")


class Closing(unittest.TestCase):
    def test_wm_delete_window_quits(self):
        with Session() as session:
            app = session.start()
            window = app.main_window()
            session.x.send_delete_window(window)
            # What a user sees: the window goes at once, with no question asked.
            session.x.wait_until(lambda: not session.x.viewable(window), 1.0, "window gone")
            self.assertEqual(app.wait_exit(), 0)
            self.assertFalse(session.x.windows_of(app.pid))

    def test_window_destroyed_from_outside_quits_and_prints(self):
        with Session() as session:
            app = session.start([binary(), "--print", "#123456"])
            window = app.main_window()
            session.xdotool("windowclose", window)
            self.assertEqual(app.wait_exit(), 0)
            self.assertEqual(app.output(), "5649426\n")

    def test_window_unmapped_from_outside_comes_back(self):
        with Session() as session:
            app = session.start()
            window = app.main_window()
            session.xdotool("windowunmap", "--sync", window)
            session.x.wait_until(lambda: session.x.viewable(window), STEP_TIMEOUT, "window back")
            self.assertIsNone(app.process.poll())


if __name__ == "__main__":
    unittest.main()
