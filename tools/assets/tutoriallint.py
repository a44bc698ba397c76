"""The lint of the tutorials' step files (run by lint.py's `lint_all`).

Each file reads to its closing "Tutorial" with no element, attribute or action type the game's
reader does not know; "Hint", "Actions" and "Arrows" have end tags (the reader does not know a
self-closing one); flags are exactly "true"; numbers are whole. What a step names exists: controls
and lists in its host's scene file, list indices in the list, building types in the buildings
table, texts in the dictionary. A step closed by the OK button (MessageBox) uses TextBgType 1,
the others 0. Every step can be done in its level: a list index names a type the level offers, a
pressed or generated type stands on a lot or was built by an earlier step, a lot it names is one
of the level's. A level's file is checked against its folder once that exists (until then its level
checks are skipped); the level generator asks the same of a level's description
(`level_problems`), so that no description drops what its tutorial needs.
"""
import os
import re
import xml.etree.ElementTree as ET

from .common import ASSETS, BOM, REPO

HOSTS = {"levels/level1/Tutorial.xml": "scenes/GamePlayScene.oscn",
         "levels/level2/Tutorial.xml": "scenes/GamePlayScene.oscn",
         "scenes/MapTutorial1.xml": "scenes/MapScene.oscn",
         "scenes/MapTutorial2.xml": "scenes/MapScene.oscn",
         "scenes/ShopTutorial1.xml": "scenes/ShopScene.oscn",
         "scenes/ShopTutorial2.xml": "scenes/ShopScene.oscn"}
SCREEN = (1024, 768)
ELEMENTS = {"Tutorial": set(), "Hint": {"Tip", "MessageBox", "Linnet"}, "Position": {"Value"},
            "TextBgType": {"Value"}, "TextPosition": {"Value"}, "Text": {"Value"},
            "ImageFilename": {"Value"}, "Actions": set(), "Arrows": set(), "Action": {"Type"},
            "Arrow": {"Position", "Rotation"}}
PARENTS = {"Hint": {"Tutorial"}, "Position": {"Hint"}, "TextBgType": {"Hint"},
           "TextPosition": {"Hint"}, "Text": {"Hint"}, "ImageFilename": {"Hint"},
           "Actions": {"Hint"}, "Arrows": {"Hint"}, "Action": {"Actions"}, "Arrow": {"Arrows"}}
NEEDS_END_TAG = ("Hint", "Actions", "Arrows")
FLAGS = ("Tip", "MessageBox", "Linnet")
_REQUEST = {"BuildingTypes", "PlaceNames"}
ACTIONS = {"Timed": {"Time"}, "MouseClick": set(), "BuildingPress": {"BuildingTypes"},
           "ControlPress": {"Controls"}, "ListItemPress": {"List", "Indices"},
           "ListItemHovered": {"List", "Indices"}, "BuildingCompleted": {"Buildings"},
           "BuildingCompletedOrExist": {"BuildingTypes"}, "WaitDirty": set(),
           "WaitLetter": set(), "GenerateSellBuildingRequest": _REQUEST,
           "GenerateBrokenBuildingRequest": _REQUEST, "GenerateDirtyBuildingRequest": _REQUEST,
           "GenerateLetterRequest": _REQUEST, "GeneratePauseRequest": set()}
GENERATORS = {"GenerateSellBuildingRequest", "GenerateBrokenBuildingRequest",
              "GenerateDirtyBuildingRequest", "GenerateLetterRequest"}
# The play screen's build lists, entry by entry, as its code fills them.
BUILD_LISTS = {"HotelsBuildList": ("Camping1", "Hostel1", "GuestHouse1", "BusinessHotel1",
                                   "HotelN51", "HotelN61"),
               "JoysBuildList": ("Cafe", "CityMall", "AquaPark", "Statue", "Garden", "Memorial"),
               "FactoriesBuildList": ("TruckStation", "REAgency", "PRAgency")}
# The offer lists and the templates of their entries (one per offer).
OFFER_LISTS = {"BuyMaterialsList": "Game_MaterialsButton", "TrainWorkersList": "Game_WorkersButton"}
WHOLE = re.compile(r"^-?\d+$")
SELF_CLOSING = re.compile(r"<(%s)\b[^>]*/>" % "|".join(NEEDS_END_TAG))


def _names(text):
    return [piece.strip() for piece in (text or "").split(";") if piece.strip()]


def _numbers(text):
    return [piece for piece in re.split(r"[;,\s]+", text or "") if piece]


