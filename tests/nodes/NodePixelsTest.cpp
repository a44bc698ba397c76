// The drawing nodes through the OpenGL driver on a window of the virtual display: where text
// glyphs land and where a clipping parent cuts them, caret rectangles against the drawn blocks,
// sprite hits against the drawn frame, and nine-grid panels.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "engine/nodes/NineGridSpriteNode.h"
#include "engine/nodes/SpriteNode.h"
#include "engine/nodes/TextNode.h"
#include "engine/scene/SceneNode.h"
#include "tests/nodes/NodeContent.h"
#include "tests/video/opengl/GLTestSupport.h"

using namespace oskel;
using namespace oskel::test;

namespace {

namespace bf = blockfont;

constexpr u32 Background = 0xff000000u;

// The window and its OpenGL driver (a test that cannot make them fails: the test command always
// provides a display), the node content loaded through that driver, and the whole back buffer
// read at once.
class NodePixels : public GLFixture {
protected:
    void SetUp() override {
        GLFixture::SetUp();
        ASSERT_FALSE(IsSkipped()) << "no window or OpenGL driver on the display";
        ASSERT_NE(driver, nullptr);
        content = std::make_unique<NodeContentFixture>(driver);
        scene = content->showScene();
    }
    void TearDown() override {
        content.reset();
        GLFixture::TearDown();
    }

    void draw() {
        driver->beginScene(true, true, SColor(Background));
        content->sceneManager->render(driver);
        driver->getQuadBatcher()->flush();
        pixels.assign(static_cast<size_t>(Width) * Height * 4, 0);
        glFinish();
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, Width, Height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    }
    // The pixel at (x, y), y from the top; black outside the window.
    RGBA at(s32 x, s32 y) const {
        if (x < 0 || y < 0 || x >= Width || y >= Height) return {0, 0, 0, 0};
        const u8* p =
            &pixels[(static_cast<size_t>(Height - 1 - y) * Width + static_cast<size_t>(x)) * 4];
        return {p[0], p[1], p[2], p[3]};
    }
    // Glyph pixels: more than half white. (Text is drawn with anisotropic filtering, which
    // Mesa's software renderer applies as a soft kernel even at one texel per pixel: a block's
    // border pixels come out a little grey and its neighbours a trace of grey.)
    bool white(s32 x, s32 y) const {
        const RGBA c = at(x, y);
        return c.r > 128 && c.g > 128 && c.b > 128;
    }
    bool dark(s32 x, s32 y) const {
        const RGBA c = at(x, y);
        return c.r < 64 && c.g < 64 && c.b < 64;
    }

    CRefPtr<TextNode> addText(const wchar_t* text, f32 x, f32 y, f32 width, f32 height,
                              BaseNode* parent = nullptr) {
        CRefPtr<TextNode> node = makeRef<TextNode>(CCreationContext(content->manager, ""));
        node->setPosition(vector3df(x, y, 0));
        node->setBounds(width, height);
        node->setFont(content->font());
        node->setText(text);
        (parent ? parent : scene)->addChild(node.get());
        return node;
    }

    // A block of the font: its pixels in window coordinates, end excluded.
    struct Block {
        s32 x0, y0, x1, y1;
    };
    // Every block of a laid-out line by the font's metrics, from the line's left and top.
    static std::vector<Block> blocksOf(const std::wstring& line, s32 left, s32 top,
                                       const std::vector<f32>& extras = {}) {
        std::vector<Block> blocks;
        f32 pen = static_cast<f32>(left);
        size_t space = 0;
        for (size_t k = 0; k < line.size(); ++k) {
            const wchar_t c = line[k];
            if (c == L' ') {
                pen += bf::SpaceAdvance + (space < extras.size() ? extras[space++] : 0.0f);
                continue;
            }
            const s32 x0 = static_cast<s32>(pen + bf::GlyphOffsetX);
            const s32 y0 = top + static_cast<s32>(bf::GlyphOffsetY);
            blocks.push_back({x0, y0, x0 + static_cast<s32>(bf::glyphWidth(c)),
                              y0 + static_cast<s32>(bf::GlyphHeight)});
            pen += bf::advance(c);
            if (k + 1 < line.size() && c == bf::KernFirst && line[k + 1] == bf::KernSecond)
                pen += bf::KernOffset;
        }
        return blocks;
    }
    // The block is drawn: white inside, dark just left and right of it.
    void expectBlock(const Block& b) const {
        const s32 midX = (b.x0 + b.x1) / 2, midY = (b.y0 + b.y1) / 2;
        EXPECT_TRUE(white(b.x0, midY)) << b.x0 << "," << midY;
        EXPECT_TRUE(white(b.x1 - 1, midY)) << b.x1 - 1 << "," << midY;
        EXPECT_TRUE(white(midX, b.y0)) << midX << "," << b.y0;
        EXPECT_TRUE(white(midX, b.y1 - 1)) << midX << "," << b.y1 - 1;
        EXPECT_TRUE(dark(b.x0 - 1, midY)) << "left of " << b.x0;
        EXPECT_TRUE(dark(b.x1, midY)) << "right of " << b.x1;
        EXPECT_TRUE(dark(midX, b.y0 - 1)) << "above " << b.y0;
        EXPECT_TRUE(dark(midX, b.y1)) << "below " << b.y1;
    }

