"""The sound pack: "sounds/SoundPack.xml" with every cue of sounds.toml, each cue one Ogg Vorbis
file synthesised here (44.1 kHz; effects mono under sounds/sfx/, music stereo under
sounds/music/ and streamed).
"""
import os
import tomllib

from . import music, sfx
from . import synth as s
from .common import PACKAGE, Output, asset, element
from .registry import Module

DESCRIPTION = "tools/assets/sounds.toml"
PACK = "sounds/SoundPack.xml"

GROUP_INTERFACE, GROUP_MUSIC, GROUP_WORLD = 0, 1, 2
STREAM_ALWAYS = 1

# The cue names the game's code plays (in the order the code declares them), beside which the
# pack holds "ComicsText", "Rain" and the level music "GameMusicSetting1" to "GameMusicSetting4".
GAME_CUES = (
    "ObjectivesWindow", "AchievementUnlocked", "TutorialWindow", "ButtonMissed", "ButtonClick",
    "ButtonOver", "ObjFound", "HOHint", "ComicsMusic", "MiniGamesMusic", "MenuMusic",
    "MainMenuAmbient", "MainMenuCarOut", "MainMenuCarTo", "Bus", "Helicopter", "Building",
    "Upgrading", "Destroying", "CleaningDecoration", "Sold", "Bought", "FeatureCommercial",
    "FeatureFactory", "FeatureREAgency", "FeaturePRAgency", "TimedActionEnd", "AlmostEnd",
    "TimeOver", "LevelCompleted", "Income", "MaterialsDelivered", "WorkersTrained", "Broken",
    "Dirty", "MoneyLetter", "GameCar", "ForSale", "BuyRequest", "SoundVolumeChange")
NEVER_LOOP = ("Bus", "Helicopter", "Destroying", "Rain")


class Cue:
    def __init__(self, name, group, loop, streamed, file, params, kind):
        self.name = name
        self.group = group
        self.loop = loop
        self.streamed = streamed
        self.file = file  # relative to the pack
        self.params = params
        self.kind = kind  # "effect" or "music"


def description():
    with open(os.path.join(PACKAGE, "sounds.toml"), "rb") as source:
        return tomllib.load(source)


def cues():
    desc = description()
    made = []
    for name, params in desc.get("effects", {}).items():
        made.append(Cue(name, int(params.get("group", GROUP_INTERFACE)), bool(params.get("loop")),
                        False, "sfx/%s.ogg" % name, params, "effect"))
    for name, params in desc.get("music", {}).items():
        made.append(Cue(name, GROUP_MUSIC, True, True, "music/%s.ogg" % name, params, "music"))
    names = [c.name for c in made]
    if len(names) != len(set(names)):
        raise ValueError("a cue is described twice")
    for cue in made:
        if cue.loop and cue.name in NEVER_LOOP:
            raise ValueError(cue.name + " must not loop")
    return made


def samples(cue, levels):
    """The cue's levelled samples."""
    p = cue.params
    if cue.kind == "music":
        return music.compose(cue.name, p["key"], p["bpm"], p["bars"], p["chords"], p["style"],
                             levels["music_rms_db"])
    signal = sfx.RECIPES[p["recipe"]](cue.name, p)
    if p.get("level") == "ambience":
        signal = s.rms_to(signal, levels["ambience_rms_db"], ceiling_db=levels["effect_peak_db"])
    else:
        signal = s.peak_to(signal, p.get("peak_db", levels["effect_peak_db"]))
    if not cue.loop:
        signal = s.fade_edges(signal, fade_in=0.001, fade_out=0.01)
    return signal


def pack_text(all_cues):
    lines = ["<SoundPack>"]
    for cue in all_cues:
        attributes = [("Name", cue.name), ("GroupID", cue.group), ("Vol", "1.0")]
        if cue.loop:
            attributes.append(("Loop", "true"))
        if cue.streamed:
            attributes.append(("StreamingType", STREAM_ALWAYS))
        lines.append("\t" + element("SoundCue", attributes, empty=False))
        lines.append("\t\t" + element("Sound", [("Filename", cue.file)]))
        lines.append("\t</SoundCue>")
    lines.append("</SoundPack>")
    return "\n".join(lines) + "\n"


def build():
    levels = description()["levels"]
    out = Output()
    all_cues = cues()
    folder = os.path.dirname(PACK)
    for cue in all_cues:
        path = asset("%s/%s" % (folder, cue.file))
        out.add(path, s.ogg_bytes(samples(cue, levels), path))
    out.add_xml(asset(PACK), pack_text(all_cues))
    return out


MODULE = Module("sounds", build, __file__, inputs=[DESCRIPTION],
                outputs=[asset("sounds/*")])
