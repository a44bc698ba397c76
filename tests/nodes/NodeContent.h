#pragma once

// The test content of the node tests, written by code: a block font, an atlas collection of a
// few frames and a sound pack with one WAV cue; a scene host whose schedulers the tests step;
// and a fixture that loads the content through a content manager over a video driver.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/audio/CSoundGroupManager.h"
#include "engine/audio/ISound.h"
#include "engine/audio/SoundCue.h"
#include "engine/content/CContentManager.h"
#include "engine/core/CTimerScheduler.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CTextDictionary.h"
#include "engine/scene/ISceneHost.h"
#include "engine/scene/SceneManager.h"
#include "engine/scene/TemplateCollectionNode.h"
#include "engine/video/IVideoDriver.h"
#include "engine/video/render2d/CAtlasTexture.h"
#include "engine/video/render2d/CFont.h"

namespace oskel::test {

// ---- The block font ----
// Every glyph is a solid white block GlyphHeight high and glyphWidth(c) wide, with GlyphOffsetX
// before it, GlyphSpacing after it and GlyphOffsetY above it; OriginalSize 14 = line height.
namespace blockfont {
constexpr const char* FontFile = "fonts/Block.ofnt";
constexpr f32 OriginalSize = 14.0f;
constexpr f32 GlyphHeight = 10.0f;
constexpr f32 GlyphOffsetX = 1.0f;
constexpr f32 GlyphOffsetY = 2.0f;
constexpr f32 GlyphSpacing = 1.0f;
constexpr f32 GlyphBelow = 2.0f;
constexpr f32 LineHeight = GlyphOffsetY + GlyphHeight + GlyphBelow;
// The space draws nothing and advances this far.
constexpr f32 SpaceAdvance = 4.0f;
// The pair "AV" moves the V this far (pixels, added to the A's advance).
constexpr wchar_t KernFirst = L'A';
constexpr wchar_t KernSecond = L'V';
constexpr s32 KernOffset = -3;
// A glyph that lies on the font's second page, whose file is missing.
constexpr wchar_t MissingPageChar = L'~';
// Latin-1 letters the font has besides ASCII.
constexpr const wchar_t* Latin1Letters = L"\u00e9\u00dc\u00df\u00f1";

// The glyph's block width: 3 to 7 pixels.
inline f32 glyphWidth(wchar_t c) { return static_cast<f32>(3 + static_cast<u32>(c) % 5); }
// Pen advance without pair kerning and global kerning (the space: SpaceAdvance).
inline f32 advance(wchar_t c) {
    return c == L' ' ? SpaceAdvance : GlyphOffsetX + glyphWidth(c) + GlyphSpacing;
}
// The characters the font holds, in file order.
std::wstring characters();
// Where the character's block lies on the font page (end excluded); false for one the font
// lacks.
bool pagePlace(wchar_t c, s32& x0, s32& y0, s32& x1, s32& y1);
}  // namespace blockfont

// ---- The atlas collection ----
// One page (NodeAtlas.png, 256 x 128) holding the frames and, in its lower half, the font's
// glyph page as a region.
namespace atlas {
constexpr const char* CollectionFile = "atlases/NodeAtlas.xml";
constexpr s32 PageWidth = 256;
constexpr s32 PageHeight = 128;
// An opaque 16 x 16 frame.
constexpr const char* Opaque = "nodes/Opaque.png";
constexpr u32 OpaqueColor = 0xffe03020u;
// A 24 x 16 frame with a transparent hole and a band of alpha 20 along its bottom.
constexpr const char* Holed = "nodes/Holed.png";
constexpr u32 HoledColor = 0xff2050e0u;
constexpr s32 HoledWidth = 24, HoledHeight = 16;
constexpr s32 HoleX0 = 4, HoleY0 = 3, HoleX1 = 10, HoleY1 = 8;  // the hole, end excluded
constexpr s32 BandY0 = 13;                                      // rows 13 to 15: alpha 20
constexpr u32 BandAlpha = 20;
// The same pixels cut out of a larger image: trims (2, 1) before, (3, 2) after.
constexpr const char* HoledTrimmed = "nodes/HoledTrimmed.png";
constexpr f32 HoledTrimX = 2.0f, HoledTrimY = 1.0f;
// A 12 x 10 frame cut out of a 20 x 16 image: trims (3, 2) before, (5, 4) after.
constexpr const char* Trimmed = "nodes/Trimmed.png";
constexpr u32 TrimmedColor = 0xff30c040u;
constexpr s32 TrimmedWidth = 12, TrimmedHeight = 10;
constexpr f32 TrimBeforeX = 3.0f, TrimBeforeY = 2.0f, TrimAfterX = 5.0f, TrimAfterY = 4.0f;
// A 30 x 30 frame of nine 10 x 10 cells of distinct colours (row by row).
constexpr const char* Grid = "nodes/Grid.png";
constexpr s32 GridCell = 10;
extern const u32 GridColors[9];
// An 8 x 8 white dot for particles.
constexpr const char* Dot = "nodes/Dot.png";
constexpr s32 DotSize = 8;
// The frames of the controls, each a solid block of its colour.
struct SControlFrame {
    const char* name;
    s32 x, y, width, height;
    u32 color;
};
// A button face: normal, hovered, pressed and disabled.
constexpr SControlFrame ButtonNormal{"nodes/ButtonNormal.png", 110, 2, 24, 12, 0xff3070c0u};
constexpr SControlFrame ButtonHover{"nodes/ButtonHover.png", 136, 2, 24, 12, 0xff60b0f0u};
constexpr SControlFrame ButtonPress{"nodes/ButtonPress.png", 162, 2, 24, 12, 0xff183860u};
constexpr SControlFrame ButtonDisabled{"nodes/ButtonDisabled.png", 110, 16, 24, 12, 0xff707070u};
// A check box's tick.
constexpr SControlFrame Tick{"nodes/Tick.png", 188, 2, 10, 10, 0xff20d040u};
// A slider's track and knob.
constexpr SControlFrame SliderTrack{"nodes/SliderTrack.png", 200, 2, 32, 4, 0xff909090u};
constexpr SControlFrame Knob{"nodes/Knob.png", 234, 2, 8, 12, 0xfff0e020u};
// A progress bar's fill.
constexpr SControlFrame ProgressFill{"nodes/ProgressFill.png", 136, 16, 16, 8, 0xffd04090u};
// An edit field's caret.
constexpr SControlFrame Caret{"nodes/Caret.png", 154, 16, 2, 12, 0xffff8000u};
// A panel (pages, fields, message boxes).
constexpr SControlFrame Panel{"nodes/Panel.png", 160, 16, 16, 16, 0xff405848u};
constexpr const SControlFrame* ControlFrames[] = {
    &ButtonNormal, &ButtonHover, &ButtonPress,  &ButtonDisabled, &Tick,
    &SliderTrack,  &Knob,        &ProgressFill, &Caret,          &Panel};
// Where the frames lie on the page (left, top).
constexpr s32 OpaqueX = 2, OpaqueY = 2;
constexpr s32 HoledX = 22, HoledY = 2;
constexpr s32 TrimmedX = 50, TrimmedY = 2;
constexpr s32 GridX = 66, GridY = 2;
constexpr s32 DotX = 100, DotY = 2;
// The font's page region.
constexpr const char* FontPage = "fonts/BlockPage.png";
constexpr s32 FontPageX = 0, FontPageY = 64;
}  // namespace atlas

// ---- The sound pack ----
namespace sounds {
constexpr const char* PackFile = "sounds/NodeSounds.xml";
constexpr const char* Cue = "Beep";
constexpr s32 CueGroup = 0;
}  // namespace sounds

// Writes the font, the atlas (page and collection) and the sound pack with its WAV file into
// the folder, under the names above.
void writeNodeContent(const std::filesystem::path& dir);

// A sound whose state the test sets: it plays when asked and ends when finish() is called.
// Clones (the cue instances' sounds) are recorded in the shared list.
class ScriptedSound : public ISound {
public:
    explicit ScriptedSound(std::vector<ScriptedSound*>* clones)
        : ISound(CCreationContext()), m_clones(clones) {}
    ~ScriptedSound() override;
    ISound* clone() const override;
    s32 getState() override { return m_state; }
    bool play() override {
        m_state = SoundPlaying;
        ++plays;
        return true;
    }
    void stop() override { m_state = SoundStopped; }
    void setPaused(bool paused) override { m_state = paused ? SoundPaused : SoundPlaying; }
    f32 getVolume() const override { return m_volume; }
    void setVolume(f32 volume) override { m_volume = volume; }
    bool isLooping() const override { return false; }
    void setLooping(bool) override {}
    void setPosition(const vector3df& position) override { m_position = position; }
    const vector3df& getPosition() const override { return m_position; }
    u32 getPlayPosition() override { return 0; }
    // The one-shot has played to its end.
    void finish() { m_state = SoundStopped; }