    std::unique_ptr<NodeContentFixture> content;
    SceneNode* scene = nullptr;
    std::vector<u8> pixels;
};

// "ab" measures 15, "abab" 30 (the last glyph's spacing counts).
TEST_F(NodePixels, AlignedLinesLandWhereMeasured) {
    struct Case {
        s32 align;
        s32 left0, left1;
    };
    const Case cases[] = {
        {TextNode::HAlignLeft, 0, 0},
        {TextNode::HAlignCenter, 93, 85},  // (200 - 15) / 2 rounded, (200 - 30) / 2
        {TextNode::HAlignRight, 185, 170}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.align);
        CRefPtr<TextNode> text = addText(L"ab\nabab", 20, 30, 200, 60);
        text->setTextHAlign(c.align);
        text->setTextVAlign(TextNode::VAlignBottom);  // 60 - 28: the lines start at 32
        draw();
        for (const Block& b : blocksOf(L"ab", 20 + c.left0, 30 + 32)) expectBlock(b);
        for (const Block& b : blocksOf(L"abab", 20 + c.left1, 30 + 32 + 14)) expectBlock(b);
        EXPECT_TRUE(dark(20 + c.left0 + 5, 30 + 20));  // nothing above the bottom-aligned lines
        scene->removeChild(text.get());
    }
}

TEST_F(NodePixels, AWrappedParagraphLandsWhereMeasured) {
    CRefPtr<TextNode> text = addText(L"aa bb cc dd aa", 10, 10, 40, 60);
    text->setWordWrap(true);
    draw();
    const std::wstring lines[] = {L"aa bb", L"cc dd", L"aa"};
    for (s32 i = 0; i < 3; ++i)
        for (const Block& b : blocksOf(lines[i], 10, 10 + 14 * i)) expectBlock(b);
    for (s32 y = 10; y < 10 + 14 * 3; ++y)
        for (s32 x = 10 + 40; x < 10 + 60; ++x) ASSERT_TRUE(dark(x, y)) << x << "," << y;

    // Justified: the first two lines reach the width (the free 6 and 8 pixels go to the space).
    text->setTextHAlign(TextNode::HAlignJustify);
    draw();
    for (const Block& b : blocksOf(L"aa bb", 10, 10, {6.0f})) expectBlock(b);
    for (const Block& b : blocksOf(L"cc dd", 10, 24, {8.0f})) expectBlock(b);
    for (const Block& b : blocksOf(L"aa", 10, 38)) expectBlock(b);
}

TEST_F(NodePixels, AClippingParentCutsTheTextToItsBounds) {
    CRefPtr<BaseNode> frame = makeRef<BaseNode>(CCreationContext());
    frame->setPosition(vector3df(50, 100, 0));
    frame->setBounds(30, 20);
    frame->setChildrenClipped(true);
    scene->addChild(frame.get());
    CRefPtr<TextNode> text = addText(L"aaaaaaaaaa\naaaaaaaaaa", 0, 0, 100, 40, frame.get());
    draw();
    u32 inside = 0;
    for (s32 y = 90; y < 140; ++y) {
        for (s32 x = 40; x < 140; ++x) {
            const bool clipped = x >= 50 && x < 80 && y >= 100 && y < 120;
            if (!clipped)
                ASSERT_TRUE(dark(x, y)) << "drawn outside the clip at " << x << "," << y;
            else if (white(x, y))
                ++inside;
        }
    }
    EXPECT_GT(inside, 100u);
    EXPECT_TRUE(white(50 + 3, 100 + 6));   // the first line's first block
    EXPECT_TRUE(white(50 + 3, 100 + 17));  // the second line's, down to the clip's edge
    EXPECT_TRUE(dark(50 + 3, 100 + 20));
}

