"""The scene files of the panels and screens around play: the level objectives, the level and
mini-game results, the options, the player selection and the name entry, the in-game menu, the
quit question, the help pages and the credits.

Every scene is a root of its game class with one direct child "Scene" (a control that is never
hit itself) holding what the screen shows; the scene's transitions are states of "Scene". Panels
lie over the scene below them: a dimmed backdrop, a panel from the skin, a ribbon with the title
and the named nodes of the scene's class.
"""
from .art import shellart
from .common import Output, asset
from .fonts import DESCRIPTION as FONT_DESCRIPTION, font_file
from .registry import Module
from .scene import Key, KeyFrame, Node, hex_color, scene_file, transitions
from .templates import nine
from .art.kit import Palette, to_hex

DEPTH = 2000  # above the scene below
WHITE = 0xFFFFFFFF
CLEAR = 0x00FFFFFF
DARK_TEXT = hex_color(to_hex(Palette.OUTLINE))
DIM = 0x99202030
PAPER = "images/Comics/Paper.jpg"

FILES = {
    "objectives": "scenes/LevelObjectivesScene.oscn",
    "completed": "scenes/LevelCompletedScene.oscn",
    "mini": "scenes/MiniCompletedScene.oscn",
    "options": "scenes/OptionsScene.oscn",
    "players": "scenes/SelectPlayerScene.oscn",
    "name": "scenes/SelectPlayerInputNameScene.oscn",
    "ingame": "scenes/InGameMenuScene.oscn",
    "quit": "scenes/QuitConfirmationScene.oscn",
    "help": "scenes/HelpScene.oscn",
    "credits": "scenes/CreditsScene.oscn",
}

# The rows of the level results, in the scene file's own layout (levels 4 to 34); the scene
# moves them for the first levels and the last.
RESULT_ROWS = (("ExpertTimeNode", 126), ("TimeNode", 162), ("TimeScoreNode", 198),
               ("ExpertScoreNode", 234), ("ScoreNode", 283))
RESULT_X = 81

CREDIT_LINES = 6


def picture(name):
    """A picture's name as written in a scene file under scenes/."""
    return name[len("scenes/"):]


def hold(node, name, ms=1):
    node.state(name).animate(KeyFrame(["TintColor"], [Key(0, [WHITE]), Key(ms, [WHITE])]))


def text(name, content, position, bounds, font="body_18", size=18, color=DARK_TEXT, halign=2,
         valign=2, **props):
    node = Node("TextNode", name, Position=position, Bounds=bounds, Font=font_file(font),
                FontSize=float(size), TextHAlign=halign, TextVAlign=valign, Text=content,
                CanBeHit=False, **props)
    if color != WHITE:
        node.set("TintColor", color)
    return node


def sprite(name, base, position, **props):
    return Node("SpriteNode", name, Position=position, AtlasTexture=picture(base),
                CanBeHit=False, **props)


def button(name, template, position, size, caption, **props):
    return Node("ButtonNode", name, TemplateName=template, Position=position,
                Bounds=(size[0], size[1], 0), Text=caption, **props)


LARGE, SMALL = (240, 56), (160, 44)


def dim(x, y):
    """The backdrop that darkens the scene below, from the panel's place to the screen."""
    return Node("SpriteNode", "Dim", Position=(-x, -y, -4), Bounds=(1024, 768, 0),
                AtlasTexture=PAPER, ImageStretchX=1, ImageStretchY=1, TintColor=DIM,
                CanBeHit=False)


def panel_scene(root, position, size, title_key, ribbon=shellart.OBJ, dimmed=True):
    """The root's "Scene" at `position` with the panel of `size`, its ribbon and title."""
    x, y = position
    w, h = size
    scene = root.add(Node("ControlNode", "Scene", Position=(x, y, 0), CanBeHit=False))
    if dimmed:
        scene.add(dim(x, y))
    scene.add(nine("PanelShadow", "PanelShadow", (-4, -4, -3), (w + 16, h + 16, 0),
                   CanBeHit=False))
    scene.add(nine("Panel", "Panel", (0, 0, -2), (w, h, 0), CanBeHit=False))
    rw, rh = shellart.RIBBON
    scene.add(sprite("Ribbon", ribbon + "Ribbon.png", ((w - rw) / 2.0, -rh / 2.0, -1)))
    if title_key:
        scene.add(text("Title", "%" + title_key + "%", ((w - rw) / 2.0 + 30, -rh / 2.0 + 4, 2),
                       (rw - 60, rh - 24, 0), font="title_40", size=32, color=WHITE))
    return scene


