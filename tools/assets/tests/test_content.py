"""The committed content as a whole: the consistency check passes (and finds the faults it is
for), the sound pack holds every cue with its group, loop and level, the preloader's tables and
collections are there with the roots their readers expect, the dictionary has the shared keys."""
import os
import tempfile
import unittest
import xml.etree.ElementTree as ET

import numpy as np

from assets import lint, sounds
from assets.common import ASSETS, BOM, REPO
from assets.scene import Key, KeyFrame, Node, Prop, scene_file
from assets.synth import RATE, decode_ogg


def asset_path(path):
    return os.path.join(REPO, ASSETS, path)


def read_xml(path):
    with open(asset_path(path), "rb") as source:
        data = source.read()
    assert data.startswith(BOM), path
    return ET.fromstring(data)


class LintTest(unittest.TestCase):
    def test_the_committed_content_passes(self):
        self.assertEqual(lint.lint_all(), [])

    def test_faults_are_found(self):
        root = Node("SceneNode", "Broken")
        root.add(Node("ControlNode", "BackButton", TemplateName="ButtonGreenLarge"))
        root.add(Node("ButtonNode", "Other", TemplateName="NoSuchTemplate",
                      Position=Prop("vector2d", (1, 2)), Text="%NoSuchKey%"))
        root.add(Node("NoSuchClass", "Odd"))
        layer = root.add(Node("BaseNode", "Layer"))
        layer.add(Node("ButtonNode", "Hidden", TemplateName="ButtonGreenLarge"))
        sprite = root.add(Node("SpriteNode", "Picture", AtlasTexture="images/UI/Missing.png"))
        sprite.state("Blink").animate(KeyFrame(["TintColor"], [Key(0, [0]), Key(0, [0], goto=0)]))
        with tempfile.NamedTemporaryFile(suffix=".oscn", dir=asset_path("scenes"),
                                         delete=False) as out:
            out.write(scene_file(root))
        try:
            problems = []
            content = lint.Content(problems)
            lint.lint_scene(out.name, content, problems, content.templates[lint.MENU_TEMPLATES])
        finally:
            os.remove(out.name)
        text = "\n".join(problems)
        self.assertIn("a BackButton must be a button", text)
        self.assertIn("template NoSuchTemplate is not in the collection", text)
        self.assertIn("Position is a vector3d, not a vector2d", text)
        self.assertIn("%NoSuchKey% has no dictionary entry", text)
        self.assertIn("unknown node class NoSuchClass", text)
        self.assertIn("picture images/UI/Missing.png", text)
        self.assertIn("loops without time passing", text)
        self.assertIn("Hidden is out of the pointer's reach below Layer, which is no control", text)
        self.assertNotIn("Other is out of the pointer's reach", text)

    def test_scene_contracts_find_missing_nodes_classes_and_states(self):
        saved = dict(lint.SCENE_CONTRACTS)
        lint.SCENE_CONTRACTS.clear()
        lint.SCENE_CONTRACTS.update({
            "scenes/LogosScene.oscn": {
                "root": "GIntroScene",
                "nodes": {"Scene/Logo2": {"TextNode"}, "Scene/Logo9": None},
                "states": {"Scene/Logo1": ("Swap", "Blink")},
            }})
        try:
            problems = []
            lint.lint_scene_contracts(lint.Content([]), problems)
        finally:
            lint.SCENE_CONTRACTS.clear()
            lint.SCENE_CONTRACTS.update(saved)
        self.assertEqual(problems, [
            "scenes/LogosScene.oscn: the root is a GLogosScene, not a GIntroScene",
            "scenes/LogosScene.oscn: Scene/Logo2 is not one of TextNode",
            "scenes/LogosScene.oscn: no node Scene/Logo9",
            "scenes/LogosScene.oscn: Scene/Logo1 has no state Blink"])

    def test_menu_movers_find_wrong_depths_moved_ancestors_missing_states_and_short_paths(self):
        root = Node("SceneNode", "Menu", class_override="GMainMenuScene")
        street = root.add(Node("BaseNode", "Bg")).add(Node("BaseNode", "Active"))
        moved = street.add(Node("BaseNode", "Moved", Position=(5, 0, 0)))
        lane = moved.add(Node("BaseNode", "Lane"))
        bike = lane.add(Node("GPathMovableNode", "DeepBike", class_override="GMainMenuBikeNode"))
        bike.add(Node("SpriteNode", "Body")).state("Right")
        car = lane.add(Node("BaseNode", "Cars")).add(
            Node("GPathMovableNode", "Car", class_override="GMainMenuCarNode"))
        body = car.add(Node("SpriteNode", "Body"))
        for state in lint.MENU_MOVERS["GMainMenuCarNode"][2]:
            body.state(state)
        lane.add(Node("BaseNode", "Sky")).add(
            Node("GPathMovableNode", "Cloud", class_override="GMainMenuCloudNode"))
        paths = ("<LevelPaths><CarPaths><Path ID=\"Bike\"><p p=\"1;2\"/><p p=\"3;4\"/></Path>"
                 "<Path ID=\"Path\"><p p=\"1;2\"/><p p=\"3;4\"/></Path>"
                 "<Path ID=\"Clouds\"><p p=\"1;2\"/></Path></CarPaths></LevelPaths>")
        folder = asset_path("scenes")
        with tempfile.NamedTemporaryFile(suffix=".oscn", dir=folder, delete=False) as scene, \
                tempfile.NamedTemporaryFile(suffix=".xml", dir=folder, delete=False) as xml:
            scene.write(scene_file(root))
            xml.write(BOM + paths.encode("utf-8"))
        saved = lint.MENU_SCENE, lint.MENU_PATHS
        lint.MENU_SCENE = "scenes/" + os.path.basename(scene.name)
        lint.MENU_PATHS = "scenes/" + os.path.basename(xml.name)
        try:
            content = lint.Content([])
            content.files.add(lint.MENU_SCENE)
            problems = []
            lint.lint_menu_movers(content, problems)
        finally:
            lint.MENU_SCENE, lint.MENU_PATHS = saved
            os.remove(scene.name)
            os.remove(xml.name)
        text = "\n".join(problems)
        self.assertIn("DeepBike (GMainMenuBikeNode) sits 5 links below the menu, not 4", text)
        self.assertIn("DeepBike (GMainMenuBikeNode): its Body lacks the states RightRightRightUp",
                      text)
        self.assertIn("Car (GMainMenuCarNode) sits 6 links below the menu, not 5", text)
        self.assertIn("Car (GMainMenuCarNode): its ancestor Moved is not at the origin", text)
        self.assertNotIn("Car (GMainMenuCarNode): its Body", text)
        self.assertIn("the Clouds group has no path of two points or more", text)
        self.assertNotIn("the Bike group", text)
        self.assertEqual(len(problems), 8, text)

    def test_the_preloader_files_are_checked_but_the_pending_ones(self):
        problems = []
        lint.lint_preloader_files(lint.Content([]), problems)
        self.assertEqual(problems, [])
        content = lint.Content([])
        content.files.discard("levels/common/Fireworks/1/f.oscn")
        saved = lint.PRELOADER_PENDING
        lint.PRELOADER_PENDING = {"levels/common/Fireworks/2/f.oscn"}
        try:
            lint.lint_preloader_files(content, problems)
        finally:
            lint.PRELOADER_PENDING = saved
        self.assertEqual(len(problems), 1, problems)
        self.assertIn("the preloader reads levels/common/Fireworks/1/f.oscn, which does not exist",
                      problems)


