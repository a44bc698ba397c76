// The material state both real drivers share: which groups of fields changed, the application
// of a material through its renderer, and the API-free halves of the per-material tables.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/video/CMaterialState.h"
#include "engine/video/CNullDriver.h"
#include "tests/support/TestSupport.h"

using namespace oskel;

namespace {

using Changes = SMaterialChanges;

// The groups of a change set, by name, for readable failures.
std::vector<std::string> groupsOf(const Changes& c) {
    std::vector<std::string> g;
    const std::pair<bool, const char*> flags[] = {{c.Colors, "colours"},
                                                  {c.Specular, "specular"},
                                                  {c.ColorMaterial, "colour material"},
                                                  {c.FillMode, "fill mode"},
                                                  {c.Shading, "shading"},
                                                  {c.Lighting, "lighting"},
                                                  {c.ZBuffer, "depth test"},
                                                  {c.ZWrite, "depth writing"},
                                                  {c.Culling, "culling"},
                                                  {c.Fog, "fog"},
                                                  {c.NormalizeNormals, "normalising"},
                                                  {c.ColorMask, "colour mask"},
                                                  {c.AntiAliasing, "anti-aliasing"},
                                                  {c.Thickness, "thickness"},
                                                  {c.TypeParameters, "type parameters"}};
    for (const auto& f : flags)
        if (f.first) g.push_back(f.second);
    for (u32 i = 0; i < c.LayerCount; ++i) {
        const Changes::SLayer& l = c.Layers[i];
        const std::string layer = "layer " + std::to_string(i) + " ";
        if (l.Texture) g.push_back(layer + "texture");
        if (l.TextureMatrix) g.push_back(layer + "matrix");
        if (l.Wrap) g.push_back(layer + "wrap");
        if (l.Filter) g.push_back(layer + "filter");
        if (l.LODBias) g.push_back(layer + "bias");
    }
    return g;
}

TEST(MaterialChanges, EachFieldAloneChangesItsGroupOnly) {
    auto* texture = reinterpret_cast<CTextureResource*>(16);
    const struct {
        std::function<void(SMaterial&)> change;
        std::vector<std::string> groups;
    } cases[] = {
        {[](SMaterial& m) { m.AmbientColor = SColor(1); }, {"colours"}},
        {[](SMaterial& m) { m.DiffuseColor = SColor(1); }, {"colours"}},
        {[](SMaterial& m) { m.EmissiveColor = SColor(1); }, {"colours"}},
        {[](SMaterial& m) { m.SpecularColor = SColor(1); }, {"specular"}},
        {[](SMaterial& m) { m.Shininess = 3.0f; }, {"specular"}},
        {[](SMaterial& m) { m.ColorMaterial = ECM_NONE; }, {"colour material"}},
        {[](SMaterial& m) { m.Wireframe = true; }, {"fill mode"}},
        {[](SMaterial& m) { m.PointCloud = true; }, {"fill mode"}},
        {[](SMaterial& m) { m.GouraudShading = false; }, {"shading"}},
        {[](SMaterial& m) { m.Lighting = false; }, {"lighting"}},
        {[](SMaterial& m) { m.ZBuffer = ECFN_ALWAYS; }, {"depth test"}},
        {[](SMaterial& m) { m.ZWriteEnable = false; }, {"depth writing"}},
        {[](SMaterial& m) { m.BackfaceCulling = false; }, {"culling"}},
        {[](SMaterial& m) { m.FrontfaceCulling = true; }, {"culling"}},
        {[](SMaterial& m) { m.FogEnable = true; }, {"fog"}},
        {[](SMaterial& m) { m.NormalizeNormals = true; }, {"normalising"}},
        {[](SMaterial& m) { m.ColorMask = 7; }, {"colour mask"}},
        {[](SMaterial& m) { m.AntiAliasing = EAAM_QUALITY; }, {"anti-aliasing"}},
        {[](SMaterial& m) { m.Thickness = 2.0f; }, {"thickness"}},
        {[](SMaterial& m) { m.MaterialTypeParam = 0.5f; }, {"type parameters"}},
        {[](SMaterial& m) { m.MaterialTypeParam2 = 0.5f; }, {"type parameters"}},
        {[&](SMaterial& m) { m.TextureLayer[1].Texture = texture; }, {"layer 1 texture"}},
        {[](SMaterial& m) { m.TextureLayer[2].setTextureMatrix(matrix4() * 2.0f); },
         {"layer 2 matrix"}},
        {[](SMaterial& m) { m.TextureLayer[0].TextureWrap = ETW_CLAMP; }, {"layer 0 wrap"}},
        {[](SMaterial& m) { m.TextureLayer[3].BilinearFilter = false; }, {"layer 3 filter"}},
        {[](SMaterial& m) { m.TextureLayer[3].TrilinearFilter = true; }, {"layer 3 filter"}},
        {[](SMaterial& m) { m.TextureLayer[0].AnisotropicFilter = 4; }, {"layer 0 filter"}},
        {[](SMaterial& m) { m.TextureLayer[1].LODBias = -8; }, {"layer 1 bias"}},
        // The type itself is no state group: its renderer's own states follow it.
        {[](SMaterial& m) { m.MaterialType = EMT_TRANSPARENT_ADD_COLOR; }, {}},
    };
    const SMaterial last;
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SMaterial m;
        cases[i].change(m);
        const Changes changes = compareMaterials(m, last, false);
        EXPECT_EQ(groupsOf(changes), cases[i].groups) << "case " << i;
        EXPECT_EQ(changes.any(), !cases[i].groups.empty()) << "case " << i;
    }
    // The same material changes nothing; a reset changes every group of every used layer.
    EXPECT_FALSE(compareMaterials(last, last, false).any());
    const Changes all = compareMaterials(last, last, true);
    EXPECT_EQ(groupsOf(all).size(), 15u + 4u * 5u);
}

