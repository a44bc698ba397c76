#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

#include "engine/core/CRandom.h"
#include "engine/device/CDeviceBase.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CFolderArchive.h"
#include "tests/io/IoTestSupport.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace oskel::test;

namespace {

// A file system working in a fresh folder that holds a loose file, an asset folder, a zip and
// an enciphered archive, some names in several of them.
struct LookupFixture : ::testing::Test {
    TempDir dir;
    ScopedWorkingDirectory cwd{dir.path()};
    CFileSystemLinux* fs = new CFileSystemLinux();
    LogCapture logs;

    LookupFixture() {
        dir.write("shared.txt", "disk");
        dir.write("assets/shared.txt", "folder");
        dir.write("assets/scenes/Main.oscn", "folder scene");
        dir.write("assets/only-folder.txt", "folder only");
        dir.write("pack.zip", makeZip({{"shared.txt", "zip", 0},
                                       {"scenes/Main.oscn", "zip scene", 8},
                                       {"only-zip.txt", "zip only", 8}}));
        fs->setAssetsCryptKey(kGameAssetsKey);
        dir.write("assets.oca", makeOca({{"shared.txt", "oca"},
                                         {"only-oca.txt", "oca only"},
                                         {"only-zip.txt", "oca copy"}},
                                        kGameAssetsKey));
    }
    ~LookupFixture() override { fs->drop(); }

    std::string open(const char* name) {
        IReadableFile* file = fs->createAndOpenFile(name);
        if (!file) return "<none>";
        std::string result = readAll(file) + " as " + file->getFileName().c_str();
        file->drop();
        return result;
    }
};

}  // namespace

TEST_F(LookupFixture, DiskFirstThenArchivesInMountOrder) {
    ASSERT_NE(fs->addArchive("assets"), nullptr);
    ASSERT_NE(fs->addArchive("pack.zip"), nullptr);
    ASSERT_NE(fs->addArchive("assets.oca"), nullptr);
    ASSERT_EQ(fs->getArchiveCount(), 3u);
    EXPECT_EQ(fs->getArchive(0)->getTypeName(), stringc("mount"));
    EXPECT_EQ(fs->getArchive(1)->getTypeName(), stringc("zip"));
    EXPECT_EQ(fs->getArchive(2)->getTypeName(), stringc("oca"));
    EXPECT_EQ(fs->getArchive(3), nullptr);

    EXPECT_EQ(open("shared.txt"), "disk as shared.txt");
    // Files from archives carry their archive-relative name.
    EXPECT_EQ(open("scenes/Main.oscn"), "folder scene as scenes/Main.oscn");
    EXPECT_EQ(open("only-folder.txt"), "folder only as only-folder.txt");
    EXPECT_EQ(open("only-zip.txt"), "zip only as only-zip.txt");
    EXPECT_EQ(open("only-oca.txt"), "oca only as only-oca.txt");
    EXPECT_EQ(open("scenes\\Main.oscn"), "folder scene as scenes\\Main.oscn");
    EXPECT_EQ(open("missing.txt"), "<none>");
    EXPECT_EQ(open(""), "<none>");
    // Linux names are case-sensitive.
    EXPECT_EQ(open("SHARED.TXT"), "<none>");

    EXPECT_TRUE(fs->existFile("only-oca.txt"));
    EXPECT_FALSE(fs->existFile("only-oca.txt", false));
    EXPECT_TRUE(fs->existFile("shared.txt", false));
    // A folder counts as existing.
    EXPECT_TRUE(fs->existFile("assets", false));
    EXPECT_FALSE(fs->existFile("missing.txt"));

    // Removing an archive hands its reference to the caller and uncovers the next one.
    IArchive* folder = fs->getArchive(0);
    fs->removeArchive(folder);
    EXPECT_EQ(fs->getArchiveCount(), 2u);
    EXPECT_EQ(open("scenes/Main.oscn"), "zip scene as scenes/Main.oscn");
    EXPECT_EQ(open("only-folder.txt"), "<none>");
    folder->drop();
}

