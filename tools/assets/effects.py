"""The level world's effects: the weather and hint particle settings, the effect templates of
the level template collection, and the four firework rockets.

- "levels/common/Effects/Rain.xml" and "Snow.xml" ("WeatherParticle"): fast, slightly slanted
  streaks of rain; slow flakes that sway, spin and fade in and out. "HintRing.xml"
  ("HintParticle"): rings of sparks that grow, spin down and fade as they fly out. Their
  pictures ("particles/") are drawn by the effects art (art/effects.py).
- `templates()`: what `lottemplates.collection()` adds for spawners and scene files: the
  balloons "Balloon1" to "Balloon3", the rising pictures "RisingHeart", "RisingNote" and
  "RisingCoin", the shield spark "ShieldSpark" (its picture spins while it runs, "Run"), the
  spirals "SpiralLeaf" and "SpiralFlake", the circling bird "CircularBird" (with the bird
  template it names when the collection lacks one: a "Body" with the eight direction states and
  their "_Flap" states) and the lake wave "LakeWave" (its "Wave" rocks in "Normal", its "Star"
  glints in "Blink"). Every effect with a life has it in LifeTime, so a spawner's life range
  replaces it.
- "levels/common/Fireworks/<n>/f.oscn": a rocket each ("Firework1" to "Firework4") in its own
  colour: the rocket and its trail flicker in "Up"; in "Boost" the rocket goes out, a flash
  grows and fades and eight pieces fly out and fade. "Boost" ends, so the rocket leaves.
"""
import math

from .art import effects as art
from .common import Output, asset, element, fmt_float
from .registry import Module
from .scene import Key, KeyFrame, Node, Prop, SetProps, hex_color, scene_file

RAIN = "levels/common/Effects/Rain.xml"
SNOW = "levels/common/Effects/Snow.xml"
HINT = "levels/common/Effects/HintRing.xml"
FIREWORK = "levels/common/Fireworks/%d/f.oscn"
FIREWORKS = 4
# Pictures as the collection (levels/common/) and the firework files (two folders further
# down) name them.
TEMPLATE_FOLDER = "Env/Effects/"
FIREWORK_FOLDER = "../../Env/Effects/"

WHITE = 0xFFFFFFFF
CLEAR = 0x00FFFFFF

# name -> (root element, settings in file order)
WEATHER = {
    RAIN: ("WeatherParticle", [
        ("EmitRectangleXSize", (-120, 1144)),
        ("EmitRectangleYSize", (640, 0)),
        ("CenterPoint", (360, 4000)),
        ("ParticleVelRange", (620, 760)),
        ("ParticleLifetimeRange", (900, 1300)),
        ("PPS", 260),
        ("ParticleTimeline", {"ScaleX": [(0, 1.0)],
                              "ScaleY": [(0, 0.8), (1, 1.2)],
                              "ColorA": [(0, 0.0), (0.12, 0.75), (0.85, 0.75), (1, 0.0)]}),
    ]),
    SNOW: ("WeatherParticle", [
        ("EmitRectangleXSize", (-60, 1084)),
        ("EmitRectangleYSize", (600, 0)),
        ("CenterPoint", (512, 20000)),
        ("ParticleVelRange", (35, 65)),
        ("ParticleAngularVelocityRange", (-60, 60)),
        ("ParticleNormalDeltaRange", (6, 14)),
        ("ParticleNormalDeltaPeriodRange", (1800, 3200)),
        ("ParticleLifetimeRange", (6000, 9000)),
        ("PPS", 70),
        ("ParticleTimeline", {"ScaleX": [(0, 0.6), (0.5, 1.0), (1, 0.8)],
                              "ScaleY": [(0, 0.6), (0.5, 1.0), (1, 0.8)],
                              "ColorA": [(0, 0.0), (0.1, 0.95), (0.8, 0.95), (1, 0.0)]}),
    ]),
    HINT: ("HintParticle", [
        ("EmitRadiusXRange", (18, 24)),
        ("EmitRadiusYRange", (12, 16)),
        ("ParticlesDensity", (10, 10)),
        ("ParticlesVelRange", (28, 42)),
        ("ParticlesLifetimeRange", (800, 1000)),
        ("PPS", 2),
        ("ParticlesTimeline", {"AngularVelocity": [(0, 240), (1, 0)],
                               "Scale": [(0, 0.5), (0.4, 1.0), (1, 1.3)],
                               "ColorA": [(0, 0.0), (0.15, 1.0), (0.6, 0.9), (1, 0.0)]}),
    ]),
}


