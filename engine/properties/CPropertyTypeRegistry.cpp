#include "engine/properties/CPropertyTypeRegistry.h"

#include "engine/properties/CPropertyData.h"

namespace oskel {

namespace {

template <class T>
CRefPtr<IPropertyData> createPlain(IContentManager*) {
    return CRefPtr<IPropertyData>::fromRaw(new T());
}

// A nested set read from XML gets the outer set's content manager, so that the resource
// values inside it load their resources like those of the outer set.
CRefPtr<IPropertyData> createProperties(IContentManager* contentManager) {
    CPropertyDataProperties* value = new CPropertyDataProperties(nullptr);
    value->setContentManager(contentManager);
    return CRefPtr<IPropertyData>::fromRaw(value);
}

}  // namespace

CPropertyTypeRegistry::CPropertyTypeRegistry() {
    registerType(CPropertyDataBool::staticTypeName(), createPlain<CPropertyDataBool>);
    registerType(CPropertyDataInt::staticTypeName(), createPlain<CPropertyDataInt>);
    registerType(CPropertyDataFloat::staticTypeName(), createPlain<CPropertyDataFloat>);
    registerType(CPropertyDataColor::staticTypeName(), createPlain<CPropertyDataColor>);
    registerType(CPropertyDataColorf::staticTypeName(), createPlain<CPropertyDataColorf>);
    registerType(CPropertyDataVector2d::staticTypeName(), createPlain<CPropertyDataVector2d>);
    registerType(CPropertyDataVector3d::staticTypeName(), createPlain<CPropertyDataVector3d>);
    registerType(CPropertyDataRect::staticTypeName(), createPlain<CPropertyDataRect>);
    registerType(CPropertyDataString::staticTypeName(), createPlain<CPropertyDataString>);
    registerType(CPropertyDataStringW::staticTypeName(), createPlain<CPropertyDataStringW>);
    registerType(CPropertyDataStringWArray::staticTypeName(), createPlain<CPropertyDataStringWArray>);
    registerType(CPropertyDataProperties::staticTypeName(), createProperties);
}

bool CPropertyTypeRegistry::registerType(const stringw& typeName, PropertyDataFactory factory) {
    if (!factory) return false;
    return m_factories.emplace(typeName, std::move(factory)).second;
}

CRefPtr<IPropertyData> CPropertyTypeRegistry::create(const stringw& typeName, IContentManager* contentManager) const {
    const auto it = m_factories.find(typeName);
    if (it == m_factories.end()) return CRefPtr<IPropertyData>();
    return it->second(contentManager);
}

}  // namespace oskel
