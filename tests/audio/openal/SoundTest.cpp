// The OpenAL buffered and streamed sounds.

#include <atomic>
#include <chrono>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <AL/al.h>

#include "engine/audio/CSoundLoaderRegistry.h"
#include "tests/audio/openal/OpenALTestSupport.h"
#include "tests/support/TestSupport.h"

namespace oskel {
namespace {

using test::OpenALTest;
using namespace std::chrono_literals;

ALint sourceState(ALuint source) {
    ALint state = 0;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state;
}

TEST_F(OpenALTest, FormatTable) {
    const struct {
        s32 code;
        const char* name;
        ALenum fixed;
    } cases[] = {
        {0, nullptr, 0}, {1, nullptr, AL_FORMAT_MONO8}, {2, nullptr, AL_FORMAT_STEREO8},
        {3, nullptr, AL_FORMAT_MONO16}, {4, nullptr, AL_FORMAT_STEREO16}, {5, "AL_FORMAT_REAR16", 0},
        {6, "AL_FORMAT_QUAD16", 0}, {7, "AL_FORMAT_51CHN16", 0}, {8, "AL_FORMAT_61CHN16", 0},
        {9, "AL_FORMAT_71CHN16", 0}, {10, nullptr, 0}, {-1, nullptr, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(getALFormat(c.code), c.name ? alGetEnumValue(c.name) : c.fixed);
    }
    EXPECT_NE(getALFormat(7), 0);
}

TEST_F(OpenALTest, BufferedClonesShareOneBuffer) {
    CRefPtr<ISound> click = makeSound(test::toneWav(22050), "click.wav", 0x20000);
    auto* original = dynamic_cast<COpenALSound*>(click.get());
    ASSERT_NE(original, nullptr);
    click->setVolume(0.5f);
    click->setLooping(true);
    std::vector<CRefPtr<COpenALSound>> instances;
    for (int i = 0; i < 3; ++i) {
        instances.push_back(CRefPtr<COpenALSound>::fromRaw(original->clone()));
        EXPECT_EQ(instances.back()->getVolume(), 0.5f);
        EXPECT_TRUE(instances.back()->isLooping());
        EXPECT_EQ(instances.back()->getSource(), 0u);  // no source until played
        ASSERT_TRUE(instances.back()->play());
    }
    const ALuint buffer = original->getBuffer()->getBuffer();
    ASSERT_NE(buffer, 0u);
    EXPECT_NE(instances[0]->getSource(), instances[1]->getSource());
    EXPECT_NE(instances[1]->getSource(), instances[2]->getSource());
    for (auto& instance : instances) {
        EXPECT_EQ(instance->getBuffer(), original->getBuffer());
        ALint attached = 0;
        alGetSourcei(instance->getSource(), AL_BUFFER, &attached);
        EXPECT_EQ(static_cast<ALuint>(attached), buffer);
        EXPECT_EQ(instance->getState(), SoundPlaying);
    }
    EXPECT_EQ(original->getBuffer()->getReferenceCount(), 4);
}

TEST_F(OpenALTest, BufferedSoundStates) {
    CRefPtr<ISound> sound = makeSound(test::toneWav(2205), "short.wav", 0x20000);  // 0.1 s
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->getState(), SoundStopped);
    ASSERT_TRUE(sound->play());
    sound->setPaused(true);
    EXPECT_EQ(sound->getState(), SoundPaused);
    sound->setPaused(false);
    EXPECT_EQ(sound->getState(), SoundPlaying);
    EXPECT_TRUE(test::waitFor([&] { return sound->getState() == SoundStopped; }, 10s));
    // Resuming a sound that has ended does not start it again.
    sound->setPaused(false);
    EXPECT_EQ(sound->getState(), SoundStopped);
}

TEST_F(OpenALTest, NonLoopingStreamEndsByItself) {
    CRefPtr<COpenALStreamedSound> stream = makeStream(test::toneWav(6615));  // 0.3 s
    ASSERT_TRUE(stream);
    ASSERT_TRUE(stream->play());
    EXPECT_EQ(stream->getState(), SoundPlaying);
    EXPECT_TRUE(test::waitFor([&] { return stream->getState() == SoundStopped; }, 20s));
    EXPECT_GT(stream->getRefillCount(), 0u);
    EXPECT_FALSE(stream->isPlayingFlag());
}

TEST_F(OpenALTest, LoopingStreamWrapsInsideAChunk) {
    // A ramp of 1000 frames: every decoded sample must continue the ramp across the wraps.
    std::vector<std::int16_t> ramp(1000);
    for (int i = 0; i < 1000; ++i) ramp[i] = static_cast<std::int16_t>(i);
    test::Bytes wav = test::makeWav16(ramp, 1, 8000);
    CRefPtr<IReadableFile> file = CRefPtr<IReadableFile>::fromRaw(test::openBytes(wav, "ramp.wav"));
    CRefPtr<CSoundDecoder> decoder =
        CRefPtr<CSoundDecoder>::fromRaw(CSoundLoaderRegistry::instance().load(file.get(), CCreationContext()));
    ASSERT_TRUE(decoder);
    CRefPtr<COpenALStreamedSound> stream = makeRef<COpenALStreamedSound>(driver.get(), decoder.get(), nullptr, CCreationContext(), 2500);
    stream->setLooping(true);
    u32 expected = 0;
    for (int chunk = 0; chunk < 3; ++chunk) {
        ASSERT_EQ(stream->decodeChunk(), 2500u);
        const auto* samples = reinterpret_cast<const std::int16_t*>(stream->getDecodeBuffer());
        for (u32 i = 0; i < 2500; ++i, ++expected)
            ASSERT_EQ(samples[i], static_cast<std::int16_t>(expected % 1000)) << "chunk " << chunk << " frame " << i;
    }
    // Without looping the chunk ends with the stream.
    stream->setLooping(false);
    EXPECT_EQ(stream->decodeChunk(), 1000u - expected % 1000);  // 500 frames to the end
    EXPECT_EQ(stream->decodeChunk(), 0u);
}

TEST_F(OpenALTest, LoopingStreamKeepsPlayingPastItsEnd) {
    CRefPtr<COpenALStreamedSound> stream = makeStream(test::toneWav(2205));  // 0.1 s
    stream->setLooping(true);
    ASSERT_TRUE(stream->play());
    // Several refills later (well past the end of the file) it still plays.
    ASSERT_TRUE(test::waitFor([&] { return stream->getRefillCount() > 30; }, 20s));
    EXPECT_EQ(stream->getState(), SoundPlaying);
    EXPECT_EQ(sourceState(stream->getSource()), AL_PLAYING);
    stream->stop();
    EXPECT_EQ(stream->getState(), SoundStopped);
}

TEST_F(OpenALTest, PlayStopPlayStartsAgainFromTheBeginning) {
    CRefPtr<COpenALStreamedSound> stream = makeStream(test::toneWav(66150));  // 3 s
    ASSERT_TRUE(stream->play());
    ASSERT_TRUE(test::waitFor([&] { return stream->getPlayPosition() >= 700; }, 20s));
    stream->stop();
    EXPECT_EQ(stream->getState(), SoundStopped);
    EXPECT_NE(sourceState(stream->getSource()), AL_PLAYING);
    const u32 refills = stream->getRefillCount();
    ASSERT_TRUE(stream->play());
    ASSERT_TRUE(test::waitFor([&] { return stream->getRefillCount() > refills; }, 20s));
    EXPECT_EQ(stream->getState(), SoundPlaying);
    EXPECT_LT(stream->getPlayPosition(), 600u);
}

TEST_F(OpenALTest, PausedStreamIsNotStartedByTheWorker) {
    CRefPtr<COpenALStreamedSound> stream = makeStream(test::toneWav(66150));
    {
        CMutexLock hold(driver->getActiveLock());
        ASSERT_TRUE(stream->play());
        stream->setPaused(true);
    }
    ASSERT_TRUE(test::waitFor([&] { return stream->getRefillCount() > 5; }, 20s));
    EXPECT_EQ(stream->getState(), SoundPaused);
    EXPECT_NE(sourceState(stream->getSource()), AL_PLAYING);
    stream->setPaused(false);
    EXPECT_EQ(stream->getState(), SoundPlaying);
    EXPECT_EQ(sourceState(stream->getSource()), AL_PLAYING);
}

TEST_F(OpenALTest, StreamChangesWaitForARunningRefill) {
    CRefPtr<COpenALStreamedSound> stream = makeStream(test::toneWav(66150));
    const struct {
        const char* what;
        void (*change)(COpenALStreamedSound*);
    } cases[] = {
        {"play", [](COpenALStreamedSound* s) { s->play(); }},
        {"stop", [](COpenALStreamedSound* s) { s->stop(); }},
        {"pause", [](COpenALStreamedSound* s) { s->setPaused(true); }},
        {"looping", [](COpenALStreamedSound* s) { s->setLooping(true); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // Another thread holds the active lock, as the worker does while it refills.
        std::atomic<bool> held{false}, release{false}, done{false};
        std::thread worker([&] {
            CMutexLock lock(driver->getActiveLock());
            held = true;
            while (!release) std::this_thread::sleep_for(1ms);
        });
        ASSERT_TRUE(test::waitFor([&] { return held.load(); }, 10s));
        std::thread change([&] {
            c.change(stream.get());
            done = true;
        });
        std::this_thread::sleep_for(50ms);
        EXPECT_FALSE(done.load());
        release = true;
        worker.join();
        change.join();
        EXPECT_TRUE(done.load());
    }
}

// A decoder that claims frames but can give only the first few, or none, and rewinds only so
// many times.
class StarvingDecoder : public CSoundDecoder {
public:
    StarvingDecoder(u32 firstFrames, int rewinds) : m_left(firstFrames), m_rewinds(rewinds) {
        m_channels = 1;
        m_sampleRate = 8000;
        m_format = SoundFormatMono16;
        m_samples = 100000;
    }
    bool rewind() override { return m_rewinds-- > 0; }
    u32 read(void* buffer, u32 frames) override {
        const u32 n = frames < m_left ? frames : m_left;
        std::memset(buffer, 0, n * 2u);
        m_left -= n;
        return n;
    }

private:
    u32 m_left;
    int m_rewinds;
};

TEST_F(OpenALTest, StarvedStreamsEnd) {
    const struct {
        const char* what;
        u32 firstFrames;
        int rewinds;
        bool looping;
    } cases[] = {
        {"priming queues nothing", 0, 1000, false},
        {"looping, nothing after the rewind", 800, 1000, true},
        {"looping, the rewind fails", 800, 1, true},  // only play's rewind succeeds
        {"looping, empty from the start", 0, 1000, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CRefPtr<CSoundDecoder> decoder = CRefPtr<CSoundDecoder>::fromRaw(new StarvingDecoder(c.firstFrames, c.rewinds));
        CRefPtr<COpenALStreamedSound> stream = makeRef<COpenALStreamedSound>(driver.get(), decoder.get(), nullptr, CCreationContext());
        stream->setLooping(c.looping);
        ASSERT_TRUE(stream->play());
        EXPECT_TRUE(test::waitFor([&] { return stream->getState() == SoundStopped; }, 20s));
    }
}

TEST_F(OpenALTest, UnplayableStreamsReportIt) {
    test::LogCapture log;
    CRefPtr<COpenALStreamedSound> noDecoder = makeRef<COpenALStreamedSound>(driver.get(), nullptr, nullptr, CCreationContext());
    EXPECT_FALSE(noDecoder->play());
    EXPECT_TRUE(log.contains("Failed to play streamed sound", LogError));
    EXPECT_EQ(noDecoder->clone(), nullptr);
}

TEST_F(OpenALTest, SixChannelStreamPlays) {
    test::Bytes ogg = test::makeOgg(test::makeTones(22050, 22050, {300, 500, 700, 900, 1100, 1300}), 6, 22050);
    CRefPtr<COpenALStreamedSound> stream = makeStream(ogg, "six.ogg");
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->getALFormat(), alGetEnumValue("AL_FORMAT_51CHN16"));
    ASSERT_TRUE(stream->play());
    EXPECT_TRUE(test::waitFor([&] { return stream->getState() == SoundStopped; }, 20s));
}

TEST_F(OpenALTest, StreamCloneIsANewStreamWithTheSameSettings) {
    CRefPtr<COpenALStreamedSound> stream = makeStream(test::toneWav(22050), "music.wav");
    stream->setVolume(0.25f);
    stream->setLooping(true);
    stream->setPosition(vector3df(1, 2, 3));
    CRefPtr<ISound> copy = CRefPtr<ISound>::fromRaw(stream->clone());
    ASSERT_TRUE(copy);
    EXPECT_NE(copy.get(), stream.get());
    auto* copyStream = dynamic_cast<COpenALStreamedSound*>(copy.get());
    ASSERT_NE(copyStream, nullptr);
    EXPECT_NE(copyStream->getDecoder(), stream->getDecoder());
    EXPECT_EQ(copy->getVolume(), 0.25f);
    EXPECT_TRUE(copy->isLooping());
    EXPECT_EQ(copy->getPosition(), vector3df(1, 2, 3));
    EXPECT_EQ(copy->getName(), stringc("music.wav"));
    ASSERT_TRUE(copy->play());
    EXPECT_TRUE(test::waitFor([&] { return copyStream->getRefillCount() > 0; }, 20s));
}

TEST_F(OpenALTest, StressPlayStopDestroyWhileTheWorkerRuns) {
    CRefPtr<COpenALStreamedSound> source = makeStream(test::toneWav(4410), "short.wav");  // 0.2 s
    ASSERT_TRUE(source);
    std::mt19937 random(7);
    std::vector<CRefPtr<ISound>> live;
    const auto end = std::chrono::steady_clock::now() + 3s;
    int rounds = 0;
    while (std::chrono::steady_clock::now() < end) {
        ++rounds;
        if (live.size() < 12) live.push_back(CRefPtr<ISound>::fromRaw(source->clone()));
        ISound* sound = live[random() % live.size()].get();
        switch (random() % 6) {
            case 0: sound->play(); break;
            case 1: sound->stop(); break;
            case 2: sound->setPaused(random() % 2 == 0); break;
            case 3: sound->setLooping(random() % 2 == 0); break;
            case 4: sound->play(); live.erase(live.begin() + static_cast<long>(random() % live.size())); break;
            default: live.erase(live.begin() + static_cast<long>(random() % live.size())); break;
        }
        if (rounds % 16 == 0) std::this_thread::sleep_for(1ms);
    }
    live.clear();
    source = nullptr;
    EXPECT_EQ(driver->getActiveStreamCount(), 0u);
    EXPECT_EQ(driver->getPendingStreamCount(), 0u);
    EXPECT_GT(rounds, 100);
}

}  // namespace
}  // namespace oskel
