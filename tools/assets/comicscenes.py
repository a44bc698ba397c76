"""The comic pages ("scenes/ComicsScene1.oscn" to "5") and the comics table that names them
("scenes/ComicsConfiguration.xml": the pages of map locations 7, 15, 23, 31 and 38).

A page: "Scene" holds the page's paper ("PageArea", a control over the whole screen whose
template is the opaque paper, so that a click anywhere on the page reaches the scene), the dark
background ("DarkBg"), the panels ("Parts": one part per panel, each with its "Picture" and its
boxes in "Bg") and the back button that appears at the end. The third page hands over to the
auction before its third panel ("NavToMini3Marker").
"""
from .art import comics
from .art.kit import Palette, to_hex
from .common import Output, asset, xml_document
from .fonts import DESCRIPTION as FONT_DESCRIPTION, font_file
from .registry import Module
from .scene import Key, KeyFrame, Node, eased_keys, hex_color, scene_file, transitions

TABLE = "scenes/ComicsConfiguration.xml"
LOCATIONS = (7, 15, 23, 31, 38)
MINI_GAME_PAGE, MINI_GAME_PART = 3, 2
WHITE = 0xFFFFFFFF
CLEAR = 0x00FFFFFF
USED = 0xFFC8C8C8  # a panel the story has moved past
DARK = 0x88101020
DARK_TEXT = hex_color(to_hex(Palette.OUTLINE))
APPEAR_MS, DISAPPEAR_MS = 300, 250
MARGIN, GAP, TOP = 32, 20, 40

# Per page, per panel: the boxes, each (kind, where, text key); where is "left", "right" (speech
# bubbles whose tails point to the speaker) or "caption". Kinds: TextBg waits for a click,
# TextBgNoWait follows by itself, TextBgNoDisappear follows and stays.
STORY = {
    1: [[("TextBgNoWait", "caption", 1), ("TextBg", "left", 2)],
        [("TextBg", "left", 3), ("TextBg", "right", 4)],
        [("TextBgNoDisappear", "caption", 5), ("TextBg", "right", 6)]],
    2: [[("TextBg", "right", 1)],
        [("TextBg", "right", 2)],
        [("TextBgNoWait", "caption", 3), ("TextBg", "right", 4)],
        [("TextBg", "left", 5), ("TextBg", "right", 6)]],
    3: [[("TextBg", "right", 1)],
        [("TextBg", "left", 2), ("TextBg", "right", 3)],
        [("TextBgNoWait", "caption", 4), ("TextBg", "right", 5)],
        [("TextBgNoDisappear", "caption", 6), ("TextBg", "left", 7)]],
    4: [[("TextBgNoWait", "caption", 1), ("TextBg", "left", 2), ("TextBg", "right", 3)],
        [("TextBg", "right", 4)],
        [("TextBg", "right", 5)]],
    5: [[("TextBg", "right", 1)],
        [("TextBg", "left", 2)],
        [],
        [("TextBgNoWait", "caption", 3), ("TextBg", "right", 4)],
        [("TextBgNoDisappear", "caption", 5), ("TextBg", "left", 6)]],
}


def text_key(page, number):
    return "Comics%d_%d" % (page, number)


def file_of(page):
    return "scenes/ComicsScene%d.oscn" % page


def picture(name):
    return name[len("scenes/"):]


def layout(sizes):
    """The panels' places: rows filled left to right, each row centred."""
    places, row, x, y, row_h = [], [], 0, TOP, 0
    rows = []
    for size in sizes:
        if row and x + size[0] > 1024 - 2 * MARGIN:
            rows.append((row, row_h))
            row, x, row_h = [], 0, 0
        row.append(size)
        x += size[0] + GAP
        row_h = max(row_h, size[1])
    rows.append((row, row_h))
    for row, row_h in rows:
        width = sum(w for w, _ in row) + GAP * (len(row) - 1)
        x = (1024 - width) / 2.0
        for w, h in row:
            places.append((x, y))
            x += w + GAP
        y += row_h + GAP
    return places


def fade(node, name, start, end, ms):
    node.state(name).animate(KeyFrame(["TintColor"], [Key(0, [start]), Key(ms, [end], glide=True)]))


def box(kind, where, key, panel_size, y):
    """A box at height y of its panel: a caption at the left, a bubble at its speaker's side."""
    w, h = panel_size
    if where == "caption":
        bw, bh = comics.CAPTION
        node = Node("BaseNode", kind, Position=(12, y, 2), CanBeHit=False)
        node.add(Node("SpriteNode", "Box", AtlasTexture=picture(comics.FOLDER + "Caption.png"),
                      Bounds=(bw + 8, bh + 8, 0), CanBeHit=False))
        node.add(Node("TextNode", "Text", Position=(14, 6, 1), Bounds=(bw - 28, bh - 14, 0),
                      Font=font_file("body_18"), FontSize=17.0, TextHAlign=1, TextVAlign=2,
                      WordWrap=True, TintColor=DARK_TEXT, Text="%" + key + "%", CanBeHit=False))
    else:
        bw, bh = comics.BUBBLE
        x = 10 if where == "left" else w - bw - 18
        node = Node("BaseNode", kind, Position=(max(4, x), y, 2), CanBeHit=False)
        base = "BubbleLeft.png" if where == "left" else "BubbleRight.png"
        node.add(Node("SpriteNode", "Box", AtlasTexture=picture(comics.FOLDER + base),
                      Bounds=(bw + 8, bh + 8, 0), CanBeHit=False))
        node.add(Node("TextNode", "Text", Position=(26, 10, 1), Bounds=(bw - 52, bh - 44, 0),
                      Font=font_file("body_18"), FontSize=17.0, TextHAlign=2, TextVAlign=2,
                      WordWrap=True, TintColor=DARK_TEXT, Text="%" + key + "%", CanBeHit=False))
    fade(node, "OnAppear", CLEAR, WHITE, APPEAR_MS)
    fade(node, "OnDisappear", WHITE, CLEAR, DISAPPEAR_MS)
    return node


