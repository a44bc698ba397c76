// The shell's real scene files on a real window (the virtual display in CI), with stand-ins for
// the level and the play screen: the objectives, the level results (and the comic after location
// 6), the mini-game results, the in-game menu (options, help pages, restart) and the debug
// overlay load, draw something and close as they should; and, for each video driver, the
// options switch to full screen by a real device reset at the desktop's size and back.

#include <SDL2/SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "engine/content/CContentManager.h"
#include "engine/core/event/VirtualKeys.h"
#include "engine/device/IDevice.h"
#include "engine/image/CImage.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CTextDictionary.h"
#include "engine/nodes/TabSceneNode.h"
#include "engine/scene/CNodeFactory.h"
#include "engine/scene/TemplateCollectionNode.h"
#include "engine/video/CQuadBatcher.h"
#include "engine/video/IVideoDriver.h"
#include "game/app/GNodeClassRegistration.h"
#include "game/level/IGameLevelInfo.h"
#include "game/scenes/GComicsScene.h"
#include "game/scenes/GHelpScene.h"
#include "game/scenes/GInGameMenuScene.h"
#include "game/scenes/GLevelCompletedScene.h"
#include "game/scenes/GLevelObjectivesScene.h"
#include "game/scenes/GOptionsScene.h"
#include "game/scenes/IGamePlayScreen.h"
#include "tests/game/scenes/ShellTestWorld.h"
#include "tests/video/opengl/WindowPixels.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::test;

