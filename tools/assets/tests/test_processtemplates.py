"""The templates of building work in the level collection as the generator builds it (the check
compares the committed file with it): the lots' work states on every type, the vehicles, the site
and its stages, the bars and the clouds, and the pictures they name drawn by the art."""
import unittest

from assets import buildings as catalogue
from assets import lottemplates as lots
from assets import processtemplates as work
from assets.art import processes as art


def collection():
    return {t.name: t for t in lots.collection().children}


def states(node):
    return {s.name: s for s in node.states}


def answered(node, state):
    """The direct children of the node that have the state."""
    return [c for c in node.children if state in states(c)]


def key_frames(state):
    """The key frame animations of a state as the scene reader gives them."""
    return [a for a in state.main if a.type_name == "KeyFrame"]


def ends(state):
    return all(k.goto is None for a in key_frames(state) for k in a.keys)


class ProcessTemplatesTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.templates = collection()

    def test_every_type_answers_the_work_states_and_has_rubble(self):
        self.assertEqual(len(work.LOT_WORK_STATES), 12)
        for t in catalogue.catalogue():
            look = self.templates[t["Name"]]
            for state in work.LOT_WORK_STATES:
                players = answered(look, state)
                self.assertTrue(players, "%s: %s" % (t["Name"], state))
                for player in players:
                    self.assertTrue(ends(states(player)[state]), "%s: %s" % (t["Name"], state))
            rubble = [c for c in look.children if c.name == "Rubble"]
            self.assertEqual(len(rubble), 1, t["Name"])
            self.assertFalse(rubble[0].get("Visible", True))
            winter = states(rubble[0])["DestroySetting%d" % work.WINTER_SETTING]
            self.assertIn("Winter", dict(winter.start[0].props)["AtlasTexture"])
            # the restoring's length goes to the second key of its animations
            restoring = [a for p in answered(look, "Restoring")
                         for a in key_frames(states(p)["Restoring"])]
            self.assertTrue(restoring and all(len(a.keys) == 2 for a in restoring), t["Name"])

    def test_the_ruin_lifts_away_while_restored_and_comes_back_when_given_up(self):
        ruin = [c for c in self.templates["AquaPark"].children if c.name == "Ruin"][0]
        rise = key_frames(states(ruin)["Restoring"])[0]
        (x0, y0, _), (x1, y1, _) = rise.keys[0].values[0], rise.keys[1].values[0]
        self.assertEqual(x0, x1)
        self.assertLess(y1, y0)
        self.assertEqual(rise.keys[1].values[1] >> 24, 0)  # gone at the end
        self.assertIn("CancelRestoring", states(ruin))

    def test_the_helicopter_flies_by_two_keys_and_unloads_in_every_direction(self):
        helicopter = self.templates["Helicopter"]
        self.assertEqual(helicopter.type, "GPathMovableNode")
        for flight in ("MovingTo", "MovingFrom"):
            movers = [a for a in key_frames(states(helicopter)[flight]) if a.name == "Mover"]
            self.assertEqual(len(movers), 1)
            self.assertEqual(len(movers[0].keys), 2)
            self.assertEqual([p[0] for p in movers[0].props], ["Position"])
        self.assertEqual({c.name for c in helicopter.children} >= {"Cargo", "CargoShadow"}, True)
        for direction in work.HELICOPTER_DIRECTIONS:
            self.assertTrue(answered(helicopter, direction))
            for step in work.UNLOADING_STEPS:
                players = answered(helicopter, direction + step)
                self.assertTrue(players, direction + step)
                self.assertTrue(all(ends(states(p)[direction + step]) for p in players))
        cargo = self.templates["Cargo"]
        for direction in work.HELICOPTER_DIRECTIONS:
            self.assertTrue(ends(states(cargo)[direction]))

    def test_the_bus_drives_in_eight_directions_and_leaves_in_a_finite_state(self):
        bus = self.templates["Bus"]
        self.assertEqual(bus.type, "GPathMovableNode")
        self.assertEqual(len(work.BUS_DIRECTIONS), 8)
        for direction in work.BUS_DIRECTIONS:
            self.assertTrue(answered(bus, direction), direction)
        leaving = states(bus)["MovingFrom"]
        self.assertTrue(key_frames(leaving) and ends(leaving))

    def test_the_site_plays_its_stages_and_waits_only_for_finite_ones(self):
        site = self.templates["Construction"]
        bars = [c for c in site.children if c.name == "ProgressBar"]
        self.assertEqual(len(bars), 1)
        self.assertEqual(bars[0].type, "ProgressBarNode")
        self.assertIn(bars[0].get("TemplateName"), self.templates)
        for stage in work.STAGES:
            self.assertTrue(answered(site, stage), stage)
        for stage in work.FINITE_STAGES:
            for player in answered(site, stage):
                self.assertTrue(ends(states(player)[stage]), stage)
        # the hook keeps working until the site comes down
        hook = [c for c in site.children if c.name == "Hook"][0]
        self.assertFalse(ends(states(hook)["Working"]))

    def test_the_site_is_drawn_in_the_frame_of_a_building_picture(self):
        from assets.art import buildings as building_art
        self.assertEqual(art.SIZE, building_art.SIZE)
        self.assertEqual(art.GROUND, building_art.GROUND)

    def test_selector_star_bar_and_clouds(self):
        selector = self.templates["ConstructionSelector"]
        self.assertEqual(selector.type, "SpriteNode")
        self.assertIn("Focus", states(selector))
        star = self.templates["LevelStarEffect"]
        self.assertTrue(answered(star, "Activate"))
        self.assertTrue(all(ends(states(p)["Activate"]) for p in answered(star, "Activate")))
        bar = self.templates["ProgressBarOverBuilding"]
        self.assertEqual(bar.type, "ProgressBarNode")
        look = self.templates[bar.get("TemplateName")]
        self.assertEqual({c.name for c in look.children}, {"Track", "SlidingArea", "Knob"})
        for name in work.CLOUDS:
            cloud = self.templates[name]
            self.assertEqual(cloud.type, "GPathMovableNode")
            shadow = [c for c in cloud.children if c.type == "SpriteNode"]
            self.assertEqual(len(shadow), 1)
            # shadows lie over the lots and their parts
            self.assertGreaterEqual(shadow[0].get("Position")[2], 100)

    def test_every_picture_the_work_names_is_drawn(self):
        drawn = {p.name for p in art.CATEGORY.pictures()}
        named = set()
        for name in ["Helicopter", "Cargo", "Bus", "ConstructionSelector", "Construction",
                     "LevelStarEffect", "BuildingProgressBar"] + list(work.CLOUDS):
            stack = [self.templates[name]]
            while stack:
                node = stack.pop()
                stack += node.children
                values = [node.get("AtlasTexture")] + [
                    v for s in node.states for a in s.start for k, v in a.props
                    if k == "AtlasTexture"]
                for value in values:
                    if value and value.endswith(".png") and "Stars/" not in value:
                        named.add("levels/common/" + value)
        self.assertTrue(named)
        self.assertEqual(sorted(n for n in named if n not in drawn), [])
        for direction in art.BUS_DIRECTIONS:
            self.assertIn(art.bus_picture(direction), drawn)


if __name__ == "__main__":
    unittest.main()
