"""The level templates of building work, part of "levels/common/TemplateCollection.oscn".

On every building type's template (`add_lot_states`):
- "Image" answers the states a lot plays around work: "AfterBuild" (a small pop when the
  building is done), "DestroySetting1" to "DestroySetting4" and "Destroy" (the place goes dusty
  and shakes while the building comes down), "DoneSetting1" to "DoneSetting4" (clean again),
  "Restoring" (weathered colours brighten back, two keys: the second key's time is the work's
  length) and "CancelRestoring";
- "Rubble", hidden: the heap of a building pulled down, for the setting's season, shown by the
  "DestroySetting" states, growing in "Destroy", hidden by "DoneSetting" and "Done";
- a ruin ("Ruin") lifts and fades away in "Restoring" (two keys) and comes back in
  "CancelRestoring".

The templates the work makes (`templates`):
- "Helicopter", a path mover flown by its "Mover" key frames (two keys on Position, in
  "MovingTo" and "MovingFrom"), with "Body" answering the four diagonal directions and, for
  each, "<Direction>_BeforeUnloading", "_Unloading" and "_AfterUnloading" (finite: the body dips,
  the cargo is lowered on its "Cable", the body rises), and the children "Cargo" and
  "CargoShadow";
- "Cargo", the crate on the lot, falling into place in a state named after each direction;
- "Bus", a path mover whose "Body" answers the eight directions, with the finite state
  "MovingFrom" in which it fades away;
- "ConstructionSelector", the focus ring of a site ("Focus");
- "Construction", the site on the lot: "Ground", "Fence", "Foundation", "Scaffold", "Crane", "Hook",
  "Dust" and the bar "ProgressBar", through the finite states "PreBuild1" (the fence goes up),
  "PreBuild2" (the scaffold and the crane rise), "Build" (the foundation is laid), "Working"
  (the hook goes up and down: endless), "PostBuild1" (the scaffold comes down in a cloud of
  dust) and "PostBuild2" (dust and fence go);
- "LevelStarEffect", a star flying into a lot's star row ("Activate");
- "ProgressBarOverBuilding", the bar over a building, and "BuildingProgressBar", its look;
- "Cloud1" to "Cloud3", path movers carrying a cloud's shadow.

Positions are relative to the lot (its footprint is 135 x 60); a building picture's frame
stands at the lot offset of the building art.
"""
from .art import buildings as building_art
from .art import processes as art
from .scene import Key, KeyFrame, Node, SetProps

WHITE = 0xFFFFFFFF
CLEAR = 0x00FFFFFF
DUSTY = 0xFFD9CDBA
WEATHERED = 0xFFA89C8C
SETTINGS = 4
WINTER_SETTING = 4

HELICOPTER_DIRECTIONS = art.HELICOPTER_DIRECTIONS
UNLOADING_STEPS = ("_BeforeUnloading", "_Unloading", "_AfterUnloading")
BUS_DIRECTIONS = art.BUS_DIRECTIONS
STAGES = ("PreBuild1", "PreBuild2", "Build", "Working", "PostBuild1", "PostBuild2")
# The stages that end by themselves (the construction waits for their ends).
FINITE_STAGES = ("PreBuild1", "PreBuild2", "PostBuild1", "PostBuild2")
CLOUDS = ("Cloud1", "Cloud2", "Cloud3")
LOT_WORK_STATES = (["AfterBuild"] + ["DestroySetting%d" % i for i in range(1, SETTINGS + 1)] +
                   ["Destroy"] + ["DoneSetting%d" % i for i in range(1, SETTINGS + 1)] +
                   ["Restoring", "CancelRestoring"])

# Timings (ms).
STAGE_MS = 600
RESTORING_MS = 5000  # the default work length; the work sets its own
AFTER_BUILD_MS = 480
UNLOAD_DIP_MS = 450
UNLOAD_LOWER_MS = 700
CARGO_DROP_MS = 260
BUS_LINGER_MS = 900
BUS_FADE_MS = 600
FLIGHT_MS = 3333
STAR_MS = 700

