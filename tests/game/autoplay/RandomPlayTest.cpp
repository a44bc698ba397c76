// The random mode's parts that need no window: the chooser over a table of scenes (never a
// forbidden button, the same choices for the same seed), the view of live scene trees with the
// quit question's and the delete question's buttons marked, the memory trend, the share of snow
// in a shot, and the upgrades the walks' header buys from the game's table.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "engine/device/IDevice.h"
#include "engine/image/CImage.h"
#include "engine/nodes/ButtonNode.h"
#include "engine/nodes/EditNode.h"
#include "engine/nodes/MessageBoxNode.h"
#include "engine/profiles/CProfileManager.h"
#include "engine/scene/SceneManager.h"
#include "engine/scene/TemplateCollectionNode.h"
#include "game/scenes/GInGameMenuScene.h"
#include "game/scenes/GSelectPlayerScene.h"
#include "tests/game/autoplay/InputInjector.h"
#include "tests/game/autoplay/LiveTree.h"
#include "tests/game/autoplay/ProfileWriter.h"
#include "tests/game/autoplay/RandomPlay.h"
#include "tests/game/autoplay/RandomRunner.h"
#include "tests/game/autoplay/ShotChecks.h"
#include "tests/game/autoplay/Walk.h"
#include "tests/scene/SceneTestSupport.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::autoplay;

namespace {

SControlView control(const char* path, f32 x1, f32 y1, f32 x2, f32 y2, bool forbidden = false,
                     bool editFocused = false) {
    SControlView c;
    c.path = path;
    c.kind = "ButtonNode";
    c.rect = rectf(x1, y1, x2, y2);
    c.forbidden = forbidden;
    c.editFocused = editFocused;
    return c;
}

SSceneView sceneOf(const char* scene, std::vector<SControlView> controls, f32 width = 1024,
                   f32 height = 768) {
    SSceneView view;
    view.scene = scene;
    view.area = rectf(0, 0, width, height);
    view.controls = std::move(controls);
    for (const SControlView& c : view.controls)
        view.editFocused = view.editFocused || c.editFocused;
    return view;
}

bool inside(const rectf& r, s32 x, s32 y) {
    return static_cast<f32>(x) >= r.UpperLeftCorner.X &&
           static_cast<f32>(x) <= r.LowerRightCorner.X &&
           static_cast<f32>(y) >= r.UpperLeftCorner.Y &&
           static_cast<f32>(y) <= r.LowerRightCorner.Y;
}

ControlNode* addControlNode(BaseNode* parent, const char* name, f32 x, f32 y, f32 w, f32 h) {
    return test::placeNode(parent, new ControlNode(CCreationContext()), name, x, y, w, h);
}

const SControlView* find(const SSceneView& view, const std::string& path) {
    for (const SControlView& c : view.controls)
        if (c.path == path) return &c;
    return nullptr;
}

}  // namespace

