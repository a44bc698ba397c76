"""The two scenes the game shows before its menus, with their pictures (image files: no atlas is
loaded before the preloader has run):

- assets/logos/images/Quorvane.png and Oskel.png: the publisher's and the engine's logos, whole
  screens that the logos scene cross-fades (the logos file names them);
- assets/scenes/LogosScene.oscn: root GLogosScene (entry "NavTo", exit "NavFrom"); "Scene" holds
  the sprites "Logo1" (the logo going) and "Logo2" (the logo coming) with their cross-fade states
  "Swap" (Logo1 fades out, Logo2 fades in) and "Swap0" (Logo2's first fade-in);
- assets/scenes/IntroScene.oscn with scenes/images/IntroScene/: root GIntroScene; "Scene" holds
  a backdrop, the bar's trough "ProgressBg" and the bar "Progress" over it, which the preloader
  widens (the bar picture is cut to the node's width).
"""
import math
import os
import tomllib

from PIL import ImageDraw, ImageFont

from .art.kit import DESIGN_SIZE, Canvas, Palette, Style, compose, shade, soft_shadow
from .common import REPO, Output, asset
from .registry import Module
from .scene import Key, KeyFrame, Node, scene_text

LOGO_FILES = {"Quorvane": "logos/images/Quorvane.png", "Oskel": "logos/images/Oskel.png"}
INTRO_IMAGES = "scenes/images/IntroScene"
CLEAR, SOLID = 0x00FFFFFF, 0xFFFFFFFF
SWAP_MS = 500
FIRST_SWAP_MS = 700
ENTRY_MS, EXIT_MS = 300, 250
# The bar of the preloader, in design units.
BAR_POSITION = (232, 600)
BAR_SIZE = (560, 36)


# The interface's faces come from where the fonts' description finds them.
FONTS_DESCRIPTION = "tools/assets/fonts.toml"


def _font(size, bold=True):
    with open(os.path.join(REPO, FONTS_DESCRIPTION), "rb") as description:
        folder = tomllib.load(description)["folder"]
    return ImageFont.truetype("%s/%s" % (folder, "DejaVuSans-Bold.ttf" if bold else "DejaVuSans.ttf"),
                              size)


def _text(image, centre, text, size, fill, outline=None, bold=True):
    draw = ImageDraw.Draw(image)
    font = _font(size, bold)
    stroke = 2 if outline else 0
    draw.text(centre, text, font=font, anchor="mm", fill=fill, stroke_width=stroke,
              stroke_fill=outline)


def _rgba(colour, alpha=255):
    return tuple(int(round(c * 255)) for c in colour[:3]) + (alpha,)


def _sky(canvas, top, bottom):
    import cairo
    gradient = cairo.LinearGradient(0, 0, 0, canvas.height)
    gradient.add_color_stop_rgb(0.0, *top)
    gradient.add_color_stop_rgb(1.0, *bottom)
    canvas.ctx.rectangle(0, 0, canvas.width, canvas.height)
    canvas.ctx.set_source(gradient)
    canvas.ctx.fill()


def _hills(canvas, base, colour, amplitude, phase):
    """A band of soft hills along the bottom, outlined on top."""
    width, height = canvas.width, canvas.height
    points = [(x, base - amplitude * (0.5 + 0.5 * math.sin(x / 170.0 + phase)))
              for x in range(0, width + 16, 16)]
    canvas.polygon(points + [(width, height), (0, height)])
    canvas.lit_fill(colour, (0, base - amplitude, width, height - base + amplitude))
    canvas.stroke_line(points, Style.OUTLINE, colour=shade(colour, -0.35))


def _card(width, height):
    """A panel card with its shadow, centred on the design, as (layers, box)."""
    x, y = (DESIGN_SIZE[0] - width) / 2, (DESIGN_SIZE[1] - height) / 2 - 20
    shape = Canvas(*DESIGN_SIZE)
    shape.rounded_rect(x, y, width, height, Style.PANEL_RADIUS)
    shape.lit_fill(Palette.PANEL, (x, y, width, height))
    shape.outline(colour=Palette.OUTLINE)
    card = shape.image()
    shadow = soft_shadow(card, offset=Style.SHADOW_OFFSET)
    return [shadow, card], (x, y, width, height)


