// The harness's own parts: script times with hundredths written and read back to the same turn,
// the upgrades the campaign counts on at a level, collected without disturbing the active
// player, and a level run in-process as the program runs it, with the time of its completion
// notice.

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/profiles/CProfileManager.h"
#include "game/config/GProfileKeys.h"
#include "game/config/UpgradesConfiguration.h"
#include "game/level/GLevelConfiguration.h"
#include "game/level/GLevelUpgrades.h"
#include "tests/game/level/LevelSimRun.h"
#include "tests/io/XmlTestUtils.h"

using namespace oskel;
using namespace brasquel;
using namespace brasquel::levelsim;

namespace {

// An upgrade that allows the type named after it.
std::string upgrade(const std::string& name, int level, int price, int obligatory) {
    return "<Upgrade><Name Value=\"" + name + "\"/><Level Value=\"" + std::to_string(level) +
           "\"/><Price Value=\"" + std::to_string(price) + "\"/><ObligatoryLevel Value=\"" +
           std::to_string(obligatory) + "\"/><AllowsBuilding Value=\"" + name + "Type\"/>" +
           "<LevelModifiers></LevelModifiers></Upgrade>";
}

// The types the owned upgrades allow at the level.
std::set<std::string> allowedAt(const UpgradesConfiguration& table, s32 level,
                                EOwnedUpgrades owned = OwnedCampaignUpgrades) {
    auto configuration = makeRef<GLevelConfiguration>();
    configuration->LevelNumber = level;
    for (const char* name :
         {"FreeType", "EarlyType", "LateType", "NeverType", "OfferedLateType", "FreeLaterType"})
        configuration->AvailableBuildingsForBuild.push_back(CNameId(name));
    auto upgrades = makeRef<GLevelUpgrades>();
    collectOwnedUpgrades(&table, *configuration, owned, *upgrades);
    std::set<std::string> names;
    for (u32 i = 0; i < upgrades->getAllowedBuildings().size(); ++i)
        names.insert(upgrades->getAllowedBuildings()[i].getName().c_str());
    return names;
}

}  // namespace

TEST(LevelSimRun, ScriptTimesCarryHundredthsAndReadBackToTheirTurn) {
    struct Case {
        const char* line;
        u32 dayLength;
        bool understood;
        u64 turn;
    };
    const Case cases[] = {
        {"1:0 press ground", 60, true, 0},
        {"2:3 press ground", 20, true, 2300},
        {"3:12.25 build P1 Camping1", 60, true, 13225},
        {"1:0.5 press P1", 60, true, 50},
        {"1:1.05 press P1  # a comment", 60, true, 105},
        {"1:2. press P1", 60, false, 0},
        {"1:2.125 press P1", 60, false, 0},
        {"1:2.x5 press P1", 60, false, 0},
        {"0:1 press P1", 60, false, 0},
        {"1:2,5 press P1", 60, false, 0},
        {"1:2", 60, false, 0},
    };
    for (const Case& c : cases) {
        SAction action;
        EXPECT_EQ(parseActionLine(c.line, c.dayLength, action), c.understood) << c.line;
        if (c.understood) EXPECT_EQ(action.turn, c.turn) << c.line;
    }
    SAction action;
    ASSERT_TRUE(parseActionLine("1:1.05 press P1  # a comment", 60, action));
    EXPECT_EQ(action.text, "press P1");

    const std::pair<u64, const char*> written[] = {{0, "1:0"},      {50, "1:0.5"},
                                                   {105, "1:1.05"}, {5999, "1:59.99"},
                                                   {6000, "2:0"},   {13225, "3:12.25"}};
    for (const auto& [turn, text] : written) {
        EXPECT_EQ(scriptTime(turn, 60), text) << turn;
        ASSERT_TRUE(parseActionLine(scriptTime(turn, 60) + " press ground", 60, action)) << turn;
        EXPECT_EQ(action.turn, turn);
    }
}

