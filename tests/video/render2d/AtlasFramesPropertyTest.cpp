// Atlas texture property values stepping through numbered frame sequences of a loaded
// collection, and the typed accessors of the atlas texture and font values.

#include <string>

#include <gtest/gtest.h>

#include "engine/video/render2d/RenderPropertyTypes.h"
#include "engine/core/StringUtils.h"
#include "engine/io/CXmlWriter.h"
#include "engine/properties/CPropertyData.h"
#include "engine/video/render2d/AtlasTextureCollection.h"
#include "engine/video/render2d/CFont.h"
#include "tests/video/render2d/RenderContentFixture.h"

using namespace oskel;
using namespace oskel::test;

namespace {

class AtlasFramesPropertyTest : public RenderContentFixture {
protected:
    AtlasFramesPropertyTest() {
        writePng("p.png", 40, 10);
        const std::string file = writeXml("frames.xml", [](CXmlWriter& w) {
            w.writeElement(L"AtlasTextureCollection");
            w.writeElement(L"a", true, L"f", L"p.png");
            // Coin0000 .. Coin0003 without Coin0001; a frame far beyond four digits.
            for (const wchar_t* name : {L"Coin0000.png", L"Coin0002.png", L"Coin0003.png", L"Coin123456789.png"})
                w.writeElement(L"t", true, L"n", name, L"i", L"0", L"r", L"0,0,10,10");
            w.writeClosingTag(L"AtlasTextureCollection");
        });
        collection = CRefPtr<CResource>::fromRaw(
            manager->getContentByPath(TypeCodeAtlasCollection, file.c_str(), false));
    }

    CRefPtr<CPropertyDataAtlasTexture> value(const char* name) {
        auto v = makeRef<CPropertyDataAtlasTexture>(manager);
        v->setValueString(name);
        return v;
    }
    CResource* region(const char* name) {
        return manager->findContent(TypeCodeAtlasTexture, CCreationContext(manager, name));
    }

    CRefPtr<CResource> collection;
};

TEST_F(AtlasFramesPropertyTest, StepsThroughTheFramesBetweenTwoKeys) {
    auto from = value("Coin0003.png");
    auto to = value("Coin0000.png");
    ASSERT_NE(from->getAtlasTexture(), nullptr);
    EXPECT_EQ(from->getAtlasTexture()->getFrameIndex(), 3);
    from->prepareInterpolation(to.get());
    ASSERT_EQ(from->getFrameCacheSize(), 4u);
    EXPECT_EQ(from->getCachedFrame(0), region("Coin0003.png"));
    EXPECT_EQ(from->getCachedFrame(1), region("Coin0002.png"));
    EXPECT_EQ(from->getCachedFrame(2), nullptr);  // no such frame
    EXPECT_EQ(from->getCachedFrame(3), region("Coin0000.png"));

    auto result = makeRef<CPropertyDataAtlasTexture>(manager);
    EXPECT_TRUE(from->interpolate(to.get(), result.get(), 0.0f));
    EXPECT_EQ(result->getResource(), region("Coin0003.png"));
    EXPECT_TRUE(from->interpolate(to.get(), result.get(), 0.5f));  // -1.5 truncated: one step
    EXPECT_EQ(result->getResource(), region("Coin0002.png"));
    EXPECT_FALSE(from->interpolate(to.get(), result.get(), 0.5f));  // unchanged
    // The missing frame is looked up by name and found to be nothing.
    EXPECT_TRUE(from->interpolate(to.get(), result.get(), 0.7f));
    EXPECT_EQ(result->getResource(), nullptr);
    EXPECT_FALSE(from->interpolate(to.get(), result.get(), 0.7f));
    EXPECT_TRUE(from->interpolate(to.get(), result.get(), 1.0f));
    EXPECT_EQ(result->getResource(), region("Coin0000.png"));

    // A clone keeps the cached frames.
    CRefPtr<IPropertyData> copy = from->clone();
    auto* copied = static_cast<CPropertyDataAtlasTexture*>(copy.get());
    EXPECT_EQ(copied->getFrameCacheSize(), 4u);
    EXPECT_EQ(copied->getCachedFrame(1), region("Coin0002.png"));
}

TEST_F(AtlasFramesPropertyTest, FramesBeyondFourDigitsAreNotCached) {
    auto from = value("Coin0000.png");
    auto far = value("Coin123456789.png");
    ASSERT_NE(far->getResource(), nullptr);
    from->prepareInterpolation(far.get());
    EXPECT_EQ(from->getFrameCacheSize(), 0u);
    auto result = makeRef<CPropertyDataAtlasTexture>(manager);
    // Looked up by name: frame 2 exists.
    EXPECT_TRUE(from->interpolate(far.get(), result.get(), 2.0f / 123456789.0f + 1e-9f));
    EXPECT_EQ(result->getResource(), region("Coin0002.png"));
}

TEST_F(AtlasFramesPropertyTest, ValuesWithoutSequencesShowTheirOwnTexture) {
    writePng("single.png", 4, 4);
    auto plain = value(path("single.png").c_str());
    ASSERT_NE(plain->getAtlasTexture(), nullptr);
    EXPECT_EQ(plain->getAtlasTexture()->getFrameIndex(), -1);
    auto to = value("Coin0003.png");
    plain->prepareInterpolation(to.get());
    EXPECT_EQ(plain->getFrameCacheSize(), 0u);
    auto result = makeRef<CPropertyDataAtlasTexture>(manager);
    EXPECT_TRUE(plain->interpolate(to.get(), result.get(), 0.5f));
    EXPECT_EQ(result->getResource(), plain->getResource());

    // A font value answers its font; an atlas value holding nothing answers none.
    EXPECT_EQ(makeRef<CPropertyDataAtlasTexture>(manager)->getAtlasTexture(),
              nullptr);
    EXPECT_EQ(makeRef<CPropertyDataFont>(manager)->getFont(), nullptr);
}

}  // namespace
