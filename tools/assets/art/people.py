"""People: the walkers of the streets, facing the viewer ("Down") or walking away ("Up"), two
steps each, drawn at their full size (24-32 px tall); the scenes scale them with their distance.
"""
from .kit import Canvas, Category, Palette, Picture, Style, rgb, shade

FOLDERS = ["scenes/images/MainMenu/"]
FOLDER = FOLDERS[0]

SIZE = (24, 36)
DIRECTIONS = ("Down", "Up")
STEPS = 2

# shirt, trousers, hair, skin
WALKERS = (
    (rgb("#E0533D"), rgb("#3F5E8C"), rgb("#5A3A22"), rgb("#F3C9A0")),
    (rgb("#2FAF9A"), rgb("#4A4A52"), rgb("#E8B34A"), rgb("#FAD9B8")),
    (rgb("#8E5BC8"), rgb("#6B4A2F"), rgb("#2E2320"), rgb("#C68A5E")),
    (rgb("#F39A2B"), rgb("#2F5F3F"), rgb("#A0522D"), rgb("#F0C29A")),
)


def walker(look, direction, step):
    shirt, trousers, hair, skin = look
    w, h = SIZE
    canvas = Canvas(w, h)
    ctx = canvas.ctx
    cx = w / 2.0
    swing = 2.5 if step == 0 else -2.5
    outline = Style.OUTLINE_SMALL
    # shadow
    ctx.save()
    ctx.translate(cx + 2, h - 3)
    ctx.scale(7.0, 2.2)
    canvas.circle(0, 0, 1)
    ctx.restore()
    canvas.fill(Palette.BLACK, alpha=Style.SHADOW_ALPHA, preserve=False)
    # legs, one forward and one back
    for side, lift in ((-1, swing), (1, -swing)):
        x = cx + side * 2.6
        top, bottom = 21.0, h - 4.0 - max(0.0, lift) * 0.6
        canvas.rounded_rect(x - 2.2, top, 4.4, bottom - top, 2)
        canvas.fill(trousers, preserve=True)
        canvas.outline(1.0)
        canvas.rounded_rect(x - 2.6, bottom - 1.5, 5.2, 3.0, 1.5)
        canvas.fill(Palette.OUTLINE, preserve=False)
    # arms behind the body
    for side, lift in ((-1, -swing), (1, swing)):
        x = cx + side * 6.4
        canvas.rounded_rect(x - 1.8, 12.5 + lift * 0.3, 3.6, 9.0, 1.8)
        canvas.fill(shade(shirt, -0.1), preserve=True)
        canvas.outline(1.0)
        canvas.circle(x, 22.0 + lift * 0.3, 1.7)
        canvas.fill(skin, preserve=True)
        canvas.outline(0.8)
    # body
    canvas.rounded_rect(cx - 5.5, 11.5, 11.0, 12.0, 3.5)
    canvas.lit_fill(shirt, (cx - 5.5, 11.5, 11, 12))
    canvas.outline(outline)
    if direction == "Up":  # a small backpack seen from behind
        canvas.rounded_rect(cx - 3.5, 13.0, 7.0, 7.5, 2)
        canvas.fill(shade(trousers, 0.15), preserve=True)
        canvas.outline(1.0)
    # head
    canvas.circle(cx, 7.0, 5.2)
    canvas.fill(skin if direction == "Down" else hair, preserve=True)
    canvas.outline(outline)
    if direction == "Down":
        ctx.new_path()
        ctx.arc(cx, 7.0, 5.2, 3.3, 6.1)  # hair over the forehead
        ctx.close_path()
        canvas.fill(hair, preserve=True)
        canvas.outline(1.0)
        for ex in (-1.9, 1.9):
            canvas.circle(cx + ex, 8.0, 0.8)
            canvas.fill(Palette.OUTLINE, preserve=False)
    return canvas.image()


def draw():
    pictures = []
    for index, look in enumerate(WALKERS):
        for direction in DIRECTIONS:
            for step in range(STEPS):
                pictures.append(Picture("%sWalker%s_%s%04d.png" % (FOLDER, "ABCD"[index], direction, step + 1),
                                        walker(look, direction, step)))
    return pictures


CATEGORY = Category("people", FOLDERS, draw, __file__)
