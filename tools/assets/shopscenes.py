"""The shop and the achievements screens, with the templates only they use:

- assets/scenes/ShopScene.oscn: root GShopScene; "Scene" holds the market-hall backdrop, the
  title, the points board with "ScoreText", "ShopButtons" (a GShopButton per upgrade, named as
  its UpgradeName, each with its "PriceText" and its "Bought" ribbon; the second stage of an
  upgrade shares the first one's place), the upgrade hint "Hint1Node" ("Title": the price,
  "Info": what the upgrade does), the highlight "ShopButtonHLNode" that the shop clones over the
  upgrades on offer at the current location ("On", "Off") and "BackButton";
- assets/scenes/AchievementsScene.oscn: root GAchievementsScene; "Scene" holds a large panel,
  the title, "EarnedText" and "TabScene" with the tabs "Tab1" (all), "Tab2" (earned) and "Tab3"
  (still to earn), each with its "AchievementsList", and "BackButton";
- assets/scenes/AchievementUnlockedScene.oscn: root GAchievementUnlockedScene; a dimmer over
  the screen and "Scene" with the pop-up's panel, "AchImage", "AchName", "AchDesc" and
  "OkButton";
- the templates "ShopButton" (the upgrade's card: "Image" its icon, "Text" its name; states
  "Bought" and "Locked" besides the twelve of a control), "AchievementsList" and
  "AchievementsEarnedList" (an element of one "Image" and three "Text"s: name, description,
  progress), which the templates module adds to the menus' collection.
"""
from .art import achievements, shop
from .common import Output, asset
from .fonts import DESCRIPTION as FONT_DESCRIPTION
from .registry import Module
from .scene import Key, KeyFrame, Node, Prop, eased_keys, scene_file, transitions
from .templates import (CLEAR, DARK_TEXT, DISABLED_DARK_TEXT, LAYER_FACE, LAYER_PICTURE,
                        LAYER_RING, LAYER_SHADOW, LAYER_TEXT, WHITE, Look, apply_plan, centred,
                        control_plan, face_looks, icon_node, list_element_background, nine,
                        play_look, rider_looks, text)

SHOP_FILE = "scenes/ShopScene.oscn"
ACHIEVEMENTS_FILE = "scenes/AchievementsScene.oscn"
UNLOCKED_FILE = "scenes/AchievementUnlockedScene.oscn"
FILES = (SHOP_FILE, ACHIEVEMENTS_FILE, UNLOCKED_FILE)

# --- The shop's layout ----------------------------------------------------------------------

# The places of the cards, row by row; a second stage shares its first stage's place.
SHOP_ROWS = (
    ("Camping", "Hostel", "GuestHouse", "BusinessHotel", "HotelN5", "HotelN6"),
    ("Cafe", "CityMall", "AquaPark", "Statue", "Garden", "Memorial"),
    ("TruckStation", "REAgency", "PRAgency"),
)
SECOND_STAGES = {"AquaParkFeature2": "AquaPark", "TruckStationFeature2": "TruckStation",
                 "REAgencyFeature2": "REAgency"}
CARD_W, CARD_H = shop.BUTTON_SIZE
CARD_GAP = 20
ROWS_TOP = 200
ROW_STEP = CARD_H + 20
BUTTONS_DEPTH = 10
HINT_SIZE = (240, 118)
TUTORIAL_FILES = ("scenes/ShopTutorial1.xml", "scenes/ShopTutorial2.xml")


def picture(name):
    """A picture's name as written in a scene file under scenes/."""
    return name[len("scenes/"):]


def upgrade_name_key(upgrade):
    """The dictionary reference of an upgrade's name (keyed by the upgrade's own name)."""
    return "%" + upgrade + "%"


def card_place(upgrade):
    """The top-left corner of an upgrade's card; none for an upgrade the shop has no place for."""
    placed = SECOND_STAGES.get(upgrade, upgrade)
    width = len(SHOP_ROWS[0]) * CARD_W + (len(SHOP_ROWS[0]) - 1) * CARD_GAP
    for row, names in enumerate(SHOP_ROWS):
        if placed not in names:
            continue
        row_width = len(names) * CARD_W + (len(names) - 1) * CARD_GAP
        left = (1024 - width) / 2.0 + (width - row_width) / 2.0
        return (left + names.index(placed) * (CARD_W + CARD_GAP), ROWS_TOP + row * ROW_STEP)
    return None


