#pragma once

#include <map>
#include <vector>

#include <SColor.h>
#include <vector3d.h>

#include "engine/core/CRefPtr.h"
#include "engine/core/OskelTypes.h"
#include "engine/properties/IPropertyData.h"

namespace oskel {

class CResource;
class CXmlReader;
class CXmlWriter;
class IContentManager;

// How deeply property sets may nest inside one another ("properties" values). Reading, writing
// and cloning treat a set beyond this depth as empty and log it, so that damaged or cyclic data
// cannot exhaust the stack.
constexpr u32 MaxPropertySetDepth = 32;

// An ordered list of named property values with an index by name. Names compare exactly. Adding
// a name that is present appends a second entry, and lookups by name then find the newer one;
// both stay in the list and are both written. An entry may hold no value: it counts and is found
// but is never written.
class CPropertySet : public virtual IReferenceCounted {
public:
    // The content manager is handed to the resource values created while reading XML.
    explicit CPropertySet(IContentManager* contentManager = nullptr);
    ~CPropertySet() override;
    CPropertySet(const CPropertySet&) = delete;
    CPropertySet& operator=(const CPropertySet&) = delete;

    IContentManager* getContentManager() const { return m_contentManager; }

    // Appends an entry (the value, which may be null, is grabbed) and points the name at it.
    void addProperty(const stringc& name, IPropertyData* value);
    void addProperty(const stringc& name, const CRefPtr<IPropertyData>& value) { addProperty(name, value.get()); }
    // Replaces the value of the entry the name points at, or appends one when the name is absent.
    void setProperty(const stringc& name, IPropertyData* value);
    void setProperty(const stringc& name, const CRefPtr<IPropertyData>& value) { setProperty(name, value.get()); }

    // The position of the entry the name points at, or -1.
    s32 getPropertyIndex(const stringc& name) const;
    // The value of the entry the name points at; null when the name is absent or has no value.
    CRefPtr<IPropertyData> getProperty(const stringc& name) const;
    // The value of the entry at the position; null past the end.
    CRefPtr<IPropertyData> getPropertyAt(u32 position) const;
    // Replaces the value at the position; nothing happens past the end.
    void setPropertyAt(u32 position, IPropertyData* value);
    void setPropertyAt(u32 position, const CRefPtr<IPropertyData>& value) { setPropertyAt(position, value.get()); }

    u32 getPropertyCount() const { return static_cast<u32>(m_entries.size()); }
    // The name of the entry at the position; empty past the end.
    const stringc& getPropertyName(u32 position) const;

    // Drops every value and empties the set.
    void clear();
    // An independent copy: the same content manager, names and order, each value cloned (nested
    // sets are copied deeply, resources are shared).
    CRefPtr<CPropertySet> clone() const;

    // Writes the set: the XML declaration when asked, then (with enclose) an opening element of
    // the name ("Properties" when empty) on its own line, one line per value, and the closing
    // tag. False only without a writer.
    bool writeXml(CXmlWriter* writer, bool writeDeclaration = false, const stringw& elementName = stringw(),
                  bool enclose = true) const;
    // Reads the set from the reader's current element ("Properties" when the name is empty) up to
    // its closing tag, replacing the content. With checkName, an element of another name gives
    // false and an empty set. Elements named after no registered type give entries without a
    // value. False without a reader.
    bool readXml(CXmlReader* reader, bool checkName = true, const stringw& elementName = stringw());

    // Typed conveniences: append or set a new value of the type.
    void addInt(const stringc& name, s32 value);
    void setInt(const stringc& name, s32 value);
    void addBool(const stringc& name, bool value);
    void setBool(const stringc& name, bool value);
    void addFloat(const stringc& name, f32 value);
    void setFloat(const stringc& name, f32 value);
    void addColor(const stringc& name, irr::video::SColor value);
    void addVector2d(const stringc& name, const irr::core::vector2df& value);
    void addVector3d(const stringc& name, const irr::core::vector3df& value);
    void addString(const stringc& name, const stringc& value);
    void setString(const stringc& name, const stringc& value);
    void addStringW(const stringc& name, const stringw& value);
    void setStringW(const stringc& name, const stringw& value);
    void addStringWArray(const stringc& name, const array<stringw>& value);
    // Appends a nested set (grabbed).
    void addProperties(const stringc& name, CPropertySet* value);
    // Appends an atlas texture (grabbed).
    void addAtlasTexture(const stringc& name, CResource* texture);

    // Typed reads never fail and never convert: a missing value or one of another type gives
    // false, 0 or empty text.
    bool getBool(const stringc& name) const;
    s32 getInt(const stringc& name) const;
    f32 getFloat(const stringc& name) const;
    // The narrow text of a value of any type.
    stringc getString(const stringc& name) const;
    // The wide text of a value of any type.
    stringw getStringW(const stringc& name) const;

private:
    struct SEntry {
        stringc name;
        CRefPtr<IPropertyData> value;
    };

    void readProperty(CXmlReader* reader);

    IContentManager* m_contentManager;
    std::vector<SEntry> m_entries;
    std::map<stringc, u32> m_index;
};

}  // namespace oskel
