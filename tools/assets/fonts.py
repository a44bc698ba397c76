"""Bitmap fonts: DejaVu baked through FreeType (Pillow) into ".ofnt" files with page pictures.

The fill is white (with a dark outline where one is baked), so a text node's colour tints it.
Characters: ASCII, Latin-1, Latin Extended-A and every other character the dictionary's texts
use (when the face has it). Metrics, in font pixels at the baked size (which is the font's
OriginalSize), with the glyph box tight around the ink:
- before.x = the bearing (where the box starts after the pen position);
- before.y = ascent - the top of the box (from the top of the line);
- after.y makes every line ascent + descent high;
- after.x = advance - before.x - width, the advance being FreeType's hinted one;
- kerning: the font's pairs among the baked characters, in whole pixels.
An outlined font spaces its glyphs by the outline width (its GlobalKerning x), so that an outline
never covers the neighbouring glyph's fill.
"""
import os
import tomllib
import unicodedata

import numpy as np
from PIL import Image, ImageDraw, ImageFont

from .art.kit import Palette
from .common import PACKAGE, Output, asset, element, fmt_float
from .freetype import Face
from .packer import Sprite, pack
from .registry import Module
from .texts import LEVEL_INPUTS, TABLE as TEXT_TABLE, load_texts

DESCRIPTION = "tools/assets/fonts.toml"
FOLDER = "scenes/fonts"
PAGE_SIDE = 1024
LICENCE_NAME = "DejaVu-LICENSE.txt"


def description():
    with open(os.path.join(PACKAGE, "fonts.toml"), "rb") as source:
        return tomllib.load(source)


class FontEntry:
    def __init__(self, row, folder):
        self.file = row["file"]
        self.path = os.path.join(folder, row["face"])
        self.size = int(row["size"])
        self.outline = int(row.get("outline", 0))
        self.shadow = tuple(row.get("shadow", (0, 0)))

    @property
    def spacing(self):
        return self.outline


def font_entries():
    desc = description()
    return [FontEntry(row, desc["folder"]) for row in desc["font"]]


def charset(texts):
    """The characters to bake, in code order."""
    chars = set(chr(c) for c in range(32, 127))
    chars.update(chr(c) for c in range(160, 384))
    for text in texts.values():
        for char in text:
            if unicodedata.category(char)[0] != "C":
                chars.add(char)
    return sorted(chars)


class Glyph:
    def __init__(self, char, image, before, after):
        self.char = char
        self.image = image  # the ink box, RGBA; None for an empty glyph
        self.before = before
        self.after = after
        self.box = (0, 0, 0, 0)
        self.page = 0

    @property
    def size(self):
        return self.image.size if self.image is not None else (0, 0)


class BakedFont:
    def __init__(self, entry, ascent, descent, glyphs, kerning, pages):
        self.entry = entry
        self.ascent = ascent
        self.descent = descent
        self.glyphs = glyphs  # in code order
        self.kerning = kerning  # (first, second) -> pixels
        self.pages = pages

    @property
    def line_height(self):
        return self.ascent + self.descent

    def glyph(self, char):
        for glyph in self.glyphs:
            if glyph.char == char:
                return glyph
        return None

    def measure(self, text):
        """The width of one line the way the engine measures text with this font's metrics (the
        global kerning after every glyph but the last, pair kerning between neighbours)."""
        by_char = {g.char: g for g in self.glyphs}
        default = by_char.get(" ", self.glyphs[0])
        width = 0
        for index, char in enumerate(text):
            glyph = by_char.get(char, default)
            width += glyph.before[0] + glyph.size[0] + glyph.after[0] + self.entry.spacing
            if index + 1 < len(text):
                width += self.kerning.get((char, text[index + 1]), 0)
        if text:
            width -= self.entry.spacing
        return width


def _layers(font, entry, char, canvas, origin):
    """Coverage arrays (0..1) of the fill and of fill plus outline, on a canvas."""
    fill = Image.new("L", canvas, 0)
    ImageDraw.Draw(fill).text(origin, char, font=font, fill=255, anchor="la")
    if entry.outline:
        union = Image.new("L", canvas, 0)
        ImageDraw.Draw(union).text(origin, char, font=font, fill=255, anchor="la",
                                   stroke_width=entry.outline, stroke_fill=255)
    else:
        union = fill
    return np.asarray(fill) / 255.0, np.asarray(union) / 255.0


