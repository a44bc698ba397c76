#pragma once

// What autoplay reads of the running game: the user-interface scene manager's top scene, whether
// a scene switch runs, and nodes by name path with their kind, visibility, enabled state, text
// and rectangle on the window.

#include <string>

#include "engine/scene/SceneManager.h"
#include "tests/game/autoplay/Walk.h"

namespace brasquel::autoplay {

struct SNodeInfo {
    std::string kind;      // the class name
    bool visible = false;  // the node and every node above it are visible
    bool isControl = false;
    bool enabled = false;  // controls: the control and every control above it are enabled
    bool hasText = false;  // the node exposes a "Text" property
    std::string text;      // UTF-8
    oskel::rectf rect;     // on the window, in pixels
};

class CLiveTree {
public:
    explicit CLiveTree(oskel::SceneManager* scenes) : m_scenes(scenes) {}

    oskel::SceneManager* getSceneManager() const { return m_scenes; }
    // The scene on top of the stack, or none.
    oskel::SceneNode* getTopScene() const;
    // True while a scene switch (or a message box's) plays its transition states.
    bool isSwitchRunning() const;

    // The node of a path below the top scene: the first name is looked up anywhere below it,
    // every further name among the direct children of the node before (or of its template
    // instance, for a control). None when missing.
    oskel::BaseNode* findNode(const std::string& path) const;

    static SNodeInfo describe(oskel::BaseNode* node);
    // Whether a node of the class below the top scene has the property with the value (as
    // text); seen gets the values the nodes of the class have instead, quoted, or stays empty.
    bool findNodeWithProperty(const std::string& className, const std::string& key,
                              const std::string& value, std::string& seen) const;
    // The content name of a sprite's picture ("" without one); false when the node is no sprite.
    static bool getPicture(const oskel::BaseNode* node, std::string& name);
    // The "Text" property of any node class that has one; false for the others.
    static bool getText(const oskel::BaseNode* node, std::string& utf8);
    // The window point of a target's node: its rectangle's centre, or the target's point in the
    // node's own (design) space through the node's absolute transform, which holds the screen
    // fit of the scene manager.
    static oskel::vector2df windowPoint(oskel::BaseNode* node, const SWalkTarget& target);
    // The window rectangle of a region: a node's rectangle, or a design area through the scene
    // manager's placement. False when the node is missing.
    bool regionRect(const SWalkRegion& region, oskel::rectf& rect, std::string& error) const;

    // The top scene and every named node below it, one line each, for a failure report.
    std::string dump() const;

private:
    oskel::SceneManager* m_scenes;
};

// A node's rectangle as text: (x1,y1)-(x2,y2).
std::string rectText(const oskel::rectf& rect);

}  // namespace brasquel::autoplay
