// Writes seed files for the particle fuzz target into the folder given as the argument:
// collections of point and rectangle emitters written with the engine's XML writer.
#include "engine/properties/CPropertySet.h"
#include "tests/fuzz/RenderFuzzCommon.h"

using namespace oskel;

namespace {

void emitter(CXmlWriter& w, const wchar_t* type, const char* name, bool rectangle) {
    w.writeElement(L"ParticleEmitter", false, L"Type", type);
    CRefPtr<CPropertySet> set = makeRef<CPropertySet>();
    set->addString("Name", name);
    set->addVector2d("PPSRange", vector2df(100.0f, 400.0f));
    set->addVector2d("LifeTimeRange", vector2df(0.0f, 3000.0f));
    if (rectangle) {
        set->addVector2d("XRange", vector2df(10.0f, 50.0f));
        set->addVector2d("YRange", vector2df(5.0f, 20.0f));
    } else {
        set->addVector2d("RadiusRange", vector2df(0.0f, 10.0f));
    }
    set->addVector2d("VelocityXRange", vector2df(-10.0f, 10.0f));
    set->addVector2d("AccelerationYRange", vector2df(5.0f, 9.0f));
    set->addColor("ColorStart", irr::video::SColor(0xFF0000FFu));
    set->addColor("ColorEnd", irr::video::SColor(0x000000FFu));
    set->addFloat("ScaleVariation", 0.5f);
    set->addVector2d("ScaleRange", vector2df(1.0f, 2.0f));
    set->writeXml(&w, false, L"Properties");
    w.writeClosingTag(L"ParticleEmitter");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    const std::string folder = argv[1];
    bool ok = fuzz::saveSeed(folder, "collection.xml", fuzz::writeXmlBytes([](CXmlWriter& w) {
        w.writeElement(L"ParticleCollection");
        emitter(w, L"PointEmitter", "Sparks", false);
        emitter(w, L"RectangleEmitter", "Rain", true);
        w.writeElement(L"ParticleEmitter", true, L"Type", L"PointEmitter");
        emitter(w, L"BaseEmitter", "Smoke", false);
        w.writeClosingTag(L"ParticleCollection");
    }));
    ok = fuzz::saveSeed(folder, "emitter.pemt", fuzz::writeXmlBytes([](CXmlWriter& w) {
             emitter(w, L"PointEmitter", "Smoke", false);
         })) && ok;
    return ok ? 0 : 1;
}
