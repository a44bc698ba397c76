// The null and OpenAL audio drivers: creation, description, the streaming threshold and the
// worker's stream lists.

#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include <AL/alc.h>

#include "engine/audio/CNullAudioDriver.h"
#include "tests/audio/openal/OpenALTestSupport.h"
#include "tests/support/TestSupport.h"

namespace oskel {
namespace {

using test::OpenALTest;

TEST(NullAudioDriver, MakesNoSounds) {
    CRefPtr<IAudioDriver> driver = CRefPtr<IAudioDriver>::fromRaw(createNullAudioDriver(nullptr));
    ASSERT_TRUE(driver);
    EXPECT_EQ(driver->getDescription(), stringc("Null audio device"));
    EXPECT_EQ(driver->getStreamingThreshold(), 0x40000u);
    driver->setStreamingThreshold(0x20000);
    EXPECT_EQ(driver->getStreamingThreshold(), 0x20000u);
    CRefPtr<IReadableFile> file = CRefPtr<IReadableFile>::fromRaw(test::openBytes(test::toneWav(100), "a.wav"));
    EXPECT_EQ(driver->createSound(file.get(), CCreationContext()), nullptr);
    EXPECT_EQ(driver->loadSound("a.wav", CCreationContext()), nullptr);
}

// Runs in a fresh process, where OpenAL reads its configuration for the first time.
void openWithoutBackend() {
    setenv("ALSOFT_DRIVERS", "no-such-backend", 1);
    test::LogCapture log;
    IAudioDriver* driver = createOpenALAudioDriver(nullptr);
    const bool logged = log.contains("Failed to open the OpenAL audio device", LogError);
    std::fprintf(stderr, "driver=%s logged=%s\n", driver ? "yes" : "none", logged ? "yes" : "no");
    std::fflush(stderr);
    std::_Exit(!driver && logged ? 0 : 1);
}

TEST(OpenALAudioDriver, InitFailureIsLoggedAndGivesNone) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(openWithoutBackend(), ::testing::ExitedWithCode(0), "driver=none logged=yes");
}

TEST_F(OpenALTest, DescriptionNamesTheDeviceAndTheDeviceList) {
    const std::string text = driver->getDescription().c_str();
    ALCdevice* device = alcGetContextsDevice(alcGetCurrentContext());
    ASSERT_NE(device, nullptr);
    const std::string expectedStart = std::string("OpenAL\n Device: ") + alcGetString(device, ALC_DEVICE_SPECIFIER) + "\n";
    EXPECT_EQ(text.substr(0, expectedStart.size()), expectedStart);
    if (alcIsExtensionPresent(nullptr, "ALC_ENUMERATION_EXT")) {
        const std::string rest = text.substr(expectedStart.size());
        EXPECT_EQ(rest.rfind(" Available devices: ", 0), 0u) << rest;
        EXPECT_EQ(rest.back(), '\n');
        // Every name is followed by a blank.
        EXPECT_EQ(rest[rest.size() - 2], ' ');
    } else {
        EXPECT_EQ(text, expectedStart);
    }
}

TEST_F(OpenALTest, ThresholdDecidesBufferedOrStreamed) {
    // Stereo 16-bit: 32,768 frames are exactly 0x20000 bytes.
    auto stereo = [](u32 frames) {
        return test::makeWav16(test::makeTones(frames, 22050, {440, 660}), 2, 22050);
    };
    const struct {
        u32 frames;
        u32 threshold;
        bool streamed;
    } cases[] = {
        {32768, 0x20000, false}, {32769, 0x20000, true}, {10, 0, true}, {32769, 0xFFFFFFFFu, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.frames);
        CRefPtr<ISound> sound = makeSound(stereo(c.frames), "tone.wav", c.threshold);
        ASSERT_TRUE(sound);
        EXPECT_EQ(dynamic_cast<COpenALStreamedSound*>(sound.get()) != nullptr, c.streamed);
        EXPECT_EQ(dynamic_cast<COpenALSound*>(sound.get()) != nullptr, !c.streamed);
        EXPECT_EQ(sound->getSharingFlags(), c.streamed ? u32(ERF_NOT_CACHED) : 0u);
        EXPECT_EQ(sound->getTypeCode(), TypeCodeSound);
        EXPECT_EQ(sound->getName(), stringc("tone.wav"));
    }
}

TEST_F(OpenALTest, UndecodableFilesGiveNoSound) {
    test::LogCapture log;
    EXPECT_FALSE(makeSound(test::Bytes(32, 7), "bad.wav", 0x20000));
    EXPECT_FALSE(makeSound(test::Bytes(), "empty.ogg", 0));
    EXPECT_EQ(driver->createSound(nullptr, CCreationContext()), nullptr);
}

TEST_F(OpenALTest, StreamDestroyedWhilePendingLeavesNoTrace) {
    CRefPtr<COpenALStreamedSound> stream = makeStream(test::toneWav(50000));
    ASSERT_TRUE(stream);
    {
        // With the active lock held the worker cannot take the stream over.
        CMutexLock hold(driver->getActiveLock());
        ASSERT_TRUE(stream->play());
        EXPECT_EQ(driver->getPendingStreamCount(), 1u);
        stream = nullptr;
        EXPECT_EQ(driver->getPendingStreamCount(), 0u);
        EXPECT_EQ(driver->getActiveStreamCount(), 0u);
    }
    // The worker goes on without touching the freed stream.
    CRefPtr<COpenALStreamedSound> other = makeStream(test::toneWav(50000));
    ASSERT_TRUE(other->play());
    EXPECT_TRUE(test::waitFor([&] { return other->getRefillCount() > 0; }, std::chrono::seconds(10)));
}

TEST_F(OpenALTest, StreamTakenOverThenDestroyedIsRemoved) {
    CRefPtr<COpenALStreamedSound> stream = makeStream(test::toneWav(50000));
    ASSERT_TRUE(stream->play());
    ASSERT_TRUE(test::waitFor([&] { return driver->getActiveStreamCount() == 1; }, std::chrono::seconds(10)));
    EXPECT_EQ(driver->getPendingStreamCount(), 0u);
    stream = nullptr;
    EXPECT_EQ(driver->getActiveStreamCount(), 0u);
}

TEST_F(OpenALTest, StreamsKeepTheirDriver) {
    CRefPtr<COpenALStreamedSound> stream = makeStream(test::toneWav(4000));
    ASSERT_TRUE(stream);
    COpenALAudioDriver* raw = driver.get();
    EXPECT_EQ(raw->getReferenceCount(), 2);
    driver = nullptr;  // the stream's reference keeps the driver and its worker alive
    ASSERT_TRUE(stream->play());
    EXPECT_TRUE(test::waitFor([&] { return stream->getState() == SoundStopped; }, std::chrono::seconds(10)));
    EXPECT_TRUE(raw->isRunning());
    stream = nullptr;  // the driver goes with its last sound
}

}  // namespace
}  // namespace oskel