TEST_F(NodePixels, CaretRectanglesCoverTheDrawnBlocks) {
    struct Case {
        const char* label;
        const wchar_t* text;
        s32 align;
    };
    const Case cases[] = {{"two lines", L"ab\ncd", TextNode::HAlignLeft},
                          {"centred with blanks", L"  ab  \n cd", TextNode::HAlignCenter},
                          {"glyph on a missing page", L"a~b\ncd", TextNode::HAlignLeft}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        CRefPtr<TextNode> text = addText(c.text, 40, 60, 100, 40);
        text->setTextHAlign(c.align);
        draw();
        const vector2df origin(40, 60);
        for (s32 line = 0; line < static_cast<s32>(text->getLineCount()); ++line) {
            const stringw& chars = text->getLine(static_cast<u32>(line));
            for (s32 column = 0; column < static_cast<s32>(chars.size()); ++column) {
                const wchar_t ch = chars[static_cast<u32>(column)];
                if (ch == L' ' || ch == bf::MissingPageChar) continue;
                SCOPED_TRACE(std::to_string(line) + "," + std::to_string(column));
                const rectf r = text->getCharRect(line, column);
                // The rectangle reaches half a pixel around the block's pixels.
                const Block b{
                    static_cast<s32>(std::lround(origin.X + r.UpperLeftCorner.X + 0.5f)),
                    static_cast<s32>(std::lround(origin.Y + r.UpperLeftCorner.Y + 0.5f)),
                    static_cast<s32>(std::lround(origin.X + r.LowerRightCorner.X - 0.5f)),
                    static_cast<s32>(std::lround(origin.Y + r.LowerRightCorner.Y - 0.5f))};
                EXPECT_EQ(b.x1 - b.x0, static_cast<s32>(bf::glyphWidth(ch)));
                expectBlock(b);
                s32 outLine = -1, outColumn = -2;
                const s32 index = text->getCharIndexAt(r.getCenter(), outLine, outColumn);
                EXPECT_EQ(text->getGlyphRect(index), r);
                EXPECT_EQ(outLine, line);
            }
        }
        // An insert before the second line's first character and its removal.
        const stringw before = text->getText();
        const wchar_t first = text->getLine(1)[0];
        text->insertCharAt(L'W', 1, 0);
        EXPECT_EQ(text->getLine(1)[0], L'W');
        EXPECT_EQ(text->getLine(1)[1], first);
        text->removeCharAt(1, 0);
        EXPECT_EQ(text->getText(), before);
        scene->removeChild(text.get());
    }
}

// ---- Sprites ----

struct SpriteCase {
    const char* label;
    vector2df pivot;
    s32 stretchX, stretchY;
    vector2df bounds;
    bool flipX, flipY;
    f32 rotation;
    f32 scale;
};

// Drawn frame pixels: more blue than half the frame's.
bool frameColoured(const RGBA& c) { return c.b >= 112 && c.r < 100; }

TEST_F(NodePixels, SpriteHitsAreExactlyWhereTheFrameIsDrawn) {
    const SpriteCase cases[] = {
        {"pivot and trim", {6, 4}, 0, 0, {100, 100}, false, false, 0, 1},
        {"flips, turned and scaled", {0, 0}, 0, 0, {100, 100}, true, true, 30, 2},
        {"stretched, mirrored and turned back", {3, 2}, 1, 1, {60, 40}, true, false, -20, 1},
        {"cropped and scaled", {4, 0}, 3, 3, {15, 10}, false, false, 0, 3},
        {"stretched one way, cropped the other, turned",
         {-3, -2},
         1,
         3,
         {30, 12},
         false,
         true,
         45,
         1.5f},
    };
    for (const SpriteCase& c : cases) {
        SCOPED_TRACE(c.label);
        CRefPtr<SpriteNode> sprite = makeRef<SpriteNode>(CCreationContext(content->manager, ""));
        sprite->setAtlasTexture(content->frame(atlas::HoledTrimmed));
        sprite->setBounds(c.bounds.X, c.bounds.Y);
        sprite->setImagePivotPoint(c.pivot);
        sprite->setFlipX(c.flipX);
        sprite->setFlipY(c.flipY);
        sprite->setImageStretchX(c.stretchX);
        sprite->setImageStretchY(c.stretchY);
        sprite->setPosition(vector3df(160, 120, 0));
        sprite->setRotation(vector3df(0, 0, c.rotation));
        sprite->setScale(vector3df(c.scale, c.scale, 1));
        scene->addChild(sprite.get());
        draw();

        // Over the quad's area and a margin: a hit exactly where the frame's colour shows,
        // but for pixels whose hit changes within one pixel.
        rectf area(sprite->getQuad().Corners[0].Pos.X, sprite->getQuad().Corners[0].Pos.Y,
                   sprite->getQuad().Corners[0].Pos.X, sprite->getQuad().Corners[0].Pos.Y);
        for (const S2DVertex& v : sprite->getQuad().Corners)
            area.addInternalPoint(v.Pos.X, v.Pos.Y);
        const s32 x0 = static_cast<s32>(std::floor(area.UpperLeftCorner.X)) - 3;
        const s32 y0 = static_cast<s32>(std::floor(area.UpperLeftCorner.Y)) - 3;
        const s32 x1 = static_cast<s32>(std::ceil(area.LowerRightCorner.X)) + 3;
        const s32 y1 = static_cast<s32>(std::ceil(area.LowerRightCorner.Y)) + 3;
        auto hit = [&](s32 x, s32 y) { return sprite->hitTest(vector2df(x + 0.5f, y + 0.5f)); };
        u32 hits = 0, misses = 0, compared = 0;
        for (s32 y = y0; y < y1; ++y) {
            for (s32 x = x0; x < x1; ++x) {
                const bool h = hit(x, y);
                bool edge = false;
                for (s32 dy = -1; dy <= 1 && !edge; ++dy)
                    for (s32 dx = -1; dx <= 1 && !edge; ++dx) edge = hit(x + dx, y + dy) != h;
                if (edge) continue;
                ++compared;
                (h ? hits : misses) += 1;
                ASSERT_EQ(frameColoured(at(x, y)), h) << x << "," << y << " shows " << at(x, y);
            }
        }
        EXPECT_GT(hits, 20u);
        EXPECT_GT(misses, 20u);
        scene->removeChild(sprite.get());
    }
}

