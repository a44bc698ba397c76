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


def bleed(image, rounds=4):
    """Gives transparent pixels the colour of their visible neighbours (alpha stays 0), so that
    filtering a straight-alpha texture never mixes in black. Pixels further than `rounds` from any
    visible pixel take the mean colour of the visible ones."""
    array = np.asarray(image.convert("RGBA")).astype(np.float64)
    rgb, alpha = array[..., :3], array[..., 3]
    known = alpha > 0
    if not known.any():
        return image.convert("RGBA")
    colour = np.where(known[..., None], rgb, 0.0)
    for _ in range(rounds):
        if known.all():
            break
        total = np.zeros_like(colour)
        count = np.zeros(known.shape)
        for dy in (-1, 0, 1):
            for dx in (-1, 0, 1):
                if dx == 0 and dy == 0:
                    continue
                shifted_known = _shift(known, dx, dy)
                total += _shift(colour, dx, dy) * shifted_known[..., None]
                count += shifted_known
        grow = (~known) & (count > 0)
        colour[grow] = total[grow] / count[grow][:, None]
        known = known | grow
    mean = rgb[alpha > 0].mean(axis=0)
    colour[~known] = mean
    out = np.dstack([np.clip(np.rint(colour), 0, 255), alpha]).astype(np.uint8)
    # Visible pixels keep their own colour exactly.
    visible = alpha > 0
    out[visible, :3] = array[visible, :3].astype(np.uint8)
    return Image.fromarray(out, "RGBA")


def _shift(array, dx, dy):
    """The array moved by (dx, dy): out[y, x] = array[y - dy, x - dx], zero outside."""
    out = np.zeros_like(array)
    height, width = array.shape[:2]
    ys = slice(max(dy, 0), height + min(dy, 0))
    xs = slice(max(dx, 0), width + min(dx, 0))
    ys_src = slice(max(-dy, 0), height + min(-dy, 0))
    xs_src = slice(max(-dx, 0), width + min(-dx, 0))
    out[ys, xs] = array[ys_src, xs_src]
    return out


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


def alpha_over(bottom, top):
    """Straight-alpha 'over' of two same-size RGBA arrays (floats 0..1, shape h x w x 4)."""
    ta, ba = top[..., 3:4], bottom[..., 3:4]
    out_a = ta + ba * (1 - ta)
    safe = np.where(out_a > 0, out_a, 1.0)
    rgb = (top[..., :3] * ta + bottom[..., :3] * ba * (1 - ta)) / safe
    return np.concatenate([np.where(out_a > 0, rgb, 0.0), out_a], axis=-1)
