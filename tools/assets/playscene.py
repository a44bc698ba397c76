"""The play screen: "scenes/GamePlayScene.oscn" and the templates it and its code use.

The screen lies over the level world (1024 x 768). Its root GGamePlayScene has one child,
"InternalGamePlayScene" (the level layer is put in as its first child when a level starts), which
plays the screen's transitions and holds "GameMenu", the HUD at depth 1000:
- the top bar: "MoneyNode" (money, income a day, the day bar), "RatingNode" (guests, the rating
  bar and six stars that play "Full" and "Empty"), "TimeNode" (a clock face with its sector
  "Ellipse" and the hand "LongArrow" turning about the hub, the time and the time limit) and
  "GoalsNode" with five goal check boxes;
- the bottom panel from y 640: "ActionsTabScene" with ten pages and the tab buttons of the three
  pages a player opens by hand ("Tab4Button" materials, "Tab5Button" workers, "Tab8Button" the
  town's status); the stock counters lie over the first two. Each page has its "HintText" in the
  hint strip above the panel; the pages about a place show a "BuildingInfoNode" on their left;
  the build lists (Tab1 to Tab3) show theirs as a card above the panel;
- "MenuButton", "HelpButton", "GoalsButton" right of the pages;
- the pop-ups (income boxes over the map's buildings, cost tooltips over buttons and list
  entries, a feature's name): each is drawn above its origin, so that one placed at y 632 clears
  the panel; the income boxes span x -38 .. +178 of their origin. Their frames are GRectangleNodes.

The templates this module adds to the menus' collection: the action buttons (cards of 119 x 101
with a caption), the build entries (one per building type's ButtonTemplate), the features' buttons
(face first, recharge fill second), the offers of the materials and workers lists, the lists
themselves (their "Element" with the texts and pictures the lists write), the HUD bar, the tab
and round buttons, a goal check box, "MoneyStar" and the hint window "TutorialWindow".
"""
from . import buildings as catalogue
from .buildingnames import HOTEL_FAMILIES
from .common import Output, asset
from .fonts import DESCRIPTION as FONT_DESCRIPTION, font_file
from .registry import Module
from .scene import Key, KeyFrame, Node, Prop, SetProps, eased_keys, hex_color, scene_file
from .templates import (CLEAR, DARK_TEXT, DISABLED_DARK_TEXT, LAYER_FACE, LAYER_PICTURE,
                        LAYER_TEXT, WHITE, Look, apply_plan, centred, control_plan, face_looks,
                        play_look, rider_looks)

FILE = "scenes/GamePlayScene.oscn"
FOLDER = "images/GameMenu/"  # from scenes/
SCREEN = (1024, 768)
MENU_DEPTH = 1000
HINT_WINDOW_AT = (570, 516, 1999)

CARD = (119, 101)
CARD_STEP = 121
ROUND = (48, 48)
TAB = (96, 40)
BAR = (150, 16)
STAR = 24
GOAL_BOX = 22
GOALS_PANEL = (330, 150)
INFO_PANEL_GRID = 14

# The bottom panel and its pages (page coordinates are relative to the page).
PANEL_Y = 640
TABS_Y = 600  # the tab scene begins above the panel, where its tab buttons stand
PAGE_AT = (8, PANEL_Y - TABS_Y + 8)
PAGE = (804, 112)
ACTIONS_X = (322, 443, 564, 685)  # the four card places right of a page's info panel
CARD_Y = 5
HINT_AT = (318, -PAGE_AT[1] + 4)  # the hint strip above the panel, right of the tab buttons
HINT_SIZE = (486, 34)
BUILD_LIST_SCALE = 0.8

INK = DARK_TEXT
SOFT_INK = 0xFF5A4A3A
INCOME_GREEN = hex_color("#2E6A1E")
PANEL_FILL = hex_color("#FFF8E6", 235)
PANEL_BORDER = hex_color("#7A5A3A")
SECTOR = hex_color("#FF8A3C", 150)


def gm(name):
    """A play screen picture as a scene file under scenes/ names it."""
    return FOLDER + name


def text(name, font, size, position, bounds, halign=1, valign=2, color=INK, **props):
    node = Node("TextNode", name, Position=position, Bounds=bounds, Font=font_file(font),
                FontSize=float(size), TextHAlign=halign, TextVAlign=valign, CanBeHit=False,
                **props)
    if color != WHITE:
        node.set("TintColor", color)
    return node


def sprite(name, picture, position, size, **props):
    props.setdefault("CanBeHit", False)
    return Node("SpriteNode", name, Position=position, AtlasTexture=gm(picture),
                Bounds=(size[0], size[1], 0), **props)


def frame(name, position, size, fill=PANEL_FILL, border=PANEL_BORDER, **props):
    """A plain framed rectangle (pop-up backgrounds, the hint strip)."""
    return Node("BaseNode", name, class_override="GRectangleNode", Position=position,
                Bounds=(size[0], size[1], 0), FillColor=Prop("color", fill),
                BorderColor=Prop("color", border), CanBeHit=False, **props)


def info_panel(name, position, size, **props):
    g = INFO_PANEL_GRID
    return Node("NineGridSpriteNode", name, Position=position, Bounds=(size[0], size[1], 0),
                AtlasTexture=gm("Play/InfoPanel.png"), TopLeftDelta=(g, g),
                BottomRightDelta=(g, g), CanBeHit=False, **props)


def faces(base):
    return {"normal": gm(base + ".png"), "hover": gm(base + "Hover.png"),
            "press": gm(base + "Press.png"), "disabled": gm(base + "Disabled.png")}


# --- Templates ------------------------------------------------------------------------------