def shop_button_template():
    """The card of an upgrade: face, icon ("Image"), name ("Text") and the padlock of a locked
    upgrade; "Locked" greys it and shows the padlock, "Bought" turns it green."""
    size = (CARD_W, CARD_H)
    root = Node("BaseNode", "ShopButton", Bounds=(CARD_W, CARD_H, 0))
    faces = {"normal": "Card", "hover": "CardHover", "press": "CardPress",
             "disabled": "CardDisabled"}
    face_pictures = {k: picture(shop.name(v)) for k, v in faces.items()}
    face = root.add(Node("SpriteNode", "Bg", PivotPoint=(CARD_W / 2.0, CARD_H / 2.0),
                         Position=(CARD_W / 2.0, CARD_H / 2.0, LAYER_FACE),
                         AtlasTexture=face_pictures["normal"], Bounds=(CARD_W, CARD_H, 0)))
    icon_centre = (CARD_W / 2.0 - 2, 46)
    image = root.add(icon_node("Image", icon_centre, LAYER_PICTURE, 1.0))
    caption_size = (CARD_W - 16, 22)
    caption_at = (6, 88)
    caption = root.add(centred(text("Text", "arial_14_crisp", 14, (0, 0, 0),
                                    (caption_size[0], caption_size[1], 0), color=DARK_TEXT,
                                    CanBeHit=False), caption_size, caption_at, LAYER_TEXT))
    lock = root.add(Node("SpriteNode", "Lock", AtlasTexture=picture(shop.name("Lock")),
                         PivotPoint=(20, 20), Position=(icon_centre[0], icon_centre[1] + 4,
                                                        LAYER_TEXT), Bounds=(40, 40, 0),
                         TintColor=CLEAR, CanBeHit=False))
    face_set = face_looks(face_pictures, size)
    image_set = rider_looks((0, 0), z=LAYER_PICTURE, centre=icon_centre)
    caption_set = rider_looks(caption_size, caption_at, color=DARK_TEXT,
                              disabled_color=DISABLED_DARK_TEXT)
    hidden = Look(TintColor=CLEAR)
    lock_set = {k: hidden for k in face_set}
    apply_plan([(face, face_set), (image, image_set), (caption, caption_set), (lock, lock_set)],
               control_plan())
    grey = 0xFFB4B4B4
    play_look(face, "Locked", face_set["normal"].but(AtlasTexture=picture(shop.name("CardLocked"))))
    play_look(image, "Locked", image_set["normal"].but(TintColor=grey))
    play_look(caption, "Locked", caption_set["disabled"])
    play_look(lock, "Locked", Look(TintColor=WHITE))
    play_look(face, "Bought", face_set["normal"].but(AtlasTexture=picture(shop.name("CardBought"))))
    play_look(image, "Bought", image_set["normal"])
    play_look(caption, "Bought", caption_set["normal"])
    play_look(lock, "Bought", hidden)
    return root


def shop_button(upgrade):
    x, y = card_place(upgrade)
    button = Node("ButtonNode", upgrade, class_override="GShopButton", TemplateName="ShopButton",
                  Position=(x, y, 0), Bounds=(CARD_W, CARD_H, 0),
                  Image=picture(shop.icon_name(upgrade)), Text=upgrade_name_key(upgrade))
    button.set("UpgradeName", Prop("string", upgrade))
    button.add(text("PriceText", "body_18", 18, (6, 114, LAYER_TEXT + 2), (CARD_W - 16, 26, 0),
                    color=DARK_TEXT, Text="", CanBeHit=False))
    button.add(Node("SpriteNode", "Bought", AtlasTexture=picture(shop.name("BoughtRibbon")),
                    Position=(CARD_W - 78, CARD_H - 46, LAYER_TEXT + 3), Bounds=(72, 36, 0),
                    Visible=False, CanBeHit=False))
    return button


