#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "engine/content/CContentManager.h"
#include "engine/io/CFileSystem.h"
#include "engine/image/CImage.h"
#include "engine/image/CImageProcessor.h"
#include "tests/support/TestSupport.h"

using namespace oskel;

TEST(ImageProcessor, SavesAndLoadsSharedImagesThroughTheContentManager) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("oskel-imageproc-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    test::LogCapture logs;
    CFileSystem* fs = new CFileSystemLinux();
    CContentProcessorsManager* processors = new CContentProcessorsManager();
    CImageProcessor* processor = new CImageProcessor();
    processors->registerProcessor(processor);
    processor->drop();
    CContentManager* cm = new CContentManager(fs, processors);

    CImage* picture = new CImage(CCreationContext(cm, "made"), ECF_A8R8G8B8, dimension2di(4, 3));
    picture->fill(0xFF336699u);
    const stringc png((dir / "picture.png").string().c_str());
    EXPECT_TRUE(cm->saveContent(TypeCodeImage, picture, png, nullptr));
    picture->drop();

    auto* a = static_cast<CImage*>(cm->getContentByPath(TypeCodeImage, png, false));
    auto* b = static_cast<CImage*>(cm->getContentByPath(TypeCodeImage, png, false));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);  // images are shared
    EXPECT_EQ(a->getDimension(), dimension2di(4, 3));
    EXPECT_EQ(a->getPixel(2, 1) & 0x00FFFFFFu, 0x336699u);
    EXPECT_TRUE(logs.contains("Loaded image", LogInformation));
    a->drop();
    b->drop();

    std::ofstream(dir / "broken.png", std::ios::binary) << "\x89PNG\r\n\x1a\n broken";
    EXPECT_EQ(cm->getContentByPath(TypeCodeImage, stringc((dir / "broken.png").string().c_str()), false),
              nullptr);
    EXPECT_TRUE(logs.contains("Can't load image", LogWarning));
    // Saving a resource of another kind is refused.
    EXPECT_FALSE(processor->save(cm, nullptr, nullptr, nullptr));

    cm->drop();
    processors->drop();
    fs->drop();
    std::filesystem::remove_all(dir);
}
