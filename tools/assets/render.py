"""A small picture-maker for scene files, reading the committed assets as the game does (atlas
regions, bitmap fonts, the template collection, the dictionary). It draws what the content says
a scene looks like when it is shown, without the engine: sprites, nine-grid sprites and texts,
controls through their templates (with a chosen visual state), buttons' captions, check marks,
slider knobs, progress fills and list elements.

It stands in for the engine in the contact sheet and in the tests of the content (sizes, layout,
that a template draws anything at all); it is no reference for the engine's own drawing (no
rotation, no particles, no animation beyond a state's final values).
"""
import os
import re
import xml.etree.ElementTree as ET

from PIL import Image

from .common import ASSETS, REPO

TEXT_KEY = re.compile(r"%([^%]*)%")


def _asset(path):
    return os.path.join(REPO, ASSETS, path)


def parse_value(type_name, text):
    if type_name == "int":
        return int(float(text or 0))
    if type_name == "float":
        return float(text or 0)
    if type_name == "bool":
        return text == "true"
    if type_name == "color":
        return int(text or "0", 16)
    if type_name in ("vector2d", "vector3d", "rect", "colorf"):
        return tuple(float(v) for v in text.split(";")) if text else ()
    return text


class SceneElement:
    """A node read from a scene file: class, properties (typed), states (final values of their
    key frames and set values), children."""

    def __init__(self, element, folder):
        self.cls = element.get("ClassOverride") or element.get("Type")
        self.folder = folder
        self.props = {}
        self.resource_types = {}
        for props in element.findall("Properties"):
            for value in props:
                name = value.get("Name")
                self.props[name] = parse_value(value.tag, value.get("Value", ""))
                if value.tag in ("atlasTexture", "font"):
                    self.resource_types[name] = value.tag
                if value.tag == "stringwArray":
                    self.props[name] = [v.get("Value", "") for v in value]
        self.states = {}
        for states in element.findall("States"):
            for state in states.findall("State"):
                self.states[state.get("Name")] = self._final_values(state)
        self.children = [SceneElement(c, folder) for c in element.findall("SceneNode")]

    @staticmethod
    def _final_values(state):
        values = {}
        for animation in state:
            if animation.get("Type") == "KeyFrame":
                props = animation.find("Properties")
                keys = animation.findall("KeyFrame")
                if props is None or not keys:
                    continue
                last = keys[-1] if keys[-1].get("g") is None else keys[max(0, len(keys) - 2)]
                for index, value in enumerate(props):
                    values[value.get("Name")] = parse_value(value.tag, last.get("Value%d" % index))
            elif animation.get("Type") == "SetProps":
                for value in animation:
                    values[value.get("Name")] = parse_value(value.tag, value.get("Value", ""))
        return values

    @property
    def name(self):
        return self.props.get("Name")

    def child(self, name):
        for child in self.children:
            if child.name == name:
                return child
        return None

    def copy(self):
        twin = SceneElement.__new__(SceneElement)
        twin.cls, twin.folder = self.cls, self.folder
        twin.props = dict(self.props)
        twin.resource_types = dict(self.resource_types)
        twin.states = self.states
        twin.children = [c.copy() for c in self.children]
        return twin

    def enter(self, state):
        """Takes the final values of a state in the direct children (as a node entering a state
        makes its children play it)."""
        for child in self.children:
            if state in child.states:
                child.props.update(child.states[state])


def load_scene(path):
    """A scene file (repository-relative or absolute) as a SceneElement tree."""
    full = path if os.path.isabs(path) else os.path.join(REPO, path)
    with open(full, "rb") as source:
        root = ET.fromstring(source.read())
    folder = os.path.dirname(os.path.relpath(full, os.path.join(REPO, ASSETS)))
    return SceneElement(root, folder.replace(os.sep, "/"))