TEST(MaterialChanges, LayersTheLastMaterialDidNotUseCountAsChanged) {
    SMaterial last, m;
    last.LayerCount = 1;
    m.LayerCount = 2;
    const Changes c = compareMaterials(m, last, false);
    EXPECT_EQ(c.LayerCount, 2u);
    EXPECT_FALSE(c.Layers[0].Texture || c.Layers[0].Wrap || c.Layers[0].Filter);
    EXPECT_TRUE(c.Layers[1].Texture && c.Layers[1].Wrap && c.Layers[1].Filter &&
                c.Layers[1].LODBias && c.Layers[1].TextureMatrix);
    // Layers beyond the material's own count are not looked at.
    m.LayerCount = 1;
    m.TextureLayer[3].TextureWrap = ETW_MIRRORED_REPEAT;
    EXPECT_FALSE(compareMaterials(m, last, false).any());
}

// A renderer that writes down what it is told.
class CLoggingRenderer : public IMaterialRenderer {
public:
    CLoggingRenderer(std::vector<std::string>* log, const char* name) : m_log(log), m_name(name) {}
    void OnSetMaterial(const SMaterial& material, const SMaterial& last, bool reset,
                       IMaterialRendererServices*) override {
        m_log->push_back(m_name + " set " + std::to_string(material.MaterialType) + " after " +
                         std::to_string(last.MaterialType) + (reset ? " reset" : ""));
    }
    bool OnRender(IMaterialRendererServices*, u32) override { return true; }
    void OnUnsetMaterial() override { m_log->push_back(m_name + " unset"); }
    bool isTransparent() const override { return false; }
    s32 getRenderCapability() const override { return 0; }

private:
    std::vector<std::string>* m_log;
    std::string m_name;
};

class MaterialApplication : public ::testing::Test {
protected:
    MaterialApplication() : driver(SDeviceParameters(), nullptr) {
        driver.addAndDropMaterialRenderer(new CLoggingRenderer(&log, "solid"), EMT_SOLID);
        driver.addAndDropMaterialRenderer(new CLoggingRenderer(&log, "add"),
                                          EMT_TRANSPARENT_ADD_COLOR);
    }
    static SMaterial ofType(s32 type) {
        SMaterial m;
        m.MaterialType = type;
        return m;
    }
    CNullDriver driver;
    CMaterialState state;
    std::vector<std::string> log;
};

