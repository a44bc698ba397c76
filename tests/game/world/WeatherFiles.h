#pragma once

// What the weather tests read of the assets' weather settings files.

#include <string>

#include "engine/core/CRefPtr.h"
#include "engine/core/StringUtils.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CXmlReader.h"

namespace brasquel::test {

// The <PPS Value> of a weather settings file of the assets (a path below the assets folder);
// -1 when the file or the element is missing.
inline oskel::s32 weatherFilePps(const char* name) {
    using namespace oskel;
    CRefPtr<CFileSystem> files = CRefPtr<CFileSystem>::fromRaw(new CFileSystemLinux());
    const std::string path = std::string(BRASQUEL_ASSETS_DIR) + "/" + name;
    CRefPtr<CXmlReader> reader = CRefPtr<CXmlReader>::fromRaw(files->createXmlReader(path.c_str()));
    if (!reader) return -1;
    while (reader->read())
        if (reader->getNodeType() == XmlNodeElement && reader->getNodeName() == stringw(L"PPS"))
            return std::stoi(toUtf8(reader->getAttributeValue(L"Value").c_str()));
    return -1;
}

}  // namespace brasquel::test
