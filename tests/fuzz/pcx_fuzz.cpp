// Fuzz target: the PCX loader on any input.

#include "tests/fuzz/ImageFuzzCommon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    oskel::fuzz::loadOnce(oskel::CImageLoaderPCX(), data, size, "fuzz.pcx");
    return 0;
}
