"""The tutorials' step files: the generator's geometry (arrows on their targets, the window clear
of them) and the lint, which must flag each kind of broken file."""
import unittest

from assets import playscene, tutorials
from assets.common import BOM
from assets.tutoriallint import Level, lint_tutorial

GOOD_STEP = ('<Hint MessageBox="true"><Position Value="352;300;0" />'
             '<TextBgType Value="1" /><TextPosition Value="28;14;0" />'
             '<Text Value="%Known%" /><Actions>{actions}</Actions>'
             '<Arrows><Arrow Position="100;200;0" Rotation="0" /></Arrows></Hint>')


class FakeContent:
    texts = {"Known"}
    files = set()
    templates = {"scenes/TemplateCollection.oscn": {"Game_MaterialsButton%d" % n
                                                     for n in range(1, 6)}}


def lint(body, level=None, path="levels/level1/Tutorial.xml"):
    data = BOM + ('<?xml version="1.0" encoding="utf-8"?>\n' + body).encode("utf-8")
    problems = []
    lint_tutorial(path, FakeContent(), {"Camping1", "Camping2", "BuildingPlace", "Cafe",
                                        "Statue"}, problems, data=data, level=level)
    return problems


def steps(*bodies):
    return "<Tutorial>" + "".join(bodies) + "</Tutorial>\n"


def step(actions="", **changes):
    text = GOOD_STEP.format(actions=actions)
    for old, new in changes.items():
        text = text.replace(old.replace("_", " "), new)
    return text


class TutorialLintTest(unittest.TestCase):
    def test_a_sound_file_passes(self):
        self.assertEqual(lint(steps(step('<Action Type="GeneratePauseRequest" />'))), [])

    def test_each_fault_is_named(self):
        level = Level.of(allowed={"Camping1", "Camping2"}, lots={"BuildingPlace", "Camping1"})
        cases = [
            ("self-closing Hint", "<Tutorial><Hint /></Tutorial>", "self-closing Hint"),
            ("self-closing Actions", steps(GOOD_STEP.replace("<Actions>{actions}</Actions>",
                                                             "<Actions />")),
             "self-closing Actions"),
            ("no end", "<Tutorial>" + step(), "does not end with </Tutorial>"),
            ("another root", "<Steps></Steps>", "the root is Steps"),
            ("unknown element", steps(step().replace("<Arrows>", "<Arrows><Bow /></Arrows><Arrows>")),
             "unknown element Bow"),
            ("unknown attribute", steps(step().replace('Rotation="0"', 'Rotation="0" Colour="1"')),
             "unknown attribute Colour"),
            ("unknown type", steps(step('<Action Type="Jump" />')), "unknown action type Jump"),
            ("flag not true", steps(step().replace('MessageBox="true"', 'MessageBox="True"')),
             "not \"true\""),
            ("real number", steps(step().replace("352;300;0", "352.5;300;0")),
             "not a whole number"),
            ("TextBgType of a MessageBox", steps(step().replace('TextBgType Value="1"',
                                                                'TextBgType Value="0"')),
             "TextBgType 0 with MessageBox true"),
            ("missing key", steps(step().replace("%Known%", "%Unknown%")), "%Unknown%"),
            ("missing control", steps(step('<Action Type="ControlPress" Controls="NoSuchButton" />')),
             "no control NoSuchButton"),
            ("missing list", steps(step('<Action Type="ListItemPress" List="NoList" Indices="0" />')),
             "no list NoList"),
            ("index past the list", steps(step('<Action Type="ListItemPress" '
                                               'List="BuyMaterialsList" Indices="5" />')),
             "has no entry 5"),
            ("unknown type", steps(step('<Action Type="BuildingPress" BuildingTypes="Castle" />')),
             "Castle is not a building type"),
            ("off screen arrow", steps(step().replace("100;200;0", "1100;200;0")),
             "off the screen"),
        ]
        for label, body, expected in cases:
            with self.subTest(label):
                problems = lint(body)
                self.assertTrue(any(expected in p for p in problems), problems)
        level_cases = [
            ("entry not offered", '<Action Type="ListItemPress" List="JoysBuildList" Indices="0" />',
             "Cafe, which the level does not offer"),
            ("pressed type nowhere", '<Action Type="BuildingPress" BuildingTypes="Statue" />',
             "no Statue stands on a lot"),
            ("generated type nowhere",
             '<Action Type="GenerateDirtyBuildingRequest" BuildingTypes="Cafe" />',
             "no Cafe stands on a lot"),
        ]
        for label, actions, expected in level_cases:
            with self.subTest(label):
                problems = lint(steps(step(actions)), level=level)
                self.assertTrue(any(expected in p for p in problems), problems)

    def test_a_type_built_by_an_earlier_step_may_be_pressed(self):
        level = Level.of(allowed={"Camping1"}, lots={"BuildingPlace"})
        press = '<Action Type="BuildingPress" BuildingTypes="Camping1" />'
        build = '<Action Type="ListItemPress" List="HotelsBuildList" Indices="0" />'
        self.assertEqual(lint(steps(step(build), step(press)), level=level), [])
        self.assertTrue(lint(steps(step(press), step(build)), level=level))

    def test_the_committed_files_pass(self):
        from assets import lint as whole
        problems = [p for p in whole.lint_all() if "Tutorial" in p]
        self.assertEqual(problems, [])


class TutorialGeneratorTest(unittest.TestCase):
    def test_arrows_stand_on_their_targets(self):
        layout = tutorials.play_layout(1)
        button = layout.rects["HotelsButton"]
        x, y, rotation = tutorials.arrow_for(button)
        self.assertEqual(rotation, 0)
        self.assertTrue(button[0] <= x <= button[2] and button[1] <= y <= button[3])
        # the build list is drawn at 80 %: its first entry is narrower than the template's
        item = layout.item_rect("HotelsBuildList", 0)
        self.assertAlmostEqual(item[2] - item[0], playscene.CARD_STEP * playscene.BUILD_LIST_SCALE)
        # a target at the top of the screen gets an arrow from below, pointing up
        x, y, rotation = tutorials.arrow_for(layout.rects["TimeNode"])
        self.assertEqual(rotation, 180)
        self.assertGreater(y, layout.rects["TimeNode"][1])

    def test_the_window_keeps_clear_of_the_arrows(self):
        for path, (steps_of, layout_of, _) in tutorials.FILES.items():
            layout = layout_of()
            for step in steps_of():
                boxes = []
                for target in step.targets:
                    rect = layout.target_rect(target)
                    if rect is not None:
                        boxes += [rect, tutorials.arrow_box(tutorials.arrow_for(rect))]
                window = tutorials.window_box(tutorials.window_place(boxes))
                for box in boxes:
                    self.assertFalse(tutorials._overlap(window, box), (path, step.key))
                self.assertTrue(0 <= window[0] and window[2] <= 1024 and window[3] <= 768)

    def test_steps_without_text_are_only_generators(self):
        for steps_of, _, _ in tutorials.FILES.values():
            for step in steps_of():
                if not step.key:
                    kinds = {kind for kind, _ in step.actions}
                    self.assertTrue(kinds & tutorials.GENERATORS, kinds)


if __name__ == "__main__":
    unittest.main()
