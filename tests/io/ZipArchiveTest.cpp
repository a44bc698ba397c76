#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/io/CMemoryFile.h"
#include "engine/io/CZipArchive.h"
#include "tests/io/IoTestSupport.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace oskel::test;

namespace {

// A zip archive over bytes held by the test.
struct ZipFixture : ::testing::Test {
    LogCapture logs;
    std::string bytes;
    CZipArchive* archive = nullptr;

    ~ZipFixture() override {
        if (archive) archive->drop();
    }
    CZipArchive* load(std::string zip, bool ignoreCase = false, bool ignorePaths = false) {
        if (archive) archive->drop();
        bytes = std::move(zip);
        auto* file = new CMemoryFile(&bytes[0], static_cast<s32>(bytes.size()), "dir\\test.zip", false);
        archive = new CZipArchive(file, ignoreCase, ignorePaths);
        file->drop();
        return archive;
    }
    // The entry's contents, or "<none>".
    std::string open(const char* name) {
        IReadableFile* file = archive->openFile(stringc(name));
        if (!file) return "<none>";
        std::string data = readAll(file);
        file->drop();
        return data;
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (u32 i = 0; i < archive->getFileCount(); ++i)
            out.push_back(archive->getEntry(static_cast<s32>(i))->simpleName.c_str());
        return out;
    }
};

const std::string kText =
    "The quick brown fox jumps over the lazy dog. The quick brown fox jumps over the lazy dog.";

}  // namespace

TEST_F(ZipFixture, StoredAndDeflatedEntries) {
    std::string big;
    for (int i = 0; i < 5000; ++i) big += static_cast<char>(i * 7 % 251);
    load(makeZip({{"stored.txt", kText, 0},
                  {"deflated.txt", kText, 8},
                  {"big.bin", big, 8},
                  {"empty.txt", "", 0},
                  {"empty-deflated.txt", "", 8}}));
    EXPECT_EQ(archive->getTypeName(), stringc("zip"));
    EXPECT_EQ(archive->getArchiveName(), stringc("dir/test.zip"));
    ASSERT_EQ(archive->getFileCount(), 5u);
    EXPECT_EQ(open("stored.txt"), kText);
    EXPECT_EQ(open("deflated.txt"), kText);
    EXPECT_EQ(open("big.bin"), big);
    EXPECT_EQ(open("empty-deflated.txt"), "");

    IReadableFile* empty = archive->openFile(stringc("empty.txt"));
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->getSize(), 0);
    empty->drop();

    // Two stored windows over the one archive file, read in turns.
    IReadableFile* a = archive->openFile(stringc("stored.txt"));
    IReadableFile* b = archive->openFile(stringc("stored.txt"));
    char x[4], y[4];
    EXPECT_EQ(a->read(x, 4), 4);
    EXPECT_EQ(b->read(y, 4), 4);
    EXPECT_EQ(a->read(x, 4), 4);
    EXPECT_EQ(std::string(x, 4), kText.substr(4, 4));
    EXPECT_EQ(std::string(y, 4), kText.substr(0, 4));
    EXPECT_EQ(a->getFileName(), stringc("stored.txt"));
    a->drop();
    b->drop();
    EXPECT_TRUE(logs.lines().empty());
}

TEST_F(ZipFixture, NamesAreSortedAndFoundByBisection) {
    load(makeZip({{"b.txt", "b"}, {"A.txt", "A"}, {"a/c.txt", "c"}, {"a.txt", "a"},
                  {"\xe9.txt", "high"}, {"a/", ""}}));
    // Bytes compare as signed: 0xe9 sorts before every ASCII letter.
    EXPECT_EQ(names(), (std::vector<std::string>{"\xe9.txt", "A.txt", "a.txt", "a/", "a/c.txt", "b.txt"}));
    for (u32 i = 0; i < archive->getFileCount(); ++i) {
        const SArchiveEntry* entry = archive->getEntry(static_cast<s32>(i));
        EXPECT_EQ(archive->findFile(entry->simpleName), static_cast<s32>(i));
    }
    EXPECT_EQ(archive->findFile("c.txt"), -1);
    EXPECT_EQ(archive->findFile("a.tx"), -1);
    EXPECT_EQ(archive->findFile(""), -1);
    EXPECT_EQ(archive->findFile("zzz"), -1);
    EXPECT_EQ(open("a/c.txt"), "c");
    EXPECT_EQ(open("a\\c.txt"), "c");
    const SZipFileEntry* entry = archive->getZipEntry(archive->findFile("a/c.txt"));
    EXPECT_EQ(entry->path, stringc("a/"));
    EXPECT_EQ(entry->fullName, stringc("a/c.txt"));
    EXPECT_EQ(entry->header.signature, CZipArchive::LocalHeaderSignature);
    EXPECT_EQ(archive->getEntry(-1), nullptr);
    EXPECT_EQ(archive->getEntry(6), nullptr);
    EXPECT_EQ(archive->openFile(6), nullptr);
    EXPECT_EQ(archive->openFile(-1), nullptr);
}

