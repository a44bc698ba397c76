#include "engine/platform/FileSystemPosix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/CLogger.h"

namespace oskel::platform {

namespace {

// Joins a folder and a name with one '/'.
stringc joinPath(const stringc& folder, const stringc& name) {
    stringc result(folder);
    if (!result.empty() && result[result.size() - 1] != '/') result += "/";
    result += name;
    return result;
}

bool isWritableFolder(const stringc& path) {
    return isFolder(path.c_str()) && ::access(path.c_str(), W_OK | X_OK) == 0;
}

// Makes base/publisher/title; true and the path when it is a writable folder afterwards.
// createdTitle tells whether the title folder was made by this call.
bool makeDataFolder(const stringc& base, const stringc& publisher, const stringc& title,
                    stringc& path, bool* createdTitle = nullptr) {
    if (base.empty()) return false;
    path = joinPath(joinPath(base, publisher), title);
    const bool existed = isFolder(path.c_str());
    if (!existed && !makeFolders(path)) return false;
    if (createdTitle) *createdTitle = !existed;
    return isWritableFolder(path);
}

}  // namespace

FILE* openRegularFileForReading(const char* name) {
    if (!name || !*name) return nullptr;
    // Non-blocking, so that opening a FIFO without a writer does not wait.
    const int fd = ::open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    FILE* stream = ::fdopen(fd, "rb");
    if (!stream) ::close(fd);
    return stream;
}

FILE* openFileForWriting(const char* name, bool append) {
    if (!name || !*name) return nullptr;
    struct stat info;
    if (::stat(name, &info) == 0 && !S_ISREG(info.st_mode)) return nullptr;
    return std::fopen(name, append ? "ab" : "wb");
}

bool pathExists(const char* name) {
    struct stat info;
    return name && *name && ::stat(name, &info) == 0;
}

bool isFolder(const char* name) {
    struct stat info;
    return name && *name && ::stat(name, &info) == 0 && S_ISDIR(info.st_mode);
}

stringc getCurrentDirectory() {
    std::vector<char> buffer(256);
    while (buffer.size() <= (1u << 20)) {
        if (::getcwd(buffer.data(), buffer.size())) return stringc(buffer.data());
        if (errno != ERANGE) return stringc();
        buffer.resize(buffer.size() * 2);
    }
    return stringc();
}

bool changeDirectory(const char* name) { return name && *name && ::chdir(name) == 0; }

stringc getAbsolutePath(const char* name) {
    if (!name || !*name) return stringc();
    if (char* resolved = ::realpath(name, nullptr)) {
        stringc result(resolved);
        std::free(resolved);
        return result;
    }
    // A name that does not exist (yet): resolve it by its text against the current directory.
    std::string full;
    if (name[0] != '/') {
        const stringc cwd = getCurrentDirectory();
        if (cwd.empty()) return stringc();
        full = cwd.c_str();
        full += '/';
    }
    full += name;
    std::vector<std::string> stack;
    std::string part;
    for (size_t i = 0; i <= full.size(); ++i) {
        if (i == full.size() || full[i] == '/') {
            if (part == "..") {
                if (!stack.empty()) stack.pop_back();
            } else if (!part.empty() && part != ".") {
                stack.push_back(part);
            }
            part.clear();
        } else {
            part += full[i];
        }
    }
    std::string result;
    for (const std::string& s : stack) result += "/" + s;
    if (result.empty()) result = "/";
    return stringc(result.c_str());
}

bool makeFolders(const stringc& path) {
    if (path.empty()) return false;
    std::string current;
    const std::string text = path.c_str();
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '/') {
            if (!current.empty() && current != "/" && !isFolder(current.c_str())) {
                if (::mkdir(current.c_str(), 0755) != 0 && errno != EEXIST) return false;
            }
        }
        if (i < text.size()) current += text[i];
    }
    return isFolder(path.c_str());
}

bool isSafeFolderName(const stringc& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (u32 i = 0; i < name.size(); ++i)
        if (name[i] == '/' || name[i] == '\\') return false;
    return true;
}

stringc getUserDataHome() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') return stringc(xdg);
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return joinPath(stringc(home), ".local/share");
    return stringc();
}

stringc getUserDataFolder(const stringc& publisher, const stringc& title) {
    if (!isSafeFolderName(publisher) || !isSafeFolderName(title)) {
        CLogger::instance().log("Invalid publisher or title name for the user data folder",
                                LogError);
        return stringc();
    }
    stringc path;
    if (!makeDataFolder(getUserDataHome(), publisher, title, path)) {
        CLogger::instance().logHint("Could not create the user data folder", path.c_str(),
                                    LogError);
        return stringc();
    }
    return path;
}

