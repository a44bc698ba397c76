"""Pixel work shared by the packer, the font baker and the art kit (straight-alpha RGBA images)."""
import numpy as np
from PIL import Image


def trim_box(image):
    """The box (left, top, right, bottom) of the pixels that are not fully transparent; a 1 x 1
    box at the origin for an image that is transparent everywhere."""
    box = image.getchannel("A").getbbox()
    return box if box else (0, 0, 1, 1)


def extrude(image, padding):
    """The image with `padding` pixels around it that repeat its edge pixels (colour and alpha),
    so that filtering at the edge of a region never reaches its neighbours."""
    array = np.asarray(image.convert("RGBA"))
    padded = np.pad(array, ((padding, padding), (padding, padding), (0, 0)), mode="edge")
    return Image.fromarray(padded, "RGBA")


def bleed(image, rounds=2):
    """Gives transparent pixels the colour of their visible neighbours (alpha stays 0), so that
    filtering a straight-alpha texture never mixes in black. Pixels further than `rounds` from any
    visible pixel take the mean colour of the visible ones."""
    array = np.asarray(image.convert("RGBA"))
    alpha = array[..., 3]
    known = alpha > 0
    if not known.any():
        return image.convert("RGBA")
    colour = np.where(known[..., None], array[..., :3], 0).astype(np.float32)
    height, width = known.shape
    neighbours = [(dy, dx) for dy in range(3) for dx in range(3) if (dy, dx) != (1, 1)]
    for _ in range(rounds):
        if known.all():
            break
        weight = np.pad(known.astype(np.float32), 1)
        source = np.pad(colour * known[..., None], ((1, 1), (1, 1), (0, 0)))
        total = sum(source[dy:dy + height, dx:dx + width] for dy, dx in neighbours)
        count = sum(weight[dy:dy + height, dx:dx + width] for dy, dx in neighbours)
        grow = (~known) & (count > 0)
        colour[grow] = total[grow] / count[grow][:, None]
        known = known | grow
    colour[~known] = array[alpha > 0][:, :3].astype(np.float32).mean(axis=0)
    out = np.dstack([np.clip(np.rint(colour), 0, 255).astype(np.uint8), alpha])
    # visible pixels keep their own colour exactly
    out[alpha > 0] = array[alpha > 0]
    return Image.fromarray(out, "RGBA")


def from_premultiplied_bgra(data, width, height, stride):
    """A straight-alpha RGBA image from cairo's premultiplied native-endian ARGB32 pixels."""
    array = np.frombuffer(bytes(data), np.uint8).reshape(height, stride)[:, :width * 4]
    array = array.reshape(height, width, 4).astype(np.float64)
    b, g, r, a = array[..., 0], array[..., 1], array[..., 2], array[..., 3]
    safe = np.where(a > 0, a, 1.0)
    rgb = np.stack([r, g, b], axis=-1) * 255.0 / safe[..., None]
    rgb = np.where(a[..., None] > 0, rgb, 0.0)
    out = np.dstack([np.clip(np.rint(rgb), 0, 255), a]).astype(np.uint8)
    return Image.fromarray(out, "RGBA")
