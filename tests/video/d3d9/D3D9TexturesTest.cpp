// The Direct3D 9 driver's textures and render targets on recorded windowless devices.

#include "engine/video/d3dcommon/D3DMipMaps.h"
#include "engine/video/d3dcommon/D3DTables.h"
#include "tests/video/d3d9/D3D9TestSupport.h"

using namespace oskel;
using namespace oskel::d3d;
using namespace oskel::test;

namespace {

class D3D9Textures : public D3D9Recording {
protected:
    void SetUp() override {
        D3D9Recording::SetUp();
        ASSERT_NE(make(), nullptr);
    }

    CD3D9Texture* texture(CImage* image) {
        auto* t = static_cast<CD3D9Texture*>(driver->createTextureFromImage(image));
        image->drop();
        return t;
    }

    // The 32-bit texels of a level as ARGB rows.
    static std::vector<u32> level32(CD3D9Texture* t, UINT level, UINT& w, UINT& h) {
        D3DSURFACE_DESC desc{};
        t->getD3D9Texture()->GetLevelDesc(level, &desc);
        w = desc.Width;
        h = desc.Height;
        D3DLOCKED_RECT locked{};
        std::vector<u32> texels;
        if (FAILED(t->getD3D9Texture()->LockRect(level, &locked, nullptr, D3DLOCK_READONLY)))
            return texels;
        for (UINT y = 0; y < h; ++y)
            for (UINT x = 0; x < w; ++x) {
                u32 v;
                std::memcpy(&v, static_cast<u8*>(locked.pBits) + y * locked.Pitch + x * 4, 4);
                texels.push_back(v);
            }
        t->getD3D9Texture()->UnlockRect(level);
        return texels;
    }
};

TEST_F(D3D9Textures, PowerOfTwoTexturesHoldTheImageInTheirCorner) {
    driver->setFeatureEnabled(EVDF_TEXTURE_NPOT, false);
    driver->setTextureCreationFlag(ETCF_CREATE_MIP_MAPS, false);
    CD3D9Texture* t = texture(solidImage(100, 60, 0xFF336699u));
    EXPECT_EQ(t->getOriginalSize(), dimension2di(100, 60));
    EXPECT_EQ(t->getSize(), dimension2di(128, 64));
    EXPECT_EQ(t->getPitch(), 128u * 4u);
    UINT w = 0, h = 0;
    const std::vector<u32> texels = level32(t, 0, w, h);
    ASSERT_EQ(texels.size(), 128u * 64u);
    EXPECT_EQ(texels[0], 0xFF336699u);
    EXPECT_EQ(texels[59 * 128 + 99], 0xFF336699u);
    EXPECT_EQ(texels[59 * 128 + 100], 0u);
    EXPECT_EQ(texels[60 * 128], 0u);
    t->drop();
    // With textures of any size, the image's own size.
    driver->setFeatureEnabled(EVDF_TEXTURE_NPOT, true);
    t = texture(solidImage(100, 60, 0xFF336699u));
    EXPECT_EQ(t->getSize(), dimension2di(100, 60));
    t->drop();
}

TEST_F(D3D9Textures, FormatsFromTheCreationFlagsWithTheirFallbacks) {
    const struct {
        const char* name;
        std::vector<ETextureCreationFlag> flags;
        ECOLOR_FORMAT image;
        std::vector<D3DFORMAT> refused;
        D3DFORMAT format;  // D3DFMT_UNKNOWN: not made
        ECOLOR_FORMAT colorFormat;
    } cases[] = {
        {"32 bit", {ETCF_ALWAYS_32_BIT}, ECF_A8R8G8B8, {}, D3DFMT_A8R8G8B8, ECF_A8R8G8B8},
        {"32 bit refused",
         {ETCF_ALWAYS_32_BIT},
         ECF_A8R8G8B8,
         {D3DFMT_A8R8G8B8},
         D3DFMT_A1R5G5B5,
         ECF_A1R5G5B5},
        {"16 bit", {ETCF_ALWAYS_16_BIT}, ECF_A8R8G8B8, {}, D3DFMT_A1R5G5B5, ECF_A1R5G5B5},
        {"16 bit refused",
         {ETCF_ALWAYS_16_BIT},
         ECF_A8R8G8B8,
         {D3DFMT_A1R5G5B5},
         D3DFMT_UNKNOWN,
         ECF_A1R5G5B5},
        {"speed", {ETCF_OPTIMIZED_FOR_SPEED}, ECF_A8R8G8B8, {}, D3DFMT_A1R5G5B5, ECF_A1R5G5B5},
        {"quality of 32 bits",
         {ETCF_OPTIMIZED_FOR_QUALITY},
         ECF_A8R8G8B8,
         {},
         D3DFMT_A8R8G8B8,
         ECF_A8R8G8B8},
        {"quality of 24 bits",
         {ETCF_OPTIMIZED_FOR_QUALITY},
         ECF_R8G8B8,
         {},
         D3DFMT_A8R8G8B8,
         ECF_A8R8G8B8},
        {"quality of 16 bits",
         {ETCF_OPTIMIZED_FOR_QUALITY},
         ECF_R5G6B5,
         {},
         D3DFMT_A1R5G5B5,
         ECF_A1R5G5B5},
        {"no alpha of 32 bit",
         {ETCF_ALWAYS_32_BIT, ETCF_NO_ALPHA_CHANNEL},
         ECF_A8R8G8B8,
         {},
         D3DFMT_R8G8B8,
         ECF_R8G8B8},
        {"no alpha of 32 bit refused",
         {ETCF_ALWAYS_32_BIT, ETCF_NO_ALPHA_CHANNEL},
         ECF_A8R8G8B8,
         {D3DFMT_R8G8B8},
         D3DFMT_R5G6B5,
         ECF_R5G6B5},
        {"no alpha of 16 bit",
         {ETCF_ALWAYS_16_BIT, ETCF_NO_ALPHA_CHANNEL},
         ECF_A8R8G8B8,
         {},
         D3DFMT_R5G6B5,
         ECF_R5G6B5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        D3DTestControl::reset();
        D3DTestControl::setRecordingMode(true);
        logs.clear();
        for (D3DFORMAT f : c.refused) D3DTestControl::refuseFormat(f);
        driver->setTextureCreationFlag(ETCF_NO_ALPHA_CHANNEL, false);
        for (ETextureCreationFlag f : c.flags) driver->setTextureCreationFlag(f, true);
        CD3D9Texture* t = texture(solidImage(4, 4, 0xFFFF0000u, c.image));
        ASSERT_NE(t, nullptr);
        if (c.format == D3DFMT_UNKNOWN) {
            EXPECT_EQ(t->getD3D9Texture(), nullptr);
            EXPECT_TRUE(logs.contains("Could not create DIRECT3D9 Texture.", LogWarning));
        } else {
            ASSERT_NE(t->getD3D9Texture(), nullptr);
            EXPECT_EQ(t->getD3DFormat(), c.format);
        }
        EXPECT_EQ(t->getColorFormat(), c.colorFormat);
        EXPECT_EQ(t->getDriverType(), DriverDirect3D9);
        t->drop();
    }
}

// Direct3D keeps 24-bit texels as blue, green, red bytes; the engine's images as red, green,
// blue: the copy turns them around.
TEST_F(D3D9Textures, TwentyFourBitTexelsAreInDirect3DsByteOrder) {
    driver->setTextureCreationFlag(ETCF_ALWAYS_32_BIT, true);
    driver->setTextureCreationFlag(ETCF_NO_ALPHA_CHANNEL, true);
    CD3D9Texture* t = texture(solidImage(2, 2, 0xFF102030u, ECF_R8G8B8));
    ASSERT_EQ(t->getD3DFormat(), D3DFMT_R8G8B8);
    const auto* bytes = static_cast<const u8*>(t->lock(true));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(bytes[0], 0x30);
    EXPECT_EQ(bytes[1], 0x20);
    EXPECT_EQ(bytes[2], 0x10);
    t->unlock();
    t->drop();
}

TEST_F(D3D9Textures, MipLevelsOfAKnownImageGoDownToOneTexel) {
    auto* image = new CImage(CCreationContext(), ECF_A8R8G8B8, dimension2di(4, 4));
    for (s32 y = 0; y < 4; ++y)
        for (s32 x = 0; x < 4; ++x)
            image->setPixel(x, y,
                            0xFF000000u | (static_cast<u32>(x * 40) << 16) |
                                (static_cast<u32>(y * 40) << 8) | static_cast<u32>(x + y));
    CD3D9Texture* t = texture(image);
    ASSERT_TRUE(t->hasMipMaps());
    ASSERT_EQ(t->getD3D9Texture()->GetLevelCount(), 3u);
    UINT w = 0, h = 0;
    // Level 1: each texel the truncated mean of its four (red 20 and 100, green likewise,
    // blue (x + y) means).
    const std::vector<u32> one = level32(t, 1, w, h);
    ASSERT_EQ(w, 2u);
    ASSERT_EQ(h, 2u);
    EXPECT_EQ(one[0], 0xFF141401u);
    EXPECT_EQ(one[1], 0xFF641403u);
    EXPECT_EQ(one[2], 0xFF146403u);
    EXPECT_EQ(one[3], 0xFF646405u);
    const std::vector<u32> two = level32(t, 2, w, h);
    ASSERT_EQ(two.size(), 1u);
    EXPECT_EQ(two[0], 0xFF3C3C03u);
    t->drop();
}

// A level one texel high (or wide) has nothing below (or beside) it: its row (or column) counts
// again, and every level down to 1 × 1 is filled.
TEST_F(D3D9Textures, MipLevelsOfANonSquareImageReadOnlyTheirOwnTexels) {
    auto* image = new CImage(CCreationContext(), ECF_A8R8G8B8, dimension2di(8, 2));
    for (s32 x = 0; x < 8; ++x) {
        image->setPixel(x, 0, 0xFF000000u | static_cast<u32>(x * 8));
        image->setPixel(x, 1, 0xFF000000u | static_cast<u32>(x * 8 + 4));
    }
    CD3D9Texture* t = texture(image);
    ASSERT_EQ(t->getD3D9Texture()->GetLevelCount(), 4u);
    UINT w = 0, h = 0;
    EXPECT_EQ(level32(t, 1, w, h),
              (std::vector<u32>{0xFF000006u, 0xFF000016u, 0xFF000026u, 0xFF000036u}));
    EXPECT_EQ(w, 4u);
    EXPECT_EQ(h, 1u);
    EXPECT_EQ(level32(t, 2, w, h), (std::vector<u32>{0xFF00000Eu, 0xFF00002Eu}));
    EXPECT_EQ(level32(t, 3, w, h), (std::vector<u32>{0xFF00001Eu}));
    t->drop();
}

TEST_F(D3D9Textures, SixteenBitMipFilters) {
    // R5G6B5: channels widened and narrowed by shifts; A1R5G5B5: the alpha bit is the top bit
    // of the averaged alpha (three opaque texels and a clear one stay opaque).
    const u16 r565[4] = {0xF800, 0x07E0, 0x001F, 0xFFFF};
    u16 out = 0;
    d3dcommon::boxFilterLevel(d3dcommon::EMP_R5G6B5, reinterpret_cast<const u8*>(r565), 2, 2, 4,
                              reinterpret_cast<u8*>(&out), 1, 1, 2);
    // Red (248 + 248) / 4 = 124 -> 15, green (252 + 252) / 4 = 126 -> 31, blue 124 -> 15.
    EXPECT_EQ(out, static_cast<u16>((15 << 11) | (31 << 5) | 15));
    const u16 a1555[4] = {0xFC00, 0xFC00, 0xFC00, 0x7C00};
    d3dcommon::boxFilterLevel(d3dcommon::EMP_A1R5G5B5, reinterpret_cast<const u8*>(a1555), 2, 2, 4,
                              reinterpret_cast<u8*>(&out), 1, 1, 2);
    EXPECT_EQ(out, 0xFC00);
    const u16 mostlyClear[4] = {0xFC00, 0x7C00, 0x7C00, 0x7C00};
    d3dcommon::boxFilterLevel(d3dcommon::EMP_A1R5G5B5, reinterpret_cast<const u8*>(mostlyClear), 2,
                              2, 4, reinterpret_cast<u8*>(&out), 1, 1, 2);
    EXPECT_EQ(out, 0x7C00);
}

TEST_F(D3D9Textures, HitTestReadsTheKeptImage) {
    auto* image = solidImage(4, 2, 0x80FFFFFFu);
    CD3D9Texture* t = texture(image);
    EXPECT_TRUE(t->isPixelOpaque(0, 0, 127));
    EXPECT_FALSE(t->isPixelOpaque(0, 0, 128));
    EXPECT_FALSE(t->isPixelOpaque(4, 0, 0));
    EXPECT_FALSE(t->isPixelOpaque(0, 2, 0));
    EXPECT_FALSE(t->isPixelOpaque(static_cast<u32>(-1), 0, 0));
    // Whatever goes into the Direct3D texture, the image answers.
    auto* texels = static_cast<u32*>(t->lock());
    ASSERT_NE(texels, nullptr);
    texels[0] = 0;
    t->unlock();
    EXPECT_TRUE(t->isPixelOpaque(0, 0, 127));
    t->drop();
}

TEST_F(D3D9Textures, RenderTargetSwitching) {
    ITexture* target = driver->createRenderTargetTexture(dimension2di(64, 32));
    ASSERT_NE(target, nullptr);
    EXPECT_TRUE(target->isRenderTarget());
    EXPECT_EQ(target->getColorFormat(), driver->getColorFormat());
    EXPECT_FALSE(target->isPixelOpaque(0, 0, 0));

    // Back to the back buffer while it is current: nothing to do, clears only when asked.
    D3DTestControl::clearCalls();
    EXPECT_TRUE(driver->setRenderTarget(nullptr, false, false));
    EXPECT_TRUE(names().empty());
    EXPECT_TRUE(driver->setRenderTarget(nullptr, true, false, SColor(0xFF010203u)));
    ASSERT_EQ(names(), std::vector<std::string>{"Clear"});
    EXPECT_EQ(calls("Clear")[0].args, (std::vector<uint64_t>{0, D3DCLEAR_TARGET, 0xFF010203u, 0}));

    ASSERT_TRUE(driver->setRenderTarget(target, true, true));
    EXPECT_EQ(driver->getCurrentRenderTargetSize(), dimension2di(64, 32));
    ASSERT_TRUE(driver->setRenderTarget(nullptr, false, false));
    EXPECT_EQ(driver->getCurrentRenderTargetSize(), dimension2di(320, 240));

    // Too big, not a render target, not this driver's: refused, the target stays.
    ASSERT_TRUE(driver->setRenderTarget(target, false, false));
    ITexture* big = driver->createRenderTargetTexture(dimension2di(512, 64));
    EXPECT_FALSE(driver->setRenderTarget(big, false, false));
    EXPECT_TRUE(logs.contains(
        "Error: Tried to set a render target texture which is bigger than the screen.", LogError));
    CD3D9Texture* plain = texture(solidImage(4, 4, 0xFFFFFFFFu));
    EXPECT_FALSE(driver->setRenderTarget(plain, false, false));
    EXPECT_TRUE(logs.contains(
        "Fatal Error: Tried to set a non render target texture as render target.", LogError));
    EXPECT_EQ(driver->getCurrentRenderTargetSize(), dimension2di(64, 32));
    ASSERT_TRUE(driver->setRenderTarget(nullptr, false, false));
    plain->drop();
    big->drop();

    // A render target reads back through main memory.
    EXPECT_NE(target->lock(true), nullptr);
    target->unlock();
    target->drop();
}

TEST_F(D3D9Textures, RenderTargetSizesAndFormats) {
    driver->setFeatureEnabled(EVDF_TEXTURE_NPOT, false);
    ITexture* raised = driver->createRenderTargetTexture(dimension2di(100, 30));
    EXPECT_EQ(raised->getSize(), dimension2di(128, 32));
    ITexture* exact = driver->createRenderTargetTexture(dimension2di(64, 64));
    ITexture* again = driver->createRenderTargetTexture(dimension2di(3, 3));
    size_t told = 0;
    for (const auto& line : logs.lines())
        if (line.text == "RenderTarget size has to be a power of 2") ++told;
    EXPECT_LE(told, 1u);  // once in the run at most
    ITexture* floating =
        driver->createRenderTargetTexture(dimension2di(16, 16), static_cast<ECOLOR_FORMAT>(7));
    EXPECT_EQ(static_cast<CD3D9Texture*>(floating)->getD3DFormat(), D3DFMT_R32F);
    // A failed creation keeps the texture, without a Direct3D texture, and tells why.
    D3DTestControl::forceResult("CreateTexture", D3DERR_OUTOFVIDEOMEMORY);
    ITexture* failed = driver->createRenderTargetTexture(dimension2di(16, 16));
    EXPECT_EQ(static_cast<CD3D9Texture*>(failed)->getD3D9Texture(), nullptr);
    bool hinted = false;
    for (const auto& line : logs.lines())
        hinted = hinted || (line.text == "Could not create render target texture" &&
                            line.hint == "Out of Video Memory");
    EXPECT_TRUE(hinted);
    for (ITexture* t : {raised, exact, again, floating, failed}) t->drop();
}

// A device is reset with render targets alive, one of them current and bound to a stage: they
// let their Direct3D textures go for the reset and come back cleared.
TEST_F(D3D9Textures, ResetWithRenderTargetsAlive) {
    ITexture* current = driver->createRenderTargetTexture(dimension2di(64, 32));
    ITexture* other = driver->createRenderTargetTexture(dimension2di(32, 32));
    ASSERT_TRUE(driver->beginScene());
    ASSERT_TRUE(driver->setRenderTarget(current, true, true));
    ASSERT_TRUE(driver->setTexture(1, other));
    driver->endScene();
    IDirect3DTexture9* before = static_cast<CD3D9Texture*>(other)->getD3D9Texture();
    ASSERT_NE(before, nullptr);

    D3DTestControl::clearCalls();
    ASSERT_TRUE(driver->resetDevice());
    EXPECT_EQ(calls("Reset").back().result, D3D_OK);
    EXPECT_EQ(driver->getCurrentRenderTargetSize(), dimension2di(320, 240));
    EXPECT_EQ(driver->getCurrentTexture(1), nullptr);
    for (ITexture* t : {current, other}) {
        EXPECT_NE(static_cast<CD3D9Texture*>(t)->getD3D9Texture(), nullptr);
        EXPECT_EQ(t->getSize(), t == current ? dimension2di(64, 32) : dimension2di(32, 32));
    }
    // Made again in the default pool, each cleared once.
    size_t made = 0;
    for (const SRecordedCall& c : calls("CreateTexture"))
        if (c.args[3] == D3DUSAGE_RENDERTARGET && c.args[5] == D3DPOOL_DEFAULT) ++made;
    EXPECT_EQ(made, 2u);
    EXPECT_GE(count("Clear"), 2u);
    // And they work: a reset device takes them as targets again, and resets again.
    ASSERT_TRUE(driver->setRenderTarget(current, false, false));
    ASSERT_TRUE(driver->setRenderTarget(nullptr, false, false));
    EXPECT_TRUE(driver->resetDevice());
    current->drop();
    other->drop();
    // A render target that goes leaves nothing to release at the next reset.
    EXPECT_TRUE(driver->resetDevice());
}

TEST_F(D3D9Textures, MipMapsAreMadeAgainOnRequest) {
    CD3D9Texture* t = texture(solidImage(4, 4, 0xFF808080u));
    auto* texels = static_cast<u32*>(t->lock());
    for (int i = 0; i < 16; ++i) texels[i] = 0xFF000000u;
    t->unlock();
    t->regenerateMipMapLevels();
    UINT w = 0, h = 0;
    EXPECT_EQ(level32(t, 2, w, h), std::vector<u32>{0xFF000000u});
    t->drop();
    // Without mip maps there is nothing to make.
    driver->setTextureCreationFlag(ETCF_CREATE_MIP_MAPS, false);
    t = texture(solidImage(4, 4, 0xFF808080u));
    EXPECT_FALSE(t->hasMipMaps());
    EXPECT_EQ(t->getD3D9Texture()->GetLevelCount(), 1u);
    t->drop();
}

}  // namespace
