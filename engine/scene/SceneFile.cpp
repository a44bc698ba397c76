#include "engine/scene/SceneFile.h"

#include "engine/content/IContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/core/StringUtils.h"
#include "engine/io/CXmlReader.h"
#include "engine/io/CXmlWriter.h"
#include "engine/properties/CPropertySet.h"
#include "engine/scene/BaseNode.h"
#include "engine/scene/CNodeFactory.h"
#include "engine/scene/SceneXml.h"
#include "engine/scene/animation/Animator.h"

namespace oskel {

namespace {

thread_local u32 t_loadDepth = 0;

// Counts the scene elements being read, included files too.
struct LoadDepthGuard {
    LoadDepthGuard() { ++t_loadDepth; }
    ~LoadDepthGuard() { --t_loadDepth; }
    bool tooDeep() const { return t_loadDepth > MaxSceneNesting; }
};

}  // namespace

BaseNode* CSceneFile::createNode(CXmlReader* reader, CNodeFactory* factory, const CCreationContext& context) {
    if (!reader || !factory) return nullptr;
    const stringw classOverride = reader->getAttributeValue(L"ClassOverride");
    BaseNode* node = nullptr;
    if (!classOverride.empty()) node = factory->createNode(classOverride, context);
    if (!node) node = factory->createNode(reader->getAttributeValue(L"Type"), context);
    return node;
}

bool CSceneFile::read(BaseNode* node, CXmlReader* reader, CNodeFactory* factory) {
    if (!node || !reader) return false;
    LoadDepthGuard depth;
    node->removeAllChildren();
    node->clearStates();
    if (depth.tooDeep()) {
        CLogger::instance().log("Scene nodes nested too deeply: the inner nodes are left out", LogError);
        skipXmlElement(reader);
        node->onLoaded();
        return false;
    }
    // <SceneNode .../> has no content and no end tag.
    const bool empty = reader->getNodeType() == XmlNodeElement && reader->isEmptyElement();
    IContentManager* contentManager = node->getContentManager();
    while (!empty && reader->read()) {
        const EXmlNodeType type = reader->getNodeType();
        if (type == XmlNodeElementEnd && reader->getNodeName() == L"SceneNode") break;
        if (type != XmlNodeElement) continue;
        const stringw& name = reader->getNodeName();
        if (name == L"Properties") {
            CRefPtr<CPropertySet> set = makeRef<CPropertySet>(contentManager);
            set->readXml(reader);
            node->loadProperties(set.get());
        } else if (name == L"States") {
            readStates(node, reader);
        } else if (name == L"SceneNode") {
            const stringw file = reader->getAttributeValue(L"File");
            if (!file.empty()) {
                // A File child carries nothing else: pass over any content it was given.
                skipXmlElement(reader);
                if (contentManager) {
                    CResource* loaded = contentManager->getContentByPath(
                        TypeCodeSceneNode, narrowLowBytes(file.c_str()), true);
                    if (loaded) {
                        // Only a node may join the tree.
                        if (loaded->getTypeCode() == TypeCodeSceneNode) node->addChild(static_cast<BaseNode*>(loaded));
                        loaded->drop();
                    }
                }
                continue;
            }
            BaseNode* child = createNode(reader, factory, CCreationContext(contentManager, ""));
            if (!child) {
                // An unknown class: its whole element goes, nothing of it reaches this node.
                skipXmlElement(reader);
                continue;
            }
            node->addChild(child);
            // Elements nested too deeply are left out with a log line; the rest of the tree stays.
            static_cast<void>(child->loadXml(reader, factory));
            child->drop();
        }
    }
    node->onLoaded();
    return true;
}

void CSceneFile::readStates(BaseNode* node, CXmlReader* reader) {
    if (reader->isEmptyElement()) return;
    IContentManager* contentManager = node->getContentManager();
    while (reader->read()) {
        const EXmlNodeType type = reader->getNodeType();
        if (type == XmlNodeElementEnd && reader->getNodeName() == L"States") return;
        if (type != XmlNodeElement) continue;
        const stringw& name = reader->getNodeName();
        if (name == L"Properties") {
            CRefPtr<CPropertySet> set = makeRef<CPropertySet>(contentManager);
            set->readXml(reader);
            if (set->getPropertyIndex("DefaultState") >= 0)
                node->m_defaultState = getPropertyNameId(set->getProperty("DefaultState").get()).getId();
        } else if (name == L"State") {
            const s32 state = CNameId(narrowLowBytes(reader->getAttributeValue(L"Name").c_str())).getId();
            CRefPtr<Animator> animator = makeRef<Animator>(state);
            animator->setNextState(CNameId(narrowLowBytes(reader->getAttributeValue(L"NextState").c_str())).getId());
            animator->readXml(reader, node->m_binding.manager, node, contentManager);
            node->addState(animator.get());
        }
    }
}

bool CSceneFile::write(const BaseNode* node, CXmlWriter* writer) {
    if (!node || !writer) return false;
    if (node->isInternal()) return true;
    writer->writeElement(L"SceneNode", false, L"Type", node->getClassName().c_str());
    writer->writeLineBreak();
    CRefPtr<CPropertySet> set = makeRef<CPropertySet>(node->getContentManager());
    node->saveProperties(set.get());
    if (set->getPropertyCount() > 0) set->writeXml(writer);
    writeStates(node, writer);
    for (BaseNode* child : node->m_children)
        if (!child->saveXml(writer)) return false;
    writer->writeClosingTag(L"SceneNode");
    writer->writeLineBreak();
    return true;
}

void CSceneFile::writeStates(const BaseNode* node, CXmlWriter* writer) {
    if (node->m_states.empty()) return;
    IContentManager* contentManager = node->getContentManager();
    writer->writeElement(L"States");
    writer->writeLineBreak();
    const stringc& defaultName = CNameId::fromId(node->m_defaultState).getName();
    if (!defaultName.empty()) {
        CRefPtr<CPropertySet> states = makeRef<CPropertySet>(contentManager);
        states->addString("DefaultState", defaultName);
        states->writeXml(writer);
    }
    for (const auto& entry : node->m_states) entry.second->writeXml(writer, node->m_binding.manager, contentManager);
    writer->writeClosingTag(L"States");
    writer->writeLineBreak();
}

}  // namespace oskel
