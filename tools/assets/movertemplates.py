"""The level world's movers in "levels/common/TemplateCollection.oscn":
- "Car1" to "Car4" (GCarNode), the passing cars that the levels' "NeutralCar" paths name;
- "Walker1" to "Walker3" (GPedestrianNode), the walkers that the levels' spawners make;
- "FlyingBird" (GBirdNode), the bird crossing the sky.
Each has a "Body" sprite whose eight direction states show the mover facing that way: a car's
still picture, a walker's two steps in turn, the bird gliding; the bird's "_Flap" states beat its
wings a few times and glide on. The node's origin is the mover's place on its path (the ground
under a car or walker), so the body is drawn above and around it.
"""
from .art import movers as art
from .scene import Key, KeyFrame, Node, SetProps

CAR_TEMPLATES = tuple("Car%d" % i for i in range(1, len(art.CAR_COLOURS) + 1))
WALKER_TEMPLATES = tuple("Walker%d" % i for i in range(1, len(art.WALKERS) + 1))
BIRD_TEMPLATE = "FlyingBird"
STEP_MS = 220
FLAP_MS = 130
FLAPS = 3


def picture(name):
    """A picture's name as the collection writes it (relative to levels/common/)."""
    return name[len("levels/common/"):]


def _body(size, ground):
    w, h = size
    return Node("SpriteNode", "Body", Position=(-ground[0], -ground[1], 0), Bounds=(w, h, 0),
                CanBeHit=False)


def car(index):
    node = Node("GCarNode", CAR_TEMPLATES[index - 1], CanBeHit=False)
    w, h = art.CAR_SIZE
    body = node.add(_body(art.CAR_SIZE, (w / 2.0, h * 0.62)))
    body.set("AtlasTexture", picture(art.car_name(index, "Right")))
    for direction in art.DIRECTIONS:
        body.state(direction).at_start(SetProps(AtlasTexture=picture(art.car_name(index, direction))))
    return node


def walker(index):
    node = Node("GPedestrianNode", WALKER_TEMPLATES[index - 1], CanBeHit=False)
    w, h = art.WALKER_SIZE
    body = node.add(_body(art.WALKER_SIZE, (w / 2.0, h - 2.0)))
    body.set("AtlasTexture", picture(art.walker_name(index, "Down", 1)))
    for direction in art.DIRECTIONS:
        one = picture(art.walker_name(index, direction, 1))
        two = picture(art.walker_name(index, direction, 2))
        keys = [Key(0, [one]), Key(STEP_MS, [two]), Key(STEP_MS, [one], goto=0)]
        body.state(direction).animate(KeyFrame(["AtlasTexture"], keys))
    return node


def bird():
    node = Node("GBirdNode", BIRD_TEMPLATE, CanBeHit=False)
    w, h = art.BIRD_SIZE
    body = node.add(_body(art.BIRD_SIZE, (w / 2.0, h / 2.0)))
    body.set("AtlasTexture", picture(art.bird_name("Right", False)))
    for direction in art.DIRECTIONS:
        still = picture(art.bird_name(direction, False))
        up = picture(art.bird_name(direction, True))
        body.state(direction).at_start(SetProps(AtlasTexture=still))
        keys = [Key(0, [up])]
        for _ in range(FLAPS - 1):
            keys += [Key(FLAP_MS, [still]), Key(FLAP_MS, [up])]
        keys.append(Key(FLAP_MS, [still]))
        body.state(direction + "_Flap").animate(KeyFrame(["AtlasTexture"], keys))
    return node


def templates():
    nodes = [car(i) for i in range(1, len(CAR_TEMPLATES) + 1)]
    nodes += [walker(i) for i in range(1, len(WALKER_TEMPLATES) + 1)]
    nodes.append(bird())
    return nodes
