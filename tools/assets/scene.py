"""The scene writer: node trees, typed properties, states with their animations, and the
standard scene transitions, written as scene files (".oscn") the engine reads.

A node is written as the engine's scene writer lays it out: a SceneNode element with its Type,
then its Properties, its States, its children. Every property is one element named after its
value type; the type of a well-known property comes from PROPERTY_TYPES, any other is given with
`Prop(type, value)`.

    root = Node("SceneNode", "OptionsScene", class_override="GOptionsScene")
    body = root.add(Node("BaseNode", "Scene"))
    transitions.fade(body)
    body.add(Node("ButtonNode", "BackButton", TemplateName="ButtonGreenLarge",
                  Position=(40, 680, 0), Text="%Back%"))
    data = scene_file(root)
"""
from .common import element, fmt_float, fmt_floats, xml_document

# Value types of the property names the engine's and the game's nodes know.
PROPERTY_TYPES = {
    # BaseNode
    "Name": "string", "Visible": "bool", "Position": "vector3d", "Rotation": "vector3d",
    "Scale": "vector3d", "Bounds": "vector3d", "PivotPoint": "vector2d", "TintColor": "color",
    "CanBeHit": "bool", "ChildrenClipped": "bool",
    # ControlNode (the default focus object is written under its file name)
    "DefaultFocusObjectName": "string", "NavLeftObjectName": "string",
    "NavRightObjectName": "string", "NavDownObjectName": "string", "NavUpObjectName": "string",
    "TemplateName": "string", "WantFocus": "bool", "IsFocusOnHover": "bool", "Enabled": "bool",
    "HoverTrack": "bool",
    # TextNode ("Text" is a wide string for text, button and edit nodes alike)
    "Kerning": "vector2d", "FontSize": "float", "TextHAlign": "int", "TextVAlign": "int",
    "WordWrap": "bool", "Text": "stringw", "Font": "font",
    # SpriteNode, NineGridSpriteNode, ButtonNode, CheckBoxNode
    "ImageStretchX": "int", "ImageStretchY": "int", "ImagePivotPoint": "vector2d",
    "WrapType": "int", "FlipX": "bool", "FlipY": "bool", "BlendType": "int",
    "AtlasTexture": "atlasTexture", "TopLeftDelta": "vector2d", "BottomRightDelta": "vector2d",
    "Image": "atlasTexture", "IsChecked": "bool",
    # progress bars, sliders, lists, tabs, edit fields
    "MinValue": "float", "MaxValue": "float", "Value": "float", "DeltaValue": "float",
    "KnobType": "int", "SelectedItem": "int", "TopItem": "int", "Circular": "bool",
    "Orientation": "int", "IsSelectWhileListingOn": "bool", "Strings": "stringwArray",
    "TabsCount": "int", "ActiveTabIndex": "int", "HideTabButtonOnSelect": "bool",
    "MaxTextLength": "int", "InputMask": "string",
    # particle systems, sounds, spawners
    "EmitterName": "string", "ParticleTexture": "atlasTexture", "EmitterEnabled": "bool",
    "Global": "bool", "SoundCueName": "string", "Play": "bool", "ObjTemplate": "string",
    "IsSpawnedObjectGhost": "bool", "ObjectsSpawnStartDelayRange": "vector2d",
    "ObjectsPerSecRange": "vector2d", "ObjectsLifeTimeRange": "vector2d",
    "ObjectsXDeltaRange": "vector2d", "ObjectsYDeltaRange": "vector2d",
    "ObjectsRotationDeltaRange": "vector2d", "ObjectsProperties": "properties",
    # states
    "DefaultState": "string",
}

VALUE_TYPES = ("int", "bool", "float", "color", "colorf", "vector2d", "vector3d", "rect", "string",
               "stringw", "stringwArray", "properties", "atlasTexture", "font", "sound")


class Prop:
    """A property value with its type given explicitly."""

    def __init__(self, type_name, value):
        if type_name not in VALUE_TYPES:
            raise ValueError("unknown property type " + type_name)
        self.type = type_name
        self.value = value


def rgba(red, green, blue, alpha=255):
    """A colour value (alpha in the top byte, as the engine stores colours)."""
    return (alpha << 24) | (red << 16) | (green << 8) | blue


def hex_color(text, alpha=255):
    """A colour value from "#RRGGBB"."""
    text = text.lstrip("#")
    return rgba(int(text[0:2], 16), int(text[2:4], 16), int(text[4:6], 16), alpha)


