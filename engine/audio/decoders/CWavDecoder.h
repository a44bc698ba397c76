#pragma once

#include "engine/audio/decoders/CSoundDecoder.h"

namespace oskel {

// What the header of a RIFF WAVE file says about its samples.
struct SWavHeader {
    enum EKind : s32 { KindNone = 0, KindPcm = 1, KindExtensible = 2 };

    s32 kind = KindNone;
    // The format chunk's first 40 bytes, in their file layout.
    u16 formatTag = 0;
    u16 channels = 0;
    u32 sampleRate = 0;
    u32 averageBytesPerSecond = 0;
    u16 blockAlign = 0;
    u16 bitsPerSample = 0;
    u16 extensionSize = 0;
    u16 validBits = 0;
    u32 channelMask = 0;
    u8 subFormat[16] = {};
    // The data chunk: its size (cut to what the file holds) and where its bytes start.
    u32 dataSize = 0;
    u32 dataPosition = 0;
};

// Reads the RIFF chunks of a WAVE file from the file's current position. True when a PCM or
// extensible format chunk and a non-empty data chunk were found; otherwise the header is
// cleared. Chunk sizes are checked against the file: a chunk that claims more than the file
// holds ends the walk, and the data size is cut to the bytes that follow its position.
bool parseWavHeader(IReadableFile* file, SWavHeader& header);

// The format code of a parsed header; 0 when the layout is not supported.
s32 getWavFormatCode(const SWavHeader& header);

// Decodes a RIFF WAVE file of 8- or 16-bit PCM.
class CWavDecoder : public CSoundDecoder {
public:
    // Parses the header from the file's start; the sample count stays 0 when it is unusable.
    explicit CWavDecoder(IReadableFile* file);
    ~CWavDecoder() override = default;

    bool rewind() override;
    // Reads whole frames from the current position; never past the end of the data chunk.
    u32 read(void* buffer, u32 frames) override;

    const SWavHeader& getHeader() const { return m_header; }

private:
    CRefPtr<IReadableFile> m_file;
    SWavHeader m_header;
};

}  // namespace oskel
