// Seeds of the image manager's fuzz target: every codec's seeds, each behind a first byte that
// names its extension, and once more behind the byte of a name without extension.

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "tests/fuzz/ImageFuzzCommon.h"

namespace {

// Moves every file of the folder into out twice: behind the codec's route byte and behind the
// byte of a name without extension.
void collect(const std::string& folder, oskel::u8 routeByte, const char* out) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        FILE* f = std::fopen((folder + "/" + entry->d_name).c_str(), "rb");
        if (!f) continue;
        oskel::test::Bytes bytes(1, routeByte);
        int c;
        while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<oskel::u8>(c));
        std::fclose(f);
        unlink((folder + "/" + entry->d_name).c_str());
        oskel::fuzz::writeSeed(out, "ext" + std::to_string(routeByte) + "_" + entry->d_name, bytes);
        bytes[0] = 7;
        oskel::fuzz::writeSeed(out, std::string("content_") + entry->d_name, bytes);
    }
    closedir(dir);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    using namespace oskel::fuzz;
    char stagingTemplate[] = "/tmp/oskel_image_seeds_XXXXXX";
    if (!mkdtemp(stagingTemplate)) return 1;
    const std::string staging = std::string(stagingTemplate) + "/";
    const struct {
        void (*write)(const char*);
        oskel::u8 route;
    } codecs[] = {{writePngSeeds, 0}, {writeJpegSeeds, 1}, {writeBmpSeeds, 2}, {writeTgaSeeds, 3},
                  {writePcxSeeds, 4}, {writeWalSeeds, 5},  {writePpmSeeds, 6}};
    for (const auto& codec : codecs) {
        const std::string folder = staging + std::to_string(codec.route);
        if (mkdir(folder.c_str(), 0700) != 0) return 1;
        codec.write(folder.c_str());
        collect(folder, codec.route, argv[1]);
        rmdir(folder.c_str());
    }
    rmdir(stagingTemplate);
    return 0;
}
