"""The campaign's level descriptions: the short forms of objectives and requests and the elements
they make, the malformed ones refused with the file named, what the level number decides (name,
setting of the region, next level), the derived paths, the texts made for the objectives, the
refusals for what a level's tutorial or its owned upgrades need, the level scores and the prices
they pay for, and the lint of the level folders."""
import os
import re
import shutil
import tempfile
import unittest
import xml.etree.ElementTree as ET
from unittest import mock

from assets import campaign, levels, lint, texts, upgrades
from assets.common import ASSETS, BOM, REPO
from assets.minigames import description as minigames

WHERE = "tools/assets/levels/campaign/level05.toml"
LEVEL1 = campaign.description_path(1)

# A small town: two lots by the main road, one by a road that bends away from it.
TOWN = """
[[lots]]
name = "A"
position = [100, 300]

[[lots]]
name = "B"
position = [700, 110]

[[lots]]
name = "C"
position = [300, 500]

[[roads]]
points = [[-80, 430], [1104, 430]]

[[roads]]
points = [[600, 430], [600, 200], [1104, 200]]
cars = ["Car2"]

[[walkways]]
points = [[-20, 395], [1044, 395]]

[[walkways]]
points = [[560, 800], [560, 470], [-20, 470]]
"""

DESCRIPTION = """
layout = "town"
description = "A test town."
allowed = {allowed}
objectives = {objectives}
requests = {requests}
{extra}
[start]
money = 50000
{start}"""


def element_of(line):
    return ET.fromstring(line).attrib


class Town:
    """A scratch folder with the test town's layout; descriptions written into it."""

    def __init__(self):
        self.folder = tempfile.mkdtemp()
        self.layouts = os.path.join(self.folder, "layouts")
        os.makedirs(self.layouts)
        with open(os.path.join(self.layouts, "town.toml"), "w") as f:
            f.write(TOWN)

    def write(self, number, allowed=("Camping1", "Cafe"), objectives=(), requests=(),
              extra="", start=""):
        path = os.path.join(self.folder, "level%02d.toml" % number)
        with open(path, "w") as f:
            f.write(DESCRIPTION.format(allowed=_toml(allowed), objectives=_toml(objectives),
                                       requests=_toml(requests), extra=extra, start=start))
        return path

    def level(self, number, **kwargs):
        return campaign.level(self.write(number, **kwargs), layouts=self.layouts)

    def remove(self):
        shutil.rmtree(self.folder)


def _toml(values):
    return "[" + ", ".join(v if v.startswith("{") else '"%s"' % v for v in values) + "]"


