// The sound group manager and the cue instances it plays.

#include <vector>

#include <gtest/gtest.h>

#include "engine/audio/CSoundGroupManager.h"
#include "engine/core/event/DeviceEvents.h"

namespace oskel {
namespace {

// A sound whose state the test controls; it records what it is asked.
class FakeSound : public ISound {
public:
    explicit FakeSound(bool playable = true) : ISound(CCreationContext()), m_playable(playable) {}

    FakeSound* clone() const override {
        FakeSound* copy = new FakeSound(m_playable);
        copy->m_volume = m_volume;
        copy->m_looping = m_looping;
        clones.push_back(copy);
        return copy;
    }
    s32 getState() override { return m_state; }
    bool play() override {
        if (!m_playable) return false;
        ++plays;
        volumeAtPlay = m_volume;
        m_state = SoundPlaying;
        return true;
    }
    void stop() override { m_state = SoundStopped; }
    void setPaused(bool paused) override {
        if (m_state != SoundStopped) m_state = paused ? SoundPaused : SoundPlaying;
    }
    f32 getVolume() const override { return m_volume; }
    void setVolume(f32 volume) override { m_volume = volume; }
    bool isLooping() const override { return m_looping; }
    void setLooping(bool looping) override { m_looping = looping; }
    void setPosition(const vector3df& p) override { m_position = p; }
    const vector3df& getPosition() const override { return m_position; }
    u32 getPlayPosition() override { return 0; }

    // The sound ends by itself.
    void finish() { m_state = SoundStopped; }

    int plays = 0;
    f32 volumeAtPlay = -1.0f;  // the volume when play() was last called
    // Not owned: the cue instances hold them.
    mutable std::vector<FakeSound*> clones;

private:
    bool m_playable;
    s32 m_state = SoundStopped;
    f32 m_volume = 1.0f;
    bool m_looping = false;
    vector3df m_position;
};

class GroupManagerTest : public ::testing::Test {
protected:
    void SetUp() override { manager = makeRef<CSoundGroupManager>(); }

    // Registers a cue of one fake sound in a group.
    FakeSound* addCue(const char* name, s32 group, f32 volume = 1.0f, bool loop = false, bool playable = true) {
        CRefPtr<FakeSound> sound = makeRef<FakeSound>(playable);
        CRefPtr<SoundCue> cue = makeRef<SoundCue>(CNameId(name));
        cue->setGroup(group);
        cue->setVolume(volume);
        cue->setLooping(loop);
        cue->addSound(sound.get());
        EXPECT_TRUE(manager->registerCue(cue.get()));
        sounds.push_back(sound);
        return sound.get();
    }
    static FakeSound* soundOf(SoundCue* instance) { return static_cast<FakeSound*>(instance->getCurrentSound()); }

