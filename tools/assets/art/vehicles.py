"""Vehicles: bicycles with their riders in the 24 directions of the main menu's bikes, and cars
coming towards the viewer ("Down") and driving away ("Up"), drawn at their full size (bicycles
32 px, cars about 56 px); the scenes scale them with their distance.

The view is the game's three-quarter view from above: ground distances across the screen keep
their length, those into the screen shrink to 45 %.
"""
import math

from .kit import Canvas, Category, Palette, Picture, Style, rgb, shade

FOLDERS = ["scenes/images/MainMenu/"]
FOLDER = FOLDERS[0]

DEPTH = 0.45  # how much a ground distance into the screen shrinks
UPRIGHT = 0.9  # how much a height shrinks

# The bike directions: the state names by 15-degree step from "Right" (0) anticlockwise on the
# screen; each picture shows the middle of the range its state covers.
BIKE_STATES = ("Right", "RightRightRightUp", "RightRightUp", "RightUp", "RightUpUp", "RightUpUpUp",
               "Up", "LeftUpUpUp", "LeftUpUp", "LeftUp", "LeftLeftUp", "LeftLeftLeftUp", "Left",
               "LeftLeftDown", "LeftLeftLeftDown", "LeftDown", "LeftDownDown", "LeftDownDownDown",
               "Down", "RightDownDownDown", "RightDownDown", "RightDown", "RightRightDown",
               "RightRightRightDown")
BIKE_SIZE = (48, 48)
BIKE_FRAME = rgb("#3F7FD0")
RIDER = (rgb("#F7C331"), rgb("#3A4A6B"), rgb("#F3C9A0"))  # shirt, trousers, skin

CAR_COLOURS = (("Red", rgb("#E0533D")), ("Blue", rgb("#3F7FD0")), ("Yellow", rgb("#F7C331")))
CAR_SIZE = (60, 54)


def _bike(angle):
    w, h = BIKE_SIZE
    canvas = Canvas(w, h)
    a = math.radians(angle)
    u = (math.cos(a), -math.sin(a) * DEPTH)  # one unit along the bike on the screen
    v = (0.0, -UPRIGHT)  # one unit up
    g = (w / 2.0, h - 12.0)  # the ground point under the pedals

    def at(along, up, base=g):
        return (base[0] + u[0] * along + v[0] * up, base[1] + u[1] * along + v[1] * up)

    r = 7.0
    half = 9.5
    # shadow along the bike
    ctx = canvas.ctx
    ctx.save()
    ctx.translate(g[0] + 2, g[1] + 1)
    ctx.scale(max(4.0, 15 * abs(u[0])), max(2.5, 15 * abs(u[1]) + 2))
    canvas.circle(0, 0, 1)
    ctx.restore()
    canvas.fill(Palette.BLACK, alpha=Style.SHADOW_ALPHA, preserve=False)
    rear, front = at(-half, r), at(half, r)

    def wheel(centre):
        ring = [(centre[0] + u[0] * r * math.cos(t) + v[0] * r * math.sin(t),
                 centre[1] + u[1] * r * math.cos(t) + v[1] * r * math.sin(t))
                for t in (2 * math.pi * i / 28 for i in range(29))]
        canvas.stroke_line(ring, 3.2, Palette.OUTLINE)
        canvas.stroke_line(ring, 1.4, rgb("#5B6470"))

    seat, bar, pedal = at(-3.5, 2.2 * r), at(half - 1.5, 2.5 * r), at(0, r * 0.9)
    heading_away = math.sin(a) > 0.2
    # the far parts first: when the bike rides away the rider hides its front
    wheel(rear if not heading_away else front)
    wheel(front if not heading_away else rear)
    for line in ((rear, seat, pedal, rear), (pedal, bar), (bar, front)):
        canvas.stroke_line(list(line), 3.0, Palette.OUTLINE)
        canvas.stroke_line(list(line), 1.6, BIKE_FRAME)
    shirt, trousers, skin = RIDER
    shoulder = at(0.5, 2.2 * r + 11)
    canvas.stroke_line([seat, pedal], 3.6, Palette.OUTLINE)
    canvas.stroke_line([seat, pedal], 2.2, trousers)
    canvas.stroke_line([seat, shoulder], 6.5, Palette.OUTLINE)
    canvas.stroke_line([seat, shoulder], 4.5, shirt)
    canvas.stroke_line([shoulder, bar], 3.0, Palette.OUTLINE)
    canvas.stroke_line([shoulder, bar], 1.6, skin)
    head = (shoulder[0], shoulder[1] - 5.0)
    canvas.circle(head[0], head[1], 4.2)
    canvas.fill(skin, preserve=True)
    canvas.outline(1.2)
    ctx.new_path()  # a helmet
    ctx.arc(head[0], head[1] - 0.5, 4.4, math.pi, 2 * math.pi)
    ctx.close_path()
    canvas.fill(Palette.DANGER, preserve=True)
    canvas.outline(1.0)
    return canvas.image()


