#include "engine/scene/SceneXml.h"

namespace oskel {

void skipXmlElement(CXmlReader* reader) {
    if (!reader || reader->getNodeType() != XmlNodeElement || reader->isEmptyElement()) return;
    u32 depth = 1;
    while (depth > 0 && reader->read()) {
        const EXmlNodeType type = reader->getNodeType();
        if (type == XmlNodeElement && !reader->isEmptyElement())
            ++depth;
        else if (type == XmlNodeElementEnd)
            --depth;
    }
}

}  // namespace oskel
