// Writes small valid zip archives into the folder given as the argument.

#include <cstdio>
#include <string>

#include "tests/io/ArchiveWriters.h"

using namespace oskel::test;

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    const std::string dir = argv[1];
    const std::string text = "Some text that deflates well. Some text that deflates well.";
    ZipOptions noDirectory;
    noDirectory.centralDirectory = false;
    ZipOptions comment;
    comment.comment = "comment";
    ZipEntrySpec withExtra{"extra.txt", text, 8};
    withExtra.localExtra = "\x01\x02\x03\x04";
    const std::pair<const char*, std::string> seeds[] = {
        {"stored.zip", makeZip({{"a.txt", "A"}, {"dir/b.txt", text}})},
        {"deflated.zip", makeZip({{"a.txt", text, 8}, {"b.bin", std::string(300, '\0'), 8}})},
        {"descriptor.zip", makeZip({{"s.txt", text, 8, true}, {"t.txt", "T", 0, true}})},
        {"empty.zip", makeZip({})},
        {"nodirectory.zip", makeZip({{"a.txt", "A"}, {"b.txt", text, 8}}, noDirectory)},
        {"comment.zip", makeZip({withExtra, {"dir/", ""}}, comment)},
    };
    for (const auto& seed : seeds)
        if (!writeFileBytes(dir + "/" + seed.first, seed.second)) return 1;
    std::printf("%zu seeds\n", sizeof(seeds) / sizeof(seeds[0]));
    return 0;
}
