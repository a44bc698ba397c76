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

// The zero of a value type: what a value holds when it is made without one.
template <class T>
inline T zeroPropertyValue() {
    return T{};
}
template <>
inline irr::video::SColor zeroPropertyValue<irr::video::SColor>() {
    return irr::video::SColor(0);
}
template <>
inline irr::video::SColorf zeroPropertyValue<irr::video::SColorf>() {
    return irr::video::SColorf(0.0f, 0.0f, 0.0f, 0.0f);
}

// A value type that holds one value of a C++ type: its text form, its equality and its
// interpolation are those of its type number, defined with the types in CPropertyData.cpp, where
// the plain types below are instantiated.
template <class T, u32 TypeNumber, class Base>
class TPropertyData : public Base {
public:
    using ValueType = T;
    static constexpr u32 TypeId = TypeNumber;
    static const stringw& staticTypeName();
    static const stringw& staticClassName();

    explicit TPropertyData(const T& value = zeroPropertyValue<T>()) : m_value(value) {}
    const T& getValue() const { return m_value; }
    void setValue(const T& value) { m_value = value; }

    const stringw& getTypeName() const override { return staticTypeName(); }
    const stringw& getClassName() const override { return staticClassName(); }
    u32 getTypeId() const override { return TypeNumber; }
    CRefPtr<IPropertyData> clone() const override;
    stringc getValueString() const override;
    void setValueString(const c8* text) override;
    bool equals(const IPropertyData* other) const override;
    bool interpolate(const IPropertyData* target, IPropertyData* result, f32 t) const override;

private:
    T m_value;
};

// "int": a signed 32-bit integer. Interpolates as from + trunc((to - from) x t), kept inside the
// 32-bit range.
using CPropertyDataInt = TPropertyData<s32, PropertyTypeInt, CPropertyDataNumeric>;
// "bool": "true" or "false"; only the exact text "true" reads as true. Interpolates to the
// target's value at exactly t = 1 and keeps its own otherwise; true when the result changed.
using CPropertyDataBool = TPropertyData<bool, PropertyTypeBool, CPropertyDataNumeric>;
// "float": a 32-bit float, written with six decimals (more when needed to read back exactly).
using CPropertyDataFloat = TPropertyData<f32, PropertyTypeFloat, CPropertyDataNumeric>;
// "color": a 32-bit ARGB colour, written as eight hexadecimal digits, alpha first. A value
// created without a colour, or given a text without hexadecimal digits, holds 0. Interpolates
// each channel as trunc(from x (1 - t) + to x t), kept inside 0..255.
using CPropertyDataColor = TPropertyData<irr::video::SColor, PropertyTypeColor, CPropertyDataNumeric>;
// "colorf": four floats r, g, b, a, written "r;g;b;a".
using CPropertyDataColorf = TPropertyData<irr::video::SColorf, PropertyTypeColorf, CPropertyDataNumeric>;
// "vector2d": two floats, written "x;y"; equal when every component is exactly equal.
using CPropertyDataVector2d = TPropertyData<vector2df, PropertyTypeVector2d, CPropertyDataNumeric>;
// "vector3d": three floats, written "x;y;z"; equal when every component lies within 1e-6 of the
// other's.
using CPropertyDataVector3d = TPropertyData<vector3df, PropertyTypeVector3d, CPropertyDataNumeric>;
// "rect": four floats, upper-left x, y and lower-right x, y, written "x0;y0;x1;y1".
using CPropertyDataRect = TPropertyData<rectf, PropertyTypeRect, CPropertyDataNumeric>;
// "string": a narrow string. Interpolates to a copy of the target for t >= 1 (true), to nothing
// below (false).
using CPropertyDataString = TPropertyData<stringc, PropertyTypeString, IPropertyData>;

extern template class TPropertyData<s32, PropertyTypeInt, CPropertyDataNumeric>;
extern template class TPropertyData<bool, PropertyTypeBool, CPropertyDataNumeric>;
extern template class TPropertyData<f32, PropertyTypeFloat, CPropertyDataNumeric>;
extern template class TPropertyData<irr::video::SColor, PropertyTypeColor, CPropertyDataNumeric>;
extern template class TPropertyData<irr::video::SColorf, PropertyTypeColorf, CPropertyDataNumeric>;
extern template class TPropertyData<vector2df, PropertyTypeVector2d, CPropertyDataNumeric>;
extern template class TPropertyData<vector3df, PropertyTypeVector3d, CPropertyDataNumeric>;
extern template class TPropertyData<rectf, PropertyTypeRect, CPropertyDataNumeric>;
extern template class TPropertyData<stringc, PropertyTypeString, IPropertyData>;

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

// A resource value that holds its resource whole: it interpolates to the target's resource for
// t >= 1 and keeps its own below (true when the result changed); a clone holds the same resource.
// Derived names its type (OSKEL_PROPERTY_DATA_CLASS) and how the resource is seen.
template <class Derived, u32 ResourceTypeCode>
class TPropertyDataWholeResource : public CPropertyDataResource {
public:
    explicit TPropertyDataWholeResource(IContentManager* contentManager = nullptr)
        : CPropertyDataResource(contentManager) {}
    // Holds the resource (grabbed); the content manager is the resource's.
    explicit TPropertyDataWholeResource(CResource* resource) : CPropertyDataResource(nullptr) {
        setResource(resource);
    }

    u32 getResourceTypeCode() const override { return ResourceTypeCode; }
    CRefPtr<IPropertyData> clone() const override {
        CRefPtr<Derived> copy = makeRef<Derived>(getContentManager());
        copy->setResource(getResource());
        return copy;
    }
    bool interpolate(const IPropertyData* target, IPropertyData* result, f32 t) const override {
        return interpolateWhole(target, result, t);
    }
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
