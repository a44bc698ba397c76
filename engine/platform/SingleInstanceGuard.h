#pragma once

namespace oskel::platform {

// Makes sure the game runs once per user. The first instance holds an abstract local socket
// named after the guard's name and the user; the kernel releases it when the process ends,
// however it ends. A later start connects to it, asks the running game to come to the front
// and reports another instance.
class CSingleInstanceGuard {
public:
    explicit CSingleInstanceGuard(const char* name);
    ~CSingleInstanceGuard();
    CSingleInstanceGuard(const CSingleInstanceGuard&) = delete;
    CSingleInstanceGuard& operator=(const CSingleInstanceGuard&) = delete;

    // True when this process is not the first instance, or when the guard could not be made.
    bool isAnotherInstance() const { return m_socket < 0; }
    // True when the guard could not be made at all (neither first nor second instance).
    bool hasFailed() const { return m_failed; }
    // The running game's window: from now on, requests to come to the front are answered.
    void setWindow(void* window) { m_window = window; }
    // Takes the requests that arrived; true when one asked to come to the front and a window is
    // known (requests before that are dropped).
    bool takeRaiseRequest();

private:
    int m_socket = -1;
    bool m_failed = false;
    void* m_window = nullptr;
};

}  // namespace oskel::platform
