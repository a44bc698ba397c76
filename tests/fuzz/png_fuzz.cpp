// Fuzz target: the PNG loader on any input.

#include "tests/fuzz/ImageFuzzCommon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    oskel::fuzz::loadOnce(oskel::CImageLoaderPNG(), data, size, "fuzz.png");
    return 0;
}
