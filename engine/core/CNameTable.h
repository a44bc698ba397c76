#pragma once

#include <deque>
#include <string_view>
#include <unordered_map>

#include "engine/core/OskelTypes.h"
#include "engine/core/Singleton.h"

namespace oskel {

// Maps names to small integer ids and back. Ids run 1, 2, 3, ... in the order in which names are
// first seen; the empty name has id -1. Ids are never reused and are valid for one run only:
// they are never stored in files.
class CNameIdMap {
public:
    CNameIdMap();
    CNameIdMap(const CNameIdMap&) = delete;
    CNameIdMap& operator=(const CNameIdMap&) = delete;

    // The id of the name; an unknown name is added.
    s32 getId(const stringc& name) { return getId(std::string_view(name.c_str(), name.size())); }
    s32 getId(const char* name) { return getId(std::string_view(name ? name : "")); }
    s32 getId(std::string_view name);

    // The name of the id; an unknown id gives an empty string.
    const stringc& getName(s32 id) const;

    // The number of names in the table, the empty name included.
    u32 getCount() const { return static_cast<u32>(m_names.size()) + 1; }

private:
    std::unordered_map<std::string_view, s32> m_ids;  // views into m_names
    std::deque<stringc> m_names;                       // m_names[i] has id i + 1
    stringc m_empty;
    s32 m_lastId = 0;
};

// The global table of the names used by code: node, state, property, event and cue names.
class CNameTable : public CNameIdMap, public TSingleton<CNameTable> {};

// One name, held as its id in the global name table.
class CNameId {
public:
    CNameId() = default;
    CNameId(const stringc& name) : m_id(CNameTable::instance().getId(name)) {}
    CNameId(const char* name) : m_id(CNameTable::instance().getId(name)) {}
    static CNameId fromId(s32 id) {
        CNameId n;
        n.m_id = id;
        return n;
    }

    s32 getId() const { return m_id; }
    const stringc& getName() const { return CNameTable::instance().getName(m_id); }
    bool isEmpty() const { return m_id == -1; }

    bool operator==(const CNameId& o) const { return m_id == o.m_id; }
    bool operator!=(const CNameId& o) const { return m_id != o.m_id; }
    bool operator<(const CNameId& o) const { return m_id < o.m_id; }

private:
    s32 m_id = -1;
};

// Splits a text at every ';', trims spaces, tabs, carriage returns and line feeds from each piece
// and returns the ids of the pieces that are not empty, in their order.
array<CNameId> parseNameIdList(const stringc& text);

}  // namespace oskel
