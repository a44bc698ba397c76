#pragma once

#include "engine/core/CNameTable.h"
#include "engine/core/CRefPtr.h"
#include "engine/scene/BaseNode.h"

namespace oskel {

class CSoundGroupManager;
class SoundCue;

// Plays a sound cue once its node is part of a shown, visible tree: the cue named by
// "SoundCueName" starts through the sound groups at the node's first render and is kept, so
// that changing the cue or switching Play off stops it. A start the groups refuse is tried
// again at every render. Draws nothing.
class SoundNode : public BaseNode {
public:
    SoundNode(const CCreationContext& context, BaseNode* parent = nullptr,
              SceneManager* manager = nullptr);
    // Drops the instance without stopping it: a playing cue plays on under the sound groups.
    ~SoundNode() override;

    const CPropertyTable& getPropertyTable() const override;
    BaseNode* clone(BaseNode* parent, SceneManager* manager) const override;
    const stringw& getClassName() const override;
    const stringw& getThisClassName() const override;
    s32 getTypeId() const override { return NodeTypeSound; }
    bool isKindOf(s32 typeId) const override {
        return typeId == NodeTypeSound || typeId == NodeTypeBase;
    }

    // Refreshes the node, tries the start and renders the children; adds no draw item.
    void render(DrawList& list) override;
    void copyFrom(const BaseNode* source, SceneManager* manager) override;

    void saveProperties(CPropertySet* set) const override;
    void loadProperties(const CPropertySet* set) override;

    // Stops the current instance at once and starts over with the cue.
    void setCue(s32 cueNameId);
    s32 getCue() const { return m_cue; }
    void setPlay(bool play);
    // The stored switch.
    bool getPlay() const { return m_play; }
    // An instance exists and its sound plays.
    bool isPlaying() const;
    bool isStarted() const { return m_started; }
    SoundCue* getInstance() const { return m_instance.get(); }

    // Acts on the cue and the switch once the node is in a scene manager's tree and visible.
    void tryStart();

private:
    CSoundGroupManager* findSoundGroups() const;
    void stopInstance();

    s32 m_cue = -1;
    CRefPtr<SoundCue> m_instance;
    bool m_play = true;
    bool m_started = false;
};

}  // namespace oskel
