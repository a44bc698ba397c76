"""The upgrades table and the level scores: the names the shop and the achievements know, the free
start, prices the scores pay for, the required upgrades' spread, the shared building names and
the lint's checks of both files."""
import os
import tempfile
import unittest
from unittest import mock

from assets import buildingnames, buildings, lint, upgrades
from assets.tests.test_content import read_xml

GROUPS = ["Camping", "Hostel", "GuestHouse", "BusinessHotel", "HotelN5", "HotelN6", "Cafe",
          "CityMall", "AquaPark", "Statue", "Garden", "Memorial", "TruckStation", "REAgency",
          "PRAgency"]


class UpgradesTest(unittest.TestCase):
    def test_the_groups_and_the_second_stages_are_sold(self):
        self.assertEqual(sorted(upgrades.UPGRADE_NAMES),
                         sorted(GROUPS + ["AquaParkFeature2", "TruckStationFeature2",
                                          "REAgencyFeature2"]))
        self.assertEqual(upgrades.FREE_UPGRADES, ["Camping", "Cafe", "TruckStation"])
        levels = [u[1] for u in upgrades.UPGRADES if u[2] > 0]
        self.assertEqual((min(levels), max(levels)), (1, 30))

    def test_the_file_holds_the_table(self):
        root = read_xml(upgrades.UPGRADES_PATH)
        found = {u.find("Name").get("Value"): u for u in root.iter("Upgrade")}
        self.assertEqual(sorted(found), sorted(upgrades.UPGRADE_NAMES))
        camping = found["Camping"]
        self.assertEqual(camping.find("Price").get("Value"), "0")
        self.assertIn("Camping1", [a.get("Value") for a in camping.findall("AllowsBuilding")])
        feature = found["AquaParkFeature2"].find("AllowsBuildingFeature")
        self.assertEqual((feature.get("Building"), feature.get("FeatureIndex")), ("AquaPark", "2"))

    def test_prices_that_the_scores_cannot_pay_are_refused(self):
        upgrades.check_affordable()
        costly = [("Gold", 1, 10 ** 6, [], [], [], None)]
        with mock.patch.object(upgrades, "UPGRADES", upgrades.UPGRADES + costly):
            with self.assertRaises(AssertionError):
                upgrades.check_affordable()
        late = [("Late", 5, 100, [], [], [], 5)]
        with mock.patch.object(upgrades, "UPGRADES", upgrades.UPGRADES + late):
            with self.assertRaises(AssertionError):
                upgrades.check_affordable()

    def test_required_upgrades_spare_the_first_two_locations(self):
        locations = {}
        for name, _, _, _, _, _, obligatory in upgrades.UPGRADES:
            if obligatory is not None:
                location = upgrades.location_of_level(obligatory)
                locations[location] = locations.get(location, 0) + 1
        self.assertFalse({0, 1} & set(locations))
        self.assertEqual(sum(c for l, c in locations.items() if 2 <= l <= 9), 1)
        self.assertTrue(all(1 <= c <= 2 for c in locations.values()))

    def test_location_names_and_rising_scores(self):
        names = upgrades.location_names()
        self.assertEqual(len(names), 39)
        self.assertEqual(names[:2], ["level1", "level2"])
        self.assertEqual([names[i] for i in (7, 15, 23, 31)],
                         ["minigame_hidden1", "minigame_hidden2", "minigame_auction",
                          "minigame_hidden3"])
        self.assertEqual(names[38], "level35")
        root = read_xml(upgrades.SCORES_PATH)
        entries = list(root.iter("Level"))
        self.assertEqual([e.get("Name") for e in entries], names)
        # the regular levels' scores rise along the map; a mini-game's follow its configuration
        scores = [int(e.get("Score")) for e in entries if not e.get("Name").startswith("minigame_")]
        self.assertEqual(len(scores), 35)
        self.assertEqual(scores, sorted(set(scores)))

    def test_the_catalogue_uses_the_shared_building_names(self):
        catalogue = [b["Name"] for b in buildings.catalogue() if not b.get("place")]
        self.assertEqual(catalogue, buildingnames.building_names())


class UpgradesLintTest(unittest.TestCase):
    def lint_with(self, upgrades_text, scores_text):
        problems = []
        content = lint.Content(problems)
        with tempfile.TemporaryDirectory() as folder:
            files = {lint.UPGRADES_TABLE: upgrades_text, lint.LEVEL_SCORES: scores_text}
            real = lint._asset_path

            def path(name):
                if name in files:
                    full = os.path.join(folder, os.path.basename(name))
                    with open(full, "w", encoding="utf-8") as out:
                        out.write(files[name])
                    return full
                return real(name)

            with mock.patch.object(lint, "_asset_path", path):
                lint.lint_upgrades(content, problems)
                lint.lint_level_scores(problems)
        return problems

    def test_faults_are_found(self):
        problems = self.lint_with(
            "<UpgradesConfiguration>"
            "<Upgrade><Name Value=\"Cafe\"/><Info Value=\"%UpgradeInfo_Cafe%\"/>"
            "<AllowsBuilding Value=\"NoSuchType\"/>"
            "<AllowsBuildingFeature Building=\"Cafe\" FeatureIndex=\"3\"/></Upgrade>"
            "<Upgrade><Name Value=\"Unnamed\"/><Info Value=\"plain\"/></Upgrade>"
            "</UpgradesConfiguration>",
            "<LevelScores><Level Name=\"level1\" Score=\"500\" ExpertScore=\"400\"/>"
            "<Level Name=\"level2\" Score=\"300\" ExpertScore=\"600\"/></LevelScores>")
        text = "\n".join(problems)
        self.assertIn("unknown building NoSuchType", text)
        self.assertIn("feature 3 of Cafe", text)
        self.assertIn("upgrade Unnamed has no dictionary text", text)
        self.assertIn("upgrade Unnamed: its Info is no dictionary text", text)
        self.assertIn("level1's expert score lies below", text)
        self.assertIn("level2 scores less", text)
