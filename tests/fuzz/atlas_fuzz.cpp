// Fuzz target of atlas collection files: arbitrary bytes are loaded as a collection over the page
// "page.png", every region is checked, and the collection is saved and loaded again, which must
// give the same regions.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/io/CXmlReader.h"
#include "engine/video/render2d/AtlasTextureCollection.h"
#include "tests/fuzz/RenderFuzzCommon.h"

using namespace oskel;

namespace {

AtlasTextureCollection* asCollection(CResource* r) {
    return r && r->getTypeCode() == TypeCodeAtlasCollection ? static_cast<AtlasTextureCollection*>(r) : nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::RenderFuzzServices& s = fuzz::services();
    CContentManager* manager = s.makeManager();
    CResource* loaded = s.load(manager, TypeCodeAtlasCollection, data, size);
    AtlasTextureCollection* collection = asCollection(loaded);
    if (loaded && !collection) std::abort();
    if (collection) {
        if (collection->getRegionCount() != collection->getEntries().size()) std::abort();
        for (u32 i = 0; i < collection->getRegionCount(); ++i) {
            const auto& e = collection->getEntries()[i];
            if (e.x1 < e.x0 || e.y1 < e.y0 || e.page >= collection->getPages().size()) std::abort();
            if (!collection->getRegion(i)->getTexture()) std::abort();
        }
        // Saved and read again: the same regions.
        CRefPtr<CVirtualFile> out = makeRef<CVirtualFile>("saved.xml");
        CRefPtr<CXmlWriter> writer = makeRef<CXmlWriter>(out.get());
        writer->writeXMLHeader();
        if (!collection->save(writer.get())) std::abort();
        writer = nullptr;
        out->seek(0);
        CContentManager* second = s.makeManager();
        auto* again = new AtlasTextureCollection(CCreationContext(second, "again.xml"));
        CRefPtr<CXmlReader> reader = makeRef<CXmlReader>(out.get());
        again->load(reader.get());
        if (again->getRegionCount() != collection->getRegionCount()) std::abort();
        for (u32 i = 0; i < again->getRegionCount(); ++i) {
            const auto& a = collection->getEntries()[i];
            const auto& b = again->getEntries()[i];
            if (a.name != b.name || a.page != b.page || a.x0 != b.x0 || a.y1 != b.y1) std::abort();
        }
        again->drop();
        second->drop();
        loaded->drop();
    }
    manager->drop();
    return 0;
}
