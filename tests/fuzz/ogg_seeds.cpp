// Seed writer for the Ogg Vorbis fuzz target: short streams of 1, 2 and 6 channels.

#include <cstdio>
#include <string>

#include "tests/audio/AudioTestSupport.h"

using namespace oskel::test;

static void write(const std::string& path, const Bytes& bytes) {
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    const std::string dir = argv[1];
    write(dir + "/mono.ogg", makeOgg(makeTones(2000, 8000, {440}), 1, 8000));
    write(dir + "/stereo.ogg", makeOgg(makeTones(2000, 11025, {440, 660}), 2, 11025));
    write(dir + "/six.ogg", makeOgg(makeTones(1000, 8000, {200, 300, 400, 500, 600, 700}), 6, 8000));
    return 0;
}
