#pragma once

#include <map>

#include "engine/scene/BaseNode.h"

namespace oskel {

// The templates of a scene manager: named node trees, with their states, that controls copy
// into their template instance. Read from a scene file whose root's direct children are the
// templates; one collection is shared by every request for its file.
class TemplateCollectionNode : public BaseNode {
public:
    TemplateCollectionNode(const CCreationContext& context, BaseNode* parent = nullptr,
                           SceneManager* manager = nullptr);
    ~TemplateCollectionNode() override;

    BaseNode* clone(BaseNode* parent, SceneManager* manager) const override;
    const stringw& getClassName() const override;
    const stringw& getThisClassName() const override;
    s32 getTypeId() const override { return NodeTypeTemplateCollection; }
    bool isKindOf(s32 typeId) const override {
        return typeId == NodeTypeTemplateCollection || typeId == NodeTypeBase;
    }
    // Enters every direct child under its name; the first node of a name is kept.
    void onLoaded() override;

    // Enters a node that is not a child; false for none or a name already held.
    bool addTemplate(BaseNode* node);
    BaseNode* findTemplate(s32 nameId) const;
    // Replaces the whole content of the target (children, states, default state) by a copy of
    // the named template. Name -1 leaves the target empty and answers true; a name that is not
    // held leaves it empty and answers false.
    bool applyTemplate(s32 nameId, BaseNode* target) const;
    void clear();
    u32 getTemplateCount() const { return static_cast<u32>(m_templates.size()); }

private:
    bool enter(BaseNode* node);

    std::map<s32, BaseNode*> m_templates;
};

}  // namespace oskel
