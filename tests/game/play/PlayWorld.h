#pragma once

// The world of the play screen's tests: the level world of the level tests (a windowless device,
// the lots' templates, a catalogue of building types, a level scene read from XML) with a second
// scene manager as the level layer, game services that hand in everything the play screen asks
// of the application (both scene managers, the level scores, the catalogue, an upgrades table,
// an achievements tracker, the developer switch, the dictionary, the files of the test's own
// folder), sound groups whose cues record every start, an active player kept in memory, and the
// play screen read from the fixture scene file with every node it binds. Clocks move only when a
// test steps them.

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "engine/audio/CSoundGroupManager.h"
#include "engine/audio/SoundCue.h"
#include "engine/nodes/ButtonNode.h"
#include "engine/nodes/TextNode.h"
#include "engine/profiles/CProfileManager.h"
#include "engine/scene/SceneFile.h"
#include "game/config/GAchievementsProgress.h"
#include "game/config/GProfileKeys.h"
#include "game/config/UpgradesConfiguration.h"
#include "game/play/GGamePlayScene.h"
#include "tests/game/level/LevelWorld.h"
#include "tests/game/play/PlayPlayer.h"

namespace brasquel::test {

// A sound that writes the name of its cue into a shared list whenever it starts.
class CueRecordingSound : public ISound {
public:
    CueRecordingSound(std::shared_ptr<std::vector<std::string>> starts, std::string cue)
        : ISound(CCreationContext()), m_starts(std::move(starts)), m_cue(std::move(cue)) {}
    CueRecordingSound* clone() const override { return new CueRecordingSound(m_starts, m_cue); }
    s32 getState() override { return m_state; }
    bool play() override {
        m_starts->push_back(m_cue);
        m_state = SoundPlaying;
        return true;
    }
    void stop() override { m_state = SoundStopped; }
    void setPaused(bool paused) override {
        if (m_state != SoundStopped) m_state = paused ? SoundPaused : SoundPlaying;
    }
    f32 getVolume() const override { return 1.0f; }
    void setVolume(f32) override {}
    bool isLooping() const override { return false; }
    void setLooping(bool) override {}
    void setPosition(const vector3df& p) override { m_position = p; }
    const vector3df& getPosition() const override { return m_position; }
    u32 getPlayPosition() override { return 0; }

private:
    std::shared_ptr<std::vector<std::string>> m_starts;
    std::string m_cue;
    s32 m_state = SoundStopped;
    vector3df m_position;
};

// Game services of the play screen's tests: what TestGameServices keeps, plus an achievements
// tracker and the developer switch; the sound groups record every cue started (in `starts`).
class PlayServices : public TestGameServices {
public:
    // Every cue of the game's list, the level music of the settings 1 to 5, in group 0 except
    // the level's sounds, which play in the level's group.
    PlayServices() {
        groups = makeRef<CSoundGroupManager>();
        std::vector<std::string> names;
        for (u32 i = 0; i < GSoundCueIds::Count; ++i) names.push_back(GSoundCueIds::names()[i]);
        for (int setting = 1; setting <= 5; ++setting)
            names.push_back("GameMusicSetting" + std::to_string(setting));
        for (const std::string& name : names) {
            auto made = makeRef<SoundCue>(CNameId(name.c_str()));
            made->setGroup(name.rfind("GameMusicSetting", 0) == 0 || name == "AlmostEnd" ? 2 : 0);
            made->addSound(makeRef<CueRecordingSound>(starts, name).get());
            static_cast<void>(groups->registerCue(made.get()));
        }
    }
    GAchievementsProgress* getAchievementsProgress() const override { return progress.get(); }
    bool developerKeysEnabled() const override { return developerKeys; }

    // How many times the cue has been started so far.
    size_t started(const std::string& cue) const {
        size_t n = 0;
        for (const std::string& name : *starts) n += name == cue ? 1 : 0;
        return n;
    }

