#pragma once

// The property value types.

#include <vector>

#include <SColor.h>
#include <rect.h>
#include <vector3d.h>

#include "engine/properties/IPropertyData.h"

namespace oskel {

class CPropertySet;
class CResource;
class IContentManager;

using vector3df = irr::core::vector3df;
using rectf = irr::core::rectf;

// Declares the naming operations of a value class.
#define OSKEL_PROPERTY_DATA_CLASS(TypeNumber)                       \
public:                                                             \
    static const stringw& staticTypeName();                         \
    static const stringw& staticClassName();                        \
    const stringw& getTypeName() const override { return staticTypeName(); }   \
    const stringw& getClassName() const override { return staticClassName(); } \
    u32 getTypeId() const override { return TypeNumber; }           \
    static constexpr u32 TypeId = TypeNumber;

// Defines the naming operations of a value class (in its source file).
#define OSKEL_DEFINE_PROPERTY_DATA_NAMES(Class, TypeName, ClassName) \
    const stringw& Class::staticTypeName() {                         \
        static const stringw name(TypeName);                         \
        return name;                                                 \
    }                                                                \
    const stringw& Class::staticClassName() {                        \
        static const stringw name(ClassName);                        \
        return name;                                                 \
    }

// The values whose text is a number or a list of numbers. Wide text is narrowed so that no
// character beyond Latin-1 can pass for a digit.
class CPropertyDataNumeric : public IPropertyData {
public:
    void setValueStringW(const wchar_t* text) override;
};

// "int": a signed 32-bit integer.
class CPropertyDataInt : public CPropertyDataNumeric {
    OSKEL_PROPERTY_DATA_CLASS(PropertyTypeInt)
public:
    explicit CPropertyDataInt(s32 value = 0) : m_value(value) {}
    s32 getValue() const { return m_value; }
    void setValue(s32 value) { m_value = value; }

    CRefPtr<IPropertyData> clone() const override;
    stringc getValueString() const override;
    void setValueString(const c8* text) override;
    bool equals(const IPropertyData* other) const override;
    // from + trunc((to - from) x t), kept inside the 32-bit range.
    bool interpolate(const IPropertyData* target, IPropertyData* result, f32 t) const override;

private:
    s32 m_value;
};

// "bool": "true" or "false"; only the exact text "true" reads as true.
class CPropertyDataBool : public CPropertyDataNumeric {
    OSKEL_PROPERTY_DATA_CLASS(PropertyTypeBool)
public:
    explicit CPropertyDataBool(bool value = false) : m_value(value) {}
    bool getValue() const { return m_value; }
    void setValue(bool value) { m_value = value; }

    CRefPtr<IPropertyData> clone() const override;
    stringc getValueString() const override;
    void setValueString(const c8* text) override;
    bool equals(const IPropertyData* other) const override;
    // The target's value at exactly t = 1, this value otherwise; true when the result changed.
    bool interpolate(const IPropertyData* target, IPropertyData* result, f32 t) const override;

private:
    bool m_value;
};

// "float": a 32-bit float, written with six decimals (more when needed to read back exactly).
class CPropertyDataFloat : public CPropertyDataNumeric {
    OSKEL_PROPERTY_DATA_CLASS(PropertyTypeFloat)
public:
    explicit CPropertyDataFloat(f32 value = 0.0f) : m_value(value) {}
    f32 getValue() const { return m_value; }
    void setValue(f32 value) { m_value = value; }

    CRefPtr<IPropertyData> clone() const override;
    stringc getValueString() const override;
    void setValueString(const c8* text) override;
    bool equals(const IPropertyData* other) const override;
    bool interpolate(const IPropertyData* target, IPropertyData* result, f32 t) const override;

private:
    f32 m_value;
};

// "color": a 32-bit ARGB colour, written as eight hexadecimal digits, alpha first. A value
// created without a colour, or given a text without hexadecimal digits, holds 0.
class CPropertyDataColor : public CPropertyDataNumeric {
    OSKEL_PROPERTY_DATA_CLASS(PropertyTypeColor)
public:
    explicit CPropertyDataColor(irr::video::SColor value = irr::video::SColor(0)) : m_value(value) {}
    irr::video::SColor getValue() const { return m_value; }
    void setValue(irr::video::SColor value) { m_value = value; }

    CRefPtr<IPropertyData> clone() const override;
    stringc getValueString() const override;
    void setValueString(const c8* text) override;
    bool equals(const IPropertyData* other) const override;
    // Each channel: trunc(from x (1 - t) + to x t), kept inside 0..255.
    bool interpolate(const IPropertyData* target, IPropertyData* result, f32 t) const override;

private:
    irr::video::SColor m_value;
};

// "colorf": four floats r, g, b, a, written "r;g;b;a".
class CPropertyDataColorf : public CPropertyDataNumeric {
    OSKEL_PROPERTY_DATA_CLASS(PropertyTypeColorf)
public:
    explicit CPropertyDataColorf(const irr::video::SColorf& value = irr::video::SColorf(0.0f, 0.0f, 0.0f, 0.0f))
        : m_value(value) {}
    const irr::video::SColorf& getValue() const { return m_value; }
    void setValue(const irr::video::SColorf& value) { m_value = value; }

