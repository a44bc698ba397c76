// The first level in the headless level harness: its committed script meets every objective by
// the fifth game day; with a window its lots stand where the level puts them, the picture is not
// blank and one seed draws the same picture twice.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/image/CImage.h"
#include "engine/image/CImageManager.h"
#include "engine/io/CFileSystem.h"
#include "tests/nodes/ProgramRun.h"

using namespace oskel;
namespace fs = std::filesystem;

namespace {

const std::string LevelFolder = "levels/level1";
const std::string Script = LEVEL_ONE_SCRIPT;

std::vector<std::string> linesOf(const fs::path& file) {
    std::ifstream in(file);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

class LevelOne : public ::testing::Test {
protected:
    LevelOne()
        : m_dir(fs::temp_directory_path() / ("brasquel-levelone-" + std::to_string(::getpid()))) {
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    ~LevelOne() override { fs::remove_all(m_dir); }

    std::vector<std::string> run(std::vector<std::string> arguments) {
        const fs::path transcript = m_dir / ("run" + std::to_string(m_runs++) + ".txt");
        std::vector<std::string> command{LEVEL_SIM_PROGRAM,  "--assets",  ASSETS_DIR,
                                         "--level",          LevelFolder, "--transcript",
                                         transcript.string()};
        command.insert(command.end(), arguments.begin(), arguments.end());
        std::string log;
        EXPECT_EQ(oskel::test::runProgram(command, log), 0) << log;
        return linesOf(transcript);
    }
    fs::path path(const char* name) const { return m_dir / name; }

private:
    fs::path m_dir;
    int m_runs = 0;
};

CRefPtr<CImage> loadShot(const fs::path& shot) {
    CRefPtr<CFileSystem> files = CRefPtr<CFileSystem>::fromRaw(new CFileSystemLinux());
    CRefPtr<IReadableFile> file =
        CRefPtr<IReadableFile>::fromRaw(files->createAndOpenFile(shot.string().c_str()));
    if (!file) return nullptr;
    return CRefPtr<CImage>::fromRaw(getImageManager().loadImage(file.get(), CCreationContext()));
}

}  // namespace

TEST_F(LevelOne, TheScriptMeetsEveryObjectiveByTheFifthDay) {
    const std::vector<std::string> lines = run({"--script", Script, "--days", "5", "--seed", "1"});
    for (const std::string& line : lines)
        if (line.rfind("action ", 0) == 0) EXPECT_NE(line.find("-> ok"), std::string::npos) << line;
    // The lines of the fifth day's report: its objectives and the completion.
    size_t at = 0;
    while (at < lines.size() && lines[at].rfind("day 5:", 0) != 0) ++at;
    ASSERT_LT(at, lines.size());
    u32 objectives = 0;
    bool completed = false;
    for (size_t i = at + 1; i < lines.size() && lines[i].rfind("day ", 0) != 0; ++i) {
        if (lines[i].rfind("  objective ", 0) == 0) {
            ++objectives;
            EXPECT_EQ(lines[i].substr(lines[i].size() - 4), " met") << lines[i];
        }
        if (lines[i].rfind("  completed yes", 0) == 0) completed = true;
    }
    EXPECT_GE(objectives, 2u);
    EXPECT_TRUE(completed);
}

TEST_F(LevelOne, WithAWindowTheLotsStandInPlaceAndOneSeedDrawsOnePicture) {
    const std::map<std::string, std::pair<int, int>> places{
        {"Place1", {110, 292}}, {"Place2", {300, 292}}, {"Place3", {610, 292}},
        {"Place4", {800, 292}}, {"Place5", {200, 532}}, {"Place6", {700, 532}}};
    std::vector<CRefPtr<CImage>> shots;
    for (const char* name : {"first.png", "second.png"}) {
        const fs::path shot = path(name);
        const std::vector<std::string> lines =
            run({"--script", Script, "--days", "1", "--seed", "5", "--window", shot.string()});
        u32 lots = 0;
        for (const std::string& line : lines) {
            if (line.rfind("lot ", 0) != 0) continue;
            ++lots;
            char lot[16];
            float x0, y0, x1, y1;
            ASSERT_EQ(std::sscanf(line.c_str(), "lot %15s %f %f %f %f", lot, &x0, &y0, &x1, &y1),
                      5);
            ASSERT_TRUE(places.count(lot)) << line;
            EXPECT_EQ(x0, places.at(lot).first) << line;
            EXPECT_EQ(y0, places.at(lot).second) << line;
        }
        EXPECT_EQ(lots, places.size());
        CRefPtr<CImage> image = loadShot(shot);
        ASSERT_TRUE(image);
        ASSERT_EQ(image->getDimension(), dimension2di(1024, 768));
        shots.push_back(image);
    }
    // Not blank: the backdrop, lots, cars and walkers give many colours.
    std::set<u32> colours;
    for (int y = 0; y < 768; y += 3)
        for (int x = 0; x < 1024; x += 3) colours.insert(shots[0]->getPixel(x, y));
    EXPECT_GT(colours.size(), 200u);
    u32 differing = 0;
    for (int y = 0; y < 768; ++y)
        for (int x = 0; x < 1024; ++x)
            differing += shots[0]->getPixel(x, y) != shots[1]->getPixel(x, y) ? 1u : 0u;
    EXPECT_EQ(differing, 0u);
}