def face_template(name, base, size, caption=None, caption_color=INK):
    """A button drawn by one picture in four states, with an optional fixed caption."""
    w, h = size
    root = Node("BaseNode", name, Bounds=(w, h, 0))
    face = root.add(centred(Node("SpriteNode", "Bg", AtlasTexture=faces(base)["normal"],
                                 Bounds=(w, h, 0)), size, z=LAYER_FACE))
    parts = [(face, face_looks(faces(base), size, ring=False))]
    if caption:
        cap_size, cap_at = (w - 8, 20), (4, h - 24)
        label = root.add(centred(text("Caption", "arial_14_crisp", 14, (0, 0, 0),
                                      (cap_size[0], cap_size[1], 0), halign=2,
                                      color=caption_color, Text=caption), cap_size, cap_at,
                                 LAYER_TEXT))
        parts.append((label, rider_looks(cap_size, cap_at, color=caption_color,
                                         disabled_color=DISABLED_DARK_TEXT)))
    apply_plan(parts, control_plan())
    return root


# The action buttons: template name, picture, caption.
ACTION_TEMPLATES = [
    ("Game_UpgradeButton", "Buttons/Upgrade", "%Game_Upgrade%"),
    ("Game_DestroyButton", "Buttons/Destroy", "%Game_Destroy%"),
    ("Game_SellButton", "Buttons/Sell", "%Game_Sell%"),
    ("Game_UnSellButton", "Buttons/UnSell", "%Game_UnSell%"),
    ("Game_RepairButton", "Buttons/Repair", "%Game_Repair%"),
    ("Game_CleanButton", "Buttons/Clean", "%Game_Clean%"),
    ("Game_AbortButton", "Buttons/Abort", "%Game_Abort%"),
    ("Game_BuyButton", "Buttons/Buy", "%Game_Buy%"),
    ("Game_AcceptOfferButton", "Buttons/AcceptOffer", "%Game_Accept%"),
    ("Game_DeclineOfferButton", "Buttons/DeclineOffer", "%Game_Decline%"),
    ("Game_RestoreButton", "Buttons/Restore", "%Game_Restore%"),
    ("Game_CafeOrderButton", "Buttons/CafeOrder", "%Game_Order%"),
    ("Game_CustomServeButton", "Buttons/CustomServe", "%Game_CustomServe%"),
    ("Game_HotelsButton", "Buttons/Hotels", "%Game_Hotels%"),
    ("Game_JoysButton", "Buttons/Joys", "%Game_Joys%"),
    ("Game_FactoriesButton", "Buttons/Factories", "%Game_Factories%"),
    ("Game_BackToBuildButton", "Buttons/BackToBuild", "%Game_Back%"),
    ("Game_U", "Buttons/FeatureU", None),
]
ROUND_TEMPLATES = [("Game_MenuButton", "Play/MenuButton"), ("Game_HelpButton", "Play/HelpButton"),
                   ("Game_GoalsButton", "Play/GoalsButton")]
TAB_TEMPLATES = [("Game_TabMaterials", "Play/TabMaterials"), ("Game_TabWorkers", "Play/TabWorkers"),
                 ("Game_TabStatus", "Play/TabStatus"), ("Game_TabBuild", "Play/TabBuild")]
OFFERS = 5


def entry_face(type_name):
    """The picture of a type's build entry: the hotels of a family share theirs."""
    for family in HOTEL_FAMILIES:
        if type_name.startswith(family) and type_name[len(family):].isdigit():
            return "Buttons/%sButton" % family
    return "Buttons/%sButton" % type_name


def building_entries():
    """(ButtonTemplate, picture, DisplayName) of every type that has a build entry."""
    entries = []
    for b in catalogue.catalogue():
        props = dict(catalogue.properties(b))
        if "ButtonTemplate" in props:
            entries.append((props["ButtonTemplate"], entry_face(b["Name"]), props["DisplayName"]))
    return entries


def feature_buttons():
    """(ButtonName, feature picture base) of every active feature of the catalogue."""
    found = []
    for b in catalogue.catalogue():
        for index, _ in enumerate(b.get("features", [])):
            button = "Game_%sFeature%dButton" % (b["Name"], index + 1)
            found.append((button, "Features/%sFeature%d" % (b["Name"], index + 1)))
    return found


def two_feature_types():
    """The DisplayNames of the types with two active features."""
    return [dict(catalogue.properties(b))["DisplayName"] for b in catalogue.catalogue()
            if len(b.get("features", [])) >= 2]


def feature_template(name, base):
    """A feature's button: the face (child 0) and the recharge fill over it (child 1), both
    119 x 101; the code cuts the face and the fill at the recharge line. The states only tint,
    so that the cut stays as the code made it."""
    w, h = CARD
    root = Node("BaseNode", name, Bounds=(w, h, 0))
    face = root.add(Node("SpriteNode", "Bg", AtlasTexture=gm(base + ".png"), Bounds=(w, h, 0),
                         Position=(0, 0, LAYER_FACE)))
    root.add(Node("SpriteNode", "Fill", AtlasTexture=gm(base + "Fill.png"), Bounds=(w, h, 0),
                  Position=(0, 0, LAYER_FACE + 0.01), Visible=False, CanBeHit=False))
    tints = {"normal": WHITE, "hover": hex_color("#FFFBEA"), "focus": WHITE,
             "focushover": hex_color("#FFFBEA"), "pressed": hex_color("#D8D0C0"),
             "disabled": hex_color("#8C8C8C")}
    apply_plan([(face, {k: Look(TintColor=v) for k, v in tints.items()})], control_plan())
    return root


def bar_template():
    """The HUD's bars (day, rating, deliveries): a track with a fill cut at the value."""
    w, h = BAR
    root = Node("BaseNode", "Game_Bar", Bounds=(w, h, 0))
    root.add(sprite("Track", "Play/BarBack.png", (0, 0, 0), BAR))
    root.add(Node("BaseNode", "SlidingArea", Bounds=(w, h, 0), CanBeHit=False))
    root.add(sprite("Knob", "Play/BarFill.png", (0, 0, 0.01), BAR, ImageStretchX=3))
    return root