    CRefPtr<IPropertyData> clone() const override;
    stringc getValueString() const override;
    void setValueString(const c8* text) override;
    bool equals(const IPropertyData* other) const override;
    bool interpolate(const IPropertyData* target, IPropertyData* result, f32 t) const override;

private:
    irr::video::SColorf m_value;
};

// "vector2d": two floats, written "x;y".
class CPropertyDataVector2d : public CPropertyDataNumeric {
    OSKEL_PROPERTY_DATA_CLASS(PropertyTypeVector2d)
public:
    explicit CPropertyDataVector2d(const vector2df& value = vector2df(0.0f, 0.0f)) : m_value(value) {}
    const vector2df& getValue() const { return m_value; }
    void setValue(const vector2df& value) { m_value = value; }

    CRefPtr<IPropertyData> clone() const override;
    stringc getValueString() const override;
    void setValueString(const c8* text) override;
    // Every component exactly equal.
    bool equals(const IPropertyData* other) const override;
    bool interpolate(const IPropertyData* target, IPropertyData* result, f32 t) const override;

private:
    vector2df m_value;
};

// "vector3d": three floats, written "x;y;z".
class CPropertyDataVector3d : public CPropertyDataNumeric {
    OSKEL_PROPERTY_DATA_CLASS(PropertyTypeVector3d)
public:
    explicit CPropertyDataVector3d(const vector3df& value = vector3df(0.0f, 0.0f, 0.0f)) : m_value(value) {}
    const vector3df& getValue() const { return m_value; }
    void setValue(const vector3df& value) { m_value = value; }

    CRefPtr<IPropertyData> clone() const override;
    stringc getValueString() const override;
    void setValueString(const c8* text) override;
    // Every component within 1e-6 of the other's.
    bool equals(const IPropertyData* other) const override;
    bool interpolate(const IPropertyData* target, IPropertyData* result, f32 t) const override;

private:
    vector3df m_value;
};

// "rect": four floats, upper-left x, y and lower-right x, y, written "x0;y0;x1;y1".
class CPropertyDataRect : public CPropertyDataNumeric {
    OSKEL_PROPERTY_DATA_CLASS(PropertyTypeRect)
public:
    explicit CPropertyDataRect(const rectf& value = rectf(0.0f, 0.0f, 0.0f, 0.0f)) : m_value(value) {}
    const rectf& getValue() const { return m_value; }
    void setValue(const rectf& value) { m_value = value; }

    CRefPtr<IPropertyData> clone() const override;
    stringc getValueString() const override;
    void setValueString(const c8* text) override;
    bool equals(const IPropertyData* other) const override;
    bool interpolate(const IPropertyData* target, IPropertyData* result, f32 t) const override;

private:
    rectf m_value;
};

// "string": a narrow string.
class CPropertyDataString : public IPropertyData {
    OSKEL_PROPERTY_DATA_CLASS(PropertyTypeString)
public:
    explicit CPropertyDataString(const stringc& value = stringc()) : m_value(value) {}
    const stringc& getValue() const { return m_value; }
    void setValue(const stringc& value) { m_value = value; }

    CRefPtr<IPropertyData> clone() const override;
    stringc getValueString() const override { return m_value; }
    void setValueString(const c8* text) override;
    bool equals(const IPropertyData* other) const override;
    // A copy of the target for t >= 1 (true); nothing below (false).
    bool interpolate(const IPropertyData* target, IPropertyData* result, f32 t) const override;

private:
    stringc m_value;
};

// "stringw": a wide string.
class CPropertyDataStringW : public IPropertyData {
    OSKEL_PROPERTY_DATA_CLASS(PropertyTypeStringW)
public:
    explicit CPropertyDataStringW(const stringw& value = stringw()) : m_value(value) {}
    const stringw& getValue() const { return m_value; }
    void setValue(const stringw& value) { m_value = value; }

    CRefPtr<IPropertyData> clone() const override;
    stringw getValueStringW() const override { return m_value; }
    stringc getValueString() const override;
    void setValueString(const c8* text) override;
    void setValueStringW(const wchar_t* text) override;
    bool equals(const IPropertyData* other) const override;
    bool interpolate(const IPropertyData* target, IPropertyData* result, f32 t) const override;

private:
    stringw m_value;
};

// "stringwArray": an array of wide strings. Its text is empty and text is ignored; in XML it is
// an element "stringwArray" holding one empty element "stringw" per string.
class CPropertyDataStringWArray : public IPropertyData {
    OSKEL_PROPERTY_DATA_CLASS(PropertyTypeStringWArray)
public:
    explicit CPropertyDataStringWArray(const array<stringw>& value = array<stringw>()) : m_value(value) {}
    const array<stringw>& getValue() const { return m_value; }
    void setValue(const array<stringw>& value) { m_value = value; }

