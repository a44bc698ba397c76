#include "tests/game/autoplay/Playthrough.h"

#include <algorithm>

#include "tests/game/autoplay/Walk.h"

namespace brasquel::autoplay {

namespace {

// Scene classes the way goes through.
constexpr const char* kLogos = "GLogosScene";
constexpr const char* kPreloader = "GIntroScene";
constexpr const char* kNameEntry = "GSelectPlayerInputNameScene";
constexpr const char* kSelection = "GSelectPlayerScene";
constexpr const char* kMainMenu = "GMainMenuScene";
constexpr const char* kMap = "GMapScene";
constexpr const char* kShop = "GShopScene";
constexpr const char* kObjectives = "GLevelObjectivesScene";
constexpr const char* kPlay = "GGamePlayScene";
constexpr const char* kCompleted = "GLevelCompletedScene";
constexpr const char* kPopUp = "GAchievementUnlockedScene";
constexpr const char* kComic = "GComicsScene";
constexpr const char* kAuction = "GMiniGameAuctionScene";
constexpr const char* kMiniCompleted = "GMiniCompletedScene";
const char* const kMiniGames[] = {"GMiniGameHiddenScene", "GMiniGameHidden2Scene", kAuction};

// The map starts the mini-game of these locations by itself when a comic hands back to it.
const int kMiniGamesAfterComics[] = {7, 15, 31};

constexpr int kLevelsPerRegion = 7;

// A regular expression that matches a ";" list holding the name.
std::string listHolding(const std::string& name) { return "(.*;)?" + name + "(;.*)?"; }

std::string levelName(int location) {
    const int level = levelOfLocation(location);
    return level > 0 ? "level" + std::to_string(level) : "location" + std::to_string(location);
}

}  // namespace

int locationOfLevel(int level) { return level - 1 + (level - 1) / kLevelsPerRegion; }

int levelOfLocation(int location) {
    if (location < 0 || isMiniGameLocation(location)) return 0;
    return location + 1 - (location + 1) / (kLevelsPerRegion + 1);
}

bool isMiniGameLocation(int location) {
    return location >= 0 && (location + 1) % (kLevelsPerRegion + 1) == 0;
}

std::vector<std::string> CPlaythrough::missingUpgrades(const SPlaythroughView& view, int location) {
    std::vector<std::string> missing;
    for (const auto& [name, level] : view.obligatoryLevels)
        if (level >= 1 && locationOfLevel(level) == location && !view.bought.count(name))
            missing.push_back(name);
    return missing;
}

void CPlaythrough::planLevelEnd(const SPlaythroughView& view, std::vector<std::string>& steps) {
    const int location = view.levelIndex;
    const int level = levelOfLocation(location);
    const std::string name = levelName(location);
    steps.push_back("tutorial skip");
    std::string shot = "shot notblank";
    if (level >= WinterFirstLevel && level <= WinterLastLevel)
        shot += " white " + std::string(GroundArea) + " " + std::to_string(WinterWhitePercent);
    steps.push_back(shot + " save " + name);
    steps.push_back("key E");
    steps.push_back("wait scene " + std::string(kCompleted) + " dismissing " + kPopUp);
    steps.push_back("shot notblank save " + name + "-completed");
    steps.push_back("click Scene/OkButton");
    // Where the results lead, from the progress the level writes: a first completion opens the
    // next location; its comic opens when the location reached is the newest one.
    int maxUnlocked = view.maxUnlocked, reached = view.levelIndex;
    if (maxUnlocked < location) {
        maxUnlocked = location;
        reached = location + 1;
    }
    if (level == LastLevel && view.showFinalCredits) {
        m_creditsOpened = true;
        steps.push_back("wait scene " + std::string(kMainMenu));
    } else if (reached >= maxUnlocked && view.comics.count(reached)) {
        steps.push_back("wait scene " + std::string(kComic));
    } else {
        steps.push_back("wait scene " + std::string(kMap));
    }
}

bool CPlaythrough::plan(const SPlaythroughView& view, std::vector<std::string>& steps,
                        std::string& error) {
    steps.clear();
    const std::string& scene = view.scene;
    const bool miniGame =
        std::find(std::begin(kMiniGames), std::end(kMiniGames), scene) != std::end(kMiniGames);
    if (scene != kComic && !miniGame) m_comicHandedOver = m_miniGameFromComic = false;

    if (scene == kLogos || scene == kPreloader) {
        // The start: the menu, which asks for a player when there is none.
        steps = {"wait scene " + std::string(view.hasProfile ? kMainMenu : kNameEntry)};
        return true;
    }
    if (scene == kNameEntry) {
        steps = {"click Scene/NameEdit",
                 "text " + quoteWord(m_goal.player),
                 "expect enabled Scene/OkButton yes",
                 "click Scene/OkButton",
                 "wait scene " + std::string(kSelection),
                 "shot notblank save players",
                 "click Scene/OkButton",
                 "wait scene " + std::string(kMainMenu)};
        return true;
    }
    if (scene == kSelection) {
        steps = {"click Scene/OkButton", "wait scene " + std::string(kMainMenu)};
        return true;
    }
    if (!view.hasProfile) {
        error = "the playthrough has no active player on " + scene;
        return false;
    }
    if (scene == kMainMenu) {
        if (m_creditsOpened) {
            if (m_goal.credits) return true;  // the goal
            m_creditsOpened = false;
        }
        steps.push_back("shot notblank save menu");
        if (!view.developerKeys) steps.push_back("text " + quoteWord(AccessCode));
        steps.push_back("click Scene/NewGameButton");
        steps.push_back("wait scene " + std::string(view.maxUnlocked < 0 ? kObjectives : kMap));
        return true;
    }
    if (scene == kMap) {
        if (!m_goal.credits && view.maxUnlocked >= m_goal.location) return true;  // the goal
        const int location = view.levelIndex;
        const std::string button = "Scene/LocationButtons/Location" + std::to_string(location);
        steps.push_back("shot notblank save map");
        steps.push_back("click " + button);
        if (!missingUpgrades(view, location).empty()) {
            // A location that lacks an upgrade sends the player to the shop.
            steps.push_back("wait scene " + std::string(kShop));
            return true;
        }
        steps.push_back("expect enabled Scene/PlayButton yes");
        steps.push_back("click Scene/PlayButton");
        steps.push_back(isMiniGameLocation(location) ? std::string("wait minigame")
                                                     : "wait scene " + std::string(kObjectives));
        return true;
    }
    if (scene == kShop) {
        steps.push_back("shot notblank save shop");
        for (const std::string& name : missingUpgrades(view, view.levelIndex)) {
            const auto card = view.shopCards.find(name);
            if (card == view.shopCards.end()) {
                error = "the shop has no card for the upgrade \"" + name + "\"";
                return false;
            }
            steps.push_back("expect enabled " + card->second + " yes");
            steps.push_back("click " + card->second);
            steps.push_back("expect profile BoughtUpgrades matches " +
                            quoteWord(listHolding(name)));
            steps.push_back("wait scene " + std::string(kShop) + " dismissing " + kPopUp);
        }
        steps.push_back("click Scene/BackButton");
        steps.push_back("wait scene " + std::string(kMap));
        return true;
    }
    if (scene == kObjectives) {
        const std::string name = levelName(view.levelIndex);
        steps.push_back("shot notblank save " + name + "-objectives");
        steps.push_back("click Scene/OkButton");
        steps.push_back("wait scene " + std::string(kPlay));
        planLevelEnd(view, steps);
        return true;
    }
    if (scene == kPlay) {
        planLevelEnd(view, steps);
        return true;
    }
    if (scene == kPopUp) {
        steps = {"click Scene/OkButton"};
        return true;
    }
    if (scene == kComic) {
        steps.push_back("shot notblank save comic" + std::to_string(view.levelIndex));
        if (view.comicHandsOver && !m_comicHandedOver) {
            m_comicHandedOver = m_miniGameFromComic = true;
            steps.push_back("clickthrough Scene/PageArea until scene " + std::string(kAuction));
            steps.push_back("wait scene " + std::string(kAuction));
            return true;
        }
        m_comicHandedOver = false;
        steps.push_back("clickthrough Scene/PageArea until visible BackButton");
        steps.push_back("click BackButton");
        const bool startsMiniGame =
            std::find(std::begin(kMiniGamesAfterComics), std::end(kMiniGamesAfterComics),
                      view.levelIndex) != std::end(kMiniGamesAfterComics);
        steps.push_back(startsMiniGame ? std::string("wait minigame")
                                       : "wait scene " + std::string(kMap));
        return true;
    }
    if (miniGame) {
        const std::string name = "location" + std::to_string(view.levelIndex) + "-minigame";
        steps.push_back("shot notblank save " + name);
        steps.push_back("minigame win");
        steps.push_back("wait scene " + std::string(kMiniCompleted));
        steps.push_back("shot notblank save " + name + "-completed");
        steps.push_back("click OkButton");
        steps.push_back("wait scene " + std::string(m_miniGameFromComic ? kComic : kMap));
        m_miniGameFromComic = false;
        return true;
    }
    error = "the playthrough does not know its way from " + (scene.empty() ? "no scene" : scene);
    return false;
}

}  // namespace brasquel::autoplay
