"""A level's decor and ground: the decor keeps off the lots, the buildings' space, the roads,
the walkways, the drives and the water (piers reach from the shore out over it), every picture
it names is packed in the Env atlases, the effects appear as the level asks, the wave spawners
keep their waves on the water, and the ground is the same on every run in its setting's
colours."""
import math
import os
import unittest
import xml.etree.ElementTree as ET

import numpy as np
from PIL import Image, ImageDraw

from assets import leveldecor
from assets.art import decor as art
from assets.art import effects as effect_art
from assets.art.kit import Palette
from assets.common import ASSETS, REPO
from assets.render import load_scene
from assets.scene import scene_text

ROAD_Y = 430
SIDE_ROAD_X = 470
SEA = [[-20, -20], [560, -20], [540, 150], [-20, 165]]
LAKE = [[620, 100], [900, 92], [960, 150], [900, 218], [640, 224], [600, 160]]
LOTS = [("Place1", (110, 292)), ("Place2", (610, 292)), ("Place3", (200, 532))]
PARKED = (520, 560)


def town(setting, decor=(), folder="levels/level9"):
    """A small town: a main road across, a side road down, a walkway, three lots, a sea along
    the top left, a lake on the right, and decor areas around them."""
    return {
        "number": 9, "folder": folder, "setting": setting,
        "lots": [{"name": n, "position": list(p), "type": "BuildingPlace", "owned": False,
                  "luckiness": 0} for n, p in LOTS],
        "roads": [{"points": [[-80, ROAD_Y], [1104, ROAD_Y]]},
                  {"points": [[SIDE_ROAD_X, ROAD_Y], [SIDE_ROAD_X, 850]]}],
        "walkways": [{"points": [[-20, 395], [1044, 395]]},
                     {"points": [[-20, 470], [430, 470], [430, 800]]}],
        "water": [{"kind": "sea", "points": SEA}, {"kind": "lake", "points": LAKE}],
        "parked": [{"position": list(PARKED), "cars": ["Car1"], "states": ["Down"]}],
        "decor_areas": [
            {"rect": [0, 110, 600, 290], "kinds": ["pier"], "count": 2},
            {"rect": [760, 200, 1010, 290], "kinds": ["pier", "bench"], "count": 2},
            {"rect": [0, 150, 1024, 390], "kinds": ["house", "tree", "bush", "fence"],
             "count": 12},
            {"rect": [0, 480, 1024, 640], "kinds": ["tree", "bench", "rock", "lamp", "house"],
             "count": 14},
        ],
        "decor": list(decor),
    }


SETTINGS = tuple(art.SETTINGS)


def front(position):
    return (position[0] + leveldecor.LOT_FRONT[0], position[1] + leveldecor.LOT_FRONT[1])


def masks():
    """What the town's decor must keep off, drawn as pictures: the ground's things (lots,
    roads with their kerbs, walkways, drives, parked car), the water, and what a decor picture
    must leave in sight (the buildings above their lots, the roads)."""
    ground = Image.new("L", leveldecor.SCREEN, 0)
    draw = ImageDraw.Draw(ground)
    road = leveldecor.ROAD_WIDTH + 2 * leveldecor.KERB_WIDTH
    draw.line([(-80, ROAD_Y), (1104, ROAD_Y)], fill=255, width=road)
    draw.line([(SIDE_ROAD_X, ROAD_Y), (SIDE_ROAD_X, 850)], fill=255, width=road)
    walk = leveldecor.WALK_WIDTH + 4
    draw.line([(-20, 395), (1044, 395)], fill=255, width=walk)
    draw.line([(-20, 470), (430, 470), (430, 800)], fill=255, width=walk, joint="curve")
    for _, position in LOTS:
        x, y = position
        draw.rectangle((x, y, x + leveldecor.LOT_SIZE[0], y + leveldecor.LOT_SIZE[1]), fill=255)
        fx, fy = front(position)
        # every lot of this town lies nearer the main road than the side road
        draw.line([(fx, ROAD_Y), (fx, fy)], fill=255, width=leveldecor.DRIVE_WIDTH + 4)
    px, py = PARKED
    draw.rectangle((px - 30, py - 30, px + 30, py + 8), fill=255)
    water = Image.new("L", leveldecor.SCREEN, 0)
    for polygon in (SEA, LAKE):
        ImageDraw.Draw(water).polygon([tuple(p) for p in polygon], fill=255)
    sight = Image.new("L", leveldecor.SCREEN, 0)
    draw = ImageDraw.Draw(sight)
    draw.line([(-80, ROAD_Y), (1104, ROAD_Y)], fill=255, width=road)
    draw.line([(SIDE_ROAD_X, ROAD_Y), (SIDE_ROAD_X, 850)], fill=255, width=road)
    for _, (x, y) in LOTS:
        draw.rectangle((x, y - 100, x + leveldecor.LOT_SIZE[0], y + leveldecor.LOT_SIZE[1]),
                       fill=255)
    return ground, water, sight


