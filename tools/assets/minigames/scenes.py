"""The mini-games' level folders and the two templates they take from the menus' collection.

Per description (description.py), "assets/levels/<folder>/":
- "Level.oscn": the root of the game's class with one child "Scene" (a control that is never hit
  itself; the transitions are its states) holding, in child order, the backdrop (never hit),
  "Game" and "UI". A hidden-object game's "Game" holds "BgObjects" (the hint trail
  "HintTrailNode", a path mover whose "Spark" shows while it walks; the found effect's spawner
  "FoundNode", which "On" lets spawn stars for 100 ms; and, in the free games, the ring of sparks
  "HintHighlight" played by "HintOn" and "HintOff") and "HitObjects", the items. The auction's
  "Game" holds the three zones, each with its banknote "Obj". "UI" holds the guide "Linet", her
  briefing "LinetText", the counters and dials the game's class writes, and the buttons. Only
  the items, the zones and the buttons can be hit, so a click on an item's click point reaches
  that item whatever lies drawn around it.
- "MiniGameConfiguration.xml": MaxLevelTime, ExpertScore and what the game's class reads.
- "HintPaths.xml" (hidden-object games): per item a car path named after it, from the hint
  button to the item's click point.
- "Backdrop.jpg" and the pictures of art.py, packed into the game's atlas.
The click points (a fully opaque pixel of each item, well inside it, in screen coordinates) are
written to "tests/assets/MiniGameClickPoints.txt" for the lint and the autoplay.
"""
import math

from PIL import Image

from ..common import Output, asset, element, fmt_float
from ..registry import Module
from ..scene import Key, KeyFrame, Node, Prop, SetProps, eased_keys, hex_color, scene_file, \
    transitions
from . import art, description

CLICK_POINTS = "tests/assets/MiniGameClickPoints.txt"
SCREEN = art.SCREEN
WHITE = 0xFFFFFFFF
CLEAR = 0x00FFFFFF
INK = 0xFF3A2A1E
GOLD = hex_color("#F7C331")
PANEL_FILL = hex_color("#FFF4DC", 235)
PANEL_EDGE = hex_color("#7A5A3A")
FONTS = "../../scenes/fonts/%s.ofnt"
SHARED = "../../scenes/images/MiniGames/"

# Where the interface lies; the items keep out of these boxes (x, y, w, h).
COUNTERS = (700, 8, 316, 84)
PREVIEW_PANEL = (8, 8, 148, 150)
BUTTONS = (672, 704, 344, 56)
BUTTON = (160, 44)
HINT_BUTTON_AT = (680, 710)
MENU_BUTTON_AT = (852, 710)
HINT_START = (760, 700)
LINET_AT = (12, 540)
BUBBLE_AT = (150, 560)
# The auction.
ZONE = (220, 150)
ZONE_X = (112, 402, 692)
ZONE_Y = 360
DIAL_AT = (900, 16)
SCORE_PANEL = (760, 700, 256, 60)
FOUND_STAR_TEMPLATE = "HOFoundStarNode"
TEXT_TRAIL_TEMPLATE = "TextTrailStar"
FOUND_ON_MS = 100
WINDOW = 2  # a click point's neighbours within this many pixels are opaque too


def font(name):
    return FONTS % name


def text(name, size_name, size, position, bounds, halign=1, valign=2, color=INK, **props):
    node = Node("TextNode", name, Position=position, Bounds=(bounds[0], bounds[1], 0),
                Font=font(size_name), FontSize=float(size), TextHAlign=halign,
                TextVAlign=valign, CanBeHit=False, **props)
    if color != WHITE:
        node.set("TintColor", color)
    return node


def frame(name, box, z):
    x, y, w, h = box
    return Node("BaseNode", name, class_override="GRectangleNode", Position=(x, y, z),
                Bounds=(w, h, 0), FillColor=Prop("color", PANEL_FILL),
                BorderColor=Prop("color", PANEL_EDGE), CanBeHit=False)


def overlaps(a, b):
    return a[0] < b[0] + b[2] and b[0] < a[0] + a[2] and a[1] < b[1] + b[3] and b[1] < a[1] + a[3]


# --- Click points ---------------------------------------------------------------------------

