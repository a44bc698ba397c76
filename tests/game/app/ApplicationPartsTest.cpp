// The application's parts that stand on their own: the video driver choice, the logos file,
// the sound settings, the screen fit, the access code, screenshot names and the table reload.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/device/CDeviceLinux.h"
#include "engine/io/CFileSystem.h"
#include "engine/properties/CPropertySet.h"
#include "engine/scene/SceneManager.h"
#include "game/app/GApplication.h"
#include "game/app/GDeveloperKeys.h"
#include "game/app/GScreenFit.h"
#include "game/app/GSoundSettings.h"
#include "game/config/ConfigurationFile.h"
#include "game/config/GLogosConfiguration.h"
#include "game/level/GBuildingsConfiguration.h"
#include "tests/io/XmlTestUtils.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
using namespace brasquel;
namespace fs = std::filesystem;

TEST(VideoDriverSetting, OnlyTheThreeDriversAreTakenEverythingElseIsDirect3D8) {
    const struct {
        s32 setting, driver;
    } cases[] = {{0, DriverDirect3D8}, {1, DriverDirect3D8}, {2, DriverDirect3D9},
                 {3, DriverOpenGL},    {7, DriverDirect3D8}, {-1, DriverDirect3D8}};
    for (const auto& c : cases) EXPECT_EQ(videoDriverFromSetting(c.setting), c.driver) << c.setting;
}

// ---- The logos file ----

namespace {

GLogosConfiguration parseLogos(const std::string& xml) {
    GLogosConfiguration logos;
    CRefPtr<CXmlReader> reader = test::readerOf(xml);
    EXPECT_TRUE(logos.load(reader.get()));
    return logos;
}

}  // namespace

TEST(LogosFile, EntriesKeepTheFileOrderAndTheirAttributes) {
    const GLogosConfiguration logos = parseLogos(
        "<?xml version=\"1.0\"?>\n<Logos>\n"
        "<Logo Image=\"logos/a.png\" Time=\"3000\" Skippable=\"true\"/>\n"
        "<MMLogo Image=\"logos/m.png\" Pos=\"100.5, -20\" URL=\"https://example.org/\"/>\n"
        "<Unknown Image=\"skipped.png\"/>\n"
        "<Logo Image=\"logos/b.png\" Skippable=\"True\"/>\n"
        "<MMLogo Image=\"logos/n.png\" Pos=\"7\"/>\n"
        "<Logo Image=\"logos/c.png\" Time=\"250\" Skippable=\"false\"/>\n"
        "</Logos>\n<Logo Image=\"after-the-root.png\"/>");
    ASSERT_EQ(logos.getLogos().size(), 3u);
    const struct {
        const char* image;
        s32 time;
        bool skippable;
    } expected[] = {
        {"logos/a.png", 3000, true}, {"logos/b.png", 0, false}, {"logos/c.png", 250, false}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_STREQ(logos.getLogos()[i].Image.c_str(), expected[i].image) << i;
        EXPECT_EQ(logos.getLogos()[i].Time, expected[i].time) << i;  // no Time: 0
        EXPECT_EQ(logos.getLogos()[i].Skippable, expected[i].skippable)
            << i;  // "True" is not "true"
    }
    ASSERT_EQ(logos.getMMLogos().size(), 2u);
    EXPECT_STREQ(logos.getMMLogos()[0].Image.c_str(), "logos/m.png");
    EXPECT_FLOAT_EQ(logos.getMMLogos()[0].Pos.X, 100.5f);
    EXPECT_FLOAT_EQ(logos.getMMLogos()[0].Pos.Y, -20.0f);
    EXPECT_STREQ(logos.getMMLogos()[0].URL.c_str(), "https://example.org/");
    EXPECT_FLOAT_EQ(logos.getMMLogos()[1].Pos.X, 7.0f);  // a missing number is 0
    EXPECT_FLOAT_EQ(logos.getMMLogos()[1].Pos.Y, 0.0f);
    EXPECT_TRUE(logos.getMMLogos()[1].URL.empty());
}

