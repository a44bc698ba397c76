#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace oskel::platform {

// Makes sure the game runs once per user. The guard lives in a folder of the user's own, named
// after the guard, made with mode 0700: it holds a lock file, whose lock the first instance
// holds (the kernel releases it when the process ends, however it ends), and the local socket
// through which a later start asks the running game to come to the front. A later start finds
// the lock taken, sends its request (to a peer of the same user only) and reports another
// instance.
//
// Where the folder goes: $OSKEL_INSTANCE_DIR when it is set (tests give each run a place of its
// own), else $XDG_RUNTIME_DIR, else the user data home ($XDG_DATA_HOME or ~/.local/share). A
// guard folder there that is not the user's own (another user's, a link, or open to others) is
// passed over for the next place: a name held by someone else never stops the game.
class CSingleInstanceGuard {
public:
    explicit CSingleInstanceGuard(const char* name);
    // The guard in the first of these folders that serves (tests).
    CSingleInstanceGuard(const char* name, const std::vector<std::string>& places);
    ~CSingleInstanceGuard();
    CSingleInstanceGuard(const CSingleInstanceGuard&) = delete;
    CSingleInstanceGuard& operator=(const CSingleInstanceGuard&) = delete;

    // True when this process is not the first instance, or when the guard could not be made.
    bool isAnotherInstance() const { return !m_first; }
    // True when the guard could not be made at all (neither first nor second instance).
    bool hasFailed() const { return m_failed; }
    // The guard's folder (empty when the guard failed).
    const std::string& getFolder() const { return m_folder; }
    // The running game's window: from now on, requests to come to the front are answered.
    void setWindow(void* window) { m_window = window; }
    // Takes the requests that arrived, without waiting for any: a start that has connected but
    // not yet sent its request is asked again at later calls (for a while). True when one asked
    // to come to the front and a window is known (requests before that are dropped).
    bool takeRaiseRequest();

    // The places tried by the constructor without places, in order.
    static std::vector<std::string> defaultPlaces();

private:
    struct SWaiting {
        int socket;
        uint64_t sinceMs;
    };

    void open(const char* name, const std::vector<std::string>& places);
    bool openIn(const std::string& place, const char* name);
    void closeWaiting(size_t index);

    int m_folderFd = -1;
    int m_lock = -1;
    int m_socket = -1;
    bool m_first = false;
    bool m_failed = false;
    void* m_window = nullptr;
    std::string m_folder;
    std::string m_socketPath;
    std::vector<SWaiting> m_waiting;
};

}  // namespace oskel::platform
