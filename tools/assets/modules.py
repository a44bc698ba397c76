"""The list of generator modules, in the fixed order in which they run. A new generator module is
added here (its place decides what it may rely on: the atlases and fonts before the templates)."""
from . import (atlases, buildings, comicscenes, effects, fonts, levels, lottemplates, mapscene,
               menupaths, menuscene, playscene, shellscenes, shopscenes, sounds, startscreens,
               startup, tables, templates, texts, upgrades)
from . import tutorials


def all_modules():
    modules = [startup.MODULE, texts.MODULE, fonts.MODULE, startscreens.MODULE]
    modules += atlases.modules()
    modules += [templates.MODULE, sounds.MODULE, tables.MODULE, buildings.MODULE, menupaths.MODULE,
                menuscene.MODULE, shellscenes.MODULE, comicscenes.MODULE]
    modules += [upgrades.MODULE]
    modules += [lottemplates.MODULE]
    modules += [shopscenes.MODULE]
    modules += [playscene.MODULE]
    modules += [mapscene.MODULE]
    modules += [effects.MODULE]
    modules += [levels.MODULE]
    modules += [tutorials.MODULE]
    from .minigames import scenes as minigames
    modules += [minigames.MODULE]
    names = [m.name for m in modules]
    assert len(names) == len(set(names)), "module names repeat"
    return modules
