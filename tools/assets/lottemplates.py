"""The level world's templates: "levels/common/TemplateCollection.oscn".

One template per building type, named by the type's Name, is the look of a lot of that type:
- "Image", the building's picture (hit by its visible pixels), which answers every state a lot
  enters on itself: the scenery ("Setting1" to "Setting4", the fourth under snow), "Done",
  "Owned" and "NotOwned", the features ("Feature1", "Feature2" and their "Stop"), "Press",
  "Focus", "KillFocus", the four hover states and "MoneyBurst";
- "Selector", the focus ring ("Focus" shows it, "KillFocus" hides it);
- for lodgings (Type 0) "StarIcons" with two star sprites, and "SmileIcon";
- "WorkersText";
- for the aqua park, "Ruin" over it.
The parts a lot makes from the collection: "SmileIcon" (a text with its smile sprite first),
"ServeArea" (a nine-grid panel, "Blue" and "Green"), "ForSaleNode" (the tag, "PriceText",
"Progress" and its backing "Bg"), "PhoneIcon" ("Active", with a "Progress" clock),
"WorkersText", "Feature1Icon" and "Feature2Icon" (two sprites of 28 x 26 together: "Active",
"Recharging", "Ready"), "MoneyBurst", "RepairIcon" and "DirtyIcon" ("Active"). A clock is a face
(child 0), a GEllipseSectorNode with the state "Alert" (child 1) and a hand (child 2); it answers
"Normal".

Positions are relative to the lot (its footprint is 135 x 60); pictures come from the building
art (art/buildings.py) packed into the Buildings atlas, fonts from scenes/fonts.
"""
from . import buildings as catalogue
from . import effects
from . import movertemplates, processtemplates
from .art import buildings as art
from .common import Output, asset
from .registry import Module
from .scene import Key, KeyFrame, Node, Prop, SetProps, hex_color, scene_text

PATH = "levels/common/TemplateCollection.oscn"
FONTS = "../../scenes/fonts/"

SETTINGS = 4
WINTER_SETTING = 4
HOVER_STATES = ("NormalHover", "NormalKillHover", "FocusHover", "FocusKillHover")
LOT_STATES = (["Setting%d" % i for i in range(1, SETTINGS + 1)] +
              ["Done", "Owned", "NotOwned", "Feature1", "Feature2", "Feature1Stop",
               "Feature2Stop", "Press", "Focus", "KillFocus"] + list(HOVER_STATES) + ["MoneyBurst"])
PART_NAMES = ("SmileIcon", "ServeArea", "ForSaleNode", "PhoneIcon", "WorkersText", "Feature1Icon",
              "Feature2Icon", "MoneyBurst", "RepairIcon", "DirtyIcon")

WHITE = 0xFFFFFFFF
NOT_OWNED_TINT = 0xFFC4C4C4
HOVER_SCALE = 1.04
PRESS_MS = 120
FEATURE_TINT = 0xFFFFF2D0
CLOCK_GREEN = 0xFF00FF00

# Homes of the parts relative to the lot.
IMAGE_PIVOT = (75, 130)
SELECTOR_AT = (-7, -5)
STARS_AT = (36, 44)
STAR_STEP = 18
SMILE_AT = (84, 38)
WORKERS_AT = (84, 12)
FEATURE_AT = ((24, -52), (84, -52))
PHONE_AT = (52, -66)
PROBLEM_AT = (52, -60)
TAG_AT = (30, 22)
BURST_AT = (46, -40)


def picture(name):
    """A building picture's name as written in the collection (relative to levels/common/)."""
    return "Buildings/" + name


def font(name):
    return FONTS + name + ".ofnt"


def text_node(name, position, bounds, size=18.0, halign=1, valign=2, color=WHITE, **props):
    node = Node("TextNode", name, Position=position, Bounds=bounds, Font=font("body_18"),
                FontSize=float(size), TextHAlign=halign, TextVAlign=valign, CanBeHit=False,
                **props)
    if color != WHITE:
        node.set("TintColor", color)
    return node


