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

namespace oskel {

CSceneNodeProcessor::CSceneNodeProcessor(CFileSystem* fileSystem, CNodeFactory* factory)
    : m_fileSystem(fileSystem), m_factory(factory) {
    if (m_fileSystem) m_fileSystem->grab();
}

CSceneNodeProcessor::~CSceneNodeProcessor() {
    if (m_fileSystem) m_fileSystem->drop();
}

BaseNode* CSceneNodeProcessor::createNodeForElement(CXmlReader* reader, CNodeFactory* factory,
                                                    const CCreationContext& context) {
    if (!reader || !factory) return nullptr;
    const stringw classOverride = reader->getAttributeValue(L"ClassOverride");
    BaseNode* node = nullptr;
    if (!classOverride.empty()) node = factory->createNode(classOverride, context);
    if (!node) node = factory->createNode(reader->getAttributeValue(L"Type"), context);
    return node;
}

CResource* CSceneNodeProcessor::load(IContentManager* manager, IReadableFile* file, const CCreationContext& context) {
    if (!file) return nullptr;
    const stringc name = file->getFileName();
    if (std::find(m_loading.begin(), m_loading.end(), name) != m_loading.end()) {
        CLogger::instance().logHint("Scene file includes itself: not loaded again", name.c_str(), LogError);
        return nullptr;
    }
    CRefPtr<CXmlReader> reader = CRefPtr<CXmlReader>::fromRaw(
        m_fileSystem ? m_fileSystem->createXmlReader(file) : new CXmlReader(file));
    if (!reader) return nullptr;

    BaseNode* root = nullptr;
    while (reader->read()) {
        if (reader->getNodeType() == XmlNodeElement && reader->getNodeName() == L"SceneNode") {
            root = createNodeForElement(reader.get(), m_factory, context);
            break;
        }
    }
    if (root) {
        m_loading.push_back(name);
        if (manager) manager->pushPath(name);
        root->loadXml(reader.get(), m_factory);
        if (manager) manager->popPath();
        m_loading.pop_back();
    }
    CLogger::instance().logHint("Loaded scene node", name.c_str(), LogInformation);
    return root;
}

bool CSceneNodeProcessor::canSave(const CResource* resource) const {
    return resource && resource->getTypeCode() == TypeCodeSceneNode && dynamic_cast<const BaseNode*>(resource);
}

bool CSceneNodeProcessor::save(IContentManager* manager, CResource* resource, IWritableFile* file, void*) {
    if (!canSave(resource) || !file) return false;
    CRefPtr<CXmlWriter> writer = CRefPtr<CXmlWriter>::fromRaw(
        m_fileSystem ? m_fileSystem->createXmlWriter(file) : new CXmlWriter(file));
    if (!writer) return false;
    writer->writeXMLHeader();
    if (manager) manager->pushPath(file->getFileName());
    static_cast<BaseNode*>(resource)->saveXml(writer.get());
    if (manager) manager->popPath();
    return writer->isGood();
}

}  // namespace oskel
