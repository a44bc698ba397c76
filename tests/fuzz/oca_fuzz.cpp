// Opens arbitrary bytes as an enciphered archive with an empty, a short and the game's key,
// looks every entry up and reads it to the end.

#include <cstdint>
#include <vector>

#include "engine/core/CLogger.h"
#include "engine/io/CCryptedArchive.h"
#include "engine/io/CMemoryFile.h"
#include "tests/io/ArchiveWriters.h"

using namespace oskel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = (CLogger::instance().setOutputHook([](const char*, const char*, s32) {}), true);
    (void)quiet;
    if (size > 1u << 24) return 0;
    std::vector<u8> bytes(data, data + size);
    const char* keys[] = {"", "k3y", oskel::test::kGameAssetsKey};
    for (int k = 0; k < 3; ++k) {
        auto* file = new CMemoryFile(bytes.data(), static_cast<s32>(bytes.size()), "fuzz.oca", false);
        auto* archive = new CCryptedArchive(file, keys[k], k == 1, k == 1);
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