TEST(LevelSimRun, TheCampaignsUpgradesAreTheFreeOnesAndThoseRequiredSoFar) {
    auto table = makeRef<UpgradesConfiguration>();
    const std::string xml = "<UpgradesConfiguration>" + upgrade("Free", 0, 0, -1) +
                            upgrade("Early", 1, 300, 2) + upgrade("Late", 5, 900, 7) +
                            upgrade("Never", 0, 500, 0) + upgrade("OfferedLate", 7, 900, 7) +
                            "</UpgradesConfiguration>";
    CRefPtr<CXmlReader> reader = test::readerOf(xml.c_str());
    ASSERT_TRUE(table->load(reader.get()));

    using Names = std::set<std::string>;
    // Level 7 lies on location 7: six regular levels before it, so an upgrade the shop offers
    // only from level 7 on does not count yet.
    EXPECT_EQ(allowedAt(*table, 1), Names{"FreeType"});
    EXPECT_EQ(allowedAt(*table, 2), (Names{"EarlyType", "FreeType"}));
    EXPECT_EQ(allowedAt(*table, 6), (Names{"EarlyType", "FreeType"}));
    EXPECT_EQ(allowedAt(*table, 7), (Names{"EarlyType", "LateType", "FreeType"}));
    EXPECT_EQ(allowedAt(*table, 8),
              (Names{"EarlyType", "LateType", "OfferedLateType", "FreeType"}));

    // The active player stays active, with what it bought.
    CProfileManager& profiles = CProfileManager::instance();
    ASSERT_TRUE(profiles.addProfile(L"Player"));
    const s32 index = profiles.getProfileIndex(profiles.findProfile(L"Player"));
    profiles.setActiveProfile(index);
    profiles.getActiveProfile()->setString(ProfileKeyBoughtUpgrades, "Never");
    EXPECT_EQ(allowedAt(*table, 2), (Names{"EarlyType", "FreeType"}));
    ASSERT_NE(profiles.getActiveProfile(), nullptr);
    EXPECT_EQ(profiles.getProfileIndex(profiles.getActiveProfile()), index);
    EXPECT_EQ(profiles.getActiveProfile()->getString(ProfileKeyBoughtUpgrades), stringc("Never"));
    EXPECT_EQ(profiles.findProfile(L"level_sim campaign"), nullptr);
    profiles.removeProfile(index);
    EXPECT_EQ(allowedAt(*table, 1), Names{"FreeType"});
    EXPECT_EQ(profiles.getActiveProfile(), nullptr);
}

TEST(LevelSimRun, InProcessTheSmallLevelRunsAsTheProgramAndNotesItsCompletion) {
    const std::string small = SMALL_LEVEL_DIR;
    // The committed transcript of the program's run at seed 7: its digests by day.
    std::ifstream transcript(small + "/transcript.txt");
    std::vector<std::string> digests;
    std::string line;
    while (std::getline(transcript, line))
        if (line.rfind("  digest ", 0) == 0) digests.push_back(line.substr(9));
    ASSERT_EQ(digests.size(), 8u);

    SHostSetup setup;
    setup.assets = ASSETS_DIR;
    setup.tables = small;
    setup.seed = 7;
    LevelHost host(setup);
    ASSERT_TRUE(host.ready());
    Transcript out(std::string(), true);
    LevelRun run(host, out);
    ASSERT_TRUE(run.load(small + "/"));
    std::vector<SAction> actions;
    ASSERT_TRUE(readScript(small + "/script.txt", run.dayLength(), actions));
    const u64 dayMs = static_cast<u64>(run.dayLength()) * 1000;
    std::vector<std::string> seen;
    while (seen.size() < digests.size()) {
        run.step(actions);
        // Completed on day 7 (its report says so first), not before.
        if (run.turn() * TurnMs <= 6 * dayMs) EXPECT_LT(run.completionMs(), 0) << run.turn();
        if (run.dayEnded()) seen.push_back(run.digest());
    }
    EXPECT_EQ(seen, digests);
    EXPECT_GE(run.completionMs(), static_cast<std::int64_t>(6 * dayMs));
    EXPECT_LT(run.completionMs(), static_cast<std::int64_t>(7 * dayMs));
    EXPECT_EQ(run.completionMs() % 20, 0);
    EXPECT_EQ(run.executed().size(), actions.size());
}

TEST(LevelSimRun, FreeUpgradesCountAtTheLevelsMapLocation) {
    // A free upgrade the shop offers from the 14th regular level on: level 15 lies on location
    // 16, after 14 regular levels (its number would give location 15, after 13 only).
    auto table = makeRef<UpgradesConfiguration>();
    const std::string xml = "<UpgradesConfiguration>" + upgrade("Free", 0, 0, -1) +
                            upgrade("FreeLater", 14, 0, -1) + upgrade("Early", 1, 300, 2) +
                            "</UpgradesConfiguration>";
    CRefPtr<CXmlReader> reader = test::readerOf(xml.c_str());
    ASSERT_TRUE(table->load(reader.get()));
    ASSERT_EQ(CProfileManager::instance().getActiveProfile(), nullptr);
    using Names = std::set<std::string>;
    EXPECT_EQ(allowedAt(*table, 14, OwnedFreeUpgrades), Names{"FreeType"});
    EXPECT_EQ(allowedAt(*table, 15, OwnedFreeUpgrades), (Names{"FreeType", "FreeLaterType"}));
    // The campaign's rule counts the required ones as well, at the same location.
    EXPECT_EQ(allowedAt(*table, 14), (Names{"FreeType", "EarlyType"}));
    EXPECT_EQ(allowedAt(*table, 15), (Names{"FreeType", "FreeLaterType", "EarlyType"}));
}