    CRefPtr<CSoundGroupManager> manager;
    std::vector<CRefPtr<FakeSound>> sounds;
};

TEST_F(GroupManagerTest, Admission) {
    const struct {
        const char* what;
        f32 volume;
        s32 maxInstances;
        s32 policy;
        int playing;      // instances started before
        int fadingOut;    // of those, fading out
        bool admitted;
        int oldestFading;  // 1 when the oldest active one is now fading out
    } cases[] = {
        {"volume 0", 0.0f, 0, 0, 0, 0, false, 0},
        {"no limit", 1.0f, 0, 0, 5, 0, true, 0},
        {"below the maximum", 1.0f, 2, 0, 1, 0, true, 0},
        {"full, policy 0", 1.0f, 2, 0, 2, 0, false, 0},
        {"full, policy 1", 1.0f, 2, 1, 2, 0, true, 1},
        {"full, other policy", 1.0f, 2, 7, 2, 0, true, 0},
        {"fading instances not counted", 1.0f, 2, 0, 2, 1, true, 0},
        {"maximum 1, policy 1", 0.5f, 1, 1, 1, 0, true, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        addCue("Click", 0);
        SSoundGroupSettings& settings = manager->getGroupSettings(0);
        settings.fadeOutMs = 300;
        std::vector<SoundCue*> started;
        for (int i = 0; i < c.playing; ++i) {
            started.push_back(manager->playCue("Click"));
            ASSERT_NE(started.back(), nullptr);
            if (i < c.fadingOut) started.back()->stop(500);
        }
        settings.volume = c.volume;
        settings.maxInstances = c.maxInstances;
        settings.policy = c.policy;
        SoundCue* instance = manager->playCue("Click");
        EXPECT_EQ(instance != nullptr, c.admitted);
        EXPECT_EQ(manager->getPlayingCount(), static_cast<u32>(c.playing + (c.admitted ? 1 : 0)));
        if (c.oldestFading) {
            SoundCue* oldest = started[static_cast<size_t>(c.fadingOut)];
            EXPECT_EQ(oldest->getFadeState(), SoundCue::FadeOut);
            EXPECT_EQ(oldest->getFadeDuration(), 300);
        }
    }
}

TEST_F(GroupManagerTest, OnlyIfNotPlayingAndUnknownCues) {
    addCue("Music", 1);
    EXPECT_EQ(manager->playCue("Nothing"), nullptr);
    SoundCue* music = manager->playCue("Music", true);
    ASSERT_NE(music, nullptr);
    EXPECT_TRUE(manager->isCuePlaying("Music"));
    music->stop(1000);  // still fading out: still playing for this test
    EXPECT_EQ(manager->playCue("Music", true), nullptr);
    EXPECT_NE(manager->playCue("Music", false), nullptr);
    // A second cue of the same name is not registered.
    CRefPtr<SoundCue> again = makeRef<SoundCue>(CNameId("Music"));
    EXPECT_FALSE(manager->registerCue(again.get()));
    // A cue whose sound fails to play gives nothing.
    addCue("Broken", 0, 1.0f, false, false);
    EXPECT_EQ(manager->playCue("Broken"), nullptr);
    EXPECT_EQ(manager->getPlayingCount(), 2u);
}

TEST_F(GroupManagerTest, EndedAndStoppedInstancesAreReleasedWithAnEvent) {
    addCue("A", 0);
    addCue("B", 2);
    addCue("C", 2);
    SoundCue* a = manager->playCue("A");
    SoundCue* b = manager->playCue("B");
    SoundCue* c = manager->playCue("C");
    ASSERT_TRUE(a && b && c);

    // A receiver that records the finished events of instance b.
    struct Recorder : CEventReceiver {
        bool onEvent(CEvent* event) override {
            if (event->getTypeId() == EventSoundFinished && event->isKindOf(EventTypeSound) && event->getCategory() == CategorySound)
                finished.push_back(static_cast<CEventSoundFinished*>(event)->getInstance());
            return false;
        }
        std::vector<SoundCue*> finished;
    } recorder;
    b->addPostReceiver(&recorder);
    CRefPtr<SoundCue> keepB(b);

    soundOf(a)->finish();  // ended by itself
    manager->stopGroup(2);  // b and c at once
    EXPECT_EQ(manager->getPlayingCount(), 3u);  // released at the next update only
    EXPECT_EQ(b->getState(), SoundStopped);
    CEventSystemFlowUpdate update(10);
    EXPECT_FALSE(manager->onEvent(&update));
    EXPECT_EQ(manager->getPlayingCount(), 0u);
    ASSERT_EQ(recorder.finished.size(), 1u);
    EXPECT_EQ(recorder.finished[0], b);
    EXPECT_EQ(b->getManager(), manager.get());
}

TEST_F(GroupManagerTest, VolumesMultiplyMasterGroupAndCue) {
    FakeSound* effect = addCue("Effect", 0, 0.5f);
    FakeSound* master = addCue("Master", -1, 0.8f);
    manager->setGroupVolume(0.5f, -1);
    manager->setGroupVolume(0.4f, 0);
    EXPECT_FLOAT_EQ(manager->getRegisteredCue("Effect")->getEffectiveVolume(), 0.5f * 0.5f * 0.4f);
    EXPECT_FLOAT_EQ(manager->getRegisteredCue("Master")->getEffectiveVolume(), 0.8f * 0.5f);
    EXPECT_FLOAT_EQ(effect->getVolume(), 0.1f);
    EXPECT_FLOAT_EQ(master->getVolume(), 0.4f);
    SoundCue* playing = manager->playCue("Effect");
    ASSERT_NE(playing, nullptr);
    EXPECT_FLOAT_EQ(soundOf(playing)->getVolume(), 0.1f);
    manager->setGroupVolume(1.0f, -1);
    EXPECT_FLOAT_EQ(soundOf(playing)->getVolume(), 0.2f);
    EXPECT_FLOAT_EQ(manager->getGroupVolume(0), 0.4f);
    // The sound option off: group volume 0 refuses every start.
    manager->setGroupVolume(0.0f, 0);
    EXPECT_EQ(manager->playCue("Effect"), nullptr);
}

TEST_F(GroupManagerTest, PausedGroups) {
    addCue("Music", 1);
    addCue("Click", 0);
    SoundCue* music = manager->playCue("Music");
    SoundCue* click = manager->playCue("Click");
    manager->setGroupPaused(true, 1);
    EXPECT_EQ(music->getState(), SoundPaused);
    EXPECT_EQ(click->getState(), SoundPlaying);
    // New instances of a paused group start paused.
    SoundCue* second = manager->playCue("Music");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->getState(), SoundPaused);
    manager->setGroupPaused(false, 1);
    EXPECT_EQ(music->getState(), SoundPlaying);
    EXPECT_EQ(second->getState(), SoundPlaying);

    // The master group pauses everything but stores nothing.
    manager->setGroupPaused(true, -1);
    EXPECT_EQ(music->getState(), SoundPaused);
    EXPECT_EQ(click->getState(), SoundPaused);
    EXPECT_FALSE(manager->getGroupSettings(-1).paused);
    SoundCue* fresh = manager->playCue("Click");
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->getState(), SoundPlaying);
    // Paused instances are not released.
    manager->update(10);
    EXPECT_EQ(manager->getPlayingCount(), 4u);
}

TEST_F(GroupManagerTest, FadeIn) {
    addCue("Music", 1, 0.5f);
    manager->getGroupSettings(1).fadeInMs = 1000;
    SoundCue* music = manager->playCue("Music");  // 0 takes the group's fade-in
    ASSERT_NE(music, nullptr);
    FakeSound* sound = soundOf(music);
    // It started silent: the volume was 0 before the sound played, not set after.
    EXPECT_FLOAT_EQ(sound->volumeAtPlay, 0.0f);
    const struct {
        u32 step;
        f32 volume;
        s32 fadeState;
    } steps[] = {{0, 0.0f, SoundCue::FadeIn},
                 {250, 0.125f, SoundCue::FadeIn},
                 {500, 0.375f, SoundCue::FadeIn},
                 {250, 0.5f, SoundCue::FadeNone},
                 {100, 0.5f, SoundCue::FadeNone}};
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        if (s.step) manager->update(s.step);
        EXPECT_FLOAT_EQ(sound->getVolume(), s.volume);
        EXPECT_EQ(music->getFadeState(), s.fadeState);
    }
    // A fade given by the caller wins over the group's.
    SoundCue* quick = manager->playCue("Music", false, 100);
    manager->update(50);
    EXPECT_FLOAT_EQ(soundOf(quick)->getVolume(), 0.25f);
}

