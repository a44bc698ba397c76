"""The tutorial's pictures under scenes/images/GameMenu/Tutorial/ (packed into the GameMenu atlas):

- Arrow.png (ARROW): a fat orange arrow pointing down, its tip in the middle of the bottom edge;
  the "TutorialArrow" template stands it over the control a step asks for;
- Wave.png (WAVE): the guide's hand, raised in greeting, which the hint window shows beside the
  guide ("Play/Guide.png") while a step waits for its OK button.
"""
import math

from .kit import Canvas, Category, Palette, Picture, Style, compose, rgb, shade, soft_shadow

FOLDER = "scenes/images/GameMenu/Tutorial/"
ARROW = (44, 60)
WAVE = (34, 40)
ARROW_FILL = rgb("#FF8A3C")


def name(base):
    return FOLDER + base + ".png"


def arrow():
    """Shaft above, head below; the tip touches the bottom edge at the middle."""
    w, h = ARROW
    canvas = Canvas(w, h)
    cx = w / 2.0
    shaft = 8.0
    head_top = h * 0.45
    points = [(cx - shaft, 3.0), (cx + shaft, 3.0), (cx + shaft, head_top),
              (w - 3.0, head_top), (cx, h - 1.0), (3.0, head_top), (cx - shaft, head_top)]
    canvas.polygon(points)
    canvas.lit_fill(ARROW_FILL, (0, 0, w, h))
    canvas.outline(Style.OUTLINE_SMALL)
    # a light stripe down the shaft gives it some body
    canvas.stroke_line([(cx - shaft / 2.0, 8.0), (cx - shaft / 2.0, head_top - 2)], 2.5,
                       colour=shade(ARROW_FILL, 0.45))
    shape = canvas.image()
    return compose(soft_shadow(shape, offset=(2, 2), blur=1.5), shape)


def wave():
    """An open hand with a jacket cuff, fingers up."""
    w, h = WAVE
    canvas = Canvas(w, h)
    skin_tone = rgb("#F2C7A5")
    cx = w / 2.0
    # cuff
    canvas.rounded_rect(cx - 9, h - 11, 18, 10, 3)
    canvas.lit_fill(Palette.ROOFS[1], (cx - 9, h - 11, 18, 10))
    canvas.outline(1.5)
    # palm
    canvas.rounded_rect(cx - 9, 15, 18, h - 26, 7)
    canvas.lit_fill(skin_tone, (cx - 9, 15, 18, h - 26))
    canvas.outline(1.5)
    # four fingers and a thumb, fanned
    for index, turn in enumerate((-0.25, -0.08, 0.08, 0.25)):
        x = cx - 6.5 + index * 4.3
        ctx = canvas.ctx
        ctx.save()
        ctx.translate(x, 17)
        ctx.rotate(turn)
        canvas.rounded_rect(-2.2, -14 + abs(index - 1.5) * 1.5, 4.4, 15, 2.2)
        canvas.fill(skin_tone, preserve=True)
        canvas.outline(1.2)
        ctx.restore()
    ctx = canvas.ctx
    ctx.save()
    ctx.translate(cx - 9, 25)
    ctx.rotate(-math.pi / 4)
    canvas.rounded_rect(-2.5, -11, 5, 12, 2.5)
    canvas.fill(skin_tone, preserve=True)
    canvas.outline(1.2)
    ctx.restore()
    shape = canvas.image()
    return compose(soft_shadow(shape, offset=(1, 1), blur=1.0), shape)


def draw():
    return [Picture(name("Arrow"), arrow(), trim=False),
            Picture(name("Wave"), wave(), trim=False)]


CATEGORY = Category("tutorial", [FOLDER], draw, __file__)