def fade_states(scene, position, slide=False):
    transitions.fade(scene)
    if slide:
        transitions.slide(scene, (position[0], position[1], 0))
    hold(scene, "NoTransTo")
    return scene


def root_of(cls, name):
    """The scene's root over the whole design at its depth (message boxes open at their owner's
    depth, centred on its Bounds)."""
    return Node("SceneNode", name, class_override=cls, Position=(0, 0, DEPTH),
                Bounds=(1024, 768, 0))


# --- The panels over the play screen -------------------------------------------------------------

def objectives():
    root = root_of("GLevelObjectivesScene", "LevelObjectivesScene")
    position, size = (212, 124), (600, 520)
    scene = panel_scene(root, position, size, None)
    fade_states(scene, position)
    z = 1
    scene.add(text("LevelText", "%GamePlay_LEVEL%", (120, -32, z + 1), (360, 48, 0), font="title_40",
                   size=32, color=WHITE))
    scene.add(text("WelcomeText", "%MainMenu_WelcomeTxt%", (30, 52, z), (540, 32, 0),
                   font="button_24", size=24))
    scene.add(text("InfoText", "%Obj_Intro%", (40, 92, z), (520, 150, 0), WordWrap=True))
    rows = (("Clock", "Clock.png", "ExpertTimeText", 262), ("GStar", "GStar.png",
                                                             "ExpertScoreText", 322),
            ("SStar", "SStar.png", "ScoreText", 382))
    for icon, base, name, y in rows:
        scene.add(sprite(icon, shellart.OBJ + base, (70, y, z), Bounds=(56, 56, 0)))
        scene.add(text(name, "", (140, y + 8, z), (400, 40, 0), font="button_24", size=24,
                       halign=1))
    scene.add(button("OkButton", "ButtonGreenLarge", (180, 450, z), LARGE, "%Ok%"))
    return root


def _result_row(name, y, z):
    row = Node("BaseNode", name, Position=(RESULT_X, y, z), Bounds=(340, 32, 0), CanBeHit=False)
    row.add(text("Text", "", (0, 0, 0), (340, 32, 0), font="button_24", size=24, halign=1))
    return row


def completed():
    root = root_of("GLevelCompletedScene", "LevelCompletedScene")
    position, size = (262, 144), (500, 480)
    scene = panel_scene(root, position, size, "LevelCompleted_Title")
    fade_states(scene, position)
    z = 1
    scene.add(sprite("Trophy", shellart.OBJ + "Trophy.png", (202, 28, z), Bounds=(96, 96, 0)))
    for name, y in RESULT_ROWS:
        scene.add(_result_row(name, y, z))
    scene.add(text("DoneText", "%LevelCompleted_Done%", (30, 330, z), (440, 40, 0),
                   font="button_24", size=24))
    scene.add(button("OkButton", "ButtonGreenLarge", (130, 400, z), LARGE, "%Ok%"))
    return root


def mini_completed():
    root = root_of("GMiniCompletedScene", "MiniCompletedScene")
    position, size = (262, 164), (500, 440)
    scene = panel_scene(root, position, size, "MiniCompleted_Title")
    fade_states(scene, position)
    z = 1
    scene.add(sprite("Trophy", shellart.OBJ + "Trophy.png", (202, 28, z), Bounds=(96, 96, 0)))
    scene.add(_result_row("TimeNode", 150, z))
    scene.add(_result_row("ScoreNode", 196, z))
    scene.add(text("DoneText", "%LevelCompleted_Done%", (30, 270, z), (440, 40, 0),
                   font="button_24", size=24))
    scene.add(button("OkButton", "ButtonGreenLarge", (130, 360, z), LARGE, "%Ok%"))
    return root


# --- Options and players ---------------------------------------------------------------------