TEST(LogosFile, NoReaderAndAnEmptyRootLeaveNoEntries) {
    GLogosConfiguration logos;
    EXPECT_FALSE(logos.load(nullptr));
    const GLogosConfiguration empty = parseLogos("<Logos/>");
    EXPECT_TRUE(empty.getLogos().empty());
    EXPECT_TRUE(empty.getMMLogos().empty());
}

// ---- Sound settings ----

namespace {

class RecordingGroups : public ISoundGroupControl {
public:
    std::vector<std::string> calls;
    void setGroupVolume(f32 volume, s32 group) override {
        calls.push_back("volume " + std::to_string(group) + " " +
                        std::to_string(static_cast<int>(volume * 100.0f + 0.5f)));
    }
    void playCueIfNotPlaying(const CNameId& cue) override {
        calls.push_back(std::string("play ") + CNameTable::instance().getName(cue.getId()).c_str());
    }
    void stopGroup(s32 group) override { calls.push_back("stop " + std::to_string(group)); }
};

CRefPtr<CPropertySet> soundProfile(bool soundOn, bool musicOn, f32 soundVolume, f32 musicVolume) {
    auto profile = makeRef<CPropertySet>();
    profile->setBool("SoundOn", soundOn);
    profile->setBool("MusicOn", musicOn);
    profile->setFloat("SoundVolume", soundVolume);
    profile->setFloat("MusicVolume", musicVolume);
    return profile;
}

// A play scene as the sound settings see it.
class MusicScene : public SceneNode, public IGameMusicSource {
public:
    MusicScene() : SceneNode(CCreationContext()) {}
    bool isKindOf(s32 typeId) const override {
        return typeId == NodeTypeGamePlayScene || SceneNode::isKindOf(typeId);
    }
    CNameId getMusicCue() const override { return CNameId("LevelMusic"); }
};

}  // namespace

TEST(SoundSettings, VolumesMusicAndStopsFollowTheSwitches) {
    using Calls = std::vector<std::string>;
    const struct {
        bool soundOn, musicOn;
        Calls expected;
    } cases[] = {
        {true, true,
         Calls{"volume 0 40", "volume 2 40", "volume 1 70", "play MenuMusic",
               "play MainMenuAmbient"}},
        {false, true,
         Calls{"volume 0 0", "volume 2 0", "volume 1 70", "play MenuMusic", "play MainMenuAmbient",
               "stop 0", "stop 2"}},
        {true, false, Calls{"volume 0 40", "volume 2 40", "volume 1 0", "stop 1"}},
        {false, false,
         Calls{"volume 0 0", "volume 2 0", "volume 1 0", "stop 1", "stop 0", "stop 2"}},
    };
    for (const auto& c : cases) {
        RecordingGroups groups;
        applySoundSettings(soundProfile(c.soundOn, c.musicOn, 40.0f, 70.0f).get(), nullptr, groups);
        EXPECT_EQ(groups.calls, c.expected) << "sound " << c.soundOn << " music " << c.musicOn;
    }
}

TEST(SoundSettings, NoProfileChangesNothing) {
    RecordingGroups groups;
    applySoundSettings(nullptr, nullptr, groups);
    EXPECT_TRUE(groups.calls.empty());
}

