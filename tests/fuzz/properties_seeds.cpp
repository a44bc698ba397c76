// Writes seed files for the property set fuzz target into the folder given as the argument:
// property sets of every value type written by the engine's own writer, and a few hand-made
// documents (unregistered types, stray tags, deep nesting).
#include <cstdio>
#include <string>

#include "engine/io/CMemoryFile.h"
#include "engine/io/CXmlWriter.h"
#include "engine/properties/CPropertyData.h"
#include "engine/properties/CPropertySet.h"

using namespace oskel;

namespace {

CRefPtr<CPropertySet> newSet() { return makeRef<CPropertySet>(); }

std::string written(const CPropertySet& set, const wchar_t* elementName) {
    CRefPtr<CVirtualFile> file = makeRef<CVirtualFile>("seed.xml");
    {
        CRefPtr<CXmlWriter> writer = makeRef<CXmlWriter>(file.get());
        set.writeXml(writer.get(), true, elementName);
    }
    std::string bytes(static_cast<size_t>(file->getSize()), '\0');
    file->seek(0);
    if (!bytes.empty()) file->read(&bytes[0], static_cast<u32>(bytes.size()));
    return bytes;
}

bool save(const std::string& folder, const char* name, const std::string& bytes) {
    const std::string path = folder + "/" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

CRefPtr<CPropertySet> everyType() {
    CRefPtr<CPropertySet> set = newSet();
    set->addInt("Level", -3);
    set->addBool("Active", true);
    set->addFloat("Scale", 0.1234567f);
    set->addColor("Tint", irr::video::SColor(0x80ff0000u));
    set->addProperty("Colorf", CRefPtr<IPropertyData>::fromRaw(
                                   new CPropertyDataColorf(irr::video::SColorf(0.5f, 0.25f, 1.0f, 0.0f))));
    set->addVector2d("Pivot", vector2df(0.5f, 0.5f));
    set->addVector3d("Position", vector3df(100.0f, 50.0f, -1e-9f));
    set->addProperty("Bounds", CRefPtr<IPropertyData>::fromRaw(new CPropertyDataRect(rectf(0, 0, 1024, 768))));
    set->addString("Name", "Main & <Menu>");
    set->addStringW("Caption", L"Caf\u00e9 \u4e2d");
    array<stringw> strings;
    strings.push_back(L"one");
    strings.push_back(L"two");
    set->addStringWArray("Items", strings);
    CRefPtr<CPropertySet> nested = newSet();
    nested->addInt("Inner", 1);
    set->addProperties("Nested", nested.get());
    // Resource values are written as their names.
    set->addProperty("Font", makeStringProperty("a"));
    return set;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    bool ok = save(folder, "every-type.xml", written(*everyType(), L""));
    ok = save(folder, "parameters.xml", written(*everyType(), L"Parameters")) && ok;

    std::string deep = "<Properties>";
    for (int i = 0; i < 40; ++i) deep += "<properties Name=\"P\"><int Name=\"I\" Value=\"1\"/>";
    for (int i = 0; i < 40; ++i) deep += "</properties>";
    deep += "</Properties>";
    ok = save(folder, "deep.xml", deep) && ok;

    ok = save(folder, "hand-made.xml",
              "<Properties><mystery Name=\"X\"><int Name=\"Y\" Value=\"2\"/></mystery>"
              "<font Name=\"F\" Value=\"a\"/><sound Name=\"S\" Value=\"a\"/><atlasTexture Name=\"T\" Value=\"a\"/>"
              "<font Name=\"B\" Value=\"b\"/><stringwArray Name=\"L\"><stringw Value=\"x\"/></stringwArray>"
              "<float Name=\"F2\" Value=\"1e39\"/><color Name=\"C\" Value=\"-0x1\"/>"
              "<vector3d Name=\"V\" Value=\"a-1b2\"/></stray><int Value=\"1\"/></Properties>") &&
         ok;
    return ok ? 0 : 1;
}
