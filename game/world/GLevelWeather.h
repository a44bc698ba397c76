#pragma once

#include "engine/core/OskelTypes.h"

namespace oskel {
class IContentManager;
}

namespace brasquel {

class GWeatherParticlesNode;

// What falls on a level: snow in the winter setting, rain everywhere else.
struct SLevelWeatherFiles {
    const char* configuration;  // the emitter settings, from the asset root
    const char* atlas;          // the particle picture
};

// The level configuration's SettingIndex of the winter levels.
constexpr oskel::s32 WinterSettingIndex = 4;
// Where the level keeps its weather: in front of everything of the world.
constexpr oskel::f32 LevelWeatherDepth = 5000.0f;

SLevelWeatherFiles getLevelWeatherFiles(oskel::s32 settingIndex);

// Sets a level's weather node up as the level does when it is entered: placed at the weather
// depth, disabled until a weather request, with the settings and picture of the setting (the
// picture found through the content manager; none leaves the node without one).
void setUpLevelWeather(GWeatherParticlesNode& node, oskel::s32 settingIndex,
                       oskel::IContentManager* content);

}  // namespace brasquel
