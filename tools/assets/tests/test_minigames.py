"""The mini-games' folders: layout, click points, hint paths, configurations, scores and lint."""
import copy
import unittest
from unittest import mock

from PIL import Image

from assets import lint, upgrades
from assets.minigames import art, description, scenes


class MiniGamesTest(unittest.TestCase):
    def test_the_lint_passes_on_the_committed_folders(self):
        problems = []
        lint.lint_minigames(lint.Content(problems), problems)
        self.assertEqual(problems, [])

    def test_the_lint_reports_a_click_point_beside_its_item(self):
        problems = []
        content = lint.Content(problems)
        real = lint._click_points([])
        moved = dict(real)
        key = ("minigame_hidden1", "Glasses")
        x, y = moved[key]
        moved[key] = (x, y - 9)  # above the glasses' rims: clear
        with mock.patch.object(lint, "_click_points", return_value=moved):
            lint.lint_minigames(content, problems)
        self.assertEqual(len(problems), 2, problems)  # not opaque, and the path ends elsewhere
        self.assertTrue(all("Glasses" in p for p in problems))

    def test_a_click_point_lies_inside_a_solid_patch(self):
        image = Image.new("RGBA", (20, 10), (0, 0, 0, 0))
        for px in range(12, 19):
            for py in range(2, 9):
                image.putpixel((px, py), (9, 9, 9, 255))
        self.assertEqual(scenes.click_point(image), (15, 5))
        line = Image.new("RGBA", (12, 12), (0, 0, 0, 0))
        for px in range(12):
            for py in (5, 6, 7, 8):  # four rows: no pixel has two solid rows on both sides
                line.putpixel((px, py), (9, 9, 9, 255))
        self.assertIsNone(scenes.click_point(line))

    def test_items_keep_apart_from_each_other_and_the_interface(self):
        game = copy.deepcopy(description.by_folder("minigame_hidden1"))
        scenes.check_layout(game)
        game["items"][1]["box"] = list(game["items"][0]["box"])
        with self.assertRaisesRegex(ValueError, "lies on"):
            scenes.check_layout(game)
        game = copy.deepcopy(description.by_folder("minigame_hidden2"))
        game["items"][0]["box"] = [20, 20, 30, 30]  # the preview panel
        with self.assertRaisesRegex(ValueError, "interface"):
            scenes.check_layout(game)

    def test_every_item_has_a_path_from_the_hint_button_to_its_click_point(self):
        for game in description.games():
            points = scenes.item_points(game)
            text = scenes.hint_paths_text(game)
            for name, (x, y) in points.items():
                path = scenes.hint_path(scenes.HINT_START, (x, y))
                self.assertGreaterEqual(len(path), 2)
                self.assertEqual(path[0], scenes.HINT_START)
                self.assertEqual(path[-1], (float(x), float(y)))
                self.assertIn('ID="%s"' % name, text)

    def test_level_scores_follow_the_configurations(self):
        table = upgrades.scores_text()
        expected = {"minigame_hidden1": (1000, 1000, 180), "minigame_hidden2": (1200, 1200, 150),
                    "minigame_auction": (450, 900, 60), "minigame_hidden3": (1400, 1400, 180)}
        for folder, (score, expert, time) in expected.items():
            self.assertIn('Name="%s" Score="%d" ExpertScore="%d" Time="%d"'
                          % (folder, score, expert, time), table)
            self.assertIn('<MaxLevelTime Value="%d"' % (time * 1000),
                          scenes.configuration_text(description.by_folder(folder)))

    def test_the_ordered_game_names_a_preview_per_item_and_its_trail(self):
        game = description.by_folder("minigame_hidden2")
        text = scenes.configuration_text(game)
        for item in game["items"]:
            self.assertIn('<Item Name="%s" Filename="%s"' % (item["name"], item["name"]), text)
        self.assertIn('<HintTrailVelocity Value="240.', text)
        self.assertIn('<HintTrailPPS Value="60"', text)
        names = {p.name for p in art.CATEGORY.pictures()}
        for item in game["items"]:
            self.assertIn("levels/minigame_hidden2/Preview/%s.png" % item["name"], names)

    def test_banknotes_differ_in_colour_and_light_up_under_the_pointer(self):
        game = description.by_folder("minigame_auction")
        centres = set()
        for value, colour in enumerate(game["banknotes"], start=1):
            normal = art.banknote(value, art.rgb(colour), False)
            over = art.banknote(value, art.rgb(colour), True)
            pixel = normal.getpixel((20, 20))
            centres.add(pixel[:3])
            self.assertGreater(sum(over.getpixel((20, 20))[:3]), sum(pixel[:3]))
        self.assertEqual(len(centres), 6)


if __name__ == "__main__":
    unittest.main()
