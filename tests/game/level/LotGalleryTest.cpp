// The lot gallery drawn on the virtual display with the real assets: every building type shows
// its picture in its cell, and the icons, tags, stars and smiles of the lots' states stand where
// the templates put them, in their colours; the lots under snow show snow. Building work shows
// where its templates put it: the site's parts in their stages, the rubble of a demolition, a
// ruin lifted away by its restoring, a helicopter unloading over its lot, a bus in front of one
// and a cloud's shadow darkening a garden.

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

constexpr u32 TypeCount = 28;
constexpr u32 StateCellCount = 12;
constexpr u32 WorkCellCount = 14;
// The gallery's clear colour: where nothing is drawn.
const SColor Background(0xff203040u);
constexpr s32 InkDistance = 40;

struct SRect {
    s32 x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

struct SReport {
    std::map<std::string, SRect> cells;
    std::map<std::string, std::string> types;
    std::map<std::string, std::map<std::string, SRect>> parts;  // cell -> part -> rectangle
    std::vector<std::string> problems;
};

SReport parse(const std::string& log) {
    SReport report;
    std::istringstream lines(log);
    std::string line;
    while (std::getline(lines, line)) {
        char what[16], name[64], type[64];
        float x0, y0, x1, y1;
        if (std::sscanf(line.c_str(), "lot_gallery: %15s %63s %63s %f %f %f %f", what, name, type,
                        &x0, &y0, &x1, &y1) == 7) {
            const SRect r{static_cast<s32>(x0), static_cast<s32>(y0), static_cast<s32>(x1),
                          static_cast<s32>(y1)};
            if (std::string(what) == "cell") {
                report.cells[name] = r;
                report.types[name] = type;
            } else {
                report.parts[name][type] = r;
            }
        } else if (line.rfind("lot_gallery: cell", 0) == 0 || line.rfind("[error]", 0) == 0 ||
                   line.rfind("[warning]", 0) == 0) {
            report.problems.push_back(line);
        }
    }
    return report;
}

s32 distance(const SColor& a, const SColor& b) {
    return std::abs(static_cast<s32>(a.getRed()) - static_cast<s32>(b.getRed())) +
           std::abs(static_cast<s32>(a.getGreen()) - static_cast<s32>(b.getGreen())) +
           std::abs(static_cast<s32>(a.getBlue()) - static_cast<s32>(b.getBlue()));
}

bool drawn(const SColor& c) { return distance(c, Background) > InkDistance; }
bool red(const SColor& c) { return c.getRed() > 170 && c.getGreen() < 120 && c.getBlue() < 120; }
bool green(const SColor& c) {
    return c.getGreen() > c.getRed() + 30 && c.getGreen() > c.getBlue() + 30;
}
bool gold(const SColor& c) { return c.getRed() > 200 && c.getGreen() > 150 && c.getBlue() < 120; }
bool snowy(const SColor& c) { return c.getRed() > 200 && c.getGreen() > 205 && c.getBlue() > 215; }
bool cream(const SColor& c) { return c.getRed() > 230 && c.getGreen() > 215 && c.getBlue() > 180; }
bool orange(const SColor& c) {
    return c.getRed() > 190 && c.getGreen() > 90 && c.getGreen() < 190 && c.getBlue() < 110;
}
bool water(const SColor& c) {
    return c.getBlue() > 150 && c.getBlue() > c.getRed() + 60 && c.getGreen() > 110;
}
bool grey(const SColor& c) {
    const s32 r = c.getRed(), g = c.getGreen(), b = c.getBlue();
    return r > 110 && std::abs(r - g) < 24 && std::abs(g - b) < 30;
}
u32 brightness(const SColor& c) { return c.getRed() + c.getGreen() + c.getBlue(); }
bool brown(const SColor& c) {
    return c.getRed() > c.getBlue() + 30 && c.getRed() > 80 && c.getRed() < 200;
}

class Frame {
public:
    explicit Frame(CImage* image) : m_image(image) {}
    // The mean brightness inside the rectangle.
    f32 light(SRect r) const {
        u64 sum = 0;
        u32 count = 0;
        for (s32 y = std::max(r.y0, 0); y < std::min(r.y1, 768); ++y)
            for (s32 x = std::max(r.x0, 0); x < std::min(r.x1, 1024); ++x, ++count)
                sum += brightness(SColor(m_image->getPixel(x, y)));
        return count ? static_cast<f32>(sum) / static_cast<f32>(count) : 0.0f;
    }
    template <class Test>
    f32 share(SRect r, Test test) const {
        r.x0 = std::max(r.x0, 0);
        r.y0 = std::max(r.y0, 0);
        r.x1 = std::min(r.x1, 1024);
        r.y1 = std::min(r.y1, 768);
        if (r.x1 <= r.x0 || r.y1 <= r.y0) return -1.0f;
        u32 passed = 0;
        for (s32 y = r.y0; y < r.y1; ++y)
            for (s32 x = r.x0; x < r.x1; ++x)
                if (test(SColor(m_image->getPixel(x, y)))) ++passed;
        return static_cast<f32>(passed) / static_cast<f32>((r.x1 - r.x0) * (r.y1 - r.y0));
    }

private:
    CImage* m_image;
};

// The lower part of a picture: its ground slab.
SRect ground(const SRect& r) { return SRect{r.x0, r.y0 + (r.y1 - r.y0) * 2 / 3, r.x1, r.y1}; }

// The gallery's saved frame, or none when it cannot be read.
CRefPtr<CImage> loadFrame(const fs::path& path) {
    CRefPtr<CFileSystem> files = CRefPtr<CFileSystem>::fromRaw(new CFileSystemLinux());
    CRefPtr<IReadableFile> file =
        CRefPtr<IReadableFile>::fromRaw(files->createAndOpenFile(path.string().c_str()));
    if (!file) return CRefPtr<CImage>();
    return CRefPtr<CImage>::fromRaw(getImageManager().loadImage(file.get(), CCreationContext()));
}

}  // namespace