def covers(mask, rect):
    x0, y0, x1, y1 = (int(math.floor(rect[0])), int(math.floor(rect[1])),
                      int(math.ceil(rect[2])), int(math.ceil(rect[3])))
    return mask.crop((x0, y0, x1, y1)).getextrema()[1] > 0


def at(mask, point):
    return mask.getpixel((int(round(point[0])), int(round(point[1])))) > 0


class PlacementTest(unittest.TestCase):
    def test_decor_keeps_off_lots_roads_walkways_drives_and_water(self):
        ground, water, sight = masks()
        for setting in SETTINGS:
            placed = leveldecor.place_decor(town(setting))
            kinds = {p.decor.kind for p in placed}
            # the areas hold most of what they ask for, piers included
            self.assertGreaterEqual(len(placed), 20, setting)
            self.assertTrue({"pier", "house", "tree", "bench"} <= kinds, (setting, kinds))
            for p in placed:
                where = (setting, p)
                self.assertFalse(covers(ground, p.footprint), where)
                self.assertFalse(covers(water, p.footprint), where)
                self.assertFalse(covers(sight, p.body), where)
                self.assertTrue(0 <= p.body[0] and p.body[2] <= leveldecor.SCREEN[0], where)
                if p.decor.kind == "pier":
                    # from the shore out over the water
                    self.assertTrue(at(water, p.reach), where)
                    self.assertFalse(at(water, p.feet), where)

    def test_decor_stands_in_its_areas_apart_and_only_in_its_setting(self):
        level = town(2)
        placed = leveldecor.place_decor(level)
        for p in placed:
            self.assertTrue(any(leveldecor.overlap_area(p.footprint, a["rect"]) ==
                                leveldecor.area(p.footprint) and p.decor.kind in a["kinds"]
                                for a in level["decor_areas"]), p)
            self.assertIn(2, p.decor.settings)
        for i, a in enumerate(placed):
            for b in placed[i + 1:]:
                self.assertEqual(leveldecor.overlap_area(a.footprint, b.footprint), 0, (a, b))
        # palms stand only by the sea
        self.assertIn("TreePalm", {p.decor.name for p in placed})
        for setting in (1, 3, 4):
            self.assertNotIn("TreePalm", {p.decor.name for p in leveldecor.place_decor(
                town(setting))})

    def test_same_level_same_decor_other_level_other_places(self):
        first = scene_text(leveldecor.decor_node(town(1)))
        self.assertEqual(first, scene_text(leveldecor.decor_node(town(1))))
        self.assertNotEqual(first, scene_text(leveldecor.decor_node(town(1,
                                                                         folder="levels/level10"))))

    def test_no_areas_no_decor(self):
        level = town(1)
        level["decor_areas"] = []
        self.assertEqual(leveldecor.place_decor(level), [])
        self.assertEqual(leveldecor.decor_node(level).children, [])

    def test_refuses_unknown_effects_kinds_and_water(self):
        cases = [("decor", ["lake", "rainbow"], "rainbow"),
                 ("decor_areas", [{"rect": [0, 0, 10, 10], "kinds": ["castle"], "count": 1}],
                  "castle"),
                 ("decor_areas", [{"rect": [10, 0, 0, 10], "kinds": ["tree"], "count": 1}],
                  "x0, y0, x1, y1"),
                 ("water", [{"kind": "pond", "points": LAKE}], "kind"),
                 ("water", [{"kind": "lake", "points": LAKE[:2]}], "three points")]
        for key, value, message in cases:
            level = town(1)
            level[key] = value
            with self.assertRaisesRegex(ValueError, message):
                leveldecor.scene_nodes(level)


