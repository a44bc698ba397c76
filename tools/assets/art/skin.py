"""The interface skin: panels, buttons, frames, sliders, tabs, check marks, list and edit parts and
the generic icons, under scenes/images/UI/ (packed into the MainMenu atlas).

Pictures meant for nine-grid nodes are drawn edge to edge at a small size and carry their grid
deltas (GRIDS); the templates stretch them to any size.
"""
import math

import cairo
from PIL import Image

from .kit import Canvas, Category, Palette, Picture, Style, compose, shade, soft_shadow

FOLDER = "scenes/images/UI/"

BUTTON_KINDS = ("Green", "Orange", "Red")
BUTTON_STATES = ("", "Hover", "Press", "Disabled")  # picture name suffixes
STATE_KEYS = {"": "normal", "Hover": "hover", "Press": "press", "Disabled": "disabled"}

BUTTON_PICTURE = (64, 48)
SHADOW_MARGIN = 6

# Nine-grid deltas (left, top, right, bottom) by picture base name.
GRIDS = {
    "Button": (12, 20, 12, 14),
    "ButtonShadow": (18, 18, 18, 18),
    "FocusRing": (14, 14, 14, 14),
    "Panel": (22, 22, 22, 22),
    "PanelShadow": (24, 24, 24, 24),
    "PanelInset": (10, 10, 10, 10),
    "Tooltip": (10, 10, 10, 10),
    "Tab": (12, 14, 12, 6),
    "EditField": (10, 12, 10, 10),
    "SliderTrack": (9, 8, 9, 8),
    "SliderFill": (9, 8, 9, 8),
    "ScrollTrack": (8, 9, 8, 9),
    "ScrollThumb": (8, 10, 8, 10),
    "ProgressTrack": (12, 12, 12, 12),
    "ProgressFill": (8, 8, 8, 8),
    "ListElement": (10, 10, 10, 10),
}

ICONS = ("Check", "Cross", "ArrowLeft", "ArrowRight", "ArrowUp", "ArrowDown", "Plus", "Minus",
         "Star", "Coin", "Lock", "Info", "Question", "Sound", "SoundOff", "Music", "Gear", "Home",
         "Pause", "Play", "Clock")


def name(base):
    return FOLDER + base + ".png"


def grid_of(base):
    """The nine-grid deltas of a picture, found by the longest grid name it starts with."""
    for key in sorted(GRIDS, key=len, reverse=True):
        if base.startswith(key):
            return GRIDS[key]
    raise KeyError(base)


# --- Pictures -------------------------------------------------------------------------------

def button_face(colour, size=BUTTON_PICTURE, corners=(True, True, True, True), lip=5,
                radius=Style.BUTTON_RADIUS):
    """A raised button face: lit fill, a gloss along the top, a darker lip at the bottom, the
    dark outline."""
    w, h = size
    canvas = Canvas(w, h)
    canvas.rounded_rect(0, 0, w, h, radius, corners)
    canvas.lit_fill(colour, (0, 0, w, h), preserve=False)
    if lip:
        ctx = canvas.ctx
        ctx.save()
        canvas.rounded_rect(0, 0, w, h, radius, corners)
        ctx.clip()
        ctx.rectangle(0, h - lip - Style.OUTLINE, w, lip + Style.OUTLINE)
        canvas.fill(shade(colour, Style.DARK), preserve=False)
        ctx.restore()
    canvas.highlight_band(3, 3, w - 6, h * 0.42, radius - 3 if radius > 4 else 1)
    canvas.rounded_rect(0, 0, w, h, radius, corners)
    canvas.outline()
    return canvas.image()


def shadow_picture(size, radius, margin):
    """The soft shadow of a rounded box, `margin` pixels larger on every side."""
    w, h = size
    shape = Canvas(w + 2 * margin, h + 2 * margin)
    shape.rounded_rect(margin, margin, w, h, radius)
    shape.fill(Palette.BLACK, preserve=False)
    shadow = soft_shadow(shape.image(), blur=margin / 2.2)
    # keep a trace of alpha up to the edge, so the picture stays the size it was drawn at
    return _floor_alpha(shadow, 1)


def _floor_alpha(image, minimum):
    r, g, b, a = image.split()
    a = a.point(lambda v: max(v, minimum))
    return Image.merge("RGBA", (r, g, b, a))