def _car(colour, direction):
    w, h = CAR_SIZE
    canvas = Canvas(w, h)
    ctx = canvas.ctx
    # shadow
    ctx.save()
    ctx.translate(w / 2.0 + 3, h - 7)
    ctx.scale(26, 6)
    canvas.circle(0, 0, 1)
    ctx.restore()
    canvas.fill(Palette.BLACK, alpha=Style.SHADOW_ALPHA, preserve=False)
    # wheels
    for x in (6, w - 14):
        canvas.rounded_rect(x, h - 16, 8, 12, 3)
        canvas.fill(Palette.OUTLINE, preserve=False)
    # the roof seen from above, then the cabin's glass side facing the viewer
    canvas.rounded_rect(13, 3, w - 26, 12, 5)
    canvas.lit_fill(shade(colour, 0.12), (13, 3, w - 26, 12))
    canvas.outline(Style.OUTLINE_SMALL)
    canvas.polygon([(14, 13), (w - 14, 13), (w - 8, 27), (8, 27)])
    canvas.lit_fill(colour, (8, 13, w - 16, 14))
    canvas.outline(Style.OUTLINE_SMALL)
    glass = shade(rgb("#8CD3F5"), -0.12 if direction == "Down" else -0.25)
    inset = 2.5 if direction == "Down" else 5.0
    canvas.polygon([(16 + inset, 15.5), (w - 16 - inset, 15.5), (w - 11 - inset * 0.5, 25.5),
                    (11 + inset * 0.5, 25.5)])
    canvas.fill(glass, preserve=True)
    canvas.outline(1.0)
    canvas.polygon([(20, 16.5), (26, 16.5), (20, 24.5), (15, 24.5)])  # a shine on the glass
    canvas.fill(Palette.WHITE, alpha=0.45, preserve=False)
    # the body
    canvas.rounded_rect(3, 25, w - 6, 20, 7)
    canvas.lit_fill(colour, (3, 25, w - 6, 20))
    canvas.outline()
    canvas.highlight_band(6, 27, w - 12, 6, 3)
    # lights, grille or boot line, bumper, plate
    lamp = Palette.GOLD_HIGHLIGHT if direction == "Down" else Palette.DANGER
    for x in (8, w - 8):
        canvas.rounded_rect(x - 4.5, 30, 9, 6, 3)
        canvas.fill(lamp, preserve=True)
        canvas.outline(1.0)
    if direction == "Down":
        canvas.rounded_rect(w / 2.0 - 10, 30, 20, 6, 2)
        canvas.fill(shade(colour, -0.35), preserve=True)
        canvas.outline(1.0)
    else:
        canvas.stroke_line([(14, 29.5), (w - 14, 29.5)], 1.2, shade(colour, -0.35))
    canvas.rounded_rect(5, 39, w - 10, 5, 2.5)
    canvas.fill(rgb("#5B6470"), preserve=True)
    canvas.outline(1.0)
    canvas.rounded_rect(w / 2.0 - 7, 37.5, 14, 5, 1)
    canvas.fill(Palette.WHITE, preserve=True)
    canvas.outline(1.0)
    return canvas.image()


def draw():
    pictures = []
    for step, state in enumerate(BIKE_STATES):
        pictures.append(Picture("%sBike_%s.png" % (FOLDER, state), _bike(step * 15.0),
                                sample=step % 3 == 0))
    for kind, colour in CAR_COLOURS:
        for direction in ("Down", "Up"):
            pictures.append(Picture("%sCar%s_%s.png" % (FOLDER, kind, direction),
                                    _car(colour, direction)))
    return pictures


CATEGORY = Category("vehicles", FOLDERS, draw, __file__)