TEST(LotGallery, EveryTypeAndStateShowsItsArtAndIcons) {
    const fs::path dir =
        fs::temp_directory_path() / ("brasquel-lots-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path framePath = dir / "gallery.png";
    std::string log;
    ASSERT_EQ(oskel::test::runProgram(
                  {LOT_GALLERY_PROGRAM, "--assets", ASSETS_DIR, "--out", framePath.string()}, log),
              0)
        << log;
    const SReport report = parse(log);
    EXPECT_TRUE(report.problems.empty()) << log;
    ASSERT_EQ(report.cells.size(), TypeCount + StateCellCount) << log;

    CRefPtr<CImage> image = loadFrame(framePath);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->getDimension(), dimension2di(1024, 768));
    const Frame frame(image.get());

    // Every cell shows its building's picture where its sprite stands.
    for (const auto& [name, rect] : report.cells) {
        SCOPED_TRACE(name);
        EXPECT_GE(frame.share(rect, drawn), 0.25f);
        EXPECT_GE(frame.share(ground(rect), drawn), 0.5f);
    }

    // The parts of the states, each at its place and in its colour.
    auto part = [&](const char* cell, const char* name) -> const SRect* {
        auto found = report.parts.find(cell);
        if (found == report.parts.end() || found->second.count(name) == 0) return nullptr;
        return &found->second.at(name);
    };
    struct SPartCheck {
        const char* cell;
        const char* part;
        bool (*ink)(const SColor&);
        f32 minInk;
    } checks[] = {
        {"Broken", "RepairIcon", red, 0.2f},       {"Dirty", "DirtyIcon", brown, 0.2f},
        {"Offer", "PhoneIcon", green, 0.08f},      {"ForSale", "ForSaleNode", cream, 0.1f},
        {"Hostel2", "StarIcons", gold, 0.02f},     {"Hostel2", "SmileIcon", drawn, 0.1f},
        {"HotelN63", "StarIcons", gold, 0.04f},    {"Ruin", "Ruin", drawn, 0.3f},
        {"Featured", "Feature1Icon", drawn, 0.5f},
    };
    for (const SPartCheck& c : checks) {
        SCOPED_TRACE(std::string(c.cell) + " " + c.part);
        const SRect* r = part(c.cell, c.part);
        ASSERT_NE(r, nullptr) << log;
        EXPECT_GE(frame.share(*r, drawn), 0.3f);
        EXPECT_GE(frame.share(*r, c.ink), c.minInk);
        // The part stands over its own cell's picture.
        const SRect& cell = report.cells.at(c.cell);
        EXPECT_TRUE(r->x1 > cell.x0 && r->x0 < cell.x1 && r->y1 > cell.y0 - 40 && r->y0 < cell.y1);
    }
    // Lots in states without icons show none: a working lot has no problem icon nor offer.
    for (const char* cell : {"Hostel1", "Cafe", "CityMall"}) {
        EXPECT_EQ(part(cell, "RepairIcon"), nullptr) << cell;
        EXPECT_EQ(part(cell, "PhoneIcon"), nullptr) << cell;
        EXPECT_EQ(part(cell, "ForSaleNode"), nullptr) << cell;
    }
    EXPECT_EQ(part("Cafe", "StarIcons"), nullptr);  // stars only for lodgings
    // A lodging of level L fills L - 1 of its stars.
    std::vector<f32> filled;
    for (const char* cell : {"Hostel1", "Hostel2", "Hostel3"}) {
        const SRect* stars = part(cell, "StarIcons");
        ASSERT_NE(stars, nullptr) << cell;
        filled.push_back(frame.share(*stars, gold));
    }
    EXPECT_LT(filled[0], 0.01f);
    EXPECT_GT(filled[1], filled[0] + 0.01f);
    EXPECT_GT(filled[2], filled[1] + 0.01f);

    // Snow: the winter lots' ground is white where the summer ones are green.
    for (const auto& [winter, summer] : std::vector<std::pair<const char*, const char*>>{
             {"WinterCafe", "Cafe"}, {"WinterPlace", "BuildingPlace"}}) {
        SCOPED_TRACE(winter);
        ASSERT_EQ(report.cells.count(winter), 1u);
        EXPECT_GE(frame.share(ground(report.cells.at(winter)), snowy), 0.2f);
        EXPECT_LE(frame.share(ground(report.cells.at(winter)), green), 0.02f);
        EXPECT_GE(frame.share(ground(report.cells.at(summer)), green), 0.1f);
    }
    // A lot the player does not own is drawn greyer than the same type owned.
    const f32 owned = frame.share(report.cells.at("Hostel2"), green);
    const f32 notOwned = frame.share(report.cells.at("NotOwned"), green);
    EXPECT_LT(notOwned, owned);
    fs::remove_all(dir);
}

