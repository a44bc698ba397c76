// The cue names, the cue helper, the installed game services and the logos queue.

#include <cstring>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "engine/audio/CSoundGroupManager.h"
#include "game/config/ComicsConfiguration.h"
#include "game/config/GExternalHooks.h"
#include "game/config/GLogosConfiguration.h"
#include "game/config/GSoundCueIds.h"
#include "game/config/IGameServices.h"
#include "game/config/LevelScores.h"
#include "game/config/UpgradesConfiguration.h"
#include "tests/io/XmlTestUtils.h"

using namespace oskel;
using namespace brasquel;

namespace {

// A sound that plays whenever asked.
class PlayingSound : public ISound {
public:
    PlayingSound() : ISound(CCreationContext()) {}
    PlayingSound* clone() const override { return new PlayingSound(); }
    s32 getState() override { return m_state; }
    bool play() override {
        m_state = SoundPlaying;
        return true;
    }
    void stop() override { m_state = SoundStopped; }
    void setPaused(bool) override {}
    f32 getVolume() const override { return 1.0f; }
    void setVolume(f32) override {}
    bool isLooping() const override { return false; }
    void setLooping(bool) override {}
    void setPosition(const vector3df& p) override { m_position = p; }
    const vector3df& getPosition() const override { return m_position; }
    u32 getPlayPosition() override { return 0; }

private:
    s32 m_state = SoundStopped;
    vector3df m_position;
};

// Services of a test: the tables it makes, a sound group manager of its own.
class FakeServices : public IGameServices {
public:
    ComicsConfiguration* getComicsConfiguration() const override { return comics.get(); }
    UpgradesConfiguration* getUpgradesConfiguration() const override { return upgrades.get(); }
    LevelScores* getLevelScores() const override { return scores.get(); }
    GExternalHooks* getExternalHooks() const override { return hooks.get(); }
    GLogosConfiguration* getLogosConfiguration() const override { return logos.get(); }
    SceneManager* getSceneManager() const override { return nullptr; }
    SceneManager* getWorldSceneManager() const override { return nullptr; }
    CSoundGroupManager* getSoundGroupManager() const override { return groups.get(); }
    u32 registerNodeClasses() override { return ++registrations; }
    void releaseUnused() override {}

    CRefPtr<ComicsConfiguration> comics = makeRef<ComicsConfiguration>();
    CRefPtr<UpgradesConfiguration> upgrades = makeRef<UpgradesConfiguration>();
    CRefPtr<LevelScores> scores = makeRef<LevelScores>();
    CRefPtr<GExternalHooks> hooks = makeRef<GExternalHooks>();
    CRefPtr<GLogosConfiguration> logos = makeRef<GLogosConfiguration>();
    CRefPtr<CSoundGroupManager> groups = makeRef<CSoundGroupManager>();
    u32 registrations = 0;
};

}  // namespace

TEST(CueNames, TheFortyNamesTheComicsTextAndTheRainInDeclarationOrder) {
    const GSoundCueIds& ids = GSoundCueIds::get();
    EXPECT_EQ(&ids, &GSoundCueIds::get());  // one set
    const CNameId GSoundCueIds::*members[] = {
        &GSoundCueIds::ObjectivesWindow, &GSoundCueIds::AchievementUnlocked, &GSoundCueIds::TutorialWindow,
        &GSoundCueIds::ButtonMissed, &GSoundCueIds::ButtonClick, &GSoundCueIds::ButtonOver,
        &GSoundCueIds::ObjFound, &GSoundCueIds::HOHint, &GSoundCueIds::ComicsMusic, &GSoundCueIds::MiniGamesMusic,
        &GSoundCueIds::MenuMusic, &GSoundCueIds::MainMenuAmbient, &GSoundCueIds::MainMenuCarOut,
        &GSoundCueIds::MainMenuCarTo, &GSoundCueIds::Bus, &GSoundCueIds::Helicopter, &GSoundCueIds::Building,
        &GSoundCueIds::Upgrading, &GSoundCueIds::Destroying, &GSoundCueIds::CleaningDecoration,
        &GSoundCueIds::Sold, &GSoundCueIds::Bought, &GSoundCueIds::FeatureCommercial,
        &GSoundCueIds::FeatureFactory, &GSoundCueIds::FeatureREAgency, &GSoundCueIds::FeaturePRAgency,
        &GSoundCueIds::TimedActionEnd, &GSoundCueIds::AlmostEnd, &GSoundCueIds::TimeOver,
        &GSoundCueIds::LevelCompleted, &GSoundCueIds::Income, &GSoundCueIds::MaterialsDelivered,
        &GSoundCueIds::WorkersTrained, &GSoundCueIds::Broken, &GSoundCueIds::Dirty, &GSoundCueIds::MoneyLetter,
        &GSoundCueIds::GameCar, &GSoundCueIds::ForSale, &GSoundCueIds::BuyRequest,
        &GSoundCueIds::SoundVolumeChange, &GSoundCueIds::ComicsText, &GSoundCueIds::Rain};
    static_assert(sizeof(members) / sizeof(members[0]) == GSoundCueIds::Count, "every cue is listed");
    std::set<s32> seen;
    for (u32 i = 0; i < GSoundCueIds::Count; ++i) {
        const CNameId& id = ids.*members[i];
        EXPECT_FALSE(id.isEmpty()) << i;
        // The same text anywhere else is the same name id.
        EXPECT_EQ(id, CNameId(GSoundCueIds::names()[i])) << GSoundCueIds::names()[i];
        EXPECT_EQ(id.getName(), stringc(GSoundCueIds::names()[i]));
        seen.insert(id.getId());
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(GSoundCueIds::Count));  // no two alike
    EXPECT_STREQ(GSoundCueIds::names()[0], "ObjectivesWindow");
    EXPECT_STREQ(GSoundCueIds::names()[39], "SoundVolumeChange");
    EXPECT_STREQ(GSoundCueIds::names()[40], "ComicsText");
    EXPECT_STREQ(GSoundCueIds::names()[41], "Rain");
}

