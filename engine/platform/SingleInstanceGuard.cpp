#include "engine/platform/SingleInstanceGuard.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "engine/core/CLogger.h"
#include "engine/platform/FileSystemPosix.h"

namespace oskel::platform {

namespace {

constexpr const char* kLockName = "lock";
constexpr const char* kSocketName = "socket";
constexpr char kRaiseRequest = 'R';
// A start that has connected gets this long to send its request; at most this many wait at once
// (the oldest is let go for a newer one).
constexpr uint64_t kWaitLimitMs = 2000;
constexpr size_t kMaxWaiting = 8;

uint64_t nowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<uint64_t>(t.tv_sec) * 1000u + static_cast<uint64_t>(t.tv_nsec) / 1000000u;
}

bool fillAddress(const std::string& path, sockaddr_un& address, socklen_t& length) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() + 1 > sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + 1);
    return true;
}

// The peer of a connected local socket runs as this process's user.
bool peerIsThisUser(int socket) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0) return false;
    return credentials.uid == geteuid();
}

void askToComeToTheFront(const std::string& path) {
    sockaddr_un address;
    socklen_t length = 0;
    if (!fillAddress(path, address, length)) return;
    const int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0) return;
    timeval timeout{1, 0};
    setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    // A first instance that has not yet opened its socket gets no request: this start only ends.
    if (connect(s, reinterpret_cast<const sockaddr*>(&address), length) == 0 && peerIsThisUser(s))
        (void)!write(s, &kRaiseRequest, 1);
    close(s);
}

void refuse(const char* why, const std::string& folder) {
    CLogger::instance().logHint(why, folder.c_str(), LogWarning);
}

}  // namespace

std::vector<std::string> CSingleInstanceGuard::defaultPlaces() {
    std::vector<std::string> places;
    const char* own = std::getenv("OSKEL_INSTANCE_DIR");
    if (own && own[0]) {
        places.emplace_back(own);
        return places;
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') places.emplace_back(runtime);
    const stringc data = getUserDataHome();
    if (!data.empty()) places.emplace_back(data.c_str());
    return places;
}

CSingleInstanceGuard::CSingleInstanceGuard(const char* name) { open(name, defaultPlaces()); }

CSingleInstanceGuard::CSingleInstanceGuard(const char* name,
                                           const std::vector<std::string>& places) {
    open(name, places);
}

void CSingleInstanceGuard::open(const char* name, const std::vector<std::string>& places) {
    if (name && isSafeFolderName(stringc(name))) {
        for (const std::string& place : places)
            if (openIn(place, name)) return;
    }
    m_failed = true;
}

bool CSingleInstanceGuard::openIn(const std::string& place, const char* name) {
    if (place.empty() || place[0] != '/') return false;
    if (!isFolder(place.c_str()) && !makeFolders(stringc(place.c_str()))) return false;
    std::string folder = place;
    if (folder.back() != '/') folder += '/';
    folder += name;
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
    // The folder itself, never what a link points to: another user could have left one there.
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folderFd < 0) {
        refuse("Instance guard folder passed over (not a folder)", folder);
        return false;
    }
    struct stat info {};
    if (fstat(folderFd, &info) != 0 || info.st_uid != geteuid() || (info.st_mode & 077) != 0) {
        refuse("Instance guard folder passed over (not private to this user)", folder);
        close(folderFd);
        return false;
    }
    const int lock = openat(folderFd, kLockName, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    struct stat lockInfo {};
    if (lock < 0 || fstat(lock, &lockInfo) != 0 || !S_ISREG(lockInfo.st_mode) ||
        lockInfo.st_uid != geteuid()) {
        refuse("Instance guard folder passed over (no lock file of this user)", folder);
        if (lock >= 0) close(lock);
        close(folderFd);
        return false;
    }
    bool first = false;
    if (flock(lock, LOCK_EX | LOCK_NB) == 0) {
        first = true;
    } else if (errno != EWOULDBLOCK) {
        refuse("Instance guard folder passed over (no lock)", folder);
        close(lock);
        close(folderFd);
        return false;
    }
    m_folderFd = folderFd;
    m_folder = folder;
    // A long folder path is reached through the open folder.
    m_socketPath = folder + "/" + kSocketName;
    if (m_socketPath.size() + 1 > sizeof(sockaddr_un::sun_path))
        m_socketPath = "/proc/self/fd/" + std::to_string(folderFd) + "/" + kSocketName;

    if (!first) {
        close(lock);
        askToComeToTheFront(m_socketPath);
        return true;
    }
    m_lock = lock;
    m_first = true;
    // The socket a killed first instance left behind goes; the lock says no one else uses it.
    unlinkat(m_folderFd, kSocketName, 0);
    sockaddr_un address;
    socklen_t length = 0;
    const int s = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (s >= 0 && fillAddress(m_socketPath, address, length) &&
        bind(s, reinterpret_cast<const sockaddr*>(&address), length) == 0 && listen(s, 8) == 0) {
        m_socket = s;
    } else {
        if (s >= 0) close(s);
        // Still the only instance: a later start just ends without bringing this one forward.
        refuse("Instance guard: later starts cannot bring the game to the front", folder);
    }
    return true;
}

CSingleInstanceGuard::~CSingleInstanceGuard() {
    while (!m_waiting.empty()) closeWaiting(m_waiting.size() - 1);
    if (m_socket >= 0) {
        close(m_socket);
        // Removed while the lock is still held: it cannot be a later instance's socket.
        unlinkat(m_folderFd, kSocketName, 0);
    }
    if (m_lock >= 0) close(m_lock);
    if (m_folderFd >= 0) close(m_folderFd);
}

void CSingleInstanceGuard::closeWaiting(size_t index) {
    close(m_waiting[index].socket);
    m_waiting.erase(m_waiting.begin() + static_cast<std::ptrdiff_t>(index));
}

bool CSingleInstanceGuard::takeRaiseRequest() {
    if (m_socket < 0) return false;
    const uint64_t now = nowMs();
    for (;;) {
        const int client = accept4(m_socket, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (client < 0) break;  // nothing more waiting
        if (!peerIsThisUser(client)) {
            close(client);
            continue;
        }
        if (m_waiting.size() >= kMaxWaiting) closeWaiting(0);
        m_waiting.push_back(SWaiting{client, now});
    }
    bool raise = false;
    for (size_t i = 0; i < m_waiting.size();) {
        char request = 0;
        const ssize_t n = read(m_waiting[i].socket, &request, 1);
        const bool silent = n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR);
        if (silent && now - m_waiting[i].sinceMs < kWaitLimitMs) {
            ++i;  // asked again at a later call
            continue;
        }
        if (n == 1 && request == kRaiseRequest && m_window) raise = true;
        closeWaiting(i);
    }
    return raise;
}

}  // namespace oskel::platform
