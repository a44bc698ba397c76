#pragma once

#include <map>

#include "engine/content/CResource.h"
#include "engine/core/Singleton.h"

namespace oskel {

class BaseNode;

// Makes node classes by class name (scene files) and plain objects, the animation types, by
// type name (animator XML). Names match exactly, case-sensitively. The engine's classes are
// registered when the factory is made; a name registered twice keeps its first creator.
class CNodeFactory : public CEventReceiver, public TSingleton<CNodeFactory> {
public:
    using NodeCreator = BaseNode* (*)(const CCreationContext& context);
    using ObjectCreator = IReferenceCounted* (*)();

    CNodeFactory();
    ~CNodeFactory() override;

    void registerNodeClass(const stringw& className, NodeCreator creator);
    void registerObjectClass(const stringw& typeName, ObjectCreator creator);
    // A new node (one reference, no parent, no scene manager) or none.
    [[nodiscard]] BaseNode* createNode(const stringw& className, const CCreationContext& context) const;
    // A new object (one reference) or none; the context is not passed on.
    [[nodiscard]] IReferenceCounted* createObject(const stringw& typeName, const CCreationContext& context) const;

    bool isNodeClassRegistered(const stringw& className) const { return m_nodeCreators.count(className) != 0; }
    // The node class names in registration order.
    const array<stringw>& getNodeClassOrder() const { return m_nodeOrder; }
    const array<stringw>& getObjectClassOrder() const { return m_objectOrder; }

private:
    std::map<stringw, NodeCreator> m_nodeCreators;
    std::map<stringw, ObjectCreator> m_objectCreators;
    array<stringw> m_nodeOrder;
    array<stringw> m_objectOrder;
};

// The engine's node classes as the factory registers them, in order, with their node type ids.
// A class whose code is not part of the engine yet has no creator: its name is still listed so
// that the order stays fixed, and it is registered once its creator exists.
struct SEngineNodeClass {
    const wchar_t* name;
    s32 typeId;
    CNodeFactory::NodeCreator creator;
};
const SEngineNodeClass* getEngineNodeClasses(u32& count);

}  // namespace oskel