def settings_text(root, settings):
    lines = ["<%s>" % root]
    for name, value in settings:
        if isinstance(value, dict):
            lines.append("\t<%s>" % name)
            for key_list, keys in value.items():
                lines.append("\t\t<%s>" % key_list)
                for t, v in keys:
                    lines.append("\t\t\t" + element("k", [("T", fmt_float(t)),
                                                          ("V", fmt_float(v))]))
                lines.append("\t\t</%s>" % key_list)
            lines.append("\t</%s>" % name)
        elif isinstance(value, tuple):
            lines.append("\t" + element(name, [("Value", "%s;%s" % (fmt_float(value[0]),
                                                                     fmt_float(value[1])))]))
        else:
            lines.append("\t" + element(name, [("Value", str(int(value)))]))
    lines.append("</%s>" % root)
    return "\n".join(lines) + "\n"


# --- Templates ------------------------------------------------------------------------------

def vec2(x, y):
    return Prop("vector2d", (x, y))


def sprite(name, picture, size, position=(0, 0, 0), folder=TEMPLATE_FOLDER, **props):
    w, h = size
    return Node("SpriteNode", name, AtlasTexture=folder + picture, Position=position,
                Bounds=(w, h, 0), CanBeHit=False, **props)


def centred(name, picture, size, z=0.0, folder=TEMPLATE_FOLDER, **props):
    """A sprite centred on its parent's origin, turning and scaling about its middle (a node's
    Position is where its pivot point lands)."""
    w, h = size
    return sprite(name, picture, size, (0.0, 0.0, z), folder,
                  PivotPoint=(w / 2.0, h / 2.0), **props)


def balloon(index, colour):
    root = Node("GBaloonNode", "Balloon%d" % index, CanBeHit=False,
                WidthRange=vec2(10, 22), XVelocityRange=vec2(14, 26),
                YVelocityRange=vec2(-38, -52), YAccelRange=vec2(-6, -14),
                YAccelTimeRange=vec2(800, 2500), LifeTime=Prop("int", 7000))
    w, h = art.BALLOON_SIZE
    root.add(sprite("Image", "Balloon_%s.png" % colour, art.BALLOON_SIZE, (-w / 2.0, -h, 0)))
    return root


def rising(name, picture):
    root = Node("GPicEffectNode", name, CanBeHit=False, AnimTime=Prop("int", 1400),
                WidthRange=vec2(8, 14), YVelocityRange=vec2(-34, -46),
                YAccelRange=vec2(-4, -10), YAccelTimeRange=vec2(500, 1500),
                LifeTime=Prop("int", 2600))
    root.add(centred("Image", picture, art.PICTURE_SIZE))
    return root


def shield_spark():
    root = Node("GShieldEffectNode", "ShieldSpark", CanBeHit=False,
                Area1Rect1Size=vec2(90, 70), Area1Rect2Size=vec2(130, 100),
                Area2RectSize=vec2(50, 40), VelocityPower=Prop("float", 0.5),
                MovingTime=Prop("int", 700), DisappearWaitTime=Prop("int", 200),
                DisappearTime=Prop("int", 400))
    image = root.add(centred("Image", "ShieldSpark.png", art.SPARK_SIZE))
    image.state("Run").animate(KeyFrame(["Rotation", "Scale"], [
        Key(0, [(0, 0, 0), (0.6, 0.6, 1.0)]),
        Key(650, [(0, 0, 180), (1.0, 1.0, 1.0)], glide=True),
        Key(650, [(0, 0, 360), (0.8, 0.8, 1.0)], glide=True)]))
    return root


