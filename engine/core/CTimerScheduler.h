#pragma once

#include "engine/core/OskelTypes.h"
#include "engine/core/event/CEventReceiver.h"

namespace oskel {

class CTimerScheduler;

// Something called at a regular period (in milliseconds) of a timer scheduler's clock. A period
// of 0 means once per scheduler update.
class IUpdateReceiver : public virtual IReferenceCounted {
public:
    explicit IUpdateReceiver(u32 periodMs = 0) : m_period(periodMs) {}
    ~IUpdateReceiver() override;

    // Called with the period as the elapsed time; false asks the scheduler to stop calling.
    virtual bool update(u32 elapsedMs) = 0;

    u32 getUpdatePeriod() const { return m_period; }
    void setUpdatePeriod(u32 periodMs) { m_period = periodMs; }

    // The scheduler the receiver is attached to, or none.
    CTimerScheduler* getUpdateSource() const { return m_source; }
    // Moves the receiver from its scheduler to another (none detaches it).
    void setUpdateSource(CTimerScheduler* scheduler);

private:
    friend class CTimerScheduler;
    CTimerScheduler* m_source = nullptr;
    u32 m_period;
};

// Turns update events into periodic calls of update receivers. The scheduler's clock is the sum
// of the elapsed times of its updates scaled by its speed; a disabled scheduler's clock stands
// still. Receivers may add and remove receivers, themselves included, while they are called:
// such changes take effect at the end of the update.
class CTimerScheduler : public CEventReceiver {
    OSKEL_DECLARE_EVENT_MAP()

public:
    CTimerScheduler();
    ~CTimerScheduler() override;

    // Attaches the receiver; its first call is due one period after the current clock.
    virtual void addTimer(IUpdateReceiver* receiver);
    virtual void removeTimer(IUpdateReceiver* receiver);
    virtual void setEnabled(bool enabled) { m_enabled = enabled; }
    virtual bool isEnabled() const { return m_enabled; }
    virtual void setSpeed(f32 speed) { m_speed = speed; }
    virtual f32 getSpeed() const { return m_speed; }
    // Advances the clock by speed x elapsed and calls every receiver that is due, as often as
    // its period fits into the time that has passed.
    virtual void update(u32 elapsedMs);
    // The update event: runs update() with its elapsed time; never consumes the event.
    virtual bool onUpdateEvent(CEvent* event);

    // The clock in milliseconds (kept in double precision).
    f64 getClock() const { return m_clock; }
    // The number of entries in the active list.
    u32 getTimerCount() const { return m_active.size(); }

private:
    // Due times and the clock in whole milliseconds, in 64 bits: they never saturate or wrap in a
    // run, however long or sped up.
    struct Entry {
        IUpdateReceiver* receiver;
        u64 due;
    };

    u64 clockMilliseconds() const;
    void removeEntryAt(array<Entry>& list, u32 index);

    bool m_enabled = true;
    f32 m_speed = 1.0f;
    bool m_updating = false;
    array<Entry> m_active;
    array<Entry> m_pendingAdditions;
    array<IUpdateReceiver*> m_pendingRemovals;
    f64 m_clock = 0.0;
};

}  // namespace oskel
