#include "game/level/GBuildingsConfiguration.h"

#include <cmath>

#include "engine/io/CXmlReader.h"
#include "engine/properties/CPropertyData.h"
#include "engine/properties/CPropertySet.h"
#include "game/config/ConfigurationXml.h"
#include "game/level/GLevelConfiguration.h"

namespace brasquel {

using namespace oskel;
using config::isElement;
using config::isElementEnd;
using config::narrowAttribute;

namespace {

constexpr s32 kDefaultFeatureDurationMs = 15000;

// A field of the record and the property that sets it. A numeric field takes the value only
// from a property of exactly its type; any other type gives 0 (or 0, 0).
bool has(const CPropertySet& set, const char* key) { return set.getPropertyIndex(key) >= 0; }

void readInt(const CPropertySet& set, const char* key, s32& field) {
    if (has(set, key)) field = unboxPropertyInt(set.getProperty(key).get());
}

void readFloat(const CPropertySet& set, const char* key, f32& field) {
    if (has(set, key)) field = unboxPropertyFloat(set.getProperty(key).get());
}

void readArea(const CPropertySet& set, const char* key, vector2df& field) {
    if (has(set, key)) field = unboxPropertyVector2d(set.getProperty(key).get());
}

void readName(const CPropertySet& set, const char* key, CNameId& field) {
    if (has(set, key)) field = CNameId(set.getString(key));
}

void readWide(const CPropertySet& set, const char* key, stringw& field) {
    if (has(set, key)) field = set.getStringW(key);
}

// A worker cost less the level's discount: never below 1; without a level, the cost itself.
s32 discountedWorkers(s32 cost, const GLevelConfiguration* level) {
    if (!level) return cost;
    const f32 result = static_cast<f32>(cost) - level->Factors.WorkersCostA;
    if (!(result >= 1.0f)) return 1;
    if (result >= 2147483647.0f) return 2147483647;
    return static_cast<s32>(result);
}

}  // namespace

bool GBuildingFeature::read(CXmlReader* reader) {
    FeatureTypes.clear();
    ButtonName = CNameId(narrowAttribute(reader, L"ButtonName"));
    if (reader->getAttributeValue(L"ButtonName").empty()) ButtonName = CNameId();
    DurationTime = reader->getAttributeValueAsInt(L"DurationTime", kDefaultFeatureDurationMs);
    RechargeTime = reader->getAttributeValueAsInt(L"RechargeTime", DurationTime);
    MoneyCost = reader->getAttributeValueAsFloat(L"MoneyCost", 0.0f);
    Name = reader->getAttributeValue(L"Name");
    InfoText = reader->getAttributeValue(L"InfoText");
    ButtonInfoText = reader->getAttributeValue(L"ButtonInfoText");
    if (reader->isEmptyElement()) return true;
    while (reader->read()) {
        if (isElementEnd(reader, L"ActiveFeature")) return true;
        if (isElement(reader, L"LevelModifiers")) {
            LevelModifiers = makeRef<GLevelModifierList>();
            LevelModifiers->read(reader);
        } else if (isElement(reader, L"Feature")) {
            FeatureTypes.push_back(CNameId(narrowAttribute(reader, L"Type")));
        }
    }
    return false;
}

GBuildingConfig::GBuildingConfig() = default;
GBuildingConfig::~GBuildingConfig() = default;

bool GBuildingConfig::read(CXmlReader* reader) {
    LevelModifiers = nullptr;
    Features.clear();
    bool ended = reader->isEmptyElement();
    while (!ended && reader->read()) {
        if (isElementEnd(reader, L"Building")) {
            ended = true;
        } else if (isElement(reader, L"Properties")) {
            CRefPtr<CPropertySet> set = makeRef<CPropertySet>();
            set->readXml(reader);
            const CPropertySet& p = *set;
            if (has(p, "DisplayName")) DisplayName = p.getString("DisplayName");
            readWide(p, "Description", Description);
            readWide(p, "FullDescription", FullDescription);
            readFloat(p, "PreviewScale", PreviewScale);
            readName(p, "BuiltSoundCueName", BuiltSoundCueName);
            readName(p, "SelectedSoundCueName", SelectedSoundCueName);
            readName(p, "Name", Name);
            readName(p, "NextLevelName", NextLevelName);
            readInt(p, "Level", Level);
            readInt(p, "Type", Type);
            readName(p, "ButtonTemplate", ButtonTemplate);
            readFloat(p, "BuildTime", BuildTime);
            readFloat(p, "RepairTime", RepairTime);
            readFloat(p, "DestroyTime", DestroyTime);
            readInt(p, "ProvidedService", ProvidedService);
            readArea(p, "ServeArea", ServeArea);
            readArea(p, "BoostedServeArea", BoostedServeArea);
            readFloat(p, "ServeAreaIncomeBonus", ServeAreaIncomeBonus);
            readFloat(p, "ServeTime", ServeTime);
            readFloat(p, "ServeIncome", ServeIncome);
            readFloat(p, "ServeBoostedIncome", ServeBoostedIncome);
            readFloat(p, "Income", Income);
            readFloat(p, "SellPrice", SellPrice);
            readFloat(p, "Cost", Cost);
            readFloat(p, "BrokenServeAreaIncomeBonus", BrokenServeAreaIncomeBonus);
            readFloat(p, "BuildMaterialsCost", BuildMaterialsCost);
            readInt(p, "BuildWorkersCost", BuildWorkersCost);
            readFloat(p, "RepairMaterialsCost", RepairMaterialsCost);
            readInt(p, "RepairWorkersCost", RepairWorkersCost);
            readInt(p, "DestroyWorkersCost", DestroyWorkersCost);
            readInt(p, "GuestsCount", GuestsCount);
        } else if (isElement(reader, L"LevelModifiers")) {
            LevelModifiers = makeRef<GLevelModifierList>();
            LevelModifiers->read(reader);
        } else if (isElement(reader, L"ActiveFeature")) {
            Features.push_back(GBuildingFeature());
            if (!Features[Features.size() - 1].read(reader)) break;
        }
    }
    if (ProvidedService < BuildingFirstCustomService || ProvidedService > BuildingLastCustomService)
        ProvidedService = BuildingNoService;
    if (BoostedServeArea.X == 0.0f && BoostedServeArea.Y == 0.0f) BoostedServeArea = ServeArea;
    return ended;
}

GBuildingConfig* GBuildingConfig::copy() const {
    auto* c = new GBuildingConfig();
    c->DisplayName = DisplayName;
    c->Description = Description;
    c->FullDescription = FullDescription;
    c->PreviewScale = PreviewScale;
    c->BuiltSoundCueName = BuiltSoundCueName;
    c->SelectedSoundCueName = SelectedSoundCueName;
    c->Name = Name;
    c->NextLevelName = NextLevelName;
    c->Level = Level;
    c->Type = Type;
    c->ButtonTemplate = ButtonTemplate;
    c->BuildTime = BuildTime;
    c->RepairTime = RepairTime;
    c->DestroyTime = DestroyTime;
    c->ProvidedService = ProvidedService;
    c->ServeArea = ServeArea;
    c->BoostedServeArea = BoostedServeArea;
    c->ServeAreaIncomeBonus = ServeAreaIncomeBonus;
    c->ServeTime = ServeTime;
    c->ServiceDuration = ServiceDuration;
    c->ServeIncome = ServeIncome;
    c->ServeBoostedIncome = ServeBoostedIncome;
    c->Income = Income;
    c->SellPrice = SellPrice;
    c->Cost = Cost;
    c->LevelModifiers = LevelModifiers;
    c->Features = Features;
    c->BrokenServeAreaIncomeBonus = BrokenServeAreaIncomeBonus;
    c->BuildMaterialsCost = BuildMaterialsCost;
    c->BuildWorkersCost = BuildWorkersCost;
    c->RepairMaterialsCost = RepairMaterialsCost;
    c->RepairWorkersCost = RepairWorkersCost;
    c->DestroyWorkersCost = DestroyWorkersCost;
    c->GuestsCount = GuestsCount;
    return c;
}

f32 GBuildingConfig::getBuildMaterialsCost(const GLevelConfiguration*) const {
    return BuildMaterialsCost;
}

s32 GBuildingConfig::getBuildWorkersCost(const GLevelConfiguration* level) const {
    return discountedWorkers(BuildWorkersCost, level);
}

f32 GBuildingConfig::getRepairMaterialsCost(const GLevelConfiguration*) const {
    return RepairMaterialsCost;
}

s32 GBuildingConfig::getRepairWorkersCost(const GLevelConfiguration*) const {
    return RepairWorkersCost;
}

s32 GBuildingConfig::getDestroyWorkersCost(const GLevelConfiguration* level) const {
    return discountedWorkers(DestroyWorkersCost, level);
}

s32 GBuildingConfig::getGuestsCount(const GLevelConfiguration* level) const {
    if (!level || Type != BuildingKindLodging) return GuestsCount;
    const double guests =
        std::floor(static_cast<double>(level->Factors.GuestsCountM) * GuestsCount + 0.5);
    if (!(guests > -2147483648.0)) return guests != guests ? 0 : -2147483647 - 1;
    if (guests > 2147483647.0) return 2147483647;
    return static_cast<s32>(guests);
}

f32 GBuildingConfig::getServeAreaIncomeBonus(bool servingLotRunsProcess,
                                             bool servingLotHasProblem) const {
    if (servingLotRunsProcess) return 0.0f;
    return servingLotHasProblem ? BrokenServeAreaIncomeBonus : ServeAreaIncomeBonus;
}

bool GBuildingsConfiguration::read(CXmlReader* reader) {
    m_types.clear();
    if (!reader) return false;
    while (reader->read()) {
        if (isElementEnd(reader, L"BuildingsConfiguration")) return true;
        if (isElement(reader, L"BuildingsConfiguration") && reader->isEmptyElement()) return true;
        if (!isElement(reader, L"Building")) continue;
        CRefPtr<GBuildingConfig> type = makeRef<GBuildingConfig>();
        const bool complete = type->read(reader);
        // The first type of a name wins (a type without a name goes under none).
        if (m_types.find(type->Name) == m_types.end()) m_types[type->Name] = type;
        if (!complete) return false;
    }
    return false;
}

GBuildingConfig* GBuildingsConfiguration::find(CNameId name) const {
    auto found = m_types.find(name);
    return found == m_types.end() ? nullptr : found->second.get();
}

}  // namespace brasquel