def goal_box_template():
    """A goal's row: the box, its tick (shown in the checked states) and the goal's text."""
    w, h = 300, GOAL_BOX
    root = Node("BaseNode", "Game_GoalCheckBox", Bounds=(w, h, 0))
    box = root.add(sprite("Box", "Play/GoalBox.png", (0, 0, LAYER_FACE), (GOAL_BOX, GOAL_BOX)))
    tick = root.add(sprite("Mark", "Play/GoalTick.png", (0, -2, LAYER_PICTURE),
                           (GOAL_BOX, GOAL_BOX), TintColor=CLEAR))
    label = root.add(text("Text", "arial_14_crisp", 14, (GOAL_BOX + 6, 2, LAYER_TEXT),
                          (w - GOAL_BOX - 6, 18, 0), valign=1, WordWrap=True))
    done = hex_color("#4E7A3A")
    for state in ("Normal", "Focus", "KillFocus", "Press", "NormalHover", "NormalKillHover",
                  "FocusHover", "FocusKillHover", "Pressed", "KillPressed", "NormalDisable",
                  "FocusDisable"):
        play_look(box, state, Look(TintColor=WHITE))
        play_look(tick, state, Look(TintColor=CLEAR))
        play_look(label, state, Look(TintColor=INK))
    for state in ("NormalCheck", "FocusCheck", "NormalCheckHover", "FocusCheckHover",
                  "NormalCheckKillHover", "FocusCheckKillHover", "NormalCheckDisable",
                  "FocusCheckDisable"):
        play_look(box, state, Look(TintColor=WHITE))
        play_look(tick, state, Look(TintColor=WHITE))
        play_look(label, state, Look(TintColor=done))
    return root


def list_template(name, element_children, element=(CARD_STEP, CARD[1]), columns=6):
    """A list of one row: its "Element" holds the parts the list writes (its "Text"s and
    "Image"s, over the item's own template)."""
    ew, eh = element
    root = Node("BaseNode", name, Bounds=(ew * columns, eh, 0))
    item = root.add(Node("ControlNode", "Element", Bounds=(ew, eh, 0)))
    for child in element_children:
        item.add(child)
    return root


def offer_list(name):
    """The materials and workers lists: an offer shows its amount (first "Text") on top and its
    price (second "Text") below the picture."""
    w, h = CARD
    amount = text("Text", "button_24", 24, (4, 2, LAYER_TEXT + 1), (w - 8, 28, 0), halign=2,
                  color=WHITE)
    price = text("Text", "body_18", 18, (4, h - 26, LAYER_TEXT + 1), (w - 8, 22, 0), halign=2,
                 color=INK)
    return list_template(name, [amount, price], columns=OFFERS)


def build_list():
    """The build lists: a locked entry shows its lock picture ("Image") over the empty slot."""
    w, h = CARD
    slot = info_panel("Slot", (2, 2, 0), (w - 4, h - 4), TintColor=0x90FFFFFF)
    lock = Node("SpriteNode", "Image", Position=(0, 0, LAYER_TEXT + 1), Bounds=(w, h, 0),
                CanBeHit=False)
    return list_template("Game_BuildList", [slot, lock])


def money_star_template():
    """The coin that rises from a building when it earns: it climbs and fades."""
    root = Node("BaseNode", "MoneyStar", Bounds=(40, 40, 0), CanBeHit=False)
    star = root.add(sprite("Star", "Play/MoneyStar.png", (20, 20, 0), (40, 40),
                           PivotPoint=(20, 20)))
    star.state("Rise").animate(KeyFrame(["Position", "TintColor", "Scale"], [
        Key(0, [(20, 20, 0), WHITE, (0.6, 0.6, 1.0)]),
        Key(250, [(20, 0, 0), WHITE, (1.1, 1.1, 1.0)], glide=True),
        Key(650, [(20, -40, 0), CLEAR, (1.0, 1.0, 1.0)], glide=True)]))
    star.default_state = "Rise"
    return root


