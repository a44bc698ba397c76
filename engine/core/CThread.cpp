#include "engine/core/CThread.h"

#include <system_error>

#include "engine/core/CLogger.h"

namespace oskel {

CThread::~CThread() {
    // A derived class joins before its members go; this is the last guard.
    join();
}

bool CThread::start() {
    if (m_thread.joinable()) return false;
    try {
        m_thread = std::thread([this] { run(); });
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
