#pragma once

// Helpers of the game scene tests: game services of the test (installed while they live), a
// sound group manager whose cues record what plays, and the scene world of the scene tests
// (a windowless device, a scene manager, scene clocks that move only when stepped).

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/audio/CSoundGroupManager.h"
#include "engine/audio/SoundCue.h"
#include "engine/content/CContentManager.h"
#include "engine/core/StringUtils.h"
#include "engine/device/ContentProcessors.h"
#include "engine/io/CTextDictionary.h"
#include "engine/video/CMemoryTextureDriver.h"
#include "game/config/ComicsConfiguration.h"
#include "game/config/GExternalHooks.h"
#include "game/config/GLogosConfiguration.h"
#include "game/config/GSoundCueIds.h"
#include "game/config/IGameServices.h"
#include "game/config/LevelScores.h"
#include "game/config/UpgradesConfiguration.h"
#include "game/level/GBuildingsConfiguration.h"
#include "tests/scene/SceneTestSupport.h"
#include "tests/support/TestSupport.h"

namespace brasquel::test {

using namespace oskel;
using namespace oskel::test;

// A sound that plays whenever asked (of the content the context names, when one is given).
class PlayingSound : public ISound {
public:
    explicit PlayingSound(const CCreationContext& context = CCreationContext()) : ISound(context) {}
    PlayingSound* clone() const override { return new PlayingSound(); }
    s32 getState() override { return m_state; }
    bool play() override {
        m_state = SoundPlaying;
        return true;
    }
    void stop() override { m_state = SoundStopped; }
    void setPaused(bool) override {}
    f32 getVolume() const override { return 1.0f; }
    void setVolume(f32) override {}
    bool isLooping() const override { return false; }
    void setLooping(bool) override {}
    void setPosition(const vector3df& p) override { m_position = p; }
    const vector3df& getPosition() const override { return m_position; }
    u32 getPlayPosition() override { return 0; }

private:
    s32 m_state = SoundStopped;
    vector3df m_position;
};

// Game services of a test, installed while they live: tables and a logos list of their own, a
// sound group manager with the two button cues, the scene manager and files the test hands in,
// and records of the class registrations and window captions asked for.
class TestGameServices : public IGameServices {
public:
    TestGameServices() {
        for (const CNameId* cue :
             {&GSoundCueIds::get().ButtonClick, &GSoundCueIds::get().ButtonOver}) {
            auto made = makeRef<SoundCue>(*cue);
            made->setGroup(0);
            auto sound = makeRef<PlayingSound>();
            made->addSound(sound.get());
            static_cast<void>(groups->registerCue(made.get()));
        }
        m_before = IGameServices::install(this);
    }
    ~TestGameServices() override { IGameServices::install(m_before); }

    ComicsConfiguration* getComicsConfiguration() const override { return comics.get(); }
    UpgradesConfiguration* getUpgradesConfiguration() const override { return upgrades.get(); }
    LevelScores* getLevelScores() const override { return scores.get(); }
    GBuildingsConfiguration* getBuildingsConfiguration() const override { return buildings.get(); }
    GExternalHooks* getExternalHooks() const override { return hooks.get(); }
    GLogosConfiguration* getLogosConfiguration() const override { return logos.get(); }
    SceneManager* getSceneManager() const override { return sceneManager; }
    SceneManager* getWorldSceneManager() const override { return worldSceneManager; }
    CSoundGroupManager* getSoundGroupManager() const override { return groups.get(); }
    u32 registerNodeClasses() override {
        calls.push_back("register");
        return registerClasses ? registerClasses() : 0;
    }
    void releaseUnused() override {}
    CFileSystem* getFileSystem() const override { return fileSystem; }
    CTextDictionary* getTextDictionary() const override { return dictionary.get(); }
    void setWindowCaption(const stringw& caption) override {
        captions.push_back(toUtf8(caption.c_str()));
    }

    // The names of the cues started so far, in order.
    std::vector<std::string> playedCues() const {
        std::vector<std::string> names;
        for (u32 i = 0; i < groups->getPlayingCount(); ++i)
            names.push_back(groups->getPlaying(i)->getName().getName().c_str());
        return names;
    }

    CRefPtr<ComicsConfiguration> comics = makeRef<ComicsConfiguration>();
    CRefPtr<UpgradesConfiguration> upgrades = makeRef<UpgradesConfiguration>();
    CRefPtr<LevelScores> scores = makeRef<LevelScores>();
    CRefPtr<GBuildingsConfiguration> buildings = makeRef<GBuildingsConfiguration>();
    CRefPtr<GExternalHooks> hooks = makeRef<GExternalHooks>();
    CRefPtr<GLogosConfiguration> logos = makeRef<GLogosConfiguration>();
    CRefPtr<CSoundGroupManager> groups = makeRef<CSoundGroupManager>();
    CRefPtr<CTextDictionary> dictionary;
    SceneManager* sceneManager = nullptr;
    SceneManager* worldSceneManager = nullptr;
    CFileSystem* fileSystem = nullptr;
    u32 (*registerClasses)() = nullptr;
    std::vector<std::string> calls;
    std::vector<std::string> captions;

private:
    IGameServices* m_before = nullptr;
};

// A scene world whose content comes from a folder of the test's own (the working folder while
// the world lives), read through the engine's content processors.
struct ContentSceneWorld : SceneWorld {
    explicit ContentSceneWorld(const char* label)
        : folder(std::filesystem::temp_directory_path() /
                 (std::string("brasquel-") + label + "-" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        previous = std::filesystem::current_path();
        std::filesystem::current_path(folder);
        // Real textures in main memory, so that pictures load as atlas textures.
        device.setVideoDriver(
            createMemoryTextureDriver(SDeviceParameters(), device.getFileSystem()));
        processors =
            createContentProcessors(device.getVideoDriver(), nullptr, device.getFileSystem());
        content = CRefPtr<CContentManager>::fromRaw(
            new CContentManager(device.getFileSystem(), processors));
    }
    ~ContentSceneWorld() {
        content = nullptr;
        if (processors) processors->drop();
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(folder);
    }
    void write(const std::string& name, const std::string& text) const {
        std::filesystem::create_directories((folder / name).parent_path());
        std::ofstream(folder / name, std::ios::binary) << text;
    }
    // A small picture (a binary PPM of w x h pixels of one colour).
    void writePicture(const std::string& name, int w, int h, unsigned char shade) const {
        std::string data = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
        data.append(static_cast<size_t>(w * h * 3), static_cast<char>(shade));
        write(name, data);
    }
    CCreationContext context(const char* name) const {
        return CCreationContext(content.get(), name);
    }

    std::filesystem::path folder;
    std::filesystem::path previous;
    CContentProcessorsManager* processors = nullptr;
    CRefPtr<CContentManager> content;
};

// The lines of the log with that text, as "text|hint".
inline std::vector<std::string> linesOf(const LogCapture& logs, const std::string& text) {
    std::vector<std::string> found;
    for (const LogCapture::Line& line : logs.lines())
        if (line.text == text) found.push_back(line.text + "|" + line.hint);
    return found;
}

}  // namespace brasquel::test