def tutorial_window_template():
    """The hint window: a speech bubble from the town planner. "NavTo" shows it and fades it in;
    "NavFrom" fades it out and hides it. Its "Text" has the two looks of the tutorial's steps
    ("Type1" a hint, "Type2" a task to confirm): "Type2" also shows the text's child "Button" (the
    OK button that ends such a step) and the planner's waving hand, "Type1" hides them. The skip
    button's direct child "bg" is the glow the tutorial shows while the mouse is over it."""
    w, h = 420, 150
    x, y, z = HINT_WINDOW_AT
    root = Node("ControlNode", "TutorialWindow", Position=(x, y, z), Bounds=(w, h, 0),
                CanBeHit=False, Visible=False)
    # The tutorial puts its text at depth 1: the planner and the bubble lie below it.
    root.add(sprite("Guide", "Play/Guide.png", (-96, 6, 0), (110, 140)))
    root.add(sprite("Bg", "Play/HintWindow.png", (0, 0, 0.5), (w, h)))
    tx, ty = TUTORIAL_TEXT_AT
    # The text's tint reaches the OK button and the hand below it, so it stays white: the
    # letters are the outlined bold face, which reads on the light bubble, a task's warm.
    line = root.add(text("Text", "button_24", 18, (tx, ty, 2), (w - 56, 88, 0), valign=1,
                         color=WHITE, WordWrap=True, Text=""))
    line.state("Type1").at_start(SetProps(TintColor=WHITE))
    line.state("Type2").at_start(SetProps(TintColor=hex_color("#FFF4D6")))
    bx, by = TUTORIAL_BUTTONS_Y_BELOW_TEXT
    ok_x = w - tx - TUTORIAL_SKIP[0] - 10 - TUTORIAL_OK[0]
    ok = line.add(Node("ButtonNode", "Button", TemplateName="TutorialOkButton",
                       Position=(ok_x - tx, by, 1), Bounds=(TUTORIAL_OK[0], TUTORIAL_OK[1], 0),
                       Text="%Ok%", Visible=False))
    # the planner's other hand, raised beside his head
    hand = line.add(sprite("Wave", "Tutorial/Wave.png", (-tx - 86, -ty + 50, 1), (34, 40),
                           PivotPoint=(17, 40), Visible=False))
    for node in (ok, hand):
        node.state("Type1").at_start(SetProps(Visible=False))
        node.state("Type2").at_start(SetProps(Visible=True))
    hand.state("Type2").animate(KeyFrame(["Rotation"], [
        Key(0, [(0, 0, 0)]), Key(250, [(0, 0, -12)], glide=True),
        Key(250, [(0, 0, 8)], glide=True), Key(250, [(0, 0, 0)], glide=True)]))
    skip = root.add(Node("ButtonNode", "SkipTutorialButton", TemplateName="TutorialSkipButton",
                         Position=(w - tx - TUTORIAL_SKIP[0], ty + bx, 3),
                         Bounds=(TUTORIAL_SKIP[0], TUTORIAL_SKIP[1], 0), Text="%Tutorial_Skip%"))
    glow = 4
    skip.add(frame("bg", (-glow, -glow, -1), (TUTORIAL_SKIP[0] + 2 * glow,
                                              TUTORIAL_SKIP[1] + 2 * glow),
                   fill=hex_color("#F2C14E", 160), border=hex_color("#F2C14E"), Visible=False))
    root.state("NavTo").at_start(SetProps(Visible=True)).animate(
        KeyFrame(["TintColor"], eased_keys(CLEAR, WHITE, 300, steps=3)))
    root.state("NavFrom").animate(
        KeyFrame(["TintColor"], [Key(0, [WHITE]), Key(250, [CLEAR], glide=True)])).at_end(
        SetProps(Visible=False))
    return root


# --- The tutorial's templates besides the window ---------------------------------------------
# The window's text lies here in the window; the tutorial's steps give the same TextPosition. The
# skip button stands 85 below the text's top (the tutorial moves it there), the OK button on the
# same line.
TUTORIAL_TEXT_AT = (28, 14)
TUTORIAL_BUTTONS_Y_BELOW_TEXT = (85, 85)
TUTORIAL_OK = (96, 40)
TUTORIAL_SKIP = (150, 40)
TUTORIAL_ARROW = (44, 60)
TUTORIAL_ARROW_BOB = 8


def tutorial_button_templates():
    """The window's OK button (green) and skip button (orange), small-type push buttons."""
    from .templates import button_template
    return [button_template("TutorialOkButton", "Green", TUTORIAL_OK, font="body_18",
                            font_size=18),
            button_template("TutorialSkipButton", "Orange", TUTORIAL_SKIP, font="body_18",
                            font_size=18)]


def tutorial_arrow_template():
    """One arrow of a tutorial step: its tip at the node's origin, pointing down at rotation 0;
    the arrow bobs towards its tip."""
    w, h = TUTORIAL_ARROW
    root = Node("BaseNode", "TutorialArrow", Bounds=(w, h, 0), CanBeHit=False)
    at = (-w / 2.0, -h, 0)
    lifted = (-w / 2.0, -h - TUTORIAL_ARROW_BOB, 0)
    arrow = root.add(sprite("Arrow", "Tutorial/Arrow.png", at, (w, h)))
    arrow.state("Bob").animate(KeyFrame(["Position"], [
        Key(0, [at]), Key(350, [lifted], glide=True), Key(350, [at], glide=True, goto=0)]))
    arrow.default_state = "Bob"
    return root


def templates():
    made = [face_template(name, base, CARD, caption) for name, base, caption in ACTION_TEMPLATES]
    made += [face_template(name, base, CARD, "%" + display + "%")
             for name, base, display in building_entries()]
    made += [feature_template(name, base) for name, base in feature_buttons()]
    for kind, folder in (("Materials", "Buttons/Materials"), ("Workers", "Buttons/Workers")):
        made += [face_template("Game_%sButton%d" % (kind, n), "%s%d" % (folder, n), CARD)
                 for n in range(1, OFFERS + 1)]
    made += [face_template(name, base, ROUND) for name, base in ROUND_TEMPLATES]
    made += [face_template(name, base, TAB) for name, base in TAB_TEMPLATES]
    made += [offer_list("Game_MaterialsList"), offer_list("Game_WorkersList"), build_list()]
    made += [bar_template(), goal_box_template(), money_star_template(),
             tutorial_window_template()]
    made += tutorial_button_templates() + [tutorial_arrow_template()]
    return made


# --- The scene ------------------------------------------------------------------------------

def hold(node, state, ms=1):
    node.state(state).animate(KeyFrame(["TintColor"], [Key(0, [WHITE]), Key(ms, [WHITE])]))


def bar(name, position, scale=None, **props):
    node = Node("ProgressBarNode", name, Position=position, Bounds=(BAR[0], BAR[1], 0),
                TemplateName="Game_Bar", KnobType=1, MinValue=0.0, MaxValue=1.0, Value=0.0,
                CanBeHit=False, **props)
    if scale:
        node.set("Scale", (scale[0], scale[1], 1.0))
    return node


def card(name, template, x, **props):
    return Node("ButtonNode", name, TemplateName=template, Position=(x, CARD_Y, 1),
                Bounds=(CARD[0], CARD[1], 0), **props)


def star_row(parent, at, step=STAR + 2):
    x, y = at
    for n in range(1, 7):
        star = parent.add(sprite("Star%d" % n, "Play/StarEmpty.png", (x + (n - 1) * step, y, 1),
                                 (STAR, STAR)))
        star.state("Full").at_start(SetProps(AtlasTexture=gm("Play/StarFull.png")))
        star.state("Empty").at_start(SetProps(AtlasTexture=gm("Play/StarEmpty.png")))


