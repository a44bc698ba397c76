#pragma once

// The ways a tutorial step ends: a timer, press filters that let only the awaited press through,
// watchers of what happens in the level or on the screen, and generators that make the level do
// something. Each is an event receiver that the tutorial controller updates every frame and
// offers the events that reach it.

#include "engine/core/CNameTable.h"
#include "engine/core/CRefPtr.h"
#include "engine/core/OskelTypes.h"
#include "engine/core/event/CEventReceiver.h"
#include "game/level/GGameEvents.h"

namespace oskel {
class CXmlReader;
}  // namespace oskel

namespace brasquel {

// The query the building-exists watcher asks the level.
using GEventBuildingExistsQuery = GEventHasBuildingQuery;

// One completion condition of a step. The step holds the only reference.
class GTutorialAction : public oskel::CEventReceiver {
public:
    // Where the step's requests and the pause flag go (the level scene, or none); given when
    // the step is shown.
    virtual void setReceiver(oskel::CEventReceiver* receiver) { (void)receiver; }
    // The step is current for another stretch of milliseconds.
    virtual void update(oskel::u32 elapsedMs) { (void)elapsedMs; }
    virtual bool isDone() const = 0;
    // The step has ended (not called when the tutorial is stopped).
    virtual void onStepEnd() {}
    // Reads the kind's attributes from the reader standing on the "Action" element.
    virtual void readXml(oskel::CXmlReader* reader) = 0;

    // Offers the event to the receiver and, when it does not take it, to the receiver's parents.
    static void post(oskel::CEventReceiver* receiver, oskel::CEvent* event);
    // The refusal of a press: the miss sound.
    static void playMissed();
};

// A new action of the kind the "Type" text names; none for a text that names no kind. The
// caller holds the one reference.
GTutorialAction* createTutorialAction(const oskel::stringw& type);

// Reads the "Action" elements of an "Actions" element into the list, the reader standing on the
// "Actions" element, up to its end (or the end of the input: then false).
bool readTutorialActions(oskel::CXmlReader* reader,
                         oskel::array<oskel::CRefPtr<GTutorialAction>>& actions);

// ---- The kinds ----

// Done once the time has run out.
class GTimedAction : public GTutorialAction {
public:
    void update(oskel::u32 elapsedMs) override;
    bool isDone() const override { return m_remainingMs <= 0; }
    void readXml(oskel::CXmlReader* reader) override;
    oskel::s32 getRemainingMs() const { return m_remainingMs; }

private:
    oskel::s32 m_remainingMs = 0;
};

// The common part of the kinds that end on something they see.
class GFlagAction : public GTutorialAction {
public:
    bool isDone() const override { return m_done; }
    void readXml(oskel::CXmlReader* reader) override { (void)reader; }

protected:
    // A handler that ends the step and lets the event go on.
    bool markDone(oskel::CEvent*) {
        m_done = true;
        return false;
    }

