"""Paths, deterministic file encoders and the XML text helpers every generator shares.

Every generator writes through an `Output`: a mapping from a path relative to the repository to
the file's bytes. The runner (tools/make_assets.py) decides where the files land (the repository
itself, or a scratch folder for checking), so a generator never touches the disk on its own.
"""
import hashlib
import io
import os

REPO = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
PACKAGE = os.path.join(REPO, "tools", "assets")
ASSETS = "assets"  # the asset root, relative to the repository

BOM = b"\xef\xbb\xbf"
XML_DECLARATION = '<?xml version="1.0" encoding="utf-8"?>\n'


def asset(path):
    """The repository-relative path of a file under the asset root."""
    return ASSETS + "/" + path


class Output:
    """The files one generator makes, by repository-relative path (forward slashes)."""

    def __init__(self):
        self.files = {}

    def add(self, path, data):
        if isinstance(data, str):
            data = data.encode("utf-8")
        if path in self.files and self.files[path] != data:
            raise ValueError("two different contents for " + path)
        self.files[path] = data

    def add_xml(self, path, text):
        """An XML or scene file: UTF-8 with a byte-order mark and the declaration."""
        self.add(path, xml_document(text))

    def add_png(self, path, image):
        self.add(path, png_bytes(image))

    def add_jpeg(self, path, image, quality=90):
        self.add(path, jpeg_bytes(image, quality))

    def update(self, other):
        for path, data in other.files.items():
            self.add(path, data)


def xml_document(body):
    if not body.endswith("\n"):
        body += "\n"
    return BOM + (XML_DECLARATION + body).encode("utf-8")


# --- Images ---------------------------------------------------------------------------------

def png_bytes(image):
    """PNG bytes of a Pillow image: fixed compression, no optional chunks (no time, no text)."""
    out = io.BytesIO()
    image.save(out, format="PNG", compress_level=9, optimize=False)
    return out.getvalue()


def jpeg_bytes(image, quality=90):
    """Baseline JPEG bytes of an opaque image, fixed quality and subsampling, no metadata."""
    out = io.BytesIO()
    image.convert("RGB").save(out, format="JPEG", quality=quality, subsampling=0, optimize=False,
                              progressive=False)
    return out.getvalue()


# --- XML text -------------------------------------------------------------------------------

_ESCAPES = {"&": "&amp;", "<": "&lt;", ">": "&gt;", '"': "&quot;", "'": "&apos;",
            "\r": "&#xD;", "\n": "&#xA;"}


def escape(text):
    """Text for an attribute value or element content, escaped as the engine's XML writer does
    (the engine's reader decodes exactly these entities)."""
    return "".join(_ESCAPES.get(c, c) for c in text)


def element(name, attributes=(), empty=True):
    """One tag: `name` with its attributes in the given order (pairs of name and text)."""
    parts = ["<" + name]
    for key, value in attributes:
        parts.append(' %s="%s"' % (key, escape(str(value))))
    parts.append(" />" if empty else ">")
    return "".join(parts)


def fmt_float(value):
    """A float as the engine writes one: six digits after the point, no exponent."""
    text = "%f" % float(value)
    return "0.000000" if text == "-0.000000" else text


def fmt_floats(values):
    return ";".join(fmt_float(v) for v in values)


def stable_seed(*parts):
    """A 32-bit number that depends only on the given texts (for random generators and serials)."""
    digest = hashlib.sha256("\x1f".join(str(p) for p in parts).encode("utf-8")).digest()
    return int.from_bytes(digest[:4], "big")