// A table of scenes, each with forbidden buttons placed as a player meets them: the chooser
// never clicks one, neither as a control nor anywhere on the screen, in many draws; a click on
// a control lands at its centre; text goes only to a focused edit field; every key is one the
// input injector knows.
TEST(RandomChooser, NeverAForbiddenButtonInATableOfScenes) {
    const std::vector<SSceneView> scenes = {
        // The quit question: "YesButton" and "NoButton" on a panel as big as the screen.
        sceneOf("GQuitConfirmationScene",
                {control("Quit/Scene", 0, 0, 1024, 768),
                 control("Quit/Scene/YesButton", 300, 400, 460, 450, true),
                 control("Quit/Scene/NoButton", 560, 400, 720, 450)}),
        // A panel whose centre lies on the forbidden button.
        sceneOf("GQuitConfirmationScene",
                {control("Quit/Panel", 200, 200, 800, 600),
                 control("Quit/Panel/YesButton", 450, 350, 550, 450, true)}),
        // Only the forbidden button.
        sceneOf("GQuitConfirmationScene", {control("Quit/YesButton", 0, 0, 1024, 700, true)}),
        // The delete question over the player selection, on a stretched full screen.
        sceneOf("MessageBoxNode",
                {control("Box/#0/Button", 400, 500, 560, 560, true),
                 control("Box/#0/Button", 700, 500, 860, 560)},
                1280, 1024),
        // The name entry: a focused edit field.
        sceneOf("GSelectPlayerInputNameScene",
                {control("Name/Scene/NameEdit", 300, 300, 700, 340, false, true),
                 control("Name/Scene/OkButton", 440, 400, 580, 450)}),
        // Nothing to click: the logos.
        sceneOf("GLogosScene", {}),
    };
    for (size_t s = 0; s < scenes.size(); ++s) {
        SCOPED_TRACE(s);
        const SSceneView& view = scenes[s];
        CActionChooser chooser(0xC0FFEEull + s);
        std::set<EActionKind> kinds;
        for (int i = 0; i < 20000; ++i) {
            const SAction a = chooser.choose(view);
            kinds.insert(a.kind);
            if (a.kind == EActionKind::Click || a.kind == EActionKind::ClickAnywhere) {
                ASSERT_FALSE(CActionChooser::onForbidden(view, a.x, a.y)) << a.describe();
                for (const SControlView& c : view.controls)
                    if (c.forbidden) ASSERT_FALSE(inside(c.rect, a.x, a.y)) << a.describe();
                ASSERT_TRUE(inside(view.area, a.x, a.y)) << a.describe();
            }
            if (a.kind == EActionKind::Click) {
                const SControlView* target = nullptr;
                for (const SControlView& c : view.controls)
                    if (c.path == a.target && !c.forbidden && inside(c.rect, a.x, a.y)) target = &c;
                ASSERT_NE(target, nullptr) << a.describe();
                const vector2df centre = target->rect.getCenter();
                EXPECT_EQ(a.x, static_cast<s32>(centre.X));
                EXPECT_EQ(a.y, static_cast<s32>(centre.Y));
            }
            if (a.kind == EActionKind::Text) {
                ASSERT_TRUE(view.editFocused);
                std::vector<char32_t> characters;
                EXPECT_TRUE(decodeUtf8(a.text, characters)) << a.text;
                EXPECT_FALSE(characters.empty());
            }
            if (a.kind == EActionKind::Key) {
                SKeyStroke stroke;
                std::string error;
                EXPECT_TRUE(parseKeyStroke(a.key, stroke, error)) << a.key << ": " << error;
            }
        }
        EXPECT_TRUE(kinds.count(EActionKind::Key));
        EXPECT_TRUE(kinds.count(EActionKind::Wait));
        EXPECT_TRUE(kinds.count(EActionKind::ClickAnywhere));
        EXPECT_EQ(kinds.count(EActionKind::Text) > 0, view.editFocused);
        bool clickable = false;
        for (const SControlView& c : view.controls) {
            const vector2df centre = c.rect.getCenter();
            clickable = clickable || (!c.forbidden &&
                                      !CActionChooser::onForbidden(view, static_cast<s32>(centre.X),
                                                                   static_cast<s32>(centre.Y)));
        }
        EXPECT_EQ(kinds.count(EActionKind::Click) > 0, clickable);
    }
}

// The same seed over the same scenes gives the same actions; another seed other ones.
TEST(RandomChooser, TheSameSeedAndSceneGiveTheSameChoice) {
    const std::vector<SSceneView> scenes = {
        sceneOf("GMapScene", {control("Map/Scene/PlayButton", 800, 650, 960, 700),
                              control("Map/Scene/LocationButtons/Location3", 400, 100, 460, 160),
                              control("Map/Scene/BackButton", 40, 700, 160, 740)}),
        sceneOf("GSelectPlayerInputNameScene",
                {control("Name/Scene/NameEdit", 300, 300, 700, 340, false, true)}),
    };
    auto run = [&](uint64_t seed) {
        CActionChooser chooser(seed);
        std::vector<std::string> log;
        for (int i = 0; i < 500; ++i) log.push_back(chooser.choose(scenes[i % 2]).describe());
        return log;
    };
    EXPECT_EQ(run(42), run(42));
    EXPECT_NE(run(42), run(43));
}