def options():
    root = root_of("GOptionsScene", "OptionsScene")
    position, size = (212, 94), (600, 580)
    scene = panel_scene(root, position, size, "Options_Title", ribbon=shellart.GAME)
    fade_states(scene, position, slide=True)
    z = 1
    rows = (("Speaker.png", "Options_SoundVolume", "SoundSlider"),
            ("Note.png", "Options_MusicVolume", "MusicSlider"),
            ("Speaker.png", "Options_Sound", "MuteSoundButton"),
            ("Note.png", "Options_Music", "MuteMusicButton"),
            ("Screen.png", "Options_FullScreen", "FullscreenButton"),
            ("Pointer.png", "Options_Cursor", "CursorButton"))
    y = 56
    for base, key, control in rows:
        scene.add(sprite(control + "Icon", shellart.OPTIONS + base, (40, y, z),
                         Bounds=(56, 56, 0)))
        scene.add(text(control + "Label", "%" + key + "%", (108, y + 10, z), (200, 36, 0),
                       font="button_24", size=22, halign=1))
        if control.endswith("Slider"):
            scene.add(Node("SliderNode", control, TemplateName="Options_Slider",
                           Position=(330, y + 12, z), Bounds=(232, 32, 0), MinValue=0.0,
                           MaxValue=100.0, Value=100.0))
        else:
            scene.add(button(control, "Options_OnOffButtonGreen", (380, y + 6, z), (120, 44),
                             "%Options_On%"))
        y += 66
    scene.add(button("BackButton", "ButtonGreenLarge", (180, 500, z), LARGE, "%Back%"))
    return root


def players():
    root = root_of("GSelectPlayerScene", "SelectPlayerScene")
    position, size = (262, 94), (500, 580)
    scene = panel_scene(root, position, size, "SelectPlayer_Title", ribbon=shellart.GAME)
    transitions.fade(scene)
    hold(scene, "NavFrom")
    hold(scene, "NavBackTo")
    z = 1
    scene.add(sprite("PlayerIcon", shellart.PLAYERS + "Player.png", (30, 40, z),
                     Bounds=(56, 56, 0)))
    scene.add(Node("ListNode", "PlayersList", TemplateName="List", Position=(90, 60, z),
                   Bounds=(320, 280, 0), Circular=False))
    scene.add(button("NewPlayerButton", "ButtonOrangeSmall", (70, 380, z), SMALL,
                     "%SelectPlayer_New%"))
    scene.add(button("DeletePlayerButton", "ButtonRedSmall", (270, 380, z), SMALL,
                     "%SelectPlayer_Delete%"))
    scene.add(button("OkButton", "ButtonGreenLarge", (130, 480, z), LARGE, "%Ok%"))
    return root


def name_entry():
    root = root_of("GSelectPlayerInputNameScene", "SelectPlayerInputNameScene")
    position, size = (262, 234), (500, 300)
    scene = panel_scene(root, position, size, "SelectPlayer_EnterName", ribbon=shellart.GAME)
    transitions.fade(scene)
    z = 1
    scene.add(text("Hint", "%SelectPlayer_NameHint%", (40, 56, z), (420, 36, 0)))
    scene.add(Node("EditNode", "NameEdit", TemplateName="EditField", Position=(100, 110, z),
                   Bounds=(300, 44, 0), InputMask="0AS", MaxTextLength=16))
    scene.add(button("OkButton", "ButtonGreenSmall", (70, 210, z), SMALL, "%Ok%"))
    scene.add(button("CancelButton", "ButtonOrangeSmall", (270, 210, z), SMALL, "%Cancel%"))
    return root


# --- Menus, help and credits -----------------------------------------------------------------

INGAME_BUTTONS = (("ResumeButton", "ButtonGreenLarge", "InGame_Resume"),
                  ("RestartButton", "ButtonOrangeLarge", "InGame_Restart"),
                  ("OptionsButton", "ButtonOrangeLarge", "InGame_Options"),
                  ("HelpButton", "ButtonOrangeLarge", "InGame_Help"),
                  ("MainMenuButton", "ButtonOrangeLarge", "InGame_MainMenu"),
                  ("ExitGameButton", "ButtonRedLarge", "InGame_Exit"))


