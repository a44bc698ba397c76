"""The paths of the main menu's street, "scenes/BgTrafficPaths.xml" in the level paths' form:
the looped ring of the bikes ("Bike"), the car lanes usable both ways ("Path"), the clouds'
lines across the sky ("Clouds") and the walkers' lines along the pavements. The points come from
the street's geometry (art/street.py), which the backdrop is drawn from too.
"""
from .art import street
from .common import Output, asset, element, fmt_float
from .registry import Module

FILE = "scenes/BgTrafficPaths.xml"


def _point(x, y, d1=0.0, d2=0.0):
    attributes = [("p", "%s;%s" % (fmt_float(x), fmt_float(y)))]
    if d1 or d2:
        attributes += [("d1", fmt_float(d1)), ("d2", fmt_float(d2))]
    return "\t\t\t" + element("p", attributes)


def _path(points, group=None, both_ways=False, deviations=(0.0, 0.0)):
    attributes = []
    if group:
        attributes.append(("ID", group))
    if both_ways:
        attributes.append(("b", "1"))
    lines = ["\t\t" + element("Path", attributes, empty=False)]
    lines += [_point(x, y, *deviations) for x, y in points]
    lines.append("\t\t</Path>")
    return lines


def car_lanes():
    """Each lane from the town's end of the road to below the screen (both ways)."""
    return [street.line_across(offset, street.ROAD_FAR[1] + 6.0, street.ROAD_NEAR_Y, steps=5)
            for offset in street.CAR_LANES]


def walker_lines():
    lines = []
    for far, near, low, high in street.WALKER_LINES:
        points = []
        for i in range(7):
            f = i / 6.0
            y = street.WALKER_FAR_Y + (street.WALKER_NEAR_Y - street.WALKER_FAR_Y) * f
            points.append(street.lane(y, far + (near - far) * f))
        lines.append((points, (low, high)))
    return lines


def cloud_lines():
    return [[(x0, y), ((x0 + x1) / 2.0, y + 6.0), (x1, y)] for y, x0, x1 in street.CLOUD_LINES]


def paths_text():
    lines = ["<LevelPaths>", "\t<CarPaths>"]
    lines += _path(street.bike_ring(), "Bike")
    for lane in car_lanes():
        lines += _path(lane, "Path", both_ways=True)
    for line in cloud_lines():
        lines += _path(line, "Clouds")
    lines += ["\t</CarPaths>", "\t<PedestrianPaths>"]
    for points, deviations in walker_lines():
        lines += _path(points, both_ways=True, deviations=deviations)
    lines += ["\t</PedestrianPaths>", "</LevelPaths>"]
    return "\n".join(lines) + "\n"


def build():
    out = Output()
    out.add_xml(asset(FILE), paths_text())
    return out


MODULE = Module("menupaths", build, __file__, outputs=[asset(FILE)])
