// Seed writer for the WAVE fuzz target: small valid files of each layout the decoder takes.

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
    write(dir + "/mono16.wav", makeWav16(makeTones(64, 8000, {440}), 1, 8000));
    write(dir + "/stereo16.wav", makeWav16(makeTones(32, 8000, {440, 660}), 2, 8000));
    Bytes c;
    appendChunk(c, "LIST", Bytes(5, 'x'));
    appendChunk(c, "fmt ", wavFormatBody(1, 2, 8000, 8));
    appendChunk(c, "data", Bytes(33, 0x80));
    appendChunk(c, "junk", Bytes(7, 1));
    write(dir + "/stereo8.wav", wrapRiff(c));
    Bytes e;
    appendChunk(e, "fmt ", wavFormatBody(0xFFFE, 6, 44100, 16, 63));
    appendChunk(e, "data", Bytes(12 * 8, 0));
    write(dir + "/surround.wav", wrapRiff(e));
    return 0;
}
