#include "engine/io/CFileList.h"

#include <algorithm>
#include <cstring>

#include "engine/platform/FileSystemPosix.h"

namespace oskel {

CFileList::CFileList(const stringc& folder) : m_path(folder) {
    for (const platform::SFolderEntry& item : platform::listFolder(folder)) {
        Entry entry{item.name, m_path, item.isDirectory, item.size};
        if (!entry.fullName.empty() && entry.fullName[entry.fullName.size() - 1] != '/')
            entry.fullName += "/";
        entry.fullName += entry.name;
        m_entries.push_back(entry);
    }
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
