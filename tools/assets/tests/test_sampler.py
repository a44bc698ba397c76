"""The skin sampler scene of the tests, checked without the engine: it shows every template of
the collection, names nothing but templates (so it loads from its own folder), and laid out as
the content says, each control draws something, inside the screen and the backdrop, without
covering another control."""
import os
import unittest

import numpy as np

from assets import lint, templates as tpl
from assets.common import ASSETS, REPO
from assets.render import load_scene, render_scene

SAMPLER = tpl.SAMPLER


def used_templates(node, templates, found):
    name = node.props.get("TemplateName")
    if name and name not in found:
        found.add(name)
        if name in templates:
            used_templates(templates[name], templates, found)
    for child in node.children:
        used_templates(child, templates, found)
    return found


class SamplerTest(unittest.TestCase):
    def test_it_shows_every_template_of_the_collection(self):
        collection = {t.name: t for t in load_scene(os.path.join(ASSETS, tpl.COLLECTION)).children}
        used = used_templates(load_scene(SAMPLER), collection, set())
        self.assertEqual(sorted(set(collection) - used), [])
        self.assertEqual(sorted(used - set(collection)), [])

    def test_it_names_only_templates_and_known_texts(self):
        problems = []
        content = lint.Content(problems)
        lint.lint_scene(os.path.join(REPO, SAMPLER), content, problems,
                        content.templates[lint.MENU_TEMPLATES])
        self.assertEqual(problems, [])

    def test_each_control_draws_inside_the_screen_without_covering_another(self):
        picture, drawn = render_scene(SAMPLER, background=(0, 0, 0, 255))
        pixels = np.asarray(picture.convert("RGB")).astype(int)
        scene = load_scene(SAMPLER).children[0]
        names = {c.name for c in scene.children}
        boxes = {}
        for name, cls, box in drawn:
            if name in names and name not in boxes:
                boxes[name] = box
        self.assertEqual(sorted(boxes), sorted(names))
        backdrop = boxes.pop("Backdrop")
        for name, (x0, y0, x1, y1) in boxes.items():
            self.assertTrue(backdrop[0] <= x0 and backdrop[1] <= y0 and x1 <= backdrop[2] and
                            y1 <= backdrop[3], "%s lies outside the backdrop" % name)
            area = pixels[int(y0):int(y1), int(x0):int(x1)]
            panel = pixels[int(backdrop[1]) + 40, int(backdrop[0]) + 40]
            self.assertTrue((np.abs(area - panel).sum(axis=2) > 30).any(),
                            "%s draws nothing" % name)
        items = sorted(boxes.items())
        for i, (a, ba) in enumerate(items):
            for b, bb in items[i + 1:]:
                overlap = ba[0] < bb[2] and bb[0] < ba[2] and ba[1] < bb[3] and bb[1] < ba[3]
                self.assertFalse(overlap, "%s and %s overlap" % (a, b))


if __name__ == "__main__":
    unittest.main()
