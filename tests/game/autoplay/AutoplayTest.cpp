// The autoplay driver: walk files, the live tree, input through the window system's queue, shot
// checks, and whole walks run on a real window against scenes of the test (the game's own scenes
// are driven by the walks of tests/game/walks/).

#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "engine/content/CContentManager.h"
#include "engine/core/CRandom.h"
#include "engine/core/CTimerScheduler.h"
#include "engine/core/Clock.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/core/event/VirtualKeys.h"
#include "engine/device/ContentProcessors.h"
#include "engine/device/IDevice.h"
#include "engine/image/CImage.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CXmlReader.h"
#include "engine/nodes/ButtonNode.h"
#include "engine/nodes/SpriteNode.h"
#include "engine/nodes/TextNode.h"
#include "engine/profiles/CProfileManager.h"
#include "engine/properties/CPropertyData.h"
#include "engine/scene/SceneManager.h"
#include "engine/scene/TemplateCollectionNode.h"
#include "engine/video/CNullDriver.h"
#include "engine/video/CQuadBatcher.h"
#include "engine/video/IVideoDriver.h"
#include "game/app/GScreenFit.h"
#include "game/minigames/GMiniGameAuctionScene.h"
#include "game/minigames/GMiniGameHidden2Scene.h"
#include "game/minigames/GMiniGameHiddenScene.h"
#include "game/play/tutorial/GTutorialController.h"
#include "tests/device/DeviceTestSupport.h"
#include "tests/game/autoplay/InputInjector.h"
#include "tests/game/autoplay/LiveTree.h"
#include "tests/game/autoplay/MiniGamePlayer.h"
#include "tests/game/autoplay/ProfileWriter.h"
#include "tests/game/autoplay/ScaledClock.h"
#include "tests/game/autoplay/ShotChecks.h"
#include "tests/game/autoplay/Walk.h"
#include "tests/game/autoplay/WalkRunner.h"
#include "tests/io/XmlTestUtils.h"
#include "tests/scene/SceneTestSupport.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::autoplay;

namespace {

// Virtual key numbers the device gives the keys the walks press.
constexpr u32 kVirtualKeyShift = 16;
constexpr u32 kVirtualKeyControl = 17;
constexpr u32 kVirtualKeyEscape = 27;
constexpr u32 kVirtualKeySpace = 32;
constexpr u32 kVirtualKeyS = 0x53;
// Type ids of the test's node classes.
constexpr s32 kTestSceneType = 1990;
constexpr s32 kProbeType = 1991;

// ---- Nodes of the test ----

struct SPointerRecord {
    u32 type;            // the mouse event's id
    s32 x, y;            // window pixels
    vector2df local;     // in the probe's own space
    bool switchRunning;  // a scene switch ran when it arrived
};

// A control that draws itself in two colours (another pair after each press), records the
// pointer events over it and has a text.
class ProbeControl : public ControlNode {
public:
    explicit ProbeControl(const CCreationContext& context) : ControlNode(context) {}

    const stringw& getClassName() const override {
        static const stringw name(L"ProbeControl");
        return name;
    }
    s32 getTypeId() const override { return kProbeType; }
    bool isKindOf(s32 typeId) const override {
        return typeId == kProbeType || ControlNode::isKindOf(typeId);
    }

    const CPropertyTable& getPropertyTable() const override {
        static const CPropertyTable table = [this] {
            CPropertyTable t;
            appendPropertyDescriptors(t, ControlNode::getPropertyTable());
            t.push_back({"Text", &setTextProperty, &getTextProperty});
            return t;
        }();
        return table;
    }
    static void setTextProperty(IPropertyTableSource* o, const CRefPtr<IPropertyData>& v) {
        static_cast<ProbeControl*>(o)->text = getPropertyTextW(v.get());
    }
    static CRefPtr<IPropertyData> getTextProperty(const IPropertyTableSource* o) {
        return makeRef<CPropertyDataStringW>(static_cast<const ProbeControl*>(o)->text);
    }

    void render(DrawList& list) override {
        if (!isVisible()) return;
        if (isTransformDirty()) updateAbsoluteTransform();
        list.push_back(SDrawItem{this, getDepth(), 0});
        ControlNode::render(list);
    }
    void renderClipped(IVideoDriver* driver, const rectf* clip) override {
        const rectf r = getAbsoluteBoundsRect();
        const s32 x1 = static_cast<s32>(r.UpperLeftCorner.X),
                  y1 = static_cast<s32>(r.UpperLeftCorner.Y);
        const s32 x2 = static_cast<s32>(r.LowerRightCorner.X),
                  y2 = static_cast<s32>(r.LowerRightCorner.Y);
        const s32 middle = (x1 + x2) / 2;
        // Rectangles take the driver's current material: one without lighting shows their colour.
        SMaterial plain;
        plain.Lighting = false;
        plain.ZBuffer = 0;
        plain.ZWriteEnable = false;
        driver->setMaterial(plain);
        driver->draw2DRectangle(SColor(lit ? 0xff20c040u : 0xffd04020u), recti(x1, y1, middle, y2),
                                nullptr);
        driver->draw2DRectangle(SColor(lit ? 0xff2040d0u : 0xfff0e020u), recti(middle, y1, x2, y2),
                                nullptr);
        ControlNode::renderClipped(driver, clip);
    }

    bool onMouseMove(CEvent* event) override {
        record(event);
        return false;
    }
    bool onMouseLeftDown(CEvent* event) override {
        const bool over = record(event);
        if (over) {
            lit = !lit;
            text = lit ? L"lit" : L"ready";
        }
        return over;
    }
    bool onMouseLeftUp(CEvent* event) override { return record(event); }

    stringw text = L"ready";
    bool lit = false;
    std::vector<SPointerRecord> pointer;

private:
    // Records an event over the probe; true when it was over it.
    bool record(CEvent* event) {
        auto* mouse = static_cast<CEventMousePosition*>(event);
        if (isTransformDirty()) updateAbsoluteTransform();
        matrix4 inverse;
        if (!getAbsoluteTransform().getInverse(inverse)) return false;
        vector3df local(static_cast<f32>(mouse->getX()), static_cast<f32>(mouse->getY()), 0.0f);
        inverse.transformVect(local);
        const bool inside =
            local.X >= 0 && local.Y >= 0 && local.X <= getBounds().X && local.Y <= getBounds().Y;
        const bool moving = event->getTypeId() == EventMouseMove;
        SceneManager* manager = getSceneManager();
        if (inside)
            pointer.push_back(SPointerRecord{event->getTypeId(), mouse->getX(), mouse->getY(),
                                             vector2df(local.X, local.Y),
                                             manager && !manager->getTransitions().empty()});
        return inside && !moving;
    }
};

struct SKeyRecord {
    bool down;
    u32 key;
    u16 character;
    bool shift, control;
};

// A scene that records the keys that reach it; Space switches to the next scene, when it has one.
class TestScene : public SceneNode {
public:
    explicit TestScene(const CCreationContext& context) : SceneNode(context) {}
    const stringw& getClassName() const override {
        static const stringw name(L"TestScene");
        return name;
    }
    s32 getTypeId() const override { return kTestSceneType; }
    bool isKindOf(s32 typeId) const override {
        return typeId == kTestSceneType || SceneNode::isKindOf(typeId);
    }

    bool onKeyDown(CEvent* event) override { return record(event, true); }
    bool onKeyUp(CEvent* event) override { return record(event, false); }

    SceneNode* next = nullptr;
    std::vector<SKeyRecord> keys;

private:
    bool record(CEvent* event, bool down) {
        auto* key = static_cast<CEventKeyboardKey*>(event);
        keys.push_back(
            SKeyRecord{down, key->getKey(), key->getChar(), key->isShift(), key->isControl()});
        if (down && next && key->getKey() == kVirtualKeySpace && getSceneManager())
            getSceneManager()->switchScene(this, next);
        return true;
    }
};

CRefPtr<TestScene> makeTestScene(const char* name) {
    auto scene = makeRef<TestScene>(CCreationContext());
    scene->setNameId(test::id(name));
    scene->setBounds(1024, 768);
    return scene;
}

ProbeControl* addProbe(BaseNode* parent, const char* name, f32 x, f32 y, f32 w, f32 h) {
    return test::placeNode(parent, new ProbeControl(CCreationContext()), name, x, y, w, h);
}

// ---- A live window: the device, a scene manager fitted to the screen, the frames ----

// Draws the scene manager every frame, fitting the 1024 x 768 design into the screen first, as
// the game does; records the window focus messages.
class FrameDrawer : public CEventReceiver {
public:
    FrameDrawer(IDevice* device, SceneManager* scenes) : m_device(device), m_scenes(scenes) {
        setCategoryMask(CategorySystemFlow);
    }
    bool onEvent(CEvent* event) override {
        if (event->getTypeId() == EventSystemFlowWindowFocus)
            focus.push_back(static_cast<CEventSystemFlowWindowFocus*>(event)->isActive());
        if (event->getTypeId() != EventSystemFlowRender) return false;
        IVideoDriver* driver = m_device->getVideoDriver();
        if (!driver) return false;
        const dimension2di& screen = driver->getScreenSize();
        fit = computeScreenFit(screen.Width, screen.Height);
        m_scenes->setPosition(
            vector3df(static_cast<f32>(fit.positionX), static_cast<f32>(fit.positionY), 0));
        m_scenes->setScale(vector3df(fit.scaleX, fit.scaleY, 1));
        m_scenes->markTransformDirty();
        if (!driver->beginScene(true, true, SColor(0xff000000u), nullptr, nullptr)) return false;
        m_scenes->render(driver);
        if (CQuadBatcher* batcher = driver->getQuadBatcher()) batcher->flush();
        driver->endScene();
        return false;
    }
    SScreenFit fit;
    std::vector<bool> focus;

private:
    IDevice* m_device;
    SceneManager* m_scenes;
};

class LiveWindow {
public:
    // The device runs on the clock given, or on the system's.
    LiveWindow(s32 width, s32 height, bool fullscreen, std::unique_ptr<IClock> clock = nullptr) {
        SDeviceParameters p;
        p.driverType = DriverOpenGL;
        p.fullscreen = fullscreen;
        p.useDesktopResolution = true;
        p.windowSize = irr::core::dimension2d<s32>(width, height);
        p.bits = 32;
        device = createDevice(p, std::move(clock));
        if (!device) return;
        device->setUpdateInterval(10);
        device->setUpdateStep(10);
        scheduler = CRefPtr<CTimerScheduler>::fromRaw(device->createTimerScheduler());
        scenes = CRefPtr<SceneManager>::fromRaw(device->createSceneManager());
        scenes->setSortEnabled(true);
        scenes->setEventSource(scheduler.get());
        frames = makeRef<FrameDrawer>(device, scenes.get());
        device->addEventReceiver(frames.get(), 0);
        device->addEventReceiver(scheduler.get(), 2);
        device->addEventReceiver(scenes.get(), 2);
    }
    ~LiveWindow() {
        if (!device) return;
        scenes->setScene(nullptr);
        scenes->update(0);
        device->removeEventReceiver(scenes.get());
        device->removeEventReceiver(scheduler.get());
        device->removeEventReceiver(frames.get());
        device->drop();
    }

