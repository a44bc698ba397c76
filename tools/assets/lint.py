"""A consistency check of the content as the game reads it, without the engine: scene files name
known node classes and properties of the right types, every picture, font, sound and template a
file names exists, atlas regions lie on their pages, the sound pack holds every cue the game
plays, texts of the form %Key% have a dictionary entry.

The engine's readers decide what is valid; this check catches the mistakes of generators and
hand edits early (the test command runs it with every asset check).
"""
import glob
import os
import re
import xml.etree.ElementTree as ET

from PIL import Image

from .common import ASSETS, BOM, REPO
from .scene import PROPERTY_TYPES, VALUE_TYPES

ENGINE_NODES = {"BaseNode", "ControlNode", "SceneNode", "TextNode", "SpriteNode",
                "NineGridSpriteNode", "TabSceneNode", "ButtonNode", "BackButtonNode",
                "CheckBoxNode", "EditNode", "ListNode", "ProgressBarNode", "SliderNode",
                "ParticleSystemNode", "SoundNode", "SpawnerNode", "TemplateCollectionNode"}
GAME_NODES = {
    "GDebugStatsScene", "GLogosScene", "GIntroScene", "GQuitConfirmationScene", "GRectangleNode",
    "GMainMenuScene", "GMainMenuPedestrianNode", "GMainMenuCarNode", "GMainMenuBikeNode",
    "GMainMenuCloudNode", "GSelectPlayerScene", "GSelectPlayerInputNameScene", "GShopButton",
    "GShopScene", "GMapLocationButton", "GMapScene", "GComicsScene", "GLoadingLevelScene",
    "GGamePlayScene", "GLevelObjectivesScene", "GEllipseSectorNode", "GLevelCompletedScene",
    "GAchievementUnlockedScene", "GAchievementsScene", "GHelpScene", "GCreditsScene",
    "GInGameMenuScene", "GOptionsScene", "GMiniCompletedScene", "GMiniGameHiddenScene",
    "GMiniGameHidden2Scene", "GMiniGameAuctionScene", "GBuildingNode", "GGameLevelScene",
    "GPathMovableNode", "GSpiralMovableNode", "GBaloonNode", "GPicEffectNode", "GShieldStarNode",
    "GShieldEffectNode", "GLakeWaveNode", "GBirdNode", "GCircularBirdNode", "GCarNode",
    "GPedestrianNode", "GTextTrailNode", "GFireworkNode", "OnceSpawnerNode",
    "GHOHintParticlesNode", "GWeatherParticlesNode", "GSelectGridNode"}
BUTTON_CLASSES = {"ButtonNode", "BackButtonNode", "CheckBoxNode", "GShopButton",
                  "GMapLocationButton"}
# The pointer reaches only controls: a button below a node of another class is never pressed.
CONTROL_CLASSES = {"ControlNode", "SceneNode", "TabSceneNode", "ListNode", "SliderNode",
                   "EditNode"} | BUTTON_CLASSES | {c for c in GAME_NODES if c.endswith("Scene")}
ANIMATIONS = {"KeyFrame", "SetProps", "SetStates"}
RESOURCE_TYPES = {"atlasTexture", "font", "sound"}
MENU_TEMPLATES = "scenes/TemplateCollection.oscn"
LEVEL_TEMPLATES = "levels/common/TemplateCollection.oscn"
TEXT_KEY = re.compile(r"%([^%\s]+)%")
SPRITE_CLASSES = {"SpriteNode"}
# The scenes the game's code relies on: the root's class, the nodes the code looks up by path
# (with the classes they must have; None: any node) and the states the code plays on them ("" is
# the root).
SCENE_CONTRACTS = {
    "scenes/LogosScene.oscn": {
        "root": "GLogosScene",
        "nodes": {"Scene/Logo1": SPRITE_CLASSES, "Scene/Logo2": SPRITE_CLASSES},
        "states": {"": ("NavTo", "NavFrom"), "Scene/Logo1": ("Swap",),
                   "Scene/Logo2": ("Swap", "Swap0")},
    },
    "scenes/IntroScene.oscn": {
        "root": "GIntroScene",
        "nodes": {"Scene/ProgressBg": None, "Scene/Progress": None},
        "states": {"": ("NavTo", "NavFrom")},
    },
    "scenes/MainMenuScene.oscn": {
        "root": "GMainMenuScene",
        "nodes": dict({"Scene": None, "Scene/WelcomeText": {"TextNode"},
                       "BgScene/ActiveBg/BackButton": BUTTON_CLASSES,
                       "BgScene/ActiveBg/ClipNode": None},
                      **{"Scene/" + button: BUTTON_CLASSES
                         for button in ("NewGameButton", "ChangePlayerButton", "OptionsButton",
                                        "AchievementsButton", "CreditsButton", "QuitButton",
                                        "Baloon", "Baloon2")}),
        # the transitions its callers ask for play on the layers below the root
        "states": {"BgScene": ("NavTo", "NavFrom", "NavBackTo", "NavBackFrom", "NavFromSlide",
                               "NavBackToSlide", "NoTransTo"),
                   "Scene": ("NavTo", "NavFrom", "NavBackTo", "NavBackFrom", "NavFromSlide",
                             "NavBackToSlide"),
                   "BgScene/ActiveBg/BackButton": ("Appear", "Disappear"),
                   "BgScene/ActiveBg/ClipNode": ("Scrolling",)},
    },
}

TEXT_CLASSES = {"TextNode"}
HINT_CHILDREN = dict({name: TEXT_CLASSES for name in ("LevelText", "TimeText", "RankText",
                                                      "Place1Text", "Place2Text")},
                     **{name: SPRITE_CLASSES for name in ("Place1Sign", "Place2Sign", "Icon1",
                                                          "Icon2", "Arrow", "ArrowL", "ArrowR")})
NAV_STATES = ("NavTo", "NavFrom", "NavBackTo", "NavBackFrom")
SCENE_CONTRACTS["scenes/MapScene.oscn"] = {
    "root": "GMapScene",
    "nodes": dict({"Scene": None, "Scene/LocationButtons": None,
                   "Scene/PlayButton": BUTTON_CLASSES, "Scene/ShopButton": BUTTON_CLASSES,
                   "Scene/BackButton": BUTTON_CLASSES},
                  **{"Scene/LevelHint%dNode/%s" % (n, child): classes
                     for n in range(1, 7) for child, classes in HINT_CHILDREN.items()}),
    "states": {"Scene": NAV_STATES},
}
SCENE_CONTRACTS["scenes/LoadingLevelScene.oscn"] = {
    "root": "GLoadingLevelScene",
    "nodes": {"Scene": None, "Scene/ProgressBg": None, "Scene/Progress": None},
    "states": {"Scene": NAV_STATES + ("NavToComics3",)},
}
# The map: its location buttons (how many, their template's parts and states), the level score
# of every level they lead to, and the icon of every upgrade a location requires.
MAP_SCENE = "scenes/MapScene.oscn"
MAP_LOCATIONS = 39
LOCATION_TEMPLATE = "MapLocationButton"
LOCATION_PARTS = {"Selector": None, "Star": None, "Star/Star": SPRITE_CLASSES,
                  "Star/Platform": SPRITE_CLASSES}
