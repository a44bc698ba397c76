#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/io/CCryptedArchive.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CMemoryFile.h"
#include "tests/io/IoTestSupport.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace oskel::test;

namespace {

struct OcaFixture : ::testing::Test {
    LogCapture logs;
    std::string bytes;
    CCryptedArchive* archive = nullptr;

    ~OcaFixture() override {
        if (archive) archive->drop();
    }
    CCryptedArchive* load(std::string oca, const std::string& key, bool ignoreCase = false,
                          bool ignorePaths = false) {
        if (archive) archive->drop();
        bytes = std::move(oca);
        auto* file = new CMemoryFile(&bytes[0], static_cast<s32>(bytes.size()), "game\\assets.oca", false);
        archive = new CCryptedArchive(file, key.c_str(), ignoreCase, ignorePaths);
        file->drop();
        return archive;
    }
    std::string open(const char* name) {
        IReadableFile* file = archive->openFile(stringc(name));
        if (!file) return "<none>";
        std::string data = readAll(file) + " as " + file->getFileName().c_str();
        file->drop();
        return data;
    }
};

std::vector<OcaEntrySpec> sampleEntries() {
    std::string binary;
    for (int i = 0; i < 300; ++i) binary += static_cast<char>(i);
    return {{"scenes/LogosScene.oscn", "<Scene/>"},
            {"strings/Dictionary.xml", "<Dictionary>text</Dictionary>"},
            {"images/a.png", binary},
            {"a.txt", "A"}};
}

}  // namespace

TEST_F(OcaFixture, RoundTripsWithTheGameKeyAndOtherKeys) {
    const std::vector<OcaEntrySpec> entries = sampleEntries();
    struct Case {
        std::string key;
        OcaOptions options;
    };
    const Case cases[] = {
        {kGameAssetsKey, {}},
        {kGameAssetsKey, {true, 0}},
        {kGameAssetsKey, {false, 61}},
        {"", {}},
        {"k", {}},
        {"\xff\x80", {true, 3}},
    };
    for (const Case& c : cases) {
        load(makeOca(entries, c.key, c.options), c.key);
        ASSERT_EQ(archive->getFileCount(), entries.size()) << c.key;
        for (const OcaEntrySpec& e : entries)
            EXPECT_EQ(open(e.name.c_str()), e.data + " as " + e.name) << c.key << " " << e.name;
    }
    EXPECT_EQ(archive->getTypeName(), stringc("oca"));
    EXPECT_EQ(archive->getArchiveName(), stringc("game/assets.oca"));
    EXPECT_TRUE(logs.lines().empty());
}

TEST_F(OcaFixture, FilterPositionsFollowFileOffsets) {
    // Checked against the file's bytes directly: an entry at 16 starts at key position 0, one
    // at 16 + L + 3 at key position 3.
    const std::string key = "abcdefg";
    load(makeOca({{"x", "XYZ"}}, key, {false, static_cast<uint32_t>(key.size()) + 3}), key);
    ASSERT_EQ(archive->getEntry(0)->dataOffset, 16u + key.size() + 3);
    EXPECT_EQ(static_cast<char>(bytes[16 + key.size() + 3] ^ key[3]), 'X');
    EXPECT_EQ(open("x"), "XYZ as x");
    load(makeOca({{"x", "XYZ"}}, key), key);
    ASSERT_EQ(archive->getEntry(0)->dataOffset, 16u);
    EXPECT_EQ(static_cast<char>(bytes[16] ^ key[0]), 'X');

    // A key of one byte filters every byte from 16 on with that byte; the header is plain.
    const std::string plain = makeOca({{"n", "data"}}, "");
    const std::string filtered = makeOca({{"n", "data"}}, "\x2a");
    ASSERT_EQ(plain.size(), filtered.size());
    EXPECT_EQ(filtered.substr(0, 16), plain.substr(0, 16));
    for (size_t i = 16; i < plain.size(); ++i)
        EXPECT_EQ(static_cast<char>(filtered[i] ^ 0x2a), plain[i]) << i;

    u8 stream[5] = {1, 2, 3, 4, 5};
    EXPECT_EQ(xorKeyStream(stream, 5, "ab", 1), 0u);  // continues the cursor and hands it back
    EXPECT_EQ(stream[0], 1 ^ 'b');
    EXPECT_EQ(stream[1], 2 ^ 'a');
    EXPECT_EQ(xorKeyStream(stream, 5, "", 7), 7u);
}

TEST_F(OcaFixture, SortedLookupAndFlags) {
    load(makeOca({{"b.txt", "b"}, {"Dir/A.txt", "A"}, {"a.txt", "a"}}, kGameAssetsKey), kGameAssetsKey);
    std::vector<std::string> names;
    for (u32 i = 0; i < archive->getFileCount(); ++i)
        names.push_back(archive->getEntry(static_cast<s32>(i))->simpleName.c_str());
    EXPECT_EQ(names, (std::vector<std::string>{"Dir/A.txt", "a.txt", "b.txt"}));
    EXPECT_EQ(archive->getEntry(0)->path, stringc());
    EXPECT_EQ(archive->findFile("a.txt"), 1);
    EXPECT_EQ(archive->findFile("A.txt"), -1);
    EXPECT_EQ(archive->findFile("c.txt"), -1);
    EXPECT_EQ(archive->getEntry(3), nullptr);
    EXPECT_EQ(archive->openFile(3), nullptr);
    EXPECT_EQ(archive->openFile(-1), nullptr);

    load(bytes, kGameAssetsKey, true, true);
    EXPECT_EQ(open("x/y/A.TXT"), "A as a.txt");
}

