"""The tables and collections the preloader reads that no other generator makes yet: valid files
with the root element each reader expects and, until the issues that fill them, no entries.

- scenes/ParticleCollection.xml and levels/common/ParticleCollection.xml.
A later generator that makes one of these files takes it over: it is removed from TABLES here.
"""
from .common import Output, asset
from .registry import Module

# file -> root element of an empty table
TABLES = {
    "scenes/ParticleCollection.xml": "ParticleCollection",
    "levels/common/ParticleCollection.xml": "ParticleCollection",
}


def empty_table(root):
    """A root element with an end tag (the readers stop at the root's end element)."""
    return "<%s>\n</%s>\n" % (root, root)


def build():
    out = Output()
    for path, root in TABLES.items():
        out.add_xml(asset(path), empty_table(root))
    return out


MODULE = Module("tables", build, __file__,
                outputs=[asset(p) for p in TABLES])
