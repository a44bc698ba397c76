#include "engine/scene/CSceneNodeProcessor.h"

#include <algorithm>

#include "engine/content/IContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/core/CRefPtr.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CXmlReader.h"
#include "engine/io/CXmlWriter.h"
#include "engine/scene/BaseNode.h"
#include "engine/scene/CNodeFactory.h"
#include "engine/scene/SceneFile.h"

namespace oskel {

CSceneNodeProcessor::CSceneNodeProcessor(CFileSystem* fileSystem, CNodeFactory* factory)
    : CContentProcessor(TypeCodeSceneNode, fileSystem, "Loaded scene node",
                        [this](CXmlReader* reader, const CCreationContext& context) -> CResource* {
                            while (reader->read()) {
                                if (reader->getNodeType() != XmlNodeElement || reader->getNodeName() != L"SceneNode")
                                    continue;
                                BaseNode* root = CSceneFile::createNode(reader, m_factory, context);
                                // Elements nested too deeply are left out with a log line; the rest of
                                // the tree stays.
                                if (root) static_cast<void>(root->loadXml(reader, m_factory));
                                return root;
                            }
                            return nullptr;
                        }),
      m_factory(factory) {}

CResource* CSceneNodeProcessor::load(IContentManager* manager, IReadableFile* file, const CCreationContext& context) {
    if (!file) return nullptr;
    const stringc name = file->getFileName();
    if (std::find(m_loading.begin(), m_loading.end(), name) != m_loading.end()) {
        CLogger::instance().logHint("Scene file includes itself: not loaded again", name.c_str(), LogError);
        return nullptr;
    }
    m_loading.push_back(name);
    CResource* root = CContentProcessor::load(manager, file, context);
    m_loading.pop_back();
    return root;
}

bool CSceneNodeProcessor::canSave(const CResource* resource) const {
    return resource && resource->getTypeCode() == TypeCodeSceneNode && dynamic_cast<const BaseNode*>(resource);
}

bool CSceneNodeProcessor::save(IContentManager* manager, CResource* resource, IWritableFile* file, void*) {
    if (!canSave(resource) || !file) return false;
    CRefPtr<CXmlWriter> writer = CRefPtr<CXmlWriter>::fromRaw(
        getFileSystem() ? getFileSystem()->createXmlWriter(file) : new CXmlWriter(file));
    if (!writer) return false;
    writer->writeXMLHeader();
    if (manager) manager->pushPath(file->getFileName());
    const bool written = static_cast<BaseNode*>(resource)->saveXml(writer.get());
    if (manager) manager->popPath();
    return written && writer->isGood();
}

}  // namespace oskel