def money_node():
    node = Node("BaseNode", "MoneyNode", Position=(8, 4, 2), Bounds=(250, 64, 0), CanBeHit=False)
    node.add(sprite("Panel", "Play/MoneyPanel.png", (0, 0, 0), (250, 64)))
    node.add(sprite("Icon", "Play/IconMoney.png", (8, 6, 1), (32, 32)))
    node.add(text("MoneyText", "button_24", 24, (46, 2, 1), (196, 30, 0), color=INK,
                  Text="$0"))
    node.add(sprite("IncomeIcon", "Play/IconIncome.png", (8, 38, 1), (32, 32),
                    Scale=(0.65, 0.65, 1.0)))
    node.add(text("IncomeText", "arial_14_crisp", 14, (32, 40, 1), (84, 20, 0),
                  color=INCOME_GREEN, Text="$0"))
    node.add(sprite("DayIcon", "Play/IconTime.png", (116, 38, 1), (32, 32),
                    Scale=(0.65, 0.65, 1.0)))
    node.add(bar("ProgressBar", (138, 43, 1), scale=(104.0 / BAR[0], 1.0)))
    return node


def rating_node():
    node = Node("BaseNode", "RatingNode", Position=(264, 4, 2), Bounds=(250, 64, 0),
                CanBeHit=False)
    node.add(sprite("Panel", "Play/RatingPanel.png", (0, 0, 0), (250, 64)))
    star_row(node, (10, 6))
    node.add(sprite("Icon", "Play/IconGuests.png", (8, 36, 1), (32, 32),
                    Scale=(0.7, 0.7, 1.0)))
    node.add(text("ProgressBarText", "arial_14_crisp", 14, (166, 6, 1), (78, 24, 0), halign=3,
                  color=INK, Text=""))
    node.add(bar("ProgressBar", (36, 41, 1), scale=(206.0 / BAR[0], 1.0)))
    return node


def time_node():
    node = Node("BaseNode", "TimeNode", Position=(520, 4, 2), Bounds=(150, 64, 0),
                CanBeHit=False)
    node.add(sprite("Panel", "Play/TimePanel.png", (0, 0, 0), (150, 64)))
    node.add(sprite("Face", "Play/ClockFace.png", (4, 4, 1), (56, 56)))
    node.add(Node("GEllipseSectorNode", "Ellipse", Position=(10, 10, 1.01), Bounds=(44, 44, 0),
                  FillColor=Prop("color", SECTOR), Angle2=Prop("int", 0), CanBeHit=False))
    node.add(sprite("LongArrow", "Play/ClockHand.png", (32, 32, 1.02), (6, 26),
                    PivotPoint=(3, 26)))
    node.add(text("TimeText", "button_24", 24, (62, 4, 1), (84, 30, 0), halign=2, color=INK,
                  Text="00:00"))
    node.add(text("TargetTimeText", "arial_14_crisp", 14, (62, 36, 1), (84, 20, 0), halign=2,
                  color=SOFT_INK, Text=""))
    return node


def goals_node():
    w, h = GOALS_PANEL
    node = Node("ControlNode", "GoalsNode", Position=(1024 - 8 - w, 4, 2), Bounds=(w, h, 0),
                CanBeHit=False)
    node.add(sprite("Panel", "Play/GoalsPanel.png", (0, 0, 0), GOALS_PANEL))
    for n in range(5):
        node.add(Node("CheckBoxNode", "Goal%d" % (n + 1), TemplateName="Game_GoalCheckBox",
                      Position=(14, 12 + n * 26, 1), Bounds=(300, GOAL_BOX, 0), Text="",
                      CanBeHit=False, Visible=False))
    return node


def page(name):
    return Node("ControlNode", name, Position=(PAGE_AT[0], PAGE_AT[1], 1),
                Bounds=(PAGE[0], PAGE[1], 0), CanBeHit=False)


def hint_text(key):
    x, y = HINT_AT
    return text("HintText", "arial_14_crisp", 14, (x + 8, y, 4), (HINT_SIZE[0] - 16, HINT_SIZE[1], 0),
                color=INK, WordWrap=True, Text=key)


def building_info(position=(0, 0, 1), card_back=False):
    """The panel about a place and a building type: name and price, the figures, the income and
    guests after an upgrade, the broken marker, a description, the icon with its stars."""
    w, h = 312, PAGE[1]
    node = Node("BaseNode", "BuildingInfoNode", Position=position, Bounds=(w, h, 0),
                CanBeHit=False)
    if card_back:
        node.add(info_panel("Back", (-6, -4, 0), (w + 12, h + 8)))
    preview = node.add(Node("SpriteNode", "Preview", Position=(4, 6, 1), Bounds=(72, 72, 0),
                            ImageStretchX=1, ImageStretchY=1, CanBeHit=False))
    for k in range(2):
        preview.add(Node("SpriteNode", "Star%d" % (k + 1), Position=(18 + 18 * k, 78, 0.01),
                         Bounds=(16, 16, 0), CanBeHit=False))
    node.add(text("NameText", "body_18", 18, (84, 2, 1), (w - 88, 22, 0), WordWrap=True,
                  Text=""))
    node.add(text("StatsText", "arial_14_crisp", 14, (84, 26, 1), (w - 88, 36, 0), valign=1,
                  color=SOFT_INK, Text=""))
    description = node.add(Node("BaseNode", "DescriptionNode", Position=(84, 44, 1),
                                Bounds=(w - 88, 60, 0), CanBeHit=False))
    description.add(text("Text", "arial_14_crisp", 14, (0, 17, 0), (w - 88, 48, 0), valign=1,
                         WordWrap=True, color=SOFT_INK, Text=""))
    after = node.add(Node("BaseNode", "AfterUpgradeNode", Position=(180, 58, 2),
                          Bounds=(130, 50, 0), Visible=False, CanBeHit=False))
    after.add(frame("Frame", (0, 0, 0), (130, 50), fill=hex_color("#EAF6DA", 240),
                    border=hex_color("#4E7A3A")))
    after.add(text("Label", "arial_14_crisp", 14, (6, 1, 1), (120, 16, 0),
                   color=hex_color("#4E7A3A"), Text="%GamePlay_AfterUpgrade%"))
    for index, part in enumerate(("IncomeNode", "GuestsNode")):
        holder = after.add(Node("BaseNode", part, Position=(6, 17 + index * 16, 1),
                                Bounds=(120, 16, 0), CanBeHit=False))
        holder.add(text("Text", "arial_14_crisp", 14, (0, 0, 0), (120, 16, 0), color=INK,
                        Text=""))
    broken = node.add(Node("BaseNode", "BrokenNode", Position=(84, 86, 2), Bounds=(220, 20, 0),
                           Visible=False, CanBeHit=False))
    broken.add(text("Text", "arial_14_crisp", 14, (0, 0, 0), (220, 20, 0),
                    color=hex_color("#B02A1A"), Text="%GamePlay_Broken%"))
    return node


