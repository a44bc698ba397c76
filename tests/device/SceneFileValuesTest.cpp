// A scene file holding a value of every property type, read and written through the device's
// services: the content manager, its processors and the value types the device registers. The
// device draws through OpenGL on a window of the virtual display.

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "engine/audio/AudioPropertyTypes.h"
#include "engine/content/CContentManager.h"
#include "engine/device/IDevice.h"
#include "engine/image/CImage.h"
#include "engine/image/CImageManager.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CXmlWriter.h"
#include "engine/scene/BaseNode.h"
#include "engine/scene/animation/Animator.h"
#include "engine/scene/animation/SetProps.h"
#include "engine/video/render2d/RenderPropertyTypes.h"
#include "tests/audio/AudioTestSupport.h"
#include "tests/support/TestSupport.h"

using namespace oskel;

namespace {

// The file as narrow text (UTF-16 little endian or UTF-8 with a byte-order mark).
std::string readText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xff) {
        std::string out;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) out.push_back(bytes[i]);
        return out;
    }
    return bytes;
}

class SceneFileValues : public ::testing::Test {
protected:
    SceneFileValues() {
        dir = std::filesystem::temp_directory_path() / ("oskel-values-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        // Atlas textures need a driver that makes textures: OpenGL on a small window.
        SDeviceParameters parameters;
        parameters.driverType = DriverOpenGL;
        parameters.fullscreen = false;
        parameters.windowSize = irr::core::dimension2d<s32>(64, 64);
        device = createDevice(parameters);
        content = device ? device->createContentManager() : nullptr;
    }
    ~SceneFileValues() override {
        if (content) content->drop();
        if (device) device->drop();
        std::filesystem::remove_all(dir);
    }
    stringc path(const char* name) const { return stringc((dir / name).string().c_str()); }

    // The resources the scene names: a picture, a bitmap font over it and a sound.
    void writeResources() {
        CRefPtr<CImage> picture = makeRef<CImage>(CCreationContext(), ECF_A8R8G8B8, dimension2di(8, 8));
        picture->fill(0xff3366ccu);
        CFileSystem* files = device->getFileSystem();
        CRefPtr<IWritableFile> png = CRefPtr<IWritableFile>::fromRaw(files->createAndWriteFile(path("page.png")));
        ASSERT_TRUE(png);
        ASSERT_TRUE(getImageManager().writeImage(picture.get(), png.get(), nullptr));
        png = nullptr;

        CRefPtr<CXmlWriter> font = CRefPtr<CXmlWriter>::fromRaw(files->createXmlWriter(path("small.ofnt")));
        ASSERT_TRUE(font);
        font->writeXMLHeader();
        font->writeElement(L"Font", false, L"Type", L"Bitmap");
        font->writeElement(L"Texture", true, L"Filename", L"page.png");
        font->writeElement(L"c", true, L"c", L"A", L"r", L"0;0;4;8");
        font->writeClosingTag(L"Font");
        font = nullptr;

        const test::Bytes wav = test::makeWav16(test::makeTones(441, 44100, {440.0}), 1, 44100);
        std::ofstream(dir / "click.wav", std::ios::binary)
            .write(reinterpret_cast<const char*>(wav.data()), static_cast<std::streamsize>(wav.size()));
    }

    IDevice* device = nullptr;
    CContentManager* content = nullptr;
    std::filesystem::path dir;
};

TEST_F(SceneFileValues, EveryValueTypeRoundTripsThroughTheDevice) {
    ASSERT_NE(device, nullptr);
    ASSERT_NE(content, nullptr);
    writeResources();
    std::ofstream(dir / "values.oscn")
        << "<?xml version=\"1.0\"?>\n"
           "<SceneNode Type=\"BaseNode\"><States><State Name=\"Show\"><StartAnimator Type=\"SetProps\">"
           "<int Name=\"Count\" Value=\"-42\"/>"
           "<bool Name=\"On\" Value=\"true\"/>"
           "<float Name=\"Speed\" Value=\"0.250000\"/>"
           "<color Name=\"Tint\" Value=\"80ff0010\"/>"
           "<colorf Name=\"Glow\" Value=\"0.500000;0.250000;1.000000;0.750000\"/>"
           "<vector2d Name=\"Pivot\" Value=\"1.500000;-2.000000\"/>"
           "<vector3d Name=\"Where\" Value=\"10.000000;20.000000;-3.000000\"/>"
           "<rect Name=\"Area\" Value=\"1.000000;2.000000;30.000000;40.000000\"/>"
           "<string Name=\"Label\" Value=\"plain\"/>"
           "<stringw Name=\"Caption\" Value=\"gr\xc3\xbc\xc3\x9f \xe2\x82\xac\"/>"
           "<stringwArray Name=\"Lines\"><stringw Value=\"one\"/><stringw Value=\"two\"/></stringwArray>"
           "<properties Name=\"Inner\"><int Name=\"Depth\" Value=\"2\"/></properties>"
           "<atlasTexture Name=\"Picture\" Value=\"page.png\"/>"
           "<font Name=\"Face\" Value=\"small.ofnt\"/>"
           "<sound Name=\"Click\" Value=\"click.wav\"/>"
           "</StartAnimator></State></States></SceneNode>\n";

    content->setCacheEnabled(false);
    test::LogCapture logs;
    CResource* first = content->getContentByPath(TypeCodeSceneNode, path("values.oscn"), false);
    ASSERT_NE(first, nullptr);
    CRefPtr<BaseNode> tree = CRefPtr<BaseNode>::fromRaw(static_cast<BaseNode*>(first));
    Animator* show = tree->findState(CNameId("Show").getId());
    ASSERT_NE(show, nullptr);
    ASSERT_EQ(show->getStartAnimations().size(), 1u);
    auto* props = dynamic_cast<animation::SetProps*>(show->getStartAnimations()[0]);
    ASSERT_NE(props, nullptr);
    CPropertySet* values = props->getProperties();
    ASSERT_EQ(values->getPropertyCount(), 15u);
    // Each value came back as its own type, the resources loaded through the device.
    const char* types[] = {"int",    "bool",   "float",        "color",      "colorf",
                           "vector2d", "vector3d", "rect",     "string",     "stringw",
                           "stringwArray", "properties", "atlasTexture", "font", "sound"};
    for (u32 i = 0; i < 15; ++i)
        EXPECT_TRUE(values->getPropertyAt(i)->getTypeName() == stringw(types[i])) << types[i];
    const auto* picture = dynamic_cast<const CPropertyDataAtlasTexture*>(values->getProperty("Picture").get());
    ASSERT_NE(picture, nullptr);
    EXPECT_NE(picture->getAtlasTexture(), nullptr);
    const auto* face = dynamic_cast<const CPropertyDataFont*>(values->getProperty("Face").get());
    ASSERT_NE(face, nullptr);
    EXPECT_NE(face->getFont(), nullptr);
    const auto* click = dynamic_cast<const CPropertyDataSound*>(values->getProperty("Click").get());
    ASSERT_NE(click, nullptr);
    EXPECT_NE(click->getSound(), nullptr);
    for (const test::LogCapture::Line& line : logs.lines())
        EXPECT_LT(line.level, LogWarning) << line.text << " " << line.hint;

    // Written, read again and written again: the same file.
    ASSERT_TRUE(content->saveContent(TypeCodeSceneNode, tree.get(), path("once.oscn"), nullptr));
    CResource* second = content->getContentByPath(TypeCodeSceneNode, path("once.oscn"), false);
    ASSERT_NE(second, nullptr);
    CRefPtr<BaseNode> again = CRefPtr<BaseNode>::fromRaw(static_cast<BaseNode*>(second));
    ASSERT_TRUE(content->saveContent(TypeCodeSceneNode, again.get(), path("twice.oscn"), nullptr));
    const std::string once = readText(dir / "once.oscn");
    EXPECT_EQ(readText(dir / "twice.oscn"), once);
    for (const char* expected :
         {"<int Name=\"Count\" Value=\"-42\"", "<color Name=\"Tint\" Value=\"80ff0010\"", "<stringw Value=\"two\"",
          "<atlasTexture Name=\"Picture\" Value=\"page.png\"", "<font Name=\"Face\" Value=\"small.ofnt\"",
          "<sound Name=\"Click\" Value=\"click.wav\"", "<int Name=\"Depth\" Value=\"2\""})
        EXPECT_NE(once.find(expected), std::string::npos) << expected << "\n" << once;
}

}  // namespace