    bool m_done = false;
};

// Any press ends the step, and no press does anything else.
class GMouseClickAction : public GFlagAction {
    OSKEL_DECLARE_EVENT_MAP()
public:
    bool onNodePressed(oskel::CEvent* event);
    bool onListItemPressed(oskel::CEvent* event);
};

// Only a press of a lot of one of the building types goes on.
class GBuildingPressAction : public GFlagAction {
    OSKEL_DECLARE_EVENT_MAP()
public:
    void readXml(oskel::CXmlReader* reader) override;
    bool onNodePressed(oskel::CEvent* event);
    bool onListItemPressed(oskel::CEvent* event);
    const oskel::array<oskel::CNameId>& getBuildingTypes() const { return m_types; }

private:
    oskel::array<oskel::CNameId> m_types;
};

// Only a press of one of the named controls goes on.
class GControlPressAction : public GFlagAction {
    OSKEL_DECLARE_EVENT_MAP()
public:
    void readXml(oskel::CXmlReader* reader) override;
    bool onNodePressed(oskel::CEvent* event);
    bool onListItemPressed(oskel::CEvent* event);
    const oskel::array<oskel::CNameId>& getControls() const { return m_controls; }

private:
    oskel::array<oskel::CNameId> m_controls;
};

// The list and its items an action waits for.
class GListItemAction : public GFlagAction {
public:
    void readXml(oskel::CXmlReader* reader) override;
    oskel::s32 getListName() const { return m_list; }
    const oskel::array<oskel::s32>& getIndices() const { return m_indices; }

protected:
    // The event's list is the awaited one and its item one of the awaited items.
    bool matches(oskel::CEvent* event) const;

private:
    oskel::s32 m_list = -1;
    oskel::array<oskel::s32> m_indices;
};

// Only a press of one of the list's items goes on.
class GListItemPressAction : public GListItemAction {
    OSKEL_DECLARE_EVENT_MAP()
public:
    bool onNodePressed(oskel::CEvent* event);
    bool onListItemPressed(oskel::CEvent* event);
};

// Done when one of the list's items is hovered.
class GListItemHoveredAction : public GListItemAction {
    OSKEL_DECLARE_EVENT_MAP()
public:
    bool onListItemHovered(oskel::CEvent* event);
};

// The common part of the kinds done when a building of one of the types is completed: the
// types, read from the attribute the kind names.
class GBuildingBuiltAction : public GFlagAction {
    OSKEL_DECLARE_EVENT_MAP()
public:
    explicit GBuildingBuiltAction(const wchar_t* typesAttribute)
        : m_typesAttribute(typesAttribute) {}
    void readXml(oskel::CXmlReader* reader) override;
    bool onBuildingBuilt(oskel::CEvent* event);
    const oskel::array<oskel::CNameId>& getBuildingTypes() const { return m_types; }

protected:
    oskel::array<oskel::CNameId> m_types;

private:
    const wchar_t* m_typesAttribute;
};

// Done when a building of one of the types is completed; the abort button is refused meanwhile.
class GBuildingCompletedAction : public GBuildingBuiltAction {
    OSKEL_DECLARE_EVENT_MAP()
public:
    GBuildingCompletedAction() : GBuildingBuiltAction(L"Buildings") {}
    bool onNodePressed(oskel::CEvent* event);
};

// Done when a building of one of the types is completed or the player already owns one.
class GBuildingCompletedOrExistAction : public GBuildingBuiltAction {
public:
    GBuildingCompletedOrExistAction() : GBuildingBuiltAction(L"BuildingTypes") {}
    void setReceiver(oskel::CEventReceiver* receiver) override { m_receiver = receiver; }
    void update(oskel::u32 elapsedMs) override;

private:
    oskel::CEventReceiver* m_receiver = nullptr;
};

// Done when a dirty-building request passes.
class GWaitDirtyAction : public GFlagAction {
    OSKEL_DECLARE_EVENT_MAP()
};

// Done when a letter request passes.
class GWaitLetterAction : public GFlagAction {
    OSKEL_DECLARE_EVENT_MAP()
};

// Posts one request of the kind to the level at its first update, which also ends the step.
class GGenerateRequestAction : public GTutorialAction {
public:
    void setReceiver(oskel::CEventReceiver* receiver) override { m_receiver = receiver; }
    void update(oskel::u32 elapsedMs) override;
    bool isDone() const override { return true; }
    void readXml(oskel::CXmlReader* reader) override;
    const oskel::array<oskel::CNameId>& getBuildingTypes() const { return m_types; }
    const oskel::array<oskel::CNameId>& getPlaceNames() const { return m_places; }

protected:
    // A new request of the kind (the caller holds the one reference).
    virtual GEventRequest* makeRequest() const = 0;

private:
    oskel::CEventReceiver* m_receiver = nullptr;
    oskel::array<oskel::CNameId> m_types;
    oskel::array<oskel::CNameId> m_places;
};

class GGenerateSellBuildingRequestAction : public GGenerateRequestAction {
protected:
    GEventRequest* makeRequest() const override { return new GEventSellRequest(); }
};

class GGenerateBrokenBuildingRequestAction : public GGenerateRequestAction {
protected:
    GEventRequest* makeRequest() const override { return new GEventBrokenRequest(); }
};

class GGenerateDirtyBuildingRequestAction : public GGenerateRequestAction {
protected:
    GEventRequest* makeRequest() const override { return new GEventDirtyRequest(); }
};

class GGenerateLetterRequestAction : public GGenerateRequestAction {
public:
    // The money and wait ranges of the letter (the wait in milliseconds).
    static constexpr oskel::f32 MoneyMin = 1.5f;
    static constexpr oskel::f32 MoneyMax = 2.0f;
    static constexpr oskel::f32 WaitMs = 200000000.0f;

protected:
    GEventRequest* makeRequest() const override;
};

// Pauses the level while its step is shown; never ends the step itself.
class GGeneratePauseRequestAction : public GTutorialAction {
public:
    void setReceiver(oskel::CEventReceiver* receiver) override;
    bool isDone() const override { return false; }
    void onStepEnd() override;
    void readXml(oskel::CXmlReader* reader) override { (void)reader; }

private:
    oskel::CEventReceiver* m_receiver = nullptr;
};

}  // namespace brasquel