def building_tab():
    tab = page("Tab6")
    tab.add(building_info())
    hotels = tab.add(Node("ControlNode", "HotelButtonsNode", Bounds=(PAGE[0], PAGE[1], 0),
                          CanBeHit=False))
    hotels.add(card("UpgradeButton", "Game_UpgradeButton", ACTIONS_X[0]))
    hotels.add(card("RepairButton", "Game_RepairButton", ACTIONS_X[1]))
    hotels.add(card("DestroyButton", "Game_DestroyButton", ACTIONS_X[2]))
    hotels.add(card("SellButton", "Game_SellButton", ACTIONS_X[3]))
    hotels.add(card("CustomAction1Button", "Game_CustomServeButton", ACTIONS_X[0],
                    Visible=False, Enabled=False))
    joys = tab.add(Node("ControlNode", "JoyButtonsNode", Bounds=(PAGE[0], PAGE[1], 0),
                        CanBeHit=False, Visible=False))
    joys.add(card("CleanButton", "Game_CleanButton", ACTIONS_X[0]))
    joys.add(card("DestroyButton", "Game_DestroyButton", ACTIONS_X[1]))
    joys.add(card("SellButton", "Game_SellButton", ACTIONS_X[1], Visible=False))
    joys.add(Node("ButtonNode", "ActiveFeature1Button", TemplateName="Game_U",
                  Position=(564, 10, 1), Bounds=(CARD[0], CARD[1], 0)))
    second = joys.add(Node("ButtonNode", "ActiveFeature2Button", TemplateName="Game_U",
                           Position=(685, 10, 1), Bounds=(CARD[0], CARD[1], 0)))
    second.add(Node("SpriteNode", "AddImage", Position=(0, 0, LAYER_TEXT + 1),
                    Bounds=(CARD[0], CARD[1], 0), CanBeHit=False))
    service = tab.add(Node("ControlNode", "CustomServiceButtonsNode", Bounds=(PAGE[0], PAGE[1], 0),
                           CanBeHit=False, Visible=False))
    service.add(card("CustomServeButton", "Game_CustomServeButton", ACTIONS_X[3]))
    progress = tab.add(Node("ControlNode", "ProgressNode", Position=(ACTIONS_X[0], 0, 2),
                            Bounds=(PAGE[0] - ACTIONS_X[0], PAGE[1], 0), CanBeHit=False,
                            Visible=False))
    progress.add(text("Text", "body_18", 18, (0, 10, 1), (350, 24, 0), Text=""))
    progress.add(bar("ProgressBar", (0, 42, 1), scale=(350.0 / BAR[0], 1.5)))
    progress.add(text("HintText", "arial_14_crisp", 14, (0, 70, 1), (350, 38, 0), valign=1,
                      WordWrap=True, color=SOFT_INK, Text=""))
    progress.add(card("AbortButton", "Game_AbortButton", ACTIONS_X[3] - ACTIONS_X[0]))
    tab.add(hint_text("%Hint_BuildingTab%"))
    return tab


def build_tab(name, list_name, kind_key):
    """A build list's page: back to the place's page, the list (cards at 80 %), its label and tip
    on the right and the type's card above the panel while an entry is hovered."""
    tab = page(name)
    tab.add(Node("ButtonNode", "BackToBuildButton", TemplateName="ArrowLeftButton",
                 Position=(0, 34, 1), Bounds=(44, 44, 0)))
    s = BUILD_LIST_SCALE
    tab.add(Node("ListNode", list_name, TemplateName="Game_BuildList", Position=(52, 6, 1),
                 Bounds=(CARD_STEP * 6, CARD[1], 0), Scale=(s, s, 1.0), Orientation=1,
                 Circular=False))
    right = 52 + int(CARD_STEP * 6 * s) + 8
    tab.add(text("Label", "body_18", 18, (right, 6, 1), (PAGE[0] - right, 22, 0), Text=kind_key))
    tab.add(text("LabelText", "arial_14_crisp", 14, (right, 30, 1), (PAGE[0] - right, 78, 0),
                 valign=1, WordWrap=True, color=SOFT_INK, Text=""))
    info = building_info(position=(PAGE[0] - 316, -PAGE_AT[1] - 252, 30), card_back=True)
    info.set("Visible", False)
    tab.add(info)
    tab.add(hint_text(""))
    return tab


