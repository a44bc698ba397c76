// Saving profiles never loses a player's progress: the file is replaced durably (synced before it
// takes the old one's place, the folder synced after), a failed write anywhere keeps the old file,
// a save cut short leaves nothing that is read, and a damaged file is moved aside rather than
// written over.

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "engine/io/CFileSystem.h"
#include "engine/platform/FileSystemPosix.h"
#include "engine/profiles/CProfileManager.h"
#include "engine/properties/EngineSettings.h"
#include "tests/support/TestSupport.h"

using namespace oskel;
namespace fs = std::filesystem;

namespace {

std::string readBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeBytes(const fs::path& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }

struct ProfileSaves : ::testing::Test {
    fs::path root = fs::temp_directory_path() / ("oskel-saves-" + std::to_string(::getpid()) + "-" +
                                                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
    CFileSystem* files = nullptr;
    CRefPtr<CPropertySet> settings = createEngineSettings();

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
    CRefPtr<CProfileManager> make() {
        CRefPtr<CProfileManager> m = makeRef<CProfileManager>();
        m->setServices(files, settings.get());
        return m;
    }
    fs::path folder() const { return root / "data/Quorvane/Brasquel"; }
    fs::path userFile() const { return folder() / "profile.dat"; }

    // A saved file of the players, each with a value and a long text (about 12 KB a player).
    void savePlayers(u32 count, s32 value) {
        CRefPtr<CProfileManager> m = make();
        for (u32 i = 0; i < count; ++i) {
            ASSERT_TRUE(m->addProfile(stringw(("Player " + std::to_string(i)).c_str())));
            m->getProfile(static_cast<s32>(i))->setInt("Value", value);
            m->getProfile(static_cast<s32>(i))->setString("Notes", stringc(std::string(6000, 'a' + i % 26).c_str()));
        }
        ASSERT_TRUE(m->saveUserProfiles());
    }
    // The players a fresh manager reads, and their common value (-1 when they differ).
    std::pair<u32, s32> loadPlayers() {
        CRefPtr<CProfileManager> m = make();
        static_cast<void>(m->loadUserProfiles());
        s32 value = m->getProfileCount() ? m->getProfile(0)->getInt("Value") : -1;
        for (u32 i = 1; i < m->getProfileCount(); ++i)
            if (m->getProfile(static_cast<s32>(i))->getInt("Value") != value) value = -1;
        return {m->getProfileCount(), value};
    }
};

// Records the calls of a durable replacement; can fail one of them.
struct RecordingSyscalls : platform::IFileSyscalls {
    std::vector<std::string> calls;
    std::string failing;  // the call that fails ("write", "sync", "close", "rename", ...)
    int failAt = 1;       // its occurrence that fails
    std::map<std::string, int> seen;

