// Fuzz target of font files: arbitrary bytes are loaded as a font over the atlas texture
// "glyphs.png"; every glyph is looked up, and texts made of the file's characters and line ends
// are measured.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/video/render2d/CFont.h"
#include "tests/fuzz/RenderFuzzCommon.h"

using namespace oskel;

namespace {
volatile f32 g_sink = 0.0f;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::RenderFuzzServices& s = fuzz::services();
    CContentManager* manager = s.makeManager();
    CResource* loaded = s.load(manager, TypeCodeFont, data, size);
    if (loaded) {
        if (loaded->getTypeCode() != TypeCodeFont) std::abort();
        auto* font = static_cast<CFont*>(loaded);
        f32 sum = font->getLineHeight();
        // A text of every byte of the input (as characters) with line ends between.
        stringw text;
        for (size_t i = 0; i < size && i < 512; ++i) text.append(static_cast<wchar_t>(data[i]));
        text.append(L"\r\n\n\r\x1F600");
        vector2df dimension;
        font->getTextDimension(dimension, text.c_str(), vector2df(1.0f, 2.0f));
        sum += dimension.X + dimension.Y;
        for (u32 c = 0; c < 300; ++c) {
            vector2df rect;
            font->getGlyphRect(rect, c, (c & 1) != 0);
            sum += rect.X + rect.Y + static_cast<f32>(font->getKerning(c, c + 1));
            const SFontGlyph* glyph = font->getGlyph(font->getGlyphIndex(c));
            if (glyph) {
                CAtlasTexture* page = font->getPage(glyph->page);
                if (page) sum += page->getTextureCoords().right;
            } else if (font->getGlyphCount() != 0) {
                std::abort();  // every lookup of a font with glyphs finds one
            }
        }
        g_sink = g_sink + (std::isfinite(sum) ? 1.0f : 0.0f);
        loaded->drop();
    }
    manager->drop();
    return 0;
}