def resource_tab(name, list_name, list_template, key):
    tab = page(name)
    buttons = tab.add(Node("ControlNode", "ButtonsNode", Bounds=(PAGE[0], PAGE[1], 0),
                           CanBeHit=False))
    buttons.add(Node("ListNode", list_name, TemplateName=list_template, Position=(0, CARD_Y, 1),
                     Bounds=(CARD_STEP * OFFERS, CARD[1], 0), Orientation=1, Circular=False))
    x = CARD_STEP * OFFERS + 10
    progress = tab.add(Node("BaseNode", "ProgressNode", Position=(x, 20, 2),
                            Bounds=(PAGE[0] - x, 70, 0), Visible=False, CanBeHit=False))
    progress.add(text("Text", "body_18", 18, (0, 0, 0), (PAGE[0] - x, 40, 0), valign=1,
                      WordWrap=True, Text=""))
    progress.add(bar("ProgressBar", (0, 46, 0), scale=((PAGE[0] - x) / float(BAR[0]), 1.25)))
    tab.add(hint_text(key))
    return tab


def status_tab():
    tab = page("Tab8")
    tab.add(text("LevelText", "button_24", 24, (4, 2, 1), (260, 30, 0), color=INK,
                 Text=""))
    for index, name in enumerate(("MoneyText", "IncomeText", "GuestsText")):
        tab.add(text(name, "body_18", 18, (4, 36 + index * 24, 1), (260, 22, 0), Text=""))
    rating = tab.add(Node("BaseNode", "RatingNode", Position=(272, 6, 1), Bounds=(156, 24, 0),
                          CanBeHit=False))
    star_row(rating, (0, 0))
    for index, name in enumerate(("PossibleIncomeText", "PossibleGuestsText")):
        tab.add(text(name, "body_18", 18, (272, 48 + index * 24, 1), (260, 22, 0), Text=""))
    goals = tab.add(Node("ControlNode", "GoalsNode", Position=(536, 4, 1), Bounds=(268, 104, 0),
                         CanBeHit=False))
    for n in range(4):
        goals.add(Node("CheckBoxNode", "Goal%d" % (n + 1), TemplateName="Game_GoalCheckBox",
                       Position=(0, n * 26, 0), Bounds=(268, GOAL_BOX, 0), Text="",
                       CanBeHit=False, Visible=False))
    tab.add(hint_text("%GamePlay_Status%"))
    return tab


def place_tabs():
    """The buy page (Tab7), the buy request page (Tab9) and the building place page (Tab10)."""
    buy = page("Tab7")
    buy.add(building_info())
    buy.add(text("PriceLabel", "body_18", 18, (ACTIONS_X[0], 16, 1), (340, 22, 0),
                 Text="%GamePlay_PriceLabel%"))
    buy.add(text("PriceText", "title_40", 40, (ACTIONS_X[0], 42, 1), (340, 50, 0), color=INK,
                 Text=""))
    buy.add(card("BuyButton", "Game_BuyButton", ACTIONS_X[3]))
    buy.add(hint_text("%Hint_BuyTab%"))
    request = page("Tab9")
    request.add(building_info())
    request.add(text("OfferLabel", "body_18", 18, (ACTIONS_X[0], 16, 1), (220, 22, 0),
                     Text="%GamePlay_OfferLabel%"))
    request.add(text("OfferPriceText", "button_24", 24, (ACTIONS_X[0], 46, 1), (220, 34, 0),
                     color=INK, Text=""))
    request.add(card("AcceptSellOfferButton", "Game_AcceptOfferButton", ACTIONS_X[2]))
    request.add(card("DeclineSellOfferButton", "Game_DeclineOfferButton", ACTIONS_X[3]))
    request.add(hint_text("%Hint_BuyRequestTab%"))
    place = page("Tab10")
    place.add(building_info())
    for index, (name, template) in enumerate((("HotelsButton", "Game_HotelsButton"),
                                              ("JoysButton", "Game_JoysButton"),
                                              ("FactoriesButton", "Game_FactoriesButton"))):
        place.add(card(name, template, ACTIONS_X[index]))
    place.add(card("SellButton", "Game_SellButton", ACTIONS_X[3]))
    place.add(hint_text("%Hint_BuildingPlace%"))
    return buy, request, place


def actions_tabs():
    tabs = Node("TabSceneNode", "ActionsTabScene", Position=(0, TABS_Y, 10),
                Bounds=(SCREEN[0], SCREEN[1] - TABS_Y, 0), TabsCount=10, ActiveTabIndex=7,
                CanBeHit=False)
    for index, (number, template) in enumerate(((4, "Game_TabMaterials"), (5, "Game_TabWorkers"),
                                                (8, "Game_TabStatus"))):
        tabs.add(Node("ButtonNode", "Tab%dButton" % number, TemplateName=template,
                      Position=(8 + index * (TAB[0] + 6), 0, 3), Bounds=(TAB[0], TAB[1], 0)))
    tabs.add(build_tab("Tab1", "HotelsBuildList", "%Game_Hotels%"))
    tabs.add(build_tab("Tab2", "FactoriesBuildList", "%Game_Factories%"))
    tabs.add(build_tab("Tab3", "JoysBuildList", "%Hint_BuildTabJoys%"))
    tabs.add(resource_tab("Tab4", "BuyMaterialsList", "Game_MaterialsList", "%Hint_MaterialsTab%"))
    tabs.add(resource_tab("Tab5", "TrainWorkersList", "Game_WorkersList", "%Hint_WorkersTab%"))
    tabs.add(building_tab())
    buy, request, place = place_tabs()
    tabs.add(buy)
    tabs.add(status_tab())
    tabs.add(request)
    tabs.add(place)
    # the pages other than the first shown one start hidden; the tab scene shows the one chosen
    for child in tabs.children:
        if child.name.startswith("Tab") and not child.name.endswith("Button") and \
                child.name != "Tab8":
            child.set("Visible", False)
    return tabs


