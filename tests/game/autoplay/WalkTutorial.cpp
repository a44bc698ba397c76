// Following the running tutorial: the "tutorial" steps of a walk. A step of the tutorial is
// played as its player would: the target comes from the step's actions as the controller read
// them from the step file, and is found by name in the live tree.

#include <algorithm>
#include <string>
#include <vector>

#include "engine/core/StringUtils.h"
#include "engine/device/IDevice.h"
#include "engine/nodes/ButtonNode.h"
#include "engine/nodes/ListNode.h"
#include "engine/nodes/TextNode.h"
#include "engine/scene/ControlNode.h"
#include "engine/video/IVideoDriver.h"
#include "game/config/GNodeTypeIds.h"
#include "game/level/GBuildingNode.h"
#include "game/level/GBuildingsConfiguration.h"
#include "game/play/GGamePlayScene.h"
#include "game/play/tutorial/GTutorialController.h"
#include "game/scenes/GMapScene.h"
#include "game/scenes/GShopScene.h"
#include "tests/game/autoplay/ShotChecks.h"
#include "tests/game/autoplay/Walk.h"
#include "tests/game/autoplay/WalkRunner.h"

namespace brasquel::autoplay {

using namespace oskel;

namespace {

// An arrow's tip may stand this far outside its target (pixels).
constexpr f32 kTipSlack = 3.0f;
// A click away from the target keeps this far from anything the step allows (pixels).
constexpr f32 kAwayMargin = 12.0f;
// The skip buttons' captions.
const wchar_t* const kSkipTipsCaption = L"%GamePlay_SkipTipsBtn%";
const wchar_t* const kSkipTutorialCaption = L"%GamePlay_SkipTutorialBtn%";

// The phases of a "tutorial step".
enum ETutorialPhase {
    PhaseExamine = 0,
    PhaseShot,
    PhaseAwayMove,
    PhaseAwayDown,
    PhaseAwayUp,
    PhaseAwayCheck,
    PhaseTargetMove,
    PhaseTargetDown,
    PhaseTargetUp,
    PhaseWait,
};

bool because(std::string& error, const std::string& why) {
    error = why;
    return false;
}

rectf inflated(rectf rect, f32 by) {
    rect.UpperLeftCorner.X -= by;
    rect.UpperLeftCorner.Y -= by;
    rect.LowerRightCorner.X += by;
    rect.LowerRightCorner.Y += by;
    return rect;
}

bool hasArea(const rectf& rect) { return rect.getWidth() > 0.0f && rect.getHeight() > 0.0f; }

// The rectangle that the visible nodes of a subtree cover on the window (empty when none has a
// size).
rectf visibleExtent(BaseNode* node) {
    rectf all(0, 0, 0, 0);
    bool any = false;
    std::vector<BaseNode*> pending{node};
    while (!pending.empty()) {
        BaseNode* n = pending.back();
        pending.pop_back();
        if (!n || !n->isVisible()) continue;
        for (BaseNode* child : n->getChildren()) pending.push_back(child);
        const rectf rect = CLiveTree::describe(n).rect;
        if (!hasArea(rect)) continue;
        if (any) {
            all.addInternalPoint(rect.UpperLeftCorner);
            all.addInternalPoint(rect.LowerRightCorner);
        } else {
            all = rect;
            any = true;
        }
    }
    return all;
}

// An arrow's tip on the window: the origin of the arrow node.
vector2df arrowTip(BaseNode* arrow) {
    SWalkTarget origin;
    origin.hasPoint = true;
    return CLiveTree::windowPoint(arrow, origin);
}

std::string pointText(const vector2df& p) {
    return "(" + std::to_string(static_cast<int>(p.X)) + "," +
           std::to_string(static_cast<int>(p.Y)) + ")";
}

std::string nameOf(s32 id) { return CNameId::fromId(id).getName().c_str(); }

// Every node below the top scene that passes the test, in tree order.
template <class Test>
std::vector<BaseNode*> collect(BaseNode* top, Test test) {
    std::vector<BaseNode*> found;
    std::vector<BaseNode*> pending{top};
    while (!pending.empty()) {
        BaseNode* n = pending.back();
        pending.pop_back();
        if (!n) continue;
        if (test(n)) found.push_back(n);
        const std::vector<BaseNode*>& children = n->getChildren();
        for (auto it = children.rbegin(); it != children.rend(); ++it) pending.push_back(*it);
    }
    return found;
}

bool isNameIn(const CNameId& name, const array<CNameId>& names) {
    for (u32 i = 0; i < names.size(); ++i)
        if (names[i].getId() == name.getId()) return true;
    return false;
}

}  // namespace

bool parseTutorialStep(const std::vector<std::string>& w, SWalkStep& step, std::string& error) {
    const std::string usage =
        "tutorial step [shot] [save NAME] | shown [\"TEXT\"] | tip yes|no | over | skip";
    if (w.size() < 2) return because(error, usage);
    const std::string& what = w[1];
    if (what == "step") {
        step.kind = EStepKind::TutorialStep;
        for (size_t i = 2; i < w.size(); ++i) {
            if (w[i] == "shot") {
                step.flag = true;
            } else if (w[i] == "save" && i + 1 < w.size() && !w[i + 1].empty() &&
                       w[i + 1].find('/') == std::string::npos) {
                step.shot.save = w[++i];
            } else {
                return because(error, usage);
            }
        }
        if (!step.shot.save.empty() && !step.flag) return because(error, "save goes with shot");
        return true;
    }
    if (what == "shown" && w.size() <= 3) {
        step.kind = EStepKind::TutorialShown;
        step.hasValue = w.size() == 3;
        if (step.hasValue) step.value = w[2];
        return true;
    }
    if (what == "tip" && w.size() == 3 && (w[2] == "yes" || w[2] == "no")) {
        step.kind = EStepKind::TutorialTip;
        step.flag = w[2] == "yes";
        return true;
    }
    if (what == "over" && w.size() == 2) {
        step.kind = EStepKind::TutorialOver;
        return true;
    }
    if (what == "skip" && w.size() == 2) {
        step.kind = EStepKind::TutorialSkip;
        return true;
    }
    return because(error, usage);
}

GTutorialController* CWalkRunner::runningTutorial() const {
    SceneNode* top = m_tree.getTopScene();
    if (!top) return nullptr;
    if (m_options.findTutorial) return m_options.findTutorial(top);
    if (auto* play = dynamic_cast<GGamePlayScene*>(top)) return play->getTutorialController();
    if (auto* map = dynamic_cast<GMapScene*>(top))
        return dynamic_cast<GTutorialController*>(map->getTutorial());
    if (auto* shop = dynamic_cast<GShopScene*>(top))
        return dynamic_cast<GTutorialController*>(shop->getTutorial());
    return nullptr;
}

u32 CWalkRunner::stepGameTimeoutMs(const SWalkStep& step) const {
    if (step.kind == EStepKind::TutorialStep)
        return std::max(m_options.stepGameTimeoutMs, m_options.tutorialWaitMs);
    return m_options.stepGameTimeoutMs;
}

long long CWalkRunner::stepRealTimeoutMs(const SWalkStep& step) const {
    // Game time runs no slower than real time while the window is active.
    if (step.kind == EStepKind::TutorialStep)
        return std::max<long long>(m_options.stepRealTimeoutMs, m_options.tutorialWaitMs);
    return m_options.stepRealTimeoutMs;
}

bool CWalkRunner::examineTutorialStep() {
    std::string& why = m_lastWhy;
    GTutorialController* tutorial = runningTutorial();
    if (!tutorial) return because(why, "no tutorial runs on the top scene");
    const s32 index = tutorial->getCurrentIndex();
    GTutorialHint* hint = index >= 0 ? tutorial->getStep(static_cast<u32>(index)) : nullptr;
    if (!hint) return because(why, "the tutorial has passed its last step");
    const std::string here = "step " + std::to_string(index + 1) + " of " +
                             std::to_string(tutorial->getStepCount()) + ": ";
    SceneNode* top = m_tree.getTopScene();

    // The window: shown for a text or a Linnet step, with its text.
    BaseNode* window = tutorial->getWindow();
    const bool windowWanted = !hint->Text.empty() || hint->Linnet;
    if (windowWanted && (!window || !CLiveTree::describe(window).visible))
        return because(why, here + "its window is not shown");
    if (!hint->Text.empty()) {
        TextNode* text = tutorial->getTextNode();
        if (!text || !CLiveTree::describe(text).visible)
            return because(why, here + "its window shows no text");
    }

    // The target, from the step's actions.
    m_tutorial = STutorialPlay();
    m_tutorial.controller = tutorial;
    m_tutorial.scene = top;
    m_tutorial.index = index;
    rectf target;
    bool hasTarget = false;
    bool arrowsAtTarget = false;
    // What a click away from the target must keep clear of.
    std::vector<rectf> allowed;
    if (hint->MessageBox) {
        BaseNode* button = window ? window->findChildByName(CNameId("Button").getId(), 0) : nullptr;
        if (!button || !CLiveTree::describe(button).visible)
            return because(why, here + "a message box step without a visible \"Button\"");
        target = CLiveTree::describe(button).rect;
        hasTarget = true;
        m_tutorial.click = true;
    }
    for (u32 a = 0; a < hint->Actions.size() && !hasTarget; ++a) {
        GTutorialAction* action = hint->Actions[a].get();
        if (auto* control = dynamic_cast<GControlPressAction*>(action)) {
            m_tutorial.stray = true;
            const array<CNameId>& names = control->getControls();
            for (u32 n = 0; n < names.size(); ++n) {
                BaseNode* node = top->findChildByName(names[n].getId(), 0);
                if (!node || !CLiveTree::describe(node).visible) continue;
                allowed.push_back(CLiveTree::describe(node).rect);
                if (!hasTarget) target = allowed.back();
                hasTarget = true;
            }
            if (!hasTarget) return because(why, here + "none of the controls it allows is shown");
            m_tutorial.click = true;
            arrowsAtTarget = true;
        } else if (auto* item = dynamic_cast<GListItemAction*>(action)) {
            const bool pressed = dynamic_cast<GListItemPressAction*>(action) != nullptr;
            ListNode* list = asListNode(top->findChildByName(item->getListName(), 0));
            if (!list || !CLiveTree::describe(list).visible)
                return because(
                    why, here + "its list \"" + nameOf(item->getListName()) + "\" is not shown");
            allowed.push_back(CLiveTree::describe(list).rect);
            const array<s32>& indices = item->getIndices();
            for (u32 i = 0; i < indices.size(); ++i) {
                const s32 wanted = indices[i];
                const s32 element = list->elementOfItem(wanted);
                BaseNode* node =
                    element >= 0 ? list->getElement(static_cast<u32>(element)) : nullptr;
                if (!node || !CLiveTree::describe(node).visible) continue;
                target = CLiveTree::describe(node).rect;
                hasTarget = true;
                break;
            }
            if (!hasTarget)
                return because(why, here + "no item it allows is shown in \"" +
                                        nameOf(item->getListName()) + "\"");
            m_tutorial.click = pressed;
            m_tutorial.hover = !pressed;
            m_tutorial.stray = pressed;
            arrowsAtTarget = true;
        } else if (auto* building = dynamic_cast<GBuildingPressAction*>(action)) {
            m_tutorial.stray = true;
            const std::vector<BaseNode*> lots = collect(top, [&](BaseNode* n) {
                if (!n->isKindOf(GameNodeTypeBuildingNode)) return false;
                const GBuildingConfig* type = static_cast<GBuildingNode*>(n)->getCurrentType();
                return type && isNameIn(type->Name, building->getBuildingTypes()) &&
                       CLiveTree::describe(n).visible;
            });
            if (lots.empty()) return because(why, here + "no lot of a type it allows is shown");
            // The lot under an arrow first, then one of the player's, then any.
            const BaseNode* chosen = nullptr;
            BaseNode* arrows = tutorial->getArrowLayer();
            for (BaseNode* lot : lots) {
                allowed.push_back(CLiveTree::describe(lot).rect);
                if (chosen || !arrows) continue;
                for (BaseNode* arrow : arrows->getChildren())
                    if (inflated(allowed.back(), kTipSlack).isPointInside(arrowTip(arrow)))
                        chosen = lot;
            }
            for (BaseNode* lot : lots)
                if (!chosen && static_cast<GBuildingNode*>(lot)->isOwnedByThePlayer()) chosen = lot;
            if (!chosen) chosen = lots.front();
            target = CLiveTree::describe(const_cast<BaseNode*>(chosen)).rect;
            hasTarget = true;
            m_tutorial.click = true;
            arrowsAtTarget = true;
        } else if (dynamic_cast<GMouseClickAction*>(action)) {
            // Any press ends it: the node under its first arrow.
            BaseNode* arrows = tutorial->getArrowLayer();
            if (!arrows || arrows->getChildren().empty())
                return because(why, here + "a click step without an arrow to say where");
            const vector2df tip = arrowTip(arrows->getChildren().front());
            target = rectf(tip.X - 1, tip.Y - 1, tip.X + 1, tip.Y + 1);
            hasTarget = true;
            m_tutorial.click = true;
        }
    }
    if (hasTarget) m_tutorial.target = target.getCenter();

    // The arrows: as many as the step has, shown, on the window; one over a pressed target.
    BaseNode* arrows = tutorial->getArrowLayer();
    const u32 arrowCount = arrows ? static_cast<u32>(arrows->getChildren().size()) : 0;
    if (arrowCount != hint->Arrows.size())
        return because(why, here + std::to_string(arrowCount) + " arrows stand, the step has " +
                                std::to_string(hint->Arrows.size()));
    rectf screen;
    SWalkRegion design;
    design.isArea = true;
    design.x2 = 1024;
    design.y2 = 768;
    std::string error;
    if (!m_tree.regionRect(design, screen, error)) return because(why, error);
    bool overTarget = false;
    std::string tips;
    for (u32 k = 0; k < arrowCount; ++k) {
        BaseNode* arrow = arrows->getChildren()[k];
        if (!CLiveTree::describe(arrow).visible)
            return because(why, here + "arrow " + std::to_string(k + 1) + " is hidden");
        const vector2df tip = arrowTip(arrow);
        tips += (tips.empty() ? "" : ", ") + pointText(tip);
        if (!inflated(screen, kTipSlack).isPointInside(tip))
            return because(why, here + "arrow " + std::to_string(k + 1) + " points at " +
                                    pointText(tip) + ", off the screen");
        if (hasTarget && inflated(target, kTipSlack).isPointInside(tip)) overTarget = true;
        m_tutorial.drawn.push_back(visibleExtent(arrow));
    }
    if (arrowsAtTarget && arrowCount > 0 && !overTarget)
        return because(why, here + "no arrow stands over its target " + rectText(target) +
                                " (the arrows point at " + tips + ")");
    if (window && CLiveTree::describe(window).visible)
        m_tutorial.drawn.push_back(visibleExtent(window));

    // A click away: a point of the screen's edge clear of everything the step allows, of the
    // window and of its skip button.
    if (m_tutorial.stray) {
        std::vector<rectf> keepClear = allowed;
        keepClear.push_back(target);
        if (window) keepClear.push_back(visibleExtent(window));
        if (BaseNode* skip = tutorial->getSkipButton())
            keepClear.push_back(CLiveTree::describe(skip).rect);
        const f32 inset = 12.0f;
        const f32 w = screen.getWidth(), h = screen.getHeight();
        const vector2df candidates[] = {
            {inset, inset}, {w - inset, inset}, {inset, h - inset}, {w - inset, h - inset},
            {w / 2, inset}, {w / 2, h - inset}, {inset, h / 2},     {w - inset, h / 2}};
        bool found = false;
        for (const vector2df& c : candidates) {
            const vector2df p(screen.UpperLeftCorner.X + c.X, screen.UpperLeftCorner.Y + c.Y);
            const bool clear =
                std::none_of(keepClear.begin(), keepClear.end(), [&](const rectf& r) {
                    return hasArea(r) && inflated(r, kAwayMargin).isPointInside(p);
                });
            if (clear) {
                m_tutorial.away = p;
                found = true;
                break;
            }
        }
        if (!found)
            return because(why, here + "no point of the screen's edge is clear of its target");
    }
    return true;
}

bool CWalkRunner::tutorialStep(const SWalkStep& step) {
    if (m_phase != PhaseExamine && m_phase != PhaseShot && m_updates <= m_phaseUpdates)
        return false;
    // Each pointer phase pushes one event and the next waits for an update step.
    auto pushed = [&](bool ok, int next) {
        if (!ok) fail("The pointer event was not queued: " + m_input.getError());
        m_phaseUpdates = m_updates;
        m_phase = next;
        return false;
    };
    auto at = [](const vector2df& p) {
        return std::pair<s32, s32>(static_cast<s32>(p.X), static_cast<s32>(p.Y));
    };
    switch (m_phase) {
        case PhaseExamine:
            if (!examineTutorialStep()) return false;
            say("Walk \"" + m_walk.name + "\": tutorial step " +
                std::to_string(m_tutorial.index + 1) +
                (m_tutorial.click   ? ", clicking " + pointText(m_tutorial.target)
                 : m_tutorial.hover ? ", hovering " + pointText(m_tutorial.target)
                                    : ", waiting") +
                (m_tutorial.stray ? ", after a click away at " + pointText(m_tutorial.away)
                                  : std::string()) +
                "\n");
            m_phaseUpdates = m_updates;
            if (step.flag) {
                // Drawn once without the arrows and the window.
                GTutorialController* tutorial = runningTutorial();
                if (BaseNode* arrows = tutorial->getArrowLayer()) arrows->setVisible(false);
                if (BaseNode* window = tutorial->getWindow()) {
                    m_tutorial.windowWasVisible = window->isVisible();
                    window->setVisible(false);
                }
                m_tutorial.shot = 1;
                m_phase = PhaseShot;
                return false;
            }
            m_phase = m_tutorial.stray ? PhaseAwayMove : PhaseTargetMove;
            return false;
        case PhaseShot:
            m_lastWhy = "the tutorial's shot waits for its frames";
            return false;
        case PhaseAwayMove: {
            const auto [x, y] = at(m_tutorial.away);
            m_input.warpPointer(x, y);
            return pushed(m_input.mouseMove(x, y, false), PhaseAwayDown);
        }
        case PhaseAwayDown: {
            const auto [x, y] = at(m_tutorial.away);
            return pushed(m_input.mouseButton(x, y, true), PhaseAwayUp);
        }
        case PhaseAwayUp: {
            const auto [x, y] = at(m_tutorial.away);
            return pushed(m_input.mouseButton(x, y, false), PhaseAwayCheck);
        }
        case PhaseAwayCheck: {
            GTutorialController* tutorial = runningTutorial();
            if (m_tree.getTopScene() != m_tutorial.scene || tutorial != m_tutorial.controller ||
                !tutorial || tutorial->getCurrentIndex() != m_tutorial.index) {
                fail("A click away from the tutorial's target, at " + pointText(m_tutorial.away) +
                     ", changed the tutorial or the scene");
                return false;
            }
            BaseNode* window = tutorial->getWindow();
            if (m_tutorial.drawn.size() > tutorial->getArrowLayer()->getChildren().size() &&
                !(window && CLiveTree::describe(window).visible)) {
                fail("A click away from the tutorial's target hid its window");
                return false;
            }
            m_phase = PhaseTargetMove;
            return false;
        }
        case PhaseTargetMove: {
            if (!m_tutorial.click && !m_tutorial.hover) {
                m_phase = PhaseWait;
                return false;
            }
            const auto [x, y] = at(m_tutorial.target);
            m_input.warpPointer(x, y);
            return pushed(m_input.mouseMove(x, y, false),
                          m_tutorial.click ? PhaseTargetDown : PhaseWait);
        }
        case PhaseTargetDown: {
            const auto [x, y] = at(m_tutorial.target);
            return pushed(m_input.mouseButton(x, y, true), PhaseTargetUp);
        }
        case PhaseTargetUp: {
            const auto [x, y] = at(m_tutorial.target);
            return pushed(m_input.mouseButton(x, y, false), PhaseWait);
        }
        default: {
            GTutorialController* tutorial = runningTutorial();
            if (m_tree.getTopScene() != m_tutorial.scene || tutorial != m_tutorial.controller ||
                !tutorial || tutorial->getCurrentIndex() != m_tutorial.index)
                return true;
            m_lastWhy = "step " + std::to_string(m_tutorial.index + 1) +
                        " of the tutorial is "
                        "still current";
            return false;
        }
    }
}

void CWalkRunner::tutorialFrame() {
    IVideoDriver* driver = m_device ? m_device->getVideoDriver() : nullptr;
    CRefPtr<CImage> image =
        driver ? CRefPtr<CImage>::fromRaw(driver->createScreenShot()) : CRefPtr<CImage>();
    GTutorialController* tutorial = runningTutorial();
    if (m_tutorial.shot == 1) {
        // Shown again for the next frame.
        if (tutorial && tutorial == m_tutorial.controller) {
            if (BaseNode* arrows = tutorial->getArrowLayer()) arrows->setVisible(true);
            if (BaseNode* window = tutorial->getWindow())
                window->setVisible(m_tutorial.windowWasVisible);
        }
        m_tutorial.bare = image;
        m_tutorial.shot = 2;
        if (!image) fail("The video driver gave no shot of the frame");
        return;
    }
    m_tutorial.shot = 0;
    if (!image) {
        fail("The video driver gave no shot of the frame");
        return;
    }
    const SWalkStep& step = m_walk.steps[m_step];
    ++m_shotCount;
    if (m_options.saveShot) {
        char number[16];
        std::snprintf(number, sizeof number, "%02d", m_shotCount);
        const std::string name = m_walk.name + "-" + number +
                                 (step.shot.save.empty() ? "" : "-" + step.shot.save) + ".png";
        if (!m_options.saveShot(image.get(), name))
            say("The shot " + name + " could not be kept\n");
    }
    if (isBlank(*image)) {
        fail("The tutorial's shot is blank");
        return;
    }
    for (const rectf& rect : m_tutorial.drawn) {
        if (!hasArea(rect)) {
            fail("A tutorial arrow or window covers no area on the window");
            return;
        }
        if (!differsInside(*m_tutorial.bare, *image, rect)) {
            fail(
                "The frame with the tutorial's arrows and window is like the one without them "
                "inside " +
                rectText(rect));
            return;
        }
    }
    m_previousShot = image;
    m_phaseUpdates = m_updates;
    m_phase = m_tutorial.stray ? PhaseAwayMove : PhaseTargetMove;
}

bool CWalkRunner::tutorialSkipStep() {
    // The skip button's press may take this much game time to take effect before it is
    // clicked again.
    constexpr u32 kSkipRetryMs = 1000;
    if (releaseClick()) return false;
    GTutorialController* tutorial = runningTutorial();
    SWalkStep over;
    over.kind = EStepKind::TutorialOver;
    std::string why;
    if (!tutorial || tutorialExpectation(over, why)) return true;
    ButtonNode* skip = tutorial->getSkipButton();
    if (!skip || !CLiveTree::describe(skip).visible) {
        m_lastWhy = "a tutorial runs and its skip button is not shown";
        return false;
    }
    const u64 now = m_gameMs;
    if (m_phase == 1 && now - m_lastClickMs < kSkipRetryMs) {
        m_lastWhy = "the tutorial's skip button has been clicked";
        return false;
    }
    pressAt(skip);
    return false;
}

bool CWalkRunner::tutorialExpectation(const SWalkStep& step, std::string& why) {
    GTutorialController* tutorial = runningTutorial();
    const s32 index = tutorial ? tutorial->getCurrentIndex() : 0;
    GTutorialHint* hint =
        tutorial && index >= 0 ? tutorial->getStep(static_cast<u32>(index)) : nullptr;
    if (step.kind == EStepKind::TutorialOver) {
        if (!tutorial) return true;
        why = hint ? "step " + std::to_string(index + 1) + " of the tutorial is current"
                   : "the tutorial's window is still there";
        return !hint && !tutorial->getWindow();
    }
    if (!tutorial) return because(why, "no tutorial runs on the top scene");
    if (!hint) return because(why, "the tutorial has passed its last step");
    const std::string here = "step " + std::to_string(index + 1) + ": ";
    if (step.kind == EStepKind::TutorialShown) {
        BaseNode* window = tutorial->getWindow();
        if (!window || !CLiveTree::describe(window).visible)
            return because(why, here + "the window is not shown");
        const std::string text = toUtf8(hint->Text.c_str());
        if (step.hasValue && text != step.value)
            return because(why, here + "its text is \"" + text + "\"");
        return true;
    }
    // The kind of step and the skip button's caption.
    if (tutorial->isCurrentStepTip() != step.flag)
        return because(why, here + (step.flag ? "a tutorial step, not a tip" : "a tip"));
    ButtonNode* skip = tutorial->getSkipButton();
    if (!skip || !CLiveTree::describe(skip).visible)
        return because(why, here + "the skip button is not shown");
    const stringw wanted = step.flag ? kSkipTipsCaption : kSkipTutorialCaption;
    if (skip->getText() != wanted)
        return because(
            why, here + "the skip button's caption is \"" + toUtf8(skip->getText().c_str()) + "\"");
    return true;
}

}  // namespace brasquel::autoplay