def quorvane_logo():
    """The publisher: a golden sun rising over a green roof inside a ring, on a morning sky."""
    back = Canvas(*DESIGN_SIZE)
    _sky(back, Palette.SKY_TOP, Palette.SKY_HORIZON)
    _hills(back, 640, Palette.GRASS, 40, 0.4)
    layers, (x, y, w, h) = _card(520, 420)
    mark = Canvas(*DESIGN_SIZE)
    cx, cy = DESIGN_SIZE[0] / 2, y + 150
    mark.circle(cx, cy, 104)
    mark.lit_fill(Palette.SKY_TOP, (cx - 104, cy - 104, 208, 208))
    mark.outline(width=3)
    mark.circle(cx + 28, cy - 16, 42)
    mark.lit_fill(Palette.GOLD, (cx - 14, cy - 58, 84, 84))
    mark.outline()
    roof = [(cx - 88, cy + 30), (cx - 16, cy - 40), (cx + 56, cy + 30)]
    mark.polygon(roof + [(cx + 56, cy + 76), (cx - 88, cy + 76)])
    mark.lit_fill(Palette.ROOFS[0], (cx - 88, cy - 40, 144, 116))
    mark.outline()
    mark.rounded_rect(cx - 68, cy + 30, 104, 46, 4)
    mark.lit_fill(Palette.PANEL, (cx - 68, cy + 30, 104, 46))
    mark.outline()
    mark.rounded_rect(cx - 28, cy + 44, 24, 32, 3)
    mark.fill(Palette.PRIMARY["normal"], preserve=True)
    mark.outline(width=Style.OUTLINE_SMALL)
    image = compose(back.image(), *layers, mark.image())
    _text(image, (cx, y + 320), "QUORVANE", 56, _rgba(Palette.OUTLINE))
    _text(image, (cx, y + 376), "casual games", 24, _rgba(shade(Palette.OUTLINE, 0.35)),
          bold=False)
    return image


def oskel_logo():
    """The engine: a green gear holding a white play triangle, on a warm evening sky."""
    back = Canvas(*DESIGN_SIZE)
    _sky(back, shade(Palette.SECONDARY["hover"], 0.25), Palette.GOLD_HIGHLIGHT)
    _hills(back, 650, Palette.AUTUMN, 36, 1.7)
    layers, (x, y, w, h) = _card(520, 420)
    mark = Canvas(*DESIGN_SIZE)
    cx, cy = DESIGN_SIZE[0] / 2, y + 150
    teeth = 10
    points = []
    for i in range(teeth * 4):
        angle = 2 * math.pi * i / (teeth * 4)
        radius = 108 if (i % 4) in (1, 2) else 88
        points.append((cx + radius * math.cos(angle), cy + radius * math.sin(angle)))
    mark.polygon(points)
    mark.lit_fill(Palette.PRIMARY["normal"], (cx - 108, cy - 108, 216, 216))
    mark.outline(width=3)
    mark.circle(cx, cy, 58)
    mark.lit_fill(Palette.PANEL, (cx - 58, cy - 58, 116, 116))
    mark.outline()
    mark.polygon([(cx - 18, cy - 30), (cx - 18, cy + 30), (cx + 32, cy)])
    mark.lit_fill(Palette.SECONDARY["normal"], (cx - 18, cy - 30, 50, 60))
    mark.outline()
    image = compose(back.image(), *layers, mark.image())
    _text(image, (cx, y + 320), "OSKEL", 60, _rgba(Palette.OUTLINE))
    _text(image, (cx, y + 376), "2D engine", 24, _rgba(shade(Palette.OUTLINE, 0.35)), bold=False)
    return image


