"""The texture atlas packer.

Sprites are trimmed of their fully transparent borders (the leading trim is the region's `b`, the
trailing trim its `a`, so b + frame + a is the source size), sorted by height (tallest first) and
then by name, and placed in rows on pages of at most 2048 pixels a side (any width and height).
Every region keeps `padding` pixels of its own around it, filled with its extruded edges (or left
transparent, for glyph pages); transparent texels take their visible neighbours' colour. Colours
are straight (not premultiplied) alpha.
"""
import math

from PIL import Image

from .common import element
from .imageops import bleed, extrude, trim_box

MAX_SIDE = 2048
PADDING = 2


class Sprite:
    """A source picture with the name it is registered under. `trim` False keeps the whole
    picture as the frame (for nine-grid pictures, whose node ignores the leading trim)."""

    def __init__(self, name, image, trim=True):
        self.name = name
        self.image = image.convert("RGBA")
        self.trim = trim


class Region:
    def __init__(self, name, page, box, before, after):
        self.name = name
        self.page = page
        self.box = box  # x0, y0, x1, y1 on the page
        self.before = before
        self.after = after

    @property
    def size(self):
        return (self.box[2] - self.box[0], self.box[3] - self.box[1])

    def __repr__(self):
        return "Region(%s, page %d, %r)" % (self.name, self.page, self.box)


def _trimmed(sprite):
    width, height = sprite.image.size
    box = trim_box(sprite.image) if sprite.trim else (0, 0, width, height)
    frame = sprite.image.crop(box)
    return frame, (box[0], box[1]), (width - box[2], height - box[3])


def _page_width(cells, max_side):
    area = sum(w * h for w, h in cells)
    widest = max(w for w, _ in cells)
    width = int(math.ceil(math.sqrt(area * 1.15)))
    width = max(widest, min(width, max_side))
    return min(max_side, (width + 3) // 4 * 4)


def pack(sprites, max_side=MAX_SIDE, padding=PADDING, extrude_edges=True):
    """Packs the sprites; returns (pages as RGBA images, regions in name order)."""
    names = [s.name for s in sprites]
    if len(names) != len(set(names)):
        raise ValueError("two sprites share a name")
    if not sprites:
        return [], []
    prepared = []
    for sprite in sprites:
        frame, before, after = _trimmed(sprite)
        cell = (frame.size[0] + 2 * padding, frame.size[1] + 2 * padding)
        if cell[0] > max_side or cell[1] > max_side:
            raise ValueError("%s is too large for a page (%dx%d)" % (sprite.name, *frame.size))
        prepared.append((sprite.name, frame, before, after, cell))
    prepared.sort(key=lambda item: (-item[1].size[1], item[0]))

    width = _page_width([p[4] for p in prepared], max_side)
    placements = []  # (page, x, y)
    page, x, y, shelf = 0, 0, 0, 0
    for _, _, _, _, (cw, ch) in prepared:
        if x + cw > width:
            x, y, shelf = 0, y + shelf, 0
        if y + ch > max_side:
            page, x, y, shelf = page + 1, 0, 0, 0
        placements.append((page, x, y))
        x += cw
        shelf = max(shelf, ch)

    page_sizes = {}
    for (index, px, py), item in zip(placements, prepared):
        cw, ch = item[4]
        w, h = page_sizes.get(index, (0, 0))
        page_sizes[index] = (max(w, px + cw), max(h, py + ch))
    pages = [Image.new("RGBA", page_sizes[i], (0, 0, 0, 0)) for i in range(len(page_sizes))]

    regions = []
    for (index, px, py), (name, frame, before, after, _) in zip(placements, prepared):
        if extrude_edges:
            pages[index].paste(extrude(frame, padding), (px, py))
        else:
            pages[index].paste(frame, (px + padding, py + padding))
        fx, fy = px + padding, py + padding
        regions.append(Region(name, index, (fx, fy, fx + frame.size[0], fy + frame.size[1]),
                              before, after))
    pages = [bleed(p) for p in pages]
    regions.sort(key=lambda r: r.name)
    return pages, regions


def collection_text(page_files, regions):
    """The body of an atlas collection file: the pages (files relative to the collection) and the
    regions (full names from the asset root)."""
    lines = ["<AtlasTextureCollection>"]
    for page in page_files:
        lines.append("\t" + element("a", [("f", page)]))
    for region in regions:
        x0, y0, x1, y1 = region.box
        lines.append("\t" + element("t", [
            ("n", region.name), ("i", region.page), ("r", "%d,%d,%d,%d" % (x0, y0, x1, y1)),
            ("b", "%d,%d" % region.before), ("a", "%d,%d" % region.after)]))
    lines.append("</AtlasTextureCollection>")
    return "\n".join(lines) + "\n"