def pulse(node, state, scale=1.12, period=600, loop=True):
    keys = [Key(0, [(1.0, 1.0, 1.0)]), Key(period // 2, [(scale, scale, 1.0)], glide=True),
            Key(period // 2, [(1.0, 1.0, 1.0)], glide=True, goto=0 if loop else None)]
    node.state(state).animate(KeyFrame(["Scale"], keys))


def image_node(type_name):
    """The building's picture. Its states switch values at once (a level holds many lots: their
    templates stay small)."""
    pivot = IMAGE_PIVOT
    node = Node("SpriteNode", "Image", AtlasTexture=picture(type_name + "_Summer.png"),
                Position=(art.LOT_OFFSET[0] + pivot[0], art.LOT_OFFSET[1] + pivot[1], 0),
                PivotPoint=pivot, Bounds=(art.SIZE[0], art.SIZE[1], 0))
    # The summer picture is the default: only the winter setting changes it; states that
    # change nothing on the picture are answered without animations.
    for setting in range(1, SETTINGS + 1):
        state = node.state("Setting%d" % setting)
        if setting == WINTER_SETTING:
            state.at_start(SetProps(AtlasTexture=picture("%s_Winter.png" % type_name)))
    plain = (1.0, 1.0, 1.0)
    grown = (HOVER_SCALE, HOVER_SCALE, 1.0)
    for state in ("Done", "Focus", "KillFocus", "MoneyBurst"):
        node.state(state)
    for state, props in (("Owned", {"TintColor": WHITE}),
                         ("NotOwned", {"TintColor": NOT_OWNED_TINT}),
                         ("Feature1", {"TintColor": FEATURE_TINT}),
                         ("Feature2", {"TintColor": FEATURE_TINT}),
                         ("Feature1Stop", {"TintColor": WHITE}),
                         ("Feature2Stop", {"TintColor": WHITE}), ("NormalHover", {"Scale": grown}),
                         ("FocusHover", {"Scale": grown}), ("NormalKillHover", {"Scale": plain}),
                         ("FocusKillHover", {"Scale": plain})):
        node.state(state).at_start(SetProps(**props))
    node.state("Press").animate(KeyFrame(["Scale"], [
        Key(0, [(0.97, 0.97, 1.0)]), Key(PRESS_MS, [plain], glide=True)]))
    return node


def selector_node():
    node = Node("SpriteNode", "Selector", AtlasTexture=picture("Selector.png"),
                Position=(SELECTOR_AT[0], SELECTOR_AT[1], 0), Bounds=(150, 70, 0), Visible=False,
                CanBeHit=False)
    node.state("Focus").at_start(SetProps(Visible=True))
    node.state("KillFocus").at_start(SetProps(Visible=False))
    return node


def smile_node():
    node = text_node("SmileIcon", (SMILE_AT[0], SMILE_AT[1], 1), (44, 22, 0), size=16.0)
    node.add(Node("SpriteNode", "Face", AtlasTexture="Smiles/Blue.png", Position=(-22, 1, 0),
                  Bounds=(20, 20, 0), CanBeHit=False))
    return node


def workers_node():
    return text_node("WorkersText", (WORKERS_AT[0], WORKERS_AT[1], 1), (44, 22, 0), size=16.0)


def type_template(t):
    name = t["Name"]
    root = Node("BaseNode", name)
    root.add(selector_node())
    root.add(image_node(name))
    if name == "AquaPark":
        root.add(Node("SpriteNode", "Ruin", AtlasTexture=picture("AquaPark_Ruin.png"),
                      Position=(art.LOT_OFFSET[0], art.LOT_OFFSET[1], 0),
                      Bounds=(art.SIZE[0], art.SIZE[1], 0), CanBeHit=False))
    if t["Type"] == 0:
        stars = root.add(Node("BaseNode", "StarIcons", Position=(STARS_AT[0], STARS_AT[1], 0.5),
                              Bounds=(2 * STAR_STEP, 16, 0), CanBeHit=False))
        for i in range(2):
            stars.add(Node("SpriteNode", "Star%d" % (i + 1), AtlasTexture="Stars/EmptyStar.png",
                           Position=(i * STAR_STEP, 0, 0), Bounds=(16, 16, 0), CanBeHit=False))
        root.add(smile_node())
    root.add(workers_node())
    processtemplates.add_lot_states(root, name)
    return root


def clock(name, position):
    """A countdown clock: face, sector, hand."""
    node = Node("BaseNode", name, Position=position, Bounds=(art.CLOCK, art.CLOCK, 0),
                CanBeHit=False)
    node.state("Normal").at_start(SetProps(Visible=True))
    node.add(Node("SpriteNode", "Face", AtlasTexture=picture("ClockFace.png"),
                  Bounds=(art.CLOCK, art.CLOCK, 0), CanBeHit=False))
    sector = node.add(Node("GEllipseSectorNode", "Sector", Position=(4, 4, 0.01),
                           Bounds=(art.CLOCK - 8, art.CLOCK - 8, 0),
                           FillColor=Prop("color", CLOCK_GREEN), Angle2=Prop("int", 0),
                           CanBeHit=False))
    sector.state("Alert").animate(KeyFrame(["TintColor"], [
        Key(0, [WHITE]), Key(200, [0xFFFFB0B0], glide=True), Key(200, [WHITE], glide=True,
                                                                 goto=0)]))
    sector.state("Normal").at_start(SetProps(TintColor=WHITE))
    half = art.CLOCK / 2.0
    node.add(Node("SpriteNode", "Hand", AtlasTexture=picture("ClockHand.png"),
                  Position=(half, half, 0.02), PivotPoint=(half, half),
                  Bounds=(art.CLOCK, art.CLOCK, 0), CanBeHit=False))
    return node


def bob(node, state, height=4, period=700):
    x, y, z = node.get("Position")
    keys = [Key(0, [(x, y, z)]), Key(period // 2, [(x, y - height, z)], glide=True),
            Key(period // 2, [(x, y, z)], glide=True, goto=0)]
    node.state(state).animate(KeyFrame(["Position"], keys))


def part_templates():
    parts = []
    smile = smile_node()
    parts.append(smile)

    area = Node("NineGridSpriteNode", "ServeArea", AtlasTexture=picture(art.SERVE_AREA),
                TopLeftDelta=(art.SERVE_GRID, art.SERVE_GRID),
                BottomRightDelta=(art.SERVE_GRID, art.SERVE_GRID), Bounds=(120, 80, 0),
                CanBeHit=False)
    area.state("Blue").at_start(SetProps(TintColor=hex_color("#3F7FD0", 170)))
    area.state("Green").at_start(SetProps(TintColor=hex_color("#43B047", 170)))
    parts.append(area)

    tag = Node("BaseNode", "ForSaleNode", Position=(TAG_AT[0], TAG_AT[1], 1), Bounds=(96, 30, 0),
               CanBeHit=False)
    tag.add(Node("SpriteNode", "Tag", AtlasTexture=picture("PriceTag.png"), Bounds=(96, 30, 0),
                 CanBeHit=False))
    tag.add(text_node("PriceText", (14, 2, 0.01), (80, 26, 0), size=16.0, halign=2,
                      color=hex_color("#3A2A1E")))
    tag.add(Node("SpriteNode", "Bg", AtlasTexture=picture("ClockBack.png"), Position=(-22, -3, 0),
                 Bounds=(art.CLOCK + 6, art.CLOCK + 6, 0), CanBeHit=False))
    tag.add(clock("Progress", (-19, 0, 0.01)))
    parts.append(tag)

    phone = Node("BaseNode", "PhoneIcon", Position=(PHONE_AT[0], PHONE_AT[1], 1), Bounds=(32, 32, 0),
                 PivotPoint=(16, 16), CanBeHit=False)
    phone.add(Node("SpriteNode", "Phone", AtlasTexture=picture("PhoneIcon.png"),
                   Bounds=(32, 32, 0), CanBeHit=False))
    phone.add(clock("Progress", (30, 2, 0.01)))
    pulse(phone, "Active", scale=1.12, period=700)
    parts.append(phone)

    parts.append(workers_node())

    for index, name in enumerate(("Feature1Icon", "Feature2Icon")):
        x, y = FEATURE_AT[index]
        w, h = art.FEATURE_ICON
        icon = Node("BaseNode", name, Position=(x, y, 1), Bounds=(w, h, 0), CanBeHit=False)
        icon.add(Node("SpriteNode", "Empty", AtlasTexture=picture("FeatureEmpty.png"),
                      Bounds=(w, h, 0), CanBeHit=False))
        icon.add(Node("SpriteNode", "Full", AtlasTexture=picture("FeatureFull.png"),
                      Bounds=(w, h, 0), CanBeHit=False))
        icon.state("Active").animate(KeyFrame(["TintColor"], [
            Key(0, [WHITE]), Key(300, [0xFFFFF0A0], glide=True),
            Key(300, [WHITE], glide=True, goto=0)]))
        icon.state("Recharging").at_start(SetProps(TintColor=0xFFD8D8D8))
        icon.state("Ready").at_start(SetProps(TintColor=WHITE))
        parts.append(icon)

    burst = Node("BaseNode", "MoneyBurst", Position=(BURST_AT[0], BURST_AT[1], 2),
                 Bounds=(44, 40, 0), CanBeHit=False)
    coins = burst.add(Node("SpriteNode", "Coins", AtlasTexture=picture("Coins.png"),
                           Bounds=(44, 40, 0), CanBeHit=False))
    coins.state("MoneyBurst").animate(KeyFrame(["Position", "TintColor"], [
        Key(0, [(0, 10, 0), WHITE]), Key(600, [(0, -30, 0), 0x00FFFFFF], glide=True)]))
    burst.state("MoneyBurst").at_start(SetProps(Visible=True))
    parts.append(burst)

    for name, file in (("RepairIcon", "RepairIcon.png"), ("DirtyIcon", "DirtyIcon.png")):
        icon = Node("BaseNode", name, Position=(PROBLEM_AT[0], PROBLEM_AT[1], 1),
                    Bounds=(32, 32, 0), CanBeHit=False)
        icon.add(Node("SpriteNode", "Icon", AtlasTexture=picture(file), Bounds=(32, 32, 0),
                      CanBeHit=False))
        bob(icon, "Active")
        parts.append(icon)
    return parts


def collection():
    root = Node("TemplateCollectionNode", "LevelTemplates")
    for t in catalogue.catalogue():
        root.add(type_template(t))
    for part in part_templates():
        root.add(part)
    root.children += processtemplates.templates()
    for mover in movertemplates.templates():
        root.add(mover)
    from . import moneyletter  # it builds on this module's helpers: imported late
    for template in moneyletter.templates():
        root.add(template)
    # Last: the effects make the bird template only when no earlier module made it.
    for template in effects.templates({child.name for child in root.children}):
        root.add(template)
    return root


def build():
    out = Output()
    out.add_xml(asset(PATH), scene_text(collection()))
    return out


MODULE = Module("lottemplates", build, __file__, outputs=[asset(PATH)])
