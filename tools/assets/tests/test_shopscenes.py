"""The shop's and the achievements' screens: every upgrade has a card on the screen, the second
stages share their first stage's place and nothing else overlaps, the cards' template answers the
two conditions, the lists' elements hold an icon and three texts, and the pictures are drawn at
their sizes."""
import unittest

from assets import shopscenes
from assets.art import achievements, shop
from assets.tests.test_content import read_xml


def scene_nodes(root):
    """(name, element) of every node of a scene file, in file order."""
    found = []
    for node in root.iter("SceneNode"):
        props = node.find("Properties")
        name = None
        if props is not None:
            for prop in props:
                if prop.get("Name") == "Name":
                    name = prop.get("Value")
        found.append((name, node))
    return found


def state_names(node):
    states = node.find("States")
    return set() if states is None else {s.get("Name") for s in states.findall("State")}


class ShopLayoutTest(unittest.TestCase):
    def test_every_upgrade_has_a_place_on_the_screen(self):
        for upgrade in shop.upgrade_names():
            place = shopscenes.card_place(upgrade)
            self.assertIsNotNone(place, upgrade)
            x, y = place
            self.assertGreaterEqual(x, 0, upgrade)
            self.assertLessEqual(x + shopscenes.CARD_W, 1024, upgrade)
            self.assertLessEqual(y + shopscenes.CARD_H, 700, upgrade)  # above the back button

    def test_only_the_stages_of_one_upgrade_share_a_place(self):
        places = {}
        for upgrade in shop.upgrade_names():
            places.setdefault(shopscenes.card_place(upgrade), []).append(upgrade)
        for names in places.values():
            if len(names) > 1:
                first = [n for n in names if not n.endswith("Feature2")]
                self.assertEqual(len(first), 1, names)
                self.assertEqual(sorted(names), sorted(first + [first[0] + "Feature2"]))
        boxes = list(places)
        for i, (x, y) in enumerate(boxes):
            for (u, v) in boxes[i + 1:]:
                apart = (abs(x - u) >= shopscenes.CARD_W or abs(y - v) >= shopscenes.CARD_H)
                self.assertTrue(apart, ((x, y), (u, v)))

    def test_the_scene_file_names_each_button_as_its_upgrade(self):
        root = read_xml(shopscenes.SHOP_FILE)
        self.assertEqual(root.get("ClassOverride"), "GShopScene")
        buttons = [(name, node) for name, node in scene_nodes(root)
                   if node.get("ClassOverride") == "GShopButton"]
        self.assertEqual(sorted(n for n, _ in buttons), sorted(shop.upgrade_names()))
        for name, node in buttons:
            props = {p.get("Name"): p.get("Value") for p in node.find("Properties")}
            self.assertEqual(props["UpgradeName"], name)
            self.assertEqual(props["TemplateName"], "ShopButton")
            children = [n for n, _ in scene_nodes(node)][1:]
            self.assertEqual(children, ["PriceText", "Bought"])
        names = [n for n, _ in scene_nodes(root)]
        for part in ("Scene", "ShopButtons", "ScoreText", "Hint1Node", "Title", "Info",
                     "ShopButtonHLNode", "BackButton"):
            self.assertIn(part, names)


class TemplatesTest(unittest.TestCase):
    def test_the_card_answers_the_control_states_and_both_conditions(self):
        card = shopscenes.shop_button_template()
        for child in card.children:
            if child.name in ("Bg", "Image", "Text", "Lock"):
                self.assertTrue({"Normal", "NormalHover", "Press", "NormalDisable", "Bought",
                                 "Locked"} <= {s.name for s in child.states}, child.name)

    def test_list_elements_hold_an_icon_and_three_texts(self):
        for earned in (False, True):
            template = shopscenes.achievements_list_template("List", earned)
            element = template.find("Element")
            parts = [c.name for c in element.children]
            self.assertEqual(parts.count("Text"), 3)
            self.assertEqual(parts.count("Image"), 1)


class PicturesTest(unittest.TestCase):
    def test_icons_and_cards_are_drawn_at_their_sizes(self):
        pictures = {p.name: p.image for p in shop.CATEGORY.pictures()}
        for upgrade in shop.upgrade_names():
            self.assertEqual(pictures[shop.icon_name(upgrade)].size, (64, 64), upgrade)
        for condition in shop.FACES:
            self.assertEqual(pictures[shop.name("Card" + condition)].size, shop.BUTTON_SIZE)
        medals = {p.name: p.image for p in achievements.CATEGORY.pictures()}
        for number in range(1, achievements.COUNT + 1):
            self.assertEqual(medals[achievements.icon_name(number)].size, (64, 64))

    def test_an_upgrade_without_a_drawing_gets_a_sign_of_its_own(self):
        first = shop.upgrade_icon("Lighthouse")
        second = shop.upgrade_icon("Windmill")
        self.assertEqual(first.size, (64, 64))
        self.assertNotEqual(first.tobytes(), second.tobytes())
        self.assertNotEqual(shop.upgrade_icon("Garden").tobytes(),
                            shop.upgrade_icon("GardenFeature2").tobytes())


if __name__ == "__main__":
    unittest.main()
