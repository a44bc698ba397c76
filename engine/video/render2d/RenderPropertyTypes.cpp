#include "engine/video/render2d/RenderPropertyTypes.h"

#include "engine/content/IContentManager.h"
#include "engine/properties/CPropertyTypeRegistry.h"
#include "engine/video/render2d/CAtlasTexture.h"
#include "engine/video/render2d/CFont.h"

namespace oskel {

OSKEL_DEFINE_PROPERTY_DATA_NAMES(CPropertyDataAtlasTexture, L"atlasTexture", L"CPropertyDataAtlasTexture")
OSKEL_DEFINE_PROPERTY_DATA_NAMES(CPropertyDataFont, L"font", L"CPropertyDataFont")

// ---- atlas textures ----

CPropertyDataAtlasTexture::CPropertyDataAtlasTexture(CResource* texture) : CPropertyDataResource(nullptr) {
    setResource(texture);
}

u32 CPropertyDataAtlasTexture::getResourceTypeCode() const { return TypeCodeAtlasTexture; }

CPropertyDataAtlasTexture::CPropertyDataAtlasTexture(IContentManager* contentManager)
    : CPropertyDataResource(contentManager) {}

CPropertyDataAtlasTexture::~CPropertyDataAtlasTexture() = default;

CAtlasTexture* CPropertyDataAtlasTexture::getAtlasTexture() const {
    // Other classes may answer the type code too (stand-ins in tests): only an atlas texture
    // has name parts and a page.
    return dynamic_cast<CAtlasTexture*>(getResource());
}

CRefPtr<IPropertyData> CPropertyDataAtlasTexture::clone() const {
    CPropertyDataAtlasTexture* copy = new CPropertyDataAtlasTexture(getContentManager());
    copy->setResource(getResource());
    copy->m_frames = m_frames;  // the cached frames, grabbed again
    return CRefPtr<IPropertyData>::fromRaw(copy);
}

void CPropertyDataAtlasTexture::setValueString(const c8* text) {
    if (!text || !*text) return;  // an empty name keeps the texture
    CPropertyDataResource::setValueString(text);
}

namespace {

// Frame n of the texture's sequence, looked up by its full name in the texture's content
// manager (one reference for the caller), or none.
CRefPtr<CResource> lookUpFrame(const CAtlasTexture* texture, s32 frame) {
    IContentManager* manager = texture->getContentManager();
    if (!manager) return CRefPtr<CResource>();
    CRefPtr<CResource> found = CRefPtr<CResource>::fromRaw(
        manager->getContentByPath(TypeCodeAtlasTexture, texture->makeFrameName(frame), false));
    if (found && !dynamic_cast<CAtlasTexture*>(found.get())) found = nullptr;
    return found;
}

const CPropertyDataAtlasTexture* asAtlasValue(const IPropertyData* value) {
    return dynamic_cast<const CPropertyDataAtlasTexture*>(value);
}

}  // namespace

bool CPropertyDataAtlasTexture::interpolate(const IPropertyData* target, IPropertyData* result, f32 t) const {
    const CPropertyDataAtlasTexture* to = asAtlasValue(target);
    if (!to) return false;
    if (t >= 1.0f) return takeInto(result, to->getResource());
    const CAtlasTexture* from = getAtlasTexture();
    const CAtlasTexture* goal = to->getAtlasTexture();
    if (from && goal && from->getFrameIndex() != -1 && goal->getFrameIndex() != -1) {
        const s32 a = from->getFrameIndex();
        const s32 b = goal->getFrameIndex();
        const f64 steps = static_cast<f64>(b - a) * static_cast<f64>(t);
        const s32 n = static_cast<s32>(steps);  // |b - a| < 2^31 and 0 <= t < 1 here
        const u32 distance = static_cast<u32>(n < 0 ? -n : n);
        if (distance < m_frames.size() && m_frames[distance]) return takeInto(result, m_frames[distance].get());
        const CRefPtr<CResource> frame = lookUpFrame(from, a + n);
        const CPropertyDataResource* out = dynamic_cast<const CPropertyDataResource*>(result);
        if (out && out->getResource() == frame.get()) return false;
        return takeInto(result, frame.get());
    }
    return takeInto(result, getResource());
}

void CPropertyDataAtlasTexture::prepareInterpolation(const IPropertyData* target) {
    const CPropertyDataAtlasTexture* to = asAtlasValue(target);
    const CAtlasTexture* from = getAtlasTexture();
    const CAtlasTexture* goal = to ? to->getAtlasTexture() : nullptr;
    if (!from || !goal) return;
    m_frames.clear();
    const s32 a = from->getFrameIndex();
    const s32 b = goal->getFrameIndex();
    if (a == -1 || b == -1 || a == b) return;
    // Frame numbers beyond the sequence's four digits would make the cache as long as the
    // number: nothing is cached, and interpolation looks frames up by name.
    if (a > MaxFrameIndex || b > MaxFrameIndex) return;
    const s32 step = b > a ? 1 : -1;
    m_frames.reserve(static_cast<size_t>((b - a) * step + 1));
    for (s32 n = a;; n += step) {
        m_frames.push_back(lookUpFrame(from, n));
        if (n == b) break;
    }
}

// ---- fonts ----

CFont* CPropertyDataFont::getFont() const {
    CResource* resource = getResource();  // stand-ins may answer the type code: check the class
    return dynamic_cast<CFont*>(resource);
}

CRefPtr<IPropertyData> makeAtlasTextureProperty(CResource* texture) {
    return makeRef<CPropertyDataAtlasTexture>(texture);
}

void registerRenderPropertyTypes(CPropertyTypeRegistry& registry) {
    registry.registerResourceType<CPropertyDataFont>();
    registry.registerResourceType<CPropertyDataAtlasTexture>();
}

}  // namespace oskel