// Scenes start another instance even when the cue plays already, with the group's fade-in.
TEST(CueNames, GameCuesPlayAnotherInstanceWithTheGroupsFadeIn) {
    FakeServices services;
    IGameServices* before = IGameServices::install(&services);
    const CNameId& click = GSoundCueIds::get().ButtonClick;
    EXPECT_FALSE(playGameCue(click));  // the sound pack lacks it: nothing plays

    auto cue = makeRef<SoundCue>(click);
    cue->setGroup(0);
    auto sound = makeRef<PlayingSound>();
    cue->addSound(sound.get());
    ASSERT_TRUE(services.groups->registerCue(cue.get()));
    services.groups->getGroupSettings(0).fadeInMs = 250;
    EXPECT_TRUE(playGameCue(click));
    EXPECT_TRUE(playGameCue(services.groups.get(), click));
    ASSERT_EQ(services.groups->getPlayingCount(), 2u);
    EXPECT_EQ(services.groups->getPlaying(1)->getFadeDuration(), 250);
    EXPECT_FALSE(playGameCue(nullptr, click));

    IGameServices::install(nullptr);
    EXPECT_FALSE(playGameCue(click));  // no services: no sound groups
    IGameServices::install(before);
}

TEST(GameServices, InstallingReplacesAndReturnsTheServicesBefore) {
    FakeServices first, second;
    IGameServices* before = IGameServices::install(&first);
    EXPECT_EQ(IGameServices::get(), &first);
    EXPECT_EQ(IGameServices::install(&second), &first);
    EXPECT_EQ(IGameServices::get()->getLevelScores(), second.scores.get());
    EXPECT_EQ(IGameServices::get()->registerNodeClasses(), 1u);
    EXPECT_EQ(IGameServices::install(before), &second);
}

TEST(ExternalHooks, NotificationsDoNothingAndTheTimeAddsUp) {
    auto hooks = makeRef<GExternalHooks>();
    EXPECT_TRUE(hooks->onLoadingFinished());
    EXPECT_TRUE(hooks->onShutdown());
    hooks->onLevelCompleted("level1", "245");
    hooks->addTime(10);
    hooks->addTime(7);
    EXPECT_EQ(hooks->getTime(), 17u);
}

TEST(LogosFile, TheLogosAreTakenOutOneByOneInTheirOrder) {
    GLogosConfiguration logos;
    CRefPtr<CXmlReader> reader = test::readerOf(
        "<Logos><Logo Image=\"a.png\" Time=\"100\"/><MMLogo Image=\"m.png\"/>"
        "<Logo Image=\"b.png\" Skippable=\"true\"/></Logos>");
    ASSERT_TRUE(logos.load(reader.get()));
    GLogoEntry logo;
    ASSERT_TRUE(logos.takeFirstLogo(logo));
    EXPECT_EQ(logo.Image, stringc("a.png"));
    EXPECT_EQ(logo.Time, 100);
    ASSERT_TRUE(logos.takeFirstLogo(logo));
    EXPECT_EQ(logo.Image, stringc("b.png"));
    EXPECT_TRUE(logo.Skippable);
    EXPECT_FALSE(logos.takeFirstLogo(logo));
    EXPECT_EQ(logo.Image, stringc("b.png"));  // left as it was
    EXPECT_EQ(logos.getMMLogos().size(), 1u);  // the link logos stay
}