class Font:
    def __init__(self, path, pictures):
        with open(_asset(path), "rb") as source:
            root = ET.fromstring(source.read())
        folder = os.path.dirname(path)
        self.size = 14.0
        self.spacing = 0.0
        for value in root.iter("float"):
            if value.get("Name") == "OriginalSize":
                self.size = float(value.get("Value"))
        for value in root.iter("vector2d"):
            if value.get("Name") == "GlobalKerning":
                self.spacing = float(value.get("Value").split(";")[0])
        pages = [pictures.file(os.path.normpath(os.path.join(folder, t.get("Filename"))))
                 for t in root.iter("Texture")]
        self.glyphs = {}
        for glyph in root.iter("c"):
            box = tuple(int(v) for v in glyph.get("r").split(","))
            before = tuple(int(v) for v in glyph.get("b").split(","))
            after = tuple(int(v) for v in glyph.get("a").split(","))
            page = pages[int(glyph.get("i", "0"))]
            image = page.crop(box) if box[2] > box[0] else None
            self.glyphs[glyph.get("c")] = (image, before, after, (box[2] - box[0], box[3] - box[1]))
        self.kerning = {k.get("c"): int(k.get("k")) for k in root.iter("k")}
        self.line_height = max(b[1] + s[1] + a[1] for _, b, a, s in self.glyphs.values())

    def glyph(self, char):
        return self.glyphs.get(char) or self.glyphs.get(" ")

    def advance(self, char, following):
        _, before, after, size = self.glyph(char)
        return before[0] + size[0] + after[0] + self.spacing + \
            (self.kerning.get(char + following, 0) if following else 0)

    def width(self, text):
        total = sum(self.advance(c, text[i + 1] if i + 1 < len(text) else "")
                    for i, c in enumerate(text))
        return total - (self.spacing if text else 0)


class Pictures:
    """Atlas regions (by full name) and whole files, cut out as images."""

    def __init__(self):
        self.regions = {}
        self._files = {}
        self._fonts = {}
        atlases = _asset("atlases")
        for name in sorted(os.listdir(atlases)) if os.path.isdir(atlases) else ():
            if not name.endswith(".xml"):
                continue
            with open(os.path.join(atlases, name), "rb") as source:
                root = ET.fromstring(source.read())
            pages = [self.file("atlases/" + a.get("f")) for a in root.iter("a")]
            for t in root.iter("t"):
                box = tuple(int(v) for v in t.get("r").split(","))
                before = tuple(int(v) for v in t.get("b", "0,0").split(","))
                self.regions[t.get("n")] = (pages[int(t.get("i"))].crop(box), before)

    def file(self, path):
        path = path.replace(os.sep, "/")
        if path not in self._files:
            self._files[path] = Image.open(_asset(path)).convert("RGBA")
        return self._files[path]

    def picture(self, name):
        """(image, leading trim) of a region or a whole file; None when neither exists."""
        if name in self.regions:
            return self.regions[name]
        if os.path.exists(_asset(name)):
            return self.file(name), (0, 0)
        return None

    def font(self, name):
        if name not in self._fonts:
            self._fonts[name] = Font(name, self)
        return self._fonts[name]


def _tint(image, colour):
    """The image multiplied by an ARGB colour (0xAARRGGBB)."""
    if colour == 0xFFFFFFFF:
        return image
    factors = [((colour >> shift) & 255) / 255.0 for shift in (16, 8, 0, 24)]
    bands = [band.point(lambda v, f=f: int(v * f)) for band, f in zip(image.split(), factors)]
    return Image.merge("RGBA", bands)


