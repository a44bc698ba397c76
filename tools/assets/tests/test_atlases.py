"""The atlas modules: which pictures go into which collection (shared folders split in runs of
about equal area), whole-screen pictures written as files of their own."""
import io
import unittest
from unittest import mock

from PIL import Image

from assets import atlases
from assets.art.kit import Category, Picture


def picture(name, size, alpha=255, single=False):
    return Picture(name, Image.new("RGBA", size, (90, 120, 200, alpha)), single=single)


class AtlasLayoutTest(unittest.TestCase):
    def test_collections_sharing_a_folder_split_it_by_area_in_name_order(self):
        env = Category("env", ["levels/common/Env/"], lambda: [
            picture("levels/common/Env/A.png", (100, 100)),
            picture("levels/common/Env/B.png", (100, 100)),
            picture("levels/common/Env/C.png", (100, 100)),
            picture("levels/common/Env/D.png", (100, 100)),
            picture("levels/common/Env/Sky.png", (1024, 768), single=True)], __file__,
                       single_files=True)
        table = {"Env1": ["levels/common/Env/"], "Env2": ["levels/common/Env/"],
                 "Other": ["scenes/images/UI/"]}
        with mock.patch.object(atlases, "CATEGORIES", [env]):
            first = [p.name for p in atlases.pictures_of("Env1", table)]
            second = [p.name for p in atlases.pictures_of("Env2", table)]
            other = atlases.pictures_of("Other", table)
        self.assertEqual(first, ["levels/common/Env/A.png", "levels/common/Env/B.png"])
        self.assertEqual(second, ["levels/common/Env/C.png", "levels/common/Env/D.png"])
        self.assertEqual(other, [])

    def test_whole_screen_pictures_are_files_jpeg_when_opaque(self):
        category = Category("backgrounds", ["scenes/images/MainMenu/"], lambda: [
            picture("scenes/images/MainMenu/Back.png", (64, 48), single=True),
            picture("scenes/images/MainMenu/Glass.png", (64, 48), alpha=128, single=True),
            picture("scenes/images/MainMenu/Button.png", (16, 16))], __file__, single_files=True)
        files = atlases.build_single_files(category).files
        self.assertEqual(sorted(files), ["assets/scenes/images/MainMenu/Back.jpg",
                                         "assets/scenes/images/MainMenu/Glass.png"])
        self.assertEqual(Image.open(io.BytesIO(files["assets/scenes/images/MainMenu/Back.jpg"])).format,
                         "JPEG")

    def test_a_category_draws_only_into_its_own_folders(self):
        stray = Category("stray", ["scenes/images/Map/"],
                         lambda: [picture("scenes/images/Shop/X.png", (4, 4))], __file__)
        with self.assertRaises(ValueError):
            stray.pictures()
        undeclared = Category("undeclared", ["scenes/images/Map/"],
                              lambda: [picture("scenes/images/Map/Big.png", (4, 4), single=True)],
                              __file__)
        with self.assertRaises(ValueError):
            undeclared.pictures()


if __name__ == "__main__":
    unittest.main()
