"""The building types' icons of the play screen's info panel: a pair per type of the catalogue,
the size of the panel's icon sprite, drawn from the lots' pictures (the snow one under white
roofs), packed into the GameMenu atlas; and the lint of the info panel, its tooltips and hints,
which finds a missing icon, text, star or hint label."""
import os
import unittest
import xml.etree.ElementTree as ET

import numpy as np

from assets import atlases, buildings, lint, playscene
from assets.art import typeicons
from assets.art import buildings as town
from assets.art.categories import CATEGORIES
from assets.art.kit import Palette
from assets.common import ASSETS, REPO


def _pixels(image):
    return np.asarray(image.convert("RGBA")).astype(np.int32)


def _near(pixels, colour, tolerance=12):
    """How many opaque pixels lie within the tolerance of the colour."""
    target = np.array([int(round(c * 255)) for c in colour[:3]])
    close = np.all(np.abs(pixels[..., :3] - target) <= tolerance, axis=-1)
    return int(np.count_nonzero(close & (pixels[..., 3] > 200)))


class TypeIconsTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.pictures = {p.name: p for p in typeicons.CATEGORY.pictures()}

    def test_a_pair_for_every_type_of_the_catalogue_and_nothing_else(self):
        types = [t["Name"] for t in buildings.catalogue()]
        self.assertIn("BuildingPlace", types)
        wanted = {lint.type_icon(t, snow) for t in types for snow in (False, True)}
        self.assertEqual(set(self.pictures), wanted)
        self.assertEqual(len(self.pictures), 2 * len(types))
        self.assertIn("scenes/images/GameMenu/Icons/Cafe_snow.png", self.pictures)
        self.assertIn("scenes/images/GameMenu/Icons/Camping2.png", self.pictures)

    def test_an_icon_has_the_size_of_the_panels_icon_sprite(self):
        panel = playscene.building_info()
        preview = [c for c in panel.children if c.name == "Preview"][0]
        bounds = dict(preview.props)["Bounds"]
        size = tuple(int(v) for v in bounds[:2])
        for name, picture in self.pictures.items():
            self.assertEqual(picture.size, size, name)
            self.assertFalse(picture.trim, name)

    def test_the_snow_icon_is_the_lots_winter_picture_with_white_roofs(self):
        for type_name in ("Camping1", "Hostel2", "Cafe", "CityMall"):
            summer = _pixels(self.pictures[typeicons.icon_name(type_name)].image)
            snow = _pixels(self.pictures[typeicons.icon_name(type_name, True)].image)
            self.assertGreater(_near(snow, Palette.SNOW), _near(summer, Palette.SNOW) + 40,
                               type_name)
            self.assertGreater(np.count_nonzero(np.any(summer != snow, axis=-1)), 500, type_name)

    def test_the_icon_shows_the_lots_building_in_its_colours(self):
        # The roof colour of a hotel family drawn on its lot shows in the summer icon, not in
        # the snow icon, and every icon is more than its plain tile.
        roof = town.FAMILY_ROOFS["Hostel"]
        summer = _pixels(self.pictures[typeicons.icon_name("Hostel1")].image)
        snow = _pixels(self.pictures[typeicons.icon_name("Hostel1", True)].image)
        self.assertGreater(_near(summer, roof, 30), 30)
        self.assertLess(_near(snow, roof, 30), _near(summer, roof, 30) // 4)
        for name, picture in self.pictures.items():
            colours = {tuple(p) for p in _pixels(picture.image).reshape(-1, 4)[::3]}
            self.assertGreater(len(colours), 60, name)

    def test_the_types_differ_from_one_another(self):
        faces = [_pixels(self.pictures[typeicons.icon_name(t)].image).tobytes()
                 for t in typeicons.type_names()]
        self.assertEqual(len(set(faces)), len(faces))

    def test_registered_and_packed_into_the_game_menu_atlas(self):
        self.assertIn(typeicons.CATEGORY, CATEGORIES)
        packed = {p.name for p in atlases.pictures_of("GameMenu")}
        self.assertTrue(set(self.pictures) <= packed)
        root = ET.parse(os.path.join(REPO, ASSETS, "atlases/GameMenu.xml")).getroot()
        regions = {t.get("n") for t in root.iter("t")}
        self.assertTrue(set(self.pictures) <= regions)


class PlayInfoLintTest(unittest.TestCase):
    """The lint of the info panel on the committed content, then on the content with one part
    taken away at a time."""

    def lint(self, change=None):
        problems = []
        content = lint.Content(problems)
        if change:
            change(content)
        lint.lint_play_info(content, problems)
        return problems

    def test_the_committed_content_passes(self):
        self.assertEqual(self.lint(), [])

    def test_each_missing_part_is_reported(self):
        cases = [
            ("a snow icon", lambda c: c.regions.pop(lint.type_icon("Cafe", True)),
             "Cafe_snow.png"),
            ("the building place's icon", lambda c: c.regions.pop(lint.type_icon("BuildingPlace")),
             "BuildingPlace.png"),
            ("a display name", lambda c: c.texts.discard("Camping2"), "Camping2"),
            ("a description", lambda c: c.texts.discard("Bld_Cafe_Desc"), "Bld_Cafe_Desc"),
            ("a full description", lambda c: c.texts.discard("Bld_AquaPark_FullDesc"),
             "Bld_AquaPark_FullDesc"),
            ("a feature's button text", lambda c: c.texts.discard("Bld_Cafe_Feature1Button"),
             "Bld_Cafe_Feature1Button"),
            ("a feature's info", lambda c: c.texts.discard("Bld_AquaPark_Feature2Info"),
             "Bld_AquaPark_Feature2Info"),
            ("a hint", lambda c: c.texts.discard("Hint_BuildingTabNoUpgrade"),
             "Hint_BuildingTabNoUpgrade"),
            ("a process text", lambda c: c.texts.discard("PyramidConfInProgressHint"),
             "PyramidConfInProgressHint"),
            ("a tooltip title", lambda c: c.texts.discard("Hint_SaleBuildingTitle"),
             "Hint_SaleBuildingTitle"),
            ("a figure's line", lambda c: c.texts.discard("GamePlay_ServedGuests"),
             "GamePlay_ServedGuests"),
            ("a star", lambda c: c.regions.pop("levels/common/Stars/EmptyStar.png"),
             "EmptyStar.png"),
        ]
        for what, change, expected in cases:
            problems = self.lint(change)
            self.assertEqual(len(problems), 1, (what, problems))
            self.assertIn(expected, problems[0], what)

    def test_a_hotel_familys_shared_text_is_reported_for_each_of_its_levels(self):
        problems = self.lint(lambda c: c.texts.discard("Bld_Hostel_FullDesc"))
        self.assertEqual(sorted(p.split(" of ")[1].split(",")[0] for p in problems),
                         ["Hostel1", "Hostel2", "Hostel3"])

    def test_a_build_tab_without_its_hint_label_is_reported(self):
        saved = lint._TABS
        try:
            # The lint looks for the build tabs below a path the scene does not have.
            lint._TABS = "InternalGamePlayScene/GameMenu/NoSuchTabs/"
            problems = self.lint()
        finally:
            lint._TABS = saved
        self.assertEqual(len(problems), 6, problems)
        self.assertTrue(all("Label" in p for p in problems))


if __name__ == "__main__":
    unittest.main()
