#pragma once

#include <thread>

#include "engine/core/CMutex.h"

namespace oskel {

// A worker thread object. run() calls the function with the user value when one is set;
// classes override it. The thread must be joined before the object that run() uses is
// destroyed: the most derived class joins in its destructor.
class CThread {
public:
    using Function = void (*)(void* user);

    CThread() = default;
    CThread(Function function, void* user) : m_function(function), m_user(user) {}
    virtual ~CThread();
    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;

    // Starts the thread; false when it already runs or cannot be created ("Failed to create
    // thread." is logged).
    bool start();
    // Waits for the thread to end and forgets it.
    void join();
    bool isStarted() const { return m_thread.joinable(); }

    // Work done on every thread this class starts: the start hook first thing on the new thread,
    // the end hook (the one set when the thread started) last. The platform layer gives each
    // thread what the whole process needs there, such as the alternate signal stack on which a
    // crash report is written. None: nothing.
    using Hook = void (*)();
    static void setThreadHooks(Hook onStart, Hook onEnd);

protected:
    virtual void run();

    CMutex m_mutex;

private:
    std::thread m_thread;
    Function m_function = nullptr;
    void* m_user = nullptr;
};

}  // namespace oskel
