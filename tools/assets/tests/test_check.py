"""Comparing made files with committed ones: text byte for byte, pictures by their pixels, sounds
by their decoded length and level."""
import io
import unittest

import numpy as np
from PIL import Image

from assets import check, synth


def png(image, level):
    out = io.BytesIO()
    image.save(out, format="PNG", compress_level=level)
    return out.getvalue()


class CompareTest(unittest.TestCase):
    def test_text_must_match_byte_for_byte(self):
        self.assertIsNone(check.compare("a.xml", b"<a />\n", b"<a />\n"))
        self.assertIsNotNone(check.compare("a.xml", b"<a />\n", b"<a/>\n"))
        self.assertEqual(check.compare("a.xml", b"x", None), "not committed")

    def test_pictures_compare_by_pixels_not_bytes(self):
        image = Image.fromarray(np.random.default_rng(1).integers(0, 256, (20, 30, 4),
                                                                   dtype=np.uint8), "RGBA")
        a, b = png(image, 9), png(image, 1)
        self.assertNotEqual(a, b)
        self.assertIsNone(check.compare("p.png", a, b))
        changed = image.copy()
        changed.putpixel((3, 4), (0, 0, 0, 0) if image.getpixel((3, 4)) != (0, 0, 0, 0)
                         else (1, 1, 1, 1))
        self.assertIn("1 pixels differ", check.compare("p.png", a, png(changed, 9)))
        self.assertIn("size", check.compare("p.png", a, png(image.crop((0, 0, 10, 10)), 9)))

    def test_sounds_compare_by_decoded_length_and_level(self):
        tone = 0.3 * synth.osc(440, 0.5)
        base = synth.ogg_bytes(tone, "a")
        self.assertIsNone(check.compare("s.ogg", base, base))
        # another encoding of the same sound (other serial, other quality) is the same sound
        self.assertIsNone(check.compare("s.ogg", base, synth.ogg_bytes(tone, "b", quality=5)))
        self.assertIn("samples", check.compare("s.ogg", base, synth.ogg_bytes(tone[:-100], "a")))
        self.assertIn("level", check.compare("s.ogg", base, synth.ogg_bytes(tone * 0.5, "a")))
        stereo = np.stack([tone, tone], axis=1)
        self.assertIn("channels", check.compare("s.ogg", base, synth.ogg_bytes(stereo, "a")))

    def test_the_same_name_gives_the_same_stream(self):
        tone = 0.3 * synth.osc(660, 0.2)
        self.assertEqual(synth.ogg_bytes(tone, "assets/x.ogg"), synth.ogg_bytes(tone, "assets/x.ogg"))


if __name__ == "__main__":
    unittest.main()