def focus_ring(size=(64, 48), margin=4):
    w, h = size[0] + 2 * margin, size[1] + 2 * margin
    canvas = Canvas(w, h)
    canvas.rounded_rect(1, 1, w - 2, h - 2, Style.BUTTON_RADIUS + margin)
    canvas.ctx.set_line_width(3)
    canvas.ctx.set_source_rgba(*Palette.GOLD_HIGHLIGHT, 1.0)
    canvas.ctx.stroke_preserve()
    canvas.ctx.set_line_width(1)
    canvas.ctx.set_source_rgba(*Palette.OUTLINE, 0.6)
    canvas.ctx.stroke()
    return canvas.image()


def panel(size=(64, 64), fill=Palette.PANEL, edge=Palette.PANEL_EDGE):
    w, h = size
    canvas = Canvas(w, h)
    r = Style.PANEL_RADIUS
    canvas.rounded_rect(0, 0, w, h, r)
    canvas.fill(edge, preserve=False)
    canvas.rounded_rect(6, 6, w - 12, h - 12, r - 4)
    canvas.lit_fill(fill, (0, 0, w, h), preserve=False)
    canvas.highlight_band(3, 3, w - 6, 12, r - 3, alpha=0.35)
    canvas.rounded_rect(0, 0, w, h, r)
    canvas.outline()
    return canvas.image()


def inset(size, fill, radius, outline=Style.OUTLINE, alpha=1.0):
    """A sunken field: the light falls on its lower edge, its top lies in shade."""
    w, h = size
    canvas = Canvas(w, h)
    canvas.rounded_rect(0, 0, w, h, radius)
    canvas.fill(fill, alpha=alpha, preserve=False)
    ctx = canvas.ctx
    ctx.save()
    canvas.rounded_rect(0, 0, w, h, radius)
    ctx.clip()
    gradient = cairo.LinearGradient(0, 0, 0, min(h, 10))
    gradient.add_color_stop_rgba(0, 0, 0, 0, 0.18)
    gradient.add_color_stop_rgba(1, 0, 0, 0, 0.0)
    ctx.set_source(gradient)
    ctx.paint()
    ctx.restore()
    canvas.rounded_rect(0, 0, w, h, radius)
    canvas.outline(outline)
    return canvas.image()


def edit_field(state):
    w, h = 48, 44
    fill = Palette.WHITE if state != "Disabled" else shade(Palette.PRIMARY["disabled"], 0.5)
    image = inset((w, h), fill, 6)
    if state == "Focus":
        canvas = Canvas(w, h)
        canvas.rounded_rect(3, 3, w - 6, h - 6, 4)
        canvas.ctx.set_line_width(2)
        canvas.ctx.set_source_rgba(*Palette.GOLD, 1.0)
        canvas.ctx.stroke()
        image = compose(image, canvas.image())
    return image


def caret():
    canvas = Canvas(2, 22)
    canvas.ctx.rectangle(0, 0, 2, 22)
    canvas.fill(Palette.OUTLINE, preserve=False)
    return canvas.image()


def check_box(state):
    size = 36
    fill = {"": Palette.WHITE, "Hover": Palette.WHITE,
            "Disabled": shade(Palette.PRIMARY["disabled"], 0.45)}[state]
    image = inset((size, size), fill, 6)
    if state == "Hover":
        canvas = Canvas(size, size)
        canvas.rounded_rect(3.5, 3.5, size - 7, size - 7, 4)
        canvas.ctx.set_line_width(3)
        canvas.ctx.set_source_rgba(*Palette.GOLD, 1.0)
        canvas.ctx.stroke()
        image = compose(image, canvas.image())
    return image


def check_mark(colour, size=36):
    canvas = Canvas(size, size)
    s = size / 36.0
    points = [(8 * s, 18 * s), (15 * s, 26 * s), (29 * s, 9 * s)]
    canvas.stroke_line(points, 9 * s, Palette.OUTLINE)
    canvas.stroke_line(points, 5 * s, colour)
    return canvas.image()


