"""The shared templates of the menu scenes ("scenes/TemplateCollection.oscn") and the skin sampler
scene of the tests ("tests/assets/SkinSampler.oscn").

A template is a named node tree that a control copies into itself; its children play the
control's visual states. Every control template here answers all twelve visual states of a
control (Normal, Focus, KillFocus, Press, NormalHover, NormalKillHover, FocusHover,
FocusKillHover, Pressed, NormalDisable, FocusDisable, KillPressed); the check box also the eight
checked ones. The look follows the art direction: hover brightens and grows by 4 %, a press
darkens and moves one pixel down, focus shows a gold ring.

Names the controls bind (direct children of the template): buttons "Text" and "Image"; lists
"Element", "PrevButton", "NextButton", "Slider"; sliders and progress bars "SlidingArea" and
"Knob"; edit fields "Text" with its "Cursor"; message boxes "TitleText", "BodyText" and "Button".
Scenes set what templates cannot: a progress bar's KnobType 1 (fill), a list's Bounds (a whole
number of elements). Pictures come from the skin (images/UI/, packed into the MainMenu atlas),
fonts from the font set (fonts/).
"""
from .art import skin
from .art.kit import Palette, to_hex
from .common import Output, asset
from .fonts import DESCRIPTION as FONT_DESCRIPTION, font_file
from .registry import Module
from .scene import Key, KeyFrame, Node, hex_color, scene_text, transitions

COLLECTION = "scenes/TemplateCollection.oscn"
SAMPLER = "tests/assets/SkinSampler.oscn"

CONTROL_STATES = ("Normal", "Focus", "KillFocus", "Press", "NormalHover", "NormalKillHover",
                  "FocusHover", "FocusKillHover", "Pressed", "NormalDisable", "FocusDisable",
                  "KillPressed")
CHECK_STATES = ("NormalCheck", "FocusCheck", "NormalCheckHover", "FocusCheckHover",
                "NormalCheckKillHover", "FocusCheckKillHover", "NormalCheckDisable",
                "FocusCheckDisable")

BUTTON_SIZES = {"Large": (240, 56), "Small": (160, 44)}

# Depths (z) of a template's layers: the scene manager draws by depth, and at equal depth texts
# before pictures, so every layer that covers another lies deeper in z order.
LAYER_SHADOW, LAYER_FACE, LAYER_RING, LAYER_PICTURE, LAYER_TEXT = 0, 1, 2, 3, 4
# Pop-ups (message boxes) are placed at their owner scene's depth: their layers start here, above
# any scene's own content.
LAYER_POPUP = 500
ARROW_SIZE = (44, 44)
ICON_SCALE = 0.45
GLIDE_MS = 100
PRESS_MS = 90

WHITE = 0xFFFFFFFF
CLEAR = 0x00FFFFFF
DARK_TEXT = hex_color(to_hex(Palette.OUTLINE))
DISABLED_TEXT = 0xFFD2D2D2
DISABLED_DARK_TEXT = 0xFF8C8478


def image(base):
    """A skin picture's name as written in a scene file under scenes/."""
    return "images/UI/%s.png" % base


# --- Node builders --------------------------------------------------------------------------

def nine(name, base, position, size, **props):
    left, top, right, bottom = skin.grid_of(base)
    return Node("NineGridSpriteNode", name, Position=position, Bounds=size,
                AtlasTexture=image(base), TopLeftDelta=(left, top),
                BottomRightDelta=(right, bottom), **props)


def sprite(name, base, position, **props):
    return Node("SpriteNode", name, Position=position, AtlasTexture=image(base), **props)


def text(name, font, size, position, bounds, halign=2, valign=2, color=WHITE, **props):
    node = Node("TextNode", name, Position=position, Bounds=bounds, Font=font_file(font),
                FontSize=float(size), TextHAlign=halign, TextVAlign=valign, **props)
    if color != WHITE:
        node.set("TintColor", color)
    return node


def centred(node, size, offset=(0, 0), z=0):
    """Puts the node's pivot at its centre (so that scaling grows it in place)."""
    w, h = size
    x, y = offset
    node.set("PivotPoint", (w / 2.0, h / 2.0))
    node.set("Position", (x + w / 2.0, y + h / 2.0, z))
    return node


