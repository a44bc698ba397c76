"""Level 1's objectives and scores: the upgrade a player makes first and an income that the
start's campings and one upgraded camping do not reach, one more camping does; every text the
level shows is in the dictionary (the lint says so when one is not); its level-scores entry."""
import os
import unittest
import xml.etree.ElementTree as ET

from assets import buildings, levels, lint, upgrades
from assets.common import ASSETS, REPO

LEVEL1 = os.path.join(REPO, "tools/assets/levels/campaign/level01.toml")
CONFIGURATION = ASSETS + "/levels/level1/LevelConfiguration.xml"


def parse(data):
    return ET.fromstring(data.decode("utf-8-sig").split("?>", 1)[1])


class LevelOneTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.description = levels.load(LEVEL1)
        cls.root = parse(levels.level_files(LEVEL1).files[CONFIGURATION])
        cls.types = {t["Name"]: t for t in buildings.catalogue()}

    def objectives(self):
        return [o.attrib for o in self.root.find("Objectives").findall("Objective")]

    def income(self, type_name):
        return self.types[type_name].get("Income", 0)

    def test_a_camping_built_and_upgraded(self):
        upgraded = [o for o in self.objectives() if o["Type"] == "TypedHistoryActionsCount"]
        self.assertEqual(len(upgraded), 1)
        objective = upgraded[0]
        # Action 0 is a finished construction; the type is the camping's second level, which
        # only an upgrade of a built camping makes.
        self.assertEqual(objective["Action"], "0")
        self.assertEqual(objective["Value"], "1")
        self.assertEqual(objective["BuildingTypes"], self.types["Camping1"]["NextLevelName"])
        self.assertIn(objective["BuildingTypes"], self.description["allowed"])
        self.assertEqual(objective["InfoStr"], "%Obj_Level1_Upgrade%")

    def test_the_income_needs_the_upgrade_and_one_more_camping(self):
        incomes = [o for o in self.objectives() if o["Type"] == "Income"]
        self.assertEqual(len(incomes), 1)
        goal = float(incomes[0]["Value"])
        start = sum(self.income(lot["type"]) for lot in self.description["lots"]
                    if lot.get("owned"))
        upgraded = start + self.income("Camping2")
        self.assertLess(upgraded, goal)  # building and upgrading alone does not end the level
        self.assertGreaterEqual(upgraded + self.income("Camping1"), goal)
        # and the start's money pays for the two campings and the upgrade
        cost = 2 * self.types["Camping1"]["Cost"] + self.types["Camping2"]["Cost"]
        self.assertLessEqual(cost, self.description["start"]["money"])
        materials = 2 * self.types["Camping1"]["materials"] + self.types["Camping2"]["materials"]
        self.assertLessEqual(materials, self.description["start"]["materials"])

    def test_its_level_scores_entry(self):
        entries = {e.get("Name"): e.attrib for e in
                   ET.parse(os.path.join(REPO, ASSETS, upgrades.SCORES_PATH)).getroot()
                   .iter("Level")}
        score, expert, time = self.description["scores"]
        self.assertEqual((score, expert, time), upgrades.scores(0))
        self.assertEqual(entries["level1"], {"Name": "level1", "Score": str(score),
                                             "ExpertScore": str(expert), "Time": str(time)})
        self.assertLess(score, expert)
        self.assertGreaterEqual(time, 120)  # the two minutes of play earn the expert score

    def test_every_text_it_shows_is_in_the_dictionary(self):
        problems = []
        lint.lint_level_texts(lint.Content(problems), problems)
        self.assertEqual(problems, [])

    def test_the_lint_reports_a_text_the_dictionary_lacks(self):
        problems = []
        content = lint.Content(problems)
        content.texts.discard("Obj_Level1_Upgrade")
        lint.lint_level_texts(content, problems)
        self.assertEqual(len(problems), 1, problems)
        self.assertIn("level1/LevelConfiguration.xml", problems[0])
        self.assertIn("%Obj_Level1_Upgrade%", problems[0])


if __name__ == "__main__":
    unittest.main()
