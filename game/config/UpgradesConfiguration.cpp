#include "game/config/UpgradesConfiguration.h"

#include "engine/core/CLogger.h"
#include "game/config/ConfigurationXml.h"
#include "game/level/GLevelModifier.h"

namespace brasquel {

using namespace oskel;
using config::isElement;
using config::isElementEnd;
using config::narrowAttribute;

UpgradeRecord::UpgradeRecord() : LevelModifiers(makeRef<GLevelModifierList>()) {}
UpgradeRecord::~UpgradeRecord() = default;

void UpgradeRecord::read(CXmlReader* reader) {
    AllowsBuilding.clear();
    AllowsBuildingFeature.clear();
    if (!reader || reader->isEmptyElement()) return;
    while (reader->read()) {
        if (isElementEnd(reader, L"Upgrade")) return;
        if (reader->getNodeType() != XmlNodeElement) continue;
        const stringw& element = reader->getNodeName();
        if (element == stringw(L"Name")) {
            Name = CNameId(narrowAttribute(reader, L"Value"));
        } else if (element == stringw(L"Info")) {
            Info = reader->getAttributeValue(L"Value");
        } else if (element == stringw(L"Price")) {
            Price = reader->getAttributeValueAsInt(L"Value", 0);
        } else if (element == stringw(L"Level")) {
            Level = reader->getAttributeValueAsInt(L"Value", 0);
        } else if (element == stringw(L"ObligatoryLevel")) {
            ObligatoryLevel = reader->getAttributeValueAsInt(L"Value", 0);
        } else if (element == stringw(L"AllowsBuilding")) {
            AllowsBuilding.push_back(CNameId(narrowAttribute(reader, L"Value")));
        } else if (element == stringw(L"AllowsBuildingFeature")) {
            SAllowedBuildingFeature feature;
            feature.Building = CNameId(narrowAttribute(reader, L"Building"));
            // Counted from 1 in the file.
            feature.FeatureIndex = reader->getAttributeValueAsInt(L"FeatureIndex", 0) - 1;
            AllowsBuildingFeature.push_back(feature);
        } else if (element == stringw(L"LevelModifiers")) {
            LevelModifiers->read(reader);
        }
    }
}

bool UpgradesConfiguration::load(CXmlReader* reader) {
    m_records.clear();
    if (!reader) return false;
    while (reader->read()) {
        if (isElementEnd(reader, L"UpgradesConfiguration")) return true;
        if (!isElement(reader, L"Upgrade")) continue;
        CRefPtr<UpgradeRecord> record = makeRef<UpgradeRecord>();
        record->read(reader);
        if (record->Name.isEmpty()) {
            // Nothing could find it by name, but the shop and the map would list it.
            CLogger::instance().log("Upgrade without a name is left out", LogWarning);
            continue;
        }
        m_records.emplace(record->Name, record);  // a name already present keeps its first record
    }
    return false;
}

UpgradeRecord* UpgradesConfiguration::find(const CNameId& name) const {
    auto found = m_records.find(name);
    return found == m_records.end() ? nullptr : found->second.get();
}

}  // namespace brasquel
