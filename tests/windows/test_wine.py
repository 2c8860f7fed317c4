"""A Windows program, 64-bit or 32-bit, under Wine on an Xvfb of its own, driven as a user would."""

import os
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))

import wine  # noqa: E402
from harness import HEIGHT, STEP_TIMEOUT, SWATCH_CENTRE, WIDTH, Session  # noqa: E402

WHITE = (255, 255, 255)
# 5649426: red 0x12, green 0x34, blue 0x56.
COLOUR, NUMBER = (18, 52, 86), "5649426"
AFSLUITEN = (248 + 57 // 2, 216 + 25 // 2)
NUMBER_LABEL = (8 + 20, 168 + 16)
# Wine queues keys for the control that has the focus when they arrive, so a key that moves
# the focus needs a moment before the next one.
SETTLE = 0.5
SPOKEN = "5649426, rood 18, groen 52, blauw 86"
TOO_LARGE = "Een VB-hexgetal gaat tot en met &HFFFFFF, niet &H1000000"
# The reason's tip stays this long, and a little more, before the name is the colour's again.
REASON_SHOWN = 4.5


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

    def start(self, *arguments):
        app = self.session.start([self.wine, self.exe, *arguments])
        self.addCleanup(app.stop)
        return app, app.main_window()

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
            result = subprocess.run(
                ["xclip", "-o", "-selection", "clipboard", "-t", "UTF8_STRING",
                 "-display", self.session.name],
                capture_output=True, text=True, timeout=STEP_TIMEOUT, check=False)
            clipboard.last = result.stdout
            return result.stdout == text
        clipboard.last = None
        try:
            self.x.wait_until(clipboard, STEP_TIMEOUT, f"{text} on the clipboard")
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
        set_dpi(self.session, 192)
        self.addCleanup(set_dpi, self.session, 96)
        app, window = self.start()
        attributes = self.x.attributes(window)
        self.assertEqual((attributes.width, attributes.height), (2 * WIDTH, 2 * HEIGHT))
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
        # The dialog starts from black, the chooser's colour so far: cancel must not take it.
        self.x.key("Escape")
        app.closed(dialog)
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
        # The number's menu: "Kopiëren", then as HTML, as RGB() and as VB hex, blue first.
        for entry, text in ((2, "#123456"), (3, "RGB(18, 52, 86)"), (4, "&H00563412&")):
            self.click(window, NUMBER_LABEL, button=3)
            self.settle(*["Down"] * entry, "Return")
            self.assert_clipboard(text)
        self.assertEqual(app.output(), "")
        self.click(window, AFSLUITEN)
        self.assertEqual(app.wait_exit(), 0)
        self.assertEqual(app.output(), NUMBER + "\n")

    def test_command_line_answers_come_without_a_window(self):
        # arguments, exit status, where the answer goes and how it starts; the other is empty
        rows = [
            (["--version"], 0, "stdout", "Tintenwijzer 1.00\n"),
            (["--help"], 0, "stdout", "Gebruik: tintenwijzer [--pick] [--print] [KLEUR]\n"),
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


if __name__ == "__main__":
    unittest.main()
