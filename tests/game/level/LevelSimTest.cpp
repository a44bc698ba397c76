// The headless level harness on the small level: its script meets every objective on the day its
// committed transcript says, a seed gives the same run in every process and another seed other
// request times, a journal saved on day 3 and restored after another run goes on exactly as the
// straight run (with the campaign's upgrades too), the sell button and the answers to an offer
// are script actions, and with a window the lots are drawn where the level puts them.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine/image/CImage.h"
#include "engine/image/CImageManager.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CXmlReader.h"
#include "engine/video/SColorUtils.h"
#include "game/level/GBuildingsConfiguration.h"
#include "game/level/GLevelConfiguration.h"
#include "game/level/GLevelObjective.h"
#include "tests/nodes/ProgramRun.h"

using namespace oskel;
using namespace brasquel;
namespace fs = std::filesystem;

namespace {

const std::string Small = SMALL_LEVEL_DIR;

std::string readText(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

class LevelSim : public ::testing::Test {
protected:
    LevelSim()
        : m_dir(fs::temp_directory_path() / ("brasquel-levelsim-" + std::to_string(::getpid()))) {
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    ~LevelSim() override { fs::remove_all(m_dir); }

    // Runs the harness on the small level with its own tables; the transcript's lines.
    std::vector<std::string> run(std::vector<std::string> arguments, int expected = 0) {
        const fs::path transcript = m_dir / ("run" + std::to_string(m_runs++) + ".txt");
        std::vector<std::string> command{LEVEL_SIM_PROGRAM, "--assets", ASSETS_DIR,
                                         "--transcript", transcript.string()};
        command.insert(command.end(), arguments.begin(), arguments.end());
        std::string log;
        EXPECT_EQ(oskel::test::runProgram(command, log), expected) << log;
        return linesOf(readText(transcript));
    }
    std::vector<std::string> small(u32 seed, u32 days, std::vector<std::string> more = {}) {
        std::vector<std::string> arguments{"--level", Small, "--tables", Small, "--script",
                                           Small + "/script.txt", "--seed", std::to_string(seed),
                                           "--days", std::to_string(days)};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return run(arguments);
    }
    fs::path path(const char* name) const { return m_dir / name; }

private:
    fs::path m_dir;
    int m_runs = 0;
};

std::vector<std::string> withPrefix(const std::vector<std::string>& lines, const char* prefix) {
    std::vector<std::string> found;
    for (const std::string& l : lines)
        if (l.rfind(prefix, 0) == 0) found.push_back(l);
    return found;
}

// The lines from the report of the day on (the day's own report included).
std::vector<std::string> fromDay(const std::vector<std::string>& lines, u32 day) {
    const std::string start = "day " + std::to_string(day) + ":";
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].rfind(start, 0) == 0)
            return std::vector<std::string>(lines.begin() + static_cast<long>(i), lines.end());
    return {};
}

}  // namespace

TEST_F(LevelSim, TheSmallLevelsScriptMeetsEveryObjectiveAsItsTranscriptSays) {
    const std::vector<std::string> lines = small(7, 8);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines, linesOf(readText(Small + "/transcript.txt")));

    // Day 1 runs untouched: the income is that of the two buildings the level starts with
    // (a camping and a garden), from the level's own table.
    CRefPtr<CFileSystem> files = CRefPtr<CFileSystem>::fromRaw(new CFileSystemLinux());
    auto table = makeRef<GBuildingsConfiguration>();
    CRefPtr<CXmlReader> reader = CRefPtr<CXmlReader>::fromRaw(
        files->createXmlReader(stringc((Small + "/BuildingsConfiguration.xml").c_str())));
    ASSERT_TRUE(reader);
    ASSERT_TRUE(table->read(reader.get()));
    const f32 income = table->find(CNameId("Camping1"))->Income +
                       table->find(CNameId("Garden"))->Income;
    auto level = makeRef<GLevelConfiguration>();
    reader = CRefPtr<CXmlReader>::fromRaw(
        files->createXmlReader(stringc((Small + "/LevelConfiguration.xml").c_str())));
    ASSERT_TRUE(reader);
    ASSERT_TRUE(level->read(reader.get()));
    float money = 0, dayIncome = 0;
    const std::vector<std::string> days = withPrefix(lines, "day ");
    ASSERT_EQ(days.size(), 8u);
    ASSERT_EQ(std::sscanf(days[0].c_str(), "day 1: money %f income %f", &money, &dayIncome), 2);
    EXPECT_EQ(dayIncome, income);
    EXPECT_EQ(money, level->InitMoney + income);

    // Every objective met on day 7, the day the level completes, and not before.
    const std::vector<std::string> completed = withPrefix(lines, "  completed yes");
    ASSERT_EQ(completed.size(), 2u);  // days 7 and 8
    const std::vector<std::string> day7 = fromDay(lines, 7);
    ASSERT_GT(day7.size(), 6u);
    for (size_t i = 1; i <= level->Objectives->size(); ++i)
        EXPECT_NE(day7[i].find(" met"), std::string::npos) << day7[i];
    const std::vector<std::string> day6 = fromDay(lines, 6);
    ASSERT_GT(day6.size(), 4u);
    EXPECT_NE(day6[4].find("Income"), std::string::npos) << day6[4];
    EXPECT_NE(day6[4].find("open"), std::string::npos) << day6[4];
}

