"""Every art category, in a fixed order. A new category module is added here."""
from . import achievements, buildings, comics, map, menu, movers, people, shellart, shop, skin, vehicles
from . import effects
from . import moneyletter
from . import processes
from . import playhud
from . import typeicons
from . import tutorial
from . import decor

CATEGORIES = [skin.CATEGORY, menu.CATEGORY, people.CATEGORY, vehicles.CATEGORY,
              buildings.CATEGORY, shop.CATEGORY, achievements.CATEGORY]
CATEGORIES += [map.CATEGORY]
CATEGORIES += [shellart.CATEGORY, comics.CATEGORY]
CATEGORIES += [effects.CATEGORY]
CATEGORIES += [movers.CATEGORY]
CATEGORIES += [moneyletter.CATEGORY]
CATEGORIES += [processes.CATEGORY]
CATEGORIES += [playhud.CATEGORY]
CATEGORIES += [typeicons.CATEGORY]
CATEGORIES += [tutorial.CATEGORY]
CATEGORIES += [decor.CATEGORY]
# The mini-games' pictures live with their generator.
from ..minigames import art as minigames_art  # noqa: E402
CATEGORIES += [minigames_art.CATEGORY]


def by_name(name):
    for category in CATEGORIES:
        if category.name == name:
            return category
    raise KeyError(name)