TEST_F(OcaFixture, EmptyArchivesAndEmptyEntries) {
    load(makeOca({}, kGameAssetsKey), kGameAssetsKey);
    EXPECT_EQ(archive->getFileCount(), 0u);
    EXPECT_EQ(archive->findFile("a.txt"), -1);
    EXPECT_EQ(archive->findFile(""), -1);
    EXPECT_TRUE(logs.lines().empty());

    load(makeOca({{"empty.txt", ""}, {"full.txt", "x"}}, kGameAssetsKey), kGameAssetsKey);
    EXPECT_EQ(archive->findFile("empty.txt"), 0);
    EXPECT_EQ(open("empty.txt"), "<none>");
    EXPECT_EQ(open("full.txt"), "x as full.txt");
}

TEST_F(OcaFixture, WrongKeyOrDamageLeavesAnEmptyArchive) {
    const std::string good = makeOca(sampleEntries(), kGameAssetsKey);
    struct Case {
        const char* what;
        std::string bytes;
        const char* message;
        s32 level;
    };
    std::string badMagic = good;
    badMagic[3] = 'x';
    std::string tableOutside = good;
    setLE32(tableOutside, 4, static_cast<uint32_t>(good.size()) + 1);
    std::string tableInHeader = good;
    setLE32(tableInHeader, 4, 8);
    std::string hugeCount = good;
    setLE32(hugeCount, 8, 0xffffffffu);
    std::string oneMore = good;
    setLE32(oneMore, 8, 5);
    const Case cases[] = {
        {"short", good.substr(0, 10), nullptr, 0},
        {"magic", badMagic, nullptr, 0},
        {"table outside", tableOutside, "Damaged archive directory", LogError},
        {"table in header", tableInHeader, "Damaged archive directory", LogError},
        {"huge count", hugeCount, "Damaged archive directory", LogError},
        {"truncated table", good.substr(0, good.size() - 3), "Unable to read file description",
         LogInformation},
        {"count past the table", oneMore, "Unable to read file description", LogInformation},
    };
    for (const Case& c : cases) {
        logs.clear();
        load(c.bytes, kGameAssetsKey);
        EXPECT_EQ(archive->getFileCount(), 0u) << c.what;
        if (c.message)
            EXPECT_TRUE(logs.contains(c.message, c.level)) << c.what;
        else
            EXPECT_TRUE(logs.lines().empty()) << c.what;
    }
    // A wrong key: either the table fails to read, or no name is ever found.
    for (const std::string& key : {std::string("wrong key"), std::string()}) {
        load(good, key);
        EXPECT_EQ(open("a.txt"), "<none>") << key;
        EXPECT_EQ(open("scenes/LogosScene.oscn"), "<none>") << key;
    }
}

TEST_F(OcaFixture, EntriesOutsideTheArchiveOpenAsNothing) {
    // Records pointing before the data, past the end, or claiming far more than exists: found,
    // but refused before anything is allocated.
    struct Case {
        const char* what;
        uint32_t offset, size;
    };
    const Case cases[] = {
        {"in the header", 4, 4},
        {"past the end", 0x7ffffff0u, 4},
        {"too long", 16, 0xfffffff0u},
        {"wrapping", 0xfffffff0u, 0x20},
    };
    for (const Case& c : cases) {
        std::string table;
        putLE16(table, 1);
        table += 'x';
        putLE32(table, c.offset);
        putLE32(table, c.size);
        std::string oca("OCA", 4);
        putLE32(oca, 16);
        putLE32(oca, 1);
        putLE32(oca, 0);
        oca += table;
        logs.clear();
        load(oca, "");
        ASSERT_EQ(archive->findFile("x"), 0) << c.what;
        EXPECT_EQ(open("x"), "<none>") << c.what;
        EXPECT_TRUE(logs.contains("Damaged archive entry %s", LogError)) << c.what;
    }
}

TEST(CryptedArchiveType, RecognisesAndTakesTheFileSystemKey) {
    auto* fs = new CFileSystem();
    IArchiveType* type = fs->getArchiveType(0);
    EXPECT_TRUE(type->canLoadName("assets.oca"));
    EXPECT_TRUE(type->canLoadName("ASSETS.Oca"));
    EXPECT_FALSE(type->canLoadName("assets"));
    EXPECT_FALSE(type->canLoadName("oca"));

    std::string oca = makeOca({{"k.txt", "secret"}}, kGameAssetsKey);
    std::string tooShort = oca.substr(0, 12);
    auto* file = new CMemoryFile(&oca[0], static_cast<s32>(oca.size()), "assets.oca", false);
    auto* shortFile = new CMemoryFile(&tooShort[0], 12, "short.oca", false);
    EXPECT_TRUE(type->canLoadFile(file));
    EXPECT_EQ(file->getPos(), 0);
    EXPECT_FALSE(type->canLoadFile(shortFile));
    EXPECT_FALSE(type->canLoadFile(nullptr));

    // The key is taken when the archive is mounted; a later change does not affect it.
    fs->setAssetsCryptKey(kGameAssetsKey);
    IArchive* archive = fs->addArchive(file);
    fs->setAssetsCryptKey("");
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(archive->getTypeName(), stringc("oca"));
    IReadableFile* entry = fs->createAndOpenFile("k.txt");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(readAll(entry), "secret");
    entry->drop();
    file->drop();
    shortFile->drop();
    fs->drop();
}
