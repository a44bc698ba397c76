"""The level generator: a description makes the same bytes every time; the derived paths follow
the lots and the roads; damaged descriptions are refused; and the movers' templates it names are
in the committed collection with their classes and states."""
import math
import os
import tempfile
import unittest
import xml.etree.ElementTree as ET

from assets import levels, lint, movertemplates
from assets.art import movers
from assets.common import ASSETS, PACKAGE, REPO
from assets.render import load_scene

LEVEL1 = os.path.join(PACKAGE, "levels", "campaign", "level01.toml")
BENCH = os.path.join(PACKAGE, "levels", "bench.toml")


def parse(data):
    return ET.fromstring(data.decode("utf-8-sig").split("?>", 1)[1])


class LevelGeneratorTest(unittest.TestCase):
    def test_the_same_description_gives_the_same_bytes(self):
        first = levels.level_files(LEVEL1).files
        second = levels.level_files(LEVEL1).files
        self.assertEqual(sorted(first), sorted(second))
        for path in first:
            self.assertEqual(first[path], second[path], path)

    def test_the_folders_written(self):
        made = levels.level_files(LEVEL1).files
        self.assertEqual(sorted(made), sorted(ASSETS + "/levels/level1/" + name for name in
                                              ("Level.oscn", "LevelConfiguration.xml",
                                               "LevelPaths.xml", "Backdrop.jpg")))
        self.assertFalse(any("Tutorial" in path for path in made))
        bench = levels.level_files(BENCH).files
        self.assertTrue(all(path.startswith("bench/levels/bench/") for path in bench))

    def test_the_committed_files_are_the_generators(self):
        for path, data in levels.build().files.items():
            with open(os.path.join(REPO, path), "rb") as f:
                self.assertEqual(f.read(), data, path)

    def test_a_car_path_per_lot_ends_at_its_front(self):
        description = levels.load(LEVEL1)
        root = parse(levels.level_files(LEVEL1).files[ASSETS + "/levels/level1/LevelPaths.xml"])
        car_paths = root.find("CarPaths").findall("Path")
        for lot in description["lots"]:
            own = [p for p in car_paths if p.get("ID") == lot["name"]]
            self.assertEqual(len(own), 1, lot["name"])
            points = [tuple(float(v) for v in p.get("p").split(";")) for p in own[0].findall("p")]
            self.assertGreaterEqual(len(points), 2)
            self.assertEqual(points[-1], (lot["position"][0] + 70.0, lot["position"][1] + 40.0))
        neutral = [p for p in car_paths if p.get("ID") == "NeutralCar"]
        self.assertEqual(len(neutral), 2 * len(description["roads"]))
        for path in neutral:
            self.assertGreaterEqual(len(path.findall("p")), 2)
            for car in path.get("Cars").split(";"):
                self.assertIn(car, movertemplates.CAR_TEMPLATES)
        walks = root.find("PedestrianPaths").findall("Path")
        self.assertEqual(len(walks), len(description["walkways"]))
        self.assertTrue(all(w.get("b") for w in walks))

    def test_the_lanes_keep_to_the_right(self):
        lanes = levels.neutral_paths({"roads": [{"points": [[0, 100], [200, 100]]}]})
        self.assertEqual(lanes[0][0], [(0.0, 108.0), (200.0, 108.0)])
        self.assertEqual(lanes[1][0], [(200.0, 92.0), (0.0, 92.0)])

    def test_damaged_descriptions_are_refused(self):
        good = {"lots": [{"name": "A", "position": [0, 0]}],
                "roads": [{"points": [[0, 0], [10, 0]]}]}
        levels.check(good, "good")
        cases = [
            {"lots": good["lots"] * 2, "roads": good["roads"]},
            {"lots": good["lots"], "roads": []},
            {"lots": good["lots"], "roads": [{"points": [[0, 0]]}]},
            {"lots": good["lots"], "roads": [{"points": [[0, 0], [1, 1]], "cars": ["Bus"]}]},
            {"lots": good["lots"], "roads": good["roads"], "walkways": [{"points": [[1, 1]]}]},
        ]
        for case in cases:
            with self.assertRaises(ValueError):
                levels.check(case, "bad")

    def test_the_walkers_spawner_sits_two_levels_below_the_level(self):
        scene = levels.scene(levels.load(LEVEL1))
        self.assertEqual(scene.type, "GGameLevelScene")
        walkers = scene.find("Walkers")
        spawner = walkers.find("WalkerSpawner")
        self.assertIn(walkers, scene.children)
        self.assertIn(spawner, walkers.children)
        self.assertIsNotNone(scene.find("CargosNode"))
        self.assertIsNone(scene.find("Pedestrians"))  # the level hides a layer of that name


class MoverTemplatesTest(unittest.TestCase):
    def test_the_movers_are_in_the_collection_with_their_states(self):
        collection = {t.name: t for t in load_scene(
            os.path.join(ASSETS, "levels/common/TemplateCollection.oscn")).children}
        pictures = {p.name[len("levels/common/"):] for p in movers.CATEGORY.pictures()}
        expected = [(n, "GCarNode", False) for n in movertemplates.CAR_TEMPLATES]
        expected += [(n, "GPedestrianNode", False) for n in movertemplates.WALKER_TEMPLATES]
        expected += [(movertemplates.BIRD_TEMPLATE, "GBirdNode", True)]
        for name, cls, flaps in expected:
            self.assertIn(name, collection)
            body = [c for c in collection[name].children if c.name == "Body"]
            self.assertEqual(len(body), 1, name)
            states = set(body[0].states)
            for direction in movers.DIRECTIONS:
                self.assertIn(direction, states, name)
                if flaps:
                    self.assertIn(direction + "_Flap", states, name)
        self.assertEqual(len(pictures), 4 * 8 + 3 * 8 * 2 + 8 * 2)

    def test_the_lint_finds_short_paths_and_unknown_cars(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "LevelPaths.xml")
            with open(path, "w", encoding="utf-8-sig") as f:
                f.write('<LevelPaths><CarPaths><Path ID="NeutralCar" Time="1;2" Cars="Car1;Nope">'
                        '<p p="0;0"/><p p="1;1"/></Path><Path ID="Lot"><p p="0;0"/></Path>'
                        '</CarPaths><PedestrianPaths><Path/></PedestrianPaths></LevelPaths>')
            problems = []
            lint.lint_level_paths(path, {"Car1": "GCarNode"}, problems)
            self.assertEqual(len(problems), 3, problems)
            self.assertTrue(any("Nope" in p for p in problems))


if __name__ == "__main__":
    unittest.main()
