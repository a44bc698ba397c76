#include "engine/scene/animation/SetProps.h"

#include "engine/core/StringUtils.h"
#include "engine/io/CXmlReader.h"
#include "engine/io/CXmlWriter.h"
#include "engine/scene/BaseNode.h"

namespace oskel::animation {

// ---- SetProps ----

SetProps::SetProps() : m_properties(makeRef<CPropertySet>()) { setUpdatePeriod(1); }

SetProps::~SetProps() = default;

const stringw& SetProps::staticTypeName() {
    static const stringw name(L"SetProps");
    return name;
}

void SetProps::setProperties(CPropertySet* set) {
    m_properties = set ? CRefPtr<CPropertySet>(set) : makeRef<CPropertySet>();
    buildPropertyMap();
}

void SetProps::buildPropertyMap() {
    m_propertyMap.clear();
    if (!m_target) return;
    const u32 count = m_properties->getPropertyCount();
    for (u32 i = 0; i < count; ++i) m_propertyMap.push_back(m_target->findPropertyIndex(m_properties->getPropertyName(i)));
}

void SetProps::setTarget(BaseNode* node) {
    m_target = node;
    buildPropertyMap();
}

void SetProps::setTime(u32, bool apply) {
    if (!apply || !m_target) return;
    CRefPtr<BaseNode> target(m_target);
    const u32 count = std::min<u32>(m_properties->getPropertyCount(), static_cast<u32>(m_propertyMap.size()));
    for (u32 i = 0; i < count; ++i)
        if (m_propertyMap[i] != -1) target->setPropertyByIndex(m_propertyMap[i], m_properties->getPropertyAt(i));
}

void SetProps::readXml(CXmlReader* reader, IContentManager* contentManager, const stringw& elementName) {
    m_properties = makeRef<CPropertySet>(contentManager);
    if (reader) m_properties->readXml(reader, true, elementName);
    buildPropertyMap();
}

void SetProps::writeXml(CXmlWriter* writer, const stringw& elementName) const {
    if (!writer) return;
    writeOpening(writer, elementName, array<stringw>(), array<stringw>());
    if (m_properties->getPropertyCount() > 0) m_properties->writeXml(writer, false, stringw(), false);
    writer->writeClosingTag(elementName.c_str());
    writer->writeLineBreak();
}

Base* SetProps::clone() const {
    auto* copy = new SetProps();
    copy->m_nameId = m_nameId;
    copy->m_properties = m_properties->clone();
    return copy;
}

// ---- SetStates ----

SetStates::SetStates() { setUpdatePeriod(1); }

const stringw& SetStates::staticTypeName() {
    static const stringw name(L"SetStates");
    return name;
}

void SetStates::setTime(u32, bool apply) {
    if (!apply || !m_target) return;
    CRefPtr<BaseNode> target(m_target);
    const std::vector<SetStatesEntry> entries = m_entries;  // a state may change this animation
    for (const SetStatesEntry& entry : entries) {
        if (entry.state == -1) continue;
        if (entry.children.empty()) {
            target->setState(entry.state, nullptr);
            continue;
        }
        for (u32 i = 0; i < entry.children.size(); ++i) {
            BaseNode* child = target->findChildByName(entry.children[i].getId(), 1);
            if (child) CRefPtr<BaseNode>(child)->playState(entry.state, nullptr, -1);
        }
    }
}

void SetStates::readXml(CXmlReader* reader, IContentManager*, const stringw& elementName) {
    m_entries.clear();
    if (!reader || (reader->getNodeType() == XmlNodeElement && reader->isEmptyElement())) return;
    while (reader->read()) {
        const EXmlNodeType type = reader->getNodeType();
        if (type == XmlNodeElementEnd && reader->getNodeName() == elementName) break;
        if (type != XmlNodeElement || !(reader->getNodeName() == L"State")) continue;
        SetStatesEntry entry;
        entry.state = CNameId(narrowLowBytes(reader->getAttributeValue(L"Name").c_str())).getId();
        if (entry.state == -1) continue;
        entry.children = parseNameIdList(narrowLowBytes(reader->getAttributeValue(L"Children").c_str()));
        m_entries.push_back(entry);
    }
}

void SetStates::writeXml(CXmlWriter* writer, const stringw& elementName) const {
    if (!writer) return;
    writeOpening(writer, elementName, array<stringw>(), array<stringw>());
    for (const SetStatesEntry& entry : m_entries) {
        if (entry.state == -1) continue;
        stringc children;
        for (u32 i = 0; i < entry.children.size(); ++i) {
            if (i > 0) children += ";";
            children += entry.children[i].getName();
        }
        const stringw name = widenLatin1(CNameId::fromId(entry.state).getName());
        const stringw childrenW = widenLatin1(children);
        writer->writeElement(L"State", true, L"Name", name.c_str(), L"Children", childrenW.c_str());
        writer->writeLineBreak();
    }
    writer->writeClosingTag(elementName.c_str());
    writer->writeLineBreak();
}

Base* SetStates::clone() const {
    auto* copy = new SetStates();
    copy->m_nameId = m_nameId;
    copy->m_entries = m_entries;
    return copy;
}

}  // namespace oskel::animation
