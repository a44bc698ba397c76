#include "engine/video/CTextureProcessor.h"

#include "engine/content/IContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/io/IReadableFile.h"
#include "engine/image/CImage.h"
#include "engine/video/CTextureResource.h"

namespace oskel {

namespace {

// The image of a resource handed out by the content manager, or none when it is not one.
CImage* asImage(CResource* resource) {
    if (!resource || resource->getTypeCode() != TypeCodeImage) return nullptr;
    return static_cast<CImage*>(resource);
}

}  // namespace

CResource* CTextureProcessor::load(IContentManager* manager, IReadableFile* file,
                                   const CCreationContext& context) {
    if (!manager || !file) return nullptr;
    CResource* content = manager->getContent(TypeCodeImage, file);
    CImage* image = asImage(content);
    if (!image) {
        if (content) content->drop();
        return nullptr;
    }
    ITexture* texture = getVideoDriver() ? getVideoDriver()->createDeviceDependentTexture(image) : nullptr;
    image->drop();

    auto* resource = new CTextureResource(context, texture, file->getFileName());
    if (texture) texture->drop();
    CLogger::instance().logHint("Loaded texture", file->getFileName().c_str(), LogInformation);
    return resource;
}

void CTextureProcessor::onContentEvent(CEvent* event, ContentNameMap& cache) {
    if (!event) return;
    const u32 type = event->getTypeId();
    if (type != EventDeviceVideoDriverReleasing && type != EventDeviceVideoDriverCreated) return;

    for (auto& entry : cache) {
        CResource* cached = entry.second;
        if (!cached || cached->getTypeCode() != TypeCodeTexture) continue;
        auto* resource = static_cast<CTextureResource*>(cached);
        if (type == EventDeviceVideoDriverReleasing) {
            resource->setTexture(nullptr);
            continue;
        }
        IContentManager* manager = resource->getContentManager();
        if (!manager || !getVideoDriver()) continue;
        CResource* content = manager->getContentByPath(TypeCodeImage, resource->getFileName(), false);
        CImage* image = asImage(content);
        if (!image) {
            if (content) content->drop();
            continue;  // stays without a texture
        }
        ITexture* texture = getVideoDriver()->createDeviceDependentTexture(image);
        image->drop();
        if (texture) {
            resource->setTexture(texture);
            texture->drop();
        }
    }
}

}  // namespace oskel
