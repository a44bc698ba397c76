#include "tests/game/autoplay/RandomPlay.h"

#include <cstdio>

#include "engine/core/StringUtils.h"
#include "engine/nodes/ButtonNode.h"
#include "engine/nodes/EditNode.h"
#include "engine/nodes/MessageBoxNode.h"
#include "engine/scene/ControlNode.h"
#include "engine/scene/SceneNode.h"
#include "game/config/GNodeTypeIds.h"
#include "tests/game/autoplay/LiveTree.h"

namespace brasquel::autoplay {

using namespace oskel;

namespace {

// The quit question's button that ends the program.
constexpr const char* kQuitYes = "YesButton";
// Characters typed into edit fields: letters, digits, blanks, marks and two accented letters.
const char* const kTypedCharacters[] = {"a", "b", "e", "k", "o",        "s",       "z",
                                        "A", "M", "Q", "0", "3",        "7",       "9",
                                        " ", "-", ".", "!", "\xc3\xa9", "\xc3\xab"};
constexpr u32 kMostTypedCharacters = 8;

std::string nameOrPlace(const BaseNode* node) {
    if (node->getNameId() != -1) return node->getNodeName().c_str();
    const BaseNode* parent = node->getParent();
    size_t place = 0;
    if (parent)
        for (const BaseNode* sibling : parent->getChildren()) {
            if (sibling == node) break;
            ++place;
        }
    return "#" + std::to_string(place);
}

bool hasArea(const rectf& r) { return r.getWidth() > 0.0f && r.getHeight() > 0.0f; }

bool overlaps(const rectf& a, const rectf& b) {
    return a.UpperLeftCorner.X < b.LowerRightCorner.X &&
           b.UpperLeftCorner.X < a.LowerRightCorner.X &&
           a.UpperLeftCorner.Y < b.LowerRightCorner.Y && b.UpperLeftCorner.Y < a.LowerRightCorner.Y;
}

struct SCollector {
    SSceneView& view;
    const BaseNode* forbiddenButton;  // a message box's delete button, or none
    bool quitQuestion;

