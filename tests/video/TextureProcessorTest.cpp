#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/content/IContentManager.h"
#include "tests/content/StubContentManager.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/io/CMemoryFile.h"
#include "engine/image/CImage.h"
#include "engine/video/CMemoryTextureDriver.h"
#include "engine/video/CTextureProcessor.h"
#include "engine/video/CTextureResource.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace oskel::test;

namespace {

// A content manager that hands out the images it was given, by file name, and records what it
// was asked for. (The real content manager needs the file system.)
class ImageContentManager : public test::StubContentManager {
public:
    ~ImageContentManager() override {
        for (auto& entry : images) entry.second->drop();
    }

    void addImage(const std::string& name, s32 width, s32 height, u32 color) {
        auto* image = new CImage(CCreationContext(this, name.c_str()), ECF_A8R8G8B8,
                                 dimension2di(width, height));
        image->fill(color);
        images[name] = image;
    }
    CImage* handOut(u32 typeCode, const std::string& name) {
        requests.push_back(name);
        if (typeCode != TypeCodeImage) return nullptr;
        auto found = images.find(name);
        if (found == images.end()) return nullptr;
        found->second->grab();
        return found->second;
    }

    CResource* getContent(u32 typeCode, IReadableFile* file) override {
        return file ? handOut(typeCode, file->getFileName().c_str()) : nullptr;
    }
    CResource* getContentByPath(u32 typeCode, const stringc& path, bool relative) override {
        relativeRequests.push_back(relative);
        return handOut(typeCode, path.c_str());
    }

    std::map<std::string, CImage*> images;
    std::vector<std::string> requests;
    std::vector<bool> relativeRequests;
};

class TextureProcessorTest : public ::testing::Test {
protected:
    TextureProcessorTest() {
        manager.addImage("a.png", 4, 2, 0xFF112233u);
        manager.addImage("b.png", 3, 3, 0x80445566u);
    }
    ~TextureProcessorTest() override {
        processor->drop();
        driver->drop();
        manager.drop();
    }

    CTextureResource* load(const char* name) {
        static char bytes[] = "x";
        auto* file = new CMemoryFile(bytes, 1, name, false);
        CResource* r = processor->load(&manager, file, CCreationContext(&manager, name));
        file->drop();
        return static_cast<CTextureResource*>(r);
    }

    ImageContentManager& manager = *new ImageContentManager();
    IVideoDriver* driver = createMemoryTextureDriver(SDeviceParameters(), nullptr);
    CTextureProcessor* processor = new CTextureProcessor(driver);
};

}  // namespace

TEST_F(TextureProcessorTest, LoadsATextureOfTheImage) {
    LogCapture logs;
    EXPECT_EQ(processor->getTypeCode(), TypeCodeTexture);
    EXPECT_EQ(processor->getPriority(), 1);
    EXPECT_NE(processor->getCategoryMask() & CategoryDevice, 0u);

    CTextureResource* resource = load("a.png");
    ASSERT_NE(resource, nullptr);
    EXPECT_EQ(resource->getTypeCode(), TypeCodeTexture);
    EXPECT_EQ(resource->getSharingFlags(), static_cast<u32>(ERF_SHARED));
    EXPECT_EQ(resource->getFileName(), stringc("a.png"));
    EXPECT_EQ(resource->getName(), stringc("a.png"));
    EXPECT_EQ(resource->getContentManager(), &manager);
    EXPECT_EQ(resource->clone(), nullptr);
    ITexture* texture = resource->getTexture();
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->getOriginalSize(), dimension2di(4, 2));
    EXPECT_TRUE(texture->isPixelOpaque(3, 1, 254));
    // The resource holds the only reference to the texture; the image went back to its owner.
    EXPECT_EQ(texture->getReferenceCount(), 1);
    EXPECT_EQ(manager.images["a.png"]->getReferenceCount(), 1);
    ASSERT_EQ(logs.lines().size(), 1u);
    EXPECT_EQ(logs.lines()[0].text, "Loaded texture");
    EXPECT_EQ(logs.lines()[0].hint, "a.png");
    EXPECT_EQ(logs.lines()[0].level, LogInformation);
    resource->drop();

    // No image, no resource; nothing to load from, nothing either.
    logs.clear();
    EXPECT_EQ(load("missing.png"), nullptr);
    EXPECT_EQ(processor->load(nullptr, nullptr, CCreationContext()), nullptr);
    EXPECT_FALSE(logs.contains("Loaded texture"));
    EXPECT_FALSE(processor->save(&manager, nullptr, nullptr, nullptr));
}

TEST_F(TextureProcessorTest, TexturesAreMadeAgainForANewDriver) {
    LogCapture logs;
    CTextureResource* a = load("a.png");
    CTextureResource* b = load("b.png");
    CTextureResource* orphan = new CTextureResource(CCreationContext(&manager, "gone.png"),
                                                    a->getTexture(), "gone.png");
    ContentNameMap cache;
    cache[1] = a;
    cache[2] = b;
    cache[3] = orphan;

    // The processors manager passes the device's driver events to the processor.
    auto* processors = new CContentProcessorsManager();
    processors->registerProcessor(processor);

    auto* releasing = new CEventDeviceVideoDriverReleasing();
    processors->routeToChildren(DispatchSelfThenChildren, releasing);
    EXPECT_EQ(processor->getVideoDriver(), nullptr);
    processor->onContentEvent(releasing, cache);
    releasing->drop();
    EXPECT_EQ(a->getTexture(), nullptr);
    EXPECT_EQ(b->getTexture(), nullptr);
    EXPECT_EQ(orphan->getTexture(), nullptr);

    IVideoDriver* second = createMemoryTextureDriver(SDeviceParameters(), nullptr);
    auto* created = new CEventDeviceVideoDriverCreated(second);
    processors->routeToChildren(DispatchSelfThenChildren, created);
    EXPECT_EQ(processor->getVideoDriver(), second);
    manager.requests.clear();
    processor->onContentEvent(created, cache);
    created->drop();

    // Each fetched by its file name, not relative to anything.
    EXPECT_EQ(manager.requests, (std::vector<std::string>{"a.png", "b.png", "gone.png"}));
    for (bool relative : manager.relativeRequests) EXPECT_FALSE(relative);
    ASSERT_NE(a->getTexture(), nullptr);
    ASSERT_NE(b->getTexture(), nullptr);
    EXPECT_EQ(b->getTexture()->getOriginalSize(), dimension2di(3, 3));
    EXPECT_EQ(a->getTexture()->getReferenceCount(), 1);
    EXPECT_EQ(orphan->getTexture(), nullptr);  // its image cannot be had
    EXPECT_EQ(manager.images["b.png"]->getReferenceCount(), 1);

    // Other events change nothing.
    ITexture* kept = a->getTexture();
    auto* update = new CEventSystemFlowUpdate(10);
    processor->onContentEvent(update, cache);
    update->drop();
    EXPECT_EQ(a->getTexture(), kept);

    processors->drop();
    a->drop();
    b->drop();
    orphan->drop();
    second->drop();
}
