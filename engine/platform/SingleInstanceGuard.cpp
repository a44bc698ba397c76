#include "engine/platform/SingleInstanceGuard.h"

#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace oskel::platform {

namespace {

// The abstract socket address of the guard: a zero byte, then "name.uid".
bool makeAddress(const char* name, sockaddr_un& address, socklen_t& length) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    char text[sizeof address.sun_path];
    const int n = std::snprintf(text, sizeof text, "%s.%u", name ? name : "", static_cast<unsigned>(getuid()));
    if (n <= 0 || static_cast<size_t>(n) + 1 > sizeof address.sun_path) return false;
    std::memcpy(address.sun_path + 1, text, static_cast<size_t>(n));
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + static_cast<size_t>(n));
    return true;
}

void askToComeToTheFront(const sockaddr_un& address, socklen_t length) {
    const int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0) return;
    timeval timeout{1, 0};
    setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    if (connect(s, reinterpret_cast<const sockaddr*>(&address), length) == 0) {
        const char request = 'R';
        (void)!write(s, &request, 1);
    }
    close(s);
}

}  // namespace

CSingleInstanceGuard::CSingleInstanceGuard(const char* name) {
    sockaddr_un address;
    socklen_t length = 0;
    if (!makeAddress(name, address, length)) {
        m_failed = true;
        return;
    }
    const int s = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (s < 0) {
        m_failed = true;
        return;
    }
    if (bind(s, reinterpret_cast<const sockaddr*>(&address), length) == 0 && listen(s, 8) == 0) {
        m_socket = s;  // the first instance
        return;
    }
    const int error = errno;
    close(s);
    if (error == EADDRINUSE)
        askToComeToTheFront(address, length);
    else
        m_failed = true;
}

CSingleInstanceGuard::~CSingleInstanceGuard() {
    if (m_socket >= 0) close(m_socket);
}

bool CSingleInstanceGuard::takeRaiseRequest() {
    if (m_socket < 0) return false;
    bool raise = false;
    for (;;) {
        const int client = accept4(m_socket, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) break;  // nothing more waiting
        timeval timeout{0, 200000};
        setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        char request = 0;
        if (read(client, &request, 1) == 1 && request == 'R' && m_window) raise = true;
        close(client);
    }
    return raise;
}

}  // namespace oskel::platform
