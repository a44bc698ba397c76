#include "engine/properties/EngineSettings.h"

namespace oskel {

CRefPtr<CPropertySet> createEngineSettings() {
    CRefPtr<CPropertySet> settings = makeRef<CPropertySet>(nullptr);
    settings->addStringW(EngineSettingPublisherName, L"Wendmark");
    settings->addStringW(EngineSettingTitleName, L"Oskel Sample");
    settings->addStringW(EngineSettingTitleCaption, L"Oskel Sample");
    settings->addStringW(EngineSettingProfilesCryptKey, L"");
    settings->addStringW(EngineSettingAssetsCryptKey, L"");
    settings->addStringW(EngineSettingAssetsFolder, L"assets");
    return settings;
}

}  // namespace oskel
