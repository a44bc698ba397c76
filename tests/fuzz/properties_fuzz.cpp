// Fuzz target of property sets read from XML: arbitrary bytes are read as a property set (with a
// content manager that knows a few resources), every value is turned into text, cloned, compared
// and interpolated, and the set is written and read again. Writing what was read must be stable:
// the second reading writes the same bytes as the first.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/audio/AudioPropertyTypes.h"
#include "engine/core/CLogger.h"
#include "engine/io/CMemoryFile.h"
#include "engine/io/CXmlReader.h"
#include "engine/io/CXmlWriter.h"
#include "engine/properties/CPropertyData.h"
#include "engine/properties/CPropertySet.h"
#include "engine/properties/CPropertyTypeRegistry.h"
#include "engine/video/render2d/RenderPropertyTypes.h"
#include "tests/properties/PropertyTestSupport.h"

using namespace oskel;

namespace {

volatile u32 g_sink = 0;

test::FakeContentManager& contentManager() {
    static test::FakeContentManager* manager = [] {
        // The resource values are registered as the device registers them.
        registerRenderPropertyTypes(CPropertyTypeRegistry::instance());
        registerAudioPropertyTypes(CPropertyTypeRegistry::instance());
        auto* m = new test::FakeContentManager();
        m->add("a", TypeCodeFont);
        m->add("a", TypeCodeSound);
        m->add("a", TypeCodeAtlasTexture);
        m->addMistyped("b", TypeCodeFont, TypeCodeSound);
        return m;
    }();
    return *manager;
}

CRefPtr<CPropertySet> readSet(IReadableFile* file) {
    CRefPtr<CXmlReader> reader = makeRef<CXmlReader>(file);
    while (reader->read())
        if (reader->getNodeType() == XmlNodeElement) break;
    CRefPtr<CPropertySet> set = makeRef<CPropertySet>(&contentManager());
    set->readXml(reader.get(), false);
    return set;
}

std::string writeSet(const CPropertySet& set) {
    CRefPtr<CVirtualFile> file = makeRef<CVirtualFile>("fuzz-out.xml");
    {
        CRefPtr<CXmlWriter> writer = makeRef<CXmlWriter>(file.get());
        set.writeXml(writer.get(), true);
    }
    std::string bytes(static_cast<size_t>(file->getSize()), '\0');
    file->seek(0);
    if (!bytes.empty()) file->read(&bytes[0], static_cast<u32>(bytes.size()));
    return bytes;
}

void exercise(const CPropertySet& set) {
    u32 sum = 0;
    for (u32 i = 0; i < set.getPropertyCount(); ++i) {
        CRefPtr<IPropertyData> value = set.getPropertyAt(i);
        sum += set.getPropertyName(i).size();
        if (!value) continue;
        sum += value->getValueString().size() + value->getValueStringW().size();
        CRefPtr<IPropertyData> copy = value->clone();
        if (!copy || copy->getTypeId() != value->getTypeId()) std::abort();
        // Plain values equal their copies; nested sets are copies, never the same set.
        if (value->getTypeId() != PropertyTypeProperties && !copy->equals(value.get())) std::abort();
        value->prepareInterpolation(copy.get());
        sum += value->interpolate(copy.get(), copy.get(), 0.5f);
        sum += value->interpolate(copy.get(), copy.get(), 1.0f);
        copy->setValueString(value->getValueString().c_str());
        if (value->getTypeId() == PropertyTypeProperties) {
            CPropertySet* nested = static_cast<CPropertyDataProperties*>(value.get())->getProperties();
            if (nested) exercise(*nested);
        }
    }
    g_sink = g_sink + sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = [] {
        CLogger::instance().setOutputHook([](const char*, const char*, s32) {});
        return true;
    }();
    (void)quiet;

    std::vector<u8> bytes(data, data + size);
    CRefPtr<CMemoryFile> file = makeRef<CMemoryFile>(bytes.data(), static_cast<s32>(bytes.size()), "fuzz.xml", false);
    CRefPtr<CPropertySet> set = readSet(file.get());
    exercise(*set);
    exercise(*set->clone());

    const std::string first = writeSet(*set);
    std::vector<u8> firstBytes(first.begin(), first.end());
    CRefPtr<CMemoryFile> again = makeRef<CMemoryFile>(firstBytes.data(), static_cast<s32>(firstBytes.size()), "again.xml", false);
    CRefPtr<CPropertySet> second = readSet(again.get());
    if (writeSet(*second) != first) std::abort();
    return 0;
}