def close_button(state):
    size = 44
    colour = Palette.button("red")[STATE_KEYS[state]]
    canvas = Canvas(size, size)
    canvas.circle(size / 2, size / 2, size / 2)
    canvas.lit_fill(colour, (0, 0, size, size), preserve=False)
    canvas.highlight_band(8, 4, size - 16, 16, 8, alpha=0.18)
    canvas.circle(size / 2, size / 2, size / 2)
    canvas.outline()
    cross = Canvas(size, size)
    a, b = 14, size - 14
    for line in (((a, a), (b, b)), ((b, a), (a, b))):
        cross.stroke_line(line, 8, Palette.OUTLINE)
    light = Palette.WHITE if state != "Disabled" else shade(Palette.WHITE, -0.1)
    for line in (((a, a), (b, b)), ((b, a), (a, b))):
        cross.stroke_line(line, 4, light)
    image = compose(canvas.image(), cross.image())
    if state == "Press":
        image = _nudge(image, 1)
    return image


def _nudge(image, dy):
    out = Image.new("RGBA", image.size, (0, 0, 0, 0))
    out.paste(image.crop((0, 0, image.size[0], image.size[1] - dy)), (0, dy))
    return out


def knob(state, size=32):
    colour = Palette.PRIMARY[STATE_KEYS[state]]
    canvas = Canvas(size, size)
    canvas.circle(size / 2, size / 2, size / 2)
    canvas.lit_fill(colour, (0, 0, size, size), preserve=False)
    canvas.highlight_band(7, 3, size - 14, 12, 6, alpha=0.2)
    canvas.circle(size / 2, size / 2, size / 2)
    canvas.outline()
    # a grip: three short strokes
    for dx in (-5, 0, 5):
        canvas.stroke_line([(size / 2 + dx, size / 2 - 5), (size / 2 + dx, size / 2 + 5)], 1.5,
                           shade(colour, -0.35))
    return canvas.image()


def bar(size, colour, radius, lit=True):
    w, h = size
    canvas = Canvas(w, h)
    canvas.rounded_rect(0, 0, w, h, radius)
    if lit:
        canvas.lit_fill(colour, (0, 0, w, h), preserve=False)
        canvas.highlight_band(2, 2, w - 4, h * 0.45, max(radius - 2, 1), alpha=0.18)
    else:
        canvas.fill(colour, preserve=False)
    canvas.rounded_rect(0, 0, w, h, radius)
    canvas.outline(Style.outline_for(min(w, h)))
    return canvas.image()


def list_element(state):
    w, h = 48, 40
    if state == "":
        return inset((w, h), shade(Palette.PANEL, -0.04), 8, outline=1.0, alpha=0.9)
    if state == "Hover":
        return inset((w, h), Palette.GOLD_HIGHLIGHT, 8, outline=1.0, alpha=0.8)
    return bar((w, h), Palette.GOLD, 8)  # Selected


def tab(state):
    colour = {"": Palette.PANEL_EDGE, "Hover": shade(Palette.PANEL_EDGE, 0.10),
              "Press": shade(Palette.PANEL_EDGE, -0.10),
              "Disabled": shade(Palette.PRIMARY["disabled"], 0.2)}[state]
    image = button_face(colour, (64, 44), corners=(True, True, False, False), lip=0)
    return _nudge(image, 1) if state == "Press" else image


# --- Icons (64 x 64, 4 px padding, drawn in a 56 x 56 box) ----------------------------------

