#pragma once

#include "engine/content/CResource.h"
#include "engine/video/render2d/CAtlasTexture.h"

namespace oskel {

class CXmlReader;
class CXmlWriter;

// A set of texture pages and the named regions on them ('atxc', loaded afresh for every
// request). Loading registers every region with the content manager under its name, so that
// the regions are found as 'atex' content; the collection keeps them alive as well.
class AtlasTextureCollection : public CResource {
public:
    // A region as the collection file describes it.
    struct SEntry {
        stringc name;
        u32 page = 0;
        s32 x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        vector2df before;
        vector2df after;
    };

    explicit AtlasTextureCollection(const CCreationContext& context);
    ~AtlasTextureCollection() override;

    u32 getTypeCode() const override { return TypeCodeAtlasCollection; }

    // Reads a collection file from before its root element. Relative page names resolve
    // against the content manager's current base path.
    void load(CXmlReader* reader);
    // Writes the pages and the loaded regions in the form load reads; false without a writer.
    [[nodiscard]] bool save(CXmlWriter* writer) const;

    const array<stringc>& getPages() const { return m_pages; }
    // The regions loaded, in file order, each with its pixel rectangle as used.
    const array<SEntry>& getEntries() const { return m_entries; }
    u32 getRegionCount() const { return m_regions.size(); }
    CAtlasTexture* getRegion(u32 index) const { return index < m_regions.size() ? m_regions[index] : nullptr; }

private:
    void clear();
    void readRegion(CXmlReader* reader);

    array<SEntry> m_entries;
    array<stringc> m_pages;
    array<CAtlasTexture*> m_regions;
};

}  // namespace oskel
