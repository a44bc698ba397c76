// The device's set of content processors: every kind present, and the processors that follow
// the video driver keep it current.

#include <gtest/gtest.h>

#include "engine/device/ContentProcessors.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/io/CFileSystem.h"
#include "engine/video/render2d/CAtlasTextureProcessor.h"
#include "engine/video/render2d/CFontProcessor.h"
#include "engine/video/CMemoryTextureDriver.h"
#include "engine/video/CTextureProcessor.h"
#include "tests/support/TestSupport.h"

using namespace oskel;

TEST(ContentProcessors, EveryKindOnceAndDriverEventsReachTheDriverFollowers) {
    CFileSystem* fileSystem = new CFileSystemLinux();
    IVideoDriver* driver = createMemoryTextureDriver(SDeviceParameters(), fileSystem);
    CContentProcessorsManager* processors = createContentProcessors(driver, nullptr, fileSystem);
    const u32 order[] = {TypeCodeTexture,    TypeCodeAtlasTexture,       TypeCodeAtlasCollection,
                         TypeCodeImage,      TypeCodeSceneNode,          TypeCodeFont,
                         TypeCodeParticleCollection, TypeCodeEmitter,    TypeCodeSound,
                         TypeCodeSoundPack};
    ASSERT_EQ(processors->getProcessorCount(), 10u);
    for (u32 i = 0; i < 10; ++i) EXPECT_EQ(processors->getProcessorAt(i)->getTypeCode(), order[i]) << i;

    auto* atlas = dynamic_cast<CAtlasTextureProcessor*>(processors->getProcessor(TypeCodeAtlasTexture));
    auto* font = dynamic_cast<CFontProcessor*>(processors->getProcessor(TypeCodeFont));
    ASSERT_TRUE(atlas && font);
    EXPECT_EQ(atlas->getVideoDriver(), driver);
    EXPECT_EQ(font->getVideoDriver(), driver);

    CEvent* releasing = new CEventDeviceVideoDriverReleasing();
    processors->dispatchEvent(DispatchSelfThenChildren, releasing);
    releasing->drop();
    EXPECT_EQ(atlas->getVideoDriver(), nullptr);
    EXPECT_EQ(font->getVideoDriver(), nullptr);

    CEvent* created = new CEventDeviceVideoDriverCreated(driver);
    processors->dispatchEvent(DispatchSelfThenChildren, created);
    created->drop();
    EXPECT_EQ(atlas->getVideoDriver(), driver);
    EXPECT_EQ(font->getVideoDriver(), driver);

    {
        test::LogCapture log;
        IContentProcessor* second = new CFontProcessor(fileSystem, driver);
        processors->registerProcessor(second);
        EXPECT_TRUE(log.contains("CContentProcessorsManager", LogWarning));
        EXPECT_EQ(processors->getProcessor(TypeCodeFont), font);
        second->drop();
    }
    processors->drop();
    driver->drop();
    fileSystem->drop();
}
