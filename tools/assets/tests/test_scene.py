"""The scene writer: the element forms the engine reads (typed property elements, states with
their animations, key frames), the standard transitions and the motion helpers."""
import unittest
import xml.etree.ElementTree as ET

from assets.common import BOM
from assets.render import SceneElement
from assets.scene import (Key, KeyFrame, Node, Prop, SetProps, SetStates, eased_keys, hex_color,
                          scene_file, scene_text, transitions, value_text)


class ValueTextTest(unittest.TestCase):
    def test_values_are_written_as_the_engine_writes_them(self):
        cases = [("int", -3, "-3"), ("bool", True, "true"), ("bool", False, "false"),
                 ("float", 2.5, "2.500000"), ("float", -0.0, "0.000000"),
                 ("color", 0xFF3A2A1E, "ff3a2a1e"), ("color", 0x00FFFFFF, "00ffffff"),
                 ("vector2d", (100, 50), "100.000000;50.000000"),
                 ("vector3d", (1, 2), "1.000000;2.000000;0.000000"),
                 ("rect", (0, 1, 2, 3), "0.000000;1.000000;2.000000;3.000000"),
                 ("stringw", "%Ok%", "%Ok%"), ("atlasTexture", "images/UI/A.png", "images/UI/A.png")]
        for type_name, value, text in cases:
            self.assertEqual(value_text(type_name, value), text, (type_name, value))
        self.assertEqual(hex_color("#3A2A1E"), 0xFF3A2A1E)
        with self.assertRaises(ValueError):
            value_text("vector2d", (1, 2, 3))


class WriterTest(unittest.TestCase):
    def test_a_node_writes_properties_states_and_children_in_order(self):
        root = Node("SceneNode", "Menu", class_override="GMainMenuScene")
        button = root.add(Node("ButtonNode", "BackButton", Position=(10, 20, 3), Text="A & <b>",
                               TemplateName="ButtonGreenLarge"))
        button.set("Custom", Prop("int", 4))
        state = button.state("Press", next_state="Normal")
        state.animate(KeyFrame(["Scale"], [Key(0, [(1, 1, 1)]), Key(100, [(2, 2, 1)], glide=True),
                                           Key(50, [(1, 1, 1)], goto=0)], period=40))
        state.at_start(SetProps(Visible=True))
        state.at_end(SetStates([("Normal", ["A", "B"])]))
        button.default_state = "Press"
        data = scene_file(root)
        self.assertTrue(data.startswith(BOM + b'<?xml version="1.0" encoding="utf-8"?>\n'))
        tree = ET.fromstring(data)
        self.assertEqual((tree.get("Type"), tree.get("ClassOverride")), ("SceneNode", "GMainMenuScene"))
        child = tree.find("SceneNode")
        self.assertEqual([e.tag for e in child], ["Properties", "States"])
        props = {p.get("Name"): (p.tag, p.get("Value")) for p in child.find("Properties")}
        self.assertEqual(props["Position"], ("vector3d", "10.000000;20.000000;3.000000"))
        self.assertEqual(props["Text"], ("stringw", "A & <b>"))
        self.assertEqual(props["Custom"], ("int", "4"))
        states = child.find("States")
        self.assertEqual(states.find("Properties")[0].get("Value"), "Press")
        press = states.find("State")
        self.assertEqual((press.get("Name"), press.get("NextState")), ("Press", "Normal"))
        animator = press.find("Animator")
        self.assertEqual((animator.get("Type"), animator.get("Period")), ("KeyFrame", "40"))
        keys = animator.findall("KeyFrame")
        self.assertEqual([(k.get("t"), k.get("i"), k.get("g")) for k in keys],
                         [("0", None, None), ("100", "0", None), ("50", None, "0")])
        self.assertEqual(keys[1].get("Value0"), "2.000000;2.000000;1.000000")
        self.assertEqual(press.find("StartAnimator")[0].tag, "bool")
        self.assertEqual(press.find("EndAnimator")[0].get("Children"), "A;B")
        # escaped as the engine's reader decodes it
        self.assertIn('Value="A &amp; &lt;b&gt;"', scene_text(root))

    def test_unknown_property_names_need_a_type_and_the_first_key_cannot_glide(self):
        with self.assertRaises(KeyError):
            scene_text(Node("BaseNode", "X", Mystery=3))
        with self.assertRaises(ValueError):
            KeyFrame(["Scale"], [Key(0, [(1, 1, 1)], glide=True)])
        with self.assertRaises(ValueError):
            KeyFrame(["Scale", "TintColor"], [Key(0, [(1, 1, 1)])])


class MotionTest(unittest.TestCase):
    def test_eased_keys_end_at_the_target_and_slow_down(self):
        keys = eased_keys(0.0, 100.0, 300, steps=5)
        self.assertEqual(sum(k.t for k in keys), 300)
        values = [k.values[0] for k in keys]
        self.assertEqual(values[0], 0.0)
        self.assertAlmostEqual(values[-1], 100.0)
        steps = [b - a for a, b in zip(values, values[1:])]
        self.assertEqual(steps, sorted(steps, reverse=True))
        colours = eased_keys(0x00FFFFFF, 0xFFFFFFFF, 300, steps=3)
        self.assertEqual(colours[-1].values[0], 0xFFFFFFFF)

    def test_standard_transitions(self):
        body = transitions.standard(Node("BaseNode", "Scene"))
        self.assertEqual(sorted(s.name for s in body.states),
                         sorted(["NavTo", "NavFrom", "NavBackTo", "NavBackFrom", "NavToSlide",
                                 "NavFromSlide", "NavBackToSlide", "NavBackFromSlide"]))
        for state in body.states:
            self.assertTrue(250 <= state.duration() <= 400, state.name)
        parsed = SceneElement(ET.fromstring(scene_file(body)), "scenes")
        self.assertEqual(parsed.states["NavTo"]["TintColor"], 0xFFFFFFFF)
        self.assertEqual(parsed.states["NavFrom"]["TintColor"] >> 24, 0)
        self.assertEqual(parsed.states["NavToSlide"]["Position"], (0.0, 0.0, 0.0))
        self.assertEqual(parsed.states["NavFromSlide"]["Position"], (-1024.0, 0.0, 0.0))

    def test_pop_ups_scale_around_the_given_centre(self):
        node = Node("TextNode", "Title", Position=(24, 18, 7))
        transitions.popup(node, (260, 130))
        # the pivot lands on the centre, so the node's own origin stays at (24, 18)
        px, py = node.get("PivotPoint")
        x, y, z = node.get("Position")
        self.assertEqual((x - px, y - py, z), (24, 18, 7))
        self.assertEqual((x, y), (260, 130))
        parsed = SceneElement(ET.fromstring(scene_file(node)), "scenes")
        self.assertEqual(parsed.states["NavTo"]["Scale"], (1.0, 1.0, 1.0))
        self.assertEqual(parsed.states["NavTo"]["TintColor"], 0xFFFFFFFF)


if __name__ == "__main__":
    unittest.main()
