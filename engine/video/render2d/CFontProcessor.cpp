#include "engine/video/render2d/CFontProcessor.h"

#include "engine/content/IContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/io/CXmlReader.h"
#include "engine/io/IReadableFile.h"
#include "engine/video/render2d/CFont.h"

namespace oskel {

CFontProcessor::CFontProcessor(CFileSystem* fileSystem, IVideoDriver* driver)
    : CVideoContentProcessor(driver, TypeCodeFont, fileSystem, "Loaded font",
                             [](CXmlReader* reader, const CCreationContext& context) -> CResource* {
                                 while (reader->read()) {
                                     const EXmlNodeType type = reader->getNodeType();
                                     if (type == XmlNodeElementEnd && reader->getNodeName() == L"Font") break;
                                     if (type != XmlNodeElement || reader->getNodeName() != L"Font") continue;
                                     if (reader->getAttributeValue(L"Type") != L"Bitmap") break;
                                     CFont* font = new CBitmapFont(context);
                                     font->loadGlyphs(reader, 0);
                                     return font;
                                 }
                                 return nullptr;
                             }) {}

}  // namespace oskel
