#pragma once

// The random mode's choices: what a careless player does next, from a seeded generator and the
// scene on top. The scene is seen as a list of the controls a player could click; the chooser
// picks mostly a click on one of them, sometimes a click anywhere, a key (Escape, Return, the
// arrows, letters, digits, the developers' keys) or text for a focused edit field, and sometimes
// nothing. Two controls are never clicked, so that a run keeps its process and its player: the
// quit question's "YesButton" and the first button of a message box over the player selection
// (the one that deletes the player); a click anywhere never lands on them either.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/scene/BaseNode.h"

namespace brasquel::autoplay {

class CLiveTree;

// A control of the scene on top, as a player sees it.
struct SControlView {
    std::string path;   // the names from the top scene down ("#N" for a nameless node: its place
                        // among its parent's children)
    std::string kind;   // the class name
    oskel::rectf rect;  // on the window, in pixels
    bool forbidden = false;
    bool editFocused = false;  // an edit field with the input focus
};

struct SSceneView {
    std::string scene;  // the class of the top scene ("" for none)
    oskel::rectf area;  // the design's 1024 x 768 on the window
    // The visible, enabled controls with an area on the window, in tree order (the scene itself
    // left out), the forbidden ones marked.
    std::vector<SControlView> controls;
    bool editFocused = false;
};

// The live scene on top as the chooser sees it; the controls found in template instances too
// (the buttons of a message box).
SSceneView viewOfScene(const CLiveTree& tree);

enum class EActionKind { Wait, Click, ClickAnywhere, Key, Text };

struct SAction {
    EActionKind kind = EActionKind::Wait;
    std::string target;       // Click: the control's path
    oskel::s32 x = 0, y = 0;  // Click, ClickAnywhere: the window point
    std::string key;          // Key: a stroke as parseKeyStroke reads it
    std::string text;         // Text: UTF-8
    // One line for the action log.
    std::string describe() const;
};

class CActionChooser {
public:
    // The share (percent) of each kind of action; what is left is a wait.
    static constexpr oskel::u32 ClickPercent = 52;
    static constexpr oskel::u32 AnywherePercent = 8;
    static constexpr oskel::u32 KeyPercent = 15;
    static constexpr oskel::u32 TextPercent = 5;
    // Tries at a point off the forbidden controls before the turn waits instead.
    static constexpr oskel::u32 PointTries = 8;

    explicit CActionChooser(uint64_t seed) : m_state(seed) {}

    // The next action for the scene: the same seed and the same views give the same actions.
    SAction choose(const SSceneView& view);
    // The window point lies on a forbidden control.
    static bool onForbidden(const SSceneView& view, oskel::s32 x, oskel::s32 y);

    // The keys a careless player presses (strokes as parseKeyStroke reads them).
    static const std::vector<std::string>& keys();

private:
    uint64_t next();
    oskel::u32 below(oskel::u32 n);

    uint64_t m_state;
};

}  // namespace brasquel::autoplay
