// The skin sampler: a scene placing every template of the shared collection at a known
// rectangle over a panel backdrop, drawn by show_scene on the virtual display with the real
// assets. Inside each control's rectangle the skin must show (enough pixels unlike the backdrop,
// in the colour of its kind), and in a band around it the backdrop: a missing template leaves
// its rectangle bare, a misplaced one draws into the band.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine/image/CImage.h"
#include "engine/image/CImageManager.h"
#include "engine/io/CFileSystem.h"
#include "engine/video/SColorUtils.h"
#include "tests/nodes/ProgramRun.h"

using namespace oskel;
namespace fs = std::filesystem;

namespace {

// Where the skin's colours are told apart.
enum class EInk { Any, Green, Orange, Red, Grey };

struct SControl {
    const char* name;
    EInk ink;       // the colour most of its face has
    f32 minInk;     // share of the rectangle unlike the backdrop
    s32 outset[4];  // how far the template draws beyond the node's bounds: left, top, right, bottom
};

// The controls of the sampler scene. The buttons, close and arrow buttons and message box cast
// shadows to the lower right: the band there starts further out.
constexpr SControl Controls[] = {
    {"GreenLargeButton", EInk::Green, 0.8f, {0, 0, 0, 0}},
    {"OrangeLargeButton", EInk::Orange, 0.8f, {0, 0, 0, 0}},
    {"RedLargeButton", EInk::Red, 0.8f, {0, 0, 0, 0}},
    {"GreenSmallButton", EInk::Green, 0.8f, {0, 0, 0, 0}},
    {"OrangeSmallButton", EInk::Orange, 0.8f, {0, 0, 0, 0}},
    {"RedSmallButton", EInk::Red, 0.8f, {0, 0, 0, 0}},
    {"LargeDisabledButton", EInk::Grey, 0.8f, {0, 0, 0, 0}},
    {"SmallDisabledButton", EInk::Grey, 0.8f, {0, 0, 0, 0}},
    {"CloseButton", EInk::Red, 0.5f, {0, 0, 0, 0}},
    {"ArrowUp", EInk::Green, 0.8f, {0, 0, 0, 0}},
    {"ArrowDown", EInk::Green, 0.8f, {0, 0, 0, 0}},
    {"ArrowLeft", EInk::Green, 0.8f, {0, 0, 0, 0}},
    {"ArrowRight", EInk::Green, 0.8f, {0, 0, 0, 0}},
    // The map's location at half size: its platform fills the lower part; its shadow falls
    // to the lower right.
    {"MapLocation", EInk::Any, 0.2f, {0, 0, 4, 4}},
    {"Tab1Button", EInk::Any, 0.8f, {0, 0, 0, 0}},
    {"Tab2Button", EInk::Any, 0.8f, {0, 0, 0, 0}},
    {"Tab3Button", EInk::Grey, 0.8f, {0, 0, 0, 0}},
    {"Slider", EInk::Any, 0.35f, {0, 0, 0, 0}},
    {"CheckBox0", EInk::Any, 0.05f, {0, 0, 0, 0}},
    {"CheckBox1", EInk::Any, 0.08f, {0, 0, 0, 0}},
    {"ProgressBar", EInk::Any, 0.8f, {0, 0, 0, 0}},
    {"CheckBox2", EInk::Any, 0.1f, {0, 0, 0, 0}},
    {"CheckBox3", EInk::Any, 0.1f, {0, 0, 0, 0}},
    // The list's frame surrounds its items; its scroll buttons and bar stand to their right.
    {"List", EInk::Any, 0.25f, {8, 8, 60, 8}},
    {"Edit", EInk::Any, 0.1f, {0, 0, 0, 0}},
    {"EditDisabled", EInk::Grey, 0.8f, {0, 0, 0, 0}},
    {"SmallPanel", EInk::Any, 0.04f, {0, 0, 0, 0}},
    {"MessageBox", EInk::Any, 0.1f, {0, 0, 0, 0}},
    // The templates of single screens, made small: the shop's card and the achievements' lists
    // (whose frames stand out of their items, with the scroll buttons to the right).
    {"ShopCard", EInk::Any, 0.6f, {0, 0, 0, 0}},
    {"AchievementsList", EInk::Any, 0.25f, {1, 1, 8, 1}},
    {"AchievementsEarnedList", EInk::Any, 0.25f, {1, 1, 8, 1}},
    {"OnOffGreen", EInk::Green, 0.8f, {0, 0, 0, 0}},
    {"OnOffRed", EInk::Red, 0.8f, {0, 0, 0, 0}},
    {"OptionsSlider", EInk::Any, 0.35f, {0, 0, 0, 0}},
};
constexpr const char* BackdropNode = "Backdrop";

// A pixel unlike the backdrop: its channels differ by more than this in sum.
constexpr s32 InkDistance = 40;
// The bands: from NearBand to NearBand + BandWidth pixels left of and above the drawing, from
// FarBand on to its right and below (past the shadows); each must be this much backdrop.
constexpr s32 NearBand = 3;
constexpr s32 FarBand = 8;
constexpr s32 BandWidth = 4;
constexpr f32 MinBackdropInBand = 0.9f;
// Bands stay this far inside the backdrop panel (its border is no backdrop).
constexpr s32 BackdropBorder = 10;
// Share of a coloured face that must be of its colour.
constexpr f32 MinOwnColour = 0.4f;
// An empty place of the backdrop (right of the arrow buttons) where its colour is read.
constexpr s32 BackdropSampleX = 830, BackdropSampleY = 240, BackdropSampleSize = 20;

struct SRect {
    s32 x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

s32 distance(const SColor& a, const SColor& b) {
    return std::abs(static_cast<s32>(a.getRed()) - static_cast<s32>(b.getRed())) +
           std::abs(static_cast<s32>(a.getGreen()) - static_cast<s32>(b.getGreen())) +
           std::abs(static_cast<s32>(a.getBlue()) - static_cast<s32>(b.getBlue()));
}

bool isOfInk(const SColor& c, EInk ink) {
    const s32 r = static_cast<s32>(c.getRed()), g = static_cast<s32>(c.getGreen()),
              b = static_cast<s32>(c.getBlue());
    switch (ink) {
        case EInk::Green:
            return g > r + 30 && g > b + 30;
        case EInk::Orange:
            return r > 200 && g > 90 && g < 200 && b < 90;
        case EInk::Red:
            return r > 150 && g < 110 && b < 110;
        case EInk::Grey:
            return std::abs(r - g) < 24 && std::abs(g - b) < 24 && std::abs(r - b) < 24;
        case EInk::Any:
            return true;
    }
    return false;
}

// The rectangles show_scene reports ("show_scene: node NAME X0 Y0 X1 Y1").
std::map<std::string, SRect> reportedRects(const std::string& log) {
    std::map<std::string, SRect> rects;
    std::istringstream lines(log);
    std::string line;
    while (std::getline(lines, line)) {
        char name[64];
        float x0, y0, x1, y1;
        if (std::sscanf(line.c_str(), "show_scene: node %63s %f %f %f %f", name, &x0, &y0, &x1,
                        &y1) == 5)
            rects[name] = SRect{static_cast<s32>(x0), static_cast<s32>(y0), static_cast<s32>(x1),
                                static_cast<s32>(y1)};
    }
    return rects;
}

class Frame {
public:
    explicit Frame(CImage* image) : m_image(image) {}
    SColor at(s32 x, s32 y) const { return SColor(m_image->getPixel(x, y)); }