// ---- Nine-grid sprites ----

TEST_F(NodePixels, NineGridCornersKeepTheirSizeEdgesAndCentreStretch) {
    const vector2df sizes[] = {{100, 40}, {40, 100}, {300, 200}};
    for (const vector2df& size : sizes) {
        SCOPED_TRACE(std::to_string(size.X) + " x " + std::to_string(size.Y));
        CRefPtr<NineGridSpriteNode> grid =
            makeRef<NineGridSpriteNode>(CCreationContext(content->manager, ""));
        grid->setAtlasTexture(content->frame(atlas::Grid));
        grid->setBounds(size.X, size.Y);
        grid->setPosition(vector3df(10, 20, 0));
        scene->addChild(grid.get());
        draw();
        const s32 w = static_cast<s32>(size.X), h = static_cast<s32>(size.Y);
        // Sample points of each cell, away from the cells' borders (filtering mixes the texels
        // next to a border): corners 10 pixels wide, stretched parts between them.
        const s32 mx = (w - 20) / 4, my = (h - 20) / 4;
        const s32 xs[3][2] = {{2, 8}, {10 + mx, w - 10 - mx}, {w - 8, w - 2}};
        const s32 ys[3][2] = {{2, 8}, {10 + my, h - 10 - my}, {h - 8, h - 2}};
        for (s32 row = 0; row < 3; ++row) {
            for (s32 column = 0; column < 3; ++column) {
                const SColor expected(atlas::GridColors[row * 3 + column]);
                for (s32 px : xs[column])
                    for (s32 py : ys[row])
                        EXPECT_TRUE(near(at(10 + px, 20 + py), static_cast<int>(expected.getRed()),
                                         static_cast<int>(expected.getGreen()),
                                         static_cast<int>(expected.getBlue()), 8))
                            << "cell " << row * 3 + column << " at " << px << "," << py;
            }
        }
        EXPECT_TRUE(dark(10 + w + 1, 20 + h / 2));
        scene->removeChild(grid.get());
    }

    // Deltas of 0: one image stretched over the node.
    CRefPtr<NineGridSpriteNode> grid =
        makeRef<NineGridSpriteNode>(CCreationContext(content->manager, ""));
    grid->setAtlasTexture(content->frame(atlas::Grid));
    grid->setTopLeftDelta(vector2df(0, 0));
    grid->setBottomRightDelta(vector2df(0, 0));
    grid->setBounds(150, 90);
    scene->addChild(grid.get());
    draw();
    for (s32 cell = 0; cell < 9; ++cell) {
        const SColor expected(atlas::GridColors[cell]);
        const s32 x = (cell % 3) * 50 + 25, y = (cell / 3) * 30 + 15;
        EXPECT_TRUE(near(at(x, y), static_cast<int>(expected.getRed()),
                         static_cast<int>(expected.getGreen()),
                         static_cast<int>(expected.getBlue()), 8))
            << "cell " << cell;
    }
}

}  // namespace