stringc chooseCommonDataFolder(const char* overrideRoot, const stringc& systemRoot,
                               const stringc& userDataHome, const stringc& publisher,
                               const stringc& title) {
    if (!isSafeFolderName(publisher) || !isSafeFolderName(title)) {
        CLogger::instance().log("Invalid publisher or title name for the common data folder",
                                LogError);
        return stringc();
    }
    stringc path;
    if (overrideRoot && *overrideRoot) {
        if (makeDataFolder(stringc(overrideRoot), publisher, title, path)) return path;
        CLogger::instance().logHint("Could not create the common data folder", path.c_str(),
                                    LogError);
        return stringc();
    }
    bool created = false;
    if (makeDataFolder(systemRoot, publisher, title, path, &created)) {
        // Every user of the machine may write here: open the new folder to the group.
        if (created) ::chmod(path.c_str(), 02775);
        return path;
    }
    // A folder of this user's own, never the user data folder itself: both hold a profile.
    if (makeDataFolder(userDataHome, publisher, title, path)) {
        path = joinPath(path, "Common");
        if (makeFolders(path) && isWritableFolder(path)) return path;
    }
    CLogger::instance().log("Could not create a common data folder", LogError);
    return stringc();
}

stringc getCommonDataFolder(const stringc& publisher, const stringc& title) {
    return chooseCommonDataFolder(std::getenv("OSKEL_COMMON_DATA_DIR"), stringc("/var/games"),
                                  getUserDataHome(), publisher, title);
}

std::vector<SFolderEntry> listFolder(const stringc& folder) {
    std::vector<SFolderEntry> entries;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return entries;
    stringc prefix = folder;
    if (!prefix.empty() && prefix[prefix.size() - 1] != '/') prefix += "/";
    while (const dirent* item = ::readdir(dir)) {
        if (std::strcmp(item->d_name, ".") == 0 || std::strcmp(item->d_name, "..") == 0) continue;
        SFolderEntry entry{stringc(item->d_name), false, 0};
        const stringc full = prefix + entry.name;
        struct stat info;
        if (::stat(full.c_str(), &info) == 0) {
            entry.isDirectory = S_ISDIR(info.st_mode);
            entry.size = info.st_size > static_cast<off_t>(UINT_MAX) ? UINT_MAX : static_cast<u32>(info.st_size);
        }
        entries.push_back(entry);
    }
    ::closedir(dir);
    return entries;
}

int IFileSyscalls::openForWriting(const char* path) {
    return ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
}
long IFileSyscalls::write(int fd, const void* data, size_t size) { return static_cast<long>(::write(fd, data, size)); }
int IFileSyscalls::sync(int fd) { return ::fsync(fd); }
int IFileSyscalls::close(int fd) { return ::close(fd); }
int IFileSyscalls::rename(const char* from, const char* to) { return ::rename(from, to); }
int IFileSyscalls::remove(const char* path) { return ::unlink(path); }
int IFileSyscalls::openFolder(const char* path) { return ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC); }

IFileSyscalls& systemFileSyscalls() {
    static IFileSyscalls calls;
    return calls;
}

namespace {

void logFailure(const char* step, const stringc& path) {
    stringc hint = path;
    hint += ": ";
    hint += std::strerror(errno);
    CLogger::instance().logHint(step, hint.c_str(), LogError);
}

// The folder part of a path ("." for a bare name).
stringc folderOf(const stringc& path) {
    const s32 slash = path.findLast('/');
    if (slash < 0) return stringc(".");
    if (slash == 0) return stringc("/");
    return path.subString(0, static_cast<u32>(slash));
}

}  // namespace

bool replaceFileDurably(const stringc& path, const stringc& temporary, const void* data, size_t size,
                        IFileSyscalls& calls) {
    const int fd = calls.openForWriting(temporary.c_str());
    if (fd < 0) {
        logFailure("File not written: it could not be created", temporary);
        return false;
    }
    const char* bytes = static_cast<const char*>(data);
    size_t done = 0;
    bool good = true;
    while (done < size) {
        const long wrote = calls.write(fd, bytes + done, size - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) {
            if (wrote == 0) errno = ENOSPC;  // no progress: the disk is full
            logFailure("File not written: writing failed", temporary);
            good = false;
            break;
        }
        done += static_cast<size_t>(wrote);
    }
    if (good && calls.sync(fd) != 0) {
        logFailure("File not written: it could not be synced", temporary);
        good = false;
    }
    // The close is checked too: some file systems report a failed write only here.
    if (calls.close(fd) != 0 && good) {
        logFailure("File not written: it could not be closed", temporary);
        good = false;
    }
    if (good && calls.rename(temporary.c_str(), path.c_str()) != 0) {
        logFailure("File not written: it could not take the old file's place", path);
        good = false;
    }
    if (!good) {
        calls.remove(temporary.c_str());
        return false;
    }
    // The rename itself lasts only once the folder is synced.
    const stringc folder = folderOf(path);
    const int folderFd = calls.openFolder(folder.c_str());
    if (folderFd < 0 || calls.sync(folderFd) != 0) logFailure("Folder not synced after a file was replaced", folder);
    if (folderFd >= 0) calls.close(folderFd);
    return true;
}

}  // namespace oskel::platform