    // The share of pixels of the rectangle (clipped to the limit) passing the test; -1 when the
    // clipped rectangle is empty.
    template <class Test>
    f32 share(SRect r, const SRect& limit, Test test) const {
        r.x0 = std::max(r.x0, limit.x0);
        r.y0 = std::max(r.y0, limit.y0);
        r.x1 = std::min(r.x1, limit.x1);
        r.y1 = std::min(r.y1, limit.y1);
        if (r.x1 <= r.x0 || r.y1 <= r.y0) return -1.0f;
        u32 passed = 0;
        for (s32 y = r.y0; y < r.y1; ++y)
            for (s32 x = r.x0; x < r.x1; ++x)
                if (test(at(x, y))) ++passed;
        return static_cast<f32>(passed) / static_cast<f32>((r.x1 - r.x0) * (r.y1 - r.y0));
    }

private:
    CImage* m_image;
};

TEST(SkinSampler, EveryTemplateShowsItsSkinAtItsPlace) {
    const fs::path dir =
        fs::temp_directory_path() / ("oskel-skin-sampler-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path framePath = dir / "frame.png";

    std::vector<std::string> arguments = {SHOW_SCENE_PROGRAM,
                                          "--folder",
                                          SAMPLER_DIR,
                                          "--folder",
                                          ASSETS_DIR,
                                          "--scene",
                                          "SkinSampler.oscn",
                                          "--atlas",
                                          "atlases/MainMenu.xml",
                                          "--atlas",
                                          "atlases/ShopMenu.xml",
                                          "--atlas",
                                          "atlases/MapMenu.xml",
                                          "--atlas",
                                          "atlases/GameMenu.xml",
                                          "--templates",
                                          "scenes/TemplateCollection.oscn",
                                          "--dictionary",
                                          "strings/Dictionary.xml",
                                          "--report",
                                          BackdropNode,
                                          "--frames",
                                          "60",
                                          "--out",
                                          framePath.string()};
    for (const SControl& control : Controls) {
        arguments.push_back("--report");
        arguments.push_back(control.name);
    }
    std::string log;
    ASSERT_EQ(oskel::test::runProgram(arguments, log), 0) << log;
    const std::map<std::string, SRect> rects = reportedRects(log);

    CRefPtr<CFileSystem> files = CRefPtr<CFileSystem>::fromRaw(new CFileSystemLinux());
    CRefPtr<IReadableFile> file =
        CRefPtr<IReadableFile>::fromRaw(files->createAndOpenFile(framePath.string().c_str()));
    ASSERT_TRUE(file);
    CRefPtr<CImage> image =
        CRefPtr<CImage>::fromRaw(getImageManager().loadImage(file.get(), CCreationContext()));
    ASSERT_TRUE(image);
    ASSERT_EQ(image->getDimension(), dimension2di(1024, 768));
    const Frame frame(image.get());

    ASSERT_EQ(rects.count(BackdropNode), 1u) << log;
    const SRect& panel = rects.at(BackdropNode);
    const SRect inner{panel.x0 + BackdropBorder, panel.y0 + BackdropBorder,
                      panel.x1 - BackdropBorder, panel.y1 - BackdropBorder};
    // The backdrop's colour where nothing stands on it, and the dark screen around the panel.
    const SColor backdrop = frame.at(BackdropSampleX, BackdropSampleY);
    const SRect sample{BackdropSampleX, BackdropSampleY, BackdropSampleX + BackdropSampleSize,
                       BackdropSampleY + BackdropSampleSize};
    const SRect screen{0, 0, 1024, 768};
    EXPECT_GT(
        frame.share(sample, screen, [&](const SColor& c) { return distance(c, backdrop) <= 12; }),
        0.99f)
        << "the backdrop sample is not plain";
    EXPECT_GT(distance(frame.at(panel.x0 - 8, panel.y0 - 8), backdrop), 3 * InkDistance);

    const auto isBackdrop = [&](const SColor& c) { return distance(c, backdrop) <= InkDistance; };
    for (const SControl& control : Controls) {
        SCOPED_TRACE(control.name);
        ASSERT_EQ(rects.count(control.name), 1u) << log;
        const SRect& node = rects.at(control.name);
        const SRect r{node.x0 - control.outset[0], node.y0 - control.outset[1],
                      node.x1 + control.outset[2], node.y1 + control.outset[3]};
        const f32 ink = frame.share(r, screen, [&](const SColor& c) { return !isBackdrop(c); });
        EXPECT_GE(ink, control.minInk) << "too little skin inside";
        if (control.ink != EInk::Any) {
            const f32 own = frame.share(r, screen, [&](const SColor& c) {
                return !isBackdrop(c) && isOfInk(c, control.ink);
            });
            EXPECT_GE(own, MinOwnColour * ink) << "the face is not of its colour";
        }
        const SRect bands[4] = {
            {r.x0 - NearBand - BandWidth, r.y0, r.x0 - NearBand, r.y1},  // left
            {r.x0, r.y0 - NearBand - BandWidth, r.x1, r.y0 - NearBand},  // top
            {r.x1 + FarBand, r.y0, r.x1 + FarBand + BandWidth, r.y1},    // right
            {r.x0, r.y1 + FarBand, r.x1, r.y1 + FarBand + BandWidth},    // bottom
        };
        const char* sides[4] = {"left", "top", "right", "bottom"};
        for (int side = 0; side < 4; ++side) {
            const f32 plain = frame.share(bands[side], inner, isBackdrop);
            if (plain < 0.0f) continue;  // outside the panel's inside
            EXPECT_GE(plain, MinBackdropInBand) << "drawing in the band " << sides[side];
        }
    }
    fs::remove_all(dir);
}

}  // namespace
