#pragma once

#include <vector>

#include "engine/content/IContentProcessor.h"

namespace oskel {

class BaseNode;
class CFileSystem;
class CNodeFactory;
class CXmlReader;

// Reads scene files ('snod') into node trees and writes node trees back. The root element's
// class is taken from ClassOverride when the factory knows it, else from Type.
class CSceneNodeProcessor : public IContentProcessor {
public:
    // Keeps a reference to the file system; the factory (a singleton that lives until exit) is
    // kept as a plain pointer.
    CSceneNodeProcessor(CFileSystem* fileSystem, CNodeFactory* factory);
    ~CSceneNodeProcessor() override;

    u32 getTypeCode() const override { return TypeCodeSceneNode; }
    CResource* load(IContentManager* manager, IReadableFile* file, const CCreationContext& context) override;
    bool canSave(const CResource* resource) const override;
    bool save(IContentManager* manager, CResource* resource, IWritableFile* file, void* parameter) override;
    void onContentEvent(CEvent*, ContentNameMap&) override {}

    // The node of a SceneNode element the reader stands on: ClassOverride first, then Type.
    static BaseNode* createNodeForElement(CXmlReader* reader, CNodeFactory* factory,
                                          const CCreationContext& context);

private:
    CFileSystem* m_fileSystem;
    CNodeFactory* m_factory;
    // The files being read now, outermost first: a file that includes itself is refused.
    std::vector<stringc> m_loading;
};

}  // namespace oskel
