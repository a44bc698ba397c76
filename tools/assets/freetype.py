"""A few FreeType calls (through the library Pillow itself uses) for the font baker's metrics:
hinted advances, kerning pairs from the font's kerning table, and which characters have glyphs.
"""
import ctypes
import ctypes.util
import functools

FT_LOAD_DEFAULT = 0
FT_KERNING_DEFAULT = 0


class _Vector(ctypes.Structure):
    _fields_ = [("x", ctypes.c_long), ("y", ctypes.c_long)]


@functools.lru_cache(maxsize=None)
def _library():
    path = ctypes.util.find_library("freetype")
    if not path:
        raise RuntimeError("FreeType (libfreetype6) is not installed")
    lib = ctypes.CDLL(path)
    lib.FT_Init_FreeType.argtypes = [ctypes.POINTER(ctypes.c_void_p)]
    lib.FT_New_Face.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_long,
                                ctypes.POINTER(ctypes.c_void_p)]
    lib.FT_Set_Pixel_Sizes.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_uint]
    lib.FT_Get_Char_Index.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    lib.FT_Get_Char_Index.restype = ctypes.c_uint
    lib.FT_Get_Advance.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int32,
                                   ctypes.POINTER(ctypes.c_long)]
    lib.FT_Get_Kerning.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_uint, ctypes.c_uint,
                                   ctypes.POINTER(_Vector)]
    handle = ctypes.c_void_p()
    if lib.FT_Init_FreeType(ctypes.byref(handle)) != 0:
        raise RuntimeError("FreeType did not start")
    return lib, handle


class Face:
    """One font file at one pixel size (the size Pillow's truetype() gives the same font)."""

    def __init__(self, path, pixel_size):
        lib, handle = _library()
        self._lib = lib
        self._face = ctypes.c_void_p()
        if lib.FT_New_Face(handle, path.encode(), 0, ctypes.byref(self._face)) != 0:
            raise RuntimeError("FreeType cannot open " + path)
        if lib.FT_Set_Pixel_Sizes(self._face, 0, pixel_size) != 0:
            raise RuntimeError("FreeType cannot size %s to %d" % (path, pixel_size))

    def glyph_index(self, char):
        return self._lib.FT_Get_Char_Index(self._face, ord(char))

    def has_glyph(self, char):
        return self.glyph_index(char) != 0

    def advance(self, char):
        """The hinted advance in whole pixels."""
        value = ctypes.c_long()
        if self._lib.FT_Get_Advance(self._face, self.glyph_index(char), FT_LOAD_DEFAULT,
                                    ctypes.byref(value)) != 0:
            raise RuntimeError("no advance for %r" % char)
        return round(value.value / 65536)

    def kerning(self, first, second):
        """The grid-fitted kerning of a pair in whole pixels (0 for most pairs)."""
        vector = _Vector()
        if self._lib.FT_Get_Kerning(self._face, self.glyph_index(first), self.glyph_index(second),
                                    FT_KERNING_DEFAULT, ctypes.byref(vector)) != 0:
            return 0
        return round(vector.x / 64)

    def text_width(self, text):
        """FreeType's width of one line laid out with hinted advances and pair kerning."""
        width = 0
        for index, char in enumerate(text):
            width += self.advance(char)
            if index + 1 < len(text):
                width += self.kerning(char, text[index + 1])
        return width
