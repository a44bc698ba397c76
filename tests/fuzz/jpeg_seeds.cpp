// Seeds of the JPG loader's fuzz target: small valid files, written into the folder argv[1].

#include "tests/fuzz/ImageFuzzCommon.h"

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    oskel::fuzz::writeJpegSeeds(argv[1]);
    return 0;
}