class SoundPackTest(unittest.TestCase):
    def setUp(self):
        self.cues = {c.get("Name"): c for c in read_xml(sounds.PACK).iter("SoundCue")}

    def test_every_cue_the_game_plays_is_there(self):
        wanted = set(sounds.GAME_CUES) | {"ComicsText", "Rain"} | \
            {"GameMusicSetting%d" % i for i in range(1, 5)}
        self.assertEqual(len(sounds.GAME_CUES), 40)
        self.assertEqual(sorted(wanted - set(self.cues)), [])

    def test_groups_loops_and_streaming(self):
        music = {"MenuMusic", "ComicsMusic", "MiniGamesMusic"} | \
            {"GameMusicSetting%d" % i for i in range(1, 5)}
        for name, cue in self.cues.items():
            loop = cue.get("Loop") == "true"
            if name in music:
                self.assertEqual((cue.get("GroupID"), loop, cue.get("StreamingType")),
                                 ("1", True, "1"), name)
            else:
                self.assertIn(cue.get("GroupID"), ("0", "2"), name)
                self.assertIsNone(cue.get("StreamingType"), name)
        for name in sounds.NEVER_LOOP:
            self.assertNotEqual(self.cues[name].get("Loop"), "true", name)
        self.assertEqual(self.cues["MainMenuAmbient"].get("GroupID"), "2")
        self.assertEqual(self.cues["MainMenuAmbient"].get("Loop"), "true")
        self.assertEqual(self.cues["ButtonClick"].get("GroupID"), "0")

    def test_files_formats_and_levels(self):
        description = sounds.description()
        for cue in sounds.cues():
            samples, channels = decode_ogg(asset_path("sounds/" + cue.file))
            frames = len(samples) // channels
            peak = 20 * np.log10(np.max(np.abs(samples)))
            if cue.kind == "music":
                self.assertEqual(channels, 2, cue.name)
                p = description["music"][cue.name]
                bar = 4 * 60.0 / p["bpm"] * RATE
                self.assertAlmostEqual(frames / bar, p["bars"], delta=1.0 / bar, msg=cue.name)
                self.assertTrue(8 <= p["bars"] <= 16 and 100 <= p["bpm"] <= 120, cue.name)
                level = 20 * np.log10(np.sqrt(np.mean(samples ** 2)))
                self.assertAlmostEqual(level, -14.0, delta=1.5, msg=cue.name)
            else:
                self.assertEqual(channels, 1, cue.name)
                self.assertLessEqual(peak, -5.0, cue.name)
            if cue.name in ("ButtonClick", "ButtonOver"):
                self.assertLess(frames / RATE, 0.08, cue.name)
        click = decode_ogg(asset_path("sounds/sfx/ButtonClick.ogg"))[0]
        over = decode_ogg(asset_path("sounds/sfx/ButtonOver.ogg"))[0]
        self.assertLess(np.max(np.abs(over)), np.max(np.abs(click)))