def icon_node(name, centre, z, scale, icon=None):
    """A 64 x 64 icon drawn at `scale`, its centre at `centre` (the picture keeps its own size, so
    the leading trim of its atlas region places it right)."""
    props = {"ImagePivotPoint": (32, 32), "Scale": (scale, scale, 1.0), "CanBeHit": False,
             "Position": (centre[0], centre[1], z), "Bounds": (64, 64, 0)}
    if icon:
        props["AtlasTexture"] = image("Icon" + icon)
    return Node("SpriteNode", name, **props)


# --- Looks and states -----------------------------------------------------------------------

class Look:
    """The animated values of one template child, by property name."""

    def __init__(self, **values):
        self.values = values

    def but(self, **changes):
        values = dict(self.values)
        values.update(changes)
        return Look(**values)


def play_look(node, state, look, glide_from=None, hold=0):
    """The node's animator for a state: gliding from `glide_from` to `look` over GLIDE_MS (pictures
    switch at once), jumping to `look`, or holding it for `hold` ms."""
    names = list(look.values)
    values = [look.values[n] for n in names]
    if glide_from is not None:
        start = [look.values[n] if n == "AtlasTexture" else glide_from.values[n] for n in names]
        keys = [Key(0, start), Key(GLIDE_MS, values, glide=True)]
    elif hold:
        keys = [Key(0, values), Key(hold, values)]
    else:
        keys = [Key(0, values)]
    node.state(state).animate(KeyFrame(names, keys))


# The state machine of a control, as (state, target look, look glided from, hold).
def control_plan():
    return [
        ("Normal", "normal", None, 0),
        ("NormalHover", "hover", "normal", 0),
        ("NormalKillHover", "normal", "hover", 0),
        ("Focus", "focus", None, 0),
        ("KillFocus", "normal", "focus", 0),
        ("FocusHover", "focushover", "focus", 0),
        ("FocusKillHover", "focus", "focushover", 0),
        ("Pressed", "pressed", None, 0),
        ("KillPressed", "focus", None, 0),
        ("Press", "pressed", None, PRESS_MS),
        ("NormalDisable", "disabled", None, 0),
        ("FocusDisable", "disabled", None, 0),
    ]


def apply_plan(parts, plan):
    """`parts`: (node, looks by name) for every animated child."""
    for state, target, source, hold in plan:
        for node, looks in parts:
            play_look(node, state, looks[target], looks[source] if source else None, hold)


def face_looks(pictures, size, dy_press=1, grow=True, ring=True, z=LAYER_FACE):
    """Looks of a button face centred in `size`: pictures by look, growth on hover, the press."""
    w, h = size
    home = (w / 2.0, h / 2.0, z)
    down = (w / 2.0, h / 2.0 + dy_press, z)
    big = (1.04, 1.04, 1.0) if grow else (1.0, 1.0, 1.0)
    one = (1.0, 1.0, 1.0)
    base = Look(AtlasTexture=pictures["normal"], Scale=one, Position=home)
    return {
        "normal": base,
        "hover": base.but(AtlasTexture=pictures["hover"], Scale=big),
        "focus": base.but(AtlasTexture=pictures["hover"] if not ring else pictures["normal"]),
        "focushover": base.but(AtlasTexture=pictures["hover"], Scale=big),
        "pressed": base.but(AtlasTexture=pictures["press"], Position=down),
        "disabled": base.but(AtlasTexture=pictures["disabled"]),
    }


def rider_looks(size, offset=(0, 0), color=WHITE, disabled_color=DISABLED_TEXT, grow=True,
                z=LAYER_TEXT, scale=1.0, centre=None):
    """Looks of a child that moves with the face (caption, picture): it grows, sinks and greys
    with it. `centre` places a node whose position is its centre already (icons)."""
    w, h = size
    x, y = offset
    cx, cy = centre if centre else (x + w / 2.0, y + h / 2.0)
    home = (cx, cy, z)
    down = (cx, cy + 1, z)
    big = (scale * 1.04, scale * 1.04, 1.0) if grow else (scale, scale, 1.0)
    one = (scale, scale, 1.0)
    base = Look(Scale=one, Position=home, TintColor=color)
    return {"normal": base, "hover": base.but(Scale=big), "focus": base,
            "focushover": base.but(Scale=big), "pressed": base.but(Position=down),
            "disabled": base.but(TintColor=disabled_color)}