    std::shared_ptr<std::vector<std::string>> starts = std::make_shared<std::vector<std::string>>();
    CRefPtr<GAchievementsProgress> progress = makeRef<GAchievementsProgress>();
    bool developerKeys = false;
};

// The fixture scene file of the play screen (every node the play screen binds).
inline std::string playScreenFixture() {
    std::ifstream in(std::string(BRASQUEL_PLAY_FIXTURES) + "/PlayScreen.oscn", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The fixture text without the element of the node named so (the node and its children).
inline std::string withoutNode(std::string xml, const std::string& name) {
    const std::string mark = "<string Name=\"Name\" Value=\"" + name + "\" />";
    const size_t at = xml.find(mark);
    if (at == std::string::npos) return xml;
    const size_t start = xml.rfind("<SceneNode", at);
    // The element ends where the count of open SceneNode elements drops back to zero.
    size_t pos = start;
    int depth = 0;
    while (pos < xml.size()) {
        const size_t open = xml.find("<SceneNode", pos + 1);
        const size_t close = xml.find("</SceneNode>", pos + 1);
        if (pos == start) depth = 1;
        if (open != std::string::npos && open < close) {
            ++depth;
            pos = open;
        } else {
            --depth;
            pos = close;
            if (depth == 0) break;
        }
    }
    const size_t end = pos + std::string("</SceneNode>").size();
    xml.erase(start, end - start);
    return xml;
}

// A level configuration file: its name, clock switch, day length and objectives (each an
// "Objective" element).
inline std::string levelConfigurationXml(const char* name, bool clockOn = true,
                                         const std::string& objectives = "", int settingIndex = 2) {
    std::string xml = "<?xml version=\"1.0\"?>\n<Level><Properties>";
    xml += "<stringw Name=\"Name\" Value=\"" + std::string(name) + "\"/>";
    xml += "<int Name=\"SettingIndex\" Value=\"" + std::to_string(settingIndex) + "\"/>";
    xml += "<int Name=\"DayLength\" Value=\"20\"/>";
    xml += "<float Name=\"InitMoney\" Value=\"5000\"/>";
    xml += "<float Name=\"InitMaterialsCount\" Value=\"50\"/>";
    xml += "<int Name=\"InitWorkersCount\" Value=\"3\"/>";
    xml += std::string("<bool Name=\"IsClockOn\" Value=\"") + (clockOn ? "true" : "false") + "\"/>";
    xml += "</Properties><Objectives>" + objectives + "</Objectives></Level>\n";
    return xml;
}

// The play screen as the tests' factory makes it: the same class, with what it has bound and
// its flow flags readable.
class PlayScreenProbe : public GGamePlayScene {
public:
    using GGamePlayScene::GGamePlayScene;
    using GGamePlayScene::m_actionsTabScene;
    using GGamePlayScene::m_clockHand;
    using GGamePlayScene::m_dayBar;
    using GGamePlayScene::m_entered;
    using GGamePlayScene::m_gameMenu;
    using GGamePlayScene::m_goalBoxes;
    using GGamePlayScene::m_internalScene;
    using GGamePlayScene::m_moneyText;
    using GGamePlayScene::m_musicStarted;
    using GGamePlayScene::m_objectivesShown;
    using GGamePlayScene::m_ratingStars;
    using GGamePlayScene::m_summaryGoalBoxes;
    using GGamePlayScene::m_summaryStars;
    using GGamePlayScene::m_tabs;
    using GGamePlayScene::m_timeSector;
};

struct PlayWorld : LevelWorld {
    // The level folder of the tests.
    static constexpr const char* Folder = "levels/test/";

    // Without the flag the main templates lack the hint window's "TutorialWindow".
    explicit PlayWorld(bool hintWindowTemplate = true) {
        layer = CRefPtr<SceneManager>::fromRaw(device.createSceneManager());
        layer->setSortEnabled(true);
        layer->setTemplateCollection(templates.get());
        factory.registerNodeClass(L"GGamePlayScene", [](const CCreationContext& c) -> BaseNode* {
            return new PlayScreenProbe(c);
        });
        // The goal check box: its caption in "Text".
        BaseNode* box = topTemplate("GoalBox", new ControlNode(context("")));
        text(box, "Text");
        // The hint window.
        if (hintWindowTemplate) {
            BaseNode* window = topTemplate("TutorialWindow", new ControlNode(context("")));
            states(window, {"NavTo", "NavFrom"});
            text(window, "Text");
            base(window, "SkipTutorialButton");
        }
        topTemplate("MoneyStar");

        play.sceneManager = manager.get();
        play.worldSceneManager = layer.get();
        play.buildings = catalogue;
        play.fileSystem = device.getFileSystem();
        play.dictionary = makeRef<CTextDictionary>();
        writeLevel(levelConfigurationXml("7"));
    }
    ~PlayWorld() {
        layer->setScene(nullptr);
        manager->setScene(nullptr);
        deliver();
        screenNode = nullptr;
        level = nullptr;
    }

    // The level folder's configuration file.
    void writeLevel(const std::string& configuration) const {
        write(std::string(Folder) + "LevelConfiguration.xml", configuration);
    }

    // The play screen read from the scene file text (the fixture by default); none when it is
    // not a play screen.
    GGamePlayScene* loadPlayScreen(const std::string& xml = playScreenFixture()) {
        const size_t root = xml.find("<SceneNode");
        if (root == std::string::npos) return nullptr;
        CRefPtr<CXmlReader> reader = oskel::test::readerOf(xml.substr(root));
        if (!reader->read()) return nullptr;
        BaseNode* node =
            CSceneFile::createNode(reader.get(), &factory, context("scenes/GamePlayScene.oscn"));
        if (!node) return nullptr;
        if (!CSceneFile::read(node, reader.get(), &factory) ||
            !node->isKindOf(GameNodeTypeGamePlayScene)) {
            node->drop();
            return nullptr;
        }
        screenNode = CRefPtr<GGamePlayScene>::fromRaw(static_cast<GGamePlayScene*>(node));
        return screenNode.get();
    }

    // A level scene with the lots, held here only (not under the stand-in screen).
    GGameLevelScene* makeLevel(const std::string& lots = "") {
        GGameLevelScene* made = loadLevel(lots);
        if (!made) return nullptr;
        screen->removeChild(made);
        made->setNodeFactory(&factory);
        return made;
    }

    // The fixture play screen and a level with one owned empty place, loaded from the folder;
    // whether loadLevel answered true.
    bool prepare(const std::string& lots = lot("P1", "Empty", 100, 100, true)) {
        if (!screenNode && !loadPlayScreen()) return false;
        if (!level && !makeLevel(lots)) return false;
        return screenNode->loadLevel(Folder, level.get());
    }

    // The play screen shown as the level-loading scene does (a forward switch), its entry
    // finished.
    void enter() {
        manager->setScene(screenNode.get());
        advance(1000);
    }

    // Moves both layers' clocks in 20 ms steps, delivering both queues and drawing a frame
    // after each step, as the main loop does.
    void advance(u32 ms) {
        for (u32 t = 0; t < ms; t += 20) {
            for (SceneManager* m : {manager.get(), layer.get()})
                for (BaseNode* child : std::vector<BaseNode*>(m->getChildren()))
                    if (SceneNode* scene = asSceneNode(child))
                        if (CTimerScheduler* clock = scene->getTimerScheduler()) clock->update(20);
            layer->update(0);
            deliver();
            frame();
        }
    }

    PlayScreenProbe* probe() const { return static_cast<PlayScreenProbe*>(screenNode.get()); }

    // Runs the play screen's own frame update directly (its clock stands still meanwhile).
    void tick(u32 ms) { screenNode->update(ms); }

    // A scene of the class shown over the play screen, then gone back from.
    template <class T>
    void visit(const char* name) {
        auto over = makeScene<T>(name);
        screenNode->switchTo(over.get(), true);
        advance(1000);
        over->goBack();
        advance(1000);
    }

    std::string textOf(const char* path) const {
        BaseNode* node = find(path);
        return node && node->isKindOf(NodeTypeText)
                   ? toUtf8(static_cast<TextNode*>(node)->getText().c_str())
                   : std::string("<none>");
    }
    std::string captionOf(BaseNode* node) const {
        return node && node->isKindOf(NodeTypeButton)
                   ? toUtf8(static_cast<ButtonNode*>(node)->getText().c_str())
                   : std::string("<none>");
    }
    // The node at the path of names ("GameMenu/TimeNode/LongArrow") below InternalGamePlayScene.
    BaseNode* find(const std::string& path) const {
        BaseNode* node =
            screenNode ? screenNode->findChildByName("InternalGamePlayScene", 1) : nullptr;
        std::stringstream parts(path);
        std::string part;
        while (node && std::getline(parts, part, '/'))
            node = node->findChildByName(part.c_str(), 1);
        return node;
    }

    PlayServices play;
    PlayPlayer player;
    CRefPtr<SceneManager> layer;
    CRefPtr<GGamePlayScene> screenNode;
};

}  // namespace brasquel::test
