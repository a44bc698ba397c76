#pragma once

#include <ftw.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "engine/io/IReadableFile.h"
#include "engine/platform/FileSystemPosix.h"
#include "tests/io/ArchiveWriters.h"

namespace oskel::test {

// A fresh folder under the temporary folder, removed with everything in it afterwards.
class TempDir {
public:
    TempDir() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/oskel-io-XXXXXX";
        m_path = ::mkdtemp(&pattern[0]) ? pattern : std::string();
    }
    ~TempDir() {
        if (!m_path.empty())
            ::nftw(m_path.c_str(), [](const char* p, const struct stat*, int, struct FTW*) {
                return ::remove(p);
            }, 16, FTW_DEPTH | FTW_PHYS);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }
    // Writes a file (its folders made first) and returns its full path.
    std::string write(const std::string& name, const std::string& bytes) const {
        const std::string full = *this / name;
        const size_t slash = full.rfind('/');
        platform::makeFolders(stringc(full.substr(0, slash).c_str()));
        writeFileBytes(full, bytes);
        return full;
    }

private:
    std::string m_path;
};

// Changes the working directory for the scope.
class ScopedWorkingDirectory {
public:
    explicit ScopedWorkingDirectory(const std::string& path)
        : m_previous(platform::getCurrentDirectory().c_str()) {
        if (::chdir(path.c_str()) != 0) std::abort();
    }
    ~ScopedWorkingDirectory() {
        if (::chdir(m_previous.c_str()) != 0) std::abort();
    }

private:
    std::string m_previous;
};

// Everything left to read in the file.
inline std::string readAll(IReadableFile* file) {
    std::string out;
    char buffer[977];  // an odd size, so reads cross block boundaries at odd places
    for (;;) {
        const s32 got = file->read(buffer, sizeof(buffer));
        if (got <= 0) break;
        out.append(buffer, static_cast<size_t>(got));
    }
    return out;
}

}  // namespace oskel::test
