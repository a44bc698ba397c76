// The WAVE and Ogg Vorbis decoders and the loader registry.

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/audio/decoders/COggVorbisDecoder.h"
#include "engine/audio/CSoundLoaderRegistry.h"
#include "engine/audio/openal/COpenALSound.h"
#include "engine/audio/decoders/CWavDecoder.h"
#include "engine/core/CRefPtr.h"
#include "tests/audio/AudioTestSupport.h"
#include "tests/support/TestSupport.h"

namespace oskel {
namespace {

using test::Bytes;

CRefPtr<IReadableFile> fileOf(const Bytes& bytes, const char* name = "sound.wav") {
    return CRefPtr<IReadableFile>::fromRaw(test::openBytes(bytes, name));
}

Bytes bytesOf(std::initializer_list<std::uint8_t> list) { return Bytes(list); }

Bytes dataBytes(size_t n, std::uint8_t first = 1) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(first + i);
    return b;
}

struct WavCase {
    const char* what;
    Bytes file;
    s32 format;     // expected format code; 0: no decoder
    s32 samples;    // expected frames
};

std::vector<WavCase> wavCases() {
    std::vector<WavCase> cases;
    {
        Bytes c;
        test::appendChunk(c, "fmt ", test::wavFormatBody(1, 2, 22050, 16));
        test::appendChunk(c, "data", dataBytes(40));
        cases.push_back({"stereo 16-bit PCM", test::wrapRiff(c), 4, 10});
    }
    {
        // An odd-sized chunk before the format: one pad byte follows it.
        Bytes c;
        test::appendChunk(c, "LIST", dataBytes(7));
        test::appendChunk(c, "fmt ", test::wavFormatBody(1, 1, 8000, 16));
        test::appendChunk(c, "junk", dataBytes(3));
        test::appendChunk(c, "data", dataBytes(20));
        cases.push_back({"odd chunks with pad bytes", test::wrapRiff(c), 3, 10});
    }
    {
        Bytes c;
        test::appendChunk(c, "fmt ", test::wavFormatBody(1, 2, 8000, 8));
        test::appendChunk(c, "data", dataBytes(9));
        cases.push_back({"stereo 8-bit PCM (odd data)", test::wrapRiff(c), 2, 4});
    }
    {
        Bytes c;
        test::appendChunk(c, "fmt ", test::wavFormatBody(1, 1, 8000, 24));
        test::appendChunk(c, "data", dataBytes(12));
        cases.push_back({"24 bits counts as 8", test::wrapRiff(c), 1, 12});
    }
    {
        Bytes c;
        test::appendChunk(c, "FMT ", test::wavFormatBody(1, 4, 8000, 16));
        test::appendChunk(c, "data", dataBytes(16));
        Bytes f = test::wrapRiff(c);
        std::memcpy(f.data(), "riff", 4);
        std::memcpy(f.data() + 8, "wave", 4);
        cases.push_back({"ids in other case, quad PCM", f, 6, 2});
    }
    {
        Bytes c;
        test::appendChunk(c, "fmt ", test::wavFormatBody(1, 4, 8000, 8));
        test::appendChunk(c, "data", dataBytes(16));
        cases.push_back({"quad 8-bit unsupported", test::wrapRiff(c), 0, 0});
    }
    const struct {
        std::uint16_t channels;
        std::uint16_t bits;
        std::uint32_t mask;
        s32 format;
    } extensible[] = {
        {1, 16, 4, 3}, {1, 8, 4, 1}, {2, 16, 3, 4}, {2, 8, 3, 2}, {2, 16, 48, 5}, {4, 16, 51, 6},
        {6, 16, 63, 7}, {7, 16, 319, 8}, {8, 16, 1599, 9}, {6, 8, 63, 0}, {2, 16, 5, 0}, {6, 16, 0x60F, 0},
    };
    for (const auto& e : extensible) {
        Bytes c;
        test::appendChunk(c, "fmt ", test::wavFormatBody(0xFFFE, e.channels, 44100, e.bits, e.mask));
        const u32 frameBytes = e.channels * (e.bits == 16 ? 2u : 1u);
        test::appendChunk(c, "data", dataBytes(frameBytes * 3));
        cases.push_back({"extensible", test::wrapRiff(c), e.format, e.format ? 3 : 0});
    }
    {
        Bytes c;
        test::appendChunk(c, "fmt ", test::wavFormatBody(3, 1, 8000, 32));
        test::appendChunk(c, "data", dataBytes(16));
        cases.push_back({"float tag", test::wrapRiff(c), 0, 0});
    }
    {
        Bytes c;
        test::appendChunk(c, "fmt ", test::wavFormatBody(1, 1, 8000, 16));
        cases.push_back({"no data chunk", test::wrapRiff(c), 0, 0});
    }
    {
        Bytes c;
        test::appendChunk(c, "data", dataBytes(16));
        cases.push_back({"no format chunk", test::wrapRiff(c), 0, 0});
    }
    {
        Bytes c;
        test::appendChunk(c, "fmt ", test::wavFormatBody(1, 1, 8000, 16));
        test::appendChunk(c, "data", Bytes());
        cases.push_back({"empty data", test::wrapRiff(c), 0, 0});
    }
    {
        // The data chunk claims 4 GiB: the data is what the file holds.
        Bytes c;
        test::appendChunk(c, "fmt ", test::wavFormatBody(1, 1, 8000, 16));
        c.insert(c.end(), {'d', 'a', 't', 'a'});
        test::appendU32(c, 0xFFFFFFFFu);
        Bytes d = dataBytes(10);
        c.insert(c.end(), d.begin(), d.end());
        cases.push_back({"data size beyond the file", test::wrapRiff(c), 3, 5});
    }
    {
        // A chunk that claims more than the file holds ends the walk before the data.
        Bytes c;
        test::appendChunk(c, "fmt ", test::wavFormatBody(1, 1, 8000, 16));
        c.insert(c.end(), {'b', 'i', 'g', ' '});
        test::appendU32(c, 0xFFFFFFF0u);
        test::appendChunk(c, "data", dataBytes(8));
        cases.push_back({"chunk size beyond the file", test::wrapRiff(c), 0, 0});
    }
    {
        // A format chunk larger than 40 bytes is skipped, not read.
        Bytes c;
        test::appendChunk(c, "fmt ", dataBytes(64));
        test::appendChunk(c, "data", dataBytes(8));
        cases.push_back({"oversized format chunk", test::wrapRiff(c), 0, 0});
    }
    cases.push_back({"not RIFF", bytesOf({'R', 'I', 'F', 'X', 0, 0, 0, 0, 'W', 'A', 'V', 'E'}), 0, 0});
    cases.push_back({"too short", bytesOf({'R', 'I', 'F', 'F'}), 0, 0});
    cases.push_back({"empty", Bytes(), 0, 0});
    {
        Bytes c;
        test::appendChunk(c, "fmt ", test::wavFormatBody(1, 1, 8000, 16));
        c.insert(c.end(), {'d', 'a'});  // a chunk header cut short
        cases.push_back({"truncated chunk header", test::wrapRiff(c), 0, 0});
    }
    return cases;
}

TEST(WavDecoder, HeaderTable) {
    test::LogCapture log;
    for (const WavCase& c : wavCases()) {
        SCOPED_TRACE(c.what);
        auto file = fileOf(c.file);
        auto decoder = makeRef<CWavDecoder>(file.get());
        EXPECT_EQ(decoder->getFormat() != 0 && decoder->getSamples() > 0 ? decoder->getFormat() : 0, c.format);
        EXPECT_EQ(decoder->getSamples(), c.samples);
        if (c.samples > 0) {
            EXPECT_EQ(decoder->getName(), stringc("sound.wav"));
            EXPECT_TRUE(decoder->rewind());
        }
        // The registry gives a decoder exactly for the accepted files.
        file->seek(0);
        CRefPtr<CSoundDecoder> viaRegistry =
            CRefPtr<CSoundDecoder>::fromRaw(CSoundLoaderRegistry::instance().load(file.get(), CCreationContext()));
        EXPECT_EQ(viaRegistry != nullptr, c.samples > 0);
    }
}

TEST(WavDecoder, ReadsStopAtTheEndOfTheDataChunk) {
    // Data of 3 stereo 16-bit frames, then a trailing chunk the decoder must not play.
    Bytes c;
    test::appendChunk(c, "fmt ", test::wavFormatBody(1, 2, 8000, 16));
    test::appendChunk(c, "data", dataBytes(12, 1));
    test::appendChunk(c, "LIST", Bytes(64, 0xEE));
    auto file = fileOf(test::wrapRiff(c));
    CWavDecoder decoder(file.get());
    ASSERT_EQ(decoder.getSamples(), 3);

    std::uint8_t out[256];
    std::memset(out, 0, sizeof out);
    EXPECT_EQ(decoder.read(out, 2), 2u);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[7], 8);
    std::memset(out, 0, sizeof out);
    EXPECT_EQ(decoder.read(out, 50), 1u);  // only the last frame, not the LIST chunk
    EXPECT_EQ(out[0], 9);
    EXPECT_EQ(out[3], 12);
    EXPECT_EQ(out[4], 0);
    EXPECT_EQ(decoder.read(out, 50), 0u);