namespace {

class StubLevel : public KindScene, public IGameLevelInfo {
public:
    StubLevel() : KindScene("Level", GameNodeTypeGameLevelScene) {}
    bool hasLevelConfiguration() const override { return true; }
    stringw getLevelName() const override { return name; }
    stringw getLevelDescription() const override { return L"%Obj_Intro%"; }
    s32 getLevelTimeLimit() const override { return 300; }
    s32 getLevelScore() const override { return 8500; }
    s32 getLevelExpertScore() const override { return 12000; }
    s32 getLevelTime() const override { return 95000; }
    f32 getScoreGain() const override { return 9300.0f; }
    stringw name = L"6";
};

class StubPlayScreen : public KindScene, public IGamePlayScreen {
public:
    StubPlayScreen() : KindScene("Play", GameNodeTypeGamePlayScene) {}
    bool loadLevel(const stringc&, SceneNode*) override { return true; }
    bool isLevelMusicPlaying() const override { return true; }
    void playLevelMusic() override {}
};

// The services of a real device: its sound groups, its dictionary, its driver and its reset.
class ScreenServices : public TestGameServices {
public:
    explicit ScreenServices(IDevice* device) : m_device(device) {
        parameters = device->getParameters();
    }
    IVideoDriver* getVideoDriver() const override { return m_device->getVideoDriver(); }
    const SDeviceParameters& getDeviceParameters() const override { return parameters; }
    bool resetDevice(const SDeviceParameters& wanted) override {
        if (!m_device->reset(wanted)) return false;
        parameters = wanted;
        return true;
    }
    CTimerScheduler* getWorldScheduler() const override { return worldScheduler.get(); }
    SDeviceParameters parameters;
    CRefPtr<CTimerScheduler> worldScheduler = makeRef<CTimerScheduler>();

private:
    IDevice* m_device;
};

// A real window with the game's content: the menu atlases, the templates, the dictionary and the
// game's node classes; the scenes stepped and drawn by the test.
struct Screen {
    explicit Screen(s32 driverType) {
        SDeviceParameters p;
        p.driverType = driverType;
        p.windowSize = {1024, 768};
        p.bits = 32;
        p.fullscreen = false;
        p.useDesktopResolution = true;
        device = createDevice(p);
        if (!device || !device->getVideoDriver() ||
            device->getVideoDriver()->getDriverType() != driverType)
            return;
        ok = true;
        device->getVideoDriver()->setTextureCreationFlag(ETCF_CREATE_MIP_MAPS, false);
        files = device->getFileSystem();
        previous = std::filesystem::current_path();
        std::filesystem::current_path(BRASQUEL_SOURCE_DIR);
        files->addArchive(stringc("assets"), false, false);
        content = CRefPtr<CContentManager>::fromRaw(device->createContentManager());
        device->addEventReceiver(content.get(), 1);
        scenes = CRefPtr<SceneManager>::fromRaw(device->createSceneManager());
        scenes->setSortEnabled(true);
        u32 count = 0;
        const SGameNodeClass* rows = getApplicationNodeClasses(count);
        registerGameNodeClasses(CNodeFactory::instance(), rows, count);
        rows = getPreloaderNodeClasses(count);
        registerGameNodeClasses(CNodeFactory::instance(), rows, count);
        for (const char* atlas :
             {"atlases/MainMenu.xml", "atlases/ObjMenu.xml", "atlases/GameMenu.xml"})
            keep(TypeCodeAtlasCollection, atlas);
        if (BaseNode* templates = loadScene("scenes/TemplateCollection.oscn"))
            scenes->setTemplateCollection(dynamic_cast<TemplateCollectionNode*>(templates));
        services = std::make_unique<ScreenServices>(device);
        services->sceneManager = scenes.get();
        services->fileSystem = files;
        services->dictionary = makeRef<CTextDictionary>(files);
        EXPECT_TRUE(services->dictionary->load(stringc("strings/Dictionary.xml")));
        CXmlReader* reader = files->createXmlReader(stringc("scenes/ComicsConfiguration.xml"));
        EXPECT_NE(reader, nullptr);
        if (reader) {
            EXPECT_TRUE(services->comics->load(reader));
            reader->drop();
        }
    }
    ~Screen() {
        services.reset();
        kept.clear();
        if (scenes) scenes->setScene(nullptr);
        scenes = nullptr;
        if (content) device->removeEventReceiver(content.get());
        content = nullptr;
        if (ok) std::filesystem::current_path(previous);
        if (device) device->drop();
    }
    void keep(u32 type, const char* path) {
        CResource* loaded = content->getContentByPath(type, stringc(path), false);
        ASSERT_NE(loaded, nullptr) << path;
        kept.push_back(CRefPtr<CResource>::fromRaw(loaded));
    }
    BaseNode* loadScene(const char* path) {
        CResource* loaded = content->getContentByPath(TypeCodeSceneNode, stringc(path), false);
        EXPECT_NE(loaded, nullptr) << path;
        if (!loaded) return nullptr;
        kept.push_back(CRefPtr<CResource>::fromRaw(loaded));
        return static_cast<BaseNode*>(loaded);
    }
    template <class T>
    T* load(const char* path) {
        auto* scene = dynamic_cast<T*>(loadScene(path));
        EXPECT_NE(scene, nullptr) << path;
        return scene;
    }
    // Steps every shown scene's clock, delivers and draws; true when a frame was drawn.
    bool frame(u32 ms = 30) {
        for (BaseNode* child : std::vector<BaseNode*>(scenes->getChildren()))
            if (SceneNode* scene = asSceneNode(child))
                if (CTimerScheduler* scheduler = scene->getTimerScheduler()) scheduler->update(ms);
        scenes->update(0);
        IVideoDriver* driver = device->getVideoDriver();
        if (!driver || !driver->beginScene(true, true, SColor(0xFF000000), nullptr, nullptr))
            return false;
        scenes->render(driver);
        if (CQuadBatcher* batcher = driver->getQuadBatcher()) batcher->flush();
        driver->endScene();
        return true;
    }
    void run(u32 ms) {
        for (u32 t = 0; t < ms; t += 30) frame(30);
    }
    // The next frame read back: its size and how many of its pixels are not the clear black.
    struct Shot {
        s32 width = 0, height = 0;
        u32 lit = 0;
        std::vector<u32> pixels;
    };
    Shot shot() {
        Shot result;
        IVideoDriver* driver = device->getVideoDriver();
        driver->addScreenShotUser();
        frame(1);
        CImage* image = driver->createScreenShot();
        driver->removeScreenShotUser();
        EXPECT_NE(image, nullptr);
        if (!image) return result;
        result.width = image->getDimension().Width;
        result.height = image->getDimension().Height;
        for (s32 y = 0; y < result.height; y += 4)
            for (s32 x = 0; x < result.width; x += 4) {
                const u32 c = image->getPixel(x, y) & 0x00FFFFFF;
                result.pixels.push_back(c);
                if (c != 0) ++result.lit;
            }
        image->drop();
        return result;
    }
    static u32 differing(const Shot& a, const Shot& b) {
        u32 count = 0;
        for (size_t i = 0; i < a.pixels.size() && i < b.pixels.size(); ++i)
            count += a.pixels[i] != b.pixels[i];
        return count;
    }
    std::string current() const {
        SceneNode* scene = scenes->getCurrentScene();
        return scene ? toUtf8(scene->getClassName().c_str()) : "-";
    }
    void show(SceneNode* scene) {
        scenes->setScene(scene);
        run(600);
    }
    void push(SceneNode* below, SceneNode* scene, bool keep = true) {
        ASSERT_TRUE(below->switchTo(scene, keep));
        run(600);
    }