def highlight():
    """The glow the shop clones over an upgrade on offer at the current location: "On" pulses,
    "Off" hides it."""
    node = Node("BaseNode", "ShopButtonHLNode", Position=(0, 0, 10), Visible=False,
                CanBeHit=False)
    m = shop.GLOW_MARGIN
    glow = node.add(Node("SpriteNode", "Glow", AtlasTexture=picture(shop.name("Glow")),
                         Position=(-m, -m, 0), Bounds=(CARD_W + 2 * m, CARD_H + 2 * m, 0),
                         TintColor=CLEAR, CanBeHit=False))
    glow.state("On").animate(KeyFrame(["TintColor"], [
        Key(0, [0x60FFFFFF]), Key(500, [WHITE], glide=True), Key(500, [0x60FFFFFF], glide=True,
                                                                  goto=0)]))
    glow.state("Off").animate(KeyFrame(["TintColor"], [Key(0, [CLEAR])]))
    return node


def hint():
    """The hint over a card: placed by the shop at the card's top centre, so its panel lies above
    that point."""
    w, h = HINT_SIZE
    node = Node("BaseNode", "Hint1Node", Position=(512, 300, 1000), Visible=False, CanBeHit=False)
    left, top = -w / 2.0, -h - 6
    node.add(nine("Panel", "Tooltip", (left, top, 0), (w, h, 0), CanBeHit=False))
    node.add(text("Title", "body_18", 18, (left + 10, top + 6, 1), (w - 20, 26, 0),
                  color=DARK_TEXT, Text="", CanBeHit=False))
    node.add(text("Info", "arial_14_crisp", 14, (left + 10, top + 34, 1), (w - 20, h - 42, 0),
                  valign=1, color=DARK_TEXT, Text="", WordWrap=True, CanBeHit=False))
    return node


def _shop_transitions(node):
    """The shop fades in from the map and out back to it. The one screen it leaves forward for
    is the achievement pop-up, under which it stays in sight; it comes back from it as it was."""
    node.state("NavTo").animate(KeyFrame(["TintColor"], eased_keys(
        CLEAR, WHITE, transitions.FADE_IN_MS, steps=3)))
    node.state("NavBackFrom").animate(KeyFrame(["TintColor"], eased_keys(
        WHITE, CLEAR, transitions.FADE_OUT_MS, steps=3)))
    for state in ("NavFrom", "NavBackTo"):
        node.state(state).animate(KeyFrame(["TintColor"], [Key(0, [WHITE]),
                                                           Key(transitions.FADE_IN_MS, [WHITE])]))


def shop_scene(upgrade_names):
    root = Node("SceneNode", "ShopScene", class_override="GShopScene", Bounds=(1024, 768, 0))
    scene = root.add(Node("ControlNode", "Scene", Bounds=(1024, 768, 0), CanBeHit=False))
    _shop_transitions(scene)
    scene.add(Node("SpriteNode", "Backdrop", AtlasTexture=picture(shop.name("Backdrop")),
                   Bounds=(1024, 768, 0), CanBeHit=False))
    scene.add(text("Title", "title_40", 40, (54, 118, 5), (420, 64, 0), halign=1,
                   Text="%Shop_Title%", CanBeHit=False))
    board_w, board_h = shop.BOARD_SIZE
    board_x = 1024 - 54 - board_w + 4
    scene.add(Node("SpriteNode", "PointsBoard", AtlasTexture=picture(shop.name("PointsBoard")),
                   Position=(board_x, 118, 5), Bounds=(board_w, board_h, 0), CanBeHit=False))
    scene.add(text("ScoreText", "button_24", 24, (board_x + 62, 118, 6),
                   (board_w - 80, board_h - 6, 0), halign=1, Text="", CanBeHit=False))
    buttons = scene.add(Node("ControlNode", "ShopButtons", Position=(0, 0, BUTTONS_DEPTH),
                             CanBeHit=False))
    for upgrade in upgrade_names:
        if card_place(upgrade):
            buttons.add(shop_button(upgrade))
    scene.add(hint())
    scene.add(highlight())
    scene.add(Node("ButtonNode", "BackButton", TemplateName="ButtonGreenSmall",
                   Position=(24, 708, 20), Bounds=(160, 44, 0), Text="%Back%"))
    return root


# --- The achievements -----------------------------------------------------------------------

# The scenes below stay in sight (the main menu's street, the shop, the play screen): these
# screens lie above everything they draw.
ACHIEVEMENTS_DEPTH = 2000
POPUP_DEPTH = 3000
ELEMENT = (820, 72)
LIST_ROWS = 6
TABS = (("Tab1", "%Achievements_TabAll%"), ("Tab2", "%Achievements_TabEarned%"),
        ("Tab3", "%Achievements_TabToEarn%"))
