"""The main menu's street: where its road, pavements, park and sky lie on the 1024 x 768 backdrop,
and the paths its movers follow there. The backdrop (art/menu.py) and the paths file
(menupaths.py) both draw from these numbers, so that the movers keep to the road.

The movers scale with their height on the screen: cars and walkers grow from nothing at y 668 to
full size at y 768, bikes from 65 % at y 700 to full size at y 735, and clouds drift faster the
higher they are (above y 450).
"""
import math

STREET_TOP, STREET_BOTTOM = 668, 768  # cars and walkers
BIKE_TOP, BIKE_BOTTOM = 700, 735
CLOUD_LIMIT = 450

HORIZON = 640  # where the grass meets the town

# The road runs from its far end near the town down to below the screen's bottom edge.
ROAD_FAR = (716.0, 660.0)  # the middle of its far end
ROAD_FAR_HALF = 14.0  # half width there
ROAD_NEAR_Y = 860.0  # where the paths of the cars end (off the screen)
ROAD_NEAR = (820.0, ROAD_NEAR_Y)
ROAD_NEAR_HALF = 210.0
PAVEMENT = 0.42  # a pavement's width as a part of the road's half width


def road_edge(t, side):
    """A point of the road's edge (side -1 left, +1 right) at t (0 far, 1 near), or of its middle
    (side 0)."""
    x = ROAD_FAR[0] + (ROAD_NEAR[0] - ROAD_FAR[0]) * t
    y = ROAD_FAR[1] + (ROAD_NEAR[1] - ROAD_FAR[1]) * t
    half = ROAD_FAR_HALF + (ROAD_NEAR_HALF - ROAD_FAR_HALF) * t
    return (x + side * half, y)


def t_at(y):
    return (y - ROAD_FAR[1]) / (ROAD_NEAR[1] - ROAD_FAR[1])


def lane(y, offset):
    """A point at height y across the road: offset -1 is the left edge, +1 the right, beyond 1
    the pavements."""
    left, right = road_edge(t_at(y), -1), road_edge(t_at(y), 1)
    middle = (left[0] + right[0]) / 2.0
    return (middle + offset * (right[0] - left[0]) / 2.0, y)


def line_across(offset, y0, y1, steps=4):
    return [lane(y0 + (y1 - y0) * i / steps, offset) for i in range(steps + 1)]


# The park with its ring of a bike path, on the left of the road.
PARK_CENTRE = (250.0, 717.5)
PARK_RADII = (190.0, 17.5)  # the bike ring, from y 700 to y 735
PARK_POINTS = 32


def bike_ring():
    """The bike ring, anticlockwise on the screen (right along its near side), starting at its
    near middle."""
    cx, cy = PARK_CENTRE
    rx, ry = PARK_RADII
    points = []
    for i in range(PARK_POINTS):
        a = 2.0 * math.pi * i / PARK_POINTS
        points.append((cx + rx * math.sin(a), cy + ry * math.cos(a)))
    return points


# The car lanes (both ways): offsets across the road.
CAR_LANES = (-0.5, 0.5)
# The walkers' lines along the pavements: (offset at the far end, offset at the near end), with
# the sideways room they wander in (low, high).
WALKER_LINES = ((-1.35, -1.3, 4.0, 4.0), (-1.2, -1.22, 3.0, 3.0), (1.25, 1.3, 4.0, 4.0),
                (1.4, 1.42, 3.0, 3.0))
WALKER_FAR_Y, WALKER_NEAR_Y = 666.0, 790.0

# The clouds: height, start x, end x (they leave the screen).
CLOUD_LINES = ((70.0, -220.0, 1250.0), (140.0, 1250.0, -220.0), (215.0, -220.0, 1250.0),
               (290.0, 1250.0, -220.0), (360.0, -220.0, 1250.0), (420.0, 1250.0, -220.0))