# Where things stand relative to the lot.
FRAME = building_art.LOT_OFFSET
FRAME_SIZE = building_art.SIZE
FRAME_PIVOT = (75, 130)  # the bottom middle of a building picture's slab
SELECTOR_AT = (-7, -5)
BAR_AT = (22, -92)
HOVER_OFFSET = (104, -57)  # the helicopter's hover point from the lot
CARGO_HANGS = (-16, 6)  # the hanging crate from the helicopter
CARGO_LOWERED = 34
CARGO_LANDS = (HOVER_OFFSET[0] - 16, 9)
HOOK_AT = (36, -68)
RUIN_LIFT = 36
CLOUD_DEPTH = 1000.0  # shadows lie over the lots and their parts
HELICOPTER_DEPTH = 2000.0

# Depths inside the site.
Z_GROUND = 0.02
Z_FOUNDATION, Z_SCAFFOLD, Z_CRANE, Z_HOOK, Z_CARGO, Z_FENCE, Z_DUST, Z_BAR = (
    0.10, 0.20, 0.25, 0.26, 0.30, 0.35, 0.40, 2.5)


def picture(name):
    """A picture's name as written in the level collection (relative to levels/common/)."""
    prefix = "levels/common/"
    assert name.startswith(prefix), name
    return name[len(prefix):]


def frame_sprite(name, file, z, tint=WHITE, **props):
    """A sprite drawn in a building picture's frame, standing on the lot as a building does."""
    node = Node("SpriteNode", name, AtlasTexture=picture(file),
                Position=(FRAME[0] + FRAME_PIVOT[0], FRAME[1] + FRAME_PIVOT[1], z),
                PivotPoint=FRAME_PIVOT, Bounds=(FRAME_SIZE[0], FRAME_SIZE[1], 0), CanBeHit=False,
                **props)
    if tint != WHITE:
        node.set("TintColor", tint)
    return node


def fade(node, state, start, end, ms, hold=0):
    keys = [Key(0, [start])]
    if hold:
        keys.append(Key(hold, [start]))
    keys.append(Key(ms, [end], glide=True))
    node.state(state).animate(KeyFrame(["TintColor"], keys))


# --- The lots' own states -------------------------------------------------------------------

