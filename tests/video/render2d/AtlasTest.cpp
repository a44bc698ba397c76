// Atlas textures and atlas collections through the real content manager: regions on pages of
// any size, frame names, registration under normalised names, save and load, the whole-image
// processor, and pages without a driver texture.

#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/StringUtils.h"
#include "engine/io/CXmlWriter.h"
#include "engine/video/render2d/AtlasTextureCollection.h"
#include "engine/video/render2d/CAtlasTexture.h"
#include "engine/video/IVideoDriver.h"
#include "tests/support/TestSupport.h"
#include "tests/video/render2d/RenderContentFixture.h"

using namespace oskel;
using namespace oskel::test;

namespace {

struct Region {
    std::string n, i, r, b, a;
};

// A collection file: the pages, then the regions; an empty attribute text leaves it out.
void writeCollection(CXmlWriter& w, const std::vector<std::string>& pages, const std::vector<Region>& regions,
                     bool regionsFirst = false) {
    w.writeElement(L"AtlasTextureCollection");
    w.writeLineBreak();
    auto writePages = [&] {
        for (const std::string& page : pages) {
            w.writeElement(L"a", true, L"f", widenLatin1(page.c_str()).c_str());
            w.writeLineBreak();
        }
    };
    if (!regionsFirst) writePages();
    for (const Region& region : regions) {
        array<stringw> names, values;
        auto put = [&](const wchar_t* name, const std::string& value) {
            if (value.empty()) return;
            names.push_back(name);
            values.push_back(widenLatin1(value.c_str()));
        };
        put(L"n", region.n);
        put(L"i", region.i);
        put(L"r", region.r);
        put(L"b", region.b);
        put(L"a", region.a);
        w.writeElement(L"t", true, names, values);
        w.writeLineBreak();
    }
    if (regionsFirst) writePages();
    w.writeClosingTag(L"AtlasTextureCollection");
}

class AtlasTest : public RenderContentFixture {
protected:
    using AtlasCollectionPtr = CRefPtr<AtlasTextureCollection>;

