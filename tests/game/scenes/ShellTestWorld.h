#pragma once

// The world of the shell scenes' tests: game services that record what the scenes ask of the
// application (sound settings applied, device resets, the close, the upper layer), players
// saved to a profile file of the test's own, and stand-in scenes of a given kind that carry the
// transition states, so that a test sees which transition a scene change uses.

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/CTimerScheduler.h"
#include "engine/io/CFileSystem.h"
#include "engine/nodes/ButtonNode.h"
#include "engine/nodes/TextNode.h"
#include "engine/profiles/CProfileManager.h"
#include "engine/properties/EngineSettings.h"
#include "engine/scene/NodeEvents.h"
#include "game/config/GAchievementsProgress.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/GProfileKeys.h"
#include "game/scenes/GBaseSceneNode.h"
#include "tests/game/scenes/GameSceneWorld.h"

namespace brasquel::test {

// The transition states a stand-in or a tested scene can play, each 100 ms long (on a child:
// a scene plays its states on its children).
inline void addTransitionStates(BaseNode* scene) {
    BaseNode* frame = newNode("Frame", scene).get();
    for (const char* state :
         {"NavTo", "NavFrom", "NavBackTo", "NavBackFrom", "NavToSlide", "NavFromSlide",
          "NavBackToSlide", "NavBackFromSlide", "NoTransTo", "NavToComics3", "NavFromComics3"})
        frame->addState(timedState(state, 100).get());
}

// A scene of the given kind (a game scene underneath), with the transition states.
class KindScene : public GBaseSceneNode {
public:
    KindScene(const char* name, s32 kind, bool transitions = true)
        : GBaseSceneNode(CCreationContext()), m_kind(kind) {
        setNameId(id(name));
        setBounds(1024, 768);
        if (transitions) addTransitionStates(this);
    }
    s32 getTypeId() const override { return m_kind; }
    bool isKindOf(s32 typeId) const override {
        return typeId == m_kind || GBaseSceneNode::isKindOf(typeId);
    }

private:
    s32 m_kind;
};

// Services that record the application's side.
class ShellServices : public TestGameServices {
public:
    ShellServices() { worldScheduler->setEnabled(false); }

    CTimerScheduler* getWorldScheduler() const override { return worldScheduler.get(); }
    void applySoundSettings() override { ++soundApplied; }
    const SDeviceParameters& getDeviceParameters() const override { return parameters; }
    bool resetDevice(const SDeviceParameters& wanted) override {
        resets.push_back(wanted);
        const bool ok = resetResults.empty() ? true : resetResults.front();
        if (!resetResults.empty()) resetResults.erase(resetResults.begin());
        if (ok) parameters = wanted;
        return ok;
    }
    void closeDevice() override { ++closed; }
    IVideoDriver* getVideoDriver() const override { return videoDriver; }
    u32 getLastStep() const override { return lastStep; }
    GAchievementsProgress* getAchievementsProgress() const override { return progress.get(); }