// The page of building work: the site's parts in their stages, the demolition's rubble and bar,
// the restored park, the helicopter over its lot, the bus before its lot and a cloud's shadow.
TEST(LotGallery, BuildingWorkShowsWhereItsTemplatesPutIt) {
    const fs::path dir =
        fs::temp_directory_path() / ("brasquel-work-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path framePath = dir / "work.png";
    std::string log;
    ASSERT_EQ(oskel::test::runProgram({LOT_GALLERY_PROGRAM, "--assets", ASSETS_DIR, "--out",
                                       framePath.string(), "--page", "work"},
                                      log),
              0)
        << log;
    const SReport report = parse(log);
    EXPECT_TRUE(report.problems.empty()) << log;
    ASSERT_EQ(report.cells.size(), WorkCellCount) << log;
    CRefPtr<CImage> image = loadFrame(framePath);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->getDimension(), dimension2di(1024, 768));
    const Frame frame(image.get());
    auto part = [&](const char* cell, const char* name) -> const SRect* {
        auto found = report.parts.find(cell);
        if (found == report.parts.end() || found->second.count(name) == 0) return nullptr;
        return &found->second.at(name);
    };
    // Every lot shows its building or its site.
    for (const auto& [name, rect] : report.cells) {
        SCOPED_TRACE(name);
        EXPECT_GE(frame.share(rect, drawn), 0.25f);
        EXPECT_GE(frame.share(ground(rect), drawn), 0.5f);
    }
    // The site in its stages: each shows the parts the stage leaves standing, in their colours.
    struct SStage {
        const char* cell;
        std::vector<const char*> shown;
        std::vector<const char*> gone;
    } stages[] = {
        {"PreBuild1",
         {"Fence", "ProgressBar"},
         {"Ground", "Scaffold", "Crane", "Foundation", "Dust"}},
        {"PreBuild2", {"Ground", "Fence", "Scaffold", "Crane", "Hook"}, {"Foundation", "Dust"}},
        {"Build", {"Ground", "Fence", "Scaffold", "Crane", "Foundation"}, {"Dust"}},
        {"Working",
         {"Ground", "Fence", "Scaffold", "Crane", "Foundation", "Hook", "ProgressBar"},
         {}},
        {"PostBuild1", {"Ground", "Fence", "Dust"}, {"Scaffold", "Crane", "Hook", "Foundation"}},
        {"PostBuild2", {}, {"Ground", "Fence", "Dust", "Scaffold", "Crane", "Hook", "Foundation"}},
    };
    for (const SStage& stage : stages) {
        SCOPED_TRACE(stage.cell);
        const SRect& cell = report.cells.at(stage.cell);
        for (const char* name : stage.shown) {
            const SRect* r = part(stage.cell, name);
            ASSERT_NE(r, nullptr) << name;
            EXPECT_TRUE(r->x1 > cell.x0 && r->x0 < cell.x1 && r->y1 > cell.y0 - 40 &&
                        r->y0 < cell.y1)
                << name;
        }
        for (const char* name : stage.gone) EXPECT_EQ(part(stage.cell, name), nullptr) << name;
    }
    // The net of the scaffold is green, the fence has its orange cones and red stripes, the
    // dust of the finished work is pale.
    EXPECT_GE(frame.share(*part("Working", "Scaffold"), green), 0.08f);
    EXPECT_LT(frame.share(report.cells.at("PreBuild1"), green),
              frame.share(report.cells.at("PreBuild2"), green) + 0.2f);
    EXPECT_GE(frame.share(*part("PreBuild1", "Fence"), orange), 0.01f);
    EXPECT_GE(frame.share(*part("PostBuild1", "Dust"), cream), 0.1f);
    // The bar over the site is drawn; the dug-up ground is brown where the lot was green.
    EXPECT_GE(frame.share(*part("Working", "ProgressBar"), drawn), 0.5f);
    EXPECT_GE(frame.share(ground(report.cells.at("Working")), brown), 0.1f);
    // The finished site shows the new building again, without its rubble (hidden in its look).
    EXPECT_EQ(part("PostBuild2", "Rubble"), nullptr);
    EXPECT_GE(frame.share(ground(report.cells.at("PostBuild2")), green), 0.1f);

    // The demolition's rubble on the place, and the bar over it.
    ASSERT_NE(part("Demolition", "Rubble"), nullptr) << log;
    EXPECT_GE(frame.share(*part("Demolition", "Rubble"), grey), 0.08f);
    ASSERT_NE(part("Demolition", "ProgressBarOverBuilding"), nullptr) << log;
    EXPECT_GE(frame.share(*part("Demolition", "ProgressBarOverBuilding"), drawn), 0.5f);
    EXPECT_GE(frame.share(ground(report.cells.at("Demolition")), grey), 0.08f);
    EXPECT_GT(frame.share(ground(report.cells.at("Demolition")), grey),
              frame.share(ground(report.cells.at("BuildingPlace")), grey) + 0.05f);

    // The restoring lifts the ruin away: the park's pool shows where the ruin covers it.
    EXPECT_GT(frame.share(report.cells.at("Restoring"), water),
              frame.share(report.cells.at("Ruin"), water) + 0.02f);

    // The helicopter hovers over its lot, red, with its crate; the bus stands in front of its
    // lot, yellow; the cloud's shadow makes its garden darker than the garden in the sun.
    const SRect* helicopter = part("Helicopter", "Helicopter");
    ASSERT_NE(helicopter, nullptr) << log;
    const SRect& place = report.cells.at("Helicopter");
    EXPECT_GE(frame.share(*helicopter, red), 0.05f);
    EXPECT_GT(helicopter->x1, place.x0);
    EXPECT_LT(helicopter->y0, place.y0 + (place.y1 - place.y0) / 2);
    const SRect* bus = part("Bus", "Bus");
    ASSERT_NE(bus, nullptr) << log;
    EXPECT_GE(frame.share(*bus, gold), 0.1f);
    EXPECT_GT(bus->y1, report.cells.at("Bus").y1 - 20);
    ASSERT_NE(part("Cloudy", "Cloud1"), nullptr) << log;
    EXPECT_LT(frame.light(report.cells.at("Cloudy")),
              frame.light(report.cells.at("Garden")) * 0.9f);
    fs::remove_all(dir);
}