def value_text(type_name, value):
    """The text form of a plain value, as the engine's property values write theirs."""
    if type_name == "int":
        return str(int(value))
    if type_name == "bool":
        return "true" if value else "false"
    if type_name == "float":
        return fmt_float(value)
    if type_name == "color":
        return "%08x" % (int(value) & 0xFFFFFFFF)
    if type_name in ("vector2d", "vector3d", "rect", "colorf"):
        count = {"vector2d": 2, "vector3d": 3, "rect": 4, "colorf": 4}[type_name]
        values = tuple(value)
        if type_name == "vector3d" and len(values) == 2:
            values = values + (0,)
        if len(values) != count:
            raise ValueError("%s needs %d numbers, not %r" % (type_name, count, value))
        return fmt_floats(values)
    if type_name in ("string", "stringw", "atlasTexture", "font", "sound"):
        return str(value)
    raise ValueError("no plain text form for " + type_name)


def property_type(name, value):
    if isinstance(value, Prop):
        return value.type, value.value
    if name not in PROPERTY_TYPES:
        raise KeyError("the type of property %r is not known; give it as Prop(type, value)" % name)
    return PROPERTY_TYPES[name], value


def property_lines(props, depth):
    """The elements of a property set's entries, one per line, at the given tab depth."""
    tabs = "\t" * depth
    lines = []
    for name, raw in props:
        type_name, value = property_type(name, raw)
        if type_name == "stringwArray":
            lines.append(tabs + element("stringwArray", [("Name", name)], empty=False))
            for text in value:
                lines.append(tabs + "\t" + element("stringw", [("Value", text)]))
            lines.append(tabs + "</stringwArray>")
        elif type_name == "properties":
            lines.append(tabs + element("properties", [("Name", name)], empty=False))
            lines.extend(property_lines(list(value.items()) if isinstance(value, dict) else value,
                                        depth + 1))
            lines.append(tabs + "</properties>")
        else:
            lines.append(tabs + element(type_name, [("Name", name),
                                                    ("Value", value_text(type_name, value))]))
    return lines


def properties_element(props, depth, name="Properties"):
    """A property set enclosed in its element (nothing for an empty set)."""
    if not props:
        return []
    tabs = "\t" * depth
    return [tabs + "<%s>" % name] + property_lines(props, depth + 1) + [tabs + "</%s>" % name]


# --- Animations -----------------------------------------------------------------------------

class Key:
    """One key frame: `t` is the time from the previous key (ms); `values` follow the animation's
    property list; `glide` moves smoothly from the previous key; `goto` jumps back to a key."""

    def __init__(self, t, values, glide=False, goto=None):
        self.t = int(t)
        self.values = list(values)
        self.glide = glide
        self.goto = goto


class KeyFrame:
    """Drives node properties through key frames. `props` lists the animated property names (or
    (name, type) pairs for names PROPERTY_TYPES lacks)."""

    type_name = "KeyFrame"

    def __init__(self, props, keys, period=20, time_shift=0, name=None):
        self.props = [(p, PROPERTY_TYPES[p]) if isinstance(p, str) else tuple(p) for p in props]
        self.keys = list(keys)
        self.period = int(period)
        self.time_shift = int(time_shift)
        self.name = name
        for key in self.keys:
            if len(key.values) != len(self.props):
                raise ValueError("a key frame needs one value per animated property")
        if self.keys and self.keys[0].glide:
            raise ValueError("the first key frame has nothing to glide from")

    def duration(self):
        return sum(key.t for key in self.keys[1:])

    def lines(self, element_name, depth):
        tabs = "\t" * depth
        attributes = [("Type", "KeyFrame")]
        if self.name:
            attributes.append(("Name", self.name))
        if self.period != 20:
            attributes.append(("Period", self.period))
        if self.time_shift:
            attributes.append(("TimeShift", self.time_shift))
        out = [tabs + element(element_name, attributes, empty=False)]
        template = [(name, Prop(type_name, _zero(type_name))) for name, type_name in self.props]
        out += properties_element(template, depth + 1)
        for key in self.keys:
            attrs = [("t", key.t)]
            if key.goto is not None:
                attrs.append(("g", key.goto))
            if key.glide:
                attrs.append(("i", 0))
            for index, ((_, type_name), value) in enumerate(zip(self.props, key.values)):
                attrs.append(("Value%d" % index, value_text(type_name, value)))
            out.append(tabs + "\t" + element("KeyFrame", attrs))
        out.append(tabs + "</%s>" % element_name)
        return out


def _zero(type_name):
    return {"int": 0, "bool": False, "float": 0.0, "color": 0, "colorf": (0, 0, 0, 0),
            "vector2d": (0, 0), "vector3d": (0, 0, 0), "rect": (0, 0, 0, 0)}.get(type_name, "")


