#include <cctype>

#include "engine/io/IArchive.h"
#include "engine/io/PathUtils.h"

namespace oskel {

int compareArchiveNames(const stringc& a, const stringc& b) {
    const u32 common = a.size() < b.size() ? a.size() : b.size();
    for (u32 i = 0; i < common; ++i) {
        const s8 x = static_cast<s8>(a[i]), y = static_cast<s8>(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

stringc makeArchiveLookupKey(const stringc& name, bool ignoreCase, bool ignorePaths) {
    stringc key = toForwardSlashes(name);
    if (ignoreCase) {
        for (u32 i = 0; i < key.size(); ++i)
            key[i] = static_cast<c8>(std::tolower(static_cast<unsigned char>(key[i])));
    }
    if (ignorePaths) key = getFileNamePart(key);
    return key;
}

}  // namespace oskel