class ShortFormTest(unittest.TestCase):
    def test_each_objective_makes_its_element(self):
        cases = [
            ("money 50000", {"Type": "Money", "Value": "50000.000000"}),
            ("income 12000", {"Type": "Income", "Value": "12000.000000"}),
            ("workers 6", {"Type": "Workers", "Value": "6"}),
            ("guests 40", {"Type": "GuestsCount", "Value": "40"}),
            ("have Camping2 x3", {"Type": "HaveTypedBuildingsCount", "BuildingTypes": "Camping2",
                                  "Value": "3", "MustOwn": "true"}),
            ("have any x5 at Place1;Place2",
             {"Type": "HaveTypedBuildingsCount", "PlaceNames": "Place1;Place2", "Value": "5",
              "MustOwn": "true"}),
            ("each Camping1;Cafe x2", {"Type": "HaveEachTypeBuildingsCount",
                                       "BuildingTypes": "Camping1;Cafe", "Value": "2",
                                       "MustOwn": "true"}),
            ("history built Camping2 x1", {"Type": "TypedHistoryActionsCount",
                                           "BuildingTypes": "Camping2", "Action": "0",
                                           "Value": "1"}),
            ("history repaired any x3", {"Type": "TypedHistoryActionsCount", "Action": "4",
                                         "Value": "3"}),
            ("history feature1 Cafe x2 at Place3",
             {"Type": "TypedHistoryActionsCount", "BuildingTypes": "Cafe", "PlaceNames": "Place3",
              "Action": "5", "Value": "2"}),
            ("history cleaned Hostel1;Cafe x4", {"Type": "TypedHistoryActionsCount",
                                                 "BuildingTypes": "Hostel1;Cafe", "Action": "8",
                                                 "Value": "4"}),
            ("features Cafe:1 CityMall:1", {"Type": "HaveConcurrentFeatures",
                                            "BuildingTypes": "Cafe;CityMall",
                                            "FeatureIndices": "0;0"}),
            ("features TruckStation:2", {"Type": "HaveConcurrentFeatures",
                                         "BuildingTypes": "TruckStation",
                                         "FeatureIndices": "1"}),
        ]
        for goal, expected in cases:
            with self.subTest(goal):
                objective = campaign.parse_objective(goal, WHERE)
                self.assertEqual(element_of(levels.objective_element(objective)), expected)

    def test_each_request_preset_makes_its_element(self):
        letters = {"MoneyRange": "0.400000;0.800000", "WaitTimeRange": "10000;15000"}
        cases = [
            ("letters rare", dict({"Type": "RegularLetterRequest",
                                   "FirstTimeRange": "30000;60000",
                                   "PeriodRange": "60000;120000"}, **letters)),
            ("letters often", dict({"Type": "RegularLetterRequest",
                                    "FirstTimeRange": "12500;22500",
                                    "PeriodRange": "25000;45000"}, **letters)),
            ("letters 40-50s on Camping1 first 5-10s",
             dict({"Type": "RegularLetterRequest", "FirstTimeRange": "5000;10000",
                   "PeriodRange": "40000;50000", "BuildingTypes": "Camping1"}, **letters)),
            ("broken 60-90s", {"Type": "RegularBrokenBuildingRequest",
                               "FirstTimeRange": "30000;45000", "PeriodRange": "60000;90000"}),
            ("dirty 40-60s on Garden;Statue", {"Type": "RegularDirtyBuildingRequest",
                                               "FirstTimeRange": "20000;30000",
                                               "PeriodRange": "40000;60000",
                                               "BuildingTypes": "Garden;Statue"}),
            ("sell 100-200s first 0-10s", {"Type": "RegularSellBuildingRequest",
                                           "FirstTimeRange": "0;10000",
                                           "PeriodRange": "100000;200000"}),
            ("cafe 30-60s", {"Type": "RegularCafeBuildingRequest",
                             "FirstTimeRange": "15000;30000", "PeriodRange": "30000;60000"}),
            ("weather 90-150s", {"Type": "RegularWeatherEffectRequest",
                                 "FirstTimeRange": "45000;75000", "PeriodRange": "90000;150000",
                                 "DurationTimeRange": "20000;40000"}),
        ]
        for preset, expected in cases:
            with self.subTest(preset):
                request = campaign.parse_request(preset, WHERE)
                self.assertEqual(element_of(levels.request_element(request)), expected)
        # a letter pays between a fifth and the whole of its building's daily income
        low, high = campaign.LETTER_MONEY
        self.assertTrue(0.2 <= low <= high <= 1.0)

    def test_malformed_short_forms_are_refused_naming_the_file(self):
        objectives = ["money", "money -5", "money 5x", "money 0", "income 12 000",
                      "have Castle x3", "have Camping1 3", "have Camping1 x0",
                      "have Camping1 x2 near Place1", "have Camping1;Camping1 x2",
                      "have BuildingPlace x1", "each any x2", "each Cafe",
                      "history painted Cafe x1",
                      "history built Cafe", "features Cafe", "features Cafe:0", "features",
                      "fly 3", "", 42]
        for goal in objectives:
            with self.subTest(goal=goal):
                with self.assertRaises(campaign.DescriptionError) as caught:
                    campaign.parse_objective(goal, WHERE)
                self.assertIn(WHERE, str(caught.exception))
        requests = ["letters sometimes", "letters", "broken 90-60s", "broken 60-90",
                    "broken 0-10s", "weather 60-90s on Cafe", "dirty 10-20s first 1-2s first 3-4s",
                    "dirty 10-20s on", "storm 10-20s", "sell 10-20s on Castle", "cafe 10-20s at 5"]
        for preset in requests:
            with self.subTest(preset=preset):
                with self.assertRaises(campaign.DescriptionError) as caught:
                    campaign.parse_request(preset, WHERE)
                self.assertIn(WHERE, str(caught.exception))

    def test_dirt_falls_only_on_types_a_player_can_clean(self):
        # the play screen offers the cleaning to the types whose serve area lends a bonus
        cleanable = campaign.cleanable_types()
        for name in ("Statue", "Garden", "Memorial"):
            self.assertIn(name, cleanable)
        for name in ("Camping1", "HotelN63", "Cafe", "AquaPark", "PRAgency"):
            self.assertNotIn(name, cleanable)
        accepted = ["dirty 60-90s on Statue;Garden;Memorial", "dirty 60-90s on Garden first 5-9s"]
        for preset in accepted:
            with self.subTest(preset=preset):
                request = campaign.parse_request(preset, WHERE)
                self.assertEqual(request["BuildingTypes"], preset.split()[3].split(";"))
        refused = [("dirty 60-90s", "needs \"on TYPES\""),
                   ("dirty 60-90s first 10-20s", "needs \"on TYPES\""),
                   ("dirty 60-90s on Statue;Cafe", "a dirty Cafe could never be cleaned"),
                   ("dirty 60-90s on Hostel2 first 10-20s",
                    "a dirty Hostel2 could never be cleaned")]
        for preset, expected in refused:
            with self.subTest(preset=preset):
                with self.assertRaises(campaign.DescriptionError) as caught:
                    campaign.parse_request(preset, WHERE)
                self.assertIn(WHERE, str(caught.exception))
                self.assertIn(expected, str(caught.exception))
        # the other requests may still fall on any type
        self.assertNotIn("BuildingTypes", campaign.parse_request("broken 60-90s", WHERE))


