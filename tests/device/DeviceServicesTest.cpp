#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "engine/audio/CSoundPackProcessor.h"
#include "engine/audio/CSoundProcessor.h"
#include "engine/content/CContentManager.h"
#include "engine/device/CDeviceLinux.h"
#include "engine/properties/EngineSettings.h"
#include "tests/support/TestSupport.h"

using namespace oskel;

TEST(DeviceServices, EngineSettingsDefaultsAndTheDataFoldersFollowThem) {
    test::LogCapture logs;
    IDevice* device = createDevice(SDeviceParameters());
    ASSERT_NE(device, nullptr);
    CPropertySet* settings = device->getEngineSettings();
    ASSERT_NE(settings, nullptr);
    EXPECT_TRUE(settings->getStringW(EngineSettingPublisherName) == stringw(L"Wendmark"));
    EXPECT_TRUE(settings->getStringW(EngineSettingTitleName) == stringw(L"Oskel Sample"));
    EXPECT_TRUE(settings->getStringW(EngineSettingTitleCaption) == stringw(L"Oskel Sample"));
    EXPECT_TRUE(settings->getStringW(EngineSettingAssetsFolder) == stringw(L"assets"));
    EXPECT_TRUE(settings->getStringW(EngineSettingAssetsCryptKey).empty());
    EXPECT_TRUE(settings->getStringW(EngineSettingProfilesCryptKey).empty());

    // The file system asks the settings when it needs them: a later change counts.
    CFileSystem* fs = device->getFileSystem();
    EXPECT_EQ(fs->getPublisherName(), stringc("Wendmark"));
    settings->setStringW(EngineSettingPublisherName, L"Quorvane");
    settings->setStringW(EngineSettingTitleName, L"Brasquel \u00e9t\u00e9");
    settings->setStringW(EngineSettingAssetsCryptKey, L"k\u00e9y");
    EXPECT_EQ(fs->getPublisherName(), stringc("Quorvane"));
    EXPECT_EQ(fs->getTitleName(), stringc("Brasquel \xc3\xa9t\xc3\xa9"));  // UTF-8 on the disk
    EXPECT_EQ(fs->getAssetsCryptKey(), stringc("k\xe9y"));                 // one byte a character
    const stringc folder = fs->getUserDataFolder();
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome) {
        EXPECT_EQ(folder,
                  stringc((std::string(dataHome) + "/Quorvane/Brasquel \xc3\xa9t\xc3\xa9").c_str()));
    }

    // The file system outlives the device safely.
    fs->grab();
    device->drop();
    EXPECT_EQ(fs->getPublisherName(), stringc("Wendmark"));
    fs->drop();
}

TEST(DeviceServices, ContentManagerLoadsThroughTheDeviceProcessors) {
    test::LogCapture logs;
    IDevice* device = createDevice(SDeviceParameters());
    ASSERT_NE(device, nullptr);
    CContentProcessorsManager* processors = device->getContentProcessorsManager();
    ASSERT_NE(processors, nullptr);  // the null driver exists, so the processors do
    EXPECT_NE(processors->getProcessor(TypeCodeTexture), nullptr);
    EXPECT_NE(processors->getProcessor(TypeCodeImage), nullptr);
    EXPECT_EQ(processors->getProcessor(TypeCodeTexture), processors->getProcessor(TypeCodeTexture));
    CContentManager* content = device->createContentManager();
    ASSERT_NE(content, nullptr);
    EXPECT_EQ(content->getFileSystem(), device->getFileSystem());
    EXPECT_EQ(content->getContentByPath(TypeCodeImage, "no/such/picture.png", false), nullptr);
    content->drop();
    device->drop();
}

TEST(DeviceServices, SoundProcessorsWorkWithTheDeviceAudioDriver) {
    test::LogCapture logs;
    IDevice* device = createDevice(SDeviceParameters());
    ASSERT_NE(device, nullptr);
    CContentProcessorsManager* processors = device->getContentProcessorsManager();
    ASSERT_NE(processors, nullptr);
    auto* sounds = dynamic_cast<CSoundProcessor*>(processors->getProcessor(TypeCodeSound));
    auto* packs = dynamic_cast<CSoundPackProcessor*>(processors->getProcessor(TypeCodeSoundPack));
    ASSERT_NE(sounds, nullptr);
    ASSERT_NE(packs, nullptr);
    EXPECT_EQ(sounds->getAudioDriver(), device->getAudioDriver());
    EXPECT_EQ(packs->getAudioDriver(), device->getAudioDriver());
    // Both follow the device's audio driver events.
    EXPECT_NE(sounds->getCategoryMask() & CategoryDevice, 0u);
    EXPECT_NE(packs->getCategoryMask() & CategoryDevice, 0u);
    device->drop();
}

// A device made with a clock of its own keeps time by it (the test program runs the game faster
// than real time this way).
TEST(DeviceServices, TheDeviceTimerFollowsTheClockItWasMadeWith) {
    test::LogCapture logs;
    uint64_t now = 5000;
    IDevice* device = createDevice(SDeviceParameters(), std::make_unique<test::SteppedClock>(&now));
    ASSERT_NE(device, nullptr);
    CTimer* timer = device->getTimer();
    timer->tick();
    EXPECT_EQ(timer->getRealTime(), 5000u);
    const u32 before = timer->getTime();
    now += 1234;
    timer->tick();
    EXPECT_EQ(timer->getRealTime(), 6234u);
    EXPECT_EQ(timer->getTime() - before, 1234u);
    device->drop();
}
