#include "engine/content/CResource.h"
#include "engine/content/IContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/scene/CPropertyData.h"

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

// ---- atlas textures ----

CPropertyDataAtlasTexture::CPropertyDataAtlasTexture(CResource* texture) : CPropertyDataResource(nullptr) {
    setResource(texture);
}

u32 CPropertyDataAtlasTexture::getResourceTypeCode() const { return TypeCodeAtlasTexture; }

CRefPtr<IPropertyData> CPropertyDataAtlasTexture::clone() const {
    CPropertyDataAtlasTexture* copy = new CPropertyDataAtlasTexture(getContentManager());
    copy->setResource(getResource());
    // The frame cache is copied here once the value keeps one (see prepareInterpolation).
    return CRefPtr<IPropertyData>::fromRaw(copy);
}

void CPropertyDataAtlasTexture::setValueString(const c8* text) {
    if (!text || !*text) return;  // an empty name keeps the texture
    CPropertyDataResource::setValueString(text);
}

bool CPropertyDataAtlasTexture::interpolate(const IPropertyData* target, IPropertyData* result, f32 t) const {
    const CPropertyDataResource* to = asResourceValue(target, getTypeId());
    if (!to) return false;
    if (t >= 1.0f) return takeInto(result, to->getResource());
    // Between two frames of one numbered sequence (base name + "%04d" frame index + extension)
    // the frame at (b - a) x t steps from this one is shown, taken from the frame cache or looked
    // up by name without base-path resolution. That needs the atlas texture's name parts (base
    // name, frame index, extension), which come with CAtlasTexture; until then this value's own
    // texture is shown below t = 1.
    return takeInto(result, getResource());
}

void CPropertyDataAtlasTexture::prepareInterpolation(const IPropertyData*) {
    // The frame cache (one counted reference per frame from this texture's frame to the target's,
    // looked up as 'atex' without base-path resolution) plugs in here once CAtlasTexture exists.
}

// ---- fonts ----

CPropertyDataFont::CPropertyDataFont(CResource* font) : CPropertyDataResource(nullptr) { setResource(font); }

u32 CPropertyDataFont::getResourceTypeCode() const { return TypeCodeFont; }

CRefPtr<IPropertyData> CPropertyDataFont::clone() const {
    CPropertyDataFont* copy = new CPropertyDataFont(getContentManager());
    copy->setResource(getResource());
    return CRefPtr<IPropertyData>::fromRaw(copy);
}

bool CPropertyDataFont::interpolate(const IPropertyData* target, IPropertyData* result, f32 t) const {
    const CPropertyDataResource* to = asResourceValue(target, getTypeId());
    if (!to) return false;
    return takeInto(result, t >= 1.0f ? to->getResource() : getResource());
}

// ---- sounds ----

CPropertyDataSound::CPropertyDataSound(CResource* sound) : CPropertyDataResource(nullptr) { setResource(sound); }

u32 CPropertyDataSound::getResourceTypeCode() const { return TypeCodeSound; }

CRefPtr<IPropertyData> CPropertyDataSound::clone() const {
    CPropertyDataSound* copy = new CPropertyDataSound(getContentManager());
    copy->setResource(getResource());
    return CRefPtr<IPropertyData>::fromRaw(copy);
}

bool CPropertyDataSound::interpolate(const IPropertyData* target, IPropertyData* result, f32 t) const {
    const CPropertyDataResource* to = asResourceValue(target, getTypeId());
    if (!to) return false;
    return takeInto(result, t >= 1.0f ? to->getResource() : getResource());
}

CRefPtr<IPropertyData> makeAtlasTextureProperty(CResource* texture) {
    return CRefPtr<IPropertyData>::fromRaw(new CPropertyDataAtlasTexture(texture));
}

}  // namespace oskel