TEST(SoundSettings, ThePlaySceneOnTheStackPlaysItsOwnMusic) {
    // Shown scenes get their clocks from the device.
    auto device = CRefPtr<IDevice>::fromRaw(new CDeviceLinux(SDeviceParameters()));
    auto manager = makeRef<SceneManager>(CCreationContext());
    auto play = makeRef<MusicScene>();
    auto menu = makeRef<SceneNode>(CCreationContext());
    ASSERT_TRUE(manager->setScene(play.get()));
    RecordingGroups groups;
    applySoundSettings(soundProfile(true, true, 50.0f, 50.0f).get(), manager.get(), groups);
    EXPECT_EQ(groups.calls.back(), "play LevelMusic");
    // An overlay above the play scene: the play scene below still chooses the music.
    ASSERT_TRUE(manager->switchScene(play.get(), menu.get(), -1, -1, true));
    groups.calls.clear();
    applySoundSettings(soundProfile(true, true, 50.0f, 50.0f).get(), manager.get(), groups);
    ASSERT_FALSE(groups.calls.empty());
    EXPECT_EQ(groups.calls.back(), "play LevelMusic");
    manager = nullptr;
}

// ---- Screen fit ----

TEST(ScreenFit, TheDesignFitsEveryScreen) {
    using Rect = irr::core::rect<s32>;
    const struct {
        s32 w, h;
        f32 scaleX, scaleY;
        s32 x, y;
        Rect left, right;
        bool stretched;
    } cases[] = {
        {1024, 768, 1.0f, 1.0f, 0, 0, Rect(0, 0, 0, 768), Rect(1024, 0, 1024, 768), true},
        {1280, 1024, 1.25f, 1024.0f / 768.0f, 0, 0, Rect(0, 0, 0, 1024), Rect(1280, 0, 1280, 1024),
         true},
        {1920, 1080, 1.40625f, 1.40625f, 240, 0, Rect(0, 0, 240, 1080), Rect(1680, 0, 1920, 1080),
         false},
        {800, 600, 0.78125f, 0.78125f, 0, 0, Rect(0, 0, 0, 600), Rect(800, 0, 800, 600), true},
        {1024, 600, 0.78125f, 0.78125f, 112, 0, Rect(0, 0, 112, 600), Rect(912, 0, 1024, 600),
         false},
        {1024, 1024, 1.0f, 1.0f, 0, 128, Rect(0, 0, 1024, 128), Rect(0, 895, 1024, 1024), false},
    };
    for (const auto& c : cases) {
        const SScreenFit fit = computeScreenFit(c.w, c.h);
        const std::string what = std::to_string(c.w) + "x" + std::to_string(c.h);
        EXPECT_FLOAT_EQ(fit.scaleX, c.scaleX) << what;
        EXPECT_FLOAT_EQ(fit.scaleY, c.scaleY) << what;
        EXPECT_EQ(fit.positionX, c.x) << what;
        EXPECT_EQ(fit.positionY, c.y) << what;
        EXPECT_EQ(fit.leftBar, c.left) << what;
        EXPECT_EQ(fit.rightBar, c.right) << what;
        EXPECT_EQ(fit.stretched, c.stretched) << what;
    }
}

TEST(ScreenFit, AScreenWithoutSizeIsNotDividedBy) {
    for (const auto& size : {std::pair<s32, s32>{0, 0}, {1024, 0}, {0, 768}, {-5, 10}}) {
        const SScreenFit fit = computeScreenFit(size.first, size.second);
        EXPECT_FLOAT_EQ(fit.scaleX, 1.0f);
        EXPECT_FLOAT_EQ(fit.scaleY, 1.0f);
        EXPECT_EQ(fit.positionX, 0);
        EXPECT_EQ(fit.positionY, 0);
    }
}

// ---- Access code ----

namespace {

// Types the text: '_' stands for a key without a character. Returns after which keys the code
// was complete.
std::vector<size_t> typeKeys(GAccessCodeWatcher& watcher, const std::string& keys) {
    std::vector<size_t> unlocked;
    for (size_t i = 0; i < keys.size(); ++i)
        if (watcher.onCharacter(
                keys[i] == '_' ? 0 : static_cast<u16>(static_cast<unsigned char>(keys[i]))))
            unlocked.push_back(i);
    return unlocked;
}

}  // namespace

