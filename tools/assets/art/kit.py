"""The art kit: one palette, one style and the drawing helpers every art category uses.

The look (see the art direction): bright flat colour fields under a soft light from the top left
(top-left faces up to 10 % lighter, bottom-right ones up to 15 % darker), a 2 px dark outline on
every object (1.5 px under 32 px), rounded corners (8 px on buttons, 12 px on panels), soft
shadows of 25 % black offset 4 px right and down, drawn for 1024 x 768.

Drawing is done with pycairo on a `Canvas`; `Canvas.image()` gives a straight-alpha Pillow image.
Art categories (art/<category>.py) describe their pictures as `Picture`s; the atlas modules pack
them, whole-screen pictures are written as single files.
"""
import colorsys
import math

import cairo
import numpy as np
from PIL import Image, ImageFilter

from ..imageops import from_premultiplied_bgra

DESIGN_SIZE = (1024, 768)


def rgb(text):
    """(r, g, b) floats 0..1 from "#RRGGBB"."""
    text = text.lstrip("#")
    return tuple(int(text[i:i + 2], 16) / 255.0 for i in (0, 2, 4))


def to_hex(colour):
    return "#%02X%02X%02X" % tuple(int(round(c * 255)) for c in colour[:3])


def shade(colour, amount):
    """The colour with its lightness moved by `amount` (+0.10 is 10 % lighter, -0.15 is 15 %
    darker), keeping hue and saturation."""
    h, l, s = colorsys.rgb_to_hls(*colour[:3])
    l = min(1.0, max(0.0, l * (1.0 + amount))) if amount < 0 else min(1.0, l + (1.0 - l) * amount)
    return colorsys.hls_to_rgb(h, l, s)


class Palette:
    """The sRGB colours of the art direction, by role."""
    OUTLINE = rgb("#3A2A1E")  # outlines and dark text
    SKY_TOP, SKY_HORIZON = rgb("#8CD3F5"), rgb("#D8F1FC")
    GRASS, GRASS_SHADE = rgb("#8DCB5A"), rgb("#6FAE43")
    AUTUMN, AUTUMN_SHADE = rgb("#C9A24A"), rgb("#A9822F")
    SAND, WATER, FOAM = rgb("#F2D49B"), rgb("#4AA8D8"), rgb("#E8F7FF")
    SNOW, SNOW_SHADE = rgb("#EEF4F8"), rgb("#C9D8E3")
    ROAD, KERB, MARKING = rgb("#8A8F98"), rgb("#B9BDC4"), rgb("#F4F1E8")
    PANEL, PANEL_EDGE = rgb("#FFF4DC"), rgb("#E8C98F")
    PRIMARY = {"normal": rgb("#43B047"), "hover": rgb("#5CCB5F"), "press": rgb("#2F8F35"),
               "disabled": rgb("#A9B3A9")}
    SECONDARY = {"normal": rgb("#F39A2B"), "hover": rgb("#F8B357"), "press": rgb("#D07A12"),
                 "disabled": rgb("#A9B3A9")}
    DANGER, WARNING = rgb("#E04848"), rgb("#F7C331")
    GOLD, GOLD_HIGHLIGHT = rgb("#F7C331"), rgb("#FFE58A")
    LIGHT_TEXT = rgb("#FFFFFF")
    ROOFS = [rgb(c) for c in ("#E0533D", "#3F7FD0", "#F39A2B", "#8E5BC8", "#2FAF9A", "#D94F8A",
                              "#6B8E23", "#B5651D")]
    WHITE = (1.0, 1.0, 1.0)
    BLACK = (0.0, 0.0, 0.0)

    @classmethod
    def button(cls, kind):
        """The four state colours of a button kind: "green", "orange" or "red"."""
        if kind == "green":
            return cls.PRIMARY
        if kind == "orange":
            return cls.SECONDARY
        if kind == "red":
            return {"normal": cls.DANGER, "hover": shade(cls.DANGER, 0.10),
                    "press": shade(cls.DANGER, -0.10), "disabled": cls.PRIMARY["disabled"]}
        raise KeyError(kind)


