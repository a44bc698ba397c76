// The demonstration scene of the level world's nodes (tests/game/world/demo), shown by show_scene
// with the game's node classes registered through the application's table, on a clock that moves
// one 10 ms update per frame: the frames it writes are checked where the scene fixes what is
// drawn at that time.

#include <gtest/gtest.h>
#include <unistd.h>

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
// The device's update step under --stepped: frame N is drawn (N - 1) steps after the first.
constexpr u32 StepMs = 10;
// The effects step every 30 ms.
constexpr u32 EffectStepMs = 30;

// What the scene file fixes.
constexpr u32 GridFill = 0xff406080u;
constexpr u32 GridLines = 0xffffff00u;
constexpr s32 GridX = 40, GridY = 40, GridCell = 40;
constexpr f32 BalloonX = 300.0f, BalloonY = 400.0f, BalloonSpeed = 100.0f;  // up, px a second
constexpr s32 BalloonSize = 16;                                             // the opaque frame
constexpr f32 BurstX = 600.0f, BurstY = 500.0f, BurstSpeed = 200.0f;        // up, px a second
constexpr u32 BurstMoveMs = 300;  // then "Boost", whose flash grows from 48 px over 900 ms
constexpr u32 BurstBoostMs = 900;
constexpr f32 BurstFlashSide = 48.0f;
constexpr f32 WaveX = 700.0f, WaveY = 140.0f, WaveSpeed = 50.0f;  // right, px a second
constexpr u32 WaveStepMs = 60;
constexpr s32 WaveWidth = 120, WaveTop = 8, WaveHeight = 24;  // the "Wave" child's place
// The column the weather falls in, and the box the bird circles in.
constexpr s32 WeatherX0 = 860, WeatherX1 = 1000;
constexpr s32 BirdX0 = 60, BirdY0 = 520, BirdX1 = 222, BirdY1 = 600;

const char* const AllNodes[] = {"Grid",    "Balloon", "Burst",       "LakeWave",
                                "CircularBird", "Weather", "Hint", "Picture",
                                "Spiral",  "ShieldSpark", "ShieldStar"};

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

// The effect steps taken by the time frame `frames` is drawn (the effects start at the first).
u32 stepsAt(u32 frames, u32 periodMs) { return (frames - 1) * StepMs / periodMs; }

class WorldDemo : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("brasquel-world-demo-" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        writeNodeContent(m_dir);
        for (const auto& entry : fs::directory_iterator(fs::path(WORLD_DEMO_DIR)))
            fs::copy_file(entry.path(), m_dir / entry.path().filename());
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // Shows the scene for the frames and loads the last one; the log is kept in m_log.
    CRefPtr<CImage> show(u32 frames) {
        const fs::path out = m_dir / ("frame" + std::to_string(frames) + ".png");
        std::vector<std::string> arguments = {
            SHOW_SCENE_PROGRAM, "--folder", m_dir.string(), "--scene", "WorldDemo.oscn",
            "--atlas", atlas::CollectionFile, "--templates", "WorldTemplates.oscn",
            "--game-nodes", "--stepped", "--frames", std::to_string(frames), "--out",
            out.string()};
        for (const char* name : AllNodes) {
            arguments.push_back("--report");
            arguments.push_back(name);
        }
        m_log.clear();
        const int exitCode = runProgram(arguments, m_log);
        EXPECT_EQ(exitCode, 0) << m_log;
        if (exitCode != 0) return nullptr;
        CRefPtr<CFileSystem> files = CRefPtr<CFileSystem>::fromRaw(new CFileSystemLinux());
        CRefPtr<IReadableFile> file =
            CRefPtr<IReadableFile>::fromRaw(files->createAndOpenFile(out.string().c_str()));
        if (!file) return nullptr;
        CRefPtr<CImage> image =
            CRefPtr<CImage>::fromRaw(getImageManager().loadImage(file.get(), CCreationContext()));
        if (image) EXPECT_EQ(image->getDimension(), dimension2di(1024, 768));
        return image;
    }

    bool reported(const char* name) const {
        return m_log.find(std::string("show_scene: node ") + name + " ") != std::string::npos;
    }
    bool missing(const char* name) const {
        return m_log.find(std::string("show_scene: node ") + name + " missing") !=
               std::string::npos;
    }

    fs::path m_dir;
    std::string m_log;
};