class DescriptionTest(unittest.TestCase):
    def setUp(self):
        self.town = Town()

    def tearDown(self):
        self.town.remove()

    def configuration(self, made):
        return ET.fromstring(levels.configuration_text(made))

    def test_the_number_gives_the_name_the_setting_and_the_next_level(self):
        settings = {1: 1, 7: 1, 8: 2, 14: 2, 15: 3, 21: 3, 22: 4, 28: 4, 29: 1, 35: 1}
        for number, setting in settings.items():
            with self.subTest(number=number):
                self.assertEqual(campaign.setting_of(number), setting)
                values = lint._properties_of(self.configuration(self.town.level(number)))
                self.assertEqual(values["Name"], str(number))
                self.assertEqual(values["SettingIndex"], str(setting))
                self.assertEqual(values["Description"], "%%Level%d_Description%%" % number)
                self.assertEqual(values.get("UnlockLevels"),
                                 None if number == 35 else str(number + 1))

    def test_a_bus_path_ends_at_its_lots_front_along_its_road(self):
        made = self.town.level(2)
        root = ET.fromstring(levels.paths_text(made))
        car_paths = root.find("CarPaths").findall("Path")
        for lot in made["lots"]:
            own = [p for p in car_paths if p.get("ID") == lot["name"]]
            self.assertEqual(len(own), 1, lot["name"])
            points = [tuple(float(v) for v in p.get("p").split(";")) for p in own[0].findall("p")]
            x, y = lot["position"]
            self.assertEqual(points[-1], (x + 70.0, y + 40.0))
            # the way runs along one road from where it begins, then takes the drive
            road = next(r["points"] for r in made["roads"]
                        if [tuple(map(float, p)) for p in r["points"][:len(points) - 2]] ==
                        points[:-2])
            self.assertLess(min(campaign._distance_to_segment(points[-2], a, b)
                                for a, b in zip(road, road[1:])), 0.1)
        # the lot by the bending road is reached along the bend
        bent = [p for p in car_paths if p.get("ID") == "B"][0]
        self.assertEqual([p.get("p") for p in bent.findall("p")][:2],
                         ["600.000000;430.000000", "600.000000;200.000000"])

    def test_pedestrian_paths_run_both_ways_along_the_walkways(self):
        made = self.town.level(2)
        walks = ET.fromstring(levels.paths_text(made)).find("PedestrianPaths").findall("Path")
        self.assertEqual(len(walks), len(made["walkways"]))
        for walk, way in zip(walks, made["walkways"]):
            self.assertTrue(walk.get("b"))  # any text marks a path usable both ways
            self.assertEqual([tuple(float(v) for v in p.get("p").split(";"))
                              for p in walk.findall("p")],
                             [tuple(map(float, p)) for p in way["points"]])

    def test_the_start_values_and_a_loss_for_unlucky_lots(self):
        made = self.town.level(3, start="materials = 80\nworkers = 2\nIncomeBonus1 = 20\n"
                                        "IncomeBonus2 = -15\n")
        values = lint._properties_of(self.configuration(made))
        self.assertEqual({k: values[k] for k in ("InitMoney", "InitMaterialsCount",
                                                  "InitWorkersCount", "IncomeBonus1",
                                                  "IncomeBonus2")},
                         {"InitMoney": "50000.000000", "InitMaterialsCount": "80.000000",
                          "InitWorkersCount": "2", "IncomeBonus1": "20.000000",
                          "IncomeBonus2": "-15.000000"})

    def test_lot_overrides_and_dropped_lots(self):
        made = self.town.level(3, extra='drop = ["C"]\n[lots.A]\ntype = "Cafe"\nowned = true\n'
                                         'luckiness = -1\n')
        self.assertEqual([(lot["name"], lot["type"], lot["owned"], lot["luckiness"])
                          for lot in made["lots"]],
                         [("A", "Cafe", True, -1), ("B", "BuildingPlace", False, 0)])

    def test_descriptions_the_game_could_not_use_are_refused(self):
        cases = [
            ("an unknown key", dict(extra="colour = 3\n"), "colour"),
            ("an unknown lot", dict(extra="[lots.Z]\nowned = true\n"), "no lot Z"),
            ("a dropped unknown lot", dict(extra='drop = ["Z"]\n'), "drops Z"),
            ("an unknown type on a lot", dict(extra='[lots.A]\ntype = "Castle"\n'), "Castle"),
            ("a luckiness of 2", dict(extra='[lots.A]\nluckiness = 2\n'), "luckiness"),
            ("an objective type not offered", dict(objectives=["have Hostel1 x1"]),
             "Hostel1, which allowed does not list"),
            ("an objective on a missing lot", dict(objectives=["have any x1 at Z"]), "lot Z"),
            ("an income objective with its own text",
             dict(objectives=['{ goal = "income 5000", info = "Earn" }']), "own text"),
            ("two objectives with one key",
             dict(objectives=['{ goal = "money 5", key = "Obj_X" }',
                              '{ goal = "money 6", key = "Obj_X" }']), "share a text key"),
            ("a request on a type the level never has", dict(requests=["dirty 10-20s on Statue"]),
             "Statue"),
            ("a money goal the start money meets", dict(objectives=["money 50000"]),
             "objective 'money 50000' is met from the start: the level starts with $50,000"),
            ("a money goal below the start money", dict(objectives=["have Cafe x1",
                                                                    "money 20000"]),
             "is met from the start"),
            ("a short day", dict(extra="DayLength = 10\n"), "DayLength"),
            ("scores without a time", dict(extra="Score = 100\nExpertScore = 200\n"), "Time"),
            ("an expert score below the score",
             dict(extra="Score = 300\nExpertScore = 200\nTime = 60\n"), "below ExpertScore"),
            ("an unknown decor effect", dict(extra='decor = ["rain"]\n'), "rain"),
            ("negative materials", dict(start="materials = -5\n"), "start.materials"),
            ("an income bonus taking all the income", dict(start="IncomeBonus2 = -100\n"),
             "above -100"),
            ("lake waves without water", dict(extra='decor = ["lake"]\n'), "water"),
        ]
        for label, changes, expected in cases:
            with self.subTest(label):
                with self.assertRaises(campaign.DescriptionError) as caught:
                    self.town.level(4, **changes)
                self.assertIn("level04.toml", str(caught.exception))
                self.assertIn(expected, str(caught.exception))
        # a sum above the start money is a goal to save up for
        made = self.town.level(4, objectives=["money 50001"])
        self.assertEqual(made["objectives"][0]["Value"], 50001)

    def test_lots_off_the_playfield_too_close_or_on_a_road_are_refused(self):
        cases = [("below the playfield", "[100, 600]", "leaves the playfield"),
                 ("under the top bar", "[100, 60]", "leaves the playfield"),
                 ("beside another lot", "[240, 300]", "closer than"),
                 ("on the main road", "[400, 390]", "lies on road 1"),
                 ("on the bend", "[560, 250]", "lies on road 2")]
        for label, position, expected in cases:
            with self.subTest(label):
                with open(os.path.join(self.town.layouts, "town.toml"), "w") as f:
                    f.write(TOWN + '\n[[lots]]\nname = "D"\nposition = %s\n' % position)
                with self.assertRaises(campaign.DescriptionError) as caught:
                    self.town.level(2)
                self.assertIn(expected, str(caught.exception))

    def test_objectives_need_what_the_owned_upgrades_allow(self):
        # Hostels are required from level 4 on: an objective of level 3 cannot ask for one
        allowed = ("Camping1", "Hostel1", "Cafe", "TruckStation")
        with self.assertRaises(campaign.DescriptionError) as caught:
            levels.check_ownership(self.town.level(3, allowed=allowed,
                                                   objectives=["have Hostel1 x1"]))
        self.assertIn("no upgrade owned at level 3", str(caught.exception))
        levels.check_ownership(self.town.level(4, allowed=allowed, objectives=["have Hostel1 x1"]))
        # a second feature needs an upgrade nobody has to own; a third the type does not have
        cases = [("features TruckStation:2", "needs an upgrade"),
                 ("history feature2 TruckStation x1", "needs an upgrade"),
                 ("features Cafe:3", "no feature 3")]
        for goal, expected in cases:
            with self.subTest(goal):
                with self.assertRaises(campaign.DescriptionError) as caught:
                    levels.check_ownership(self.town.level(4, allowed=allowed,
                                                           objectives=[goal]))
                self.assertIn(expected, str(caught.exception))
        levels.check_ownership(self.town.level(4, allowed=allowed,
                                               objectives=["features TruckStation:1 Cafe:1"]))