    void visit(BaseNode* node, const std::string& path, bool isTop) {
        if (!node || !node->isVisible()) return;
        ControlNode* control = ControlNode::asControlNode(node);
        if (control && !control->isEnabled()) return;
        if (control && !isTop) {
            if (node->isTransformDirty()) node->updateAbsoluteTransform();
            const rectf rect = node->getAbsoluteBoundsRect();
            if (hasArea(rect) && overlaps(rect, view.area)) {
                SControlView seen;
                seen.path = path;
                seen.kind = toUtf8(node->getClassName().c_str());
                seen.rect = rect;
                seen.forbidden = node == forbiddenButton ||
                                 (quitQuestion && node->getNameId() != -1 &&
                                  std::string(node->getNodeName().c_str()) == kQuitYes);
                seen.editFocused = node->isKindOf(NodeTypeEdit) && control->isFocused();
                view.editFocused = view.editFocused || seen.editFocused;
                view.controls.push_back(seen);
            }
        }
        for (BaseNode* child : node->getChildren())
            visit(child, path + "/" + nameOrPlace(child), false);
        if (control && control->getTemplateInstance())
            for (BaseNode* child : control->getTemplateInstance()->getChildren())
                visit(child, path + "/" + nameOrPlace(child), false);
    }
};

}  // namespace

SSceneView viewOfScene(const CLiveTree& tree) {
    SSceneView view;
    SceneNode* top = tree.getTopScene();
    SWalkRegion design;
    design.isArea = true;
    design.x2 = 1024;
    design.y2 = 768;
    std::string error;
    if (!tree.regionRect(design, view.area, error)) view.area = rectf(0, 0, 1024, 768);
    if (!top) return view;
    view.scene = toUtf8(top->getClassName().c_str());
    const BaseNode* forbiddenButton = nullptr;
    if (top->isKindOf(NodeTypeMessageBox)) {
        const SceneNode* asking = top->getPreviousScene();
        if (asking && asking->isKindOf(GameNodeTypeSelectPlayerScene))
            forbiddenButton = static_cast<MessageBoxNode*>(top)->getButton(0);
    }
    SCollector collector{view, forbiddenButton, top->isKindOf(GameNodeTypeQuitConfirmationScene)};
    collector.visit(top, nameOrPlace(top), true);
    return view;
}

std::string SAction::describe() const {
    char point[48];
    std::snprintf(point, sizeof point, " (%d,%d)", x, y);
    switch (kind) {
        case EActionKind::Wait:
            return "wait";
        case EActionKind::Click:
            return "click " + target + point;
        case EActionKind::ClickAnywhere:
            return std::string("click anywhere") + point;
        case EActionKind::Key:
            return "key " + key;
        case EActionKind::Text:
            return "text " + quoteWord(text);
    }
    return "wait";
}

const std::vector<std::string>& CActionChooser::keys() {
    static const std::vector<std::string> strokes = [] {
        std::vector<std::string> list = {
            "Escape", "Return",     "Left",     "Right",        "Up",          "Down", "Space",
            "Tab",    "Backspace",  "E",        "shift+E",      "U",           "R",    "KpPlus",
            "-",      "KpMultiply", "KpDivide", "ctrl+shift+S", "ctrl+shift+R"};
        for (char c = 'A'; c <= 'Z'; ++c) list.emplace_back(1, c);
        for (char c = '0'; c <= '9'; ++c) list.emplace_back(1, c);
        return list;
    }();
    return strokes;
}

uint64_t CActionChooser::next() {
    // splitmix64: the same numbers on every machine.
    uint64_t z = (m_state += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

u32 CActionChooser::below(u32 n) { return n == 0 ? 0 : static_cast<u32>(next() % n); }

bool CActionChooser::onForbidden(const SSceneView& view, s32 x, s32 y) {
    const f32 px = static_cast<f32>(x), py = static_cast<f32>(y);
    // A pixel's click lands anywhere inside it: its whole square counts, with a pixel to spare.
    for (const SControlView& control : view.controls)
        if (control.forbidden && px + 2.0f > control.rect.UpperLeftCorner.X &&
            px - 1.0f < control.rect.LowerRightCorner.X &&
            py + 2.0f > control.rect.UpperLeftCorner.Y &&
            py - 1.0f < control.rect.LowerRightCorner.Y)
            return true;
    return false;
}

SAction CActionChooser::choose(const SSceneView& view) {
    SAction action;
    std::vector<const SControlView*> allowed;
    for (const SControlView& control : view.controls)
        if (!control.forbidden) allowed.push_back(&control);
    u32 roll = below(100);
    // Text goes to a focused edit field; without one the share goes to the keys.
    if (!view.editFocused && roll >= ClickPercent + AnywherePercent + KeyPercent &&
        roll < ClickPercent + AnywherePercent + KeyPercent + TextPercent)
        roll = ClickPercent + AnywherePercent;
    // A scene without controls to click takes a click anywhere instead.
    if (allowed.empty() && roll < ClickPercent) roll = ClickPercent;

    if (roll < ClickPercent) {
        for (u32 i = 0; i < PointTries; ++i) {
            const SControlView& control = *allowed[below(static_cast<u32>(allowed.size()))];
            const vector2df centre = control.rect.getCenter();
            const s32 x = static_cast<s32>(centre.X), y = static_cast<s32>(centre.Y);
            if (onForbidden(view, x, y)) continue;
            action.kind = EActionKind::Click;
            action.target = control.path;
            action.x = x;
            action.y = y;
            return action;
        }
        return action;
    }
    roll -= ClickPercent;
    if (roll < AnywherePercent) {
        const rectf& area = view.area;
        const u32 width = static_cast<u32>(area.getWidth()),
                  height = static_cast<u32>(area.getHeight());
        for (u32 i = 0; i < PointTries && width > 0 && height > 0; ++i) {
            const s32 x = static_cast<s32>(area.UpperLeftCorner.X) + static_cast<s32>(below(width));
            const s32 y =
                static_cast<s32>(area.UpperLeftCorner.Y) + static_cast<s32>(below(height));
            if (onForbidden(view, x, y)) continue;
            action.kind = EActionKind::ClickAnywhere;
            action.x = x;
            action.y = y;
            return action;
        }
        return action;
    }
    roll -= AnywherePercent;
    if (roll < KeyPercent) {
        action.kind = EActionKind::Key;
        action.key = keys()[below(static_cast<u32>(keys().size()))];
        return action;
    }
    roll -= KeyPercent;
    if (roll < TextPercent) {
        action.kind = EActionKind::Text;
        const u32 count = 1 + below(kMostTypedCharacters);
        constexpr u32 choices = sizeof kTypedCharacters / sizeof kTypedCharacters[0];
        for (u32 i = 0; i < count; ++i) action.text += kTypedCharacters[below(choices)];
        return action;
    }
    return action;
}

}  // namespace brasquel::autoplay