class Style:
    OUTLINE = 2.0
    OUTLINE_SMALL = 1.5  # objects under 32 px
    BUTTON_RADIUS = 8.0
    PANEL_RADIUS = 12.0
    LIGHT = 0.10  # top-left faces
    DARK = -0.15  # bottom-right faces
    SHADOW_ALPHA = 0.25
    SHADOW_OFFSET = (4, 4)
    SHADOW_BLUR = 3.0
    PANEL_PADDING = 16
    CONTROL_GAP = 8
    MIN_BUTTON_HEIGHT = 40
    HOVER_GROWTH = 1.04
    ICON_SIZE = 64
    ICON_PADDING = 4

    @staticmethod
    def outline_for(size):
        return Style.OUTLINE if size >= 32 else Style.OUTLINE_SMALL


class Picture:
    """One picture of an art category: its full name from the asset root and its image. `grid`
    holds the nine-grid deltas (left, top, right, bottom) of pictures drawn for a nine-grid node;
    they are packed untrimmed, as is any picture with `trim` False (a sprite stretched to its
    node's Bounds places its frame at the leading trim without scaling it, so stretched pictures
    keep their borders). `single` pictures are written as files of their own (JPEG when opaque)
    instead of being packed; `sample` puts the picture on the contact sheet."""

    def __init__(self, name, image, grid=None, single=False, sample=True, trim=None):
        self.name = name
        self.image = image
        self.grid = grid
        self.single = single
        self.sample = sample
        self.trim = (grid is None) if trim is None else trim

    @property
    def size(self):
        return self.image.size


class Category:
    """An art category: a name, the folders (from the asset root) its pictures live in, a
    function drawing them, and whether it has whole-screen pictures written as files of their
    own (`single_files`)."""

    def __init__(self, name, folders, draw, source, single_files=False):
        self.name = name
        self.folders = list(folders)
        self._draw = draw
        self.source = source
        self.single_files = single_files
        self._pictures = None

    def pictures(self):
        if self._pictures is None:
            pictures = self._draw()
            for picture in pictures:
                if not any(picture.name.startswith(f) for f in self.folders):
                    raise ValueError("%s lies outside the folders of %s" % (picture.name, self.name))
                if picture.single and not self.single_files:
                    raise ValueError("%s is a single file, but %s declares none"
                                     % (picture.name, self.name))
            self._pictures = sorted(pictures, key=lambda p: p.name)
        return self._pictures


# --- Drawing --------------------------------------------------------------------------------