// Pixels of the image not of the clear colour inside the box (end excluded).
u32 drawnIn(const CImage& image, s32 x0, s32 y0, s32 x1, s32 y1) {
    u32 n = 0;
    for (s32 y = y0; y < y1; ++y)
        for (s32 x = x0; x < x1; ++x)
            if (!looksLike(image.getPixel(x, y), ClearColor, 4)) ++n;
    return n;
}

// Whether one of the pixels within a pixel of (x, y) has the colour.
bool nearLooksLike(const CImage& image, s32 x, s32 y, u32 color, int tolerance) {
    for (s32 dy = -1; dy <= 1; ++dy)
        for (s32 dx = -1; dx <= 1; ++dx)
            if (looksLike(image.getPixel(x + dx, y + dy), color, tolerance)) return true;
    return false;
}

TEST_F(WorldDemo, EveryWorldClassLoadsAndTheEffectsStandWhereTheirMotionTakesThem) {
    constexpr u32 Frames = 61;  // 600 ms after the first frame
    CRefPtr<CImage> image = show(Frames);
    ASSERT_TRUE(image) << m_log;
    EXPECT_NE(m_log.find("show_scene: game node classes registered: "), std::string::npos)
        << m_log;
    for (const char* name : AllNodes) {
        EXPECT_TRUE(reported(name)) << name << "\n" << m_log;
        EXPECT_FALSE(missing(name)) << name << "\n" << m_log;
    }
    const CImage& shot = *image;

    // The grid: its fill inside a cell, its lines every 40 px across and down (1 px tolerance),
    // nothing left of it.
    EXPECT_TRUE(looksLike(shot.getPixel(GridX + 20, GridY + 20), GridFill, 6));
    EXPECT_TRUE(looksLike(shot.getPixel(GridX + 140, GridY + 100), GridFill, 6));
    EXPECT_TRUE(nearLooksLike(shot, GridX + GridCell, GridY + 20, GridLines, 8));
    EXPECT_TRUE(nearLooksLike(shot, GridX + 3 * GridCell, GridY + 100, GridLines, 8));
    EXPECT_TRUE(nearLooksLike(shot, GridX + 20, GridY + GridCell, GridLines, 8));
    EXPECT_TRUE(nearLooksLike(shot, GridX + 180, GridY + 2 * GridCell, GridLines, 8));
    EXPECT_TRUE(looksLike(shot.getPixel(GridX - 6, GridY + 20), ClearColor, 4));

    // The balloon has risen at its speed for the steps taken: its picture is there, and no
    // longer where it started.
    const f32 rise = BalloonSpeed * static_cast<f32>(stepsAt(Frames, EffectStepMs) * EffectStepMs) /
                     1000.0f;
    ASSERT_GT(rise, static_cast<f32>(BalloonSize) * 2.0f);
    const s32 bx = static_cast<s32>(BalloonX) + BalloonSize / 2;
    const s32 by = static_cast<s32>(BalloonY - rise) + BalloonSize / 2;
    EXPECT_TRUE(looksLike(shot.getPixel(bx, by), atlas::OpaqueColor, 8));
    EXPECT_TRUE(looksLike(shot.getPixel(bx, static_cast<s32>(BalloonY) + BalloonSize / 2),
                          ClearColor, 4));

    // The rocket flew up for its move time and burst: the flash (at least 48 px, the rocket's
    // start jump within 10 px) covers the point it stopped at; the rocket itself is hidden.
    const s32 fx = static_cast<s32>(BurstX);
    const s32 fy = static_cast<s32>(BurstY - BurstSpeed * static_cast<f32>(BurstMoveMs) / 1000.0f);
    EXPECT_TRUE(looksLike(shot.getPixel(fx, fy), atlas::ButtonHover.color, 8));
    EXPECT_TRUE(looksLike(shot.getPixel(fx + 12, fy - 12), atlas::ButtonHover.color, 8));
    // It grows from its 48 px square over "Boost": by now about 1.3 times as wide.
    const f32 boosted =
        static_cast<f32>(stepsAt(Frames, StepMs) * StepMs - (BurstMoveMs + EffectStepMs));
    const f32 side = BurstFlashSide * (1.0f + boosted / static_cast<f32>(BurstBoostMs));
    u32 flash = 0;
    for (s32 y = fy - 60; y < fy + 60; ++y)
        for (s32 x = fx - 60; x < fx + 60; ++x)
            if (looksLike(shot.getPixel(x, y), atlas::ButtonHover.color, 8)) ++flash;
    EXPECT_GT(flash, static_cast<u32>(side * side * 0.85f));
    EXPECT_LT(flash, static_cast<u32>(side * side * 1.15f));
    EXPECT_FALSE(drawnIn(shot, fx - 16, static_cast<s32>(BurstY) - 10, fx + 16,
                         static_cast<s32>(BurstY) + 10) > 0u)
        << "the rocket still stands at its start";

    // The wave drifted right: its band reaches past where it started and has left its start.
    const f32 drift = WaveSpeed * static_cast<f32>(stepsAt(Frames, WaveStepMs) * WaveStepMs) /
                      1000.0f;
    ASSERT_GT(drift, 20.0f);
    const s32 wy = static_cast<s32>(WaveY) + WaveTop + WaveHeight / 2;
    const s32 waveRight = static_cast<s32>(WaveX + drift) + WaveWidth;
    // (The small frame stretched over the band blends with its edges' neighbours near the ends.)
    EXPECT_TRUE(looksLike(shot.getPixel(waveRight - 20, wy), atlas::Tick.color, 8));
    EXPECT_TRUE(looksLike(shot.getPixel(static_cast<s32>(WaveX + drift) + 20, wy),
                          atlas::Tick.color, 8));
    EXPECT_TRUE(looksLike(shot.getPixel(static_cast<s32>(WaveX) + 5, wy), ClearColor, 4));
    EXPECT_TRUE(looksLike(shot.getPixel(waveRight + 5, wy), ClearColor, 4));

    // Weather falls in its column and the bird circles in its box.
    EXPECT_GT(drawnIn(shot, WeatherX0, 0, WeatherX1, 768), 200u);
    EXPECT_EQ(drawnIn(shot, WeatherX0 - 40, 300, WeatherX0 - 12, 768), 0u);
    EXPECT_GT(drawnIn(shot, BirdX0, BirdY0, BirdX1, BirdY1), 40u);
}

TEST_F(WorldDemo, TheRocketIsGoneAfterItsBurst) {
    // Past the move time and the whole "Boost".
    constexpr u32 Frames = (BurstMoveMs + BurstBoostMs + 4 * EffectStepMs) / StepMs + 1;
    CRefPtr<CImage> image = show(Frames);
    ASSERT_TRUE(image) << m_log;
    EXPECT_TRUE(missing("Burst")) << m_log;
    EXPECT_FALSE(missing("Balloon")) << m_log;
    EXPECT_FALSE(missing("LakeWave")) << m_log;
    const s32 fx = static_cast<s32>(BurstX);
    const s32 fy = static_cast<s32>(BurstY - BurstSpeed * static_cast<f32>(BurstMoveMs) / 1000.0f);
    EXPECT_EQ(drawnIn(*image, fx - 40, fy - 40, fx + 40, fy + 40), 0u);
}

}  // namespace