class TutorialNeedsTest(unittest.TestCase):
    def setUp(self):
        self.town = Town()

    def tearDown(self):
        self.town.remove()

    def test_a_description_dropping_what_its_tutorial_needs_is_refused(self):
        # level 2's step files asks for an empty lot, a statue and a camping standing on lots
        # and a cafe on offer (the first entry of the leisure list)
        statue, camping = '[lots.A]\ntype = "Statue"\nowned = true\n', \
            '[lots.B]\ntype = "Camping1"\nowned = true\n'
        empty = '[lots.C]\nowned = true\n'
        lots = statue + camping + empty
        levels.check_tutorial(self.town.level(2, extra=lots))
        cases = [
            ("the statue's lot dropped", 'drop = ["A"]\n' + camping + empty,
             "no Statue stands on a lot"),
            ("the camping's lot dropped", 'drop = ["B"]\n' + statue + empty,
             "no Camping1 stands on a lot"),
            ("no empty lot", 'drop = ["C"]\n' + statue + camping,
             "no BuildingPlace stands on a lot"),
        ]
        for label, extra, expected in cases:
            with self.subTest(label):
                with self.assertRaises(campaign.DescriptionError) as caught:
                    levels.check_tutorial(self.town.level(2, extra=extra))
                self.assertIn("level02.toml", str(caught.exception))
                self.assertIn(expected, str(caught.exception))
        with self.assertRaises(campaign.DescriptionError) as caught:
            levels.check_tutorial(self.town.level(2, allowed=("Camping1",), extra=lots))
        self.assertIn("Cafe, which the level does not offer", str(caught.exception))

    def test_level_one_keeps_the_types_its_tutorial_builds(self):
        levels.check_tutorial(campaign.level(LEVEL1))
        cases = [("Camping1", "Camping1, which the level does not offer"),
                 ("Camping2", "Camping2 can never be completed")]
        for type_name, expected in cases:
            with self.subTest(type_name):
                made = campaign.level(LEVEL1)
                made["allowed"].remove(type_name)
                with self.assertRaises(campaign.DescriptionError) as caught:
                    levels.check_tutorial(made)
                self.assertIn("level01.toml", str(caught.exception))
                self.assertIn(expected, str(caught.exception))

    def test_a_lot_its_tutorial_names_must_stay(self):
        step = BOM + (b'<?xml version="1.0" encoding="utf-8"?>\n<Tutorial><Hint><Actions>'
                      b'<Action Type="GenerateBrokenBuildingRequest" BuildingTypes="Camping1" '
                      b'PlaceNames="Place4" /></Actions></Hint></Tutorial>\n')
        made = campaign.level(LEVEL1)
        levels.check_tutorial(made, data=step)
        made["lots"] = [lot for lot in made["lots"] if lot["name"] != "Place4"]
        with self.assertRaises(campaign.DescriptionError) as caught:
            levels.check_tutorial(made, data=step)
        self.assertIn("no lot Place4", str(caught.exception))


