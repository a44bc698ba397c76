// Fuzz target: the BMP loader on any input.

#include "tests/fuzz/ImageFuzzCommon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    oskel::fuzz::loadOnce(oskel::CImageLoaderBMP(), data, size, "fuzz.bmp");
    return 0;
}
