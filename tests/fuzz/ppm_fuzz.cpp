// Fuzz target: the PPM loader on any input.

#include "tests/fuzz/ImageFuzzCommon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    oskel::fuzz::loadOnce(oskel::CImageLoaderPPM(), data, size, "fuzz.ppm");
    return 0;
}
