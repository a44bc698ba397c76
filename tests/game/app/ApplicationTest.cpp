// The application object on a windowless device whose resets make a recording null driver.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "engine/audio/CSoundGroupManager.h"
#include "engine/content/CContentManager.h"
#include "engine/core/CTimerScheduler.h"
#include "engine/core/StringUtils.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/device/CDeviceLinux.h"
#include "engine/image/CImage.h"
#include "engine/profiles/CProfileManager.h"
#include "engine/scene/CNodeFactory.h"
#include "engine/scene/SceneManager.h"
#include "engine/scene/TemplateCollectionNode.h"
#include "game/app/GApplication.h"
#include "game/config/ComicsConfiguration.h"
#include "game/config/GAchievementsProgress.h"
#include "game/config/GExternalHooks.h"
#include "game/config/LevelScores.h"
#include "game/config/UpgradesConfiguration.h"
#include "game/level/GBuildingsConfiguration.h"
#include "game/scenes/ITutorial.h"
#include "tests/io/ArchiveWriters.h"
#include "tests/io/XmlTestUtils.h"
#include "tests/support/TestSupport.h"
#include "tests/video/RecordingDriver.h"

using namespace oskel;
using namespace brasquel;
namespace fs = std::filesystem;

namespace {

// A null driver with a screen of a chosen size that records its frames and rectangles.
class FrameDriver : public test::RecordingDriver {
public:
    explicit FrameDriver(const SDeviceParameters& parameters) : RecordingDriver(parameters) {}
    bool beginScene(bool, bool, SColor color, void*, const recti*) override {
        calls.push_back("begin " + std::to_string(color.color));
        return true;
    }
    bool endScene() override {
        calls.push_back("end");
        return true;
    }
    void draw2DRectangle(SColor color, const recti& rect, const recti* clip) override {
        calls.push_back("rect " + std::to_string(color.color) + " " +
                        std::to_string(rect.UpperLeftCorner.X) + "," +
                        std::to_string(rect.UpperLeftCorner.Y) + "," +
                        std::to_string(rect.LowerRightCorner.X) + "," +
                        std::to_string(rect.LowerRightCorner.Y) + (clip ? " clipped" : ""));
    }
    // A screenshot of the screen's size when asked for.
    CImage* createScreenShot() override {
        if (!takesShots) return nullptr;
        return new CImage(CCreationContext(), ECF_R8G8B8, dimension2di(32, 24));
    }
    std::vector<std::string> calls;
    bool takesShots = false;
};

// The recorded device of a test: windowless; a reset keeps the asked parameters and makes a
// frame driver with the screen size the test chose.
class AppTestDevice : public CDeviceLinux {
public:
    AppTestDevice() : CDeviceLinux(SDeviceParameters()) {}
    bool reset(const SDeviceParameters& parameters) override {
        asked = parameters;
        ++resets;
        if (failReset) return false;
        SDeviceParameters driverParameters = parameters;
        driverParameters.windowSize = screen;
        m_parameters = driverParameters;
        driver = new FrameDriver(driverParameters);
        setVideoDriver(driver);
        return true;
    }
    SDeviceParameters asked;
    int resets = 0;
    bool failReset = false;
    irr::core::dimension2d<s32> screen{1024, 768};
    FrameDriver* driver = nullptr;  // the device's
};

// Each test: a data folder of its own with an optional profile file, a working folder with an
// optional asset folder, and a device of its own.
struct ApplicationFixture : ::testing::Test {
    fs::path root = fs::temp_directory_path() /
                    ("brasquel-application-" + std::to_string(::getpid()) + "-" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::path previousDirectory = fs::current_path();
    AppTestDevice* device = nullptr;
    test::LogCapture logs;

    void SetUp() override {
        fs::create_directories(root / "work");
        fs::create_directories(root / "data");
        setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
        fs::current_path(root / "work");
        device = new AppTestDevice();
        ASSERT_EQ(IDevice::recordedInstance(), device);
    }
    void TearDown() override {
        device->drop();
        fs::current_path(previousDirectory);
        fs::remove_all(root);
    }
    void write(const fs::path& name, const std::string& text) {
        fs::create_directories(name.parent_path());
        std::ofstream(name) << text;
    }
    void writeAssets() {
        write(root / "work/assets/scenes/LogosScene.oscn",
              "<SceneNode Type=\"SceneNode\" ClassOverride=\"NotThereYet\"><Properties>"
              "<string Name=\"Name\" Value=\"LogosScene\"/></Properties></SceneNode>");
        write(root / "work/assets/logos/Logos.xml",
              "<Logos><Logo Image=\"logos/one.png\" Time=\"1500\" Skippable=\"true\"/></Logos>");
    }
    void writeCommonProfile(const std::string& parameters) {
        write(root / "data/Quorvane/Brasquel/profile.dat",
              "<?xml version=\"1.0\"?><Profiles><CommonProfile><Parameters>" + parameters +
                  "</Parameters></CommonProfile></Profiles>");
    }
    s32 priorityOf(CEventReceiver* receiver) const {
        for (u32 i = 0; i < device->getEventReceiverCount(); ++i)
            if (device->getEventReceiver(i) == receiver) return device->getEventReceiverPriority(i);
        return -1000;
    }
    void post(CEvent* event) { device->postEvent(event); }
};

}  // namespace

TEST_F(ApplicationFixture, AMissingStartSceneFailsStartUpWithExitCode1) {
    EXPECT_EQ(runGame(nullptr, nullptr), 1);
    EXPECT_TRUE(logs.contains("Failed to initialize game", LogError));
    EXPECT_EQ(device->resets, 1);
    // The application has left the device.
    for (u32 i = 0; i < device->getEventReceiverCount(); ++i)
        EXPECT_EQ(dynamic_cast<GApplication*>(device->getEventReceiver(i)), nullptr);
    EXPECT_EQ(GApplication::getInstance(), nullptr);
}

TEST_F(ApplicationFixture, AFailedResetFailsStartUp) {
    writeAssets();
    device->failReset = true;
    EXPECT_EQ(runGame(nullptr, nullptr), 1);
    EXPECT_TRUE(logs.contains("Failed to initialize game", LogError));
}

TEST_F(ApplicationFixture, TheDefaultProfileAsksForDirect3D8FullScreen) {
    writeAssets();
    auto application = makeRef<GApplication>();
    ASSERT_TRUE(application->init());
    const SDeviceParameters& p = device->asked;
    EXPECT_EQ(p.driverType, DriverDirect3D8);
    EXPECT_TRUE(p.fullscreen);
    EXPECT_TRUE(p.vsync);
    EXPECT_EQ(p.antiAlias, 0);
    EXPECT_EQ(p.windowSize, (irr::core::dimension2d<s32>(1024, 768)));
    EXPECT_EQ(p.bits, 32u);
    EXPECT_FALSE(p.stencilBuffer);
    EXPECT_FALSE(p.highPrecisionFpu);
    EXPECT_TRUE(p.useDesktopResolution);
    EXPECT_EQ(device->getUpdateInterval(), 10u);
    EXPECT_EQ(device->getUpdateStep(), 10u);
    EXPECT_EQ(device->getEngineSettings()->getStringW("PublisherName"), stringw(L"Quorvane"));
    EXPECT_EQ(device->getEngineSettings()->getStringW("TitleCaption"), stringw(L"Brasquel"));
    CProfile* defaults = CProfileManager::instance().getNewProfileDefaults();
    EXPECT_FLOAT_EQ(defaults->getFloat("SoundVolume"), 50.0f);
    EXPECT_EQ(defaults->getInt("ShowTutorialLevel"), -1);
    EXPECT_TRUE(defaults->getBool("ShowFinalCredits"));
    application->shutdown();
}

// The logos scene's class is registered before the device exists, so the first scene is a logos
// scene; its entry sets the caption from the dictionary, through the application's services.
TEST_F(ApplicationFixture, TheFirstSceneIsTheLogosSceneWithTheDictionarysCaption) {
    writeAssets();
    write(root / "work/assets/scenes/LogosScene.oscn",
          "<SceneNode Type=\"SceneNode\" ClassOverride=\"GLogosScene\"><Properties>"
          "<string Name=\"Name\" Value=\"LogosScene\"/></Properties></SceneNode>");
    write(root / "work/assets/strings/Dictionary.xml",
          "<Dictionary><s n=\"TitleName\">Brasquel Gold</s></Dictionary>");
    auto application = makeRef<GApplication>();
    ASSERT_TRUE(application->init());
    EXPECT_TRUE(CNodeFactory::instance().isNodeClassRegistered(L"GLogosScene"));
    EXPECT_TRUE(CNodeFactory::instance().isNodeClassRegistered(L"GIntroScene"));
    SceneNode* scene = application->getSceneManager()->getCurrentScene();
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(scene->getClassName(), stringw(L"GLogosScene"));
    EXPECT_EQ(device->getEngineSettings()->getStringW("TitleCaption"), stringw(L"Brasquel Gold"));
    EXPECT_EQ(application->getFileSystem(), device->getFileSystem());
    EXPECT_EQ(application->getTextDictionary(), device->getTextDictionary());
    application->shutdown();
}

TEST_F(ApplicationFixture, StartUpBuildsTheServicesAndShowsTheFirstScene) {
    writeAssets();
    const u32 receiversBefore = device->getEventReceiverCount();
    writeCommonProfile(
        "<int Name=\"VideoDriver\" Value=\"3\"/><bool Name=\"FullScreen\" Value=\"false\"/>"
        "<int Name=\"AntiAlias\" Value=\"4\"/><bool Name=\"VSync\" Value=\"false\"/>");
    auto application = makeRef<GApplication>();
    ASSERT_TRUE(application->init());
    EXPECT_EQ(GApplication::getInstance(), application.get());
    EXPECT_EQ(device->asked.driverType, DriverOpenGL);
    EXPECT_FALSE(device->asked.fullscreen);
    EXPECT_FALSE(device->asked.vsync);
    EXPECT_EQ(device->asked.antiAlias, 4);

    // Receivers and their priorities.
    EXPECT_EQ(priorityOf(application.get()), 0);
    EXPECT_EQ(priorityOf(application->getContentManager()), 1);
    EXPECT_EQ(priorityOf(application->getSceneScheduler()), 2);
    EXPECT_EQ(priorityOf(application->getWorldScheduler()), 2);
    EXPECT_EQ(priorityOf(application->getSceneManager()), 2);
    EXPECT_EQ(priorityOf(application->getWorldSceneManager()), -1000);  // not a receiver
    EXPECT_TRUE(application->getSceneManager()->isSortEnabled());
    EXPECT_EQ(application->getSceneManager()->getEventSource(), application->getSceneScheduler());
    EXPECT_EQ(application->getWorldSceneManager()->getEventSource(),
              application->getWorldScheduler());
    EXPECT_FLOAT_EQ(application->getWorldSceneManager()->getPosition().Z, -4000.0f);

    // The first scene and the logos.
    SceneNode* scene = application->getSceneManager()->getCurrentScene();
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(scene->getNodeName(), stringc("LogosScene"));
    EXPECT_EQ(scene->getTypeId(), NodeTypeScene);  // an engine class until the game's exists
    ASSERT_EQ(application->getLogosConfiguration()->getLogos().size(), 1u);
    EXPECT_EQ(application->getLogosConfiguration()->getLogos()[0].Time, 1500);

    // The sound groups.
    CSoundGroupManager* groups = device->getSoundGroupManager();
    const struct {
        s32 group, maxInstances, policy, fadeIn, fadeOut;
    } expected[] = {{0, 8, 1, 0, 1000}, {1, 1, 1, 2000, 1000}, {2, 16, 1, 0, 1000}};
    for (const auto& e : expected) {
        const SSoundGroupSettings& s = groups->getGroupSettings(e.group);
        EXPECT_EQ(s.maxInstances, e.maxInstances) << e.group;
        EXPECT_EQ(s.policy, e.policy) << e.group;
        EXPECT_EQ(s.fadeInMs, e.fadeIn) << e.group;
        EXPECT_EQ(s.fadeOutMs, e.fadeOut) << e.group;
    }

    // A defined end: every service leaves the device and the application is released.
    EXPECT_EQ(device->getEventReceiverCount(), receiversBefore + 6);  // with the scene's clock
    application->shutdown();
    EXPECT_EQ(device->getEventReceiverCount(), receiversBefore);
    EXPECT_EQ(application->getSceneManager(), nullptr);
    EXPECT_EQ(GApplication::getInstance(), nullptr);
    application->shutdown();  // again: nothing
}

TEST_F(ApplicationFixture, TheAssetArchiveIsMountedOnlyWhenItIsThere) {
    writeAssets();
    const std::string archive = (root / "work/assets.oca").string();
    const struct {
        const char* what;
        std::string bytes;  // none: no archive
        bool mounted, damaged;
    } cases[] = {
        {"none", "", false, false},
        {"an archive", test::makeOca({{"strings/FromArchive.txt", "packed"}}, test::kGameAssetsKey),
         true, false},
        {"a damaged one", std::string("OCA\0\xff\xff\xff\x7f\x01\0\0\0\0\0\0\0", 16), false, true},
    };
    for (const auto& c : cases) {
        // A device of its own, with a file system that has mounted nothing yet.
        device->drop();
        device = new AppTestDevice();
        fs::remove(archive);
        if (!c.bytes.empty()) {
            ASSERT_TRUE(test::writeFileBytes(archive, c.bytes));
        }
        logs.clear();
        auto application = makeRef<GApplication>();
        ASSERT_TRUE(application->init()) << c.what;
        EXPECT_EQ(device->getFileSystem()->existFile("strings/FromArchive.txt"), c.mounted)
            << c.what;
        // A damaged archive is still reported; a clean start says nothing that looks like a
        // failure.
        EXPECT_EQ(logs.contains("Damaged archive directory", LogError), c.damaged) << c.what;
        if (!c.damaged) {
            for (const auto& line : logs.lines())
                EXPECT_NE(line.level, LogError) << line.text << ": " << line.hint;
        }
        // For everyone else a missing archive stays a failure worth a message.
        EXPECT_EQ(device->getFileSystem()->addArchive("missing.oca"), nullptr);
        EXPECT_TRUE(logs.contains("Could not create archive for", LogError)) << c.what;
        application->shutdown();
    }
}

TEST_F(ApplicationFixture, FramesDrawTheScenesThenTheBlackBars) {
    writeAssets();
    device->screen = irr::core::dimension2d<s32>(1920, 1080);
    auto application = makeRef<GApplication>();
    ASSERT_TRUE(application->init());
    EXPECT_FALSE(device->driver->getTextureCreationFlag(ETCF_CREATE_MIP_MAPS));
    EXPECT_TRUE(logs.contains(
        "Game screen alined. Scene pos:240.000000,0.000000; Scale:1.406250,1.406250"));
    EXPECT_FLOAT_EQ(application->getSceneManager()->getScale().X, 1.40625f);
    EXPECT_FLOAT_EQ(application->getSceneManager()->getPosition().X, 240.0f);
    device->driver->calls.clear();
    post(new CEventSystemFlowRender());
    const std::vector<std::string> frame = {"begin 0", "rect 4278190080 0,0,240,1080",
                                            "rect 4278190080 1680,0,1920,1080", "end"};
    EXPECT_EQ(device->driver->calls, frame);
    application->shutdown();
}

// A frame asked for through the game services is drawn at once by the application's own
// handler, and the render event goes on to the application's receivers.
TEST_F(ApplicationFixture, AFrameAskedForByTheServicesIsDrawnAtOnce) {
    struct RenderCounter : CEventReceiver {
        bool onEvent(CEvent* event) override {
            renders += event->getTypeId() == EventSystemFlowRender ? 1 : 0;
            return false;
        }
        int renders = 0;
    };
    writeAssets();
    auto application = makeRef<GApplication>();
    ASSERT_TRUE(application->init());
    auto counter = makeRef<RenderCounter>();
    application->addPostReceiver(counter.get());
    device->driver->calls.clear();
    IGameServices::get()->renderFrame();
    ASSERT_FALSE(device->driver->calls.empty());
    EXPECT_EQ(device->driver->calls.front(), "begin 0");
    EXPECT_EQ(device->driver->calls.back(), "end");
    EXPECT_EQ(counter->renders, 1);
    application->removePostReceiver(counter.get());
    application->shutdown();
}

TEST_F(ApplicationFixture, UpdatesFocusAndCloseRequests) {
    writeAssets();
    auto application = makeRef<GApplication>();
    ASSERT_TRUE(application->init());
    post(new CEventSystemFlowUpdate(10));
    post(new CEventSystemFlowUpdate(7));
    EXPECT_EQ(application->getLastStep(), 7u);
    EXPECT_EQ(application->getHookTime(), 17u);

    CSoundGroupManager* groups = device->getSoundGroupManager();
    post(new CEventSystemFlowWindowFocus(false));
    EXPECT_TRUE(groups->getGroupSettings(0).paused);
    EXPECT_TRUE(groups->getGroupSettings(1).paused);
    EXPECT_FALSE(groups->getGroupSettings(2).paused);
    post(new CEventSystemFlowWindowFocus(true));
    EXPECT_FALSE(groups->getGroupSettings(0).paused);
    EXPECT_FALSE(groups->getGroupSettings(1).paused);

    // The close request is seen but not kept: the window closes.
    auto* close = new CEventSystemFlowCloseRequest();
    close->grab();
    EXPECT_FALSE(application->onEvent(close));
    close->drop();
    close->drop();
    EXPECT_TRUE(logs.contains("CEventSystemFlowCloseRequest event received", LogInformation));
    application->shutdown();
}

TEST_F(ApplicationFixture, DeveloperKeysNeedTheCodeThenControlAndShift) {
    writeAssets();
    auto application = makeRef<GApplication>();
    ASSERT_TRUE(application->init());
    for (const char* c = "plumvast"; *c; ++c)
        post(new CEventKeyboardKeyDown(static_cast<u16>(*c), 0, false, false));
    EXPECT_TRUE(areDeveloperKeysOn());
    EXPECT_TRUE(application->getTypedCharacters().empty());
    // The null driver takes no screenshots: nothing is written, with or without shift.
    post(new CEventKeyboardKeyDown(0x13, 0x53, false, true));
    post(new CEventKeyboardKeyDown(0x13, 0x53, true, true));
    EXPECT_TRUE(application->saveScreenshot().empty());
    EXPECT_FALSE(fs::exists(root / "data/Quorvane/Brasquel/screenshot0.jpg"));
    application->shutdown();
}

TEST_F(ApplicationFixture, ScreenshotsAreNumberedInTheUserDataFolder) {
    writeAssets();
    auto application = makeRef<GApplication>();
    ASSERT_TRUE(application->init());
    device->driver->takesShots = true;
    const fs::path folder = root / "data/Quorvane/Brasquel";
    std::ofstream(folder / "screenshot0.jpg") << "an earlier one";
    for (const char* c = "plumvast"; *c; ++c)
        post(new CEventKeyboardKeyDown(static_cast<u16>(*c), 0, false, false));
    // Control and S alone: nothing.
    post(new CEventKeyboardKeyDown(0x13, 0x53, false, true));
    EXPECT_FALSE(fs::exists(folder / "screenshot1.jpg"));
    post(new CEventKeyboardKeyDown(0x13, 0x53, true, true));
    post(new CEventKeyboardKeyDown(0x13, 0x53, true, true));
    ASSERT_TRUE(fs::exists(folder / "screenshot1.jpg"));
    ASSERT_TRUE(fs::exists(folder / "screenshot2.jpg"));
    EXPECT_FALSE(fs::exists(folder / "screenshot3.jpg"));
    std::ifstream first(folder / "screenshot0.jpg");
    EXPECT_EQ(
        std::string((std::istreambuf_iterator<char>(first)), std::istreambuf_iterator<char>()),
        "an earlier one");
    std::ifstream shot(folder / "screenshot1.jpg", std::ios::binary);
    char magic[2] = {};
    shot.read(magic, 2);
    EXPECT_EQ(static_cast<unsigned char>(magic[0]), 0xFFu);  // a JPEG
    EXPECT_EQ(static_cast<unsigned char>(magic[1]), 0xD8u);
    application->shutdown();
}

// A driver keeps copies of its frames for screenshots only while someone may take one: the
// application registers once the developer keys are on, with every driver a reset makes.
TEST_F(ApplicationFixture, DeveloperKeysRegisterForScreenshotsWithEachDriver) {
    writeAssets();
    auto application = CRefPtr<GApplication>::fromRaw(new GApplication());
    ASSERT_TRUE(application->init());
    // (The keys stay on for the rest of a run: only a fresh run starts without them.)
    if (!areDeveloperKeysOn()) {
        EXPECT_EQ(device->driver->getScreenShotUserCount(), 0u);
    }
    for (int round = 0; round < 2; ++round)
        for (const char* c = "plumvast"; *c; ++c)
            post(new CEventKeyboardKeyDown(static_cast<u16>(*c), 0, false, false));
    EXPECT_EQ(device->driver->getScreenShotUserCount(), 1u);

    FrameDriver* first = device->driver;
    first->grab();
    ASSERT_TRUE(device->reset(application->getDeviceParameters()));
    ASSERT_NE(device->driver, first);
    EXPECT_EQ(device->driver->getScreenShotUserCount(), 1u);
    first->drop();

    application->shutdown();
    EXPECT_EQ(device->driver->getScreenShotUserCount(), 0u);
}

TEST_F(ApplicationFixture, StartUpAppliesTheActivePlayersSoundSettingsOnly) {
    writeAssets();
    const struct {
        const char* players;
        f32 sounds, music;
    } cases[] = {
        {"", 1.0f, 1.0f},  // nobody active: the groups keep their volumes
        {"<Profile Name=\"Ann\"><Parameters><bool Name=\"SoundOn\" "
         "Value=\"false\"/></Parameters></Profile>",
         1.0f, 1.0f},
        {"<Profile Name=\"Ann\" Active=\"true\"><Parameters><bool Name=\"SoundOn\" "
         "Value=\"false\"/>"
         "<float Name=\"MusicVolume\" Value=\"30\"/></Parameters></Profile>",
         0.0f, 0.3f},
    };
    for (const auto& c : cases) {
        write(root / "data/Quorvane/Brasquel/profile.dat",
              std::string("<?xml "
                          "version=\"1.0\"?><Profiles><CommonProfile><Parameters></Parameters></"
                          "CommonProfile>") +
                  c.players + "</Profiles>");
        CSoundGroupManager* groups = device->getSoundGroupManager();
        for (s32 g = 0; g < 3; ++g) groups->setGroupVolume(1.0f, g);
        auto application = makeRef<GApplication>();
        ASSERT_TRUE(application->init());
        EXPECT_FLOAT_EQ(groups->getGroupVolume(0), c.sounds) << c.players;
        EXPECT_FLOAT_EQ(groups->getGroupVolume(2), c.sounds) << c.players;
        EXPECT_FLOAT_EQ(groups->getGroupVolume(1), c.music) << c.players;
        application->shutdown();
        // The profiles of this start go with it.
        CProfileManager& profiles = CProfileManager::instance();
        while (profiles.getProfileCount() > 0) profiles.removeProfile(0);
    }
}

// The tracker exists from the constructor on in its reset state; init loads the active player's
// counters; without an active player nothing is loaded.
TEST_F(ApplicationFixture, StartUpLoadsTheActivePlayersAchievements) {
    writeAssets();
    const struct {
        const char* players;
        s32 counter0, counter10;
    } cases[] = {
        {"", 1, 20},  // nothing loaded: what was counted stays
        {"<Profile Name=\"Ann\"><Parameters><string Name=\"AchievementsProgress\" "
         "Value=\"4;0;0;0;0;0;0;0;0;0;9\"/></Parameters></Profile>",
         1, 20},
        {"<Profile Name=\"Ann\" Active=\"true\"><Parameters><string "
         "Name=\"AchievementsProgress\" Value=\"4;0;0;0;0;0;0;0;0;0;9\"/></Parameters></Profile>",
         4, 9},
    };
    for (const auto& c : cases) {
        write(
            root / "data/Quorvane/Brasquel/profile.dat",
            std::string("<?xml version=\"1.0\"?><Profiles><CommonProfile><Parameters></Parameters>"
                        "</CommonProfile>") +
                c.players + "</Profiles>");
        auto application = makeRef<GApplication>();
        GAchievementsProgress* tracker = application->getAchievementsProgress();
        ASSERT_NE(tracker, nullptr);
        tracker->addProgress(GAchievementsProgress::LevelsCompleted, 20);
        ASSERT_TRUE(application->init());
        EXPECT_EQ(IGameServices::get()->getAchievementsProgress(), tracker);
        EXPECT_EQ(tracker->getCounter(GAchievementsProgress::LodgingUpgrades), c.counter0)
            << c.players;
        EXPECT_EQ(tracker->getCounter(GAchievementsProgress::LevelsCompleted), c.counter10)
            << c.players;
        // Without a host or templates the application makes no tutorial; with both it makes a
        // controller that loads a step file.
        EXPECT_EQ(application->createTutorial(nullptr, nullptr, nullptr, true), nullptr);
        {
            auto host = makeRef<BaseNode>(CCreationContext());
            auto collection = makeRef<TemplateCollectionNode>(CCreationContext());
            EXPECT_EQ(application->createTutorial(host.get(), nullptr, nullptr, true), nullptr);
            auto window = makeRef<BaseNode>(CCreationContext());
            window->setNameId(CNameId("TutorialWindow").getId());
            collection->addTemplate(window.get());
            CRefPtr<ITutorial> made = CRefPtr<ITutorial>::fromRaw(
                application->createTutorial(host.get(), collection.get(), nullptr, true));
            ASSERT_NE(made, nullptr);
            CRefPtr<CXmlReader> steps = oskel::test::readerOf("<Tutorial><Hint/></Tutorial>");
            EXPECT_TRUE(made->load(steps.get(), nullptr));
            EXPECT_EQ(host->getChildCount(), 2u);  // the window and the arrow layer
            made->stop();
            EXPECT_EQ(host->getChildCount(), 0u);
        }
        application->shutdown();
        CProfileManager& profiles = CProfileManager::instance();
        while (profiles.getProfileCount() > 0) profiles.removeProfile(0);
    }
}

TEST_F(ApplicationFixture, ADeviceThatGoesFirstReleasesTheApplicationSafely) {
    writeAssets();
    auto* application = new GApplication();
    ASSERT_TRUE(application->init());
    application->drop();  // the device holds it now
    EXPECT_EQ(GApplication::getInstance(), application);
    device->drop();  // releases its receivers, the application among them
    EXPECT_EQ(GApplication::getInstance(), nullptr);
    device = new AppTestDevice();  // for the fixture's end
}

// The tables exist from the constructor on; from init until shutdown the application serves the
// scenes through the game services, and the reload key reads the tables from their files.
TEST_F(ApplicationFixture, TheTablesAreServedFromInitAndReloadedFromTheirFiles) {
    writeAssets();
    auto application = makeRef<GApplication>();
    ComicsConfiguration* comics = application->getComicsConfiguration();
    UpgradesConfiguration* upgrades = application->getUpgradesConfiguration();
    LevelScores* scores = application->getLevelScores();
    ASSERT_NE(comics, nullptr);
    ASSERT_NE(upgrades, nullptr);
    ASSERT_NE(scores, nullptr);
    ASSERT_NE(application->getExternalHooks(), nullptr);
    EXPECT_EQ(IGameServices::get(), nullptr);

    ASSERT_TRUE(application->init());
    IGameServices* services = IGameServices::get();
    ASSERT_EQ(services, application.get());
    EXPECT_EQ(services->getComicsConfiguration(), comics);
    EXPECT_EQ(services->getSceneManager(), application->getSceneManager());
    EXPECT_EQ(services->getWorldSceneManager(), application->getWorldSceneManager());
    EXPECT_EQ(services->getSoundGroupManager(), device->getSoundGroupManager());
    EXPECT_EQ(services->getLogosConfiguration()->getLogos().size(), 1u);
    // Of the preloader's batch the main menu, its movers, the path-movable node, the shop with its
    // button, the achievements' two scenes, the map, its location buttons, the level loading
    // screen, the play screen, the ellipse sector node, the building lot, the level scene, the
    // shell's scenes, the weather and hint particles, the selection grid, the eight effect nodes,
    // the world's four movers, the rectangle, the once spawner and the three mini-games: every
    // row of the batch.
    EXPECT_EQ(services->registerNodeClasses(), 47u);
    for (const wchar_t* name :
         {L"GMainMenuScene", L"GMainMenuPedestrianNode", L"GMainMenuCarNode", L"GMainMenuBikeNode",
          L"GMainMenuCloudNode", L"GPathMovableNode", L"GShopButton", L"GShopScene",
          L"GAchievementUnlockedScene", L"GAchievementsScene", L"GMapScene", L"GMapLocationButton",
          L"GLoadingLevelScene", L"GGamePlayScene", L"GEllipseSectorNode", L"GBuildingNode",
          L"GGameLevelScene",
          L"GSelectPlayerScene", L"GSelectPlayerInputNameScene", L"GComicsScene",
          L"GLevelObjectivesScene", L"GLevelCompletedScene", L"GHelpScene", L"GCreditsScene",
          L"GInGameMenuScene", L"GOptionsScene", L"GMiniCompletedScene", L"GMiniGameHiddenScene",
          L"GMiniGameHidden2Scene", L"GMiniGameAuctionScene", L"GWeatherParticlesNode",
          L"GHOHintParticlesNode", L"GSelectGridNode", L"GSpiralMovableNode", L"GBaloonNode",
          L"GPicEffectNode", L"GLakeWaveNode", L"GFireworkNode", L"GShieldEffectNode",
          L"GShieldStarNode", L"GCircularBirdNode", L"GBirdNode", L"GCarNode", L"GPedestrianNode",
          L"GTextTrailNode", L"GRectangleNode", L"OnceSpawnerNode"})
        EXPECT_TRUE(CNodeFactory::instance().isNodeClassRegistered(name)) << toUtf8(name);

    // The reload key: each table reads its file, the buildings catalogue first.
    GBuildingsConfiguration* buildings = application->getBuildingsConfiguration();
    ASSERT_NE(buildings, nullptr);
    EXPECT_EQ(services->getBuildingsConfiguration(), buildings);
    EXPECT_EQ(application->getReloadEntries()[0].table,
              static_cast<IConfigurationTable*>(buildings));
    write(root / "work/assets/levels/common/BuildingsConfiguration.xml",
          "<BuildingsConfiguration><Building><Properties><string Name=\"Name\" Value=\"Cafe\"/>"
          "</Properties></Building></BuildingsConfiguration>");
    write(root / "work/assets/levels/common/UpgradesConfiguration.xml",
          "<UpgradesConfiguration><Upgrade><Name "
          "Value=\"Parks\"/></Upgrade></UpgradesConfiguration>");
    write(root / "work/assets/scenes/ComicsConfiguration.xml",
          "<ComicsConfiguration><Comics><Level Value=\"6\"/></Comics></ComicsConfiguration>");
    write(root / "work/assets/levels/common/LevelScores.xml",
          "<LevelScores><Level Name=\"level1\" Score=\"900\"/></LevelScores>");
    application->reloadConfiguration();
    EXPECT_NE(upgrades->find(CNameId("Parks")), nullptr);
    EXPECT_NE(comics->find(6), nullptr);
    ASSERT_NE(scores->find("level1"), nullptr);
    EXPECT_EQ(scores->find("level1")->Score, 900);
    EXPECT_NE(buildings->find(CNameId("Cafe")), nullptr);

    // Completion and update steps reach the hooks.
    application->onLevelCompleted("level1", "245");
    post(new CEventSystemFlowUpdate(10));
    EXPECT_EQ(application->getExternalHooks()->getTime(), 10u);

    application->shutdown();
    EXPECT_EQ(IGameServices::get(), nullptr);
    EXPECT_EQ(application->getComicsConfiguration(), nullptr);
    EXPECT_EQ(application->getUpgradesConfiguration(), nullptr);
    EXPECT_EQ(application->getLevelScores(), nullptr);
    EXPECT_EQ(application->getExternalHooks(), nullptr);
    EXPECT_EQ(application->getHookTime(), 0u);
    for (const SReloadEntry& entry : application->getReloadEntries())
        EXPECT_EQ(entry.table, nullptr);
}

// Services installed by others (a test's) are left in place by an application that did not
// install them.
TEST_F(ApplicationFixture, ShutdownRemovesOnlyItsOwnServices) {
    writeAssets();
    auto application = makeRef<GApplication>();
    ASSERT_TRUE(application->init());
    auto other = makeRef<GApplication>();
    IGameServices::install(other.get());
    application->shutdown();
    EXPECT_EQ(IGameServices::get(), other.get());
    IGameServices::install(nullptr);
}

TEST_F(ApplicationFixture, ReleaseUnusedDropsWhatOnlyTheCacheHolds) {
    writeAssets();
    auto application = makeRef<GApplication>();
    ASSERT_TRUE(application->init());
    CContentManager* content = application->getContentManager();
    auto kept =
        makeRef<CImage>(CCreationContext(content, "kept.png"), ECF_A8R8G8B8, dimension2di(2, 2));
    auto* unused =
        new CImage(CCreationContext(content, "unused.png"), ECF_A8R8G8B8, dimension2di(2, 2));
    ASSERT_TRUE(content->registerContent(kept.get()));
    ASSERT_TRUE(content->registerContent(unused));
    unused->drop();  // only the cache holds it now
    const u32 before = content->getCachedCount(TypeCodeImage);
    application->releaseUnused();
    EXPECT_EQ(content->getCachedCount(TypeCodeImage), before - 1);
    EXPECT_EQ(content->findContent(TypeCodeImage, CCreationContext(content, "unused.png")),
              nullptr);
    EXPECT_EQ(content->findContent(TypeCodeImage, kept->getCreationContext()), kept.get());
    application->shutdown();
}
