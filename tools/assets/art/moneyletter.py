"""The money letter: a sealed envelope with a gold coin on it that floats over a lodging and
brings money when the player taps it in time.

- levels/common/Buildings/MoneyLetter/Envelope.png: the envelope (56 x 40), its flap, a red wax
  seal and a coin with a dollar sign;
- levels/common/Buildings/MoneyLetter/Glow.png: the soft golden halo behind it.
The clock over it is the lots' own clock (art/buildings.py).
"""
from .kit import Canvas, Category, Palette, Picture, Style, rgb

FOLDER = "levels/common/Buildings/MoneyLetter/"
ENVELOPE = (56, 40)
GLOW = 76

PAPER = rgb("#FFF8E6")
PAPER_SHADE = rgb("#EAD9B0")
SEAL = rgb("#D8463A")


def envelope():
    w, h = ENVELOPE
    canvas = Canvas(w, h)
    # drop shadow, then the paper body
    canvas.rounded_rect(4, 5, w - 6, h - 7, 5)
    canvas.fill(Palette.BLACK, alpha=Style.SHADOW_ALPHA, preserve=False)
    canvas.rounded_rect(2, 2, w - 6, h - 7, 5)
    canvas.lit_fill(PAPER, (0, 0, w, h))
    canvas.outline(Style.OUTLINE_SMALL)
    # the lower folds and the closed flap
    canvas.stroke_line([(4, h - 7), (w / 2.0 - 2, h / 2.0), (w - 6, h - 7)], 1.2,
                       PAPER_SHADE)
    canvas.polygon([(3, 3), (w / 2.0 - 2, h / 2.0 + 2), (w - 5, 3)])
    canvas.lit_fill(PAPER_SHADE, (0, 0, w, h / 2.0 + 2))
    canvas.outline(1.2)
    # the wax seal on the flap's tip
    canvas.circle(w / 2.0 - 2, h / 2.0 + 1, 5)
    canvas.lit_fill(SEAL, (w / 2.0 - 7, h / 2.0 - 4, 10, 10))
    canvas.outline(1.0)
    # the coin at the corner
    cx, cy, r = w - 11, h - 12, 9
    canvas.circle(cx, cy, r)
    canvas.lit_fill(Palette.GOLD, (cx - r, cy - r, 2 * r, 2 * r))
    canvas.outline(Style.OUTLINE_SMALL)
    canvas.circle(cx, cy, r - 3)
    canvas.outline(0.8, Palette.GOLD_HIGHLIGHT)
    canvas.stroke_line([(cx, cy - 5), (cx, cy + 5)], 1.3, Palette.OUTLINE)
    canvas.stroke_line([(cx + 3, cy - 3), (cx - 2.5, cy - 3), (cx - 3, cy - 0.5), (cx + 3, cy + 0.5),
                        (cx + 2.5, cy + 3), (cx - 3, cy + 3)], 1.4, Palette.OUTLINE)
    return canvas.image()


def glow():
    canvas = Canvas(GLOW, GLOW)
    c = GLOW / 2.0
    for step in range(8):
        canvas.circle(c, c, c - 1 - step * 4)
        canvas.fill(Palette.GOLD_HIGHLIGHT, alpha=0.08, preserve=False)
    return canvas.image()


def draw():
    return [Picture(FOLDER + "Envelope.png", envelope(), trim=False),
            Picture(FOLDER + "Glow.png", glow(), trim=False)]


CATEGORY = Category("moneyletter", [FOLDER], draw, __file__)