TEST_F(MaterialApplication, ResetChangeAndTypeChangeDecideWhatTheRenderersHear) {
    // A new state sends everything once.
    state.setCurrent(ofType(EMT_SOLID));
    EXPECT_TRUE(state.apply(driver, nullptr));
    EXPECT_FALSE(state.resetRequested());
    // The same material again: nothing.
    state.setCurrent(ofType(EMT_SOLID));
    EXPECT_FALSE(state.apply(driver, nullptr));
    // Another type: the last type's renderer lets go first.
    state.setCurrent(ofType(EMT_TRANSPARENT_ADD_COLOR));
    EXPECT_TRUE(state.apply(driver, nullptr));
    // Without unsetting (a mode that keeps the last renderer's states): set only.
    state.setCurrent(ofType(EMT_SOLID));
    EXPECT_TRUE(state.apply(driver, nullptr, false));
    // A reset or a forced application sends the same material again.
    state.requestReset();
    EXPECT_TRUE(state.apply(driver, nullptr));
    EXPECT_TRUE(state.apply(driver, nullptr, true, true));
    // A type without a renderer is left out, and unsetting it later asks nobody.
    state.setCurrent(ofType(40));
    EXPECT_TRUE(state.apply(driver, nullptr));
    EXPECT_EQ(state.currentRenderer(driver), nullptr);
    state.setCurrent(ofType(EMT_SOLID));
    EXPECT_TRUE(state.apply(driver, nullptr));
    const std::vector<std::string> expected = {"solid set 0 after 0 reset",
                                               "solid unset",
                                               "add set 12 after 0",
                                               "solid set 0 after 12",
                                               "solid set 0 after 0 reset",
                                               "solid set 0 after 0",
                                               "solid unset",
                                               "solid set 0 after 40"};
    EXPECT_EQ(log, expected);
    EXPECT_EQ(state.last().MaterialType, EMT_SOLID);
}

TEST_F(MaterialApplication, TextureResourcesOfBothMaterialsAreHeld) {
    auto* resource = new CTextureResource(CCreationContext(), nullptr, "t");
    SMaterial m = ofType(EMT_SOLID);
    m.TextureLayer[0].Texture = resource;
    state.setCurrent(m);
    EXPECT_EQ(resource->getReferenceCount(), 2);
    state.apply(driver, nullptr);
    EXPECT_EQ(resource->getReferenceCount(), 3);  // current and last
    state.setCurrent(ofType(EMT_SOLID));
    EXPECT_EQ(resource->getReferenceCount(), 2);  // the last material still names it
    state.apply(driver, nullptr);
    EXPECT_EQ(resource->getReferenceCount(), 1);
    // A layer beyond the material's count names nothing.
    m.LayerCount = 0;
    state.setCurrent(m);
    EXPECT_EQ(resource->getReferenceCount(), 1);
    resource->drop();
}

TEST(MaterialTables, DepthWrapColourMaskAndFilters) {
    EXPECT_EQ(depthTestOf(ECFN_NEVER), EDT_OFF);
    for (u8 code = ECFN_LESSEQUAL; code <= ECFN_ALWAYS; ++code)
        EXPECT_EQ(depthTestOf(code), EDT_COMPARE) << int(code);
    EXPECT_EQ(depthTestOf(8), EDT_UNKNOWN);
    EXPECT_EQ(depthTestOf(255), EDT_UNKNOWN);

    for (u8 wrap = ETW_REPEAT; wrap <= ETW_MIRRORED_REPEAT; ++wrap) {
        EXPECT_EQ(addressingOf(wrap).Mode, wrap);
        EXPECT_TRUE(addressingOf(wrap).Known);
    }
    EXPECT_EQ(addressingOf(5).Mode, ETW_REPEAT);
    EXPECT_FALSE(addressingOf(5).Known);

    const struct {
        u8 mask;
        bool r, g, b, a;
    } masks[] = {{15, true, true, true, true},   {0, false, false, false, false},
                 {1, false, false, false, true}, {2, true, false, false, false},
                 {4, false, true, false, false}, {8, false, false, true, false},
                 {14, true, true, true, false}};
    for (const auto& c : masks) {
        const SColorWrite w = colorWriteOf(c.mask);
        EXPECT_EQ(w.Red, c.r) << int(c.mask);
        EXPECT_EQ(w.Green, c.g) << int(c.mask);
        EXPECT_EQ(w.Blue, c.b) << int(c.mask);
        EXPECT_EQ(w.Alpha, c.a) << int(c.mask);
    }

    const struct {
        bool bilinear, trilinear;
        u8 anisotropic;
        bool filtered, smooth, betweenLevels;
    } filters[] = {{false, false, 0, false, false, false}, {true, false, 0, true, true, false},
                   {false, true, 0, true, true, true},     {true, true, 0, true, true, true},
                   {false, false, 8, true, false, false},  {true, false, 4, true, true, false}};
    for (const auto& c : filters) {
        SMaterialLayer layer;
        layer.BilinearFilter = c.bilinear;
        layer.TrilinearFilter = c.trilinear;
        layer.AnisotropicFilter = c.anisotropic;
        const SLayerFiltering f = filteringOf(layer);
        EXPECT_EQ(f.Filtered, c.filtered);
        EXPECT_EQ(f.Smooth, c.smooth);
        EXPECT_EQ(f.BetweenMipLevels, c.betweenLevels);
        EXPECT_EQ(f.Anisotropy, c.anisotropic);
    }
}

}  // namespace
