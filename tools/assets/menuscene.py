"""The main menu's scene file, "scenes/MainMenuScene.oscn": the menu itself ("Scene": the title,
the greeting, the buttons and the balloons) over its living background ("BgScene" -> "ActiveBg":
the town backdrop, the street with its bikes, cars and walkers, the clouds, and the final credits
that roll by with their back button).

The movers find the menu by counting their parents: bikes sit four links below the root, cars,
clouds and walkers five; every node between them and the root stays at the origin, so that the
movers' positions are those of the backdrop and of the street's paths.
"""
from .art import menu, people, vehicles
from .common import Output, asset
from .fonts import DESCRIPTION as FONT_DESCRIPTION, font_file
from .registry import Module
from .scene import Key, KeyFrame, Node, scene_file, transitions

FILE = "scenes/MainMenuScene.oscn"
# Above every mover (whose depth is its height on the screen).
MENU_DEPTH = 1000
CREDITS_DEPTH = 900
WHITE = 0xFFFFFFFF
CLEAR = 0x00FFFFFF

BUTTONS = (("NewGameButton", "ButtonGreenLarge", "MainMenu_NewGame"),
           ("ChangePlayerButton", "ButtonOrangeLarge", "MainMenu_ChangePlayer"),
           ("OptionsButton", "ButtonOrangeLarge", "MainMenu_Options"),
           ("AchievementsButton", "ButtonOrangeLarge", "MainMenu_Achievements"),
           ("CreditsButton", "ButtonOrangeLarge", "MainMenu_Credits"),
           ("QuitButton", "ButtonRedLarge", "MainMenu_Quit"))
BUTTON_SIZE = (240, 56)
BUTTON_TOP = 250
BUTTON_GAP = 12

CREDITS = ("MainMenu_CreditsTitle", "MainMenu_CreditsLine1", "MainMenu_CreditsLine2",
           "MainMenu_CreditsLine3", "MainMenu_CreditsLine4", "MainMenu_CreditsLine5")
CREDITS_BOX = (232, 120, 560, 420)  # x, y, width, height of the clip
CREDITS_LINE = 110
CREDITS_MS = 16000

WALKERS_PLACED = 8
CARS_PLACED = 4
CLOUDS_PLACED = 6


def picture(name):
    """A picture's name as written in a scene file under scenes/."""
    return name[len("scenes/"):]


def _hold(node, name, ms):
    """A state that keeps the node as it is for a while (so that it lasts as long as the
    transitions of its siblings)."""
    node.state(name).animate(KeyFrame(["TintColor"], [Key(0, [WHITE]), Key(ms, [WHITE])]))


def _menu_transitions(node):
    transitions.fade(node)
    transitions.slide(node, (0, 0, MENU_DEPTH))
    _hold(node, "NoTransTo", 1)


def _background_transitions(node):
    transitions.fade(node)
    for name in ("NavFromSlide", "NavBackToSlide"):
        _hold(node, name, transitions.SLIDE_MS)
    _hold(node, "NoTransTo", 1)


def _sprite(name, base, position, **props):
    return Node("SpriteNode", name, Position=position, AtlasTexture=picture(base), **props)


def _text(name, key, position, bounds, font="title_40", size=40, **props):
    return Node("TextNode", name, Position=position, Bounds=bounds, Font=font_file(font),
                FontSize=float(size), TextHAlign=2, TextVAlign=2, Text="%" + key + "%", **props)


def menu_layer():
    # a control, so that the pointer reaches the buttons inside it; never hit itself
    scene = Node("ControlNode", "Scene", Position=(0, 0, MENU_DEPTH), CanBeHit=False)
    _menu_transitions(scene)
    title_w, title_h = 560, 150
    scene.add(_sprite("Title", menu.name("Title"), (512 - title_w / 2.0, 40, 0),
                      Bounds=(title_w, title_h, 0), CanBeHit=False))
    scene.add(_text("WelcomeText", "MainMenu_WelcomeTxt", (212, 178, 0), (600, 56, 0),
                    font="button_24", size=24))
    x = 512 - BUTTON_SIZE[0] / 2.0
    for index, (name, template, key) in enumerate(BUTTONS):
        y = BUTTON_TOP + index * (BUTTON_SIZE[1] + BUTTON_GAP)
        scene.add(Node("ButtonNode", name, TemplateName=template, Position=(x, y, 0),
                       Bounds=(BUTTON_SIZE[0], BUTTON_SIZE[1], 0), Text="%" + key + "%"))
    for name, base, position in (("Baloon", "BaloonRed", (170, 300, 0)),
                                 ("Baloon2", "BaloonBlue", (800, 250, 0))):
        balloon = scene.add(Node("ButtonNode", name, Position=position, Bounds=(52, 104, 0)))
        # the picture is what the pointer hits: the balloon has no template of its own
        balloon.add(_sprite("Picture", menu.name(base), (0, 0, 0), Bounds=(52, 104, 0)))
        bob = [Key(0, [position]), Key(1400, [(position[0], position[1] - 10, 0)], glide=True),
               Key(1400, [position], glide=True, goto=0)]
        balloon.state("Float").animate(KeyFrame(["Position"], bob))
        balloon.default_state = "Float"
    return scene


def _body(states):
    """A mover's "Body": a sprite whose states show its pictures."""
    body = Node("SpriteNode", "Body", CanBeHit=False)
    for name, keys in states:
        body.state(name).animate(KeyFrame(["AtlasTexture"], keys))
    return body


def _still(base):
    return [Key(0, [picture(base)])]