def spiral(name, picture, r_velocity, life):
    root = Node("GSpiralMovableNode", name, CanBeHit=False, RRange=vec2(6, 18),
                RVelocityRange=vec2(*r_velocity), RotVelocityRange=vec2(-120, 120),
                AngleRange=vec2(0, 2 * math.pi), AngleVelocityRange=vec2(1.4, 2.6),
                LifeTime=Prop("int", life))
    root.add(centred("Image", picture, (22, 22)))
    return root


DIRECTIONS = ("Right", "RightUp", "Up", "LeftUp", "Left", "LeftDown", "Down", "RightDown")


def facing(direction):
    """Which way the side-on bird looks for a direction of flight."""
    if direction.startswith("Left") or direction == "Down":
        return "Left"
    return "Right"


def bird_template(name):
    """A bird: its "Body" turns with the eight direction states and beats its wings in their
    "_Flap" states. The root is a plain node: the circling bird takes only the body."""
    root = Node("BaseNode", name, CanBeHit=False)
    w, h = art.BIRD_SIZE
    body = root.add(sprite("Body", "Bird_Right.png", art.BIRD_SIZE, (-w / 2.0, -h / 2.0, 0)))
    for direction in DIRECTIONS:
        look = facing(direction)
        still = TEMPLATE_FOLDER + "Bird_%s.png" % look
        up = TEMPLATE_FOLDER + "Bird_%s_Flap.png" % look
        body.state(direction).at_start(SetProps(AtlasTexture=still))
        keys = [Key(0, [up]), Key(140, [still]), Key(140, [up]), Key(140, [still]),
                Key(140, [up]), Key(140, [still])]
        body.state(direction + "_Flap").animate(KeyFrame(["AtlasTexture"], keys))
    return root


# The bird template the path movers use too ("FlyingBird"); made here only when missing.
BIRD = "FlyingBird"


def circular_bird():
    return Node("GCircularBirdNode", "CircularBird", CanBeHit=False,
                BirdTemplateID=Prop("string", BIRD), Ellipse1Size=vec2(140, 50),
                Ellipse2Size=vec2(70, 30), AngularVelocity1=Prop("float", 9.0),
                AngularVelocity2=Prop("float", 28.0))


def lake_wave():
    w, h = art.WAVE_SIZE
    root = Node("GLakeWaveNode", "LakeWave", Bounds=(w, h + 6, 0), CanBeHit=False,
                StarBlinkRange=vec2(2500, 6000), Velocity=Prop("vector3d", (-5, 0, 0)),
                LifeTime=Prop("int", 9000))
    wave = root.add(sprite("Wave", "Wave.png", art.WAVE_SIZE, (0, 3, 0)))
    wave.state("Normal").animate(KeyFrame(["Position", "TintColor"], [
        Key(0, [(0, 3, 0), 0x80FFFFFF]),
        Key(900, [(3, 0, 0), WHITE], glide=True),
        Key(900, [(6, 3, 0), 0x80FFFFFF], glide=True),
        Key(900, [(3, 6, 0), 0x40FFFFFF], glide=True),
        Key(900, [(0, 3, 0), 0x80FFFFFF], glide=True, goto=0)]))
    gw, gh = art.GLINT_SIZE
    star = root.add(sprite("Star", "Glint.png", art.GLINT_SIZE, (0, 0, 1), Visible=False,
                           PivotPoint=(gw / 2.0, gh / 2.0), TintColor=CLEAR))
    star.state("Blink").animate(KeyFrame(["Scale", "TintColor"], [
        Key(0, [(0.3, 0.3, 1.0), CLEAR]),
        Key(180, [(1.1, 1.1, 1.0), WHITE], glide=True),
        Key(320, [(0.3, 0.3, 1.0), CLEAR], glide=True)]))
    return root


def templates(existing=()):
    """The effect templates, in a fixed order; the bird template only when `existing` (the names
    the collection already holds) lacks it."""
    out = [balloon(i + 1, colour) for i, (colour, _) in enumerate(art.BALLOONS)]
    out += [rising("RisingHeart", "Heart.png"), rising("RisingNote", "Note.png"),
            rising("RisingCoin", "Coin.png"), shield_spark(),
            spiral("SpiralLeaf", "Leaf.png", (10, 24), 4000),
            spiral("SpiralFlake", "Flake.png", (4, 12), 5000), circular_bird(), lake_wave()]
    if BIRD not in existing:
        out.append(bird_template(BIRD))
    return out