    CRefPtr<CTimerScheduler> worldScheduler = makeRef<CTimerScheduler>();
    CRefPtr<GAchievementsProgress> progress = makeRef<GAchievementsProgress>();
    SDeviceParameters parameters;
    std::vector<SDeviceParameters> resets;
    std::vector<bool> resetResults;  // the answers of the next resets (true once they run out)
    u32 soundApplied = 0;
    u32 closed = 0;
    IVideoDriver* videoDriver = nullptr;
    u32 lastStep = 0;
};

// The players live in a profile file of the test's own while this lives; afterwards no player
// is left and the common settings are back at false.
struct SavedPlayers {
    SavedPlayers()
        : root(std::filesystem::temp_directory_path() /
               ("brasquel-players-" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
        const char* before = ::getenv("XDG_DATA_HOME");
        if (before) previousHome = before;
        hadHome = before != nullptr;
        ::setenv("XDG_DATA_HOME", root.c_str(), 1);
        files = new oskel::CFileSystemLinux();
        files->setPublisherName("Quorvane");
        files->setTitleName("Brasquel");
        profiles().setServices(files, settings.get());
        clear();
    }
    ~SavedPlayers() {
        clear();
        profiles().setServices(nullptr, nullptr);
        files->drop();
        if (hadHome)
            ::setenv("XDG_DATA_HOME", previousHome.c_str(), 1);
        else
            ::unsetenv("XDG_DATA_HOME");
        std::filesystem::remove_all(root);
    }
    static CProfileManager& profiles() { return CProfileManager::instance(); }
    void clear() {
        while (profiles().getProfileCount() > 0) profiles().removeProfile(0);
        profiles().getCommonProfile()->setBool(ProfileKeyFullScreen, false);
        profiles().getCommonProfile()->setBool(ProfileKeyWindowsCursor, false);
    }
    // Adds the players; the first becomes active when asked.
    void add(std::initializer_list<const wchar_t*> names, bool activateFirst = false) {
        for (const wchar_t* name : names) EXPECT_TRUE(profiles().addProfile(name));
        if (activateFirst) profiles().setActiveProfile(0);
    }
    // What a fresh manager reads back from the file.
    CRefPtr<CProfileManager> reread() const {
        auto other = makeRef<CProfileManager>();
        other->setServices(files, settings.get());
        static_cast<void>(other->loadUserProfiles());
        return other;
    }
    std::filesystem::path file() const { return root / "Quorvane/Brasquel/profile.dat"; }
    bool fileExists() const { return std::filesystem::exists(file()); }

    std::filesystem::path root;
    std::string previousHome;
    bool hadHome = false;
    oskel::CFileSystem* files = nullptr;
    CRefPtr<CPropertySet> settings = createEngineSettings();
};

// The world of a shell scene: content in the test's folder, services and a dictionary.
struct ShellWorld : ContentSceneWorld {
    explicit ShellWorld(const char* label, const std::string& dictionary = std::string())
        : ContentSceneWorld(label) {
        write("strings/Dictionary.xml", "<Dictionary>" + dictionary + "</Dictionary>");
        services.sceneManager = manager.get();
        services.fileSystem = device.getFileSystem();
        services.dictionary = makeRef<CTextDictionary>(device.getFileSystem());
        EXPECT_TRUE(services.dictionary->load(stringc("strings/Dictionary.xml")));
        services.videoDriver = device.getVideoDriver();
    }

    // Registers a cue that plays in the group.
    void addCue(const CNameId& cue, s32 group = 1) {
        auto made = makeRef<SoundCue>(cue);
        made->setGroup(group);
        made->addSound(makeRef<PlayingSound>().get());
        EXPECT_TRUE(services.groups->registerCue(made.get()));
    }
    // How many instances of the cue were started so far.
    size_t started(const char* cue) const {
        size_t count = 0;
        for (const std::string& name : services.playedCues()) count += name == cue;
        return count;
    }

    // The scene below (shown) and the tested scene switched to over it; both entered.
    void stack(SceneNode* below, SceneNode* top, bool keepPrevious = true) {
        show(below);
        ASSERT_TRUE(below->switchTo(top, keepPrevious));
        step(1000);
        ASSERT_EQ(manager->getCurrentScene(), top);
    }

    // The states of the scene change that runs now, as "leave>enter", or "-".
    std::string transition() const {
        for (const SceneTransition& t : manager->getTransitions())
            return nameOf(t.leaveState) + ">" + nameOf(t.enterState);
        return "-";
    }

    ShellServices services;
};

// Presses and keys as the scene's event map hands them to the handlers.
inline bool press(BaseNode* scene, BaseNode* control) {
    return scene->onEvent(makeEvent<CEventNodePressed>(control).get());
}
inline bool keyUp(BaseNode* scene, u32 key) {
    return scene->onEvent(makeEvent<CEventKeyboardKeyUp>(u16(0), key, false, false).get());
}
inline bool changed(BaseNode* scene, BaseNode* control) {
    return scene->onEvent(makeEvent<CEventNodeValueChanged>(control).get());
}

inline std::string utf8(const stringw& text) { return toUtf8(text.c_str()); }

}  // namespace brasquel::test
