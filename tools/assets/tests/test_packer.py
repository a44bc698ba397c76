"""The atlas packer: regions cut from their pages give back the trimmed sources, the trims add up
to the source sizes, regions and their padding never overlap, edges are extruded."""
import unittest

import numpy as np
from PIL import Image

from assets.packer import PADDING, Sprite, collection_text, pack


def sprite_with_border(name, size, border, seed):
    """A picture of random opaque and half-transparent pixels inside a transparent border
    (left, top, right, bottom)."""
    random = np.random.default_rng(seed)
    w, h = size
    left, top, right, bottom = border
    pixels = np.zeros((h, w, 4), np.uint8)
    inner = random.integers(0, 256, (h - top - bottom, w - left - right, 4), dtype=np.uint8)
    inner[..., 3] = np.maximum(inner[..., 3], 1)  # visible everywhere inside
    pixels[top:h - bottom, left:w - right] = inner
    return Sprite(name, Image.fromarray(pixels, "RGBA"))


def visible_equal(a, b):
    """Same alpha everywhere, same colour where visible (a transparent texel's colour is free)."""
    a, b = np.asarray(a), np.asarray(b)
    if a.shape != b.shape or not np.array_equal(a[..., 3], b[..., 3]):
        return False
    visible = a[..., 3] > 0
    return np.array_equal(a[visible], b[visible])


class PackerTest(unittest.TestCase):
    def sprites(self, count=40):
        random = np.random.default_rng(7)
        made = []
        for i in range(count):
            w, h = (int(v) for v in random.integers(3, 90, 2))
            border = tuple(int(v) for v in random.integers(0, 4, 4))
            made.append(sprite_with_border("images/Thing%04d.png" % i, (w + border[0] + border[2],
                                                                        h + border[1] + border[3]),
                                           border, i))
        return made

    def check_round_trip(self, sprites, pages, regions, max_side):
        by_name = {s.name: s for s in sprites}
        self.assertEqual(sorted(by_name), [r.name for r in regions])
        for page in pages:
            self.assertLessEqual(max(page.size), max_side)
        cells = {}
        for region in regions:
            source = by_name[region.name].image
            box = source.getchannel("A").getbbox() if by_name[region.name].trim else \
                (0, 0) + source.size
            w, h = region.size
            # b + frame + a is the source size, b is where the frame lies in the source
            self.assertEqual((region.before[0] + w + region.after[0],
                              region.before[1] + h + region.after[1]), source.size)
            self.assertEqual(region.before, box[:2])
            cut = pages[region.page].crop(region.box)
            self.assertTrue(visible_equal(cut, source.crop(box)), region.name)
            cells.setdefault(region.page, []).append(
                (region.box[0] - PADDING, region.box[1] - PADDING,
                 region.box[2] + PADDING, region.box[3] + PADDING))
        for page, boxes in cells.items():
            width, height = pages[page].size
            for i, a in enumerate(boxes):
                self.assertTrue(a[0] >= 0 and a[1] >= 0 and a[2] <= width and a[3] <= height)
                for b in boxes[i + 1:]:
                    overlap = a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]
                    self.assertFalse(overlap, "%r and %r overlap" % (a, b))

    def test_regions_give_back_the_trimmed_sources_without_overlap(self):
        sprites = self.sprites()
        pages, regions = pack(sprites)
        self.assertEqual(len(pages), 1)
        self.check_round_trip(sprites, pages, regions, 2048)

    def test_a_full_page_continues_on_another(self):
        sprites = self.sprites(60)
        pages, regions = pack(sprites, max_side=160)
        self.assertGreater(len(pages), 1)
        self.check_round_trip(sprites, pages, regions, 160)

    def test_padding_repeats_the_edges(self):
        image = Image.new("RGBA", (5, 4), (10, 20, 30, 255))
        image.putpixel((0, 0), (200, 0, 0, 255))
        image.putpixel((4, 3), (0, 200, 0, 128))
        pages, regions = pack([Sprite("a.png", image), Sprite("b.png", image)])
        page, (x0, y0, x1, y1) = pages[0], regions[0].box
        for d in range(1, PADDING + 1):
            self.assertEqual(page.getpixel((x0 - d, y0 - d)), (200, 0, 0, 255))
            self.assertEqual(page.getpixel((x1 - 1 + d, y1 - 1 + d)), (0, 200, 0, 128))
            self.assertEqual(page.getpixel((x0 + 2, y0 - d)), (10, 20, 30, 255))

    def test_transparent_texels_take_their_neighbours_colour(self):
        image = Image.new("RGBA", (9, 9), (0, 0, 0, 0))
        for x in range(3, 6):
            for y in range(3, 6):
                image.putpixel((x, y), (250, 250, 250, 255))
        image.putpixel((4, 4), (0, 0, 0, 0))  # a hole inside
        pages, regions = pack([Sprite("ring.png", image, trim=False)])
        x0, y0, _, _ = regions[0].box
        hole = pages[0].getpixel((x0 + 4, y0 + 4))
        near = pages[0].getpixel((x0 + 2, y0 + 4))
        self.assertEqual(hole, (250, 250, 250, 0))
        self.assertEqual(near, (250, 250, 250, 0))

    def test_untrimmed_and_empty_pictures(self):
        bordered = sprite_with_border("grid.png", (20, 12), (2, 2, 2, 2), 1)
        bordered.trim = False
        empty = Sprite("empty.png", Image.new("RGBA", (7, 5), (0, 0, 0, 0)))
        pages, regions = pack([bordered, empty])
        by_name = {r.name: r for r in regions}
        self.assertEqual(by_name["grid.png"].size, (20, 12))
        self.assertEqual(by_name["grid.png"].before, (0, 0))
        self.assertEqual(by_name["empty.png"].size, (1, 1))
        self.assertEqual(by_name["empty.png"].after, (6, 4))

    def test_order_is_by_height_then_name_and_the_same_every_time(self):
        sprites = [Sprite("b.png", Image.new("RGBA", (4, 9), (1, 1, 1, 255))),
                   Sprite("a.png", Image.new("RGBA", (4, 9), (2, 2, 2, 255))),
                   Sprite("c.png", Image.new("RGBA", (4, 20), (3, 3, 3, 255)))]
        pages, regions = pack(sprites)
        boxes = {r.name: r.box for r in regions}
        self.assertLess(boxes["c.png"][0], boxes["a.png"][0])
        self.assertLess(boxes["a.png"][0], boxes["b.png"][0])
        again_pages, again_regions = pack(list(reversed(sprites)))
        self.assertEqual([r.box for r in regions], [r.box for r in again_regions])
        self.assertEqual(pages[0].tobytes(), again_pages[0].tobytes())

    def test_the_collection_names_pages_and_full_region_names(self):
        pages, regions = pack([sprite_with_border("scenes/images/UI/Panel.png", (10, 10),
                                                  (1, 2, 3, 0), 3)])
        text = collection_text(["Menu_0.png"], regions)
        self.assertIn('<a f="Menu_0.png" />', text)
        self.assertIn('n="scenes/images/UI/Panel.png" i="0"', text)
        self.assertIn('b="1,2" a="3,0"', text)

    def test_duplicate_names_and_oversized_pictures_are_refused(self):
        image = Image.new("RGBA", (4, 4), (1, 1, 1, 255))
        with self.assertRaises(ValueError):
            pack([Sprite("x.png", image), Sprite("x.png", image)])
        with self.assertRaises(ValueError):
            pack([Sprite("big.png", Image.new("RGBA", (60, 4), (1, 1, 1, 255)))], max_side=63)


if __name__ == "__main__":
    unittest.main()
