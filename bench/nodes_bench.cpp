// The drawing nodes' cost over the quad batcher: 1,000 sprites and 100 texts of forty glyphs
// drawn through the scene manager (draw list, sorting, each node's drawing), against the same
// quads fed straight to the batcher. The driver keeps its textures in main memory and draws
// nothing, so both measure the work on the processor side.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/content/CContentManager.h"
#include "engine/device/ContentProcessors.h"
#include "engine/image/CImage.h"
#include "engine/image/CImageManager.h"
#include "engine/io/CFileSystem.h"
#include "engine/nodes/EngineNodes.h"
#include "engine/nodes/SpriteNode.h"
#include "engine/nodes/TextNode.h"
#include "engine/properties/CPropertyTypeRegistry.h"
#include "engine/scene/CNodeFactory.h"
#include "engine/scene/SceneManager.h"
#include "engine/video/CMemoryTextureDriver.h"
#include "engine/video/CQuadBatcher.h"
#include "engine/video/render2d/CFont.h"
#include "engine/video/render2d/RenderPropertyTypes.h"

using namespace oskel;
namespace fs = std::filesystem;

namespace {

constexpr u32 kSprites = 1000;
constexpr u32 kTexts = 100;
constexpr u32 kGlyphsPerText = 40;
constexpr s32 kPage = 128;
constexpr s32 kGlyphWidth = 6, kGlyphHeight = 10;

// A page of 26 glyph blocks and a 16 x 16 frame, its atlas collection and a font over it.
void writeContent(const fs::path& dir) {
    CRefPtr<CImage> page =
        makeRef<CImage>(CCreationContext(), ECF_A8R8G8B8, dimension2di(kPage, kPage));
    page->fill(0x00000000u);
    for (s32 y = 0; y < kPage; ++y)
        for (s32 x = 0; x < kPage; ++x)
            if ((y >= 64 && y < 80 && x >= 64 && x < 80) ||
                (y < 48 && (x % 8) < kGlyphWidth && (y % 12) < kGlyphHeight))
                page->setPixel(x, y, 0xffffffffu);
    CRefPtr<CFileSystem> files = CRefPtr<CFileSystem>::fromRaw(new CFileSystemLinux());
    CRefPtr<IWritableFile> png = CRefPtr<IWritableFile>::fromRaw(
        files->createAndWriteFile(stringc((dir / "Page.png").string().c_str())));
    if (png) static_cast<void>(getImageManager().writeImage(page.get(), png.get()));
    png = nullptr;

    std::ofstream(dir / "Atlas.xml")
        << "<?xml version=\"1.0\"?>\n<AtlasTextureCollection>\n<a f=\"Page.png\"/>\n"
        << "<t n=\"Frame.png\" i=\"0\" r=\"64,64,80,80\" b=\"0,0\" a=\"0,0\"/>\n"
        << "<t n=\"Glyphs.png\" i=\"0\" r=\"0,0,128,48\" b=\"0,0\" a=\"0,0\"/>\n"
        << "</AtlasTextureCollection>\n";
    std::ostringstream font;
    font << "<?xml version=\"1.0\"?>\n<Font Type=\"Bitmap\">\n<Texture Filename=\"Glyphs.png\"/>\n";
    font << "<c c=\" \" r=\"0,0,0,0\" b=\"0,0\" a=\"4,0\" i=\"0\"/>\n";
    for (int i = 0; i < 26; ++i) {
        const int x = (i % 16) * 8, y = (i / 16) * 12;
        font << "<c c=\"" << static_cast<char>('a' + i) << "\" r=\"" << x << "," << y << ","
             << x + kGlyphWidth << "," << y + kGlyphHeight << "\" b=\"1,2\" a=\"1,2\" i=\"0\"/>\n";
    }
    font << "</Font>\n";
    std::ofstream(dir / "Block.ofnt") << font.str();
}

struct NodeScene {
    NodeScene() {
        registerRenderPropertyTypes(CPropertyTypeRegistry::instance());
        registerEngineNodes(CNodeFactory::instance());
        dir = fs::temp_directory_path() / ("oskel-nodes-bench-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        writeContent(dir);
        files = CRefPtr<CFileSystem>::fromRaw(new CFileSystemLinux());
        static_cast<void>(files->addArchive(stringc(dir.string().c_str()), false, false));
        driver =
            CRefPtr<IVideoDriver>::fromRaw(createMemoryTextureDriver(SDeviceParameters(), nullptr));
        processors = CRefPtr<CContentProcessorsManager>::fromRaw(
            createContentProcessors(driver.get(), nullptr, files.get()));
        content = makeRef<CContentManager>(files.get(), processors.get());
        atlas = CRefPtr<CResource>::fromRaw(
            content->getContentByPath(TypeCodeAtlasCollection, "Atlas.xml", true));
        font = CRefPtr<CResource>::fromRaw(
            content->getContentByPath(TypeCodeFont, "Block.ofnt", true));
        auto* frame = dynamic_cast<CAtlasTexture*>(content->findContent(
            TypeCodeAtlasTexture, CCreationContext(content.get(), "Frame.png")));

        manager = makeRef<SceneManager>(CCreationContext());
        manager->setSortEnabled(true);
        scene = makeRef<SceneNode>(CCreationContext());
        scene->setBounds(1024, 768);
        for (u32 i = 0; i < kSprites; ++i) {
            CRefPtr<SpriteNode> sprite = makeRef<SpriteNode>(CCreationContext());
            sprite->setAtlasTexture(frame);
            sprite->setPosition(vector3df(static_cast<f32>((i * 37) % 1000),
                                          static_cast<f32>((i * 53) % 740), 0.0f));
            scene->addChild(sprite.get());
            sprites.push_back(sprite);
        }
        std::wstring line;
        for (u32 k = 0; k < kGlyphsPerText; ++k) line += static_cast<wchar_t>(L'a' + (k * 7) % 26);
        for (u32 i = 0; i < kTexts; ++i) {
            CRefPtr<TextNode> text = makeRef<TextNode>(CCreationContext());
            text->setBounds(400, 20);
            text->setFont(dynamic_cast<CFont*>(font.get()));
            text->setText(line.c_str());
            text->setPosition(vector3df(static_cast<f32>((i * 71) % 600),
                                        static_cast<f32>((i * 29) % 740), 1.0f));
            scene->addChild(text.get());
            texts.push_back(text);
        }
        static_cast<void>(manager->setScene(scene.get()));
        // One frame lays out and places everything.
        manager->render(driver.get());
    }
    ~NodeScene() {
        texts.clear();
        sprites.clear();
        scene = nullptr;
        manager = nullptr;
        font = nullptr;
        atlas = nullptr;
        content = nullptr;
        processors = nullptr;
        driver = nullptr;
        files = nullptr;
        fs::remove_all(dir);
    }

    fs::path dir;
    CRefPtr<CFileSystem> files;
    CRefPtr<IVideoDriver> driver;
    CRefPtr<CContentProcessorsManager> processors;
    CRefPtr<CContentManager> content;
    CRefPtr<CResource> atlas;
    CRefPtr<CResource> font;
    CRefPtr<SceneManager> manager;
    CRefPtr<SceneNode> scene;
    std::vector<CRefPtr<SpriteNode>> sprites;
    std::vector<CRefPtr<TextNode>> texts;
};

NodeScene& nodeScene() {
    static NodeScene scene;
    return scene;
}

int64_t quadCount() { return kSprites + static_cast<int64_t>(kTexts) * kGlyphsPerText; }

void BM_NodesThroughTheSceneManager(benchmark::State& state) {
    NodeScene& s = nodeScene();
    for (auto _ : state) s.manager->render(s.driver.get());
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * quadCount());
}
BENCHMARK(BM_NodesThroughTheSceneManager)->Unit(benchmark::kMicrosecond);

void BM_SameQuadsStraightToTheBatcher(benchmark::State& state) {
    NodeScene& s = nodeScene();
    CQuadBatcher* batcher = s.driver->getQuadBatcher();
    std::vector<SQuad> spriteQuads;
    for (const CRefPtr<SpriteNode>& sprite : s.sprites) spriteQuads.push_back(sprite->getQuad());
    for (auto _ : state) {
        batcher->reset();
        for (const SQuad& quad : spriteQuads) batcher->addQuad(&quad);
        batcher->flush();
        // Texts draw at their own transform, one batch each.
        for (const CRefPtr<TextNode>& text : s.texts) {
            s.driver->setTransform(ETS_WORLD, text->getAbsoluteTransform());
            for (const SQuad& quad : text->getGlyphQuads()) batcher->addQuad(&quad);
            batcher->flush();
        }
        s.driver->setTransform(ETS_WORLD, matrix4());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * quadCount());
}
BENCHMARK(BM_SameQuadsStraightToTheBatcher)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
