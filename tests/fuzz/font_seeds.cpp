// Writes seed files for the font fuzz target into the folder given as the argument: bitmap fonts
// over the atlas texture "glyphs.png" written with the engine's XML writer.
#include "engine/properties/CPropertySet.h"
#include "tests/fuzz/RenderFuzzCommon.h"

using namespace oskel;

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    const std::string folder = argv[1];
    bool ok = fuzz::saveSeed(folder, "font.ofnt", fuzz::writeXmlBytes([](CXmlWriter& w) {
        w.writeElement(L"Font", false, L"Type", L"Bitmap");
        CRefPtr<CPropertySet> set = makeRef<CPropertySet>();
        set->addVector2d("GlobalKerning", vector2df(1.0f, 2.0f));
        set->addFloat("OriginalSize", 20.0f);
        set->writeXml(&w, false, L"Properties");
        w.writeElement(L"Texture", true, L"Filename", L"glyphs.png");
        w.writeElement(L"Texture", true, L"Filename", L"missing.png");
        w.writeElement(L"c", true, L"c", L"A", L"r", L"0,0,10,12", L"b", L"1,2", L"a", L"2,1");
        w.writeElement(L"c", true, L"c", L" ", L"r", L"0,0,4,0", L"i", L"1");
        const wchar_t smiley[] = {0x1F600, 0};
        w.writeElement(L"c", true, L"c", smiley, L"r", L"20,0,36,16", L"i", L"7");
        w.writeElement(L"k", true, L"c", L"AV", L"k", L"-3");
        w.writeElement(L"k", true, L"c", L"A\n", L"k", L"5");
        w.writeClosingTag(L"Font");
    }));
    ok = fuzz::saveSeed(folder, "empty.ofnt", fuzz::writeXmlBytes([](CXmlWriter& w) {
             w.writeElement(L"Font", false, L"Type", L"Bitmap");
             w.writeElement(L"k", true, L"c", L"ab", L"k", L"1e12");
             w.writeClosingTag(L"Font");
         })) && ok;
    return ok ? 0 : 1;
}