    CRefPtr<IPropertyData> clone() const override;
    stringc getValueString() const override { return stringc(); }
    void setValueString(const c8*) override {}
    void setValueStringW(const wchar_t*) override {}
    // The same strings in the same order.
    bool equals(const IPropertyData* other) const override;
    bool interpolate(const IPropertyData* target, IPropertyData* result, f32 t) const override;
    // Reads the "stringw" elements up to the closing tag "stringwArray" (or the document's end).
    bool readXml(CXmlReader* reader) override;
    bool writeXml(CXmlWriter* writer, const stringc& name) const override;

private:
    array<stringw> m_value;
};

// "properties": a counted reference to a nested property set, may be null. Compared by
// identity; never interpolated; its text is empty and text is ignored. A clone holds a deep
// copy of the set.
class CPropertyDataProperties : public IPropertyData {
    OSKEL_PROPERTY_DATA_CLASS(PropertyTypeProperties)
public:
    // Grabs the set.
    explicit CPropertyDataProperties(CPropertySet* set = nullptr);
    ~CPropertyDataProperties() override;
    CPropertyDataProperties(const CPropertyDataProperties&) = delete;
    CPropertyDataProperties& operator=(const CPropertyDataProperties&) = delete;

    CPropertySet* getProperties() const { return m_set.get(); }
    // Grabs the new set and drops the old one.
    void setProperties(CPropertySet* set);

    // The content manager given to a set this value creates when it reads XML, so that
    // resource values inside nested sets can load their resources as well.
    IContentManager* getContentManager() const { return m_contentManager; }
    void setContentManager(IContentManager* contentManager) { m_contentManager = contentManager; }

    CRefPtr<IPropertyData> clone() const override;
    stringc getValueString() const override { return stringc(); }
    void setValueString(const c8*) override {}
    void setValueStringW(const wchar_t*) override {}
    bool equals(const IPropertyData* other) const override;
    bool interpolate(const IPropertyData*, IPropertyData*, f32) const override { return false; }
    // Reads the nested set from the current element "properties" up to its closing tag.
    bool readXml(CXmlReader* reader) override;
    // An element "properties" holding the nested set's entries; nothing without a set.
    bool writeXml(CXmlWriter* writer, const stringc& name) const override;

private:
    CRefPtr<CPropertySet> m_set;
    IContentManager* m_contentManager = nullptr;
};

// The values that hold a resource obtained by name through a content manager. The resource is
// held with one reference and compared by identity; its text is its name, relative to the
// content manager's current base path. Assigning a resource takes over the resource's own
// content manager.
class CPropertyDataResource : public IPropertyData {
public:
    ~CPropertyDataResource() override;
    CPropertyDataResource(const CPropertyDataResource&) = delete;
    CPropertyDataResource& operator=(const CPropertyDataResource&) = delete;

    // The content type code of the resources this value holds.
    virtual u32 getResourceTypeCode() const = 0;

    CResource* getResource() const { return m_resource.get(); }
    // Holds the resource (grabbed; null empties the value). A resource of another type code is
    // refused with a log line and leaves the value unchanged.
    bool setResource(CResource* resource);
    IContentManager* getContentManager() const { return m_contentManager; }

    stringc getValueString() const override;
    // Looks the name up (resolved against the content manager's base path); the value then
    // holds what the content manager answers, nothing included. Without a content manager the
    // text is ignored.
    void setValueString(const c8* text) override;
    // Identity of the resources.
    bool equals(const IPropertyData* other) const override;

protected:
    explicit CPropertyDataResource(IContentManager* contentManager);

    // Asks the content manager for a resource of this value's type; null when there is none,
    // when the name is empty or when the answer has another type code.
    CRefPtr<CResource> lookUp(const stringc& name, bool relative) const;
    // Puts the chosen resource into the result; true when the result changed.
    bool takeInto(IPropertyData* result, CResource* chosen) const;
    // The target's resource for t >= 1, this value's own below; false for a target of another
    // type or when the result did not change.
    bool interpolateWhole(const IPropertyData* target, IPropertyData* result, f32 t) const;
private:
    CRefPtr<CResource> m_resource;
    IContentManager* m_contentManager;
};

// Unboxing in the manner of the class property tables' setters: the held value when the value
// is not null and of the expected type, zero of the type otherwise.
bool unboxPropertyBool(const IPropertyData* value);
s32 unboxPropertyInt(const IPropertyData* value);
f32 unboxPropertyFloat(const IPropertyData* value);
irr::video::SColor unboxPropertyColor(const IPropertyData* value);
vector2df unboxPropertyVector2d(const IPropertyData* value);
vector3df unboxPropertyVector3d(const IPropertyData* value);

}  // namespace oskel