def popups():
    """The pop-ups of GameMenu, hidden until the code shows them: each is drawn above its
    origin."""
    made = []
    z = 60
    for name in ("IncomeGuestsInfoNode", "GuestsInfoNode"):
        box = Node("BaseNode", name, Position=(0, 0, 100), Bounds=(216, 76, 0), Visible=False,
                   CanBeHit=False)
        box.add(frame("Frame", (-38, -80, z), (216, 76)))
        box.add(text("NameText", "body_18", 18, (-30, -78, z + 1), (200, 22, 0), halign=2,
                     Text=""))
        box.add(sprite("MoneyIcon", "Play/IconMoney.png", (-30, -54, z + 1), (32, 32),
                       Scale=(0.65, 0.65, 1.0)))
        box.add(text("IncomeText", "body_18", 18, (-4, -54, z + 1), (176, 22, 0), Text=""))
        box.add(sprite("GuestsIcon", "Play/IconGuests.png", (-30, -30, z + 1), (32, 32),
                       Scale=(0.65, 0.65, 1.0)))
        box.add(text("GuestsText", "body_18", 18, (-4, -30, z + 1), (176, 22, 0), Text=""))
        made.append(box)

    def tooltip(name, lines):
        h = 30 + 24 * len(lines)
        node = Node("BaseNode", name, Position=(0, 632, 0), Bounds=(220, h, 0), Visible=False,
                    CanBeHit=False)
        node.add(info_panel("Panel", (0, -h - 4, z), (220, h)))
        node.add(frame("Frame", (2, -h - 2, z + 0.5), (216, h - 4), fill=0))
        node.add(text("NameText", "body_18", 18, (10, -h + 2, z + 1), (200, 22, 0), Text=""))
        for index, (line, icon) in enumerate(lines):
            y = -h + 28 + index * 24
            node.add(sprite(line.replace("Text", "Icon"), "Play/" + icon, (10, y, z + 1),
                            (32, 32), Scale=(0.65, 0.65, 1.0)))
            node.add(text(line, "body_18", 18, (36, y, z + 1), (170, 22, 0), color=WHITE,
                          Text=""))
        return node

    made.append(tooltip("MaterialsWorkersTooltipNode", [("MaterialsText", "IconMaterials.png"),
                                                         ("WorkersText", "IconWorkers.png")]))
    made.append(tooltip("WorkersInfoNode", [("WorkersText", "IconWorkers.png")]))
    made.append(tooltip("MoneyInfoNode", [("MoneyText", "IconMoney.png")]))
    feature = Node("BaseNode", "FeatureInfoNode", Position=(0, 632, 0), Bounds=(220, 34, 0),
                   Visible=False, CanBeHit=False)
    feature.add(info_panel("Panel", (0, -38, z), (220, 34)))
    feature.add(frame("Frame", (2, -36, z + 0.5), (216, 30), fill=0))
    feature.add(text("NameText", "body_18", 18, (10, -34, z + 1), (200, 26, 0), Text=""))
    made.append(feature)
    return made


def game_menu():
    menu = Node("ControlNode", "GameMenu", Position=(0, 0, MENU_DEPTH),
                Bounds=(SCREEN[0], SCREEN[1], 0), CanBeHit=False)
    menu.add(sprite("TopBar", "Play/TopBar.png", (0, 0, 0), (1024, 72)))
    menu.add(money_node())
    menu.add(rating_node())
    menu.add(time_node())
    menu.add(goals_node())
    menu.add(sprite("BottomPanel", "Play/BottomPanel.png", (0, PANEL_Y, 0), (1024, 128)))
    menu.add(sprite("PageBack", "Play/PageBack.png", (PAGE_AT[0], TABS_Y + PAGE_AT[1], 1), PAGE,
                    ImageStretchX=1, ImageStretchY=1))
    hx, hy = HINT_AT
    menu.add(frame("HintStrip", (PAGE_AT[0] + hx, TABS_Y + PAGE_AT[1] + hy, 2), HINT_SIZE,
                   fill=hex_color("#FFF8E6", 215)))
    menu.add(actions_tabs())
    for index, name in enumerate(("MaterialsAmountTabText", "WorkersAmountTabText")):
        x = 8 + index * (TAB[0] + 6)
        menu.add(text(name, "body_18", 18, (x + 40, TABS_Y + 2, 20), (52, 36, 0), halign=2,
                      color=INK, Text="0"))
    for index, (name, template) in enumerate((("MenuButton", "Game_MenuButton"),
                                              ("HelpButton", "Game_HelpButton"),
                                              ("GoalsButton", "Game_GoalsButton"))):
        menu.add(Node("ButtonNode", name, TemplateName=template,
                      Position=(832 + index * 62, PANEL_Y + 40, 20),
                      Bounds=(ROUND[0], ROUND[1], 0)))
    for node in popups():
        menu.add(node)
    return menu


def play_scene():
    root = Node("SceneNode", "GamePlayScene", class_override="GGamePlayScene",
                Bounds=(SCREEN[0], SCREEN[1], 0))
    inner = root.add(Node("ControlNode", "InternalGamePlayScene",
                          Bounds=(SCREEN[0], SCREEN[1], 0), CanBeHit=False))
    # Entering fades the screen in; the panels opened over it (menu, objectives, results) keep
    # it in sight; leaving back fades it out.
    inner.state("NavTo").animate(KeyFrame(["TintColor"], eased_keys(CLEAR, WHITE, 300, steps=3)))
    inner.state("NavBackFrom").animate(KeyFrame(["TintColor"],
                                                eased_keys(WHITE, CLEAR, 250, steps=3)))
    for state in ("NavFrom", "NavBackTo", "NoTransTo"):
        hold(inner, state)
    inner.add(game_menu())
    return root


def build():
    out = Output()
    out.add(asset(FILE), scene_file(play_scene()))
    return out


MODULE = Module("playscene", build, __file__, inputs=[FONT_DESCRIPTION], outputs=[asset(FILE)])