    // Runs the walk until it quits or fails.
    CRefPtr<CWalkRunner> run(const std::string& text, SRunnerOptions options = SRunnerOptions()) {
        SWalk walk;
        std::string error;
        EXPECT_TRUE(parseWalk(text, walk, error)) << error;
        walk.name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        if (!options.print) options.print = [this](const std::string& line) { output += line; };
        auto runner = makeRef<CWalkRunner>(walk, options);
        runner->attach(device, scenes.get());
        device->run();
        runner->detach();
        return runner;
    }

    IDevice* device = nullptr;
    CRefPtr<CTimerScheduler> scheduler;
    CRefPtr<SceneManager> scenes;
    CRefPtr<FrameDrawer> frames;
    std::string output;
};

#define REQUIRE_WINDOW(window)                                                     \
    do {                                                                           \
        if (!(window).device) OSKEL_SKIP_WITHOUT_DISPLAY("no OpenGL window here"); \
    } while (false)

// A scene with timed transition states of its own.
void giveStates(SceneNode* scene, u32 enterMs, u32 leaveMs) {
    scene->addState(test::timedState("NavTo", enterMs).get());
    scene->addState(test::timedState("NavFrom", leaveMs).get());
}

}  // namespace

// ---- Walk files ----

TEST(WalkFile, HeaderAndStepsAreRead) {
    SWalk walk;
    std::string error;
    ASSERT_TRUE(
        parseWalk("# a walk\n"
                  "player \"Zo\xC3\xAB B\"   # the first player is active\n"
                  "player Max\n"
                  "active Max\n"
                  "set Max int LevelIndex 3\n"
                  "set common bool WindowsCursor true\n"
                  "video opengl\n"
                  "display windowed\n"
                  "\n"
                  "wait scene GLogosScene\n"
                  "anytime click Scene/Logo2 at 10.5 -2\n"
                  "drag Knob to Slider at 100 5\n"
                  "key ctrl+shift+S\n"
                  "text \"say \\\"hi\\\"\"\n"
                  "expect log \"Scene entered\" \"GIntroScene\"\n"
                  "expect visible Logo1 no\n"
                  "shot notblank unlike Logo2 varied area 0 0 10 10 save logos\n"
                  "shot unlike varied Logo1\n"
                  "expect cursor visible\n"
                  "expect cursor hidden\n"
                  "expect opened \"scenes/A.oscn\"\n"
                  "back GMainMenuScene\n"
                  "quit 0\n",
                  walk, error))
        << error;
    ASSERT_EQ(walk.profile.players.size(), 2u);
    EXPECT_EQ(walk.profile.players[0], "Zo\xC3\xAB B");
    EXPECT_EQ(walk.profile.active, "Max");
    ASSERT_EQ(walk.profile.values.size(), 4u);
    EXPECT_EQ(walk.profile.values[0].profile, "Max");
    EXPECT_EQ(walk.profile.values[1].profile, "");  // the common profile
    EXPECT_EQ(walk.profile.values[2].key, "VideoDriver");
    EXPECT_EQ(walk.profile.values[2].value, "3");
    EXPECT_EQ(walk.profile.values[3].value, "false");

    ASSERT_EQ(walk.steps.size(), 14u);
    EXPECT_EQ(walk.steps[0].kind, EStepKind::WaitScene);
    EXPECT_EQ(walk.steps[0].line, 10);
    EXPECT_EQ(walk.steps[0].text, "wait scene GLogosScene");
    const SWalkStep& click = walk.steps[1];
    EXPECT_TRUE(click.anytime);
    EXPECT_EQ(click.target.path, "Scene/Logo2");
    EXPECT_TRUE(click.target.hasPoint);
    EXPECT_FLOAT_EQ(click.target.x, 10.5f);
    EXPECT_FLOAT_EQ(click.target.y, -2.0f);
    EXPECT_EQ(walk.steps[2].to.path, "Slider");
    EXPECT_FALSE(walk.steps[2].target.hasPoint);
    EXPECT_EQ(walk.steps[4].name, "say \"hi\"");
    EXPECT_EQ(walk.steps[5].value, "GIntroScene");
    EXPECT_TRUE(walk.steps[5].hasValue);
    EXPECT_FALSE(walk.steps[6].flag);
    const SShotChecks& shot = walk.steps[7].shot;
    EXPECT_TRUE(shot.notBlank);
    EXPECT_TRUE(shot.unlikeInRegion);
    EXPECT_EQ(shot.unlikeRegion.path, "Logo2");
    ASSERT_EQ(shot.varied.size(), 1u);
    EXPECT_TRUE(shot.varied[0].isArea);
    EXPECT_FLOAT_EQ(shot.varied[0].x2, 10.0f);
    EXPECT_EQ(shot.save, "logos");
    EXPECT_TRUE(walk.steps[8].shot.unlike);  // over the whole frame
    EXPECT_FALSE(walk.steps[8].shot.unlikeInRegion);
    EXPECT_EQ(walk.steps[8].shot.varied[0].path, "Logo1");
    EXPECT_EQ(walk.steps[9].kind, EStepKind::ExpectCursor);
    EXPECT_TRUE(walk.steps[9].flag);
    EXPECT_EQ(walk.steps[10].kind, EStepKind::ExpectCursor);
    EXPECT_FALSE(walk.steps[10].flag);
    EXPECT_EQ(walk.steps[11].kind, EStepKind::ExpectOpened);
    EXPECT_EQ(walk.steps[11].name, "scenes/A.oscn");
    EXPECT_EQ(walk.steps[12].kind, EStepKind::Back);
    EXPECT_EQ(walk.steps[12].name, "GMainMenuScene");
}

TEST(WalkFile, AWalkMayKeepTheProfileAndEndWithTheGameEndingByItself) {
    SWalk walk;
    std::string error;
    ASSERT_TRUE(parseWalk("profile kept\nwait scene A\nended 0\n", walk, error)) << error;
    EXPECT_TRUE(walk.profile.kept);
    ASSERT_EQ(walk.steps.size(), 2u);
    EXPECT_EQ(walk.steps[1].kind, EStepKind::Ended);
    EXPECT_EQ(walk.steps[1].number, 0);
}

