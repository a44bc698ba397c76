// End to end: a played sound reaches OpenAL's output. OpenAL Soft's wave-file backend writes
// the mix to a file, which is then decoded and checked for the tone.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/audio/CWavDecoder.h"
#include "tests/audio/OpenALTestSupport.h"

namespace oskel {
namespace {

using namespace std::chrono_literals;

// Runs in a fresh process: OpenAL reads the configuration named by ALSOFT_CONF on first use.
void playToWaveFile(const std::string& folder, bool streamed) {
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
        // Half a second of 1000 Hz at 22,050 frames per second; the device mixes at 44,100.
        driver->setStreamingThreshold(streamed ? 0 : 0x20000);
        CRefPtr<IReadableFile> file = CRefPtr<IReadableFile>::fromRaw(test::openBytes(
            test::makeWav16(test::makeTones(11025, 22050, {1000}), 1, 22050), "tone.wav"));
        CRefPtr<ISound> sound =
            CRefPtr<ISound>::fromRaw(driver->createSound(file.get(), CCreationContext(nullptr, "tone.wav")));
        if (!sound) fail("no sound");
        if (!sound->play()) fail("not played");
        if (!test::waitFor([&] { return sound->getState() == SoundStopped; }, 20s)) fail("never ended");
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

class WaveOutputTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/oskel-wave-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override {
        std::remove((folder + "/out.wav").c_str());
        std::remove((folder + "/alsoft.conf").c_str());
        rmdir(folder.c_str());
    }
    std::string folder;
};

TEST_P(WaveOutputTest, PlayedToneReachesTheOutput) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(playToWaveFile(folder, GetParam()), ::testing::ExitedWithCode(0), "tone reached the output");
}

INSTANTIATE_TEST_SUITE_P(BufferedAndStreamed, WaveOutputTest, ::testing::Bool());

}  // namespace
}  // namespace oskel