class SceneNodesTest(unittest.TestCase):
    def setUp(self):
        self.templates = {t.name for t in load_scene(os.path.join(
            ASSETS, "levels/common/TemplateCollection.oscn")).children}
        # the preloader adds the four firework rockets to the level's collection
        for n in range(1, 5):
            self.templates.add(load_scene(os.path.join(
                ASSETS, "levels/common/Fireworks/%d/f.oscn" % n)).name)

    def test_each_effect_as_the_level_asks(self):
        cases = [((), ["Decor"]),
                 (("birds",), ["Decor", "Birds"]),
                 (("fireworks", "lake"), ["Decor", "LakeWaves", "Fireworks"]),
                 (("lake", "birds", "balloons", "fireworks"),
                  ["Decor", "LakeWaves", "Birds", "Balloons", "Fireworks"])]
        for decor, names in cases:
            nodes = leveldecor.scene_nodes(town(1, decor))
            self.assertEqual([n.name for n in nodes], names, decor)
            for node in nodes:
                self.assertIs(node.get("CanBeHit"), False)
                for child in node.walk():
                    for key in ("ObjTemplate", "ObjTemplateIDs"):
                        for template in str(child.get(key, "") or "").split(";"):
                            if template:
                                self.assertIn(template, self.templates, (decor, child.name))

    def test_timed_effects_live_longer_than_the_spawners_default(self):
        nodes = {n.name: n for n in leveldecor.scene_nodes(town(1, ("lake", "balloons")))}
        balloon = nodes["Balloons"].children[0]
        self.assertGreater(balloon.get("ObjectsLifeTimeRange")[0], 5000)
        for wave in nodes["LakeWaves"].children:
            self.assertGreater(wave.get("ObjectsLifeTimeRange")[0], 5000)
            # the first wave comes at once: its head start exceeds one spawn period
            rate = wave.get("ObjectsPerSecRange")[1]
            self.assertGreater(-wave.get("ObjectsSpawnStartDelayRange")[1], 1000.0 / rate)

    def test_waves_stay_on_the_water_for_their_whole_drift(self):
        _, water, _ = masks()
        nodes = {n.name: n for n in leveldecor.scene_nodes(town(2, ("lake",)))}
        waves = nodes["LakeWaves"].children
        self.assertGreaterEqual(len(waves), 4)
        w, h = effect_art.WAVE_SIZE
        lake_and_sea = 0
        for spawner in waves:
            x, y, _ = spawner.get("Position")
            spread_x, spread_y = spawner.get("ObjectsXDeltaRange")[1], \
                spawner.get("ObjectsYDeltaRange")[1]
            life = spawner.get("ObjectsLifeTimeRange")[1] / 1000.0
            drift = leveldecor.WAVE_VELOCITY * life
            covered = (x - spread_x - drift, y - spread_y, x + spread_x + w, y + spread_y + h + 6)
            mask = np.asarray(water.crop(tuple(int(round(v)) for v in covered)))
            self.assertTrue((mask > 0).all(), spawner.name)
            lake_and_sea |= 1 if x > 580 else 2
        self.assertEqual(lake_and_sea, 3)  # both the lake and the sea have waves

    def test_decor_sprites_stand_at_their_feet_depth_and_name_packed_pictures(self):
        regions = set()
        for collection in ("Env1", "Env2"):
            root = ET.parse(os.path.join(REPO, ASSETS, "atlases", collection + ".xml")).getroot()
            regions |= {t.get("n") for t in root.iter("t")}
        for name in art.picture_names():
            self.assertIn(name, regions)
        level = town(4)
        placed = {(p.origin[0], p.origin[1]): p for p in leveldecor.place_decor(level)}
        sprites = leveldecor.decor_node(level).children
        self.assertEqual(len(sprites), len(placed))
        for sprite in sprites:
            x, y, z = sprite.get("Position")
            p = placed[(x, y)]
            full = os.path.normpath(os.path.join(level["folder"], sprite.get("AtlasTexture")))
            self.assertEqual(full, p.picture)
            self.assertIn(full, regions)
            self.assertEqual(tuple(sprite.get("Bounds")[:2]), p.decor.size)
            if p.decor.flat:
                self.assertLess(z, p.feet[1])
            else:
                self.assertEqual(z, y + p.decor.feet[1])
        depths = [s.get("Position")[2] for s in sprites]
        self.assertEqual(depths, sorted(depths))


def near(pixel, colour, tolerance):
    return max(abs(a - round(b * 255)) for a, b in zip(pixel, colour)) <= tolerance