def ring_looks():
    shown, hidden = Look(TintColor=WHITE), Look(TintColor=CLEAR)
    return {"normal": hidden, "hover": hidden, "focus": shown, "focushover": shown,
            "pressed": shown, "disabled": hidden}


def pictures_of(base):
    return {"normal": image(base), "hover": image(base + "Hover"), "press": image(base + "Press"),
            "disabled": image(base + "Disabled")}


# --- Templates ------------------------------------------------------------------------------

def button_template(name, kind, size, font="button_24", font_size=24, icon=None):
    """A push button: shadow, face, focus ring, caption ("Text") and picture ("Image"), or a fixed
    icon ("Icon") in place of caption and picture."""
    w, h = size
    root = Node("BaseNode", name, Bounds=(w, h, 0))
    margin = skin.SHADOW_MARGIN
    root.add(nine("Shadow", "ButtonShadow", (4 - margin, 4 - margin, LAYER_SHADOW),
                  (w + 2 * margin, h + 2 * margin, 0), CanBeHit=False))
    face = root.add(centred(nine("Bg", "Button" + kind, (0, 0, 0), (w, h, 0)), size,
                            z=LAYER_FACE))
    ring = root.add(nine("Ring", "FocusRing", (-4, -4, LAYER_RING), (w + 8, h + 8, 0),
                         TintColor=CLEAR, CanBeHit=False))
    parts = [(face, face_looks(pictures_of("Button" + kind), size)), (ring, ring_looks())]
    if icon:
        centre = (w / 2.0, h / 2.0 - 2)
        glyph = root.add(icon_node("Icon", centre, LAYER_PICTURE, ICON_SCALE, icon))
        parts.append((glyph, rider_looks((0, 0), z=LAYER_PICTURE, scale=ICON_SCALE,
                                         centre=centre)))
    else:
        caption = root.add(centred(text("Text", font, font_size, (0, 0, 0), (w - 16, h - 4, 0),
                                        CanBeHit=False), (w - 16, h - 4), (8, 0), LAYER_TEXT))
        # the button's own picture (none unless the button sets one): a 64 x 64 icon at half size
        centre = (12 + 16, h / 2.0 - 2)
        picture = root.add(icon_node("Image", centre, LAYER_PICTURE, 0.5))
        parts.append((caption, rider_looks((w - 16, h - 4), (8, 0))))
        parts.append((picture, rider_looks((0, 0), z=LAYER_PICTURE, scale=0.5, centre=centre)))
    apply_plan(parts, control_plan())
    return root


def close_button_template():
    size = (44, 44)
    root = Node("BaseNode", "CloseButton", Bounds=(44, 44, 0))
    face = root.add(centred(sprite("Bg", "CloseButton", (0, 0, 0), Bounds=(44, 44, 0)), size,
                            z=LAYER_FACE))
    looks = face_looks(pictures_of("CloseButton"), size, dy_press=0, ring=False)
    apply_plan([(face, looks)], control_plan())
    return root


def tab_template():
    size = (160, 44)
    w, h = size
    root = Node("BaseNode", "TabButton", Bounds=(w, h, 0))
    face = root.add(centred(nine("Bg", "Tab", (0, 0, 0), size), size, z=LAYER_FACE))
    caption = root.add(centred(text("Text", "body_18", 18, (0, 0, 0), (w - 16, h - 2, 0),
                                    color=DARK_TEXT, CanBeHit=False), (w - 16, h - 2), (8, 0),
                               LAYER_TEXT))
    apply_plan([(face, face_looks(pictures_of("Tab"), size, grow=False, ring=False)),
                (caption, rider_looks((w - 16, h - 2), (8, 0), color=DARK_TEXT,
                                      disabled_color=DISABLED_DARK_TEXT, grow=False))],
               control_plan())
    return root


