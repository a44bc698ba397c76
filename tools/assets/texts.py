"""The localisation dictionary: the English texts of the package, written as
"strings/Dictionary.xml" in the dictionary's "Dictionary"/"s" form.

The texts live in one table, texts/english.toml (key = text, "#p" markers for parameters), but
for the levels' own: each level's description and the texts of its objectives come from the
level descriptions (campaign.py), which make an English text for an objective that gives none
from the names of the buildings and features in the table. Other generators read the texts too
(the fonts bake every character the texts use).
"""
import os
import tomllib

from . import campaign
from .common import PACKAGE, Output, asset, escape
from .registry import Module

TABLE = "tools/assets/texts/english.toml"
# The level descriptions and their towns, whose texts the dictionary takes.
LEVEL_INPUTS = [campaign.DESCRIPTIONS + "/*.toml", campaign.LAYOUTS + "/*.toml"]


def table_texts():
    """The table's texts by key, in the table's order."""
    with open(os.path.join(PACKAGE, "texts", "english.toml"), "rb") as source:
        table = tomllib.load(source)
    return table.get("texts", {})


def load_texts():
    """The texts by key: the table's, in its order, then the levels'."""
    texts = dict(table_texts())
    for key, text in campaign.texts(texts).items():
        if key in texts:
            raise ValueError("the level text %s is in %s too" % (key, TABLE))
        texts[key] = text
    for key, text in texts.items():
        if not isinstance(text, str):
            raise ValueError("the text of %s is not a string" % key)
        if not key or any(c in key for c in "% \t\r\n<>&\"'") or not key.isascii():
            raise ValueError("key %r cannot be written or looked up" % key)
        if text and len(text) < 3 and not text.strip():
            raise ValueError("the dictionary reader drops the short blank text of %s" % key)
    return texts


def dictionary_text(texts):
    """The dictionary file's body: one "s" element per key, sorted by key. An entry always has an
    end tag, so an empty text stays empty."""
    lines = ["<Dictionary>"]
    for key in sorted(texts):
        lines.append('\t<s n="%s">%s</s>' % (escape(key), escape(texts[key])))
    lines.append("</Dictionary>")
    return "\n".join(lines) + "\n"


def build():
    out = Output()
    out.add_xml(asset("strings/Dictionary.xml"), dictionary_text(load_texts()))
    return out


MODULE = Module("texts", build, __file__, inputs=[TABLE] + LEVEL_INPUTS,
                outputs=[asset("strings/*")])
