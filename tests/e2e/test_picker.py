"""The program's own screen picker, on an X server without a window manager."""

import os
import subprocess
import time
import unittest

import x11

from harness import STEP_TIMEOUT, Session, binary

ROOT_COLOUR = "#123456"
ROOT_NUMBER = "5649426\n"
AIM = (700, 500)  # on the root window, clear of the main window


def xrandr(session, *arguments):
    subprocess.run(["xrandr", *arguments], env=session.environment(), check=True,
                   stdout=subprocess.DEVNULL, timeout=STEP_TIMEOUT)


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

    def test_nothing_that_happens_mid_pick_takes_the_pick(self):
        # A Return held since before the pick, as when the command that starts the eyedropper
        # is still being entered; a popup mapped, such as a notification, with the pointer on
        # it; a window mapped before, far off, that raises itself.
        x = self.session.x
        raiser = x.paint(10, 10, 40, 40, (0xEE, 0x77, 0x00))
        x.key_down("Return")
        self.addCleanup(x.key_down, "Return", False)
        app = self.session.start([binary(), "--pick", "--print"])
        self.wait_picker(app, app.main_window())
        x.move(650, 420)
        x.paint(600, 400, 200, 80, (0x11, 0xAA, 0x22), popup=True)
        x.raise_to(raiser, 300, 300)
        # Past the keyboard's delay before it repeats.
        time.sleep(0.8)
        x.key_down("Return", False)
        root = tuple(bytes.fromhex(ROOT_COLOUR[1:]))
        for point in ((610, 410), (310, 310)):
            x.wait_until(lambda: x.pixel(x.root, *point) == root, STEP_TIMEOUT, "covered")
        self.assertTrue(app.running() and x.grabbed())
        x.key("Return")
        self.assertEqual(self.ended(app), (0, ROOT_NUMBER))

    def test_the_picker_window_taken_by_another_program_ends_the_pick(self):
        x = self.session.x
        app = self.session.start([binary(), "--pick", "--print"])
        main = app.main_window()
        self.wait_picker(app, main)
        x.destroy(app.other_window(main))
        self.assertEqual(self.ended(app), (1, ""))
        # Unmapped, in the window: the grabs go, and the next shortcut picks again.
        app = self.session.start([binary(), "--print"])
        main = app.main_window()
        x.click(*AIM)
        x.key("ctrl+shift+c")
        self.wait_picker(app, main)
        x.unmap(app.other_window(main))
        x.wait_until(lambda: not x.grabbed(), STEP_TIMEOUT, "grab released")
        x.focus(main)
        x.key("ctrl+shift+c")
        self.wait_picker(app, main)
        x.key("Return")
        self.assertEqual(self.finish(app, main), ROOT_NUMBER)

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

    def test_copy_leaves_the_number_on_the_clipboard_for_after_the_program(self):
        # Escape leaves the clipboard alone. A pick hands the number to the clipboard manager,
        # or where none runs to a keeper of ours, which ends once another program takes it.
        x, session = self.session.x, self.session
        session.set_clipboard("vooraf")
        for how, managed in (("Escape", False), ("click", False), ("Return", True)):
            manager = ClipboardManager(session) if managed else None
            app = session.start([binary(), "--pick", "--copy", "--print"])
            x.wait_until(lambda: app.running() and x.grabbed(), STEP_TIMEOUT, "picker's grab")
            x.click(*AIM) if how == "click" else x.key(how)
            x.wait_until(lambda: manager and manager.serve() or app.process.poll() is not None,
                         STEP_TIMEOUT, "the end")
            number = "" if how == "Escape" else ROOT_NUMBER
            self.assertEqual(self.ended(app), (1 if how == "Escape" else 0, number))
            self.assertEqual(session.clipboard(), number.strip() or "vooraf")
            owner = x11.XGetSelectionOwner(x._dpy, x.atom("CLIPBOARD"))
            keeper = x.cardinals(owner, "_NET_WM_PID")
            self.assertEqual(bool(keeper), how == "click")
            if keeper:
                session.set_clipboard("daarna")
                x.wait_until(lambda: not os.path.exists(f"/proc/{keeper[0]}/exe"), STEP_TIMEOUT,
                             "the keeper gone")
        self.assertEqual(self.ended(session.start([binary(), "--recent"])), (0, ROOT_NUMBER))


    def test_a_shortcut_held_elsewhere_is_waited_for_and_its_release_forgotten(self):
        # As a hotkey daemon's grab of Super+click, active for as long as the button is down.
        x = self.session.x
        x11.XGrabPointer(x._dpy, x.root, 0, 0, 1, 1, 0, 0, 0)
        x11.XGrabKeyboard(x._dpy, x.root, 0, 1, 1, 0)
        x.key_down("Super_L")
        x11.XTestFakeButtonEvent(x._dpy, 1, 1, 0)
        app = self.session.start([binary(), "--pick", "--print"])
        app.other_window(app.main_window())
        time.sleep(1)
        x11.XTestFakeButtonEvent(x._dpy, 1, 0, 0)
        x.key_down("Super_L", False)
        x11.XUngrabKeyboard(x._dpy, 0)
        x11.XUngrabPointer(x._dpy, 0)
        x.wait_until(lambda: app.running() and x.grabbed(), STEP_TIMEOUT, "picker's grab")
        x.click(*AIM)
        self.assertEqual(self.ended(app), (0, ROOT_NUMBER))

    def test_a_held_shortcut_picks_once(self):
        app = self.session.start([binary(), "--print"])
        main = app.main_window()
        keys = ("Control_L", "Shift_L", "c")
        for key in keys:
            self.session.x.key_down(key)
        self.wait_picker(app, main)
        self.session.x.click(*AIM)
        # Past the keyboard's delay before it repeats, with the window under the keys again.
        time.sleep(0.8)
        for key in reversed(keys):
            self.session.x.key_down(key, False)
        self.assertEqual(self.finish(app, main), ROOT_NUMBER)