// The view of live trees: visible, enabled controls with their paths (nameless ones by their
// place), those of template instances too; the quit question's "YesButton" and the first button
// of a message box over the player selection forbidden, nothing elsewhere; a focused edit field.
TEST(RandomChooser, TheViewOfLiveScenesMarksWhatIsForbidden) {
    {
        auto scenes = makeRef<SceneManager>(CCreationContext());
        auto quit = makeRef<GQuitConfirmationScene>(CCreationContext());
        quit->setNameId(test::id("Quit"));
        quit->setBounds(1024, 768);
        ControlNode* panel = addControlNode(quit.get(), "Scene", 0, 0, 1024, 768);
        addControlNode(panel, "YesButton", 300, 400, 160, 50);
        addControlNode(panel, "NoButton", 560, 400, 160, 50);
        addControlNode(panel, "Hidden", 10, 10, 20, 20)->setVisible(false);
        ControlNode* off = addControlNode(panel, "Off", 40, 10, 20, 20);
        off->setEnabled(false);
        addControlNode(off, "BelowOff", 0, 0, 10, 10);
        test::placeNode(panel, new ControlNode(CCreationContext()), "", 700, 10, 30, 30)
            ->setNameId(-1);
        ASSERT_TRUE(scenes->setScene(quit.get()));
        const SSceneView view = viewOfScene(CLiveTree(scenes.get()));
        EXPECT_EQ(view.scene, "GQuitConfirmationScene");
        EXPECT_EQ(view.area, rectf(0, 0, 1024, 768));
        std::vector<std::string> paths;
        for (const SControlView& c : view.controls) paths.push_back(c.path);
        EXPECT_EQ(paths, (std::vector<std::string>{"Quit/Scene", "Quit/Scene/YesButton",
                                                   "Quit/Scene/NoButton", "Quit/Scene/#4"}));
        EXPECT_TRUE(find(view, "Quit/Scene/YesButton")->forbidden);
        EXPECT_FALSE(find(view, "Quit/Scene/NoButton")->forbidden);
        EXPECT_FALSE(find(view, "Quit/Scene")->forbidden);
        EXPECT_EQ(find(view, "Quit/Scene/YesButton")->rect, rectf(300, 400, 460, 450));
        scenes->setScene(nullptr);
        scenes->update(0);
    }
    // A "YesButton" elsewhere is a button like any other.
    {
        auto scenes = makeRef<SceneManager>(CCreationContext());
        auto menu = makeRef<GInGameMenuScene>(CCreationContext());
        menu->setNameId(test::id("Menu"));
        menu->setBounds(1024, 768);
        addControlNode(menu.get(), "YesButton", 300, 400, 160, 50);
        ASSERT_TRUE(scenes->setScene(menu.get()));
        const SSceneView view = viewOfScene(CLiveTree(scenes.get()));
        ASSERT_EQ(view.controls.size(), 1u);
        EXPECT_FALSE(view.controls[0].forbidden);
        scenes->setScene(nullptr);
        scenes->update(0);
    }
    // The delete question: a message box over the player selection, its buttons in its template
    // instance; over another scene the same box forbids nothing.
    for (bool overSelection : {true, false}) {
        SCOPED_TRACE(overSelection);
        auto scenes = makeRef<SceneManager>(CCreationContext());
        auto templates = makeRef<TemplateCollectionNode>(CCreationContext());
        CRefPtr<BaseNode> layout = test::newNode("QuestionBox");
        layout->setBounds(400, 150);
        test::placeNode(layout.get(), new ButtonNode(CCreationContext()), "Button", 20, 90, 150,
                        40);
        test::placeNode(layout.get(), new ButtonNode(CCreationContext()), "Button", 230, 90, 150,
                        40);
        ASSERT_TRUE(templates->addTemplate(layout.get()));
        scenes->setTemplateCollection(templates.get());
        scenes->setMessageBoxCreator(&MessageBoxNode::create);
        CRefPtr<SceneNode> asking;
        if (overSelection)
            asking = makeRef<GSelectPlayerScene>(CCreationContext());
        else
            asking = makeRef<GInGameMenuScene>(CCreationContext());
        asking->setNameId(test::id("Asking"));
        asking->setBounds(1024, 768);
        ASSERT_TRUE(scenes->setScene(asking.get()));
        array<stringw> captions;
        captions.push_back(L"%Yes%");
        captions.push_back(L"%No%");
        auto* box = dynamic_cast<MessageBoxNode*>(
            asking->showMessageBox(test::id("QuestionBox"), captions, L"", L"Sure?"));
        ASSERT_NE(box, nullptr);
        scenes->update(0);
        CLiveTree tree(scenes.get());
        ASSERT_EQ(tree.getTopScene(), box);
        const SSceneView view = viewOfScene(tree);
        std::vector<const SControlView*> buttons;
        for (const SControlView& c : view.controls)
            if (c.kind == "ButtonNode") buttons.push_back(&c);
        ASSERT_EQ(buttons.size(), 2u);
        EXPECT_EQ(buttons[0]->forbidden, overSelection);
        EXPECT_FALSE(buttons[1]->forbidden);
        box->getButton(0)->updateAbsoluteTransform();
        EXPECT_EQ(buttons[0]->rect, box->getButton(0)->getAbsoluteBoundsRect());
        scenes->setScene(nullptr);
        scenes->update(0);
    }
    // A focused edit field takes text.
    {
        auto scenes = makeRef<SceneManager>(CCreationContext());
        CRefPtr<SceneNode> scene = makeRef<GInGameMenuScene>(CCreationContext());
        scene->setBounds(1024, 768);
        EditNode* edit = test::placeNode(scene.get(), new EditNode(CCreationContext()), "NameEdit",
                                         300, 300, 400, 40);
        ASSERT_TRUE(scenes->setScene(scene.get()));
        edit->setFocused(false);
        EXPECT_FALSE(viewOfScene(CLiveTree(scenes.get())).editFocused);
        edit->setFocused(true);
        const SSceneView view = viewOfScene(CLiveTree(scenes.get()));
        EXPECT_TRUE(view.editFocused);
        ASSERT_EQ(view.controls.size(), 1u);
        EXPECT_TRUE(view.controls[0].editFocused);
        scenes->setScene(nullptr);
        scenes->update(0);
    }
}

