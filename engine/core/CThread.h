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

protected:
    virtual void run();

    CMutex m_mutex;

private:
    std::thread m_thread;
    Function m_function = nullptr;
    void* m_user = nullptr;
};

}  // namespace oskel
