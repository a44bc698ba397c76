// The demonstration scene of every user-interface node, shown by show_scene as the game shows its
// scenes (device, OpenGL window, main loop, mounted folder) on the virtual display: the frame it
// writes is checked at pixels whose content the scene fixes.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/image/CImage.h"
#include "engine/image/CImageManager.h"
#include "engine/io/CFileSystem.h"
#include "tests/nodes/NodeContent.h"
#include "tests/nodes/ProgramRun.h"

using namespace oskel;
using namespace oskel::test;
namespace fs = std::filesystem;

namespace {

constexpr u32 ClearColor = 0xff203040u;

::testing::AssertionResult looksLike(u32 got, u32 expected, int tolerance) {
    const SColor a(got), b(expected);
    const int d[3] = {static_cast<int>(a.getRed()) - static_cast<int>(b.getRed()),
                      static_cast<int>(a.getGreen()) - static_cast<int>(b.getGreen()),
                      static_cast<int>(a.getBlue()) - static_cast<int>(b.getBlue())};
    for (int c : d)
        if (std::abs(c) > tolerance)
            return ::testing::AssertionFailure() << std::hex << "got " << (got & 0xffffffu)
                                                 << ", expected " << (expected & 0xffffffu);
    return ::testing::AssertionSuccess();
}

TEST(ShowScene, TheDemonstrationSceneShowsEveryNode) {
    const fs::path dir =
        fs::temp_directory_path() / ("oskel-show-scene-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    writeNodeContent(dir);
    for (const auto& entry : fs::directory_iterator(fs::path(NODE_DEMO_DIR)))
        fs::copy_file(entry.path(), dir / entry.path().filename());
    const fs::path frame = dir / "frame.png";

    std::string log;
    const int exitCode =
        runProgram({SHOW_SCENE_PROGRAM, "--folder", dir.string(), "--scene", "Demo.oscn", "--atlas",
                    atlas::CollectionFile, "--particles", "DemoParticles.xml", "--templates",
                    "DemoTemplates.oscn", "--sounds", "DemoSounds.xml", "--message-box",
                    "MessageBox2Buttons", "--frames", "60", "--out", frame.string()},
                   log);
    ASSERT_EQ(exitCode, 0) << log;
    EXPECT_NE(log.find("show_scene: cues registered: 1"), std::string::npos) << log;
    EXPECT_NE(log.find("show_scene: sound nodes playing: 1"), std::string::npos) << log;

    CRefPtr<CFileSystem> files = CRefPtr<CFileSystem>::fromRaw(new CFileSystemLinux());
    CRefPtr<IReadableFile> file =
        CRefPtr<IReadableFile>::fromRaw(files->createAndOpenFile(frame.string().c_str()));
    ASSERT_TRUE(file);
    CRefPtr<CImage> image =
        CRefPtr<CImage>::fromRaw(getImageManager().loadImage(file.get(), CCreationContext()));
    ASSERT_TRUE(image);
    ASSERT_EQ(image->getDimension(), dimension2di(1024, 768));
    auto pixel = [&](s32 x, s32 y) { return image->getPixel(x, y); };

    // Not blank: a good part of the frame is drawn.
    u32 drawn = 0;
    for (s32 y = 0; y < 768; y += 2)
        for (s32 x = 0; x < 1024; x += 2)
            if (!looksLike(pixel(x, y), ClearColor, 4)) ++drawn;
    EXPECT_GT(drawn, 2000u);
    // The background where nothing is.
    EXPECT_TRUE(looksLike(pixel(1000, 740), ClearColor, 4));
    // The opaque sprite at (400, 40).
    EXPECT_TRUE(looksLike(pixel(408, 48), atlas::OpaqueColor, 6));
    // The wide nine-grid panel at (400, 150), 160 x 80: its corners keep their cells, the centre
    // stretches the middle cell.
    EXPECT_TRUE(looksLike(pixel(404, 154), atlas::GridColors[0], 8));
    EXPECT_TRUE(looksLike(pixel(555, 225), atlas::GridColors[8], 8));
    EXPECT_TRUE(looksLike(pixel(480, 190), atlas::GridColors[4], 8));
    // The first glyph of the left-aligned text at (40, 40): a block from (41, 42), 4 wide.
    const SColor glyph(pixel(43, 47));
    EXPECT_GT(glyph.getRed(), 128u);
    EXPECT_GT(glyph.getGreen(), 128u);
    EXPECT_GT(glyph.getBlue(), 128u);
    EXPECT_TRUE(looksLike(pixel(39, 47), ClearColor, 16));
    // The clipped text: nothing left of or below its frame (40, 320) - (160, 340).
    for (s32 y = 318; y < 346; ++y)
        for (s32 x = 16; x < 40; ++x)
            ASSERT_TRUE(looksLike(pixel(x, y), ClearColor, 4)) << x << "," << y;
    for (s32 y = 340; y < 346; ++y)
        for (s32 x = 40; x < 170; ++x)
            ASSERT_TRUE(looksLike(pixel(x, y), ClearColor, 4)) << x << "," << y;
    // Particles around (800, 300) and spawned birds around (800, 500).
    auto drawnIn = [&](s32 x0, s32 y0, s32 x1, s32 y1) {
        u32 n = 0;
        for (s32 y = y0; y < y1; ++y)
            for (s32 x = x0; x < x1; ++x)
                if (!looksLike(pixel(x, y), ClearColor, 4)) ++n;
        return n;
    };
    EXPECT_GT(drawnIn(740, 200, 860, 340), 20u);
    EXPECT_GT(drawnIn(700, 440, 900, 560), 20u);

    // The controls. The checked box at (40, 440) shows its tick at (45, 45) - (55, 455); the
    // other box only its panel.
    EXPECT_TRUE(looksLike(pixel(50, 450), atlas::Tick.color, 8));
    EXPECT_TRUE(looksLike(pixel(90, 450), atlas::Panel.color, 8));
    // The buttons' faces at (40, 400) and (150, 400).
    EXPECT_TRUE(looksLike(pixel(44, 420), atlas::ButtonNormal.color, 8));
    EXPECT_TRUE(looksLike(pixel(154, 420), atlas::ButtonNormal.color, 8));
    // The horizontal bar at (40, 500), 120 wide, half full: the fill ends at x 100.
    EXPECT_TRUE(looksLike(pixel(97, 506), atlas::ProgressFill.color, 8));
    EXPECT_TRUE(looksLike(pixel(103, 506), atlas::Panel.color, 8));
    // The vertical bar at (200, 460), 80 high, a quarter full from the top.
    EXPECT_TRUE(looksLike(pixel(206, 475), atlas::ProgressFill.color, 8));
    EXPECT_TRUE(looksLike(pixel(206, 500), atlas::Panel.color, 8));
    // The slider at (40, 560) at 75 of 100: its 8-pixel knob at x 130 on the 128-pixel track.
    EXPECT_TRUE(looksLike(pixel(134, 564), atlas::Knob.color, 8));
    EXPECT_TRUE(looksLike(pixel(60, 568), atlas::SliderTrack.color, 8));
    // The edit field at (40, 600) and the list of eight items at (240, 600) with its scroll bar.
    EXPECT_TRUE(looksLike(pixel(195, 617), atlas::Panel.color, 8));
    EXPECT_TRUE(looksLike(pixel(350, 609), atlas::ButtonNormal.color, 8));
    EXPECT_TRUE(looksLike(pixel(350, 669), atlas::ButtonNormal.color, 8));
    EXPECT_TRUE(looksLike(pixel(369, 610), atlas::Knob.color, 8));
    EXPECT_TRUE(looksLike(pixel(369, 670), atlas::SliderTrack.color, 8));
    // The tab scene at (400, 480) shows its second page below the tab buttons.
    EXPECT_TRUE(looksLike(pixel(620, 600), atlas::ButtonHover.color, 8));
    EXPECT_TRUE(looksLike(pixel(402, 482), atlas::ButtonPress.color, 8));
    // The message box, 240 x 120, centred on the scene: (392, 324) - (632, 444), its buttons at
    // (412, 408) and (516, 408).
    EXPECT_TRUE(looksLike(pixel(405, 400), atlas::Panel.color, 8));
    EXPECT_TRUE(looksLike(pixel(620, 400), atlas::Panel.color, 8));
    EXPECT_TRUE(looksLike(pixel(415, 429), atlas::ButtonNormal.color, 8));
    EXPECT_TRUE(looksLike(pixel(519, 429), atlas::ButtonNormal.color, 8));
    EXPECT_TRUE(looksLike(pixel(390, 440), ClearColor, 4));
    // Captions, the edit's text and the box's texts are drawn over their faces.
    auto brightIn = [&](s32 x0, s32 y0, s32 x1, s32 y1) {
        u32 n = 0;
        for (s32 y = y0; y < y1; ++y)
            for (s32 x = x0; x < x1; ++x)
                if (looksLike(pixel(x, y), 0xffffffffu, 40)) ++n;
        return n;
    };
    EXPECT_GT(brightIn(40, 400, 136, 424), 20u);   // "Play"
    EXPECT_GT(brightIn(40, 600, 200, 620), 20u);   // "Anna"
    EXPECT_GT(brightIn(240, 660, 360, 680), 10u);  // "Dan"
    EXPECT_GT(brightIn(392, 324, 632, 350), 20u);  // the title
    fs::remove_all(dir);
}

}  // namespace