class SetProps:
    """Sets property values at once (for a state's start or end)."""

    type_name = "SetProps"

    def __init__(self, props=None, name=None, **kwargs):
        self.props = list(props or []) + list(kwargs.items())
        self.name = name

    def lines(self, element_name, depth):
        tabs = "\t" * depth
        attributes = [("Type", "SetProps")] + ([("Name", self.name)] if self.name else [])
        return ([tabs + element(element_name, attributes, empty=False)] +
                property_lines(self.props, depth + 1) + [tabs + "</%s>" % element_name])


class SetStates:
    """Makes the node (no children named) or some direct children enter states."""

    type_name = "SetStates"

    def __init__(self, entries, name=None):
        self.entries = [(state, list(children)) for state, children in entries]
        self.name = name

    def lines(self, element_name, depth):
        tabs = "\t" * depth
        attributes = [("Type", "SetStates")] + ([("Name", self.name)] if self.name else [])
        out = [tabs + element(element_name, attributes, empty=False)]
        for state, children in self.entries:
            out.append(tabs + "\t" + element("State", [("Name", state),
                                                        ("Children", ";".join(children))]))
        out.append(tabs + "</%s>" % element_name)
        return out


class State:
    """One named state of a node: animations run over time (main), applied when the state starts
    and applied when it ends."""

    def __init__(self, name, next_state=None):
        self.name = name
        self.next_state = next_state
        self.main = []
        self.start = []
        self.end = []

    def animate(self, animation):
        self.main.append(animation)
        return self

    def at_start(self, animation):
        self.start.append(animation)
        return self

    def at_end(self, animation):
        self.end.append(animation)
        return self

    def duration(self):
        return max([a.duration() for a in self.main if isinstance(a, KeyFrame)] or [0])

    def lines(self, depth):
        tabs = "\t" * depth
        attributes = [("Name", self.name)]
        if self.next_state:
            attributes.append(("NextState", self.next_state))
        out = [tabs + element("State", attributes, empty=False)]
        for animation in self.main:
            out += animation.lines("Animator", depth + 1)
        for animation in self.start:
            out += animation.lines("StartAnimator", depth + 1)
        for animation in self.end:
            out += animation.lines("EndAnimator", depth + 1)
        out.append(tabs + "</State>")
        return out


# --- Nodes ----------------------------------------------------------------------------------

class Node:
    """One node of a scene tree. Keyword arguments are properties, written in the order given."""

    def __init__(self, type_name, name=None, class_override=None, file=None, **props):
        self.type = type_name
        self.class_override = class_override
        self.file = file
        self.props = []
        if name is not None:
            self.props.append(("Name", name))
        self.props.extend(props.items())
        self.children = []
        self.states = []
        self.default_state = None

    @property
    def name(self):
        for key, value in self.props:
            if key == "Name":
                return value
        return None

    def set(self, name, value):
        """Sets (or replaces) one property."""
        for index, (key, _) in enumerate(self.props):
            if key == name:
                self.props[index] = (name, value)
                return self
        self.props.append((name, value))
        return self

    def get(self, name, default=None):
        for key, value in self.props:
            if key == name:
                return value.value if isinstance(value, Prop) else value
        return default

    def add(self, child):
        self.children.append(child)
        return child

    def state(self, name, next_state=None):
        """The node's state of that name, made on first use."""
        for existing in self.states:
            if existing.name == name:
                return existing
        made = State(name, next_state)
        self.states.append(made)
        return made

    def find(self, name):
        """The first node of that name in this subtree (depth first), or None."""
        if self.name == name:
            return self
        for child in self.children:
            found = child.find(name)
            if found is not None:
                return found
        return None

    def walk(self):
        yield self
        for child in self.children:
            yield from child.walk()

    def lines(self, depth=0):
        tabs = "\t" * depth
        if self.file:
            return [tabs + element("SceneNode", [("Type", self.type), ("File", self.file)])]
        attributes = [("Type", self.type)]
        if self.class_override:
            attributes.append(("ClassOverride", self.class_override))
        out = [tabs + element("SceneNode", attributes, empty=False)]
        out += properties_element(self.props, depth + 1)
        if self.states:
            out.append(tabs + "\t<States>")
            if self.default_state:
                out += properties_element([("DefaultState", self.default_state)], depth + 2)
            for state in self.states:
                out += state.lines(depth + 2)
            out.append(tabs + "\t</States>")
        for child in self.children:
            out += child.lines(depth + 1)
        out.append(tabs + "</SceneNode>")
        return out