def box_heights(boxes, panel_size):
    """The height of each box in its panel: captions one under the other from the top; then the
    bubbles side by side on a wide panel, one under the other on a narrow one."""
    y, heights = 12, []
    wide = panel_size[0] >= 900
    bubbles_y = None
    for kind, where, number in boxes:
        if where == "caption":
            heights.append(y)
            y += comics.CAPTION[1] + 8
        elif wide:
            bubbles_y = y if bubbles_y is None else bubbles_y
            heights.append(bubbles_y)
        else:
            heights.append(y)
            y += comics.BUBBLE[1] + 6
    return heights


def part(page, index, size, place):
    w, h = size
    node = Node("BaseNode", "Part%d" % (index + 1), Position=(place[0], place[1], 10),
                Bounds=(w, h, 0), CanBeHit=False)
    look = node.add(Node("SpriteNode", "Picture", AtlasTexture=picture(comics.name(page, index)),
                         Bounds=(w, h, 0), PivotPoint=(w / 2.0, h / 2.0),
                         Position=(w / 2.0, h / 2.0, 0), CanBeHit=False))
    look.state("OnAppear").animate(KeyFrame(["TintColor", "Scale"], [
        Key(0, [CLEAR, (0.92, 0.92, 1.0)]),
        Key(APPEAR_MS, [WHITE, (1.0, 1.0, 1.0)], glide=True)]))
    fade(look, "OnDisappear", WHITE, USED, DISAPPEAR_MS)
    fade(look, "Unhide", USED, WHITE, APPEAR_MS)
    if page == MINI_GAME_PAGE and index == MINI_GAME_PART:
        node.add(Node("BaseNode", "NavToMini3Marker", CanBeHit=False))
    boxes = STORY[page][index]
    if boxes:
        bg = node.add(Node("BaseNode", "Bg", CanBeHit=False))
        for (kind, where, number), y in zip(boxes, box_heights(boxes, size)):
            bg.add(box(kind, where, text_key(page, number), size, y))
    return node


def page_scene(page):
    root = Node("SceneNode", "ComicsScene%d" % page, class_override="GComicsScene",
                Position=(0, 0, 2000), Bounds=(1024, 768, 0))
    scene = root.add(Node("ControlNode", "Scene", Position=(0, 0, 0), CanBeHit=False))
    transitions.fade(scene)
    for name in ("NavToComics3", "NoTransTo"):
        scene.state(name).animate(KeyFrame(["TintColor"], [Key(0, [WHITE]), Key(1, [WHITE])]))
    # Handing over to the auction, the page fades out: it stays below the mini-game (in front
    # of it by depth) until the player comes back to it, and fades in again then.
    scene.state("NavFromComics3").animate(KeyFrame(["TintColor"], eased_keys(
        WHITE, WHITE & 0x00FFFFFF, transitions.FADE_OUT_MS, steps=3)))
    scene.add(Node("ControlNode", "PageArea", TemplateName="ComicsPaper", Position=(0, 0, 0),
                   Bounds=(1024, 768, 0), WantFocus=False))
    dark = scene.add(Node("SpriteNode", "DarkBg", Position=(0, 0, 5), Bounds=(1024, 768, 0),
                          AtlasTexture=picture(comics.PAPER_FILE), ImageStretchX=1,
                          ImageStretchY=1, TintColor=DARK & 0x00FFFFFF, CanBeHit=False))
    fade(dark, "OnAppear", DARK & 0x00FFFFFF, DARK, 600)
    fade(dark, "OnDisappear", DARK, DARK & 0x00FFFFFF, 600)
    parts = scene.add(Node("BaseNode", "Parts", CanBeHit=False))
    sizes = comics.PAGES[page]
    for index, (size, place) in enumerate(zip(sizes, layout(sizes))):
        parts.add(part(page, index, size, place))
    back = scene.add(Node("ButtonNode", "BackButton", TemplateName="ButtonGreenSmall",
                          Position=(840, 708, 40), Bounds=(160, 44, 0), Text="%Continue%"))
    fade(back, "OnAppear", CLEAR, WHITE, APPEAR_MS)
    return root


def table():
    lines = ["<ComicsConfiguration>"]
    for page, location in enumerate(LOCATIONS, start=1):
        lines.append('\t<Comics><Level Value="%d"/><ScenePath Value="%s"/></Comics>'
                     % (location, file_of(page)))
    lines.append("</ComicsConfiguration>")
    return "\n".join(lines) + "\n"


def build():
    out = Output()
    for page in comics.PAGES:
        out.add(asset(file_of(page)), scene_file(page_scene(page)))
    out.add_xml(asset(TABLE), table())
    return out


MODULE = Module("comicscenes", build, __file__, inputs=[FONT_DESCRIPTION],
                outputs=[asset(file_of(p)) for p in comics.PAGES] + [asset(TABLE)])
