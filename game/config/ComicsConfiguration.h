#pragma once

#include <map>

#include "engine/core/CRefPtr.h"
#include "engine/core/OskelTypes.h"
#include "game/config/IConfigurationTable.h"

namespace brasquel {

// Which comic page belongs to a level.
class ComicsEntry : public virtual oskel::IReferenceCounted {
public:
    // Reads the child elements "Level" and "ScenePath" (attribute "Value" each) up to the end of
    // the "Comics" element the reader stands on; other elements are skipped.
    void read(oskel::CXmlReader* reader);

    oskel::s32 Level = 0;
    oskel::stringw ScenePath;  // the comic's scene file; empty: no comic
};

// The comics table of "scenes/ComicsConfiguration.xml": one entry per level index.
class ComicsConfiguration : public virtual oskel::IReferenceCounted, public IConfigurationTable {
public:
    // Empties the table, then reads every "Comics" element up to the end of
    // "ComicsConfiguration" (true) or of the file (false; the entries read so far stay). Of two
    // entries for one level the first stays.
    bool load(oskel::CXmlReader* reader);
    bool read(oskel::CXmlReader* reader) override { return load(reader); }

    // The entry of the level, or none.
    ComicsEntry* find(oskel::s32 level) const;
    oskel::u32 size() const { return static_cast<oskel::u32>(m_entries.size()); }
    const std::map<oskel::s32, oskel::CRefPtr<ComicsEntry>>& getEntries() const { return m_entries; }

private:
    std::map<oskel::s32, oskel::CRefPtr<ComicsEntry>> m_entries;
};

}  // namespace brasquel