TEST(AccessCode, OnlyTheEightLettersInARowSwitchTheKeysOn) {
    const struct {
        const char* keys;
        std::vector<size_t> unlockedAfter;
    } cases[] = {
        {"plumvast", {7}},
        {"PLUMVAST", {7}},  // caps lock on
        {"PlUmVaSt", {7}},
        {"xxplumvast", {9}},          // earlier keys fall out of the buffer
        {"plum_vast", {}},            // a key without a character breaks the code
        {"plum_vastplumvast", {16}},  // ... and typing it again afterwards works
        {"plumvas", {}},
        {"plumvastplumvast", {7, 15}},  // the buffer starts empty again
        {"plumvasT_", {7}},
    };
    for (const auto& c : cases) {
        GAccessCodeWatcher watcher;
        EXPECT_EQ(typeKeys(watcher, c.keys), c.unlockedAfter) << c.keys;
        EXPECT_LE(watcher.getBuffer().size(), GAccessCodeWatcher::CodeLength) << c.keys;
    }
}

TEST(AccessCode, WideCharactersDoNotPassForLetters) {
    GAccessCodeWatcher watcher;
    // Characters whose low byte is a letter of the code.
    const u16 keys[] = {0x170, 'l', 'u', 'm', 'v', 'a', 's', 0x174};
    bool unlocked = false;
    for (u16 key : keys) unlocked = watcher.onCharacter(key) || unlocked;
    EXPECT_FALSE(unlocked);
}

// ---- Screenshot names and the table reload ----

