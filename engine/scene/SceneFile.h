#pragma once

#include "engine/content/CResource.h"

namespace oskel {

class BaseNode;
class CNodeFactory;
class CXmlReader;
class CXmlWriter;

// The scene file form, read and written in this one place. A "SceneNode" element names its class
// ("Type", or "ClassOverride" first when the factory knows it) and holds, in order, a
// "Properties" element, a "States" element and its children's "SceneNode" elements; a child
// element with a "File" attribute stands for the scene file of that name. The nodes take part
// through their hooks: saveProperties and loadProperties, their states, addChild, onLoaded.
class CSceneFile {
public:
    // The node of the SceneNode element the reader stands on: ClassOverride first, then Type;
    // none when neither can be made. The only way nodes are made from scene files.
    [[nodiscard]] static BaseNode* createNode(CXmlReader* reader, CNodeFactory* factory, const CCreationContext& context);
    // Reads the element the reader stands on into the node: its old children and states go
    // first. False without a reader or when the elements nest too deeply.
    static bool read(BaseNode* node, CXmlReader* reader, CNodeFactory* factory);
    // Writes the node and its subtree (internal nodes are left out).
    static bool write(const BaseNode* node, CXmlWriter* writer);

private:
    static void readStates(BaseNode* node, CXmlReader* reader);
    static void writeStates(const BaseNode* node, CXmlWriter* writer);
};

}  // namespace oskel