    IDevice* device = nullptr;
    bool ok = false;
    CFileSystem* files = nullptr;
    std::filesystem::path previous;
    CRefPtr<CContentManager> content;
    CRefPtr<SceneManager> scenes;
    std::vector<CRefPtr<CResource>> kept;
    std::unique_ptr<ScreenServices> services;
};

#define OPEN_SCREEN(screen, driver) \
    Screen screen(driver);          \
    if (!screen.ok) OSKEL_SKIP_WITHOUT_DISPLAY("no window with the driver");

bool pressNamed(SceneNode* scene, const char* name) {
    BaseNode* node = scene->findChildByName(name, 0);
    EXPECT_NE(node, nullptr) << name;
    return node && press(scene, node);
}

}  // namespace

TEST(ShellScreens, TheObjectivesDrawOverThePlayScreenAndGoBack) {
    OPEN_SCREEN(screen, DriverOpenGL);
    SavedPlayers players;
    players.add({L"Zoë"}, true);
    auto play = makeRef<StubPlayScreen>();
    auto level = makeRef<StubLevel>();
    screen.show(play.get());
    const Screen::Shot before = screen.shot();
    auto* panel = screen.load<GLevelObjectivesScene>(GLevelObjectivesScene::SceneFile);
    ASSERT_NE(panel, nullptr);
    panel->setLevelScene(level.get());
    screen.push(play.get(), panel);
    EXPECT_EQ(utf8(panel->getLevelText()->getText()), "Level 6");
    const Screen::Shot shown = screen.shot();
    EXPECT_GT(shown.lit, shown.pixels.size() / 4);
    EXPECT_GT(Screen::differing(before, shown), shown.pixels.size() / 10);
    EXPECT_TRUE(pressNamed(panel, "OkButton"));
    screen.run(1000);
    EXPECT_EQ(screen.scenes->getCurrentScene(), play.get());
}

TEST(ShellScreens, TheLevelResultsDrawAndCloseIntoTheComicAfterLocationSix) {
    OPEN_SCREEN(screen, DriverOpenGL);
    SavedPlayers players;
    players.add({L"Zoë"}, true);
    // Location 6 won: the next location, 7, is newly reached and has its comic.
    players.profiles().getActiveProfile()->setInt(ProfileKeyMaxUnlockedLevelIndex, 7);
    players.profiles().getActiveProfile()->setInt(ProfileKeyLevelIndex, 7);
    auto map = makeRef<KindScene>("Map", GameNodeTypeMapScene);
    auto loading = makeRef<KindScene>("Loading", GameNodeTypeLoadingLevelScene);
    auto play = makeRef<StubPlayScreen>();
    auto level = makeRef<StubLevel>();
    screen.show(map.get());
    screen.push(map.get(), loading.get());
    screen.push(loading.get(), play.get(), false);
    auto* panel = screen.load<GLevelCompletedScene>(GLevelCompletedScene::SceneFile);
    ASSERT_NE(panel, nullptr);
    panel->setLevelScene(level.get());
    screen.push(play.get(), panel);
    screen.run(2000);  // counted up
    EXPECT_EQ(utf8(panel->getText("ScoreNode")->getText()), "- Score: 9,300");
    const Screen::Shot shown = screen.shot();
    EXPECT_GT(shown.lit, shown.pixels.size() / 4);
    EXPECT_TRUE(keyUp(panel, VirtualKeyEnter));
    screen.run(2000);
    EXPECT_EQ(screen.current(), "GComicsScene");
    const Screen::Shot comic = screen.shot();
    EXPECT_GT(comic.lit, comic.pixels.size() / 2);
    EXPECT_GT(Screen::differing(shown, comic), comic.pixels.size() / 4);
}

