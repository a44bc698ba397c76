#pragma once

#include <vector>

#include "engine/core/OskelTypes.h"

namespace oskel {

// A listing of one folder of the disk: its entries but "." and "..", sorted by name.
class CFileList : public virtual IReferenceCounted {
public:
    // Lists the folder; an empty list when it cannot be read.
    explicit CFileList(const stringc& folder);

    u32 getFileCount() const { return static_cast<u32>(m_entries.size()); }
    // Empty texts, false and 0 for an index out of range.
    const stringc& getFileName(u32 index) const;
    // The folder's path followed by '/' and the name.
    const stringc& getFullFileName(u32 index) const;
    bool isDirectory(u32 index) const;
    u32 getFileSize(u32 index) const;
    // The index of the entry of that name (exact comparison), or -1.
    s32 findFile(const stringc& name) const;
    const stringc& getPath() const { return m_path; }

private:
    struct Entry {
        stringc name;
        stringc fullName;
        bool isDirectory;
        u32 size;
    };
    stringc m_path;
    std::vector<Entry> m_entries;
    stringc m_empty;
};

}  // namespace oskel
