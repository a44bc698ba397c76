#include "engine/image/CImageManager.h"

#include "engine/image/CImage.h"
#include "engine/image/codecs/ImageCodecs.h"

namespace oskel {

namespace {
template <class T, class I>
void add(array<CRefPtr<I>>& list) {
    list.push_back(CRefPtr<I>::fromRaw(new T));
}
}  // namespace

CImageManager::CImageManager() {
    add<CImageLoaderBMP>(m_loaders);
    add<CImageLoaderJPG>(m_loaders);
    add<CImageLoaderTGA>(m_loaders);
    add<CImageLoaderPCX>(m_loaders);
    add<CImageLoaderPNG>(m_loaders);
    add<CImageLoaderWAL>(m_loaders);
    add<CImageLoaderPPM>(m_loaders);

    add<CImageWriterBMP>(m_writers);
    add<CImageWriterJPG>(m_writers);
    add<CImageWriterTGA>(m_writers);
    add<CImageWriterPCX>(m_writers);
    add<CImageWriterPNG>(m_writers);
    add<CImageWriterPPM>(m_writers);
}

CImageManager::~CImageManager() {
    m_loaders.clear();
    m_writers.clear();
}

CImage* CImageManager::loadImage(IReadableFile* file, const CCreationContext& context) const {
    if (!file) return nullptr;
    const stringc& name = file->getFileName();
    for (u32 i = 0; i < m_loaders.size(); ++i) {
        if (!m_loaders[i]->canLoadExtension(name)) continue;
        file->seek(0);
        if (CImage* image = m_loaders[i]->loadImage(file, context)) return image;
    }
    for (u32 i = 0; i < m_loaders.size(); ++i) {
        file->seek(0);
        if (!m_loaders[i]->canLoadContent(file)) continue;
        file->seek(0);
        if (CImage* image = m_loaders[i]->loadImage(file, context)) return image;
    }
    return nullptr;
}

bool CImageManager::writeImage(CImage* image, IWritableFile* file, const u32* quality) const {
    if (!file) return false;
    const u32 q = quality ? *quality : 100;
    const stringc& name = file->getFileName();
    for (u32 i = 0; i < m_writers.size(); ++i) {
        if (!m_writers[i]->canWriteExtension(name)) continue;
        if (m_writers[i]->writeImage(file, image, q)) return true;
    }
    return false;
}

}  // namespace oskel