TEST_F(LevelSim, OneSeedGivesTheSameRunInTwoProcessesAndAnotherSeedOtherRequests) {
    const std::vector<std::string> first = small(11, 4);
    const std::vector<std::string> second = small(11, 4);
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first, second);
    const std::vector<std::string> other = small(12, 4);
    EXPECT_FALSE(withPrefix(other, "request ").empty());
    EXPECT_NE(withPrefix(first, "request "), withPrefix(other, "request "));
    EXPECT_NE(withPrefix(first, "  digest"), withPrefix(other, "  digest"));

    // Twice in one process: both runs as the others.
    const std::vector<std::string> twice = small(11, 4, {"--repeat", "2"});
    ASSERT_EQ(twice.size(), 2 * first.size() + 2);
    EXPECT_EQ(twice[0], "run 1");
    const long n = static_cast<long>(first.size());
    EXPECT_EQ(std::vector<std::string>(twice.begin() + 1, twice.begin() + 1 + n), first);
    EXPECT_EQ(twice[first.size() + 1], "run 2");
    EXPECT_EQ(std::vector<std::string>(twice.begin() + 2 + n, twice.end()), first);
}

TEST_F(LevelSim, ARestoredJournalGoesOnAsTheStraightRun) {
    const std::vector<std::string> straight = small(7, 8);
    const std::string journal = path("journal.txt").string();
    const std::vector<std::string> saved = small(7, 3, {"--save", journal + "@3"});
    ASSERT_EQ(withPrefix(saved, "day ").size(), 3u);
    ASSERT_TRUE(fs::exists(journal));
    // Another level run in between.
    EXPECT_FALSE(small(3, 2).empty());
    const std::vector<std::string> restored = run({"--restore", journal, "--days", "8"});
    ASSERT_FALSE(restored.empty());
    EXPECT_NE(restored[0].find(" matches"), std::string::npos) << restored[0];
    const std::vector<std::string> tail(restored.begin() + 1, restored.end());
    const std::vector<std::string> after = fromDay(straight, 3);
    ASSERT_GT(after.size(), 7u);
    // The straight run from the first line after day 3's report.
    std::vector<std::string> expected(after.begin() + 7, after.end());
    EXPECT_EQ(tail, expected);
    EXPECT_EQ(withPrefix(tail, "day ").size(), 5u);

    // A journal whose digest does not match is refused.
    std::string text = readText(journal);
    const size_t at = text.find("digest ");
    ASSERT_NE(at, std::string::npos);
    text[at + 7] = text[at + 7] == '0' ? '1' : '0';
    const fs::path damaged = path("damaged.txt");
    std::ofstream(damaged) << text;
    const std::vector<std::string> refused = run({"--restore", damaged.string(), "--days", "8"}, 3);
    ASSERT_FALSE(refused.empty());
    EXPECT_NE(refused[0].find(" differs"), std::string::npos);
    // One that is no journal at all, and a script line that says nothing.
    std::ofstream(path("junk.txt")) << "level_sim journal\nturn x\n";
    run({"--restore", path("junk.txt").string(), "--days", "2"}, 1);
    std::ofstream(path("bad.txt")) << "2:x build P1 Camping1\n";
    run({"--level", Small, "--tables", Small, "--script", path("bad.txt").string(), "--days", "1"},
        1);
}

