#include "engine/properties/IPropertyTableSource.h"

namespace oskel {

void appendPropertyDescriptors(CPropertyTable& destination, const CPropertyTable& source) {
    if (&destination == &source) {
        const CPropertyTable copy(source);
        destination.insert(destination.end(), copy.begin(), copy.end());
        return;
    }
    destination.insert(destination.end(), source.begin(), source.end());
}

const CPropertyTable& IPropertyTableSource::getPropertyTable() const {
    static const CPropertyTable empty;
    return empty;
}

void IPropertyTableSource::setPropertyByIndex(s32 position, const CRefPtr<IPropertyData>& value) {
    const CPropertyTable& table = getPropertyTable();
    if (position < 0 || static_cast<size_t>(position) >= table.size()) return;
    const CPropertyDescriptor& row = table[static_cast<size_t>(position)];
    if (row.setter) row.setter(this, value);
}

void IPropertyTableSource::setPropertyByName(const stringc& name, const CRefPtr<IPropertyData>& value) {
    setPropertyByIndex(findPropertyIndex(name), value);
}

s32 IPropertyTableSource::findPropertyIndex(const stringc& name) const {
    const CPropertyTable& table = getPropertyTable();
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i].name == name) return static_cast<s32>(i);
    return -1;
}

CRefPtr<IPropertyData> IPropertyTableSource::getPropertyByIndex(s32 position) const {
    const CPropertyTable& table = getPropertyTable();
    if (position < 0 || static_cast<size_t>(position) >= table.size()) return CRefPtr<IPropertyData>();
    const CPropertyDescriptor& row = table[static_cast<size_t>(position)];
    return row.getter ? row.getter(this) : CRefPtr<IPropertyData>();
}

CRefPtr<IPropertyData> IPropertyTableSource::getPropertyByName(const stringc& name) const {
    return getPropertyByIndex(findPropertyIndex(name));
}

void IPropertyHolder::saveProperties(CPropertySet*) const {}

void IPropertyHolder::loadProperties(const CPropertySet*) {}

}  // namespace oskel
