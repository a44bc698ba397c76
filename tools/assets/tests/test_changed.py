"""Choosing the modules to check from the files changed against main: a changed data file, a
changed generator, the art kit, a shared file, a hand-edited output."""
import os
import subprocess
import tempfile
import unittest

from assets import check, registry
from assets.modules import all_modules


def picked(*paths):
    return sorted(m.name for m in registry.affected(all_modules(), paths))


ATLASES = ["atlas.Buildings", "atlas.Env1", "atlas.Env2", "atlas.GameMenu", "atlas.MainMenu",
           "atlas.MapMenu", "atlas.Minigame1", "atlas.Minigame2", "atlas.Minigame3",
           "atlas.Minigame4", "atlas.ObjMenu", "atlas.ShopMenu"]


class ChangedModulesTest(unittest.TestCase):
    def test_a_changed_data_file_picks_the_modules_that_read_it(self):
        self.assertEqual(picked("tools/assets/sounds.toml"), ["sounds"])
        # the fonts bake every character the texts use
        self.assertEqual(picked("tools/assets/texts/english.toml"), ["fonts", "texts"])
        self.assertEqual(picked("tools/assets/atlases.toml"), ATLASES)
        # the start screens and the scene files that name fonts
        self.assertEqual(picked("tools/assets/fonts.toml"),
                         ["comicscenes", "fonts", "mapscene", "menuscene", "playscene",
                          "shellscenes", "shopscenes", "startscreens", "templates", "tutorials"])

    def test_a_changed_generator_picks_its_module_and_those_importing_it(self):
        self.assertEqual(picked("tools/assets/sfx.py"), ["sounds"])
        self.assertEqual(picked("tools/assets/startup.py"), ["startup"])
        self.assertEqual(picked("tools/assets/texts.py"),
                         ["comicscenes", "fonts", "mapscene", "menuscene", "playscene",
                          "shellscenes", "shopscenes", "templates", "texts", "tutorials"])
        # the skin feeds its atlas and the play screen's (whose art draws with it), the templates
        # and the screens built from them, not the other atlases
        self.assertEqual(picked("tools/assets/art/skin.py"),
                         ["atlas.GameMenu", "atlas.MainMenu", "mapscene", "playscene", "shellscenes",
                          "shopscenes", "templates", "tutorials"])
        # the building art feeds its atlas, the play screen's (its build entries) and the lots'
        # templates
        self.assertEqual(picked("tools/assets/art/buildings.py"),
                         ["atlas.Buildings", "atlas.GameMenu", "lottemplates"])

    def test_a_changed_art_kit_picks_every_module_drawing_with_it(self):
        scenes = ["comicscenes", "files.comics", "fonts", "mapscene", "menuscene", "playscene",
                  "shellscenes", "shopscenes", "templates", "tutorials"]
        self.assertEqual(picked("tools/assets/art/kit.py"),
                         sorted(ATLASES + scenes + ["effects", "levels", "lottemplates",
                                                   "minigames", "startscreens"]))
        self.assertEqual(picked("tools/assets/packer.py"), sorted(ATLASES + scenes))

    def test_a_shared_file_picks_everything(self):
        everything = sorted(m.name for m in all_modules())
        for shared in ("tools/assets/common.py", "tools/assets/registry.py", "tools/make_assets.py",
                       "tools/assets/modules.py", "scripts/packages.txt"):
            self.assertEqual(picked(shared), everything, shared)

    def test_a_hand_edited_output_picks_its_owner(self):
        self.assertEqual(picked("assets/sounds/sfx/Bus.ogg"), ["sounds"])
        self.assertEqual(picked("assets/atlases/Env2_0.png"), ["atlas.Env2"])
        self.assertEqual(picked("assets/scenes/fonts/body_18.ofnt"), ["fonts"])
        self.assertEqual(picked("tests/assets/SkinSampler.oscn"), ["templates"])

    def test_unrelated_changes_pick_nothing(self):
        self.assertEqual(picked("engine/scene/BaseNode.cpp", "README.md",
                                "tools/assets/tests/test_packer.py", "tools/assets/preview.py"), [])


class ChangedPathsTest(unittest.TestCase):
    """The changed files against a base commit: commits, edits and files not yet added."""

    def test_commits_edits_and_new_files_count(self):
        with tempfile.TemporaryDirectory() as folder:
            def git(*args):
                subprocess.run(["git", "-C", folder] + list(args), check=True, capture_output=True)
            git("init", "-q", "-b", "main")
            git("config", "user.email", "t@example.org")
            git("config", "user.name", "t")
            for name in ("a.txt", "b.txt", "c.txt"):
                with open(os.path.join(folder, name), "w") as out:
                    out.write(name)
            git("add", ".")
            git("commit", "-q", "-m", "base")
            git("checkout", "-q", "-b", "work")
            with open(os.path.join(folder, "a.txt"), "a") as out:
                out.write("committed change")
            git("commit", "-q", "-am", "change a")
            with open(os.path.join(folder, "b.txt"), "a") as out:
                out.write("edit")
            with open(os.path.join(folder, "new.txt"), "w") as out:
                out.write("new")
            git("mv", "c.txt", "d.txt")
            saved = check.REPO
            check.REPO = folder
            try:
                base = check.merge_base()
                self.assertIsNotNone(base)
                self.assertEqual(check.changed_paths(base),
                                 ["a.txt", "b.txt", "c.txt", "d.txt", "new.txt"])
                self.assertIsNone(check.merge_base(candidates=("no-such-branch",)))
            finally:
                check.REPO = saved


if __name__ == "__main__":
    unittest.main()
