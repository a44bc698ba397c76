// Benchmarks of the sound code: decoding a minute of Ogg Vorbis through our decoder against the
// Vorbis file library alone (the decoder's overhead), and the worker's refill of eight streams.

#include <cstdlib>
#include <cstring>
#include <vector>

#include <benchmark/benchmark.h>
#include <vorbis/vorbisfile.h>

#include "engine/audio/decoders/COggVorbisDecoder.h"
#include "engine/audio/openal/COpenALAudioDriver.h"
#include "engine/audio/openal/COpenALStreamedSound.h"
#include "engine/core/CLogger.h"
#include "tests/audio/AudioTestSupport.h"

using namespace oskel;

namespace {

// One minute of stereo 44.1 kHz, made once.
const test::Bytes& minuteOfOgg() {
    static const test::Bytes bytes = test::makeOgg(test::makeTones(44100 * 60, 44100, {440, 554}), 2, 44100);
    return bytes;
}

void BM_OggDecodeOurs(benchmark::State& state) {
    const test::Bytes& ogg = minuteOfOgg();
    std::vector<std::int16_t> buffer(44100 * 2);
    long long frames = 0;
    for (auto _ : state) {
        IReadableFile* file = test::openBytes(ogg, "minute.ogg");
        COggVorbisDecoder decoder(file);
        file->drop();
        u32 got;
        while ((got = decoder.read(buffer.data(), 44100)) > 0) frames += got;
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetItemsProcessed(frames);
}
BENCHMARK(BM_OggDecodeOurs)->Unit(benchmark::kMillisecond);

// The library alone over the same bytes in memory.
struct MemorySource {
    const test::Bytes* bytes;
    size_t pos;
};

size_t memRead(void* out, size_t size, size_t count, void* source) {
    auto* m = static_cast<MemorySource*>(source);
    size_t n = size * count;
    if (n > m->bytes->size() - m->pos) n = m->bytes->size() - m->pos;
    std::memcpy(out, m->bytes->data() + m->pos, n);
    m->pos += n;
    return n / size;
}
int memSeek(void* source, ogg_int64_t offset, int whence) {
    auto* m = static_cast<MemorySource*>(source);
    long long target = whence == SEEK_SET ? offset : whence == SEEK_CUR ? static_cast<long long>(m->pos) + offset
                                                                        : static_cast<long long>(m->bytes->size()) + offset;
    if (target < 0 || target > static_cast<long long>(m->bytes->size())) return -1;
    m->pos = static_cast<size_t>(target);
    return 0;
}
long memTell(void* source) { return static_cast<long>(static_cast<MemorySource*>(source)->pos); }

void BM_OggDecodeLibraryAlone(benchmark::State& state) {
    const test::Bytes& ogg = minuteOfOgg();
    std::vector<char> buffer(44100 * 4);
    long long frames = 0;
    for (auto _ : state) {
        MemorySource source{&ogg, 0};
        OggVorbis_File vf;
        ov_open_callbacks(&source, &vf, nullptr, 0, ov_callbacks{memRead, memSeek, nullptr, memTell});
        int section;
        long got;
        while ((got = ov_read(&vf, buffer.data(), static_cast<int>(buffer.size()), 0, 2, 1, &section)) > 0)
            frames += got / 4;
        ov_clear(&vf);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetItemsProcessed(frames);
}
BENCHMARK(BM_OggDecodeLibraryAlone)->Unit(benchmark::kMillisecond);

// Priming refills of eight streams (three one-second chunks each), as the worker does them,
// with the worker held off by the active lock.
void BM_RefillEightStreams(benchmark::State& state) {
    setenv("ALSOFT_DRIVERS", "null", 0);
    CLogger::instance().setOutputHook([](const char*, const char*, s32) {});
    CRefPtr<COpenALAudioDriver> driver = CRefPtr<COpenALAudioDriver>::fromRaw(
        static_cast<COpenALAudioDriver*>(createOpenALAudioDriver(nullptr)));
    if (!driver) {
        state.SkipWithError("no OpenAL device");
        return;
    }
    driver->setStreamingThreshold(0);
    const test::Bytes ogg = test::makeOgg(test::makeTones(44100 * 10, 44100, {440, 554}), 2, 44100);
    std::vector<CRefPtr<COpenALStreamedSound>> streams;
    for (int i = 0; i < 8; ++i) {
        IReadableFile* file = test::openBytes(ogg, "music.ogg");
        streams.push_back(CRefPtr<COpenALStreamedSound>::fromRaw(
            static_cast<COpenALStreamedSound*>(driver->createSound(file, CCreationContext()))));
        file->drop();
    }
    CMutexLock hold(driver->getActiveLock());
    for (auto _ : state) {
        for (auto& stream : streams) stream->play();
        for (auto& stream : streams) stream->refill();
    }
    state.SetItemsProcessed(state.iterations() * 8 * 3 * 44100);
    for (auto& stream : streams) stream->stop();
}
BENCHMARK(BM_RefillEightStreams)->Unit(benchmark::kMillisecond);

}  // namespace
