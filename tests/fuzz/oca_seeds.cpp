// Writes small valid enciphered archives into the folder given as the argument.

#include <cstdio>
#include <string>

#include "tests/io/ArchiveWriters.h"

using namespace oskel::test;

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    const std::string dir = argv[1];
    const std::vector<OcaEntrySpec> entries = {
        {"scenes/LogosScene.oscn", "<Scene/>"}, {"a.txt", "A"}, {"empty.txt", ""}};
    const std::pair<const char*, std::string> seeds[] = {
        {"plain.oca", makeOca(entries, "")},
        {"short-key.oca", makeOca(entries, "k3y")},
        {"game-key.oca", makeOca(entries, kGameAssetsKey)},
        {"table-first.oca", makeOca(entries, kGameAssetsKey, {true, 5})},
        {"empty.oca", makeOca({}, kGameAssetsKey)},
    };
    for (const auto& seed : seeds)
        if (!writeFileBytes(dir + "/" + seed.first, seed.second)) return 1;
    std::printf("%zu seeds\n", sizeof(seeds) / sizeof(seeds[0]));
    return 0;
}