class ClipboardManager(x11.Display):
    """A desktop's clipboard manager as the program sees one: asked to save the clipboard, it
    has an xclip take the text over."""

    def __init__(self, session):
        super().__init__(session.name)
        self.session = session
        window = x11.XCreateSimpleWindow(self._dpy, self.root, 0, 0, 1, 1, 0, 0, 0)
        x11.XSetSelectionOwner(self._dpy, self.atom("CLIPBOARD_MANAGER"), window, 0)
        x11.XSync(self._dpy, 0)

    def serve(self):
        # Xlib's selection events are longs: type, serial, send_event and display, then the
        # request's owner, requestor, selection, target, property and time.
        event = x11._Event()
        while x11.XPending(self._dpy):
            x11.XNextEvent(self._dpy, x11.byref(event))
            request = list(event.pad[5:10])
            if event.type == x11.SELECTION_REQUEST and request[2] == self.atom("SAVE_TARGETS"):
                self.session.set_clipboard(self.session.clipboard())
                event.pad[:9] = [x11.SELECTION_NOTIFY, 0, 0, 0, *request]
                x11.XSendEvent(self._dpy, request[0], 0, 0, x11.byref(event))
                x11.XSync(self._dpy, 0)


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


class Monitors(unittest.TestCase):
    """A laptop's monitor beside a taller one, and a framebuffer larger than the mode: pixels
    of the screen that no monitor shows."""

    def setUp(self):
        self.session = Session(("3200x1440x24",))
        self.addCleanup(self.session.close)
        subprocess.run(["xsetroot", "-solid", ROOT_COLOUR], env=self.session.environment(),
                       check=True)

    def pick(self, keys, change=None):
        """From (1919, 1000), keys and Return pick the corner of the short monitor at the top
        left, with the loupe, the frozen screen's child, wholly on it; change cancels."""
        x = self.session.x
        x.paint(1919, 1079, 1, 1, (0x99, 0x99, 0x99))
        x.move(1919, 1000)
        app = self.session.start([binary(), "--pick", "--print"])
        main = app.main_window()
        x.wait_until(lambda: app.running() and x.grabbed(), STEP_TIMEOUT, "picker's grab")
        frozen = app.other_window(main)
        for key in keys + ["shift+Down"] * 9 + ["Down"]:
            x.key(key)
            time.sleep(0.05)

        def loupe_on_monitor():
            loupe = next(map(x.attributes, x.children(frozen)), None)
            return loupe and min(loupe.x, loupe.y) >= 0 and loupe.x + loupe.width <= 1920 \
                and loupe.y + loupe.height <= 1080
        x.wait_until(loupe_on_monitor, STEP_TIMEOUT, "loupe on monitor")
        if change:
            xrandr(self.session, *change)
            self.assertEqual((app.wait_exit(), app.output()), (1, ""))
            self.assertFalse(x.grabbed())
        else:
            x.key("Return")
            self.assertEqual((app.wait_exit(), app.output()), (0, f"{0x999999}\n"))

    def test_beside_a_taller_monitor(self):
        xrandr(self.session, "--setmonitor", "SHORT", "1920/508x1080/286+0+0", "screen")
        xrandr(self.session, "--setmonitor", "TALL", "1280/338x1440/381+1920+0", "none")
        self.pick([])

    def mode(self, width, height, framebuffer):
        name = f"{width}x{height}"
        xrandr(self.session, "--newmode", name, "60", str(width), str(width + 1), str(width + 2),
               str(width + 3), str(height), str(height + 1), str(height + 2), str(height + 3))
        xrandr(self.session, "--addmode", "screen", name)
        xrandr(self.session, "--output", "screen", "--mode", name, "--fb", framebuffer)

    def test_a_framebuffer_larger_than_the_mode_and_its_change_mid_pick(self):
        self.mode(1920, 1080, "2560x1440")
        self.pick(["Right"])
        # Any change of the screen's size cancels, as a change of the mode does.
        self.pick([], ["--fb", "1920x1080"])

    def test_a_screen_that_grew_after_the_start(self):
        self.mode(1920, 1080, "1920x1080")
        x = self.session.x
        app = self.session.start([binary(), "--print"])
        main = app.main_window()
        self.mode(2560, 1440, "2560x1440")
        x.paint(2559, 1439, 1, 1, (0x99, 0x99, 0x99))
        x.move(2559, 1439)
        x.focus(main)
        x.key("ctrl+shift+c")
        x.wait_until(lambda: app.running() and x.grabbed(), STEP_TIMEOUT, "picker's grab")
        x.key("Return")
        app.wait_swatch(main, (0x99, 0x99, 0x99))

if __name__ == "__main__":
    unittest.main()