def check_box_template():
    """A check box with its label ("Text"); the mark shows in the checked states."""
    w, h = 280, 36
    root = Node("BaseNode", "CheckBox", Bounds=(w, h, 0))
    box = root.add(sprite("Box", "CheckBox", (0, 0, LAYER_FACE), Bounds=(36, 36, 0)))
    mark = root.add(sprite("Mark", "CheckMark", (0, -2, LAYER_PICTURE), Bounds=(36, 36, 0),
                           TintColor=CLEAR, CanBeHit=False))
    label = root.add(text("Text", "body_18", 18, (46, 0, LAYER_TEXT), (w - 46, h, 0), halign=1,
                          color=DARK_TEXT))
    boxes = {"normal": image("CheckBox"), "hover": image("CheckBoxHover"),
             "disabled": image("CheckBoxDisabled")}
    marks = {"on": image("CheckMark"), "off": image("CheckMarkDisabled")}

    def look(box_picture, checked, enabled=True):
        return [(box, Look(AtlasTexture=boxes[box_picture])),
                (mark, Look(AtlasTexture=marks["on" if enabled else "off"],
                            TintColor=WHITE if checked else CLEAR)),
                (label, Look(TintColor=DARK_TEXT if enabled else DISABLED_DARK_TEXT))]

    plan = {
        "Normal": look("normal", False), "Focus": look("hover", False),
        "KillFocus": look("normal", False), "Press": look("hover", False),
        "NormalHover": look("hover", False), "NormalKillHover": look("normal", False),
        "FocusHover": look("hover", False), "FocusKillHover": look("hover", False),
        "Pressed": look("hover", False), "KillPressed": look("normal", False),
        "NormalDisable": look("disabled", False, False),
        "FocusDisable": look("disabled", False, False),
        "NormalCheck": look("normal", True), "FocusCheck": look("hover", True),
        "NormalCheckHover": look("hover", True), "FocusCheckHover": look("hover", True),
        "NormalCheckKillHover": look("normal", True), "FocusCheckKillHover": look("hover", True),
        "NormalCheckDisable": look("disabled", True, False),
        "FocusCheckDisable": look("disabled", True, False),
    }
    for state, parts in plan.items():
        for node, target in parts:
            play_look(node, state, target)
    return root


def knob_looks():
    pictures = pictures_of("SliderKnob")
    base = Look(AtlasTexture=pictures["normal"])
    return {"normal": base, "hover": base.but(AtlasTexture=pictures["hover"]),
            "focus": base.but(AtlasTexture=pictures["hover"]),
            "focushover": base.but(AtlasTexture=pictures["hover"]),
            "pressed": base.but(AtlasTexture=pictures["press"]),
            "disabled": base.but(AtlasTexture=pictures["disabled"])}


def slider_template(name="Slider", w=260):
    """A horizontal slider with a round handle (KnobType 0)."""
    h = 32
    root = Node("BaseNode", name, Bounds=(w, h, 0))
    root.add(nine("SlidingArea", "SliderTrack", (0, 8, LAYER_SHADOW), (w, 16, 0)))
    knob = root.add(sprite("Knob", "SliderKnob", (0, 0, LAYER_FACE), Bounds=(32, 32, 0)))
    apply_plan([(knob, knob_looks())], control_plan())
    return root


def scroll_bar_template(length=192):
    """A vertical scroll bar whose thumb shows the visible part (KnobType 2)."""
    root = Node("BaseNode", "ScrollBar", Bounds=(16, length, 0))
    root.add(nine("SlidingArea", "ScrollTrack", (0, 0, LAYER_SHADOW), (16, length, 0)))
    thumb = root.add(nine("Knob", "ScrollThumb", (0, 0, LAYER_FACE), (16, 48, 0)))
    base = Look(AtlasTexture=image("ScrollThumb"))
    hover = base.but(AtlasTexture=image("ScrollThumbHover"))
    looks = {"normal": base, "hover": hover, "focus": base, "focushover": hover,
             "pressed": hover, "disabled": base}
    apply_plan([(thumb, looks)], control_plan())
    return root


def progress_template():
    """A progress bar: the fill ("Knob") grows over the inner "SlidingArea" (KnobType 1)."""
    w, h = 300, 28
    root = Node("BaseNode", "ProgressBar", Bounds=(w, h, 0))
    root.add(nine("Track", "ProgressTrack", (0, 0, LAYER_SHADOW), (w, h, 0)))
    root.add(Node("BaseNode", "SlidingArea", Position=(4, 4, 0), Bounds=(w - 8, h - 8, 0)))
    root.add(nine("Knob", "ProgressFill", (4, 4, LAYER_FACE), (w - 8, h - 8, 0), CanBeHit=False))
    return root