class LevelTextsTest(unittest.TestCase):
    def setUp(self):
        self.town = Town()
        self.table = texts.table_texts()

    def tearDown(self):
        self.town.remove()

    def test_goals_without_a_text_get_one(self):
        cases = [
            ("money 50000", "Save up $50,000"),
            ("have Camping2 x3", "Own 3 level-2 campings"),
            ("have Cafe x1", "Own a cafe"),
            ("have any x4 at A;B", "Own 4 buildings on the chosen lots"),
            ("have Camping1;Cafe x2", "Own 2 level-1 campings or cafes"),
            ("have REAgency x2", "Own 2 real estate agencies"),
            ("each Camping1;Cafe x2", "Own 2 of each: level-1 campings and cafes"),
            ("each Hostel1;Garden;Statue x1", "Own one of each: level-1 hostel, garden and statue"),
            ("history built AquaPark x1", "Build an aqua park"),
            ("history repaired any x3", "Repair 3 buildings"),
            ("history sold HotelN52 x2", "Sell 2 level-2 five-star hotels"),
            ("history feature1 Cafe x2", 'Run "Happy hour" twice'),
            ("history feature1 any x5", "Use building features 5 times"),
            ("features Cafe:1 CityMall:1",
             'Run at the same time: "Happy hour" at a cafe and "Big sale" at a city mall'),
            ("features Cafe:1 CityMall:1 Cafe:1",
             'Run at the same time: "Happy hour" at 2 cafes and "Big sale" at a city mall'),
            ("features TruckStation:1", 'Run "Express delivery" at a truck station'),
            # the levels of a family go together; all of them are any of its buildings
            ("have Camping1;Camping2 x3", "Own 3 level-1 or level-2 campings"),
            ("have Hostel2;Hostel3;Cafe x1", "Own a level-2 or level-3 hostel or a cafe"),
            ("history demolished Camping1;Camping2;Camping3 x2", "Demolish 2 campings"),
        ]
        for goal, english in cases:
            with self.subTest(goal):
                objective = campaign.parse_objective(goal, WHERE)
                self.assertEqual(campaign.objective_english(objective, self.table), english)

    def test_the_keys_and_texts_of_a_level(self):
        made = self.town.level(9, allowed=("Camping1", "Cafe"), objectives=[
            "income 5000", "have Cafe x1",
            '{ goal = "have Camping1 x2", info = "Two campings by the lake" }',
            '{ goal = "money 90000", key = "Obj_Savings" }'])
        self.assertEqual([o.get("InfoStr") for o in made["objectives"]],
                         [None, "%Obj_Level9_2%", "%Obj_Level9_3%", "%Obj_Savings%"])
        self.assertEqual(campaign.level_texts(made, self.table),
                         {"Level9_Description": "A test town.",
                          "Obj_Level9_2": "Own a cafe",
                          "Obj_Level9_3": "Two campings by the lake",
                          "Obj_Savings": "Save up $90,000"})
        made["description"] = "Earn #p a day"
        with self.assertRaises(campaign.DescriptionError):
            campaign.level_texts(made, self.table)

    def test_the_dictionary_holds_the_levels_texts(self):
        made = campaign.level(LEVEL1)
        dictionary = texts.load_texts()
        self.assertEqual(dictionary["Level1_Description"], made["description"])
        self.assertEqual(dictionary["Obj_Level1_Upgrade"], "Build a camping and upgrade it")
        for key in campaign.texts(self.table):
            self.assertNotIn(key, self.table)  # a level's texts live in its description only
        with mock.patch.object(texts, "table_texts",
                               return_value=dict(self.table, Level1_Description="Old")):
            with self.assertRaises(ValueError):
                texts.load_texts()


