#pragma once

#include <algorithm>

namespace oskel {

template <class Entry>
void sortArchiveEntries(std::vector<Entry>& entries) {
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return compareArchiveNames(a.simpleName, b.simpleName) < 0;
    });
}

template <class Entry>
s32 findSortedArchiveEntry(const std::vector<Entry>& entries, const stringc& key) {
    // Signed bounds: an empty list gives -1 at once.
    s32 low = 0, high = static_cast<s32>(entries.size()) - 1, found = -1;
    while (low <= high) {
        const s32 middle = low + (high - low) / 2;
        const int order = compareArchiveNames(key, entries[static_cast<size_t>(middle)].simpleName);
        if (order == 0) {
            found = middle;  // keep looking left for the first of equal names
            high = middle - 1;
        } else if (order < 0) {
            high = middle - 1;
        } else {
            low = middle + 1;
        }
    }
    return found;
}

}  // namespace oskel