def list_element_background(size):
    """The background of a list element with the element's visual states (the list shows the
    selected item in the Focus state). It is a child of the element itself: the list gives each
    element its item's template, which is none unless the scene sets one."""
    w, h = size
    bg = nine("Bg", "ListElement", (0, 1, LAYER_FACE), (w, h - 2, 0))
    normal = Look(AtlasTexture=image("ListElement"), TintColor=WHITE)
    hover = normal.but(AtlasTexture=image("ListElementHover"))
    selected = normal.but(AtlasTexture=image("ListElementSelected"))
    looks = {"normal": normal, "hover": hover, "focus": selected, "focushover": selected,
             "pressed": selected, "disabled": normal.but(TintColor=0x80FFFFFF)}
    apply_plan([(bg, looks)], control_plan())
    return bg


def list_template(element=(320, 40), rows=7):
    """A list of one column: "Element" is a control showing the item's first text and picture
    (its "Text" and "Image" children), cloned once per row; the scene gives the list Bounds of
    (element width, rows x element height)."""
    ew, eh = element
    height = eh * rows
    root = Node("BaseNode", "List", Bounds=(ew, height, 0))
    root.add(nine("Bg", "PanelInset", (-8, -8, LAYER_SHADOW), (ew + 16 + 52, height + 16, 0)))
    # an element: its background at depth 1, its text and picture above it
    item = root.add(Node("ControlNode", "Element", Bounds=(ew, eh, 0)))
    item.add(list_element_background(element))
    item.add(text("Text", "body_18", 18, (12, 0, LAYER_RING), (ew - 56, eh, 0), halign=1,
                  color=DARK_TEXT, CanBeHit=False))
    item.add(icon_node("Image", (ew - 24, eh / 2.0), LAYER_RING, 0.5))
    x = ew + 6
    root.add(Node("ButtonNode", "PrevButton", Position=(x, 0, LAYER_FACE), Bounds=(44, 44, 0),
                  TemplateName="ArrowUpButton"))
    root.add(Node("ButtonNode", "NextButton", Position=(x, height - 44, LAYER_FACE),
                  Bounds=(44, 44, 0), TemplateName="ArrowDownButton"))
    root.add(Node("SliderNode", "Slider", Position=(x + 14, 50, LAYER_FACE),
                  Bounds=(16, height - 100, 0), TemplateName="ScrollBar", KnobType=2))
    return root


def edit_template():
    """A one-line edit field: "Text" with its caret "Cursor", which blinks."""
    w, h = 300, 44
    root = Node("BaseNode", "EditField", Bounds=(w, h, 0))
    bg = root.add(nine("Bg", "EditField", (0, 0, LAYER_FACE), (w, h, 0)))
    line = root.add(text("Text", "body_18", 18, (12, 0, LAYER_TEXT), (w - 24, h, 0), halign=1,
                         color=DARK_TEXT, CanBeHit=False))
    cursor = line.add(sprite("Cursor", "EditCursor", (0, 11, 1), Bounds=(2, 22, 0),
                             Visible=False, CanBeHit=False))
    cursor.state("Blink").animate(KeyFrame(["TintColor"], [
        Key(0, [WHITE]), Key(530, [CLEAR]), Key(400, [CLEAR], goto=0)]))
    cursor.default_state = "Blink"
    normal = Look(AtlasTexture=image("EditField"))
    focus = normal.but(AtlasTexture=image("EditFieldFocus"))
    looks = {"normal": normal, "hover": normal, "focus": focus, "focushover": focus,
             "pressed": focus, "disabled": normal.but(AtlasTexture=image("EditFieldDisabled"))}
    text_looks = {k: Look(TintColor=DARK_TEXT) for k in looks}
    text_looks["disabled"] = Look(TintColor=DISABLED_DARK_TEXT)
    apply_plan([(bg, looks), (line, text_looks)], control_plan())
    return root


def panel_template(name, size):
    w, h = size
    root = Node("BaseNode", name, Bounds=(w, h, 0))
    root.add(nine("Shadow", "PanelShadow", (-4, -4, LAYER_SHADOW), (w + 16, h + 16, 0),
                  CanBeHit=False))
    root.add(nine("Panel", "Panel", (0, 0, LAYER_FACE), (w, h, 0)))
    return root