class LevelScoresTest(unittest.TestCase):
    EVEN = {"level%d" % n: (3000, 4500, 100) for n in range(1, 36)}

    def test_a_described_level_scores_by_its_description(self):
        self.assertEqual(upgrades.scores(0), campaign.level(LEVEL1)["scores"])
        self.assertEqual(upgrades.scores(1, {"level2": (5, 6, 7)}), (5, 6, 7))
        score, expert, time = upgrades.scores(1, {})  # not described: the formula's
        self.assertTrue(0 < score < expert and time > 0)

    def test_mini_games_score_their_lowest(self):
        for location, folder in upgrades.MINI_GAMES.items():
            game = minigames.by_folder(folder)
            lowest = upgrades.lowest_score(location, self.EVEN)
            if game["class"] == upgrades.AUCTION_CLASS:
                self.assertEqual(lowest, 0)
            else:
                self.assertEqual(lowest, game["ExpertScore"])
                self.assertEqual(upgrades.scores(location)[:2], (lowest, lowest))

    def test_a_required_upgrade_is_paid_from_the_scores_before_its_location(self):
        # before level 8's location: seven levels, the first hidden-object game and the hostels
        # (required by level 4) bought
        hostel = next(u for u in upgrades.UPGRADES if u[0] == "Hostel")
        self.assertEqual(upgrades.location_of_level(hostel[6]), 3)
        hidden = minigames.by_folder(upgrades.MINI_GAMES[7])["ExpertScore"]
        points = 7 * 3000 + hidden - hostel[2]
        for price, affordable in ((points, True), (points + 1, False)):
            extra = [("Dear", 7, price, [], [], [], 8)]
            with mock.patch.object(upgrades, "UPGRADES", upgrades.UPGRADES + extra):
                if affordable:
                    upgrades.check_required_affordable(self.EVEN)
                else:
                    with self.assertRaises(AssertionError):
                        upgrades.check_required_affordable(self.EVEN)
        # sold only once as many levels as its Level are completed: seven before level 8
        for level, sold in ((7, True), (8, False)):
            extra = [("Late", level, 0, [], [], [], 8)]
            with mock.patch.object(upgrades, "UPGRADES", upgrades.UPGRADES + extra):
                if sold:
                    upgrades.check_required_affordable(self.EVEN)
                else:
                    with self.assertRaises(AssertionError):
                        upgrades.check_required_affordable(self.EVEN)

    def test_the_committed_tables_hold(self):
        upgrades.check_affordable()
        entries = {e.get("Name"): e.attrib for e in ET.parse(
            os.path.join(REPO, ASSETS, upgrades.SCORES_PATH)).getroot().iter("Level")}
        for number in range(1, campaign.LEVEL_COUNT + 1):
            name = campaign.folder_name(number)
            self.assertEqual(tuple(int(entries[name][k]) for k in ("Score", "ExpertScore", "Time")),
                             upgrades.scores(upgrades.location_of_level(number)))