MAP_ICONS = "scenes/images/Map/Icons/"
_SCENE_STATES = ("NavTo", "NavFrom", "NavBackTo", "NavBackFrom")
SCENE_CONTRACTS.update({
    "scenes/ShopScene.oscn": {
        "root": "GShopScene",
        "nodes": {"Scene": None, "Scene/ShopButtons": CONTROL_CLASSES,
                  "Scene/ScoreText": {"TextNode"}, "Scene/Hint1Node": None,
                  "Scene/Hint1Node/Title": {"TextNode"}, "Scene/Hint1Node/Info": {"TextNode"},
                  "Scene/ShopButtonHLNode": None, "Scene/BackButton": BUTTON_CLASSES},
        "states": {"Scene": _SCENE_STATES, "Scene/ShopButtonHLNode/Glow": ("On", "Off")},
    },
    "scenes/AchievementsScene.oscn": {
        "root": "GAchievementsScene",
        "nodes": dict({"Scene": None, "Scene/TabScene": {"TabSceneNode"},
                       "Scene/EarnedText": {"TextNode"}, "Scene/BackButton": BUTTON_CLASSES},
                      **{"Scene/TabScene/Tab%d/AchievementsList" % n: {"ListNode"}
                         for n in (1, 2, 3)},
                      **{"Scene/TabScene/Tab%dButton" % n: BUTTON_CLASSES for n in (1, 2, 3)}),
        # leaving by default back state; the tabs' switches and first showing
        "states": dict({"Scene": _SCENE_STATES},
                       **{"Scene/TabScene/Tab%d" % n: ("Default",) for n in (1, 2, 3)}),
    },
    "scenes/AchievementUnlockedScene.oscn": {
        "root": "GAchievementUnlockedScene",
        "nodes": {"Scene": None, "Scene/AchImage": SPRITE_CLASSES,
                  "Scene/AchName": {"TextNode"}, "Scene/AchDesc": {"TextNode"},
                  "Scene/OkButton": BUTTON_CLASSES},
        "states": {"Scene": ("NavTo", "NavBackFrom")},
    },
})
# The play screen: every node its code binds, by path below the root, with its class.
PROGRESS_CLASSES = {"ProgressBarNode"}
CHECK_CLASSES = {"CheckBoxNode"}
_MENU = "InternalGamePlayScene/GameMenu/"
_TABS = _MENU + "ActionsTabScene/"
PLAY_SCENE = "scenes/GamePlayScene.oscn"
PLAY_NODES = dict(
    {"InternalGamePlayScene": CONTROL_CLASSES, "InternalGamePlayScene/GameMenu": CONTROL_CLASSES,
     _MENU + "MoneyNode": None, _MENU + "MoneyNode/MoneyText": TEXT_CLASSES,
     _MENU + "MoneyNode/IncomeText": TEXT_CLASSES,
     _MENU + "MoneyNode/ProgressBar": PROGRESS_CLASSES,
     _MENU + "RatingNode": None, _MENU + "RatingNode/ProgressBarText": TEXT_CLASSES,
     _MENU + "RatingNode/ProgressBar": PROGRESS_CLASSES,
     _MENU + "TimeNode": None, _MENU + "TimeNode/Ellipse": {"GEllipseSectorNode"},
     _MENU + "TimeNode/TimeText": TEXT_CLASSES, _MENU + "TimeNode/TargetTimeText": TEXT_CLASSES,
     _MENU + "TimeNode/LongArrow": None, _MENU + "GoalsNode": None,
     _MENU + "ActionsTabScene": {"TabSceneNode"},
     _MENU + "MaterialsAmountTabText": TEXT_CLASSES, _MENU + "WorkersAmountTabText": TEXT_CLASSES,
     _MENU + "MenuButton": BUTTON_CLASSES, _MENU + "HelpButton": BUTTON_CLASSES,
     _MENU + "GoalsButton": BUTTON_CLASSES,
     _TABS + "Tab1/HotelsBuildList": {"ListNode"}, _TABS + "Tab2/FactoriesBuildList": {"ListNode"},
     _TABS + "Tab3/JoysBuildList": {"ListNode"},
     _TABS + "Tab4/ButtonsNode/BuyMaterialsList": {"ListNode"},
     _TABS + "Tab5/ButtonsNode/TrainWorkersList": {"ListNode"},
     _TABS + "Tab6/ProgressNode": CONTROL_CLASSES,
     _TABS + "Tab6/ProgressNode/HintText": TEXT_CLASSES,
     _TABS + "Tab6/ProgressNode/Text": TEXT_CLASSES,
     _TABS + "Tab6/ProgressNode/ProgressBar": PROGRESS_CLASSES,
     _TABS + "Tab6/ProgressNode/AbortButton": BUTTON_CLASSES,
     _TABS + "Tab6/HotelButtonsNode": CONTROL_CLASSES,
     _TABS + "Tab6/JoyButtonsNode": CONTROL_CLASSES,
     _TABS + "Tab6/CustomServiceButtonsNode": CONTROL_CLASSES,
     _TABS + "Tab6/CustomServiceButtonsNode/CustomServeButton": BUTTON_CLASSES,
     _TABS + "Tab6/JoyButtonsNode/ActiveFeature2Button/AddImage": SPRITE_CLASSES,
     _TABS + "Tab7/BuyButton": BUTTON_CLASSES, _TABS + "Tab7/PriceText": TEXT_CLASSES,
     _TABS + "Tab9/OfferPriceText": TEXT_CLASSES,
     _TABS + "Tab9/AcceptSellOfferButton": BUTTON_CLASSES,
     _TABS + "Tab9/DeclineSellOfferButton": BUTTON_CLASSES,
     _TABS + "Tab10/SellButton": BUTTON_CLASSES},
    **{_TABS + "Tab%dButton" % n: BUTTON_CLASSES for n in (4, 5, 8)},
    **{_TABS + "Tab%d" % n: CONTROL_CLASSES for n in range(1, 11)},
    **{_TABS + "Tab%d/HintText" % n: TEXT_CLASSES for n in range(1, 11)},
    **{_TABS + "Tab%d/%s" % (n, part): classes for n in (4, 5)
       for part, classes in (("ProgressNode", None), ("ButtonsNode", CONTROL_CLASSES),
                             ("ProgressNode/ProgressBar", PROGRESS_CLASSES),
                             ("ProgressNode/Text", TEXT_CLASSES))},
    **{_TABS + "Tab%d/%s" % (n, part): TEXT_CLASSES for n in (1, 2, 3)
       for part in ("Label", "LabelText")},
    **{_TABS + "Tab%d/BuildingInfoNode/%s" % (n, part): classes
       for n in (1, 2, 3, 6, 7, 9, 10)
       for part, classes in (("NameText", TEXT_CLASSES), ("StatsText", TEXT_CLASSES),
                             ("AfterUpgradeNode/IncomeNode/Text", TEXT_CLASSES),
                             ("AfterUpgradeNode/GuestsNode/Text", TEXT_CLASSES),
                             ("BrokenNode", None), ("DescriptionNode/Text", TEXT_CLASSES),
                             ("Preview", SPRITE_CLASSES))},
    **{_TABS + "Tab6/HotelButtonsNode/" + b: BUTTON_CLASSES
       for b in ("UpgradeButton", "DestroyButton", "SellButton", "RepairButton",
                 "CustomAction1Button")},
    **{_TABS + "Tab6/JoyButtonsNode/" + b: BUTTON_CLASSES
       for b in ("DestroyButton", "SellButton", "ActiveFeature1Button", "ActiveFeature2Button",
                 "CleanButton")},
    **{_TABS + "Tab10/" + b: BUTTON_CLASSES for b in ("HotelsButton", "JoysButton",
                                                      "FactoriesButton")},
    **{_TABS + "Tab%d/BackToBuildButton" % n: BUTTON_CLASSES for n in (1, 2, 3)},
    **{_TABS + "Tab8/" + t: TEXT_CLASSES for t in ("LevelText", "MoneyText", "IncomeText",
                                                   "GuestsText", "PossibleIncomeText",
                                                   "PossibleGuestsText")},
    **{_TABS + "Tab8/RatingNode/Star%d" % n: None for n in range(1, 7)},
    **{_TABS + "Tab8/GoalsNode/Goal%d" % n: CHECK_CLASSES for n in range(1, 5)},
    **{_MENU + "RatingNode/Star%d" % n: None for n in range(1, 7)},
    **{_MENU + "GoalsNode/Goal%d" % n: CHECK_CLASSES for n in range(1, 6)},
    **{_MENU + name: None for name in ("IncomeGuestsInfoNode", "GuestsInfoNode",
                                       "MaterialsWorkersTooltipNode", "WorkersInfoNode",
                                       "MoneyInfoNode", "FeatureInfoNode")},
    **{_MENU + "%s/%s" % (node, part): TEXT_CLASSES
       for node, parts in (("IncomeGuestsInfoNode", ("NameText", "IncomeText", "GuestsText")),
                           ("GuestsInfoNode", ("NameText", "IncomeText", "GuestsText")),
                           ("MaterialsWorkersTooltipNode", ("NameText", "MaterialsText",
                                                            "WorkersText")),
                           ("MoneyInfoNode", ("NameText", "MoneyText")),
                           ("WorkersInfoNode", ("NameText", "WorkersText")),
                           ("FeatureInfoNode", ("NameText",)))
       for part in parts})
SCENE_CONTRACTS[PLAY_SCENE] = {
    "root": "GGamePlayScene",
    "nodes": PLAY_NODES,
    "states": dict({"InternalGamePlayScene": NAV_STATES},
                   **{path: ("Full", "Empty") for path in PLAY_NODES if "/Star" in path}),
}
# The pictures the play screen's code names, the templates it and its lists use, the building
# types of its three build menus.
BUILD_MENU_TYPES = ("Camping1", "Hostel1", "GuestHouse1", "BusinessHotel1", "HotelN51",
                    "HotelN61", "Cafe", "CityMall", "AquaPark", "Statue", "Garden", "Memorial",
                    "TruckStation", "REAgency", "PRAgency")
PLAY_BUTTONS = "scenes/images/GameMenu/Buttons/"
PLAY_TEMPLATES = (["TutorialWindow", "MoneyStar", "Game_SellButton", "Game_UnSellButton",
                   "Game_CafeOrderButton", "Game_RestoreButton", "Game_U", "Game_GoalCheckBox"] +
                  ["Game_%sButton%d" % (kind, n) for kind in ("Materials", "Workers")
                   for n in range(1, 6)])
LIST_PARTS = {"HotelsBuildList": ("Image",), "JoysBuildList": ("Image",),
              "FactoriesBuildList": ("Image",), "BuyMaterialsList": ("Text", "Text"),
              "TrainWorkersList": ("Text", "Text")}


def lock_picture(type_name):
    """The picture a locked build entry shows: the type's name, a hotel's without its level."""
    hotels = BUILD_MENU_TYPES[:6]
    return PLAY_BUTTONS + (type_name[:-1] if type_name in hotels else type_name) + \
        "ButtonLock.png"


# The shop sells the upgrades table (UPGRADES_TABLE): a GShopButton's UpgradeName names an
# upgrade of it.
SHOP_SCENE = "scenes/ShopScene.oscn"
# The main menu's street: each mover class, how many parent links below the menu it must sit
# (it looks for the menu exactly there), the path group it takes from the street's paths (None:
# the pedestrian paths) and the states its "Body" must carry.
MENU_SCENE = "scenes/MainMenuScene.oscn"
MENU_PATHS = "scenes/BgTrafficPaths.xml"
BIKE_STATES = ("Right", "RightRightRightUp", "RightRightUp", "RightUp", "RightUpUp", "RightUpUpUp",
               "Up", "LeftUpUpUp", "LeftUpUp", "LeftUp", "LeftLeftUp", "LeftLeftLeftUp", "Left",
               "LeftLeftDown", "LeftLeftLeftDown", "LeftDown", "LeftDownDown", "LeftDownDownDown",
               "Down", "RightDownDownDown", "RightDownDown", "RightDown", "RightRightDown",
               "RightRightRightDown")