def click_point(image):
    """A pixel of the picture whose neighbours within WINDOW pixels are all fully opaque, the one
    nearest the opaque pixels' centre; None when there is none."""
    alpha = image.getchannel("A")
    w, h = image.size
    pixels = alpha.load()
    solid = [(x, y) for y in range(h) for x in range(w) if pixels[x, y] == 255]
    if not solid:
        return None
    cx = sum(p[0] for p in solid) / len(solid)
    cy = sum(p[1] for p in solid) / len(solid)
    best = None
    for x, y in solid:
        if x < WINDOW or y < WINDOW or x >= w - WINDOW or y >= h - WINDOW:
            continue
        if all(pixels[x + dx, y + dy] == 255 for dx in range(-WINDOW, WINDOW + 1)
               for dy in range(-WINDOW, WINDOW + 1)):
            d = (x - cx) ** 2 + (y - cy) ** 2
            if best is None or d < best[0]:
                best = (d, x, y)
    return None if best is None else (best[1], best[2])


def item_points(game):
    """Each item's click point on the screen, by item name, in child order."""
    points = {}
    for item in game.get("items", []):
        x, y, w, h = item["box"]
        image = art.item_image(item["shape"], (w, h), art.rgb(item["colour"]))
        point = click_point(image)
        if point is None:
            raise ValueError("%s: %s has no solid pixel to click" % (game["folder"], item["name"]))
        points[item["name"]] = (x + point[0], y + point[1])
    return points


def check_layout(game):
    """Items lie whole on the screen, apart from each other and from the interface."""
    keep_out = [COUNTERS, BUTTONS]
    if game["class"] == "GMiniGameHidden2Scene":
        keep_out.append(PREVIEW_PANEL)
    items = game.get("items", [])
    names = [i["name"] for i in items]
    if len(set(names)) != len(names):
        raise ValueError("%s: item names repeat" % game["folder"])
    for index, item in enumerate(items):
        box = item["box"]
        if box[0] < 0 or box[1] < 0 or box[0] + box[2] > SCREEN[0] or box[1] + box[3] > SCREEN[1]:
            raise ValueError("%s: %s leaves the screen" % (game["folder"], item["name"]))
        for other in items[:index]:
            if overlaps(box, other["box"]):
                raise ValueError("%s: %s lies on %s" % (game["folder"], item["name"],
                                                        other["name"]))
        for area in keep_out:
            if overlaps(box, area):
                raise ValueError("%s: %s lies under the interface" % (game["folder"],
                                                                      item["name"]))


# --- Hint paths -----------------------------------------------------------------------------

def hint_path(start, end, steps=8):
    """A gentle arc from the start to the end point, `steps` segments long."""
    (sx, sy), (ex, ey) = start, end
    mx, my = (sx + ex) / 2.0, (sy + ey) / 2.0
    dx, dy = ex - sx, ey - sy
    length = math.hypot(dx, dy) or 1.0
    bend = min(120.0, length * 0.3)
    cx, cy = mx - dy / length * bend, my + dx / length * bend
    points = []
    for k in range(steps + 1):
        t = k / float(steps)
        x = (1 - t) ** 2 * sx + 2 * (1 - t) * t * cx + t * t * ex
        y = (1 - t) ** 2 * sy + 2 * (1 - t) * t * cy + t * t * ey
        points.append((round(x, 1), round(y, 1)))
    points[-1] = (float(ex), float(ey))
    return points


def hint_paths_text(game):
    lines = ["<LevelPaths>", "\t<CarPaths>"]
    for name, point in item_points(game).items():
        lines.append("\t\t" + element("Path", [("ID", name)], empty=False))
        for x, y in hint_path(HINT_START, point):
            lines.append("\t\t\t" + element("p", [("p", "%s;%s" % (fmt_float(x), fmt_float(y)))]))
        lines.append("\t\t</Path>")
    lines += ["\t</CarPaths>", "\t<PedestrianPaths>", "\t</PedestrianPaths>", "</LevelPaths>"]
    return "\n".join(lines) + "\n"


def hint_paths_file(game):
    return "levels/%s/HintPaths.xml" % game["folder"]


# --- Configuration --------------------------------------------------------------------------

