#include "engine/audio/decoders/CWavDecoder.h"

#include <cstring>

#include "engine/core/CLogger.h"

namespace oskel {

namespace {

u16 readU16(const u8* p) { return static_cast<u16>(p[0] | (p[1] << 8)); }
u32 readU32(const u8* p) {
    return static_cast<u32>(p[0]) | (static_cast<u32>(p[1]) << 8) | (static_cast<u32>(p[2]) << 16) |
           (static_cast<u32>(p[3]) << 24);
}

bool sameId(const u8* p, const char* id) {
    for (int i = 0; i < 4; ++i) {
        char a = static_cast<char>(p[i]), b = id[i];
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
        if (a != b) return false;
    }
    return true;
}

// Reads exactly count bytes or fails.
bool readExact(IReadableFile* file, void* buffer, u32 count) {
    u8* out = static_cast<u8*>(buffer);
    u32 done = 0;
    while (done < count) {
        const s32 got = file->read(out + done, count - done);
        if (got <= 0) return false;
        done += static_cast<u32>(got);
    }
    return true;
}

}  // namespace

bool parseWavHeader(IReadableFile* file, SWavHeader& header) {
    header = SWavHeader();
    if (!file) return false;
    u8 riff[12];
    if (!readExact(file, riff, 12) || !sameId(riff, "RIFF") || !sameId(riff + 8, "WAVE")) return false;

    const long long fileSize = file->getSize();
    // Every turn moves at least one chunk header forward, so the walk ends at the file's end.
    for (;;) {
        const long long chunkStart = file->getPos();
        if (chunkStart < 0 || chunkStart + 8 > fileSize) break;
        u8 chunk[8];
        if (!readExact(file, chunk, 8)) break;
        const u32 size = readU32(chunk + 4);
        const long long bodyStart = chunkStart + 8;
        const long long bodyEnd = bodyStart + static_cast<long long>(size);

        if (sameId(chunk, "fmt ") && size <= 40) {
            u8 fmt[40] = {};
            if (!readExact(file, fmt, size)) break;
            const u16 tag = readU16(fmt);
            if (tag == 1) {
                header.kind = SWavHeader::KindPcm;
                header.formatTag = tag;
                header.channels = readU16(fmt + 2);
                header.sampleRate = readU32(fmt + 4);
                header.averageBytesPerSecond = readU32(fmt + 8);
                header.blockAlign = readU16(fmt + 12);
                header.bitsPerSample = readU16(fmt + 14);
                header.extensionSize = readU16(fmt + 16);
            } else if (tag == 0xFFFE) {
                header.kind = SWavHeader::KindExtensible;
                header.formatTag = tag;
                header.channels = readU16(fmt + 2);
                header.sampleRate = readU32(fmt + 4);
                header.averageBytesPerSecond = readU32(fmt + 8);
                header.blockAlign = readU16(fmt + 12);
                header.bitsPerSample = readU16(fmt + 14);
                header.extensionSize = readU16(fmt + 16);
                header.validBits = readU16(fmt + 18);
                header.channelMask = readU32(fmt + 20);
                std::memcpy(header.subFormat, fmt + 24, 16);
            }
        } else if (sameId(chunk, "data")) {
            // The data runs to the chunk's end or to the file's end, whichever comes first.
            const long long available = fileSize - bodyStart;
            const long long dataSize = static_cast<long long>(size) < available ? size : available;
            header.dataSize = dataSize > 0 ? static_cast<u32>(dataSize) : 0;
            header.dataPosition = static_cast<u32>(bodyStart);
        }

        // The next chunk starts after this one's body and its pad byte.
        const long long next = bodyEnd + (size & 1u);
        if (next >= fileSize) break;
        if (!file->seek(static_cast<long>(next))) break;
    }

    if (header.dataSize != 0 && header.dataPosition != 0 &&
        (header.kind == SWavHeader::KindPcm || header.kind == SWavHeader::KindExtensible))
        return true;
    header = SWavHeader();
    return false;
}

s32 getWavFormatCode(const SWavHeader& h) {
    const bool bits16 = h.bitsPerSample == 16;
    if (h.kind == SWavHeader::KindPcm) {
        switch (h.channels) {
            case 1: return bits16 ? SoundFormatMono16 : SoundFormatMono8;
            case 2: return bits16 ? SoundFormatStereo16 : SoundFormatStereo8;
            case 4: return bits16 ? SoundFormatQuad16 : SoundFormatUnsupported;
            default: return SoundFormatUnsupported;
        }
    }
    if (h.kind == SWavHeader::KindExtensible) {
        if (h.channels == 1 && h.channelMask == 4) return bits16 ? SoundFormatMono16 : SoundFormatMono8;
        if (h.channels == 2 && h.channelMask == 3) return bits16 ? SoundFormatStereo16 : SoundFormatStereo8;
        if (!bits16) return SoundFormatUnsupported;
        if (h.channels == 2 && h.channelMask == 48) return SoundFormatRear16;
        if (h.channels == 4 && h.channelMask == 51) return SoundFormatQuad16;
        if (h.channels == 6 && h.channelMask == 63) return SoundFormat51Chn16;
        if (h.channels == 7 && h.channelMask == 319) return SoundFormat61Chn16;
        if (h.channels == 8 && h.channelMask == 1599) return SoundFormat71Chn16;
    }
    return SoundFormatUnsupported;
}

CWavDecoder::CWavDecoder(IReadableFile* file) : m_file(file) {
    if (!file) return;
    if (!file->seek(0) || !parseWavHeader(file, m_header)) {
        CLogger::instance().logHint("Invalid WAVE file header", file->getFileName().c_str(), LogWarning);
        return;
    }
    const s32 format = getWavFormatCode(m_header);
    if (format == SoundFormatUnsupported) {
        CLogger::instance().logHint("Unsupported WAVE sample layout", file->getFileName().c_str(),
                                    LogWarning);
        return;
    }
    m_format = format;
    m_channels = m_header.channels;
    m_sampleRate = static_cast<s32>(m_header.sampleRate);
    const u32 frameBytes = getFrameBytes();
    m_samples = static_cast<s32>(m_header.dataSize / frameBytes);
    if (m_samples > 0) {
        m_name = file->getFileName();
        file->seek(static_cast<long>(m_header.dataPosition));
    }
}

bool CWavDecoder::rewind() {
    return m_file && m_samples > 0 && m_file->seek(static_cast<long>(m_header.dataPosition));
}

u32 CWavDecoder::read(void* buffer, u32 frames) {
    if (!m_file || m_samples <= 0 || !buffer) return 0;
    const u32 frameBytes = getFrameBytes();
    const long long dataEnd =
        static_cast<long long>(m_header.dataPosition) + static_cast<long long>(m_samples) * frameBytes;
    const long long pos = m_file->getPos();
    if (pos < m_header.dataPosition || pos >= dataEnd) return 0;
    const long long framesLeft = (dataEnd - pos) / frameBytes;
    const u32 wanted = static_cast<long long>(frames) < framesLeft ? frames : static_cast<u32>(framesLeft);
    u8* out = static_cast<u8*>(buffer);
    const u32 bytes = wanted * frameBytes;
    u32 done = 0;
    while (done < bytes) {
        const s32 got = m_file->read(out + done, bytes - done);
        if (got <= 0) break;
        done += static_cast<u32>(got);
    }
    // A trailing partial frame is given back to the file so the next read starts on a frame.
    const u32 whole = done / frameBytes;
    if (done % frameBytes) m_file->seek(-static_cast<long>(done % frameBytes), true);
    return whole;
}

}  // namespace oskel