MENU_MOVERS = {
    "GMainMenuBikeNode": (4, "Bike", BIKE_STATES),
    "GMainMenuCarNode": (5, "Path", tuple("%s%d" % (d, n) for d in ("Down", "Up")
                                          for n in range(1, 7))),
    "GMainMenuCloudNode": (5, "Clouds", ()),
    "GMainMenuPedestrianNode": (5, None, ("Down", "Up")),
}
# The files the preloader's steps read (the step table of the preloader's code, game/scenes).
PRELOADER_SOURCE = "game/scenes/GIntroScene.cpp"
PRELOADER_HEADER = "game/scenes/GIntroScene.h"
# Read by the preloader once the parts of the game that make them exist.
PRELOADER_PENDING = set()
# The cue names of the game's code, checked against the sound pack (no code plays the one
# declared only).
CUE_SOURCE = "game/config/GSoundCueIds.cpp"
CUES_NOT_PLAYED = {"FeatureCommercial"}
QUOTED_PATH = re.compile(r'"([A-Za-z0-9_/]+\.(?:xml|oscn))"')
# A picture name's digits before the extension are its frame number: frames are named Name0001.
FRAME_DIGITS = re.compile(r"(\d+)\.[^./]*$")
# Pictures whose numbered names the game's code fixes (no frames of a sequence): the icons of
# the achievements, Icon1.png to Icon12.png, the play screen's five material and five worker
# offers, the map's upgrade icons, named after the upgrades, and the feature faces, named after
# the feature buttons of the buildings catalogue (both names may end in a digit).
NUMBERED_PICTURES = re.compile(r"^scenes/images/Achievements/Icon\d+\.png$"
                               r"|^scenes/images/GameMenu/Buttons/(Materials|Workers)[1-5]\.png$")
NAMED_BY_TABLE = ("scenes/images/Map/Icons/", "scenes/images/GameMenu/Features/",
                  "scenes/images/GameMenu/Icons/", "levels/minigame_auction/Money/")


def _asset_path(path):
    return os.path.join(REPO, ASSETS, path)


def _resolve(file_folder, name):
    """A name inside a file, resolved against the file's folder (both from the asset root)."""
    return os.path.normpath(os.path.join(file_folder, name)).replace(os.sep, "/")


def _parse(path, problems):
    with open(path, "rb") as source:
        data = source.read()
    rel = os.path.relpath(path, REPO)
    if not data.startswith(BOM):
        problems.append("%s: no UTF-8 byte-order mark" % rel)
    try:
        return ET.fromstring(data)
    except ET.ParseError as error:
        problems.append("%s: %s" % (rel, error))
        return None


