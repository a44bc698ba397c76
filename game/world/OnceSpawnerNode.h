#pragma once

#include "engine/core/CNameTable.h"
#include "engine/scene/BaseNode.h"
#include "game/config/GNodeClass.h"

namespace brasquel {

// An invisible node that, the first time a draw reaches it, may place one object: with a chance
// of ShowLevelPercent it copies a template picked at random from ObjTemplateIDs as its own last
// child and puts the copy into a state picked at random from ObjState. The copy is internal
// (never saved, never copied with the spawner); a spawned car stays at its path's end. Every
// node makes its one attempt whatever comes of it: a scene loaded again brings new spawners and
// so new attempts.
class OnceSpawnerNode : public oskel::BaseNode {
public:
    static constexpr oskel::s32 DefaultShowLevelPercent = 50;
    // The chance draw lies in [ChanceDrawMin, ChanceDrawEnd); it must fall below the percentage.
    static constexpr oskel::s32 ChanceDrawMin = 1;
    static constexpr oskel::s32 ChanceDrawEnd = 99;

    explicit OnceSpawnerNode(const oskel::CCreationContext& context,
                             oskel::BaseNode* parent = nullptr,
                             oskel::SceneManager* manager = nullptr);
    ~OnceSpawnerNode() override;

    const oskel::CPropertyTable& getPropertyTable() const override;
    BRASQUEL_NODE_CLASS()

    // The attempt when still pending (even while hidden), then the node's own collecting.
    void render(oskel::DrawList& list) override;
    // The node part, both lists and the chance (scene files reach the game as copies of the
    // loaded scene, so a chance left behind here would be lost); the copy makes an attempt of
    // its own.
    void copyFrom(const oskel::BaseNode* source, oskel::SceneManager* manager) override;

    void saveProperties(oskel::CPropertySet* set) const override;
    void loadProperties(const oskel::CPropertySet* set) override;

    // The names separated by ";" (blanks around each trimmed, empty pieces dropped); read back
    // joined by ";" without blanks.
    void setObjTemplateIDs(const oskel::stringc& text);
    oskel::stringc getObjTemplateIDs() const;
    void setObjState(const oskel::stringc& text);
    oskel::stringc getObjState() const;
    const oskel::array<oskel::CNameId>& getTemplateIds() const { return m_templates; }
    const oskel::array<oskel::CNameId>& getStateIds() const { return m_states; }

    // Whether the one attempt is still to come.
    bool isSpawnPending() const { return m_pending; }
    // The copy the attempt made while it is still this node's child (its only internal listed
    // child), or none.
    oskel::BaseNode* getSpawned() const;

    oskel::s32 ShowLevelPercent = DefaultShowLevelPercent;

private:
    void attemptSpawn();

    bool m_pending = true;
    oskel::array<oskel::CNameId> m_templates;
    oskel::array<oskel::CNameId> m_states;
};

}  // namespace brasquel
