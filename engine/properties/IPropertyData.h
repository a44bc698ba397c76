#pragma once

#include "engine/core/CNameTable.h"
#include "engine/core/CRefPtr.h"
#include "engine/core/OskelTypes.h"

#include <vector3d.h>

namespace oskel {

class CXmlReader;
class CXmlWriter;

// The type numbers of the property values.
enum EPropertyType : u32 {
    PropertyTypeNone = 0,
    PropertyTypeInt = 1,
    PropertyTypeBool = 2,
    PropertyTypeFloat = 3,
    PropertyTypeColor = 4,
    PropertyTypeColorf = 5,
    PropertyTypeVector2d = 6,
    PropertyTypeVector3d = 7,
    PropertyTypeRect = 8,
    PropertyTypeString = 9,
    PropertyTypeStringW = 10,
    PropertyTypeStringWArray = 11,
    PropertyTypeProperties = 12,
    PropertyTypeAtlasTexture = 13,
    PropertyTypeFont = 14,
    PropertyTypeSound = 15,
};

// One typed, reference-counted value: the unit of every property set. A value names its type,
// copies itself, turns itself into text and back, compares itself with a value of its own type,
// interpolates towards one and reads or writes itself as one XML element.
//
// Texts that do not parse never leave a value undefined: they give zero, false, zero components
// or an empty resource.
class IPropertyData : public virtual IReferenceCounted {
public:
    ~IPropertyData() override = default;

    // The type's name: the registry key and the XML element name ("none" here).
    virtual const stringw& getTypeName() const;
    // The class's name ("IPropertyData" here).
    virtual const stringw& getClassName() const;
    // The type number (PropertyTypeNone here).
    virtual u32 getTypeId() const { return PropertyTypeNone; }
    // True for the type's own number and for 0.
    virtual bool isKindOf(u32 typeId) const { return typeId == PropertyTypeNone || typeId == getTypeId(); }

    // A new value of the same type and content, owned by the caller.
    virtual CRefPtr<IPropertyData> clone() const = 0;

    // The value as wide text; the default widens getValueString.
    virtual stringw getValueStringW() const;
    virtual stringc getValueString() const = 0;
    virtual void setValueString(const c8* text) = 0;
    // The default narrows the text (each character's low byte) and calls setValueString.
    virtual void setValueStringW(const wchar_t* text);

    // The same value as another value of the same type; false for a value of another type.
    virtual bool equals(const IPropertyData* other) const = 0;
    // Writes into result (a value of this type) the value at fraction t between this value
    // (t = 0) and the target (t = 1); true when the result changed and should be applied.
    // Values of another type are left alone and give false.
    virtual bool interpolate(const IPropertyData* target, IPropertyData* result, f32 t) const = 0;
    // Gets ready for later interpolations towards the target. The default does nothing.
    virtual void prepareInterpolation(const IPropertyData* target);

    // Reads the value from the reader's current element. The default reads the attribute
    // "Value" (absent reads as empty text) and leaves the reader where it is.
    virtual bool readXml(CXmlReader* reader);
    // Writes the value as one XML element for the named property. The default writes one empty
    // element named after the type with the attributes "Name" and "Value".
    virtual bool writeXml(CXmlWriter* writer, const stringc& name) const;
};

// Boxing functions: new values owned by the caller.
CRefPtr<IPropertyData> makePropertyDataInt(s32 value);
CRefPtr<IPropertyData> makePropertyDataBool(bool value);
CRefPtr<IPropertyData> makePropertyDataFloat(f32 value);
CRefPtr<IPropertyData> makePropertyDataColor(u32 argb);
CRefPtr<IPropertyData> makePropertyDataVector2d(const irr::core::vector2df& value);
CRefPtr<IPropertyData> makePropertyDataVector3d(const irr::core::vector3df& value);
CRefPtr<IPropertyData> makeStringProperty(const stringc& value);
CRefPtr<IPropertyData> makePropertyDataStringW(const stringw& value);
// A "string" value holding the name's text.
CRefPtr<IPropertyData> makePropertyDataFromNameId(const CNameId& name);

// Readers of a possibly null value.
//
// The value's narrow text, empty for null.
stringc getPropertyString(const IPropertyData* value);
// The value's wide text, empty for null.
stringw getPropertyTextW(const IPropertyData* value);
// The narrow text interned as a name id (the empty name for null).
CNameId getPropertyNameId(const IPropertyData* value);

}  // namespace oskel
