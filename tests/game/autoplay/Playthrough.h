#pragma once

// A playthrough: the game played on from the scene on top as a player who knows the way plays
// it (the "playthrough" step of a walk). It is planned a stretch at a time, as walk steps, from
// the settled top scene, the active profile and the game's tables; each stretch ends where the
// next one can only be planned from what the game shows then (the shop's cards, a comic's
// hand-over, whether the map starts a mini-game by itself).
//
// The way through, by the scene on top:
//  - the name entry: the player's name typed and OK; the player selection: OK;
//  - the main menu: the developer access code typed (once), New game; a new player goes to the
//    first level's objectives, any other to the map;
//  - the map: the current location ("LevelIndex"); when it lacks an upgrade it requires, the
//    location is clicked and the shop opens; otherwise it is clicked and played;
//  - the shop: every upgrade the current location requires and the player lacks, bought from its
//    card (an achievement's pop-up closed), then back to the map;
//  - a level's objectives: OK; on the play screen the tutorial and tips skipped, a shot of the
//    level, the level ended with the developers' key E, the pop-ups closed, a shot of the
//    results, OK; then the scene the results lead to (the comic of the location reached, the
//    main menu's final credits after the last level, or the map);
//  - a comic: clicked through to its end, or to its hand-over to the auction, and left by its
//    back button; the map then starts the mini-game of locations 7, 15 and 31 by itself;
//  - a mini-game: won; its results closed; back to the comic that handed over or the map.
// The goal: the map with the highest completed location at or beyond a given one, or the main
// menu after the last level's results have opened the final credits.

#include <map>
#include <set>
#include <string>
#include <vector>

namespace brasquel::autoplay {

// Locations of the map and the regular levels on them: level n (from 1) lies on location
// n - 1 + (n - 1) / 7; every eighth location (7, 15, 23, 31) holds a mini-game.
int locationOfLevel(int level);
// The regular level on a location, or 0 for a mini-game's location.
int levelOfLocation(int location);
bool isMiniGameLocation(int location);

// What the planner reads of the game.
struct SPlaythroughView {
    std::string scene;  // the class of the settled top scene ("" for none)
    bool hasProfile = false;
    int maxUnlocked = -1;          // "MaxUnlockedLevelIndex"
    int levelIndex = 0;            // "LevelIndex"
    std::set<std::string> bought;  // "BoughtUpgrades"
    bool showFinalCredits = false;
    bool developerKeys = false;  // the access code has been typed
    // The upgrades table: each upgrade's name and the level whose location requires it (0 or
    // less: none).
    std::map<std::string, int> obligatoryLevels;
    // The level indexes the comics table gives a page.
    std::set<int> comics;
    // The comic on top has a part that hands over to the auction.
    bool comicHandsOver = false;
    // With the shop on top: each upgrade's card, as a walk path.
    std::map<std::string, std::string> shopCards;
};

struct SPlaythroughGoal {
    bool credits = false;  // else: the map at a location
    int location = 0;
    std::string player = "Pat";  // a new player's name
};

class CPlaythrough {
public:
    // The name entry's and player selection's typing and the access code.
    static constexpr const char* AccessCode = "plumvast";
    // The last regular level: its results open the final credits.
    static constexpr int LastLevel = 35;
    // Region 4's levels play in winter: their ground is mostly snow, inside this area of the
    // design (between the play screen's top bar and its bottom panel).
    static constexpr int WinterFirstLevel = 22;
    static constexpr int WinterLastLevel = 28;
    static constexpr const char* GroundArea = "area 0 100 1024 630";
    static constexpr int WinterWhitePercent = 50;

    explicit CPlaythrough(SPlaythroughGoal goal) : m_goal(std::move(goal)) {}

    // The next stretch as walk step lines; none once the goal is reached. False, with the
    // reason, when the playthrough does not know its way from the scene on top.
    bool plan(const SPlaythroughView& view, std::vector<std::string>& steps, std::string& error);

    // The upgrades a location requires that the player lacks, in the table's name order.
    static std::vector<std::string> missingUpgrades(const SPlaythroughView& view, int location);

private:
    void planLevelEnd(const SPlaythroughView& view, std::vector<std::string>& steps);

    SPlaythroughGoal m_goal;
    // The last level's results have sent the player to the main menu's final credits.
    bool m_creditsOpened = false;
    // The comic on top has handed over to the auction (its rest is still to be read), and the
    // mini-game on top was entered from a comic.
    bool m_comicHandedOver = false;
    bool m_miniGameFromComic = false;
};

}  // namespace brasquel::autoplay
