#pragma once

#include <vector>

#include "engine/core/CRefPtr.h"
#include "engine/core/OskelTypes.h"
#include "engine/properties/IPropertyData.h"

namespace oskel {

class CPropertySet;
class IPropertyTableSource;

// Writes a value into the object. By convention a setter unboxes only a value of its own type
// and gives the member zero of its type for a missing or differently typed value.
using PropertySetter = void (*)(IPropertyTableSource* object, const CRefPtr<IPropertyData>& value);
// Boxes the object's current member into a new value owned by the caller.
using PropertyGetter = CRefPtr<IPropertyData> (*)(const IPropertyTableSource* object);

// One row of a class property table.
struct CPropertyDescriptor {
    stringc name;
    PropertySetter setter = nullptr;
    PropertyGetter getter = nullptr;
};

// A class's properties in a fixed order: the parent class's rows first, then its own.
using CPropertyTable = std::vector<CPropertyDescriptor>;

// Appends copies of all source rows to the destination, in order.
void appendPropertyDescriptors(CPropertyTable& destination, const CPropertyTable& source);

// A class that exposes its properties through a static table, so that they can be set at run
// time by name or by position (animations, property lists, spawners).
//
// A class builds its table on the first call of its getPropertyTable, once for the run:
//
//     const CPropertyTable& MyNode::getPropertyTable() const {
//         static const CPropertyTable table = [this] {
//             CPropertyTable t;
//             appendPropertyDescriptors(t, ParentNode::getPropertyTable());  // not virtual
//             t.push_back({"Speed", &setSpeed, &getSpeed});
//             return t;
//         }();
//         return table;
//     }
//
// Tables never change after they are built, so positions stay valid for the whole run.
class IPropertyTableSource {
public:
    virtual ~IPropertyTableSource() = default;

    // The class's table; the root's is empty.
    virtual const CPropertyTable& getPropertyTable() const;

    // Calls the setter at the position; nothing when the position is outside the table.
    void setPropertyByIndex(s32 position, const CRefPtr<IPropertyData>& value);
    // Calls the setter of the first row with exactly that name; nothing when no row has it.
    void setPropertyByName(const stringc& name, const CRefPtr<IPropertyData>& value);
    // The position of the first row with exactly that name, or -1. Callers that set the same
    // names repeatedly resolve them once and then set by position.
    s32 findPropertyIndex(const stringc& name) const;
    // The current value of the property at the position (boxed by its getter), null outside the
    // table or without a getter.
    CRefPtr<IPropertyData> getPropertyByIndex(s32 position) const;
    CRefPtr<IPropertyData> getPropertyByName(const stringc& name) const;
};

// Moves a whole object to and from a property set (scene files). The defaults do nothing.
class IPropertyHolder {
public:
    virtual ~IPropertyHolder() = default;

    // Adds the object's properties to the set.
    virtual void saveProperties(CPropertySet* set) const;
    // Applies the properties found in the set to the object.
    virtual void loadProperties(const CPropertySet* set);
};

}  // namespace oskel