def icon(kind):
    size, pad = Style.ICON_SIZE, Style.ICON_PADDING
    canvas = Canvas(size, size)
    c = size / 2.0
    box = size - 2 * pad
    ink = Palette.OUTLINE

    def shape_fill(colour):
        canvas.lit_fill(colour, (pad, pad, box, box))
        canvas.outline()

    def strokes(lines, colour=Palette.WHITE, width=10):
        for line in lines:
            canvas.stroke_line(line, width + 2 * Style.OUTLINE, ink)
        for line in lines:
            canvas.stroke_line(line, width, colour)

    if kind == "Check":
        strokes([[(14, 33), (26, 45), (50, 18)]], Palette.PRIMARY["normal"])
    elif kind == "Cross":
        strokes([[(17, 17), (47, 47)], [(47, 17), (17, 47)]], Palette.DANGER)
    elif kind.startswith("Arrow"):
        points = [(12, 26), (34, 26), (34, 12), (54, 32), (34, 52), (34, 38), (12, 38)]
        angle = {"ArrowRight": 0, "ArrowDown": 90, "ArrowLeft": 180, "ArrowUp": 270}[kind]
        a = math.radians(angle)
        points = [(c + (x - c) * math.cos(a) - (y - c) * math.sin(a),
                   c + (x - c) * math.sin(a) + (y - c) * math.cos(a)) for x, y in points]
        canvas.polygon(points)
        shape_fill(Palette.WHITE)
    elif kind in ("Plus", "Minus"):
        lines = [[(16, 32), (48, 32)]] + ([[(32, 16), (32, 48)]] if kind == "Plus" else [])
        strokes(lines, Palette.WHITE, 10)
    elif kind == "Star":
        points = []
        for i in range(10):
            r = 26 if i % 2 == 0 else 11
            a = math.radians(-90 + 36 * i)
            points.append((c + r * math.cos(a), c + 2 + r * math.sin(a)))
        canvas.polygon(points)
        shape_fill(Palette.GOLD)
    elif kind == "Coin":
        canvas.circle(c, c, 24)
        shape_fill(Palette.GOLD)
        canvas.circle(c, c, 16)
        canvas.ctx.set_line_width(2.5)
        canvas.ctx.set_source_rgb(*shade(Palette.GOLD, -0.15))
        canvas.ctx.stroke()
        canvas.stroke_line([(c, 22), (c, 42)], 4, shade(Palette.GOLD, -0.3))
    elif kind == "Lock":
        canvas.ctx.new_path()
        canvas.ctx.arc(c, 28, 12, math.pi, 2 * math.pi)
        canvas.ctx.set_line_width(10)
        canvas.ctx.set_source_rgb(*ink)
        canvas.ctx.stroke()
        canvas.ctx.arc(c, 28, 12, math.pi, 2 * math.pi)
        canvas.ctx.set_line_width(5)
        canvas.ctx.set_source_rgb(*Palette.ROAD)
        canvas.ctx.stroke()
        canvas.rounded_rect(14, 28, 36, 26, 5)
        shape_fill(Palette.GOLD)
        canvas.circle(c, 39, 4)
        canvas.fill(ink, preserve=False)
    elif kind in ("Info", "Question"):
        canvas.circle(c, c, 26)
        shape_fill(Palette.WATER if kind == "Info" else Palette.SECONDARY["normal"])
        if kind == "Info":
            strokes([[(c, 29), (c, 45)]], Palette.WHITE, 6)
            canvas.circle(c, 19, 4.5)
            canvas.fill(Palette.WHITE, preserve=False)
        else:
            canvas.ctx.new_path()
            canvas.ctx.arc(c, 24, 8, math.pi, 2.3 * math.pi)
            canvas.ctx.line_to(c, 37)
            canvas.ctx.set_line_width(6)
            canvas.ctx.set_line_cap(cairo.LINE_CAP_ROUND)
            canvas.ctx.set_source_rgb(*Palette.WHITE)
            canvas.ctx.stroke()
            canvas.circle(c, 46, 3.5)
            canvas.fill(Palette.WHITE, preserve=False)
    elif kind in ("Sound", "SoundOff"):
        canvas.polygon([(10, 25), (20, 25), (32, 13), (32, 51), (20, 39), (10, 39)])
        shape_fill(Palette.WHITE)
        if kind == "Sound":
            for r in (9, 17):
                canvas.ctx.new_path()
                canvas.ctx.arc(34, c, r, -0.9, 0.9)
                canvas.ctx.set_line_width(4)
                canvas.ctx.set_line_cap(cairo.LINE_CAP_ROUND)
                canvas.ctx.set_source_rgb(*ink)
                canvas.ctx.stroke()
        else:
            strokes([[(40, 24), (54, 40)], [(54, 24), (40, 40)]], Palette.DANGER, 5)
    elif kind == "Music":
        strokes([[(26, 44), (26, 14), (48, 10), (48, 40)]], Palette.WHITE, 4)
        for x, y in ((20, 45), (42, 41)):
            canvas.ctx.new_path()
            canvas.ctx.save()
            canvas.ctx.translate(x, y)
            canvas.ctx.scale(1.0, 0.75)
            canvas.ctx.arc(0, 0, 8, 0, 2 * math.pi)
            canvas.ctx.restore()
            shape_fill(Palette.WHITE)
    elif kind == "Gear":
        points = []
        for i in range(32):
            r = 25 if (i // 2) % 2 == 0 else 19
            a = math.radians(i * 360 / 32 + 5.6)
            points.append((c + r * math.cos(a), c + r * math.sin(a)))
        canvas.polygon(points)
        shape_fill(Palette.KERB)
        canvas.circle(c, c, 8)
        canvas.fill(Palette.WHITE)
        canvas.outline()
    elif kind == "Home":
        canvas.polygon([(c, 8), (56, 30), (50, 30), (50, 54), (14, 54), (14, 30), (8, 30)])
        shape_fill(Palette.ROOFS[0])
        canvas.rounded_rect(26, 36, 12, 18, 2)
        canvas.fill(Palette.PANEL)
        canvas.outline()
    elif kind == "Pause":
        for x in (18, 36):
            canvas.rounded_rect(x, 14, 10, 36, 3)
            shape_fill(Palette.WHITE)
    elif kind == "Play":
        canvas.polygon([(20, 12), (50, 32), (20, 52)])
        shape_fill(Palette.PRIMARY["normal"])
    elif kind == "Clock":
        canvas.circle(c, c, 25)
        shape_fill(Palette.WHITE)
        canvas.stroke_line([(c, c), (c, 17)], 4)
        canvas.stroke_line([(c, c), (43, c + 4)], 4)
    else:
        raise KeyError(kind)
    return canvas.image()


# --- The category ---------------------------------------------------------------------------

def grid_picture(base, image):
    return Picture(name(base), image, grid=grid_of(base))


def draw():
    pictures = []
    for kind in BUTTON_KINDS:
        colours = Palette.button(kind.lower())
        for state in BUTTON_STATES:
            pictures.append(grid_picture("Button%s%s" % (kind, state),
                                         button_face(colours[STATE_KEYS[state]])))
    pictures.append(grid_picture("ButtonShadow", shadow_picture(BUTTON_PICTURE,
                                                                Style.BUTTON_RADIUS, SHADOW_MARGIN)))
    pictures.append(grid_picture("FocusRing", focus_ring()))
    pictures.append(grid_picture("Panel", panel()))
    pictures.append(grid_picture("PanelShadow", shadow_picture((64, 64), Style.PANEL_RADIUS, 8)))
    pictures.append(grid_picture("PanelInset", inset((32, 32), shade(Palette.PANEL_EDGE, 0.45), 8)))
    pictures.append(grid_picture("Tooltip", inset((32, 32), Palette.PANEL, 6, outline=1.5)))
    for state in BUTTON_STATES:
        pictures.append(grid_picture("Tab" + state, tab(state)))
        pictures.append(Picture(name("CloseButton" + state), close_button(state)))
        pictures.append(Picture(name("SliderKnob" + state), knob(state)))
    for state in ("", "Focus", "Disabled"):
        pictures.append(grid_picture("EditField" + state, edit_field(state)))
    pictures.append(Picture(name("EditCursor"), caret()))
    for state in ("", "Hover", "Disabled"):
        pictures.append(Picture(name("CheckBox" + state), check_box(state)))
    pictures.append(Picture(name("CheckMark"), check_mark(Palette.PRIMARY["normal"])))
    pictures.append(Picture(name("CheckMarkDisabled"), check_mark(shade(Palette.PRIMARY["disabled"],
                                                                        -0.1))))
    track = shade(Palette.PANEL_EDGE, -0.15)
    pictures.append(grid_picture("SliderTrack", inset((48, 16), track, 8)))
    pictures.append(grid_picture("SliderFill", bar((48, 16), Palette.PRIMARY["normal"], 8)))
    pictures.append(grid_picture("ScrollTrack", inset((16, 48), track, 8)))
    pictures.append(grid_picture("ScrollThumb", bar((16, 48), Palette.PRIMARY["normal"], 8)))
    pictures.append(grid_picture("ScrollThumbHover", bar((16, 48), Palette.PRIMARY["hover"], 8)))
    pictures.append(grid_picture("ProgressTrack", inset((48, 28), track, 12)))
    pictures.append(grid_picture("ProgressFill", bar((48, 20), Palette.GOLD, 8)))
    for state in ("", "Hover", "Selected"):
        pictures.append(grid_picture("ListElement" + state, list_element(state)))
    for kind in ICONS:
        pictures.append(Picture(name("Icon" + kind), icon(kind)))
    return pictures


CATEGORY = Category("skin", [FOLDER], draw, __file__)
