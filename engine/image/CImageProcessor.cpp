#include "engine/image/CImageProcessor.h"

#include "engine/core/CLogger.h"
#include "engine/io/IReadableFile.h"
#include "engine/image/CImage.h"
#include "engine/image/CImageManager.h"

namespace oskel {

CResource* CImageProcessor::load(IContentManager*, IReadableFile* file,
                                 const CCreationContext& context) {
    if (!file) return nullptr;
    CImage* image = getImageManager().loadImage(file, context);
    if (image)
        CLogger::instance().logHint("Loaded image", file->getFileName().c_str(), LogInformation);
    else
        CLogger::instance().logHint("Can't load image", file->getFileName().c_str(), LogWarning);
    return image;
}

bool CImageProcessor::save(IContentManager*, CResource* resource, IWritableFile* file,
                           void* parameter) {
    if (!resource || !file || resource->getTypeCode() != TypeCodeImage) return false;
    return getImageManager().writeImage(static_cast<CImage*>(resource), file,
                                        static_cast<const u32*>(parameter));
}

}  // namespace oskel
