"""Every art category, in a fixed order. A new category module is added here."""
from . import buildings, comics, menu, people, shellart, skin, vehicles

CATEGORIES = [skin.CATEGORY, menu.CATEGORY, people.CATEGORY, vehicles.CATEGORY,
              buildings.CATEGORY, shellart.CATEGORY, comics.CATEGORY]


def by_name(name):
    for category in CATEGORIES:
        if category.name == name:
            return category
    raise KeyError(name)