// The trend of resident memory samples: the slope of the least-squares line per sample and the
// spread, over the last samples.
TEST(RandomRun, MemoryTrendOfTheLastSamples) {
    const struct {
        std::vector<long> series;
        size_t last;
        size_t samples;
        double slope;
        long spread;
    } cases[] = {
        {{}, 40, 0, 0.0, 0},
        {{500}, 40, 1, 0.0, 0},
        {{100, 100, 100, 100}, 40, 4, 0.0, 0},
        {{100, 200, 300, 400}, 40, 4, 100.0, 300},
        {{9000, 0, 0, 0, 10, 20, 30}, 4, 4, 10.0, 30},            // the early climb left out
        {{100, 140, 100, 140, 100, 140}, 6, 6, 60.0 / 17.5, 40},  // a saw: nearly flat
        {{400, 300, 200, 100}, 3, 3, -100.0, 200},
    };
    for (const auto& c : cases) {
        const SMemoryTrend trend = memoryTrend(c.series, c.last);
        EXPECT_EQ(trend.samples, c.samples);
        EXPECT_NEAR(trend.slope, c.slope, 1e-9);
        EXPECT_EQ(trend.spread, c.spread);
    }
    EXPECT_GT(residentKb(), 0);
    // The clock starts from 10 s on, at a point the seed picks, the same for the same seed.
    EXPECT_EQ(clockStartOf(7), clockStartOf(7));
    EXPECT_NE(clockStartOf(7), clockStartOf(8));
    for (uint64_t seed : {0ull, 1ull, 123456789ull, ~0ull}) {
        EXPECT_GE(clockStartOf(seed), 10000u);
        EXPECT_LT(clockStartOf(seed), 1010000u);
    }
    CSteppedClock clock(5000);
    EXPECT_EQ(clock.nowMs(), 5000u);
    EXPECT_EQ(clock.nowMs(), 5000u);
    clock.advance(CRandomRunner::TurnMs);
    EXPECT_EQ(clock.nowMs(), 5040u);
}

