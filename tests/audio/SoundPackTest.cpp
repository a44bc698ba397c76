// Sounds and sound packs as content: the sound and sound pack processors behind the real content
// manager and file system, cues reading themselves from the pack file, and the cue settings as
// the group manager plays them.

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/audio/CSoundGroupManager.h"
#include "engine/audio/CSoundPackProcessor.h"
#include "engine/audio/CSoundProcessor.h"
#include "engine/audio/SoundPack.h"
#include "engine/content/CContentManager.h"
#include "engine/core/CRandom.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/io/CFileSystem.h"
#include "tests/audio/openal/OpenALTestSupport.h"
#include "tests/support/TestSupport.h"

namespace oskel {
namespace {

// The audio driver is about to be released (the device's event has no class of its own).
class AudioDriverReleasing : public CEventDevice {
    OSKEL_EVENT_TYPE(AudioDriverReleasing, CEventDevice, EventDeviceAudioDriverReleasing)
};

constexpr u32 kThreshold = 0x20000;
// Mono 16-bit at 22,050 frames per second: 0.1 s is buffered, 70,000 frames (140,000 bytes) are
// above the threshold and streamed.
constexpr u32 kShortFrames = 2205;
constexpr u32 kLongFrames = 70000;

class SoundContentTest : public test::OpenALTest {
protected:
    void SetUp() override {
        OpenALTest::SetUp();
        if (HasFatalFailure()) return;
        driver->setStreamingThreshold(kThreshold);
        dir = std::filesystem::temp_directory_path() /
              ("oskel-sounds-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir / "sounds");
        fileSystem = CRefPtr<CFileSystem>::fromRaw(new CFileSystemLinux());
        processors = makeRef<CContentProcessorsManager>();
        sounds = makeRef<CSoundProcessor>(driver.get());
        packs = makeRef<CSoundPackProcessor>(fileSystem.get(), driver.get());
        processors->registerProcessor(sounds.get());
        processors->registerProcessor(packs.get());
        content = makeRef<CContentManager>(fileSystem.get(), processors.get());
    }
    void TearDown() override {
        content = nullptr;  // the cached sounds go while their driver is still there
        processors = nullptr;
        if (!dir.empty()) std::filesystem::remove_all(dir);
    }

    std::string put(const std::string& relative, const test::Bytes& bytes) {
        const std::filesystem::path path = dir / relative;
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }
    std::string putText(const std::string& relative, const std::string& text) {
        return put(relative, test::Bytes(text.begin(), text.end()));
    }
    static test::Bytes shortWav() { return test::toneWav(kShortFrames); }
    static test::Bytes longWav() { return test::toneWav(kLongFrames); }
    static test::Bytes shortOgg() { return test::makeOgg(test::makeTones(kShortFrames, 22050, {440}), 1, 22050); }

    CRefPtr<SoundPack> loadPack(const std::string& path) {
        CResource* resource = content->getContentByPath(TypeCodeSoundPack, path.c_str(), false);
        EXPECT_TRUE(!resource || resource->getTypeCode() == TypeCodeSoundPack);
        return CRefPtr<SoundPack>::fromRaw(static_cast<SoundPack*>(resource));
    }
    CRefPtr<ISound> loadSound(const std::string& path) {
        CResource* resource = content->getContentByPath(TypeCodeSound, path.c_str(), false);
        EXPECT_TRUE(!resource || resource->getTypeCode() == TypeCodeSound);
        return CRefPtr<ISound>::fromRaw(static_cast<ISound*>(resource));
    }
    // Delivers a device event as the device does: the processors manager first (priority -1),
    // then the content manager (priority 1).
    void post(CEvent* event) {
        processors->dispatchEvent(DispatchSelfThenChildren, event);
        content->dispatchEvent(DispatchSelfThenChildren, event);
        event->drop();
    }
    static size_t count(const test::LogCapture& log, const std::string& text, const std::string& hint) {
        size_t n = 0;
        for (const auto& line : log.lines())
            if (line.text == text && line.hint.find(hint) != std::string::npos) ++n;
        return n;
    }

    std::filesystem::path dir;
    CRefPtr<CFileSystem> fileSystem;
    CRefPtr<CContentProcessorsManager> processors;
    CRefPtr<CSoundProcessor> sounds;
    CRefPtr<CSoundPackProcessor> packs;
    CRefPtr<CContentManager> content;
};

// ---- sounds through the content manager ----

TEST_F(SoundContentTest, BufferedSoundsAreCachedAndClonedPerRequest) {
    struct Case {
        const char* name;
        test::Bytes bytes;
    };
    const std::vector<Case> cases = {{"click.wav", shortWav()}, {"click.ogg", shortOgg()}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::LogCapture log;
        const std::string path = put(c.name, c.bytes);
        CRefPtr<ISound> first = loadSound(path);
        CRefPtr<ISound> second = loadSound(path);
        ASSERT_TRUE(first && second);
        auto* a = dynamic_cast<COpenALSound*>(first.get());
        auto* b = dynamic_cast<COpenALSound*>(second.get());
        ASSERT_TRUE(a && b);
        EXPECT_NE(a, b);                              // a clone per request...
        EXPECT_EQ(a->getBuffer(), b->getBuffer());    // ...on the one decoded buffer
        EXPECT_EQ(first->getName(), stringc(path.c_str()));
        EXPECT_EQ(first->getContentManager(), content.get());
        CResource* prototype = content->findContent(TypeCodeSound, CCreationContext(content.get(), path.c_str()));
        ASSERT_NE(prototype, nullptr);
        EXPECT_NE(prototype, first.get());
        EXPECT_NE(prototype, second.get());
        EXPECT_EQ(prototype->getReferenceCount(), 1);  // the cache's own
        EXPECT_EQ(count(log, "Loaded sound", path), 1u);  // decoded once
        EXPECT_TRUE(first->play());
    }
    EXPECT_EQ(content->getCachedCount(TypeCodeSound), 2u);
}

TEST_F(SoundContentTest, StreamedSoundsAreLoadedForEveryRequest) {
    struct Case {
        const char* name;
        test::Bytes bytes;
    };
    const std::vector<Case> cases = {
        {"music.wav", longWav()},
        {"music.ogg", test::makeOgg(test::makeTones(kLongFrames, 22050, {440}), 1, 22050)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::LogCapture log;
        const std::string path = put(c.name, c.bytes);
        CRefPtr<ISound> first = loadSound(path);
        CRefPtr<ISound> second = loadSound(path);
        ASSERT_TRUE(first && second);
        auto* a = dynamic_cast<COpenALStreamedSound*>(first.get());
        auto* b = dynamic_cast<COpenALStreamedSound*>(second.get());
        ASSERT_TRUE(a && b);
        EXPECT_NE(a, b);
        EXPECT_NE(a->getDecoder(), b->getDecoder());
        EXPECT_EQ(first->getReferenceCount(), 1);  // only the caller holds it
        EXPECT_EQ(content->getCachedCount(TypeCodeSound), 0u);
        EXPECT_EQ(count(log, "Loaded sound", path), 2u);
        ASSERT_TRUE(first->play());
        EXPECT_TRUE(test::waitFor([&] { return a->getRefillCount() > 0; }, std::chrono::seconds(20)));

        // A cue instance's copy is another stream of the same content, made without the cache.
        CRefPtr<ISound> copy = CRefPtr<ISound>::fromRaw(first->clone());
        auto* c2 = dynamic_cast<COpenALStreamedSound*>(copy.get());
        ASSERT_NE(c2, nullptr);
        EXPECT_NE(c2->getDecoder(), a->getDecoder());
        EXPECT_EQ(copy->getName(), first->getName());
        EXPECT_EQ(copy->getContentManager(), content.get());
        EXPECT_EQ(content->getCachedCount(TypeCodeSound), 0u);
    }
}

TEST_F(SoundContentTest, FilesThatGiveNoSound) {
    test::LogCapture log;
    const std::string garbage = putText("noise.wav", "RIFF....WAVEnot really");
    EXPECT_FALSE(loadSound(garbage));
    EXPECT_FALSE(loadSound((dir / "absent.wav").string()));
    EXPECT_FALSE(loadSound(""));
    EXPECT_EQ(count(log, "Loaded sound", ""), 0u);  // only loaded sounds are announced
    EXPECT_EQ(content->getCachedCount(TypeCodeSound), 0u);
}

TEST_F(SoundContentTest, WithoutAnAudioDriverThereAreNoSounds) {
    const std::string path = put("click.wav", shortWav());
    {
        CRefPtr<CSoundProcessor> none = makeRef<CSoundProcessor>(nullptr);
        CRefPtr<IReadableFile> file = CRefPtr<IReadableFile>::fromRaw(fileSystem->createAndOpenFile(path.c_str()));
        ASSERT_TRUE(file);
        test::LogCapture log;
        EXPECT_EQ(none->load(content.get(), file.get(), CCreationContext(content.get(), path.c_str())), nullptr);
        EXPECT_TRUE(log.lines().empty());
        EXPECT_FALSE(none->save(content.get(), nullptr, nullptr, nullptr));
    }
    // The device's driver goes: the processor stops making sounds until a new one comes.
    post(new AudioDriverReleasing());
    EXPECT_EQ(sounds->getAudioDriver(), nullptr);
    EXPECT_EQ(packs->getAudioDriver(), nullptr);
    EXPECT_FALSE(loadSound(path));
    post(new CEventDeviceAudioDriverCreated(driver.get()));
    EXPECT_EQ(sounds->getAudioDriver(), driver.get());
    EXPECT_EQ(packs->getAudioDriver(), driver.get());
    EXPECT_TRUE(loadSound(path));
}

TEST_F(SoundContentTest, DriverReleaseDropsTheCachedSounds) {
    const std::string click = put("click.wav", shortWav());
    const std::string other = put("other.ogg", shortOgg());
    CRefPtr<ISound> held = loadSound(click);
    ASSERT_TRUE(held && loadSound(other));
    ASSERT_EQ(content->getCachedCount(TypeCodeSound), 2u);
    CRefPtr<CResource> prototype(content->findContent(TypeCodeSound, CCreationContext(content.get(), click.c_str())));
    ASSERT_TRUE(prototype);
    EXPECT_EQ(prototype->getReferenceCount(), 2);  // the cache and this test

    post(new AudioDriverReleasing());
    EXPECT_EQ(content->getCachedCount(TypeCodeSound), 0u);
    EXPECT_EQ(prototype->getReferenceCount(), 1);  // the cache let go
    EXPECT_EQ(held->getReferenceCount(), 1);       // what others hold stays theirs
    EXPECT_EQ(content->findContent(TypeCodeSound, CCreationContext(content.get(), click.c_str())), nullptr);

    // Other kinds of content and other device events leave the sounds alone.
    post(new CEventDeviceAudioDriverCreated(driver.get()));
    ASSERT_TRUE(loadSound(click));
    post(new CEventDeviceVideoDriverReleasing());
    EXPECT_EQ(content->getCachedCount(TypeCodeSound), 1u);
}

// ---- sound packs ----

TEST_F(SoundContentTest, PackFileGivesCuesInFileOrder) {
    put("sounds/click.wav", shortWav());
    put("sounds/click.ogg", shortOgg());
    const std::string pack = putText("sounds/SoundPack.xml", R"(<?xml version="1.0"?>
<SoundPack>
  <Note Text="passed over"/>
  <SoundCue Name="Click" GroupID="0" Vol="0.5" Loop="true" StreamingType="0">
    <Sound Filename="click.wav"/>
    <Variation Filename="click.wav"/>
    <Sound Filename="click.ogg"/>
  </SoundCue>
  <SoundCue Name="Silent" GroupID="2"/>
  <SoundCue Name="Gaps">
    <Sound Filename="missing.wav"/>
    <Sound Filename="click.wav"/>
    <Sound Filename=""/>
    <Sound/>
  </SoundCue>
</SoundPack>
<SoundCue Name="AfterTheEnd"><Sound Filename="click.wav"/></SoundCue>
)");
    test::LogCapture log;
    CRefPtr<SoundPack> loaded = loadPack(pack);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->getName(), stringc(pack.c_str()));
    EXPECT_EQ(loaded->getSharingFlags(), static_cast<u32>(ERF_SHARED));
    EXPECT_EQ(count(log, "Loaded sound pack", pack), 1u);

    ASSERT_EQ(loaded->getCueCount(), 3u);
    const SoundCue* click = loaded->getCue(0);
    EXPECT_EQ(click->getName(), CNameId("Click"));
    EXPECT_EQ(click->getGroup(), 0);
    EXPECT_FLOAT_EQ(click->getVolume(), 0.5f);
    EXPECT_TRUE(click->isLooping());
    ASSERT_EQ(click->getSoundCount(), 2u);  // names inside the pack are relative to it
    EXPECT_EQ(click->getSound(0)->getName(), stringc((dir / "sounds/click.wav").string().c_str()));
    EXPECT_EQ(click->getSound(1)->getName(), stringc((dir / "sounds/click.ogg").string().c_str()));

    // An empty-element cue ends where it starts; it does not take the next cue's sounds.
    const SoundCue* silent = loaded->getCue(1);
    EXPECT_EQ(silent->getName(), CNameId("Silent"));
    EXPECT_EQ(silent->getGroup(), 2);
    EXPECT_EQ(silent->getSoundCount(), 0u);

    const SoundCue* gaps = loaded->getCue(2);
    EXPECT_EQ(gaps->getName(), CNameId("Gaps"));
    EXPECT_EQ(gaps->getGroup(), -1);
    EXPECT_FLOAT_EQ(gaps->getVolume(), 1.0f);
    EXPECT_FALSE(gaps->isLooping());
    ASSERT_EQ(gaps->getSoundCount(), 1u);  // the sounds that could not be loaded are left out
    EXPECT_EQ(count(log, "Sound cue skips a sound that cannot be loaded", "missing.wav"), 1u);
    EXPECT_EQ(count(log, "Sound cue skips a sound that cannot be loaded", "Gaps"), 3u);
    EXPECT_EQ(loaded->findCue("AfterTheEnd"), nullptr);

    // Each file is decoded once; the cues hold clones of the cached sounds.
    EXPECT_EQ(count(log, "Loaded sound", "click.wav"), 1u);
    EXPECT_EQ(content->getCachedCount(TypeCodeSound), 2u);
    EXPECT_NE(gaps->getSound(0), click->getSound(0));

    // The pack is shared.
    CRefPtr<SoundPack> again = loadPack(pack);
    EXPECT_EQ(again.get(), loaded.get());
}

TEST_F(SoundContentTest, OnlyLowerCaseTrueLoops) {
    struct Case {
        const char* attribute;
        bool loops;
    };
    const std::vector<Case> cases = {
        {R"(Loop="true")", true},  {R"(Loop="True")", false}, {R"(Loop="TRUE")", false},
        {R"(Loop="1")", false},    {R"(Loop="yes")", false},  {R"(Loop=" true")", false},
        {R"(Loop="")", false},     {"", false},               {R"(loop="true")", false},
    };
    std::string xml = "<SoundPack>\n";
    for (size_t i = 0; i < cases.size(); ++i)
        xml += "<SoundCue Name=\"L" + std::to_string(i) + "\" " + cases[i].attribute + "/>\n";
    xml += "</SoundPack>\n";
    CRefPtr<SoundPack> loaded = loadPack(putText("loops.xml", xml));
    ASSERT_TRUE(loaded);
    ASSERT_EQ(loaded->getCueCount(), cases.size());
    for (size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(loaded->getCue(static_cast<u32>(i))->isLooping(), cases[i].loops) << cases[i].attribute;
}

TEST_F(SoundContentTest, StreamingTypeDecidesWhileTheCueLoadsAndTheThresholdComesBack) {
    struct Case {
        u32 threshold;
        int streamingType;
        bool longFile;
        bool streamed;
    };
    const std::vector<Case> cases = {
        {kThreshold, 0, false, false}, {kThreshold, 0, true, true},  // the threshold decides
        {kThreshold, 1, false, true},  {kThreshold, 2, true, false},  // the cue decides
        {kThreshold, 7, true, true},                                   // unknown: the threshold
        {0, 2, true, false},           {0, 0, false, true},           // threshold 0: all streamed
        {0xFFFFFFFFu, 1, false, true},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(i);
        // Fresh names: a cached buffered sound would be handed out whatever the cue says.
        const std::string file = "tone" + std::to_string(i) + ".wav";
        put(file, c.longFile ? longWav() : shortWav());
        const std::string pack = putText("pack" + std::to_string(i) + ".xml",
                                         "<SoundPack><SoundCue Name=\"S\" StreamingType=\"" +
                                             std::to_string(c.streamingType) + "\"><Sound Filename=\"" + file +
                                             "\"/></SoundCue></SoundPack>");
        driver->setStreamingThreshold(c.threshold);
        CRefPtr<SoundPack> loaded = loadPack(pack);
        ASSERT_TRUE(loaded);
        ASSERT_EQ(loaded->getCueCount(), 1u);
        ASSERT_EQ(loaded->getCue(0)->getSoundCount(), 1u);
        ISound* sound = loaded->getCue(0)->getSound(0);
        EXPECT_EQ(dynamic_cast<COpenALStreamedSound*>(sound) != nullptr, c.streamed);
        EXPECT_EQ(dynamic_cast<COpenALSound*>(sound) != nullptr, !c.streamed);
        EXPECT_EQ(driver->getStreamingThreshold(), c.threshold);  // back, 0 included
    }
}

TEST_F(SoundContentTest, DamagedPacksKeepWhatWasRead) {
    put("click.wav", shortWav());
    struct Case {
        const char* xml;
        u32 cues;
        u32 sounds;  // of the last cue
    };
    const std::vector<Case> cases = {
        {"<SoundPack><SoundCue Name=\"A\"><Sound Filename=\"click.wav\"/>", 1, 1},
        {"<SoundPack><SoundCue Name=\"A\"><Sound Filename=\"click.wav\"/></SoundCue><SoundCue Name=\"B\" ", 1, 1},
        {"<SoundPack><SoundCue Name=\"A\"><Sound Filename=\"click.wav\"", 1, 0},
        {"<SoundPack><SoundCue Name=\"A\" StreamingType=\"1\"><Sound Filename=\"click.wav\"/><!-- ", 1, 1},
        {"", 0, 0},
        {"\xff\xfe\x00", 0, 0},
        {"<SoundPack/>", 0, 0},
        {"<SoundCue Name=\"Loose\"><Sound Filename=\"click.wav\"/></SoundCue>", 1, 1},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(i);
        driver->setStreamingThreshold(kThreshold);
        CRefPtr<SoundPack> loaded = loadPack(putText("damaged" + std::to_string(i) + ".xml", c.xml));
        ASSERT_TRUE(loaded);  // a pack is made whatever the file held
        ASSERT_EQ(loaded->getCueCount(), c.cues);
        if (c.cues) {
            EXPECT_EQ(loaded->getCue(c.cues - 1)->getSoundCount(), c.sounds);
        }
        EXPECT_EQ(driver->getStreamingThreshold(), kThreshold);
    }
}

TEST_F(SoundContentTest, SavingAPackLeavesNoFile) {
    CRefPtr<SoundPack> loaded = loadPack(putText("pack.xml", "<SoundPack><SoundCue Name=\"A\"/></SoundPack>"));
    ASSERT_TRUE(loaded);
    test::LogCapture log;
    const std::string out = (dir / "saved.xml").string();
    EXPECT_FALSE(content->saveContent(TypeCodeSoundPack, loaded.get(), out.c_str(), nullptr));
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(count(log, "Sound pack can't be saved", "pack.xml"), 1u);
    // Nor do sounds write anything.
    CRefPtr<ISound> sound = loadSound(put("click.wav", shortWav()));
    ASSERT_TRUE(sound);
    EXPECT_FALSE(content->saveContent(TypeCodeSound, sound.get(), out.c_str(), nullptr));
    EXPECT_FALSE(std::filesystem::exists(out));
}

// What the pack file says is what the group manager plays.
TEST_F(SoundContentTest, RegisteredCuesPlayWithTheirFileSettings) {
    put("a.wav", shortWav());
    put("b.wav", test::toneWav(kShortFrames, 22050, 880));
    CRefPtr<SoundPack> loaded = loadPack(putText("pack.xml", R"(<SoundPack>
  <SoundCue Name="Door" GroupID="3" Vol="0.25" Loop="true"><Sound Filename="a.wav"/><Sound Filename="b.wav"/></SoundCue>
  <SoundCue Name="Music" Vol="0.5"><Sound Filename="a.wav"/></SoundCue>
</SoundPack>)"));
    ASSERT_TRUE(loaded);
    CRefPtr<CSoundGroupManager> manager = makeRef<CSoundGroupManager>(driver.get());
    manager->setGroupVolume(0.5f, 3);
    manager->setGroupVolume(0.8f, -1);
    EXPECT_EQ(loaded->registerCues(manager.get()), 2u);
    EXPECT_EQ(loaded->registerCues(manager.get()), 0u);  // the names are taken
    EXPECT_EQ(manager->getRegisteredCue("Door"), loaded->getCue(0));

    SoundCue* door = manager->playCue("Door");
    ASSERT_NE(door, nullptr);
    EXPECT_NE(door, loaded->getCue(0));
    EXPECT_EQ(door->getName(), CNameId("Door"));
    EXPECT_EQ(door->getGroup(), 3);
    EXPECT_FLOAT_EQ(door->getVolume(), 0.25f);
    EXPECT_TRUE(door->isLooping());
    EXPECT_EQ(door->getSoundCount(), 2u);
    EXPECT_FLOAT_EQ(door->getEffectiveVolume(), 0.25f * 0.8f * 0.5f);
    ASSERT_NE(door->getCurrentSound(), nullptr);
    EXPECT_FLOAT_EQ(door->getCurrentSound()->getVolume(), 0.25f * 0.8f * 0.5f);
    EXPECT_EQ(door->getState(), SoundPlaying);

    SoundCue* music = manager->playCue("Music");
    ASSERT_NE(music, nullptr);
    EXPECT_EQ(music->getGroup(), -1);  // the master volume only
    EXPECT_FLOAT_EQ(music->getEffectiveVolume(), 0.5f * 0.8f);
    EXPECT_FALSE(music->getCurrentSound()->isLooping());
    manager->stopGroup(-1);
    manager->update(10);
    EXPECT_EQ(manager->getPlayingCount(), 0u);
}

// ---- random alternatives ----

// A sound that records its plays.
class CountingSound : public ISound {
public:
    explicit CountingSound(std::vector<int>* plays, int id) : ISound(CCreationContext()), m_plays(plays), m_id(id) {}
    CountingSound* clone() const override { return new CountingSound(m_plays, m_id); }
    s32 getState() override { return m_state; }
    bool play() override {
        m_plays->push_back(m_id);
        m_state = SoundPlaying;
        return true;
    }
    void stop() override { m_state = SoundStopped; }
    void setPaused(bool) override {}
    f32 getVolume() const override { return 1.0f; }
    void setVolume(f32) override {}
    bool isLooping() const override { return m_looping; }
    void setLooping(bool looping) override { m_looping = looping; }
    void setPosition(const vector3df&) override {}
    const vector3df& getPosition() const override { return m_position; }
    u32 getPlayPosition() override { return 0; }

private:
    std::vector<int>* m_plays;
    int m_id;
    s32 m_state = SoundStopped;
    bool m_looping = false;
    vector3df m_position;
};

TEST(SoundCueAlternatives, NoSoundFollowsItselfWhileOnePlays) {
    for (u32 seed : {1u, 2u, 12345u}) {
        SCOPED_TRACE(seed);
        CRandom::instance().seed(seed);
        std::vector<int> plays;
        CRefPtr<SoundCue> cue = makeRef<SoundCue>("Alternatives");
        for (int id = 0; id < 3; ++id) {
            CRefPtr<CountingSound> sound = makeRef<CountingSound>(&plays, id);
            cue->addSound(sound.get());
        }
        for (int i = 0; i < 60; ++i) ASSERT_TRUE(cue->playRandomItem());
        ASSERT_EQ(plays.size(), 60u);
        for (size_t i = 1; i < plays.size(); ++i) EXPECT_NE(plays[i], plays[i - 1]) << "at " << i;
        EXPECT_EQ(std::set<int>(plays.begin(), plays.end()).size(), 3u);  // every alternative comes up
        // Several alternatives never loop one sound: the cue restarts itself instead.
        for (u32 i = 0; i < cue->getSoundCount(); ++i) EXPECT_FALSE(cue->getSound(i)->isLooping());
    }
}

TEST(SoundCueAlternatives, SameSeedSameSequence) {
    auto sequence = [](u32 seed) {
        CRandom::instance().seed(seed);
        std::vector<int> plays;
        CRefPtr<SoundCue> cue = makeRef<SoundCue>("Seeded");
        for (int id = 0; id < 4; ++id)
            cue->addSound(makeRef<CountingSound>(&plays, id).get());
        for (int i = 0; i < 20; ++i) cue->playRandomItem();
        return plays;
    };
    EXPECT_EQ(sequence(99), sequence(99));
    EXPECT_NE(sequence(99), sequence(100));
}

}  // namespace
}  // namespace oskel
