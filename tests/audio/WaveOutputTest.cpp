// End to end: a played sound reaches OpenAL's output. OpenAL Soft's wave-file backend writes
// the mix to a file, which is then decoded and checked for the tone.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/audio/CSoundGroupManager.h"
#include "engine/audio/CSoundPackProcessor.h"
#include "engine/audio/CSoundProcessor.h"
#include "engine/audio/decoders/CWavDecoder.h"
#include "engine/audio/SoundPack.h"
#include "engine/content/CContentManager.h"
#include "engine/io/CFileSystem.h"
#include "tests/audio/openal/OpenALTestSupport.h"

namespace oskel {
namespace {

using namespace std::chrono_literals;

// Half a second of 1000 Hz at 22,050 frames per second; the device mixes at 44,100.
test::Bytes toneFile() { return test::makeWav16(test::makeTones(11025, 22050, {1000}), 1, 22050); }

// Plays through the driver and returns once the sound has ended; a text saying what went wrong,
// or none.
using Player = std::function<const char*(COpenALAudioDriver* driver)>;

// Runs in a fresh process: OpenAL reads the configuration named by ALSOFT_CONF on first use.
void playToWaveFile(const std::string& folder, const Player& play) {
    const std::string output = folder + "/out.wav", config = folder + "/alsoft.conf";
    {
        std::ofstream conf(config);
        conf << "[general]\ndrivers = wave\nfrequency = 44100\nchannels = stereo\nsample-type = int16\n"
             << "[wave]\nfile = " << output << "\n";
    }
    setenv("ALSOFT_CONF", config.c_str(), 1);
    setenv("ALSOFT_DRIVERS", "wave", 1);

    auto fail = [](const char* why) {
        std::fprintf(stderr, "failed: %s\n", why);
        std::fflush(stderr);
        std::_Exit(1);
    };
    {
        CRefPtr<COpenALAudioDriver> driver = CRefPtr<COpenALAudioDriver>::fromRaw(
            static_cast<COpenALAudioDriver*>(createOpenALAudioDriver(nullptr)));
        if (!driver) fail("no driver");
        if (const char* why = play(driver.get())) fail(why);
        std::this_thread::sleep_for(100ms);  // let the mixer write the tail
    }  // closing the device completes the file

    std::ifstream in(output, std::ios::binary);
    const test::Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    CRefPtr<IReadableFile> file = CRefPtr<IReadableFile>::fromRaw(test::openBytes(bytes, "out.wav"));
    CWavDecoder decoder(file.get());
    if (decoder.getSamples() <= 0 || decoder.getFormat() != SoundFormatStereo16) fail("output not stereo 16-bit");
    if (decoder.getSampleRate() != 44100) fail("output rate");
    std::vector<std::int16_t> pcm(static_cast<size_t>(decoder.getSamples()) * 2);
    const u32 frames = decoder.read(pcm.data(), static_cast<u32>(decoder.getSamples()));

    // The non-silent part: about half a second at the output's rate.
    u32 first = frames, last = 0;
    for (u32 i = 0; i < frames; ++i)
        if (std::abs(pcm[i * 2]) > 300) {
            if (first == frames) first = i;
            last = i;
        }
    if (first == frames) fail("silent output");
    const u32 sounding = last - first + 1;
    std::fprintf(stderr, "sounding frames %u\n", sounding);
    if (sounding < 44100 * 4 / 10 || sounding > 44100 * 6 / 10) fail("wrong length");
    // The tone is 1000 Hz, not its octaves.
    const double at = test::tonePower(pcm.data() + first * 2, sounding, 2, 0, 44100, 1000);
    const double below = test::tonePower(pcm.data() + first * 2, sounding, 2, 0, 44100, 500);
    const double above = test::tonePower(pcm.data() + first * 2, sounding, 2, 0, 44100, 2000);
    std::fprintf(stderr, "power %g %g %g\n", at, below, above);
    if (!(at > 0.001 && at > 50 * below && at > 50 * above)) fail("wrong frequency");
    std::fprintf(stderr, "tone reached the output\n");
    std::fflush(stderr);
    std::_Exit(0);
}

// A sound made by the driver, played directly.
const char* playSound(COpenALAudioDriver* driver, bool streamed) {
    driver->setStreamingThreshold(streamed ? 0 : 0x20000);
    CRefPtr<IReadableFile> file = CRefPtr<IReadableFile>::fromRaw(test::openBytes(toneFile(), "tone.wav"));
    CRefPtr<ISound> sound =
        CRefPtr<ISound>::fromRaw(driver->createSound(file.get(), CCreationContext(nullptr, "tone.wav")));
    if (!sound) return "no sound";
    if (!sound->play()) return "not played";
    if (!test::waitFor([&] { return sound->getState() == SoundStopped; }, 20s)) return "never ended";
    return nullptr;
}

// The game's way: a sound pack on the disk, loaded through the content manager, its cue played
// by the sound group manager, which is updated until it has released the instance.
const char* playPackCue(COpenALAudioDriver* driver, const std::string& folder, bool streamed) {
    driver->setStreamingThreshold(0x20000);
    {
        std::ofstream wav(folder + "/tone.wav", std::ios::binary);
        const test::Bytes bytes = toneFile();
        wav.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        std::ofstream pack(folder + "/SoundPack.xml");
        pack << "<SoundPack>\n  <SoundCue Name=\"Tone\" GroupID=\"0\" StreamingType=\"" << (streamed ? 1 : 2)
             << "\">\n    <Sound Filename=\"tone.wav\"/>\n  </SoundCue>\n</SoundPack>\n";
    }
    CRefPtr<CFileSystem> fileSystem = CRefPtr<CFileSystem>::fromRaw(new CFileSystemLinux());
    CRefPtr<CContentProcessorsManager> processors =
        makeRef<CContentProcessorsManager>();
    processors->registerProcessor(CRefPtr<IContentProcessor>::fromRaw(new CSoundProcessor(driver)).get());
    processors->registerProcessor(
        CRefPtr<IContentProcessor>::fromRaw(new CSoundPackProcessor(fileSystem.get(), driver)).get());
    CRefPtr<CContentManager> content =
        makeRef<CContentManager>(fileSystem.get(), processors.get());
    CRefPtr<CResource> pack = CRefPtr<CResource>::fromRaw(
        content->getContentByPath(TypeCodeSoundPack, (folder + "/SoundPack.xml").c_str(), false));
    if (!pack || pack->getTypeCode() != TypeCodeSoundPack) return "no sound pack";
    CRefPtr<CSoundGroupManager> manager = makeRef<CSoundGroupManager>(driver);
    if (static_cast<SoundPack*>(pack.get())->registerCues(manager.get()) != 1) return "cue not registered";
    SoundCue* instance = manager->playCue("Tone");
    if (!instance) return "cue not played";
    const bool isStream = dynamic_cast<COpenALStreamedSound*>(instance->getCurrentSound()) != nullptr;
    if (isStream != streamed) return "wrong kind of sound";
    const bool released = test::waitFor(
        [&] {
            manager->update(10);
            return manager->getPlayingCount() == 0;
        },
        20s);
    return released ? nullptr : "cue never ended";
}

class WaveOutputTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/oskel-wave-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string folder;
};

TEST_P(WaveOutputTest, PlayedToneReachesTheOutput) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const bool streamed = GetParam();
    EXPECT_EXIT(playToWaveFile(folder, [&](COpenALAudioDriver* driver) { return playSound(driver, streamed); }),
                ::testing::ExitedWithCode(0), "tone reached the output");
}

TEST_P(WaveOutputTest, SoundPackCueReachesTheOutput) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const bool streamed = GetParam();
    EXPECT_EXIT(playToWaveFile(folder,
                               [&](COpenALAudioDriver* driver) { return playPackCue(driver, folder, streamed); }),
                ::testing::ExitedWithCode(0), "tone reached the output");
}

INSTANTIATE_TEST_SUITE_P(BufferedAndStreamed, WaveOutputTest, ::testing::Bool());

}  // namespace
}  // namespace oskel
