#include "engine/video/render2d/CAtlasTexture.h"

#include <cstdio>

#include "engine/core/StringUtils.h"
#include "engine/io/PathUtils.h"

namespace oskel {

CAtlasTexture::CAtlasTexture(const CCreationContext& context, CTextureResource* texture,
                             const SAtlasCoords& coords, const vector2df& before,
                             const vector2df& after)
    : CResource(context), m_texture(texture), m_coords(coords), m_before(before), m_after(after) {
    setSharingFlags(ERF_SHARED);
    splitName(getName(), m_baseName, m_extension, m_frameIndex);
}

void CAtlasTexture::splitName(const stringc& name, stringc& baseName, stringc& extension,
                              s32& frameIndex) {
    baseName = stringc();
    extension = stringc();
    frameIndex = -1;
    if (name.empty()) return;

    // p is the position of the character looked at; -1 stands before the first one.
    s32 p = static_cast<s32>(name.size()) - 1;
    while (p >= 0 && name[p] != '.') --p;
    s32 stemEnd = static_cast<s32>(name.size()) - 1;  // last character before the extension
    if (p > 0) {
        extension = name.subString(p, name.size() - p);
        stemEnd = p - 1;
    } else {
        // No '.': the scan passed the first character, and the name has neither a base name
        // nor a frame number. A '.' at the first character only: that '.' is the base name.
        stemEnd = p;
    }
    p = stemEnd;

    s32 frame = 0;
    s32 weight = 1;
    u32 digits = 0;
    while (p >= 0 && name[p] >= '0' && name[p] <= '9') {
        if (digits == MaxFrameDigits) {
            // Too long for a frame number: the digits stay part of the base name.
            digits = 0;
            p = stemEnd;
            frame = 0;
            break;
        }
        frame += (name[p] - '0') * weight;
        weight *= 10;
        ++digits;
        --p;
    }
    frameIndex = digits > 0 ? frame : -1;
    if (p >= 0) baseName = name.subString(0, p + 1);
}

stringc CAtlasTexture::makeFrameName(s32 frame) const {
    char digits[16];
    std::snprintf(digits, sizeof(digits), "%04d", frame);
    stringc result = m_baseName;
    result += digits;
    result += m_extension;
    return result;
}

u32 scanAtlasNumbers(const wchar_t* text, f32* out, u32 count) {
    for (u32 i = 0; i < count; ++i) out[i] = 0.0f;
    if (!text) return 0;
    u32 read = 0;
    const wchar_t* p = text;
    while (*p && read < count) {
        if (*p != L'-' && (*p < L'0' || *p > L'9')) {
            ++p;
            continue;
        }
        f32 value = 0.0f;
        const wchar_t* next = parseWideFloat(p, value);
        // A lone '-' reads as 0; the parser always moves past it, but never trust that.
        p = next && next > p ? next : p + 1;
        out[read++] = value + 0.0f;  // no negative zero
    }
    return read;
}

stringc normalizeAtlasName(const stringc& name) {
    // Absolute names are looked up as they stand.
    if (name.empty() || !isRelativePath(name)) return name;
    // Resolving against a file in the current folder resolves only the name's own components.
    return resolvePath(stringc("./x"), name);
}

}  // namespace oskel
