"""The world map's scene file, "scenes/MapScene.oscn", the level loading screen's,
"scenes/LoadingLevelScene.oscn", and the template of a map location, "MapLocationButton" (added to
the shared template collection).

The map ("Scene"): the land with its road, the 39 location buttons of "LocationButtons" in road
order (each names the level played there and shows "%Map_LocN%" as its name), the buttons
"PlayButton", "ShopButton" and "BackButton", and the six level hints "LevelHint1Node" to
"LevelHint6Node" (small ones for a level without obligatory upgrades, large ones with the two
upgrade rows), each drawn so that its arrows' tips lie on the pivot points the map gives it.

A location's Position is the centre of its platform (its pivot point), so the hints point at it.
"""
from . import templates, upgrades
from .art import map as mapart
from .common import Output, asset
from .fonts import DESCRIPTION as FONT_DESCRIPTION, font_file
from .registry import Module
from .scene import Key, KeyFrame, Node, Prop, hex_color, scene_file, transitions

MAP_FILE = "scenes/MapScene.oscn"
LOADING_FILE = "scenes/LoadingLevelScene.oscn"
TEMPLATE = "MapLocationButton"

WHITE = 0xFFFFFFFF
CLEAR = 0x00FFFFFF
DARK_TEXT = hex_color("#3A2A1E")
HINT_DEPTH = 3000
BUTTON_DEPTH = 100
BUTTON_SIZE = (160, 44)
WAVE_MS = 1600
WAVE_LIFT = 4
HOVER_STATES = ("NormalHover", "FocusHover", "Press", "Pressed")
PLAIN_STATES = ("Normal", "NormalKillHover", "Focus", "KillFocus", "FocusKillHover", "KillPressed",
                "NormalDisable", "FocusDisable")
PRESS_MS = 90
# The loading screen's bar (the preloader's pictures).
BAR_POSITION = (232, 560)
BAR_SIZE = (560, 36)


def level_name(location):
    """The level folder played at a location (the level scores table names the same ones)."""
    return upgrades.location_names()[location]


def picture(full_name):
    return full_name[len("scenes/"):]


def _sprite(name, base, position, size, **props):
    return Node("SpriteNode", name, Position=position, Bounds=(size[0], size[1], 0),
                AtlasTexture=picture(mapart.name(base)), **props)


def _text(name, position, bounds, font="body_18", size=18, halign=1, color=DARK_TEXT, **props):
    node = Node("TextNode", name, Position=position, Bounds=(bounds[0], bounds[1], 0),
                Font=font_file(font), FontSize=float(size), TextHAlign=halign, TextVAlign=2,
                CanBeHit=False, **props)
    node.set("TintColor", color)
    return node


# --- The location template ------------------------------------------------------------------

