#pragma once

// Class property tables declared one line per property: a row binds a name to a member or to a
// getter and setter, and the boxing of the value type decides the value class. A class builds its
// table in its getPropertyTable:
//
//     const CPropertyTable& MyNode::getPropertyTable() const {
//         static const CPropertyTable table = [] {
//             CPropertyTable t = ParentNode::getPropertyTable();
//             TPropertyTableBuilder<MyNode>(t)
//                 .field<&MyNode::m_speed>("Speed")
//                 .field<&MyNode::m_size, &MyNode::setSize>("Size")
//                 .field<&MyNode::m_target, CNameIdBox>("TargetName");
//             return t;
//         }();
//         return table;
//     }
//
// Setters follow the tables' convention: a value of another type, or none, sets zero of the type.

#include <type_traits>

#include "engine/core/CNameTable.h"
#include "engine/properties/CPropertyData.h"
#include "engine/properties/IPropertyTableSource.h"

namespace oskel {

// The value class of each C++ type the tables bind (declarations only, for the type).
CPropertyDataInt* propertyValueClassOf(s32*);
CPropertyDataBool* propertyValueClassOf(bool*);
CPropertyDataFloat* propertyValueClassOf(f32*);
CPropertyDataColor* propertyValueClassOf(irr::video::SColor*);
CPropertyDataColorf* propertyValueClassOf(irr::video::SColorf*);
CPropertyDataVector2d* propertyValueClassOf(vector2df*);
CPropertyDataVector3d* propertyValueClassOf(vector3df*);
CPropertyDataRect* propertyValueClassOf(rectf*);
CPropertyDataString* propertyValueClassOf(stringc*);
CPropertyDataStringW* propertyValueClassOf(stringw*);

template <class T>
using TPropertyValueClass = std::remove_pointer_t<decltype(propertyValueClassOf(static_cast<T*>(nullptr)))>;

// A value boxed in its own value class.
template <class T>
struct TValueBox {
    using Value = TPropertyValueClass<T>;
    static T unbox(const IPropertyData* value) {
        const Value* typed = dynamic_cast<const Value*>(value);
        return typed && typed->getTypeId() == Value::TypeId ? T(typed->getValue()) : zeroPropertyValue<T>();
    }
    static CRefPtr<IPropertyData> box(const T& value) { return makeRef<Value>(value); }
};

// A name id (s32) boxed as its name's text; an empty text is no name (-1).
struct CNameIdBox {
    static s32 unbox(const IPropertyData* value) {
        const stringc text = getPropertyString(value);
        return text.empty() ? -1 : CNameId(text).getId();
    }
    static CRefPtr<IPropertyData> box(s32 nameId) { return makePropertyDataFromNameId(CNameId::fromId(nameId)); }
};

// A 32-bit ARGB colour (u32) boxed as a colour value.
struct CColorBox {
    static u32 unbox(const IPropertyData* value) { return TValueBox<irr::video::SColor>::unbox(value).color; }
    static CRefPtr<IPropertyData> box(u32 argb) { return makePropertyDataColor(argb); }
};

namespace detail {

template <class M>
struct TMemberValue;
template <class C, class T>
struct TMemberValue<T C::*> {
    using Type = T;
};

template <class G>
struct TGetterValue;
template <class C, class T>
struct TGetterValue<T (C::*)() const> {
    using Type = std::decay_t<T>;
};

template <class Class>
Class* self(IPropertyTableSource* object) {
    return static_cast<Class*>(object);
}
template <class Class>
const Class* self(const IPropertyTableSource* object) {
    return static_cast<const Class*>(object);
}

template <class Class, auto Member, class Box>
void setMember(IPropertyTableSource* object, const CRefPtr<IPropertyData>& value) {
    self<Class>(object)->*Member = Box::unbox(value.get());
}
template <class Class, auto Member, class Box>
CRefPtr<IPropertyData> getMember(const IPropertyTableSource* object) {
    return Box::box(self<Class>(object)->*Member);
}
template <class Class, auto Setter, class Box>
void setThrough(IPropertyTableSource* object, const CRefPtr<IPropertyData>& value) {
    (self<Class>(object)->*Setter)(Box::unbox(value.get()));
}
template <class Class, auto Getter, class Box>
CRefPtr<IPropertyData> getThrough(const IPropertyTableSource* object) {
    return Box::box((self<Class>(object)->*Getter)());
}
template <class Class, auto Setter, auto Index, class Box>
void setAt(IPropertyTableSource* object, const CRefPtr<IPropertyData>& value) {
    (self<Class>(object)->*Setter)(Index, Box::unbox(value.get()));
}
template <class Class, auto Getter, auto Index, class Box>
CRefPtr<IPropertyData> getAt(const IPropertyTableSource* object) {
    return Box::box((self<Class>(object)->*Getter)(Index));
}

}  // namespace detail

template <auto Member>
using TBoxOfMember = TValueBox<typename detail::TMemberValue<decltype(Member)>::Type>;
template <auto Getter>
using TBoxOfGetter = TValueBox<typename detail::TGetterValue<decltype(Getter)>::Type>;

// Appends rows to a class's table. Members named here may be private: the table is built inside
// the class.
template <class Class>
class TPropertyTableBuilder {
public:
    explicit TPropertyTableBuilder(CPropertyTable& table) : m_table(table) {}

    // The member, read and written directly.
    template <auto Member, class Box = TBoxOfMember<Member>>
    TPropertyTableBuilder& field(const char* name) {
        return add(name, &detail::setMember<Class, Member, Box>, &detail::getMember<Class, Member, Box>);
    }
    // The member, read directly and written through the setter.
    template <auto Member, auto Setter, class Box = TBoxOfMember<Member>>
    TPropertyTableBuilder& field(const char* name) {
        return add(name, &detail::setThrough<Class, Setter, Box>, &detail::getMember<Class, Member, Box>);
    }
    // Read through the getter, written through the setter.
    template <auto Getter, auto Setter, class Box = TBoxOfGetter<Getter>>
    TPropertyTableBuilder& accessors(const char* name) {
        return add(name, &detail::setThrough<Class, Setter, Box>, &detail::getThrough<Class, Getter, Box>);
    }
    // Read through getter (index) and written through setter (index, value), for one index.
    template <auto Getter, auto Setter, auto Index, class Box>
    TPropertyTableBuilder& indexed(const char* name) {
        return add(name, &detail::setAt<Class, Setter, Index, Box>, &detail::getAt<Class, Getter, Index, Box>);
    }
    // A row with functions of its own.
    TPropertyTableBuilder& add(const char* name, PropertySetter setter, PropertyGetter getter) {
        m_table.push_back({stringc(name), setter, getter});
        return *this;
    }

private:
    CPropertyTable& m_table;
};

}  // namespace oskel
