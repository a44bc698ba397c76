// Writes seed files for the atlas collection fuzz target into the folder given as the argument:
// collections over the page "page.png" written with the engine's XML writer.
#include "tests/fuzz/RenderFuzzCommon.h"

using namespace oskel;

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    const std::string folder = argv[1];
    bool ok = fuzz::saveSeed(folder, "regions.xml", fuzz::writeXmlBytes([](CXmlWriter& w) {
        w.writeElement(L"AtlasTextureCollection");
        w.writeElement(L"a", true, L"f", L"page.png");
        w.writeElement(L"a", true, L"f", L"missing.png");
        w.writeElement(L"t", true, L"n", L"Coin0007.png", L"i", L"0", L"r", L"1,2,11,12", L"b", L"1.5,-2", L"a", L"3,4");
        w.writeElement(L"t", true, L"n", L"Wrong.png", L"i", L"0.9", L"r", L"5 5");
        w.writeElement(L"t", true, L"n", L"Gone.png", L"i", L"1", L"r", L"0,0,1,1");
        w.writeElement(L"t", true, L"n", L"./dir\\..\\Frame123456789012.png", L"i", L"-1", L"r", L"-,-,-,-");
        w.writeClosingTag(L"AtlasTextureCollection");
    }));
    ok = fuzz::saveSeed(folder, "numbers.xml", fuzz::writeXmlBytes([](CXmlWriter& w) {
             w.writeElement(L"AtlasTextureCollection");
             w.writeElement(L"a", true, L"f", L"page.png");
             w.writeElement(L"t", true, L"n", L"Big.png", L"i", L"0", L"r", L"1e38,-1e38,3e9,99999999999",
                            L"b", L"1e-50,-0");
             w.writeElement(L"t", true, L"n", L"Frac.png", L"i", L"0", L"r", L"10.7, 20.2, 30.9, 40.5");
             w.writeClosingTag(L"AtlasTextureCollection");
         })) && ok;
    return ok ? 0 : 1;
}