def intro_backdrop():
    """The preloader's screen: a town skyline under a clear sky, with a panel for the bar."""
    canvas = Canvas(*DESIGN_SIZE)
    _sky(canvas, Palette.SKY_TOP, Palette.SKY_HORIZON)
    # Houses along the horizon, one roof colour each.
    for index in range(9):
        width = 84 + (index * 37) % 40
        height = 70 + (index * 53) % 60
        left = 24 + index * 112
        top = 520 - height
        canvas.rounded_rect(left, top, width, height, 4)
        canvas.lit_fill(Palette.PANEL, (left, top, width, height))
        canvas.outline()
        roof = Palette.ROOFS[index % len(Palette.ROOFS)]
        canvas.polygon([(left - 8, top + 2), (left + width / 2, top - 34), (left + width + 8, top + 2)])
        canvas.lit_fill(roof, (left - 8, top - 34, width + 16, 36))
        canvas.outline()
        for row in range(max(1, height // 40)):
            canvas.rounded_rect(left + 14, top + 14 + row * 34, 18, 18, 3)
            canvas.fill(Palette.SKY_TOP, preserve=True)
            canvas.outline(width=Style.OUTLINE_SMALL)
    _hills(canvas, 540, Palette.GRASS, 24, 2.3)
    image = canvas.image()
    # The plate under the bar.
    plate, (x, y, w, h) = _plate()
    image = compose(image, *plate)
    _text(image, (DESIGN_SIZE[0] / 2, y + 34), "Loading...", 30, _rgba(Palette.LIGHT_TEXT),
          outline=_rgba(Palette.OUTLINE))
    _text(image, (DESIGN_SIZE[0] / 2, 200), "BRASQUEL", 88, _rgba(Palette.GOLD),
          outline=_rgba(Palette.OUTLINE))
    return image


def _plate():
    x, y = BAR_POSITION[0] - 24, BAR_POSITION[1] - 64
    w, h = BAR_SIZE[0] + 48, BAR_SIZE[1] + 88
    shape = Canvas(*DESIGN_SIZE)
    shape.rounded_rect(x, y, w, h, Style.PANEL_RADIUS)
    shape.lit_fill(Palette.PANEL_EDGE, (x, y, w, h))
    shape.outline()
    plate = shape.image()
    return [soft_shadow(plate, offset=Style.SHADOW_OFFSET), plate], (x, y, w, h)


def bar_trough():
    canvas = Canvas(*BAR_SIZE)
    w, h = BAR_SIZE
    canvas.rounded_rect(0, 0, w, h, h / 2)
    canvas.fill(shade(Palette.OUTLINE, 0.55))
    canvas.outline()
    return canvas.image()


def bar_fill():
    canvas = Canvas(*BAR_SIZE)
    w, h = BAR_SIZE
    canvas.rounded_rect(0, 0, w, h, h / 2)
    canvas.lit_fill(Palette.PRIMARY["normal"], (0, 0, w, h))
    canvas.outline()
    canvas.highlight_band(4, 3, w - 8, h / 2 - 2, h / 4, alpha=0.35)
    return canvas.image()


def _fade(node, state, start, end, ms):
    node.state(state).animate(KeyFrame(["TintColor"], [Key(0, [start]), Key(ms, [end], glide=True)]))


def _entry_and_exit(root):
    _fade(root, "NavTo", CLEAR, SOLID, ENTRY_MS)
    _fade(root, "NavFrom", SOLID, CLEAR, EXIT_MS)


def logos_scene():
    root = Node("SceneNode", "LogosScene", class_override="GLogosScene", Bounds=(1024, 768, 0))
    _entry_and_exit(root)
    body = root.add(Node("BaseNode", "Scene", Bounds=(1024, 768, 0)))
    going = body.add(Node("SpriteNode", "Logo1", Position=(0, 0, 0), Bounds=(1024, 768, 0),
                          TintColor=CLEAR))
    coming = body.add(Node("SpriteNode", "Logo2", Position=(0, 0, 1), Bounds=(1024, 768, 0),
                           TintColor=CLEAR))
    _fade(going, "Swap", SOLID, CLEAR, SWAP_MS)
    _fade(coming, "Swap", CLEAR, SOLID, SWAP_MS)
    _fade(coming, "Swap0", CLEAR, SOLID, FIRST_SWAP_MS)
    return root


def intro_scene():
    root = Node("SceneNode", "IntroScene", class_override="GIntroScene", Bounds=(1024, 768, 0))
    _entry_and_exit(root)
    body = root.add(Node("BaseNode", "Scene", Bounds=(1024, 768, 0)))
    body.add(Node("SpriteNode", "Backdrop", Bounds=(1024, 768, 0),
                  AtlasTexture="images/IntroScene/Backdrop.png"))
    at = (BAR_POSITION[0], BAR_POSITION[1], 1)
    body.add(Node("SpriteNode", "ProgressBg", Position=at, Bounds=BAR_SIZE + (0,),
                  AtlasTexture="images/IntroScene/ProgressBg.png"))
    body.add(Node("SpriteNode", "Progress", Position=(at[0], at[1], 2), Bounds=(0, BAR_SIZE[1], 0),
                  ImageStretchX=3, AtlasTexture="images/IntroScene/Progress.png"))
    return root


def build():
    out = Output()
    out.add_png(asset(LOGO_FILES["Quorvane"]), quorvane_logo())
    out.add_png(asset(LOGO_FILES["Oskel"]), oskel_logo())
    out.add_xml(asset("scenes/LogosScene.oscn"), scene_text(logos_scene()))
    out.add_png(asset(INTRO_IMAGES + "/Backdrop.png"), intro_backdrop())
    out.add_png(asset(INTRO_IMAGES + "/ProgressBg.png"), bar_trough())
    out.add_png(asset(INTRO_IMAGES + "/Progress.png"), bar_fill())
    out.add_xml(asset("scenes/IntroScene.oscn"), scene_text(intro_scene()))
    return out


MODULE = Module("startscreens", build, __file__, inputs=[FONTS_DESCRIPTION],
                outputs=[asset("logos/images/*"), asset("scenes/LogosScene.oscn"),
                         asset(INTRO_IMAGES + "/*"), asset("scenes/IntroScene.oscn")])
