#pragma once

#include <map>

#include "engine/core/event/CEvent.h"

namespace oskel {

class CEventReceiver;

// Dispatch modes: in which order a receiver and its tree are offered an event.
enum EDispatchMode : u32 {
    DispatchSelf = 0,              // onEvent only
    DispatchSelfThenChildren = 1,  // onEvent, then routeToChildren (mode 1)
    DispatchChildrenThenSelf = 2,  // routeToChildren (mode 2), then onEvent
    DispatchSelfThenParents = 3,   // onEvent, then routeToParent (mode 3)
    DispatchParentsThenSelf = 4,   // routeToParent (mode 4), then onEvent
};

// An entry of a class's event map: converts the receiver to its class and calls one handler.
using EventHandler = bool (*)(CEventReceiver* receiver, CEvent* event);
// Event type id to handler, one map per receiver class, built once from a copy of the parent
// class's map.
using EventMap = std::map<u32, EventHandler>;

// Something that reacts to events. It accepts the event categories of its mask when events are
// routed to it, and asks two lists of further receivers (not owned) before and after its own
// handler.
class CEventReceiver : public virtual IReferenceCounted {
public:
    CEventReceiver() = default;
    ~CEventReceiver() override = default;

    // The receiver's own handling; true consumes the event. The base handles nothing.
    virtual bool onEvent(CEvent* event);
    // The receiver's tree: offers the event to the parent or to the children with the mode.
    virtual bool routeToParent(u32 mode, CEvent* event);
    virtual bool routeToChildren(u32 mode, CEvent* event);

    // Delivers the event in the order of the mode; stops at the first step that consumes it.
    // The category mask is not tested here.
    bool dispatchEvent(u32 mode, CEvent* event);

    u32 getCategoryMask() const { return m_categoryMask; }
    void setCategoryMask(u32 mask) { m_categoryMask = mask; }
    void addCategory(u32 categories) { m_categoryMask |= categories; }
    void removeCategory(u32 categories) { m_categoryMask &= ~categories; }
    bool acceptsEvent(const CEvent* event) const {
        return event && (m_categoryMask & event->getCategory()) != 0;
    }

    void addPreReceiver(CEventReceiver* receiver);
    void addPostReceiver(CEventReceiver* receiver);
    void removePreReceiver(CEventReceiver* receiver);
    void removePostReceiver(CEventReceiver* receiver);
    const array<CEventReceiver*>& getPreReceivers() const { return m_preReceivers; }
    const array<CEventReceiver*>& getPostReceivers() const { return m_postReceivers; }

    // The root class's map: empty.
    static const EventMap& getEventMap();

protected:
    // The standard handling of a class with an event map: pre-receivers, the class's handler,
    // then the post-receivers (only when that list was not empty when the event arrived).
    bool handleEvent(const EventMap& map, CEvent* event);

private:
    u32 m_categoryMask = 0;
    array<CEventReceiver*> m_preReceivers;
    array<CEventReceiver*> m_postReceivers;
};

}  // namespace oskel

// In a receiver class's declaration: the class has an event map of its own.
#define OSKEL_DECLARE_EVENT_MAP()                                              \
public:                                                                        \
    static const ::oskel::EventMap& getEventMap();                             \
    bool onEvent(::oskel::CEvent* event) override {                            \
        return handleEvent(getEventMap(), event);                              \
    }

// In a source file: the class's map, a copy of the parent class's map with the entries between
// OSKEL_BEGIN_EVENT_MAP and OSKEL_END_EVENT_MAP stored over it by id.
#define OSKEL_BEGIN_EVENT_MAP(Class, Parent)                                   \
    const ::oskel::EventMap& Class::getEventMap() {                            \
        static const ::oskel::EventMap map = [] {                              \
            using ThisClass = Class;                                           \
            ::oskel::EventMap m = Parent::getEventMap();

// An entry that calls the handler operation (bool method(CEvent*)) of the class.
#define OSKEL_EVENT_HANDLER(id, method)                                                \
    m[(id)] = [](::oskel::CEventReceiver* r, ::oskel::CEvent* e) -> bool {             \
        return static_cast<ThisClass*>(r)->method(e);                                  \
    };

// An entry with an adapter of its own: a plain function bool (CEventReceiver*, CEvent*).
#define OSKEL_EVENT_ENTRY(id, function) m[(id)] = (function);

#define OSKEL_END_EVENT_MAP() \
    return m;                 \
    }                         \
    ();                       \
    return map;               \
    }