TEST_F(GroupManagerTest, FadeOutAndStopCue) {
    const struct {
        const char* what;
        s32 fadeIn;        // of the start; 0 none
        u32 before;        // update before the stop
        s32 stopFade;      // given to stopCue; 0 takes the group's (400)
        s32 position;      // fade position after the stop
        s32 duration;
    } cases[] = {
        {"group default", 0, 0, 0, 400, 400},
        {"caller's fade", 0, 0, 200, 200, 200},
        {"during a fade-in", 1000, 400, 500, 200, 500},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        addCue("Music", 1);
        manager->getGroupSettings(1).fadeOutMs = 400;
        SoundCue* music = manager->playCue("Music", false, c.fadeIn);
        ASSERT_NE(music, nullptr);
        CRefPtr<SoundCue> keep(music);
        if (c.before) manager->update(c.before);
        manager->stopCue("Music", c.stopFade);
        EXPECT_EQ(music->getFadeState(), SoundCue::FadeOut);
        EXPECT_EQ(music->getFadePosition(), c.position);
        EXPECT_EQ(music->getFadeDuration(), c.duration);
        // Stopping again while fading out changes nothing.
        manager->stopCue("Music", 50);
        EXPECT_EQ(music->getFadePosition(), c.position);
        FakeSound* sound = soundOf(music);
        manager->update(static_cast<u32>(c.position / 2));
        EXPECT_NEAR(sound->getVolume(), 0.5f * c.position / c.duration, 0.01f);
        manager->update(static_cast<u32>(c.position));
        EXPECT_EQ(sound->getState(), SoundStopped);
        EXPECT_EQ(music->getState(), SoundStopped);
        manager->update(1);
        EXPECT_EQ(manager->getPlayingCount(), 0u);
    }
    // Stopping with 0 during a fade-out stops at once.
    addCue("Click", 0);
    manager->getGroupSettings(0).fadeOutMs = 0;
    SoundCue* click = manager->playCue("Click");
    click->stop(300);
    EXPECT_EQ(click->stop(0), 0);
    EXPECT_EQ(click->getState(), SoundStopped);
    EXPECT_EQ(click->stop(0), -1);
}