TEST_F(LookupFixture, EarlierArchiveHidesALaterOne) {
    ASSERT_NE(fs->addArchive("assets.oca"), nullptr);
    ASSERT_NE(fs->addArchive("pack.zip"), nullptr);
    EXPECT_EQ(open("only-zip.txt"), "oca copy as only-zip.txt");
}

TEST_F(LookupFixture, ArchivesByContentAndFromOtherArchives) {
    // Names whose extension says nothing: recognised by their content.
    dir.write("pack.bin", makeZip({{"inner.txt", "inner", 8}}));
    dir.write("data.bin", makeOca({{"x.txt", "x"}}, kGameAssetsKey));
    ASSERT_NE(fs->addArchive("pack.bin"), nullptr);
    EXPECT_EQ(fs->getArchive(0)->getTypeName(), stringc("zip"));
    ASSERT_NE(fs->addArchive("data.bin"), nullptr);
    EXPECT_EQ(fs->getArchive(1)->getTypeName(), stringc("oca"));
    EXPECT_EQ(open("x.txt"), "x as x.txt");

    // An archive inside an archive mounted earlier.
    dir.write("outer.zip", makeZip({{"nested.data", makeZip({{"deep.txt", "deep", 8}})}}));
    ASSERT_NE(fs->addArchive("outer.zip"), nullptr);
    ASSERT_NE(fs->addArchive("nested.data"), nullptr);
    EXPECT_EQ(open("deep.txt"), "deep as deep.txt");

    // By an opened file.
    IReadableFile* file = fs->createAndOpenFile("pack.zip");
    ASSERT_NE(file, nullptr);
    IArchive* archive = fs->addArchive(file);
    file->drop();
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(archive->getFileCount(), 3u);
}

TEST_F(LookupFixture, FailuresLogTheName) {
    dir.write("plain.txt", "not an archive");
    const char* names[] = {"plain.txt", "missing.zip", "missing.oca", "missing-folder"};
    for (const char* name : names) {
        logs.clear();
        EXPECT_EQ(fs->addArchive(name), nullptr) << name;
        ASSERT_EQ(logs.lines().size(), 1u) << name;
        EXPECT_EQ(logs.lines()[0].text, "Could not create archive for");
        EXPECT_EQ(logs.lines()[0].hint, name);
        EXPECT_EQ(logs.lines()[0].level, LogError);
    }
    EXPECT_EQ(fs->addArchive(static_cast<IReadableFile*>(nullptr)), nullptr);
    EXPECT_EQ(fs->getArchiveCount(), 0u);
}

TEST_F(LookupFixture, FolderArchiveBasePathAndNames) {
    dir.write("data/sub/f.txt", "F");
    IArchive* archive = fs->addArchive("data\\sub");
    ASSERT_NE(archive, nullptr);
    const std::string base = archive->getArchiveName().c_str();
    EXPECT_EQ(base, dir.path() + "/data/sub/");
    EXPECT_EQ(archive->findFile("f.txt"), 1);
    EXPECT_EQ(archive->findFile("g.txt"), -1);
    EXPECT_EQ(archive->getFileCount(), 0u);
    EXPECT_EQ(archive->getEntry(0), nullptr);
    IReadableFile* file = archive->openFile("f.txt");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->getFileName(), stringc("f.txt"));
    file->drop();
    // A folder of the mounted folder is no file.
    dir.write("data/sub/inner/x.txt", "x");
    EXPECT_EQ(archive->findFile("inner"), -1);

    CFolderArchiveType type(fs);
    EXPECT_TRUE(type.canLoadName("assets"));
    EXPECT_FALSE(type.canLoadName("assets.zip"));
    EXPECT_FALSE(type.canLoadName(""));
}

