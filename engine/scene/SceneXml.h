#pragma once

#include "engine/io/CXmlReader.h"

namespace oskel {

// Reading helpers shared by the scene-file and animation readers.

// Passes over the element the reader stands on: an empty element is done at once, otherwise
// the reader moves past its matching end tag (or to the end of the text).
void skipXmlElement(CXmlReader* reader);

// The reader stands on an element start.
inline bool isElementStart(const CXmlReader* reader, const wchar_t* name) {
    return reader->getNodeType() == XmlNodeElement && reader->getNodeName() == name;
}
inline bool isElementEnd(const CXmlReader* reader, const wchar_t* name) {
    return reader->getNodeType() == XmlNodeElementEnd && reader->getNodeName() == name;
}

// How deeply scene elements may nest (node in node, included files counted too). Deeper
// elements are passed over with a log line so that damaged files cannot exhaust the stack.
constexpr u32 MaxSceneNesting = 200;

}  // namespace oskel