def ingame():
    root = root_of("GInGameMenuScene", "InGameMenuScene")
    position, size = (312, 114), (400, 540)
    scene = panel_scene(root, position, size, "InGame_Title", ribbon=shellart.GAME)
    transitions.fade(scene)
    hold(scene, "NavFrom")
    hold(scene, "NavBackTo")
    hold(scene, "NoTransTo")
    z = 1
    scene.add(sprite("Pause", shellart.GAME + "Pause.png", (168, 44, z), Bounds=(64, 64, 0)))
    for index, (name, template, key) in enumerate(INGAME_BUTTONS):
        scene.add(button(name, template, (80, 120 + index * 66, z), LARGE, "%" + key + "%"))
    return root


def quit_confirmation():
    root = root_of("GQuitConfirmationScene", "QuitConfirmationScene")
    position, size = (262, 234), (500, 300)
    scene = panel_scene(root, position, size, "Quit_Title", ribbon=shellart.GAME)
    transitions.fade(scene)
    z = 1
    scene.add(sprite("Door", shellart.GAME + "Door.png", (40, 70, z), Bounds=(64, 64, 0)))
    scene.add(text("Question", "%Quit_Text%", (120, 60, z), (340, 100, 0), WordWrap=True))
    scene.add(button("YesButton", "ButtonRedSmall", (70, 210, z), SMALL, "%Yes%"))
    scene.add(button("NoButton", "ButtonGreenSmall", (270, 210, z), SMALL, "%No%"))
    return root


def help_scene():
    root = root_of("GHelpScene", "HelpScene")
    position, size = (162, 74), (700, 620)
    scene = panel_scene(root, position, size, "Help_Title", ribbon=shellart.GAME)
    transitions.fade(scene)
    hold(scene, "NavFrom")
    hold(scene, "NavBackTo")
    z = 1
    tabs = scene.add(Node("TabSceneNode", "TabScene", Position=(50, 60, z), Bounds=(600, 440, 0),
                          TabsCount=len(shellart.HELP_PAGES), ActiveTabIndex=0, CanBeHit=False))
    for k, topic in enumerate(shellart.HELP_PAGES, start=1):
        page = tabs.add(Node("BaseNode", "Tab%d" % k, Bounds=(600, 440, 0), CanBeHit=False))
        page.add(sprite("Picture", shellart.GAME + "Help%s.png" % topic, (150, 0, 0),
                        Bounds=shellart.HELP_PAGE + (0,)))
        page.add(text("Heading", "%Help_Page" + str(k) + "Title%", (0, 204, 0), (600, 40, 0),
                      font="button_24", size=26))
        page.add(text("Body", "%Help_Page" + str(k) + "Text%", (20, 250, 0), (560, 180, 0),
                      WordWrap=True))
    scene.add(button("BackButton", "ButtonOrangeSmall", (50, 540, z), SMALL, "%Previous%"))
    scene.add(button("NextButton", "ButtonGreenSmall", (490, 540, z), SMALL, "%Next%"))
    scene.add(Node("ButtonNode", "CloseButton", TemplateName="CloseButton",
                   Position=(646, 10, z), Bounds=(44, 44, 0)))
    return root


def credits():
    root = root_of("GCreditsScene", "CreditsScene")
    position, size = (212, 84), (600, 600)
    scene = panel_scene(root, position, size, "Credits_Title", ribbon=shellart.GAME)
    transitions.fade(scene)
    z = 1
    scene.add(sprite("Heart", shellart.GAME + "Heart.png", (268, 44, z), Bounds=(64, 64, 0)))
    for k in range(CREDIT_LINES):
        scene.add(text("Line%d" % (k + 1), "%Credits_Line" + str(k + 1) + "%",
                       (40, 124 + k * 56, z), (520, 48, 0), WordWrap=True))
    scene.add(button("BackButton", "ButtonGreenLarge", (180, 510, z), LARGE, "%Back%"))
    return root


SCENES = {"objectives": objectives, "completed": completed, "mini": mini_completed,
          "options": options, "players": players, "name": name_entry, "ingame": ingame,
          "quit": quit_confirmation, "help": help_scene, "credits": credits}


def build():
    out = Output()
    for key, make in SCENES.items():
        out.add(asset(FILES[key]), scene_file(make()))
    return out


MODULE = Module("shellscenes", build, __file__, inputs=[FONT_DESCRIPTION],
                outputs=[asset(f) for f in FILES.values()])