def scene_text(root):
    return "\n".join(root.lines()) + "\n"


def scene_file(root):
    """The bytes of a scene file holding the tree."""
    return xml_document(scene_text(root))


# --- Motion helpers -------------------------------------------------------------------------

def ease_out(fraction):
    return 1.0 - (1.0 - fraction) ** 3


def eased_keys(start, end, duration, steps=5, easing=ease_out, hold=0):
    """Key frames that move one value (a number or a tuple) from start to end over `duration` ms
    along an easing curve, approximated by `steps` linear glides; `hold` ms at the start value
    before the move."""
    keys = [Key(0, [start])]
    if hold:
        keys.append(Key(hold, [start]))
    times = [round(duration * (i + 1) / steps) for i in range(steps)]
    previous = 0
    for i, time in enumerate(times):
        mix = easing((i + 1) / steps)
        keys.append(Key(time - previous, [_mix(start, end, mix)], glide=True))
        previous = time
    return keys


def _mix(a, b, f):
    if isinstance(a, tuple):
        return tuple(x + (y - x) * f for x, y in zip(a, b))
    if isinstance(a, int) and isinstance(b, int) and a >= 0 and b >= 0 and max(a, b) > 0xFFFF:
        # a colour: mix every channel
        return sum(int(round(((a >> s) & 255) + (((b >> s) & 255) - ((a >> s) & 255)) * f)) << s
                   for s in (0, 8, 16, 24))
    return a + (b - a) * f


class transitions:
    """The standard scene transitions, as states of a scene's top node (the child of the scene
    root that holds everything shown): scenes play them on their direct children."""

    WIDTH = 1024
    FADE_IN_MS = 300
    FADE_OUT_MS = 250
    SLIDE_MS = 350

    @staticmethod
    def fade(node, color=0xFFFFFFFF):
        """NavTo and NavBackTo fade the node in, NavFrom and NavBackFrom fade it out."""
        clear = color & 0x00FFFFFF
        for name, start, end, duration in (
                ("NavTo", clear, color, transitions.FADE_IN_MS),
                ("NavBackTo", clear, color, transitions.FADE_IN_MS),
                ("NavFrom", color, clear, transitions.FADE_OUT_MS),
                ("NavBackFrom", color, clear, transitions.FADE_OUT_MS)):
            node.state(name).animate(KeyFrame(["TintColor"],
                                              eased_keys(start, end, duration, steps=3)))
        return node

    @staticmethod
    def slide(node, position=(0, 0, 0)):
        """The Slide family: NavToSlide comes in from the right, NavFromSlide leaves to the left,
        NavBackToSlide comes back from the left, NavBackFromSlide leaves to the right."""
        x, y, z = position
        right = (x + transitions.WIDTH, y, z)
        left = (x - transitions.WIDTH, y, z)
        home = (x, y, z)
        for name, start, end in (("NavToSlide", right, home), ("NavFromSlide", home, left),
                                 ("NavBackToSlide", left, home), ("NavBackFromSlide", home, right)):
            node.state(name).animate(KeyFrame(["Position"],
                                              eased_keys(start, end, transitions.SLIDE_MS)))
        return node

    @staticmethod
    def standard(node, position=(0, 0, 0)):
        transitions.fade(node)
        transitions.slide(node, position)
        return node

    @staticmethod
    def popup(node, center, enter="NavTo", leave="NavBackFrom", position=None):
        """A pop-up's entry (scaling from 90 % to 100 % while fading in) and exit, around the
        point `center` of its parent's space. The node's pivot is moved to that point, so its
        Position becomes the centre."""
        px, py = position if position is not None else (node.get("Position", (0, 0, 0))[:2])
        cx, cy = center
        z = (node.get("Position", (0, 0, 0)) + (0, 0, 0))[2]
        node.set("PivotPoint", (cx - px, cy - py))
        node.set("Position", (cx, cy, z))
        small, full = (0.9, 0.9, 1.0), (1.0, 1.0, 1.0)
        node.state(enter).animate(KeyFrame(
            ["Scale", "TintColor"],
            [Key(0, [small, 0x00FFFFFF])] +
            [Key(k.t, [k.values[0], _mix(0x00FFFFFF, 0xFFFFFFFF, (0.6, 0.9, 1.0)[i])], glide=True)
             for i, k in enumerate(eased_keys(small, full, transitions.FADE_IN_MS, steps=3)[1:])]))
        node.state(leave).animate(KeyFrame(
            ["Scale", "TintColor"],
            [Key(0, [full, 0xFFFFFFFF]), Key(200, [small, 0x00FFFFFF], glide=True)]))
        return node

