"""The texture atlas collections: one generator module per collection of atlases.toml, packing the
pictures the art categories draw into that collection's folders.

A collection is "assets/atlases/<name>.xml" with its pages "<name>_<n>.png" beside it. Region
names are full names from the asset root (what a scene's relative name resolves to); pages are
named relative to the collection. An art category's whole-screen pictures (`single`) are not
packed; the "files.<category>" modules write them.
"""
import os
import tomllib

from .art.categories import CATEGORIES
from .art.kit import opaque
from .common import PACKAGE, Output, asset
from .packer import Sprite, collection_text, pack
from .registry import Module

LAYOUT = "tools/assets/atlases.toml"
FOLDER = "atlases"


def layout():
    """Collection name -> folders, in the file's order."""
    with open(os.path.join(PACKAGE, "atlases.toml"), "rb") as source:
        table = tomllib.load(source)
    return {name: list(entry.get("folders", [])) for name, entry in table.items()}


def _in(name, folders):
    return any(name.startswith(folder) for folder in folders)


def feeding_categories(folders):
    """The art categories that draw into any of the folders."""
    return [c for c in CATEGORIES
            if any(f.startswith(g) or g.startswith(f) for f in c.folders for g in folders)]


def pictures_of(collection, table=None):
    """The pictures packed into one collection."""
    table = table or layout()
    folders = table[collection]
    pictures = []
    for category in feeding_categories(folders):
        pictures += [p for p in category.pictures() if not p.single and _in(p.name, folders)]
    pictures.sort(key=lambda p: p.name)
    # Collections that share a folder take consecutive runs of its pictures of about equal area.
    sharing = [name for name, f in table.items() if set(f) & set(folders)]
    if len(sharing) > 1:
        shared = [p for p in pictures if any(_in(p.name, [f]) for f in folders
                                             if all(f in table[s] for s in sharing))]
        own = [p for p in pictures if p not in shared]
        total = sum(p.size[0] * p.size[1] for p in shared) or 1
        index = sharing.index(collection)
        chosen, area = [], 0
        for picture in shared:
            share = int(area * len(sharing) / total)
            if min(share, len(sharing) - 1) == index:
                chosen.append(picture)
            area += picture.size[0] * picture.size[1]
        pictures = sorted(own + chosen, key=lambda p: p.name)
    return pictures


def page_name(collection, index):
    return "%s_%d.png" % (collection, index)


def build_collection(collection):
    pictures = pictures_of(collection)
    sprites = [Sprite(p.name, p.image, trim=p.trim) for p in pictures]
    pages, regions = pack(sprites)
    out = Output()
    page_files = [page_name(collection, i) for i in range(len(pages))]
    for file, page in zip(page_files, pages):
        out.add_png(asset("%s/%s" % (FOLDER, file)), page)
    out.add_xml(asset("%s/%s.xml" % (FOLDER, collection)), collection_text(page_files, regions))
    return out


def build_single_files(category):
    """An art category's whole-screen pictures: JPEG when opaque, PNG otherwise."""
    out = Output()
    for picture in category.pictures():
        if not picture.single:
            continue
        base, _ = os.path.splitext(picture.name)
        if opaque(picture.image):
            out.add_jpeg(asset(base + ".jpg"), picture.image)
        else:
            out.add_png(asset(base + ".png"), picture.image)
    return out


def modules():
    table = layout()
    categories_file = os.path.join(os.path.dirname(__file__), "art", "categories.py")
    made = []
    for collection in table:
        made.append(Module(
            "atlas." + collection, lambda c=collection: build_collection(c), __file__,
            inputs=[LAYOUT],
            outputs=[asset("%s/%s.xml" % (FOLDER, collection)),
                     asset("%s/%s_*.png" % (FOLDER, collection))],
            code=[c.source for c in feeding_categories(table[collection])],
            code_excludes=[categories_file]))
    for category in CATEGORIES:
        if category.single_files:
            made.append(Module(
                "files." + category.name, lambda c=category: build_single_files(c), __file__,
                outputs=[asset(f + "*") for f in category.folders],
                code=[category.source], code_excludes=[categories_file]))
    return made