def add_lot_states(root, type_name):
    """Adds the work states to a building type's template (its root as lottemplates builds it)."""
    image = root.find("Image")
    home = image.get("Position")
    image.state("AfterBuild").animate(KeyFrame(["Scale"], [
        Key(0, [(0.92, 0.92, 1.0)]), Key(AFTER_BUILD_MS // 2, [(1.06, 1.06, 1.0)], glide=True),
        Key(AFTER_BUILD_MS // 2, [(1.0, 1.0, 1.0)], glide=True)]))
    for setting in range(1, SETTINGS + 1):
        image.state("DestroySetting%d" % setting).at_start(SetProps(TintColor=DUSTY))
        image.state("DoneSetting%d" % setting).at_start(SetProps(TintColor=WHITE))
    x, y, z = home
    shake = [Key(0, [(x, y, z)])]
    for i in range(6):
        shake.append(Key(60, [(x + (2 if i % 2 == 0 else -2), y, z)], glide=True))
    shake.append(Key(60, [(x, y, z)], glide=True))
    image.state("Destroy").animate(KeyFrame(["Position"], shake))
    image.state("Restoring").animate(KeyFrame(["TintColor"], [
        Key(0, [WEATHERED]), Key(RESTORING_MS, [WHITE], glide=True)]))
    image.state("CancelRestoring").at_start(SetProps(TintColor=WHITE))

    rubble = frame_sprite("Rubble", art.CONSTRUCTION + "Rubble_Summer.png", 0.05, Visible=False)
    for setting in range(1, SETTINGS + 1):
        season = "Winter" if setting == WINTER_SETTING else "Summer"
        rubble.state("DestroySetting%d" % setting).at_start(SetProps(
            AtlasTexture=picture(art.CONSTRUCTION + "Rubble_%s.png" % season), Visible=True))
        rubble.state("DoneSetting%d" % setting).at_start(SetProps(Visible=False))
    rubble.state("Destroy").animate(KeyFrame(["Scale", "TintColor"], [
        Key(0, [(0.5, 0.3, 1.0), CLEAR]), Key(STAGE_MS, [(1.0, 1.0, 1.0), WHITE], glide=True)]))
    rubble.state("Done").at_start(SetProps(Visible=False))
    # Just after the picture: the heap covers the place.
    children = root.children
    children.insert(children.index(image) + 1, rubble)

    ruin = root.find("Ruin")
    if ruin is not None:
        rx, ry, rz = ruin.get("Position")
        ruin.state("Restoring").animate(KeyFrame(["Position", "TintColor"], [
            Key(0, [(rx, ry, rz), WHITE]),
            Key(RESTORING_MS, [(rx, ry - RUIN_LIFT, rz), CLEAR], glide=True)]))
        ruin.state("CancelRestoring").at_start(SetProps(Position=(rx, ry, rz), TintColor=WHITE,
                                                        Visible=True))
    return root


# --- Vehicles -------------------------------------------------------------------------------

def mover_keys(start, end):
    """The two-key flight of a helicopter state: the work writes both keys and the time."""
    return KeyFrame(["Position"], [Key(0, [start]), Key(FLIGHT_MS, [end], glide=True)],
                    name="Mover")


def helicopter():
    w, h = art.HELICOPTER_SIZE
    node = Node("GPathMovableNode", "Helicopter", Visible=False, Bounds=(w, h, 0))
    body = node.add(Node("SpriteNode", "Body",
                         AtlasTexture=picture(art.helicopter_picture("RightUp")),
                         Position=(-w / 2.0, -h * 0.58, 0.02), Bounds=(w, h, 0), CanBeHit=False))
    cargo = node.add(Node("SpriteNode", "Cargo", AtlasTexture=picture(art.VEHICLES +
                                                                         "CrateHanging.png"),
                          Position=(CARGO_HANGS[0], CARGO_HANGS[1], 0.01),
                          Bounds=(art.CRATE_SIZE[0], art.CRATE_SIZE[1], 0), CanBeHit=False))
    shadow = node.add(Node("SpriteNode", "CargoShadow",
                           AtlasTexture=picture(art.VEHICLES + "CrateShadow.png"),
                           Position=(-18, CARGO_HANGS[1] + 80, 0.0), Bounds=(36, 14, 0),
                           CanBeHit=False))
    # The cable between the body and the crate, paid out while the crate is lowered.
    line = node.add(Node("SpriteNode", "Cable", AtlasTexture=picture(art.VEHICLES + "Cable.png"),
                         Position=(-2, CARGO_HANGS[1], 0.015), PivotPoint=(2, 0),
                         Bounds=(4, art.CABLE_LENGTH, 0), Scale=(1.0, 0.02, 1.0),
                         CanBeHit=False))
    bx, by, bz = body.get("Position")
    cx, cy, cz = cargo.get("Position")
    dip = 8
    paid_out = (1.0, (dip + CARGO_LOWERED) / float(art.CABLE_LENGTH), 1.0)
    for direction in HELICOPTER_DIRECTIONS:
        body.state(direction).at_start(SetProps(
            AtlasTexture=picture(art.helicopter_picture(direction)), Position=(bx, by, bz)))
        cargo.state(direction).at_start(SetProps(Position=(cx, cy, cz)))
        before, unloading, after = (direction + step for step in UNLOADING_STEPS)
        body.state(before).animate(KeyFrame(["Position"], [
            Key(0, [(bx, by, bz)]), Key(UNLOAD_DIP_MS, [(bx, by + dip, bz)], glide=True)]))
        cargo.state(before).animate(KeyFrame(["Position"], [
            Key(0, [(cx, cy, cz)]), Key(UNLOAD_DIP_MS, [(cx, cy + dip, cz)], glide=True)]))
        cargo.state(unloading).animate(KeyFrame(["Position"], [
            Key(0, [(cx, cy + dip, cz)]),
            Key(UNLOAD_LOWER_MS, [(cx, cy + CARGO_LOWERED, cz)], glide=True)]))
        line.state(unloading).animate(KeyFrame(["Scale"], [
            Key(0, [(1.0, dip / float(art.CABLE_LENGTH), 1.0)]),
            Key(UNLOAD_LOWER_MS, [paid_out], glide=True)]))
        line.state(after).animate(KeyFrame(["Scale"], [
            Key(0, [paid_out]), Key(UNLOAD_DIP_MS, [(1.0, 0.02, 1.0)], glide=True)]))
        shadow.state(unloading).animate(KeyFrame(["Scale"], [
            Key(0, [(1.0, 1.0, 1.0)]), Key(UNLOAD_LOWER_MS, [(1.3, 1.3, 1.0)], glide=True)]))
        body.state(after).animate(KeyFrame(["Position"], [
            Key(0, [(bx, by + dip, bz)]), Key(UNLOAD_DIP_MS, [(bx, by, bz)], glide=True)]))
    start = (-866.0, 500.0, HELICOPTER_DEPTH)
    hover = (0.0, 0.0, HELICOPTER_DEPTH)
    node.state("MovingTo").animate(mover_keys(start, hover))
    node.state("MovingFrom").animate(mover_keys(hover, (866.0, -500.0, HELICOPTER_DEPTH)))
    return node


def cargo():
    w, h = art.CRATE_LANDED
    x, y = CARGO_LANDS
    node = Node("SpriteNode", "Cargo", AtlasTexture=picture(art.VEHICLES + "Crate.png"),
                Position=(x, y, Z_CARGO), Bounds=(w, h, 0), CanBeHit=False)
    for direction in HELICOPTER_DIRECTIONS:
        node.state(direction).animate(KeyFrame(["Position"], [
            Key(0, [(x, y - 17, Z_CARGO)]), Key(CARGO_DROP_MS, [(x, y, Z_CARGO)], glide=True),
            Key(80, [(x, y - 3, Z_CARGO)], glide=True), Key(80, [(x, y, Z_CARGO)], glide=True)]))
    return node


def bus():
    w, h = art.BUS_SIZE
    node = Node("GPathMovableNode", "Bus", Visible=False, Bounds=(w, h, 0))
    body = node.add(Node("SpriteNode", "Body", AtlasTexture=picture(art.bus_picture("Right")),
                         Position=(-w / 2.0, -(h - 26.0), 0.0), Bounds=(w, h, 0),
                         CanBeHit=False))
    for direction in BUS_DIRECTIONS:
        body.state(direction).at_start(SetProps(
            AtlasTexture=picture(art.bus_picture(direction))))
    fade(node, "MovingFrom", WHITE, CLEAR, BUS_FADE_MS, hold=BUS_LINGER_MS)
    return node


def cloud(index):
    w, h = art.CLOUD_SIZES[index]
    node = Node("GPathMovableNode", CLOUDS[index], Visible=False, Bounds=(w, h, 0))
    node.add(Node("SpriteNode", "Shadow", AtlasTexture=picture(art.cloud_picture(index)),
                  Position=(-w / 2.0, -h / 2.0, CLOUD_DEPTH), Bounds=(w, h, 0), CanBeHit=False))
    return node


# --- The site -------------------------------------------------------------------------------

def bar_look():
    """The look of the bars over buildings: a track and a green fill (KnobType 1)."""
    w, h = art.BAR_SIZE
    g = art.BAR_GRID
    root = Node("BaseNode", "BuildingProgressBar", Bounds=(w, h, 0))
    root.add(Node("NineGridSpriteNode", "Track", AtlasTexture=picture(art.BAR_TRACK),
                  TopLeftDelta=(g, g), BottomRightDelta=(g, g), Bounds=(w, h, 0),
                  CanBeHit=False))
    root.add(Node("BaseNode", "SlidingArea", Position=(3, 3, 0), Bounds=(w - 6, h - 6, 0)))
    root.add(Node("NineGridSpriteNode", "Knob", AtlasTexture=picture(art.BAR_FILL),
                  TopLeftDelta=(g - 2, g - 2), BottomRightDelta=(g - 2, g - 2),
                  Position=(3, 3, 0.01), Bounds=(w - 6, h - 6, 0), CanBeHit=False))
    return root


def bar(name, z):
    w, h = art.BAR_SIZE
    return Node("ProgressBarNode", name, TemplateName="BuildingProgressBar", KnobType=1,
                Position=(BAR_AT[0], BAR_AT[1], z), Bounds=(w, h, 0), MinValue=0.0,
                MaxValue=1.0, Value=0.0, CanBeHit=False)


def construction_selector():
    w, h = art.SELECTOR_SIZE
    node = Node("SpriteNode", "ConstructionSelector",
                AtlasTexture=picture(art.CONSTRUCTION + "Selector.png"),
                Position=(SELECTOR_AT[0], SELECTOR_AT[1], 0), Bounds=(w, h, 0), CanBeHit=False)
    node.state("Focus").animate(KeyFrame(["TintColor"], [
        Key(0, [WHITE]), Key(400, [0xFFFFD890], glide=True), Key(400, [WHITE], glide=True,
                                                                 goto=0)]))
    return node


def construction():
    w, h = building_art.FOOTPRINT
    root = Node("BaseNode", "Construction", Bounds=(w, h, 0))
    grown = (1.0, 1.0, 1.0)
    flat = (1.0, 0.02, 1.0)

    # The building goes when the scaffold rises and the new one comes with the last stage: the
    # bare ground lies between.
    ground = root.add(frame_sprite("Ground", art.CONSTRUCTION + "Ground.png", Z_GROUND,
                                   tint=CLEAR))
    ground.state("PreBuild2").at_start(SetProps(TintColor=WHITE))
    ground.state("PostBuild2").at_start(SetProps(TintColor=CLEAR))

    foundation = root.add(frame_sprite("Foundation", art.CONSTRUCTION + "Foundation.png",
                                       Z_FOUNDATION, tint=CLEAR))
    fade(foundation, "Build", CLEAR, WHITE, STAGE_MS)
    fade(foundation, "PostBuild1", WHITE, CLEAR, STAGE_MS)

    scaffold = root.add(frame_sprite("Scaffold", art.CONSTRUCTION + "Scaffold.png", Z_SCAFFOLD,
                                     Scale=flat))
    scaffold.state("PreBuild2").animate(KeyFrame(["Scale"], [
        Key(0, [flat]), Key(STAGE_MS, [grown], glide=True)]))
    scaffold.state("PostBuild1").animate(KeyFrame(["Scale", "TintColor"], [
        Key(0, [grown, WHITE]), Key(STAGE_MS, [(1.0, 0.4, 1.0), CLEAR], glide=True)]))

    crane = root.add(frame_sprite("Crane", art.CONSTRUCTION + "Crane.png", Z_CRANE, tint=CLEAR))
    fade(crane, "PreBuild2", CLEAR, WHITE, STAGE_MS)
    fade(crane, "PostBuild1", WHITE, CLEAR, STAGE_MS)

    hook = root.add(Node("SpriteNode", "Hook", AtlasTexture=picture(art.CONSTRUCTION + "Hook.png"),
                         Position=(HOOK_AT[0], HOOK_AT[1], Z_HOOK), Bounds=(16, 60, 0),
                         TintColor=CLEAR, CanBeHit=False))
    fade(hook, "PreBuild2", CLEAR, WHITE, STAGE_MS)
    hx, hy, hz = hook.get("Position")
    hook.state("Working").animate(KeyFrame(["Position", "TintColor"], [
        Key(0, [(hx, hy, hz), WHITE]), Key(900, [(hx, hy + 26, hz), WHITE], glide=True),
        Key(900, [(hx, hy, hz), WHITE], glide=True, goto=0)]))
    fade(hook, "PostBuild1", WHITE, CLEAR, STAGE_MS)

    fence = root.add(frame_sprite("Fence", art.CONSTRUCTION + "Fence.png", Z_FENCE, tint=CLEAR))
    fence.state("PreBuild1").animate(KeyFrame(["Scale", "TintColor"], [
        Key(0, [(1.0, 0.6, 1.0), CLEAR]), Key(STAGE_MS, [grown, WHITE], glide=True)]))
    fade(fence, "PostBuild2", WHITE, CLEAR, STAGE_MS)

    dust = root.add(frame_sprite("Dust", art.CONSTRUCTION + "Dust.png", Z_DUST, tint=CLEAR))
    dust.state("Build").animate(KeyFrame(["TintColor"], [
        Key(0, [CLEAR]), Key(STAGE_MS // 2, [0x90FFFFFF], glide=True),
        Key(STAGE_MS // 2, [CLEAR], glide=True)]))
    dust.state("Working").animate(KeyFrame(["TintColor"], [
        Key(0, [CLEAR]), Key(700, [0x50FFFFFF], glide=True), Key(700, [CLEAR], glide=True,
                                                                  goto=0)]))
    dust.state("PostBuild1").animate(KeyFrame(["TintColor", "Scale"], [
        Key(0, [CLEAR, (0.8, 0.8, 1.0)]), Key(STAGE_MS, [WHITE, grown], glide=True)]))
    fade(dust, "PostBuild2", WHITE, CLEAR, STAGE_MS)

    root.add(bar("ProgressBar", Z_BAR))
    return root


def star_effect():
    root = Node("BaseNode", "LevelStarEffect", Bounds=(0, 0, 0))
    gw, gh = art.GLOW_SIZE
    glow = root.add(Node("SpriteNode", "Glow", AtlasTexture=picture(art.CONSTRUCTION +
                                                                    "StarGlow.png"),
                         PivotPoint=(gw / 2.0, gh / 2.0), Bounds=(gw, gh, 0), TintColor=CLEAR,
                         CanBeHit=False))
    glow.state("Activate").animate(KeyFrame(["Scale", "TintColor"], [
        Key(0, [(0.4, 0.4, 1.0), CLEAR]), Key(STAR_MS // 2, [(1.2, 1.2, 1.0), WHITE],
                                              glide=True),
        Key(STAR_MS // 2, [(1.6, 1.6, 1.0), CLEAR], glide=True)]))
    star = root.add(Node("SpriteNode", "Star", AtlasTexture="Stars/FilledStar.png",
                         PivotPoint=(8, 8), Position=(0, 0, 0.01), Bounds=(16, 16, 0),
                         TintColor=CLEAR, CanBeHit=False))
    star.state("Activate").animate(KeyFrame(["Scale", "TintColor"], [
        Key(0, [(3.0, 3.0, 1.0), CLEAR]), Key(STAR_MS, [(1.0, 1.0, 1.0), WHITE], glide=True)]))
    return root


def templates():
    """The work's templates, in the collection's order."""
    nodes = [helicopter(), cargo(), bus(), construction_selector(), construction(),
             star_effect(), bar("ProgressBarOverBuilding", 3.0), bar_look()]
    nodes += [cloud(i) for i in range(len(CLOUDS))]
    return nodes
