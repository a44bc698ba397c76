"""The money letter's template, read back from the committed collection: its parts, its three
states and its pictures in the Buildings atlas."""
import os
import unittest

from assets import lottemplates as lots
from assets import moneyletter
from assets.art import moneyletter as art
from assets.common import ASSETS
from assets.render import load_scene


class MoneyLetterTest(unittest.TestCase):
    def setUp(self):
        root = load_scene(os.path.join(ASSETS, lots.PATH))
        found = [t for t in root.children if t.name == moneyletter.NAME]
        self.assertEqual(len(found), 1)
        self.letter = found[0]

    def test_parts_and_states(self):
        children = {c.name: c for c in self.letter.children}
        for name in ("Glow", "Envelope", "Tag", "Text", "Progress"):
            self.assertIn(name, children)
        self.assertEqual(children["Text"].cls, "TextNode")
        clock = [c.name for c in children["Progress"].children]
        self.assertEqual(clock, ["Face", "Sector", "Hand"])
        for state in ("Appear", "Disappear", "DisappearHit"):
            self.assertIn(state, self.letter.states)

    def test_pictures_are_drawn_in_the_buildings_folders(self):
        names = {p.name for p in art.CATEGORY.pictures()}
        self.assertEqual(names, {art.FOLDER + "Envelope.png", art.FOLDER + "Glow.png"})
        for picture in art.CATEGORY.pictures():
            self.assertTrue(picture.name.startswith("levels/common/Buildings/"))
            # The envelope is solid; the halo is a soft wash.
            alpha = picture.image.getchannel("A").getextrema()[1]
            solid = picture.name.endswith("Envelope.png")
            self.assertGreater(alpha, 200 if solid else 60, picture.name)
            if not solid:
                self.assertLess(alpha, 200, picture.name)


if __name__ == "__main__":
    unittest.main()