class GroundTest(unittest.TestCase):
    def test_size_and_the_same_picture_on_every_run(self):
        level = town(1)
        image = leveldecor.ground(level)
        self.assertEqual((image.size, image.mode), (leveldecor.SCREEN, "RGB"))
        self.assertEqual(image.tobytes(), leveldecor.ground(town(1)).tobytes())
        other = leveldecor.ground(town(1, folder="levels/level10"))
        self.assertNotEqual(image.tobytes(), other.tobytes())

    def test_each_setting_gives_its_palette(self):
        # open ground: away from roads, lots, water and walkways
        open_ground = [(800, 600), (950, 520), (150, 640), (300, 700), (980, 700), (60, 330)]
        expected = {1: (Palette.GRASS, Palette.GRASS_SHADE), 2: (Palette.GRASS, Palette.SAND),
                    3: (Palette.AUTUMN, Palette.AUTUMN_SHADE),
                    4: (Palette.SNOW, Palette.SNOW_SHADE)}
        for setting, (colour, second) in expected.items():
            image = leveldecor.ground(town(setting))
            pixels = np.asarray(image).reshape(-1, 3)
            for x, y in open_ground:
                window = np.asarray(image.crop((x - 12, y - 12, x + 12, y + 12))).reshape(-1, 3)
                middle = np.median(window, axis=0)
                self.assertTrue(near(middle, colour, 60) or near(middle, second, 60),
                                (setting, (x, y), middle))
            for ground in (colour, second):
                share = np.mean(np.abs(pixels - np.array([round(c * 255) for c in ground]))
                                .max(axis=1) <= 24)
                self.assertGreater(share, 0.04, (setting, ground))
            # the road's middle and its dashes, the water in the lake's middle
            self.assertTrue(near(image.getpixel((60, ROAD_Y - 12)), Palette.ROAD, 4), setting)
            row = [image.getpixel((x, ROAD_Y)) for x in range(0, 400)]
            self.assertTrue(any(near(p, Palette.MARKING, 10) for p in row), setting)
            water = image.getpixel((780, 160))
            self.assertGreater(water[2], water[0] + 60, (setting, water))
            # the lots' pads
            pad = image.getpixel((LOTS[0][1][0] + 60, LOTS[0][1][1] - 3))
            self.assertFalse(near(pad, colour, 20), setting)

    def test_the_sea_has_its_beach(self):
        image = leveldecor.ground(town(2))
        # beside the sea's lower edge the ground is sand, a beach's width down
        sand = [image.getpixel((x, 190)) for x in range(60, 500, 40)]
        self.assertTrue(all(near(p, Palette.SAND, 24) for p in sand), sand)
        snowy = leveldecor.ground(town(4)).getpixel((200, 190))
        self.assertTrue(near(snowy, Palette.SNOW_SHADE, 24), snowy)


class PicturesTest(unittest.TestCase):
    def test_winter_pictures_carry_snow_on_top(self):
        snow = np.array([round(c * 255) for c in Palette.SNOW])
        for decor in art.DECOR:
            if art.WINTER not in decor.settings or decor.kind == "pier":
                continue
            shares = {}
            for setting in (art.WINTER, min(decor.settings)):
                image = np.asarray(decor.draw(art.Look(setting)))
                top = image[: image.shape[0] * 2 // 3]
                visible = top[..., 3] > 200
                white = np.abs(top[..., :3].astype(int) - snow).max(axis=2) <= 20
                shares[setting] = (white & visible).sum() / max(1, visible.sum())
            self.assertGreater(shares[art.WINTER], shares[min(decor.settings)] + 0.05,
                               (decor.name, shares))

    def test_feet_and_footprint_lie_in_the_picture(self):
        for decor in art.DECOR:
            w, h = decor.size
            x0, y0, x1, y1 = decor.footprint
            self.assertTrue(0 <= x0 < x1 <= w and 0 <= y0 < y1 <= h, decor.name)
            self.assertTrue(x0 <= decor.feet[0] <= x1 and y0 <= decor.feet[1] <= y1, decor.name)
            for setting in decor.settings if not decor.flat else ():
                bx0, by0, bx1, by1 = leveldecor.body_box(decor.name, setting)
                # a standing thing's feet are at the bottom of what is drawn
                self.assertLessEqual(abs(by1 - decor.feet[1]), 10, (decor.name, setting))


if __name__ == "__main__":
    unittest.main()
