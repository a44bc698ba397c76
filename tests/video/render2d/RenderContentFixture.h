#pragma once

// A real content manager over a temporary folder with the processors of images, textures, atlas
// textures and collections, fonts and particles, and writers of the fixture files they read.

#include <filesystem>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "engine/content/CContentManager.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CXmlWriter.h"
#include "engine/video/IVideoDriver.h"

namespace oskel::test {

class RenderContentFixture : public ::testing::Test {
protected:
    // withDriver false: texture resources are made without a driver and hold no texture.
    explicit RenderContentFixture(bool withDriver = true);
    ~RenderContentFixture() override;

    // A PNG of the size, every pixel the colour, written by the engine's writer; its full path.
    std::string writePng(const std::string& name, s32 width, s32 height, u32 color = 0xFF808080u);
    // An XML file written by the engine's XML writer (header first); its full path.
    std::string writeXml(const std::string& name, const std::function<void(CXmlWriter&)>& body);
    std::string path(const std::string& name) const { return (dir / name).string(); }

    // A new content manager over the same processors (for loading without earlier registrations).
    CContentManager* makeManager() const { return new CContentManager(fileSystem, processors); }

    std::filesystem::path dir;
    CFileSystem* fileSystem = nullptr;
    IVideoDriver* driver = nullptr;
    CContentProcessorsManager* processors = nullptr;
    CContentManager* manager = nullptr;
};

// The resource as T when it has the type code, else none; the reference stays the caller's.
template <class T>
T* as(CResource* resource, u32 typeCode) {
    return resource && resource->getTypeCode() == typeCode ? static_cast<T*>(resource) : nullptr;
}

}  // namespace oskel::test
