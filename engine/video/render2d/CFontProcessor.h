#pragma once

#include "engine/content/IContentProcessor.h"
#include "engine/core/CRefPtr.h"
#include "engine/io/CFileSystem.h"
#include "engine/video/IVideoDriver.h"

namespace oskel {

// Fonts ('font') from font files: the first "Font" element of type "Bitmap" makes a bitmap
// font, which reads the rest of the file. Fonts are not written back. It keeps its video driver
// current with the device's driver events.
class CFontProcessor : public IContentProcessor {
public:
    CFontProcessor(CFileSystem* fileSystem, IVideoDriver* driver);
    ~CFontProcessor() override = default;

    u32 getTypeCode() const override { return TypeCodeFont; }
    CResource* load(IContentManager* manager, IReadableFile* file,
                    const CCreationContext& context) override;
    bool save(IContentManager*, CResource*, IWritableFile*, void*) override { return false; }
    void onContentEvent(CEvent*, ContentNameMap&) override {}

    bool onVideoDriverReleasing(CEvent* event) override;
    bool onVideoDriverCreated(CEvent* event) override;

    IVideoDriver* getVideoDriver() const { return m_driver.get(); }

private:
    CRefPtr<CFileSystem> m_fileSystem;
    CRefPtr<IVideoDriver> m_driver;
};

}  // namespace oskel