class Canvas:
    """A transparent pycairo surface of the given size with the kit's helpers."""

    def __init__(self, width, height):
        self.width, self.height = int(width), int(height)
        self.surface = cairo.ImageSurface(cairo.FORMAT_ARGB32, self.width, self.height)
        self.ctx = cairo.Context(self.surface)
        self.ctx.set_antialias(cairo.ANTIALIAS_GRAY)

    def image(self):
        self.surface.flush()
        return from_premultiplied_bgra(self.surface.get_data(), self.width, self.height,
                                       self.surface.get_stride())

    # paths
    def rounded_rect(self, x, y, w, h, r, corners=(True, True, True, True)):
        """A rounded rectangle path; `corners` are top-left, top-right, bottom-right, bottom-left."""
        ctx = self.ctx
        r = min(r, w / 2.0, h / 2.0)
        tl, tr, br, bl = (r if c else 0.0 for c in corners)
        ctx.new_path()
        ctx.move_to(x + tl, y)
        ctx.line_to(x + w - tr, y)
        if tr:
            ctx.arc(x + w - tr, y + tr, tr, -math.pi / 2, 0)
        ctx.line_to(x + w, y + h - br)
        if br:
            ctx.arc(x + w - br, y + h - br, br, 0, math.pi / 2)
        ctx.line_to(x + bl, y + h)
        if bl:
            ctx.arc(x + bl, y + h - bl, bl, math.pi / 2, math.pi)
        ctx.line_to(x, y + tl)
        if tl:
            ctx.arc(x + tl, y + tl, tl, math.pi, 3 * math.pi / 2)
        ctx.close_path()

    def circle(self, cx, cy, r):
        self.ctx.new_path()
        self.ctx.arc(cx, cy, r, 0, 2 * math.pi)
        self.ctx.close_path()

    def polygon(self, points):
        self.ctx.new_path()
        self.ctx.move_to(*points[0])
        for point in points[1:]:
            self.ctx.line_to(*point)
        self.ctx.close_path()

    # paint
    def fill(self, colour, alpha=1.0, preserve=True):
        self.ctx.set_source_rgba(*colour[:3], alpha)
        (self.ctx.fill_preserve if preserve else self.ctx.fill)()

    def lit_fill(self, colour, box, preserve=True, alpha=1.0):
        """Fills the current path with the colour under the top-left light: a gentle diagonal
        gradient from 10 % lighter (top left) to 15 % darker (bottom right) across `box`."""
        x, y, w, h = box
        gradient = cairo.LinearGradient(x, y, x + w * 0.35, y + h)
        light, dark = shade(colour, Style.LIGHT * 0.6), shade(colour, Style.DARK * 0.6)
        gradient.add_color_stop_rgba(0.0, *light, alpha)
        gradient.add_color_stop_rgba(0.45, *colour[:3], alpha)
        gradient.add_color_stop_rgba(1.0, *dark, alpha)
        self.ctx.set_source(gradient)
        (self.ctx.fill_preserve if preserve else self.ctx.fill)()

    def outline(self, width=Style.OUTLINE, colour=Palette.OUTLINE, preserve=False):
        """Strokes the current path so that the outline lies inside it (the path is clipped to
        itself), which keeps shapes within their box."""
        ctx = self.ctx
        path = ctx.copy_path()
        ctx.save()
        ctx.clip_preserve()
        ctx.set_line_width(width * 2)
        ctx.set_line_join(cairo.LINE_JOIN_ROUND)
        ctx.set_source_rgb(*colour[:3])
        ctx.stroke()
        ctx.restore()
        if preserve:
            ctx.new_path()
            ctx.append_path(path)
        else:
            ctx.new_path()

    def stroke_line(self, points, width, colour=Palette.OUTLINE, cap=cairo.LINE_CAP_ROUND):
        ctx = self.ctx
        ctx.new_path()
        ctx.move_to(*points[0])
        for point in points[1:]:
            ctx.line_to(*point)
        ctx.set_line_width(width)
        ctx.set_line_cap(cap)
        ctx.set_line_join(cairo.LINE_JOIN_ROUND)
        ctx.set_source_rgb(*colour[:3])
        ctx.stroke()

    def highlight_band(self, x, y, w, h, r, alpha=0.16):
        """The soft gloss along the top of a lit shape."""
        self.rounded_rect(x, y, w, h, r)
        gradient = cairo.LinearGradient(0, y, 0, y + h)
        gradient.add_color_stop_rgba(0.0, 1, 1, 1, alpha)
        gradient.add_color_stop_rgba(1.0, 1, 1, 1, 0.0)
        self.ctx.set_source(gradient)
        self.ctx.fill()


def soft_shadow(mask, blur=Style.SHADOW_BLUR, alpha=Style.SHADOW_ALPHA, offset=(0, 0),
                size=None):
    """A black shadow image from a shape's alpha: blurred, at the style's strength."""
    width, height = size or mask.size
    base = Image.new("L", (width, height), 0)
    base.paste(mask.getchannel("A") if mask.mode == "RGBA" else mask, offset)
    blurred = base.filter(ImageFilter.GaussianBlur(blur))
    a = (np.asarray(blurred).astype(np.float64) * alpha).round().astype(np.uint8)
    shadow = np.zeros((height, width, 4), np.uint8)
    shadow[..., 3] = a
    return Image.fromarray(shadow, "RGBA")


def compose(*layers):
    """Straight-alpha layers of one size, the first at the bottom."""
    out = Image.new("RGBA", layers[0].size, (0, 0, 0, 0))
    for layer in layers:
        out = Image.alpha_composite(out, layer)
    return out


def opaque(image):
    return image.getchannel("A").getextrema()[0] == 255