// The share of near-white pixels: snow and its shade count, grass, a grey road and a pale
// yellow do not.
TEST(ShotChecks, WhiteShareCountsSnow) {
    CRefPtr<CImage> image = makeRef<CImage>(CCreationContext(), ECF_A8R8G8B8, dimension2di(10, 10));
    // Columns: four of snow, two of its shade, two of grass, a grey road, a pale yellow.
    const u32 columns[] = {0xffeef4f8u, 0xffeef4f8u, 0xffeef4f8u, 0xffeef4f8u, 0xffc9d8e3u,
                           0xffc9d8e3u, 0xff4caf50u, 0xff4caf50u, 0xff808080u, 0xfff0e68cu};
    for (s32 y = 0; y < 10; ++y)
        for (s32 x = 0; x < 10; ++x) image->setPixel(x, y, columns[x]);
    EXPECT_NEAR(whiteShareInside(*image, wholeImage(*image)), 0.6, 1e-9);
    EXPECT_NEAR(whiteShareInside(*image, rectf(0, 0, 4, 10)), 1.0, 1e-9);
    EXPECT_NEAR(whiteShareInside(*image, rectf(6, 0, 10, 5)), 0.0, 1e-9);
    EXPECT_EQ(whiteShareInside(*image, rectf(20, 20, 30, 30)), 0.0);
}

// "upgrades NAME all|obligatory": the header buys the upgrades of the game's table in the assets
// folder, through the profile code.
TEST(WalkProfiles, UpgradesComeFromTheGamesTable) {
    test::LogCapture logs;
    namespace fs = std::filesystem;
    const fs::path root =
        fs::temp_directory_path() / ("brasquel-walk-upgrades-" + std::to_string(::getpid()));
    fs::create_directories(root / "assets/levels/common");
    fs::create_directories(root / "data");
    std::ofstream(root / "assets/levels/common/UpgradesConfiguration.xml")
        << "<UpgradesConfiguration>"
           "<Upgrade><Name Value=\"Tent\"/><Price Value=\"0\"/></Upgrade>"
           "<Upgrade><Name Value=\"Pool\"/><ObligatoryLevel Value=\"4\"/></Upgrade>"
           "<Upgrade><Name Value=\"Bar\"/><ObligatoryLevel Value=\"0\"/></Upgrade>"
           "<Upgrade><Name Value=\"Arch\"/><ObligatoryLevel Value=\"12\"/></Upgrade>"
           "</UpgradesConfiguration>";
    const fs::path before = fs::current_path();
    fs::current_path(root);
    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    IDevice* device = createDevice(SDeviceParameters());
    ASSERT_NE(device, nullptr);
    std::vector<std::string> names;
    std::string error;
    ASSERT_TRUE(readUpgradeNames(device, true, names, error)) << error;
    EXPECT_EQ(names, (std::vector<std::string>{"Arch", "Bar", "Pool", "Tent"}));
    ASSERT_TRUE(readUpgradeNames(device, false, names, error)) << error;
    EXPECT_EQ(names, (std::vector<std::string>{"Arch", "Pool"}));

    SWalk walk;
    ASSERT_TRUE(parseWalk(
        "player Ann\nplayer Bo\nupgrades Ann obligatory\nupgrades Bo all\nquit 0\n", walk, error))
        << error;
    ASSERT_TRUE(writeWalkProfiles(walk.profile, device, error)) << error;
    CProfileManager& profiles = CProfileManager::instance();
    ASSERT_TRUE(profiles.load());
    ASSERT_EQ(profiles.getProfileCount(), 2u);
    EXPECT_EQ(profiles.getProfile(0)->getString("BoughtUpgrades"), stringc("Arch;Pool"));
    EXPECT_EQ(profiles.getProfile(1)->getString("BoughtUpgrades"), stringc("Arch;Bar;Pool;Tent"));
    while (profiles.getProfileCount() > 0) profiles.removeProfile(0);

    // No table: the header cannot be written.
    fs::remove(root / "assets/levels/common/UpgradesConfiguration.xml");
    EXPECT_FALSE(writeWalkProfiles(walk.profile, device, error));
    EXPECT_EQ(error,
              "the upgrades table assets/levels/common/UpgradesConfiguration.xml cannot be opened");
    while (profiles.getProfileCount() > 0) profiles.removeProfile(0);
    device->drop();
    fs::current_path(before);
    fs::remove_all(root);
}
