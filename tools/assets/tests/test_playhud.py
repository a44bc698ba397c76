"""The play screen's pictures: every name the play screen's scene uses is drawn at its size and
packed into the GameMenu atlas, none is blank, the lock images are greyer than the faces they
stand for, and the recharge fills are translucent and cool."""
import colorsys
import os
import unittest
import xml.etree.ElementTree as ET

import numpy as np

from assets.art import playhud
from assets.common import ASSETS, REPO

STATES = ("", "Hover", "Press", "Disabled")
CARD = (119, 101)
BUILD_TYPES = ("Camping", "Hostel", "GuestHouse", "BusinessHotel", "HotelN5", "HotelN6", "Cafe",
               "CityMall", "AquaPark", "Statue", "Garden", "Memorial", "TruckStation",
               "REAgency", "PRAgency")
ACTIONS = ("Upgrade", "Destroy", "Sell", "UnSell", "Repair", "Clean", "Abort", "Buy",
           "AcceptOffer", "DeclineOffer", "Restore", "CafeOrder", "CustomServe", "Hotels", "Joys",
           "Factories", "BackToBuild", "FeatureU")
SINGLE = {
    "Play/TopBar": (1024, 72), "Play/MoneyPanel": (250, 64), "Play/RatingPanel": (250, 64),
    "Play/TimePanel": (150, 64), "Play/GoalsPanel": (330, 150), "Play/BottomPanel": (1024, 128),
    "Play/PageBack": (760, 112), "Play/BarBack": (150, 16), "Play/BarFill": (150, 16),
    "Play/StarFull": (24, 24), "Play/StarEmpty": (24, 24), "Play/ClockFace": (56, 56),
    "Play/ClockHand": (6, 26), "Play/IconMoney": (32, 32), "Play/IconIncome": (32, 32),
    "Play/IconMaterials": (32, 32), "Play/IconWorkers": (32, 32), "Play/IconGuests": (32, 32),
    "Play/IconTime": (32, 32), "Play/MoneyStar": (40, 40), "Play/HintWindow": (420, 150),
    "Play/Guide": (110, 140), "Play/GoalBox": (22, 22), "Play/GoalTick": (22, 22),
    "Play/InfoPanel": (240, 110),
}
STATED = {"Play/MenuButton": (48, 48), "Play/HelpButton": (48, 48),
          "Play/GoalsButton": (48, 48), "Play/TabBuild": (96, 40),
          "Play/TabMaterials": (96, 40), "Play/TabWorkers": (96, 40), "Play/TabStatus": (96, 40)}
STATED.update(("Buttons/" + a, CARD) for a in ACTIONS)
STATED.update(("Buttons/%s%d" % (k, n), CARD) for k in ("Materials", "Workers")
              for n in range(1, 6))
STATED.update(("Buttons/%sButton" % t, CARD) for t in BUILD_TYPES)


def catalogue_features():
    """(type name, feature base names) from the committed buildings catalogue."""
    root = ET.parse(os.path.join(REPO, ASSETS, "levels/common/BuildingsConfiguration.xml"))
    found = []
    for building in root.getroot().iter("Building"):
        display = [p.get("Value") for p in building.iter("string")
                   if p.get("Name") == "DisplayName"][0]
        buttons = [f.get("ButtonName") for f in building.findall("ActiveFeature")]
        found.append((display, [b[len("Game_"):-len("Button")] for b in buttons]))
    return found


def expected():
    """Every picture name (from GameMenu/) with its size."""
    names = dict(SINGLE)
    for base, size in STATED.items():
        names.update((base + state, size) for state in STATES)
    for t in BUILD_TYPES:
        names["Buttons/%sButtonLock" % t] = CARD
    for display, features in catalogue_features():
        for feature in features:
            names["Features/" + feature] = CARD
            names["Features/%sFill" % feature] = CARD
        if len(features) == 2:
            names["Buttons/%sFeature2ButtonLock" % display] = CARD
    return {playhud.FOLDER + base + ".png": size for base, size in names.items()}


def pixels(image):
    return np.asarray(image.convert("RGBA")).astype(np.float64) / 255.0


def mean_saturation(image):
    """The mean HSV saturation of the clearly visible pixels."""
    p = pixels(image)
    visible = p[p[..., 3] > 0.5][:, :3]
    return float(np.mean([colorsys.rgb_to_hsv(*c)[1] for c in visible[::3]]))


class PlayPicturesTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.pictures = {p.name: p.image for p in playhud.CATEGORY.pictures()}

    def test_every_scene_picture_is_drawn_at_its_size(self):
        wanted = expected()
        self.assertEqual(len([n for n in wanted if "/Features/" in n]), 18)
        missing = sorted(set(wanted) - set(self.pictures))
        self.assertEqual(missing, [])
        wrong = {n: (self.pictures[n].size, size) for n, size in wanted.items()
                 if self.pictures[n].size != size}
        self.assertEqual(wrong, {})
        self.assertEqual(set(playhud.picture_sizes()), set(wanted))

    def test_the_atlas_packs_every_picture_at_its_full_size(self):
        path = os.path.join(REPO, ASSETS, "atlases/GameMenu.xml")
        with open(path, "rb") as source:
            root = ET.fromstring(source.read().decode("utf-8-sig"))
        packed = {t.get("n"): t for t in root.iter("t")}
        for name, size in expected().items():
            self.assertIn(name, packed)
            x0, y0, x1, y1 = (int(v) for v in packed[name].get("r").split(","))
            before = [int(v) for v in (packed[name].get("b") or "0,0").split(",")]
            after = [int(v) for v in (packed[name].get("a") or "0,0").split(",")]
            self.assertEqual((x1 - x0 + before[0] + after[0], y1 - y0 + before[1] + after[1]),
                             size, name)

    def test_no_picture_is_blank(self):
        for name in expected():
            p = pixels(self.pictures[name])
            alpha = p[..., 3]
            visible = p[alpha > 0.5][:, :3]
            with self.subTest(name=name):
                self.assertGreater(len(visible), 0.04 * alpha.size)
                # more than a flat field: distinct shades and a drawn outline
                self.assertGreater(len(np.unique((visible * 32).astype(int), axis=0)), 6)
                self.assertGreater(float(np.ptp(visible.mean(axis=1))), 0.2)

    def test_button_states_differ(self):
        for base in STATED:
            faces = [pixels(self.pictures[playhud.FOLDER + base + s + ".png"]) for s in STATES]
            for i in range(len(faces)):
                for j in range(i + 1, len(faces)):
                    self.assertGreater(float(np.abs(faces[i] - faces[j]).mean()), 0.003,
                                       (base, STATES[i], STATES[j]))

    def test_lock_images_are_greyer_than_their_faces(self):
        for t in BUILD_TYPES:
            face = self.pictures[playhud.FOLDER + "Buttons/%sButton.png" % t]
            lock = self.pictures[playhud.FOLDER + "Buttons/%sButtonLock.png" % t]
            self.assertLess(mean_saturation(lock), 0.5 * mean_saturation(face), t)

    def test_feature_fills_are_translucent_and_cool(self):
        for display, features in catalogue_features():
            for feature in features:
                face = pixels(self.pictures[playhud.FOLDER + "Features/%s.png" % feature])
                fill = pixels(self.pictures[playhud.FOLDER + "Features/%sFill.png" % feature])
                shown = fill[..., 3] > 0.05
                # the card's shape: everywhere the face is solid, nowhere the face is clear
                self.assertTrue(shown[face[..., 3] > 0.5].all(), feature)
                self.assertFalse(shown[face[..., 3] == 0.0].any(), feature)
                self.assertLess(float(fill[..., 3][shown].max()), 0.75, feature)
                rgb = fill[shown][:, :3].mean(axis=0)
                self.assertGreater(rgb[2], rgb[0] + 0.1, feature)

    def test_second_feature_locks_leave_the_card_transparent(self):
        for display, features in catalogue_features():
            if len(features) != 2:
                continue
            lock = pixels(self.pictures[playhud.FOLDER + "Buttons/%sFeature2ButtonLock.png"
                                        % display])
            covered = float((lock[..., 3] > 0.05).mean())
            self.assertGreater(covered, 0.05, display)
            self.assertLess(covered, 0.4, display)

    def test_top_bar_is_clear_below_its_strip_and_the_hand_turns_on_its_foot(self):
        bar = pixels(self.pictures[playhud.FOLDER + "Play/TopBar.png"])
        self.assertTrue((bar[:40, :, 3] == 1.0).all())
        self.assertTrue((bar[-4:, :, 3] == 0.0).all())
        hand = pixels(self.pictures[playhud.FOLDER + "Play/ClockHand.png"])
        rows = np.nonzero(hand[..., 3].max(axis=1) > 0.5)[0]
        self.assertLessEqual(rows.min(), 1)  # the tip at the top
        self.assertEqual(rows.max(), 25)
        hub = hand[22:26, :, 3]
        self.assertGreater(hub[:, 0].max() + hub[:, -1].max(), 0.0)  # the hub is the widest part
        self.assertTrue((hand[:4, 0, 3] < 0.3).all() and (hand[:4, -1, 3] < 0.3).all())


if __name__ == "__main__":
    unittest.main()
