#include "tests/video/render2d/RenderContentFixture.h"

#include <unistd.h>

#include "engine/video/render2d/CAtlasTextureProcessor.h"
#include "engine/video/render2d/CFontProcessor.h"
#include "engine/image/CImage.h"
#include "engine/image/CImageManager.h"
#include "engine/image/CImageProcessor.h"
#include "engine/video/CMemoryTextureDriver.h"
#include "engine/video/render2d/CParticleProcessors.h"
#include "engine/video/CTextureProcessor.h"

namespace oskel::test {

namespace {

void add(CContentProcessorsManager* manager, IContentProcessor* processor) {
    manager->registerProcessor(processor);
    processor->drop();
}

}  // namespace

RenderContentFixture::RenderContentFixture(bool withDriver) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "-" + info->name();
    for (char& c : name)
        if (c == '/') c = '_';
    dir = std::filesystem::temp_directory_path() / ("oskel-render-" + std::to_string(::getpid()) + "-" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    fileSystem = new CFileSystemLinux();
    if (withDriver) driver = createMemoryTextureDriver(SDeviceParameters(), nullptr);
    processors = new CContentProcessorsManager();
    add(processors, new CTextureProcessor(driver));
    add(processors, new CAtlasTextureProcessor(driver));
    add(processors, new CAtlasTextureCollectionProcessor(fileSystem));
    add(processors, new CImageProcessor());
    add(processors, new CFontProcessor(fileSystem, driver));
    add(processors, new CParticleCollectionProcessor(fileSystem));
    add(processors, new CParticleEmitterProcessor(fileSystem));
    manager = makeManager();
}

RenderContentFixture::~RenderContentFixture() {
    manager->drop();
    processors->drop();
    if (driver) driver->drop();
    fileSystem->drop();
    std::filesystem::remove_all(dir);
}

std::string RenderContentFixture::writePng(const std::string& name, s32 width, s32 height, u32 color) {
    const std::string full = path(name);
    std::filesystem::create_directories(std::filesystem::path(full).parent_path());
    auto* image = new CImage(CCreationContext(), ECF_A8R8G8B8, dimension2di(width, height));
    image->fill(color);
    IWritableFile* file = fileSystem->createAndWriteFile(full.c_str(), false);
    EXPECT_NE(file, nullptr);
    if (file) {
        EXPECT_TRUE(getImageManager().writeImage(image, file));
        file->drop();
    }
    image->drop();
    return full;
}

std::string RenderContentFixture::writeXml(const std::string& name,
                                           const std::function<void(CXmlWriter&)>& body) {
    const std::string full = path(name);
    std::filesystem::create_directories(std::filesystem::path(full).parent_path());
    CXmlWriter* writer = fileSystem->createXmlWriter(stringc(full.c_str()));
    EXPECT_NE(writer, nullptr);
    if (writer) {
        writer->writeXMLHeader();
        body(*writer);
        writer->drop();
    }
    return full;
}

}  // namespace oskel::test