TEST(WalkFile, MistakesAreReportedWithTheirLine) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"", "the walk must end with quit or ended"},
        {"wait scene A\n", "the walk must end with quit or ended"},
        {"quit 0\nwait scene A\n", "line 2: nothing may follow quit or ended"},
        {"ended 0\nquit 0\n", "line 2: nothing may follow quit or ended"},
        {"ended\n", "line 1: ended CODE"},
        {"profile new\nquit 0\n", "line 1: profile kept"},
        {"wait scene A\nplayer Ann\nquit 0\n", "line 2: the header comes before the steps"},
        {"jump A\nquit 0\n", "line 1: unknown step \"jump\""},
        {"click\nquit 0\n", "line 1: a node path is missing"},
        {"click A at 1\nquit 0\n", "line 1: \"at\" needs two numbers"},
        {"click A B\nquit 0\n", "line 1: extra words; use: click|hover PATH [at X Y]"},
        {"text \"open\nquit 0\n", "line 1: a quote is not closed"},
        {"wait time -5\nquit 0\n",
         "line 1: wait scene CLASS [dismissing CLASS] | wait minigame | wait time MS"},
        {"expect visible A maybe\nquit 0\n", "line 1: yes or no"},
        {"expect cursor shown\nquit 0\n", "line 1: visible, hidden or system"},
        {"back\nquit 0\n", "line 1: back CLASS"},
        {"shot sharp\nquit 0\n", "line 1: unknown shot check \"sharp\""},
        {"shot blank notblank\nquit 0\n", "line 1: a blank shot has no varied pixels"},
        {"shot save a/b\nquit 0\n", "line 1: save NAME (a file name)"},
        {"quit zero\n", "line 1: quit CODE"},
        {"set Ann int X 1\nquit 0\n", "\"set\" names \"Ann\", which is not a player of the header"},
        {"player Ann\nactive Bob\nquit 0\n",
         "the active player \"Bob\" is not a player of the header"},
        {"set common long X 1\nquit 0\n", "line 1: the type is int, bool, float or string"},
        {"display big\nquit 0\n", "line 1: display windowed|fullscreen"},
        {"note\nquit 0\n", "line 1: note PATH"},
        {"short now\nquit 0\n", "line 1: short takes nothing"},
        {"full:\nquit 0\n", "line 1: \"full:\" needs a step"},
        {"short: quit 0\n", "line 1: \"short:\" cannot lead quit, ended or short"},
        {"minigame play\nquit 0\n", "line 1: minigame brief|win|lose"},
        {"minigame\nquit 0\n", "line 1: minigame brief|win|lose"},
        {"expect profile Scores matches \"(1\"\nquit 0\n",
         "line 1: \"(1\" is not a regular expression"},
        {"expect node A B\nquit 0\n",
         "line 1: expect text PATH [matches] \"TEXT\" | changed PATH | node CLASS KEY \"VALUE\" | "
         "visible PATH yes|no | enabled PATH yes|no | log \"TEXT\" [\"HINT\"] | profile KEY "
         "[matches] \"VALUE\" | setting KEY \"VALUE\" | title \"TEXT\" | cursor visible|hidden | "
         "opened \"FILE\" | quiet | state PATH \"STATE\""},
    };
    for (const auto& c : cases) {
        SWalk walk;
        std::string error;
        EXPECT_FALSE(parseWalk(c.text, walk, error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

// The mini-game steps and the expectations of a pattern.
TEST(WalkFile, MiniGameStepsAndPatterns) {
    SWalk walk;
    std::string error;
    ASSERT_TRUE(
        parseWalk("minigame brief\n"
                  "minigame win\n"
                  "minigame lose\n"
                  "expect profile Times matches \"([0-9]+;)*[0-9]+\"\n"
                  "expect text Scene/TimeText matches \"0[0-9]:[0-5][0-9]\"\n"
                  "expect text Scene/ScoreText \"matches\"\n"
                  "quit 0\n",
                  walk, error))
        << error;
    ASSERT_EQ(walk.steps.size(), 7u);
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(walk.steps[i].kind, EStepKind::MiniGame);
    EXPECT_EQ(walk.steps[0].name, "brief");
    EXPECT_EQ(walk.steps[1].name, "win");
    EXPECT_EQ(walk.steps[2].name, "lose");
    EXPECT_EQ(walk.steps[3].kind, EStepKind::ExpectProfile);
    EXPECT_TRUE(walk.steps[3].pattern);
    EXPECT_EQ(walk.steps[3].name, "Times");
    EXPECT_EQ(walk.steps[3].value, "([0-9]+;)*[0-9]+");
    EXPECT_EQ(walk.steps[4].kind, EStepKind::ExpectText);
    EXPECT_TRUE(walk.steps[4].pattern);
    EXPECT_EQ(walk.steps[4].target.path, "Scene/TimeText");
    // A text that reads "matches" is a plain value.
    EXPECT_FALSE(walk.steps[5].pattern);
    EXPECT_EQ(walk.steps[5].value, "matches");
}

TEST(WalkFile, KeyStrokesAndTypedText) {
    const struct {
        const char* text;
        bool ok, shift, control, alt;
        int32_t key;
    } cases[] = {
        {"Escape", true, false, false, false, SDLK_ESCAPE},
        {"return", true, false, false, false, SDLK_RETURN},
        {"A", true, false, false, false, SDLK_a},
        {"ctrl+shift+S", true, true, true, false, SDLK_s},
        {"alt+F4", true, false, false, true, SDLK_F4},
        {"ctrl++", true, false, true, false, SDLK_PLUS},
        {"KpPlus", true, false, false, false, SDLK_KP_PLUS},
        {"shift+KpMultiply", true, true, false, false, SDLK_KP_MULTIPLY},
        {"hyper+A", false, false, false, false, 0},
        {"Bogus", false, false, false, false, 0},
    };
    for (const auto& c : cases) {
        SKeyStroke stroke;
        std::string error;
        EXPECT_EQ(parseKeyStroke(c.text, stroke, error), c.ok) << c.text;
        if (!c.ok) continue;
        EXPECT_EQ(stroke.keycode, c.key) << c.text;
        EXPECT_EQ(stroke.shift, c.shift) << c.text;
        EXPECT_EQ(stroke.control, c.control) << c.text;
        EXPECT_EQ(stroke.alt, c.alt) << c.text;
    }
    std::vector<char32_t> points;
    ASSERT_TRUE(decodeUtf8("Zo\xC3\xAB\xE2\x82\xAC\xF0\x9F\x99\x82", points));
    EXPECT_EQ(points, (std::vector<char32_t>{U'Z', U'o', 0xEB, 0x20AC, 0x1F642}));
    for (const char* bad : {"\xC3", "\xFF", "\xE2\x82", "\xC3\x28", "\xED\xA0\x80"})
        EXPECT_FALSE(decodeUtf8(bad, points));
}

// ---- The profile file of a walk's header ----

TEST(WalkProfiles, TheHeaderIsWrittenAsTheGameReadsItBack) {
    test::LogCapture logs;
    const std::filesystem::path data = std::filesystem::temp_directory_path() /
                                       ("brasquel-walk-profiles-" + std::to_string(::getpid()));
    std::filesystem::create_directories(data);
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    IDevice* device = createDevice(SDeviceParameters());
    ASSERT_NE(device, nullptr);
    SWalk walk;
    std::string error;
    ASSERT_TRUE(parseWalk(
        "player Ann\nplayer \"Zo\xC3\xAB\"\nactive \"Zo\xC3\xAB\"\n"
        "set \"Zo\xC3\xAB\" int MaxUnlockedLevelIndex 9\nset Ann string Scores 10;20\n"
        "set Ann float MusicVolume 12.5\nset common bool VSync false\nvideo opengl\nquit 0\n",
        walk, error))
        << error;
    ASSERT_TRUE(writeWalkProfiles(walk.profile, device, error)) << error;
    CProfileManager& profiles = CProfileManager::instance();
    EXPECT_EQ(profiles.getProfileCount(), 0u);  // forgotten: the game reads them from the file
    ASSERT_TRUE(profiles.load());
    ASSERT_EQ(profiles.getProfileCount(), 2u);
    CProfile* active = profiles.getActiveProfile();
    ASSERT_NE(active, nullptr);
    EXPECT_EQ(active->getName(), stringw(L"Zo\u00eb"));
    EXPECT_EQ(active->getInt("MaxUnlockedLevelIndex"), 9);
    EXPECT_EQ(active->getInt("LevelIndex"), -1);  // the new-profile defaults
    CProfile* ann = profiles.getProfile(0);
    EXPECT_EQ(ann->getString("Scores"), stringc("10;20"));
    EXPECT_FLOAT_EQ(ann->getFloat("MusicVolume"), 12.5f);
    EXPECT_FALSE(profiles.getCommonProfile()->getBool("VSync"));
    EXPECT_EQ(profiles.getCommonProfile()->getInt("VideoDriver"), DriverOpenGL);

    // Values that cannot be read are refused.
    ASSERT_TRUE(parseWalk("player Ann\nset Ann int LevelIndex three\nquit 0\n", walk, error));
    EXPECT_FALSE(writeWalkProfiles(walk.profile, device, error));
    EXPECT_EQ(error, "not an int: three");
    while (profiles.getProfileCount() > 0) profiles.removeProfile(0);
    device->drop();
    std::filesystem::remove_all(data);
}

// ---- The runner and the device's drivers ----

namespace {

// A null driver made in one fixed place: the driver made after one has gone lands on the very
// address of the one before, as the allocator may also do with the real drivers of a reset.
class SamePlaceDriver : public CNullDriver {
public:
    using CNullDriver::CNullDriver;
    static void* operator new(std::size_t size);
    static void operator delete(void* place);
};

alignas(SamePlaceDriver) unsigned char g_driverPlace[sizeof(SamePlaceDriver)];
bool g_driverPlaceTaken = false;

void* SamePlaceDriver::operator new(std::size_t size) {
    if (size > sizeof g_driverPlace || g_driverPlaceTaken) throw std::bad_alloc();
    g_driverPlaceTaken = true;
    return g_driverPlace;
}

void SamePlaceDriver::operator delete(void*) { g_driverPlaceTaken = false; }

}  // namespace

// A reset makes the device's driver again; the new one may be made where the old one was. The
// runner is a screenshot user of the new driver all the same (from its first frame), and leaves
// alone the registrations others made with it.
TEST(WalkRunnerDrivers, TheShotUserFollowsADriverMadeAgainAtTheSameAddress) {
    test::LogCapture logs;
    auto* device = new test::SteppedDevice();
    device->setVideoDriver(
        new SamePlaceDriver(device->getParameters(), device->getFileSystem(), device->getTimer()));
    IVideoDriver* first = device->getVideoDriver();
    SWalk walk;
    std::string error;
    ASSERT_TRUE(parseWalk("wait time 100000\nquit 0\n", walk, error)) << error;
    std::string output;
    SRunnerOptions options;
    options.print = [&output](const std::string& line) { output += line; };
    auto runner = makeRef<CWalkRunner>(walk, options);
    runner->attach(device, nullptr);
    EXPECT_EQ(first->getScreenShotUserCount(), 1u);

    // The reset: the driver goes and the next one is made in its place, where another user (the
    // game with its developer keys) registers as soon as it is announced.
    u32 othersRegistered = 0;
    std::vector<std::string> deviceEvents;
    auto* other = new test::Recorder(&deviceEvents, "", CategoryDevice);
    other->action = [&](CEvent* event) {
        if (event->getTypeId() != EventDeviceVideoDriverCreated) return;
        static_cast<CEventDeviceVideoDriverCreated*>(event)->getVideoDriver()->addScreenShotUser();
        ++othersRegistered;
    };
    device->addEventReceiver(other, 0);
    device->releaseVideoDriver();
    device->setVideoDriver(
        new SamePlaceDriver(device->getParameters(), device->getFileSystem(), device->getTimer()));
    IVideoDriver* second = device->getVideoDriver();
    ASSERT_EQ(static_cast<void*>(second), static_cast<void*>(first));  // the fixture's premise
    EXPECT_EQ(othersRegistered, 1u);
    EXPECT_EQ(second->getScreenShotUserCount(), 2u);  // the other user and the runner

    // The loop's turns register nothing more.
    device->run();
    EXPECT_FALSE(runner->hasFailed()) << runner->getFailure();
    EXPECT_EQ(second->getScreenShotUserCount(), 2u);

    // Detaching takes back the runner's registration only.
    runner->detach();
    EXPECT_EQ(second->getScreenShotUserCount(), 1u);
    device->removeEventReceiver(other);
    other->drop();
    device->drop();
    EXPECT_FALSE(g_driverPlaceTaken);
}

// ---- Shot checks ----

TEST(ShotChecks, BlankDifferentAndVariedPixels) {
    auto a = makeRef<CImage>(CCreationContext(), ECF_A8R8G8B8, dimension2di(40, 30));
    a->fill(0xff000000u);
    auto b = makeRef<CImage>(CCreationContext(), ECF_A8R8G8B8, dimension2di(40, 30));
    b->fill(0x00000000u);  // only the alpha differs
    EXPECT_TRUE(isBlank(*a));
    EXPECT_FALSE(differsInside(*a, *b, wholeImage(*a)));
    b->setPixel(30, 20, 0xff102030u);
    EXPECT_FALSE(isBlank(*b));
    EXPECT_TRUE(differsInside(*a, *b, wholeImage(*a)));
    EXPECT_TRUE(differsInside(*a, *b, rectf(29.5f, 19.5f, 30.5f, 20.5f)));
    EXPECT_FALSE(differsInside(*a, *b, rectf(0, 0, 30, 20)));  // the pixel lies just outside
    EXPECT_TRUE(isVariedInside(*b, rectf(25, 15, 35, 25)));
    EXPECT_FALSE(isVariedInside(*b, rectf(0, 0, 20, 20)));
    EXPECT_FALSE(isVariedInside(*b, rectf(100, 100, 200, 200)));  // off the image: nothing there
    auto other = makeRef<CImage>(CCreationContext(), ECF_A8R8G8B8, dimension2di(41, 30));
    EXPECT_FALSE(differsInside(*a, *other, wholeImage(*a)));  // sizes differ: not comparable
}

// ---- The live tree ----

TEST(LiveTree, NodesByPathWithTheirKindVisibilityStateTextAndRectangle) {
    auto scenes = makeRef<SceneManager>(CCreationContext());
    CRefPtr<TestScene> scene = makeTestScene("Menu");
    BaseNode* panel = test::newNode("Panel", scene.get()).get();
    ProbeControl* ok = addProbe(panel, "Ok", 100, 50, 200, 40);
    ProbeControl* deep = addProbe(ok, "Deep", 10, 10, 20, 20);
    BaseNode* other = test::newNode("Ok", scene.get()).get();  // the same name, a direct child
    ASSERT_TRUE(scenes->setScene(scene.get()));
    CLiveTree tree(scenes.get());
    EXPECT_EQ(tree.getTopScene(), scene.get());
    EXPECT_EQ(tree.findNode("Ok"), other);  // anywhere below the scene, the direct children first
    EXPECT_EQ(tree.findNode("Panel/Ok"), ok);
    EXPECT_EQ(tree.findNode("Panel/Ok/Deep"), deep);
    EXPECT_EQ(tree.findNode("Ok/Deep"), nullptr);     // the first "Ok" has no such child
    EXPECT_EQ(tree.findNode("Panel/Deep"), nullptr);  // not a direct child
    EXPECT_EQ(tree.findNode("Panel//Ok"), nullptr);
    EXPECT_EQ(tree.findNode(""), nullptr);
    EXPECT_EQ(tree.findNode("."), scene.get());  // the top scene itself

    scenes->setPosition(vector3df(160, 0, 0));
    scenes->setScale(vector3df(0.9375f, 0.9375f, 1));
    scenes->markTransformDirty();
    scenes->updateAbsoluteTransform();
    scene->updateAbsoluteTransform();
    panel->updateAbsoluteTransform();
    ok->updateAbsoluteTransform();
    deep->updateAbsoluteTransform();
    SNodeInfo info = CLiveTree::describe(ok);
    EXPECT_EQ(info.kind, "ProbeControl");
    EXPECT_TRUE(info.visible);
    EXPECT_TRUE(info.isControl);
    EXPECT_TRUE(info.enabled);
    EXPECT_TRUE(info.hasText);
    EXPECT_EQ(info.text, "ready");
    EXPECT_NEAR(info.rect.UpperLeftCorner.X, 160 + 100 * 0.9375f, 0.01f);
    EXPECT_NEAR(info.rect.LowerRightCorner.Y, (50 + 40) * 0.9375f, 0.01f);
    EXPECT_FALSE(CLiveTree::describe(panel).hasText);
    EXPECT_FALSE(CLiveTree::describe(panel).isControl);

    // Hidden or disabled above: the node counts as hidden or disabled.
    panel->setVisible(false);
    ok->setEnabled(false);
    info = CLiveTree::describe(deep);
    EXPECT_FALSE(info.visible);
    EXPECT_FALSE(info.enabled);
    panel->setVisible(true);
    ok->setEnabled(true);

    // Points: the centre, or a point of the node's own space, through the placement.
    vector2df centre = CLiveTree::windowPoint(ok, SWalkTarget{"Ok", false, 0, 0});
    EXPECT_NEAR(centre.X, 160 + 200 * 0.9375f, 0.01f);
    EXPECT_NEAR(centre.Y, 70 * 0.9375f, 0.01f);
    vector2df point = CLiveTree::windowPoint(deep, SWalkTarget{"Ok/Deep", true, 5, 5});
    EXPECT_NEAR(point.X, 160 + 115 * 0.9375f, 0.01f);
    EXPECT_NEAR(point.Y, 65 * 0.9375f, 0.01f);
    rectf area;
    std::string error;
    ASSERT_TRUE(tree.regionRect(SWalkRegion{true, "", 0, 668, 1024, 768}, area, error));
    EXPECT_NEAR(area.UpperLeftCorner.X, 160, 0.01f);
    EXPECT_NEAR(area.LowerRightCorner.X, 160 + 960, 0.01f);
    EXPECT_NEAR(area.UpperLeftCorner.Y, 668 * 0.9375f, 0.01f);
    EXPECT_FALSE(tree.regionRect(SWalkRegion{false, "Missing", 0, 0, 0, 0}, area, error));
    EXPECT_EQ(error, "no node \"Missing\" below the top scene");

    const std::string dump = tree.dump();
    EXPECT_NE(dump.find("Top scene: TestScene \"Menu\""), std::string::npos) << dump;
    EXPECT_NE(dump.find("Panel/Ok [ProbeControl] visible enabled (254,47)-(441,84) text=\"ready\""),
              std::string::npos)
        << dump;
    EXPECT_NE(dump.find("Panel/Ok/Deep [ProbeControl]"), std::string::npos) << dump;
    scenes->setScene(nullptr);
    scenes->update(0);
}

// ---- Whole walks on a real window ----

// A click lands on the design point the walk names, through the screen fit of the live window:
// the identity at 1024 x 768, bars left and right at 1280 x 720, a stretch at 1280 x 1024 in
// full screen.
TEST(LiveWalk, ClicksLandOnTheirDesignPointThroughTheScreenFit) {
    const struct {
        s32 width, height;
        bool fullscreen;
    } screens[] = {{1024, 768, false}, {1280, 720, false}, {1280, 1024, true}};
    for (const auto& s : screens) {
        SCOPED_TRACE(std::to_string(s.width) + " x " + std::to_string(s.height));
        LiveWindow window(s.width, s.height, s.fullscreen);
        REQUIRE_WINDOW(window);
        CRefPtr<TestScene> scene = makeTestScene("Board");
        ProbeControl* probe = addProbe(scene.get(), "Target", 100, 200, 300, 150);
        window.scenes->setScene(scene.get());
        CRefPtr<CWalkRunner> runner = window.run(
            "wait scene TestScene\n"
            "click Target at 10 20\n"
            "click Target\n"
            "quit 0\n");
        ASSERT_FALSE(runner->hasFailed()) << runner->getFailure();
        const dimension2di& screen = window.device->getVideoDriver()->getScreenSize();
        EXPECT_EQ(screen.Width, s.width);
        EXPECT_EQ(screen.Height, s.height);
        const SScreenFit& fit = window.frames->fit;
        EXPECT_EQ(fit.stretched, s.height != 720);  // near the design's ratio: stretched
        EXPECT_EQ(fit.positionX, s.width == 1280 && s.height == 720 ? 160 : 0);  // the left bar

        std::vector<SPointerRecord> downs;
        for (const SPointerRecord& r : probe->pointer)
            if (r.type == EventMouseLeftDown) downs.push_back(r);
        ASSERT_EQ(downs.size(), 2u);
        const struct {
            f32 x, y;  // in the probe
        } points[] = {{10, 20}, {150, 75}};
        for (int i = 0; i < 2; ++i) {
            const f32 wx = static_cast<f32>(fit.positionX) + (100 + points[i].x) * fit.scaleX;
            const f32 wy = static_cast<f32>(fit.positionY) + (200 + points[i].y) * fit.scaleY;
            EXPECT_NEAR(downs[static_cast<size_t>(i)].x, wx, 1.0f) << i;
            EXPECT_NEAR(downs[static_cast<size_t>(i)].y, wy, 1.0f) << i;
            EXPECT_NEAR(downs[static_cast<size_t>(i)].local.X, points[i].x, 1.5f) << i;
            EXPECT_NEAR(downs[static_cast<size_t>(i)].local.Y, points[i].y, 1.5f) << i;
        }
        EXPECT_EQ(runner->getExpectedExitCode(), 0);
    }
}

// Steps wait for the switch between two scenes to end: the click on the new scene's probe (a
// node of the same name is in the old scene too) comes only after the new scene has entered.
TEST(LiveWalk, NoStepActsWhileAScreenSwitchRuns) {
    LiveWindow window(1024, 768, false);
    REQUIRE_WINDOW(window);
    CRefPtr<TestScene> first = makeTestScene("First");
    CRefPtr<TestScene> second = makeTestScene("Second");
    giveStates(first.get(), 100, 700);
    giveStates(second.get(), 700, 100);
    first->next = second.get();
    ProbeControl* old = addProbe(first.get(), "Target", 100, 100, 200, 100);
    ProbeControl* target = addProbe(second.get(), "Target", 500, 400, 200, 100);
    window.scenes->setScene(first.get());
    CRefPtr<CWalkRunner> runner = window.run(
        "wait scene TestScene\n"
        "key Space\n"
        "click Target\n"
        "shot notblank varied Target\n"
        "quit 0\n");
    ASSERT_FALSE(runner->hasFailed()) << runner->getFailure();
    EXPECT_EQ(window.scenes->getCurrentScene(), second.get());
    std::vector<SPointerRecord> downs;
    for (const SPointerRecord& r : target->pointer)
        if (r.type == EventMouseLeftDown) downs.push_back(r);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_FALSE(downs[0].switchRunning);
    for (const SPointerRecord& r : old->pointer) EXPECT_NE(r.type, EventMouseLeftDown);
    ASSERT_FALSE(first->keys.empty());
    EXPECT_EQ(first->keys[0].key, kVirtualKeySpace);
}

// A step that never comes true fails the walk with the step, the top scene and its named nodes.
TEST(LiveWalk, AFailingStepPrintsTheStepAndTheTree) {
    LiveWindow window(1024, 768, false);
    REQUIRE_WINDOW(window);
    CRefPtr<TestScene> scene = makeTestScene("Board");
    BaseNode* panel = test::newNode("Panel", scene.get()).get();
    addProbe(panel, "Target", 100, 200, 300, 150);
    window.scenes->setScene(scene.get());
    SRunnerOptions options;
    options.stepGameTimeoutMs = 300;
    CRefPtr<CWalkRunner> runner = window.run(
        "wait scene TestScene\n"
        "\n"
        "expect text Target \"something else\"  # it says ready\n"
        "quit 0\n",
        options);
    ASSERT_TRUE(runner->hasFailed());
    EXPECT_TRUE(runner->isFinished());
    const std::string& failure = runner->getFailure();
    EXPECT_NE(
        failure.find("failed at line 3: expect text Target \"something else\"  # it says ready"),
        std::string::npos)
        << failure;
    EXPECT_NE(failure.find("ms of game time"), std::string::npos) << failure;
    EXPECT_NE(failure.find("its text is \"ready\""), std::string::npos) << failure;
    EXPECT_NE(failure.find("Top scene: TestScene \"Board\", no switch running"), std::string::npos)
        << failure;
    EXPECT_NE(
        failure.find(
            "Board/Panel/Target [ProbeControl] visible enabled (100,200)-(400,350) text=\"ready\""),
        std::string::npos)
        << failure;
    EXPECT_NE(window.output.find(failure), std::string::npos);  // printed as well
    EXPECT_EQ(runner->getStepIndex(), 1u);
}

// A text that must change from the one noted before it, a property of a node found by its class,
// and the walk's short form, which ends at its "short" step while the full form goes on past it.
TEST(LiveWalk, ChangedTextsAndTheShortForm) {
    const char* walkText =
        "wait scene TestScene\n"
        "note Target\n"
        "click Target\n"
        "expect changed Target\n"
        "expect text Target \"lit\"\n"
        "expect node ProbeControl Text \"lit\"\n"
        "full: click Target\n"
        "full: expect text Target \"ready\"\n"
        "short: expect text Target \"lit\"\n"
        "short\n"
        "click Target\n"
        "expect changed Target\n"
        "quit 3\n";
    for (const bool shortForm : {true, false}) {
        SCOPED_TRACE(shortForm ? "short form" : "full form");
        LiveWindow window(1024, 768, false);
        REQUIRE_WINDOW(window);
        CRefPtr<TestScene> scene = makeTestScene("Board");
        ProbeControl* target = addProbe(scene.get(), "Target", 100, 100, 200, 100);
        window.scenes->setScene(scene.get());
        SRunnerOptions options;
        options.shortForm = shortForm;
        CRefPtr<CWalkRunner> runner = window.run(walkText, options);
        ASSERT_FALSE(runner->hasFailed()) << runner->getFailure();
        EXPECT_EQ(runner->getExpectedExitCode(), shortForm ? 0 : 3);
        // One click in the short form; in the full form the full-form click and the one after
        // the short form's end as well.
        size_t presses = 0;
        for (const SPointerRecord& r : target->pointer)
            presses += r.type == EventMouseLeftDown ? 1 : 0;
        EXPECT_EQ(presses, shortForm ? 1u : 3u);
        EXPECT_TRUE(target->lit);
    }

    // A text that stays as noted, and a path never noted, fail with the reason.
    const struct {
        const char* walk;
        const char* reason;
    } failures[] = {
        {"wait scene TestScene\nnote Target\nexpect changed Target\nquit 0\n",
         "its text is \"ready\", as noted before"},
        {"wait scene TestScene\nexpect changed Target\nquit 0\n",
         "no text was noted for \"Target\" before"},
        {"wait scene TestScene\nexpect node ProbeControl Text \"gone\"\nquit 0\n",
         "its Text is \"ready\""},
        {"wait scene TestScene\nexpect node TextNode Text \"x\"\nquit 0\n",
         "no TextNode with a property Text below the top scene"},
    };
    for (const auto& c : failures) {
        LiveWindow window(1024, 768, false);
        REQUIRE_WINDOW(window);
        CRefPtr<TestScene> scene = makeTestScene("Board");
        addProbe(scene.get(), "Target", 100, 100, 200, 100);
        window.scenes->setScene(scene.get());
        SRunnerOptions options;
        options.stepGameTimeoutMs = 300;
        CRefPtr<CWalkRunner> runner = window.run(c.walk, options);
        ASSERT_TRUE(runner->hasFailed()) << c.walk;
        EXPECT_NE(runner->getFailure().find(c.reason), std::string::npos) << runner->getFailure();
    }
}

// Keys, typed text (any code point), the focus, pointer moves and drags, log lines, game time
// and shots, all through the window system's queue.
TEST(LiveWalk, KeysTextFocusPointerLogAndShots) {
    LiveWindow window(1024, 768, false);
    REQUIRE_WINDOW(window);
    CRefPtr<TestScene> scene = makeTestScene("Board");
    ProbeControl* target = addProbe(scene.get(), "Target", 100, 100, 200, 100);
    ProbeControl* other = addProbe(scene.get(), "Other", 600, 100, 200, 100);
    window.scenes->setScene(scene.get());
    const u32 before = window.device->getTimer()->getTime();
    CRefPtr<CWalkRunner> runner = window.run(
        "wait scene TestScene\n"
        "text \"Zo\xC3\xAB\xE2\x82\xAC!\"\n"
        "key ctrl+shift+S\n"
        "keydown Escape\n"
        "keyup Escape\n"
        "focus lost\n"
        "expect log \"Application deactivated.\"\n"
        "focus gained\n"
        "expect log \"Application activated.\"\n"
        "hover Other\n"
        "shot notblank varied Target varied Other\n"
        "click Target\n"
        "shot unlike Target\n"
        "drag Target at 5 5 to Other at 50 50\n"
        "wait time 250\n"
        "expect text Other \"ready\"\n"
        "expect visible Other yes\n"
        "expect enabled Other yes\n"
        "quit 3\n");
    ASSERT_FALSE(runner->hasFailed()) << runner->getFailure();
    EXPECT_EQ(runner->getExpectedExitCode(), 3);
    EXPECT_GE(window.device->getTimer()->getTime() - before, 250u);

    // The typed characters come as key downs carrying them, each followed by its key up.
    std::u32string typed;
    const std::vector<SKeyRecord>& keys = scene->keys;
    size_t i = 0;
    for (; i + 1 < keys.size() && typed.size() < 5; i += 2) {
        EXPECT_TRUE(keys[i].down);
        EXPECT_FALSE(keys[i + 1].down);
        EXPECT_EQ(keys[i].character, keys[i + 1].character);
        typed += static_cast<char32_t>(keys[i].character);
    }
    EXPECT_EQ(typed, U"Zo\u00eb\u20ac!");
    EXPECT_TRUE(keys[0].shift);  // a capital
    // Control and shift, then S with both, and the releases.
    ASSERT_GE(keys.size(), i + 8);
    EXPECT_EQ(keys[i].key, kVirtualKeyControl);
    EXPECT_EQ(keys[i + 1].key, kVirtualKeyShift);
    EXPECT_EQ(keys[i + 2].key, kVirtualKeyS);
    EXPECT_TRUE(keys[i + 2].down && keys[i + 2].control && keys[i + 2].shift);
    EXPECT_FALSE(keys[i + 3].down);
    EXPECT_EQ(keys[i + 6].key, kVirtualKeyEscape);
    EXPECT_TRUE(keys[i + 6].down);
    EXPECT_FALSE(keys[i + 7].down);

    // The device's focus messages (the window system may add its own; the walk waited for the
    // device's lines of both).
    const std::vector<bool>& focus = window.frames->focus;
    const auto lost = std::find(focus.begin(), focus.end(), false);
    ASSERT_NE(lost, focus.end());
    EXPECT_NE(std::find(lost, focus.end(), true), focus.end());

    // The hover reached the other probe; the drag was pressed on the target and released over
    // the other.
    ASSERT_FALSE(other->pointer.empty());
    EXPECT_EQ(other->pointer[0].type, static_cast<u32>(EventMouseMove));
    EXPECT_NEAR(other->pointer[0].local.X, 100.0f, 1.5f);
    bool pressed = false, released = false;
    for (const SPointerRecord& r : target->pointer)
        pressed = pressed || r.type == EventMouseLeftDown;
    for (const SPointerRecord& r : other->pointer)
        released = released || r.type == EventMouseLeftUp;
    EXPECT_TRUE(pressed);
    EXPECT_TRUE(released);
    EXPECT_NEAR(other->pointer.back().local.X, 50.0f, 1.5f);
}

// Frames slower than the device lets the game catch up on: each takes this much real time, so
// that on a clock twenty times as fast as real time every turn lags more than 200 ms behind and
// advances the game by one step of 10 ms. Counts the game time the update steps add up to, and
// lights the probe once it reaches the time given.
class SlowFrames : public CEventReceiver {
public:
    static constexpr u32 FrameRealMs = 15;

    SlowFrames(ProbeControl* probe, u64 lightAtMs) : m_probe(probe), m_lightAtMs(lightAtMs) {
        setCategoryMask(CategorySystemFlow);
    }
    bool onEvent(CEvent* event) override {
        if (event->getTypeId() == EventSystemFlowUpdate) {
            gameMs += static_cast<CEventSystemFlowUpdate*>(event)->getElapsed();
            if (m_probe && gameMs >= m_lightAtMs) m_probe->text = L"lit";
        } else if (event->getTypeId() == EventSystemFlowRender) {
            sleepMs(FrameRealMs);
        }
        return false;
    }
    u64 gameMs = 0;

private:
    ProbeControl* m_probe;
    u64 m_lightAtMs;
};

// On a machine that cannot keep up, the device's clock runs far ahead of the game: the walk's
// waits and step limits count the game's own time, so a step the game needs 300 ms for passes
// within a limit of 1000 ms however far the clock has run, "wait time" lasts that much of the
// game, and a step that never comes true still fails once the game has had its limit.
TEST(LiveWalk, WaitsAndLimitsCountTheGameTimeWhileFramesLagBehindTheClock) {
    constexpr u64 ClockFactor = 20;
    constexpr u64 LitAfterMs = 300;
    constexpr u64 WaitMs = 400;
    constexpr u32 LimitMs = 1000;
    constexpr u64 StepMs = 10;
    const struct {
        const char* walk;
        bool passes;
    } cases[] = {
        {"wait scene TestScene\n"
         "expect text Target \"lit\"\n"
         "wait time 400\n"
         "quit 0\n",
         true},
        {"wait scene TestScene\n"
         "expect text Target \"never\"\n"
         "quit 0\n",
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.walk);
        LiveWindow window(1024, 768, false, std::make_unique<CScaledClock>(ClockFactor));
        REQUIRE_WINDOW(window);
        CRefPtr<TestScene> scene = makeTestScene("Board");
        ProbeControl* target = addProbe(scene.get(), "Target", 100, 100, 200, 100);
        window.scenes->setScene(scene.get());
        auto slow = makeRef<SlowFrames>(target, LitAfterMs);
        window.device->addEventReceiver(slow.get(), 0);
        SRunnerOptions options;
        options.stepGameTimeoutMs = LimitMs;
        const u32 clockBefore = window.device->getTimer()->getTime();
        CRefPtr<CWalkRunner> runner = window.run(c.walk, options);
        const u64 clockRan = window.device->getTimer()->getTime() - clockBefore;
        window.device->removeEventReceiver(slow.get());

        // The runner counted the same steps; the clock ran on far ahead of them.
        EXPECT_EQ(runner->getGameTimeMs(), slow->gameMs);
        EXPECT_GE(clockRan, 4 * slow->gameMs);
        if (c.passes) {
            ASSERT_FALSE(runner->hasFailed()) << runner->getFailure();
            // The probe lit, then the wait took its whole time.
            EXPECT_GE(slow->gameMs, LitAfterMs + WaitMs);
            EXPECT_LE(slow->gameMs, LitAfterMs + WaitMs + 100 * StepMs);
        } else {
            ASSERT_TRUE(runner->hasFailed());
            const std::string& failure = runner->getFailure();
            EXPECT_NE(failure.find("failed at line 2"), std::string::npos) << failure;
            EXPECT_NE(failure.find("ms of the device's clock"), std::string::npos) << failure;
            // The limit was the game's: it had all of it, and hardly more.
            EXPECT_GT(slow->gameMs, LimitMs);
            EXPECT_LE(slow->gameMs, LimitMs + 100 * StepMs);
        }
    }
}

// Shot checks that fail: a frame like the one before it, and a flat frame that should not be.
TEST(LiveWalk, ShotsThatFailTheirChecks) {
    const struct {
        const char* walk;
        const char* failure;
    } cases[] = {
        {"wait scene TestScene\nshot\nshot unlike Target\nquit 0\n",
         "The shot is like the one before it inside"},
        {"wait scene TestScene\nshot notblank\nquit 0\n", "The shot (1024 x 768) is blank"},
        {"wait scene TestScene\nshot unlike\nquit 0\n",
         "There is no earlier shot to compare the shot with"},
    };
    for (size_t n = 0; n < 3; ++n) {
        LiveWindow window(1024, 768, false);
        REQUIRE_WINDOW(window);
        CRefPtr<TestScene> scene = makeTestScene("Board");
        if (n == 0) addProbe(scene.get(), "Target", 100, 100, 200, 100);
        window.scenes->setScene(scene.get());
        CRefPtr<CWalkRunner> runner = window.run(cases[n].walk);
        ASSERT_TRUE(runner->hasFailed()) << cases[n].walk;
        EXPECT_NE(runner->getFailure().find(cases[n].failure), std::string::npos)
            << runner->getFailure();
    }
}

// "back" presses Escape only when another scene is on top, and waits for the scene named.
TEST(LiveWalk, BackLeavesTheSceneOnTopWithEscape) {
    class OtherScene : public TestScene {
    public:
        using TestScene::TestScene;
        const stringw& getClassName() const override {
            static const stringw name(L"OtherScene");
            return name;
        }
        bool onKeyDown(CEvent* event) override {
            const bool consumed = TestScene::onKeyDown(event);
            if (static_cast<CEventKeyboardKey*>(event)->getKey() == VirtualKeyEscape && back &&
                getSceneManager())
                getSceneManager()->switchScene(this, back);
            return consumed;
        }
        SceneNode* back = nullptr;
    };
    LiveWindow window(1024, 768, false);
    REQUIRE_WINDOW(window);
    CRefPtr<TestScene> first = makeTestScene("First");
    auto other = makeRef<OtherScene>(CCreationContext());
    other->setNameId(test::id("Other"));
    other->setBounds(1024, 768);
    // Escape leads to a scene of the first one's class.
    CRefPtr<TestScene> last = makeTestScene("Last");
    giveStates(first.get(), 100, 100);
    giveStates(other.get(), 100, 100);
    giveStates(last.get(), 100, 100);
    first->next = other.get();
    other->back = last.get();
    window.scenes->setScene(first.get());
    CRefPtr<CWalkRunner> runner = window.run(
        "wait scene TestScene\n"
        "back TestScene\n"
        "key Space\n"
        "wait scene OtherScene\n"
        "back TestScene\n"
        "quit 0\n");
    ASSERT_FALSE(runner->hasFailed()) << runner->getFailure();
    EXPECT_EQ(window.scenes->getCurrentScene(), last.get());
    std::vector<u32> firstKeys, otherKeys;
    for (const SKeyRecord& k : first->keys)
        if (k.down) firstKeys.push_back(k.key);
    for (const SKeyRecord& k : other->keys)
        if (k.down) otherKeys.push_back(k.key);
    EXPECT_EQ(firstKeys, (std::vector<u32>{kVirtualKeySpace}));  // no Escape while on top
    EXPECT_EQ(otherKeys, (std::vector<u32>{VirtualKeyEscape}));
}

// ---- Mini-games built node by node ----

namespace {

// A probe that the scene's findNodeAt finds anywhere inside its bounds, as it finds a picture's
// opaque pixels.
class HitProbe : public ProbeControl {
public:
    using ProbeControl::ProbeControl;
    bool hitTest(const vector2df& point) const override {
        return isVisible() && isPointInBounds(point);
    }
};

HitProbe* addHitProbe(BaseNode* parent, const char* name, f32 x, f32 y, f32 w, f32 h) {
    return test::placeNode(parent, new HitProbe(CCreationContext()), name, x, y, w, h);
}

// A plain node the scene's findNodeAt finds anywhere inside its bounds; it takes no input, so
// the control above it is pressed.
class HitArea : public BaseNode {
public:
    explicit HitArea(const CCreationContext& context) : BaseNode(context) {}
    bool hitTest(const vector2df& point) const override {
        return isVisible() && isPointInBounds(point);
    }
};

// A control pressed anywhere inside its bounds.
ControlNode* addButton(BaseNode* parent, const char* name, f32 x, f32 y, f32 w, f32 h) {
    auto* button = test::placeNode(parent, new ControlNode(CCreationContext()), name, x, y, w, h);
    auto area = makeRef<HitArea>(CCreationContext());
    area->setBounds(w, h);
    button->addChild(area.get());
    return button;
}

u32 downsOn(const ProbeControl* probe) {
    u32 count = 0;
    for (const SPointerRecord& r : probe->pointer) count += r.type == EventMouseLeftDown ? 1 : 0;
    return count;
}

// A folder of the test's own (the current folder while it lives) with the content of the live
// window's device: the auction's banknotes load from it as atlas textures.
struct MiniGameContent {
    explicit MiniGameContent(IDevice* device)
        : folder(std::filesystem::temp_directory_path() /
                 ("brasquel-autoplay-minigame-" + std::to_string(::getpid()))),
          files(device->getFileSystem()) {
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        previous = std::filesystem::current_path();
        std::filesystem::current_path(folder);
        processors = createContentProcessors(device->getVideoDriver(), nullptr, files);
        content = CRefPtr<CContentManager>::fromRaw(new CContentManager(files, processors));
    }
    ~MiniGameContent() {
        content = nullptr;
        if (processors) processors->drop();
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(folder);
    }
    void write(const std::string& name, const std::string& text) const {
        std::filesystem::create_directories((folder / name).parent_path());
        std::ofstream(folder / name, std::ios::binary) << text;
    }
    // A PNG picture of one opaque colour.
    void writePicture(const std::string& name, s32 w, s32 h, u32 color) const {
        std::filesystem::create_directories((folder / name).parent_path());
        auto image =
            makeRef<CImage>(CCreationContext(), ECF_A8R8G8B8, dimension2di(w, h), EIP_ZEROED);
        image->fill(color);
        EXPECT_TRUE(
            content->saveContent(TypeCodeImage, image.get(), stringc(name.c_str()), nullptr))
            << name;
    }
    // The game reads its configuration from the text.
    void configure(GMiniGameScene* game, const std::string& xml) const {
        write("mg/MiniGameConfiguration.xml", xml);
        CXmlReader* reader = files->createXmlReader(stringc("mg/MiniGameConfiguration.xml"));
        ASSERT_NE(reader, nullptr);
        game->readConfiguration(reader);
        reader->drop();
    }

    std::filesystem::path folder, previous;
    CFileSystem* files;
    CContentProcessorsManager* processors = nullptr;
    CRefPtr<CContentManager> content;
};

// A mini-game's frame: "Scene" > "Game" > "BgObjects" and "HitObjects", "UI" with the guide, its
// text (timed "Appear" and "Disappear"), "ObjCount" and a "MenuButton".
template <class T>
CRefPtr<T> makeMiniGame(IContentManager* content) {
    auto game = makeRef<T>(CCreationContext(content, "MiniGame"), nullptr, nullptr);
    game->setNameId(test::id("MiniGame"));
    game->setBounds(1024, 768);
    // Input passes down through controls, as in the game's scene files.
    auto control = [](const char* name, BaseNode* parent) {
        auto node = makeRef<ControlNode>(CCreationContext());
        node->setNameId(test::id(name));
        node->setBounds(1024, 768);
        parent->addChild(node.get());
        return node.get();
    };
    BaseNode* body = control("Scene", game.get());
    BaseNode* play = control("Game", body);
    test::newNode("BgObjects", play);
    test::newNode("HitObjects", play);
    BaseNode* ui = control("UI", body);
    BaseNode* linet = test::newNode("Linet", ui).get();
    linet->addState(test::timedState("Disappear", 200).get());
    BaseNode* text = test::newNode("LinetText", ui).get();
    text->setPosition(vector3df(600, 650, 0));
    text->setBounds(300, 60);
    text->addState(test::timedState("Appear", 200).get());
    text->addState(test::timedState("Disappear", 200).get());
    auto count = makeRef<TextNode>(CCreationContext());
    count->setNameId(test::id("ObjCount"));
    ui->addChild(count.get());
    addButton(ui, "MenuButton", 900, 20, 100, 40);
    return game;
}

BaseNode* hitObjectsOf(BaseNode* game) { return game->findChildByName("HitObjects", 0); }

// The start scene of a walk, and the scenes a mini-game is entered through (the map and the
// loading screen stand in the chain as the game's do): Space leads from each to the next.
struct MiniGameChain {
    MiniGameChain(LiveWindow& window, SceneNode* game) {
        first->next = second.get();
        second->next = third.get();
        third->next = game;
        window.scenes->setScene(first.get());
    }
    CRefPtr<TestScene> first = makeTestScene("Menu");
    CRefPtr<TestScene> second = makeTestScene("Map");
    CRefPtr<TestScene> third = makeTestScene("Loading");
};

constexpr const char* kEnterMiniGame =
    "wait scene TestScene\n"
    "key Space\n"
    "key Space\n"
    "key Space\n";

}  // namespace

// The free hidden-object game: the briefing waits for the guide's text, one click ends it
// (finding nothing), then each item is clicked where the scene finds it. An item whose middle a
// node of the background covers is clicked beside that node.
TEST(LiveMiniGame, AHiddenObjectGameIsBriefedThenWonItemByItem) {
    LiveWindow window(1024, 768, false);
    REQUIRE_WINDOW(window);
    MiniGameContent folder(window.device);
    auto game = makeMiniGame<GMiniGameHiddenScene>(folder.content.get());
    BaseNode* items = hitObjectsOf(game.get());
    HitProbe* pen = addHitProbe(items, "Pen", 100, 100, 80, 80);
    HitProbe* cup = addHitProbe(items, "Cup", 300, 300, 120, 120);
    HitProbe* hat = addHitProbe(items, "Hat", 600, 150, 60, 60);
    // Found items leave the tree: the test keeps them.
    const std::vector<CRefPtr<HitProbe>> kept = {CRefPtr<HitProbe>(pen), CRefPtr<HitProbe>(cup),
                                                 CRefPtr<HitProbe>(hat)};
    // Over the cup's middle, in front of it for findNodeAt.
    HitProbe* cover = addHitProbe(game->findChildByName("BgObjects", 0), "Cover", 330, 330, 60, 60);
    game->onLoaded();
    folder.configure(game.get(), "<MiniGame><ExpertScore Value=\"700\"/></MiniGame>");
    MiniGameChain chain(window, game.get());
    CRefPtr<CWalkRunner> runner = window.run(std::string(kEnterMiniGame) +
                                             "wait scene GMiniGameHiddenScene\n"
                                             "minigame brief\n"
                                             "expect text ObjCount \"3\"\n"
                                             "expect text ObjCount matches \"[1-3]\"\n"
                                             "shot notblank varied Pen\n"
                                             "minigame win\n"
                                             "quit 0\n");
    ASSERT_FALSE(runner->hasFailed()) << runner->getFailure();
    EXPECT_TRUE(game->isFinished());
    EXPECT_EQ(game->getScore(), 700);
    EXPECT_EQ(items->getChildCount(), 0u);
    for (const HitProbe* item : {pen, cup, hat}) EXPECT_EQ(item->getParent(), nullptr);
    // The cup was clicked beside the cover (the cover records any click inside it).
    EXPECT_EQ(downsOn(cover), 0u);
    EXPECT_TRUE(CMiniGamePlayer::plays(game->getLinetText(), "Disappear"));
}

// The ordered game wants its items in a drawn order: the runner tries the remaining ones in
// turn and sees a find as "ObjCount" dropping; every item is found once.
TEST(LiveMiniGame, TheOrderedGameIsWonByTryingTheRemainingItemsInTurn) {
    LiveWindow window(1024, 768, false);
    REQUIRE_WINDOW(window);
    MiniGameContent folder(window.device);
    auto game = makeMiniGame<GMiniGameHidden2Scene>(folder.content.get());
    BaseNode* items = hitObjectsOf(game.get());
    std::vector<HitProbe*> probes;
    for (int i = 0; i < 4; ++i)
        probes.push_back(addHitProbe(items, ("Item" + std::to_string(i)).c_str(),
                                     100.0f + 200.0f * static_cast<f32>(i), 200, 90, 90));
    // A seed whose drawn order does not start with the first child: some clicks miss.
    for (u32 seed = 1; seed < 100; ++seed) {
        CRandom::instance().seed(seed);
        game->onLoaded();
        if (game->getItems()[0] != probes[0]) break;
    }
    folder.configure(game.get(), "<MiniGame><ExpertScore Value=\"500\"/></MiniGame>");
    ASSERT_NE(game->getItems()[0], probes[0]);
    MiniGameChain chain(window, game.get());
    CRefPtr<CWalkRunner> runner = window.run(std::string(kEnterMiniGame) +
                                             "wait scene GMiniGameHidden2Scene\n"
                                             "minigame win\n"
                                             "quit 0\n");
    ASSERT_FALSE(runner->hasFailed()) << runner->getFailure();
    EXPECT_TRUE(game->isFinished());
    EXPECT_EQ(game->getScore(), 500);
    EXPECT_EQ(game->getCurrentIndex(), 4u);
    for (const HitProbe* item : probes) EXPECT_FALSE(item->isVisible());
}

// Lost on request: both hidden-object games are left by "MenuButton" with one item left, the
// game not finished, back on the map.
TEST(LiveMiniGame, ALostHiddenObjectGameIsLeftByItsMenuButtonBeforeTheLastItem) {
    for (const bool ordered : {false, true}) {
        SCOPED_TRACE(ordered ? "ordered" : "free");
        LiveWindow window(1024, 768, false);
        REQUIRE_WINDOW(window);
        MiniGameContent folder(window.device);
        CRefPtr<GMiniGameScene> game =
            ordered ? CRefPtr<GMiniGameScene>(
                          makeMiniGame<GMiniGameHidden2Scene>(folder.content.get()).get())
                    : CRefPtr<GMiniGameScene>(
                          makeMiniGame<GMiniGameHiddenScene>(folder.content.get()).get());
        BaseNode* items = hitObjectsOf(game.get());
        for (int i = 0; i < 3; ++i)
            addHitProbe(items, ("Item" + std::to_string(i)).c_str(),
                        100.0f + 200.0f * static_cast<f32>(i), 200, 90, 90);
        game->onLoaded();
        MiniGameChain chain(window, game.get());
        CRefPtr<CWalkRunner> runner = window.run(std::string(kEnterMiniGame) +
                                                 "minigame lose\n"
                                                 "wait scene TestScene\n"
                                                 "quit 0\n");
        ASSERT_FALSE(runner->hasFailed()) << runner->getFailure();
        EXPECT_FALSE(game->isFinished());
        u32 left = 0;
        for (BaseNode* item : items->getChildren()) left += item->isVisible() ? 1 : 0;
        EXPECT_EQ(left, 1u);
        // Back past the loading screen to the map.
        EXPECT_EQ(window.scenes->getCurrentScene(), chain.second.get());
    }
}

// The auction: one pick of the highest banknote per 500 ms of game time from the briefing's
// end, each a right one, until its time (here 3 s) has passed; lost, it runs out without a pick.
TEST(LiveMiniGame, TheAuctionPicksTheHighestBanknoteEveryHalfSecondOrNone) {
    for (const bool win : {true, false}) {
        SCOPED_TRACE(win ? "won" : "lost");
        LiveWindow window(1024, 768, false);
        REQUIRE_WINDOW(window);
        MiniGameContent folder(window.device);
        for (int value = 1; value <= 6; ++value) {
            const std::string money = "levels/minigame_auction/Money/" + std::to_string(value);
            folder.writePicture(money + ".png", 40, 20,
                                0xff000000u | (0x203040u * static_cast<u32>(value)));
            folder.writePicture(money + "over.png", 40, 20, 0xffc0c0c0u);
        }
        auto game = makeMiniGame<GMiniGameAuctionScene>(folder.content.get());
        BaseNode* play = game->findChildByName("Game", 0);
        for (int i = 0; i < 3; ++i) {
            // The zone: a control with the banknote, pressed anywhere on it.
            ControlNode* zone = addButton(play, ("Zone" + std::to_string(i + 1)).c_str(),
                                          100.0f + 300.0f * static_cast<f32>(i), 300, 200, 100);
            auto obj = makeRef<SpriteNode>(CCreationContext());
            obj->setNameId(test::id("Obj"));
            obj->setBounds(200, 100);
            zone->addChild(obj.get());
        }
        game->onLoaded();
        folder.configure(game.get(), "<MiniGame><MaxLevelTime Value=\"3000\"/></MiniGame>");
        MiniGameChain chain(window, game.get());
        CRefPtr<CWalkRunner> runner =
            window.run(std::string(kEnterMiniGame) +
                       "wait scene GMiniGameAuctionScene\n"
                       "minigame brief\n" +
                       (win ? "minigame win\n" : "minigame lose\n") + "quit 0\n");
        ASSERT_FALSE(runner->hasFailed()) << runner->getFailure();
        EXPECT_TRUE(game->isFinished());
        // Picks at 500, 1000, ... 2500 ms of play; none started in the last 300 ms.
        EXPECT_EQ(game->getTurnsDone(), win ? 5 : 0);
        EXPECT_EQ(game->getScore(), win ? 5 * GMiniGameAuctionScene::PointsPerTurn : 0);
    }
}

// The runner's reports: a mini-game step on another scene, an item the scene never finds.
TEST(LiveMiniGame, MiniGameStepsReportWhatStopsThem) {
    {
        LiveWindow window(1024, 768, false);
        REQUIRE_WINDOW(window);
        CRefPtr<TestScene> scene = makeTestScene("Board");
        window.scenes->setScene(scene.get());
        CRefPtr<CWalkRunner> runner = window.run("wait scene TestScene\nminigame win\nquit 0\n");
        ASSERT_TRUE(runner->hasFailed());
        EXPECT_NE(runner->getFailure().find("the top scene is not a mini-game (TestScene)"),
                  std::string::npos)
            << runner->getFailure();
    }
    LiveWindow window(1024, 768, false);
    REQUIRE_WINDOW(window);
    MiniGameContent folder(window.device);
    auto game = makeMiniGame<GMiniGameHiddenScene>(folder.content.get());
    addHitProbe(hitObjectsOf(game.get()), "Pen", 100, 100, 80, 80);
    // The background covers the whole item.
    addHitProbe(game->findChildByName("BgObjects", 0), "Cover", 90, 90, 100, 100);
    game->onLoaded();
    MiniGameChain chain(window, game.get());
    CRefPtr<CWalkRunner> runner =
        window.run(std::string(kEnterMiniGame) + "minigame win\nquit 0\n");
    ASSERT_TRUE(runner->hasFailed());
    EXPECT_NE(runner->getFailure().find("no point of the item \"Pen\" where the scene finds it"),
              std::string::npos)
        << runner->getFailure();
    EXPECT_FALSE(game->isFinished());
}

// ---- Following a tutorial ----

namespace {

// A plain rectangle of one colour, drawn; the window's and the arrow's looks of the tutorial's
// tests.
class Swatch : public BaseNode {
public:
    Swatch(const CCreationContext& context, BaseNode* parent = nullptr,
           SceneManager* manager = nullptr)
        : BaseNode(context, parent, manager) {}
    BaseNode* clone(BaseNode* parent, SceneManager* manager) const override {
        Swatch* made = static_cast<Swatch*>(cloneAs<Swatch>(this, parent, manager));
        made->hittable = hittable;
        return made;
    }
    // A hittable swatch is where its control takes the pointer.
    bool hitTest(const vector2df& point) const override {
        return hittable && isVisible() && getAbsoluteBoundsRect().isPointInside(point);
    }
    bool hittable = false;
    void render(DrawList& list) override {
        if (!isVisible()) return;
        if (isTransformDirty()) updateAbsoluteTransform();
        list.push_back(SDrawItem{this, getDepth(), 0});
        BaseNode::render(list);
    }
    void renderClipped(IVideoDriver* driver, const rectf* clip) override {
        const rectf r = getAbsoluteBoundsRect();
        SMaterial plain;
        plain.Lighting = false;
        plain.ZBuffer = 0;
        plain.ZWriteEnable = false;
        driver->setMaterial(plain);
        driver->draw2DRectangle(
            SColor(0xffe0a020u),
            recti(static_cast<s32>(r.UpperLeftCorner.X), static_cast<s32>(r.UpperLeftCorner.Y),
                  static_cast<s32>(r.LowerRightCorner.X), static_cast<s32>(r.LowerRightCorner.Y)),
            nullptr);
        BaseNode::renderClipped(driver, clip);
    }
};

// A button of the test: its face takes the pointer.
ButtonNode* placeButton(BaseNode* parent, const char* name, f32 x, f32 y, f32 w, f32 h) {
    ButtonNode* button =
        test::placeNode(parent, new ButtonNode(CCreationContext()), name, x, y, w, h);
    test::placeNode(button, new Swatch(CCreationContext()), "Face", 0, 0, w, h)->hittable = true;
    return button;
}

// Records the names of the pressed nodes that reach the host's own handling, and of the nodes
// that began a press (which the tutorial lets through).
class PressRecorder : public CEventReceiver {
public:
    bool onEvent(CEvent* event) override {
        if (event->getTypeId() == EventNodePressed)
            names.push_back(
                static_cast<CEventNodePressed*>(event)->getNode()->getNodeName().c_str());
        if (event->getTypeId() == EventNodePressPreview)
            begun.push_back(
                static_cast<CEventNodePressPreview*>(event)->getNode()->getNodeName().c_str());
        return false;
    }
    std::vector<std::string> names;
    std::vector<std::string> begun;
};

// Runs the controller one update step at a time, as a host does.
class TutorialDriver : public CEventReceiver {
public:
    explicit TutorialDriver(GTutorialController* tutorial) : m_tutorial(tutorial) {
        setCategoryMask(CategorySystemFlow);
    }
    bool onEvent(CEvent* event) override {
        if (event->getTypeId() == EventSystemFlowUpdate)
            m_tutorial->update(static_cast<CEventSystemFlowUpdate*>(event)->getElapsed());
        return false;
    }

private:
    GTutorialController* m_tutorial;
};

// A host scene with two buttons ("Allowed" in the middle, "Other" in the top left corner), a
// template collection with a drawn tutorial window (text, skip button and its highlight, a
// message box "Button") and a drawn arrow whose tip is its origin, and a controller over the
// host that the window's device registers and the update steps drive.
struct TutorialHost {
    explicit TutorialHost(const std::string& steps) {
        scene = makeTestScene("Host");
        placeButton(scene.get(), "Allowed", 400, 200, 120, 40);
        placeButton(scene.get(), "Other", 0, 0, 80, 40);
        templates = makeRef<TemplateCollectionNode>(CCreationContext());
        // The window takes the pointer's events to its buttons: a control.
        auto window = CRefPtr<BaseNode>::fromRaw(new ControlNode(CCreationContext()));
        window->setNameId(test::id("TutorialWindow"));
        test::placeNode(window.get(), new Swatch(CCreationContext()), "Panel", -40, -20, 300, 90);
        test::placeNode(window.get(), new TextNode(CCreationContext()), "Text", 0, 0, 200, 30);
        placeButton(window.get(), "Button", 140, 30, 80, 24);
        ButtonNode* skip = placeButton(window.get(), "SkipTutorialButton", 0, 0, 120, 24);
        test::placeNode(skip, new BaseNode(CCreationContext()), "bg", 0, 0, 120, 24);
        templates->addTemplate(window.get());
        auto arrow = CRefPtr<BaseNode>::fromRaw(new BaseNode(CCreationContext()));
        arrow->setNameId(test::id("TutorialArrow"));
        test::placeNode(arrow.get(), new Swatch(CCreationContext()), "Shape", -10, -40, 20, 40);
        templates->addTemplate(arrow.get());

        tutorial = CRefPtr<GTutorialController>::fromRaw(
            new GTutorialController(scene.get(), templates.get(), nullptr));
        CRefPtr<CXmlReader> reader = oskel::test::readerOf("<Tutorial>" + steps + "</Tutorial>");
        loaded = tutorial->load(reader.get(), nullptr);
        presses = makeRef<PressRecorder>();
        scene->addPreReceiver(tutorial.get());
        scene->addPostReceiver(presses.get());
        driver = makeRef<TutorialDriver>(tutorial.get());
    }
    // Starts the tutorial on the window's device and runs the walk.
    CRefPtr<CWalkRunner> run(LiveWindow& window, const std::string& walk,
                             SRunnerOptions options = SRunnerOptions()) {
        window.scenes->setScene(scene.get());
        window.device->addEventReceiver(driver.get(), 1);
        tutorial->start();
        options.findTutorial = [this](SceneNode* top) {
            return top == scene.get() ? tutorial.get() : nullptr;
        };
        CRefPtr<CWalkRunner> runner = window.run(walk, options);
        tutorial->stop();
        window.device->removeEventReceiver(driver.get());
        scene->removePreReceiver(tutorial.get());
        scene->removePostReceiver(presses.get());
        return runner;
    }

    CRefPtr<TestScene> scene;
    CRefPtr<TemplateCollectionNode> templates;
    CRefPtr<GTutorialController> tutorial;
    CRefPtr<PressRecorder> presses;
    CRefPtr<TutorialDriver> driver;
    bool loaded = false;
};

// The arrow's tip four units into the top edge of "Allowed".
const char* const kArrowOnAllowed = "<Arrow Position=\"460 204 0\" Rotation=\"0\"></Arrow>";

}  // namespace

TEST(WalkFile, TutorialStepsAreRead) {
    SWalk walk;
    std::string error;
    ASSERT_TRUE(
        parseWalk("tutorial step\n"
                  "tutorial step shot save first\n"
                  "tutorial shown\n"
                  "tutorial shown \"%Tut_Key%\"\n"
                  "tutorial tip yes\n"
                  "tutorial over\n"
                  "quit 0\n",
                  walk, error))
        << error;
    ASSERT_EQ(walk.steps.size(), 7u);
    EXPECT_EQ(walk.steps[0].kind, EStepKind::TutorialStep);
    EXPECT_FALSE(walk.steps[0].flag);
    EXPECT_TRUE(walk.steps[1].flag);
    EXPECT_EQ(walk.steps[1].shot.save, "first");
    EXPECT_EQ(walk.steps[2].kind, EStepKind::TutorialShown);
    EXPECT_FALSE(walk.steps[2].hasValue);
    EXPECT_TRUE(walk.steps[3].hasValue);
    EXPECT_EQ(walk.steps[3].value, "%Tut_Key%");
    EXPECT_EQ(walk.steps[4].kind, EStepKind::TutorialTip);
    EXPECT_TRUE(walk.steps[4].flag);
    EXPECT_EQ(walk.steps[5].kind, EStepKind::TutorialOver);

    const std::string usage =
        "line 1: tutorial step [shot] [save NAME] | shown [\"TEXT\"] | tip yes|no | over | skip";
    const struct {
        const char* text;
        std::string error;
    } mistakes[] = {
        {"tutorial\nquit 0\n", usage},
        {"tutorial walk\nquit 0\n", usage},
        {"tutorial step save x\nquit 0\n", "line 1: save goes with shot"},
        {"tutorial step shot save\nquit 0\n", usage},
        {"tutorial step shot save a/b\nquit 0\n", usage},
        {"tutorial tip maybe\nquit 0\n", usage},
        {"tutorial over now\nquit 0\n", usage},
        {"tutorial shown a b\nquit 0\n", usage},
    };
    for (const auto& m : mistakes) {
        EXPECT_FALSE(parseWalk(m.text, walk, error)) << m.text;
        EXPECT_EQ(error, m.error) << m.text;
    }
}

// A message box, a press with a click away first, a step that ends by itself with its window
// hidden, and a tip: each played on its target, the arrow and the window in the tree and in the
// frames.
TEST(LiveWalk, TheTutorialIsFollowedStepByStep) {
    LiveWindow window(1024, 768, false);
    REQUIRE_WINDOW(window);
    TutorialHost host(
        "<Hint MessageBox=\"true\"><Text Value=\"Welcome\"></Text><TextBgType Value=\"1\">"
        "</TextBgType><Actions></Actions><Arrows></Arrows></Hint>"
        "<Hint><Text Value=\"Press\"></Text><Actions><Action Type=\"ControlPress\" "
        "Controls=\"Allowed\"></Action></Actions><Arrows>" +
        std::string(kArrowOnAllowed) +
        "</Arrows></Hint>"
        "<Hint><Actions><Action Type=\"Timed\" Time=\"300\"></Action></Actions><Arrows>"
        "</Arrows></Hint>"
        "<Hint Tip=\"true\" MessageBox=\"true\"><Text Value=\"A tip\"></Text><Actions>"
        "</Actions><Arrows></Arrows></Hint>");
    ASSERT_TRUE(host.loaded);
    ASSERT_EQ(host.tutorial->getStepCount(), 4u);
    SRunnerOptions options;
    options.tutorialWaitMs = 20000;
    CRefPtr<CWalkRunner> runner = host.run(window,
                                           "wait scene TestScene\n"
                                           "tutorial shown \"Welcome\"\n"
                                           "tutorial tip no\n"
                                           "tutorial step shot\n"
                                           "tutorial shown \"Press\"\n"
                                           "tutorial step shot\n"
                                           "tutorial step\n"
                                           "tutorial tip yes\n"
                                           "tutorial step\n"
                                           "tutorial over\n"
                                           "quit 0\n",
                                           options);
    std::string pressed;
    for (const std::string& name : host.presses->names) pressed += " " + name;
    ASSERT_FALSE(runner->hasFailed())
        << runner->getFailure() << "pressed:" << pressed << window.output;
    // The click away landed on "Other", which the press step refused; the message boxes'
    // "Button" and the allowed press went on to the host.
    EXPECT_EQ(host.presses->begun,
              (std::vector<std::string>{"Button", "Other", "Allowed", "Button"}));
    EXPECT_EQ(host.presses->names, (std::vector<std::string>{"Button", "Allowed", "Button"}));
    EXPECT_EQ(host.tutorial->getCurrentIndex(), 4);
    EXPECT_EQ(host.tutorial->getWindow(), nullptr);
}

// What a tutorial step does not find fails the walk with its reason.
TEST(LiveWalk, TutorialStepsFailWithoutTheirArrowsOrTheirTutorial) {
    const struct {
        std::string steps, walk, reason;
    } cases[] = {
        {"<Hint><Text Value=\"Press\"></Text><Actions><Action Type=\"ControlPress\" "
         "Controls=\"Allowed\"></Action></Actions><Arrows><Arrow Position=\"100 500 0\" "
         "Rotation=\"0\"></Arrow></Arrows></Hint>",
         "tutorial step\n", "step 1 of 1: no arrow stands over its target"},
        {"<Hint><Text Value=\"Press\"></Text><Actions><Action Type=\"ControlPress\" "
         "Controls=\"Missing\"></Action></Actions><Arrows></Arrows></Hint>",
         "tutorial step\n", "step 1 of 1: none of the controls it allows is shown"},
        {"<Hint><Text Value=\"Wait\"></Text><Actions></Actions><Arrows></Arrows></Hint>",
         "tutorial over\n", "step 1 of the tutorial is current"},
        {"<Hint><Text Value=\"Press\"></Text><Actions><Action Type=\"ControlPress\" "
         "Controls=\"Allowed\"></Action></Actions><Arrows>" +
             std::string(kArrowOnAllowed) + "</Arrows></Hint>",
         "tutorial tip yes\n", "step 1: a tutorial step, not a tip"},
        {"<Hint><Text Value=\"Press\"></Text><Actions><Action Type=\"ControlPress\" "
         "Controls=\"Allowed\"></Action></Actions><Arrows>" +
             std::string(kArrowOnAllowed) + "</Arrows></Hint>",
         "tutorial shown \"Other\"\n", "step 1: its text is \"Press\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.walk);
        LiveWindow window(1024, 768, false);
        REQUIRE_WINDOW(window);
        TutorialHost host(c.steps);
        // The steps give up after a second of game time.
        SRunnerOptions options;
        options.stepGameTimeoutMs = 1000;
        options.tutorialWaitMs = 1000;
        CRefPtr<CWalkRunner> runner =
            host.run(window, "wait scene TestScene\n" + c.walk + "quit 0\n", options);
        ASSERT_TRUE(runner->hasFailed());
        EXPECT_NE(runner->getFailure().find(c.reason), std::string::npos) << runner->getFailure();
        EXPECT_TRUE(host.presses->names.empty());
    }
}
