// Fuzz target of the profile loader: arbitrary bytes as a player's profile file. Loading must
// never crash or hang; whatever it kept is saved again, and the saved file must load whole (no
// damage found in what the engine itself wrote). A damaged input is moved aside, never lost.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/core/CLogger.h"
#include "engine/io/CFileSystem.h"
#include "engine/profiles/CProfileManager.h"
#include "engine/properties/EngineSettings.h"

using namespace oskel;
namespace fs = std::filesystem;

namespace {

struct Setup {
    fs::path root = fs::temp_directory_path() / ("oskel-profile-fuzz-" + std::to_string(::getpid()));
    CFileSystem* files = nullptr;
    CRefPtr<CPropertySet> settings = createEngineSettings();
    Setup() {
        CLogger::instance().setOutputHook([](const char*, const char*, s32) {});
        fs::create_directories(root / "data");
        fs::create_directories(root / "common");
        setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
        setenv("OSKEL_COMMON_DATA_DIR", (root / "common").c_str(), 1);
        files = new CFileSystemLinux();
        files->setPublisherName("Fuzz");
        files->setTitleName("Profiles");
        CProfileManager::instance();
    }
    fs::path folder() const { return root / "data/Fuzz/Profiles"; }
};

Setup& setup() {
    static Setup* s = new Setup();
    return *s;
}

CRefPtr<CProfileManager> manager() {
    CRefPtr<CProfileManager> m = makeRef<CProfileManager>();
    m->setServices(setup().files, setup().settings.get());
    m->getNewProfileDefaults()->setInt("Level", 0);
    return m;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Setup& s = setup();
    fs::remove_all(s.folder());
    fs::create_directories(s.folder());
    std::ofstream(s.folder() / "profile.dat", std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

    CRefPtr<CProfileManager> first = manager();
    const bool whole = first->loadUserProfiles();
    // A damaged file is kept beside: never written over.
    if (!whole && !fs::exists(s.folder() / "profile.dat.damaged")) std::abort();
    for (u32 i = 0; i < first->getProfileCount(); ++i) first->getProfile(static_cast<s32>(i))->setInt("Level", 7);
    if (!first->saveUserProfiles()) std::abort();

    // What the engine wrote reads back whole, with every player kept.
    CRefPtr<CProfileManager> second = manager();
    if (!second->loadUserProfiles()) std::abort();
    if (second->getProfileCount() != first->getProfileCount()) std::abort();
    for (u32 i = 0; i < second->getProfileCount(); ++i)
        if (second->getProfile(static_cast<s32>(i))->getInt("Level") != 7) std::abort();
    return 0;
}
