#include "engine/core/CNameTable.h"

namespace oskel {

CNameIdMap::CNameIdMap() { m_ids.emplace(std::string_view(), -1); }

s32 CNameIdMap::getId(std::string_view name) {
    auto found = m_ids.find(name);
    if (found != m_ids.end()) return found->second;
    const s32 id = ++m_lastId;
    m_names.emplace_back(name.data(), static_cast<u32>(name.size()));
    const stringc& stored = m_names.back();
    m_ids.emplace(std::string_view(stored.c_str(), stored.size()), id);
    return id;
}

const stringc& CNameIdMap::getName(s32 id) const {
    if (id < 1 || static_cast<size_t>(id) > m_names.size()) return m_empty;
    return m_names[static_cast<size_t>(id) - 1];
}

array<CNameId> parseNameIdList(const stringc& text) {
    array<CNameId> result;
    const char* s = text.c_str();
    const u32 n = text.size();
    auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    u32 start = 0;
    while (start <= n) {
        u32 end = start;
        while (end < n && s[end] != ';') ++end;
        u32 a = start, b = end;
        while (a < b && isBlank(s[a])) ++a;
        while (b > a && isBlank(s[b - 1])) --b;
        if (b > a)
            result.push_back(CNameId::fromId(
                CNameTable::instance().getId(std::string_view(s + a, b - a))));
        start = end + 1;
    }
    return result;
}

}  // namespace oskel