TEST_F(LookupFixture, ArchiveKindsInOrder) {
    ASSERT_EQ(fs->getArchiveTypeCount(), 3u);
    struct NameCase {
        const char* name;
        bool oca, zip, folder;
    };
    const NameCase cases[] = {
        {"assets", false, false, true},  {"assets.zip", false, true, false},
        {"Assets.ZIP", false, true, false}, {"maps.pk3", false, true, false},
        {"assets.oca", true, false, false}, {"ASSETS.OCA", true, false, false},
        {"data.big/readme", false, false, true},
    };
    for (const NameCase& c : cases) {
        EXPECT_EQ(fs->getArchiveType(0)->canLoadName(c.name), c.oca) << c.name;
        EXPECT_EQ(fs->getArchiveType(1)->canLoadName(c.name), c.zip) << c.name;
        EXPECT_EQ(fs->getArchiveType(2)->canLoadName(c.name), c.folder) << c.name;
    }
    EXPECT_EQ(fs->getArchiveType(3), nullptr);
}

TEST_F(LookupFixture, WritesRemovesRenamesAndLists) {
    IWritableFile* out = fs->createAndWriteFile("out\\..\\new.txt");
    EXPECT_EQ(out, nullptr);  // the folder "out" does not exist
    out = fs->createAndWriteFile("new.txt");
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->write("abc", 3), 3);
    out->drop();
    out = fs->createAndWriteFile("new.txt", true);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->write("de", 2), 2);
    out->drop();
    EXPECT_EQ(open("new.txt"), "abcde as new.txt");
    EXPECT_EQ(fs->createAndWriteFile(""), nullptr);
    EXPECT_EQ(fs->createAndWriteFile("assets"), nullptr);

    EXPECT_TRUE(fs->renameFile("new.txt", "renamed.txt"));
    EXPECT_FALSE(fs->existFile("new.txt", false));
    EXPECT_FALSE(fs->renameFile("new.txt", "again.txt"));
    CFileList* list = fs->createFileList();
    const s32 index = list->findFile("renamed.txt");
    ASSERT_GE(index, 0);
    EXPECT_EQ(list->getFileSize(static_cast<u32>(index)), 5u);
    EXPECT_FALSE(list->isDirectory(static_cast<u32>(index)));
    const s32 assets = list->findFile("assets");
    ASSERT_GE(assets, 0);
    EXPECT_TRUE(list->isDirectory(static_cast<u32>(assets)));
    EXPECT_EQ(std::string(list->getFullFileName(static_cast<u32>(assets)).c_str()),
              dir.path() + "/assets");
    EXPECT_EQ(list->findFile("."), -1);
    EXPECT_EQ(list->getFileName(9999), stringc());
    for (u32 i = 1; i < list->getFileCount(); ++i)
        EXPECT_LT(std::string(list->getFileName(i - 1).c_str()), list->getFileName(i).c_str());
    list->drop();
    EXPECT_TRUE(fs->removeFile("renamed.txt"));
    EXPECT_FALSE(fs->removeFile("renamed.txt"));
}

TEST_F(LookupFixture, WorkingDirectoryAndAbsolutePaths) {
    EXPECT_EQ(std::string(fs->getWorkingDirectory().c_str()), dir.path());
    EXPECT_EQ(std::string(fs->getAbsolutePath("assets/scenes/../shared.txt").c_str()),
              dir.path() + "/assets/shared.txt");
    // Names that do not exist resolve by their text.
    EXPECT_EQ(std::string(fs->getAbsolutePath("nothing/./here/../x.txt").c_str()),
              dir.path() + "/nothing/x.txt");
    EXPECT_EQ(std::string(fs->getAbsolutePath("assets\\scenes").c_str()), dir.path() + "/assets/scenes");
    EXPECT_EQ(fs->getAbsolutePath(""), stringc());
    EXPECT_TRUE(fs->changeWorkingDirectoryTo("assets"));
    EXPECT_EQ(std::string(fs->getWorkingDirectory().c_str()), dir.path() + "/assets");
    EXPECT_FALSE(fs->changeWorkingDirectoryTo("no-such-folder"));
    EXPECT_FALSE(fs->changeWorkingDirectoryTo(""));
}

