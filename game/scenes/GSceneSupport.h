#pragma once

#include "engine/core/CNameTable.h"
#include "engine/core/CRefPtr.h"
#include "engine/core/OskelTypes.h"
#include "game/config/GNodeClass.h"

namespace oskel {
class BaseNode;
class ButtonNode;
class CEvent;
class CProfile;
class CSoundGroupManager;
class ControlNode;
class SceneNode;
class TextNode;
}  // namespace oskel

namespace brasquel {
class ITutorial;
}  // namespace brasquel

// The class pattern of a game scene: the game's node class pattern over the scene base.
#define BRASQUEL_GAME_SCENE_CLASS() BRASQUEL_NODE_CLASS()
#define BRASQUEL_DEFINE_GAME_SCENE_CLASS(Class, TypeId) \
    BRASQUEL_DEFINE_NODE_CLASS(Class, TypeId, GBaseSceneNode)

namespace brasquel {

// Small helpers the game's scenes share: lookups of named children by kind, the dictionary's
// texts, the cues, the active player and the upper scene layer.
namespace scenes {

// The state or template name id of the text.
oskel::s32 stateId(const char* name);

// The direct child of that name, or none (none for no parent).
oskel::BaseNode* childOf(const oskel::BaseNode* parent, const char* name);
// The same, kept only when it is of the kind.
oskel::TextNode* textChildOf(const oskel::BaseNode* parent, const char* name);
oskel::ButtonNode* buttonChildOf(const oskel::BaseNode* parent, const char* name);
oskel::ControlNode* controlChildOf(const oskel::BaseNode* parent, const char* name);

// The node a one-node notice is about, and the virtual key of a key event.
oskel::BaseNode* eventNode(oskel::CEvent* event);
// The node a two-node notice is about: the first, else the second.
oskel::BaseNode* noticeNode(oskel::CEvent* event);
oskel::u32 eventKey(oskel::CEvent* event);
// The node's name is the text.
bool isNamed(const oskel::BaseNode* node, const char* name);

// The switch event names the scene as entered forward (true) or back (false).
bool isForwardSwitch(const oskel::CEvent* event);

// The dictionary text of the key with its first parameter (the key itself without a
// dictionary).
oskel::stringw dictionaryText(const char* key, const oskel::stringw& parameter);
// "- " and that text.
oskel::stringw dashedText(const char* key, const oskel::stringw& parameter);
// The text on the node (nothing for none).
void setText(oskel::TextNode* node, const oskel::stringw& text);

// The sound groups of the services, or none.
oskel::CSoundGroupManager* soundGroups();
// Plays the cue without fade; once: only when it is not already playing.
void playCue(const oskel::CNameId& cue, bool once = false);

oskel::CProfile* activeProfile();
oskel::stringw activePlayerName();

// The upper scene layer emptied and its clock running again.
void clearUpperLayer();

// A hosted tutorial: made by the game services over the host node, read from the file and put
// before the scene's own handlers; none when the file, the host, the services or the tutorial's
// window are missing.
oskel::CRefPtr<ITutorial> openTutorial(oskel::SceneNode* scene, oskel::BaseNode* host,
                                       const char* file);
// The tutorial taken out of the scene's receivers and stopped; the holder emptied.
void closeTutorial(oskel::SceneNode* scene, oskel::CRefPtr<ITutorial>& tutorial);
// The player skipped it: the tutorial stopped and, with a player, the tutorials switched off
// (not saved).
void skipTutorial(ITutorial* tutorial);

}  // namespace scenes

}  // namespace brasquel