TEST(ShellScreens, TheMiniGameResultsDrawAndGoBackPastTheMiniGame) {
    OPEN_SCREEN(screen, DriverOpenGL);
    auto map = makeRef<KindScene>("Map", GameNodeTypeMapScene);
    auto loading = makeRef<KindScene>("Loading", GameNodeTypeLoadingLevelScene);
    auto mini = makeRef<KindScene>("Mini", GameNodeTypeMiniGameScene);
    screen.show(map.get());
    screen.push(map.get(), loading.get());
    screen.push(loading.get(), mini.get());
    auto* panel = screen.load<GMiniCompletedScene>(GMiniCompletedScene::SceneFile);
    ASSERT_NE(panel, nullptr);
    panel->setResults(1, 83000, 2500);
    screen.push(mini.get(), panel);
    screen.run(2000);
    EXPECT_EQ(utf8(panel->getTimeText()->getText()).find("01:23") != std::string::npos, true);
    const Screen::Shot shown = screen.shot();
    EXPECT_GT(shown.lit, shown.pixels.size() / 4);
    EXPECT_TRUE(pressNamed(panel, "OkButton"));
    screen.run(1000);
    EXPECT_EQ(screen.scenes->getCurrentScene(), map.get());
}

TEST(ShellScreens, TheInGameMenuOpensOptionsAndHelpAndRestarts) {
    OPEN_SCREEN(screen, DriverOpenGL);
    auto menu = makeRef<KindScene>("Menu", GameNodeTypeMainMenuScene);
    auto loading = makeRef<KindScene>("Loading", GameNodeTypeLoadingLevelScene);
    auto play = makeRef<StubPlayScreen>();
    screen.show(menu.get());
    screen.push(menu.get(), loading.get());
    screen.push(loading.get(), play.get(), false);
    auto* ingame = screen.load<GInGameMenuScene>("scenes/InGameMenuScene.oscn");
    ASSERT_NE(ingame, nullptr);
    screen.push(play.get(), ingame);
    const Screen::Shot paused = screen.shot();
    EXPECT_GT(paused.lit, paused.pixels.size() / 4);

    EXPECT_TRUE(pressNamed(ingame, "OptionsButton"));
    screen.run(1000);
    ASSERT_EQ(screen.current(), "GOptionsScene");
    const Screen::Shot options = screen.shot();
    EXPECT_GT(Screen::differing(paused, options), options.pixels.size() / 20);
    EXPECT_TRUE(keyUp(screen.scenes->getCurrentScene(), VirtualKeyEscape));
    screen.run(1000);
    ASSERT_EQ(screen.scenes->getCurrentScene(), ingame);

    EXPECT_TRUE(pressNamed(ingame, "HelpButton"));
    screen.run(1000);
    ASSERT_EQ(screen.current(), "GHelpScene");
    auto* help = static_cast<GHelpScene*>(screen.scenes->getCurrentScene());
    ASSERT_NE(help->getTabScene(), nullptr);
    EXPECT_EQ(help->getTabScene()->getTabsCount(), 4);
    EXPECT_FALSE(help->getPrevButton()->isEnabled());
    const Screen::Shot first = screen.shot();
    press(help, help->getNextButton());
    screen.run(1000);
    EXPECT_EQ(help->getTabScene()->getActiveTabIndex(), 1);
    const Screen::Shot second = screen.shot();
    EXPECT_GT(Screen::differing(first, second), 50u);
    EXPECT_TRUE(pressNamed(help, "CloseButton"));
    screen.run(1000);
    ASSERT_EQ(screen.scenes->getCurrentScene(), ingame);

    EXPECT_TRUE(pressNamed(ingame, "RestartButton"));
    screen.run(1000);
    EXPECT_EQ(screen.scenes->getCurrentScene(), loading.get());
}

