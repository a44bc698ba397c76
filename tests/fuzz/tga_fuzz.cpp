// Fuzz target: the TGA loader on any input.

#include "tests/fuzz/ImageFuzzCommon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    oskel::fuzz::loadOnce(oskel::CImageLoaderTGA(), data, size, "fuzz.tga");
    return 0;
}
