#pragma once

#include <mutex>

#include "engine/core/OskelTypes.h"

namespace oskel {

// A recursive lock: the same thread may lock it again. Reference counted; the creator holds
// the first reference.
class CMutex : public virtual IReferenceCounted {
public:
    CMutex() = default;
    CMutex(const CMutex&) = delete;
    CMutex& operator=(const CMutex&) = delete;

    void lock() { m_mutex.lock(); }
    void unlock() { m_mutex.unlock(); }

private:
    std::recursive_mutex m_mutex;
};

// Locks a mutex for the lifetime of the guard.
class CMutexLock {
public:
    explicit CMutexLock(CMutex& mutex) : m_mutex(mutex) { m_mutex.lock(); }
    ~CMutexLock() { m_mutex.unlock(); }
    CMutexLock(const CMutexLock&) = delete;
    CMutexLock& operator=(const CMutexLock&) = delete;

private:
    CMutex& m_mutex;
};

}  // namespace oskel