TEST_F(LookupFixture, MemoryFilesNeedABuffer) {
    EXPECT_EQ(fs->createMemoryReadFile(nullptr, 4, "m", false), nullptr);
    EXPECT_EQ(fs->createMemoryWriteFile(nullptr, 4, "m", false), nullptr);
    u8 buffer[4] = {1, 2, 3, 4};
    IReadableFile* file = fs->createMemoryReadFile(buffer, 4, "m", false);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->getSize(), 4);
    file->drop();
    IWritableFile* out = fs->createMemoryWriteFile(buffer, 4, "m", false);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->write("zz", 2), 2);
    EXPECT_EQ(buffer[0], 'z');
    out->drop();
}

TEST_F(LookupFixture, UniqueTempNamesAvoidExistingFiles) {
    // The same seed gives the same draws: the first names drawn are made to exist, so the
    // file system must skip them.
    CRandom::instance().seed(1234);
    std::set<std::string> taken;
    for (int i = 0; i < 3; ++i) {
        char digits[8];
        std::snprintf(digits, sizeof(digits), "%06u", CRandom::instance().nextTwister() % 999999u);
        taken.insert(std::string("tmp") + digits);
        dir.write(std::string("tmp") + digits, "");
    }
    CRandom::instance().seed(1234);
    const std::string name = fs->getUniqueTempName(dir.path().c_str(), "tmp").c_str();
    EXPECT_EQ(taken.count(name), 0u);
    ASSERT_EQ(name.size(), 9u);
    EXPECT_EQ(name.substr(0, 3), "tmp");
    EXPECT_EQ(name.find_first_not_of("0123456789", 3), std::string::npos);
    EXPECT_FALSE(fs->existFile((dir / name).c_str(), false));

    // A taken folder name is skipped as well.
    CRandom::instance().seed(99);
    char digits[8];
    std::snprintf(digits, sizeof(digits), "%06u", CRandom::instance().nextTwister() % 999999u);
    platform::makeFolders((dir / (std::string("t") + digits)).c_str());
    CRandom::instance().seed(99);
    EXPECT_NE(std::string(fs->getUniqueTempName(dir.path().c_str(), "t").c_str()),
              std::string("t") + digits);
}

// The data folders, under the temporary HOME, XDG_DATA_HOME and common folder of the test run.
namespace {

struct DataFolderFixture : ::testing::Test {
    TempDir dir;
    LogCapture logs;
    CFileSystemLinux* fs = new CFileSystemLinux();
    std::string savedXdg, savedHome, savedCommon;
    bool hadXdg, hadHome, hadCommon;

    DataFolderFixture() {
        hadXdg = save("XDG_DATA_HOME", savedXdg);
        hadHome = save("HOME", savedHome);
        hadCommon = save("OSKEL_COMMON_DATA_DIR", savedCommon);
        ::setenv("XDG_DATA_HOME", (dir / "xdg").c_str(), 1);
        ::setenv("HOME", (dir / "home").c_str(), 1);
        ::setenv("OSKEL_COMMON_DATA_DIR", (dir / "common").c_str(), 1);
    }
    ~DataFolderFixture() override {
        restore("XDG_DATA_HOME", hadXdg, savedXdg);
        restore("HOME", hadHome, savedHome);
        restore("OSKEL_COMMON_DATA_DIR", hadCommon, savedCommon);
        fs->drop();
    }
    static bool save(const char* name, std::string& value) {
        const char* v = std::getenv(name);
        if (v) value = v;
        return v != nullptr;
    }
    static void restore(const char* name, bool had, const std::string& value) {
        if (had)
            ::setenv(name, value.c_str(), 1);
        else
            ::unsetenv(name);
    }
};

}  // namespace

TEST_F(DataFolderFixture, UserFolderUnderXdgDataHomeOrHome) {
    EXPECT_EQ(std::string(fs->getUserDataFolder().c_str()), dir / "xdg/Wendmark/Oskel Sample");
    EXPECT_TRUE(platform::isFolder((dir / "xdg/Wendmark/Oskel Sample").c_str()));
    EXPECT_TRUE(logs.contains("User data folder", LogInformation));

    fs->setPublisherName("Quorvane");
    fs->setTitleName("Brasquel");
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(std::string(fs->getUserDataFolder().c_str()), dir / "home/.local/share/Quorvane/Brasquel");
    // A relative XDG_DATA_HOME is ignored.
    ::setenv("XDG_DATA_HOME", "relative", 1);
    EXPECT_EQ(std::string(fs->getUserDataFolder().c_str()), dir / "home/.local/share/Quorvane/Brasquel");
}

