"""The money letter's template in the level world's collection ("MoneyLetter").

A letter floats over a lodging: its envelope with a soft halo ("Envelope", "Glow"), the amount it
brings ("Text", on a price tag "Tag") and a countdown clock ("Progress") showing how long it waits. States:
- "Appear": it pops in and then bobs gently for as long as it shows;
- "Disappear": it shrinks away (its time ran out, or its lot stopped working);
- "DisappearHit": it jumps up and vanishes (the player took the money).
The lot removes the letter when either disappearing state ends. Positions are relative to the
lot (footprint 135 x 60); pictures come from art/moneyletter.py in the Buildings atlas.
"""
from . import lottemplates as lots
from .art import moneyletter as art
from .scene import Key, KeyFrame, Node, SetProps

NAME = "MoneyLetter"
AT = (40, -96)
SIZE = (64, 48)
TEXT_COLOR = 0xFF3A2A1E
TAG = (96, 30)
APPEAR_MS = 320
BOB_MS = 900
DISAPPEAR_MS = 300
HIT_MS = 360


def picture(name):
    return "Buildings/MoneyLetter/" + name


def letter():
    w, h = SIZE
    x, y = AT
    node = Node("BaseNode", NAME, Position=(x, y, 3), Bounds=(w, h, 0),
                PivotPoint=(w / 2.0, h / 2.0), CanBeHit=False)
    glow_offset = (art.GLOW - w) / 2.0
    node.add(Node("SpriteNode", "Glow", AtlasTexture=picture("Glow.png"),
                  Position=(-glow_offset, (h - art.GLOW) / 2.0, 0),
                  Bounds=(art.GLOW, art.GLOW, 0), CanBeHit=False))
    ew, eh = art.ENVELOPE
    envelope = node.add(Node("SpriteNode", "Envelope", AtlasTexture=picture("Envelope.png"),
                             Position=((w - ew) / 2.0, 0, 0.01), Bounds=(ew, eh, 0),
                             CanBeHit=False))
    # The amount on a price tag under the envelope.
    tx = (w - TAG[0]) / 2.0
    node.add(Node("SpriteNode", "Tag", AtlasTexture=lots.picture("PriceTag.png"),
                  Position=(tx, eh - 2, 0.015), Bounds=(TAG[0], TAG[1], 0), CanBeHit=False))
    node.add(lots.text_node("Text", (tx + 12, eh, 0.02), (TAG[0] - 16, TAG[1] - 4, 0), size=16.0,
                            halign=2, color=TEXT_COLOR))
    node.add(lots.clock("Progress", (w - 12, -14, 0.03)))

    plain = (1.0, 1.0, 1.0)
    node.state("Appear").animate(KeyFrame(["Scale"], [
        Key(0, [(0.2, 0.2, 1.0)]), Key(APPEAR_MS * 2 // 3, [(1.12, 1.12, 1.0)], glide=True),
        Key(APPEAR_MS // 3, [plain], glide=True)]))
    envelope.state("Appear").animate(KeyFrame(["Position"], [
        Key(0, [((w - ew) / 2.0, 0, 0.01)]),
        Key(BOB_MS // 2, [((w - ew) / 2.0, -4, 0.01)], glide=True),
        Key(BOB_MS // 2, [((w - ew) / 2.0, 0, 0.01)], glide=True, goto=0)]))
    node.state("Disappear").animate(KeyFrame(["Scale"], [
        Key(0, [plain]), Key(DISAPPEAR_MS, [(0.0, 0.0, 1.0)], glide=True)]))
    node.state("DisappearHit").animate(KeyFrame(["Scale", "Position"], [
        Key(0, [plain, (x, y, 3)]),
        Key(HIT_MS // 2, [(1.3, 1.3, 1.0), (x, y - 24, 3)], glide=True),
        Key(HIT_MS // 2, [(0.0, 0.0, 1.0), (x, y - 40, 3)], glide=True)]))
    node.state("DisappearHit").at_start(SetProps(Visible=True))
    return node


def templates():
    return [letter()]
