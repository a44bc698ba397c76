#include "game/world/GLevelWeather.h"

#include "engine/content/IContentManager.h"
#include "engine/core/CRefPtr.h"
#include "engine/video/render2d/CAtlasTexture.h"
#include "game/world/GWeatherParticlesNode.h"

namespace brasquel {

using namespace oskel;

SLevelWeatherFiles getLevelWeatherFiles(s32 settingIndex) {
    if (settingIndex == WinterSettingIndex)
        return {"levels/common/Effects/Snow.xml", "particles/Snow.png"};
    return {"levels/common/Effects/Rain.xml", "particles/Rain.png"};
}

void setUpLevelWeather(GWeatherParticlesNode& node, s32 settingIndex, IContentManager* content) {
    const SLevelWeatherFiles files = getLevelWeatherFiles(settingIndex);
    node.setPosition(vector3df(0.0f, 0.0f, LevelWeatherDepth));
    node.setEnabled(false);
    node.setConfigurationFilename(files.configuration);
    if (!content) return;
    CRefPtr<CResource> atlas = CRefPtr<CResource>::fromRaw(
        content->getContentByPath(TypeCodeAtlasTexture, files.atlas, false));
    node.setAtlasTexture(dynamic_cast<CAtlasTexture*>(atlas.get()));
}

}  // namespace brasquel