def _modulate(a, b):
    return sum(((((a >> s) & 255) * ((b >> s) & 255)) // 255) << s for s in (0, 8, 16, 24))


class Renderer:
    def __init__(self, size=(1024, 768), texts=None):
        self.pictures = Pictures()
        self.canvas = Image.new("RGBA", size, (0, 0, 0, 0))
        self.texts = texts if texts is not None else load_dictionary()
        self.templates = {}
        self.drawn = []  # (node name, class, box) of every control drawn
        self.items = []  # (depth, key, order, piece) until flushed
        self._key = 0
        collection = _asset("scenes/TemplateCollection.oscn")
        if os.path.exists(collection):
            for template in load_scene(collection).children:
                self.templates[template.name] = template

    # transforms are (x, y, sx, sy, depth): screen = (x + sx * local_x, y + sy * local_y); the
    # depth is the sum of the z of the positions along the ancestry, as the engine sorts by it
    @staticmethod
    def _local(parent, node):
        px, py, psx, psy, depth = parent
        pos = tuple(node.props.get("Position", (0, 0, 0))) + (0, 0, 0)
        scale = node.props.get("Scale", (1, 1, 1))
        pivot = node.props.get("PivotPoint", (0, 0))
        sx, sy = psx * scale[0], psy * scale[1]
        return (px + psx * (pos[0] - scale[0] * pivot[0]), py + psy * (pos[1] - scale[1] * pivot[1]),
                sx, sy, depth + pos[2])

    def _paste(self, image, transform, x, y, w, h, colour):
        """Adds one piece to the frame's draw list."""
        if image is None or w <= 0 or h <= 0:
            return
        self.items.append((transform[4], self._key, len(self.items),
                           (image, transform, x, y, w, h, colour)))

    def flush(self):
        """Draws the collected pieces ordered as the engine orders its draw items: by depth, then
        by texture (texts before pictures at the same depth)."""
        for _, _, _, piece in sorted(self.items, key=lambda item: item[:3]):
            self._draw_piece(*piece)
        self.items = []

    def _draw_piece(self, image, transform, x, y, w, h, colour):
        tx, ty, sx, sy, _ = transform
        left, top = int(round(tx + sx * x)), int(round(ty + sy * y))
        width = int(round(tx + sx * (x + w))) - left
        height = int(round(ty + sy * (y + h))) - top
        if width <= 0 or height <= 0:
            return
        piece = image if image.size == (width, height) else image.resize((width, height),
                                                                          Image.BILINEAR)
        piece = _tint(piece, colour)
        # clip to the canvas, then blend in place
        cw, ch = self.canvas.size
        x0, y0 = max(0, left), max(0, top)
        x1, y1 = min(cw, left + width), min(ch, top + height)
        if x1 <= x0 or y1 <= y0:
            return
        piece = piece.crop((x0 - left, y0 - top, x1 - left, y1 - top))
        self.canvas.alpha_composite(piece, (x0, y0))

    def resolve(self, node, name):
        return os.path.normpath(os.path.join(node.folder, name)).replace(os.sep, "/")

    def text_of(self, text):
        return TEXT_KEY.sub(lambda m: self.texts.get(m.group(1), m.group(0)) if m.group(1) else "%",
                            text)

    # node kinds
    def draw_sprite(self, node, transform, colour):
        self._key = 1
        name = node.props.get("AtlasTexture")
        found = self.pictures.picture(self.resolve(node, name)) if name else None
        if not found:
            return
        image, (bx, by) = found
        pivot = node.props.get("ImagePivotPoint", (0, 0))
        bounds = node.props.get("Bounds", (100, 100, 0))
        w = bounds[0] if node.props.get("ImageStretchX") == 1 else image.size[0]
        h = bounds[1] if node.props.get("ImageStretchY") == 1 else image.size[1]
        self._paste(image, transform, bx - pivot[0], by - pivot[1], w, h, colour)

    def draw_nine(self, node, transform, colour):
        self._key = 1
        name = node.props.get("AtlasTexture")
        found = self.pictures.picture(self.resolve(node, name)) if name else None
        if not found:
            return
        image, _ = found
        left, top = node.props.get("TopLeftDelta", (10, 10))
        right, bottom = node.props.get("BottomRightDelta", (10, 10))
        w, h = node.props.get("Bounds", (100, 100, 0))[:2]
        iw, ih = image.size
        xs, us = [0, left, w - right, w], [0, left, iw - right, iw]
        ys, vs = [0, top, h - bottom, h], [0, top, ih - bottom, ih]
        for r in range(3):
            for c in range(3):
                if us[c + 1] <= us[c] or vs[r + 1] <= vs[r]:
                    continue
                part = image.crop((int(us[c]), int(vs[r]), int(us[c + 1]), int(vs[r + 1])))
                self._paste(part, transform, xs[c], ys[r], xs[c + 1] - xs[c], ys[r + 1] - ys[r],
                            colour)

    def layout(self, font, scale, text, width, wrap):
        lines = text.replace("\r\n", "\n").replace("\r", "\n").split("\n")
        if not wrap:
            return lines
        out = []
        for line in lines:
            words, current = line.split(" "), ""
            for word in words:
                trial = word if not current else current + " " + word
                if current and font.width(trial) * scale > width:
                    out.append(current)
                    current = word
                else:
                    current = trial
            out.append(current)
        return out

    def draw_text(self, node, transform, colour):
        self._key = 0
        name, text = node.props.get("Font"), self.text_of(node.props.get("Text", ""))
        if not name or not text:
            return
        font = self.pictures.font(self.resolve(node, name))
        scale = node.props.get("FontSize", 14.0) / font.size
        w, h = node.props.get("Bounds", (100, 100, 0))[:2]
        halign, valign = node.props.get("TextHAlign", 1), node.props.get("TextVAlign", 1)
        lines = self.layout(font, scale, text, w, node.props.get("WordWrap", False))
        if halign in (2, 4):
            lines = [line.strip(" \t") for line in lines]
        line_height = font.line_height * scale
        total = line_height * len(lines)
        top = {2: (h - total) / 2.0, 3: h - total}.get(valign, 0)
        for index, line in enumerate(lines):
            width = font.width(line) * scale
            x = {2: (w - width) / 2.0, 3: w - width}.get(halign, 0)
            x, y = round(x), round(top + index * line_height)
            for i, char in enumerate(line):
                image, before, _, size = font.glyph(char)
                if image is not None:
                    self._paste(image, transform, x + before[0] * scale, y + before[1] * scale,
                                size[0] * scale, size[1] * scale, colour)
                x += font.advance(char, line[i + 1] if i + 1 < len(line) else "") * scale

    # controls
    def visual_state(self, node, state):
        enabled = node.props.get("Enabled", True)
        if node.cls == "CheckBoxNode":
            checked = node.props.get("IsChecked", False)
            base = "NormalCheck" if checked else "Normal"
            if not enabled:
                return base + "Disable"
            return state.replace("Normal", base, 1) if state and checked else (state or base)
        if not enabled:
            return "NormalDisable"
        return state

    def instance(self, node, state=None):
        template = self.templates.get(node.props.get("TemplateName", ""))
        if template is None:
            return None
        copy = template.copy()
        for name, prop in (("Text", "Text"), ("Image", "AtlasTexture")):
            if node.cls in ("ButtonNode", "BackButtonNode", "CheckBoxNode", "EditNode") and \
                    copy.child(name) is not None and name in node.props:
                target = copy.child(name)
                value = node.props[name]
                target.props[prop if name == "Image" else "Text"] = value
        chosen = self.visual_state(node, state)
        if chosen:
            copy.enter(chosen)
        value = node.props.get("Value", 50.0)
        low, high = node.props.get("MinValue", 0.0), node.props.get("MaxValue", 100.0)
        fraction = (value - low) / (high - low) if high > low else 0.0
        area, knob = copy.child("SlidingArea"), copy.child("Knob")
        if area is not None and knob is not None:
            ax, ay = area.props.get("Position", (0, 0, 0))[:2]
            aw, ah = area.props.get("Bounds", (100, 100, 0))[:2]
            kw, kh = knob.props.get("Bounds", (100, 100, 0))[:2]
            kx, ky, kz = knob.props.get("Position", (0, 0, 0))
            horizontal = ah <= aw
            knob_type = node.props.get("KnobType", 0)
            if knob_type == 1:
                if horizontal:
                    knob.props["Bounds"], knob.props["Position"] = (aw * fraction, kh, 0), (ax, ky, kz)
                else:
                    knob.props["Bounds"], knob.props["Position"] = (kw, ah * fraction, 0), (kx, ay, kz)
            elif knob_type == 0 and node.cls == "SliderNode":
                if horizontal:
                    knob.props["Position"] = (ax + (aw - kw) * fraction, ky, kz)
                else:
                    knob.props["Position"] = (kx, ay + (ah - kh) * fraction, kz)
        return copy

    def draw_list(self, node, instance, transform, colour):
        element = instance.child("Element")
        if element is None:
            return
        strings = node.props.get("Strings", [])
        ew, eh = element.props.get("Bounds", (100, 100, 0))[:2]
        w, h = node.props.get("Bounds", (100, 100, 0))[:2]
        rows = max(1, int(h // eh)) if eh else 1
        for index in range(min(rows, len(strings))):
            clone = element.copy()
            clone.props["Visible"] = True
            clone.props["Position"] = (0, index * eh, 0)
            clone.props["Name"] = "Element%d" % index
            if clone.child("Text") is not None:
                clone.child("Text").props["Text"] = strings[index]
            if index == 0:  # the selected item
                clone.enter("Focus")
            self.draw_node(clone, transform, colour)

    def draw_node(self, node, parent=(0, 0, 1, 1, 0), parent_colour=0xFFFFFFFF, state=None):
        if not node.props.get("Visible", True):
            return
        transform = self._local(parent, node)
        colour = _modulate(parent_colour, node.props.get("TintColor", 0xFFFFFFFF))
        if node.cls == "SpriteNode":
            self.draw_sprite(node, transform, colour)
        elif node.cls == "NineGridSpriteNode":
            self.draw_nine(node, transform, colour)
        elif node.cls == "TextNode":
            self.draw_text(node, transform, colour)
        if node.props.get("TemplateName"):
            instance = self.instance(node, state)
            if instance is not None:
                elements = instance.child("Element") if node.cls == "ListNode" else None
                if elements is not None:
                    elements.props["Visible"] = False
                for child in instance.children:
                    self.draw_node(child, transform, colour)
                if node.cls == "ListNode":
                    self.draw_list(node, instance, transform, colour)
                w, h = node.props.get("Bounds", (100, 100, 0))[:2]
                tx, ty, sx, sy, _ = transform
                self.drawn.append((node.name, node.cls, (tx, ty, tx + sx * w, ty + sy * h)))
        for child in node.children:
            self.draw_node(child, transform, colour)

    def draw_template(self, name, x, y, state=None, **props):
        """Draws a control of a template at (x, y), as a node of `props` would show it."""
        template = self.templates[name]
        node = SceneElement.__new__(SceneElement)
        node.cls = props.pop("cls", "ButtonNode")
        node.folder = "scenes"
        node.props = {"Name": name, "TemplateName": name, "Position": (x, y, 0),
                      "Bounds": template.props.get("Bounds", (100, 100, 0))}
        node.props.update(props)
        node.resource_types, node.states, node.children = {}, {}, []
        self.draw_node(node, state=state)
        self.flush()
        return template.props.get("Bounds", (100, 100, 0))[:2]


def load_dictionary():
    path = _asset("strings/Dictionary.xml")
    if not os.path.exists(path):
        return {}
    with open(path, "rb") as source:
        root = ET.fromstring(source.read())
    return {s.get("n"): s.text or "" for s in root.iter("s")}


def render_scene(path, size=(1024, 768), background=(70, 70, 70, 255)):
    """The picture of a scene file, and the boxes of the controls drawn."""
    renderer = Renderer(size)
    renderer.canvas = Image.new("RGBA", size, background)
    renderer.draw_node(load_scene(path))
    renderer.flush()
    return renderer.canvas, renderer.drawn


def make_node(cls, folder="scenes", children=(), **props):
    """A node built in code (for pictures of content that no scene file holds)."""
    node = SceneElement.__new__(SceneElement)
    node.cls, node.folder = cls, folder
    node.props = dict(props)
    node.resource_types, node.states = {}, {}
    node.children = list(children)
    return node


def draw_label(renderer, text, x, y, size=14, font="fonts/arial_14_crisp.ofnt",
               colour=0xFF3A2A1E, width=2000):
    """A line of text in one of the baked fonts at (x, y) (top left)."""
    node = make_node("TextNode", Font=font, FontSize=float(size), Text=text,
                     Position=(x, y, 0), Bounds=(width, 100, 0), TintColor=colour)
    renderer.draw_node(node)
    renderer.flush()
