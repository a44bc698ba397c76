#pragma once

#include <memory>

#include "engine/audio/decoders/CSoundDecoder.h"

struct OggVorbis_File;

namespace oskel {

// Decodes an Ogg Vorbis file into 16-bit PCM through the Vorbis file library. Six-channel
// streams are reordered from the Vorbis channel order to front left, front right, centre,
// low frequency, rear left, rear right.
class COggVorbisDecoder : public CSoundDecoder {
public:
    // Opens the stream from the file's start; the sample count stays 0 when that fails, when
    // the channel layout is not supported or when the stream's length is unknown.
    explicit COggVorbisDecoder(IReadableFile* file);
    ~COggVorbisDecoder() override;

    bool rewind() override;
    u32 read(void* buffer, u32 frames) override;

    bool isOpened() const { return m_opened; }

    // True when the Vorbis library opens the file (from its current position) and reports the
    // stream information. The file's position is left where the library stopped.
    static bool canOpen(IReadableFile* file);

private:
    CRefPtr<IReadableFile> m_file;
    std::unique_ptr<OggVorbis_File> m_vorbis;
    bool m_opened = false;
};

}  // namespace oskel
