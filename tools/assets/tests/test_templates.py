"""The shared templates, read back from the committed collection: the parts each control binds by
name, every visual state on every animated part, layers that never tie in the draw order, and
nine-grid pictures that stretch cleanly."""
import os
import unittest
import xml.etree.ElementTree as ET

from assets import templates as tpl
from assets.art import skin
from assets.common import ASSETS, REPO
from assets.render import Pictures, SceneElement, load_scene

COLLECTION = os.path.join(ASSETS, tpl.COLLECTION)


def collection():
    return {t.name: t for t in load_scene(COLLECTION).children}


def drawable(node):
    return node.cls in ("SpriteNode", "NineGridSpriteNode", "TextNode") or \
        bool(node.props.get("TemplateName"))


class TemplatesTest(unittest.TestCase):
    def setUp(self):
        self.templates = collection()

    def child(self, template, name, cls=None):
        found = [c for c in self.templates[template].children if c.name == name]
        self.assertTrue(found, "%s has no %s" % (template, name))
        if cls:
            self.assertIn(found[0].cls, cls, "%s: %s" % (template, name))
        return found[0]

    def test_the_collection_is_a_template_collection_of_unique_names(self):
        with open(os.path.join(REPO, COLLECTION), "rb") as source:
            root = ET.fromstring(source.read())
        self.assertEqual(root.get("Type"), "TemplateCollectionNode")
        names = [SceneElement(c, "scenes").name for c in root.findall("SceneNode")]
        self.assertEqual(len(names), len(set(names)))
        for size in tpl.BUTTON_SIZES:
            for kind in skin.BUTTON_KINDS:
                self.assertIn("Button%s%s" % (kind, size), names)
        for name in ("CloseButton", "CheckBox", "Slider", "ProgressBar", "List", "TabButton",
                     "EditField", "MessageBox2Buttons"):
            self.assertIn(name, names)

    def test_controls_find_their_parts(self):
        for name, template in self.templates.items():
            if name.startswith("Button") and name[6:].startswith(skin.BUTTON_KINDS):
                self.child(name, "Text", ["TextNode"])
                self.child(name, "Image", ["SpriteNode"])
        self.child("CheckBox", "Text", ["TextNode"])
        self.child("TabButton", "Text", ["TextNode"])
        for name in ("Slider", "ScrollBar", "ProgressBar"):
            self.child(name, "SlidingArea")
            self.child(name, "Knob")
        element = self.child("List", "Element", ["ControlNode", "ButtonNode"])
        self.assertIn("Text", [c.name for c in element.children])
        self.child("List", "PrevButton", ["ButtonNode"])
        self.child("List", "NextButton", ["ButtonNode"])
        self.child("List", "Slider", ["SliderNode"])
        text = self.child("EditField", "Text", ["TextNode"])
        self.assertIn("Cursor", [c.name for c in text.children])
        self.child("MessageBox2Buttons", "TitleText", ["TextNode"])
        self.child("MessageBox2Buttons", "BodyText", ["TextNode"])
        buttons = [c for c in self.templates["MessageBox2Buttons"].children if c.name == "Button"]
        self.assertEqual([b.cls for b in buttons], ["ButtonNode", "ButtonNode"])

    def test_every_animated_part_answers_every_visual_state(self):
        for name, template in self.templates.items():
            for part in template.children:
                states = set(part.states)
                if not states & set(tpl.CONTROL_STATES):
                    continue
                wanted = set(tpl.CONTROL_STATES)
                if name == "CheckBox":
                    wanted |= set(tpl.CHECK_STATES)
                self.assertEqual(sorted(wanted - states), [], "%s: %s" % (name, part.name))

    def test_check_states_show_the_mark_and_plain_states_hide_it(self):
        mark = self.child("CheckBox", "Mark")
        for state in tpl.CONTROL_STATES:
            self.assertEqual(mark.states[state]["TintColor"] >> 24, 0, state)
        for state in tpl.CHECK_STATES:
            self.assertEqual(mark.states[state]["TintColor"] >> 24, 255, state)

    def test_buttons_brighten_grow_and_sink_as_the_style_says(self):
        face = self.child("ButtonGreenLarge", "Bg")
        normal, hover = face.states["Normal"], face.states["NormalHover"]
        pressed, disabled = face.states["Pressed"], face.states["NormalDisable"]
        self.assertEqual(normal["AtlasTexture"], "images/UI/ButtonGreen.png")
        self.assertEqual(hover["AtlasTexture"], "images/UI/ButtonGreenHover.png")
        self.assertAlmostEqual(hover["Scale"][0] / normal["Scale"][0], 1.04)
        self.assertEqual(pressed["AtlasTexture"], "images/UI/ButtonGreenPress.png")
        self.assertEqual(pressed["Position"][1] - normal["Position"][1], 1)
        self.assertEqual(disabled["AtlasTexture"], "images/UI/ButtonGreenDisabled.png")
        # the face's resting look is its Normal state (states play only on changes)
        self.assertEqual(face.props["AtlasTexture"], normal["AtlasTexture"])
        self.assertEqual(face.props["Position"], normal["Position"])

    def test_overlapping_layers_never_tie_in_depth(self):
        def box(node):
            x, y = node.props.get("Position", (0, 0, 0))[:2]
            px, py = node.props.get("PivotPoint", (0, 0))
            w, h = node.props.get("Bounds", (100, 100, 0))[:2]
            return (x - px, y - py, x - px + w, y - py + h)

        def depth(node):
            """The depth of the lowest thing the node draws (a control draws through its
            template, whose layers add their own depth)."""
            z = node.props.get("Position", (0, 0, 0))[2]
            template = self.templates.get(node.props.get("TemplateName"))
            if template is None:
                return z
            return z + min(depth(p) for p in template.children if drawable(p))

        for name, template in self.templates.items():
            parts = [p for p in template.children if drawable(p) and p.props.get("Visible", True)]
            for i, a in enumerate(parts):
                for b in parts[i + 1:]:
                    ba, bb = box(a), box(b)
                    overlap = ba[0] < bb[2] and bb[0] < ba[2] and ba[1] < bb[3] and bb[1] < ba[3]
                    if overlap:
                        self.assertNotEqual(depth(a), depth(b),
                                            "%s: %s and %s" % (name, a.name, b.name))

    def test_message_boxes_lie_above_any_scene_content(self):
        for part in self.templates["MessageBox2Buttons"].children:
            self.assertGreaterEqual(part.props["Position"][2], tpl.LAYER_POPUP, part.name)
            self.assertIn("NavTo", part.states)
            self.assertIn("NavBackFrom", part.states)

    def test_nine_grid_pictures_are_whole_and_fit_their_deltas(self):
        pictures = Pictures()
        for name, template in self.templates.items():
            for node in [template] + [n for t in template.children for n in _walk(t)]:
                if node.cls != "NineGridSpriteNode":
                    continue
                region = "scenes/" + node.props["AtlasTexture"]
                image, before = pictures.regions[region]
                self.assertEqual(before, (0, 0), region)  # untrimmed: the node ignores the trim
                left, top = node.props["TopLeftDelta"]
                right, bottom = node.props["BottomRightDelta"]
                self.assertLessEqual(left + right, image.size[0], region)
                self.assertLessEqual(top + bottom, image.size[1], region)
                w, h = node.props["Bounds"][:2]
                self.assertGreaterEqual(w, left + right, "%s: %s" % (name, node.name))
                self.assertGreaterEqual(h, top + bottom, "%s: %s" % (name, node.name))

    def test_buttons_are_at_least_forty_pixels_high(self):
        for name, template in self.templates.items():
            if "Button" in name and not name.startswith("MessageBox"):
                self.assertGreaterEqual(template.props["Bounds"][1], 40, name)


def _walk(node):
    yield node
    for child in node.children:
        yield from _walk(child)


if __name__ == "__main__":
    unittest.main()
