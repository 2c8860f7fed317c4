"""A Windows program, 64-bit or 32-bit, under Wine on an Xvfb of its own, driven as a user would."""

import glob
import os
import pathlib
import pwd
import shutil
import subprocess
import sys
import time
import unittest
import uuid

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))

import wine  # noqa: E402
import harness  # noqa: E402
from harness import HEIGHT, STEP_TIMEOUT, SWATCH_CENTRE, WIDTH, Session  # noqa: E402

WHITE = (255, 255, 255)
# 5649426: red 0x12, green 0x34, blue 0x56.
COLOUR, NUMBER = (18, 52, 86), "5649426"
# The custom colours' first box in Wine's colour dialog, from the dialog's corner.
FIRST_CUSTOM = (16, 182)
AFSLUITEN = (248 + 57 // 2, 216 + 25 // 2)
NUMBER_LABEL = (8 + 20, 168 + 16)
# The parser's longest reason, wider than the window at any DPI.
LONGEST_REASON_INPUT = "geen kleur"
SCREEN_WIDTH = 1024
POINTER_ROOT = 1
# Wine queues keys for the control that has the focus when they arrive, so a key that moves
# the focus needs a moment before the next one.
SETTLE = 0.5
# A bound on one read of the X clipboard.
CLIPBOARD_READ = 3
SPOKEN = "5649426, rood 18, groen 52, blauw 86"
TOO_LARGE = "Een VB-hexgetal gaat tot en met &HFFFFFF, niet &H1000000"
# The reason's tip stays this long, and a little more, before the name is the colour's again.
REASON_SHOWN = 4.5
# Past X's auto-repeat delay, 660 ms, and past the second Wine may wait for X to hide the
# picker: the key goes on repeating into whatever has the keyboard next.
HELD = 3.5
UNINSTALL = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
UNINSTALL_32 = r"HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall"
# An install writes below Software; Wine itself writes there on a start too, in this key.
WINE_OWN = "\\Software\\Wine\\Temporary System Parameters"
# Windows Installer's own folder, which Windows always has.
INSTALLER_FOLDER = os.path.join("windows", "Installer")


def settings():
    exe = os.environ.get("TINTENWIJZER_WINDOWS_EXE")
    prefix = os.environ.get("TINTENWIJZER_WINEPREFIX")
    if not exe or not prefix:
        sys.exit("TINTENWIJZER_WINDOWS_EXE and TINTENWIJZER_WINEPREFIX must be set: use ctest")
    return exe, prefix


def set_dpi(session, dpi):
    """The DPI of the programs Wine starts from now on. Wine's own processes that this starts
    must see the session's display, or the X clipboard would be bridged elsewhere."""
    subprocess.run(["wine", "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels",
                    "/t", "REG_DWORD", "/d", str(dpi), "/f"], env=session.environment(),
                   stdout=subprocess.DEVNULL, check=True, timeout=STEP_TIMEOUT)
    # Wine 10 reads it only as its server starts.
    wine.stop(os.environ["WINEPREFIX"])


def msi_rows(msi, table):
    text = subprocess.run(["msiinfo", "export", msi, table], capture_output=True, text=True,
                          check=True, timeout=STEP_TIMEOUT).stdout
    return [line.split("\t") for line in text.replace("\r", "").splitlines()[3:]]


def rebuilt(msi, version, folder):
    copy = shutil.copy(msi, os.path.join(folder, f"{version}-{os.path.basename(msi)}"))
    for name, value in (("ProductVersion", version), ("ProductCode", f"{{{uuid.uuid4()}}}")):
        subprocess.run(["msibuild", copy, "-q", f"UPDATE `Property` SET `Value` = "
                        f"'{value.upper()}' WHERE `Property` = '{name}'"], check=True)
    return copy


class UnderWine(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        reason = wine.skip_reason()
        if reason:
            raise unittest.SkipTest(reason)
        cls.exe, cls.prefix = settings()
        cls.wine = wine.loader(cls.exe)
        wine.make_prefix(cls.prefix)
        os.environ.update(wine.environment(cls.prefix))
        cls.session = Session()
        cls.x = cls.session.x
        try:
            set_dpi(cls.session, 96)  # in case a run was stopped before it could put it back
        except BaseException:
            cls.tearDownClass()
            raise

    @classmethod
    def tearDownClass(cls):
        wine.stop(cls.prefix)
        cls.session.close()

    def start(self, *arguments, exe=None):
        app = self.session.start([self.wine, exe or self.exe, *arguments])
        self.addCleanup(app.stop)
        return app, app.main_window()

    def start_at(self, dpi, *arguments):
        """Starts the program at dpi, once Wine is seen to have taken it: the window is twice
        as large at 192 as at 96."""
        set_dpi(self.session, dpi)
        self.addCleanup(set_dpi, self.session, 96)
        app, window = self.start(*arguments)
        attributes = self.x.attributes(window)
        scale = dpi // 96
        self.assertEqual((attributes.width, attributes.height), (scale * WIDTH, scale * HEIGHT))
        return app, window

    def settle(self, *keys):
        for key in keys:
            self.x.key(key)
            time.sleep(SETTLE)

    def click(self, window, point, button=1):
        attributes = self.x.attributes(window)
        self.x.click(attributes.x + point[0], attributes.y + point[1], button)

    def assert_copies(self, window, number):
        """Presses Ctrl+C in window and waits for number on the X clipboard. What an earlier
        test copied stays there; no two tests copy the same number, so it cannot pass for it."""
        self.x.focus(window)
        self.x.key("ctrl+c")
        self.assert_clipboard(number)

    def assert_clipboard(self, text):
        def clipboard():
            # Wine's bridge to the X clipboard now and then leaves a request unanswered while
            # another Wine runs: ask again rather than wait on that one.
            try:
                result = subprocess.run(
                    ["xclip", "-o", "-selection", "clipboard", "-t", "UTF8_STRING",
                     "-display", self.session.name],
                    capture_output=True, text=True, timeout=CLIPBOARD_READ, check=False)
            except subprocess.TimeoutExpired:
                return False
            clipboard.last = result.stdout
            return result.stdout == text
        clipboard.last = None
        try:
            self.x.wait_until(clipboard, 2 * STEP_TIMEOUT, f"{text} on the clipboard")
        except TimeoutError:
            self.fail(f"the clipboard holds {clipboard.last!r}, not {text}")

    def set_clipboard(self, text):
        """Makes text the X clipboard's, served by an xclip that runs until another owner
        takes the clipboard over or the test ends."""
        owner = subprocess.Popen(
            ["xclip", "-quiet", "-selection", "clipboard", "-display", self.session.name],
            stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(owner.wait)
        self.addCleanup(owner.kill)
        owner.stdin.write(text.encode())
        owner.stdin.close()

    def paste(self, window, done, what):
        """Presses Ctrl+V in window until done() holds. Wine takes a new X clipboard over in
        its own time, and until then a paste still sees the one before."""
        deadline = time.monotonic() + STEP_TIMEOUT
        while True:
            self.x.focus(window)
            self.x.key("ctrl+v")
            try:
                return self.x.wait_until(done, 1, what)
            except TimeoutError:
                if time.monotonic() > deadline:
                    raise

    def open_dialog(self, app, window):
        self.settle("Tab")
        self.x.key("space")
        dialog = app.other_window(window)
        # Without a window manager, nobody else gives the dialog the keyboard.
        self.x.focus(dialog)
        return dialog

    def covered_probe(self, app, window, colour):
        """A swatch point that the open dialog covers, once Wine has drawn the dialog."""
        def probe():
            try:
                return app.swatch_probe(window, colour)
            except AssertionError:
                return None
        return self.x.wait_until(probe, STEP_TIMEOUT, "dialog drawn over the swatch")

    def test_starts_white_with_its_number_and_afsluiten_ends_it(self):
        app, window = self.start()
        attributes = self.x.attributes(window)
        self.assertEqual((attributes.width, attributes.height), (WIDTH, HEIGHT))
        app.wait_swatch(window, WHITE, probe=(12, 12))
        self.assert_copies(window, "16777215")

        self.click(window, AFSLUITEN)
        self.assertEqual(app.wait_exit(), 0)

    def test_at_192_dpi_everything_is_twice_as_large(self):
        app, window = self.start_at(192)
        app.wait_swatch(window, WHITE, probe=(2 * 302, 2 * 142))
        self.click(window, (2 * AFSLUITEN[0], 2 * AFSLUITEN[1]))
        self.assertEqual(app.wait_exit(), 0)

    def test_return_right_after_start_ends_it(self):
        app, _ = self.start()
        self.x.key("Return")
        self.assertEqual(app.wait_exit(), 0)

    def test_escape_does_nothing_and_cancel_keeps_the_colour(self):
        app, window = self.start()
        app.wait_swatch(window, WHITE)
        # Were Escape a cancel button, or did it press the focused "Afsluiten", the program
        # would be gone before the dialog could open.
        self.settle("Escape")
        dialog = self.open_dialog(app, window)
        probe = self.covered_probe(app, window, WHITE)
        # The dialog opens on the swatch's white; a cancel must leave the swatch painted as it was.
        self.x.key("Escape")
        app.closed(dialog)
        app.wait_swatch(window, WHITE, probe)

        # Confirmed as it opens, the dialog gives back the swatch's own colour.
        self.x.focus(window)
        self.settle("space")  # "Kies kleur" kept the focus
        dialog = app.other_window(window)
        self.x.focus(dialog)
        probe = self.covered_probe(app, window, WHITE)
        self.settle("Return")
        app.closed(dialog)
        time.sleep(SETTLE)
        app.wait_swatch(window, WHITE, probe)

        self.x.send_delete_window(window)
        self.assertEqual(app.wait_exit(), 0)

    def test_confirmed_colour_reaches_swatch_and_number(self):
        app, window = self.start()
        dialog = self.open_dialog(app, window)
        probe = self.covered_probe(app, window, (18, 52, 86))
        self.settle("alt+d", "alt+r")
        self.x.type("18")
        self.settle("alt+g")
        self.x.type("52")
        self.settle("Tab")
        self.x.type("86")
        self.settle("Return")
        app.closed(dialog)
        app.wait_swatch(window, (18, 52, 86), probe)
        self.assert_copies(window, str(18 + 256 * 52 + 65536 * 86))

    def test_paste_shows_a_colour_everywhere_and_refuses_what_is_none(self):
        app, window = self.start()
        app.wait_swatch(window, WHITE)
        # Blue first, and padded: white space around a colour does not count.
        self.set_clipboard("  &H563412&\n")
        self.paste(window, lambda: self.x.pixel(window, *SWATCH_CENTRE) == COLOUR, "the colour")
        app.wait_swatch(window, COLOUR, probe=(12, 12))

        # "Kies kleur" opens on the pasted colour: confirmed at once, it stays.
        dialog = self.open_dialog(app, window)
        self.settle("Return")
        app.closed(dialog)
        self.assert_copies(window, NUMBER)

        # One beyond the largest colour: not wrapped, refused with its reason in a tip.
        self.set_clipboard("&H1000000")
        self.paste(window, lambda: len(self.x.windows_of(app.pid)) > 1, "reason tip")
        app.wait_swatch(window, COLOUR, probe=(12, 12))
        self.assert_copies(window, NUMBER)

        self.click(window, AFSLUITEN)
        self.assertEqual(app.wait_exit(), 0)

    def read_accessible(self):
        """What a screen reader is told of the number, from the helper beside the exe."""
        helper = os.environ.get("TINTENWIJZER_READACCESSIBLE")
        result = subprocess.run([self.wine, helper], env=self.session.environment(),
                                stdin=subprocess.DEVNULL, capture_output=True,
                                timeout=STEP_TIMEOUT, check=True)
        lines = result.stdout.decode("utf-8").replace("\r", "").splitlines()
        return dict(line.split(": ", 1) for line in lines)

    def test_screen_readers_hear_each_taken_colour_and_each_refusal(self):
        app, window = self.start()
        app.wait_swatch(window, WHITE)
        served = self.read_accessible()["annotaties"] == "1"
        if not served:
            # Wine's annotation service keeps nothing: what can be proven is that the number
            # has an accessible object whose name is the number it shows.
            print("the annotation service serves no names here: only the shown number is"
                  " read back", file=sys.stderr)
        # what is pasted, or None to wait for the tip to go; the name with annotations served,
        # and without
        rows = [
            ("#123456", SPOKEN, NUMBER),
            ("&H1000000", TOO_LARGE, NUMBER),
            ("&H1000000", TOO_LARGE, NUMBER),
            (None, SPOKEN, NUMBER),
        ]
        for pasted, spoken, shown in rows:
            name = spoken if served else shown
            with self.subTest(pasted=pasted, name=name):
                if pasted is None:
                    time.sleep(REASON_SHOWN)
                else:
                    self.set_clipboard(pasted)
                    self.paste(window, lambda: self.read_accessible()["naam"] == name, name)
                told = self.read_accessible()
                self.assertEqual(told["naam"], name)
                if served:
                    self.assertEqual(told["live"], "1")
        app.wait_swatch(window, COLOUR, probe=(12, 12))
        self.click(window, AFSLUITEN)
        self.assertEqual(app.wait_exit(), 0)

    def test_colour_argument_is_shown_copied_in_every_notation_and_printed_at_the_end(self):
        app, window = self.start("--print", "#123456")
        app.wait_swatch(window, COLOUR, probe=(12, 12))
        # The number's menu: "Kleur van het scherm…", "Kopiëren", then as HTML, as RGB() and
        # as VB hex, blue first.
        for entry, text in ((3, "#123456"), (4, "RGB(18, 52, 86)"), (5, "&H00563412&")):
            self.click(window, NUMBER_LABEL, button=3)
            self.settle(*["Down"] * entry, "Return")
            self.assert_clipboard(text)
        self.assertEqual(app.output(), "")
        self.click(window, AFSLUITEN)
        self.assertEqual(app.wait_exit(), 0)
        self.assertEqual(app.output(), NUMBER + "\n")

    def test_a_window_destroyed_from_outside_ends_the_program_as_closed(self):
        app, window = self.start("--print", "#fff")
        app.wait_swatch(window, WHITE, probe=(12, 12))
        subprocess.run(["xdotool", "windowclose", str(window)], env=self.session.environment(),
                       check=True, timeout=STEP_TIMEOUT)
        self.assertEqual(app.wait_exit(), 0)
        self.assertEqual(app.output(), "16777215\n")

    def test_a_print_that_cannot_be_written_fails(self):
        # where the number goes: a full device, a pipe that nobody reads; then the standard
        # stream closed, if any, and what standard error says. With none, there is no message
        # box to wait on either.
        full = self.full_device
        failed = "tintenwijzer: kan het kleurnummer niet schrijven\n"
        rows = [("/dev/full", full, None, failed), ("closed pipe", self.closed_pipe, None, failed),
                ("/dev/full", full, 1, failed), ("/dev/full", full, 2, "")]
        for name, opened, closed, said in rows:
            with self.subTest(stdout=name, closed=closed):
                stdout = opened()
                process = subprocess.Popen(
                    [self.wine, self.exe, "--print"], env=self.session.environment(),
                    stdin=subprocess.DEVNULL, stdout=stdout, stderr=subprocess.PIPE,
                    preexec_fn=lambda: self.closing(closed))
                os.close(stdout)
                self.addCleanup(process.wait)
                self.addCleanup(process.kill)
                window = self.x.wait_until(
                    lambda: self.x.window_named(process.pid, harness.TITLE), harness.START_TIMEOUT,
                    "main window")
                self.x.send_delete_window(window)
                _, error = process.communicate(timeout=STEP_TIMEOUT)
                self.assertEqual((process.returncode, error.decode()), (1, said))

    @staticmethod
    def closing(descriptor):
        harness._die_with_parent()
        if descriptor is not None:
            os.close(descriptor)

    @staticmethod
    def full_device():
        return os.open("/dev/full", os.O_WRONLY)

    @staticmethod
    def closed_pipe():
        read_end, write_end = os.pipe()
        os.close(read_end)
        return write_end

    def test_the_longest_reason_is_shown_whole_on_the_screen(self):
        for dpi in (96, 192):
            with self.subTest(dpi=dpi):
                app, window = self.start_at(dpi)
                main = self.x.attributes(window)

                def beyond_the_window(other):
                    at = self.x.attributes(other)
                    # Cut at the window's edge, the tip would end there, in mid-letter.
                    return at if at and at.x + at.width > main.x + main.width else None

                def reason_tip():
                    # A paste before Wine has taken the new X clipboard over can read it empty:
                    # that short "Leeg" tip is not the one sought, and the next paste replaces it.
                    return next((other for other in self.x.windows_of(app.pid)
                                 if other != window and beyond_the_window(other)), None)
                self.set_clipboard(LONGEST_REASON_INPUT)
                tip = self.paste(window, reason_tip, "reason tip")

                def whole():
                    at = beyond_the_window(tip)
                    if at is None:
                        return None
                    # Inside the right border, one clear column: no letter runs into it.
                    middle = at.height // 2
                    edge = self.x.pixel(tip, 0, middle)
                    border = max((x for x in range(at.width - 6, at.width)
                                  if self.x.pixel(tip, x, middle) == edge), default=None)
                    if border is None:
                        return None
                    margin = {self.x.pixel(tip, border - 1, y) for y in range(2, at.height - 3)}
                    return at if len(margin) == 1 else None
                at = self.x.wait_until(whole, STEP_TIMEOUT, "the whole reason")
                self.assertGreaterEqual(at.x, 0)
                self.assertLessEqual(at.x + at.width, SCREEN_WIDTH)
                app.stop()

    def root_colour(self, colour):
        """Makes the X root colour, which Wine's screen DC reads where no window covers it."""
        def solid(name):
            subprocess.run(["xsetroot", "-display", self.session.name, "-solid", name],
                           check=True, timeout=STEP_TIMEOUT)
        solid("#%02x%02x%02x" % colour)
        self.addCleanup(solid, "black")

    def pick_corner(self, app, window, finish="click", at=None):
        """Waits for the picker over the whole screen, then picks the bottom-right pixel of the
        screen, the outermost one, or the one at, with a click, or ends the pick there with the
        key finish, or with "hold KEY" one held past the auto-repeat delay; with no finish,
        leaves the picker open and gives its window."""
        root = self.x.attributes(self.x.root)
        at = at or (root.width - 1, root.height - 1)
        def picker():
            for other in self.x.windows_of(app.pid):
                attributes = self.x.attributes(other)
                if other != window and attributes and attributes.width == root.width:
                    return other
            return None
        shown = self.x.wait_until(lambda: app.running() and picker(), STEP_TIMEOUT, "picker")
        time.sleep(SETTLE)
        if finish == "click":
            self.x.click(*at)
        elif finish and finish.startswith("hold "):
            self.x.move(*at)
            time.sleep(SETTLE)
            self.session.xdotool("keydown", finish[5:])
            time.sleep(HELD)
            self.session.xdotool("keyup", finish[5:])
        elif finish:
            self.x.key(finish)
        else:
            return shown
        app.closed(shown)

    def finish_printed(self, app, window, number):
        self.x.wait_until(lambda: not app.running() or self.x.viewable(window), STEP_TIMEOUT,
                          "main window back")
        self.click(window, AFSLUITEN)
        self.assertEqual(app.wait_exit(), 0)
        self.assertEqual(app.output(), number + "\n")

    def test_shortcut_picks_the_colour_under_the_pointer(self):
        self.root_colour(COLOUR)
        app, window = self.start("--print")
        app.wait_swatch(window, WHITE)
        self.x.key("ctrl+shift+c")
        # Held a moment too long, Return would press "Afsluiten" once the picker is gone.
        self.pick_corner(app, window, "hold Return")
        app.wait_swatch(window, COLOUR, probe=(12, 12))

        # Picked on "Afsluiten": had the click reached the button, the program would end. The
        # shortcut, held past the pick, starts no second one to take the click on "Afsluiten".
        bounds = self.x.attributes(window)
        button = (bounds.x + AFSLUITEN[0], bounds.y + AFSLUITEN[1])
        face = self.x.pixel(window, *AFSLUITEN)
        self.x.focus(window)
        self.session.xdotool("keydown", "ctrl+shift+c")
        self.pick_corner(app, window, at=button)
        time.sleep(HELD)
        self.session.xdotool("keyup", "ctrl+shift+c")
        app.wait_swatch(window, face, probe=(12, 12))
        time.sleep(SETTLE)
        self.assertTrue(app.running())
        self.finish_printed(app, window, str(face[0] + 256 * face[1] + 65536 * face[2]))

    def test_arrow_keys_move_one_pixel_and_ten_with_shift(self):
        self.root_colour(COLOUR)
        app, window = self.start("--print")
        app.wait_swatch(window, WHITE)
        bounds = self.x.attributes(window)
        # Between the swatch and the number, eleven pixels left of the window's right edge:
        # ten and one more to the right lies the root, whatever else the keys do wrong.
        self.x.move(bounds.x + WIDTH - 11, bounds.y + 155)
        self.x.focus(window)
        self.x.key("ctrl+shift+c")
        self.pick_corner(app, window, finish=None)
        self.settle("shift+Right", "Down", "Up", "Right", "Return")
        app.wait_swatch(window, COLOUR, probe=(12, 12))
        self.finish_printed(app, window, NUMBER)

    def test_pick_at_start_prints_the_pick_and_escape_prints_nothing(self):
        self.root_colour(COLOUR)
        # At 192 DPI the hot spot is still one device pixel: the outermost one stays on screen.
        # The eyedropper ends by itself, with the number or with nothing and status 1.
        for dpi, finish, ended in ((96, "click", (0, NUMBER + "\n")), (96, "Escape", (1, "")),
                                   (192, "click", (0, NUMBER + "\n"))):
            with self.subTest(dpi=dpi, finish=finish):
                app, window = self.start_at(dpi, "--pick", "--print")
                self.pick_corner(app, window, finish)
                self.assertEqual((app.wait_exit(), app.output()), ended)

    def test_pick_copy_leaves_the_number_on_the_clipboard_and_escape_leaves_it_alone(self):
        self.state_folder()
        self.root_colour(COLOUR)
        # Another program keeps Wine, and so the clipboard, going after the copy has ended. The
        # picker has no window of its own's X focus to take the keys through: none may hold it.
        self.start()
        self.x.focus(POINTER_ROOT)
        self.set_clipboard("zoals het was")
        for finish, ended, clipboard in (("Escape", (1, ""), "zoals het was"),
                                         ("click", (0, NUMBER + "\n"), NUMBER)):
            app = self.session.start([self.wine, self.exe, "--pick", "--copy", "--print"])
            self.addCleanup(app.stop)
            self.pick_corner(app, None, finish)
            self.assertEqual((app.wait_exit(), app.output()), ended)
            self.assert_clipboard(clipboard)
        self.assertEqual(self.recent(), [NUMBER])

    def test_dialog_button_fills_the_fields_and_only_ok_takes_them(self):
        self.root_colour(COLOUR)
        # Held a moment too long, the key that ends the pick would press OK or Cancel. Return
        # held on the button starts the pick, and its repeats and its release must not end it.
        for start, pick, confirm, colour, number in (
                ("click", "hold Return", "Return", COLOUR, NUMBER),
                ("click", "hold Escape", "Escape", WHITE, "16777215"),
                ("hold Return", "hold Return", "Return", COLOUR, NUMBER)):
            with self.subTest(start=start, pick=pick, confirm=confirm):
                app, window = self.start("--print")
                app.wait_swatch(window, WHITE)
                dialog = self.open_dialog(app, window)
                self.covered_probe(app, window, COLOUR)
                # "Van het scherm…" stands alone below every other control, at the left.
                bounds = self.x.attributes(dialog)
                self.x.click(bounds.x + 24, bounds.y + bounds.height - 20)
                if start == "hold Return":
                    # A cancelled pick leaves the button with the focus, where Return starts
                    # the next one.
                    self.pick_corner(app, window, "Escape")
                    self.x.focus(dialog)
                    time.sleep(SETTLE)
                    self.session.xdotool("keydown", "Return")
                    shown = self.pick_corner(app, window, finish=None)
                    time.sleep(HELD)
                    self.session.xdotool("keyup", "Return")
                    time.sleep(SETTLE)
                    self.assertTrue(self.x.viewable(shown))
                self.pick_corner(app, window, pick)
                time.sleep(SETTLE)
                self.assertTrue(self.x.viewable(dialog))
                self.x.focus(dialog)
                self.settle(confirm)
                app.closed(dialog)
                app.wait_swatch(window, colour, probe=(12, 12))
                self.finish_printed(app, window, number)

    def test_a_picker_destroyed_from_outside_ends_the_pick_as_refused(self):
        # Destroyed by another client: the eyedropper ends with status 1 and the reason.
        app, window = self.start("--pick", "--print")
        self.session.xdotool("windowclose", self.pick_corner(app, window, finish=None))
        self.assertEqual((app.wait_exit(), app.output()), (1, ""))
        self.assertIn("tintenwijzer: Het venster om een kleur te kiezen verdween",
                      self.errors(app))
        # In the window, the next pick works as ever.
        self.root_colour(COLOUR)
        app, window = self.start("--print")
        app.wait_swatch(window, WHITE)
        self.x.key("ctrl+shift+c")
        self.session.xdotool("windowclose", self.pick_corner(app, window, finish=None))
        time.sleep(SETTLE)
        self.x.focus(window)
        self.x.key("ctrl+shift+c")
        self.pick_corner(app, window)
        app.wait_swatch(window, COLOUR, probe=(12, 12))

    def errors(self, app):
        """What app wrote to standard error so far."""
        number = self.session._apps.index(app)
        with open(os.path.join(self.session.directory, f"app{number}.stderr"), "rb") as log:
            return log.read().decode(errors="replace")

    def test_command_line_answers_come_without_a_window(self):
        # arguments, exit status, where the answer goes and how it starts; the other is empty
        rows = [
            (["--version"], 0, "stdout", "Tintenwijzer 1.00\n"),
            (["--help"], 0, "stdout", "Gebruik: tintenwijzer [--pick [--copy]] [--print] [KLEUR]\n"),
            (["#12345"], 2, "stderr", "tintenwijzer: Na # komen"),
            (["--kleur"], 2, "stderr", "tintenwijzer: onbekende optie --kleur"),
        ]
        for arguments, status, stream, start in rows:
            with self.subTest(arguments=arguments):
                # A message box instead would keep the program waiting until the timeout.
                result = subprocess.run(
                    [self.wine, self.exe, *arguments], env=self.session.environment(),
                    stdin=subprocess.DEVNULL, capture_output=True, text=True,
                    timeout=STEP_TIMEOUT, check=False)
                self.assertEqual(result.returncode, status)
                answer, other = ((result.stdout, result.stderr) if stream == "stdout"
                                 else (result.stderr, result.stdout))
                self.assertTrue(answer.startswith(start), answer)
                self.assertEqual(other, "")

    def state_folder(self):
        """%LOCALAPPDATA%\\Tintenwijzer in the prefix, gone before this test and after it."""
        folder = os.path.join(self.prefix, "drive_c", "users", pwd.getpwuid(os.getuid()).pw_name,
                              "AppData", "Local", "Tintenwijzer")
        subprocess.run(["rm", "-rf", folder], check=True)
        self.addCleanup(subprocess.run, ["rm", "-rf", folder], check=True)
        return folder

    def recent(self):
        """What --recent prints, a number a line."""
        result = self.wine_command(self.exe, "--recent")
        self.assertEqual((result.returncode, result.stderr), (0, b""))
        return result.stdout.decode().splitlines()

    def paste_colour(self, window, text, colour):
        self.set_clipboard(text)
        self.paste(window, lambda: self.x.pixel(window, *SWATCH_CENTRE) == colour, str(colour))

    def test_colours_taken_and_custom_colours_are_kept_for_the_next_run(self):
        folder = self.state_folder()
        os.mkdir(folder)
        # As an editor on Windows leaves it.
        pathlib.Path(folder, "recent").write_bytes(b"255\r\n")
        # A start colour is not taken; a paste is.
        app, window = self.start("#00ff00")
        app.wait_swatch(window, (0, 255, 0))
        self.paste_colour(window, "#123456", COLOUR)
        # The dialog opens on that colour: "Add to Custom Colors" keeps it, a cancel too.
        dialog = self.open_dialog(app, window)
        self.covered_probe(app, window, COLOUR)
        self.settle("alt+d", "alt+a", "Escape")
        app.closed(dialog)
        self.click(window, AFSLUITEN)
        self.assertEqual(app.wait_exit(), 0)
        self.assertEqual(self.recent(), [NUMBER, "255"])
        self.assertEqual(pathlib.Path(folder, "custom").read_text().splitlines(),
                         [NUMBER] + ["16777215"] * 15)

        # Another program holds the custom colours while one is added: a scanner the file,
        # which is then neither read nor written over, or another copy the folder, which is
        # waited for. Once it is free the new colour goes in with what was there.
        custom = pathlib.Path(folder, "custom")
        scanned = (r"C:\users\%s\AppData\Local\Tintenwijzer\custom"
                   % pwd.getpwuid(os.getuid()).pw_name)
        for held, errors in ((scanned, r"\Atintenwijzer: kan de eigen kleuren niet lezen "
                                       r"uit C:\\users\\.*\n\Z"),
                             ("--state", r"\A\Z")):
            with self.subTest(held=held):
                custom.write_text("\n".join([NUMBER, "255"] + ["16777215"] * 14) + "\n")
                holder = subprocess.Popen([self.wine, os.environ["TINTENWIJZER_HOLDFILE"], held],
                                          env=self.session.environment(), stdin=subprocess.PIPE,
                                          stdout=subprocess.PIPE)
                self.addCleanup(holder.communicate, timeout=wine.BOOT_TIMEOUT)
                self.assertEqual(holder.stdout.readline().strip(), b"vast")
                app, window = self.start("#00ff00")
                dialog = self.open_dialog(app, window)
                self.covered_probe(app, window, (0, 255, 0))
                self.settle("alt+a", "Escape")
                app.closed(dialog)
                self.assertEqual(custom.read_text().split()[:2], [NUMBER, "255"])
                holder.communicate(timeout=wine.BOOT_TIMEOUT)
                self.click(window, AFSLUITEN)
                self.assertEqual(app.wait_exit(), 0)
                self.assertEqual(custom.read_text().split(),
                                 ["65280", "255"] + ["16777215"] * 14)
                self.assertRegex(self.errors(app), errors)

        app, window = self.start()
        dialog = self.open_dialog(app, window)
        self.x.wait_until(lambda: self.x.pixel(dialog, *FIRST_CUSTOM) == (0, 255, 0),
                          STEP_TIMEOUT, "the custom colour in its box")
        self.settle("Escape")
        app.closed(dialog)
        # From the keyboard, anywhere in the window: the number's menu, its last entry
        # "Recente kleuren", and in it the colours, then "Lijst wissen" last.
        self.x.focus(window)
        self.settle("shift+F10", "Up", "Right", "Down", "Return")
        app.wait_swatch(window, (255, 0, 0), probe=(12, 12))
        self.assertEqual(self.recent(), ["255", NUMBER])
        self.x.focus(window)
        self.settle("Menu", "Up", "Right", "Up", "Return")
        self.x.wait_until(lambda: self.recent() == [], STEP_TIMEOUT, "the list emptied")

    def test_a_list_that_cannot_be_kept_costs_the_list_not_the_colour(self):
        # A file where the folder should be: nothing can be made below it, even as root. A
        # read-only list under Wine is replaced all the same.
        folder = self.state_folder()
        pathlib.Path(folder).touch()
        app, window = self.start()
        app.wait_swatch(window, WHITE)
        self.paste_colour(window, "#123456", COLOUR)
        self.click(window, AFSLUITEN)
        self.assertEqual(app.wait_exit(), 0)
        # One warning line, no more.
        self.assertRegex(self.errors(app), r"\Atintenwijzer: kan de recente kleuren niet "
                         r"bewaren in C:\\users\\.*\n\Z")
        self.assertTrue(os.path.isfile(folder))
        self.assertEqual(self.recent(), [])

    def wine_command(self, *command):
        return subprocess.run([self.wine, *command], env=self.session.environment(),
                              stdin=subprocess.DEVNULL, capture_output=True, check=False,
                              timeout=wine.BOOT_TIMEOUT)

    def prefix_state(self):
        """Every file and folder of the prefix's drive C and every registry value that an install
        could have made, as lines."""
        drive = os.path.join(self.prefix, "drive_c")
        files = [os.path.relpath(os.path.join(folder, name), drive)
                 for folder, folders, names in os.walk(drive) for name in folders + names]
        export = os.path.join(self.session.directory, "registry.reg")
        self.assertEqual(self.wine_command("regedit", "/E", export).returncode, 0)
        # Each value below a Software key, with its key: an empty key, such as Windows
        # Installer's own bookkeeping makes on its first install, holds nothing installed.
        # The System hive is Wine's devices and drivers, which it changes as it pleases.
        values, key = [], ""
        with open(export, encoding="utf-16") as registry:
            for line in registry.read().splitlines():
                if line.startswith("["):
                    key = line
                elif line and "\\Software\\" in key and WINE_OWN not in key:
                    values.append(key + line)
        return sorted(f for f in files if f != INSTALLER_FOLDER) + values

    def msiexec(self, *arguments, succeeds=True):
        self.assertEqual(self.wine_command("msiexec", *arguments, "/qn").returncode == 0, succeeds)
        wine.stop(self.prefix)

    def installed(self, folder):
        """Asserts one Tintenwijzer in folder on drive C, its two shortcuts and one entry."""
        drive = os.path.join(self.prefix, "drive_c")
        self.assertEqual(sorted(os.listdir(os.path.join(drive, *folder.split("\\")))),
                         ["LICENSE", "README.md", "tintenwijzer.exe"])
        shortcuts = sorted(glob.glob(os.path.join(drive, "**", "Programs", "*.lnk"),
                                     recursive=True))
        self.assertEqual([os.path.basename(shortcut) for shortcut in shortcuts],
                         ["Kleur van het scherm kopiëren.lnk", "Tintenwijzer.lnk"])
        for shortcut, arguments in zip(shortcuts, ("--pick --copy", "")):
            content = pathlib.Path(shortcut).read_bytes()
            self.assertIn(f"C:\\{folder}\\tintenwijzer.exe".encode(), content)
            self.assertIn(arguments.encode("utf-16-le"), content)
        entry = "".join(self.wine_command("reg", "query", key, "/s").stdout.decode(
            errors="replace") for key in (UNINSTALL, UNINSTALL_32))
        self.assertEqual(entry.count("DisplayName    REG_SZ    Tintenwijzer"), 1)
        self.assertIn(f"InstallLocation    REG_SZ    C:\\{folder}\\", entry)
        return entry

    def test_the_installer_installs_silently_and_its_removal_leaves_nothing(self):
        msi = os.environ["TINTENWIJZER_WINDOWS_MSI"]
        # The other architecture's package, and where each installs.
        other = msi[:-6] + ("86" if msi.endswith("64.msi") else "64") + ".msi"
        folders = [r"Program Files\Tintenwijzer", r"Program Files (x86)\Tintenwijzer"]
        folder, other_folder = folders if self.wine == wine.WINE64 else folders[::-1]
        codes = set()
        for package in (msi, other):
            exe = {row[0]: row[4:6] for row in msi_rows(package, "File")}["tintenwijzer.exe"]
            self.assertEqual(exe, [os.environ["TINTENWIJZER_FILE_VERSION"], "1033"])
            self.assertNotIn("tintenwijzer.exe", [r[0] for r in msi_rows(package, "MsiFileHash")])
            codes |= {row[1] for row in msi_rows(package, "Component")}
            guids = [field for table in ("Property", "Component", "Upgrade")
                     for row in msi_rows(package, table) for field in row if field[:1] == "{"]
            self.assertEqual(guids, [guid.upper() for guid in guids])
        self.assertEqual(len(codes), 4)  # per architecture

        # Each replaces the one before: the other architecture, this one over it, the same
        # version built again, and the other architecture over that.
        before = self.prefix_state()
        again = rebuilt(msi, "1.00", self.session.directory)
        for package, where in ((other, other_folder), (msi, folder), (again, folder),
                               (other, other_folder), (msi, folder)):
            self.msiexec("/i", package)
            entry = self.installed(where)
        for field in ("DisplayVersion    REG_SZ    1.00", "Publisher    REG_SZ    Tintenwijzer"):
            self.assertIn(field, entry)
        installed = os.path.join(self.prefix, "drive_c", *folder.split("\\"), "tintenwijzer.exe")
        with open(installed, "rb") as copy, open(self.exe, "rb") as original:
            self.assertEqual(copy.read(), original.read())
        app, window = self.start(exe=installed)
        self.click(window, AFSLUITEN)
        self.assertEqual(app.wait_exit(), 0)
        self.msiexec("/x", msi)
        self.assertEqual(sorted(set(self.prefix_state()) ^ set(before)), [])

        # A folder of one's own is kept by the next version; an older one is refused.
        self.msiexec("/i", msi, r"INSTALLDIR=C:\Tintenwijzer")
        later = rebuilt(msi, "1.01", self.session.directory)
        self.msiexec("/i", later)
        self.assertIn("DisplayVersion    REG_SZ    1.01", self.installed("Tintenwijzer"))
        self.msiexec("/i", msi, succeeds=False)
        self.msiexec("/x", later)
        self.assertEqual(sorted(set(self.prefix_state()) ^ set(before)), [])


if __name__ == "__main__":
    unittest.main()
