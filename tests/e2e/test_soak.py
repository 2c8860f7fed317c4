"""Many rounds of open, confirm a random colour, check, in one run of the real program."""

import os
import random
import unittest

from harness import KIES_KLEUR, Session

CYCLES = int(os.environ.get("TINTENWIJZER_SOAK_CYCLES", "30"))


class Soak(unittest.TestCase):
    def test_every_confirmed_colour_reaches_the_swatch(self):
        seed = int(os.environ.get("TINTENWIJZER_SOAK_SEED", random.randrange(1 << 32)))
        print(f"seed {seed}")
        colours = random.Random(seed)
        with Session() as session:
            x = session.x
            app = session.start()
            window = app.main_window()
            for cycle in range(CYCLES):
                colour = tuple(colours.randrange(256) for _ in range(3))
                try:
                    x.click(*KIES_KLEUR)
                    dialog = app.dialog(window)
                    app.confirm_colour(window, dialog, colour)
                except TimeoutError as error:
                    self.fail(f"cycle {cycle}, colour {colour}: {error}")
            self.assertIsNone(app.process.poll())


if __name__ == "__main__":
    unittest.main()
