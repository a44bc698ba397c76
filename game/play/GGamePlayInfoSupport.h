#pragma once

// Small helpers shared by the play screen's info panel, tooltips, hints and panels: the
// dictionary's texts, the number formats of the panels, the lookups of named children and the
// loading of pictures.

#include <cmath>
#include <limits>

#include "engine/content/CResource.h"
#include "engine/content/IContentManager.h"
#include "engine/core/CRefPtr.h"
#include "engine/core/StringUtils.h"
#include "engine/io/CTextDictionary.h"
#include "engine/nodes/SpriteNode.h"
#include "engine/nodes/TextNode.h"
#include "engine/video/render2d/CAtlasTexture.h"
#include "game/config/IGameServices.h"
#include "game/level/GBuildingsConfiguration.h"
#include "game/level/GGameLevelScene.h"
#include "game/scenes/GSceneSupport.h"

namespace brasquel::playinfo {

// The dictionary handed in with the game's services, or none.
inline oskel::CTextDictionary* dictionary() {
    IGameServices* services = IGameServices::get();
    return services ? services->getTextDictionary() : nullptr;
}

// The value as an int, held to the int range (not a number gives 0).
inline oskel::s32 clampToInt(oskel::f64 value) {
    if (std::isnan(value)) return 0;
    if (value >= static_cast<oskel::f64>(std::numeric_limits<oskel::s32>::max()))
        return std::numeric_limits<oskel::s32>::max();
    if (value <= static_cast<oskel::f64>(std::numeric_limits<oskel::s32>::min()))
        return std::numeric_limits<oskel::s32>::min();
    return static_cast<oskel::s32>(value);
}
inline oskel::s32 truncated(oskel::f32 value) {
    return clampToInt(std::trunc(static_cast<oskel::f64>(value)));
}
inline oskel::s32 roundedHalfUp(oskel::f32 value) {
    return clampToInt(std::floor(static_cast<oskel::f64>(value) + 0.5));
}

inline oskel::stringw grouped(oskel::s32 value) { return oskel::groupDigits(value, L','); }
inline oskel::stringw plain(oskel::s32 value) { return oskel::stringw(value); }

// The key's text with its first marker replaced (the bare parameter without a dictionary).
inline oskel::stringw keyText(const oskel::CTextDictionary* texts, const char* key,
                              const oskel::stringw& parameter) {
    if (!texts) return parameter;
    return texts->getTextWithParams(oskel::stringc(key), parameter, oskel::stringw(),
                                    oskel::stringw(), oskel::stringw());
}
// "MoneyDollar" and "GuestsSign" around a number text.
inline oskel::stringw moneyText(const oskel::CTextDictionary* texts, const oskel::stringw& n) {
    return keyText(texts, "MoneyDollar", n);
}
inline oskel::stringw guestsText(const oskel::CTextDictionary* texts, const oskel::stringw& n) {
    return keyText(texts, "GuestsSign", n);
}

inline void setText(oskel::TextNode* node, const oskel::stringw& text) {
    if (node) node->setText(text);
}
inline void showNode(oskel::BaseNode* node, bool visible) {
    if (node) node->setVisible(visible);
}

inline oskel::SpriteNode* asSprite(oskel::BaseNode* node) {
    return node && node->isKindOf(oskel::NodeTypeSprite) ? static_cast<oskel::SpriteNode*>(node)
                                                         : nullptr;
}

// The atlas picture of the path, counted; none when it does not load as one.
inline oskel::CRefPtr<oskel::CAtlasTexture> loadPicture(oskel::IContentManager* content,
                                                        const oskel::stringc& path) {
    if (!content) return oskel::CRefPtr<oskel::CAtlasTexture>();
    oskel::CRefPtr<oskel::CResource> loaded = oskel::CRefPtr<oskel::CResource>::fromRaw(
        content->getContentByPath(oskel::TypeCodeAtlasTexture, path, false));
    auto* picture = loaded && loaded->getTypeCode() == oskel::TypeCodeAtlasTexture
                        ? static_cast<oskel::CAtlasTexture*>(loaded.get())
                        : nullptr;
    return oskel::CRefPtr<oskel::CAtlasTexture>(picture);
}

// The building-type catalogue of the level (the application's one without a level).
inline GBuildingsConfiguration* catalogueOf(const GGameLevelScene* level) {
    if (level && level->getBuildingsConfiguration()) return level->getBuildingsConfiguration();
    IGameServices* services = IGameServices::get();
    return services ? services->getBuildingsConfiguration() : nullptr;
}
// The type the type upgrades to, when the catalogue holds it.
inline GBuildingConfig* nextTypeOf(const GGameLevelScene* level, const GBuildingConfig* type) {
    if (!type || type->NextLevelName.isEmpty()) return nullptr;
    GBuildingsConfiguration* catalogue = catalogueOf(level);
    return catalogue ? catalogue->find(type->NextLevelName) : nullptr;
}

}  // namespace brasquel::playinfo
