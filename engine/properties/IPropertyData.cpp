#include "engine/properties/IPropertyData.h"

#include "engine/core/StringUtils.h"
#include "engine/io/CXmlReader.h"
#include "engine/io/CXmlWriter.h"
#include "engine/properties/CPropertyData.h"

namespace oskel {

const stringw& IPropertyData::getTypeName() const {
    static const stringw name(L"none");
    return name;
}

const stringw& IPropertyData::getClassName() const {
    static const stringw name(L"IPropertyData");
    return name;
}

stringw IPropertyData::getValueStringW() const { return widenLatin1(getValueString()); }

void IPropertyData::setValueStringW(const wchar_t* text) { setValueString(narrowLowBytes(text).c_str()); }

void IPropertyData::prepareInterpolation(const IPropertyData*) {}

bool IPropertyData::readXml(CXmlReader* reader) {
    if (!reader) return false;
    // Copied: the reader's strings change with its next read.
    const stringw text = reader->getAttributeValue(L"Value");
    setValueStringW(text.c_str());
    return true;
}

bool IPropertyData::writeXml(CXmlWriter* writer, const stringc& name) const {
    if (!writer) return false;
    const stringw wideName = widenLatin1(name);
    const stringw value = getValueStringW();
    writer->writeElement(getTypeName().c_str(), true, L"Name", wideName.c_str(), L"Value", value.c_str());
    return true;
}

CRefPtr<IPropertyData> makePropertyDataInt(s32 value) {
    return CRefPtr<IPropertyData>::fromRaw(new CPropertyDataInt(value));
}

CRefPtr<IPropertyData> makePropertyDataBool(bool value) {
    return CRefPtr<IPropertyData>::fromRaw(new CPropertyDataBool(value));
}

CRefPtr<IPropertyData> makePropertyDataFloat(f32 value) {
    return CRefPtr<IPropertyData>::fromRaw(new CPropertyDataFloat(value));
}

CRefPtr<IPropertyData> makePropertyDataColor(u32 argb) {
    return CRefPtr<IPropertyData>::fromRaw(new CPropertyDataColor(irr::video::SColor(argb)));
}

CRefPtr<IPropertyData> makePropertyDataVector2d(const irr::core::vector2df& value) {
    return CRefPtr<IPropertyData>::fromRaw(new CPropertyDataVector2d(value));
}

CRefPtr<IPropertyData> makePropertyDataVector3d(const irr::core::vector3df& value) {
    return CRefPtr<IPropertyData>::fromRaw(new CPropertyDataVector3d(value));
}

CRefPtr<IPropertyData> makeStringProperty(const stringc& value) {
    return CRefPtr<IPropertyData>::fromRaw(new CPropertyDataString(value));
}

CRefPtr<IPropertyData> makePropertyDataStringW(const stringw& value) {
    return CRefPtr<IPropertyData>::fromRaw(new CPropertyDataStringW(value));
}

CRefPtr<IPropertyData> makePropertyDataFromNameId(const CNameId& name) {
    return makeStringProperty(name.getName());
}

stringc getPropertyString(const IPropertyData* value) { return value ? value->getValueString() : stringc(); }

stringw getPropertyTextW(const IPropertyData* value) { return value ? value->getValueStringW() : stringw(); }

CNameId getPropertyNameId(const IPropertyData* value) { return CNameId(getPropertyString(value)); }

}  // namespace oskel
