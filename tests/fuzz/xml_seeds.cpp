// Writes seed files for the XML fuzz targets into the folder given as the argument (see
// XmlSeeds.h).
#include <cstdio>
#include <string>

#include "tests/fuzz/XmlSeeds.h"

using namespace oskel;

namespace {

bool save(const std::string& folder, const std::string& name, const std::string& bytes) {
    const std::string path = folder + "/" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    bool ok = true;
    for (const auto& [name, bytes] : test::xmlseeds::seedFiles())
        ok = save(folder, name, bytes) && ok;
    if (!ok) {
        std::fprintf(stderr, "could not write the seeds into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
