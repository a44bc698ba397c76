#include "game/config/ComicsConfiguration.h"

#include "game/config/ConfigurationXml.h"

namespace brasquel {

using namespace oskel;
using config::isElement;
using config::isElementEnd;

void ComicsEntry::read(CXmlReader* reader) {
    if (!reader || reader->isEmptyElement()) return;
    while (reader->read()) {
        if (isElementEnd(reader, L"Comics")) return;
        if (isElement(reader, L"Level"))
            Level = reader->getAttributeValueAsInt(L"Value", 0);
        else if (isElement(reader, L"ScenePath"))
            ScenePath = reader->getAttributeValue(L"Value");
    }
}

bool ComicsConfiguration::load(CXmlReader* reader) {
    m_entries.clear();
    if (!reader) return false;
    while (reader->read()) {
        if (isElementEnd(reader, L"ComicsConfiguration")) return true;
        if (!isElement(reader, L"Comics")) continue;
        CRefPtr<ComicsEntry> entry = makeRef<ComicsEntry>();
        entry->read(reader);
        m_entries.emplace(entry->Level, entry);  // a level already present keeps its first entry
    }
    return false;
}

ComicsEntry* ComicsConfiguration::find(s32 level) const {
    auto found = m_entries.find(level);
    return found == m_entries.end() ? nullptr : found->second.get();
}

}  // namespace brasquel
