#include "game/scenes/GComicsScene.h"

#include "engine/core/event/VirtualKeys.h"
#include "engine/scene/NodeEvents.h"
#include "game/config/GNodeTypeIds.h"
#include "game/config/GSoundCueIds.h"
#include "game/scenes/GLoadingLevelScene.h"

namespace brasquel {

using namespace oskel;
using namespace scenes;

namespace {

bool isTextBg(const BaseNode* node) {
    return isNamed(node, "TextBg") || isNamed(node, "TextBgNoWait") ||
           isNamed(node, "TextBgNoDisappear");
}

}  // namespace

BRASQUEL_DEFINE_GAME_SCENE_CLASS(GComicsScene, GameNodeTypeComicsScene)

GComicsScene::GComicsScene(const CCreationContext& context, BaseNode* parent, SceneManager* manager)
    : GBaseSceneNode(context, parent, manager) {}

GComicsScene::~GComicsScene() {
    releaseBg();
    if (m_partsNode) m_partsNode->removePreReceiver(this);
}

void GComicsScene::onLoaded() {
    GBaseSceneNode::onLoaded();
    releaseBg();
    if (m_partsNode) m_partsNode->removePreReceiver(this);
    m_parts.clear();
    m_textBgs.clear();
    m_partIndex = -1;
    m_textIndex = -1;
    BaseNode* scene = childOf(this, "Scene");
    m_darkBg = childOf(scene, "DarkBg");
    m_backButton = childOf(scene, "BackButton");
    if (m_backButton) m_backButton->setVisible(false);
    m_partsNode = childOf(scene, "Parts");
    if (!m_partsNode) return;
    m_partsNode->addPreReceiver(this);
    for (BaseNode* part : m_partsNode->getChildren()) {
        m_parts.push_back(part);
        part->setVisible(false);
    }
    if (m_parts.empty() && m_backButton) m_backButton->setVisible(true);
}

BaseNode* GComicsScene::currentPart() const {
    return m_partIndex >= 0 && m_partIndex < static_cast<s32>(m_parts.size())
               ? m_parts[static_cast<size_t>(m_partIndex)]
               : nullptr;
}

BaseNode* GComicsScene::currentText() const {
    return m_textIndex >= 0 && m_textIndex < static_cast<s32>(m_textBgs.size())
               ? m_textBgs[static_cast<size_t>(m_textIndex)]
               : nullptr;
}

void GComicsScene::releaseBg() {
    if (m_listenedBg) m_listenedBg->removePreReceiver(this);
    m_listenedBg = nullptr;
}

bool GComicsScene::onSceneChangeStarted(CEvent* event) {
    GBaseSceneNode::onSceneChangeStarted(event);
    if (!entersThis(event, this)) return false;
    playCue(GSoundCueIds::get().ComicsMusic, true);
    return true;
}

bool GComicsScene::onSceneChangeFinished(CEvent* event) {
    GBaseSceneNode::onSceneChangeFinished(event);
    if (!entersThis(event, this)) return false;
    if (isForwardSwitch(event)) m_partIndex = -1;
    showNextPart();
    return true;
}

void GComicsScene::showNextPart() {
    CRefPtr<BaseNode> self(this);
    releaseBg();
    m_partIndex += 1;
    if (m_partIndex >= static_cast<s32>(m_parts.size())) {
        m_partIndex = static_cast<s32>(m_parts.size());
        m_textBgs.clear();
        m_textIndex = -1;
        if (m_backButton) {
            m_backButton->setVisible(true);
            m_backButton->playState(stateId("OnAppear"));
        }
        return;
    }
    BaseNode* part = m_parts[static_cast<size_t>(m_partIndex)];
    if (!m_miniGameShown && childOf(part, "NavToMini3Marker")) {
        m_miniGameShown = true;
        m_partIndex -= 1;  // the same part again on return
        SceneNode* loading = switchToSceneFile(LoadingLevelFile, true, stateId("NavFromComics3"),
                                               stateId("NavToComics3"));
        if (GLoadingLevelScene* screen = asLoadingLevelScene(loading))
            screen->setLevelName(MiniGameLevel);
        return;
    }
    m_textBgs.clear();
    if (BaseNode* bg = childOf(part, "Bg")) {
        bg->addPreReceiver(this);
        m_listenedBg = bg;
        for (BaseNode* child : bg->getChildren())
            if (isTextBg(child)) m_textBgs.push_back(child);
    }
    for (BaseNode* text : m_textBgs) text->setVisible(false);
    m_textIndex = -1;
    part->setVisible(true);
    part->setState(stateId("OnAppear"));
    playCue(GSoundCueIds::get().ObjectivesWindow);
}

void GComicsScene::endPart() {
    BaseNode* part = currentPart();
    if (!part) return;
    m_partEnding = true;
    part->setState(stateId("OnDisappear"));
}

void GComicsScene::showNextText() {
    CRefPtr<BaseNode> self(this);
    BaseNode* part = currentPart();
    if (!part) return;  // before the first part or past the last
    if (BaseNode* text = currentText(); text && isNamed(text, "TextBg"))
        text->playState(stateId("OnDisappear"));
    m_textIndex += 1;
    if (BaseNode* text = currentText()) {
        text->setVisible(true);
        text->playState(stateId("OnAppear"));
        playCue(CNameId(TextCue));
        return;
    }
    if (!m_textBgs.empty()) {
        m_textIndex = static_cast<s32>(m_textBgs.size());  // every text has been shown
        return;
    }
    endPart();
}

bool GComicsScene::onNodePressed(CEvent* event) {
    if (GBaseSceneNode::onNodePressed(event)) return true;
    BaseNode* control = eventNode(event);
    if (control && control == m_backButton) {
        goBack(0);
        return true;
    }
    if (!m_partEnding) showNextText();
    return true;
}

bool GComicsScene::onKeyUp(CEvent* event) {
    if (GBaseSceneNode::onKeyUp(event)) return true;
    if (eventKey(event) != VirtualKeyEscape) return false;
    goBack(0);
    return true;
}

bool GComicsScene::onStateFinished(CEvent* event) {
    auto* finished = static_cast<CEventNodeStateFinished*>(event);
    BaseNode* part = currentPart();
    if (part && finished->getNode() == part) {
        if (finished->getStateId() == stateId("OnAppear")) {
            showNextText();
        } else if (finished->getStateId() == stateId("OnDisappear")) {
            m_partEnding = false;
            showNextPart();
        }
    }
    return GBaseSceneNode::onStateFinished(event);
}

bool GComicsScene::onChildStateFinished(CEvent* event) {
    auto* finished = static_cast<CEventNodeChildStateFinished*>(event);
    BaseNode* node = finished->getNode();
    const s32 state = finished->getStateId();
    BaseNode* text = currentText();
    if (node && text && node == text && state == stateId("OnAppear") &&
        (isNamed(node, "TextBgNoWait") || isNamed(node, "TextBgNoDisappear"))) {
        showNextText();
    } else if (node && !m_textBgs.empty() && m_textIndex >= static_cast<s32>(m_textBgs.size()) &&
               node == m_textBgs.back() && state == stateId("OnDisappear") && currentPart()) {
        for (BaseNode* bg : m_textBgs)
            if (!isNamed(bg, "TextBgNoDisappear")) bg->setVisible(false);
        endPart();
        if (m_darkBg) {
            const s32 last = static_cast<s32>(m_parts.size()) - 1;
            if (m_partIndex == 0) m_darkBg->playState(stateId("OnAppear"));
            if (m_partIndex == last) {
                m_darkBg->playState(stateId("OnDisappear"));
                for (s32 i = 0; i < last; ++i)
                    m_parts[static_cast<size_t>(i)]->setState(stateId("Unhide"));
            }
        }
    }
    return GBaseSceneNode::onChildStateFinished(event);
}

}  // namespace brasquel
