#include "game/minigames/GMiniGameHidden2Scene.h"

#include <cmath>

#include "engine/content/IContentManager.h"
#include "engine/core/CLogger.h"
#include "engine/core/CRandom.h"
#include "engine/core/StringUtils.h"
#include "engine/io/CXmlReader.h"
#include "engine/nodes/ParticleSystemNode.h"
#include "engine/nodes/SpriteNode.h"
#include "engine/nodes/TextNode.h"
#include "engine/video/render2d/BaseEmitter.h"
#include "engine/video/render2d/CAtlasTexture.h"
#include "game/config/GListTexts.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/GSoundCueIds.h"
#include "game/scenes/GSceneSupport.h"

namespace brasquel {

using namespace oskel;

namespace {

stringw countText(u32 count) { return widenLatin1(decimalText(static_cast<s32>(count))); }

}  // namespace

GMiniGameHidden2Scene::GMiniGameHidden2Scene(const CCreationContext& context, BaseNode* parent,
                                             SceneManager* manager)
    : GHiddenObjectScene(context, parent, manager) {}

GMiniGameHidden2Scene::~GMiniGameHidden2Scene() = default;

BRASQUEL_DEFINE_NODE_CLASS(GMiniGameHidden2Scene, GameNodeTypeMiniGameHidden2Scene, GMiniGameScene)

void GMiniGameHidden2Scene::onLoaded() {
    GHiddenObjectScene::onLoaded();
    m_currentIndex = 0;
    m_items.clear();
    if (BaseNode* hitObjects = scenes::childOf(sceneChild("Game"), "HitObjects")) {
        std::vector<BaseNode*> pool(hitObjects->getChildren());
        while (!pool.empty()) {
            const u32 r = CRandom::instance().nextTwister() % static_cast<u32>(pool.size());
            m_items.push_back(pool[r]);
            pool[r] = pool.back();
            pool.pop_back();
        }
    }

    BaseNode* preview = scenes::childOf(sceneChild("UI"), "PrevewImage");
    m_preview =
        preview && preview->isKindOf(NodeTypeSprite) ? static_cast<SpriteNode*>(preview) : nullptr;
    if (m_preview) {
        m_preview->setImageStretchX(PreviewStretch);
        m_preview->setImageStretchY(PreviewStretch);
    }
}

void GMiniGameHidden2Scene::readCustomConfig(CXmlReader* reader) {
    const stringw& name = reader->getNodeName();
    if (name == stringw(L"ItemsToFind"))
        readItemsToFind(reader);
    else if (name == stringw(L"HintTrailVelocity"))
        m_trailVelocity = reader->getAttributeValueAsFloat(L"Value", 0.0f);
    else if (name == stringw(L"HintTrailPPS"))
        m_trailRate = reader->getAttributeValueAsInt(L"Value", 0);
    else
        GHiddenObjectScene::readCustomConfig(reader);
}

void GMiniGameHidden2Scene::readItemsToFind(CXmlReader* reader) {
    m_itemFiles.clear();
    if (reader->isEmptyElement()) return;
    while (reader->read()) {
        const EXmlNodeType type = reader->getNodeType();
        if (type == XmlNodeElementEnd && reader->getNodeName() == stringw(L"ItemsToFind")) break;
        if (type != XmlNodeElement || reader->getNodeName() != stringw(L"Item")) continue;
        const stringc name = narrowLowBytes(reader->getAttributeValue(L"Name").c_str());
        m_itemFiles[CNameId(name.c_str()).getId()] =
            narrowLowBytes(reader->getAttributeValue(L"Filename").c_str());
    }
}

BaseNode* GMiniGameHidden2Scene::getWantedItem() const {
    return m_currentIndex < m_items.size() ? m_items[m_currentIndex] : nullptr;
}

void GMiniGameHidden2Scene::startVisit() {
    m_currentIndex = 0;
    GHiddenObjectScene::startVisit();
    scenes::setText(m_objCount, stringw(L"0"));
    showNextItem();
}

void GMiniGameHidden2Scene::showNextItem() {
    if (m_currentIndex >= m_items.size()) {
        if (m_items.empty()) {
            // Nothing to find is a broken level, not a win: the player can only leave.
            CLogger::instance().log("The hidden-object game has no items to find", LogError);
            return;
        }
        finishWithExpertScore();
        return;
    }
    scenes::setText(m_objCount, countText(static_cast<u32>(m_items.size()) - m_currentIndex));
    if (m_preview) {
        const stringc& file = m_itemFiles[m_items[m_currentIndex]->getNameId()];
        stringc path(PreviewFolder);
        path += file;
        path += ".png";
        IContentManager* content = getContentManager();
        CResource* loaded =
            content ? content->getContentByPath(TypeCodeAtlasTexture, path, true) : nullptr;
        CAtlasTexture* texture = loaded && loaded->getTypeCode() == TypeCodeAtlasTexture
                                     ? static_cast<CAtlasTexture*>(loaded)
                                     : nullptr;
        m_preview->setAtlasTexture(texture);
        if (loaded) loaded->drop();
        m_preview->markTransformDirty();
        m_preview->updateAbsoluteTransform();
        m_preview->updateAbsoluteColor();
        const vector3df& bounds = m_preview->getBounds();
        m_preview->setPivotPoint(
            vector2df(std::floor(bounds.X * 0.5f + 0.5f), std::floor(bounds.Y * 0.5f + 0.5f)));
        m_preview->markTransformDirty();
    }
    m_hovering = false;
}

bool GMiniGameHidden2Scene::trailIdle() const { return m_hintTrail && !m_hintTrail->isWalking(); }

void GMiniGameHidden2Scene::startHintTrail(BaseNode* item, u32 repeats) {
    const GPathMovableNode::PathPoints points = hintTrailPoints(item, repeats);
    if (points.empty()) return;
    BaseNode* particles = scenes::childOf(m_hintTrail, "Particles");
    if (particles && particles->isKindOf(NodeTypeParticleSystem))
        if (BaseEmitter* emitter = static_cast<ParticleSystemNode*>(particles)->getEmitter()) {
            const f32 rate = static_cast<f32>(m_trailRate);
            emitter->setPPSRange(vector2df(rate, rate));
        }
    sendHintTrail(points, m_trailVelocity);
}

bool GMiniGameHidden2Scene::onUpdate(u32 periodMs) {
    static_cast<void>(GHiddenObjectScene::onUpdate(periodMs));
    if (m_hintTrail) {
        m_hintTrail->update(periodMs);
        if (m_hovering && m_currentIndex < m_items.size() && trailIdle())
            startHintTrail(m_items[m_currentIndex], 1);
    }
    return true;
}

bool GMiniGameHidden2Scene::hitsWanted(const vector2df& point) const {
    BaseNode* wanted = getWantedItem();
    return wanted && wanted->findNodeAt(point) != nullptr;
}

bool GMiniGameHidden2Scene::onMouseMove(const vector2df& point) {
    if (m_currentIndex >= m_items.size()) return false;
    const bool hit = hitsWanted(point);
    if (hit != m_hovering) {
        if (hit && trailIdle()) startHintTrail(m_items[m_currentIndex], 1);
        m_hovering = hit;
    }
    return false;
}

bool GMiniGameHidden2Scene::onMouseDown(const vector2df& point) {
    if (!takesPlayClick() || !hitsWanted(point)) return false;
    BaseNode* item = m_items[m_currentIndex];
    if (m_hintTrail) m_hintTrail->stop();
    playFoundEffect(item, m_foundNode);
    item->setVisible(false);
    ++m_currentIndex;
    showNextItem();
    scenes::playCue(GSoundCueIds::get().ObjFound);
    return false;
}

bool GMiniGameHidden2Scene::onNodePressed(CEvent* event) {
    if (GMiniGameScene::onNodePressed(event)) return true;
    if (!scenes::isNamed(scenes::eventNode(event), "HintButton")) return false;
    scenes::playCue(GSoundCueIds::get().HOHint);
    if (m_currentIndex < m_items.size() && trailIdle())
        startHintTrail(m_items[m_currentIndex], HintButtonPasses);
    return true;
}

}  // namespace brasquel