def _scene_names(path, problems):
    """Name -> class of every node of a scene file."""
    from .lint import _asset_path, _node_name, _parse
    root = _parse(_asset_path(path), problems)
    names = {}
    for node in root.iter("SceneNode") if root is not None else ():
        names.setdefault(_node_name(node), node.get("ClassOverride") or node.get("Type"))
    return names


def _building_types(problems):
    from .lint import BUILDINGS_TABLE, _asset_path, _parse
    root = _parse(_asset_path(BUILDINGS_TABLE), problems)
    return {value.get("Value") for value in root.iter()
            if value.get("Name") == "Name"} if root is not None else set()


class Level:
    """What a level offers: the types on offer, the types standing on its lots and the lots'
    names (None: not known, not checked)."""

    @classmethod
    def of(cls, allowed, lots, places=None):
        made = cls.__new__(cls)
        made.allowed, made.lots = set(allowed), set(lots)
        made.places = None if places is None else set(places)
        return made

    def __init__(self, folder, problems):
        from .lint import _asset_path, _parse
        config = _parse(_asset_path(folder + "/LevelConfiguration.xml"), problems)
        self.allowed = set()
        for value in config.iter() if config is not None else ():
            if value.get("Name") == "AvailableBuildingsForBuild":
                self.allowed = set(_names(value.get("Value")))
        scene = _parse(_asset_path(folder + "/Level.oscn"), problems)
        self.lots = set()
        self.places = set()
        for node in scene.iter("SceneNode") if scene is not None else ():
            if (node.get("ClassOverride") or node.get("Type")) == "GBuildingNode":
                for value in node.find("Properties") if node.find("Properties") is not None \
                        else ():
                    if value.get("Name") == "TemplateName":
                        self.lots.add(value.get("Value"))
                    elif value.get("Name") == "Name":
                        self.places.add(value.get("Value"))


def _level_of(path, problems):
    """The level a play screen tutorial belongs to, or None when its files are not there yet."""
    folder = os.path.dirname(path)
    if not folder.startswith("levels/"):
        return None
    if not all(os.path.exists(os.path.join(REPO, ASSETS, folder, f))
               for f in ("LevelConfiguration.xml", "Level.oscn")):
        return None
    return Level(folder, problems)


def _lint_raw(path, data, problems):
    if not data.startswith(BOM):
        problems.append("%s: no UTF-8 byte-order mark" % path)
    text = data.decode("utf-8", "replace")
    for match in SELF_CLOSING.finditer(text):
        problems.append("%s: a self-closing %s (the game's reader needs its end tag)"
                        % (path, match.group(1)))
    if "</Tutorial>" not in text:
        problems.append("%s: does not end with </Tutorial>" % path)


def _lint_structure(path, root, problems):
    if root.tag != "Tutorial":
        problems.append("%s: the root is %s, not Tutorial" % (path, root.tag))
    parents = {child: parent for parent in root.iter() for child in parent}
    for element in root.iter():
        if element.tag not in ELEMENTS:
            problems.append("%s: unknown element %s" % (path, element.tag))
            continue
        parent = parents.get(element)
        if element.tag in PARENTS and (parent is None or parent.tag not in PARENTS[element.tag]):
            problems.append("%s: %s outside %s" % (path, element.tag,
                                                   " or ".join(sorted(PARENTS[element.tag]))))
        known = set(ELEMENTS[element.tag])
        if element.tag == "Action":
            kind = element.get("Type")
            if kind not in ACTIONS:
                problems.append("%s: unknown action type %s" % (path, kind))
                continue
            known |= ACTIONS[kind]
        for attribute in element.attrib:
            if attribute not in known:
                problems.append("%s: %s has the unknown attribute %s" % (path, element.tag,
                                                                         attribute))
        for flag in FLAGS:
            if element.tag == "Hint" and flag in element.attrib and element.get(flag) != "true":
                problems.append("%s: the flag %s is %r, not \"true\"" % (path, flag,
                                                                        element.get(flag)))
        numeric = {"Position": ("Value",), "TextBgType": ("Value",), "TextPosition": ("Value",),
                   "Arrow": ("Position", "Rotation"), "Action": ("Indices", "Time")}
        for attribute in numeric.get(element.tag, ()):
            for number in _numbers(element.get(attribute)):
                if not WHOLE.match(number):
                    problems.append("%s: %s %s holds %s, not a whole number"
                                    % (path, element.tag, attribute, number))


_FROM_FILES = object()


