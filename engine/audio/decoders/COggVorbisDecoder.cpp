#include "engine/audio/decoders/COggVorbisDecoder.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include <vorbis/vorbisfile.h>

#include "engine/core/CLogger.h"

namespace oskel {

namespace {

size_t readCallback(void* buffer, size_t size, size_t count, void* source) {
    IReadableFile* file = static_cast<IReadableFile*>(source);
    if (!buffer || size == 0 || count == 0) return 0;
    size_t bytes = size * count;
    if (bytes / size != count || bytes > static_cast<size_t>(INT_MAX)) bytes = INT_MAX;
    const s32 got = file->read(buffer, static_cast<u32>(bytes));
    return got > 0 ? static_cast<size_t>(got) / size : 0;
}

int seekCallback(void* source, ogg_int64_t offset, int whence) {
    IReadableFile* file = static_cast<IReadableFile*>(source);
    long long target;
    switch (whence) {
        case SEEK_SET: target = offset; break;
        case SEEK_CUR: target = static_cast<long long>(file->getPos()) + offset; break;
        case SEEK_END: target = static_cast<long long>(file->getSize()) + offset; break;
        default: return -1;
    }
    if (target < 0 || target > INT_MAX) return -1;
    return file->seek(static_cast<long>(target)) ? 0 : -1;
}

int closeCallback(void*) { return 0; }

long tellCallback(void* source) { return static_cast<IReadableFile*>(source)->getPos(); }

const ov_callbacks kCallbacks = {readCallback, seekCallback, closeCallback, tellCallback};

s32 formatForChannels(int channels) {
    switch (channels) {
        case 1: return SoundFormatMono16;
        case 2: return SoundFormatStereo16;
        case 4: return SoundFormatQuad16;
        case 6: return SoundFormat51Chn16;
        default: return SoundFormatUnsupported;
    }
}

// Vorbis orders six channels FL, C, FR, RL, RR, LFE; the output wants FL, FR, C, LFE, RL, RR.
void reorderSixChannels(s16* samples, u32 frames) {
    for (u32 i = 0; i < frames; ++i, samples += 6) {
        const s16 fl = samples[0], c = samples[1], fr = samples[2], rl = samples[3], rr = samples[4],
                  lfe = samples[5];
        samples[0] = fl;
        samples[1] = fr;
        samples[2] = c;
        samples[3] = lfe;
        samples[4] = rl;
        samples[5] = rr;
    }
}

// A read gives up after this many holes or errors in a row.
constexpr int kMaxReadErrors = 32;

}  // namespace

COggVorbisDecoder::COggVorbisDecoder(IReadableFile* file)
    : m_file(file), m_vorbis(new OggVorbis_File()) {
    if (!file) return;
    if (!file->seek(0) || ov_open_callbacks(file, m_vorbis.get(), nullptr, 0, kCallbacks) != 0) {
        CLogger::instance().logHint("Invalid Ogg Vorbis stream", file->getFileName().c_str(), LogWarning);
        return;
    }
    m_opened = true;
    const vorbis_info* info = ov_info(m_vorbis.get(), -1);
    if (info && info->rate > 0 && info->rate <= INT_MAX) {
        m_sampleRate = static_cast<s32>(info->rate);
        m_channels = info->channels;
        m_format = formatForChannels(info->channels);
        if (m_format != SoundFormatUnsupported) {
            // A negative total is an error code of the library, not a length.
            const ogg_int64_t total = ov_pcm_total(m_vorbis.get(), -1);
            if (total > 0) m_samples = total > INT_MAX ? INT_MAX : static_cast<s32>(total);
        }
    }
    if (m_samples > 0) {
        m_name = file->getFileName();
    } else {
        CLogger::instance().logHint(m_channels > 0 && m_format == SoundFormatUnsupported
                                        ? "Unsupported Ogg Vorbis channel layout"
                                        : "Ogg Vorbis stream without a known length",
                                    file->getFileName().c_str(), LogWarning);
        ov_clear(m_vorbis.get());
        m_opened = false;
    }
}

COggVorbisDecoder::~COggVorbisDecoder() {
    if (m_opened) ov_clear(m_vorbis.get());
}

bool COggVorbisDecoder::rewind() { return m_opened && ov_pcm_seek(m_vorbis.get(), 0) == 0; }

u32 COggVorbisDecoder::read(void* buffer, u32 frames) {
    if (!m_opened || !buffer || frames == 0) return 0;
    const u32 frameBytes = getFrameBytes();
    if (frameBytes == 0) return 0;
    // One call never asks for more than fits an int.
    const unsigned long long requested = static_cast<unsigned long long>(frames) * frameBytes;
    const unsigned long long limit = (static_cast<unsigned long long>(INT_MAX) / frameBytes) * frameBytes;
    const unsigned long long total = requested < limit ? requested : limit;
    char* out = static_cast<char*>(buffer);
    unsigned long long done = 0;
    int errors = 0;
    while (done < total) {
        int section = 0;
        const long got = ov_read(m_vorbis.get(), out + done, static_cast<int>(total - done), 0, 2, 1,
                                 &section);
        if (got == 0) break;
        if (got < 0) {
            // A hole or a broken link: skip it, but not for ever.
            if (got != OV_HOLE || ++errors >= kMaxReadErrors) break;
            continue;
        }
        errors = 0;
        done += static_cast<unsigned long long>(got);
    }
    // Chained streams may change their layout; only whole frames of ours count.
    const u32 whole = static_cast<u32>(done / frameBytes);
    if (m_channels == 6) reorderSixChannels(static_cast<s16*>(buffer), whole);
    return whole;
}

bool COggVorbisDecoder::canOpen(IReadableFile* file) {
    if (!file) return false;
    OggVorbis_File vorbis;
    std::memset(&vorbis, 0, sizeof(vorbis));
    if (ov_open_callbacks(file, &vorbis, nullptr, 0, kCallbacks) != 0) return false;
    const bool ok = ov_info(&vorbis, -1) != nullptr;
    ov_clear(&vorbis);
    return ok;
}

}  // namespace oskel