class Content:
    """What the asset tree holds: atlas regions, files, templates, texts."""

    def __init__(self, problems):
        self.problems = problems
        self.regions = {}  # name -> collection
        self.files = set()
        root = os.path.join(REPO, ASSETS)
        for folder, _, names in os.walk(root):
            for name in names:
                self.files.add(os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/"))
        self.texts = self._dictionary()
        self._collections()
        self.templates = {MENU_TEMPLATES: self._template_names(MENU_TEMPLATES),
                          LEVEL_TEMPLATES: self._template_names(LEVEL_TEMPLATES)}

    def _dictionary(self):
        keys = set()
        path = _asset_path("strings/Dictionary.xml")
        if not os.path.exists(path):
            self.problems.append("assets/strings/Dictionary.xml is missing")
            return keys
        root = _parse(path, self.problems)
        for entry in root.iter("s") if root is not None else ():
            key = entry.get("n", "")
            if key in keys:
                self.problems.append("Dictionary.xml: key %s twice" % key)
            keys.add(key)
        return keys

    def _collections(self):
        for file in sorted(f for f in self.files if f.startswith("atlases/") and f.endswith(".xml")):
            root = _parse(_asset_path(file), self.problems)
            if root is None:
                continue
            if root.tag != "AtlasTextureCollection":
                self.problems.append("%s: root is %s" % (file, root.tag))
            pages = []
            for page in root.iter("a"):
                page_file = _resolve(os.path.dirname(file), page.get("f", ""))
                if page_file not in self.files:
                    self.problems.append("%s: page %s is missing" % (file, page_file))
                    pages.append(None)
                else:
                    with Image.open(_asset_path(page_file)) as image:
                        pages.append(image.size)
            for region in root.iter("t"):
                name = region.get("n", "")
                index = int(float(region.get("i", "0")))
                box = [int(float(v)) for v in region.get("r", "").split(",")]
                if name in self.regions:
                    self.problems.append("%s: region %s is also in %s" % (file, name,
                                                                          self.regions[name]))
                digits = FRAME_DIGITS.search(name)
                if digits and len(digits.group(1)) != 4 and not NUMBERED_PICTURES.match(name) \
                        and not name.startswith(NAMED_BY_TABLE):
                    self.problems.append("%s: %s ends in a number that is not a four-digit frame "
                                         "number" % (file, name))
                self.regions[name] = file
                if not 0 <= index < len(pages) or pages[index] is None:
                    self.problems.append("%s: %s lies on no page" % (file, name))
                    continue
                w, h = pages[index]
                if len(box) != 4 or not (0 <= box[0] <= box[2] <= w and 0 <= box[1] <= box[3] <= h):
                    self.problems.append("%s: %s has the box %s outside its page" % (file, name, box))

    def _template_names(self, path):
        full = _asset_path(path)
        if not os.path.exists(full):
            return set()
        root = _parse(full, self.problems)
        names = set()
        for child in root.findall("SceneNode") if root is not None else ():
            names.add(_node_name(child))
        return names

    def picture_exists(self, name):
        return name in self.regions or name in self.files


def _node_name(element):
    for props in element.findall("Properties"):
        for value in props:
            if value.get("Name") == "Name":
                return value.get("Value")
    return None


def _check_value(where, type_name, name, value, content, folder, problems):
    if type_name not in VALUE_TYPES:
        problems.append("%s: %s has the unknown type %s" % (where, name, type_name))
        return
    expected = PROPERTY_TYPES.get(name)
    if expected and expected != type_name:
        problems.append("%s: %s is a %s, not a %s" % (where, name, expected, type_name))
    if type_name in RESOURCE_TYPES and value:
        target = _resolve(folder, value)
        if type_name == "atlasTexture" and not content.picture_exists(target):
            problems.append("%s: picture %s (%s) does not exist" % (where, value, target))
        if type_name in ("font", "sound") and target not in content.files:
            problems.append("%s: %s %s (%s) does not exist" % (where, type_name, value, target))
    if type_name in ("stringw", "string") and value:
        for key in TEXT_KEY.findall(value):
            if key not in content.texts:
                problems.append("%s: text key %%%s%% has no dictionary entry" % (where, key))


def lint_scene(path, content, problems, templates):
    """One scene file; `path` from the repository root; names resolve from the asset root (files
    outside the asset tree may name only templates)."""
    rel = os.path.relpath(path, REPO).replace(os.sep, "/")
    in_assets = rel.startswith(ASSETS + "/")
    folder = os.path.dirname(os.path.relpath(path, os.path.join(REPO, ASSETS))) if in_assets else None
    root = _parse(path, problems)
    if root is None:
        return
    if root.tag != "SceneNode":
        problems.append("%s: the root is %s" % (rel, root.tag))
    for node in root.iter("SceneNode"):
        cls = node.get("ClassOverride") or node.get("Type")
        name = _node_name(node) or "(unnamed)"
        where = "%s: %s" % (rel, name)
        if node.get("File"):
            if in_assets and _resolve(folder, node.get("File")) not in content.files:
                problems.append("%s: child file %s does not exist" % (where, node.get("File")))
            continue
        if node.get("Type") is None:
            problems.append("%s: a node without Type" % where)
        if cls not in ENGINE_NODES | GAME_NODES:
            problems.append("%s: unknown node class %s" % (where, cls))
        if name == "BackButton" and cls not in BUTTON_CLASSES:
            problems.append("%s: a BackButton must be a button, not a %s" % (where, cls))
        for props in node.findall("Properties"):
            for value in props:
                _check_value(where, value.tag, value.get("Name", ""), value.get("Value", ""),
                             content, folder if in_assets else "", problems)
                if value.get("Name") == "TemplateName" and value.get("Value") and \
                        value.get("Value") not in templates:
                    problems.append("%s: template %s is not in the collection"
                                    % (where, value.get("Value")))
        for states in node.findall("States"):
            for state in states.findall("State"):
                _lint_state(where, state, content, folder if in_assets else "", problems)
    # the game's own scenes (a test's sampler is only looked at)
    if in_assets and (root.get("ClassOverride") or root.get("Type")) in CONTROL_CLASSES:
        _lint_pointer_reach(rel, root, [], problems)
    if not in_assets:
        for value in root.iter():
            if value.tag in RESOURCE_TYPES and value.get("Value"):
                problems.append("%s: names %s, which resolves against the file's own folder"
                                % (rel, value.get("Value")))


def _lint_pointer_reach(rel, node, ancestors, problems):
    """Buttons of a scene sit below controls only, or the pointer never reaches them."""
    cls = node.get("ClassOverride") or node.get("Type")
    if cls in BUTTON_CLASSES:
        blocking = [_node_name(a) or "(unnamed)" for a in ancestors
                    if (a.get("ClassOverride") or a.get("Type")) not in CONTROL_CLASSES]
        if blocking:
            problems.append("%s: %s is out of the pointer's reach below %s, which is no control"
                            % (rel, _node_name(node), blocking[-1]))
    for child in node.findall("SceneNode"):
        _lint_pointer_reach(rel, child, ancestors + [node], problems)


def _lint_state(where, state, content, folder, problems):
    where = "%s, state %s" % (where, state.get("Name"))
    if not state.get("Name"):
        problems.append("%s: a state without a name" % where)
    for animation in state:
        kind = animation.get("Type")
        if animation.tag not in ("Animator", "StartAnimator", "EndAnimator") or \
                kind not in ANIMATIONS:
            problems.append("%s: unknown animation %s %s" % (where, animation.tag, kind))
            continue
        if kind == "SetProps":
            for value in animation:
                _check_value(where, value.tag, value.get("Name", ""), value.get("Value", ""),
                             content, folder, problems)
        if kind == "KeyFrame":
            props = animation.find("Properties")
            types = [(v.tag, v.get("Name")) for v in props] if props is not None else []
            keys = animation.findall("KeyFrame")
            for t, n in types:
                _check_value(where, t, n, "", content, folder, problems)
            for index, key in enumerate(keys):
                for i, (t, n) in enumerate(types):
                    if "Value%d" % i not in key.attrib:
                        problems.append("%s: key %d has no value for %s" % (where, index, n))
                    else:
                        _check_value(where, t, n, key.get("Value%d" % i), content, folder,
                                     problems)
                goto = int(key.get("g", "-1"))
                if goto >= len(keys):
                    problems.append("%s: key %d jumps past the last key" % (where, index))
                if goto >= 0 and goto <= index and \
                        sum(int(k.get("t", "0")) for k in keys[goto + 1:index + 1]) == 0:
                    problems.append("%s: key %d loops without time passing" % (where, index))
            if keys and keys[0].get("i") is not None:
                problems.append("%s: the first key glides from nothing" % where)


def lint_fonts(content, problems):
    for file in sorted(f for f in content.files if f.endswith(".ofnt")):
        root = _parse(_asset_path(file), problems)
        if root is None:
            continue
        if root.tag != "Font" or root.get("Type") != "Bitmap":
            problems.append("%s: not a bitmap font" % file)
        sizes = []
        for texture in root.iter("Texture"):
            page = _resolve(os.path.dirname(file), texture.get("Filename", ""))
            if page not in content.files:
                problems.append("%s: page %s is missing" % (file, page))
                sizes.append(None)
            else:
                with Image.open(_asset_path(page)) as image:
                    sizes.append(image.size)
        chars = set()
        for glyph in root.iter("c"):
            char = glyph.get("c", "")
            if len(char) != 1 or char in chars:
                problems.append("%s: glyph %r twice or not one character" % (file, char))
            chars.add(char)
            box = [int(v) for v in glyph.get("r").split(",")]
            page = int(glyph.get("i", "0"))
            if box[2] > box[0]:
                if not 0 <= page < len(sizes) or sizes[page] is None or \
                        box[2] > sizes[page][0] or box[3] > sizes[page][1]:
                    problems.append("%s: glyph %r lies outside its page" % (file, char))
        if " " not in chars:
            problems.append("%s: no space glyph (the default glyph)" % file)
        for pair in root.iter("k"):
            if len(pair.get("c", "")) != 2:
                problems.append("%s: kerning pair %r is not two characters" % (file, pair.get("c")))


def lint_sound_pack(content, problems):
    from .sounds import GAME_CUES, PACK
    path = _asset_path(PACK)
    if not os.path.exists(path):
        problems.append("assets/%s is missing" % PACK)
        return
    root = _parse(path, problems)
    names = set()
    for cue in root.iter("SoundCue") if root is not None else ():
        names.add(cue.get("Name"))
        if cue.get("GroupID") not in ("0", "1", "2"):
            problems.append("%s: cue %s in group %s" % (PACK, cue.get("Name"), cue.get("GroupID")))
        sounds = cue.findall("Sound")
        if not sounds:
            problems.append("%s: cue %s has no sound" % (PACK, cue.get("Name")))
        for sound in sounds:
            if _resolve(os.path.dirname(PACK), sound.get("Filename", "")) not in content.files:
                problems.append("%s: %s is missing" % (PACK, sound.get("Filename")))
    wanted = set(GAME_CUES) | {"ComicsText", "Rain"} | {"GameMusicSetting%d" % i
                                                         for i in range(1, 5)}
    for name in sorted(wanted - names):
        problems.append("%s: no cue %s" % (PACK, name))


def _child_path(root, path):
    """The node at a path of names, each a direct child of the one before, or None."""
    node = root
    for name in path.split("/") if path else ():
        node = next((c for c in node.findall("SceneNode") if _node_name(c) == name), None)
        if node is None:
            return None
    return node


def lint_scene_contracts(content, problems):
    for file, contract in sorted(SCENE_CONTRACTS.items()):
        if file not in content.files:
            problems.append("%s is missing" % file)
            continue
        root = _parse(_asset_path(file), problems)
        if root is None:
            continue
        cls = root.get("ClassOverride") or root.get("Type")
        if cls != contract["root"]:
            problems.append("%s: the root is a %s, not a %s" % (file, cls, contract["root"]))
        for path, classes in sorted(contract["nodes"].items()):
            node = _child_path(root, path)
            if node is None:
                problems.append("%s: no node %s" % (file, path))
            elif classes and (node.get("ClassOverride") or node.get("Type")) not in classes:
                problems.append("%s: %s is not one of %s" % (file, path, ", ".join(sorted(classes))))
        for path, states in sorted(contract["states"].items()):
            node = _child_path(root, path)
            if node is None:
                continue
            have = {state.get("Name") for group in node.findall("States")
                    for state in group.findall("State")}
            for state in states:
                if state not in have:
                    problems.append("%s: %s has no state %s" % (file, path or "the root", state))


def _position(node):
    properties = node.find("Properties")
    for value in properties if properties is not None else ():
        if value.get("Name") == "Position":
            return tuple(float(v) for v in value.get("Value", "0;0;0").split(";"))
    return (0.0, 0.0, 0.0)


def _path_groups(problems):
    """The street's paths: the longest path of each car group by name, and of the walkers'."""
    root = _parse(_asset_path(MENU_PATHS), problems)
    longest = {}
    if root is None:
        return longest
    for group, key in (("CarPaths", "ID"), ("PedestrianPaths", None)):
        for paths in root.findall(group):
            for path in paths.findall("Path"):
                name = path.get(key) if key else None
                points = len(path.findall("p"))
                longest[name] = max(longest.get(name, 0), points)
    return longest


def lint_menu_movers(content, problems):
    if MENU_SCENE not in content.files:
        return
    root = _parse(_asset_path(MENU_SCENE), problems)
    if root is None:
        return
    groups = _path_groups(problems)
    found = set()

    def walk(node, ancestors):
        cls = node.get("ClassOverride") or node.get("Type")
        name = _node_name(node)
        if cls in MENU_MOVERS:
            found.add(cls)
            depth, group, states = MENU_MOVERS[cls]
            where = "%s: %s (%s)" % (MENU_SCENE, name, cls)
            if len(ancestors) != depth:
                problems.append("%s sits %d links below the menu, not %d"
                                % (where, len(ancestors), depth))
            for ancestor in ancestors[1:]:
                if any(_position(ancestor)[:2]):
                    problems.append("%s: its ancestor %s is not at the origin"
                                    % (where, _node_name(ancestor)))
            body = _child_path(node, "Body")
            if states and body is None:
                problems.append("%s has no Body" % where)
            elif states:
                have = {state.get("Name") for group_ in body.findall("States")
                        for state in group_.findall("State")}
                missing = [state for state in states if state not in have]
                if missing:
                    problems.append("%s: its Body lacks the states %s" % (where, ", ".join(missing)))
        for child in node.findall("SceneNode"):
            walk(child, ancestors + [node])

    walk(root, [])
    for cls in sorted(found):
        group = MENU_MOVERS[cls][1]
        if groups.get(group, 0) < 2:
            problems.append("%s: the %s group has no path of two points or more, for %s"
                            % (MENU_PATHS, group or "pedestrian", cls))


# The level world's movers in the level templates: class, and the states their "Body" carries.
LEVEL_DIRECTIONS = ("Right", "RightUp", "Up", "LeftUp", "Left", "LeftDown", "Down", "RightDown")
LEVEL_MOVERS = dict(
    [("Car%d" % i, ("GCarNode", LEVEL_DIRECTIONS)) for i in range(1, 5)] +
    [("Walker%d" % i, ("GPedestrianNode", LEVEL_DIRECTIONS)) for i in range(1, 4)] +
    [("FlyingBird", ("GBirdNode", LEVEL_DIRECTIONS +
                     tuple(d + "_Flap" for d in LEVEL_DIRECTIONS)))])


def _level_template_classes(problems):
    """The level templates by name, with their classes."""
    root = _parse(_asset_path(LEVEL_TEMPLATES), problems)
    found = {}
    for node in root.findall("SceneNode") if root is not None else ():
        found[_node_name(node)] = node
    return found


def lint_level_movers(problems):
    templates = _level_template_classes(problems)
    for name, (cls, states) in sorted(LEVEL_MOVERS.items()):
        node = templates.get(name)
        where = "%s: %s" % (LEVEL_TEMPLATES, name)
        if node is None:
            problems.append("%s is missing" % where)
            continue
        if (node.get("ClassOverride") or node.get("Type")) != cls:
            problems.append("%s is not a %s" % (where, cls))
        body = _child_path(node, "Body")
        if body is None:
            problems.append("%s has no Body" % where)
            continue
        have = {state.get("Name") for group in body.findall("States")
                for state in group.findall("State")}
        missing = [state for state in states if state not in have]
        if missing:
            problems.append("%s: its Body lacks the states %s" % (where, ", ".join(missing)))


def lint_level_paths(path, car_classes, problems):
    """One level folder's paths: every path has two points or more, and the passing cars'
    paths name car templates that exist."""
    root = _parse(path, problems)
    if root is None:
        return
    where = os.path.relpath(path, REPO)
    for group in ("CarPaths", "PedestrianPaths"):
        for paths in root.findall(group):
            for index, element in enumerate(paths.findall("Path")):
                name = element.get("ID") or "#%d" % index
                if len(element.findall("p")) < 2:
                    problems.append("%s: the path %s of %s has fewer than two points"
                                    % (where, name, group))
                if group == "CarPaths" and element.get("ID") == "NeutralCar":
                    for car in (c.strip() for c in (element.get("Cars") or "").split(";")):
                        if car and car_classes.get(car) != "GCarNode":
                            problems.append("%s: a \"NeutralCar\" path names %s, which is no car "
                                            "template" % (where, car))


def lint_level_folders(problems):
    templates = _level_template_classes(problems)
    classes = {name: node.get("ClassOverride") or node.get("Type")
               for name, node in templates.items()}
    folders = sorted(glob.glob(os.path.join(REPO, ASSETS, "levels", "*", "LevelPaths.xml")))
    folders += sorted(glob.glob(os.path.join(REPO, "bench", "levels", "*", "LevelPaths.xml")))
    for path in folders:
        lint_level_paths(path, classes, problems)


# The campaign's level folders: the files the play screen reads from each, and the levels whose
# folders are still to come (the list ends empty once every level of the map is made).
LEVEL_FILES = ("Level.oscn", "LevelConfiguration.xml", "LevelPaths.xml")
LEVELS_PENDING = set()


def _properties_of(root):
    """The values of a file's top "Properties" set, by name."""
    found = {}
    for group in root.findall("Properties") if root is not None else ():
        for prop in group:
            found[prop.get("Name")] = prop.get("Value")
    return found


def lint_campaign_levels(problems, root=None):
    """Every regular level of the map has its folder (but the pending ones, which must not be
    there yet), and its configuration agrees with its place on the map: "Name" the level's
    number, "SettingIndex" its region's, "UnlockLevels" the next level, its description's text
    key. `root` is the asset folder (the repository's by default)."""
    from . import campaign
    root = root or os.path.join(REPO, ASSETS)
    for number in range(1, campaign.LEVEL_COUNT + 1):
        folder = "levels/" + campaign.folder_name(number)
        present = [f for f in LEVEL_FILES if os.path.exists(os.path.join(root, folder, f))]
        if number in LEVELS_PENDING:
            if present:
                problems.append("%s exists now: take level %d off the pending list"
                                % (folder, number))
            continue
        for name in LEVEL_FILES:
            if name not in present:
                problems.append("%s/%s is missing" % (folder, name))
        if "LevelConfiguration.xml" not in present:
            continue
        config = _parse(os.path.join(root, folder, "LevelConfiguration.xml"), problems)
        values = _properties_of(config)
        expected = {"Name": str(number), "SettingIndex": str(campaign.setting_of(number)),
                    "Description": "%" + campaign.description_key(number) + "%",
                    "UnlockLevels": str(number + 1) if number < campaign.LEVEL_COUNT else None}
        for key, value in expected.items():
            if values.get(key) != value:
                problems.append("%s/LevelConfiguration.xml: %s is %r, not %r"
                                % (folder, key, values.get(key), value))


def lint_preloader_files(content, problems):
    names = set()
    for source in (PRELOADER_SOURCE, PRELOADER_HEADER):
        path = os.path.join(REPO, source)
        if not os.path.exists(path):
            problems.append("%s is missing" % source)
            continue
        with open(path, encoding="utf-8") as code:
            names.update(QUOTED_PATH.findall(code.read()))
    names.discard("scenes/MainMenuScene.oscn")  # the scene it switches to, not a step's file
    for name in sorted(names - PRELOADER_PENDING):
        if name not in content.files:
            problems.append("the preloader reads %s, which does not exist" % name)


def lint_shop_upgrades(content, problems):
    if SHOP_SCENE not in content.files or UPGRADES_TABLE not in content.files:
        return
    table = _parse(_asset_path(UPGRADES_TABLE), problems)
    scene = _parse(_asset_path(SHOP_SCENE), problems)
    if table is None or scene is None:
        return
    names = {u.find("Name").get("Value") for u in table.findall("Upgrade")
             if u.find("Name") is not None}
    for node in scene.iter("SceneNode"):
        if node.get("ClassOverride") != "GShopButton" and node.get("Type") != "GShopButton":
            continue
        upgrade = None
        for props in node.findall("Properties"):
            for value in props:
                if value.get("Name") == "UpgradeName":
                    upgrade = value.get("Value")
        if upgrade not in names:
            problems.append("%s: the button %s sells %s, which the upgrades table lacks"
                            % (SHOP_SCENE, _node_name(node), upgrade))


def lint_cue_names(problems):
    from .sounds import PACK
    path = os.path.join(REPO, CUE_SOURCE)
    pack = _asset_path(PACK)
    if not os.path.exists(path) or not os.path.exists(pack):
        problems.append("%s or the sound pack is missing" % CUE_SOURCE)
        return
    with open(path, encoding="utf-8") as code:
        text = code.read()
    table = re.search(r"kCueNames\[[^]]*\]\s*=\s*\{(.*?)\};", text, re.S)
    cues = re.findall(r'"([^"]+)"', table.group(1)) if table else []
    if not cues:
        problems.append("%s: no cue names found" % CUE_SOURCE)
    root = _parse(pack, problems)
    have = {cue.get("Name") for cue in root.iter("SoundCue")} if root is not None else set()
    for cue in cues:
        if cue not in CUES_NOT_PLAYED and cue not in have:
            problems.append("%s: the game plays cue %s, which the sound pack lacks" % (PACK, cue))


UPGRADES_TABLE = "levels/common/UpgradesConfiguration.xml"
LEVEL_SCORES = "levels/common/LevelScores.xml"
BUILDINGS_TABLE = "levels/common/BuildingsConfiguration.xml"
ACHIEVEMENT_COUNT = 12


def _building_features(problems):
    """The buildings configuration's types with the number of their active features."""
    root = _parse(_asset_path(BUILDINGS_TABLE), problems)
    types = {}
    for building in root.iter("Building") if root is not None else ():
        name = None
        for prop in building.iter():
            if prop.get("Name") == "Name" and prop.tag == "string":
                name = prop.get("Value")
        if name:
            types[name] = len(building.findall("ActiveFeature"))
    return types


def _text_key(value):
    match = TEXT_KEY.fullmatch(value or "")
    return match.group(1) if match else None


def lint_upgrades(content, problems):
    """Every upgrade has a name with a dictionary text and an Info text; the buildings and features
    it allows exist in the buildings configuration."""
    root = _parse(_asset_path(UPGRADES_TABLE), problems)
    if root is None:
        return
    types = _building_features(problems)
    seen = set()
    for upgrade in root.iter("Upgrade"):
        fields = {child.tag: child for child in upgrade}
        name = fields["Name"].get("Value") if "Name" in fields else None
        where = "%s: upgrade %s" % (UPGRADES_TABLE, name)
        if not name:
            problems.append("%s: an upgrade without a name" % UPGRADES_TABLE)
            continue
        if name in seen:
            problems.append("%s twice" % where)
        seen.add(name)
        if name not in content.texts:
            problems.append("%s has no dictionary text of its name" % where)
        info = _text_key(fields["Info"].get("Value")) if "Info" in fields else None
        if not info or info not in content.texts:
            problems.append("%s: its Info is no dictionary text" % where)
        for allowed in upgrade.findall("AllowsBuilding"):
            if allowed.get("Value") not in types:
                problems.append("%s allows the unknown building %s" % (where, allowed.get("Value")))
        for feature in upgrade.findall("AllowsBuildingFeature"):
            building = feature.get("Building")
            number = int(feature.get("FeatureIndex", "0"))
            if building not in types:
                problems.append("%s unlocks a feature of the unknown building %s" % (where, building))
            elif not 1 <= number <= types[building]:
                problems.append("%s unlocks feature %d of %s, which has %d"
                                % (where, number, building, types[building]))
        if int(fields["Price"].get("Value", "0")) < 0 if "Price" in fields else False:
            problems.append("%s has a negative price" % where)


def lint_level_scores(problems):
    """The scores rise along the map (the file lists the locations in order) and the expert score
    lies above the score."""
    root = _parse(_asset_path(LEVEL_SCORES), problems)
    if root is None:
        return
    previous = None
    names = set()
    for level in root.iter("Level"):
        name = level.get("Name")
        score, expert = int(level.get("Score", "0")), int(level.get("ExpertScore", "0"))
        if name in names:
            problems.append("%s: %s twice" % (LEVEL_SCORES, name))
        names.add(name)
        if expert < score:
            problems.append("%s: %s's expert score lies below its score" % (LEVEL_SCORES, name))
        if name.startswith(MINI_GAME_PREFIX):
            continue  # a mini-game scores by its own rules (lint_minigames)
        if previous is not None and (score < previous[0] or expert < previous[1]):
            problems.append("%s: %s scores less than the location before it" % (LEVEL_SCORES, name))
        previous = (score, expert)


def lint_achievement_texts(content, problems):
    keys = ["Achievements_AlreadyEarned"]
    for n in range(1, ACHIEVEMENT_COUNT + 1):
        keys += ["Achievements_%d%s" % (n, part) for part in ("Name", "DescBefore", "DescAfter")]
    for key in keys:
        if key not in content.texts:
            problems.append("the dictionary lacks the achievement text %s" % key)


def _value_of(element, name):
    """A property's value in a node element (None when absent)."""
    for group in element.findall("Properties"):
        for prop in group:
            if prop.get("Name") == name:
                return prop.get("Value")
    return None


def lint_map(content, problems):
    if MAP_SCENE not in content.files:
        return  # the scene contracts report it
    root = _parse(_asset_path(MAP_SCENE), problems)
    layer = _child_path(root, "Scene/LocationButtons") if root is not None else None
    if layer is None:
        return
    buttons = [c for c in layer.findall("SceneNode")
               if (c.get("ClassOverride") or c.get("Type")) == "GMapLocationButton"]
    if len(buttons) != MAP_LOCATIONS:
        problems.append("%s: %d location buttons, not %d" % (MAP_SCENE, len(buttons),
                                                             MAP_LOCATIONS))
    scores_root = _parse(_asset_path(LEVEL_SCORES), problems) \
        if LEVEL_SCORES in content.files else None
    scored = {e.get("Name") for e in scores_root.iter("Level")} if scores_root is not None else set()
    from .upgrades import location_names
    names = location_names()
    for index, button in enumerate(buttons):
        level = _value_of(button, "AssociatedLevelName")
        if index < len(names) and level != names[index]:
            problems.append("%s: location %d leads to %s, not to %s"
                            % (MAP_SCENE, index, level, names[index]))
        if not level:
            problems.append("%s: %s leads to no level" % (MAP_SCENE, _node_name(button)))
        elif level not in scored:
            problems.append("%s: %s leads to %s, which %s lacks"
                            % (MAP_SCENE, _node_name(button), level, LEVEL_SCORES))
        if _value_of(button, "TemplateName") != LOCATION_TEMPLATE:
            problems.append("%s: %s does not use the template %s"
                            % (MAP_SCENE, _node_name(button), LOCATION_TEMPLATE))
    collection = _parse(_asset_path(MENU_TEMPLATES), problems)
    template = next((t for t in collection.findall("SceneNode") if _node_name(t) == LOCATION_TEMPLATE),
                    None) if collection is not None else None
    if template is None:
        problems.append("%s: no template %s" % (MENU_TEMPLATES, LOCATION_TEMPLATE))
    else:
        for path, classes in sorted(LOCATION_PARTS.items()):
            node = _child_path(template, path)
            if node is None:
                problems.append("%s: %s has no %s" % (MENU_TEMPLATES, LOCATION_TEMPLATE, path))
            elif classes and (node.get("ClassOverride") or node.get("Type")) not in classes:
                problems.append("%s: %s/%s is not a sprite" % (MENU_TEMPLATES, LOCATION_TEMPLATE,
                                                               path))
        star = _child_path(template, "Star")
        if star is not None and "Wave" not in {st.get("Name") for g in star.findall("States")
                                               for st in g.findall("State")}:
            problems.append("%s: %s/Star has no state Wave" % (MENU_TEMPLATES, LOCATION_TEMPLATE))
    upgrades_root = _parse(_asset_path(UPGRADES_TABLE), problems) \
        if UPGRADES_TABLE in content.files else None
    for upgrade in upgrades_root.iter("Upgrade") if upgrades_root is not None else ():
        name = upgrade.find("Name")
        level = upgrade.find("ObligatoryLevel")
        if name is None or level is None or int(level.get("Value", "0") or 0) < 1:
            continue
        icon = MAP_ICONS + name.get("Value", "") + ".png"
        if icon not in content.regions:
            problems.append("the obligatory upgrade %s has no map icon %s"
                            % (name.get("Value"), icon))


# The world's effects: each settings file with its root and the atlas frame its node draws, the
# effect templates of the level collection with their classes, the firework rockets.
EFFECT_SETTINGS = {"levels/common/Effects/Rain.xml": ("WeatherParticle", "particles/Rain.png"),
                   "levels/common/Effects/Snow.xml": ("WeatherParticle", "particles/Snow.png"),
                   "levels/common/Effects/HintRing.xml": ("HintParticle", "particles/HintSpark.png")}
EFFECT_TEMPLATES = dict({"Balloon%d" % n: "GBaloonNode" for n in (1, 2, 3)},
                        RisingHeart="GPicEffectNode", RisingNote="GPicEffectNode",
                        RisingCoin="GPicEffectNode", ShieldSpark="GShieldEffectNode",
                        SpiralLeaf="GSpiralMovableNode", SpiralFlake="GSpiralMovableNode",
                        CircularBird="GCircularBirdNode", LakeWave="GLakeWaveNode")
FIREWORK_FILES = {"levels/common/Fireworks/%d/f.oscn" % n: "Firework%d" % n for n in (1, 2, 3, 4)}
BIRD_DIRECTIONS = ("Right", "RightUp", "Up", "LeftUp", "Left", "LeftDown", "Down", "RightDown")


def _property(element, name):
    for props in element.findall("Properties"):
        for value in props:
            if value.get("Name") == name:
                return value.get("Value")
    return None


def _states(element):
    return {s.get("Name") for states in element.findall("States") for s in states.findall("State")}


def lint_effects(content, problems):
    for path, (root_name, frame) in EFFECT_SETTINGS.items():
        if path not in content.files:
            problems.append("%s is missing" % path)
            continue
        root = _parse(_asset_path(path), problems)
        if root is not None and root.tag != root_name:
            problems.append("%s: the root is %s, not %s" % (path, root.tag, root_name))
        if frame not in content.regions:
            problems.append("%s: its picture %s is in no atlas" % (path, frame))
    collection = _parse(_asset_path(LEVEL_TEMPLATES), problems) \
        if LEVEL_TEMPLATES in content.files else None
    templates = {_node_name(t): t for t in collection.findall("SceneNode")} \
        if collection is not None else {}
    for name, cls in EFFECT_TEMPLATES.items():
        template = templates.get(name)
        if template is None:
            problems.append("%s: no template %s" % (LEVEL_TEMPLATES, name))
        elif template.get("Type") != cls:
            problems.append("%s: %s is a %s, not a %s" % (LEVEL_TEMPLATES, name,
                                                        template.get("Type"), cls))
    bird = templates.get("CircularBird")
    body_of = _property(bird, "BirdTemplateID") if bird is not None else None
    if bird is not None:
        body = None
        for child in templates.get(body_of).findall("SceneNode") if body_of in templates else ():
            if _node_name(child) == "Body":
                body = child
        if body is None:
            problems.append("%s: CircularBird's template %s has no Body" % (LEVEL_TEMPLATES,
                                                                            body_of))
        else:
            missing = [s for d in BIRD_DIRECTIONS for s in (d, d + "_Flap")
                       if s not in _states(body)]
            if missing:
                problems.append("%s: the Body of %s lacks the states %s"
                                % (LEVEL_TEMPLATES, body_of, ", ".join(missing)))
    for path, name in FIREWORK_FILES.items():
        if path not in content.files:
            problems.append("%s is missing" % path)
            continue
        root = _parse(_asset_path(path), problems)
        if root is None:
            continue
        if root.get("Type") != "GFireworkNode" or _node_name(root) != name:
            problems.append("%s: the root is %s %s, not GFireworkNode %s"
                            % (path, root.get("Type"), _node_name(root), name))
        if not any("Boost" in _states(n) for n in root.iter("SceneNode")):
            problems.append("%s: nothing answers Boost" % path)


def _collection(path, problems):
    root = _parse(_asset_path(path), problems)
    return {_node_name(t): t for t in root.findall("SceneNode")} if root is not None else {}


def _children(node):
    return node.findall("SceneNode") if node is not None else []


def lint_play_screen(content, problems):
    """What the play screen's code relies on beyond its scene's nodes: the lock pictures, the
    templates (the features' with their face and fill), the parts its lists write, the lot
    templates' "MoneyBurst", each level's music cue and the build menus' types."""
    for type_name in BUILD_MENU_TYPES:
        if not content.picture_exists(lock_picture(type_name)):
            problems.append("the build menus' lock picture %s is in no atlas"
                            % lock_picture(type_name))
    templates = _collection(MENU_TEMPLATES, problems)
    wanted = list(PLAY_TEMPLATES)
    table = _parse(_asset_path(BUILDINGS_TABLE), problems)
    types = {}
    for building in table.iter("Building") if table is not None else ():
        props = {p.get("Name"): p.get("Value") for p in building.iter() if p.get("Name")}
        types[props.get("Name")] = props
        if props.get("ButtonTemplate"):
            wanted.append(props["ButtonTemplate"])
        features = building.findall("ActiveFeature")
        for feature in features:
            name = feature.get("ButtonName")
            parts = _children(templates.get(name))
            if name not in templates:
                continue  # reported below
            if len(parts) < 2 or any((p.get("ClassOverride") or p.get("Type")) != "SpriteNode"
                                     for p in parts[:2]):
                problems.append("%s: the feature button %s has no face and fill sprites first"
                                % (MENU_TEMPLATES, name))
            wanted.append(name)
        if len(features) >= 2:
            lock = PLAY_BUTTONS + props.get("DisplayName", "") + "Feature2ButtonLock.png"
            if not content.picture_exists(lock):
                problems.append("the second feature's lock picture %s is in no atlas" % lock)
    for name in wanted:
        if name not in templates:
            problems.append("%s: no template %s, which the play screen uses"
                            % (MENU_TEMPLATES, name))
    for type_name in BUILD_MENU_TYPES:
        if type_name not in types:
            problems.append("%s lacks %s, a type of the build menus" % (BUILDINGS_TABLE, type_name))
    scene = _parse(_asset_path(PLAY_SCENE), problems) if PLAY_SCENE in content.files else None
    for node in scene.iter("SceneNode") if scene is not None else ():
        name = _node_name(node)
        if name not in LIST_PARTS:
            continue
        element = next((c for c in _children(templates.get(_value_of(node, "TemplateName")))
                        if _node_name(c) == "Element"), None)
        parts = [_node_name(c) for c in _children(element)]
        for part in set(LIST_PARTS[name]):
            if parts.count(part) < LIST_PARTS[name].count(part):
                problems.append("%s: the element of %s lacks its %s" % (PLAY_SCENE, name, part))
    lots = _collection(LEVEL_TEMPLATES, problems)
    for type_name in types:
        states = set()
        for node in [lots.get(type_name)] + _children(lots.get(type_name)):
            states |= _states(node) if node is not None else set()
        if type_name in lots and "MoneyBurst" not in states:
            problems.append("%s: the lot %s does not answer MoneyBurst" % (LEVEL_TEMPLATES,
                                                                         type_name))
    burst = lots.get("MoneyBurst")
    if burst is None or not any("MoneyBurst" in _states(n) for n in burst.iter("SceneNode")):
        problems.append("%s: no part MoneyBurst that plays MoneyBurst" % LEVEL_TEMPLATES)
    from .sounds import PACK
    pack = _parse(_asset_path(PACK), problems) if PACK in content.files else None
    cues = {c.get("Name") for c in pack.iter("SoundCue")} if pack is not None else set()
    for path in sorted(glob.glob(os.path.join(REPO, ASSETS, "levels", "*",
                                              "LevelConfiguration.xml"))):
        level = _parse(path, problems)
        setting = next((p.get("Value") for p in level.iter() if p.get("Name") == "SettingIndex"),
                       "1") if level is not None else "1"
        if "GameMusicSetting" + setting not in cues:
            problems.append("%s: no music cue GameMusicSetting%s for its SettingIndex"
                            % (os.path.relpath(path, REPO), setting))


# ---- The play screen's info panel, tooltips and hints ----
# The icon pair of every building type (the snow one for the snowy settings), the stars below
# the icon, the texts the panel, the tooltips and the hint lines look up, and the parts of the
# build tabs the hints write.
TYPE_ICONS = "scenes/images/GameMenu/Icons/"
TYPE_ICON_SNOW = "_snow"
INFO_STARS = ("levels/common/Stars/FilledStar.png", "levels/common/Stars/EmptyStar.png")
# The texts of the panel's figures, of the tooltips' titles and of the running processes.
INFO_KEYS = (
    "MoneyDollar", "GuestsSign", "GamePlay_Income", "GamePlay_Guests", "GamePlay_ServedGuests",
    "Hint_UpgradeBuildingTitle", "Hint_RepairBuildingTitle", "Hint_CleanBuildingTitle",
    "Hint_DestroyBuildingTitle", "Hint_BuyBuildingTitle", "Hint_SaleBuildingTitle",
    "Hint_ActivateFeatureTitle", "Hint_BuildingTabRestore", "Hint_BuildingTabBuild",
    "Hint_BuildingTabExcavate",
    "InProgress_Upgrade", "InProgress_UpgradeHint", "InProgress_Building",
    "InProgress_BuildingHint", "InProgress_Destroy", "InProgress_DestroyHint",
    "FishingCenterInProgress", "FishingCenterInProgressHint", "PyramidInProgress",
    "PyramidInProgressHint", "InProgress_Repare", "InProgress_RepareHint",
    "PyramidConfInProgress", "PyramidConfInProgressHint", "InProgress_Feature",
    "InProgress_FeatureHint")
# The hint lines of the place pages (Tab10, Tab7, Tab9, Tab6) and of the build tabs.
HINT_KEYS = (
    "Hint_BuildingPlace", "Hint_BuildingPlaceUnSellButton", "Hint_BuildingPlaceSellButton",
    "Hint_BuildingPlaceHotels", "Hint_BuildingPlaceJoys", "Hint_BuildingPlaceFactories",
    "Hint_BuyTab", "Hint_CantBuyNotForSaleButton", "Hint_BuyButton", "Hint_CantBuyButton",
    "Hint_BuyRequestTab", "Hint_BuyRequestAcceptButton", "Hint_BuyRequestDeclineButton",
    "Hint_BuildingTab", "Hint_BuildingUnSellButton", "Hint_BuildingSellButton",
    "Hint_BuildingTabUpgrade", "Hint_BuildingTabCantUpgrade", "Hint_BuildingTabNoUpgrade",
    "Hint_BuildingTabRepare", "Hint_BuildingTabCantRepare", "Hint_BuildingTabNoRepare",
    "Hint_BuildingTabClean", "Hint_BuildingTabCantClean", "Hint_BuildingTabNoClean",
    "Hint_BuildingTabDestroy", "Hint_BuildingTabCantDestroy",
    "Hint_BuildingTabRestoreFishingCenter", "Hint_BuildingTabCantRestoreFishingCenter",
    "Hint_BuildingTabObservationBuild", "Hint_BuildingTabObservationCantBuild",
    "Hint_BuildingTabPyramidClean", "Hint_BuildingTabCantPyramidClean",
    "Hint_BuildingTabPyramidShow", "Hint_BuildingTabCantPyramidShow",
    "Hint_BuildingTabStationBuild", "Hint_BuildingTabStationCantBuild", "Hint_BuildingTabHQBuild",
    "Hint_BuildingTabHQCantBuild", "Hint_BuildingTabFeatureUnavailable",
    "Hint_BuildingTabFeatureRecharging", "Hint_BuildingTabFeatureActive",
    "Hint_BuildTab_Hotels", "Hint_BuildTab_Factories", "Hint_BuildTab_Joys", "Hint_BuildTabJoys",
    "Hint_BuildTabJoysTip", "Hint_BuildTabBack", "Hint_BuildTabJoys2", "Hint_BuildTabJoys2Tip",
    "Hint_BuildTabJoys1", "Hint_BuildTabJoys1Tip", "Hint_BuildTabBuild")
# A text the panel shows as it stands in the catalogue: "%Key%" is looked up, a bare name too.
TYPE_TEXTS = ("DisplayName", "Description", "FullDescription")
FEATURE_TEXTS = ("Name", "InfoText", "ButtonInfoText")


def type_icon(type_name, snow=False):
    return TYPE_ICONS + type_name + (TYPE_ICON_SNOW if snow else "") + ".png"


def _text_keys_of(value):
    """The dictionary keys a catalogue text names: its %Key% markers, or the bare key."""
    found = TEXT_KEY.findall(value)
    return found if found else [value]


def lint_play_info(content, problems):
    table = _parse(_asset_path(BUILDINGS_TABLE), problems) \
        if BUILDINGS_TABLE in content.files else None
    if table is None:
        problems.append("%s is missing" % BUILDINGS_TABLE)
        return
    for building in table.iter("Building"):
        group = building.find("Properties")
        props = {p.get("Name"): p.get("Value") for p in group} if group is not None else {}
        type_name = props.get("Name", "(unnamed)")
        for snow in (False, True):
            if type_icon(type_name, snow) not in content.regions:
                problems.append("the type %s has no icon %s" % (type_name,
                                                                type_icon(type_name, snow)))
        wanted = ["DisplayName"]
        if int(props.get("Level", "0") or 0) > 0:
            wanted += ["Description", "FullDescription"]
        for field in wanted:
            if not props.get(field):
                problems.append("%s: %s has no %s" % (BUILDINGS_TABLE, type_name, field))
                continue
            for key in _text_keys_of(props[field]):
                if key not in content.texts:
                    problems.append("%s: the %s of %s, %s, is not in the dictionary"
                                    % (BUILDINGS_TABLE, field, type_name, key))
        for index, feature in enumerate(building.findall("ActiveFeature")):
            for field in FEATURE_TEXTS:
                value = feature.get(field, "")
                if not value:
                    problems.append("%s: feature %d of %s has no %s"
                                    % (BUILDINGS_TABLE, index + 1, type_name, field))
                    continue
                for key in _text_keys_of(value):
                    if key not in content.texts:
                        problems.append("%s: the %s of feature %d of %s, %s, is not in the "
                                        "dictionary" % (BUILDINGS_TABLE, field, index + 1,
                                                        type_name, key))
    for key in INFO_KEYS + HINT_KEYS:
        if key not in content.texts:
            problems.append("the dictionary lacks %s, a text of the play screen's panels and "
                            "hints" % key)
    for star in INFO_STARS:
        if star not in content.regions:
            problems.append("the info panel's star %s is in no atlas" % star)
    scene = _parse(_asset_path(PLAY_SCENE), problems) if PLAY_SCENE in content.files else None
    for n in (1, 2, 3) if scene is not None else ():
        for part in ("Label", "LabelText"):
            node = _child_path(scene, _TABS + "Tab%d/%s" % (n, part))
            if node is None or (node.get("ClassOverride") or node.get("Type")) not in TEXT_CLASSES:
                problems.append("%s: Tab%d has no text %s for its hints" % (PLAY_SCENE, n, part))


def lint_level_texts(content, problems):
    """Every %Key% a level's configuration shows (its description, its objectives' texts) is in
    the dictionary."""
    for path in sorted(glob.glob(os.path.join(REPO, ASSETS, "levels", "*",
                                              "LevelConfiguration.xml"))):
        level = _parse(path, problems)
        for element in level.iter() if level is not None else ():
            for value in element.attrib.values():
                for key in TEXT_KEY.findall(value):
                    if key not in content.texts:
                        problems.append("%s: the text %%%s%% is not in the dictionary"
                                        % (os.path.relpath(path, REPO), key))


def lint_all():
    problems = []
    content = Content(problems)
    for file in sorted(f for f in content.files if f.endswith(".oscn")):
        templates = content.templates[LEVEL_TEMPLATES if file.startswith("levels/") and
                                      not file.startswith("levels/" + MINI_GAME_PREFIX)
                                      else MENU_TEMPLATES]
        lint_scene(_asset_path(file), content, problems, templates)
    tests = os.path.join(REPO, "tests", "assets")
    if os.path.isdir(tests):
        for name in sorted(os.listdir(tests)):
            if name.endswith(".oscn"):
                lint_scene(os.path.join(tests, name), content, problems,
                           content.templates[MENU_TEMPLATES])
    lint_fonts(content, problems)
    lint_sound_pack(content, problems)
    lint_scene_contracts(content, problems)
    lint_menu_movers(content, problems)
    lint_level_movers(problems)
    lint_level_folders(problems)
    lint_campaign_levels(problems)
    lint_map(content, problems)
    lint_preloader_files(content, problems)
    lint_effects(content, problems)
    lint_shop_upgrades(content, problems)
    lint_cue_names(problems)
    lint_upgrades(content, problems)
    lint_level_scores(problems)
    lint_achievement_texts(content, problems)
    lint_play_screen(content, problems)
    lint_play_info(content, problems)
    lint_level_texts(content, problems)
    # The tutorials' step files.
    from .tutoriallint import lint_tutorials
    lint_tutorials(content, problems)
    lint_minigames(content, problems)
    return ["lint: " + p for p in problems]


# --- The mini-games (issue 39) -------------------------------------------------------------
# Their folders run in the first scene manager, so they take the menus' templates. Each folder:
# the root's class, the nodes its class binds (path below the root: classes, None for any), the
# states it plays, its configuration, the hint paths and click points of its items, the previews
# and banknotes its code loads, and its LevelScores entry.
MINI_GAME_PREFIX = "minigame_"
MINI_GAME_CLICK_POINTS = "tests/assets/MiniGameClickPoints.txt"
_MG_TEXT = {"TextNode"}
_MG_COMMON = {"Scene": CONTROL_CLASSES, "Scene/UI": None, "Scene/UI/Linet": None,
              "Scene/UI/LinetText": None, "Scene/UI/MenuButton": BUTTON_CLASSES,
              "Scene/Game": CONTROL_CLASSES}
_MG_HIDDEN = dict(_MG_COMMON, **{
    "Scene/Game/BgObjects": None, "Scene/Game/BgObjects/HintTrailNode": {"GPathMovableNode"},
    "Scene/Game/BgObjects/FoundNode": {"SpawnerNode"}, "Scene/Game/HitObjects": None,
    "Scene/UI/TimeTarg": _MG_TEXT, "Scene/UI/TimeCurr": _MG_TEXT, "Scene/UI/ObjCount": _MG_TEXT,
    "Scene/UI/HintButton": BUTTON_CLASSES})
MINI_GAMES = {
    "minigame_hidden1": ("GMiniGameHiddenScene", dict(
        _MG_HIDDEN, **{"Scene/Game/BgObjects/HintHighlight": {"GHOHintParticlesNode"}})),
    "minigame_hidden2": ("GMiniGameHidden2Scene", dict(
        _MG_HIDDEN, **{"Scene/UI/PrevewImage": SPRITE_CLASSES,
                       "Scene/Game/BgObjects/HintTrailNode/Particles": {"ParticleSystemNode"}})),
    "minigame_auction": ("GMiniGameAuctionScene", dict(
        _MG_COMMON, **{"Scene/Game/Zone%d" % n: {"ControlNode"} for n in (1, 2, 3)},
        **{"Scene/Game/Zone%d/Obj" % n: SPRITE_CLASSES for n in (1, 2, 3)},
        **{"Scene/UI/TimeLeft": _MG_TEXT, "Scene/UI/LongArrow": None,
           "Scene/UI/Ellipse": {"GEllipseSectorNode"}, "Scene/UI/ScoreText": _MG_TEXT})),
    "minigame_hidden3": ("GMiniGameHiddenScene", dict(
        _MG_HIDDEN, **{"Scene/Game/BgObjects/HintHighlight": {"GHOHintParticlesNode"}})),
}
MINI_GAME_STATES = {"Scene": NAV_STATES, "Scene/UI/Linet": ("Disappear",),
                    "Scene/UI/LinetText": ("Appear", "Disappear"),
                    "Scene/Game/BgObjects/FoundNode": ("On",),
                    "Scene/Game/BgObjects/HintHighlight": ("HintOn", "HintOff")}
MINI_GAME_TEMPLATES = {"HOFoundStarNode": "GShieldStarNode", "TextTrailStar": "GTextTrailNode"}
AUCTION_MONEY = "levels/minigame_auction/Money/"
HIDDEN2_PREVIEWS = "levels/minigame_hidden2/Preview/"


def _click_points(problems):
    points = {}
    path = os.path.join(REPO, MINI_GAME_CLICK_POINTS)
    if not os.path.exists(path):
        problems.append("%s is missing" % MINI_GAME_CLICK_POINTS)
        return points
    with open(path, encoding="utf-8") as source:
        for line in source:
            parts = line.split()
            if len(parts) == 4 and not line.startswith("#"):
                points[(parts[0], parts[1])] = (int(parts[2]), int(parts[3]))
    return points


def _region_alpha(content, name, x, y):
    """The alpha of a picture's pixel (x, y) in its atlas page; None when it lies outside."""
    file = content.regions.get(name)
    root = _parse(_asset_path(file), []) if file else None
    if root is None:
        return None
    pages = [_resolve(os.path.dirname(file), a.get("f", "")) for a in root.iter("a")]
    for region in root.iter("t"):
        if region.get("n") != name:
            continue
        box = [int(float(v)) for v in region.get("r", "").split(",")]
        if not (0 <= x < box[2] - box[0] and 0 <= y < box[3] - box[1]):
            return None
        with Image.open(_asset_path(pages[int(float(region.get("i", "0")))])) as page:
            return page.convert("RGBA").getpixel((box[0] + x, box[1] + y))[3]
    return None


def _lint_hint_paths(folder, items, problems):
    path = "levels/%s/HintPaths.xml" % folder
    root = _parse(_asset_path(path), problems) if os.path.exists(_asset_path(path)) else None
    if root is None:
        problems.append("%s is missing" % path)
        return {}
    paths = {}
    for group in root.findall("CarPaths"):
        for entry in group.findall("Path"):
            points = [tuple(float(v) for v in p.get("p", "0;0").split(";")[:2])
                      for p in entry.findall("p")]
            paths[entry.get("ID")] = points
    return paths


def lint_minigames(content, problems):
    scores_root = _parse(_asset_path(LEVEL_SCORES), problems) \
        if LEVEL_SCORES in content.files else None
    scores = {e.get("Name"): e for e in scores_root.iter("Level")} \
        if scores_root is not None else {}
    clicks = _click_points(problems)
    menu = _collection(MENU_TEMPLATES, problems)
    for name, cls in MINI_GAME_TEMPLATES.items():
        template = menu.get(name)
        if template is None or (template.get("ClassOverride") or template.get("Type")) != cls:
            problems.append("%s: no template %s of the class %s" % (MENU_TEMPLATES, name, cls))
    trail = menu.get("TextTrailStar")
    if trail is not None:
        text = _child_path(trail, "Text")
        if text is None or text.get("Type") != "TextNode":
            problems.append("%s: TextTrailStar has no TextNode Text" % MENU_TEMPLATES)
        if not {"Start", "Die"} <= set().union(*[_states(n) for n in trail.iter("SceneNode")]):
            problems.append("%s: TextTrailStar does not answer Start and Die" % MENU_TEMPLATES)
    for folder, (cls, nodes) in sorted(MINI_GAMES.items()):
        scene_path = "levels/%s/Level.oscn" % folder
        config_path = "levels/%s/MiniGameConfiguration.xml" % folder
        if scene_path not in content.files or config_path not in content.files:
            problems.append("levels/%s: no Level.oscn or MiniGameConfiguration.xml" % folder)
            continue
        root = _parse(_asset_path(scene_path), problems)
        config = _parse(_asset_path(config_path), problems)
        if root is None or config is None:
            continue
        if (root.get("ClassOverride") or root.get("Type")) != cls:
            problems.append("%s: the root is not a %s" % (scene_path, cls))
        for path, classes in sorted(nodes.items()):
            node = _child_path(root, path)
            if node is None:
                problems.append("%s: no node %s" % (scene_path, path))
            elif classes and (node.get("ClassOverride") or node.get("Type")) not in classes:
                problems.append("%s: %s is not one of %s" % (scene_path, path,
                                                             ", ".join(sorted(classes))))
        for path, states in sorted(MINI_GAME_STATES.items()):
            node = _child_path(root, path)
            for state in states if node is not None else ():
                if state not in _states(node):
                    problems.append("%s: %s has no state %s" % (scene_path, path, state))
        briefing = _child_path(root, "Scene/UI/LinetText")
        if briefing is not None and not any(TEXT_KEY.search(v.get("Value", ""))
                                            for v in briefing.iter() if v.get("Name") == "Text"):
            problems.append("%s: LinetText shows no briefing key" % scene_path)
        values = {e.tag: e.get("Value") for e in config}
        if config.tag != "MiniGame":
            problems.append("%s: the root is %s" % (config_path, config.tag))
        max_time = int(values.get("MaxLevelTime") or 0)
        expert = int(values.get("ExpertScore") or 0)
        entry = scores.get(folder)
        if entry is None:
            problems.append("%s lacks %s" % (LEVEL_SCORES, folder))
        else:
            wanted = (max_time * 15 // 2000, max_time * 15 // 1000, max_time // 1000) \
                if cls == "GMiniGameAuctionScene" else (expert, expert, max_time // 1000)
            have = tuple(int(entry.get(k, "0")) for k in ("Score", "ExpertScore", "Time"))
            if have != wanted:
                problems.append("%s: %s scores %s, its configuration gives %s"
                                % (LEVEL_SCORES, folder, have, wanted))
        if cls == "GMiniGameAuctionScene":
            if max_time != 60000:
                problems.append("%s: the auction runs %d ms, not a minute" % (config_path,
                                                                            max_time))
            for value in range(1, 7):
                for suffix in ("", "over"):
                    picture = "%s%d%s.png" % (AUCTION_MONEY, value, suffix)
                    if not content.picture_exists(picture):
                        problems.append("the banknote %s is in no atlas" % picture)
            continue
        items = _children(_child_path(root, "Scene/Game/HitObjects"))
        if not items:
            problems.append("%s: no hidden items" % scene_path)
        if values.get("HintPaths") != "levels/%s/HintPaths.xml" % folder:
            problems.append("%s: HintPaths is not its folder's HintPaths.xml" % config_path)
        paths = _lint_hint_paths(folder, items, problems)
        files = {i.get("Name"): i.get("Filename") for e in config.findall("ItemsToFind")
                 for i in e.findall("Item")}
        for item in items:
            name = _node_name(item)
            where = "%s: %s" % (scene_path, name)
            x, y = _position(item)[:2]
            point = clicks.get((folder, name))
            if point is None:
                problems.append("%s has no click point" % where)
            else:
                picture = _resolve("levels/" + folder, _value_of(item, "AtlasTexture") or "")
                alpha = _region_alpha(content, picture, point[0] - int(x), point[1] - int(y))
                if alpha != 255:
                    problems.append("%s: its click point %s is not an opaque pixel of %s"
                                    % (where, point, picture))
            route = paths.get(name)
            if not route or len(route) < 2:
                problems.append("%s has no hint path of two points or more" % where)
            elif point is not None and route[-1] != tuple(float(v) for v in point):
                problems.append("%s: its hint path ends at %s, not on it" % (where, route[-1]))
            if cls == "GMiniGameHidden2Scene":
                preview = HIDDEN2_PREVIEWS + (files.get(name) or "") + ".png"
                if not files.get(name) or not content.picture_exists(preview):
                    problems.append("%s has no preview %s" % (where, preview))
        if [_node_name(i) for i in items].count(None) or \
                len({_node_name(i) for i in items}) != len(items):
            problems.append("%s: the items are not uniquely named" % scene_path)