    int plays = 0;

private:
    std::vector<ScriptedSound*>* m_clones;
    s32 m_state = SoundStopped;
    f32 m_volume = 1.0f;
    vector3df m_position;
};

// The program around the scene managers of the tests: schedulers that move only when the test
// steps them, a dictionary and sound groups.
class TestSceneHost : public ISceneHost {
public:
    CTimerScheduler* createDrivenScheduler() override;
    void releaseDrivenScheduler(CTimerScheduler* scheduler) override;
    ICursorControl* getCursorControl() const override { return nullptr; }
    CTextDictionary* getTextDictionary() const override { return dictionary; }
    CSoundGroupManager* getSoundGroupManager() const override { return soundGroups; }

    // Every scheduler made and not released, by the elapsed time.
    void step(u32 elapsedMs);

    std::vector<CRefPtr<CTimerScheduler>> schedulers;
    CTextDictionary* dictionary = nullptr;
    CSoundGroupManager* soundGroups = nullptr;
};

// A content manager over a temporary folder holding the node content, with the device's
// processors over the given video driver (the memory-texture driver when none is given) and
// the node classes and value types registered; a scene manager with a stepped host.
class NodeContentFixture {
public:
    explicit NodeContentFixture(IVideoDriver* driver = nullptr);
    ~NodeContentFixture();
    NodeContentFixture(const NodeContentFixture&) = delete;
    NodeContentFixture& operator=(const NodeContentFixture&) = delete;

    CFont* font() const { return m_font; }
    // A frame of the atlas (held by the collection).
    CAtlasTexture* frame(const char* name) const;
    // Writes a text file into the content folder (UTF-8 with a byte-order mark).
    void writeText(const std::string& name, const std::string& text) const;
    // A scene shown by the scene manager (bounds 800 x 600).
    SceneNode* showScene();
    // Steps the schedulers of the shown scenes.
    void step(u32 elapsedMs, u32 times = 1);

    std::filesystem::path dir;
    CFileSystem* fileSystem = nullptr;
    IVideoDriver* driver = nullptr;
    CContentProcessorsManager* processors = nullptr;
    CContentManager* manager = nullptr;
    CRefPtr<TestSceneHost> host;
    CRefPtr<CTextDictionary> dictionary;
    CRefPtr<CSoundGroupManager> soundGroups;
    CRefPtr<SceneManager> sceneManager;
    CRefPtr<TemplateCollectionNode> templates;

private:
    bool m_ownDriver = false;
    CFont* m_font = nullptr;
    CResource* m_atlas = nullptr;
};

}  // namespace oskel::test
