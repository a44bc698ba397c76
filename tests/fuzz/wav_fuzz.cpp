// Fuzz target: the WAVE header parser and decoder on arbitrary bytes, through the loader
// registry's name and content passes.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/audio/CSoundLoaderRegistry.h"
#include "engine/audio/decoders/CWavDecoder.h"
#include "engine/core/CLogger.h"
#include "engine/io/CMemoryFile.h"

using namespace oskel;

namespace {

void drain(CSoundDecoder* decoder) {
    static std::uint8_t buffer[4096 * 16];
    const u32 frameBytes = decoder->getFrameBytes();
    if (frameBytes == 0) return;
    const u32 frames = sizeof(buffer) / frameBytes;
    for (int pass = 0; pass < 2; ++pass) {
        unsigned long long total = 0;
        u32 got;
        while ((got = decoder->read(buffer, frames)) > 0) {
            total += got;
            if (total > static_cast<unsigned long long>(decoder->getSamples())) __builtin_trap();
        }
        if (!decoder->rewind()) break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool quiet = [] {
        CLogger::instance().setOutputHook([](const char*, const char*, s32) {});
        return true;
    }();
    (void)quiet;
    if (size > (1u << 20)) return 0;
    u8* copy = new u8[size ? size : 1];
    if (size) std::memcpy(copy, data, size);
    CMemoryFile* file = new CMemoryFile(copy, static_cast<s32>(size), "fuzz.wav", true);

    CWavDecoder* decoder = new CWavDecoder(file);
    drain(decoder);
    decoder->drop();

    // The content pass under a name neither loader claims.
    CMemoryFile* unnamed = new CMemoryFile(copy, static_cast<s32>(size), "fuzz.bin", false);
    if (CSoundDecoder* found = CSoundLoaderRegistry::instance().load(unnamed, CCreationContext())) {
        drain(found);
        found->drop();
    }
    unnamed->drop();
    file->drop();
    return 0;
}