TEST_F(DataFolderFixture, FailedLookupGivesAnEmptyFolderAndALogLine) {
    ::unsetenv("XDG_DATA_HOME");
    ::unsetenv("HOME");
    EXPECT_EQ(fs->getUserDataFolder(), stringc());
    ASSERT_FALSE(logs.lines().empty());
    EXPECT_EQ(logs.lines().back().level, LogError);

    // A data home that cannot hold folders (it is a file).
    dir.write("file", "x");
    ::setenv("XDG_DATA_HOME", (dir / "file").c_str(), 1);
    logs.clear();
    EXPECT_EQ(fs->getUserDataFolder(), stringc());
    EXPECT_TRUE(logs.contains("Could not create the user data folder", LogError));

    // Names that would leave their folder are refused.
    ::setenv("XDG_DATA_HOME", (dir / "xdg").c_str(), 1);
    for (const char* bad : {"", ".", "..", "a/b", "a\\b"}) {
        fs->setTitleName(bad);
        EXPECT_EQ(fs->getUserDataFolder(), stringc()) << bad;
        EXPECT_EQ(fs->getCommonDataFolder(), stringc()) << bad;
    }
}

TEST_F(DataFolderFixture, CommonFolderFromTheOverride) {
    EXPECT_EQ(std::string(fs->getCommonDataFolder().c_str()), dir / "common/Wendmark/Oskel Sample");
    EXPECT_TRUE(logs.contains("Common data folder", LogInformation));
    EXPECT_NE(fs->getCommonDataFolder(), fs->getUserDataFolder());
}

TEST_F(DataFolderFixture, CommonFolderChoice) {
    const stringc home = (dir / "xdg").c_str();
    // The system folder when it can be made, opened to the group.
    const stringc system = platform::chooseCommonDataFolder(nullptr, (dir / "var/games").c_str(),
                                                            home, "Quorvane", "Brasquel");
    EXPECT_EQ(std::string(system.c_str()), dir / "var/games/Quorvane/Brasquel");
    struct stat info;
    ASSERT_EQ(::stat(system.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0070, 0070u);

    // When it cannot: a folder of the user's own that is not the user data folder.
    dir.write("blocked", "a file where the system folder would be");
    const stringc fallback = platform::chooseCommonDataFolder(
        nullptr, (dir / "blocked/games").c_str(), home, "Quorvane", "Brasquel");
    EXPECT_EQ(std::string(fallback.c_str()), dir / "xdg/Quorvane/Brasquel/Common");
    EXPECT_TRUE(platform::isFolder(fallback.c_str()));

    // Nothing usable at all: empty, logged.
    logs.clear();
    EXPECT_EQ(platform::chooseCommonDataFolder(nullptr, (dir / "blocked/games").c_str(),
                                               (dir / "blocked/home").c_str(), "Q", "B"),
              stringc());
    EXPECT_TRUE(logs.contains("Could not create a common data folder", LogError));
    EXPECT_EQ(platform::chooseCommonDataFolder((dir / "blocked/x").c_str(), "", home, "Q", "B"),
              stringc());
}

TEST(DeviceFileSystem, TheDeviceOwnsOneLinuxFileSystem) {
    LogCapture logs;
    auto* device = new CDeviceBase(SDeviceParameters());
    CFileSystem* fs = device->getFileSystem();
    ASSERT_NE(fs, nullptr);
    EXPECT_NE(dynamic_cast<CFileSystemLinux*>(fs), nullptr);
    EXPECT_EQ(fs->getArchiveTypeCount(), 3u);
    fs->grab();
    device->drop();
    // The device released its reference: ours is the last.
    EXPECT_EQ(fs->getReferenceCount(), 1);
    fs->drop();
}
