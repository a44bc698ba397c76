#pragma once

// Plays the mini-game on top of the user-interface scene manager for the walks' "minigame"
// steps, as a player would, through the window system's queue:
//  - the briefing: waits for the guide's text ("LinetText") to play "Appear", clicks once and
//    waits for the text to play "Disappear";
//  - a hidden-object game won: each remaining item of "HitObjects" clicked at a point where the
//    live scene's findNodeAt returns it; in the ordered game the remaining (visible) items are
//    tried in turn, a find seen as "ObjCount" dropping;
//  - the auction won: one pick per 500 ms of game time, of the zone whose "Obj" shows the
//    highest banknote (the number its picture's name starts with);
//  - lost: a hidden-object game left by "MenuButton" before its last item; the auction played
//    out without a pick.

#include <optional>
#include <string>
#include <vector>

#include "engine/core/CRefPtr.h"
#include "engine/scene/SceneNode.h"
#include "tests/game/autoplay/InputInjector.h"
#include "tests/game/autoplay/LiveTree.h"

namespace brasquel::autoplay {

class CMiniGamePlayer {
public:
    enum class EGoal { Brief, Win, Lose };
    enum class EResult { Going, Done, Failed };

    // Game time between two picks of the auction.
    static constexpr oskel::u32 AuctionPickMs = 500;
    // No pick is started this close to the auction's end (it would land after the game).
    static constexpr oskel::u32 AuctionEndMarginMs = 300;

    CMiniGamePlayer(CLiveTree& tree, CInputInjector& input) : m_tree(tree), m_input(input) {}

    // The game time after a briefing click without the text's "Disappear" before clicking again
    // (a click in the guide's intro is not taken).
    static constexpr oskel::u32 BriefingRetryMs = 1000;
    static constexpr oskel::u32 BriefingClicks = 3;

    // A new step with its goal; the briefing is skipped when an earlier step ended it on the
    // scene now on top.
    void start(EGoal goal);
    // One turn of the device; the step is done, goes on, or has failed (see why()).
    EResult turn(oskel::u32 gameNow, oskel::u32 updates);
    // What the step waits for, or why it failed.
    const std::string& why() const { return m_why; }
    // Forgets the briefing once another scene is on top.
    void observe(oskel::SceneNode* top);

    // The game time a step on this scene may take beyond the walk's step limit: the game's
    // time limit.
    static oskel::u32 extraTime(oskel::SceneNode* top);
    // A window point (whole pixels) inside the node's rectangle where the scene's findNodeAt
    // returns the node or a node below it; false when there is none.
    static bool findClickPoint(oskel::SceneNode* scene, oskel::BaseNode* node, oskel::s32& x,
                               oskel::s32& y);
    // The banknote value a zone's "Obj" shows: the number its picture's name starts with (after
    // its folder), or 0.
    static oskel::s32 banknoteValue(oskel::BaseNode* zone);
    // The node's state is the one it plays now (or played last).
    static bool plays(oskel::BaseNode* node, const char* state);

private:
    enum class EStage { Begin, WaitAppear, WaitDisappear, Play, Leave, Finish };
    enum class EKind { Hidden, Ordered, Auction };

    EResult fail(const std::string& why);
    // Starts a click at the window point: move and press now, release at the next turn.
    void click(oskel::s32 x, oskel::s32 y, oskel::u32 updates);
    // Moves a click on; true while one is on its way.
    bool clicking(oskel::u32 updates);
    bool leaving() const;
    bool finished() const;

    EResult playHidden(oskel::u32 updates);
    EResult playOrdered(oskel::u32 updates);
    // A hidden-object game's result when it is decided before the next click: after the click
    // on "MenuButton", once the game has finished, or when it is left.
    std::optional<EResult> hiddenGameDecided();
    // Clicks the item the try index picks from the remaining ones (the note ends the reason
    // shown while the click is on its way); "MenuButton" instead at the last item of a game to
    // lose.
    EResult clickRemainingItem(const std::vector<oskel::BaseNode*>& items, oskel::u32 updates,
                               const std::string& note);
    EResult playAuction(oskel::u32 gameNow, oskel::u32 updates);
    EResult pressMenuButton(oskel::u32 updates);

    CLiveTree& m_tree;
    CInputInjector& m_input;
    EGoal m_goal = EGoal::Brief;
    EKind m_kind = EKind::Hidden;
    EStage m_stage = EStage::Begin;
    std::string m_why;
    oskel::CRefPtr<oskel::SceneNode> m_game;
    // The scene whose briefing a step ended.
    oskel::SceneNode* m_briefed = nullptr;
    // Briefing clicks made, and the game time of the last one.
    oskel::u32 m_briefingClicks = 0;
    oskel::u32 m_briefingClickAt = 0;

    // The click on its way: 0 none, 1 pressed (release next), 2 released (done after an update).
    int m_clickPhase = 0;
    oskel::s32 m_clickX = 0, m_clickY = 0;
    oskel::u32 m_clickUpdates = 0;

    // The item clicked last and what was seen before the click.
    oskel::CRefPtr<oskel::BaseNode> m_tried;
    bool m_checkPending = false;
    oskel::s32 m_countBefore = -1;
    oskel::u32 m_tryIndex = 0;
    oskel::u32 m_misses = 0;
    bool m_menuPressed = false;

    // The auction: the game time of the briefing's end and of the next pick.
    oskel::u32 m_playStart = 0;
    oskel::u32 m_nextPick = 0;
    oskel::s32 m_picks = 0;
};

}  // namespace brasquel::autoplay