def configuration_text(game):
    lines = ["<MiniGame>",
             "\t" + element("MaxLevelTime", [("Value", game["MaxLevelTime"])]),
             "\t" + element("ExpertScore", [("Value", game["ExpertScore"])])]
    if game.get("items"):
        lines.append("\t" + element("HintPaths", [("Value", hint_paths_file(game))]))
    if "HintTrailVelocity" in game:
        lines.append("\t" + element("HintTrailVelocity",
                                    [("Value", fmt_float(game["HintTrailVelocity"]))]))
        lines.append("\t" + element("HintTrailPPS", [("Value", game["HintTrailPPS"])]))
    if game["class"] == "GMiniGameHidden2Scene":
        lines.append("\t<ItemsToFind>")
        for item in game["items"]:
            lines.append("\t\t" + element("Item", [("Name", item["name"]),
                                                   ("Filename", item["name"])]))
        lines.append("\t</ItemsToFind>")
    if "sequence" in game:
        lines.append("\t<Sequence>")
        for m, d in game["sequence"]:
            lines.append("\t\t" + element("S", [("M", m), ("D", d)]))
        lines.append("\t</Sequence>")
    lines.append("</MiniGame>")
    return "\n".join(lines) + "\n"


# --- The scene ------------------------------------------------------------------------------

def guide(briefing):
    """Linet and her briefing. The game makes the briefing clear at its start and plays
    "Appear"; the first click plays "Disappear" on both."""
    linet = Node("SpriteNode", "Linet", AtlasTexture=SHARED + "Guide.png",
                 Position=(LINET_AT[0], LINET_AT[1], 50), Bounds=(art.GUIDE[0], art.GUIDE[1], 0),
                 CanBeHit=False)
    linet.state("Disappear").animate(KeyFrame(["Position", "TintColor"], [
        Key(0, [(LINET_AT[0], LINET_AT[1], 50), WHITE]),
        Key(300, [(LINET_AT[0], LINET_AT[1] + 60, 50), CLEAR], glide=True)])).at_end(
        SetProps(Visible=False))
    w, h = art.BUBBLE
    words = Node("BaseNode", "LinetText", Position=(BUBBLE_AT[0], BUBBLE_AT[1], 51),
                 Bounds=(w, h, 0), CanBeHit=False, TintColor=CLEAR)
    words.add(Node("SpriteNode", "Bubble", AtlasTexture=SHARED + "Bubble.png", Bounds=(w, h, 0),
                   CanBeHit=False))
    words.add(text("Text", "body_18", 18, (40, 12, 1), (w - 64, h - 34), valign=2,
                   WordWrap=True, Text="%" + briefing + "%"))
    words.state("Appear").at_start(SetProps(Visible=True)).animate(
        KeyFrame(["TintColor"], eased_keys(CLEAR, WHITE, 300, steps=3)))
    words.state("Disappear").animate(
        KeyFrame(["TintColor"], [Key(0, [WHITE]), Key(250, [CLEAR], glide=True)])).at_end(
        SetProps(Visible=False))
    return linet, words


def buttons(ui, hint=True):
    if hint:
        ui.add(Node("ButtonNode", "HintButton", TemplateName="ButtonOrangeSmall",
                    Position=(HINT_BUTTON_AT[0], HINT_BUTTON_AT[1], 60),
                    Bounds=(BUTTON[0], BUTTON[1], 0), Text="%MiniGame_Hint%"))
    ui.add(Node("ButtonNode", "MenuButton", TemplateName="ButtonGreenSmall",
                Position=(MENU_BUTTON_AT[0], MENU_BUTTON_AT[1], 60),
                Bounds=(BUTTON[0], BUTTON[1], 0), Text="%MiniGame_Menu%"))


def counters(ui):
    x, y, w, h = COUNTERS
    ui.add(frame("CounterPanel", COUNTERS, 40))
    third = w // 3
    for index, (name, label, value) in enumerate((("ObjCount", "%MiniGame_ItemsLeft%", "0"),
                                                  ("TimeTarg", "%MiniGame_Time%", "00:00"),
                                                  ("TimeCurr", "%MiniGame_Target%", "00:00"))):
        left = x + index * third
        ui.add(text(name + "Label", "arial_14_crisp", 14, (left + 4, y + 8, 41),
                    (third - 8, 20), halign=2, Text=label))
        ui.add(text(name, "button_24", 24, (left + 4, y + 34, 41), (third - 8, 36), halign=2,
                    color=WHITE, Text=value))