TEST_F(ZipFixture, IgnoreCaseAndIgnorePaths) {
    const std::string zip = makeZip({{"Scenes/Menu.OSCN", "menu", 8}, {"a/c.txt", "c"}});
    struct Case {
        bool ignoreCase, ignorePaths;
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {false, false, "Scenes/Menu.OSCN", "menu"},
        {false, false, "scenes/menu.oscn", "<none>"},
        {true, false, "SCENES/menu.oscn", "menu"},
        {true, false, "menu.oscn", "<none>"},
        {false, true, "x\\y\\c.txt", "c"},
        {false, true, "Menu.OSCN", "menu"},
        {false, true, "menu.oscn", "<none>"},
        {true, true, "other/MENU.oscn", "menu"},
    };
    for (const Case& c : cases) {
        load(zip, c.ignoreCase, c.ignorePaths);
        EXPECT_EQ(open(c.name), c.expected) << c.name << " " << c.ignoreCase << c.ignorePaths;
    }
}

TEST_F(ZipFixture, DuplicateNamesFindTheFirstStored) {
    load(makeZip({{"same.txt", "first"}, {"other.txt", "o"}, {"same.txt", "second", 8}}));
    EXPECT_EQ(open("same.txt"), "first");
}

TEST_F(ZipFixture, DataDescriptorEntriesReadThroughTheDirectory) {
    load(makeZip({{"first.txt", kText, 8, true},
                  {"second.txt", "stored after a descriptor", 0, true},
                  {"third.txt", kText + kText, 8, true}}));
    ASSERT_EQ(archive->getFileCount(), 3u);
    EXPECT_EQ(open("first.txt"), kText);
    EXPECT_EQ(open("second.txt"), "stored after a descriptor");
    EXPECT_EQ(open("third.txt"), kText + kText);
    EXPECT_TRUE(logs.lines().empty());
}

TEST_F(ZipFixture, LocalHeaderFieldsMayDifferFromTheDirectory) {
    ZipEntrySpec entry{"x.txt", kText, 8};
    entry.localExtra = std::string(13, '\x01');
    ZipOptions options;
    options.comment = "an archive comment with PK\x05\x06 inside it";
    load(makeZip({entry, {"y.txt", "y"}}, options));
    EXPECT_EQ(open("x.txt"), kText);
    EXPECT_EQ(open("y.txt"), "y");
}