    AtlasCollectionPtr load(const std::string& file, CContentManager* through = nullptr) {
        CContentManager* m = through ? through : manager;
        return AtlasCollectionPtr::fromRaw(
            as<AtlasTextureCollection>(m->getContentByPath(TypeCodeAtlasCollection, file.c_str(), false),
                                       TypeCodeAtlasCollection));
    }
    // The registered region of the name (no reference taken), or none.
    CAtlasTexture* find(const std::string& name, CContentManager* through = nullptr) const {
        CContentManager* m = through ? through : manager;
        return as<CAtlasTexture>(m->findContent(TypeCodeAtlasTexture, CCreationContext(m, name.c_str())),
                                 TypeCodeAtlasTexture);
    }
};

TEST_F(AtlasTest, RegionsOnPagesOfAnySizeHaveTheirCoordinatesAndSettings) {
    writePng("pages/p0.png", 100, 50);
    writePng("pages/p1.png", 30, 70);
    const std::string file = writeXml("atlases/Menu.xml", [](CXmlWriter& w) {
        writeCollection(w, {"../pages/p0.png", "../pages/p1.png"},
                        {{"Coin0007.png", "0", "10,20,30,40", "1.5,-2", "3,4"},
                         {"Button.png", "1", "3 7 ; 27 ; 70", "", ""}});
    });
    LogCapture log;
    auto collection = load(file);
    ASSERT_TRUE(collection);
    EXPECT_EQ(collection->getRegionCount(), 2u);
    EXPECT_TRUE(log.contains("Added atlas texture"));

    CAtlasTexture* coin = find("Coin0007.png");
    ASSERT_NE(coin, nullptr);
    EXPECT_EQ(coin, collection->getRegion(0));
    EXPECT_FLOAT_EQ(coin->getTextureCoords().left, 0.1f);
    EXPECT_FLOAT_EQ(coin->getTextureCoords().top, 0.4f);
    EXPECT_FLOAT_EQ(coin->getTextureCoords().right, 0.3f);
    EXPECT_FLOAT_EQ(coin->getTextureCoords().bottom, 0.8f);
    EXPECT_EQ(coin->getBefore(), vector2df(1.5f, -2.0f));
    EXPECT_EQ(coin->getAfter(), vector2df(3.0f, 4.0f));
    EXPECT_STREQ(coin->getBaseName().c_str(), "Coin");
    EXPECT_STREQ(coin->getExtension().c_str(), ".png");
    EXPECT_EQ(coin->getFrameIndex(), 7);
    ASSERT_NE(coin->getTexture(), nullptr);
    EXPECT_EQ(coin->getTexture()->getSize(), dimension2di(100, 50));

    CAtlasTexture* button = find("Button.png");
    ASSERT_NE(button, nullptr);
    EXPECT_FLOAT_EQ(button->getTextureCoords().left, 0.1f);
    EXPECT_FLOAT_EQ(button->getTextureCoords().top, 0.1f);
    EXPECT_FLOAT_EQ(button->getTextureCoords().right, 0.9f);
    EXPECT_FLOAT_EQ(button->getTextureCoords().bottom, 1.0f);
    EXPECT_EQ(button->getBefore(), vector2df(0.0f, 0.0f));

    // A lookup hands out the same shared region, and the page is the cached texture resource.
    CResource* again = manager->getContentByPath(TypeCodeAtlasTexture, "Coin0007.png", false);
    EXPECT_EQ(again, coin);
    if (again) again->drop();
    CResource* page = manager->getContentByPath(TypeCodeTexture, path("pages/p0.png").c_str(), false);
    EXPECT_EQ(page, coin->getTextureResource());
    if (page) page->drop();

    // Regions outlive the collection through the cache.
    collection = nullptr;
    ASSERT_EQ(find("Coin0007.png"), coin);
    EXPECT_NE(coin->getTexture(), nullptr);
}

TEST_F(AtlasTest, ElementsThatCannotMakeARegionAreSkippedOrRepaired) {
    writePng("p0.png", 64, 32);
    writePng("p1.png", 16, 16);
    const std::string file = writeXml("set.xml", [](CXmlWriter& w) {
        writeCollection(w, {"p0.png", "p1.png", "missing.png"},
                        {{"Frac.png", "0", "10.7, 20.2, 30.9, 40.5", "", ""},
                         {"Short.png", "0", "5 5", "", ""},
                         {"Zero.png", "0", "0,0,0,0", "", ""},
                         {"Page19.png", "1.9", "0,0,8,8", "", ""},
                         {"Negative.png", "-1", "0,0,8,8", "", ""},
                         {"TooHigh.png", "3", "0,0,8,8", "", ""},
                         {"NoPage.png", "2", "0,0,8,8", "", ""},
                         {"", "0", "0,0,8,8", "", ""},
                         {"Twice.png", "0", "0,0,16,16", "", ""},
                         {"Twice.png", "1", "0,0,8,8", "", ""}});
    });
    LogCapture log;
    auto collection = load(file);
    ASSERT_TRUE(collection);

    const auto& entries = collection->getEntries();
    ASSERT_EQ(entries.size(), 6u);
    ASSERT_EQ(collection->getRegionCount(), 6u);
    EXPECT_STREQ(entries[0].name.c_str(), "Frac.png");
    EXPECT_EQ(std::vector<s32>({entries[0].x0, entries[0].y0, entries[0].x1, entries[0].y1}),
              std::vector<s32>({10, 20, 30, 40}));
    // Two numbers leave x1 = y1 = 0: inverted, so the whole page, with a warning.
    EXPECT_EQ(std::vector<s32>({entries[1].x0, entries[1].y0, entries[1].x1, entries[1].y1}),
              std::vector<s32>({0, 0, 64, 32}));
    EXPECT_TRUE(log.contains("WARN: image has wrong rectangle", LogWarning));
    EXPECT_FLOAT_EQ(find("Short.png")->getTextureCoords().right, 1.0f);
    // A region of zero size is a region.
    ASSERT_NE(find("Zero.png"), nullptr);
    EXPECT_EQ(find("Zero.png")->getTextureCoords().right, 0.0f);
    // Page 1.9 is page 1.
    EXPECT_EQ(entries[3].page, 1u);
    EXPECT_EQ(find("Page19.png")->getTexture()->getSize(), dimension2di(16, 16));
    for (const char* skipped : {"Negative.png", "TooHigh.png", "NoPage.png"}) EXPECT_EQ(find(skipped), nullptr) << skipped;
    // Both regions of one name are held; lookups find the first.
    EXPECT_STREQ(entries[5].name.c_str(), "Twice.png");
    EXPECT_EQ(find("Twice.png"), collection->getRegion(4));
    EXPECT_NE(collection->getRegion(5), collection->getRegion(4));
}

TEST_F(AtlasTest, RegionBeforeItsPageIsSkipped) {
    writePng("p0.png", 8, 8);
    const std::string file = writeXml("late.xml", [](CXmlWriter& w) {
        writeCollection(w, {"p0.png"}, {{"Early.png", "0", "0,0,4,4", "", ""}}, true);
    });
    auto collection = load(file);
    ASSERT_TRUE(collection);
    EXPECT_EQ(collection->getPages().size(), 1u);
    EXPECT_EQ(collection->getRegionCount(), 0u);
    EXPECT_EQ(find("Early.png"), nullptr);
}

TEST_F(AtlasTest, CollectionsAreLoadedAfreshAndKeepTheFirstRegistration) {
    writePng("p0.png", 8, 8);
    const std::string file = writeXml("c.xml", [](CXmlWriter& w) {
        writeCollection(w, {"p0.png"}, {{"Only.png", "0", "0,0,4,4", "", ""}});
    });
    auto first = load(file);
    auto second = load(file);
    ASSERT_TRUE(first && second);
    EXPECT_NE(first.get(), second.get());
    EXPECT_EQ(manager->getCachedCount(TypeCodeAtlasCollection), 0u);
    EXPECT_EQ(find("Only.png"), first->getRegion(0));
    EXPECT_NE(second->getRegion(0), first->getRegion(0));
}

TEST_F(AtlasTest, RegionNamesAreRegisteredAsRelativeLookupsResolveThem) {
    writePng("p0.png", 8, 8);
    const std::string file = writeXml("atlases/names.xml", [](CXmlWriter& w) {
        writeCollection(w, {"../p0.png"},
                        {{"./sprites\\Coin.png", "0", "0,0,4,4", "", ""},
                         {"ui/./panels/../Frame.png", "0", "0,0,4,4", "", ""}});
    });
    auto collection = load(file);
    ASSERT_TRUE(collection);
    ASSERT_EQ(collection->getRegionCount(), 2u);
    EXPECT_STREQ(collection->getRegion(0)->getName().c_str(), "sprites/Coin.png");
    EXPECT_STREQ(collection->getRegion(1)->getName().c_str(), "ui/Frame.png");

    // A scene in scenes/ asks for ../sprites/Coin.png relative to itself.
    manager->pushPath("scenes/Menu.oscn");
    CResource* coin = manager->getContentByPath(TypeCodeAtlasTexture, "../sprites/Coin.png", true);
    CResource* frame = manager->getContentByPath(TypeCodeAtlasTexture, "../ui/Frame.png", true);
    manager->popPath();
    EXPECT_EQ(coin, collection->getRegion(0));
    EXPECT_EQ(frame, collection->getRegion(1));
    if (coin) coin->drop();
    if (frame) frame->drop();
}

TEST_F(AtlasTest, SavedCollectionLoadsAsTheSameCollection) {
    writePng("p0.png", 50, 40);
    writePng("p1.png", 20, 10);
    const std::string file = writeXml("orig.xml", [](CXmlWriter& w) {
        writeCollection(w, {"p0.png", "p1.png"},
                        {{"Walk0001.png", "0", "1,2,11,22", "0.5,-1.25", "2,3"},
                         {"Wrong.png", "1", "9,9,1,1", "", ""},
                         {"Big.png", "1", "0,0,20,10", "-4,5", ""}});
    });
    auto original = load(file);
    ASSERT_TRUE(original);
    ASSERT_EQ(original->getRegionCount(), 3u);
    const std::string copy = path("copy.xml");
    ASSERT_TRUE(manager->saveContent(TypeCodeAtlasCollection, original.get(), copy.c_str(), nullptr));

    CContentManager* fresh = makeManager();
    {
        auto loaded = load(copy, fresh);
        ASSERT_TRUE(loaded);
        ASSERT_EQ(loaded->getPages().size(), original->getPages().size());
        for (u32 i = 0; i < loaded->getPages().size(); ++i)
            EXPECT_STREQ(loaded->getPages()[i].c_str(), original->getPages()[i].c_str());
        ASSERT_EQ(loaded->getRegionCount(), original->getRegionCount());
        for (u32 i = 0; i < loaded->getRegionCount(); ++i) {
            const auto& a = original->getEntries()[i];
            const auto& b = loaded->getEntries()[i];
            EXPECT_STREQ(a.name.c_str(), b.name.c_str());
            EXPECT_EQ(a.page, b.page);
            EXPECT_EQ(std::vector<s32>({a.x0, a.y0, a.x1, a.y1}), std::vector<s32>({b.x0, b.y0, b.x1, b.y1}));
            EXPECT_EQ(a.before, b.before);
            EXPECT_EQ(a.after, b.after);
            CAtlasTexture* ra = original->getRegion(i);
            CAtlasTexture* rb = loaded->getRegion(i);
            EXPECT_FLOAT_EQ(ra->getTextureCoords().left, rb->getTextureCoords().left);
            EXPECT_FLOAT_EQ(ra->getTextureCoords().bottom, rb->getTextureCoords().bottom);
            EXPECT_EQ(ra->getBefore(), rb->getBefore());
            EXPECT_EQ(ra->getAfter(), rb->getAfter());
            EXPECT_EQ(ra->getFrameIndex(), rb->getFrameIndex());
            EXPECT_EQ(find(b.name.c_str(), fresh), rb);
        }
    }
    fresh->drop();
}

TEST_F(AtlasTest, WholeImageAtlasTextureCoversThePictureOnAPaddedTexture) {
    driver->setFeatureEnabled(EVDF_TEXTURE_NPOT, false);
    const std::string file = writePng("odd.png", 30, 20);
    LogCapture log;
    CResource* resource = manager->getContentByPath(TypeCodeAtlasTexture, file.c_str(), false);
    CAtlasTexture* atlas = as<CAtlasTexture>(resource, TypeCodeAtlasTexture);
    ASSERT_NE(atlas, nullptr);
    EXPECT_TRUE(log.contains("Loaded atlas texture", LogInformation));
    ASSERT_NE(atlas->getTexture(), nullptr);
    EXPECT_EQ(atlas->getTexture()->getSize(), dimension2di(32, 32));
    EXPECT_EQ(atlas->getTextureCoords().left, 0.0f);
    EXPECT_EQ(atlas->getTextureCoords().top, 0.0f);
    EXPECT_FLOAT_EQ(atlas->getTextureCoords().right, 30.0f / 32.0f);
    EXPECT_FLOAT_EQ(atlas->getTextureCoords().bottom, 20.0f / 32.0f);
    EXPECT_EQ(atlas->getBefore(), vector2df(0.0f, 0.0f));
    EXPECT_STREQ(atlas->getExtension().c_str(), ".png");
    // Shared: a second lookup is the same object.
    CResource* again = manager->getContentByPath(TypeCodeAtlasTexture, file.c_str(), false);
    EXPECT_EQ(again, resource);
    if (again) again->drop();
    resource->drop();
    EXPECT_EQ(manager->getContentByPath(TypeCodeAtlasTexture, path("none.png").c_str(), false), nullptr);
}

struct SplitCase {
    const char* name;
    const char* base;
    const char* extension;
    s32 frame;
};

class AtlasNameSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(AtlasNameSplit, SplitsIntoBaseFrameAndExtension) {
    const SplitCase& c = GetParam();
    stringc base, extension;
    s32 frame = 0;
    CAtlasTexture::splitName(c.name, base, extension, frame);
    EXPECT_STREQ(base.c_str(), c.base);
    EXPECT_STREQ(extension.c_str(), c.extension);
    EXPECT_EQ(frame, c.frame);
}

INSTANTIATE_TEST_SUITE_P(
    Names, AtlasNameSplit,
    ::testing::Values(SplitCase{"Anim0012.png", "Anim", ".png", 12}, SplitCase{"Button.png", "Button", ".png", -1},
                      SplitCase{"Coin.7.png", "Coin.", ".png", 7}, SplitCase{"Button", "", "", -1},
                      SplitCase{"", "", "", -1}, SplitCase{".png", ".", "", -1},
                      SplitCase{"0042.png", "", ".png", 42}, SplitCase{"fx/Spark0003.tga", "fx/Spark", ".tga", 3},
                      SplitCase{"Big123456789.png", "Big", ".png", 123456789},
                      // Longer digit runs are no frame numbers: they stay in the base name.
                      SplitCase{"Big1234567890.png", "Big1234567890", ".png", -1},
                      SplitCase{"99999999999999999999.png", "99999999999999999999", ".png", -1}));

TEST(AtlasFrameNames, FramesOfASequenceAreNamedWithFourDigits) {
    CAtlasTexture region(CCreationContext(nullptr, "fx/Coin0007.png"), nullptr, SAtlasCoords(), vector2df(),
                         vector2df());
    EXPECT_STREQ(region.makeFrameName(8).c_str(), "fx/Coin0008.png");
    EXPECT_STREQ(region.makeFrameName(12345).c_str(), "fx/Coin12345.png");
    EXPECT_EQ(region.getTexture(), nullptr);
}

struct ScanCase {
    const wchar_t* text;
    std::vector<f32> expected;
    u32 read;
};

class AtlasNumberScan : public ::testing::TestWithParam<ScanCase> {};

TEST_P(AtlasNumberScan, ReadsNumbersBetweenAnySeparators) {
    const ScanCase& c = GetParam();
    f32 out[4];
    EXPECT_EQ(scanAtlasNumbers(c.text, out, 4), c.read);
    for (u32 i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(out[i], c.expected[i]) << i;
        EXPECT_FALSE(std::signbit(out[i]) && out[i] == 0.0f) << "negative zero at " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, AtlasNumberScan,
    ::testing::Values(ScanCase{L"1,2,3,4", {1, 2, 3, 4}, 4}, ScanCase{L"(1 2; 3)", {1, 2, 3, 0}, 3},
                      ScanCase{L"-1.5e1,.5", {-15, 5, 0, 0}, 2}, ScanCase{L"", {0, 0, 0, 0}, 0},
                      ScanCase{L"-", {0, 0, 0, 0}, 1}, ScanCase{L"1;-;2", {1, 0, 2, 0}, 3},
                      ScanCase{L"--5", {0, -5, 0, 0}, 2}, ScanCase{L"1 2 3 4 5 6", {1, 2, 3, 4}, 4}));

// Texture resources made without a driver hold no texture: atlas pages then have no size.
class AtlasWithoutDriverTest : public RenderContentFixture {
protected:
    AtlasWithoutDriverTest() : RenderContentFixture(false) {}
};

TEST_F(AtlasWithoutDriverTest, PagesWithoutATextureAreSkippedWithALogLine) {
    writePng("p0.png", 8, 8);
    const std::string file = writeXml("c.xml", [](CXmlWriter& w) {
        writeCollection(w, {"p0.png"}, {{"A.png", "0", "0,0,4,4", "", ""}});
    });
    LogCapture log;
    CResource* content = manager->getContentByPath(TypeCodeAtlasCollection, file.c_str(), false);
    auto* collection = as<AtlasTextureCollection>(content, TypeCodeAtlasCollection);
    ASSERT_NE(collection, nullptr);
    EXPECT_EQ(collection->getRegionCount(), 0u);
    EXPECT_TRUE(log.contains("Atlas page has no texture", LogWarning));
    content->drop();

    log.clear();
    EXPECT_EQ(manager->getContentByPath(TypeCodeAtlasTexture, path("p0.png").c_str(), false), nullptr);
    EXPECT_TRUE(log.contains("Atlas page has no texture", LogWarning));
    EXPECT_FALSE(log.contains("Loaded atlas texture"));
}

}  // namespace
