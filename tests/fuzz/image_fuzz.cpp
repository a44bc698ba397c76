// Fuzz target: the image manager's routing. The first byte picks the file name's extension (or
// none), so both the extension pass and the content pass run every loader, WAL included.

#include "tests/fuzz/ImageFuzzCommon.h"

namespace {

class ManagerLoader : public oskel::IImageLoader {
public:
    bool canLoadExtension(const oskel::stringc&) const override { return true; }
    bool canLoadContent(oskel::IReadableFile*) const override { return true; }
    oskel::CImage* loadImage(oskel::IReadableFile* file, const oskel::CCreationContext& context) const override {
        return oskel::getImageManager().loadImage(file, context);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const char* const names[8] = {"fuzz.png", "fuzz.jpg", "fuzz.bmp", "fuzz.tga",
                                         "fuzz.pcx", "fuzz.wal", "fuzz.pgm", "fuzz"};
    if (size < 1) return 0;
    static ManagerLoader loader;
    oskel::fuzz::loadOnce(loader, data + 1, size - 1, names[data[0] & 7]);
    return 0;
}