    bool fails(const std::string& call) {
        if (call != failing || ++seen[call] != failAt) return false;
        calls.push_back(call + " failed");
        errno = EIO;
        return true;
    }
    int openForWriting(const char* path) override {
        calls.push_back("open " + fs::path(path).filename().string());
        return fails("open") ? -1 : platform::IFileSyscalls::openForWriting(path);
    }
    long write(int fd, const void* data, size_t size) override {
        // Short writes of at most 4 KB, as a disk may give them.
        if (fails("write")) return -1;
        return platform::IFileSyscalls::write(fd, data, size < 4096 ? size : 4096);
    }
    int sync(int fd) override {
        calls.push_back("sync");
        return fails("sync") ? -1 : platform::IFileSyscalls::sync(fd);
    }
    int close(int fd) override {
        calls.push_back("close");
        const int result = platform::IFileSyscalls::close(fd);
        return fails("close") ? -1 : result;
    }
    int rename(const char* from, const char* to) override {
        calls.push_back("rename " + fs::path(from).filename().string() + " " + fs::path(to).filename().string());
        return fails("rename") ? -1 : platform::IFileSyscalls::rename(from, to);
    }
    int remove(const char* path) override {
        calls.push_back("remove " + fs::path(path).filename().string());
        return platform::IFileSyscalls::remove(path);
    }
    int openFolder(const char* path) override {
        calls.push_back("open folder");
        return fails("open folder") ? -1 : platform::IFileSyscalls::openFolder(path);
    }
};

}  // namespace

TEST_F(ProfileSaves, TheFileIsSyncedBeforeTheRenameAndTheFolderAfter) {
    RecordingSyscalls calls;
    files->setFileSyscalls(&calls);
    savePlayers(3, 7);
    files->setFileSyscalls(nullptr);
    EXPECT_EQ(calls.calls, (std::vector<std::string>{"open profile.dat.new", "sync", "close",
                                                     "rename profile.dat.new profile.dat", "open folder", "sync",
                                                     "close"}));
    EXPECT_EQ(loadPlayers(), (std::pair<u32, s32>{3, 7}));
}

TEST_F(ProfileSaves, AFailureAtAnyStepKeepsTheOldFileWhole) {
    savePlayers(4, 1);
    const std::string old = readBytes(userFile());
    for (const char* step : {"open", "write", "sync", "close", "rename"}) {
        for (int at : {1, 3}) {
            if (at == 3 && std::string(step) != "write") continue;  // the other calls come once
            SCOPED_TRACE(std::string(step) + " #" + std::to_string(at));
            RecordingSyscalls calls;
            calls.failing = step;
            calls.failAt = at;
            files->setFileSyscalls(&calls);
            CRefPtr<CProfileManager> m = make();
            ASSERT_TRUE(m->loadUserProfiles());
            m->getProfile(0)->setInt("Value", 2);
            test::LogCapture logs;
            EXPECT_FALSE(m->saveUserProfiles());
            files->setFileSyscalls(nullptr);
            EXPECT_TRUE(logs.contains("Profiles not saved: the file could not be written", LogError));
            EXPECT_EQ(readBytes(userFile()), old);
            EXPECT_FALSE(fs::exists(folder() / "profile.dat.new"));
        }
    }
    // A failed folder sync comes after the new file is in place: the save stands, logged.
    RecordingSyscalls calls;
    calls.failing = "open folder";
    files->setFileSyscalls(&calls);
    test::LogCapture logs;
    savePlayers(2, 9);
    files->setFileSyscalls(nullptr);
    EXPECT_TRUE(logs.contains("Folder not synced after a file was replaced", LogError));
    EXPECT_EQ(loadPlayers(), (std::pair<u32, s32>{2, 9}));
}

// A full disk, for real: a child process whose file size limit cuts the new file at several
// sizes, down to the last buffer. The save fails and the old file stays whole.
TEST_F(ProfileSaves, AFullDiskNeverReplacesAGoodFile) {
    savePlayers(30, 1);
    const std::string old = readBytes(userFile());
    ASSERT_GT(old.size(), 300000u);
    // The new file is a little larger than the old one: the old values are 1, the new 22.
    for (const size_t limit : {size_t(0), size_t(4096), old.size() / 2, old.size() - 4096, old.size() - 1}) {
        SCOPED_TRACE(limit);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            signal(SIGXFSZ, SIG_IGN);
            CRefPtr<CProfileManager> m = make();
            if (!m->loadUserProfiles()) _exit(3);
            for (u32 i = 0; i < m->getProfileCount(); ++i) m->getProfile(static_cast<s32>(i))->setInt("Value", 22);
            const rlimit cap{limit, limit};
            setrlimit(RLIMIT_FSIZE, &cap);
            _exit(m->saveUserProfiles() ? 1 : 0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "the save answered true on a full disk";
        EXPECT_EQ(readBytes(userFile()), old);
        EXPECT_FALSE(fs::exists(folder() / "profile.dat.new"));
    }
    EXPECT_EQ(loadPlayers(), (std::pair<u32, s32>{30, 1}));
}

TEST_F(ProfileSaves, AnUnfinishedSaveIsRemovedAndNeverRead) {
    savePlayers(2, 5);
    writeBytes(folder() / "profile.dat.new", "<?xml version=\"1.0\"?><Profiles><Profile Name=\"Ghost\">");
    test::LogCapture logs;
    EXPECT_EQ(loadPlayers(), (std::pair<u32, s32>{2, 5}));
    EXPECT_FALSE(fs::exists(folder() / "profile.dat.new"));
    EXPECT_TRUE(logs.contains("Unfinished profile save removed", LogWarning));
}

TEST_F(ProfileSaves, DamagedFilesAreMovedAsideAndWhatCouldBeReadIsKept) {
    savePlayers(30, 4);
    const std::string whole = readBytes(userFile());
    const struct {
        const char* what;
        std::string bytes;
        u32 playersKept;  // at least
    } cases[] = {
        {"cut between two players", whole.substr(0, whole.size() * 2 / 3), 10},
        {"not XML", std::string("\x01\x02garbage\xff\xfe", 12), 0},
        {"another root", "<?xml version=\"1.0\"?><Settings><Profile Name=\"X\"/></Settings>", 0},
        {"empty", "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(folder());
        fs::create_directories(folder());
        writeBytes(userFile(), c.bytes);
        test::LogCapture logs;
        CRefPtr<CProfileManager> m = make();
        EXPECT_FALSE(m->loadUserProfiles());
        EXPECT_GE(m->getProfileCount(), c.playersKept);
        EXPECT_LT(m->getProfileCount(), 30u);
        EXPECT_TRUE(logs.contains("Profile file damaged: moved aside", LogError));
        EXPECT_FALSE(fs::exists(userFile()));
        EXPECT_EQ(readBytes(folder() / "profile.dat.damaged"), c.bytes);
        // The next save writes a new file; the damaged one stays beside it.
        EXPECT_TRUE(m->saveUserProfiles());
        EXPECT_EQ(readBytes(folder() / "profile.dat.damaged"), c.bytes);
    }
    // Earlier damaged files are kept: the next one is numbered.
    writeBytes(userFile(), "broken");
    CRefPtr<CProfileManager> m = make();
    EXPECT_FALSE(m->loadUserProfiles());
    EXPECT_EQ(readBytes(folder() / "profile.dat.damaged.1"), "broken");
    EXPECT_EQ(readBytes(folder() / "profile.dat.damaged"), "");
}

// Killed at random moments while saving over and over, a profile file is always whole: it parses
// and holds the old content or the new. Bounded by time; the seed is printed on failure.
TEST_F(ProfileSaves, KilledWhileSavingTheFileHoldsOldOrNewContent) {
    savePlayers(20, 0);
    const auto seed = static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    s32 lastSeen = 0;
    int rounds = 0;
    while (std::chrono::steady_clock::now() < end) {
        ++rounds;
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            CRefPtr<CProfileManager> m = make();
            static_cast<void>(m->loadUserProfiles());
            for (s32 value = lastSeen + 1;; ++value) {
                for (u32 i = 0; i < m->getProfileCount(); ++i) m->getProfile(static_cast<s32>(i))->setInt("Value", value);
                static_cast<void>(m->saveUserProfiles());
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, 30000)(random)));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        test::LogCapture logs;
        const auto [count, value] = loadPlayers();
        ASSERT_EQ(count, 20u) << "round " << rounds;
        ASSERT_GE(value, lastSeen) << "round " << rounds;  // one value for all: old or new, never mixed
        ASSERT_FALSE(logs.contains("Profile file damaged: moved aside", LogError)) << "round " << rounds;
        lastSeen = value;
    }
    EXPECT_GT(rounds, 10);
}