def lint_tutorial(path, content, types, problems, data=None, level=_FROM_FILES):
    """One step file, from the asset root (its bytes read from there unless given; its level
    read from its folder unless given)."""
    if data is None:
        with open(os.path.join(REPO, ASSETS, path), "rb") as source:
            data = source.read()
    _lint_raw(path, data, problems)
    try:
        root = ET.fromstring(data)
    except ET.ParseError as error:
        problems.append("%s: %s" % (path, error))
        return
    _lint_structure(path, root, problems)
    host = HOSTS[path]
    nodes = _scene_names(host, problems)
    offers = {name: sum(1 for n in range(1, 100)
                        if "%s%d" % (prefix, n) in content.templates[
                            "scenes/TemplateCollection.oscn"])
              for name, prefix in OFFER_LISTS.items()}
    if level is _FROM_FILES:
        level = _level_of(path, problems)
    if level is not None:
        problems += level_problems(path, root, level)
    for number, hint in enumerate(root.iter("Hint"), 1):
        where = "%s: step %d" % (path, number)
        message_box = hint.get("MessageBox") == "true"
        bg = next((e.get("Value") for e in hint.findall("TextBgType")), "0")
        if bg != ("1" if message_box else "0"):
            problems.append("%s: TextBgType %s with MessageBox %s" % (where, bg,
                                                                     str(message_box).lower()))
        for text in hint.findall("Text"):
            for key in re.findall(r"%([^%\s]+)%", text.get("Value", "")):
                if key not in content.texts:
                    problems.append("%s: text key %%%s%% has no dictionary entry" % (where, key))
        for arrow in hint.iter("Arrow"):
            at = [int(n) for n in _numbers(arrow.get("Position"))[:2] if WHOLE.match(n)]
            if len(at) != 2 or not (0 <= at[0] <= SCREEN[0] and 0 <= at[1] <= SCREEN[1]):
                problems.append("%s: an arrow at %s is off the screen" % (where,
                                                                         arrow.get("Position")))
        for act in hint.iter("Action"):
            for control in _names(act.get("Controls")):
                if control not in nodes:
                    problems.append("%s: no control %s in %s" % (where, control, host))
            list_name = act.get("List")
            if list_name is not None:
                if nodes.get(list_name) != "ListNode":
                    problems.append("%s: no list %s in %s" % (where, list_name, host))
                count = len(BUILD_LISTS[list_name]) if list_name in BUILD_LISTS else \
                    offers.get(list_name, 0)
                for index in (int(n) for n in _numbers(act.get("Indices")) if WHOLE.match(n)):
                    if not 0 <= index < count:
                        problems.append("%s: %s has no entry %d" % (where, list_name, index))
            for type_name in _named_types(act):
                if type_name not in types:
                    problems.append("%s: %s is not a building type" % (where, type_name))


def _named_types(act):
    return [n for a in ("BuildingTypes", "Buildings") for n in _names(act.get(a))]


def level_problems(path, root, level):
    """What a play screen step file asks of its level and the level lacks: a build list entry
    it does not offer, a completed type it can never have, a pressed or generated type that
    stands on no lot and was not built by an earlier step, a lot name it does not have (when
    the level's lot names are known). `root` is the file's parsed "Tutorial"."""
    problems = []
    built = set()
    for number, hint in enumerate(root.iter("Hint"), 1):
        where = "%s: step %d" % (path, number)
        step_built = set()
        for act in hint.iter("Action"):
            kind = act.get("Type")
            list_name = act.get("List")
            for index in (int(n) for n in _numbers(act.get("Indices")) if WHOLE.match(n)):
                if list_name in BUILD_LISTS and 0 <= index < len(BUILD_LISTS[list_name]):
                    entry = BUILD_LISTS[list_name][index]
                    if entry not in level.allowed:
                        problems.append("%s: %s %d is %s, which the level does not offer"
                                        % (where, list_name, index, entry))
                    if kind == "ListItemPress":
                        step_built.add(entry)
            named = _named_types(act)
            if kind == "BuildingCompleted":
                step_built.update(named)
                for type_name in named:
                    if type_name not in level.allowed | level.lots:
                        problems.append("%s: %s can never be completed in the level"
                                        % (where, type_name))
            if kind == "BuildingPress" or kind in GENERATORS:
                for type_name in named:
                    if type_name not in level.lots | built:
                        problems.append("%s: no %s stands on a lot or was built before"
                                        % (where, type_name))
            if level.places is not None:
                for place in _names(act.get("PlaceNames")):
                    if place not in level.places:
                        problems.append("%s: the level has no lot %s" % (where, place))
        built |= step_built
    return problems


def lint_tutorials(content, problems):
    types = _building_types(problems)
    for path in sorted(HOSTS):
        if path not in content.files:
            problems.append("%s is missing" % path)
            continue
        lint_tutorial(path, content, types, problems)
