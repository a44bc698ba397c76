#pragma once

// Runs one tutorial over a host node: the steps of a step file, one after the other, each shown
// in a hint window with its text, its skip button and its arrows, each ended by one of its
// actions. The host creates it, loads it, adds it before the handlers of the nodes whose events
// it must see or block, starts it, updates it every frame and stops it when the player skips or
// leaves.

#include "engine/core/CRefPtr.h"
#include "engine/core/OskelTypes.h"
#include "game/play/tutorial/GTutorialHint.h"
#include "game/scenes/ITutorial.h"

namespace oskel {
class BaseNode;
class ButtonNode;
class IContentManager;
class TemplateCollectionNode;
class TextNode;
}  // namespace oskel

namespace brasquel {

class GTutorialController : public ITutorial {
public:
    // The device offers the controller its keyboard, mouse and node events.
    static constexpr oskel::u32 InputCategories =
        oskel::CategoryKeyboard | oskel::CategoryMouse | oskel::CategoryNode;
    // The depths of the arrow layer and of the window, and of the text in the window.
    static constexpr oskel::f32 ArrowDepth = 2000.0f;
    static constexpr oskel::f32 WindowDepth = 1999.0f;
    static constexpr oskel::f32 TextDepth = 1.0f;
    // The skip button stands this far below the text.
    static constexpr oskel::f32 SkipButtonOffset = 85.0f;

    // Builds the window and the arrow layer over the host; without a host or a template
    // collection nothing is built and the controller does nothing.
    GTutorialController(oskel::BaseNode* host, oskel::TemplateCollectionNode* templates,
                        oskel::IContentManager* content);
    ~GTutorialController() override;
    GTutorialController(const GTutorialController&) = delete;
    GTutorialController& operator=(const GTutorialController&) = delete;

    // Replaces the steps by those of the step file; false when the file ends before its closing
    // "Tutorial", and false without a window (nothing is read then). The receiver of the
    // requests is kept either way.
    bool load(oskel::CXmlReader* reader, oskel::CEventReceiver* requestReceiver) override;
    void start() override;
    // True while a step was current at the call (also on the call that passes the last step);
    // the first call that finds none removes the window and the arrows.
    bool update(oskel::u32 elapsedMs) override;
    // Unregisters from the device and ends the tutorial at once, without the step's end hooks.
    void stop() override;
    bool onEvent(oskel::CEvent* event) override;

    // Switches the tutorial steps, or the tips, off from the next update on.
    void disableTutorialSteps() { m_tutorialStepsOff = true; }
    void disableTips() { m_tipsOff = true; }
    bool isCurrentStepTip() const { return m_currentStepIsTip; }

    // ---- What the hosts' tests read ----
    bool hasSteps() const { return m_hasSteps; }
    oskel::u32 getStepCount() const { return m_steps.size(); }
    oskel::s32 getCurrentIndex() const { return m_index; }
    GTutorialHint* getStep(oskel::u32 index) const {
        return index < m_steps.size() ? m_steps[index].get() : nullptr;
    }
    oskel::BaseNode* getWindow() const { return m_window.get(); }
    oskel::BaseNode* getArrowLayer() const { return m_arrows.get(); }
    oskel::TextNode* getTextNode() const { return m_text.get(); }
    oskel::ButtonNode* getSkipButton() const { return m_skip.get(); }
    oskel::BaseNode* getSkipHighlight() const { return m_skipHighlight.get(); }
    oskel::CEventReceiver* getRequestReceiver() const { return m_receiver; }
    bool isRegistered() const { return m_registered; }
    bool areTutorialStepsOff() const { return m_tutorialStepsOff; }
    bool areTipsOff() const { return m_tipsOff; }

private:
    bool isSwitchedOff(const GTutorialHint* step) const;
    void showStep();
    // Takes the window and the arrow layer off the host and forgets them.
    void removeWindow();
    void unregister();

    oskel::CRefPtr<oskel::IContentManager> m_content;
    oskel::CEventReceiver* m_receiver = nullptr;
    oskel::array<oskel::CRefPtr<GTutorialHint>> m_steps;
    bool m_hasSteps = false;
    oskel::s32 m_index = 0;
    // Only tested for presence: the window and the arrow layer are held on their own.
    bool m_hasHost = false;
    oskel::CRefPtr<oskel::BaseNode> m_arrows;
    oskel::CRefPtr<oskel::BaseNode> m_arrowTemplate;
    oskel::CRefPtr<oskel::BaseNode> m_window;
    oskel::CRefPtr<oskel::TextNode> m_text;
    oskel::CRefPtr<oskel::ButtonNode> m_skip;
    oskel::CRefPtr<oskel::BaseNode> m_skipHighlight;
    bool m_buttonPressed = false;
    bool m_currentStepIsTip = false;
    bool m_tutorialStepsOff = false;
    bool m_tipsOff = false;
    bool m_registered = false;
};

}  // namespace brasquel
