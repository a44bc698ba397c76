#include "engine/core/event/CEventReceiver.h"

namespace oskel {

namespace {

void removeFirst(array<CEventReceiver*>& list, CEventReceiver* receiver) {
    for (u32 i = 0; i < list.size(); ++i) {
        if (list[i] == receiver) {
            list.erase(i);
            return;
        }
    }
}

}  // namespace

const stringw& CEvent::getClassName() const {
    static const stringw name(L"#thisClassName");
    return name;
}

bool CEventReceiver::onEvent(CEvent*) { return false; }
bool CEventReceiver::routeToParent(u32, CEvent*) { return false; }
bool CEventReceiver::routeToChildren(u32, CEvent*) { return false; }

bool CEventReceiver::dispatchEvent(u32 mode, CEvent* event) {
    switch (mode) {
        case DispatchSelf:
            return onEvent(event);
        case DispatchSelfThenChildren:
            return onEvent(event) || routeToChildren(DispatchSelfThenChildren, event);
        case DispatchChildrenThenSelf:
            return routeToChildren(DispatchChildrenThenSelf, event) || onEvent(event);
        case DispatchSelfThenParents:
            return onEvent(event) || routeToParent(DispatchSelfThenParents, event);
        case DispatchParentsThenSelf:
            return routeToParent(DispatchParentsThenSelf, event) || onEvent(event);
        default:
            return false;
    }
}

void CEventReceiver::addPreReceiver(CEventReceiver* receiver) { m_preReceivers.push_back(receiver); }
void CEventReceiver::addPostReceiver(CEventReceiver* receiver) { m_postReceivers.push_back(receiver); }
void CEventReceiver::removePreReceiver(CEventReceiver* receiver) { removeFirst(m_preReceivers, receiver); }
void CEventReceiver::removePostReceiver(CEventReceiver* receiver) { removeFirst(m_postReceivers, receiver); }

const EventMap& CEventReceiver::getEventMap() {
    static const EventMap root;
    return root;
}

bool CEventReceiver::handleEvent(const EventMap& map, CEvent* event) {
    if (!event) return false;
    // The lists may change while they are asked: index them afresh each turn.
    for (u32 i = 0; i < m_preReceivers.size(); ++i) {
        CEventReceiver* pre = m_preReceivers[i];
        if (pre && pre->onEvent(event)) return true;
    }
    const bool askPostReceivers = !m_postReceivers.empty();
    auto entry = map.find(event->getTypeId());
    if (entry != map.end() && entry->second(this, event)) return true;
    if (!askPostReceivers) return false;
    for (u32 i = 0; i < m_postReceivers.size(); ++i) {
        CEventReceiver* post = m_postReceivers[i];
        if (post && post->onEvent(event)) return true;
    }
    return false;
}

}  // namespace oskel
