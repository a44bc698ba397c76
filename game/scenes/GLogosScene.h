#pragma once

#include "game/scenes/GBaseSceneNode.h"

namespace oskel {
class SpriteNode;
}

namespace brasquel {

// The first scene: sets the window's caption, then shows the logos of the start-up one after the
// other, cross-fading between two sprites ("Scene/Logo1" shows the previous logo, "Scene/Logo2"
// the current one), each for its time; a left click ends a skippable logo. After the last logo
// has faded out the preloader follows.
class GLogosScene : public GBaseSceneNode {
public:
    static constexpr const char* DictionaryFile = "strings/Dictionary.xml";
    static constexpr const char* TitleKey = "TitleName";
    static constexpr const wchar_t* DefaultTitle = L"Brasquel";
    static constexpr const char* NextSceneFile = "scenes/IntroScene.oscn";
    // How long the last logo fades out before the preloader follows.
    static constexpr oskel::s32 FadeOutTime = 1000;

    GLogosScene(const oskel::CCreationContext& context, oskel::BaseNode* parent = nullptr,
                oskel::SceneManager* manager = nullptr);

    oskel::BaseNode* clone(oskel::BaseNode* parent, oskel::SceneManager* manager) const override;
    const oskel::stringw& getClassName() const override;
    const oskel::stringw& getThisClassName() const override;
    oskel::s32 getTypeId() const override;
    bool isKindOf(oskel::s32 typeId) const override;
    void onLoaded() override;

    bool onSceneChangeStarted(oskel::CEvent* event) override;
    bool onSceneChangeFinished(oskel::CEvent* event) override;
    bool onUpdate(oskel::u32 periodMs) override;
    // A left press goes to skipLogo and no further: the scene's children never see it.
    bool routeToChildren(oskel::u32 mode, oskel::CEvent* event) override;

    // Ends a skippable logo at the next update; true in every case.
    virtual bool skipLogo(oskel::CEvent* event);

    bool isSkippable() const { return m_skippable; }
    oskel::s32 getRemainingTime() const { return m_remainingTime; }
    bool isFinished() const { return m_finished; }
    oskel::SpriteNode* getPreviousLogoSprite() const { return m_previousLogo; }
    oskel::SpriteNode* getCurrentLogoSprite() const { return m_currentLogo; }

private:
    void showNextLogo();
    bool logosLeft() const;

    bool m_skippable = false;
    oskel::s32 m_remainingTime = 0;
    oskel::SpriteNode* m_previousLogo = nullptr;
    oskel::SpriteNode* m_currentLogo = nullptr;
    bool m_finished = false;
    bool m_switchFailureLogged = false;
};

}  // namespace brasquel
