#include "engine/io/CFileList.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace oskel {

CFileList::CFileList(const stringc& folder) : m_path(folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* item = ::readdir(dir)) {
        if (std::strcmp(item->d_name, ".") == 0 || std::strcmp(item->d_name, "..") == 0) continue;
        Entry entry{stringc(item->d_name), m_path, false, 0};
        if (!entry.fullName.empty() && entry.fullName[entry.fullName.size() - 1] != '/')
            entry.fullName += "/";
        entry.fullName += entry.name;
        struct stat info;
        if (::stat(entry.fullName.c_str(), &info) == 0) {
            entry.isDirectory = S_ISDIR(info.st_mode);
            entry.size = info.st_size > static_cast<off_t>(UINT_MAX) ? UINT_MAX
                                                                   : static_cast<u32>(info.st_size);
        }
        m_entries.push_back(entry);
    }
    ::closedir(dir);
    std::sort(m_entries.begin(), m_entries.end(),
              [](const Entry& a, const Entry& b) { return std::strcmp(a.name.c_str(), b.name.c_str()) < 0; });
}

const stringc& CFileList::getFileName(u32 index) const {
    return index < m_entries.size() ? m_entries[index].name : m_empty;
}

const stringc& CFileList::getFullFileName(u32 index) const {
    return index < m_entries.size() ? m_entries[index].fullName : m_empty;
}

bool CFileList::isDirectory(u32 index) const {
    return index < m_entries.size() && m_entries[index].isDirectory;
}

u32 CFileList::getFileSize(u32 index) const {
    return index < m_entries.size() ? m_entries[index].size : 0;
}

s32 CFileList::findFile(const stringc& name) const {
    for (size_t i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].name == name) return static_cast<s32>(i);
    return -1;
}

}  // namespace oskel
