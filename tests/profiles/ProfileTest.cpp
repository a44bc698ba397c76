#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/io/CFileSystem.h"
#include "engine/io/CMemoryFile.h"
#include "engine/profiles/CProfileManager.h"
#include "engine/io/CXmlWriter.h"
#include "engine/properties/EngineSettings.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
namespace fs = std::filesystem;

namespace {

std::string readBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Profile managers over a file system whose data folders lie in a temporary folder.
struct ProfileFixture : ::testing::Test {
    fs::path root = fs::temp_directory_path() /
                    ("oskel-profiles-" + std::to_string(::getpid()) + "-" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
    CFileSystem* files = nullptr;
    CRefPtr<CPropertySet> settings = createEngineSettings();
    test::LogCapture logs;

    void SetUp() override {
        fs::create_directories(root / "data");
        fs::create_directories(root / "common");
        setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
        setenv("OSKEL_COMMON_DATA_DIR", (root / "common").c_str(), 1);
        files = new CFileSystemLinux();
        files->setPublisherName("Quorvane");
        files->setTitleName("Brasquel");
        CProfileManager::instance();  // the shared one exists, so the tests' own stay their own
    }
    void TearDown() override {
        files->drop();
        fs::remove_all(root);
    }
    CProfileManager* make() {
        auto* m = new CProfileManager();
        m->setServices(files, settings.get());
        return m;
    }
    fs::path userFile() const { return root / "data/Quorvane/Brasquel/profile.dat"; }
    fs::path globalFile() const { return root / "common/Quorvane/Brasquel/profile.dat"; }
};

}  // namespace

TEST_F(ProfileFixture, FirstRunStartsWithTheDefaults) {
    CProfileManager* m = make();
    m->getCommonDefaults()->addBool("FullScreen", true);
    m->getCommonDefaults()->addInt("VideoDriver", 3);
    EXPECT_TRUE(m->load());
    EXPECT_EQ(m->getProfileCount(), 0u);
    EXPECT_EQ(m->getActiveProfile(), nullptr);
    EXPECT_EQ(m->getCommonProfile()->getPropertyCount(), 2u);
    EXPECT_TRUE(m->getCommonProfile()->getBool("FullScreen"));
    EXPECT_EQ(m->getCommonProfile()->getInt("VideoDriver"), 3);
    EXPECT_FALSE(m->loadUserProfiles());
    m->drop();
}

TEST_F(ProfileFixture, PlayersSaveAndLoadWithTheirOrderAndTheActiveOne) {
    CProfileManager* m = make();
    m->getNewProfileDefaults()->addBool("SoundOn", true);
    m->getCommonProfile()->addInt("VideoDriver", 3);
    EXPECT_TRUE(m->addProfile(L"Ana"));
    EXPECT_TRUE(m->addProfile(L"B\u00e9la \U0001F600"));
    EXPECT_TRUE(m->addProfile(L"Cy"));
    EXPECT_FALSE(m->addProfile(L"Ana"));
    m->getProfile(1)->setInt("Level", 7);
    m->setActiveProfile(1);
    EXPECT_TRUE(m->saveUserProfiles());
    m->drop();

    // "Active" is written on the second profile only.
    const std::string bytes = readBytes(userFile());
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xFF);  // UTF-16 byte-order mark: no key
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0xFE);

    CProfileManager* again = make();
    again->getNewProfileDefaults()->addBool("SoundOn", true);
    again->getNewProfileDefaults()->addInt("Coins", 100);  // a default added since: it reaches them
    EXPECT_TRUE(again->load());
    ASSERT_EQ(again->getProfileCount(), 3u);
    EXPECT_TRUE(again->getProfile(0)->getName() == stringw(L"Ana"));
    EXPECT_TRUE(again->getProfile(1)->getName() == stringw(L"B\u00e9la \U0001F600"));
    EXPECT_TRUE(again->getProfile(2)->getName() == stringw(L"Cy"));
    EXPECT_EQ(again->getActiveProfile(), again->getProfile(1));
    EXPECT_EQ(again->getProfile(1)->getInt("Level"), 7);
    EXPECT_TRUE(again->getProfile(1)->getBool("SoundOn"));
    EXPECT_EQ(again->getProfile(2)->getInt("Coins"), 100);
    EXPECT_EQ(again->getCommonProfile()->getInt("VideoDriver"), 3);

    // Removing a profile that is not the active one still leaves none active.
    again->removeProfile(0);
    EXPECT_EQ(again->getActiveProfile(), nullptr);
    again->removeProfile(7);  // out of range: nothing
    EXPECT_EQ(again->getProfileCount(), 2u);
    again->drop();
}

