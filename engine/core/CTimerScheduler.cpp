#include "engine/core/CTimerScheduler.h"

#include <cmath>

#include "engine/core/event/DeviceEvents.h"

namespace oskel {

IUpdateReceiver::~IUpdateReceiver() {
    if (m_source) m_source->removeTimer(this);
}

void IUpdateReceiver::setUpdateSource(CTimerScheduler* scheduler) {
    if (scheduler == m_source) return;
    if (m_source) m_source->removeTimer(this);
    if (scheduler) scheduler->addTimer(this);
}

OSKEL_BEGIN_EVENT_MAP(CTimerScheduler, CEventReceiver)
OSKEL_EVENT_HANDLER(EventSystemFlowUpdate, onUpdateEvent)
OSKEL_END_EVENT_MAP()

CTimerScheduler::CTimerScheduler() {
    addCategory(CategorySystemFlow);
    m_active.reallocate(1024);
}

CTimerScheduler::~CTimerScheduler() {
    // Receivers that outlive the scheduler must not point back to it.
    for (u32 i = 0; i < m_active.size(); ++i) {
        IUpdateReceiver* r = m_active[i].receiver;
        if (r->m_source == this) r->m_source = nullptr;
        r->drop();
    }
    for (u32 i = 0; i < m_pendingAdditions.size(); ++i) {
        IUpdateReceiver* r = m_pendingAdditions[i].receiver;
        if (r->m_source == this) r->m_source = nullptr;
        r->drop();
    }
}

u64 CTimerScheduler::clockMilliseconds() const {
    const f64 rounded = std::floor(m_clock + 0.5);
    if (!(rounded > 0.0)) return 0;
    return static_cast<u64>(rounded);
}

void CTimerScheduler::removeEntryAt(array<Entry>& list, u32 index) {
    list[index] = list[list.size() - 1];
    list.erase(list.size() - 1);
}

void CTimerScheduler::addTimer(IUpdateReceiver* receiver) {
    if (!receiver) return;
    receiver->m_source = this;
    for (u32 i = 0; i < m_pendingRemovals.size(); ++i) {
        if (m_pendingRemovals[i] == receiver) {
            // Removed and added again within one update: it keeps its entry and due time.
            m_pendingRemovals[i] = m_pendingRemovals[m_pendingRemovals.size() - 1];
            m_pendingRemovals.erase(m_pendingRemovals.size() - 1);
            return;
        }
    }
    receiver->grab();
    f64 due = std::trunc(m_clock + static_cast<f64>(receiver->getUpdatePeriod()));
    if (!(due > 0.0)) due = 0.0;
    const Entry entry{receiver, static_cast<u64>(due)};
    if (m_updating)
        m_pendingAdditions.push_back(entry);
    else
        m_active.push_back(entry);
}

void CTimerScheduler::removeTimer(IUpdateReceiver* receiver) {
    if (!receiver) return;
    if (receiver->m_source == this) receiver->m_source = nullptr;
    if (m_updating) {
        for (u32 i = 0; i < m_pendingRemovals.size(); ++i)
            if (m_pendingRemovals[i] == receiver) return;
        m_pendingRemovals.push_back(receiver);
        return;
    }
    for (u32 i = 0; i < m_active.size(); ++i) {
        if (m_active[i].receiver == receiver) {
            removeEntryAt(m_active, i);
            receiver->drop();
            return;
        }
    }
}

void CTimerScheduler::update(u32 elapsedMs) {
    if (m_updating) return;  // a receiver asked for a nested update: ignored
    m_updating = true;
    if (isEnabled()) {
        m_clock += static_cast<f64>(m_speed) * static_cast<f64>(elapsedMs);
        const u64 now = clockMilliseconds();
        // The active list keeps its size during the calls: changes go to the pending lists.
        for (u32 i = 0; i < m_active.size(); ++i) {
            IUpdateReceiver* r = m_active[i].receiver;
            if (r->m_source != this || now < m_active[i].due) continue;
            for (;;) {
                const u32 period = r->getUpdatePeriod();
                if (!r->update(period)) {
                    if (r->m_source == this) r->m_source = nullptr;
                    break;
                }
                if (r->m_source != this) break;  // removed or moved during its call
                m_active[i].due += r->getUpdatePeriod();
                if (period == 0 || now < m_active[i].due) break;
            }
        }
    }
    // Sweep: entries detached from this scheduler, or held by nobody else, go.
    for (u32 i = 0; i < m_active.size();) {
        IUpdateReceiver* r = m_active[i].receiver;
        if (r->m_source != this || r->getReferenceCount() == 1) {
            if (r->m_source == this) r->m_source = nullptr;
            removeEntryAt(m_active, i);
            r->drop();
        } else {
            ++i;
        }
    }
    m_pendingRemovals.set_used(0);
    for (u32 i = 0; i < m_pendingAdditions.size(); ++i) {
        IUpdateReceiver* r = m_pendingAdditions[i].receiver;
        if (r->m_source == this)
            m_active.push_back(m_pendingAdditions[i]);
        else
            r->drop();  // added and removed again within the update
    }
    m_pendingAdditions.set_used(0);
    m_updating = false;
}

bool CTimerScheduler::onUpdateEvent(CEvent* event) {
    update(static_cast<CEventSystemFlowUpdate*>(event)->getElapsed());
    return false;
}

}  // namespace oskel
