#pragma once

// Small helpers of the configuration readers.

#include "engine/core/OskelTypes.h"
#include "engine/core/StringUtils.h"
#include "engine/io/CXmlReader.h"

namespace brasquel::config {

// True at the start of an element of that name.
inline bool isElement(const oskel::CXmlReader* reader, const wchar_t* name) {
    return reader->getNodeType() == oskel::XmlNodeElement && reader->getNodeName() == oskel::stringw(name);
}

// True at the end of an element of that name.
inline bool isElementEnd(const oskel::CXmlReader* reader, const wchar_t* name) {
    return reader->getNodeType() == oskel::XmlNodeElementEnd && reader->getNodeName() == oskel::stringw(name);
}

// An attribute as narrow (UTF-8) text.
inline oskel::stringc narrowAttribute(const oskel::CXmlReader* reader, const wchar_t* name) {
    return oskel::stringc(oskel::toUtf8(reader->getAttributeValue(name).c_str()).c_str());
}

}  // namespace brasquel::config