def hint_trail(particles):
    trail = Node("GPathMovableNode", "HintTrailNode", Position=(HINT_START[0], HINT_START[1], 0),
                 CanBeHit=False)
    w, h = art.SPARKLE
    spark = trail.add(Node("SpriteNode", "Spark", AtlasTexture=SHARED + "Sparkle.png",
                           Position=(0, 0, 0), PivotPoint=(w / 2.0, h / 2.0), Bounds=(w, h, 0),
                           CanBeHit=False, Visible=False))
    spark.state("Start").at_start(SetProps(Visible=True, TintColor=WHITE)).animate(
        KeyFrame(["Scale", "Rotation"], [
            Key(0, [(0.8, 0.8, 1.0), (0, 0, 0)]),
            Key(250, [(1.3, 1.3, 1.0), (0, 0, 90)], glide=True),
            Key(250, [(0.8, 0.8, 1.0), (0, 0, 180)], glide=True, goto=0)]))
    spark.state("Stop").animate(KeyFrame(["TintColor"], [Key(0, [WHITE]),
                                                        Key(300, [CLEAR], glide=True)])).at_end(
        SetProps(Visible=False))
    if particles:
        trail.add(Node("ParticleSystemNode", "Particles", CanBeHit=False))
    return trail


def found_node():
    node = Node("SpawnerNode", "FoundNode", Position=(0, 0, 0), CanBeHit=False,
                ObjTemplate=FOUND_STAR_TEMPLATE, Enabled=False,
                ObjectsPerSecRange=Prop("vector2d", (250, 250)),
                ObjectsLifeTimeRange=Prop("vector2d", (700, 1000)),
                ObjectsXDeltaRange=Prop("vector2d", (-6, 6)),
                ObjectsYDeltaRange=Prop("vector2d", (-6, 6)),
                ObjectsRotationDeltaRange=Prop("vector2d", (0, 360)))
    node.state("On").at_start(SetProps(Enabled=True)).animate(
        KeyFrame(["TintColor"], [Key(0, [WHITE]), Key(FOUND_ON_MS, [WHITE])])).at_end(
        SetProps(Enabled=False))
    return node


def highlight():
    node = Node("GHOHintParticlesNode", "HintHighlight", Position=(0, 0, 0), CanBeHit=False,
                ConfigurationFilename=Prop("string", "levels/common/Effects/HintRing.xml"),
                AtlasTexture="../../particles/HintSpark.png", Enabled=False)
    node.state("HintOn").at_start(SetProps(Enabled=True))
    node.state("HintOff").at_start(SetProps(Enabled=False))
    return node