def location_template():
    w, h = mapart.BUTTON_SIZE
    root = Node("BaseNode", TEMPLATE, Bounds=(w, h, 0))
    pw, ph = mapart.PLATFORM_SIZE
    sw, sh = mapart.SELECTOR_SIZE
    hover = root.add(_sprite("Hover", "Hover", (0, h - sh - 2, 0), (sw, sh), TintColor=CLEAR,
                             CanBeHit=False))
    for state in HOVER_STATES:
        hover.state(state).animate(KeyFrame(["TintColor"], [Key(0, [WHITE]),
                                                            Key(PRESS_MS, [WHITE])]))
    for state in PLAIN_STATES:
        hover.state(state).animate(KeyFrame(["TintColor"], [Key(0, [CLEAR])]))
    root.add(_sprite("Selector", "Selector", (0, h - sh - 2, 1), (sw, sh), Visible=False,
                     CanBeHit=False))
    group = root.add(Node("BaseNode", "Star", Position=(0, 0, 2), Bounds=(w, h, 0)))
    group.add(_sprite("Platform", "Platform", ((w - pw - 4) / 2.0, h - ph - 10, 0),
                      (pw + 4, ph + 4)))
    star_w, star_h = mapart.STAR_SIZE
    group.add(Node("SpriteNode", "Star", Position=((w - star_w) / 2.0, 2, 1),
                   Bounds=(star_w, star_h, 0)))
    # the whole location bobs gently; the map staggers the phase along the road
    group.state("Wave").animate(KeyFrame(
        ["Position"], [Key(0, [(0, 0, 2)]), Key(WAVE_MS // 2, [(0, -WAVE_LIFT, 2)], glide=True),
                       Key(WAVE_MS // 2, [(0, 0, 2)], glide=True, goto=0)]))
    return root


# --- The map --------------------------------------------------------------------------------

def locations():
    layer = Node("ControlNode", "LocationButtons", CanBeHit=False)
    w, h = mapart.BUTTON_SIZE
    pivot = (w / 2.0, h - 10 - mapart.PLATFORM_SIZE[1] / 2.0)
    for index, (x, y) in enumerate(mapart.location_centres()):
        layer.add(Node("GMapLocationButton", "Location%d" % index, TemplateName=TEMPLATE,
                       Position=(x, y, 10 + index), PivotPoint=pivot, Bounds=(w, h, 0),
                       Text="%%Map_Loc%d%%" % index, AssociatedLevelName=Prop("string", level_name(index))))
    return layer


def hint(index):
    large = index > 2
    height = mapart.HINT_LARGE_HEIGHT if large else mapart.HINT_SMALL_HEIGHT
    width = mapart.HINT_WIDTH
    node = Node("BaseNode", "LevelHint%dNode" % index, Position=(0, 0, HINT_DEPTH),
                Bounds=(width, height, 0), Visible=False, CanBeHit=False)
    node.add(_sprite("Panel", "HintLarge" if large else "HintSmall", (0, 0, 0), (width, height),
                     CanBeHit=False))
    node.add(_text("LevelText", (14, 8, 2), (width - 28, 24), font="button_24", size=20))
    node.add(_text("TimeText", (14, 32, 2), (width - 28, 20), font="arial_14_crisp", size=14))
    node.add(_text("RankText", (14, 54, 2), (width - 28, 20), font="arial_14_crisp", size=14))
    rows = ((82, 1), (122, 2)) if large else ((54, 1), (54, 2))
    for top, n in rows:
        node.add(Node("SpriteNode", "Icon%d" % n, Position=(12, top - 4, 2),
                      Bounds=(mapart.ICON_SIZE, mapart.ICON_SIZE, 0), CanBeHit=False,
                      Visible=large))
        node.add(_text("Place%dText" % n, (56, top + 4, 2), (92, 24), font="arial_14_crisp",
                       size=14, Visible=large))
        node.add(Node("SpriteNode", "Place%dSign" % n, Position=(width - 38, top + 2, 2),
                      Bounds=(mapart.SIGN_SIZE[0], mapart.SIGN_SIZE[1], 0), CanBeHit=False,
                      Visible=large))
    down = mapart.ARROW_DOWN_LARGE if large else mapart.ARROW_DOWN_SMALL
    side_w, side_h = mapart.ARROW_SIDE
    node.add(_sprite("Arrow", "HintArrowLong" if large else "HintArrowShort",
                     ((width - down[0]) / 2.0, height - 2, 1), down, CanBeHit=False))
    node.add(_sprite("ArrowL", "HintArrowLeft", (-side_w + 2, height / 2.0 - side_h / 2.0, 1),
                     mapart.ARROW_SIDE, Visible=False, CanBeHit=False))
    node.add(_sprite("ArrowR", "HintArrowRight", (width - 2, height / 2.0 - side_h / 2.0, 1),
                     mapart.ARROW_SIDE, Visible=False, CanBeHit=False))
    return node


def map_scene():
    root = Node("SceneNode", "MapScene", class_override="GMapScene", Bounds=(1024, 768, 0))
    scene = root.add(Node("ControlNode", "Scene", Bounds=(1024, 768, 0), CanBeHit=False))
    transitions.fade(scene)
    scene.add(_sprite("Land", "Land", (0, 0, 0), (1024, 768), CanBeHit=False))
    scene.add(locations())
    y = 768 - BUTTON_SIZE[1] - 24
    for name, template, key, x in (("BackButton", "ButtonOrangeSmall", "Back", 24),
                                   ("ShopButton", "ButtonOrangeSmall", "Map_Shop", 432),
                                   ("PlayButton", "ButtonGreenSmall", "Map_Play", 1024 - 24 - 160)):
        scene.add(Node("ButtonNode", name, TemplateName=template,
                       Position=(x, y, BUTTON_DEPTH), Bounds=(BUTTON_SIZE[0], BUTTON_SIZE[1], 0),
                       Text="%" + key + "%"))
    for index in range(1, 7):
        scene.add(hint(index))
    return root


# --- The loading screen ---------------------------------------------------------------------

def loading_scene():
    root = Node("SceneNode", "LoadingLevelScene", class_override="GLoadingLevelScene",
                Bounds=(1024, 768, 0))
    scene = root.add(Node("BaseNode", "Scene", Bounds=(1024, 768, 0)))
    transitions.fade(scene)
    # the comics open the loading screen with a transition of their own
    scene.state("NavToComics3").animate(KeyFrame(["TintColor"], [Key(0, [CLEAR]),
                                                                 Key(400, [WHITE], glide=True)]))
    scene.add(_sprite("Land", "Land", (0, 0, 0), (1024, 768), CanBeHit=False,
                      TintColor=0xFFB0B0B0))
    x, y = BAR_POSITION
    scene.add(templates.nine("Plate", "Panel", (x - 24, y - 80, 1),
                             (BAR_SIZE[0] + 48, BAR_SIZE[1] + 104, 0), CanBeHit=False))
    scene.add(_text("Title", (x, y - 64, 2), (BAR_SIZE[0], 48), font="title_40", size=40,
                    halign=2, color=WHITE, Text="%Map_Loading%"))
    scene.add(Node("SpriteNode", "ProgressBg", Position=(x, y, 2), Bounds=BAR_SIZE + (0,),
                   AtlasTexture="images/IntroScene/ProgressBg.png", CanBeHit=False))
    scene.add(Node("SpriteNode", "Progress", Position=(x, y, 3), Bounds=(0, BAR_SIZE[1], 0),
                   ImageStretchX=3, AtlasTexture="images/IntroScene/Progress.png",
                   CanBeHit=False))
    return root


def build():
    out = Output()
    out.add(asset(MAP_FILE), scene_file(map_scene()))
    out.add(asset(LOADING_FILE), scene_file(loading_scene()))
    return out


MODULE = Module("mapscene", build, __file__, inputs=[FONT_DESCRIPTION],
                outputs=[asset(MAP_FILE), asset(LOADING_FILE)],
                code=[mapart.__file__, upgrades.__file__])