# --- Fireworks ------------------------------------------------------------------------------

FIREWORK_COLOURS = ("#E0533D", "#F7C331", "#3F7FD0", "#43B047")
BOOST_MS = 1000
PIECES = 8
PIECE_REACH = 70


def firework(index):
    colour = hex_color(FIREWORK_COLOURS[index - 1])
    clear = colour & 0x00FFFFFF
    root = Node("GFireworkNode", "Firework%d" % index, CanBeHit=False,
                VelocityXRange=vec2(-45, 45), VelocityYRange=vec2(-420, -340),
                Acceleration=vec2(0, 170), MoveTimeRange=vec2(900, 1300))
    rw, rh = art.ROCKET_SIZE
    tw, th = art.TRAIL_SIZE
    trail = root.add(sprite("Trail", "Trail.png", art.TRAIL_SIZE, (-tw / 2.0, rh / 2.0 - 4, 0),
                            folder=FIREWORK_FOLDER))
    trail.state("Up").animate(KeyFrame(["TintColor"], [
        Key(0, [WHITE]), Key(80, [0xB0FFFFFF], glide=True), Key(80, [WHITE], glide=True,
                                                                  goto=0)]))
    trail.state("Boost").at_start(SetProps(Visible=False))
    rocket = root.add(sprite("Rocket", "Rocket.png", art.ROCKET_SIZE, (-rw / 2.0, -rh / 2.0, 0.01),
                             folder=FIREWORK_FOLDER))
    rocket.state("Up").at_start(SetProps(Visible=True))
    rocket.state("Boost").at_start(SetProps(Visible=False))
    bw, bh = art.BURST_SIZE
    flash = root.add(centred("Flash", "Burst.png", art.BURST_SIZE, z=0.02, folder=FIREWORK_FOLDER,
                             Visible=False, TintColor=colour))
    flash.state("Boost").at_start(SetProps(Visible=True))
    flash.state("Boost").animate(KeyFrame(["Scale", "TintColor"], [
        Key(0, [(0.2, 0.2, 1.0), colour]),
        Key(BOOST_MS * 2 // 5, [(1.4, 1.4, 1.0), colour], glide=True),
        Key(BOOST_MS * 3 // 5, [(1.7, 1.7, 1.0), clear], glide=True)]))
    pw, ph = art.PIECE_SIZE
    for k in range(PIECES):
        a = 2 * math.pi * k / PIECES
        # The piece's middle (its pivot) flies from the rocket out to its end.
        end = (math.cos(a) * PIECE_REACH, math.sin(a) * PIECE_REACH + 12, 0.03)
        start = (0.0, 0.0, 0.03)
        piece = root.add(sprite("Piece%d" % (k + 1), "Piece.png", art.PIECE_SIZE, start,
                                folder=FIREWORK_FOLDER, Visible=False, TintColor=colour,
                                PivotPoint=(pw / 2.0, ph / 2.0)))
        piece.state("Boost").at_start(SetProps(Visible=True))
        piece.state("Boost").animate(KeyFrame(["Position", "Scale", "TintColor"], [
            Key(0, [start, (0.6, 0.6, 1.0), colour]),
            Key(BOOST_MS * 3 // 5, [tuple(s + (e - s) * 0.85 for s, e in zip(start, end)),
                                    (1.2, 1.2, 1.0), colour], glide=True),
            Key(BOOST_MS * 2 // 5, [end, (1.4, 1.4, 1.0), clear], glide=True)]))
    return root


def build():
    out = Output()
    for path, (root, settings) in WEATHER.items():
        out.add_xml(asset(path), settings_text(root, settings))
    for index in range(1, FIREWORKS + 1):
        out.add(asset(FIREWORK % index), scene_file(firework(index)))
    return out


MODULE = Module("effects", build, __file__,
                outputs=[asset(p) for p in WEATHER] +
                [asset(FIREWORK % i) for i in range(1, FIREWORKS + 1)])
