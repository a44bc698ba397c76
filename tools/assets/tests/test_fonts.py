"""The baked fonts, read back from the committed ".ofnt" files: texts measured with their metrics
the way the engine measures them are as wide as FreeType lays them out, every line is
ascent + descent high, and each glyph's box holds its ink."""
import os
import unittest
import xml.etree.ElementTree as ET

from PIL import Image, ImageDraw, ImageFont

from assets.common import ASSETS, REPO
from assets.fonts import FOLDER, charset, font_entries
from assets.freetype import Face
from assets.texts import load_texts

SAMPLES = [
    "The quick brown fox jumps over the lazy dog.",
    "AVATAR Tolkien WAVE Yo! To, Ta; LT\"Vo\"",
    "0123456789 $1,234,567 -42 +7% (x) [y] {z} #@&*",
    "Élan Ångström Ørsted Œuvre Straße ÇÀÉÎÕÜ ąčęłńšžŁŽ",
    "Do you really want to delete this player? The progress is lost for good.",
    "Loading…",
]


class OfntFont:
    """A font file as the engine reads it."""

    def __init__(self, path):
        with open(path, "rb") as source:
            self.root = ET.fromstring(source.read())
        self.folder = os.path.dirname(path)
        self.original_size = 14.0
        self.spacing = (0.0, 0.0)
        for value in self.root.iter("float"):
            if value.get("Name") == "OriginalSize":
                self.original_size = float(value.get("Value"))
        for value in self.root.iter("vector2d"):
            if value.get("Name") == "GlobalKerning":
                self.spacing = tuple(float(v) for v in value.get("Value").split(";"))
        self.pages = [os.path.join(self.folder, t.get("Filename")) for t in self.root.iter("Texture")]
        self.glyphs = {}
        for glyph in self.root.iter("c"):
            x0, y0, x1, y1 = (float(v) for v in glyph.get("r").split(","))
            self.glyphs[glyph.get("c")] = {
                "box": (x0, y0, x1, y1), "w": x1 - x0, "h": y1 - y0,
                "b": tuple(float(v) for v in glyph.get("b").split(",")),
                "a": tuple(float(v) for v in glyph.get("a").split(",")),
                "page": int(glyph.get("i", "0"))}
        self.kerning = {k.get("c"): int(k.get("k")) for k in self.root.iter("k")}
        self.line_height = max(g["b"][1] + g["h"] + g["a"][1] for g in self.glyphs.values())

    def measure(self, text):
        """The width of one line by the engine's rule: each glyph adds before + width + after and
        the global kerning, pairs add their kerning, the last glyph's global kerning is taken back."""
        hx = self.spacing[0]
        width, count = 0.0, 0
        for i, char in enumerate(text):
            glyph = self.glyphs.get(char) or self.glyphs[" "]
            width += glyph["b"][0] + glyph["w"] + glyph["a"][0] + hx
            if i + 1 < len(text):
                width += self.kerning.get(char + text[i + 1], 0)
            count += 1
        return width - (hx if count else 0)


def fonts():
    for entry in font_entries():
        path = os.path.join(REPO, ASSETS, FOLDER, entry.file + ".ofnt")
        yield entry, OfntFont(path)


class FontTest(unittest.TestCase):
    def test_widths_match_freetype(self):
        for entry, font in fonts():
            face = Face(entry.path, entry.size)
            self.assertEqual(font.original_size, entry.size)
            for text in SAMPLES:
                expected = face.text_width(text) + (len(text) - 1) * entry.outline
                with self.subTest(font=entry.file, text=text):
                    self.assertLessEqual(abs(font.measure(text) - expected), 1.0)

    def test_kerning_is_the_fonts_own(self):
        for entry, font in fonts():
            face = Face(entry.path, entry.size)
            self.assertLess(font.kerning.get("To", 0), 0, entry.file)
            for pair, value in list(font.kerning.items())[:200]:
                self.assertEqual(value, face.kerning(pair[0], pair[1]))

    def test_every_line_is_ascent_plus_descent_high(self):
        for entry, font in fonts():
            ascent, descent = ImageFont.truetype(entry.path, entry.size).getmetrics()
            for char, glyph in font.glyphs.items():
                self.assertEqual(glyph["b"][1] + glyph["h"] + glyph["a"][1], ascent + descent,
                                 (entry.file, char))

    def test_the_set_covers_the_dictionary_and_the_latin_ranges(self):
        wanted = charset(load_texts())
        for entry, font in fonts():
            face = Face(entry.path, entry.size)
            missing = [c for c in wanted if face.has_glyph(c) and c not in font.glyphs]
            self.assertEqual(missing, [], entry.file)
            for code in list(range(32, 127)) + list(range(161, 384)):
                self.assertIn(chr(code), font.glyphs, (entry.file, hex(code)))

    def test_glyph_boxes_hold_their_ink_in_white(self):
        for entry, font in fonts():
            pages = [Image.open(p).convert("RGBA") for p in font.pages]
            for char in "AgÅ,|":
                glyph = font.glyphs[char]
                cut = pages[glyph["page"]].crop(tuple(int(v) for v in glyph["box"]))
                alpha = cut.getchannel("A")
                # the box is tight: ink touches every side
                self.assertEqual(alpha.getbbox(), (0, 0) + cut.size, (entry.file, char))
                # the fill is white (outlined fonts: white inside a dark outline)
                brightest = max(cut.getdata(), key=lambda p: (p[3] == 255, sum(p[:3])))
                self.assertEqual(brightest[:3], (255, 255, 255), (entry.file, char))

    def test_glyphs_placed_by_their_metrics_look_as_freetype_draws_the_text(self):
        text = "Hxgjq,Ä"  # no kerning pairs: the pen moves by the advances alone
        for entry, font in fonts():
            if entry.outline:
                continue
            pages = [Image.open(p).convert("RGBA") for p in font.pages]
            width = int(font.measure(text)) + 8
            composed = Image.new("L", (width, int(font.line_height)), 0)
            x = 0
            for char in text:
                glyph = font.glyphs[char]
                cut = pages[glyph["page"]].crop(tuple(int(v) for v in glyph["box"]))
                composed.paste(cut.getchannel("A"), (int(x + glyph["b"][0]), int(glyph["b"][1])))
                x += glyph["b"][0] + glyph["w"] + glyph["a"][0]
            drawn = Image.new("L", composed.size, 0)
            pil = ImageFont.truetype(entry.path, entry.size, layout_engine=ImageFont.Layout.BASIC)
            ImageDraw.Draw(drawn).text((0, 0), text, font=pil, fill=255, anchor="la")
            self.assertEqual(composed.tobytes(), drawn.tobytes(), entry.file)

    def test_outlined_fonts_space_glyphs_by_their_outline(self):
        for entry, font in fonts():
            self.assertEqual(font.spacing, (float(entry.outline), 0.0))


if __name__ == "__main__":
    unittest.main()