def message_box_template():
    """The two-button message box: title, body, "Button" (the first choice) and "Button" (the
    second); it pops up over the scene that asked."""
    w, h = 520, 260
    centre = (w / 2.0, h / 2.0)
    root = Node("BaseNode", "MessageBox2Buttons", Bounds=(w, h, 0))
    z = LAYER_POPUP
    parts = [
        nine("Shadow", "PanelShadow", (-4, -4, z), (w + 16, h + 16, 0), CanBeHit=False),
        nine("Panel", "Panel", (0, 0, z + 1), (w, h, 0)),
        text("TitleText", "title_40", 40, (24, 18, z + 2), (w - 48, 52, 0)),
        text("BodyText", "body_18", 18, (32, 80, z + 2), (w - 64, 88, 0), color=DARK_TEXT,
             WordWrap=True),
        Node("ButtonNode", "Button", Position=(w / 2.0 - 8 - 160, h - 24 - 44, z + 2),
             Bounds=(160, 44, 0), TemplateName="ButtonGreenSmall"),
        Node("ButtonNode", "Button", Position=(w / 2.0 + 8, h - 24 - 44, z + 2),
             Bounds=(160, 44, 0), TemplateName="ButtonOrangeSmall"),
    ]
    for part in parts:
        root.add(part)
        transitions.popup(part, centre)
    return root


def options_templates():
    """The options' switches (green when on, red when off) and their volume slider, whose knob
    travels 200 units: a volume in whole percent lies on a whole unit."""
    return [button_template("Options_OnOffButton" + kind, kind, (120, 44))
            for kind in ("Green", "Red")] + [slider_template("Options_Slider", 232)]


def page_paper_template():
    """A comic page's paper: opaque over the whole screen, so that the page takes every click."""
    root = Node("BaseNode", "ComicsPaper", Bounds=(1024, 768, 0))
    root.add(Node("SpriteNode", "Paper", AtlasTexture="images/Comics/Paper.jpg",
                  Bounds=(1024, 768, 0), ImageStretchX=1, ImageStretchY=1))
    return root


def templates():
    made = []
    for size_name, size in BUTTON_SIZES.items():
        for kind in skin.BUTTON_KINDS:
            made.append(button_template("Button%s%s" % (kind, size_name), kind, size))
    for icon, direction in (("ArrowUp", "Up"), ("ArrowDown", "Down"), ("ArrowLeft", "Left"),
                            ("ArrowRight", "Right")):
        made.append(button_template("Arrow%sButton" % direction, "Green", ARROW_SIZE, icon=icon))
    made.append(close_button_template())
    made.append(tab_template())
    made.append(check_box_template())
    made.append(slider_template())
    made.append(scroll_bar_template())
    made.append(progress_template())
    made.append(list_template())
    made.append(edit_template())
    made.append(panel_template("PanelSmall", (400, 300)))
    made.append(panel_template("PanelLarge", (960, 704)))
    made.append(message_box_template())
    # Templates of one screen each, made with their screens.
    from . import shopscenes
    made += shopscenes.templates()
    from .mapscene import location_template  # the map's module builds on this one's helpers
    made.append(location_template())
    made += options_templates()
    made.append(page_paper_template())
    from . import playscene  # the play screen's module builds on this one's helpers
    made += playscene.templates()
    # The mini-games' effects (they run in the first scene manager).
    from .minigames import scenes as minigames
    made += minigames.templates()
    return made


def collection():
    root = Node("TemplateCollectionNode", "MenuTemplates")
    for template in templates():
        root.add(template)
    return root


# --- The skin sampler -----------------------------------------------------------------------

class Flow:
    """Places boxes left to right in rows inside a width."""

    def __init__(self, x, y, width, gap=16):
        self.left, self.x, self.y, self.right, self.gap = x, x, y, x + width, gap
        self.row = 0

    def place(self, size):
        w, h = size
        if self.x > self.left and self.x + w > self.right:
            self.newline()
        at = (self.x, self.y)
        self.x += w + self.gap
        self.row = max(self.row, h)
        return at

    def newline(self, extra=0):
        self.x, self.y, self.row = self.left, self.y + self.row + self.gap + extra, 0