class TablesTest(unittest.TestCase):
    def test_what_the_preloader_reads_is_there(self):
        roots = {
            "sounds/SoundPack.xml": "SoundPack",
            "scenes/ParticleCollection.xml": "ParticleCollection",
            "levels/common/ParticleCollection.xml": "ParticleCollection",
            "levels/common/BuildingsConfiguration.xml": "BuildingsConfiguration",
            "levels/common/UpgradesConfiguration.xml": "UpgradesConfiguration",
            "levels/common/LevelScores.xml": "LevelScores",
            "scenes/ComicsConfiguration.xml": "ComicsConfiguration",
            "scenes/TemplateCollection.oscn": "SceneNode",
            "levels/common/TemplateCollection.oscn": "SceneNode",
        }
        for name in ("Buildings", "Env1", "Env2", "Minigame1", "Minigame2", "Minigame3",
                     "Minigame4", "MainMenu", "GameMenu", "ObjMenu", "ShopMenu", "MapMenu"):
            roots["atlases/%s.xml" % name] = "AtlasTextureCollection"
        for path, root in roots.items():
            self.assertEqual(read_xml(path).tag, root, path)
        for path in ("scenes/TemplateCollection.oscn", "levels/common/TemplateCollection.oscn"):
            self.assertEqual(read_xml(path).get("Type"), "TemplateCollectionNode")

    def test_the_skin_lies_in_the_main_menu_atlas_under_its_full_names(self):
        regions = [t.get("n") for t in read_xml("atlases/MainMenu.xml").iter("t")]
        self.assertIn("scenes/images/UI/ButtonGreen.png", regions)
        self.assertTrue(all(r.startswith("scenes/images/") for r in regions))

    def test_the_dictionary_holds_the_shared_keys(self):
        texts = {s.get("n"): s.text for s in read_xml("strings/Dictionary.xml").iter("s")}
        self.assertEqual(texts["TitleName"], "Brasquel")
        self.assertEqual(texts["MoneyDollar"].count("#p"), 1)
        for key in ("Yes", "No", "Ok", "Cancel", "Back"):
            self.assertTrue(texts[key], key)
        self.assertEqual(list(texts), sorted(texts))

    def test_the_start_up_files_keep_their_content(self):
        logos = read_xml("logos/Logos.xml")
        self.assertEqual([(l.get("Image"), l.get("Time"), l.get("Skippable"))
                          for l in logos.iter("Logo")],
                         [("logos/images/Quorvane.png", "3000", "true"),
                          ("logos/images/Oskel.png", "2000", "true")])
        scene = read_xml("scenes/LogosScene.oscn")
        self.assertEqual(scene.get("ClassOverride"), "GLogosScene")
        from PIL import Image
        cursor = Image.open(asset_path("scenes/images/Cursor.png")).convert("RGBA")
        self.assertEqual(cursor.size, (32, 32))
        self.assertEqual(cursor.getpixel((2, 2))[3], 255)  # the tip, at the hot spot
        self.assertEqual(cursor.getpixel((1, 1))[3], 0)
        with Image.open(asset_path("icon.png")) as icon:
            self.assertEqual(icon.size, (64, 64))


if __name__ == "__main__":
    unittest.main()