def _walking(frames):
    return [Key(0, [picture(frames[0])]), Key(260, [picture(frames[1])]),
            Key(260, [picture(frames[0])], goto=0)]


def bike(index):
    node = Node("GPathMovableNode", "Bike%d" % index, class_override="GMainMenuBikeNode",
                CanBeHit=False)
    states = [(state, _still("%sBike_%s.png" % (vehicles.FOLDER, state)))
              for state in vehicles.BIKE_STATES]
    body = _body(states)
    body.set("Position", (-24, -38, 0))
    node.add(body)
    return node


def car(index):
    kind = vehicles.CAR_COLOURS[index % len(vehicles.CAR_COLOURS)][0]
    node = Node("GPathMovableNode", "Car%d" % index, class_override="GMainMenuCarNode",
                CanBeHit=False)
    states = []
    for direction in ("Down", "Up"):
        for n in range(1, 7):
            states.append(("%s%d" % (direction, n),
                           _still("%sCar%s_%s.png" % (vehicles.FOLDER, kind, direction))))
    body = _body(states)
    body.set("Position", (-30, -46, 0))
    node.add(body)
    return node


def walker(index):
    letter = "ABCD"[index % len(people.WALKERS)]
    node = Node("GPathMovableNode", "Walker%d" % index, class_override="GMainMenuPedestrianNode",
                CanBeHit=False)
    states = []
    for direction in people.DIRECTIONS:
        frames = ["%sWalker%s_%s%04d.png" % (people.FOLDER, letter, direction, step + 1)
                  for step in range(people.STEPS)]
        states.append((direction, _walking(frames)))
    body = _body(states)
    body.set("Position", (-12, -34, 0))
    node.add(body)
    return node


def cloud(index):
    kind = menu.CLOUDS[index % len(menu.CLOUDS)]
    # off the screen until its first walk places it
    node = Node("GPathMovableNode", "Cloud%d" % index, class_override="GMainMenuCloudNode",
                Position=(-400, 200, 200), CanBeHit=False)
    node.add(_sprite("Body", menu.name("Cloud" + kind), (-100, -45, 0), CanBeHit=False))
    return node


def credits(parent):
    """The clip the final credits roll through: its state "Scrolling" lasts as long as the roll
    inside it, which rises from below the clip to above it."""
    x, y, w, h = CREDITS_BOX
    clip = parent.add(Node("BaseNode", "ClipNode", Position=(x, y, CREDITS_DEPTH), Bounds=(w, h, 0),
                           ChildrenClipped=True, Visible=False, CanBeHit=False))
    roll = clip.add(Node("BaseNode", "Roll", Position=(0, h, 0), CanBeHit=False))
    for index, key in enumerate(CREDITS):
        line_y = index * CREDITS_LINE
        roll.add(_sprite("Ribbon%d" % index, menu.name("CreditsStrip"), (0, line_y, 0),
                         CanBeHit=False))
        roll.add(_text("Line%d" % index, key, (60, line_y + 12, 1), (w - 120, 50, 0),
                       font="body_18", size=18, TintColor=0xFF3A2A1E, CanBeHit=False))
    travel = len(CREDITS) * CREDITS_LINE
    roll.state("Scrolling").animate(KeyFrame(["Position"], [Key(0, [(0, h, 0)]),
                                                            Key(CREDITS_MS, [(0, -travel, 0)],
                                                                glide=True)]))
    _hold(clip, "Scrolling", CREDITS_MS)
    return clip


def background_layer():
    # controls on the way to the back button, never hit themselves
    bg = Node("ControlNode", "BgScene", CanBeHit=False)
    _background_transitions(bg)
    active = bg.add(Node("ControlNode", "ActiveBg", CanBeHit=False))
    active.add(_sprite("Backdrop", menu.name("Backdrop"), (0, 0, 0), Bounds=(1024, 768, 0),
                       CanBeHit=False))
    sky = active.add(Node("BaseNode", "Sky", CanBeHit=False))
    clouds = sky.add(Node("BaseNode", "Clouds", CanBeHit=False))
    for index in range(CLOUDS_PLACED):
        clouds.add(cloud(index))
    road = active.add(Node("BaseNode", "Street", CanBeHit=False))
    for index in range(2):
        road.add(bike(index))  # four links below the root
    cars = road.add(Node("BaseNode", "Cars", CanBeHit=False))
    for index in range(CARS_PLACED):
        cars.add(car(index))
    walkers = road.add(Node("BaseNode", "Walkers", CanBeHit=False))
    for index in range(WALKERS_PLACED):
        walkers.add(walker(index))
    credits(active)
    back = active.add(Node("ButtonNode", "BackButton", TemplateName="ButtonGreenSmall",
                           Position=(432, 680, CREDITS_DEPTH + 50), Bounds=(160, 44, 0),
                           Text="%Back%", Visible=False))
    back.state("Appear").animate(KeyFrame(["TintColor"], [Key(0, [CLEAR]),
                                                          Key(300, [WHITE], glide=True)]))
    back.state("Disappear").animate(KeyFrame(["TintColor"], [Key(0, [WHITE]),
                                                             Key(250, [CLEAR], glide=True)]))
    return bg


def scene_root():
    root = Node("SceneNode", "MainMenuScene", class_override="GMainMenuScene")
    root.add(background_layer())
    root.add(menu_layer())
    return root


def build():
    out = Output()
    out.add(asset(FILE), scene_file(scene_root()))
    return out


MODULE = Module("menuscene", build, __file__, inputs=[FONT_DESCRIPTION], outputs=[asset(FILE)])