TEST(ShellScreens, TheDebugOverlayShowsItsFigures) {
    OPEN_SCREEN(screen, DriverOpenGL);
    auto play = makeRef<StubPlayScreen>();
    screen.show(play.get());
    const Screen::Shot before = screen.shot();
    BaseNode* made = CNodeFactory::instance().createNode(
        L"GDebugStatsScene", CCreationContext(screen.content.get(), ""));
    ASSERT_NE(made, nullptr);
    CRefPtr<BaseNode> held = CRefPtr<BaseNode>::fromRaw(made);
    auto* stats = dynamic_cast<GDebugStatsScene*>(made);
    ASSERT_NE(stats, nullptr);
    screen.push(play.get(), stats);
    screen.run(300);
    ASSERT_NE(stats->getStatsText(), nullptr);
    EXPECT_EQ(utf8(stats->getStatsText()->getText()).rfind("fps: ", 0), 0u);
    const Screen::Shot shown = screen.shot();
    EXPECT_GT(Screen::differing(before, shown), 20u);
}

namespace {

void fullScreenRoundTrip(s32 driverType) {
    OPEN_SCREEN(screen, driverType);
    SavedPlayers players;
    int desktopWidth = 0, desktopHeight = 0;
    ASSERT_TRUE(oskel::test::readXScreenSize(desktopWidth, desktopHeight));
    auto menu = makeRef<KindScene>("Menu", GameNodeTypeMainMenuScene);
    screen.show(menu.get());
    auto* options = screen.load<GOptionsScene>("scenes/OptionsScene.oscn");
    ASSERT_NE(options, nullptr);
    screen.push(menu.get(), options);
    Screen::Shot windowed = screen.shot();
    EXPECT_EQ(windowed.width, 1024);
    EXPECT_EQ(windowed.height, 768);
    EXPECT_GT(windowed.lit, windowed.pixels.size() / 4);

    press(options, options->getFullscreenButton());
    screen.run(300);
    EXPECT_TRUE(screen.device->isFullscreen());
    EXPECT_TRUE(GOptionsScene::isOn(options->getFullscreenButton()));
    EXPECT_TRUE(players.profiles().getCommonProfile()->getBool(ProfileKeyFullScreen));
    ASSERT_NE(screen.device->getVideoDriver(), nullptr);
    EXPECT_EQ(screen.device->getVideoDriver()->getDriverType(), driverType);
    const Screen::Shot full = screen.shot();
    EXPECT_EQ(full.width, desktopWidth);
    EXPECT_EQ(full.height, desktopHeight);
    EXPECT_GT(full.lit, full.pixels.size() / 4);  // the textures came back with the driver

    press(options, options->getFullscreenButton());
    screen.run(300);
    EXPECT_FALSE(screen.device->isFullscreen());
    EXPECT_FALSE(players.profiles().getCommonProfile()->getBool(ProfileKeyFullScreen));
    windowed = screen.shot();
    EXPECT_EQ(windowed.width, 1024);
    EXPECT_EQ(windowed.height, 768);
    EXPECT_GT(windowed.lit, windowed.pixels.size() / 4);

    // The cursor: the system's arrow, then the game's picture again.
    press(options, options->getCursorButton());
    EXPECT_TRUE(players.profiles().getCommonProfile()->getBool(ProfileKeyWindowsCursor));
    EXPECT_EQ(SDL_GetCursor(), SDL_GetDefaultCursor());
    press(options, options->getCursorButton());
    EXPECT_FALSE(players.profiles().getCommonProfile()->getBool(ProfileKeyWindowsCursor));
    EXPECT_NE(SDL_GetCursor(), SDL_GetDefaultCursor());
}

}  // namespace

TEST(ShellScreens, FullScreenAndBackOnOpenGL) { fullScreenRoundTrip(DriverOpenGL); }
TEST(ShellScreens, FullScreenAndBackOnDirect3D9) { fullScreenRoundTrip(DriverDirect3D9); }
TEST(ShellScreens, FullScreenAndBackOnDirect3D8) { fullScreenRoundTrip(DriverDirect3D8); }