namespace {

struct TempFolder {
    fs::path path = fs::temp_directory_path() /
                    ("brasquel-app-" + std::to_string(::getpid()) + "-" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
    TempFolder() { fs::create_directories(path); }
    ~TempFolder() { fs::remove_all(path); }
    void write(const std::string& name, const std::string& text) const {
        fs::create_directories((path / name).parent_path());
        std::ofstream(path / name) << text;
    }
};

class CountingTable : public IConfigurationTable {
public:
    int reads = 0;
    std::wstring root;
    bool read(CXmlReader* reader) override {
        ++reads;
        while (reader->read())
            if (reader->getNodeType() == XmlNodeElement) {
                root = reader->getNodeName().c_str();
                break;
            }
        return true;
    }
};

}  // namespace

TEST(Screenshot, TheNumberSkipsFilesThatExist) {
    TempFolder folder;
    auto files = CRefPtr<CFileSystem>::fromRaw(new CFileSystemLinux());
    const stringc base(folder.path.c_str());
    EXPECT_EQ(nextScreenshotName(files.get(), base), base + "/screenshot0.jpg");
    folder.write("screenshot0.jpg", "taken");
    EXPECT_EQ(nextScreenshotName(files.get(), base), base + "/screenshot1.jpg");
    folder.write("screenshot1.jpg", "taken");
    folder.write("screenshot3.jpg", "taken");
    EXPECT_EQ(nextScreenshotName(files.get(), base), base + "/screenshot2.jpg");
    // No folder: no name, so nothing is ever written at the root.
    EXPECT_TRUE(nextScreenshotName(files.get(), stringc()).empty());
    EXPECT_TRUE(nextScreenshotName(nullptr, base).empty());
}

TEST(ReloadKey, AFileThatDoesNotOpenLeavesItsTable) {
    TempFolder folder;
    folder.write("levels/common/LevelScores.xml", "<LevelScores/>");
    auto files = CRefPtr<CFileSystem>::fromRaw(new CFileSystemLinux());
    const std::string scores = (folder.path / "levels/common/LevelScores.xml").string();
    const std::string comics = (folder.path / "scenes/ComicsConfiguration.xml").string();
    CountingTable present, missing;
    missing.root = L"kept";
    const std::vector<SReloadEntry> entries = {{comics.c_str(), &missing},
                                               {scores.c_str(), &present},
                                               {"levels/common/Unused.xml", nullptr}};
    EXPECT_EQ(reloadTables(files.get(), entries), 1u);
    EXPECT_EQ(present.reads, 1);
    EXPECT_EQ(present.root, L"LevelScores");
    EXPECT_EQ(missing.reads, 0);
    EXPECT_EQ(missing.root, L"kept");
    EXPECT_EQ(reloadTables(nullptr, entries), 0u);
}

TEST(ReloadKey, EachFileGivesOneLogLineNamingIt) {
    TempFolder folder;
    folder.write("whole.xml",
                 "<BuildingsConfiguration><Building><Properties><string Name=\"Name\" "
                 "Value=\"Cafe\"/></Properties></Building></BuildingsConfiguration>");
    folder.write("cut.xml",
                 "<BuildingsConfiguration><Building><Properties><string Name=\"Name\" "
                 "Value=\"Statue\"/></Properties></Building><Building><Prop");
    auto files = CRefPtr<CFileSystem>::fromRaw(new CFileSystemLinux());
    const std::string whole = (folder.path / "whole.xml").string();
    const std::string cut = (folder.path / "cut.xml").string();
    const std::string missing = (folder.path / "missing.xml").string();
    auto buildings = makeRef<GBuildingsConfiguration>();
    test::LogCapture log;
    EXPECT_EQ(readConfigurationFile(files.get(), whole.c_str(), buildings.get()),
              ConfigurationFileRead);
    EXPECT_TRUE(log.contains("Configuration read: " + whole, LogInformation));
    EXPECT_TRUE(buildings->find(CNameId("Cafe")));
    log.clear();
    EXPECT_EQ(readConfigurationFile(files.get(), cut.c_str(), buildings.get()),
              ConfigurationFileDamaged);
    EXPECT_TRUE(log.contains(
        "Configuration file ends early, what came before the damage is kept: " + cut, LogError));
    EXPECT_TRUE(buildings->find(CNameId("Statue")));
    EXPECT_FALSE(buildings->find(CNameId("Cafe")));
    log.clear();
    EXPECT_EQ(readConfigurationFile(files.get(), missing.c_str(), buildings.get()),
              ConfigurationFileMissing);
    EXPECT_TRUE(log.contains("Configuration file not found: " + missing, LogWarning));
    EXPECT_TRUE(buildings->find(CNameId("Statue")));  // kept as it was
    EXPECT_EQ(log.lines().size(), 1u);
}

TEST(ReloadKey, TheApplicationKeepsTheBuildingsCatalogueAndServesIt) {
    auto application = makeRef<GApplication>();
    GBuildingsConfiguration* buildings = application->getBuildingsConfiguration();
    ASSERT_TRUE(buildings);
    const IGameServices& services = *application;
    EXPECT_EQ(services.getBuildingsConfiguration(), buildings);
    const SReloadEntry& entry = application->getReloadEntries()[0];
    EXPECT_STREQ(entry.path, "levels/common/BuildingsConfiguration.xml");
    EXPECT_EQ(entry.table, static_cast<IConfigurationTable*>(buildings));
    application->shutdown();
    EXPECT_EQ(application->getBuildingsConfiguration(), nullptr);
}

TEST(ReloadKey, TheApplicationReadsTheLevelScoresFromTheLevelsFolder) {
    auto application = makeRef<GApplication>();
    std::vector<std::string> paths;
    for (const SReloadEntry& entry : application->getReloadEntries()) paths.push_back(entry.path);
    const std::vector<std::string> expected = {
        "levels/common/BuildingsConfiguration.xml", "levels/common/UpgradesConfiguration.xml",
        "scenes/ComicsConfiguration.xml", "levels/common/LevelScores.xml"};
    EXPECT_EQ(paths, expected);
    CountingTable scores;
    application->setReloadTable("levels/common/LevelScores.xml", &scores);
    EXPECT_EQ(application->getReloadEntries()[3].table, &scores);
    application->shutdown();
}
