#pragma once

#include "game/scenes/GBaseSceneNode.h"
#include "game/scenes/GSceneSupport.h"

namespace oskel {
class ControlNode;
class EditNode;
class ListNode;
}  // namespace oskel

namespace brasquel {

// The players: lists the profiles, makes the chosen one active (with its sound settings and
// achievements), opens the name entry for a new one and deletes one after a yes/no question.
class GSelectPlayerScene : public GBaseSceneNode {
public:
    static constexpr const char* InputNameFile = "scenes/SelectPlayerInputNameScene.oscn";
    static constexpr const char* MessageBoxTemplate = "MessageBox2Buttons";
    // At most this many players.
    static constexpr oskel::u32 MaxPlayers = 10;

    GSelectPlayerScene(const oskel::CCreationContext& context, oskel::BaseNode* parent = nullptr,
                       oskel::SceneManager* manager = nullptr);

    BRASQUEL_GAME_SCENE_CLASS()
    void onLoaded() override;

    bool onSceneChangeStarted(oskel::CEvent* event) override;
    bool onNodePressed(oskel::CEvent* event) override;
    bool onKeyUp(oskel::CEvent* event) override;
    bool onMessageBoxResult(oskel::CEvent* event) override;

    oskel::ListNode* getPlayersList() const { return m_playersList; }
    oskel::ControlNode* getOkButton() const { return m_okButton; }
    oskel::ControlNode* getNewPlayerButton() const { return m_newPlayerButton; }
    oskel::ControlNode* getDeletePlayerButton() const { return m_deletePlayerButton; }
    oskel::u32 getKnownPlayerCount() const { return m_knownPlayerCount; }

    // Fills the list with the players' names; marking selects the active player.
    void fillPlayersList(bool markActive);
    // The selected player becomes the active one.
    void choosePlayer();

private:
    void enableButtons();
    void deleteSelectedPlayer();

    oskel::ListNode* m_playersList = nullptr;
    oskel::ControlNode* m_okButton = nullptr;
    oskel::ControlNode* m_newPlayerButton = nullptr;
    oskel::ControlNode* m_deletePlayerButton = nullptr;
    oskel::u32 m_knownPlayerCount = 0;
};

// The name entry of a new player: refuses an empty or existing name and adds the profile.
class GSelectPlayerInputNameScene : public GBaseSceneNode {
public:
    GSelectPlayerInputNameScene(const oskel::CCreationContext& context,
                                oskel::BaseNode* parent = nullptr,
                                oskel::SceneManager* manager = nullptr);

    BRASQUEL_GAME_SCENE_CLASS()
    void onLoaded() override;

    bool onSceneChangeStarted(oskel::CEvent* event) override;
    bool onValueChanged(oskel::CEvent* event) override;
    bool onNodePressed(oskel::CEvent* event) override;
    bool onKeyUp(oskel::CEvent* event) override;

    // The name is not empty and no player has exactly that name.
    static bool isValidName(const oskel::stringw& name);

    oskel::EditNode* getNameEdit() const { return m_nameEdit; }
    oskel::ControlNode* getOkButton() const { return m_okButton; }

private:
    void createPlayer();

    oskel::EditNode* m_nameEdit = nullptr;
    oskel::ControlNode* m_okButton = nullptr;
};

}  // namespace brasquel
