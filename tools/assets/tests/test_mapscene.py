"""The world map's scene: its locations lie in road order on the map, apart from each other and
clear of its buttons, each leading to the level the tables name for it; the hints' arrows end on
the pivot points the map places them by; every upgrade has its map icon."""
import unittest

from assets import mapscene, upgrades
from assets.art import map as mapart

# The pivot points of the map's code: small hints (1 and 2) and large ones (3 to 6).
SMALL_PIVOTS = {"Arrow": (92, 133), "ArrowL": (-52, 43), "ArrowR": (238, 43)}
LARGE_PIVOTS = {"Arrow": (92, 219), "ArrowL": (-52, 81), "ArrowR": (238, 81)}


def tip(node, name):
    """Where an arrow's tip lies in its hint: the far end of its box in its direction."""
    x, y, _ = node.get("Position")
    w, h, _ = node.get("Bounds")
    if name == "Arrow":
        return (x + w / 2.0, y + h)
    if name == "ArrowL":
        return (x, y + h / 2.0)
    return (x + w, y + h / 2.0)


class MapSceneTest(unittest.TestCase):
    def test_the_locations_lead_to_the_tables_levels_in_road_order(self):
        layer = mapscene.map_scene().find("LocationButtons")
        buttons = [c for c in layer.children if c.class_override is None]
        self.assertEqual(len(buttons), 39)
        names = [b.get("AssociatedLevelName") for b in buttons]
        self.assertEqual(names, upgrades.location_names())
        self.assertEqual([b.name for b in buttons], ["Location%d" % i for i in range(39)])
        self.assertEqual([b.get("Text") for b in buttons], ["%%Map_Loc%d%%" % i for i in range(39)])

    def test_the_locations_lie_apart_on_the_map_clear_of_the_buttons(self):
        centres = mapart.location_centres()
        w, h = mapart.BUTTON_SIZE
        for i, (x, y) in enumerate(centres):
            self.assertTrue(w / 2 <= x <= 1024 - w / 2 and h <= y <= 768 - 120, (i, x, y))
            for j in range(i):
                ox, oy = centres[j]
                self.assertTrue(abs(x - ox) >= w or abs(y - oy) >= h, (i, j))
        # neighbours along the road are near each other: the road joins them in order
        for (ax, ay), (bx, by) in zip(centres, centres[1:]):
            self.assertLess(abs(ax - bx) + abs(ay - by), 260)

    def test_the_hints_arrows_end_on_their_pivot_points(self):
        scene = mapscene.map_scene()
        for index in range(1, 7):
            hint = scene.find("LevelHint%dNode" % index)
            pivots = SMALL_PIVOTS if index <= 2 else LARGE_PIVOTS
            for arrow, (px, py) in pivots.items():
                tx, ty = tip(hint.find(arrow), arrow)
                self.assertLessEqual(abs(tx - px), 2, (index, arrow))
                self.assertLessEqual(abs(ty - py), 2, (index, arrow))
            for child in ("LevelText", "TimeText", "RankText", "Place1Text", "Place2Text",
                          "Place1Sign", "Place2Sign", "Icon1", "Icon2"):
                self.assertIsNotNone(hint.find(child), (index, child))

    def test_every_upgrade_has_its_map_icon(self):
        names = {p.name for p in mapart.CATEGORY.pictures()}
        for upgrade in upgrades.UPGRADE_NAMES:
            self.assertIn(mapart.ICON_FOLDER + upgrade + ".png", names)


if __name__ == "__main__":
    unittest.main()
