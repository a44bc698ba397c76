#include "game/play/tutorial/GTutorialController.h"

#include "engine/audio/CSoundGroupManager.h"
#include "engine/content/IContentManager.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/io/CXmlReader.h"
#include "engine/nodes/ButtonNode.h"
#include "engine/nodes/TextNode.h"
#include "engine/scene/BaseNode.h"
#include "engine/scene/NodeEvents.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/TemplateCollectionNode.h"
#include "game/config/GSoundCueIds.h"
#include "game/config/IGameServices.h"

namespace brasquel {

using namespace oskel;

namespace {

// The names the controller looks up and compares, interned once.
struct TutorialNames {
    CNameId TutorialWindow{"TutorialWindow"};
    CNameId TutorialArrow{"TutorialArrow"};
    CNameId Text{"Text"};
    CNameId SkipTutorialButton{"SkipTutorialButton"};
    CNameId Highlight{"bg"};
    CNameId Button{"Button"};
    CNameId Type1{"Type1"};
    CNameId Type2{"Type2"};
    CNameId NavTo{"NavTo"};
};

const TutorialNames& names() {
    static const TutorialNames table;
    return table;
}

const wchar_t* const SkipTipsCaption = L"%GamePlay_SkipTipsBtn%";
const wchar_t* const SkipTutorialCaption = L"%GamePlay_SkipTutorialBtn%";

IGameServices* services() { return IGameServices::get(); }

// The pressed node of a node press, or none for another event.
BaseNode* pressedNode(CEvent* event) {
    if (!event || !event->isKindOf(EventNodePressed)) return nullptr;
    return static_cast<CEventNodeOneNode*>(event)->getNode();
}

}  // namespace

GTutorialController::GTutorialController(BaseNode* host, TemplateCollectionNode* templates,
                                         IContentManager* content)
    : m_content(content) {
    setCategoryMask(InputCategories);
    if (!host || !templates) return;
    m_hasHost = true;
    const TutorialNames& n = names();

    // The arrow layer belongs to the host; the controller holds the creation reference.
    m_arrows = CRefPtr<BaseNode>::fromRaw(new BaseNode(CCreationContext(), host));
    m_arrows->setPosition(vector3df(0.0f, 0.0f, ArrowDepth));
    m_arrows->markTransformDirty();

    m_arrowTemplate = CRefPtr<BaseNode>(templates->findTemplate(n.TutorialArrow.getId()));

    if (BaseNode* windowTemplate = templates->findTemplate(n.TutorialWindow.getId())) {
        // The clone belongs to the host; the controller keeps a reference of its own.
        m_window = CRefPtr<BaseNode>(windowTemplate->clone(host, nullptr));
    }
    if (m_window) {
        // The window's controls take their templates as a shown scene's controls do.
        auto activated = makeEvent<CEventNodeSceneActivated>(host->getSceneManager());
        if (!m_window->onEvent(activated.get()))
            m_window->routeToChildren(DispatchSelfThenChildren, activated.get());
        m_window->setVisible(false);

        BaseNode* text = m_window->findChildByName(n.Text.getId(), 1);
        if (text && text->isKindOf(NodeTypeText))
            m_text = CRefPtr<TextNode>(static_cast<TextNode*>(text));
        BaseNode* skip = m_window->findChildByName(n.SkipTutorialButton.getId(), 1);
        if (skip && skip->isKindOf(NodeTypeButton))
            m_skip = CRefPtr<ButtonNode>(static_cast<ButtonNode*>(skip));
        if (m_skip)
            m_skipHighlight = CRefPtr<BaseNode>(m_skip->findChildByName(n.Highlight.getId(), 1));
        m_hasSteps = true;
    }
}

GTutorialController::~GTutorialController() {
    // While the device lists the controller it holds a reference, so it is unlisted here.
    removeWindow();
    m_arrowTemplate = nullptr;
    m_steps.clear();
    m_content = nullptr;
}

bool GTutorialController::load(CXmlReader* reader, CEventReceiver* requestReceiver) {
    m_receiver = requestReceiver;
    if (!m_hasSteps) return false;
    return readTutorialSteps(reader, m_steps);
}

void GTutorialController::start() {
    m_index = 0;
    if (!m_hasSteps || !m_hasHost) return;
    if (!m_registered) {
        IGameServices* s = services();
        m_registered = s && s->addInputReceiver(this, 0);
    }
    showStep();
}

void GTutorialController::stop() {
    unregister();
    m_index = static_cast<s32>(m_steps.size());
    static_cast<void>(update(0));
}

void GTutorialController::unregister() {
    if (!m_registered) return;
    m_registered = false;
    if (IGameServices* s = services()) s->removeInputReceiver(this);
}

bool GTutorialController::isSwitchedOff(const GTutorialHint* step) const {
    return step->Tip ? m_tipsOff : m_tutorialStepsOff;
}

void GTutorialController::showStep() {
    if (!m_hasSteps) return;
    const s32 count = static_cast<s32>(m_steps.size());
    while (m_index < count && isSwitchedOff(m_steps[static_cast<u32>(m_index)].get())) ++m_index;
    if (m_index >= count) return;
    CRefPtr<GTutorialHint> step = m_steps[static_cast<u32>(m_index)];
    const TutorialNames& n = names();

    m_currentStepIsTip = step->Tip;
    // A press of an earlier message box's button does not end this step.
    m_buttonPressed = false;
    for (u32 i = 0; i < step->Actions.size(); ++i) step->Actions[i]->setReceiver(m_receiver);

    if (m_window) {
        if (step->Text.empty() && !step->Linnet) {
            m_window->setVisible(false);
        } else {
            const bool wasVisible = m_window->isVisible();
            m_window->setPosition(vector3df(step->Position.X, step->Position.Y, WindowDepth));
            m_window->markTransformDirty();
            m_window->setVisible(true);
            if (!wasVisible) {
                IGameServices* s = services();
                if (CSoundGroupManager* sounds = s ? s->getSoundGroupManager() : nullptr)
                    sounds->playCue(GSoundCueIds::get().TutorialWindow, false, 0);
                m_window->playState(n.NavTo.getId(), nullptr, -1);
            }
            bool textShown = false;
            if (m_text) {
                if (step->Text.empty()) {
                    m_text->setVisible(false);
                    if (m_skip) m_skip->setVisible(false);
                } else {
                    m_text->setVisible(true);
                    m_text->setPosition(
                        vector3df(step->TextPosition.X, step->TextPosition.Y, TextDepth));
                    m_text->setState(step->TextBgType == 0 ? n.Type1.getId() : n.Type2.getId(),
                                     nullptr);
                    m_text->setText(step->Text);
                    textShown = true;
                }
            }
            if (m_skip && textShown) {
                const vector3df at = m_skip->getPosition();
                m_skip->setPosition(
                    vector3df(at.X, m_text->getPosition().Y + SkipButtonOffset, at.Z));
                m_skip->setVisible(true);
                m_skip->setText(stringw(step->Tip ? SkipTipsCaption : SkipTutorialCaption));
            }
        }
    }

    if (m_arrows) {
        m_arrows->removeAllChildren();
        if (m_arrowTemplate) {
            for (u32 i = 0; i < step->Arrows.size(); ++i) {
                BaseNode* arrow = m_arrowTemplate->clone(m_arrows.get(), nullptr);
                if (!arrow) continue;
                arrow->setVisible(true);
                arrow->setPosition(step->Arrows[i].Position);
                arrow->setRotation(step->Arrows[i].Rotation);
                arrow->markTransformDirty();
            }
        }
    }
}

bool GTutorialController::update(u32 elapsedMs) {
    CRefPtr<GTutorialController> self(this);
    if (m_hasSteps && m_index < static_cast<s32>(m_steps.size())) {
        CRefPtr<GTutorialHint> step = m_steps[static_cast<u32>(m_index)];
        bool done = false;
        for (u32 i = 0; i < step->Actions.size(); ++i) {
            step->Actions[i]->update(elapsedMs);
            done = step->Actions[i]->isDone() || done;
        }
        const bool ends = done || (step->MessageBox && m_buttonPressed) ||
                          (m_tutorialStepsOff && !step->Tip) || (m_tipsOff && step->Tip);
        if (ends) {
            for (u32 i = 0; i < step->Actions.size(); ++i) step->Actions[i]->onStepEnd();
            ++m_index;
            showStep();
        }
        return true;
    }
    removeWindow();
    return false;
}

void GTutorialController::removeWindow() {
    if (m_arrows) {
        if (BaseNode* parent = m_arrows->getParent()) parent->removeChild(m_arrows.get());
        m_arrows = nullptr;
    }
    if (m_window) {
        if (BaseNode* parent = m_window->getParent()) parent->removeChild(m_window.get());
        m_window = nullptr;
    }
    m_text = nullptr;
    m_skip = nullptr;
    m_skipHighlight = nullptr;
}

bool GTutorialController::onEvent(CEvent* event) {
    if (!event || !m_hasSteps || m_index >= static_cast<s32>(m_steps.size())) return false;
    CRefPtr<GTutorialController> self(this);
    CRefPtr<GTutorialHint> step = m_steps[static_cast<u32>(m_index)];
    const TutorialNames& n = names();
    BaseNode* pressed = pressedNode(event);

    if (pressed && pressed->getNameId() == n.SkipTutorialButton.getId())
        return m_window && !m_window->isVisible();

    if (m_skip && m_skipHighlight && event->isKindOf(EventMouseMove)) {
        auto* move = static_cast<CEventMousePosition*>(event);
        const vector2df at(static_cast<f32>(move->getX()), static_cast<f32>(move->getY()));
        m_skipHighlight->setVisible(m_skip->findNodeAt(at) != nullptr);
        return false;
    }

    if (step->MessageBox && pressed && pressed->getNameId() == n.Button.getId()) {
        m_buttonPressed = true;
        if (m_receiver)
            GTutorialAction::post(m_receiver, makeEvent<GEventTutorialFlag>(u8(0)).get());
        return false;
    }

    bool consumed = false;
    for (u32 i = 0; i < step->Actions.size(); ++i) {
        CRefPtr<GTutorialAction> action = step->Actions[i];
        consumed = action->onEvent(event) || consumed;
    }
    return consumed;
}

}  // namespace brasquel
