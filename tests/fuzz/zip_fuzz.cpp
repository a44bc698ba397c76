// Opens arbitrary bytes as a zip archive, looks every entry up and reads it to the end.

#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/core/CLogger.h"
#include "engine/io/CMemoryFile.h"
#include "engine/io/CZipArchive.h"

using namespace oskel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = (CLogger::instance().setOutputHook([](const char*, const char*, s32) {}), true);
    (void)quiet;
    if (size > 1u << 24) return 0;
    std::vector<u8> bytes(data, data + size);
    for (int flags = 0; flags < 4; ++flags) {
        auto* file = new CMemoryFile(bytes.data(), static_cast<s32>(bytes.size()), "fuzz.zip", false);
        auto* archive = new CZipArchive(file, flags & 1, flags & 2);
        file->drop();
        u8 buffer[4096];
        for (u32 i = 0; i < archive->getFileCount(); ++i) {
            const SArchiveEntry* entry = archive->getEntry(static_cast<s32>(i));
            archive->findFile(entry->simpleName);
            if (IReadableFile* f = archive->openFile(static_cast<s32>(i))) {
                while (f->read(buffer, sizeof(buffer)) > 0) {
                }
                f->drop();
            }
        }
        archive->drop();
    }
    return 0;
}