def sampler():
    """A scene showing every template of the collection, enabled and disabled, checked and not.
    It names no picture or font of its own (only templates), so it loads from any folder."""
    z = 10  # controls lie over the backdrop
    root = Node("SceneNode", "SkinSampler")
    body = root.add(Node("BaseNode", "Scene"))
    transitions.fade(body)
    body.add(Node("ControlNode", "Backdrop", Position=(32, 32, 0), Bounds=(960, 704, 0),
                  TemplateName="PanelLarge", WantFocus=False))
    flow = Flow(64, 60, 896)

    def control(cls, name, template, size, **props):
        x, y = flow.place(size)
        return body.add(Node(cls, name, Position=(x, y, z), Bounds=(size[0], size[1], 0),
                             TemplateName=template, **props))

    for size_name, size in BUTTON_SIZES.items():
        for kind in skin.BUTTON_KINDS:
            control("ButtonNode", "%s%sButton" % (kind, size_name),
                    "Button%s%s" % (kind, size_name), size, Text="%Ok%")
        flow.newline()
    control("ButtonNode", "LargeDisabledButton", "ButtonGreenLarge", BUTTON_SIZES["Large"],
            Text="%Cancel%", Enabled=False)
    control("ButtonNode", "SmallDisabledButton", "ButtonOrangeSmall", BUTTON_SIZES["Small"],
            Text="%Cancel%", Enabled=False)
    control("ButtonNode", "CloseButton", "CloseButton", (44, 44))
    for direction in ("Up", "Down", "Left", "Right"):
        control("ButtonNode", "Arrow%s" % direction, "Arrow%sButton" % direction, ARROW_SIZE)
    # the map's location, at half size to keep to the row
    from .art.map import BUTTON_SIZE as LOCATION_SIZE
    x, y = flow.place((LOCATION_SIZE[0] // 2, LOCATION_SIZE[1] // 2))
    body.add(Node("ButtonNode", "MapLocation", Position=(x, y, z),
                  Bounds=(LOCATION_SIZE[0], LOCATION_SIZE[1], 0), TemplateName="MapLocationButton",
                  Scale=(0.5, 0.5, 1.0)))
    flow.newline()
    for index in range(3):
        control("ButtonNode", "Tab%dButton" % (index + 1), "TabButton", (160, 44),
                Text=("%Back%", "%Next%", "%Close%")[index], Enabled=index != 2)
    control("SliderNode", "Slider", "Slider", (260, 32), Value=35.0)
    flow.newline()
    for index, (checked, enabled) in enumerate(((False, True), (True, True), (False, False),
                                                (True, False))):
        control("CheckBoxNode", "CheckBox%d" % index, "CheckBox", (280, 36),
                Text="%Skin_CheckBox%", IsChecked=checked, Enabled=enabled)
        if index == 1:
            control("ProgressBarNode", "ProgressBar", "ProgressBar", (300, 28), KnobType=1,
                    Value=60.0)
            flow.newline()
    flow.newline(8)
    list_x, list_y = flow.place((320 + 60, 280))
    body.add(Node("ListNode", "List", Position=(list_x + 8, list_y + 8, z), Bounds=(320, 280, 0),
                  TemplateName="List", Circular=False,
                  Strings=["Item %d" % (i + 1) for i in range(12)]))
    edit_x = flow.x + 16
    body.add(Node("EditNode", "Edit", Position=(edit_x, list_y, z), Bounds=(300, 44, 0),
                  TemplateName="EditField", Text="%Skin_EditHint%", MaxTextLength=16))
    body.add(Node("EditNode", "EditDisabled", Position=(edit_x, list_y + 56, z),
                  Bounds=(300, 44, 0), TemplateName="EditField", Enabled=False))
    body.add(Node("ControlNode", "SmallPanel", Position=(edit_x + 320, list_y, z - 5),
                  Bounds=(400, 300, 0), TemplateName="PanelSmall", WantFocus=False,
                  Scale=(0.3, 0.3, 1.0)))
    # a message box as a control (the scene manager shows real ones over their scene)
    body.add(Node("ControlNode", "MessageBox", Position=(edit_x, list_y + 112, z),
                  Bounds=(520, 260, 0), TemplateName="MessageBox2Buttons", WantFocus=False,
                  Scale=(0.7, 0.7, 1.0)))
    # The templates of single screens, made small, in the free corners on the right.
    from . import shopscenes
    body.add(Node("ButtonNode", "ShopCard", Position=(852, 60, z), Bounds=(136, 150, 0),
                  TemplateName="ShopButton", Scale=(0.8, 0.8, 1.0)))
    for index, name in enumerate(("AchievementsList", "AchievementsEarnedList")):
        w, h = shopscenes.ELEMENT
        body.add(Node("ListNode", name, Position=(858, 552 + index * 68, z),
                      Bounds=(w, h * shopscenes.LIST_ROWS, 0), TemplateName=name,
                      Circular=False, Scale=(0.12, 0.12, 1.0),
                      Strings=["Item %d" % (i + 1) for i in range(8)]))
    # the options' switches, made small, after the small buttons; their slider beside the check
    # boxes, and a comic page's paper, small, right of the slider
    body.add(Node("ButtonNode", "OnOffGreen", Position=(592, 132, z), Bounds=(120, 44, 0),
                  TemplateName="Options_OnOffButtonGreen", Text="%Options_On%",
                  Scale=(0.6, 0.6, 1.0)))
    body.add(Node("ButtonNode", "OnOffRed", Position=(680, 132, z), Bounds=(120, 44, 0),
                  TemplateName="Options_OnOffButtonRed", Text="%Options_Off%",
                  Scale=(0.6, 0.6, 1.0)))
    body.add(Node("SliderNode", "OptionsSlider", Position=(672, 378, z), Bounds=(232, 32, 0),
                  TemplateName="Options_Slider", MinValue=0.0, MaxValue=100.0, Value=20.0))
    body.add(Node("ControlNode", "PagePaper", Position=(872, 236, z), Bounds=(1024, 768, 0),
                  TemplateName="ComicsPaper", WantFocus=False, Scale=(0.07, 0.07, 1.0)))
    # the play screen's templates, tiny, in three grids clear of the bands the sampler's test
    # keeps plain around the other controls: between the shop card and the paper, one row below
    # the paper, and right of the options' slider; the bar at the end of the last
    from . import playscene
    cell, icon = 7, 6.0
    places = [(852 + c * cell, 194 + r * cell) for r in range(3) for c in range(18)]
    places += [(852 + c * cell, 303) for c in range(18)]
    places += [(920 + c * cell, 366 + r * cell) for r in range(7) for c in range(8)]
    lists = iter([(920 + i * 16, 382) for i in range(3)])
    places = iter(places)
    for template in playscene.templates():
        w, h = template.get("Bounds", (10, 10, 0))[:2]
        scale = min(icon / w, icon / h)
        cls = {"Game_GoalCheckBox": "CheckBoxNode", "Game_Bar": "ProgressBarNode"}.get(
            template.name, "ListNode" if template.name.endswith("List") else "ButtonNode")
        props = {"Strings": ["1"]} if cls == "ListNode" else {}
        if cls == "ListNode":  # one element, larger: its slot is pale
            w, h = template.find("Element").get("Bounds")[:2]
            scale = 13.0 / w
            x, y = next(lists)
        else:
            x, y = next(places)
        if cls == "CheckBoxNode":  # the box alone: its text lies beside it
            props["IsChecked"] = True
            w, h = playscene.GOAL_BOX, playscene.GOAL_BOX
            scale = icon / w
        if cls == "ProgressBarNode":  # a bar is long: a third of its size
            props.update(KnobType=1, Value=60.0)
            scale, x, y = 1 / 3.0, 920, 417
        body.add(Node(cls, "Play_" + template.name, Position=(x, y, z), Bounds=(w, h, 0),
                      TemplateName=template.name, Scale=(scale, scale, 1.0), **props))
    # the mini-games' effects, small, below the right-hand grid (their parts hang about their
    # origin)
    from .minigames import scenes as minigames
    for index, template in enumerate(minigames.templates()):
        body.add(Node("ControlNode", "MiniGame_" + template.name,
                      Position=(934 + index * 26, 440, z), Bounds=(16, 16, 0),
                      TemplateName=template.name, WantFocus=False, Scale=(0.5, 0.5, 1.0)))
    return root


def build():
    out = Output()
    out.add_xml(asset(COLLECTION), scene_text(collection()))
    out.add_xml(SAMPLER, scene_text(sampler()))
    return out


MODULE = Module("templates", build, __file__, inputs=[FONT_DESCRIPTION],
                outputs=[asset(COLLECTION), SAMPLER])