    ASSERT_TRUE(decoder.rewind());
    EXPECT_EQ(decoder.read(out, 50), 3u);
    EXPECT_EQ(out[0], 1);
}

TEST(WavDecoder, DataChunkBeforeTheFormatChunk) {
    Bytes c;
    test::appendChunk(c, "data", dataBytes(8, 10));
    test::appendChunk(c, "fmt ", test::wavFormatBody(1, 1, 8000, 16));
    auto file = fileOf(test::wrapRiff(c));
    CWavDecoder decoder(file.get());
    ASSERT_EQ(decoder.getSamples(), 4);
    std::uint8_t out[8] = {};
    EXPECT_EQ(decoder.read(out, 4), 4u);
    EXPECT_EQ(out[0], 10);
    EXPECT_EQ(out[7], 17);
}

TEST(WavDecoder, RejectedFileIsLogged) {
    test::LogCapture log;
    auto file = fileOf(bytesOf({'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' '}));
    CWavDecoder decoder(file.get());
    EXPECT_EQ(decoder.getSamples(), 0);
    EXPECT_TRUE(log.contains("Invalid WAVE file header", LogWarning));
}

// Decodes a whole stream.
std::vector<std::int16_t> decodeAll(CSoundDecoder& decoder) {
    std::vector<std::int16_t> out(static_cast<size_t>(decoder.getSamples()) * decoder.getChannels());
    u32 frames = 0;
    while (frames < static_cast<u32>(decoder.getSamples())) {
        const u32 got = decoder.read(out.data() + static_cast<size_t>(frames) * decoder.getChannels(),
                                     static_cast<u32>(decoder.getSamples()) - frames);
        if (got == 0) break;
        frames += got;
    }
    out.resize(static_cast<size_t>(frames) * decoder.getChannels());
    return out;
}

TEST(OggVorbisDecoder, ChannelLayouts) {
    const struct {
        std::vector<double> tones;
        s32 format;
    } cases[] = {{{440}, 3}, {{330, 550}, 4}, {{200, 300, 400, 500}, 6}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tones.size());
        const int channels = static_cast<int>(c.tones.size());
        auto file = fileOf(test::makeOgg(test::makeTones(22050, 22050, c.tones), channels, 22050), "tone.ogg");
        COggVorbisDecoder decoder(file.get());
        ASSERT_TRUE(decoder.isOpened());
        EXPECT_EQ(decoder.getFormat(), c.format);
        EXPECT_EQ(decoder.getChannels(), channels);
        EXPECT_EQ(decoder.getSampleRate(), 22050);
        EXPECT_EQ(decoder.getSamples(), 22050);
        EXPECT_EQ(decoder.getName(), stringc("tone.ogg"));
        const auto pcm = decodeAll(decoder);
        ASSERT_EQ(pcm.size(), 22050u * channels);
        for (int ch = 0; ch < channels; ++ch)
            EXPECT_GT(test::tonePower(pcm.data(), 22050, channels, ch, 22050, c.tones[ch]), 0.01);
        // After a rewind the stream reads the same again.
        ASSERT_TRUE(decoder.rewind());
        EXPECT_EQ(decodeAll(decoder), pcm);
    }
}

TEST(OggVorbisDecoder, SixChannelsAreReorderedForOpenAL) {
    // Vorbis order: FL, C, FR, RL, RR, LFE, each with a tone of its own.
    const std::vector<double> tones = {300, 500, 700, 900, 1100, 1300};
    auto file = fileOf(test::makeOgg(test::makeTones(22050, 22050, tones), 6, 22050), "six.ogg");
    COggVorbisDecoder decoder(file.get());
    ASSERT_EQ(decoder.getFormat(), 7);
    const auto pcm = decodeAll(decoder);
    ASSERT_EQ(pcm.size(), 22050u * 6);
    // Output order: FL, FR, C, LFE, RL, RR.
    const int source[6] = {0, 2, 1, 5, 3, 4};
    for (int out = 0; out < 6; ++out) {
        SCOPED_TRACE(out);
        int loudest = -1;
        double best = 0;
        for (int t = 0; t < 6; ++t) {
            const double p = test::tonePower(pcm.data(), 22050, 6, out, 22050, tones[t]);
            if (p > best) best = p, loudest = t;
        }
        EXPECT_EQ(loudest, source[out]);
    }
}

TEST(OggVorbisDecoder, UnsupportedAndBrokenStreams) {
    test::LogCapture log;
    {
        // Three channels have no OpenAL layout.
        auto file = fileOf(test::makeOgg(test::makeTones(4000, 8000, {200, 300, 400}), 3, 8000), "three.ogg");
        COggVorbisDecoder decoder(file.get());
        EXPECT_FALSE(decoder.isOpened());
        EXPECT_EQ(decoder.getFormat() != 0 && decoder.getSamples() > 0, false);
        EXPECT_EQ(decoder.getSamples(), 0);
        EXPECT_TRUE(log.contains("Unsupported Ogg Vorbis channel layout", LogWarning));
        std::int16_t out[16];
        EXPECT_EQ(decoder.read(out, 4), 0u);
    }
    {
        auto file = fileOf(Bytes(100, 'x'), "noise.ogg");
        COggVorbisDecoder decoder(file.get());
        EXPECT_FALSE(decoder.isOpened());
        EXPECT_TRUE(log.contains("Invalid Ogg Vorbis stream", LogWarning));
    }
    {
        // A stream cut in the middle: it opens (its length is unknown without the last page,
        // so it is refused) or reads what is there; never more.
        Bytes ogg = test::makeOgg(test::makeTones(44100, 22050, {440}), 1, 22050);
        ogg.resize(ogg.size() / 2);
        auto file = fileOf(ogg, "cut.ogg");
        COggVorbisDecoder decoder(file.get());
        if (decoder.isOpened()) {
            std::vector<std::int16_t> out(200000);
            u32 total = 0, got;
            while ((got = decoder.read(out.data(), 1000)) > 0) total += got;
            EXPECT_LE(total, 44100u);
        }
    }
}

// A decoder that reports any layout and length and gives a few frames of silence.
class ClaimingDecoder : public CSoundDecoder {
public:
    ClaimingDecoder(s32 channels, s32 format, s32 samples, u32 realFrames) : m_left(realFrames) {
        m_channels = channels;
        m_format = format;
        m_samples = samples;
        m_sampleRate = 44100;
    }
    u32 read(void* buffer, u32 frames) override {
        const u32 n = frames < m_left ? frames : m_left;
        std::memset(buffer, 0, static_cast<size_t>(n) * getFrameBytes());
        m_left -= n;
        return n;
    }

private:
    u32 m_left;
};

TEST(SoundDecoder, DecodedSizeIsComputedIn64Bits) {
    const struct {
        s32 channels, format, samples;
        std::uint64_t size;
    } cases[] = {
        {2, 4, 32768, 0x20000},
        {1, 1, 1000, 1000},
        {8, 9, 0x7FFFFFFF, 0x7FFFFFFFull * 16},  // 32 GiB, not its low 32 bits
        {6, 7, 0x40000000, 0x40000000ull * 12},
        {2, 4, 0, 0},
    };
    for (const auto& c : cases) {
        ClaimingDecoder decoder(c.channels, c.format, c.samples, 0);
        EXPECT_EQ(decoder.getDecodedSize(), c.size) << c.channels << " " << c.samples;
    }
}

TEST(SoundData, KeepsOnlyWholeStreams) {
    {
        // A length the stream does not hold: nothing is kept (and nothing that large allocated).
        ClaimingDecoder decoder(2, 4, 100000000, 500);
        CSoundData data(&decoder);
        EXPECT_FALSE(data.hasData());
        EXPECT_EQ(data.getData(), nullptr);
    }
    {
        ClaimingDecoder decoder(2, 4, 70000, 70000);
        CSoundData data(&decoder);
        ASSERT_TRUE(data.hasData());
        EXPECT_EQ(data.getSize(), 280000u);
        EXPECT_EQ(data.getSamples(), 70000);
        EXPECT_EQ(data.getFormat(), 4);
    }
    {
        ClaimingDecoder decoder(2, 0, 100, 100);  // no format
        EXPECT_FALSE(CSoundData(&decoder).hasData());
    }
}

TEST(SoundLoaderRegistry, NamePassThenContentPass) {
    const Bytes wav = test::makeWav16(test::makeTones(100, 8000, {440}), 1, 8000);
    const Bytes ogg = test::makeOgg(test::makeTones(4000, 8000, {440}), 1, 8000);
    CSoundLoaderRegistry& registry = CSoundLoaderRegistry::instance();
    ASSERT_EQ(registry.getLoaderCount(), 2u);
    EXPECT_TRUE(registry.getLoader(0)->isLoadableFileExtension("a.wav"));
    EXPECT_FALSE(registry.getLoader(0)->isLoadableFileExtension("a.WAV"));
    EXPECT_TRUE(registry.getLoader(1)->isLoadableFileExtension("music.ogg.bak"));

    const struct {
        const Bytes* bytes;
        const char* name;
        bool ogg;
    } cases[] = {
        {&ogg, "music.ogg", true},     // name pass
        {&wav, "click.wav", false},    // name pass
        {&wav, "click.snd", false},    // content pass
        {&ogg, "music.bin", true},     // content pass
        {&ogg, "mislabelled.wav", true},  // the name's loader fails, the content pass finds it
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto file = fileOf(*c.bytes, c.name);
        file->seek(5);  // the registry starts every attempt at the file's start
        auto decoder = CRefPtr<CSoundDecoder>::fromRaw(registry.load(file.get(), CCreationContext()));
        ASSERT_TRUE(decoder);
        EXPECT_EQ(dynamic_cast<COggVorbisDecoder*>(decoder.get()) != nullptr, c.ogg);
        EXPECT_EQ(decoder->getName(), stringc(c.name));
    }

    test::LogCapture log;
    auto junk = fileOf(Bytes(64, 0), "junk.ogg");
    EXPECT_EQ(registry.load(junk.get(), CCreationContext()), nullptr);
    EXPECT_EQ(registry.load(nullptr, CCreationContext()), nullptr);
    EXPECT_TRUE(log.contains("No sound decoder for file", LogWarning));
}

}  // namespace
}  // namespace oskel
