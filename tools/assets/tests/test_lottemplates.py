"""The lots' templates, read back from the committed collection: one per building type of the
catalogue with its picture in both seasons, the parts a lot makes, and pictures that the building
art draws."""
import os
import unittest

from assets import buildings as catalogue
from assets import lottemplates as lots
from assets.art import buildings as art
from assets.art import categories
from assets.common import ASSETS, REPO
from assets.render import load_scene


def collection():
    return {t.name: t for t in load_scene(os.path.join(ASSETS, lots.PATH)).children}


class LotTemplatesTest(unittest.TestCase):
    def setUp(self):
        self.templates = collection()
        # Pictures of every art category: parts other than the lots' own draw theirs elsewhere.
        self.pictures = {p.name for c in categories.CATEGORIES for p in c.pictures()}

    def test_every_type_has_a_template_and_every_part_is_there(self):
        names = [t["Name"] for t in catalogue.catalogue()]
        self.assertEqual(len(names), 28)
        for name in names + list(lots.PART_NAMES):
            self.assertIn(name, self.templates)

    def test_the_picture_follows_the_season(self):
        for t in catalogue.catalogue():
            image = [c for c in self.templates[t["Name"]].children if c.name == "Image"]
            self.assertEqual(len(image), 1, t["Name"])
            states = image[0].states
            self.assertTrue(set(lots.LOT_STATES) <= set(states), t["Name"])
            self.assertEqual(states["Setting4"].get("AtlasTexture"),
                             "Buildings/%s_Winter.png" % t["Name"])
            picture = [c for c in self.templates[t["Name"]].children if c.name == "Image"][0]
            self.assertEqual(picture.props.get("AtlasTexture"),
                             "Buildings/%s_Summer.png" % t["Name"])

    def test_every_picture_named_is_drawn(self):
        with open(os.path.join(REPO, ASSETS, lots.PATH), encoding="utf-8-sig") as source:
            text = source.read()
        named = set()
        for part in text.split('Value="')[1:]:
            value = part.split('"', 1)[0]
            if value.endswith(".png"):
                named.add(os.path.normpath(os.path.join("levels/common", value)))
        self.assertTrue(named)
        self.assertEqual(sorted(n for n in named if n not in self.pictures), [])
        for name in (art.BUILDINGS + "Hostel2_Summer.png", art.BUILDINGS + "Hostel2_Winter.png"):
            self.assertIn(name, named)


if __name__ == "__main__":
    unittest.main()
