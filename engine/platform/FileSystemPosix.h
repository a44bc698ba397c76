#pragma once

#include <cstdio>
#include <vector>

#include "engine/core/OskelTypes.h"

// POSIX services behind the file system: opening files, folders, the working directory and the
// two data folders.
namespace oskel::platform {

// Opens a regular file for reading ("rb"). Folders, FIFOs, devices and sockets are refused
// without blocking. Null on failure.
FILE* openRegularFileForReading(const char* name);
// Opens a file for writing ("wb", or "ab" when appending); an existing name that is not a
// regular file is refused. Null on failure.
FILE* openFileForWriting(const char* name, bool append);

// An entry of a folder listing.
struct SFolderEntry {
    stringc name;      // the name within the folder
    bool isDirectory;  // false also when it cannot be examined
    u32 size;          // bytes, capped at the largest u32; 0 when it cannot be examined
};

// The entries of the folder but "." and "..", in the order the system gives them; empty when it
// cannot be read.
std::vector<SFolderEntry> listFolder(const stringc& folder);

// True when the name exists as anything (a file or a folder).
bool pathExists(const char* name);
bool isFolder(const char* name);

// The current directory; empty when it cannot be read.
stringc getCurrentDirectory();
bool changeDirectory(const char* name);
// The absolute form of the name: the resolved path when it exists, otherwise the name joined to
// the current directory with "." and ".." resolved. Empty when neither can be made.
stringc getAbsolutePath(const char* name);

// Creates the folder and its missing parents (mode 0755 before the umask). True when it exists
// as a folder afterwards.
bool makeFolders(const stringc& path);

// A folder name component that may be appended to a path: not empty, not "." or "..", no
// separator.
bool isSafeFolderName(const stringc& name);

// The base of the per-user data: $XDG_DATA_HOME when it is an absolute path, else
// $HOME/.local/share. Empty when neither is known.
stringc getUserDataHome();

// The per-user data folder: user data home + publisher + title, created with its parents.
// Empty (and logged) when it cannot be found or made.
stringc getUserDataFolder(const stringc& publisher, const stringc& title);

// Where the data shared by all users goes, in this order:
//  - when overrideRoot is given (not null, not empty): overrideRoot + publisher + title;
//  - systemRoot + publisher + title, when it exists or can be created and is writable; a title
//    folder made here is opened to the group (mode 02775);
//  - a per-user folder distinct from the user data folder: user data home + publisher + title +
//    "Common".
// Each candidate is created with its parents. Empty (and logged) when none can be made.
stringc chooseCommonDataFolder(const char* overrideRoot, const stringc& systemRoot,
                               const stringc& userDataHome, const stringc& publisher,
                               const stringc& title);

// chooseCommonDataFolder with $OSKEL_COMMON_DATA_DIR, "/var/games" and getUserDataHome().
stringc getCommonDataFolder(const stringc& publisher, const stringc& title);

// The system calls behind a durable file replacement. Each answers like its POSIX call (-1 and
// errno on failure); tests hand in a set that records or fails them.
class IFileSyscalls {
public:
    virtual ~IFileSyscalls() = default;
    // Creates or truncates the file for writing (mode 0644 before the umask): a descriptor.
    virtual int openForWriting(const char* path);
    virtual long write(int fd, const void* data, size_t size);
    virtual int sync(int fd);
    virtual int close(int fd);
    virtual int rename(const char* from, const char* to);
    virtual int remove(const char* path);
    // Opens a folder for reading, to sync it: a descriptor.
    virtual int openFolder(const char* path);
};

// The real calls.
IFileSyscalls& systemFileSyscalls();

// Replaces the file at path with the bytes so that, whatever happens (a full disk, a crash, a
// power loss), path holds either its old or its new content: the bytes go to temporary, which is
// synced and closed, then renamed over path, then the folder is synced. Every call is checked;
// on a failure before the rename, temporary is removed, path is left as it was, and false is
// returned with a log line naming the step. A failed folder sync after the rename is logged; the
// new file is in place and the answer is true.
bool replaceFileDurably(const stringc& path, const stringc& temporary, const void* data, size_t size,
                        IFileSyscalls& calls = systemFileSyscalls());

}  // namespace oskel::platform
