#include <png.h>

#include <gtest/gtest.h>

#include "engine/io/CMemoryFile.h"
#include "engine/image/CImageManager.h"
#include "engine/image/codecs/ImageCodecUtils.h"
#include "engine/image/codecs/ImageCodecs.h"
#include "tests/support/TestSupport.h"
#include "tests/image/ImageFixtures.h"

using namespace oskel;
using namespace oskel::test;

TEST(ImageManager, IsOneSingletonWithEveryCodec) {
    CImageManager& manager = getImageManager();
    EXPECT_EQ(&manager, &getImageManager());
    EXPECT_EQ(manager.getLoaderCount(), 7u);
    EXPECT_EQ(manager.getWriterCount(), 6u);
    EXPECT_EQ(manager.loadImage(nullptr, CCreationContext()), nullptr);
}

TEST(ImageManager, ExtensionsCompareTheNamePartIgnoringCase) {
    const struct {
        const char* name;
        const char* ext;
        bool match;
    } cases[] = {
        {"picture.png", "png", true},     {"PICTURE.PNG", "png", true},
        {"dir.x/pic.PnG", "png", true},   {"dir.png/picture", "png", false},
        {"dir.png\\picture", "png", false}, {"a.b.tga", "tga", true},
        {"picture.pngx", "png", false},   {"picture.pn", "png", false},
        {"png", "png", false},            {"picture.", "png", false},
        {".png", "png", true},            {"photo.jpeg", "jpg", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(imagecodec::hasExtension(c.name, c.ext), c.match) << c.name << " " << c.ext;
}

TEST(ImageManager, RoutesFilesByExtensionThenContent) {
    auto picture = makePatternImage(ECF_A8R8G8B8, 6, 4);
    const Bytes png = writeToBytes(CImageWriterPNG(), picture.get(), "p.png");
    const Bytes tga = writeToBytes(CImageWriterTGA(), picture.get(), "p.tga");
    const Bytes bmp = writeToBytes(CImageWriterBMP(), picture.get(), "p.bmp");
    const Bytes jpeg = makeJpeg(6, 4, false);
    Bytes tgaNoFooter(tga.begin(), tga.end() - 26);
    const Bytes wal = makeWal(2, 2, Bytes{1, 2, 3, 4});
    const Bytes ppm = toBytes("P2\n2 2\n255\n1 2 3 4\n");
    const struct {
        const char* what;
        const Bytes* bytes;
        const char* name;
        ECOLOR_FORMAT format;  // ECF_UNKNOWN: no image
    } cases[] = {
        {"png by extension in capitals", &png, "pics/P.PNG", ECF_A8R8G8B8},
        {"png by signature", &png, "pics/p.dat", ECF_A8R8G8B8},
        {"png named bmp: extension fails, content finds it", &png, "pics/p.bmp", ECF_A8R8G8B8},
        {"jpeg by its JFIF marker", &jpeg, "photo.jpeg", ECF_R8G8B8},
        {"jpeg without extension", &jpeg, "photo", ECF_R8G8B8},
        {"tga by its footer", &tga, "p.bin", ECF_A8R8G8B8},
        {"tga without footer by extension", &tgaNoFooter, "p.Tga", ECF_A8R8G8B8},
        {"tga without footer, other name", &tgaNoFooter, "p.bin", ECF_UNKNOWN},
        {"bmp by content", &bmp, "p", ECF_R8G8B8},
        {"wal by extension", &wal, "p.wal", ECF_A1R5G5B5},
        {"wal has no content test", &wal, "p.bin", ECF_UNKNOWN},
        {"pgm by extension", &ppm, "p.pgm", ECF_A8R8G8B8},
    };
    LogCapture log;
    for (const auto& c : cases) {
        auto image = loadWithManager(*c.bytes, c.name);
        if (c.format == ECF_UNKNOWN) {
            EXPECT_FALSE(image) << c.what;
            continue;
        }
        ASSERT_TRUE(image) << c.what;
        EXPECT_EQ(image->getColorFormat(), c.format) << c.what;
        EXPECT_STREQ(image->getName().c_str(), c.name) << c.what;
    }
}

TEST(ImageManager, WritesWithTheWriterOfTheExtension) {
    auto picture = makePatternImage(ECF_R8G8B8, 8, 8);
    const struct {
        const char* name;
        bool written;
        u8 first, second;
    } cases[] = {
        {"shot.jpeg", true, 0xFF, 0xD8}, {"shot.JPG", true, 0xFF, 0xD8}, {"shot.png", true, 0x89, 'P'},
        {"shot.bmp", true, 'B', 'M'},    {"shot.ppm", true, 'P', '3'},   {"shot.tga", true, 0, 0},
        {"shot.pcx", false, 0, 0},       {"shot.gif", false, 0, 0},      {"shot", false, 0, 0},
    };
    LogCapture log;
    for (const auto& c : cases) {
        auto file = makeRef<CVirtualFile>(c.name);
        EXPECT_EQ(getImageManager().writeImage(picture.get(), file.get()), c.written) << c.name;
        if (!c.written) continue;
        u8 head[2] = {};
        file->seek(0);
        ASSERT_EQ(file->read(head, 2), 2);
        EXPECT_EQ(head[0], c.first) << c.name;
        EXPECT_EQ(head[1], c.second) << c.name;
    }
    EXPECT_FALSE(getImageManager().writeImage(picture.get(), nullptr));
}

TEST(ImageManager, QualityParameterReachesTheJpegWriter) {
    auto picture = makeGradientImage(64, 64);
    auto write = [&](const u32* quality) {
        auto file = makeRef<CVirtualFile>("q.jpg");
        EXPECT_TRUE(getImageManager().writeImage(picture.get(), file.get(), quality));
        return file->getSize();
    };
    const u32 low = 5, full = 100;
    EXPECT_LT(write(&low), write(nullptr));
    EXPECT_EQ(write(&full), write(nullptr));  // no parameter means 100
}
