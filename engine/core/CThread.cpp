#include "engine/core/CThread.h"

#include <mutex>
#include <system_error>

#include "engine/core/CLogger.h"

namespace oskel {

namespace {

struct SHooks {
    CThread::Hook onStart;
    CThread::Hook onEnd;
};

// Read by every thread as it starts.
std::mutex g_hooksMutex;
SHooks g_hooks{nullptr, nullptr};

SHooks currentHooks() {
    std::lock_guard<std::mutex> lock(g_hooksMutex);
    return g_hooks;
}

}  // namespace

void CThread::setThreadHooks(Hook onStart, Hook onEnd) {
    std::lock_guard<std::mutex> lock(g_hooksMutex);
    g_hooks = SHooks{onStart, onEnd};
}

CThread::~CThread() {
    // A derived class joins before its members go; this is the last guard.
    join();
}

bool CThread::start() {
    if (m_thread.joinable()) return false;
    try {
        m_thread = std::thread([this] {
            const SHooks hooks = currentHooks();
            if (hooks.onStart) hooks.onStart();
            run();
            if (hooks.onEnd) hooks.onEnd();
        });
    } catch (const std::system_error&) {
        CLogger::instance().log("Failed to create thread.", LogError);
        return false;
    }
    return true;
}

void CThread::join() {
    if (!m_thread.joinable()) return;
    // A thread cannot wait for itself: it is let go and ends on its own.
    if (m_thread.get_id() == std::this_thread::get_id())
        m_thread.detach();
    else
        m_thread.join();
}

void CThread::run() {
    if (m_function) m_function(m_user);
}

}  // namespace oskel
