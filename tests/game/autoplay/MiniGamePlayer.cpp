#include "tests/game/autoplay/MiniGamePlayer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/core/StringUtils.h"
#include "engine/nodes/SpriteNode.h"
#include "engine/scene/animation/Animator.h"
#include "engine/video/render2d/CAtlasTexture.h"
#include "game/config/GNodeTypeIds.h"
#include "game/minigames/GMiniGameScene.h"

namespace brasquel::autoplay {

using namespace oskel;

namespace {

// At most this many points of a node are tried for a click.
constexpr size_t kMaxPointTests = 40000;

bool isWithin(const BaseNode* found, const BaseNode* node) {
    for (const BaseNode* n = found; n; n = n->getParent())
        if (n == node) return true;
    return false;
}

// The node's rectangle on the window joined with those of the nodes below it.
void gatherRect(BaseNode* node, rectf& rect, bool& any) {
    if (!node->isVisible()) return;
    const rectf own = CLiveTree::describe(node).rect;
    if (own.getWidth() > 0 && own.getHeight() > 0) {
        if (!any) {
            rect = own;
            any = true;
        } else {
            rect.addInternalPoint(own.UpperLeftCorner);
            rect.addInternalPoint(own.LowerRightCorner);
        }
    }
    for (BaseNode* child : node->getChildren()) gatherRect(child, rect, any);
}

std::string nameOf(const BaseNode* node) {
    return node && node->getNameId() != -1 ? std::string(node->getNodeName().c_str())
                                           : std::string("(unnamed)");
}

// The number a text shows, or -1.
s32 shownNumber(BaseNode* node) {
    std::string text;
    if (!node || !CLiveTree::getText(node, text) || text.empty()) return -1;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    return end && *end == 0 ? static_cast<s32>(value) : -1;
}

}  // namespace

void CMiniGamePlayer::start(EGoal goal) {
    m_goal = goal;
    m_stage = EStage::Begin;
    m_why.clear();
    m_game = nullptr;
    m_clickPhase = 0;
    m_tried = nullptr;
    m_checkPending = false;
    m_countBefore = -1;
    m_tryIndex = 0;
    m_misses = 0;
    m_menuPressed = false;
    m_picks = 0;
    m_briefingClicks = 0;
}

void CMiniGamePlayer::observe(SceneNode* top) {
    if (top != m_briefed) m_briefed = nullptr;
}

u32 CMiniGamePlayer::extraTime(SceneNode* top) {
    const GMiniGameScene* game = asMiniGameScene(top);
    return game && game->getMaxLevelTime() > 0 ? static_cast<u32>(game->getMaxLevelTime()) : 0;
}

bool CMiniGamePlayer::plays(BaseNode* node, const char* state) {
    Animator* animator = node ? node->findState(CNameId(state).getId()) : nullptr;
    return animator && node->getRunningAnimator() == animator;
}

bool CMiniGamePlayer::findClickPoint(SceneNode* scene, BaseNode* node, s32& x, s32& y) {
    if (!scene || !node) return false;
    rectf rect;
    bool any = false;
    gatherRect(node, rect, any);
    if (!any) return false;
    const s32 x1 = static_cast<s32>(std::floor(rect.UpperLeftCorner.X));
    const s32 y1 = static_cast<s32>(std::floor(rect.UpperLeftCorner.Y));
    const s32 x2 = static_cast<s32>(std::ceil(rect.LowerRightCorner.X));
    const s32 y2 = static_cast<s32>(std::ceil(rect.LowerRightCorner.Y));
    if (x2 <= x1 || y2 <= y1) return false;
    const f32 cx = static_cast<f32>(x1 + x2) * 0.5f, cy = static_cast<f32>(y1 + y2) * 0.5f;
    size_t tests = 0;
    // Coarse grids first, each tried from the middle outwards, then every pixel.
    const s32 longest = std::max(x2 - x1, y2 - y1);
    for (const s32 divisions : {8, 32, 0}) {
        const s32 step = divisions > 0 ? std::max(1, longest / divisions) : 1;
        std::vector<std::pair<s32, s32>> points;
        for (s32 py = y1 + step / 2; py < y2; py += step)
            for (s32 px = x1 + step / 2; px < x2; px += step) points.emplace_back(px, py);
        std::stable_sort(points.begin(), points.end(), [cx, cy](const auto& a, const auto& b) {
            const f32 da = std::fabs(static_cast<f32>(a.first) - cx) +
                           std::fabs(static_cast<f32>(a.second) - cy);
            const f32 db = std::fabs(static_cast<f32>(b.first) - cx) +
                           std::fabs(static_cast<f32>(b.second) - cy);
            return da < db;
        });
        for (const auto& p : points) {
            if (++tests > kMaxPointTests) return false;
            const BaseNode* found =
                scene->findNodeAt(vector2df(static_cast<f32>(p.first), static_cast<f32>(p.second)));
            if (isWithin(found, node)) {
                x = p.first;
                y = p.second;
                return true;
            }
        }
        if (step == 1) break;
    }
    return false;
}

s32 CMiniGamePlayer::banknoteValue(BaseNode* zone) {
    BaseNode* obj = zone ? zone->findChildByName("Obj", 0) : nullptr;
    if (!obj || !obj->isKindOf(NodeTypeSprite)) return 0;
    const CAtlasTexture* picture = static_cast<SpriteNode*>(obj)->getAtlasTexture();
    if (!picture) return 0;
    std::string name = picture->getName().c_str();
    const size_t slash = name.find_last_of('/');
    if (slash != std::string::npos) name = name.substr(slash + 1);
    s32 value = 0;
    size_t digits = 0;
    for (char c : name) {
        if (c < '0' || c > '9' || digits >= 6) break;
        value = value * 10 + (c - '0');
        ++digits;
    }
    return value;
}

CMiniGamePlayer::EResult CMiniGamePlayer::fail(const std::string& why) {
    m_why = why;
    return EResult::Failed;
}

void CMiniGamePlayer::click(s32 x, s32 y, u32 updates) {
    m_clickX = x;
    m_clickY = y;
    m_input.warpPointer(x, y);
    const bool ok = m_input.mouseMove(x, y, false) && m_input.mouseButton(x, y, true);
    m_clickPhase = ok ? 1 : -1;
    m_clickUpdates = updates;
}

bool CMiniGamePlayer::clicking(u32 updates) {
    if (m_clickPhase <= 0) return false;
    if (updates <= m_clickUpdates) return true;
    if (m_clickPhase == 1) {
        m_clickPhase = m_input.mouseButton(m_clickX, m_clickY, false) ? 2 : -1;
        m_clickUpdates = updates;
        return m_clickPhase > 0;
    }
    m_clickPhase = 0;
    return false;
}

bool CMiniGamePlayer::leaving() const {
    return m_tree.isSwitchRunning() || m_tree.getTopScene() != m_game.get();
}

bool CMiniGamePlayer::finished() const {
    const GMiniGameScene* game = asMiniGameScene(m_game.get());
    return game && game->isFinished();
}

CMiniGamePlayer::EResult CMiniGamePlayer::turn(u32 gameNow, u32 updates) {
    if (clicking(updates)) {
        m_why = "a click is on its way";
        return EResult::Going;
    }
    if (m_clickPhase < 0) return fail("The click was not queued: " + m_input.getError());

    if (m_stage == EStage::Begin) {
        SceneNode* top = m_tree.getTopScene();
        if (!asMiniGameScene(top))
            return fail("the top scene is not a mini-game (" +
                        (top ? toUtf8(top->getClassName().c_str()) : std::string("none")) + ")");
        m_game = CRefPtr<SceneNode>(top);
        m_kind = top->isKindOf(GameNodeTypeMiniGameAuctionScene)   ? EKind::Auction
                 : top->isKindOf(GameNodeTypeMiniGameHidden2Scene) ? EKind::Ordered
                                                                   : EKind::Hidden;
        if (m_briefed == top) {
            m_stage = EStage::Play;
            m_nextPick = gameNow + AuctionPickMs;
        } else {
            m_stage = EStage::WaitAppear;
        }
    }

    BaseNode* text = m_game->findChildByName("LinetText", 0);
    if (m_stage == EStage::WaitAppear || m_stage == EStage::WaitDisappear) {
        if (!text) return fail("the mini-game has no \"LinetText\"");
        if (leaving()) return fail("the mini-game was left during its briefing");
    }
    if (m_stage == EStage::WaitAppear) {
        if (!plays(text, "Appear")) {
            m_why = "\"LinetText\" has not played \"Appear\"";
            return EResult::Going;
        }
        m_stage = EStage::WaitDisappear;
    }
    if (m_stage == EStage::WaitDisappear) {
        if (plays(text, "Disappear")) {
            m_briefed = m_game.get();
            m_playStart = gameNow;
            m_nextPick = gameNow + AuctionPickMs;
            if (m_goal == EGoal::Brief) return EResult::Done;
            m_stage = EStage::Play;
        } else {
            if (m_briefingClicks > 0 && gameNow - m_briefingClickAt < BriefingRetryMs) {
                m_why = "\"LinetText\" has not played \"Disappear\" after the briefing's click";
                return EResult::Going;
            }
            if (m_briefingClicks >= BriefingClicks)
                return fail("\"LinetText\" did not play \"Disappear\" after " +
                            std::to_string(m_briefingClicks) + " clicks");
            // A zone of the auction takes the click as a press (and deals nothing yet); the
            // hidden-object games take it anywhere: on the guide's text.
            s32 x = 0, y = 0;
            BaseNode* zone = m_game->findChildByName("Zone2", 0);
            if (!(m_kind == EKind::Auction && findClickPoint(m_game.get(), zone, x, y))) {
                const rectf r = CLiveTree::describe(text).rect;
                x = static_cast<s32>(r.getCenter().X);
                y = static_cast<s32>(r.getCenter().Y);
            }
            ++m_briefingClicks;
            m_briefingClickAt = gameNow;
            click(x, y, updates);
            m_why = "the briefing's click is on its way";
            return EResult::Going;
        }
    }

    switch (m_kind) {
        case EKind::Hidden:
            return playHidden(updates);
        case EKind::Ordered:
            return playOrdered(updates);
        case EKind::Auction:
            return playAuction(gameNow, updates);
    }
    return fail("unknown mini-game");
}

CMiniGamePlayer::EResult CMiniGamePlayer::pressMenuButton(u32 updates) {
    BaseNode* button = m_game->findChildByName("MenuButton", 0);
    if (!button) return fail("the mini-game has no \"MenuButton\"");
    s32 x = 0, y = 0;
    if (!findClickPoint(m_game.get(), button, x, y))
        return fail("no point of \"MenuButton\" where the scene finds it");
    m_menuPressed = true;
    click(x, y, updates);
    m_why = "the click on \"MenuButton\" is on its way";
    return EResult::Going;
}

CMiniGamePlayer::EResult CMiniGamePlayer::playHidden(u32 updates) {
    if (const std::optional<EResult> decided = hiddenGameDecided()) return *decided;
    BaseNode* hitObjects = m_game->findChildByName("HitObjects", 0);
    if (!hitObjects) return fail("the mini-game has no \"HitObjects\"");
    if (m_checkPending) {
        m_checkPending = false;
        if (m_tried->getParent() == hitObjects) {
            // Not found there: another item (or another point) next time.
            ++m_tryIndex;
            if (++m_misses > 3)
                return fail("clicks on the items found nothing (last \"" + nameOf(m_tried.get()) +
                            "\")");
        } else {
            m_misses = 0;
        }
        m_tried = nullptr;
    }
    return clickRemainingItem(hitObjects->getChildren(), updates, "");
}

CMiniGamePlayer::EResult CMiniGamePlayer::playOrdered(u32 updates) {
    if (const std::optional<EResult> decided = hiddenGameDecided()) return *decided;
    BaseNode* hitObjects = m_game->findChildByName("HitObjects", 0);
    if (!hitObjects) return fail("the mini-game has no \"HitObjects\"");
    const s32 count = shownNumber(m_game->findChildByName("ObjCount", 0));
    std::vector<BaseNode*> items;
    for (BaseNode* child : hitObjects->getChildren())
        if (child->isVisible()) items.push_back(child);
    if (m_checkPending) {
        m_checkPending = false;
        const bool found = count >= 0 && m_countBefore >= 0 && count < m_countBefore;
        if (found) {
            m_tryIndex = 0;
            m_misses = 0;
        } else {
            ++m_tryIndex;
            if (++m_misses > 2 * items.size() + 2)
                return fail("no remaining item was the wanted one (\"ObjCount\" stays " +
                            std::to_string(count) + ")");
        }
        m_tried = nullptr;
    }
    // What the check after the click compares with (read only when a click goes).
    m_countBefore = count;
    return clickRemainingItem(items, updates, " (\"ObjCount\" " + std::to_string(count) + ")");
}

std::optional<CMiniGamePlayer::EResult> CMiniGamePlayer::hiddenGameDecided() {
    if (m_menuPressed) {
        if (finished()) return fail("the game was won instead of left");
        if (leaving()) return EResult::Done;
        m_why = "the game has not been left after the click on \"MenuButton\"";
        return EResult::Going;
    }
    if (finished())
        return m_goal == EGoal::Win ? EResult::Done
                                    : fail("the game was won before \"MenuButton\" was pressed");
    if (leaving()) return fail("the game was left before it was won");
    return std::nullopt;
}

CMiniGamePlayer::EResult CMiniGamePlayer::clickRemainingItem(const std::vector<BaseNode*>& items,
                                                             u32 updates, const std::string& note) {
    if (m_goal == EGoal::Lose && items.size() <= 1) return pressMenuButton(updates);
    if (items.empty()) {
        m_why = "every item is found; the game has not finished";
        return EResult::Going;
    }
    BaseNode* item = items[m_tryIndex % items.size()];
    s32 x = 0, y = 0;
    if (!findClickPoint(m_game.get(), item, x, y))
        return fail("no point of the item \"" + nameOf(item) + "\" where the scene finds it");
    m_tried = CRefPtr<BaseNode>(item);
    m_checkPending = true;
    click(x, y, updates);
    m_why = "the click on \"" + nameOf(item) + "\" is on its way" + note;
    return EResult::Going;
}

CMiniGamePlayer::EResult CMiniGamePlayer::playAuction(u32 gameNow, u32 updates) {
    if (finished()) return EResult::Done;
    if (leaving()) return fail("the auction was left before its time had passed");
    const u32 limit = extraTime(m_game.get());
    if (m_goal == EGoal::Lose) {
        m_why = "the auction's time has not passed (no pick)";
        return EResult::Going;
    }
    if (gameNow < m_nextPick || gameNow - m_playStart + AuctionEndMarginMs >= limit) {
        m_why = std::to_string(m_picks) + " picks made; the auction's time has not passed";
        return EResult::Going;
    }
    static const char* const zones[] = {"Zone1", "Zone2", "Zone3"};
    BaseNode* best = nullptr;
    s32 highest = 0;
    for (const char* name : zones) {
        BaseNode* zone = m_game->findChildByName(name, 0);
        const s32 value = banknoteValue(zone);
        if (value > highest) {
            highest = value;
            best = zone;
        }
    }
    if (!best) return fail("no zone of the auction shows a banknote");
    s32 x = 0, y = 0;
    if (!findClickPoint(m_game.get(), best, x, y))
        return fail("no point of the zone \"" + nameOf(best) + "\" where the scene finds it");
    // One pick per period of game time, counted from the briefing's end: the number of picks
    // does not depend on the frame rate.
    m_nextPick += AuctionPickMs;
    ++m_picks;
    click(x, y, updates);
    m_why = "the pick of \"" + nameOf(best) + "\" is on its way";
    return EResult::Going;
}

}  // namespace brasquel::autoplay