def render_glyph(font, entry, char, advance, line_height):
    """The glyph's picture on a canvas with the pen at `pad`, `pad` (top of the line)."""
    pad = entry.size + 2 * entry.outline + 8
    canvas = (advance + 2 * pad + entry.size, line_height + 2 * pad)
    fill, union = _layers(font, entry, char, canvas, (pad, pad))
    dark = np.array(Palette.OUTLINE) * 255.0
    white = np.array([255.0, 255.0, 255.0])
    # outline under fill: alpha = fill + union (1 - fill)
    alpha = fill + union * (1.0 - fill) if entry.outline else fill
    safe = np.where(alpha > 0, alpha, 1.0)
    colour = (white * fill[..., None] + dark * (union * (1.0 - fill))[..., None]) / safe[..., None]
    if entry.outline == 0:
        colour = np.broadcast_to(white, colour.shape)
    if entry.shadow != (0, 0):
        sx, sy = entry.shadow
        shadow = np.zeros_like(union)
        h, w = union.shape
        shadow[sy:, sx:] = union[:h - sy, :w - sx] * 0.45
        out_alpha = alpha + shadow * (1.0 - alpha)
        safe = np.where(out_alpha > 0, out_alpha, 1.0)
        colour = (colour * alpha[..., None] + dark * (shadow * (1.0 - alpha))[..., None]) / \
            safe[..., None]
        alpha = out_alpha
    rgba = np.dstack([np.clip(np.rint(colour), 0, 255),
                      np.clip(np.rint(alpha * 255.0), 0, 255)]).astype(np.uint8)
    image = Image.fromarray(rgba, "RGBA")
    box = image.getchannel("A").getbbox()
    if box is None:
        return None, (0, 0)
    return image.crop(box), (box[0] - pad, box[1] - pad)


def bake(entry, chars):
    font = ImageFont.truetype(entry.path, entry.size, layout_engine=ImageFont.Layout.BASIC)
    face = Face(entry.path, entry.size)
    ascent, descent = font.getmetrics()
    line_height = ascent + descent
    glyphs = []
    for char in chars:
        if not face.has_glyph(char):
            continue
        advance = face.advance(char)
        image, (bx, by) = render_glyph(font, entry, char, advance, line_height)
        if image is None:
            glyphs.append(Glyph(char, None, (0, 0), (advance, line_height)))
            continue
        w, h = image.size
        glyphs.append(Glyph(char, image, (bx, by), (advance - bx - w, line_height - by - h)))

    baked = [g.char for g in glyphs]
    kerning = {}
    for first in baked:
        for second in baked:
            k = face.kerning(first, second)
            if k:
                kerning[(first, second)] = k

    sprites = [Sprite("%04X" % ord(g.char), g.image, trim=False) for g in glyphs if g.image]
    pages, regions = pack(sprites, max_side=PAGE_SIDE, extrude_edges=False)
    by_name = {r.name: r for r in regions}
    for glyph in glyphs:
        region = by_name.get("%04X" % ord(glyph.char))
        if region:
            glyph.box, glyph.page = region.box, region.page
    return BakedFont(entry, ascent, descent, glyphs, kerning, pages)


def page_name(entry, index):
    return "%s_%d.png" % (entry.file, index)


def font_text(baked):
    entry = baked.entry
    lines = ['<Font Type="Bitmap">', "\t<Properties>",
             "\t\t" + element("float", [("Name", "OriginalSize"), ("Value", fmt_float(entry.size))])]
    if entry.spacing:
        lines.append("\t\t" + element("vector2d", [
            ("Name", "GlobalKerning"), ("Value", "%s;%s" % (fmt_float(entry.spacing), fmt_float(0)))]))
    lines.append("\t</Properties>")
    for index in range(len(baked.pages)):
        lines.append("\t" + element("Texture", [("Filename", page_name(entry, index))]))
    for glyph in baked.glyphs:
        lines.append("\t" + element("c", [
            ("c", glyph.char), ("r", "%d,%d,%d,%d" % glyph.box),
            ("b", "%d,%d" % glyph.before), ("a", "%d,%d" % glyph.after), ("i", glyph.page)]))
    for (first, second), k in sorted(baked.kerning.items()):
        lines.append("\t" + element("k", [("c", first + second), ("k", k)]))
    lines.append("</Font>")
    return "\n".join(lines) + "\n"


_BAKED = {}


def baked_fonts():
    """Every font of the set, baked once per run."""
    if not _BAKED:
        chars = charset(load_texts())
        for entry in font_entries():
            _BAKED[entry.file] = bake(entry, chars)
    return [_BAKED[entry.file] for entry in font_entries()]


def build():
    out = Output()
    for baked in baked_fonts():
        folder = asset(FOLDER)
        out.add_xml("%s/%s.ofnt" % (folder, baked.entry.file), font_text(baked))
        for index, page in enumerate(baked.pages):
            out.add_png("%s/%s" % (folder, page_name(baked.entry, index)), page)
    with open(description()["licence"], "rb") as licence:
        out.add(asset("%s/%s" % (FOLDER, LICENCE_NAME)), licence.read())
    return out


def font_file(name):
    """The scene-relative name of a font of the set, for scene files under scenes/."""
    if name not in [s.file for s in font_entries()]:
        raise KeyError("no font " + name)
    return "fonts/%s.ofnt" % name


MODULE = Module("fonts", build, __file__, inputs=[DESCRIPTION, TEXT_TABLE] + LEVEL_INPUTS,
                outputs=[asset(FOLDER + "/*")])