PAGE_FADE_MS = 200


def achievements_list_template(name, earned):
    """A list of achievements: each element shows the icon ("Image"), the name, the description
    and the progress ("Text" three times, in that order). In the earned list the description
    starts on the name's line (its text begins with a line break)."""
    ew, eh = ELEMENT
    height = eh * LIST_ROWS
    root = Node("BaseNode", name, Bounds=(ew, height, 0))
    root.add(nine("Bg", "PanelInset", (-8, -8, LAYER_SHADOW), (ew + 16 + 52, height + 16, 0)))
    item = root.add(Node("ControlNode", "Element", Bounds=(ew, eh, 0)))
    item.add(list_element_background(ELEMENT))
    item.add(icon_node("Image", (12 + 32, eh / 2.0), LAYER_RING, 0.9))
    item.add(text("Text", "body_18", 18, (84, 6, LAYER_RING), (520, 28, 0), halign=1,
                  color=DARK_TEXT, CanBeHit=False))
    if earned:
        item.add(text("Text", "arial_14_crisp", 14, (84, 20, LAYER_RING), (ew - 100, eh - 24, 0),
                      halign=1, valign=1, color=DARK_TEXT, WordWrap=True, CanBeHit=False))
    else:
        item.add(text("Text", "arial_14_crisp", 14, (84, 36, LAYER_RING), (520, eh - 40, 0),
                      halign=1, valign=1, color=DARK_TEXT, WordWrap=True, CanBeHit=False))
    item.add(text("Text", "body_18", 18, (ew - 220, 0, LAYER_RING), (204, eh, 0), halign=3,
                  color=DARK_TEXT, CanBeHit=False))
    x = ew + 6
    root.add(Node("ButtonNode", "PrevButton", Position=(x, 0, LAYER_FACE), Bounds=(44, 44, 0),
                  TemplateName="ArrowUpButton"))
    root.add(Node("ButtonNode", "NextButton", Position=(x, height - 44, LAYER_FACE),
                  Bounds=(44, 44, 0), TemplateName="ArrowDownButton"))
    root.add(Node("SliderNode", "Slider", Position=(x + 14, 50, LAYER_FACE),
                  Bounds=(16, height - 100, 0), TemplateName="ScrollBar", KnobType=2))
    return root


def _page(index, name, list_template):
    page = Node("ControlNode", name, Position=(0, 56, 0), Bounds=(ELEMENT[0] + 60, 440, 0),
                CanBeHit=False)
    count = len(TABS)
    for other in range(1, count + 1):
        if other == index:
            continue
        page.state("%dTo%d" % (index, other)).animate(KeyFrame(
            ["TintColor"], [Key(0, [WHITE]), Key(PAGE_FADE_MS, [CLEAR], glide=True)]))
        page.state("%dTo%d" % (other, index)).animate(KeyFrame(
            ["TintColor"], [Key(0, [CLEAR]), Key(PAGE_FADE_MS, [WHITE], glide=True)]))
    page.state("Default").animate(KeyFrame(["TintColor"], [Key(0, [WHITE])]))
    page.add(Node("ListNode", "AchievementsList", Position=(12, 8, 0),
                  Bounds=(ELEMENT[0], ELEMENT[1] * LIST_ROWS, 0), TemplateName=list_template,
                  Circular=False))
    return page


