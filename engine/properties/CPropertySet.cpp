#include "engine/properties/CPropertySet.h"

#include "engine/core/CLogger.h"
#include "engine/core/StringUtils.h"
#include "engine/io/CXmlReader.h"
#include "engine/io/CXmlWriter.h"
#include "engine/properties/CPropertyData.h"
#include "engine/properties/CPropertyTypeRegistry.h"

namespace oskel {

namespace {

// Nesting depths of the set operations in progress on this thread.
thread_local u32 t_readDepth = 0;
thread_local u32 t_writeDepth = 0;
thread_local u32 t_cloneDepth = 0;

class DepthGuard {
public:
    explicit DepthGuard(u32& depth) : m_depth(depth) { ++m_depth; }
    ~DepthGuard() { --m_depth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;
    bool tooDeep() const { return m_depth > MaxPropertySetDepth; }

private:
    u32& m_depth;
};

const stringw& defaultElementName() {
    static const stringw name(L"Properties");
    return name;
}

// Passes over the rest of the current element up to the closing tag that ends it, counting the
// elements of the same name opened inside it.
void skipElement(CXmlReader* reader, const stringw& name) {
    if (reader->getNodeType() == XmlNodeElement && reader->isEmptyElement()) return;
    u32 open = 0;
    while (reader->read()) {
        const EXmlNodeType type = reader->getNodeType();
        if (type == XmlNodeElement && !reader->isEmptyElement() && reader->getNodeName() == name) {
            ++open;
        } else if (type == XmlNodeElementEnd && reader->getNodeName() == name) {
            if (open == 0) return;
            --open;
        }
    }
}

}  // namespace

CPropertySet::CPropertySet(IContentManager* contentManager) : m_contentManager(contentManager) {}

CPropertySet::~CPropertySet() { clear(); }

void CPropertySet::addProperty(const stringc& name, IPropertyData* value) {
    m_entries.push_back(SEntry{name, CRefPtr<IPropertyData>(value)});
    m_index[name] = static_cast<u32>(m_entries.size() - 1);
}

void CPropertySet::setProperty(const stringc& name, IPropertyData* value) {
    const auto it = m_index.find(name);
    if (it == m_index.end()) {
        addProperty(name, value);
        return;
    }
    m_entries[it->second].value.assign(value);
}

s32 CPropertySet::getPropertyIndex(const stringc& name) const {
    const auto it = m_index.find(name);
    return it == m_index.end() ? -1 : static_cast<s32>(it->second);
}

CRefPtr<IPropertyData> CPropertySet::getProperty(const stringc& name) const {
    const auto it = m_index.find(name);
    return it == m_index.end() ? CRefPtr<IPropertyData>() : m_entries[it->second].value;
}

CRefPtr<IPropertyData> CPropertySet::getPropertyAt(u32 position) const {
    return position < m_entries.size() ? m_entries[position].value : CRefPtr<IPropertyData>();
}

void CPropertySet::setPropertyAt(u32 position, IPropertyData* value) {
    if (position < m_entries.size()) m_entries[position].value.assign(value);
}

const stringc& CPropertySet::getPropertyName(u32 position) const {
    static const stringc empty;
    return position < m_entries.size() ? m_entries[position].name : empty;
}

void CPropertySet::clear() {
    // Values are released after the set is empty, so that nothing they release sees it half
    // cleared.
    std::vector<SEntry> entries;
    entries.swap(m_entries);
    m_index.clear();
}

CRefPtr<CPropertySet> CPropertySet::clone() const {
    CRefPtr<CPropertySet> copy = makeRef<CPropertySet>(m_contentManager);
    DepthGuard depth(t_cloneDepth);
    if (depth.tooDeep()) {
        CLogger::instance().log("Property sets nested too deeply: a nested set is copied empty", LogError);
        return copy;
    }
    copy->m_entries.reserve(m_entries.size());
    for (const SEntry& entry : m_entries)
        copy->m_entries.push_back(SEntry{entry.name, entry.value ? entry.value->clone() : CRefPtr<IPropertyData>()});
    copy->m_index = m_index;
    return copy;
}

bool CPropertySet::writeXml(CXmlWriter* writer, bool writeDeclaration, const stringw& elementName,
                            bool enclose) const {
    if (!writer) return false;
    DepthGuard depth(t_writeDepth);
    if (writeDeclaration) writer->writeXMLHeader();
    const stringw& name = elementName.empty() ? defaultElementName() : elementName;
    if (enclose) {
        writer->writeElement(name.c_str(), false);
        writer->writeLineBreak();
    }
    bool complete = true;
    if (depth.tooDeep()) {
        CLogger::instance().log("Property sets nested too deeply: a nested set is written empty", LogError);
        complete = false;
    } else {
        for (const SEntry& entry : m_entries) {
            if (!entry.value) continue;
            entry.value->writeXml(writer, entry.name);
            writer->writeLineBreak();
        }
    }
    if (enclose) {
        writer->writeClosingTag(name.c_str());
        writer->writeLineBreak();
    }
    return complete;
}

bool CPropertySet::readXml(CXmlReader* reader, bool checkName, const stringw& elementName) {
    if (!reader) return false;
    clear();
    const stringw name = elementName.empty() ? defaultElementName() : elementName;
    if (checkName && (reader->getNodeType() != XmlNodeElement || !(reader->getNodeName() == name))) return false;

    DepthGuard depth(t_readDepth);
    if (depth.tooDeep()) {
        CLogger::instance().log("Property sets nested too deeply: a nested set is read empty", LogError);
        skipElement(reader, name);
        return false;
    }
    if (reader->getNodeType() == XmlNodeElement && reader->isEmptyElement()) return true;
    while (reader->read()) {
        const EXmlNodeType type = reader->getNodeType();
        if (type == XmlNodeElement) {
            readProperty(reader);
        } else if (type == XmlNodeElementEnd && reader->getNodeName() == name) {
            break;
        }
    }
    return true;
}

void CPropertySet::readProperty(CXmlReader* reader) {
    // Copied: reading the value moves the reader on.
    const stringw typeName = reader->getNodeName();
    const stringc name = narrowLowBytes(reader->getAttributeValue(L"Name").c_str());
    CRefPtr<IPropertyData> value = CPropertyTypeRegistry::instance().create(typeName, m_contentManager);
    if (value) value->readXml(reader);
    if (!name.empty()) addProperty(name, value);
}

void CPropertySet::addInt(const stringc& name, s32 value) { addProperty(name, makePropertyDataInt(value)); }
void CPropertySet::setInt(const stringc& name, s32 value) { setProperty(name, makePropertyDataInt(value)); }
void CPropertySet::addBool(const stringc& name, bool value) { addProperty(name, makePropertyDataBool(value)); }
void CPropertySet::setBool(const stringc& name, bool value) { setProperty(name, makePropertyDataBool(value)); }
void CPropertySet::addFloat(const stringc& name, f32 value) { addProperty(name, makePropertyDataFloat(value)); }
void CPropertySet::setFloat(const stringc& name, f32 value) { setProperty(name, makePropertyDataFloat(value)); }

void CPropertySet::addColor(const stringc& name, irr::video::SColor value) {
    addProperty(name, makePropertyDataColor(value.color));
}

void CPropertySet::addVector2d(const stringc& name, const irr::core::vector2df& value) {
    addProperty(name, makePropertyDataVector2d(value));
}

void CPropertySet::addVector3d(const stringc& name, const irr::core::vector3df& value) {
    addProperty(name, makePropertyDataVector3d(value));
}

void CPropertySet::addString(const stringc& name, const stringc& value) { addProperty(name, makeStringProperty(value)); }
void CPropertySet::setString(const stringc& name, const stringc& value) { setProperty(name, makeStringProperty(value)); }

void CPropertySet::addStringW(const stringc& name, const stringw& value) {
    addProperty(name, makePropertyDataStringW(value));
}

void CPropertySet::setStringW(const stringc& name, const stringw& value) {
    setProperty(name, makePropertyDataStringW(value));
}

void CPropertySet::addStringWArray(const stringc& name, const array<stringw>& value) {
    addProperty(name, CRefPtr<IPropertyData>::fromRaw(new CPropertyDataStringWArray(value)));
}

void CPropertySet::addProperties(const stringc& name, CPropertySet* value) {
    addProperty(name, CRefPtr<IPropertyData>::fromRaw(new CPropertyDataProperties(value)));
}

void CPropertySet::addAtlasTexture(const stringc& name, CResource* texture) {
    // The atlas texture type is registered by the drawing library: it is made by its name.
    CRefPtr<IPropertyData> value = CPropertyTypeRegistry::instance().create(L"atlasTexture", nullptr);
    CPropertyDataResource* holder = dynamic_cast<CPropertyDataResource*>(value.get());
    if (!holder) {
        CLogger::instance().log("Property type atlasTexture is not registered", LogError);
        return;
    }
    holder->setResource(texture);
    addProperty(name, value);
}

bool CPropertySet::getBool(const stringc& name) const { return unboxPropertyBool(getProperty(name).get()); }
s32 CPropertySet::getInt(const stringc& name) const { return unboxPropertyInt(getProperty(name).get()); }
f32 CPropertySet::getFloat(const stringc& name) const { return unboxPropertyFloat(getProperty(name).get()); }
stringc CPropertySet::getString(const stringc& name) const { return getPropertyString(getProperty(name).get()); }
stringw CPropertySet::getStringW(const stringc& name) const { return getPropertyTextW(getProperty(name).get()); }

}  // namespace oskel
