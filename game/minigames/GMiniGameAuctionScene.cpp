#include "game/minigames/GMiniGameAuctionScene.h"

#include "engine/content/IContentManager.h"
#include "engine/core/CRandom.h"
#include "engine/core/ICursorControl.h"
#include "engine/core/StringUtils.h"
#include "engine/io/CXmlReader.h"
#include "engine/nodes/SpriteNode.h"
#include "engine/nodes/TextNode.h"
#include "engine/properties/CPropertySet.h"
#include "engine/scene/SceneManager.h"
#include "engine/scene/TemplateCollectionNode.h"
#include "engine/scene/animation/SetProps.h"
#include "engine/video/render2d/CAtlasTexture.h"
#include "game/config/GListTexts.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/GSoundCueIds.h"
#include "game/level/GEllipseSectorNode.h"
#include "game/scenes/GSceneSupport.h"
#include "game/world/GPathMovers.h"

namespace brasquel {

using namespace oskel;

namespace {

s32 stateOf(const char* name) { return CNameId(name).getId(); }

// The banknote picture of the value, normal or under the cursor; none when it does not load.
CRefPtr<CAtlasTexture> loadBanknote(IContentManager* content, s32 value, bool hovered) {
    if (!content) return nullptr;
    stringc path(GMiniGameAuctionScene::MoneyFolder);
    path += decimalText(value);
    if (hovered) path += "over";
    path += ".png";
    CResource* loaded = content->getContentByPath(TypeCodeAtlasTexture, path, true);
    if (!loaded) return nullptr;
    if (loaded->getTypeCode() != TypeCodeAtlasTexture) {
        loaded->drop();
        return nullptr;
    }
    return CRefPtr<CAtlasTexture>::fromRaw(static_cast<CAtlasTexture*>(loaded));
}

// The state's first animation, when it sets properties, shows the picture from now on.
void setStatePicture(BaseNode* sprite, const char* state, CAtlasTexture* texture) {
    Animator* animator = sprite->findState(stateOf(state));
    if (!animator || animator->getAnimationCount() == 0) return;
    animation::Base* first = animator->getAnimation(0);
    if (!first || first->getTypeId() != animation::AnimationTypeSetProps) return;
    CPropertySet* properties = static_cast<animation::SetProps*>(first)->getProperties();
    if (!properties) return;
    auto holder = makeRef<CPropertySet>();
    holder->addAtlasTexture("AtlasTexture", texture);
    properties->setProperty("AtlasTexture", holder->getProperty("AtlasTexture"));
}

}  // namespace

GMiniGameAuctionScene::GMiniGameAuctionScene(const CCreationContext& context, BaseNode* parent,
                                             SceneManager* manager)
    : GMiniGameScene(context, parent, manager) {
    setUpdatePeriod(GameUpdatePeriod);
}

GMiniGameAuctionScene::~GMiniGameAuctionScene() = default;

BRASQUEL_DEFINE_NODE_CLASS(GMiniGameAuctionScene, GameNodeTypeMiniGameAuctionScene, GMiniGameScene)

void GMiniGameAuctionScene::onLoaded() {
    GMiniGameScene::onLoaded();
    BaseNode* game = sceneChild("Game");
    const char* zoneNames[ZoneCount] = {"Zone1", "Zone2", "Zone3"};
    for (u32 i = 0; i < ZoneCount; ++i) m_zones[i] = scenes::controlChildOf(game, zoneNames[i]);
    BaseNode* ui = sceneChild("UI");
    m_timeLeft = scenes::textChildOf(ui, "TimeLeft");
    m_longArrow = scenes::childOf(ui, "LongArrow");
    BaseNode* ellipse = scenes::childOf(ui, "Ellipse");
    m_ellipse = ellipse && ellipse->isKindOf(GameNodeTypeEllipseSectorNode)
                    ? static_cast<GEllipseSectorNode*>(ellipse)
                    : nullptr;
    m_scoreText = scenes::textChildOf(ui, "ScoreText");
}

void GMiniGameAuctionScene::readCustomConfig(CXmlReader* reader) {
    if (reader->getNodeName() == stringw(L"Sequence")) readSequence(reader);
}

void GMiniGameAuctionScene::readSequence(CXmlReader* reader) {
    m_sequence.clear();
    if (reader->isEmptyElement()) return;
    while (reader->read()) {
        const EXmlNodeType type = reader->getNodeType();
        if (type == XmlNodeElementEnd && reader->getNodeName() == stringw(L"Sequence")) break;
        if (type != XmlNodeElement || reader->getNodeName() != stringw(L"S")) continue;
        STurnStep step;
        step.M = reader->getAttributeValueAsInt(L"M", 2);
        step.D = reader->getAttributeValueAsInt(L"D", 1);
        m_sequence.push_back(step);
    }
}

void GMiniGameAuctionScene::startVisit() {
    m_correctValue = 0;
    m_turnsDone = 0;
    setScore(0);
    m_pointsPerTurn = PointsPerTurn;
    m_dialAngle = 0.0f;
    scenes::setText(
        m_timeLeft,
        formatMinutesSeconds(static_cast<u32>(getMaxLevelTime() > 0 ? getMaxLevelTime() : 0)));
    if (m_longArrow) {
        m_longArrow->setRotation(vector3df(0.0f, 0.0f, 0.0f));
        m_longArrow->markTransformDirty();
    }
    if (m_ellipse) m_ellipse->Angle1 = 0;
    showScore();
    dealTurn();
}

void GMiniGameAuctionScene::dealTurn() {
    CRandom& random = CRandom::instance();
    s32 middle = 2;
    if (m_turnsDone >= 6)
        middle = random.nextInt(2, 6);
    else if (m_turnsDone >= 3)
        middle = random.nextInt(3, 5);
    s32 low = middle - 1;
    const s32 high = middle + 1;
    if (middle == 5) low = 4 - random.nextInt(0, 2);

    s32 list[ZoneCount] = {low, middle, high};
    auto rotateLeft = [&list](u32 places) {
        for (u32 i = 0; i < places % ZoneCount; ++i) {
            const s32 first = list[0];
            list[0] = list[1];
            list[1] = list[2];
            list[2] = first;
        }
    };
    rotateLeft(random.nextTwister() % ZoneCount);
    while (list[0] == m_values[0] && list[1] == m_values[1] && list[2] == m_values[2])
        rotateLeft(1);

    m_correctValue = high;
    for (u32 i = 0; i < ZoneCount; ++i) m_values[i] = list[i];
    for (u32 i = 0; i < ZoneCount; ++i) showZoneValue(m_zones[i], m_values[i]);
}

void GMiniGameAuctionScene::showZoneValue(ControlNode* zone, s32 value) {
    BaseNode* obj = scenes::childOf(zone, "Obj");
    if (!obj || !obj->isKindOf(NodeTypeSprite)) return;
    auto* sprite = static_cast<SpriteNode*>(obj);
    IContentManager* content = getContentManager();
    CRefPtr<CAtlasTexture> normal = loadBanknote(content, value, false);
    CRefPtr<CAtlasTexture> hovered = loadBanknote(content, value, true);
    sprite->setFlipX(CRandom::instance().next() % 2 == 0);
    sprite->setAtlasTexture(zone->isHovered() ? hovered.get() : normal.get());
    setStatePicture(sprite, "Normal", normal.get());
    setStatePicture(sprite, "NormalHover", hovered.get());
    setStatePicture(sprite, "Pressed", normal.get());
}

void GMiniGameAuctionScene::showTime() {
    const u32 limit = static_cast<u32>(getMaxLevelTime() > 0 ? getMaxLevelTime() : 0);
    const u32 elapsed = getGameTime();
    scenes::setText(m_timeLeft, formatMinutesSeconds(limit > elapsed ? limit - elapsed : 0));
    // Without a time limit the dial stands full: the game ends at this update.
    m_dialAngle =
        limit > 0
            ? static_cast<f32>(static_cast<double>(elapsed) * 360.0 / static_cast<double>(limit))
            : 360.0f;
    if (m_longArrow) {
        m_longArrow->setRotation(vector3df(0.0f, 0.0f, m_dialAngle));
        m_longArrow->markTransformDirty();
    }
    if (m_ellipse) m_ellipse->Angle1 = static_cast<s32>(m_dialAngle);
}

void GMiniGameAuctionScene::showScore() {
    scenes::setText(m_scoreText, groupDigits(getScore(), L','));
}

bool GMiniGameAuctionScene::onUpdate(u32 periodMs) {
    static_cast<void>(GMiniGameScene::onUpdate(periodMs));
    if (getPhase() != MiniGamePhase::Playing) return true;
    addGameTime(periodMs);
    showTime();
    const u32 limit = static_cast<u32>(getMaxLevelTime() > 0 ? getMaxLevelTime() : 0);
    if (getGameTime() > limit) finish();
    return true;
}

void GMiniGameAuctionScene::sendFlyingPoints() {
    SceneManager* manager = getSceneManager();
    TemplateCollectionNode* templates = manager ? manager->getTemplateCollection() : nullptr;
    BaseNode* trail = templates ? templates->findTemplate(stateOf("TextTrailStar")) : nullptr;
    BaseNode* game = sceneChild("Game");
    if (!trail || !trail->isKindOf(GameNodeTypeTextTrailNode) || !game) return;

    ISceneHost* host = manager->getHost();
    ICursorControl* cursor = host ? host->getCursorControl() : nullptr;
    vector3df point(0.0f, 0.0f, 0.0f);
    if (cursor) {
        const vector2di position = cursor->getPosition();
        point = vector3df(static_cast<f32>(position.X), static_cast<f32>(position.Y), 0.0f);
    }
    // The cursor stands in window coordinates; the scene's transform holds the screen's fit.
    matrix4 inverse;
    if (getAbsoluteTransform().getInverse(inverse)) inverse.transformVect(point);

    BaseNode* clone = trail->clone(game, manager);
    if (!clone) return;
    auto* flying = static_cast<GTextTrailNode*>(clone);
    flying->Velocity = FlyingTextVelocity;
    flying->setVisible(true);
    flying->start({vector2df(point.X, point.Y), vector2df(ScoreTargetX, ScoreTargetY)}, -1, false,
                  false);
    flying->setText(widenLatin1(decimalText(m_pointsPerTurn)));
}

bool GMiniGameAuctionScene::onNodePressed(CEvent* event) {
    if (GMiniGameScene::onNodePressed(event)) return true;
    BaseNode* node = scenes::eventNode(event);
    s32 picked = -1;
    for (u32 i = 0; i < ZoneCount; ++i)
        if (node && node == m_zones[i]) picked = static_cast<s32>(i);
    if (!takesPlayClick() || picked < 0 || isFinished()) return false;
    if (m_values[picked] == m_correctValue) {
        scenes::playCue(GSoundCueIds::get().ObjFound);
        sendFlyingPoints();
        setScore(getScore() + m_pointsPerTurn);
        showScore();
    } else {
        scenes::playCue(GSoundCueIds::get().ButtonMissed);
    }
    ++m_turnsDone;
    dealTurn();
    return false;
}

}  // namespace brasquel
