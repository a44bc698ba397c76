// Fuzz target: the Ogg Vorbis decoder on arbitrary bytes: open, read everything, rewind, read
// again, and the whole-stream copy a buffered sound makes.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/audio/decoders/COggVorbisDecoder.h"
#include "engine/audio/openal/COpenALSound.h"
#include "engine/core/CLogger.h"
#include "engine/io/CMemoryFile.h"

using namespace oskel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool quiet = [] {
        CLogger::instance().setOutputHook([](const char*, const char*, s32) {});
        return true;
    }();
    (void)quiet;
    if (size > (1u << 20)) return 0;
    u8* copy = new u8[size ? size : 1];
    if (size) std::memcpy(copy, data, size);
    CMemoryFile* file = new CMemoryFile(copy, static_cast<s32>(size), "fuzz.ogg", true);

    COggVorbisDecoder* decoder = new COggVorbisDecoder(file);
    if (decoder->getSamples() > 0) {
        static std::int16_t buffer[4096 * 6];
        const u32 frames = 4096;
        for (int pass = 0; pass < 2; ++pass) {
            unsigned long long total = 0;
            u32 got;
            // The decoder reads at most what the stream holds; a bound keeps a run short.
            while ((got = decoder->read(buffer, frames)) > 0 && total < (1u << 22)) total += got;
            if (!decoder->rewind()) break;
        }
        CSoundData* whole = new CSoundData(decoder);
        if (whole->hasData() && whole->getSize() != decoder->getDecodedSize()) __builtin_trap();
        whole->drop();
    }
    decoder->drop();
    COggVorbisDecoder::canOpen(file);
    file->drop();
    return 0;
}
