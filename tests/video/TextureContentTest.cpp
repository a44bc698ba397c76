// Texture resources through the real content manager and file system: loading, sharing, and
// the rebuild for a new video driver.

#include <filesystem>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "engine/content/CContentManager.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/io/CFileSystem.h"
#include "engine/image/CImage.h"
#include "engine/image/CImageManager.h"
#include "engine/video/CMemoryTextureDriver.h"
#include "engine/video/CTextureProcessor.h"
#include "engine/video/CTextureResource.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace oskel::test;

namespace {

// Images ('imag') read with the image manager, as the engine's image processor reads them.
class ImageFileProcessor : public IContentProcessor {
public:
    u32 getTypeCode() const override { return TypeCodeImage; }
    CResource* load(IContentManager*, IReadableFile* file,
                    const CCreationContext& context) override {
        ++loads;
        return getImageManager().loadImage(file, context);
    }
    bool save(IContentManager*, CResource*, IWritableFile*, void*) override { return false; }
    void onContentEvent(CEvent*, ContentNameMap&) override {}
    int loads = 0;
};

class TextureContentTest : public ::testing::Test {
protected:
    TextureContentTest() {
        dir = std::filesystem::temp_directory_path() /
              ("oskel-textures-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        processors->registerProcessor(textures);
        processors->registerProcessor(images);
        manager = new CContentManager(fileSystem, processors);
    }
    ~TextureContentTest() override {
        manager->drop();
        textures->drop();
        images->drop();
        processors->drop();
        driver->drop();
        fileSystem->drop();
        std::filesystem::remove_all(dir);
    }

    // A PNG of the size, every pixel the colour, written by the engine's own writer.
    stringc writePng(const std::string& name, s32 width, s32 height, u32 color) {
        const stringc path((dir / name).string().c_str());
        auto* image = new CImage(CCreationContext(), ECF_A8R8G8B8, dimension2di(width, height));
        image->fill(color);
        IWritableFile* file = fileSystem->createAndWriteFile(path, false);
        EXPECT_NE(file, nullptr);
        EXPECT_TRUE(getImageManager().writeImage(image, file));
        file->drop();
        image->drop();
        return path;
    }

    // Delivers a device event as the device does: the processors manager first (priority -1),
    // then the content manager (priority 1).
    void post(CEvent* event) {
        processors->dispatchEvent(DispatchSelfThenChildren, event);
        manager->dispatchEvent(DispatchSelfThenChildren, event);
        event->drop();
    }

    std::filesystem::path dir;
    CFileSystem* fileSystem = new CFileSystemLinux();
    IVideoDriver* driver = createMemoryTextureDriver(SDeviceParameters(), nullptr);
    CContentProcessorsManager* processors = new CContentProcessorsManager();
    CTextureProcessor* textures = new CTextureProcessor(driver);
    ImageFileProcessor* images = new ImageFileProcessor();
    CContentManager* manager = nullptr;
};

}  // namespace

TEST_F(TextureContentTest, TexturesAreSharedResourcesMadeFromImageFiles) {
    LogCapture logs;
    const stringc path = writePng("sprite.png", 6, 3, 0xC0102030u);
    auto* a = static_cast<CTextureResource*>(manager->getContentByPath(TypeCodeTexture, path, false));
    auto* b = static_cast<CTextureResource*>(manager->getContentByPath(TypeCodeTexture, path, false));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);  // shared: one object for every request
    EXPECT_EQ(a->getFileName(), path);
    ASSERT_NE(a->getTexture(), nullptr);
    EXPECT_EQ(a->getTexture()->getOriginalSize(), dimension2di(6, 3));
    EXPECT_TRUE(a->getTexture()->isPixelOpaque(5, 2, 0xBF));
    EXPECT_FALSE(a->getTexture()->isPixelOpaque(5, 2, 0xC0));
    EXPECT_EQ(images->loads, 1);
    EXPECT_TRUE(logs.contains("Loaded texture", LogInformation));
    a->drop();
    b->drop();

    // A driver opens image files by name through its file system.
    IVideoDriver* withFiles = createMemoryTextureDriver(SDeviceParameters(), fileSystem);
    ITexture* direct = withFiles->createTextureFromFile(path.c_str());
    ASSERT_NE(direct, nullptr);
    EXPECT_EQ(direct->getOriginalSize(), dimension2di(6, 3));
    direct->drop();
    EXPECT_EQ(withFiles->createTextureFromFile((dir / "none.png").string().c_str()), nullptr);
    withFiles->drop();

    // A file that is no image gives no texture resource.
    const stringc junk((dir / "junk.png").string().c_str());
    IWritableFile* file = fileSystem->createAndWriteFile(junk, false);
    file->write("junk", 4);
    file->drop();
    EXPECT_EQ(manager->getContentByPath(TypeCodeTexture, junk, false), nullptr);
}

TEST_F(TextureContentTest, CachedTexturesAreMadeAgainForANewDriver) {
    LogCapture logs;
    const stringc first = writePng("a.png", 4, 4, 0xFF00FF00u);
    const stringc second = writePng("b.png", 3, 5, 0x80FF0000u);
    auto* a = static_cast<CTextureResource*>(manager->getContentByPath(TypeCodeTexture, first, false));
    auto* b = static_cast<CTextureResource*>(manager->getContentByPath(TypeCodeTexture, second, false));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);

    post(new CEventDeviceVideoDriverReleasing());
    EXPECT_EQ(textures->getVideoDriver(), nullptr);
    EXPECT_EQ(a->getTexture(), nullptr);
    EXPECT_EQ(b->getTexture(), nullptr);

    // The second driver makes power-of-two textures, so its textures are told apart.
    auto* next = static_cast<CMemoryTextureDriver*>(
        createMemoryTextureDriver(SDeviceParameters(), nullptr));
    next->setFeatureEnabled(EVDF_TEXTURE_NPOT, false);
    post(new CEventDeviceVideoDriverCreated(next));
    EXPECT_EQ(textures->getVideoDriver(), next);
    ASSERT_NE(a->getTexture(), nullptr);
    ASSERT_NE(b->getTexture(), nullptr);
    EXPECT_EQ(b->getTexture()->getOriginalSize(), dimension2di(3, 5));
    EXPECT_EQ(b->getTexture()->getSize(), dimension2di(4, 8));
    EXPECT_TRUE(b->getTexture()->isPixelOpaque(2, 4, 0x7F));
    EXPECT_FALSE(b->getTexture()->isPixelOpaque(3, 4, 0));
    // The images came from the cache, not from the files again.
    EXPECT_EQ(images->loads, 2);

    // The same resources are handed out as before.
    auto* again = manager->getContentByPath(TypeCodeTexture, first, false);
    EXPECT_EQ(again, a);
    again->drop();
    a->drop();
    b->drop();
    next->drop();
}