class CampaignLintTest(unittest.TestCase):
    def test_the_committed_folders_pass(self):
        problems = []
        lint.lint_campaign_levels(problems)
        self.assertEqual(problems, [])

    def test_the_lint_finds_a_level_out_of_place_and_a_pending_one_that_came(self):
        with tempfile.TemporaryDirectory() as root:
            shutil.copytree(os.path.join(REPO, ASSETS, "levels", "level1"),
                            os.path.join(root, "levels", "level1"))
            config = os.path.join(root, "levels", "level1", "LevelConfiguration.xml")
            with open(config, "rb") as f:
                data = f.read()
            data = re.sub(rb'"SettingIndex" Value="1"', b'"SettingIndex" Value="3"', data)
            with open(config, "wb") as f:
                f.write(data)
            os.remove(os.path.join(root, "levels", "level1", "LevelPaths.xml"))
            os.makedirs(os.path.join(root, "levels", "level2"))
            open(os.path.join(root, "levels", "level2", "Level.oscn"), "w").close()
            problems = []
            with mock.patch.object(lint, "LEVELS_PENDING", set(range(2, 36))):
                lint.lint_campaign_levels(problems, root)
        self.assertEqual(len(problems), 3, problems)
        self.assertTrue(any("SettingIndex is '3', not '1'" in p for p in problems), problems)
        self.assertTrue(any("level1/LevelPaths.xml is missing" in p for p in problems), problems)
        self.assertTrue(any("take level 2 off the pending list" in p for p in problems), problems)


if __name__ == "__main__":
    unittest.main()
