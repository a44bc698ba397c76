#include "engine/content/CResource.h"
#include "engine/content/IContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/properties/CPropertyData.h"

namespace oskel {

namespace {

const CPropertyDataResource* asResourceValue(const IPropertyData* value, u32 typeId) {
    const CPropertyDataResource* typed = dynamic_cast<const CPropertyDataResource*>(value);
    return typed && typed->getTypeId() == typeId ? typed : nullptr;
}

}  // namespace

CPropertyDataResource::CPropertyDataResource(IContentManager* contentManager) : m_contentManager(contentManager) {}

CPropertyDataResource::~CPropertyDataResource() = default;

bool CPropertyDataResource::setResource(CResource* resource) {
    if (resource && resource->getTypeCode() != getResourceTypeCode()) {
        CLogger::instance().logHint("Property value refuses a resource of another type", resource->getName().c_str(),
                                    LogWarning);
        return false;
    }
    m_resource.assign(resource);
    if (resource && resource->getContentManager()) m_contentManager = resource->getContentManager();
    return true;
}

stringc CPropertyDataResource::getValueString() const {
    if (!m_resource) return stringc();
    const stringc& name = m_resource->getName();
    return m_contentManager ? m_contentManager->getRelativePath(name) : name;
}

void CPropertyDataResource::setValueString(const c8* text) {
    if (!m_contentManager) return;
    const CRefPtr<CResource> found = lookUp(stringc(text ? text : ""), true);
    setResource(found.get());
}

bool CPropertyDataResource::equals(const IPropertyData* other) const {
    const CPropertyDataResource* o = asResourceValue(other, getTypeId());
    return o && o->m_resource.get() == m_resource.get();
}

CRefPtr<CResource> CPropertyDataResource::lookUp(const stringc& name, bool relative) const {
    if (!m_contentManager || name.empty()) return CRefPtr<CResource>();
    // The content manager hands out one reference for the caller.
    CRefPtr<CResource> found =
        CRefPtr<CResource>::fromRaw(m_contentManager->getContentByPath(getResourceTypeCode(), name, relative));
    if (!found) {
        CLogger::instance().logHint("Property value names no resource", name.c_str(), LogWarning);
    } else if (found->getTypeCode() != getResourceTypeCode()) {
        CLogger::instance().logHint("Property value names a resource of another type", name.c_str(), LogWarning);
        found = nullptr;
    }
    return found;
}

bool CPropertyDataResource::takeInto(IPropertyData* result, CResource* chosen) const {
    CPropertyDataResource* out = dynamic_cast<CPropertyDataResource*>(result);
    if (!out || out->getTypeId() != getTypeId()) return false;
    if (out->m_resource.get() == chosen) return false;
    return out->setResource(chosen);
}

bool CPropertyDataResource::interpolateWhole(const IPropertyData* target, IPropertyData* result, f32 t) const {
    const CPropertyDataResource* to = asResourceValue(target, getTypeId());
    if (!to) return false;
    return takeInto(result, t >= 1.0f ? to->getResource() : getResource());
}

}  // namespace oskel