TEST_F(LevelSim, WithAWindowTheLotsStandWhereTheLevelPutsThem) {
    std::ofstream(path("build.txt")) << "1:1 build P1 Camping1\n";
    const fs::path shot = path("shot.png");
    const std::vector<std::string> lines =
        run({"--level", Small, "--tables", Small, "--script", path("build.txt").string(), "--days",
             "1", "--seed", "7", "--window", shot.string()});
    const std::vector<std::string> lots = withPrefix(lines, "lot ");
    ASSERT_EQ(lots.size(), 6u);
    // The places of the level's scene file, 135 x 60 each.
    const std::map<std::string, std::pair<int, int>> places{
        {"P1", {150, 260}}, {"P2", {440, 260}}, {"H1", {730, 260}},
        {"G1", {150, 520}}, {"S1", {440, 520}}, {"A1", {730, 520}}};
    for (const std::string& line : lots) {
        char name[16];
        float x0, y0, x1, y1;
        ASSERT_EQ(std::sscanf(line.c_str(), "lot %15s %f %f %f %f", name, &x0, &y0, &x1, &y1), 5);
        ASSERT_TRUE(places.count(name)) << line;
        EXPECT_EQ(x0, places.at(name).first) << line;
        EXPECT_EQ(y0, places.at(name).second) << line;
        EXPECT_EQ(x1 - x0, 135.0f) << line;
        EXPECT_EQ(y1 - y0, 60.0f) << line;
    }
    EXPECT_EQ(withPrefix(lines, "action 1:1 build P1 Camping1 -> ok").size(), 1u);

    CRefPtr<CFileSystem> files = CRefPtr<CFileSystem>::fromRaw(new CFileSystemLinux());
    CRefPtr<IReadableFile> file =
        CRefPtr<IReadableFile>::fromRaw(files->createAndOpenFile(shot.string().c_str()));
    ASSERT_TRUE(file);
    CRefPtr<CImage> image =
        CRefPtr<CImage>::fromRaw(getImageManager().loadImage(file.get(), CCreationContext()));
    ASSERT_TRUE(image);
    ASSERT_EQ(image->getDimension(), dimension2di(1024, 768));
    // Every lot's footprint is drawn over the ground (not the clear colour throughout), and the
    // ground between the rows is plain.
    const SColor clear(0xff5a8a3cu);
    auto drawnShare = [&](int x0, int y0, int x1, int y1) {
        int drawn = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) drawn += SColor(image->getPixel(x, y)) != clear ? 1 : 0;
        return static_cast<float>(drawn) / static_cast<float>((x1 - x0) * (y1 - y0));
    };
    for (const auto& [name, place] : places)
        EXPECT_GT(drawnShare(place.first, place.second, place.first + 135, place.second + 60),
                  0.8f)
            << name;
    // Between the rows only the ground shows, in the sun or under a drifting cloud's shadow (the
    // same green, darker): nothing of a lot is drawn there.
    auto isGround = [&](const SColor& c) {
        if (c == clear) return true;
        const u32 r = c.getRed(), g = c.getGreen(), b = c.getBlue();
        return r <= clear.getRed() && g <= clear.getGreen() && b <= clear.getBlue() + 2 &&
               g > r && g > b && g * 10 >= clear.getGreen() * 6;
    };
    int other = 0;
    for (int y = 380; y < 440; ++y)
        for (int x = 300; x < 420; ++x) other += isGround(SColor(image->getPixel(x, y))) ? 0 : 1;
    EXPECT_LT(static_cast<float>(other) / (120.0f * 60.0f), 0.05f);
    // A lot's footprint is not taken for ground.
    int lotGround = 0;
    for (int y = 520; y < 580; ++y)
        for (int x = 150; x < 285; ++x) lotGround += isGround(SColor(image->getPixel(x, y))) ? 1 : 0;
    EXPECT_LT(static_cast<float>(lotGround) / (135.0f * 60.0f), 0.5f);
}

TEST_F(LevelSim, TheSellButtonAndTheOfferAnswersAreScriptActions) {
    // The camping goes on sale on day 3; its first offer is declined, the next one accepted.
    std::ofstream(path("sale.txt")) << "1:1.5 forsale H1\n1:2 forsale H1\n1:2.5 forsale S1\n"
                                       "3:5 forsale H1\n3:6 decline H1\n5:5 decline H1\n"
                                       "5:6 sell H1\n7:10 sell H1\n";
    const std::vector<std::string> lines =
        run({"--level", Small, "--tables", Small, "--script", path("sale.txt").string(), "--days",
             "7", "--seed", "7"});
    const std::vector<std::string> expected{
        "action 1:1.5 forsale H1 -> ok", "action 1:2 forsale H1 -> ok",
        "action 1:2.5 forsale S1 -> refused",  // not the player's
        "action 3:5 forsale H1 -> ok",   "action 3:6 decline H1 -> refused",  // no offer yet
        "action 5:5 decline H1 -> ok",   "action 5:6 sell H1 -> refused",     // declined
        "action 7:10 sell H1 -> ok"};
    EXPECT_EQ(withPrefix(lines, "action "), expected);
    // On sale the camping earns nothing; sold, it is no longer the player's.
    float money[8] = {}, income[8] = {};
    const std::vector<std::string> days = withPrefix(lines, "day ");
    ASSERT_EQ(days.size(), 7u);
    for (int d = 0; d < 7; ++d)
        ASSERT_EQ(std::sscanf(days[static_cast<size_t>(d)].c_str(), "day %*u: money %f income %f",
                              &money[d], &income[d]),
                  2);
    EXPECT_GT(income[1], income[2]);
    EXPECT_GT(money[6], money[5]);
}

TEST_F(LevelSim, AJournalKeepsTheCampaignsUpgrades) {
    const std::string journal = path("campaign.txt").string();
    const std::vector<std::string> straight = small(7, 4, {"--upgrades", "campaign"});
    small(7, 2, {"--upgrades", "campaign", "--save", journal + "@2"});
    EXPECT_NE(readText(journal).find("\nupgrades campaign\n"), std::string::npos);
    const std::vector<std::string> restored = run({"--restore", journal, "--days", "4"});
    ASSERT_FALSE(restored.empty());
    EXPECT_NE(restored[0].find(" matches"), std::string::npos) << restored[0];
    const std::vector<std::string> digests = withPrefix(straight, "  digest");
    ASSERT_EQ(digests.size(), 4u);
    EXPECT_EQ(withPrefix(restored, "  digest"),
              std::vector<std::string>(digests.begin() + 2, digests.end()));
    // An owning rule the harness does not know is refused.
    run({"--level", Small, "--tables", Small, "--upgrades", "all", "--days", "1"}, 2);
}
