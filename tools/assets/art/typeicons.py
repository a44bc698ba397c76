"""The building types' icons of the play screen's info panel, under
scenes/images/GameMenu/Icons/ (packed into the GameMenu atlas):

- <Name>.png: every type of the buildings catalogue (tools/assets/buildings.py), the empty
  building place included, as it stands on its lot in summer, on a small sky tile;
- <Name>_snow.png: the same type in the snowy settings, drawn from the lot's winter picture
  (white roofs and ground) on a paler tile.

The icons are made from the lots' own drawings (art/buildings.py), so a type looks the same in the
panel as in the town. An icon fills the panel's "Preview" sprite, ICON large.
"""
import cairo
from PIL import Image

from .. import buildings as catalogue
from . import buildings as town
from .kit import Canvas, Category, Palette, Picture, Style, shade

FOLDER = "scenes/images/GameMenu/Icons/"
SNOW_SUFFIX = "_snow"
ICON = (72, 72)
# The tile (x, y, w, h) inside the icon, leaving room for its shadow, and the box the building
# fills, standing on the tile's lower edge.
TILE = (2, 2, 66, 66)
BOX = (6, 8, 58, 56)
TILE_RADIUS = 10

SKY = {False: (Palette.SKY_TOP, Palette.SKY_HORIZON),
       True: (shade(Palette.SNOW_SHADE, -0.05), Palette.SNOW)}


def type_names():
    """Every type of the catalogue, in its order."""
    return [t["Name"] for t in catalogue.catalogue()]


def icon_name(type_name, snow=False):
    return FOLDER + type_name + (SNOW_SUFFIX if snow else "") + ".png"


def icon_names():
    """The pair of every type: its summer icon, then its snow icon."""
    return [icon_name(t, snow) for t in type_names() for snow in (False, True)]


def _scaled(image, size):
    """A straight-alpha image resized with its colours weighted by their alpha."""
    return image.convert("RGBa").resize(size, Image.LANCZOS).convert("RGBA")


def _fitted(image, box):
    """The visible part of the image scaled to fit the box (x, y, w, h), standing on its lower
    edge, centred across; the image and its top-left corner."""
    image = image.crop(image.getchannel("A").getbbox())
    x, y, w, h = box
    scale = min(w / image.width, h / image.height)
    size = (max(1, int(round(image.width * scale))), max(1, int(round(image.height * scale))))
    return _scaled(image, size), (int(round(x + (w - size[0]) / 2.0)), y + h - size[1])


def _tile(snow):
    canvas = Canvas(*ICON)
    x, y, w, h = TILE
    dx, dy = 2, 2
    canvas.rounded_rect(x + dx, y + dy, w, h, TILE_RADIUS)
    canvas.fill(Palette.BLACK, alpha=Style.SHADOW_ALPHA, preserve=False)
    canvas.rounded_rect(x, y, w, h, TILE_RADIUS)
    top, bottom = SKY[snow]
    gradient = cairo.LinearGradient(0, y, 0, y + h)
    gradient.add_color_stop_rgb(0.0, *top)
    gradient.add_color_stop_rgb(1.0, *bottom)
    canvas.ctx.set_source(gradient)
    canvas.ctx.fill_preserve()
    canvas.outline(Style.OUTLINE_SMALL)
    return canvas.image()


def icon(type_name, snow):
    out = _tile(snow)
    building, corner = _fitted(town.building(type_name, snow), BOX)
    out.alpha_composite(building, corner)
    return out


def draw():
    pictures = []
    for type_name in type_names():
        for snow in (False, True):
            pictures.append(Picture(icon_name(type_name, snow), icon(type_name, snow),
                                    sample=type_name in ("Camping2", "Cafe") and not snow,
                                    trim=False))
    return pictures


CATEGORY = Category("typeicons", [FOLDER], draw, __file__)
