// Writes seed files for the profile fuzz target into the folder given as the argument: profile
// files saved by the engine itself (players with values of several types, the active one), and
// a few hand-made damaged ones.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "engine/core/CLogger.h"
#include "engine/io/CFileSystem.h"
#include "engine/profiles/CProfileManager.h"
#include "engine/properties/EngineSettings.h"

using namespace oskel;
namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const fs::path out = argv[1];
    const fs::path root = fs::temp_directory_path() / ("oskel-profile-seeds-" + std::to_string(::getpid()));
    fs::create_directories(root / "data");
    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    setenv("OSKEL_COMMON_DATA_DIR", (root / "common").c_str(), 1);
    CLogger::instance().setOutputHook([](const char*, const char*, s32) {});
    CRefPtr<CFileSystem> files = makeRef<CFileSystemLinux>();
    files->setPublisherName("Seeds");
    files->setTitleName("Profiles");
    CRefPtr<CPropertySet> settings = createEngineSettings();
    CProfileManager::instance();
    CRefPtr<CProfileManager> m = makeRef<CProfileManager>();
    m->setServices(files.get(), settings.get());
    m->getCommonProfile()->setBool("FullScreen", false);
    m->getCommonProfile()->setInt("VideoDriver", 3);
    for (const wchar_t* name : {L"Anna", L"Bj\u00f6rn", L"\u674e"}) {
        if (!m->addProfile(name)) return 1;
    }
    m->getProfile(1)->setFloat("SoundVolume", 37.5f);
    m->getProfile(1)->setString("Scores", "10;20;30");
    m->getProfile(2)->setStringW("Title", L"Caf\u00e9");
    m->setActiveProfile(1);
    if (!m->saveUserProfiles()) return 1;
    const fs::path saved = root / "data/Seeds/Profiles/profile.dat";
    std::ifstream in(saved, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto save = [&](const char* name, const std::string& content) {
        std::ofstream(out / name, std::ios::binary) << content;
    };
    save("saved.dat", bytes);
    save("cut.dat", bytes.substr(0, bytes.size() / 2));
    save("other-root.dat", "<?xml version=\"1.0\"?><Other><Profile Name=\"A\"/></Other>");
    save("empty-profile.dat", "<Profiles><Profile Name=\"A\"/><Profile Name=\"A\"><Parameters/></Profile></Profiles>");
    fs::remove_all(root);
    return 0;
}
