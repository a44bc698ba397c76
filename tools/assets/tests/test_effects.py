"""The world's effects as committed: the particle settings with their roots and values, the
effect templates of the level collection, the firework rockets, and the lint's check of them."""
import os
import unittest
import xml.etree.ElementTree as ET

from assets import effects, lint
from assets.art import effects as art
from assets.common import ASSETS, BOM, REPO
from assets.render import load_scene


def read(path):
    with open(os.path.join(REPO, ASSETS, path), "rb") as source:
        data = source.read()
    assert data.startswith(BOM), path
    return data


def numbers(root, name):
    return [float(v) for v in root.find(name).get("Value").split(";")]


class SettingsTest(unittest.TestCase):
    def test_roots_and_what_each_effect_needs(self):
        rain = ET.fromstring(read(effects.RAIN))
        snow = ET.fromstring(read(effects.SNOW))
        hint = ET.fromstring(read(effects.HINT))
        self.assertEqual((rain.tag, snow.tag, hint.tag),
                         ("WeatherParticle", "WeatherParticle", "HintParticle"))
        # rain falls fast, snow slowly and swaying; both keep well under the node's capacity
        self.assertGreater(numbers(rain, "ParticleVelRange")[0], 5 * numbers(snow, "ParticleVelRange")[1])
        self.assertGreater(numbers(snow, "ParticleNormalDeltaRange")[0], 0)
        for root in (rain, snow):
            alive = int(root.find("PPS").get("Value")) * numbers(root, "ParticleLifetimeRange")[1]
            self.assertLess(alive / 1000.0, 2048)
            keys = root.find("ParticleTimeline/ColorA").findall("k")
            self.assertEqual(float(keys[0].get("V")), 0.0)   # fades in
            self.assertEqual(float(keys[-1].get("V")), 0.0)  # and out
            times = [float(k.get("T")) for k in keys]
            self.assertEqual(times, sorted(times))
        self.assertGreaterEqual(numbers(hint, "ParticlesDensity")[0], 1)
        scale = [float(k.get("V")) for k in hint.find("ParticlesTimeline/Scale").findall("k")]
        self.assertGreater(scale[-1], scale[0])  # the ring grows


class TemplatesTest(unittest.TestCase):
    def setUp(self):
        tree = load_scene(os.path.join(ASSETS, "levels/common/TemplateCollection.oscn"))
        self.templates = {t.name: t for t in tree.children}

    def test_every_effect_template_with_its_class_and_life(self):
        for name, cls in lint.EFFECT_TEMPLATES.items():
            self.assertEqual(self.templates[name].cls, cls, name)
        for name in ("Balloon1", "RisingCoin", "SpiralLeaf", "LakeWave"):
            self.assertGreater(int(self.templates[name].props["LifeTime"]), 0, name)

    def test_the_bird_is_made_only_when_missing(self):
        names = [t.name for t in effects.templates()]
        self.assertIn(effects.BIRD, names)
        names = [t.name for t in effects.templates({effects.BIRD})]
        self.assertNotIn(effects.BIRD, names)

    def test_the_lake_wave_and_the_spark_answer_their_states(self):
        wave = {c.name: c for c in self.templates["LakeWave"].children}
        self.assertIn("Normal", wave["Wave"].states)
        self.assertIn("Blink", wave["Star"].states)
        spark = self.templates["ShieldSpark"].children[0]
        self.assertIn("Run", spark.states)


class FireworksTest(unittest.TestCase):
    def test_four_rockets_in_four_colours_that_burst(self):
        colours = set()
        for index in range(1, effects.FIREWORKS + 1):
            root = load_scene(os.path.join(ASSETS, effects.FIREWORK % index))
            self.assertEqual((root.cls, root.name), ("GFireworkNode", "Firework%d" % index))
            flash = [c for c in root.children if c.name == "Flash"][0]
            self.assertIn("Boost", flash.states)
            colours.add(flash.props["TintColor"])
        self.assertEqual(len(colours), effects.FIREWORKS)

    def test_every_picture_named_is_drawn(self):
        drawn = {p.name for p in art.CATEGORY.pictures()}
        for index in range(1, effects.FIREWORKS + 1):
            text = read(effects.FIREWORK % index).decode("utf-8-sig")
            folder = os.path.dirname(effects.FIREWORK % index)
            for part in text.split('Value="')[1:]:
                value = part.split('"', 1)[0]
                if value.endswith(".png"):
                    self.assertIn(os.path.normpath(os.path.join(folder, value)), drawn)


class LintTest(unittest.TestCase):
    def test_a_missing_frame_or_file_is_found(self):
        content = lint.Content([])
        problems = []
        lint.lint_effects(content, problems)
        self.assertEqual(problems, [])
        del content.regions["particles/Snow.png"]
        content.files.discard("levels/common/Fireworks/3/f.oscn")
        lint.lint_effects(content, problems)
        self.assertEqual(sorted(problems), [
            "levels/common/Effects/Snow.xml: its picture particles/Snow.png is in no atlas",
            "levels/common/Fireworks/3/f.oscn is missing"])


if __name__ == "__main__":
    unittest.main()
