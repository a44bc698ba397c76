#pragma once

#include "engine/core/CRefPtr.h"
#include "engine/core/OskelTypes.h"

namespace oskel {

// Category bits: every event class carries exactly one; receivers accept the categories of
// their mask.
enum EEventCategory : u32 {
    CategoryDevice = 0x1,
    CategorySystemFlow = 0x2,
    CategoryKeyboard = 0x4,
    CategoryMouse = 0x8,
    CategoryNode = 0x20,
    CategorySound = 0x40,
    CategoryGame = 0x1000,
};

// Type ids of the event base classes. Ids from 4096 up are the game's.
enum EEventBaseTypeId : u32 {
    EventTypeEvent = 0,
    EventTypeDevice = 1,
    EventTypeSystemFlow = 2,
    EventTypeInput = 3,
    EventTypeKeyboard = 4,
    EventTypeMouse = 5,
    EventTypeNode = 7,
    EventTypeSound = 8,
    EventTypeGame = 4096,
};

// The root of every event: reference counted, with a type id, an is-kind-of test over the ids
// of its base classes and a category. The creator holds the first reference and drops it after
// delivery; a queue holds a reference of its own.
class CEvent : public virtual IReferenceCounted {
public:
    static constexpr u32 TypeId = EventTypeEvent;

    ~CEvent() override = default;

    // Every event class answers the same text, so class names cannot tell events apart.
    virtual const stringw& getClassName() const;
    virtual u32 getTypeId() const { return TypeId; }
    virtual bool isKindOf(u32 id) const { return id == TypeId; }

    u32 getCategory() const { return m_category; }

protected:
    explicit CEvent(u32 category = 0) : m_category(category) {}

private:
    u32 m_category;
};

// Declares an event class's type id, its is-kind-of test through its base and its class name.
#define OSKEL_EVENT_TYPE(Class, Base, Id)                                              \
public:                                                                                \
    static constexpr ::oskel::u32 TypeId = (Id);                                       \
    ::oskel::u32 getTypeId() const override { return TypeId; }                         \
    bool isKindOf(::oskel::u32 id) const override { return id == TypeId || Base::isKindOf(id); } \
    const ::oskel::stringw& getClassName() const override {                           \
        static const ::oskel::stringw name(L"#thisClassName");                         \
        return name;                                                                   \
    }

// The category base classes.
class CEventDevice : public CEvent {
    OSKEL_EVENT_TYPE(CEventDevice, CEvent, EventTypeDevice)
protected:
    CEventDevice() : CEvent(CategoryDevice) {}
};

class CEventSystemFlow : public CEvent {
    OSKEL_EVENT_TYPE(CEventSystemFlow, CEvent, EventTypeSystemFlow)
protected:
    CEventSystemFlow() : CEvent(CategorySystemFlow) {}
};

class CEventInput : public CEvent {
    OSKEL_EVENT_TYPE(CEventInput, CEvent, EventTypeInput)
protected:
    explicit CEventInput(u32 category) : CEvent(category) {}
};

class CEventKeyboard : public CEventInput {
    OSKEL_EVENT_TYPE(CEventKeyboard, CEventInput, EventTypeKeyboard)
protected:
    CEventKeyboard() : CEventInput(CategoryKeyboard) {}
};

class CEventMouse : public CEventInput {
    OSKEL_EVENT_TYPE(CEventMouse, CEventInput, EventTypeMouse)
protected:
    CEventMouse() : CEventInput(CategoryMouse) {}
};

class CEventNode : public CEvent {
    OSKEL_EVENT_TYPE(CEventNode, CEvent, EventTypeNode)
protected:
    CEventNode() : CEvent(CategoryNode) {}
};

class CEventSound : public CEvent {
    OSKEL_EVENT_TYPE(CEventSound, CEvent, EventTypeSound)
protected:
    CEventSound() : CEvent(CategorySound) {}
};

// The base of the game's events (ids 4096 and up).
class CEventGame : public CEvent {
    OSKEL_EVENT_TYPE(CEventGame, CEvent, EventTypeGame)
protected:
    CEventGame() : CEvent(CategoryGame) {}
};

// A new event of the class, held by the pointer (which takes over the creation reference).
template <class E, class... Args>
CRefPtr<E> makeEvent(Args&&... args) {
    return makeRef<E>(std::forward<Args>(args)...);
}

}  // namespace oskel
