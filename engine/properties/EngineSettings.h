#pragma once

#include "engine/core/CRefPtr.h"
#include "engine/properties/CPropertySet.h"

namespace oskel {

// The keys of the engine settings: a property set of "stringw" values held by the device and
// never stored to disk.
constexpr const char* EngineSettingPublisherName = "PublisherName";    // data folders
constexpr const char* EngineSettingTitleName = "TitleName";            // data folders
constexpr const char* EngineSettingTitleCaption = "TitleCaption";      // window class and caption
constexpr const char* EngineSettingProfilesCryptKey = "ProfilesCryptKey";  // profile file filter
constexpr const char* EngineSettingAssetsCryptKey = "AssetsCryptKey";  // enciphered asset archive
constexpr const char* EngineSettingAssetsFolder = "AssetsFolder";      // mounted at start-up

// A new engine settings set with the engine's defaults, in this order: PublisherName
// "Wendmark", TitleName "Oskel Sample", TitleCaption "Oskel Sample", ProfilesCryptKey "",
// AssetsCryptKey "", AssetsFolder "assets". The application replaces some of them at start-up.
[[nodiscard]] CRefPtr<CPropertySet> createEngineSettings();

}  // namespace oskel
