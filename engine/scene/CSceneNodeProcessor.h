#pragma once

#include <vector>

#include "engine/content/IContentProcessor.h"

namespace oskel {

class CNodeFactory;

// Reads scene files ('snod') into node trees and writes node trees back (the form is
// CSceneFile's). The root element's class is taken from ClassOverride when the factory knows it,
// else from Type. The factory (a singleton that lives until exit) is kept as a plain pointer.
class CSceneNodeProcessor : public CContentProcessor {
public:
    CSceneNodeProcessor(CFileSystem* fileSystem, CNodeFactory* factory);

    CResource* load(IContentManager* manager, IReadableFile* file, const CCreationContext& context) override;
    bool canSave(const CResource* resource) const override;
    bool save(IContentManager* manager, CResource* resource, IWritableFile* file, void* parameter) override;

private:
    CNodeFactory* m_factory;
    // The files being read now, outermost first: a file that includes itself is refused.
    std::vector<stringc> m_loading;
};

}  // namespace oskel
