#include "tests/nodes/NodeContent.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "engine/audio/AudioPropertyTypes.h"
#include "engine/device/ContentProcessors.h"
#include "engine/image/CImage.h"
#include "engine/image/CImageManager.h"
#include "engine/nodes/EngineNodes.h"
#include "engine/properties/CPropertyTypeRegistry.h"
#include "engine/scene/CNodeFactory.h"
#include "engine/scene/SceneNode.h"
#include "engine/video/CMemoryTextureDriver.h"
#include "engine/video/render2d/RenderPropertyTypes.h"
#include "tests/audio/AudioTestSupport.h"

namespace oskel::test {

const u32 atlas::GridColors[9] = {0xffff0000u, 0xff00ff00u, 0xff0000ffu, 0xffffff00u, 0xffff00ffu,
                                  0xff00ffffu, 0xff800000u, 0xff008000u, 0xff000080u};

namespace {

// Glyph rows on the font page: blocks with gutters of two pixels.
constexpr s32 GlyphGutter = 2;
constexpr s32 GlyphRowHeight = 14;
constexpr s32 FontPageWidth = atlas::PageWidth;

struct SGlyphPlace {
    wchar_t c;
    s32 x0, y0, x1, y1;
};

// Where each glyph's block lies on the font page.
std::vector<SGlyphPlace> glyphPlaces() {
    std::vector<SGlyphPlace> places;
    s32 x = GlyphGutter, y = GlyphGutter;
    for (wchar_t c : blockfont::characters()) {
        if (c == L' ') {
            places.push_back({c, 0, 0, 0, 0});
            continue;
        }
        const s32 w = static_cast<s32>(blockfont::glyphWidth(c));
        if (x + w + GlyphGutter > FontPageWidth) {
            x = GlyphGutter;
            y += GlyphRowHeight;
        }
        places.push_back({c, x, y, x + w, y + static_cast<s32>(blockfont::GlyphHeight)});
        x += w + GlyphGutter;
    }
    return places;
}

std::string utf8(wchar_t c) {
    std::string out;
    const u32 v = static_cast<u32>(c);
    if (v < 0x80) {
        out += static_cast<char>(v);
    } else {
        out += static_cast<char>(0xc0 | (v >> 6));
        out += static_cast<char>(0x80 | (v & 0x3f));
    }
    return out;
}

std::string xmlChar(wchar_t c) {
    switch (c) {
        case L'<':
            return "&lt;";
        case L'>':
            return "&gt;";
        case L'&':
            return "&amp;";
        case L'"':
            return "&quot;";
        case L'\'':
            return "&apos;";
        default:
            return utf8(c);
    }
}

void writeFile(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << "\xef\xbb\xbf" << text;
}

void fillRect(CImage* image, s32 x0, s32 y0, s32 x1, s32 y1, u32 color) {
    for (s32 y = y0; y < y1; ++y)
        for (s32 x = x0; x < x1; ++x)
            image->setPixel(static_cast<u32>(x), static_cast<u32>(y), color);
}

void writePng(CImage* image, const std::filesystem::path& file) {
    std::filesystem::create_directories(file.parent_path());
    CFileSystem* files = new CFileSystemLinux();
    IWritableFile* out = files->createAndWriteFile(stringc(file.string().c_str()));
    EXPECT_NE(out, nullptr) << file;
    if (out) {
        EXPECT_TRUE(getImageManager().writeImage(image, out));
        out->drop();
    }
    files->drop();
}

std::string region(const char* name, s32 x, s32 y, s32 w, s32 h, f32 bx = 0, f32 by = 0, f32 ax = 0,
                   f32 ay = 0) {
    std::ostringstream s;
    s << "\t<t n=\"" << name << "\" i=\"0\" r=\"" << x << "," << y << "," << x + w << "," << y + h
      << "\" b=\"" << bx << "," << by << "\" a=\"" << ax << "," << ay << "\" />\n";
    return s.str();
}

}  // namespace

std::wstring blockfont::characters() {
    std::wstring chars;
    for (wchar_t c = 32; c < 127; ++c) chars += c;
    chars += Latin1Letters;
    return chars;
}

bool blockfont::pagePlace(wchar_t c, s32& x0, s32& y0, s32& x1, s32& y1) {
    for (const SGlyphPlace& g : glyphPlaces()) {
        if (g.c != c) continue;
        x0 = g.x0;
        y0 = g.y0;
        x1 = g.x1;
        y1 = g.y1;
        return true;
    }
    return false;
}

void writeNodeContent(const std::filesystem::path& dir) {
    using namespace atlas;
    // The page: frames above, glyph blocks below.
    CImage* page =
        new CImage(CCreationContext(), ECF_A8R8G8B8, dimension2di(PageWidth, PageHeight));
    page->fill(0x00000000u);
    fillRect(page, OpaqueX, OpaqueY, OpaqueX + 16, OpaqueY + 16, OpaqueColor);
    fillRect(page, HoledX, HoledY, HoledX + HoledWidth, HoledY + HoledHeight, HoledColor);
    fillRect(page, HoledX + HoleX0, HoledY + HoleY0, HoledX + HoleX1, HoledY + HoleY1, 0x00000000u);
    fillRect(page, HoledX, HoledY + BandY0, HoledX + HoledWidth, HoledY + HoledHeight,
             (BandAlpha << 24) | (HoledColor & 0x00ffffffu));
    fillRect(page, TrimmedX, TrimmedY, TrimmedX + TrimmedWidth, TrimmedY + TrimmedHeight,
             TrimmedColor);
    for (s32 cell = 0; cell < 9; ++cell) {
        const s32 x = GridX + (cell % 3) * GridCell, y = GridY + (cell / 3) * GridCell;
        fillRect(page, x, y, x + GridCell, y + GridCell, GridColors[cell]);
    }
    fillRect(page, DotX, DotY, DotX + DotSize, DotY + DotSize, 0xffffffffu);
    for (const SControlFrame* f : ControlFrames)
        fillRect(page, f->x, f->y, f->x + f->width, f->y + f->height, f->color);
    for (const SGlyphPlace& g : glyphPlaces())
        fillRect(page, FontPageX + g.x0, FontPageY + g.y0, FontPageX + g.x1, FontPageY + g.y1,
                 0xffffffffu);
    writePng(page, dir / "atlases" / "NodeAtlas.png");
    page->drop();

    std::string collection =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<AtlasTextureCollection>\n";
    collection += "\t<a f=\"NodeAtlas.png\" />\n";
    collection += region(Opaque, OpaqueX, OpaqueY, 16, 16);
    collection += region(Holed, HoledX, HoledY, HoledWidth, HoledHeight);
    collection +=
        region(HoledTrimmed, HoledX, HoledY, HoledWidth, HoledHeight, HoledTrimX, HoledTrimY, 3, 2);
    collection += region(Trimmed, TrimmedX, TrimmedY, TrimmedWidth, TrimmedHeight, TrimBeforeX,
                         TrimBeforeY, TrimAfterX, TrimAfterY);
    collection += region(Grid, GridX, GridY, 3 * GridCell, 3 * GridCell);
    collection += region(Dot, DotX, DotY, DotSize, DotSize);
    for (const SControlFrame* f : ControlFrames)
        collection += region(f->name, f->x, f->y, f->width, f->height);
    collection += region(FontPage, FontPageX, FontPageY, PageWidth, PageHeight - FontPageY);
    collection += "</AtlasTextureCollection>\n";
    writeFile(dir / CollectionFile, collection);

    // The font: its first page is the atlas region, its second a file that does not exist.
    std::ostringstream font;
    font << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Font Type=\"Bitmap\">\n";
    font << "\t<Properties>\n\t\t<float Name=\"OriginalSize\" Value=\"" << blockfont::OriginalSize
         << "\" />\n\t</Properties>\n";
    font
        << "\t<Texture Filename=\"BlockPage.png\" />\n\t<Texture Filename=\"MissingPage.png\" />\n";
    for (const SGlyphPlace& g : glyphPlaces()) {
        const bool space = g.c == L' ';
        const bool missing = g.c == blockfont::MissingPageChar;
        font << "\t<c c=\"" << xmlChar(g.c) << "\" r=\"" << g.x0 << "," << g.y0 << "," << g.x1
             << "," << g.y1 << "\" b=\"" << (space ? 0.0f : blockfont::GlyphOffsetX) << ","
             << (space ? 0.0f : blockfont::GlyphOffsetY) << "\" a=\""
             << (space ? blockfont::SpaceAdvance : blockfont::GlyphSpacing) << ","
             << (space ? 0.0f : blockfont::GlyphBelow) << "\" i=\"" << (missing ? 1 : 0)
             << "\" />\n";
    }
    font << "\t<k c=\"" << xmlChar(blockfont::KernFirst) << xmlChar(blockfont::KernSecond)
         << "\" k=\"" << blockfont::KernOffset << "\" />\n";
    font << "</Font>\n";
    writeFile(dir / blockfont::FontFile, font.str());

    // The sound pack: one cue of a short WAV tone.
    const Bytes wav = makeWav16(makeTones(2205, 22050, {440.0}), 1, 22050);
    std::filesystem::create_directories(dir / "sounds");
    std::ofstream(dir / "sounds" / "beep.wav", std::ios::binary)
        .write(reinterpret_cast<const char*>(wav.data()), static_cast<std::streamsize>(wav.size()));
    writeFile(dir / sounds::PackFile,
              std::string(
                  "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<SoundPack>\n\t<SoundCue Name=\"") +
                  sounds::Cue +
                  "\" GroupID=\"0\" Vol=\"1.0\">\n\t\t<Sound Filename=\"beep.wav\" "
                  "/>\n\t</SoundCue>\n</SoundPack>\n");
}

// ---- Scripted sounds ----

ScriptedSound::~ScriptedSound() {
    if (m_clones)
        m_clones->erase(std::remove(m_clones->begin(), m_clones->end(), this), m_clones->end());
}

ISound* ScriptedSound::clone() const {
    auto* copy = new ScriptedSound(m_clones);
    copy->m_volume = m_volume;
    if (m_clones) m_clones->push_back(copy);
    return copy;
}

// ---- The host ----

CTimerScheduler* TestSceneHost::createDrivenScheduler() {
    auto* scheduler = new CTimerScheduler();
    schedulers.emplace_back(scheduler);
    return scheduler;
}

void TestSceneHost::releaseDrivenScheduler(CTimerScheduler* scheduler) {
    schedulers.erase(std::remove_if(schedulers.begin(), schedulers.end(),
                                    [scheduler](const CRefPtr<CTimerScheduler>& s) {
                                        return s.get() == scheduler;
                                    }),
                     schedulers.end());
}

void TestSceneHost::step(u32 elapsedMs) {
    std::vector<CRefPtr<CTimerScheduler>> current = schedulers;
    for (const CRefPtr<CTimerScheduler>& scheduler : current)
        if (scheduler->isEnabled()) scheduler->update(elapsedMs);
}

// ---- The fixture ----

NodeContentFixture::NodeContentFixture(IVideoDriver* videoDriver) {
    registerRenderPropertyTypes(CPropertyTypeRegistry::instance());
    registerAudioPropertyTypes(CPropertyTypeRegistry::instance());
    registerEngineNodes(CNodeFactory::instance());

    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "-" + info->name() : "content";
    std::replace(name.begin(), name.end(), '/', '_');
    dir = std::filesystem::temp_directory_path() /
          ("oskel-nodes-" + std::to_string(::getpid()) + "-" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    writeNodeContent(dir);

    fileSystem = new CFileSystemLinux();
    static_cast<void>(fileSystem->addArchive(stringc(dir.string().c_str()), false, false));
    driver = videoDriver;
    if (!driver) {
        driver = createMemoryTextureDriver(SDeviceParameters(), nullptr);
        m_ownDriver = true;
    }
    // As the game makes its textures: without mipmaps.
    driver->setTextureCreationFlag(ETCF_CREATE_MIP_MAPS, false);
    processors = createContentProcessors(driver, nullptr, fileSystem);
    manager = new CContentManager(fileSystem, processors);

    m_atlas = manager->getContentByPath(TypeCodeAtlasCollection, atlas::CollectionFile, true);
    EXPECT_NE(m_atlas, nullptr);
    CResource* font = manager->getContentByPath(TypeCodeFont, blockfont::FontFile, true);
    m_font = dynamic_cast<CFont*>(font);
    if (font && !m_font) font->drop();
    EXPECT_NE(m_font, nullptr);

    host = makeRef<TestSceneHost>();
    dictionary = makeRef<CTextDictionary>(fileSystem);
    soundGroups = makeRef<CSoundGroupManager>();
    host->dictionary = dictionary.get();
    host->soundGroups = soundGroups.get();
    sceneManager = makeRef<SceneManager>(CCreationContext(manager, ""));
    sceneManager->setHost(host.get());
    templates = makeRef<TemplateCollectionNode>(CCreationContext(manager, ""));
    sceneManager->setTemplateCollection(templates.get());
}

NodeContentFixture::~NodeContentFixture() {
    sceneManager = nullptr;
    templates = nullptr;
    if (m_font) m_font->drop();
    if (m_atlas) m_atlas->drop();
    manager->drop();
    processors->drop();
    if (m_ownDriver) driver->drop();
    host = nullptr;
    soundGroups = nullptr;
    dictionary = nullptr;
    fileSystem->drop();
    std::filesystem::remove_all(dir);
}

CAtlasTexture* NodeContentFixture::frame(const char* name) const {
    return dynamic_cast<CAtlasTexture*>(
        manager->findContent(TypeCodeAtlasTexture, CCreationContext(manager, name)));
}

void NodeContentFixture::writeText(const std::string& name, const std::string& text) const {
    writeFile(dir / name, text);
}

SceneNode* NodeContentFixture::showScene() {
    CRefPtr<SceneNode> scene = makeRef<SceneNode>(CCreationContext(manager, ""));
    scene->setBounds(800.0f, 600.0f);
    EXPECT_TRUE(sceneManager->setScene(scene.get()));
    return scene.get();
}

void NodeContentFixture::step(u32 elapsedMs, u32 times) {
    for (u32 i = 0; i < times; ++i) host->step(elapsedMs);
}

}  // namespace oskel::test