TEST_F(ZipFixture, WithoutADirectoryTheLocalHeadersAreScanned) {
    ZipOptions noDirectory;
    noDirectory.centralDirectory = false;
    load(makeZip({{"a.txt", "A", 8}, {"b.txt", "B"}}, noDirectory));
    EXPECT_EQ(names(), (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_EQ(open("a.txt"), "A");
    EXPECT_EQ(open("b.txt"), "B");

    // A streamed entry cannot be measured then: the scan stops there, with a message.
    load(makeZip({{"a.txt", "A"}, {"s.txt", "S", 8, true}, {"c.txt", "C"}}, noDirectory));
    EXPECT_EQ(names(), (std::vector<std::string>{"a.txt"}));
    EXPECT_TRUE(logs.contains("Cannot read zip entry without its directory %s", LogError));
}

TEST_F(ZipFixture, EmptyAndForeignArchivesHaveNoEntries) {
    const std::string inputs[] = {makeZip({}), "", "PK", "not a zip at all, just some text"};
    for (const std::string& input : inputs) {
        load(input);
        EXPECT_EQ(archive->getFileCount(), 0u);
        EXPECT_EQ(archive->findFile("a.txt"), -1);
        EXPECT_EQ(archive->findFile(""), -1);
        EXPECT_EQ(archive->openFile(stringc("a.txt")), nullptr);
        EXPECT_EQ(archive->openFile(0), nullptr);
    }
}

TEST_F(ZipFixture, BadEntriesOpenAsNothingWithAMessage) {
    ZipEntrySpec damaged{"damaged.txt", kText, 8};
    damaged.damageData = true;
    ZipEntrySpec tooShort{"short.txt", kText, 8};
    tooShort.claimedSize = kText.size() + 10;  // the stream ends before the recorded size
    ZipEntrySpec tooLong{"long.txt", kText, 8};
    tooLong.claimedSize = kText.size() - 10;
    ZipEntrySpec huge{"huge.txt", kText, 8};
    huge.claimedSize = 0x7fff0000;  // far more than any deflate stream of this length yields
    ZipEntrySpec storedMismatch{"stored.txt", "abc", 0};
    storedMismatch.claimedSize = 4;
    load(makeZip({damaged, tooShort, tooLong, huge, storedMismatch, {"m12.txt", "abc", 12},
                  {"good.txt", "fine", 8}}));
    struct Case {
        const char* name;
        const char* message;
    };
    const Case cases[] = {
        {"damaged.txt", "Error decompressing %s"},
        {"short.txt", "Error decompressing %s"},
        {"long.txt", "Error decompressing %s"},
        {"huge.txt", "Error decompressing %s"},
        {"stored.txt", "Damaged zip entry %s"},
        {"m12.txt", "File has unsupported compression method. %s"},
    };
    for (const Case& c : cases) {
        logs.clear();
        EXPECT_EQ(open(c.name), "<none>") << c.name;
        ASSERT_EQ(logs.lines().size(), 1u) << c.name;
        EXPECT_EQ(logs.lines()[0].text, c.message) << c.name;
        EXPECT_EQ(logs.lines()[0].hint, c.name);
        EXPECT_EQ(logs.lines()[0].level, LogError);
    }
    EXPECT_EQ(open("good.txt"), "fine");
}

TEST_F(ZipFixture, EncryptedEntriesAreRefused) {
    std::string zip = makeZip({{"secret.txt", "plain"}});
    zip[6] = 1;  // local flags
    const size_t central = zip.find(std::string("PK\x01\x02", 4));
    zip[central + 8] = 1;  // directory flags
    load(zip);
    EXPECT_EQ(open("secret.txt"), "<none>");
    EXPECT_TRUE(logs.contains("File is encrypted. %s", LogError));
}

TEST_F(ZipFixture, DamagedDirectoryFallsBackOrDropsEntries) {
    const std::string good = makeZip({{"a.txt", "A"}, {"b.txt", "B", 8}});
    const size_t central = good.find(std::string("PK\x01\x02", 4));
    const size_t end = good.find(std::string("PK\x05\x06", 4));
    struct Case {
        const char* what;
        size_t offset;
        uint32_t value;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        // The directory points outside the file: the local headers are scanned instead.
        {"directory offset", end + 16, 0xfffffff0u, {"a.txt", "b.txt"}},
        {"directory size", end + 12, 0x7fffffffu, {"a.txt", "b.txt"}},
        // A local header offset that leads nowhere drops only that entry.
        {"local offset", central + 42, 0x00ffffffu, {"b.txt"}},
        // Sizes beyond the data drop the entry.
        {"compressed size", central + 20, 0x00ffffffu, {"b.txt"}},
    };
    for (const Case& c : cases) {
        std::string zip = good;
        setLE32(zip, c.offset, c.value);
        load(zip);
        EXPECT_EQ(names(), c.names) << c.what;
        EXPECT_FALSE(logs.lines().empty()) << c.what;
        logs.clear();
    }
}

TEST(ZipArchiveType, RecognisesBySignatureAndExtension) {
    CZipArchiveType type(nullptr);
    std::string zip = makeZip({{"a.txt", "A"}});
    std::string text = "PK\x05\x06 something";
    CMemoryFile zipFile(&zip[0], static_cast<s32>(zip.size()), "z", false);
    CMemoryFile textFile(&text[0], static_cast<s32>(text.size()), "t", false);
    EXPECT_TRUE(type.canLoadFile(&zipFile));
    EXPECT_FALSE(type.canLoadFile(&textFile));
    EXPECT_FALSE(type.canLoadFile(nullptr));
    EXPECT_TRUE(type.canLoadName("assets.zip"));
    EXPECT_TRUE(type.canLoadName("Assets.ZIP"));
    EXPECT_TRUE(type.canLoadName("base.pk3"));
    EXPECT_FALSE(type.canLoadName("zip"));
    EXPECT_FALSE(type.canLoadName("a.zip/readme"));
    EXPECT_EQ(type.createArchive(static_cast<IReadableFile*>(nullptr), false, false), nullptr);
}