def achievements_scene():
    root = Node("SceneNode", "AchievementsScene", class_override="GAchievementsScene",
                Bounds=(1024, 768, 0))
    # over the main menu's street, which stays in sight behind it
    scene = root.add(Node("ControlNode", "Scene", Position=(0, 0, ACHIEVEMENTS_DEPTH),
                          Bounds=(1024, 768, 0), CanBeHit=False))
    transitions.fade(scene)
    scene.add(nine("Shadow", "PanelShadow", (28, 28, 0), (976, 720, 0), CanBeHit=False))
    scene.add(nine("Panel", "Panel", (32, 32, 1), (960, 704, 0), CanBeHit=False))
    scene.add(text("Title", "title_40", 40, (64, 44, 5), (600, 60, 0), halign=1,
                   Text="%Achievements_Title%", CanBeHit=False))
    scene.add(text("EarnedLabel", "body_18", 18, (640, 56, 5), (220, 36, 0), halign=3,
                   color=DARK_TEXT, Text="%Achievements_Earned%", CanBeHit=False))
    scene.add(text("EarnedText", "button_24", 24, (868, 56, 5), (92, 36, 0), halign=1,
                   Text="0/12", CanBeHit=False))
    tabs = scene.add(Node("TabSceneNode", "TabScene", Position=(64, 112, 10),
                          Bounds=(900, 500, 0), TabsCount=len(TABS), ActiveTabIndex=0))
    for index, (name, caption) in enumerate(TABS):
        tabs.add(Node("ButtonNode", name + "Button", TemplateName="TabButton",
                      Position=(index * 168, 0, 2), Bounds=(160, 44, 0), Text=caption))
    for index, (name, _) in enumerate(TABS):
        earned = name == "Tab2"
        tabs.add(_page(index + 1, name,
                       "AchievementsEarnedList" if earned else "AchievementsList"))
    scene.add(Node("ButtonNode", "BackButton", TemplateName="ButtonGreenSmall",
                   Position=(432, 664, 20), Bounds=(160, 44, 0), Text="%Back%"))
    return root


def unlocked_scene():
    """The pop-up: the screen below dims, the panel scales in."""
    root = Node("SceneNode", "AchievementUnlockedScene",
                class_override="GAchievementUnlockedScene", Bounds=(1024, 768, 0))
    dim = root.add(Node("NineGridSpriteNode", "Dimmer",
                        AtlasTexture=picture(achievements.name("Dimmer")), TopLeftDelta=(8, 8),
                        BottomRightDelta=(8, 8), Position=(0, 0, POPUP_DEPTH),
                        Bounds=(1024, 768, 0), CanBeHit=False))
    transitions.fade(dim, color=0x80FFFFFF)
    dim.set("TintColor", 0x80FFFFFF)
    w, h = 640, 360
    x, y = (1024 - w) / 2.0, (768 - h) / 2.0
    scene = root.add(Node("ControlNode", "Scene", Position=(x, y, POPUP_DEPTH + 10),
                          Bounds=(w, h, 0), CanBeHit=False))
    scene.add(nine("Shadow", "PanelShadow", (-4, -4, 0), (w + 16, h + 16, 0), CanBeHit=False))
    scene.add(nine("Panel", "Panel", (0, 0, 1), (w, h, 0), CanBeHit=False))
    scene.add(text("Title", "title_40", 40, (20, 18, 2), (w - 40, 56, 0),
                   Text="%Achievements_Unlocked%", CanBeHit=False))
    image = icon_node("AchImage", (w / 2.0, 128), 3, 1.5)
    image.set("AtlasTexture", picture(achievements.icon_name(1)))
    scene.add(image)
    scene.add(text("AchName", "button_24", 24, (20, 178, 2), (w - 40, 36, 0), Text="",
                   CanBeHit=False))
    scene.add(text("AchDesc", "body_18", 18, (40, 218, 2), (w - 80, 64, 0), color=DARK_TEXT,
                   Text="", WordWrap=True, CanBeHit=False))
    scene.add(Node("ButtonNode", "OkButton", TemplateName="ButtonGreenSmall",
                   Position=(w / 2.0 - 80, h - 24 - 44, 3), Bounds=(160, 44, 0), Text="%Ok%"))
    transitions.popup(scene, (512, 384), position=(x, y))
    return root


# --- The module -----------------------------------------------------------------------------

def templates():
    """The templates these screens add to the menus' collection."""
    return [shop_button_template(), achievements_list_template("AchievementsList", False),
            achievements_list_template("AchievementsEarnedList", True)]


def build():
    out = Output()
    out.add(asset(SHOP_FILE), scene_file(shop_scene(shop.upgrade_names())))
    out.add(asset(ACHIEVEMENTS_FILE), scene_file(achievements_scene()))
    out.add(asset(UNLOCKED_FILE), scene_file(unlocked_scene()))
    return out


MODULE = Module("shopscenes", build, __file__, inputs=[FONT_DESCRIPTION],
                outputs=[asset(f) for f in FILES])