TEST_F(GroupManagerTest, LoopingCueRestartsWhenItsSoundEnds) {
    addCue("Ambience", 0, 1.0f, true);
    SoundCue* ambience = manager->playCue("Ambience");
    ASSERT_NE(ambience, nullptr);
    FakeSound* sound = soundOf(ambience);
    EXPECT_TRUE(sound->isLooping());
    sound->finish();
    manager->update(10);
    EXPECT_EQ(manager->getPlayingCount(), 1u);
    EXPECT_EQ(sound->plays, 2);
    EXPECT_EQ(ambience->getState(), SoundPlaying);
}

TEST_F(GroupManagerTest, AudioDriverEventsAndClearing) {
    struct Driver : IAudioDriver {
        stringc getDescription() const override { return "test"; }
        ISound* createSound(IReadableFile*, const CCreationContext&) override { return nullptr; }
        ISound* loadSound(const stringc&, const CCreationContext&) override { return nullptr; }
        void setStreamingThreshold(u32) override {}
        u32 getStreamingThreshold() const override { return 0; }
        void setListener(const vector3df&, const vector3df&, const vector3df&, const vector3df&) override {}
    };
    CRefPtr<Driver> driver = makeRef<Driver>();
    CEventDeviceAudioDriverCreated created(driver.get());
    EXPECT_FALSE(manager->onEvent(&created));
    EXPECT_EQ(manager->getAudioDriver(), driver.get());
    EXPECT_EQ(driver->getReferenceCount(), 2);

    addCue("Click", 0);
    CRefPtr<SoundCue> registered(manager->getRegisteredCue("Click"));
    CRefPtr<SoundCue> playing(manager->playCue("Click"));
    manager = nullptr;  // destruction unlinks cues and instances and drops the driver
    EXPECT_EQ(registered->getManager(), nullptr);
    EXPECT_EQ(playing->getManager(), nullptr);
    EXPECT_EQ(driver->getReferenceCount(), 1);
}

}  // namespace
}  // namespace oskel
