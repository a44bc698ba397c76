#pragma once

#include <vector>

#include "engine/core/CRefPtr.h"
#include "game/config/GNodeClass.h"
#include "game/level/GPathMovableNode.h"
#include "game/scenes/GBaseSceneNode.h"
#include "game/scenes/IMiniGame.h"

namespace oskel {
class CXmlReader;
class SpawnerNode;
}  // namespace oskel

namespace brasquel {

class GLevelPath;
class GLevelPaths;

// Where a mini-game stands within one visit: entered, the guide's briefing shown, played.
enum class MiniGamePhase : oskel::s32 {
    None = 0,
    Intro = 1,
    Briefing = 2,
    Playing = 3,
};

// The common part of the mini-games: their configuration file, the guide's briefing ("Linet"
// and "LinetText" under "Scene" > "UI"), the phases, the time limit and expert score, and the
// end of a game, which writes the result into the active player's profile and opens the
// mini-game completed scene. Never made on its own: the node factory knows only the games.
class GMiniGameScene : public GBaseSceneNode, public IMiniGame {
public:
    static constexpr const char* ConfigurationFile = "MiniGameConfiguration.xml";
    static constexpr oskel::u32 IntroDelayMs = 300;
    // The update period of the base; every game runs at GameUpdatePeriod.
    static constexpr oskel::u32 BaseUpdatePeriod = 20;
    static constexpr oskel::u32 GameUpdatePeriod = 10;
    // The guide's text starts transparent white.
    static constexpr oskel::u32 HiddenTextColor = 0x00FFFFFFu;

    GMiniGameScene(const oskel::CCreationContext& context, oskel::BaseNode* parent = nullptr,
                   oskel::SceneManager* manager = nullptr);
    ~GMiniGameScene() override;

    // No clone of the base: only the games can be copied.
    oskel::BaseNode* clone(oskel::BaseNode* parent, oskel::SceneManager* manager) const override;
    const oskel::stringw& getClassName() const override;
    const oskel::stringw& getThisClassName() const override;
    oskel::s32 getTypeId() const override;
    bool isKindOf(oskel::s32 typeId) const override;
    void onLoaded() override;
    void copyFrom(const oskel::BaseNode* source, oskel::SceneManager* manager) override;
    // Entering the scene starts a visit: the game's music, the time from zero, the game's own
    // reset (startVisit), then the intro.
    bool onSceneChangeStarted(oskel::CEvent* event) override;
    // "MenuButton" goes back past the loading screen to the scene the game was chosen on.
    bool onNodePressed(oskel::CEvent* event) override;
    bool onUpdate(oskel::u32 periodMs) override;

    // Reads folder + "MiniGameConfiguration.xml"; false, with a log line, when it does not open
    // (the game then plays with its defaults).
    bool loadConfiguration(const oskel::stringc& folder) override;
    // Reads the elements up to the end of "MiniGame": the time limit and the expert score here,
    // every other element through readCustomConfig.
    void readConfiguration(oskel::CXmlReader* reader);
    // An element the base does not read, the reader standing on it; a game may read on to the
    // element's end.
    virtual void readCustomConfig(oskel::CXmlReader* reader);

    void setPhase(MiniGamePhase phase);
    // Records the result and opens the completed scene; once per visit of the scene.
    void finish();

    MiniGamePhase getPhase() const { return m_phase; }
    oskel::u32 getPhaseTime() const { return m_phaseTime; }
    oskel::u32 getGameTime() const { return m_gameTime; }
    oskel::s32 getScore() const { return m_score; }
    oskel::s32 getMaxLevelTime() const { return m_maxLevelTime; }
    oskel::s32 getExpertScore() const { return m_expertScore; }
    bool isFinished() const { return m_finished; }
    oskel::BaseNode* getLinet() const { return m_linet; }
    oskel::BaseNode* getLinetText() const { return m_linetText; }

protected:
    // The visit starts: the finish of the previous visit is forgotten.
    void beginVisit() { m_finished = false; }
    // The game's part of entering the scene, after the time is set to zero and before the intro.
    virtual void startVisit() {}
    // A click in the game: true while it is played; a click during the briefing starts play.
    bool takesPlayClick();
    // The game is won: it ends with the expert score.
    void finishWithExpertScore();
    void setGameTime(oskel::u32 ms) { m_gameTime = ms; }
    void addGameTime(oskel::u32 ms) { m_gameTime += ms; }
    void setScore(oskel::s32 score) { m_score = score; }

    // The burst of stars over a found item: the template "HOFoundStarNode" tuned to the item's
    // size, the spawner moved to the item's centre, emptied and switched "On".
    void playFoundEffect(const oskel::BaseNode* item, oskel::SpawnerNode* spawner) const;
    // The points of a path from its last to its first, x and y only, the given number of times
    // over (a trail walks them backwards, so from the path's first point to its last).
    static GPathMovableNode::PathPoints reversedPathPoints(const GLevelPath& path,
                                                           oskel::u32 repeats);
    // Reads the hint paths file named by the element's "Value" into the paths; false when no
    // file opens.
    bool readHintPaths(oskel::CXmlReader* reader, GLevelPaths& paths) const;
    // The node under the scene's "Scene" > name, or none.
    oskel::BaseNode* sceneChild(const char* name) const;

private:
    MiniGamePhase m_phase = MiniGamePhase::None;
    oskel::u32 m_phaseTime = 0;
    oskel::u32 m_introDelay = IntroDelayMs;
    oskel::BaseNode* m_linet = nullptr;
    oskel::BaseNode* m_linetText = nullptr;
    oskel::u32 m_gameTime = 0;
    oskel::s32 m_score = 0;
    oskel::s32 m_maxLevelTime = 0;
    oskel::s32 m_expertScore = 0;
    bool m_finished = false;
};

// The node as a mini-game, or none.
GMiniGameScene* asMiniGameScene(oskel::BaseNode* node);

}  // namespace brasquel
