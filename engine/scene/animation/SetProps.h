#pragma once

#include <vector>

#include "engine/core/CRefPtr.h"
#include "engine/scene/animation/Animator.h"
#include "engine/properties/CPropertySet.h"

namespace oskel::animation {

// Sets a list of property values on the target in one step when applied.
class SetProps : public Base {
public:
    SetProps();
    ~SetProps() override;

    static const stringw& staticTypeName();
    const stringw& getTypeName() const override { return staticTypeName(); }
    const stringw& getClassName() const override { return staticTypeName(); }
    s32 getTypeId() const override { return AnimationTypeSetProps; }

    void setTarget(BaseNode* node) override;
    void setTime(u32 ms, bool apply) override;
    u32 getTime() const override { return 0; }
    u32 getDuration() const override { return 0; }
    void readXml(CXmlReader* reader, IContentManager* contentManager, const stringw& elementName) override;
    void writeXml(CXmlWriter* writer, const stringw& elementName) const override;
    Base* clone() const override;

    CPropertySet* getProperties() const { return m_properties.get(); }
    void setProperties(CPropertySet* set);
    const std::vector<s32>& getPropertyMap() const { return m_propertyMap; }

private:
    void buildPropertyMap();

    std::vector<s32> m_propertyMap;
    CRefPtr<CPropertySet> m_properties;
};

// One state to enter: the target itself with its subtree (no children names) or the named
// direct children.
struct SetStatesEntry {
    s32 state = -1;
    array<CNameId> children;
};

// Makes the target, or some of its direct children, enter named states when applied.
class SetStates : public Base {
public:
    SetStates();

    static const stringw& staticTypeName();
    const stringw& getTypeName() const override { return staticTypeName(); }
    const stringw& getClassName() const override { return staticTypeName(); }
    s32 getTypeId() const override { return AnimationTypeSetStates; }

    void setTime(u32 ms, bool apply) override;
    u32 getTime() const override { return 0; }
    u32 getDuration() const override { return 0; }
    void readXml(CXmlReader* reader, IContentManager* contentManager, const stringw& elementName) override;
    void writeXml(CXmlWriter* writer, const stringw& elementName) const override;
    Base* clone() const override;

    const std::vector<SetStatesEntry>& getEntries() const { return m_entries; }
    void addEntry(const SetStatesEntry& entry) { m_entries.push_back(entry); }

private:
    std::vector<SetStatesEntry> m_entries;
};

}  // namespace oskel::animation
