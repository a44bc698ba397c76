#include "engine/video/render2d/AtlasTextureCollection.h"

#include <cstdio>

#include "engine/content/IContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/core/StringUtils.h"
#include "engine/io/CXmlReader.h"
#include "engine/io/CXmlWriter.h"

namespace oskel {

namespace {

s32 truncateToInt(f32 value) {
    // Out-of-range values saturate instead of overflowing the conversion.
    if (!(value == value)) return 0;
    if (value >= 2147483520.0f) return 2147483520;
    if (value <= -2147483520.0f) return -2147483520;
    return static_cast<s32>(value);
}

stringw decimalW(long long value) {
    char text[32];
    std::snprintf(text, sizeof(text), "%lld", value);
    return widenLatin1(text);
}

stringw floatW(f32 value) {
    char text[48];
    std::snprintf(text, sizeof(text), "%.9g", static_cast<double>(value));
    return widenLatin1(text);
}

}  // namespace

AtlasTextureCollection::AtlasTextureCollection(const CCreationContext& context) : CResource(context) {
    setSharingFlags(ERF_NOT_CACHED);
}

AtlasTextureCollection::~AtlasTextureCollection() { clear(); }

void AtlasTextureCollection::clear() {
    for (u32 i = 0; i < m_regions.size(); ++i) m_regions[i]->drop();
    m_regions.clear();
    m_entries.clear();
    m_pages.clear();
}

void AtlasTextureCollection::load(CXmlReader* reader) {
    clear();
    if (!getContentManager() || !reader) return;
    while (reader->read()) {
        const EXmlNodeType type = reader->getNodeType();
        const stringw& name = reader->getNodeName();
        if (type == XmlNodeElement) {
            if (name == L"a") {
                m_pages.push_back(narrowLowBytes(reader->getAttributeValue(L"f").c_str()));
            } else if (name == L"t") {
                readRegion(reader);
            }
        } else if (type == XmlNodeElementEnd && name == L"AtlasTextureCollection") {
            break;
        }
    }
}

void AtlasTextureCollection::readRegion(CXmlReader* reader) {
    IContentManager* manager = getContentManager();
    SEntry entry;
    entry.name = normalizeAtlasName(narrowLowBytes(reader->getAttributeValue(L"n").c_str()));
    const f32 pageNumber = reader->getAttributeValueAsFloat(L"i", 0.0f);
    f32 rect[4];
    scanAtlasNumbers(reader->getAttributeValue(L"r").c_str(), rect, 4);
    f32 pair[2];
    scanAtlasNumbers(reader->getAttributeValue(L"b").c_str(), pair, 2);
    entry.before.set(pair[0], pair[1]);
    scanAtlasNumbers(reader->getAttributeValue(L"a").c_str(), pair, 2);
    entry.after.set(pair[0], pair[1]);

    // A negative or too large page index names no page read so far.
    if (entry.name.empty() || !(pageNumber > -1.0f) || pageNumber >= static_cast<f32>(m_pages.size()))
        return;
    entry.page = static_cast<u32>(pageNumber);

    CResource* content = manager->getContentByPath(TypeCodeTexture, m_pages[entry.page], true);
    if (!content) return;
    auto* page = dynamic_cast<CTextureResource*>(content);
    if (!page) {
        content->drop();
        return;
    }
    ITexture* texture = page->getTexture();
    if (!texture) {
        // No driver texture (no driver, or the driver is being replaced): nothing to measure.
        CLogger::instance().logHint("Atlas page has no texture", m_pages[entry.page].c_str(), LogWarning);
        page->drop();
        return;
    }

    entry.x0 = truncateToInt(rect[0]);
    entry.y0 = truncateToInt(rect[1]);
    entry.x1 = truncateToInt(rect[2]);
    entry.y1 = truncateToInt(rect[3]);
    if (entry.x1 < entry.x0 || entry.y1 < entry.y0) {
        const dimension2di& image = texture->getOriginalSize();
        entry.x0 = 0;
        entry.y0 = 0;
        entry.x1 = image.Width;
        entry.y1 = image.Height;
        CLogger::instance().logHint("WARN: image has wrong rectangle", entry.name.c_str(), LogWarning);
    }

    // Pages may have any size: the coordinates are fractions of the texture itself.
    const dimension2di& size = texture->getSize();
    const f32 w = size.Width > 0 ? static_cast<f32>(size.Width) : 1.0f;
    const f32 h = size.Height > 0 ? static_cast<f32>(size.Height) : 1.0f;
    SAtlasCoords coords;
    coords.left = static_cast<f32>(entry.x0) / w;
    coords.top = static_cast<f32>(entry.y0) / h;
    coords.right = static_cast<f32>(entry.x1) / w;
    coords.bottom = static_cast<f32>(entry.y1) / h;

    auto* region = new CAtlasTexture(CCreationContext(manager, entry.name), page, coords,
                                     entry.before, entry.after);
    if (manager->registerContent(region))
        CLogger::instance().logHint("Added atlas texture", entry.name.c_str(), LogInformation);
    m_regions.push_back(region);  // the collection keeps the creating reference
    m_entries.push_back(entry);
    page->drop();
}

bool AtlasTextureCollection::save(CXmlWriter* writer) const {
    if (!writer) return false;
    writer->writeElement(L"AtlasTextureCollection");
    writer->writeLineBreak();
    for (u32 i = 0; i < m_pages.size(); ++i) {
        const stringw file = widenLatin1(m_pages[i]);
        writer->writeElement(L"a", true, L"f", file.c_str());
        writer->writeLineBreak();
    }
    for (u32 i = 0; i < m_entries.size(); ++i) {
        const SEntry& e = m_entries[i];
        const stringw name = widenLatin1(e.name);
        const stringw page = decimalW(e.page);
        stringw rect = decimalW(e.x0);
        rect += L",";
        rect += decimalW(e.y0);
        rect += L",";
        rect += decimalW(e.x1);
        rect += L",";
        rect += decimalW(e.y1);
        stringw before = floatW(e.before.X);
        before += L",";
        before += floatW(e.before.Y);
        stringw after = floatW(e.after.X);
        after += L",";
        after += floatW(e.after.Y);
        writer->writeElement(L"t", true, L"n", name.c_str(), L"i", page.c_str(), L"r", rect.c_str(),
                             L"b", before.c_str(), L"a", after.c_str());
        writer->writeLineBreak();
    }
    writer->writeClosingTag(L"AtlasTextureCollection");
    writer->writeLineBreak();
    return writer->isGood();
}

}  // namespace oskel