TEST_F(ProfileFixture, DuplicateNamesAndACapitalTrueAreIgnored) {
    fs::create_directories(userFile().parent_path());
    CVirtualFile* memory = new CVirtualFile("profile.dat");
    CXmlWriter* w = new CXmlWriter(memory);
    w->writeXMLHeader();
    w->writeElement(L"Profiles");
    w->writeElement(L"Profile", false, L"Name", L"Dup", L"Active", L"True");
    w->writeElement(L"Parameters");
    w->writeElement(L"int", true, L"Name", L"Level", L"Value", L"1");
    w->writeClosingTag(L"Parameters");
    w->writeClosingTag(L"Profile");
    w->writeElement(L"Profile", false, L"Name", L"Dup", L"Active", L"true");
    w->writeElement(L"Parameters");
    w->writeElement(L"int", true, L"Name", L"Level", L"Value", L"2");
    w->writeClosingTag(L"Parameters");
    w->writeClosingTag(L"Profile");
    w->writeElement(L"Profile", true, L"Name", L"");  // no name: skipped
    w->writeElement(L"Profile", false, L"Name", L"Empty");
    w->writeElement(L"Parameters", true);  // no values: the next profile is still read
    w->writeClosingTag(L"Profile");
    w->writeElement(L"Profile", false, L"Name", L"After");
    w->writeElement(L"Parameters");
    w->writeElement(L"int", true, L"Name", L"Level", L"Value", L"3");
    w->writeClosingTag(L"Parameters");
    w->writeClosingTag(L"Profile");
    w->writeClosingTag(L"Profiles");
    w->drop();
    std::string text(static_cast<size_t>(memory->getSize()), '\0');
    memory->seek(0);
    memory->read(text.data(), static_cast<u32>(text.size()));
    memory->drop();
    std::ofstream(userFile(), std::ios::binary) << text;

    CProfileManager* m = make();
    EXPECT_TRUE(m->load());
    ASSERT_EQ(m->getProfileCount(), 3u);
    EXPECT_EQ(m->getProfile(0)->getInt("Level"), 1);
    EXPECT_TRUE(m->getProfile(1)->getName() == stringw(L"Empty"));
    EXPECT_EQ(m->getProfile(1)->getPropertyCount(), 0u);
    EXPECT_TRUE(m->getProfile(2)->getName() == stringw(L"After"));
    EXPECT_EQ(m->getProfile(2)->getInt("Level"), 3);
    EXPECT_EQ(m->getActiveProfile(), nullptr);
    m->drop();
}

TEST_F(ProfileFixture, TheKeyFiltersEveryByteAcrossBlocks) {
    settings->setStringW(EngineSettingProfilesCryptKey, L"k3y!x");
    CProfileManager* m = make();
    m->addProfile(L"Long");
    for (int i = 0; i < 300; ++i)  // well beyond one 4096-byte block
        m->getProfile(0)->addInt(stringc("Value") + stringc(i), i);
    m->setActiveProfile(0);
    ASSERT_TRUE(m->saveUserProfiles());
    m->drop();

    const std::string stored = readBytes(userFile());
    ASSERT_GT(stored.size(), 8192u);
    const std::string key = "k3y!x";
    std::string plain = stored;
    for (size_t p = 0; p < plain.size(); ++p) plain[p] = static_cast<char>(plain[p] ^ key[p % key.size()]);
    EXPECT_EQ(static_cast<unsigned char>(plain[0]), 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(plain[1]), 0xFE);

    CProfileManager* again = make();
    EXPECT_TRUE(again->load());
    ASSERT_EQ(again->getProfileCount(), 1u);
    EXPECT_EQ(again->getProfile(0)->getInt("Value299"), 299);
    again->drop();
}

TEST_F(ProfileFixture, GlobalProfileLivesInTheCommonFolder) {
    CProfileManager* m = make();
    m->getGlobalProfile()->addInt("Installs", 2);
    m->getCommonProfile()->addInt("Mine", 1);
    EXPECT_TRUE(m->saveProfile(m->getGlobalProfile()));
    EXPECT_TRUE(m->saveProfile(m->getCommonProfile()));
    EXPECT_FALSE(m->saveProfile(m->getNewProfileDefaults()));
    EXPECT_TRUE(fs::exists(globalFile()));
    EXPECT_TRUE(fs::exists(userFile()));
    EXPECT_NE(fs::canonical(globalFile()), fs::canonical(userFile()));
    m->drop();
    CProfileManager* again = make();
    EXPECT_TRUE(again->load());
    EXPECT_EQ(again->getGlobalProfile()->getInt("Installs"), 2);
    EXPECT_EQ(again->getCommonProfile()->getInt("Mine"), 1);
    EXPECT_EQ(again->getCommonProfile()->getInt("Installs"), 0);
    again->drop();
}

TEST_F(ProfileFixture, AFailedSaveKeepsTheStoredProfiles) {
    CProfileManager* m = make();
    m->addProfile(L"Kept");
    ASSERT_TRUE(m->saveUserProfiles());
    const std::string before = readBytes(userFile());
    // The new file cannot be made (a folder stands in its place).
    fs::create_directories(fs::path(userFile().string() + ".new"));
    m->addProfile(L"Lost");
    EXPECT_FALSE(m->saveUserProfiles());
    EXPECT_EQ(readBytes(userFile()), before);
    m->drop();
    CProfileManager* again = make();
    EXPECT_TRUE(again->load());
    EXPECT_EQ(again->getProfileCount(), 1u);
    again->drop();
}

TEST_F(ProfileFixture, NoDataFolderMeansNoFileAtAll) {
    files->setTitleName("..");  // refused by the file system: no data folder
    CProfileManager* m = make();
    m->addProfile(L"Nowhere");
    EXPECT_FALSE(m->saveUserProfiles());
    EXPECT_FALSE(m->loadUserProfiles());
    EXPECT_TRUE(m->load());
    EXPECT_TRUE(logs.contains("Profiles not saved: there is no data folder", LogError));
    EXPECT_FALSE(fs::exists("/profile.dat.new"));
    m->drop();
}

TEST(ProfileFilter, EmptyKeyCopiesUnchanged) {
    char data[] = "abcdef";
    CMemoryFile* in = new CMemoryFile(data, 6, "in", false);
    CVirtualFile* out = new CVirtualFile("out");
    EXPECT_EQ(CProfileManager::cryptCopy(in, out, ""), 6);
    char back[7] = {};
    out->seek(0);
    out->read(back, 6);
    EXPECT_STREQ(back, "abcdef");
    in->drop();
    out->drop();
}