def hidden_scene(game):
    check_layout(game)
    base = root_and_scene(game)
    root, scene = base
    ordered = game["class"] == "GMiniGameHidden2Scene"
    play = scene.add(Node("ControlNode", "Game", Bounds=(SCREEN[0], SCREEN[1], 0)))
    effects = play.add(Node("BaseNode", "BgObjects", Position=(0, 0, 30), CanBeHit=False))
    effects.add(hint_trail(particles=ordered))
    effects.add(found_node())
    if not ordered:
        effects.add(highlight())
    items = play.add(Node("BaseNode", "HitObjects", Position=(0, 0, 10)))
    for item in game["items"]:
        x, y, w, h = item["box"]
        items.add(Node("SpriteNode", item["name"], AtlasTexture="Items/%s.png" % item["name"],
                       Position=(x, y, 0), Bounds=(w, h, 0)))
    ui = scene.add(Node("ControlNode", "UI", Position=(0, 0, 100),
                        Bounds=(SCREEN[0], SCREEN[1], 0)))
    counters(ui)
    if ordered:
        x, y, w, h = PREVIEW_PANEL
        ui.add(frame("PreviewPanel", PREVIEW_PANEL, 40))
        ui.add(text("PreviewLabel", "arial_14_crisp", 14, (x + 4, y + 6, 41), (w - 8, 20),
                    halign=2, Text="%MiniGame_FindThis%"))
        pw, ph = art.PREVIEW
        ui.add(Node("SpriteNode", "PrevewImage", Position=(x + (w - pw) // 2, y + 36, 41),
                    Bounds=(pw, ph, 0), CanBeHit=False))
    for node in guide(game["briefing"]):
        ui.add(node)
    buttons(ui)
    return root


def root_and_scene(game):
    root = Node("SceneNode", "MiniGame", class_override=game["class"],
                Bounds=(SCREEN[0], SCREEN[1], 0))
    scene = root.add(Node("ControlNode", "Scene", Bounds=(SCREEN[0], SCREEN[1], 0)))
    transitions.fade(scene)
    scene.add(Node("SpriteNode", "Backdrop", AtlasTexture="Backdrop.jpg", Position=(0, 0, 0),
                   Bounds=(SCREEN[0], SCREEN[1], 0), CanBeHit=False))
    return root, scene


def money(value, over=False):
    return "Money/%d%s.png" % (value, "over" if over else "")


def zone(index):
    w, h = ZONE
    node = Node("ControlNode", "Zone%d" % index, Position=(ZONE_X[index - 1], ZONE_Y, 10),
                Bounds=(w, h, 0))
    bw, bh = art.BANKNOTE
    at = ((w - bw) / 2.0 + bw / 2.0, (h - bh) / 2.0 + bh / 2.0, 0)
    obj = node.add(Node("SpriteNode", "Obj", AtlasTexture=money(index), Position=at,
                        PivotPoint=(bw / 2.0, bh / 2.0), Bounds=(bw, bh, 0)))
    for state, over, scale in (("Normal", False, 1.0), ("NormalHover", True, 1.04),
                               ("Pressed", False, 0.97)):
        obj.state(state).animate(SetProps(AtlasTexture=money(index, over))).animate(
            KeyFrame(["Scale"], [Key(0, [(scale, scale, 1.0)]), Key(80, [(scale, scale, 1.0)])]))
    return node


def auction_scene(game):
    root, scene = root_and_scene(game)
    play = scene.add(Node("ControlNode", "Game", Bounds=(SCREEN[0], SCREEN[1], 0)))
    for index in (1, 2, 3):
        play.add(zone(index))
    ui = scene.add(Node("ControlNode", "UI", Position=(0, 0, 100),
                        Bounds=(SCREEN[0], SCREEN[1], 0)))
    dx, dy = DIAL_AT
    dw, dh = art.DIAL
    ui.add(Node("SpriteNode", "Dial", AtlasTexture=SHARED + "Dial.png", Position=(dx, dy, 40),
                Bounds=(dw, dh, 0), CanBeHit=False))
    ui.add(Node("GEllipseSectorNode", "Ellipse", Position=(dx + 10, dy + 10, 40.5),
                Bounds=(dw - 20, dh - 20, 0), FillColor=Prop("color", hex_color("#F39A2B", 150)),
                Angle2=Prop("int", 0), CanBeHit=False))
    hw, hh = art.HAND
    ui.add(Node("SpriteNode", "LongArrow", AtlasTexture=SHARED + "Hand.png",
                Position=(dx + dw / 2.0, dy + dh / 2.0, 41), PivotPoint=(hw / 2.0, hh - 4),
                Bounds=(hw, hh, 0), CanBeHit=False))
    ui.add(frame("TimePanel", (dx - 160, dy + 24, 150, 48), 40))
    ui.add(text("TimeLeftLabel", "arial_14_crisp", 14, (dx - 156, dy + 26, 41), (142, 18),
                halign=2, Text="%MiniGame_TimeLeft%"))
    ui.add(text("TimeLeft", "button_24", 24, (dx - 156, dy + 42, 41), (142, 30), halign=2,
                color=WHITE, Text="01:00"))
    x, y, w, h = SCORE_PANEL
    ui.add(frame("ScorePanel", SCORE_PANEL, 40))
    ui.add(text("ScoreLabel", "body_18", 18, (x + 10, y + 4, 41), (100, h - 8),
                Text="%MiniGame_Score%"))
    ui.add(text("ScoreText", "button_24", 24, (x + 110, y + 4, 41), (w - 120, h - 8), halign=3,
                color=GOLD, Text="0"))
    for node in guide(game["briefing"]):
        ui.add(node)
    ui.add(Node("ButtonNode", "MenuButton", TemplateName="ButtonGreenSmall",
                Position=(16, 16, 60), Bounds=(BUTTON[0], BUTTON[1], 0), Text="%MiniGame_Menu%"))
    return root


def level_scene(game):
    return auction_scene(game) if game["class"] == "GMiniGameAuctionScene" else hidden_scene(game)


# --- Templates (the menus' collection: the mini-games run in the first scene manager) --------

def found_star_template():
    """A star of the found burst: it flies out, slows down (the game times the slowing by the
    item's size), spins and fades."""
    root = Node("GShieldStarNode", FOUND_STAR_TEMPLATE, CanBeHit=False,
                VelocityAngleRange=Prop("vector2d", (0, 360)),
                VelocityRange=Prop("vector2d", (140, 260)),
                Accel1Range=Prop("vector2d", (-420, -300)),
                Accel1StartTimeRange=Prop("vector2d", (240, 240)),
                Accel1EndTimeRange=Prop("vector2d", (420, 420)),
                Accel2Range=Prop("vector2d", (0, 0)),
                Accel2StartTimeRange=Prop("vector2d", (0, 0)),
                Accel2EndTimeRange=Prop("vector2d", (0, 0)),
                AngleRange=Prop("vector2d", (0, 360)),
                AngularVelocityRange=Prop("vector2d", (-240, 240)),
                LifeTime=Prop("int", 900))
    w, h = art.STAR
    image = root.add(Node("SpriteNode", "Image", AtlasTexture="images/MiniGames/Star.png",
                          Position=(0, 0, 0), PivotPoint=(w / 2.0, h / 2.0), Bounds=(w, h, 0),
                          CanBeHit=False))
    image.state("Shine").animate(KeyFrame(["TintColor", "Scale"], [
        Key(0, [WHITE, (0.6, 0.6, 1.0)]),
        Key(150, [WHITE, (1.1, 1.1, 1.0)], glide=True),
        Key(450, [0xC0FFFFFF, (0.9, 0.9, 1.0)], glide=True),
        Key(300, [CLEAR, (0.5, 0.5, 1.0)], glide=True)]))
    image.default_state = "Shine"
    return root


def text_trail_template():
    """The auction's flying points: pops up at the cursor ("Start"), glides to the score and
    fades away there ("Die")."""
    root = Node("GTextTrailNode", TEXT_TRAIL_TEMPLATE, CanBeHit=False)
    w, h = 80, 36
    label = root.add(Node("TextNode", "Text", Position=(0, 0, 0), Bounds=(w, h, 0),
                          PivotPoint=(w / 2.0, h / 2.0), Font="fonts/button_24.ofnt",
                          FontSize=24.0, TextHAlign=2, TextVAlign=2, TintColor=GOLD,
                          CanBeHit=False, Text="15"))
    label.state("Start").animate(KeyFrame(["Scale", "TintColor"], [
        Key(0, [(0.5, 0.5, 1.0), CLEAR]),
        Key(120, [(1.3, 1.3, 1.0), GOLD], glide=True),
        Key(120, [(1.0, 1.0, 1.0), GOLD], glide=True)]))
    label.state("Die").animate(KeyFrame(["Scale", "TintColor"], [
        Key(0, [(1.0, 1.0, 1.0), GOLD]),
        Key(600, [(1.4, 1.4, 1.0), GOLD & 0x00FFFFFF], glide=True)]))
    return root


def templates():
    return [found_star_template(), text_trail_template()]


# --- The module ----------------------------------------------------------------------------

def click_points_text():
    lines = ["# The click point of every hidden item: folder, item, x, y on the 1024 x 768 "
             "screen.", "# Made by tools/assets/minigames/scenes.py; do not edit."]
    for game in description.games():
        for name, (x, y) in item_points(game).items():
            lines.append("%s %s %d %d" % (game["folder"], name, x, y))
    return "\n".join(lines) + "\n"


def build():
    out = Output()
    for game in description.games():
        base = "levels/%s/" % game["folder"]
        out.add(asset(base + "Level.oscn"), scene_file(level_scene(game)))
        out.add_jpeg(asset(base + "Backdrop.jpg"), art.backdrop(game).convert("RGB"))
        out.add_xml(asset(base + "MiniGameConfiguration.xml"), configuration_text(game))
        if game.get("items"):
            out.add_xml(asset(hint_paths_file(game)), hint_paths_text(game))
    out.add(CLICK_POINTS, click_points_text().encode("utf-8"))
    return out


MODULE = Module("minigames", build, __file__, inputs=description.INPUTS,
                outputs=[asset("levels/%s/%s" % (g["folder"], f)) for g in description.games()
                         for f in ("Level.oscn", "MiniGameConfiguration.xml", "HintPaths.xml",
                                   "Backdrop.jpg")]
                + [CLICK_POINTS])
